#include "classlib/menus.h"

#include <algorithm>

#include "classlib/application.h"
#include "classlib/canvas.h"
#include "classlib/controls.h"
#include "classlib/gdiscopes.h"
#include "classlib/objectinstance.h"
#include "classlib/strutils.h"

namespace {
UINT nextCommand = 100;

constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
// Room between the check area and the caption, and after the shortcut.
constexpr int kCaptionGap = 4;
constexpr int kShortCutMargin = 10;
constexpr int kShortCutGap = 16;

// The font the system draws menus with.
void AssignMenuFont(TFont* font) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  const LOGFONTA& lf = metrics.lfMenuFont;
  font->SetName(lf.lfFaceName);
  font->SetHeight(lf.lfHeight);
  font->SetCharset(lf.lfCharSet);
  font->SetStyle(lf.lfWeight >= FW_BOLD ? fsBold : 0);
}

RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

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

std::string StripHotkey(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') result += text[i];
    else if (i + 1 < text.size() && text[i + 1] == '&') result += text[++i];
  }
  return result;
}

bool AnsiSameCaption(const std::string& text1, const std::string& text2) {
  return AnsiSameText(StripHotkey(text1), StripHotkey(text2));
}

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

// --- action link -------------------------------------------------------------------

TMenuActionLinkClass TMenuActionLink::StaticClass() {
  return ClassInfoOf<TMenuActionLink, TMenuActionLink, TMenuItem*>("TMenuActionLink", nullptr);
}

namespace {
TCustomAction* CustomActionOf(TBasicAction* action) { return static_cast<TCustomAction*>(action); }
}  // namespace

bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && AnsiSameCaption(client_->Caption(), CustomActionOf(action_)->Caption());
}

bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomActionOf(action_)->Hint();
}

bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomActionOf(action_)->Enabled();
}

bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomActionOf(action_)->Visible();
}

bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomActionOf(action_)->ShortCut();
}

void TMenuActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) client_->SetCaption(value);
}

void TMenuActionLink::SetHint(const std::string& value) {
  if (IsHintLinked()) client_->SetHint(value);
}

void TMenuActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}

void TMenuActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}

void TMenuActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) client_->SetShortCut(value);
}

// --- menu item ------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(nextCommand++) {}

TMenuItem::~TMenuItem() {
  Destroying();
  delete actionLink_;
  actionLink_ = nullptr;
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

void TMenuItem::Changed() { MenuChanged(true); }

void TMenuItem::MenuChanged(bool rebuild) {
  if (rebuild && parent_ != nullptr) parent_->Rebuild();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_ != nullptr) root = root->parent_;
  return root->menu_;
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
  TMenu* menu = GetParentMenu();
  const bool ownerDraw = menu != nullptr && menu->OwnerDraw();
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
    } else if (ownerDraw) {
      info.fType |= MFT_OWNERDRAW;
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
  for (TMenuItem* item : std::vector<TMenuItem*>(items_))
    if (item->visible_) item->MenuChanged(false);
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

void TMenuItem::RebuildTree() {
  if (handle_ != nullptr) Rebuild();
  for (TMenuItem* item : items_) item->RebuildTree();
}

void TMenuItem::Click() {
  if (OnClick) {
    OnClick(this);
    return;
  }
  if (actionLink_ != nullptr) actionLink_->Execute();
}

TBasicAction* TMenuItem::Action() const { return actionLink_ != nullptr ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* action) { SetClientAction(this, actionLink_, action); }

TMenuActionLinkClass TMenuItem::GetActionLinkClass() { return TMenuActionLink::StaticClass(); }

void TMenuItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr) return;
  if (!checkDefaults || caption_.empty()) SetCaption(action->Caption());
  if (!checkDefaults || enabled_) SetEnabled(action->Enabled());
  if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
  if (!checkDefaults || shortCut_ == scNone) SetShortCut(action->ShortCut());
  if (!checkDefaults || visible_) SetVisible(action->Visible());
}

void TMenuItem::InitiateAction() {
  if (actionLink_ != nullptr) actionLink_->Update();
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && actionLink_ != nullptr && component == actionLink_->Action()) {
    delete actionLink_;
    actionLink_ = nullptr;
  }
}

// --- owner drawing -------------------------------------------------------------------

int TMenuItem::MeasureText(TCanvas* canvas, const std::string& text) {
  // An empty caption (or a lone hot-key marker) still takes room.
  std::string measured = text.empty() || text == "&" ? text + " " : text;
  canvas->RequiredState(csHandleValid | csFontValid);
  RECT r{0, 0, 0, 0};
  DrawTextA(canvas->Handle(), measured.c_str(), -1, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  return r.right - r.left;
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
  if (default_) canvas->Font()->SetStyle(canvas->Font()->Style() | fsBold);
  width = MeasureText(canvas, caption_);
  const bool topLevel = parent_ != nullptr && parent_->bar_;
  if (!topLevel) {
    width += GetSystemMetrics(SM_CXMENUCHECK) + kCaptionGap;
    if (shortCut_ != scNone && items_.empty())
      width += kShortCutGap + MeasureText(canvas, ShortCutToText(shortCut_)) + kShortCutMargin;
  }
  height = std::max(canvas->TextHeight("Wg") + 4, GetSystemMetrics(SM_CYMENUCHECK) + 2);
  if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, const TRect& rect, UINT state, bool topLevel) {
  const bool selected = (state & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  canvas->FillRect(rect);
  canvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  if (default_) canvas->Font()->SetStyle(canvas->Font()->Style() | fsBold);
  TRect text = rect;
  if (topLevel) {
    DoDrawText(canvas, mtCaption, text, selected, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  if (checked_) {
    RECT box{rect.Left + 1, rect.Top + (rect.Height() - check) / 2, 0, 0};
    box.right = box.left + check;
    box.bottom = box.top + check;
    DrawFrameControl(canvas->Handle(), &box, DFC_MENU, DFCS_MENUCHECK);
  }
  text.Left += check + kCaptionGap;
  DoDrawText(canvas, mtCaption, text, selected, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
  if (shortCut_ != scNone && items_.empty()) {
    text = rect;
    text.Right -= kShortCutMargin;
    DoDrawText(canvas, mtShortCut, text, selected, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  }
}

void TMenuItem::DoDrawText(TCanvas* canvas, TMenuItemText which, TRect& rect, bool selected, UINT flags) {
  std::string text = which == mtCaption ? caption_ : ShortCutToText(shortCut_);
  if ((flags & DT_CALCRECT) && (text.empty() || text == "&")) text += ' ';
  DrawItemText(canvas, rect, selected, flags,
               [&text](HDC dc, RECT& r, UINT f) { DrawTextA(dc, text.c_str(), -1, &r, f); });
}

void TMenuItem::DrawItemText(TCanvas* canvas, TRect& rect, bool selected, UINT flags,
                             const std::function<void(HDC dc, RECT& r, UINT flags)>& draw) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  RECT r = ToRECT(rect);
  if (!(flags & DT_CALCRECT) && !enabled_) {
    // Embossed: a highlight one pixel down and right, the shadow on top.
    if (!selected) {
      OffsetRect(&r, 1, 1);
      canvas->Font()->SetColor(clBtnHighlight);
      canvas->RequiredState(csFontValid);
      draw(canvas->Handle(), r, flags);
      OffsetRect(&r, -1, -1);
    }
    const bool shadowIsHighlight = ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow);
    canvas->Font()->SetColor(selected && shadowIsHighlight ? clBtnHighlight : clBtnShadow);
    canvas->RequiredState(csFontValid);
  }
  draw(canvas->Handle(), r, flags);
  rect = Rect(r.left, r.top, r.right, r.bottom);
}

// --- menu ------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
  Destroying();
  items_->menu_ = nullptr;
}

void TMenu::SetOwnerDraw(bool value) {
  if (value == ownerDraw_) return;
  ownerDraw_ = value;
  items_->RebuildTree();
}

TMenuItem* TMenu::FindItem(UINT_PTR id) {
  TMenuItem* item = items_->Find(static_cast<UINT>(id));
  if (item == nullptr) item = items_->FindSubMenu(reinterpret_cast<HMENU>(id));
  return item == items_ ? nullptr : item;
}

bool TMenu::DispatchDrawItem(const DRAWITEMSTRUCT& info) {
  TMenuItem* item = FindItem(info.itemID);
  if (item == nullptr) return false;
  const int saved = SaveDC(info.hDC);
  {
    TCanvas canvas;
    CanvasHandleScope scope(&canvas, info.hDC);
    AssignMenuFont(canvas.Font());
    const RECT& r = info.rcItem;
    item->AdvancedDrawItem(&canvas, Rect(r.left, r.top, r.right, r.bottom), info.itemState,
                           item->Parent() == items_ && items_->bar_);
  }
  RestoreDC(info.hDC, saved);
  return true;
}

bool TMenu::DispatchOwnerDraw(TMessage& message) {
  bool done = false;
  if (message.Msg == WM_DRAWITEM) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
    done = item != nullptr && item->CtlType == ODT_MENU && DispatchDrawItem(*item);
  } else if (message.Msg == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
    done = item != nullptr && item->CtlType == ODT_MENU && DispatchMeasureItem(*item);
  }
  if (done) message.Result = TRUE;
  return done;
}

bool TMenu::DispatchMeasureItem(MEASUREITEMSTRUCT& info) {
  TMenuItem* item = FindItem(info.itemID);
  if (item == nullptr) return false;
  WindowDCScope dc(nullptr);
  TCanvas canvas;
  CanvasHandleScope scope(&canvas, dc.dc());
  AssignMenuFont(canvas.Font());
  int width = 0, height = 0;
  item->MeasureItem(&canvas, width, height);
  info.itemWidth = static_cast<UINT>(std::max(0, width));
  info.itemHeight = static_cast<UINT>(std::max(0, height));
  return true;
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

// --- popup menus and their list ---------------------------------------------------------

namespace {
// The class library's own list, living as long as the program (a layer
// that puts its own in place hands the menus back before it goes).
TPopupList classLibraryPopupList;
}  // namespace

TPopupList* PopupList = &classLibraryPopupList;

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { PopupList->Add(this); }

TPopupMenu::~TPopupMenu() { PopupList->Remove(this); }

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
  TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, PopupList->Window(), nullptr);
}

TPopupList::~TPopupList() { DeallocateHWnd(window_); }

void TPopupList::Add(TPopupMenu* menu) {
  if (std::find(menus_.begin(), menus_.end(), menu) == menus_.end()) menus_.push_back(menu);
}

void TPopupList::Remove(TPopupMenu* menu) { menus_.erase(std::remove(menus_.begin(), menus_.end(), menu), menus_.end()); }

void TPopupList::TakeOver(TPopupList& other) {
  for (TPopupMenu* menu : other.menus_) Add(menu);
  other.menus_.clear();
}

HWND TPopupList::Window() {
  if (window_ == nullptr) window_ = AllocateHWnd(TWndMethod(this, &TPopupList::MainWndProc));
  return window_;
}

TMenuItem* TPopupList::SelectedItem(const TMessage& message) const {
  const UINT flags = HIWORD(message.WParam);
  auto menu = reinterpret_cast<HMENU>(message.LParam);
  if (menu == nullptr) return nullptr;  // the menu closed
  for (TPopupMenu* popup : menus_) {
    TMenuItem* item = (flags & MF_POPUP) ? popup->Items()->FindSubMenu(GetSubMenu(menu, LOWORD(message.WParam)))
                                         : popup->FindItem(LOWORD(message.WParam));
    if (item != nullptr) return item;
  }
  return nullptr;
}

void TPopupList::WndProc(TMessage& message) {
  // A command may free menus: walk a copy.
  const std::vector<TPopupMenu*> menus = menus_;
  switch (message.Msg) {
    case WM_COMMAND:
      for (TPopupMenu* menu : menus)
        if (menu->DispatchCommand(LOWORD(message.WParam))) return;
      break;
    case WM_INITMENUPOPUP:
      for (TPopupMenu* menu : menus)
        if (menu->DispatchPopup(reinterpret_cast<HMENU>(message.WParam))) return;
      break;
    case WM_MENUSELECT:
      if (Application != nullptr) {
        TMenuItem* item = SelectedItem(message);
        Application->SetHint(item != nullptr ? GetLongHint(item->Hint()) : std::string());
      }
      break;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      for (TPopupMenu* menu : menus)
        if (menu->DispatchOwnerDraw(message)) return;
      break;
    default:
      break;
  }
  message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}
