#include "widecontrols/unicodewindows.h"

#include <cstdio>

#include "classlib/actions.h"
#include "classlib/boundary.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/syncedstrings.h"
#include "widecontrols/wideapplication.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widehints.h"
#include "widecontrols/win32wide.h"

bool WideControlsFinalized = false;

namespace {

std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }
std::wstring FromAnsi(const std::string& s) { return StringToWideStringEx(s, DefaultSystemCodePage); }

std::string Hex8(uintptr_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.8X", static_cast<unsigned>(value));
  return text;
}

// The layer's start and end: two atoms equal to the class library's window
// properties, the holder list (owning) and the parked traps (not owning).
struct WideControlsModule {
  WideControlsModule() {
    std::string window = kWindowAtomPrefix + Hex8(GetCurrentProcessId());
    std::string control =
        "ControlOfs" + Hex8(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))) + Hex8(GetCurrentThreadId());
    windowAtom = GlobalAddAtomA(window.c_str());
    controlAtom = GlobalAddAtomA(control.c_str());
    if (windowAtom == 0 || controlAtom == 0) RaiseLastOSError();
    StartWideApplication();
  }
  ~WideControlsModule() {
    try {
      EndWideApplication();
    } catch (...) {
      // Nothing can report it at exit.
    }
    GlobalDeleteAtom(windowAtom);
    GlobalDeleteAtom(controlAtom);
    WideControlsFinalized = true;
  }
  ATOM windowAtom = 0;
  ATOM controlAtom = 0;
  TComponentList holders{true};
  TComponentList pendingTraps{false};
};

// Started on first use, which comes before the first Unicode window: the
// layer's start reads what the platform unit finds at its own start, and
// the order of starts between files is not fixed.
WideControlsModule& Module() {
  static WideControlsModule module;
  return module;
}

TWinControl* wideCreationControl = nullptr;

// Binary search by control address: the index of the holder of control,
// or where it would go.
int FindWideCaptionHolderIndex(TControl* control, bool& found) {
  TComponentList& holders = Module().holders;
  int lo = 0, hi = holders.Count() - 1;
  found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    auto* holder = static_cast<TWideCaptionHolder*>(holders.Items(mid));
    if (holder->Control() == control) {
      found = true;
      return mid;
    }
    if (reinterpret_cast<uintptr_t>(holder->Control()) < reinterpret_cast<uintptr_t>(control)) lo = mid + 1;
    else hi = mid - 1;
  }
  return lo;
}

void AssertWMChar(const TMessage& message) {
  if (message.Msg != WM_CHAR) throw EWideInternalError("Internal Error: not a WM_CHAR message.");
}

LRESULT CALLBACK InitWndProcW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return GuardBoundary<LRESULT>(0, [&]() -> LRESULT {
    TWinControl* control = CreationControl();
    if (control == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
    control->SetWindowHandle(window);
    Module().pendingTraps.Add(FindOrCreateWinControlTrap(control));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->StandardEntry()));
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) && GetWindowLongW(window, GWL_ID) == 0)
      SetWindowLongPtrW(window, GWLP_ID, reinterpret_cast<LONG_PTR>(window));
    SetPropA(window, MAKEINTATOM(Module().controlAtom), control);
    SetPropA(window, MAKEINTATOM(Module().windowAtom), control);
    SetCreationControl(nullptr);
    return CallWindowProcW(control->StandardEntry(), window, msg, wParam, lParam);
  });
}

}  // namespace

void InitializeWideControls() { Module(); }

// --- caption holders -------------------------------------------------------------

TWideCaptionHolder::TWideCaptionHolder(TControl* control) : TComponent(nullptr), control_(control) {
  control->FreeNotification(this);
}

void TWideCaptionHolder::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == control_) {
    control_ = nullptr;
    delete this;  // the holder list forgets it as it goes
  }
}

TWideCaptionHolder* FindWideCaptionHolder(TControl* control, bool create) {
  bool found = false;
  int index = FindWideCaptionHolderIndex(control, found);
  TComponentList& holders = Module().holders;
  if (found) {
    auto* holder = static_cast<TWideCaptionHolder*>(holders.Items(index));
    if (holder->Control() != control) throw EWideInternalError("Internal Error: FindWideCaptionHolderIndex failed.");
    return holder;
  }
  if (!create) return nullptr;
  auto* holder = new TWideCaptionHolder(control);
  holders.Insert(index, holder);
  return holder;
}

std::wstring GetWideCaptionHolderText(TControl* control, const std::wstring& defaultText) {
  TWideCaptionHolder* holder = FindWideCaptionHolder(control, false);
  return holder != nullptr ? holder->WideCaption : defaultText;
}

void SetWideCaptionHolderText(TControl* control, const std::wstring& value) {
  FindWideCaptionHolder(control, true)->WideCaption = value;
  control->SetText(AnsiImage(value));
}

// --- wide text and hint ------------------------------------------------------------------

std::wstring WideControl_GetText(TControl* control) {
  if (!Win32PlatformIsUnicode) return FromAnsi(control->Text());
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed == nullptr) {
    TWideCaptionHolder* holder = FindWideCaptionHolder(control, false);
    if (holder == nullptr) return FromAnsi(control->Text());
    return GetSyncedWideString(holder->WideCaption, control->Text());
  }
  if (!windowed->HandleAllocated()) return GetWideCaptionHolderText(control, FromAnsi(control->Text()));
  HWND window = windowed->Handle();
  if (!IsWindowUnicode(window)) return FromAnsi(control->Text());
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  // The length asked first may be more than the window gives.
  text.resize(got > 0 ? std::min(static_cast<size_t>(got), static_cast<size_t>(length)) : 0);
  return text;
}

void WideControl_SetText(TControl* control, const std::wstring& value) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!Win32PlatformIsUnicode || (windowed != nullptr && windowed->HandleAllocated() &&
                                  !IsWindowUnicode(windowed->Handle()))) {
    control->SetText(AnsiImage(value));
    return;
  }
  if (windowed == nullptr) {
    TWideCaptionHolder* holder = FindWideCaptionHolder(control, true);
    SetSyncedWideString(value, holder->WideCaption, control->Text(),
                        [control](const std::string& s) { control->SetText(s); });
    return;
  }
  if (!windowed->HandleAllocated()) {
    SetWideCaptionHolderText(control, value);
    return;
  }
  if (WideControl_GetText(control) == value) return;
  Wide_SetWindowTextW(windowed->Handle(), value.c_str());
  control->Perform(CM_TEXTCHANGED);
}

std::wstring WideControl_GetHint(TControl* control) {
  if (!Win32PlatformIsUnicode) return FromAnsi(control->Hint());
  TWideCaptionHolder* holder = FindWideCaptionHolder(control, false);
  if (holder == nullptr) return FromAnsi(control->Hint());
  return GetSyncedWideString(holder->WideHint, control->Hint());
}

void WideControl_SetHint(TControl* control, const std::wstring& value) {
  if (!Win32PlatformIsUnicode) {
    control->SetHint(AnsiImage(value));
    return;
  }
  TWideCaptionHolder* holder = FindWideCaptionHolder(control, true);
  SetSyncedWideString(value, holder->WideHint, control->Hint(),
                      [control](const std::string& s) { control->SetHint(s); });
}

bool WideControl_IsHintStored(TControl* control) {
  return control->ActionLink() == nullptr || !control->ActionLink()->IsHintLinked();
}

std::wstring WideGetHint(TControl* control) {
  for (TControl* c = control; c != nullptr; c = c->Parent()) {
    std::wstring hint = WideControl_GetHint(c);
    if (!hint.empty()) return hint;
  }
  return std::wstring();
}

std::wstring WideGetShortHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(0, bar);
}

std::wstring WideGetLongHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(bar + 1);
}

// --- Unicode windows ---------------------------------------------------------------------

TWinControl* WideCreationControl() { return wideCreationControl; }

LRESULT HandleWMNotifyFormat(HWND window) {
  if (!Win32PlatformIsUnicode) return NFR_ANSI;
  if (IsWindowUnicode(window)) return NFR_UNICODE;
  if (wideCreationControl != nullptr && wideCreationControl->HandleAllocated() &&
      wideCreationControl->Handle() == window)
    return NFR_UNICODE;
  return NFR_ANSI;
}

void RegisterUnicodeClass(const TCreateParams& params, std::wstring& wideWinClassName, bool ideWindow) {
  WNDPROC proc = ideWindow ? InitWndProc : InitWndProcW;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  wideWinClassName = FromAnsi(params.WinClassName) + L".UnicodeClass";
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, wideWinClassName.c_str(), &existing)) {
    if (existing.lpfnWndProc == proc) return;
    if (!UnregisterClassW(wideWinClassName.c_str(), instance)) RaiseLastOSError();
  }
  const WNDCLASSA& a = params.WindowClass;
  WNDCLASSW wc{};
  wc.style = a.style;
  wc.lpfnWndProc = proc;
  wc.cbClsExtra = a.cbClsExtra;
  wc.cbWndExtra = a.cbWndExtra;
  wc.hInstance = instance;
  wc.hIcon = a.hIcon;
  wc.hCursor = a.hCursor;
  wc.hbrBackground = a.hbrBackground;
  std::wstring menuName;
  if (IS_INTRESOURCE(a.lpszMenuName)) {
    wc.lpszMenuName = reinterpret_cast<LPCWSTR>(a.lpszMenuName);
  } else {
    menuName = FromAnsi(a.lpszMenuName);
    wc.lpszMenuName = menuName.c_str();
  }
  wc.lpszClassName = wideWinClassName.c_str();
  if (RegisterClassW(&wc) == 0) RaiseLastOSError();
}

void CreateUnicodeHandle(TWinControl* control, const TCreateParams& params, const std::wstring& subClass,
                         bool ideWindow) {
  Module();
  if (!Win32PlatformIsUnicode) {
    control->SetWindowHandle(CreateWindowExA(params.ExStyle, params.WinClassName, params.Caption.c_str(),
                                             params.Style, params.X, params.Y, params.Width, params.Height,
                                             params.WndParent, nullptr, params.WindowClass.hInstance,
                                             params.Param));
    return;
  }
  WNDCLASSW system{};
  if (!subClass.empty() && GetClassInfoW(params.WindowClass.hInstance, subClass.c_str(), &system))
    control->SetDefWndProc(system.lpfnWndProc);
  else
    control->SetDefWndProc(DefWindowProcW);
  std::wstring className;
  RegisterUnicodeClass(params, className, ideWindow);
  struct CreationScope {
    explicit CreationScope(TWinControl* c) { wideCreationControl = c; }
    ~CreationScope() { wideCreationControl = nullptr; }
  } scope(control);
  HWND window = CreateWindowExW(params.ExStyle, className.c_str(), nullptr, params.Style, params.X, params.Y,
                                params.Width, params.Height, params.WndParent, nullptr, GetModuleHandleA(nullptr),
                                params.Param);
  if (window == nullptr) RaiseLastOSError();
  control->SetWindowHandle(window);
  if (ideWindow) SetWindowLongPtrW(window, GWLP_WNDPROC, GetWindowLongPtrA(window, GWLP_WNDPROC));
  SubClassUnicodeControl(control, params.Caption, ideWindow);
}

void SubClassUnicodeControl(TWinControl* control, const std::string& caption, bool ideWindow) {
  if (!IsWindowUnicode(control->Handle()))
    throw EWideInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  TWinControlTrap* trap = FindOrCreateWinControlTrap(control);
  trap->Win32Proc_Subclass(caption);
  trap->SetIDEWindow(ideWindow);
}

TWinControlTrap* FindOrCreateWinControlTrap(TWinControl* control) {
  TComponentList& pending = Module().pendingTraps;
  for (int i = 0; i < pending.Count(); ++i) {
    auto* trap = static_cast<TWinControlTrap*>(pending.Items(i));
    if (trap->Control() == control) {
      pending.Extract(trap);
      return trap;
    }
  }
  return new TWinControlTrap(control);
}

// --- WM_CHAR packing -----------------------------------------------------------------------

void MakeWMCharMsgSafeForAnsi(TMessage& message) {
  AssertWMChar(message);
  if (message.WParamHi() != 0) throw EWideInternalError("Internal Error: WM_CHAR already carries a high word.");
  WORD ch = message.WParamLo();
  if (ch > 255) message.WParam = MAKEWPARAM(255, ch);
}

void RestoreWMCharMsg(TMessage& message) {
  AssertWMChar(message);
  if (message.WParamHi() != 0 && message.WParamLo() == 255) message.SetWParamLo(message.WParamHi());
  message.SetWParamHi(0);
}

wchar_t GetWideCharFromWMCharMsg(const TMessage& message) {
  AssertWMChar(message);
  if (message.WParamLo() == 255 && message.WParamHi() != 0) return static_cast<wchar_t>(message.WParamHi());
  return static_cast<wchar_t>(message.WParamLo());
}

void SetWideCharForWMCharMsg(TMessage& message, wchar_t ch) {
  AssertWMChar(message);
  message.WParam = static_cast<WORD>(ch);
  MakeWMCharMsgSafeForAnsi(message);
}

bool IsTextMessage(UINT msg) { return msg == WM_SETTEXT || msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH; }

// --- the trap -----------------------------------------------------------------------------

TWinControlTrap::TWinControlTrap(TWinControl* control)
    : TComponent(nullptr),
      win32ProcEntry_(MakeObjectInstance(TWndMethod(this, &TWinControlTrap::Win32Proc))),
      defWin32ProcEntry_(MakeObjectInstance(TWndMethod(this, &TWinControlTrap::DefWin32Proc))),
      control_(control) {
  control->FreeNotification(this);
}

TWinControlTrap::~TWinControlTrap() {
  Destroying();
  FreeObjectInstance(win32ProcEntry_);
  FreeObjectInstance(defWin32ProcEntry_);
}

void TWinControlTrap::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || component != control_) return;
  control_ = nullptr;
  if (win32ProcLevel_ == 0) delete this;
  else destroyPending_ = true;
}

void TWinControlTrap::Win32Proc_Subclass(const std::string& caption) {
  handle_ = control_->Handle();
  prevWin32Proc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(handle_, GWLP_WNDPROC));
  prevDefWin32Proc_ = control_->DefWndProc();
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(win32ProcEntry_));
  control_->SetDefWndProc(defWin32ProcEntry_);
  HookWindowProc();
  WideControl_SetText(control_, GetWideCaptionHolderText(control_, FromAnsi(caption)));
}

bool TWinControlTrap::IsWindowProcHooked() {
  if (control_->WindowProc == control_->StandardWindowProc()) return false;
  if (control_->WindowProc == TWndMethod(this, &TWinControlTrap::WindowProc)) return true;
  // Someone else is in front: ask the chain whether it reaches us.
  probing_ = true;
  probeSeen_ = false;
  struct ProbeScope {
    bool& flag;
    ~ProbeScope() { flag = false; }
  } scope{probing_};
  control_->Perform(WM_NULL);
  return probeSeen_;
}

void TWinControlTrap::HookWindowProc() {
  if (IsWindowProcHooked()) return;
  prevWindowProc_ = control_->WindowProc;
  control_->WindowProc = TWndMethod(this, &TWinControlTrap::WindowProc);
}

void TWinControlTrap::Win32Proc(TMessage& message) {
  if (WideControlsFinalized) {
    if (message.Msg == WM_DESTROY && control_ != nullptr) control_->SetWindowHandle(nullptr);
    return;
  }
  HWND window = handle_;
  WNDPROC previous = prevWin32Proc_;
  ++win32ProcLevel_;
  lastWin32Msg_ = message.Msg;
  lastWin32MsgSet_ = true;
  message.Result = CallWindowProcW(previous, window, message.Msg, message.WParam, message.LParam);
  if (--win32ProcLevel_ == 0 && destroyPending_) delete this;
}

void TWinControlTrap::WindowProc(TMessage& message) {
  if (probing_ && message.Msg == WM_NULL) probeSeen_ = true;
  if (!control_->HandleAllocated()) {
    prevWindowProc_(message);
    return;
  }
  bool cameThroughWindow = lastWin32MsgSet_;
  lastWin32MsgSet_ = false;
  if (message.Msg == CM_HINTSHOW) {
    ProcessCMHintShowMsg(message);
  } else if (IsTextMessage(message.Msg) && !cameThroughWindow) {
    // The system converts between the 8-bit text and the Unicode window.
    message.Result = SendMessageA(handle_, message.Msg, message.WParam, message.LParam);
    return;
  } else if (message.Msg == WM_CHAR) {
    MakeWMCharMsgSafeForAnsi(message);
  }
  prevWindowProc_(message);
}

void TWinControlTrap::DefWin32Proc(TMessage& message) {
  switch (message.Msg) {
    case WM_NOTIFYFORMAT:
      message.Result = HandleWMNotifyFormat(reinterpret_cast<HWND>(message.WParam));
      return;
    case WM_CHAR:
      RestoreWMCharMsg(message);
      break;
    case WM_IME_CHAR:
      if (!Win32PlatformIsXP) {
        message.Result = SendMessageW(handle_, WM_CHAR, message.WParam, message.LParam);
        return;
      }
      break;
    default:
      break;
  }
  HWND window = handle_;
  WNDPROC defaultProc = prevDefWin32Proc_;
  if (message.Msg == WM_DESTROY) Win32Proc_Unsubclass();
  message.Result = CallWindowProcW(defaultProc, window, message.Msg, message.WParam, message.LParam);
}

void TWinControlTrap::Win32Proc_Unsubclass() {
  bool controlDying = control_->HasState(csDestroying);
  if (!controlDying) SetWideCaptionHolderText(control_, WideControl_GetText(control_));
  if (control_->WindowProc == TWndMethod(this, &TWinControlTrap::WindowProc)) control_->WindowProc = prevWindowProc_;
  control_->SetDefWndProc(prevDefWin32Proc_);
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWin32Proc_));
  if (ideWindow_) destroyPending_ = true;
  else if (!controlDying) Module().pendingTraps.Add(this);
}
