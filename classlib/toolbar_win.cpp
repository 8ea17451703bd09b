#include "classlib/toolbar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "classlib/actions.h"
#include "classlib/commoncontrols.h"
#include "classlib/coolbar.h"
#include "classlib/imagelist.h"
#include "classlib/list.h"
#include "classlib/menus.h"
#include "classlib/notifytext.h"

namespace {

constexpr int kSeparatorWidth = 8;

// Identifiers of the buttons' commands: one per button for the program's
// life (wrapping past the 16 bits a command carries, never 0).
UINT NextButtonCommand() {
  static UINT next = 0;
  next = next % 0xFFFF + 1;
  return next;
}

// The letter a caption underlines ("&File" gives F; "&&" is an ampersand
// shown), 0 for none.
char AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;
  }
  return 0;
}

bool SameLetter(char a, char b) {
  char pair[2] = {a, b};
  CharUpperBuffA(pair, 2);
  return pair[0] == pair[1];
}

}  // namespace

// --- TToolButton -----------------------------------------------------------------------

TToolButton::TToolButton(TComponent* owner) : TControl(owner), command_(NextButtonCommand()) {
  width_ = 23;
  height_ = 22;
}

TToolButton::~TToolButton() {
  Destroying();
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  if (TToolBar* old = ToolBar()) old->RemoveButton(this);
  TControl::SetParent(parent);
  if (TToolBar* bar = ToolBar()) bar->InsertButton(this);
}

void TToolButton::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  imageIndex_ = value;
  if (TToolBar* bar = ToolBar()) bar->UpdateButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (value == style_) return;
  style_ = value;
  if (TToolBar* bar = ToolBar()) bar->UpdateButton(this);
}

void TToolButton::Dispatch(TMessage& message) {
  TControl::Dispatch(message);
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
      if (TToolBar* bar = ToolBar()) bar->UpdateButton(this);
      break;
    default:
      break;
  }
}

// --- TToolBar --------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 29;
}

TToolBar::~TToolBar() {
  Destroying();
  if (menu_ != nullptr) menu_->RemoveChangeNotification(this);
  if (HandleAllocated()) DestroyHandle();
}

void TToolBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_BAR_CLASSES);
  CreateSubClass(params, TOOLBARCLASSNAMEA);
  // The class library places the bar; the window must not move itself.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_TOOLTIPS;
  if (flat_) params.Style |= TBSTYLE_FLAT;
  if (list_) params.Style |= TBSTYLE_LIST;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  RecreateButtons();
}

TToolButton* TToolBar::Buttons(int index) const {
  if (index < 0 || index >= ButtonCount()) RaiseListIndexError(index);
  return buttons_[static_cast<size_t>(index)];
}

TToolButton* TToolBar::FindButton(UINT command) const {
  for (TToolButton* button : buttons_)
    if (button->command_ == command) return button;
  return nullptr;
}

void TToolBar::InsertButton(TToolButton* button) {
  buttons_.push_back(button);
  RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
  // While the bar is being freed its list is already gone.
  if (HasState(csDestroying)) return;
  buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), button), buttons_.end());
  RecreateButtons();
}

void TToolBar::UpdateButton(TToolButton*) { RecreateButtons(); }

void TToolBar::SetShowCaptions(bool value) {
  if (value == showCaptions_) return;
  showCaptions_ = value;
  RecreateButtons();
}

void TToolBar::SetImages(TImageList* value) {
  images_ = value;
  if (value != nullptr) value->FreeNotification(this);
  RecreateButtons();
}

void TToolBar::SetButtonWidth(int value) {
  buttonWidth_ = value;
  RecreateButtons();
}

void TToolBar::SetButtonHeight(int value) {
  buttonHeight_ = value;
  RecreateButtons();
}

void TToolBar::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  RecreateWnd();
}

void TToolBar::SetList(bool value) {
  if (value == list_) return;
  list_ = value;
  RecreateWnd();
}

void TToolBar::UpdateSizes() {
  HWND window = Handle();
  int imageWidth = 0, imageHeight = 0;
  if (images_ != nullptr) {
    imageWidth = images_->Width();
    imageHeight = images_->Height();
  }
  SendMessageA(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ != nullptr ? images_->Handle() : nullptr));
  SendMessageA(window, TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
  SendMessageA(window, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
}

void TToolBar::RecreateButtons() {
  if (!HandleAllocated() || updating_ || HasState(csDestroying)) return;
  HWND window = Handle();
  SendMessageA(window, WM_SETREDRAW, FALSE, 0);
  while (SendMessageA(window, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(window, TB_DELETEBUTTON, 0, 0);
  UpdateSizes();
  int index = 0;
  for (TToolButton* button : buttons_) {
    TMenuItem* item = button->menuItem_;
    std::string caption = item != nullptr ? item->Caption() : button->Caption();
    TBBUTTON tb{};
    tb.idCommand = static_cast<int>(button->command_);
    tb.fsState = static_cast<BYTE>((button->Enabled() ? TBSTATE_ENABLED : 0) | (button->Visible() ? 0 : TBSTATE_HIDDEN));
    tb.iString = -1;
    if (button->style_ == tbsSeparator) {
      tb.iBitmap = kSeparatorWidth;
      tb.fsStyle = BTNS_SEP;
    } else {
      const bool image = images_ != nullptr && item == nullptr && button->imageIndex_ >= 0;
      tb.iBitmap = image ? button->imageIndex_ : I_IMAGENONE;
      // Without arrows drawn, a drop-down button reports the press itself,
      // so its menu opens as the mouse goes down, as a menu bar's does.
      tb.fsStyle = item != nullptr ? BTNS_DROPDOWN | BTNS_AUTOSIZE : BTNS_BUTTON;
      if ((showCaptions_ || item != nullptr) && !caption.empty()) tb.iString = reinterpret_cast<INT_PTR>(caption.c_str());
    }
    SendMessageA(window, TB_INSERTBUTTONA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&tb));
  }
  SendMessageA(window, TB_AUTOSIZE, 0, 0);
  SendMessageA(window, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window, nullptr, TRUE);
  AdjustHeight();
}

void TToolBar::AdjustHeight() {
  HWND window = Handle();
  const int count = static_cast<int>(SendMessageA(window, TB_BUTTONCOUNT, 0, 0));
  int top = -1, bottom = 0;
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (!SendMessageA(window, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
    if (r.bottom <= r.top) continue;  // hidden
    top = top < 0 ? r.top : std::min<int>(top, r.top);
    bottom = std::max<int>(bottom, r.bottom);
  }
  if (top < 0) return;
  const int height = bottom + top;
  if (height == height_) return;
  SetBounds(left_, top_, width_, height);
  if (auto* cool = dynamic_cast<TCoolBar*>(Parent())) cool->ControlResized(this);
}

void TToolBar::SetMenu(TMenu* menu) {
  if (menu == menu_) return;
  ClearMenuButtons();
  if (menu_ != nullptr) menu_->RemoveChangeNotification(this);
  menu_ = menu;
  if (menu == nullptr) return;
  menu->FreeNotification(this);
  menu->AddChangeNotification(this);
  AddMenuButtons();
}

void TToolBar::AddMenuButtons() {
  updating_ = true;
  try {
    TMenuItem* root = menu_->Items();
    for (int i = 0; i < root->Count(); ++i) {
      auto* button = new TToolButton(this);
      button->menuItem_ = root->Items(i);
      button->menuItem_->FreeNotification(this);
      button->SetParent(this);
    }
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  RecreateButtons();
}

void TToolBar::MenuChanged() {
  if (menu_ == nullptr || HasState(csDestroying)) return;
  std::vector<TMenuItem*> shown;
  for (TToolButton* button : buttons_)
    if (button->menuItem_ != nullptr) shown.push_back(button->menuItem_);
  TMenuItem* root = menu_->Items();
  bool same = static_cast<int>(shown.size()) == root->Count();
  for (int i = 0; same && i < root->Count(); ++i) same = shown[static_cast<size_t>(i)] == root->Items(i);
  if (same) {
    RecreateButtons();
    return;
  }
  ClearMenuButtons();
  AddMenuButtons();
}

TToolButton* TToolBar::FindAccelerator(char key) const {
  for (TToolButton* button : buttons_) {
    if (button->menuItem_ == nullptr || !button->Visible() || !button->Enabled()) continue;
    const char letter = AcceleratorOf(button->menuItem_->Caption());
    if (letter != 0 && SameLetter(letter, key)) return button;
  }
  return nullptr;
}

void TToolBar::ClearMenuButtons() {
  std::vector<TToolButton*> doomed;
  for (TToolButton* button : buttons_)
    if (button->menuItem_ != nullptr) doomed.push_back(button);
  updating_ = true;
  for (TToolButton* button : doomed) delete button;
  updating_ = false;
  if (!doomed.empty()) RecreateButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove || HasState(csDestroying)) return;
  if (component == images_) SetImages(nullptr);
  if (component == menu_) {
    ClearMenuButtons();
    menu_ = nullptr;
  }
  for (TToolButton* button : buttons_)
    if (button->menuItem_ == component) {
      delete button;
      return;
    }
}

void TToolBar::TrackMenu(TToolButton* button) {
  TMenuItem* item = button != nullptr ? button->menuItem_ : nullptr;
  if (item == nullptr || !HandleAllocated()) return;
  if (item->Count() == 0) {
    item->Click();
    return;
  }
  HWND window = Handle();
  const UINT command = button->command_;
  RECT r{};
  SendMessageA(window, TB_GETRECT, command, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  SendMessageA(window, TB_PRESSBUTTON, command, TRUE);
  // The tool bar owns the menu, so the sub-menus' opening and the chosen
  // command come back here (WM_INITMENUPOPUP, WM_COMMAND).
  TrackPopupMenu(item->Handle(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left, r.bottom, 0, window, nullptr);
  if (HandleAllocated() && FindButton(command) != nullptr) SendMessageA(window, TB_PRESSBUTTON, command, FALSE);
}

void TToolBar::CNNotify(TMessage& message) {
  NMHDR* header = TWMNotify(message).NMHdr;
  message.Result = 0;
  if (header == nullptr || HasState(csDestroying)) return;
  switch (header->code) {
    case TBN_DROPDOWN: {
      const auto* press = reinterpret_cast<const NMTOOLBARA*>(header);
      TrackMenu(FindButton(static_cast<UINT>(press->iItem)));
      message.Result = TBDDRET_DEFAULT;
      return;
    }
    case TBN_GETINFOTIPA: {
      auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(header);
      if (TToolButton* button = FindButton(static_cast<UINT>(tip->iItem)))
        CopyToTextBuffer(button->Hint(), tip->pszText, tip->cchTextMax);
      return;
    }
    case TBN_GETINFOTIPW: {
      auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(header);
      if (TToolButton* button = FindButton(static_cast<UINT>(tip->iItem)))
        CopyToTextBuffer(button->Hint(), tip->pszText, tip->cchTextMax);
      return;
    }
    default:
      return;
  }
}

void TToolBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_NOTIFY:
      CNNotify(message);
      return;
    case CN_COMMAND: {
      message.Result = 0;
      TToolButton* button = FindButton(LOWORD(message.WParam));
      if (button == nullptr) return;
      if (button->menuItem_ != nullptr) TrackMenu(button);
      else button->Click();
      return;
    }
    case WM_COMMAND:
      // A command chosen in a menu this bar dropped down.
      if (message.LParam == 0 && menu_ != nullptr && menu_->DispatchCommand(LOWORD(message.WParam))) {
        message.Result = 0;
        return;
      }
      TWinControl::Dispatch(message);
      return;
    case WM_INITMENUPOPUP:
      if (menu_ != nullptr) menu_->DispatchPopup(reinterpret_cast<HMENU>(message.WParam));
      TWinControl::Dispatch(message);
      return;
    case CM_MENUCHANGED:
      if (reinterpret_cast<TMenu*>(message.LParam) == menu_) MenuChanged();
      message.Result = 0;
      return;
    case CM_DIALOGCHAR: {
      message.Result = 0;
      if (!Showing() || !Enabled()) return;
      TToolButton* button = FindAccelerator(static_cast<char>(message.WParam));
      if (button == nullptr) return;
      message.Result = 1;
      TrackMenu(button);
      return;
    }
    default:
      TWinControl::Dispatch(message);
  }
}

TControlActionLinkClass TToolButton::GetActionLinkClass() { return TToolButtonActionLink::StaticClass(); }
