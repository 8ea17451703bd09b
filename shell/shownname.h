// The text the folder tree shows for a name the shell gives in UTF-16.
#pragma once

#include <string>
#include <string_view>

// The system's conversion to its code page, look-alikes and all ("O" for an
// O-macron, "?" where it has nothing): stored ticks are this text, so a
// folder on the disk is matched to one by converting its name the same way.
std::string ShownName(std::wstring_view name);
