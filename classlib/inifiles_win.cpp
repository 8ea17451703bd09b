#include "classlib/inifiles.h"

#include <windows.h>

#include "classlib/stringlist.h"
#include "classlib/strutils.h"

namespace {

// The profile functions tell truncation only by filling the buffer, so the
// buffer grows until the answer fits (or a sane limit is reached).
constexpr DWORD kFirstBuffer = 2048;
constexpr DWORD kBufferLimit = 16 * 1024 * 1024;

// A value: truncated when the answer is size - 1 characters long.
std::string ProfileString(const char* section, const char* ident, const char* fallback, const std::string& file) {
  for (DWORD size = kFirstBuffer;; size *= 2) {
    std::string buffer(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, ident, fallback, buffer.data(), size, file.c_str());
    if (n + 1 < size || size >= kBufferLimit) {
      buffer.resize(n < size ? n : size - 1);
      return buffer;
    }
  }
}

// A list of names, each followed by a zero: truncated at size - 2.
void ProfileNames(const char* section, const std::string& file, TStrings& strings) {
  std::string buffer;
  for (DWORD size = kFirstBuffer;; size *= 2) {
    buffer.assign(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, file.c_str());
    if (n + 2 < size || size >= kBufferLimit) {
      buffer.resize(n < size ? n : size);
      break;
    }
  }
  strings.BeginUpdate();
  strings.Clear();
  size_t start = 0;
  while (start < buffer.size()) {
    size_t end = buffer.find('\0', start);
    if (end == std::string::npos) end = buffer.size();
    if (end > start) strings.Add(buffer.substr(start, end - start));
    start = end + 1;
  }
  strings.EndUpdate();
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& fallback) {
  return ProfileString(section.c_str(), ident.c_str(), fallback.c_str(), fileName_);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t fallback) {
  return StrToIntDef(ReadString(section, ident, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool fallback) {
  return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), fileName_.c_str()))
    throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(const std::string& section, TStrings& strings) {
  ProfileNames(section.c_str(), fileName_, strings);
}

void TIniFile::ReadSections(TStrings& strings) { ProfileNames(nullptr, fileName_, strings); }

void TIniFile::ReadSectionValues(const std::string& section, TStrings& strings) {
  TStringList names;
  ReadSection(section, names);
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (int i = 0; i < names.Count(); ++i) strings.Add(names[i] + "=" + ReadString(section, names[i], ""));
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

bool TIniFile::SectionExists(const std::string& section) {
  TStringList names;
  ReadSection(section, names);
  return names.Count() > 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) {
  TStringList names;
  ReadSection(section, names);
  return names.IndexOf(ident) >= 0;
}

void TIniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, fileName_.c_str()))
    throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, fileName_.c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str()); }
