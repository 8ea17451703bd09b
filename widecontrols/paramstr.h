// The wide command line, split into arguments the way the program has
// always split it: blanks separate, quotation marks group and are dropped.
#pragma once

#include <cstddef>
#include <string>

// The longest argument; a longer one is cut here and its rest read as the
// next argument.
constexpr size_t kMaxParamUnits = 4096;

// Reads one argument of the zero-terminated line p into param and returns
// the position after it. Leading blanks (units 1 to 32) and pairs of
// quotation marks before an argument are skipped; an empty param means the
// line has ended.
const wchar_t* WideGetParamStr(const wchar_t* p, std::wstring& param);

// Windows only. Index 0: the program's full file name. Otherwise argument
// Index of the command line (0 being the program as typed); empty when the
// line has fewer.
std::wstring WideParamStr(int index);
