#include "app/registryvalues.h"

#include <windows.h>

#include "classlib/codepage.h"
#include "classlib/registry.h"

const char kSettingsKey[] = "\\Software\\Marnok\\Ovalis";
const char kHistoryKey[] = "\\Software\\Marnok\\Ovalis\\MRU";

std::optional<int32_t> ReadDwordValue(TRegistry& registry, const std::string& name) {
  TRegDataInfo info;
  if (!registry.GetDataInfo(name, info) || info.RegData != rdInteger) return std::nullopt;
  try {
    return registry.ReadInteger(name);
  } catch (const ERegistryException&) {
    return std::nullopt;
  }
}

std::optional<bool> ReadFlagValue(TRegistry& registry, const std::string& name) {
  const std::optional<int32_t> value = ReadDwordValue(registry, name);
  if (!value) return std::nullopt;
  return *value != 0;
}

std::optional<std::string> ReadTextValue(TRegistry& registry, const std::string& name) {
  TRegDataInfo info;
  if (!registry.GetDataInfo(name, info)) return std::nullopt;
  if (info.RegData != rdString && info.RegData != rdExpandString) return std::nullopt;
  try {
    return registry.ReadString(name);
  } catch (const ERegistryException&) {
    return std::nullopt;
  }
}

std::optional<std::wstring> ReadWideTextValue(TRegistry& registry, const std::string& name) {
  if (registry.CurrentKey() == nullptr) return std::nullopt;
  const std::wstring wideName = MultiByteToWide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(registry.CurrentKey(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(registry.CurrentKey(), wideName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(size / sizeof(wchar_t));
  // The stored text may or may not carry its terminating zero.
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

void WriteWideTextValue(TRegistry& registry, const std::string& name, const std::wstring& value) {
  const std::wstring wideName = MultiByteToWide(name);
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (registry.CurrentKey() == nullptr ||
      RegSetValueExW(registry.CurrentKey(), wideName.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()), bytes) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}
