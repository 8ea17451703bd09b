// Small routines the window-state and tray components share: integer
// maximum and minimum, bringing a window forward, words and replacement in
// 8-bit text, and the keyed XOR cipher of stored values. Positions in text
// count from 1.
#pragma once

#include <windows.h>

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// A set of 8-bit characters; a word is a maximal run of characters not in
// the set of delimiters.
using TCharSet = std::bitset<256>;
TCharSet CharSetOf(std::string_view chars);

// The larger (smaller) of the two; A when they are equal.
inline int32_t Max(int32_t a, int32_t b) { return b > a ? b : a; }
inline int32_t Min(int32_t a, int32_t b) { return b < a ? b : a; }

// Brings an enabled window to the foreground; with restore, a visible window
// that is not maximised is restored and given the keyboard focus.
void SwitchToWindow(HWND window, bool restore);

// Every occurrence of search, left to right and not overlapping (bytes
// compared), replaced; an empty search changes nothing.
std::string ReplaceStr(std::string_view s, std::string_view search, std::string_view replace);

int WordCount(std::string_view s, const TCharSet& delims);
// Where the n-th word starts (n from 1), or 0 when there is none.
int WordPosition(int n, std::string_view s, const TCharSet& delims);
// The n-th word, or "" when there is none.
std::string ExtractWord(int n, std::string_view s, const TCharSet& delims);

// Each byte XORed with the key (repeated from its start; no key: unchanged)
// and written as two lower-case hexadecimal digits.
std::string XorEncode(std::string_view key, std::string_view source);
// The inverse: each pair of hexadecimal digits (either case) is one byte, a
// pair that is not hexadecimal counts as a space; a last odd digit is
// ignored.
std::string XorDecode(std::string_view key, std::string_view source);
