#include "classlib/screen.h"

namespace {
// The screen exists from static initialisation to exit, like the application.
struct ScreenHolder {
  ScreenHolder() { Screen = new TScreen(nullptr); }
  ~ScreenHolder() {
    TScreen* screen = Screen;
    Screen = nullptr;
    delete screen;
  }
};
}  // namespace

TScreen* Screen = nullptr;
static ScreenHolder screenHolder;

HCURSOR TScreen::CursorHandle(TCursor value) {
  switch (value) {
    case crHourGlass:
      return LoadCursorA(nullptr, IDC_WAIT);
    case crSizeNS:
    case crVSplit:
      return LoadCursorA(nullptr, IDC_SIZENS);
    case crSizeWE:
    case crHSplit:
      return LoadCursorA(nullptr, IDC_SIZEWE);
    case crHandPoint:
      return LoadCursorA(nullptr, IDC_HAND);
    default:
      return LoadCursorA(nullptr, IDC_ARROW);
  }
}

void TScreen::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  if (value == crDefault) {
    // The window under the mouse picks its own cursor again, as it would on
    // the next mouse move.
    POINT p{};
    GetCursorPos(&p);
    HWND window = WindowFromPoint(p);
    if (window != nullptr && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, WM_MOUSEMOVE));
      return;
    }
  }
  ::SetCursor(CursorHandle(value));
}
