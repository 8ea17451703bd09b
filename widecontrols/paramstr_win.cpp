#include "widecontrols/paramstr.h"

#include <windows.h>

#include "widecontrols/win32wide.h"

std::wstring WideParamStr(int index) {
  if (index == 0) return WideGetModuleFileName(nullptr);
  const wchar_t* p = GetCommandLineW();
  std::wstring param;
  for (;;) {
    p = WideGetParamStr(p, param);
    if (index == 0 || param.empty()) return param;
    --index;
  }
}
