// Files opened by wide name. Failure gives kInvalidHandle (-1) and raises
// nothing: the caller decides what to raise.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/streams.h"

// Read and write access, no sharing, always a new empty file.
THandle WideFileCreate(const std::wstring& fileName);
// An existing file. Access is mode & 3 (0 read, 1 write, 2 both); sharing is
// (mode & 0xF0) >> 4 (0 and 1 none, 2 read, 3 write, 4 both). Any other
// access or sharing value fails like a missing file.
THandle WideFileOpen(const std::wstring& fileName, uint32_t mode);
void WideFileClose(THandle handle);
