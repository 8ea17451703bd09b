// Reading and writing a form's placement in a settings object: a registry
// one (TRegIniFile, every value a string value) or a settings file
// (TIniFile); the default names of the key, file and section.
#pragma once

#include <cstdint>
#include <string>

class TComponent;
class TCustomForm;
class TObject;

// The stored value, or fallback when it is missing, or, in the registry, of
// another type than a string (an integer may also be a 32-bit value). Any
// other kind of settings object answers fallback.
std::string SettingsReadString(TObject* settings, const std::string& section, const std::string& name,
                               const std::string& fallback);
int32_t SettingsReadInteger(TObject* settings, const std::string& section, const std::string& name,
                            int32_t fallback);
// In a settings file a value enclosed in quotes gets one more pair of
// double quotes, as the file reader takes one pair off.
void SettingsWriteString(TObject* settings, const std::string& section, const std::string& name,
                         const std::string& value);
void SettingsWriteInteger(TObject* settings, const std::string& section, const std::string& name, int32_t value);

// "(<width>x<height>)" of the primary screen: each screen size keeps its own
// positions beside the plain names, which hold the last saved ones.
std::string ScreenSizeSuffix();
std::string SettingsReadScreenString(TObject* settings, const std::string& section, const std::string& name);
void SettingsWriteScreenString(TObject* settings, const std::string& section, const std::string& name,
                               const std::string& value);

// "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and "NormPos" of the
// form's window.
void WriteFormPlacement(TCustomForm* form, TObject* settings, const std::string& section);
// Applies the stored position (loadPosition) and state (loadState). A
// normal rectangle is taken only when it has a width and a height and lies
// at least partly on a monitor, and only at the pixels per inch it was
// saved at.
void ReadFormPlacement(TCustomForm* form, TObject* settings, const std::string& section, bool loadState,
                       bool loadPosition);

std::string DefaultSectionName(TComponent* component);
// The program's file name with ".INI" in place of its extension.
std::string DefaultIniFileName();
// "Software\" and the program's file name without its extension.
std::string DefaultRegistryKey();
