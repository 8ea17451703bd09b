// Zero-terminated wide strings: one UTF-16 unit per wchar_t, ending in a zero
// unit. Only WStrAlloc and WStrNew allocate; what they return is released
// with WStrDispose and nothing else (the size lives in front of the text).
#pragma once

#include <cstddef>

// The terminating zero unit of s.
wchar_t* WStrEnd(const wchar_t* s);
// Units before the terminating zero.
size_t WStrLen(const wchar_t* s);
// Copies units until maxLen are copied or a zero unit is met, then writes a
// zero unit: dest must hold maxLen + 1 units.
wchar_t* WStrLCopy(wchar_t* dest, const wchar_t* source, size_t maxLen);
// The first unit equal to ch, the terminator included (ch = 0 finds it);
// nullptr when there is none.
wchar_t* WStrScan(const wchar_t* s, wchar_t ch);
// Moves count units; the two ranges may overlap.
wchar_t* WStrMove(wchar_t* dest, const wchar_t* source, size_t count);

// Room for size units. The 32-bit word in front of the returned address holds
// the block's whole size in bytes (4 + size units). Raises EOutOfMemory.
wchar_t* WStrAlloc(size_t size);
// A WStrAlloc copy of s with its terminator; nullptr for nullptr.
wchar_t* WStrNew(const wchar_t* s);
// Releases a buffer from WStrAlloc or WStrNew; nullptr is allowed.
void WStrDispose(wchar_t* s);

// Swaps the two bytes of every unit of s, up to its first zero unit.
void StrSwapByteOrder(wchar_t* s);
