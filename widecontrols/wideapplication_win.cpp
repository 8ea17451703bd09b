#include "widecontrols/wideapplication.h"

#include <cwctype>
#include <string>

#include "classlib/application.h"
#include "classlib/boundary.h"
#include "classlib/exceptions.h"
#include "widecontrols/paramstr.h"
#include "widecontrols/platform.h"
#include "widecontrols/wideerrors.h"

TWideApplication* WideApplication = nullptr;

namespace {

HHOOK messageHook = nullptr;

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

}  // namespace

bool TWideApplication::ProcessMessage(MSG& msg) {
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
  // The one IsDialogMessage call for this message.
  if (dialog != nullptr && IsDialogMessageA(dialog, &msg)) return true;
  DispatchMessageW(&msg);
  return true;
}

void InstallGetMessageHook() {
  if (!Win32PlatformIsUnicode) throw EWideInternalError("Internal Error: InstallGetMessageHook is only for NT.");
  messageHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  if (messageHook == nullptr) RaiseLastOSError();
}

void StartWideApplication() {
  WideApplication = new TWideApplication(nullptr);
  if (Win32PlatformIsUnicode) InstallGetMessageHook();
}

void EndWideApplication() {
  if (messageHook != nullptr) {
    BOOL ok = UnhookWindowsHookEx(messageHook);
    messageHook = nullptr;
    if (!ok && !IsRunningInIISOrDllHost()) RaiseLastOSError();
  }
  delete WideApplication;
  WideApplication = nullptr;
}
