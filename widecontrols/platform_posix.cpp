// Native stand-in: the portable code's tests and fuzzers see an NT system
// whose conversions go through the class library's ANSI code page.
#include "widecontrols/platform.h"

#include "classlib/codepage.h"

const bool Win32PlatformIsUnicode = true;
const bool Win32PlatformIsXP = true;
const unsigned DefaultSystemCodePage = kAnsiCodePage;
