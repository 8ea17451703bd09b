#include "components/utilities.h"

void SwitchToWindow(HWND window, bool restore) {
  if (!IsWindowEnabled(window)) return;
  SetForegroundWindow(window);
  if (!restore || !IsWindowVisible(window)) return;
  if (!IsZoomed(window)) SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  SetFocus(window);
}
