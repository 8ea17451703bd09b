// Reading the program's registry values one by one: a value that is missing
// or of another type than expected reads as nothing, so the caller keeps its
// default for that value alone and every other value is still read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TRegistry;

// The program's settings key and its sub-key of lists, below
// HKEY_CURRENT_USER.
extern const char kSettingsKey[];
extern const char kHistoryKey[];

std::optional<int32_t> ReadDwordValue(TRegistry& registry, const std::string& name);
// A 32-bit value: any value other than 0 is on.
std::optional<bool> ReadFlagValue(TRegistry& registry, const std::string& name);
std::optional<std::string> ReadTextValue(TRegistry& registry, const std::string& name);
// A string value read as the registry holds it, wide, so texts that the
// system code page cannot hold come back as typed.
std::optional<std::wstring> ReadWideTextValue(TRegistry& registry, const std::string& name);
// Writes a string value wide (readers of the 8-bit form get the code page's
// rendering of it). Raises the registry's error when it cannot be set.
void WriteWideTextValue(TRegistry& registry, const std::string& name, const std::wstring& value);
