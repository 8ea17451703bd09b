// Whole-string conversions between the 8-bit encodings the matcher searches:
// the system's Ansi <-> OEM conversions and the Windows-1251 <-> KOI8-R
// letter mapping.
#pragma once

#include <string>
#include <string_view>

std::string AnsiToOemStr(std::string_view s);
std::string OemToAnsiStr(std::string_view s);

// Byte by byte: the 64 Cyrillic letters and the two forms of io move between
// Windows-1251 and KOI8-R; every other byte stays as it is. The input is taken
// as Windows-1251 whatever the system's code page.
std::string AnsiToKoi8(std::string_view s);
std::string Koi8ToAnsi(std::string_view s);
