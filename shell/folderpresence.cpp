#include "shell/folderpresence.h"

#include <windows.h>

#include <vector>

#include "classlib/codepage.h"
#include "shell/owners.h"
#include "shell/shownname.h"

namespace {

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The shell shows a folder by a name of its own only when its desktop.ini
// says so, and reads that only in a folder marked read-only or system.
bool MayBeShownOtherwise(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool HoldsDesktopIni(const std::wstring& folder) {
  const std::wstring settings = folder + L"\\desktop.ini";
  // Unreadable: it may hold one.
  return GetFileAttributesW(settings.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND;
}

enum class TPresence { kThere, kGone, kUnknown };

// Names are the tree's texts, each matched against every folder of parent
// (hidden ones included) converted as the tree converts. Two folders can
// show alike, so each is followed: the path is gone only when it is gone
// below all of them.
TPresence Presence(const std::wstring& parent, std::span<const std::string_view> names) {
  if (names.empty()) return TPresence::kThere;
  WIN32_FIND_DATAW data{};
  TOwnedFind find(FindFirstFileW((parent + L"\\*").c_str(), &data));
  if (!find) return TPresence::kUnknown;
  std::vector<std::wstring> shownAlike;
  std::vector<std::wstring> shownOtherwise;
  do {
    const std::wstring_view name(data.cFileName);
    if (!IsFolder(data.dwFileAttributes) || name == L"." || name == L"..") continue;
    if (ShownName(name) == names.front()) shownAlike.emplace_back(name);
    else if (MayBeShownOtherwise(data)) shownOtherwise.emplace_back(name);
  } while (FindNextFileW(find.Get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) return TPresence::kUnknown;

  if (shownAlike.empty()) {
    for (const std::wstring& name : shownOtherwise)
      if (HoldsDesktopIni(parent + L"\\" + name)) return TPresence::kUnknown;
    return TPresence::kGone;
  }
  TPresence result = TPresence::kGone;
  for (const std::wstring& name : shownAlike) {
    const TPresence below = Presence(parent + L"\\" + name, names.subspan(1));
    if (below == TPresence::kThere) return below;
    if (below == TPresence::kUnknown) result = below;
  }
  return result;
}

}  // namespace

bool FolderGoneFromDisk(const std::string& base, std::span<const std::string_view> names) {
  if (base.empty()) return false;
  // Converted before the trailing "\" goes, so a second byte 5C of a
  // double-byte character is never taken for it.
  std::wstring folder = MultiByteToWide(base);
  if (!IsFolder(GetFileAttributesW(folder.c_str()))) return false;
  if (folder.back() == L'\\') folder.pop_back();
  return Presence(folder, names) == TPresence::kGone;
}
