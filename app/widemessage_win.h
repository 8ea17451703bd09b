// A message box with wide text, for messages that must show characters the
// system code page cannot hold.
#pragma once

#include <windows.h>

#include <string>

// The system's answer (IDOK ...); the caption is the program's name.
int ShowWideMessage(HWND owner, const std::wstring& text, UINT flags);
