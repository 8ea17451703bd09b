// Conversion between wide text and 8-bit text in a named code page. Code
// page 65000 (UTF-7) and 65001 (UTF-8) go through this layer's own coders,
// every other one through the system's.
#pragma once

#include <string>
#include <string_view>

constexpr unsigned kUtf7CodePage = 65000;

// UTF-7 input that is malformed raises EWideGeneralError; malformed UTF-8
// gives an empty string.
std::wstring StringToWideStringEx(std::string_view s, unsigned codePage);
std::string WideStringToStringEx(std::wstring_view ws, unsigned codePage);

// True when wc converts to DefaultSystemCodePage without the default character.
bool IsWideCharMappableToAnsi(wchar_t wc);
