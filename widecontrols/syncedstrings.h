// A wide value kept beside an 8-bit property that other code may change
// behind the wide layer: the wide value counts only while its 8-bit image
// still equals the property.
#pragma once

#include <functional>
#include <string>

// When the 8-bit image of wideValue differs from ansiValue, wideValue is
// replaced by ansiValue converted; returns wideValue.
std::wstring GetSyncedWideString(std::wstring& wideValue, const std::string& ansiValue);

// Stores value as the wide value and its 8-bit image through setAnsi;
// nothing happens when the synced value already equals value. A value that
// does not survive 8-bit text, whose image equals the 8-bit value already
// there, first sets the 8-bit value empty, so that the setter sees a change.
void SetSyncedWideString(const std::wstring& value, std::wstring& wideValue, const std::string& ansiValue,
                         const std::function<void(const std::string&)>& setAnsi);
