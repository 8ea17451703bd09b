// Windows only. The wide system calls of this layer: each wrapper has the
// signature and result of the wide ("W") function it is named after and
// calls it; the layer runs on the NT family only, where those are always
// there (Win32PlatformIsUnicode is True).
#pragma once

#include <windows.h>

#include <string>

BOOL Wide_SetWindowTextW(HWND window, LPCWSTR text);
HANDLE Wide_CreateFileW(LPCWSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE templateFile);
int Wide_DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
DWORD Wide_GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
LPWSTR Wide_CharUpperW(LPWSTR text);
DWORD Wide_CharUpperBuffW(LPWSTR text, DWORD length);
int Wide_LoadStringW(HINSTANCE instance, UINT identifier, LPWSTR buffer, int bufferMax);

// Raises the last operating-system error (EOSError) when value is 0;
// returns value otherwise.
BOOL Win32Check(BOOL value);

// The full file name of module (nullptr: the program); raises EOSError when
// the system gives none.
std::wstring WideGetModuleFileName(HMODULE module);
