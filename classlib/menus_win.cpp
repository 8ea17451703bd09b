#include "classlib/menus.h"

#include <algorithm>

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
  if (handle_ != nullptr) DestroyMenu(handle_);
}

void TMenuItem::SetCaption(const std::string& value) {
  caption_ = value;
  if (parent_ != nullptr) parent_->Rebuild();
}

void TMenuItem::SetShortCut(TShortCut value) {
  shortCut_ = value;
  if (parent_ != nullptr) parent_->Rebuild();
}

void TMenuItem::SetEnabled(bool value) {
  enabled_ = value;
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

void TMenuItem::Rebuild() {
  if (handle_ == nullptr) return;
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  for (TMenuItem* item : items_) {
    std::string text = item->caption_;
    if (item->shortCut_ != 0) text += "\t" + ShortCutToText(item->shortCut_);
    UINT flags = MF_STRING | (item->enabled_ ? MF_ENABLED : MF_GRAYED);
    if (item->caption_ == "-") {
      AppendMenuA(handle_, MF_SEPARATOR, 0, nullptr);
    } else if (!item->items_.empty()) {
      AppendMenuA(handle_, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(item->Handle()), text.c_str());
    } else {
      AppendMenuA(handle_, flags, item->command_, text.c_str());
    }
  }
}

HMENU TMenuItem::Handle() {
  if (handle_ == nullptr) {
    handle_ = CreatePopupMenu();
    Rebuild();
  }
  return handle_;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = items_->Find(command);
  if (item == nullptr || item == items_) return false;
  item->Click();
  return true;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() { DeallocateHWnd(window_); }

void TPopupMenu::Popup(int x, int y) {
  if (window_ == nullptr) window_ = AllocateHWnd(TWndMethod(this, &TPopupMenu::WndProc));
  UINT command = static_cast<UINT>(
      TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, window_, nullptr));
  if (command != 0) DispatchCommand(command);
}

void TPopupMenu::WndProc(TMessage& message) {
  message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}
