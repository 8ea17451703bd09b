#include "classlib/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "classlib/actions.h"
#include "classlib/application.h"
#include "classlib/boundary.h"
#include "classlib/canvas.h"
#include "classlib/exceptions.h"
#include "classlib/forms.h"
#include "classlib/gdiscopes.h"
#include "classlib/hintwindow.h"
#include "classlib/menus.h"

const char kWindowAtomPrefix[] = "OvalisControl";

namespace {

std::string Hex8(uintptr_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.8X", static_cast<unsigned>(value));
  return text;
}

// The atoms exist from first use to the end of the program.
struct Atoms {
  Atoms() {
    window = GlobalAddAtomA(WindowAtomString().c_str());
    control = GlobalAddAtomA(ControlAtomString().c_str());
  }
  ~Atoms() {
    if (window != 0) GlobalDeleteAtom(window);
    if (control != 0) GlobalDeleteAtom(control);
  }
  ATOM window = 0;
  ATOM control = 0;
};

Atoms& TheAtoms() {
  static Atoms atoms;
  return atoms;
}

TWinControl* creationControl = nullptr;

}  // namespace

std::string WindowAtomString() { return kWindowAtomPrefix + Hex8(GetCurrentProcessId()); }

std::string ControlAtomString() {
  static const std::string text = "ControlOfs" + Hex8(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))) +
                                  Hex8(GetCurrentThreadId());
  return text;
}

ATOM WindowAtom() { return TheAtoms().window; }
ATOM ControlAtom() { return TheAtoms().control; }

TWinControl* FindControl(HWND window) {
  if (window == nullptr) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, MAKEINTATOM(ControlAtom())));
}

TWinControl* FindOwningControl(HWND window) {
  // Only up through child windows: the owner of a top-level window (a
  // message box's, a dialog's) is not where its keys belong.
  for (HWND w = window; w != nullptr; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (TWinControl* control = FindControl(w)) return control;
  return nullptr;
}

TWinControl* CreationControl() { return creationControl; }
void SetCreationControl(TWinControl* control) { creationControl = control; }

LRESULT CALLBACK InitWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return GuardBoundary<LRESULT>(0, [&]() -> LRESULT {
    TWinControl* control = creationControl;
    if (control == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
    control->SetWindowHandle(window);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->StandardEntry()));
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && GetWindowLongA(window, GWL_ID) == 0)
      SetWindowLongPtrA(window, GWLP_ID, reinterpret_cast<LONG_PTR>(window));
    SetPropA(window, MAKEINTATOM(ControlAtom()), control);
    SetPropA(window, MAKEINTATOM(WindowAtom()), control);
    creationControl = nullptr;
    return CallWindowProcA(control->StandardEntry(), window, msg, wParam, lParam);
  });
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (keyData & 0x20000000) s |= ssAlt;
  return s;
}

TShiftState KeysToShiftState(UINT keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

// --- TControl --------------------------------------------------------------------

TControl::TControl(TComponent* owner)
    : TComponent(owner), font_(new TFont), color_(clWindow), constraints_(new TSizeConstraints) {
  WindowProc = StandardWindowProc();
  font_->OnChange = [this](TObject* sender) { FontChangeHandler(sender); };
  constraints_->OnChange = [this](TObject* sender) { ConstraintsChanged(sender); };
}

TControl::~TControl() {
  Destroying();
  delete actionLink_;
  actionLink_ = nullptr;
  if (parent_ != nullptr) parent_->RemoveControl(this);
  delete font_;
  delete constraints_;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_ != nullptr) {
    TWinControl* old = parent_;
    old->RemoveControl(this);
    if (align_ != alNone && visible_) old->Realign();
  }
  if (parent != nullptr) {
    parent->InsertControl(this);
    if (parentFont_) {
      font_->Assign(parent->Font());
      parentFont_ = true;  // taking the parent's font is no change of our own
    }
    UpdateAnchorRules();
    RequestAlign();
  }
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WindowProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg == WM_MOUSEMOVE && Application != nullptr) Application->HintMouseMessage(this, message);
  const TWMMouse mouse(message);
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(KeysToShiftState(mouse.Keys), mouse.X, mouse.Y);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(mbLeft, KeysToShiftState(mouse.Keys), mouse.X, mouse.Y);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, KeysToShiftState(mouse.Keys), mouse.X, mouse.Y);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, KeysToShiftState(mouse.Keys), mouse.X, mouse.Y);
      break;
    default:
      break;
  }
  Dispatch(message);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

// A control run by an action with a shortcut names the shortcut in its
// hint, so the user learns the key from the mouse.
void TControl::AddShortCutToHint(THintInfo& info) {
  if (Application == nullptr || !Application->HintShortCuts() || info.HintStr.empty()) return;
  auto* action = dynamic_cast<TCustomAction*>(Action());
  if (action == nullptr || action->ShortCut() == scNone) return;
  info.HintStr += " (" + ShortCutToText(action->ShortCut()) + ")";
}

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_HINTSHOW:
      AddShortCutToHint(*reinterpret_cast<THintInfo*>(message.LParam));
      message.Result = 0;
      return;
    default:
      DefaultHandler(message);
  }
}

void TControl::DefaultHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXTLENGTH:
      message.Result = static_cast<LRESULT>(text_.size());
      return;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(message.LParam);
      size_t room = message.WParam;
      if (buffer == nullptr || room == 0) {
        message.Result = 0;
        return;
      }
      size_t n = std::min(room - 1, text_.size());
      std::memcpy(buffer, text_.data(), n);
      buffer[n] = '\0';
      message.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const char*>(message.LParam);
      text_ = text != nullptr ? text : "";
      message.Result = 1;
      return;
    }
    default:
      message.Result = 0;
  }
}

std::string TControl::Text() {
  LRESULT length = Perform(WM_GETTEXTLENGTH);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = Perform(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  // Only what was copied counts: a length may be an upper bound.
  text.resize(got > 0 ? std::min(static_cast<size_t>(got), text.size() - 1) : 0);
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void TControl::SetText(const std::string& text) {
  if (Text() == text) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  parentShowHint_ = value;
  if (value && parent_ != nullptr) showHint_ = parent_->ShowHint();
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  if (align_ != alNone) RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::StoreBounds(int left, int top, int width, int height) {
  width = constraints_->ConstrainWidth(width);
  height = constraints_->ConstrainHeight(height);
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  return resized;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  Invalidate();
  StoreBounds(left, top, width, height);
  Invalidate();
  UpdateAnchorRules();
  RequestAlign();
}

TRect TControl::ClientRect() { return Rect(0, 0, width_, height_); }

POINT TControl::ClientToScreen(POINT p) {
  POINT origin{left_, top_};
  if (parent_ != nullptr) origin = parent_->ClientToScreen(origin);
  return POINT{p.x + origin.x, p.y + origin.y};
}

POINT TControl::ScreenToClient(POINT p) {
  POINT origin = ClientToScreen(POINT{0, 0});
  return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::Invalidate() {
  if (parent_ != nullptr && parent_->HandleAllocated()) {
    RECT r{left_, top_, left_ + width_, top_ + height_};
    InvalidateRect(parent_->Handle(), &r, TRUE);
  }
}

void TControl::SetParentFont(bool value) {
  parentFont_ = value;
  if (value && parent_ != nullptr) font_->Assign(parent_->Font());
  parentFont_ = value;
}

void TControl::SetColor(TColor color) {
  if (color == color_ && !parentColor_) return;
  color_ = color;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
  Invalidate();
}

TColor TControl::Color() const {
  return parentColor_ && parent_ != nullptr ? static_cast<const TControl*>(parent_)->Color() : color_;
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  Perform(CM_COLORCHANGED);
  Invalidate();
}

TBiDiMode TControl::BiDiMode() const {
  return parentBiDiMode_ && parent_ != nullptr ? parent_->BiDiMode() : bidiMode_;
}

void TControl::SetBiDiMode(TBiDiMode value) {
  TBiDiMode old = BiDiMode();
  bidiMode_ = value;
  parentBiDiMode_ = false;
  if (value != old) Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool value) {
  TBiDiMode old = BiDiMode();
  parentBiDiMode_ = value;
  if (BiDiMode() != old) Perform(CM_BIDIMODECHANGED);
}

void TControl::FontChangeHandler(TObject*) {
  parentFont_ = false;
  FontChanged();
}

void TControl::FontChanged() { Perform(CM_FONTCHANGED); }

TBasicAction* TControl::Action() const { return actionLink_ != nullptr ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* action) { SetClientAction(this, actionLink_, action); }

TControlActionLinkClass TControl::GetActionLinkClass() { return TControlActionLink::StaticClass(); }

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr) return;
  std::string caption = Caption();
  if (!checkDefaults || caption.empty() || caption == Name()) SetCaption(action->Caption());
  if (!checkDefaults || enabled_) SetEnabled(action->Enabled());
  if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
  if (!checkDefaults || visible_) SetVisible(action->Visible());
}

void TControl::InitiateAction() {
  if (actionLink_ != nullptr) actionLink_->Update();
}

void TControl::AssignTo(TPersistent* dest) {
  auto* action = dynamic_cast<TCustomAction*>(dest);
  if (action == nullptr) return TComponent::AssignTo(dest);
  action->SetEnabled(enabled_);
  action->SetHint(hint_);
  action->SetCaption(Caption());
  action->SetVisible(visible_);
}

void TControl::Click() {
  if (OnClick) {
    OnClick(this);
    return;
  }
  if (actionLink_ != nullptr) actionLink_->Execute();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  popupMenu_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == popupMenu_) popupMenu_ = nullptr;
  if (actionLink_ != nullptr && component == actionLink_->Action()) {
    delete actionLink_;
    actionLink_ = nullptr;
  }
}

void TControl::SetControlState(uint32_t flags, bool on) {
  if (on) controlState_ |= flags;
  else controlState_ &= ~flags;
}

// --- TWinControl -----------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  objectInstance_ = MakeObjectInstance(TWndMethod(this, &TWinControl::MainWndProc));
}

TWinControl::~TWinControl() {
  Destroying();
  if (handle_ != nullptr) DestroyHandle();
  while (!controls_.empty()) delete controls_.back();
  FreeObjectInstance(objectInstance_);
  delete brush_;
}

HWND TWinControl::Handle() {
  if (handle_ == nullptr) CreateHandle();
  return handle_;
}

void TWinControl::SetParentWindow(HWND window) {
  if (window == parentWindow_) return;
  parentWindow_ = window;
  if (handle_ != nullptr && Parent() == nullptr) RecreateWnd();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed == nullptr) return;
  tabList_.push_back(windowed);
  if (handle_ != nullptr) windowed->CreateHandle();
}

void TWinControl::RemoveControl(TControl* control) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed != nullptr) {
    if (TCustomForm* form = GetParentForm(this)) form->ForgetControl(windowed);
    if (windowed->handle_ != nullptr && !windowed->HasState(csDestroying)) windowed->DestroyHandle();
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = text_;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) params.Style |= WS_VISIBLE;
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  if (IsRightToLeft()) {
    params.ExStyle |= WS_EX_RTLREADING;
    // Children inherit the mirrored layout from the window that has it.
    if (Parent() == nullptr) params.ExStyle |= WS_EX_LAYOUTRTL;
  }
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = Parent() != nullptr ? Parent()->Handle() : parentWindow_;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = DefWindowProcA;
  params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  params.WindowClass.hInstance = GetModuleHandleA(nullptr);
  lstrcpynA(params.WinClassName, ClassName(), sizeof params.WinClassName);
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* className) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, className, &wc) && !GetClassInfoA(nullptr, className, &wc)) RaiseLastOSError();
  params.WindowClass = wc;
  params.WindowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  params.WindowClass.hInstance = instance;
  params.WindowClass.lpszClassName = nullptr;
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  handle_ = CreateWindowExA(params.ExStyle, params.WinClassName, params.Caption.c_str(), params.Style,
                            params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                            params.WindowClass.hInstance, params.Param);
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && params.WndParent == nullptr)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  defWndProc_ = params.WindowClass.lpfnWndProc;
  params.WindowClass.lpfnWndProc = InitWndProc;
  params.WindowClass.lpszClassName = params.WinClassName;
  WNDCLASSA existing{};
  bool registered = GetClassInfoA(params.WindowClass.hInstance, params.WinClassName, &existing) != 0;
  if (!registered || existing.lpfnWndProc != InitWndProc) {
    if (registered) UnregisterClassA(params.WinClassName, params.WindowClass.hInstance);
    if (RegisterClassA(&params.WindowClass) == 0) RaiseLastOSError();
  }
  (void)ControlAtom();  // the atoms exist before the first window needs them
  creationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    creationControl = nullptr;
    throw;
  }
  creationControl = nullptr;
  if (handle_ == nullptr) RaiseLastOSError();
  if (GetWindowLongPtrA(handle_, GWLP_WNDPROC) == 0) RaiseLastOSError();
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
}

void TWinControl::CreateHandle() {
  // A child asking for its window first makes its parents' windows, and a
  // parent makes its children's: the control whose window is under way must
  // not get a second one from that.
  if (handle_ != nullptr || (ControlState() & csCreatingHandle) != 0) return;
  SetControlState(csCreatingHandle, true);
  try {
    CreateWnd();
  } catch (...) {
    SetControlState(csCreatingHandle, false);
    throw;
  }
  SetControlState(csCreatingHandle, false);
  for (TControl* child : std::vector<TControl*>(controls_))
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->CreateHandle();
}

void TWinControl::DestroyHandle() {
  if (handle_ == nullptr) return;
  for (TControl* child : std::vector<TControl*>(controls_))
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->DestroyHandle();
  if (HasState(csDestroying)) DestroyWindowHandle();
  else DestroyWnd();
}

void TWinControl::DestroyWnd() {
  text_ = Text();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  if (handle_ == nullptr) return;
  SetControlState(csDestroyingHandle, true);
  BOOL ok = DestroyWindow(handle_);
  SetControlState(csDestroyingHandle, false);
  handle_ = nullptr;
  if (!ok) RaiseLastOSError();
}

void TWinControl::RecreateWnd() {
  if (handle_ == nullptr) return;
  SetControlState(csRecreating, true);
  try {
    DestroyHandle();
    CreateHandle();
  } catch (...) {
    SetControlState(csRecreating, false);
    throw;
  }
  SetControlState(csRecreating, false);
}

void TWinControl::MainWndProc(TMessage& message) { WindowProc(message); }

TControlActionLinkClass TWinControl::GetActionLinkClass() { return TWinControlActionLink::StaticClass(); }

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS:
      // The form fires the enter and exit events as its focused control
      // changes; losing the focus to another program or form fires none.
      NoteFocusInside();
      break;
    default:
      break;
  }
  TControl::WndProc(message);
}

void TWinControl::NoteFocusInside() {
  if (TCustomForm* form = GetParentForm(this); form != nullptr && form != this) form->SetFocusedControl(this);
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CHAR:
      if (!DoKeyPress(message)) DefaultHandler(message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(message)) DefaultHandler(message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(message)) DefaultHandler(message);
      return;
    case WM_COMMAND:
      if (DoControlMsg(reinterpret_cast<HWND>(message.LParam), message)) return;
      // An edit window of the control's own (a list's or a tree's label
      // editor) took the focus.
      if (HIWORD(message.WParam) == EN_SETFOCUS && message.LParam != 0) NoteFocusInside();
      DefaultHandler(message);
      return;
    case WM_NOTIFY: {
      TWMNotify notify(message);
      if (notify.NMHdr == nullptr || !DoControlMsg(notify.NMHdr->hwndFrom, message)) DefaultHandler(message);
      return;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (item == nullptr || item->CtlType == ODT_MENU || !DoControlMsg(item->hwndItem, message))
        DefaultHandler(message);
      return;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (item == nullptr || item->CtlType == ODT_MENU || handle_ == nullptr ||
          !DoControlMsg(GetDlgItem(handle_, static_cast<int>(item->CtlID)), message))
        DefaultHandler(message);
      return;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      if (!DoControlMsg(reinterpret_cast<HWND>(message.LParam), message)) DefaultHandler(message);
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      if (brush_ == nullptr) brush_ = new TBrush;
      brush_->SetColor(Color());
      message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
      return;
    }
    case WM_NCDESTROY:
      DefaultHandler(message);
      if (handle_ != nullptr) {
        RemovePropA(handle_, MAKEINTATOM(ControlAtom()));
        RemovePropA(handle_, MAKEINTATOM(WindowAtom()));
      }
      handle_ = nullptr;
      return;
    case CM_VISIBLECHANGED:
      UpdateShowing();
      return;
    case CM_ENABLEDCHANGED:
      if (handle_ != nullptr) EnableWindow(handle_, Enabled());
      return;
    case WM_WINDOWPOSCHANGED:
      UpdateBoundsFromWindow();
      DefaultHandler(message);
      return;
    case WM_SIZE:
      // The client area changed (the window's size, a menu bar, a frame):
      // the children share the new one. A minimised window keeps them.
      DefaultHandler(message);
      if (message.WParam != SIZE_MINIMIZED) Realign();
      return;
    case WM_SETCURSOR:
      if (!HandleSetCursor(message)) DefaultHandler(message);
      return;
    case WM_CONTEXTMENU:
      if (!ShowContextPopup(message)) DefaultHandler(message);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      message.Result = HandleKeyBeforeDispatch(message) ? 1 : 0;
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      message.Result = Broadcast(message);
      return;
    case CM_COLORCHANGED:
      for (TControl* child : controls_)
        if (child->ParentColor()) child->Perform(CM_COLORCHANGED);
      Invalidate();
      return;
    case CM_BIDIMODECHANGED:
      // The direction is part of the window's style (and inherited by the
      // children's windows), so the windows are made again.
      RecreateWnd();
      return;
    default:
      TControl::Dispatch(message);
  }
}

void TWinControl::UpdateBoundsFromWindow() {
  if (handle_ == nullptr || IsIconic(handle_)) return;
  RECT r{};
  GetWindowRect(handle_, &r);
  HWND parent = GetParent(handle_);
  if (parent != nullptr && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    // A mirrored parent gives the corners swapped.
    if (r.left > r.right) std::swap(r.left, r.right);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

bool TWinControl::ShowContextPopup(const TMessage& message) {
  TPopupMenu* menu = PopupMenu();
  if (menu == nullptr || !menu->AutoPopup()) return false;
  POINT at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  // From the keyboard (Shift+F10, the menu key) the point is -1, -1.
  if (message.LParam == -1) at = ClientToScreen(POINT{0, 0});
  menu->SetPopupComponent(this);
  menu->Popup(at.x, at.y);
  return true;
}

bool TWinControl::HandleSetCursor(TMessage& message) {
  if (LOWORD(message.LParam) != HTCLIENT) return false;
  // The program's busy cursor shows over every client area, the control's
  // own only over its window.
  TCursor cursor = Screen != nullptr ? Screen->Cursor() : crDefault;
  if (cursor == crDefault && reinterpret_cast<HWND>(message.WParam) == handle_) cursor = Cursor();
  if (cursor == crDefault) return false;
  ::SetCursor(TScreen::CursorHandle(cursor));
  message.Result = 1;
  return true;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (handle_ == nullptr) {
    TControl::DefaultHandler(message);
    return;
  }
  if (message.Msg >= CM_BASE && message.Msg < 0xC000) {
    // Messages of the class library itself mean nothing to a window.
    message.Result = 0;
    return;
  }
  message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

bool TWinControl::DoControlMsg(HWND window, TMessage& message) {
  TWinControl* control = FindControl(window);
  if (control == nullptr || control == this) return false;
  message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  return true;
}

// A form with KeyPreview sees its controls' keys first; what it uses up
// (sets to 0) the control never gets.
static TCustomForm* PreviewingForm(TWinControl* control) {
  TCustomForm* form = GetParentForm(control);
  return form != nullptr && form != control && form->KeyPreview() ? form : nullptr;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  if (TCustomForm* form = PreviewingForm(this); form != nullptr && form->DoKeyPress(message)) return true;
  char key = static_cast<char>(CharCodeOf(message));
  KeyPress(key);
  SetCharCode(message, static_cast<unsigned char>(key));
  return key == 0;
}

bool TWinControl::DoKeyDown(TMessage& message) {
  if (TCustomForm* form = PreviewingForm(this); form != nullptr && form->DoKeyDown(message)) return true;
  WORD key = CharCodeOf(message);
  KeyDown(key, KeyDataToShiftState(message.LParam));
  SetCharCode(message, key);
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  if (TCustomForm* form = PreviewingForm(this); form != nullptr && form->DoKeyUp(message)) return true;
  WORD key = CharCodeOf(message);
  KeyUp(key, KeyDataToShiftState(message.LParam));
  SetCharCode(message, key);
  return key == 0;
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (handle_ != nullptr) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  for (TControl* child : controls_)
    if (child->ParentFont()) {
      child->Font()->Assign(Font());
      child->parentFont_ = true;
    }
}

bool TWinControl::Focused() const { return handle_ != nullptr && GetFocus() == handle_; }

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::UpdateWindow() {
  if (handle_ != nullptr) ::UpdateWindow(handle_);
}

void TWinControl::Invalidate() {
  if (handle_ != nullptr) InvalidateRect(handle_, nullptr, TRUE);
}

bool TWinControl::Showing() const { return handle_ != nullptr && IsWindowVisible(handle_); }

void TWinControl::SetVisible(bool value) { TControl::SetVisible(value); }

void TWinControl::UpdateShowing() {
  if (handle_ == nullptr) return;
  ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool value) { TControl::SetEnabled(value); }

void TWinControl::SetBounds(int left, int top, int width, int height) {
  bool resized = StoreBounds(left, top, width, height);
  // A window lays out its children when its client area changes (WM_SIZE).
  if (handle_ != nullptr) SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  else if (resized) Realign();
  UpdateAnchorRules();
  RequestAlign();
}

TRect TWinControl::ClientRect() {
  if (handle_ == nullptr) return TControl::ClientRect();
  RECT r{};
  GetClientRect(handle_, &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

// --- TCustomControl --------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(new TControlCanvas(this)) {}

TCustomControl::~TCustomControl() {
  Destroying();
  if (HandleAllocated()) DestroyWindowHandle();
  delete canvas_;
}

void TCustomControl::Dispatch(TMessage& message) {
  if (message.Msg != WM_PAINT) return TWinControl::Dispatch(message);
  static_cast<TControlCanvas*>(canvas_)->FreeHandle();
  PaintScope paint(Handle());
  CanvasHandleScope scope(canvas_, paint.dc());
  canvas_->Font()->Assign(Font());
  Paint();
  message.Result = 0;
}
