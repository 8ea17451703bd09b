#include "classlib/application.h"

#include "classlib/boundary.h"
#include "classlib/exceptions.h"
#include "classlib/thread.h"

namespace {
const char kWindowClass[] = "OvalisApplication";

// The program's application object exists from static initialisation to exit.
struct ApplicationHolder {
  ApplicationHolder() { Application = new TApplication(nullptr); }
  ~ApplicationHolder() {
    // Cleared first: a worker still running at exit must not reach an
    // object being destroyed.
    TApplication* application = Application;
    Application = nullptr;
    delete application;
  }
};
}  // namespace

TApplication* Application = nullptr;
static ApplicationHolder applicationHolder;

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TApplication::WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  title_ = name;
  handle_ = CreateWindowExA(0, kWindowClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS |
                                                               WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (handle_ != nullptr) SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication() {
  if (handle_ != nullptr) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return GuardBoundary<LRESULT>(0, [&]() -> LRESULT {
    if (msg == kSynchronizeMessage) {
      CheckSynchronize();
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  });
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  CheckSynchronize();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (ProcessMessage(msg) || CheckSynchronize()) return;
  // Wakes for input and for a synchronised call alike, so a call whose
  // posted message was lost (a full queue) still runs.
  HANDLE wake = SynchronizeEvent();
  MsgWaitForMultipleObjectsEx(wake != nullptr ? 1 : 0, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::Run() {
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    if (OnException) OnException(sender, e);
    else ShowException(e);
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (OnException) OnException(sender, wrapped);
    else ShowException(wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException) OnException(sender, wrapped);
    else ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& e) {
  std::string text = e.Message();
  if (!text.empty() && text.back() > '.') text += '.';
  MessageBoxA(handle_, text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}
