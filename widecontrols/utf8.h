// UTF-8 as this layer writes and reads it: every UTF-16 unit on its own, in
// one to three bytes. A surrogate pair becomes two three-byte sequences and
// comes back as the same two units; four-byte sequences are not understood.
#pragma once

#include <string>
#include <string_view>

std::string WideStringToUTF8(std::wstring_view ws);
// Malformed input (a following byte not of the form 10xxxxxx, or a sequence
// cut off by the end) gives an empty string, never an error.
std::wstring UTF8ToWideString(std::string_view s);
