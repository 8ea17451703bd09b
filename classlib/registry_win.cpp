#include "classlib/registry.h"

#include <cstring>
#include <vector>

#include "classlib/stringlist.h"
#include "classlib/strutils.h"

namespace {

[[noreturn]] void GetDataError(const std::string& name) {
  throw ERegistryException("Failed to get data for '" + name + "'");
}
[[noreturn]] void DataTypeError(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}

TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

// The text of a string value: up to its first terminating zero.
std::string StringData(const std::string& data) { return data.substr(0, data.find('\0')); }

// One owned key handle, closed when the scope ends.
class KeyScope {
public:
  KeyScope() = default;
  ~KeyScope() {
    if (key != nullptr) RegCloseKey(key);
  }
  KeyScope(const KeyScope&) = delete;
  KeyScope& operator=(const KeyScope&) = delete;
  HKEY key = nullptr;
};

void EnumKeyNames(HKEY key, TStrings& strings) {
  strings.Clear();
  if (key == nullptr) return;
  std::vector<char> name(256);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG r = RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA && name.size() < 65536) {
      name.resize(name.size() * 2);
      --i;
      continue;
    }
    if (r != ERROR_SUCCESS) return;
    strings.Add(std::string(name.data(), length));
  }
}

void EnumValueNames(HKEY key, TStrings& strings) {
  strings.Clear();
  if (key == nullptr) return;
  // Value names may be up to 16383 characters long.
  std::vector<char> name(16384);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG r = RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return;
    strings.Add(std::string(name.data(), length));
  }
}

}  // namespace

// --- TRegistry -------------------------------------------------------------

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == rootKey_) return;
  CloseKey();
  rootKey_ = root;
}

HKEY TRegistry::BaseKey(const std::string& key, std::string& relative) const {
  bool absolute = !key.empty() && key[0] == '\\';
  relative = absolute ? key.substr(1) : key;
  while (!relative.empty() && relative.back() == '\\') relative.pop_back();
  return absolute || currentKey_ == nullptr ? rootKey_ : currentKey_;
}

LONG TRegistry::OpenSubKey(const std::string& key, bool canCreate, REGSAM access, HKEY& result) const {
  std::string relative;
  HKEY base = BaseKey(key, relative);
  result = nullptr;
  if (canCreate)
    return RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           &result, nullptr);
  return RegOpenKeyExA(base, relative.c_str(), 0, access, &result);
}

void TRegistry::ChangeKey(HKEY key, const std::string& path) {
  CloseKey();
  currentKey_ = key;
  currentPath_ = path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  HKEY opened;
  if (OpenSubKey(key, canCreate, access_, opened) != ERROR_SUCCESS) return false;
  std::string relative;
  HKEY base = BaseKey(key, relative);
  std::string path = relative;
  if (base == currentKey_ && !currentPath_.empty())
    path = relative.empty() ? currentPath_ : currentPath_ + "\\" + relative;
  ChangeKey(opened, path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  REGSAM saved = access_;
  access_ = KEY_READ;
  bool opened = OpenKey(key, false);
  access_ = saved;
  return opened;
}

bool TRegistry::CreateKey(const std::string& key) {
  KeyScope created;
  if (OpenSubKey(key, true, access_, created.key) != ERROR_SUCCESS)
    throw ERegistryException("Failed to create key " + key);
  return true;
}

void TRegistry::CloseKey() {
  if (currentKey_ == nullptr) return;
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
  currentPath_.clear();
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::string relative;
  HKEY base = BaseKey(key, relative);
  // An empty name would empty the base key itself.
  if (relative.empty()) return false;
  return RegDeleteTreeA(base, relative.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key) {
  KeyScope opened;
  LONG r = OpenSubKey(key, false, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, opened.key);
  // A key we may not read still exists.
  return r == ERROR_SUCCESS || r == ERROR_ACCESS_DENIED;
}

bool TRegistry::HasSubKeys() {
  DWORD subKeys = 0;
  if (currentKey_ == nullptr) return false;
  if (RegQueryInfoKeyA(currentKey_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subKeys > 0;
}

void TRegistry::GetKeyNames(TStrings& strings) { EnumKeyNames(currentKey_, strings); }
void TRegistry::GetValueNames(TStrings& strings) { EnumValueNames(currentKey_, strings); }

bool TRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return currentKey_ != nullptr && RegDeleteValueA(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  info = TRegDataInfo{};
  if (currentKey_ == nullptr) return false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  info.RegData = DataTypeOf(type);
  info.DataSize = static_cast<int>(size);
  return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  GetDataInfo(name, info);
  return info.RegData;
}

int TRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

bool TRegistry::QueryValue(HKEY hkey, const std::string& name, DWORD& type, std::string& data) {
  if (hkey == nullptr) return false;
  for (;;) {
    DWORD size = 0;
    if (RegQueryValueExA(hkey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    data.assign(size, '\0');
    LONG r = RegQueryValueExA(hkey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (r == ERROR_MORE_DATA) continue;  // grew in between
    if (r != ERROR_SUCCESS) return false;
    data.resize(size);
    return true;
  }
}

void TRegistry::SetValue(HKEY hkey, const std::string& name, DWORD type, const void* data, DWORD size) {
  if (hkey == nullptr ||
      RegSetValueExA(hkey, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type;
  std::string data;
  if (!QueryValue(currentKey_, name, type, data)) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) DataTypeError(name);
  return StringData(data);
}

int32_t TRegistry::ReadInteger(const std::string& name) {
  DWORD type;
  std::string data;
  if (!QueryValue(currentKey_, name, type, data)) GetDataError(name);
  if (type != REG_DWORD || data.size() != sizeof(int32_t)) DataTypeError(name);
  int32_t value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int size) {
  DWORD type;
  std::string data;
  if (!QueryValue(currentKey_, name, type, data)) GetDataError(name);
  TRegDataType kind = DataTypeOf(type);
  if (kind != rdBinary && kind != rdUnknown) DataTypeError(name);
  if (size < 0 || data.size() > static_cast<size_t>(size)) GetDataError(name);
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  SetValue(currentKey_, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  SetValue(currentKey_, name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  SetValue(currentKey_, name, REG_DWORD, &value, sizeof value);
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int size) {
  if (size < 0) throw ERegistryException("Failed to set data for '" + name + "'");
  SetValue(currentKey_, name, REG_BINARY, buffer, static_cast<DWORD>(size));
}

// --- TRegIniFile -----------------------------------------------------------

TRegIniFile::TRegIniFile(const std::string& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const std::string& fileName, REGSAM access) : TRegistry(access), fileName_(fileName) {
  OpenKey(fileName, true);
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& fallback) {
  KeyScope key;
  if (OpenSubKey(section, false, KEY_READ, key.key) != ERROR_SUCCESS) return fallback;
  DWORD type;
  std::string data;
  if (!QueryValue(key.key, ident, type, data)) return fallback;
  if (type == REG_SZ || type == REG_EXPAND_SZ) return StringData(data);
  if (type == REG_DWORD && data.size() == sizeof(int32_t)) {
    int32_t value;
    std::memcpy(&value, data.data(), sizeof value);
    return IntToStr(value);
  }
  return fallback;
}

int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t fallback) {
  KeyScope key;
  if (OpenSubKey(section, false, KEY_READ, key.key) != ERROR_SUCCESS) return fallback;
  DWORD type;
  std::string data;
  if (!QueryValue(key.key, ident, type, data)) return fallback;
  if (type == REG_DWORD && data.size() == sizeof(int32_t)) {
    int32_t value;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) return StrToIntDef(StringData(data), fallback);
  return fallback;
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool fallback) {
  return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  KeyScope key;
  if (OpenSubKey(section, true, Access(), key.key) != ERROR_SUCCESS)
    throw ERegistryException("Failed to create key " + section);
  SetValue(key.key, ident, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const std::string& section, TStrings& strings) {
  KeyScope key;
  if (OpenSubKey(section, false, KEY_READ, key.key) != ERROR_SUCCESS) {
    strings.Clear();
    return;
  }
  EnumValueNames(key.key, strings);
}

void TRegIniFile::ReadSections(TStrings& strings) { GetKeyNames(strings); }

void TRegIniFile::ReadSectionValues(const std::string& section, TStrings& strings) {
  TStringList names;
  ReadSection(section, names);
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (int i = 0; i < names.Count(); ++i)
      strings.Add(names[i] + "=" + ReadString(section, names[i], ""));
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

void TRegIniFile::EraseSection(const std::string& section) { TRegistry::DeleteKey(section); }

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  KeyScope key;
  if (OpenSubKey(section, false, Access(), key.key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key.key, ident.c_str());
}
