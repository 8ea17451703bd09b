#include "shell/folders.h"

#include <windows.h>

#include <cstring>

#include "classlib/paths.h"
#include "shell/growtext.h"
#include "shell/owners.h"

namespace {

bool IsFolderLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

}  // namespace

std::string RemoveTrailingBackslash(const std::string& s) {
  if (s.size() > 1 && IsPathDelimiter(s, s.size() - 1)) return s.substr(0, s.size() - 1);
  return s;
}

std::string GetTempDir() {
  return QueryGrowingText(
      [](uint32_t capacity, char* buffer) -> uint32_t { return GetTempPathA(capacity, buffer); }, MAX_PATH);
}

void DeleteTree(const std::string& folder) {
  // "" + "\*.*" would name the root of the current drive.
  if (folder.empty()) return;
  // Whatever a link points at belongs to someone else: remove only the link.
  if (IsFolderLink(GetFileAttributesA(folder.c_str()))) {
    RemoveDirectoryA(folder.c_str());
    return;
  }
  std::string base = IncludeTrailingBackslash(folder);
  WIN32_FIND_DATAA entry;
  TOwnedFind find(FindFirstFileA((base + "*.*").c_str(), &entry));
  if (find) {
    do {
      if (IsDotEntry(entry.cFileName)) continue;
      std::string path = base + entry.cFileName;
      if (IsFolderLink(entry.dwFileAttributes)) {
        RemoveDirectoryA(path.c_str());
      } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        DeleteTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find.Get(), &entry));
    find.Close();
  }
  RemoveDirectoryA(folder.c_str());
}
