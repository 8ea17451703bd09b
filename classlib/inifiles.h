// Settings files of sections and "name=value" lines, through the platform's
// profile functions. A file name without a folder names a file in the
// Windows folder, as the platform decides. Values read back lose one pair of
// enclosing quotes and surrounding blanks (the platform's rule).
#pragma once

#include <cstdint>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/object.h"

class TStrings;

// "Unable to write to <file name>".
class EIniFileException : public Exception { using Exception::Exception; };

class TIniFile : public TObject {
public:
  explicit TIniFile(const std::string& fileName) : fileName_(fileName) {}

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& fallback);
  // Decimal or hexadecimal ("0x1F", "$1F"); the fallback when missing or
  // not a number.
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t fallback);
  bool ReadBool(const std::string& section, const std::string& ident, bool fallback);
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);

  // The names of a section; the sections of the file; "name=value" lines of
  // a section. Each clears strings first.
  void ReadSection(const std::string& section, TStrings& strings);
  void ReadSections(TStrings& strings);
  void ReadSectionValues(const std::string& section, TStrings& strings);
  bool SectionExists(const std::string& section);
  bool ValueExists(const std::string& section, const std::string& ident);

  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& ident);
  // Writes what the platform holds in its cache to the file.
  void UpdateFile();

private:
  std::string fileName_;
};
