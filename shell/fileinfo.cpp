#include "shell/fileinfo.h"

#include <shellapi.h>

#include <cstring>

#include "classlib/exceptions.h"
#include "classlib/strutils.h"

namespace {

static_assert(sizeof(SHFILEINFOA) == 352, "the shell expects the 8-bit record");

// A text field of the record, read no further than the field itself.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

DWORD_PTR AskForPidl(PItemIDList pidl, SHFILEINFOA& info, UINT flags) {
  if (pidl == nullptr) return 0;
  return SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), info.dwAttributes, &info, sizeof info,
                        SHGFI_PIDL | flags);
}

}  // namespace

std::string GetPidlDisplayName(PItemIDList pidl) {
  SHFILEINFOA info{};
  if (AskForPidl(pidl, info, SHGFI_DISPLAYNAME) == 0) return {};
  return FieldText(info.szDisplayName);
}

int GetPidlIconIndex(PItemIDList pidl, bool large, bool open) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_SYSICONINDEX;
  if (!large) flags |= SHGFI_SMALLICON;
  if (open) flags |= SHGFI_OPENICON;
  if (AskForPidl(pidl, info, flags) == 0) return -1;
  return info.iIcon;
}

uint32_t GetPidlAttributes(PItemIDList pidl, uint32_t mask) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_ATTRIBUTES;
  if (mask != 0) flags |= SHGFI_ATTR_SPECIFIED;
  info.dwAttributes = mask;
  if (AskForPidl(pidl, info, flags) == 0) return 0;
  return info.dwAttributes;
}

HIMAGELIST GetSystemImageList(bool large) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_SYSICONINDEX;
  if (!large) flags |= SHGFI_SMALLICON;
  PItemIDList desktop = nullptr;
  try {
    desktop = DesktopPidl();
  } catch (const Exception&) {
    return nullptr;
  }
  return reinterpret_cast<HIMAGELIST>(AskForPidl(desktop, info, flags));
}

int GetFileIconIndexFlags(const std::string& path, uint32_t flags) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags) == 0) return -1;
  return info.iIcon;
}

int GetFileIconIndex(const std::string& path, bool large) {
  return GetFileIconIndexFlags(path, large ? SHGFI_SYSICONINDEX : SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

std::string GetFileTypeName(const std::string& extension) {
  SHFILEINFOA info{};
  std::string name = "*." + extension;
  std::string shellName;
  if (SHGetFileInfoA(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) != 0) {
    shellName = FieldText(info.szTypeName);
  }
  return FileTypeNameOrFallback(shellName, extension);
}

std::string FileTypeNameOrFallback(const std::string& shellName, const std::string& extension) {
  if (!shellName.empty()) return shellName;
  return AnsiUpperCase(extension) + " file";
}
