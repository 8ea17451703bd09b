#include "shell/shownname.h"

#include "classlib/codepage.h"

std::string ShownName(std::wstring_view name) { return WideToMultiByte(name, kAnsiCodePage); }
