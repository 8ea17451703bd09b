#include "shell/folderpresence.h"

#include <windows.h>

#include "classlib/paths.h"
#include "shell/owners.h"

namespace {

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The shell shows a folder by a name of its own only when its desktop.ini
// says so, and reads that only in a folder marked read-only or system: any
// such folder in parent may be the one a stored name meant.
bool HoldsRenamableFolder(const std::string& parent) {
  WIN32_FIND_DATAA data{};
  TOwnedFind find(FindFirstFileA((parent + "\\*").c_str(), &data));
  if (!find) return true;  // unreadable: it may hold anything
  do {
    const std::string_view name(data.cFileName);
    if (name == "." || name == "..") continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) == 0)
      continue;
    const std::string settings = parent + "\\" + std::string(name) + "\\desktop.ini";
    // Unreadable: it may hold one.
    if (GetFileAttributesA(settings.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND)
      return true;
  } while (FindNextFileA(find.Get(), &data));
  return false;
}

}  // namespace

bool FolderGoneFromDisk(const std::string& base, std::span<const std::string_view> names) {
  if (base.empty() || !IsFolder(GetFileAttributesA(base.c_str()))) return false;
  std::string folder = base;
  if (folder.back() == '\\') folder.pop_back();
  for (const std::string_view name : names) {
    // A "?" stands for a character the code page could not hold when the
    // name was stored: no name on the disk can be asked for by it.
    if (FirstDelimiter("?", name) != std::string_view::npos) return false;
    const bool aName = !name.empty() && name != "." && name != ".." &&
                       FirstDelimiter("\\/:*\"<>|", name) == std::string_view::npos;
    const std::string next = folder + "\\" + std::string(name);
    if (aName) {
      const DWORD attributes = GetFileAttributesA(next.c_str());
      if (IsFolder(attributes)) {
        folder = next;
        continue;
      }
      const DWORD error = GetLastError();
      // A name too long, a share refused: the disk cannot tell.
      if (attributes == INVALID_FILE_ATTRIBUTES && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        return false;
    }
    return !HoldsRenamableFolder(folder);
  }
  return false;
}
