// Registry access: TRegistry works on one open key below a root key;
// TRegIniFile reads and writes the registry as sections (sub-keys) of values.
//
// Key names starting with "\" are taken from the root key; others from the
// open key, or from the root key when no key is open.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/object.h"

class TStrings;

// "Failed to get data for 'x'", "Invalid data type for 'x'", "Failed to set
// data for 'x'", "Failed to create key x".
class ERegistryException : public Exception { using Exception::Exception; };

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

class TRegistry : public TObject {
public:
  // Root HKEY_CURRENT_USER, access KEY_ALL_ACCESS (or the given one).
  TRegistry();
  explicit TRegistry(REGSAM access);
  ~TRegistry() override;

  HKEY RootKey() const { return rootKey_; }
  // Closes the open key.
  void SetRootKey(HKEY root);
  HKEY CurrentKey() const { return currentKey_; }
  // Path of the open key below the root, without a leading "\".
  const std::string& CurrentPath() const { return currentPath_; }
  // The access asked for by OpenKey and CreateKey from now on.
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }
  // Kept for callers that set it; every close writes back in due course.
  bool LazyWrite() const { return lazyWrite_; }
  void SetLazyWrite(bool lazy) { lazyWrite_ = lazy; }

  // Opens key (creating it, and any missing parents, when canCreate) and
  // makes it the open key; false, with the previous key still open, when
  // that fails.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  // Creates key (when missing) without opening it; a failure raises
  // "Failed to create key".
  bool CreateKey(const std::string& key);
  void CloseKey();
  // Deletes key with all its sub-keys and values; false when it is missing
  // or cannot be deleted. An empty name deletes nothing.
  bool DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  bool HasSubKeys();
  // Names of the open key's sub-keys and values (cleared first).
  void GetKeyNames(TStrings& strings);
  void GetValueNames(TStrings& strings);

  // Values of the open key ("" names its default value).
  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  TRegDataType GetDataType(const std::string& name);
  // Size in bytes, or -1 when the value is missing.
  int GetDataSize(const std::string& name);

  // A missing string value reads as ""; a missing integer raises "Failed to
  // get data"; a value of another type raises "Invalid data type".
  std::string ReadString(const std::string& name);
  int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name);
  // Copies a binary value into buffer; returns its size. A value larger than
  // size raises "Failed to get data".
  int ReadBinaryData(const std::string& name, void* buffer, int size);

  // Writes raise "Failed to set data" when no key is open or the write fails.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteBool(const std::string& name, bool value);
  void WriteBinaryData(const std::string& name, const void* buffer, int size);

protected:
  // The key a name is taken from (see the top of this file) and the name
  // without its leading "\".
  HKEY BaseKey(const std::string& key, std::string& relative) const;
  // Opens (or creates) key below its base key; the system's result code.
  LONG OpenSubKey(const std::string& key, bool canCreate, REGSAM access, HKEY& result) const;
  // Query of one value of hkey; false when it is missing.
  static bool QueryValue(HKEY hkey, const std::string& name, DWORD& type, std::string& data);
  static void SetValue(HKEY hkey, const std::string& name, DWORD type, const void* data, DWORD size);

private:
  void ChangeKey(HKEY key, const std::string& path);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
  std::string currentPath_;
  REGSAM access_;
  bool lazyWrite_ = true;
};

// Sections are sub-keys of the key opened at creation ("" is that key
// itself); idents are value names. Reads give the default for a missing
// value; integers and Booleans are written as string values ("12", "1"/"0")
// and read from string or integer values alike.
class TRegIniFile : public TRegistry {
public:
  // Opens fileName (a key path below HKEY_CURRENT_USER), creating it when
  // missing.
  explicit TRegIniFile(const std::string& fileName);
  TRegIniFile(const std::string& fileName, REGSAM access);

  const std::string& FileName() const { return fileName_; }

  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;
  using TRegistry::DeleteKey;

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& fallback);
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t fallback);
  bool ReadBool(const std::string& section, const std::string& ident, bool fallback);
  // Writes create the section when missing.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);

  // Value names of a section; sub-key names of the opened key; "name=value"
  // lines of a section (string and integer values).
  void ReadSection(const std::string& section, TStrings& strings);
  void ReadSections(TStrings& strings);
  void ReadSectionValues(const std::string& section, TStrings& strings);
  // Deletes the section with everything below it.
  void EraseSection(const std::string& section);
  // Deletes one value of a section.
  void DeleteKey(const std::string& section, const std::string& ident);

private:
  std::string fileName_;
};
