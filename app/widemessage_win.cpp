#include "app/widemessage_win.h"

int ShowWideMessage(HWND owner, const std::wstring& text, UINT flags) {
  return MessageBoxW(owner, text.c_str(), L"Ovalis", flags);
}
