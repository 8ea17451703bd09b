#include "app/widemessage_win.h"

#include "classlib/forms.h"

int ShowWideMessage(HWND owner, const std::wstring& text, UINT flags) {
  // As the program's other message boxes: no window of it takes input
  // meanwhile (the box itself disables its owner).
  TTaskWindowsDisabled disabled(owner);
  return MessageBoxW(owner, text.c_str(), L"Ovalis", flags);
}
