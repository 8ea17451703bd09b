// Helpers on counted wide strings. WideUpperCase and WideExtractFileName come
// from the class library (strutils.h, paths.h) and behave as this layer needs.
#pragma once

#include <cstddef>
#include <string_view>

#include "classlib/paths.h"
#include "classlib/strutils.h"

// The 1-based position of the last unit of s that is one of delimiters, 0
// when there is none. A zero unit never counts as a delimiter.
size_t WideLastDelimiter(std::wstring_view delimiters, std::wstring_view s);
