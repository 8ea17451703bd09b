#include "widecontrols/win32wide.h"

#include "classlib/exceptions.h"

BOOL Wide_SetWindowTextW(HWND window, LPCWSTR text) { return SetWindowTextW(window, text); }

HANDLE Wide_CreateFileW(LPCWSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE templateFile) {
  return CreateFileW(fileName, access, share, security, disposition, flags, templateFile);
}

int Wide_DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  return DrawTextW(dc, text, count, rect, format);
}

DWORD Wide_GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  return GetModuleFileNameW(module, fileName, size);
}

LPWSTR Wide_CharUpperW(LPWSTR text) { return CharUpperW(text); }

DWORD Wide_CharUpperBuffW(LPWSTR text, DWORD length) { return CharUpperBuffW(text, length); }

int Wide_LoadStringW(HINSTANCE instance, UINT identifier, LPWSTR buffer, int bufferMax) {
  return LoadStringW(instance, identifier, buffer, bufferMax);
}

BOOL Win32Check(BOOL value) {
  if (value == 0) RaiseLastOSError();
  return value;
}

std::wstring WideGetModuleFileName(HMODULE module) {
  // MAX_PATH is enough for nearly every program; a longer name fills the
  // buffer exactly, and then the buffer grows until the name fits.
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::wstring name(size, L'\0');
    DWORD n = Wide_GetModuleFileNameW(module, name.data(), size);
    if (n == 0) RaiseLastOSError();
    if (n < size || size >= 32768) {
      name.resize(n < size ? n : size);
      size_t zero = name.find(L'\0');
      if (zero != std::wstring::npos) name.resize(zero);
      return name;
    }
  }
}
