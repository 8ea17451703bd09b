#include "classlib/forms.h"

#include <algorithm>

#include "classlib/canvas.h"
#include "classlib/menus.h"

TCustomForm* GetParentForm(TControl* control) {
  TCustomForm* form = nullptr;
  for (TControl* c = control; c != nullptr; c = c->Parent())
    if (auto* f = dynamic_cast<TCustomForm*>(c)) form = f;
  return form;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  SetColor(clBtnFace);
  width_ = 320;
  height_ = 240;
  SetComponentState(csLoading, true);
  // The children the constructor adds are laid out once, at its end.
  DisableAlign();
}

TCustomForm::~TCustomForm() {
  BeforeDestruction();
  if (Application != nullptr && Application->MainForm() == this) Application->SetMainForm(nullptr);
  if (HandleAllocated()) DestroyHandle();
}

void TCustomForm::BeforeDestruction() {
  if (destroyEventRun_) return;
  destroyEventRun_ = true;
  Destroying();
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::AfterConstruction() {
  Loaded();
  if (constructionAlignHeld_) {
    constructionAlignHeld_ = false;
    EnableAlign();
  }
  if (OnCreate) OnCreate(this);
}

void TCustomForm::WindowStyles(DWORD& style, DWORD& exStyle) const {
  style = WS_CLIPCHILDREN;
  exStyle = 0;
  switch (borderStyle_) {
    case bsNone:
      style |= WS_POPUP;
      break;
    case bsSingle:
      style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case bsSizeable:
      style |= WS_OVERLAPPEDWINDOW;
      break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
      style |= WS_CAPTION | WS_SYSMENU;
      exStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      exStyle |= WS_EX_TOOLWINDOW;
      break;
  }
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  DWORD exStyle = 0;
  WindowStyles(params.Style, exStyle);
  params.ExStyle |= exStyle;
  params.WndParent = ParentWindow() != nullptr ? ParentWindow() : (Application ? Application->Handle() : nullptr);
  params.WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (menu_ != nullptr) {
    ::SetMenu(Handle(), menu_->Handle());
    menu_->SetWindow(Handle());
  }
}

void TCustomForm::DestroyWindowHandle() {
  // The menu outlives the window: a window destroys the menu bar it holds.
  if (HandleAllocated() && menu_ != nullptr) {
    ::SetMenu(Handle(), nullptr);
    menu_->SetWindow(nullptr);
  }
  TWinControl::DestroyWindowHandle();
}

TRect TCustomForm::ClientRect() {
  if (HandleAllocated()) return TWinControl::ClientRect();
  DWORD style = 0, exStyle = 0;
  WindowStyles(style, exStyle);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, menu_ != nullptr, exStyle);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  return Rect(0, 0, std::max(0, width_ - frameWidth), std::max(0, height_ - frameHeight));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

TWindowState TCustomForm::WindowState() {
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return windowState_;
  if (IsIconic(Handle())) return wsMinimized;
  if (IsZoomed(Handle())) return wsMaximized;
  return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState value) {
  windowState_ = value;
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  static const int kCommands[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
  ShowWindow(Handle(), kCommands[value]);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = Application != nullptr && Application->MainForm() == this ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (action == caMinimize) {
    if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
    return;
  }
  Hide();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::PlaceOnShow() {
  if (position_ == poDesigned) return;
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  if (position_ == poMainFormCenter && main != nullptr && main != this && main->HandleAllocated() &&
      IsWindowVisible(main->Handle()) && !IsIconic(main->Handle()))
    GetWindowRect(main->Handle(), &around);
  int x = around.left + (around.right - around.left - width_) / 2;
  int y = around.top + (around.bottom - around.top - height_) / 2;
  // Never with the caption off the top or left of the screen.
  x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width_));
  y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height_));
  SetBounds(x, y, width_, height_);
}

void TCustomForm::ShowWindowNow() {
  if (constructionAlignHeld_) {
    constructionAlignHeld_ = false;
    EnableAlign();
  }
  HandleNeeded();
  DoShow();
  PlaceOnShow();
  static const int kCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
  ShowWindow(Handle(), kCommands[windowState_]);
}

void TCustomForm::HideWindowNow() {
  if (HandleAllocated()) {
    windowState_ = WindowState();
    ShowWindow(Handle(), SW_HIDE);
  }
  DoHide();
}

void TCustomForm::FocusFirstControl() {
  TWinControl* target = activeControl_;
  if (target == nullptr || !target->CanFocus()) target = FindNextControl(nullptr, true, true);
  if (target != nullptr) target->SetFocus();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  if (control != nullptr && HandleAllocated() && GetActiveWindow() == Handle() && control->CanFocus())
    control->SetFocus();
}

namespace {
bool Holds(const TControl* outer, const TControl* inner) {
  for (const TControl* c = inner; c != nullptr; c = c->Parent())
    if (c == outer) return true;
  return false;
}
}  // namespace

void TCustomForm::SetFocusedControl(TWinControl* control) {
  activeControl_ = control;
  if (control == focusedControl_) return;
  TWinControl* left = focusedControl_;
  focusedControl_ = control;
  for (TWinControl* c = left; c != nullptr && c != this && !Holds(c, control); c = c->Parent()) {
    if (c->OnExit) c->OnExit(c);
    if (focusedControl_ != control) return;
  }
  std::vector<TWinControl*> entered;
  for (TWinControl* c = control; c != nullptr && c != this && !Holds(c, left); c = c->Parent()) entered.push_back(c);
  for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
    if ((*it)->OnEnter) (*it)->OnEnter(*it);
    if (focusedControl_ != control) return;
  }
}

void TCustomForm::ForgetControl(TWinControl* control) {
  if (Holds(control, focusedControl_)) focusedControl_ = nullptr;
  if (Holds(control, activeControl_)) activeControl_ = nullptr;
}

std::vector<TMenu*> TCustomForm::FormMenus() const {
  std::vector<TMenu*> menus;
  if (menu_ != nullptr) menus.push_back(menu_);
  if (shortCutMenu_ != nullptr && shortCutMenu_ != menu_) menus.push_back(shortCutMenu_);
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* menu = dynamic_cast<TMenu*>(Components(i)); menu != nullptr && menu != menu_ && menu != shortCutMenu_)
      menus.push_back(menu);
  return menus;
}

bool TCustomForm::IsShortCut(WORD key, TShiftState shift) {
  if (menu_ != nullptr || shortCutMenu_ != nullptr) {
    if (menu_ != nullptr && menu_->IsShortCut(key, shift)) return true;
    return shortCutMenu_ != nullptr && shortCutMenu_ != menu_ && shortCutMenu_->IsShortCut(key, shift);
  }
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* menu = dynamic_cast<TMainMenu*>(Components(i)); menu != nullptr && menu->IsShortCut(key, shift))
      return true;
  return false;
}

namespace {
// Each visible control inside parent, depth first, until visit answers true.
template <class F>
bool ForEachVisibleControl(const TWinControl* parent, F&& visit) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* control = parent->Controls(i);
    if (!control->Visible()) continue;
    if (visit(control)) return true;
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed != nullptr && ForEachVisibleControl(windowed, visit))
      return true;
  }
  return false;
}

void InitiateMenuActions(TMenuItem* item) {
  for (int i = 0; i < item->Count(); ++i) {
    item->Items(i)->InitiateAction();
    InitiateMenuActions(item->Items(i));
  }
}
}  // namespace

void TCustomForm::UpdateActions() {
  ForEachVisibleControl(this, [](TControl* control) {
    control->InitiateAction();
    return false;
  });
  if (menu_ != nullptr) InitiateMenuActions(menu_->Items());
}

bool TCustomForm::DispatchActionExecute(TBasicAction* action) {
  if (activeControl_ != nullptr && activeControl_->ExecuteAction(action)) return true;
  if (ExecuteAction(action)) return true;
  return ForEachVisibleControl(this, [action](TControl* control) { return control->ExecuteAction(action); });
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_ != nullptr) {
    menu_->SetWindow(nullptr);
    menu_->RemoveFreeNotification(this);
  }
  menu_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
  if (!HandleAllocated()) return;
  ::SetMenu(Handle(), menu != nullptr ? menu->Handle() : nullptr);
  if (menu != nullptr) menu->SetWindow(Handle());
}

void TCustomForm::SetShortCutMenu(TMenu* menu) {
  if (shortCutMenu_ != nullptr && shortCutMenu_ != menu_) shortCutMenu_->RemoveFreeNotification(this);
  shortCutMenu_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == menu_) {
    if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
    menu_ = nullptr;
  }
  if (component == shortCutMenu_) shortCutMenu_ = nullptr;
}

bool TCustomForm::HandleDialogKey(TMessage& message) {
  if (CharCodeOf(message) != VK_TAB || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0) return false;
  if (TWinControl* next = FindNextControl(activeControl_, GetKeyState(VK_SHIFT) >= 0, true)) {
    activeControl_ = next;
    next->SetFocus();
  }
  return true;
}

void TCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_VISIBLECHANGED:
      if (Visible()) ShowWindowNow();
      else HideWindowNow();
      return;
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case CM_DIALOGKEY:
      if (HandleDialogKey(message)) {
        message.Result = 1;
        return;
      }
      TWinControl::Dispatch(message);
      return;
    case WM_SETFOCUS:
      DefaultHandler(message);
      FocusFirstControl();
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        TWinControl* focused = FindOwningControl(GetFocus());
        if (focused != nullptr && focused != this && GetParentForm(focused) == this) activeControl_ = focused;
      }
      DefaultHandler(message);
      return;
    case WM_COMMAND:
      // A menu command (an accelerator's has 1 as its code); controls'
      // notifications carry their window.
      if (message.LParam == 0 && HIWORD(message.WParam) <= 1) {
        for (TMenu* menu : FormMenus())
          if (menu->DispatchCommand(LOWORD(message.WParam))) return;
      }
      TWinControl::Dispatch(message);
      return;
    case WM_INITMENUPOPUP:
      for (TMenu* menu : FormMenus())
        if (menu->DispatchPopup(reinterpret_cast<HMENU>(message.WParam))) break;
      DefaultHandler(message);
      return;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      for (TMenu* menu : FormMenus())
        if (menu->DispatchOwnerDraw(message)) return;
      TWinControl::Dispatch(message);
      return;
    case CM_ACTIONEXECUTE:
      message.Result = DispatchActionExecute(reinterpret_cast<TBasicAction*>(message.LParam)) ? 1 : 0;
      return;
    case WM_SYSCOMMAND:
      // The main form's minimise button minimises the program (its window
      // carries the taskbar button).
      if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application != nullptr && Application->MainForm() == this) {
        Application->Minimize();
        message.Result = 0;
        return;
      }
      // Alt with a letter: a control showing a menu may take it.
      if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam > ' ' &&
          Perform(CM_DIALOGCHAR, static_cast<WPARAM>(message.LParam)) != 0) {
        message.Result = 0;
        return;
      }
      DefaultHandler(message);
      return;
    case WM_GETMINMAXINFO: {
      DefaultHandler(message);
      auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
      const TSizeConstraints* c = Constraints();
      if (c->MinWidth() > 0) info->ptMinTrackSize.x = c->MinWidth();
      if (c->MinHeight() > 0) info->ptMinTrackSize.y = c->MinHeight();
      if (c->MaxWidth() > 0) info->ptMaxTrackSize.x = c->MaxWidth();
      if (c->MaxHeight() > 0) info->ptMaxTrackSize.y = c->MaxHeight();
      return;
    }
    default:
      TWinControl::Dispatch(message);
  }
}
