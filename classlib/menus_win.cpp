#include "classlib/menus.h"

#include <algorithm>

#include "classlib/controls.h"
#include "classlib/objectinstance.h"

namespace {
UINT nextCommand = 100;

struct KeyName {
  WORD key;
  const char* name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},  {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},      {VK_HOME, "Home"},   {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};
}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key & 0xFF00) return scNone;
  TShortCut result = key;
  if (shift & ssShift) result |= scShift;
  if (shift & ssCtrl) result |= scCtrl;
  if (shift & ssAlt) result |= scAlt;
  return result;
}

std::string KeyNameFromTable(WORD key) {
  for (const KeyName& k : kKeyNames)
    if (k.key == key) return k.name;
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  return std::string();
}

std::string ShortCutToText(TShortCut shortCut) {
  WORD key = shortCut & 0xFF;
  std::string name = KeyNameFromTable(key);
  if (name.empty()) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
      name = std::string(1, static_cast<char>(key));
    } else {
      char text[64] = {};
      LONG scan = static_cast<LONG>(MapVirtualKeyA(key, 0)) << 16;
      if (GetKeyNameTextA(scan, text, sizeof text) > 0) name = text;
    }
  }
  if (name.empty()) return std::string();
  std::string result;
  if (shortCut & scShift) result += "Shift+";
  if (shortCut & scCtrl) result += "Ctrl+";
  if (shortCut & scAlt) result += "Alt+";
  return result + name;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(nextCommand++) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (parent_ != nullptr) parent_->Remove(this);
  while (!items_.empty()) {
    TMenuItem* item = items_.back();
    items_.pop_back();
    item->parent_ = nullptr;
    if (item->Owner() == nullptr) delete item;
  }
  if (handle_ != nullptr) {
    // Destroying a menu destroys the sub-menus it holds, which belong to
    // items that may live on.
    DetachSubMenus();
    DestroyMenu(handle_);
  }
}

void TMenuItem::SetCaption(const std::string& value) {
  caption_ = value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut value) {
  shortCut_ = value;
  Changed();
}

void TMenuItem::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Changed();
}

void TMenuItem::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  Changed();
}

void TMenuItem::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

void TMenuItem::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  Changed();
}

void TMenuItem::SetBreak(TMenuBreak value) {
  if (value == break_) return;
  break_ = value;
  Changed();
}

void TMenuItem::Changed() {
  if (parent_ != nullptr) parent_->Rebuild();
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_ != nullptr) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
  Rebuild();
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->parent_ = nullptr;
  Rebuild();
}

TMenuItem* TMenuItem::Find(UINT command) {
  if (command == command_) return this;
  for (TMenuItem* item : items_)
    if (TMenuItem* found = item->Find(command)) return found;
  return nullptr;
}

TMenuItem* TMenuItem::FindSubMenu(HMENU menu) {
  if (menu == nullptr) return nullptr;
  if (menu == handle_) return this;
  for (TMenuItem* item : items_)
    if (TMenuItem* found = item->FindSubMenu(menu)) return found;
  return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) {
  for (TMenuItem* item : items_) {
    if (item->shortCut_ == shortCut) return item;
    if (TMenuItem* found = item->FindShortCut(shortCut)) return found;
  }
  return nullptr;
}

void TMenuItem::DetachSubMenus() {
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
}

void TMenuItem::Rebuild() {
  if (handle_ == nullptr) {
    // Shown by a control rather than a system menu, the top items still
    // tell of their changes.
    if (menu_ != nullptr) menu_->TopItemsChanged();
    return;
  }
  DetachSubMenus();
  UINT position = 0;
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    info.wID = item->command_;
    info.fState = (item->enabled_ ? MFS_ENABLED : MFS_GRAYED) | (item->checked_ ? MFS_CHECKED : 0) |
                  (item->default_ ? MFS_DEFAULT : 0);
    if (item->break_ == mbBreak) info.fType |= MFT_MENUBREAK;
    if (item->break_ == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
    std::string text = item->caption_;
    // The entries of a menu bar show no shortcut.
    if (item->shortCut_ != 0 && !bar_) text += "\t" + ShortCutToText(item->shortCut_);
    if (item->IsLine()) {
      info.fType |= MFT_SEPARATOR;
    } else {
      info.fMask |= MIIM_STRING;
      info.dwTypeData = text.data();
    }
    if (!item->items_.empty()) {
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = item->Handle();
    }
    InsertMenuItemA(handle_, position++, TRUE, &info);
  }
  if (menu_ != nullptr) {
    menu_->MenuChanged();
    menu_->TopItemsChanged();
  }
}

HMENU TMenuItem::Handle() {
  if (handle_ == nullptr) {
    handle_ = bar_ ? CreateMenu() : CreatePopupMenu();
    Rebuild();
  }
  return handle_;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
  Destroying();
  items_->menu_ = nullptr;
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = items_->Find(command);
  if (item == nullptr || item == items_) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU menu) {
  TMenuItem* item = items_->FindSubMenu(menu);
  if (item == nullptr) return false;
  if (item != items_) item->Click();
  return true;
}

void TMenu::AddChangeNotification(TControl* control) {
  if (std::find(changeNotified_.begin(), changeNotified_.end(), control) == changeNotified_.end())
    changeNotified_.push_back(control);
}

void TMenu::RemoveChangeNotification(TControl* control) {
  changeNotified_.erase(std::remove(changeNotified_.begin(), changeNotified_.end(), control), changeNotified_.end());
}

void TMenu::TopItemsChanged() {
  for (TControl* control : std::vector<TControl*>(changeNotified_))
    control->Perform(CM_MENUCHANGED, 0, reinterpret_cast<LPARAM>(this));
}

bool TMenu::IsShortCut(WORD key, TShiftState shift) {
  TShortCut shortCut = ShortCut(key, shift);
  if (shortCut == scNone) return false;
  TMenuItem* item = items_->FindShortCut(shortCut);
  if (item == nullptr) return false;
  // The menus above the item get to prepare their items (enable them),
  // from the top down, as opening them would.
  std::vector<TMenuItem*> above;
  for (TMenuItem* p = item->Parent(); p != nullptr && p != items_; p = p->Parent()) above.push_back(p);
  for (auto it = above.rbegin(); it != above.rend(); ++it) (*it)->Click();
  if (!item->Enabled()) return false;
  item->Click();
  return true;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) { Items()->bar_ = true; }

void TMainMenu::MenuChanged() {
  if (window_ != nullptr) DrawMenuBar(window_);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() { DeallocateHWnd(window_); }

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (popupComponent_ != nullptr) RemoveFreeNotification(popupComponent_);
  popupComponent_ = value;
  if (value != nullptr) FreeNotification(value);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (window_ == nullptr) window_ = AllocateHWnd(TWndMethod(this, &TPopupMenu::WndProc));
  UINT command = static_cast<UINT>(
      TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, window_, nullptr));
  if (command != 0) DispatchCommand(command);
}

void TPopupMenu::WndProc(TMessage& message) {
  if (message.Msg == WM_INITMENUPOPUP) DispatchPopup(reinterpret_cast<HMENU>(message.WParam));
  message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}
