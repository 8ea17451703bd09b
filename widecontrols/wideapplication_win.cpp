#include "widecontrols/wideapplication.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <typeinfo>

#include "classlib/actions.h"
#include "classlib/application.h"
#include "classlib/boundary.h"
#include "classlib/exceptions.h"
#include "classlib/forms.h"
#include "classlib/menus.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/paramstr.h"
#include "widecontrols/platform.h"
#include "widecontrols/syncedstrings.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widemenus.h"

TWideApplication* WideApplication = nullptr;

namespace {

HHOOK messageHook = nullptr;
TWidePopupList* widePopupList = nullptr;

std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  GuardBoundary([&] {
    if (code < 0 || wParam != PM_REMOVE || WideApplication == nullptr) return;
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (WideApplication->ProcessMessage(*msg)) msg->message = WM_NULL;
  });
  return CallNextHookEx(messageHook, code, wParam, lParam);
}

// A web-server worker or COM surrogate may unload us after the thread is gone.
bool IsRunningInIISOrDllHost() {
  std::wstring name = WideParamStr(0);
  size_t slash = name.find_last_of(L"\\/:");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
  return name.rfind(L"W3WP.", 0) == 0 || name.rfind(L"DLLHOST.", 0) == 0;
}

HWND ApplicationWindow() { return Application != nullptr ? Application->Handle() : nullptr; }

}  // namespace

// --- the idle control --------------------------------------------------------------------

TWideAppIdleEventControl::TWideAppIdleEventControl(TComponent* owner) : TControl(owner) {
  // The form's own font stays the one its other controls inherit.
  SetParentFont(false);
  if (auto* form = dynamic_cast<TWinControl*>(owner)) SetParent(form);
  SetBounds(0, 0, 0, 0);
  SetVisible(true);
  auto* action = new TWideAction(this);
  action->OnUpdate = [](TObject* sender) {
    if (WideApplication != nullptr) WideApplication->DoIdle(sender);
  };
  SetAction(action);
}

TWideAppIdleEventControl::~TWideAppIdleEventControl() {
  Destroying();
  if (WideApplication != nullptr && WideApplication->idleEventControl_ == this)
    WideApplication->idleEventControl_ = nullptr;
}

// --- the wide application ------------------------------------------------------------------

TWideApplication::TWideApplication(TComponent* owner) : TComponent(owner) {
  if (Application != nullptr) Application->HookMainWindow(TMainWindowHook(this, &TWideApplication::WndProcHook));
}

TWideApplication::~TWideApplication() {
  Destroying();
  if (Application != nullptr) Application->UnhookMainWindow(TMainWindowHook(this, &TWideApplication::WndProcHook));
  delete idleEventControl_;
}

bool TWideApplication::ProcessMessage(MSG& msg) {
  if (!idleControlCreated_ && Application != nullptr && Application->MainForm() != nullptr) {
    idleControlCreated_ = true;
    idleEventControl_ = new TWideAppIdleEventControl(Application->MainForm());
  }
  if (msg.message != WM_CHAR || msg.wParam < 256 || !IsWindowUnicode(msg.hwnd)) return false;
  if (Application == nullptr) return false;
  HWND dialog = Application->DialogHandle();
  // An 8-bit dialog owns the keys of its own windows: leave the message to
  // the class library, which asks the dialog itself.
  if (dialog != nullptr && !IsWindowUnicode(dialog) && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)))
    return false;
  bool handled = false;
  if (Application->OnMessage) Application->OnMessage(msg, handled);
  Application->CancelHint();
  if (handled) return true;
  // The one IsDialogMessage call for this message, in the message's own
  // (Unicode) form: the 8-bit call would cut the character to a byte.
  if (dialog != nullptr && IsDialogMessageW(dialog, &msg)) return true;
  DispatchMessageW(&msg);
  return true;
}

std::wstring TWideApplication::Title() {
  HWND window = ApplicationWindow();
  if (Win32PlatformIsUnicode && window != nullptr) {
    LRESULT length = DefWindowProcW(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = DefWindowProcW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
  }
  return GetSyncedWideString(title_, Application != nullptr ? Application->Title() : std::string());
}

void TWideApplication::SetAnsiTitle(const std::string& value) {
  if (Application != nullptr) Application->SetTitle(value);
}

void TWideApplication::SetTitle(const std::wstring& value) {
  HWND window = ApplicationWindow();
  if (window == nullptr || !Win32PlatformIsUnicode) {
    SetSyncedWideString(value, title_, Application != nullptr ? Application->Title() : std::string(),
                        [this](const std::string& s) { SetAnsiTitle(s); });
    return;
  }
  if (Title() == value && title_.empty()) return;
  // The class library keeps the 8-bit image (its message boxes' caption);
  // the window holds the wide text.
  SetAnsiTitle(AnsiImage(value));
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  title_.clear();
}

std::wstring TWideApplication::Hint() {
  return GetSyncedWideString(hint_, Application != nullptr ? Application->Hint() : std::string());
}

void TWideApplication::SetHint(const std::wstring& value) {
  if (Application == nullptr) return;
  SetSyncedWideString(value, hint_, Application->Hint(), [](const std::string& s) { Application->SetHint(s); });
}

bool TWideApplication::WndProcHook(TMessage& message) {
  switch (message.Msg) {
    case WM_CREATE:
      if (!title_.empty()) {
        std::wstring pending = title_;
        SetTitle(pending);
        title_.clear();
      }
      return false;
    case CM_ACTIONEXECUTE: {
      auto* action = reinterpret_cast<TBasicAction*>(message.LParam);
      // Exactly the class library's hint action, carrying the image of the
      // wide hint: a wide one goes in its place.
      if (action == nullptr || typeid(*action) != typeid(THintAction)) return false;
      const std::wstring hint = Hint();
      if (static_cast<THintAction*>(action)->Hint() != AnsiImage(hint)) return false;
      TWideHintAction wide(nullptr);
      wide.SetHint(hint);
      wide.Execute();
      message.Result = 1;
      return true;
    }
    default:
      return false;
  }
}

void TWideApplication::DoIdle(TObject*) {
  POINT p{};
  GetCursorPos(&p);
  SetHint(WideGetLongHint(WideGetHint(FindOwningControl(WindowFromPoint(p)))));
}

// --- start and end ---------------------------------------------------------------------------

void InstallGetMessageHook() {
  if (!Win32PlatformIsUnicode) throw EWideInternalError("Internal Error: InstallGetMessageHook is only for NT.");
  messageHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  if (messageHook == nullptr) RaiseLastOSError();
}

void StartWideApplication() {
  WideApplication = new TWideApplication(nullptr);
  if (Win32PlatformIsUnicode) InstallGetMessageHook();
  widePopupList = new TWidePopupList(PopupList);
  PopupList = widePopupList;
}

void EndWideApplication() {
  if (messageHook != nullptr) {
    BOOL ok = UnhookWindowsHookEx(messageHook);
    messageHook = nullptr;
    if (!ok && !IsRunningInIISOrDllHost()) RaiseLastOSError();
  }
  if (widePopupList != nullptr) {
    if (PopupList == widePopupList) PopupList = widePopupList->Original();
    delete widePopupList;
    widePopupList = nullptr;
  }
  delete WideApplication;
  WideApplication = nullptr;
}
