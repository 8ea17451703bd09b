// Whether a file is there before a reader goes looking for a companion file
// (a palette beside a picture), without opening it.
#pragma once

#include <string>

// True when fileName names an existing file; false for a folder, a missing
// or unreachable name, and an empty text.
bool FileExists(const std::string& fileName);
