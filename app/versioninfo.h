// The program file's own version, as its version resource states it.
#pragma once

#include <optional>
#include <string>

// The "FileVersion" text of the string table for Russian, code page 1251
// (language 0x0419, 0x04E3), exactly as stored; nothing when the file has
// no version resource or no such table.
std::optional<std::string> ReadFileVersionText(const std::string& fileName);
