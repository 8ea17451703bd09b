// The code-page set: which encodings a content search tries. The options
// dialog, the search thread and the matcher share these bit values, and the
// registry stores them, so they never change.
#pragma once

#include <cstdint>

using TCodePageSet = uint32_t;

constexpr TCodePageSet cpUnicode = 1;   // UTF-16 little-endian
constexpr TCodePageSet cpAnsi = 2;      // the system's Windows code page
constexpr TCodePageSet cpOem = 4;       // the system's DOS code page
constexpr TCodePageSet cpKoi8 = 8;      // KOI8-R
constexpr TCodePageSet cpWp5Dos = 16;   // DOS code page with "-" stored as 0xA9
constexpr TCodePageSet cpUtf8 = 32;
constexpr TCodePageSet cpAllCodePages = 255;
