// What the wide-text layer knows of the system it runs on, fixed before any
// form is created. Every choice between a wide ("W") and an 8-bit ("A")
// system call in this layer tests Win32PlatformIsUnicode and nothing else.
#pragma once

#include <cstdint>

// True on the Windows NT family (platform identifier 2).
extern const bool Win32PlatformIsUnicode;
// True from Windows XP (5.1) on.
extern const bool Win32PlatformIsXP;
// The code page of every conversion in this layer that names none: the
// thread's ANSI code page (CP_THREAD_ACP, 3) on NT 5 and later.
extern const unsigned DefaultSystemCodePage;

// Windows only: the default ANSI code page of a locale, GetACP() when the
// system gives no number for it.
unsigned LCIDToCodePage(uint32_t locale);
