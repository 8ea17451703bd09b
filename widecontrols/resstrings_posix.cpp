// Native stand-in: there are no string tables outside Windows.
#include "widecontrols/resstrings.h"

std::wstring LoadResStringEntry(const uintptr_t*, uint32_t) { return {}; }
