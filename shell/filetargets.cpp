#include "shell/filetargets.h"

#include <windows.h>

#include <set>

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "shell/openablepath.h"

namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    const bool fits = length < full.size();
    full.resize(length);
    if (fits) return full;
  }
}

// What tells one file from another: its full path by real names, in one
// letter case (file names are compared as the system compares them). A name
// not there yet is taken as it is, in its folder's real path.
std::wstring Identity(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  std::wstring real = RealPath(full);
  if (real == full && !Exists(full)) {
    real = WideIncludeTrailingBackslash(RealPath(WideExtractFilePath(full))) + WideExtractFileName(full);
  }
  return WideUpperCase(real);
}

struct TEntry {
  std::wstring RealName;
  bool Folder = false;
};

// The entry that path reaches, if any: by its own name or by its short name.
std::optional<TEntry> EntryAt(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(ExtendedLengthPath(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(find);
  return TEntry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

// "a (2).txt", "a (3).txt"...: the first that no file in folder and no name
// in taken holds. A folder's name keeps its dots.
std::wstring FreeName(const std::wstring& folder, const std::wstring& name, bool isFolder,
                      const std::set<std::wstring>& taken) {
  const size_t dot = name.rfind(L'.');
  const size_t cut = isFolder || dot == std::wstring::npos || dot == 0 ? name.size() : dot;
  const std::wstring stem = name.substr(0, cut), extension = name.substr(cut);
  for (unsigned long long n = 2;; ++n) {
    const std::wstring candidate = folder + stem + L" (" + std::to_wstring(n) + L")" + extension;
    if (!taken.count(Identity(candidate)) && !Exists(candidate)) return candidate;
  }
}

}  // namespace

std::wstring RealPath(const std::wstring& path) {
  const std::wstring asked = ExtendedLengthPath(path);
  std::wstring result(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetLongPathNameW(asked.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (length == 0) return path;
    const bool fits = length < result.size();
    result.resize(length);
    if (fits) break;
  }
  if (asked.size() != path.size() && result.compare(0, kExtendedPrefix.size(), kExtendedPrefix) == 0)
    result.erase(0, kExtendedPrefix.size());
  return result;
}

std::optional<std::vector<TFileTarget>> PlanFileTargets(const std::vector<std::wstring>& sources,
                                                        const std::wstring& folder, TTransfer transfer,
                                                        const TAskReplace& ask) {
  const std::wstring into = WideIncludeTrailingBackslash(folder);
  std::set<std::wstring> selected;
  for (const std::wstring& source : sources) selected.insert(Identity(source));
  // One file reached twice (by its long and by its short name, say) goes once:
  // a move could not find it the second time.
  std::set<std::wstring> planned;
  // Names given to files of this operation, and, for a move, those of files
  // that stay where they are.
  std::set<std::wstring> taken;
  std::vector<TFileTarget> plan;
  for (const std::wstring& source : sources) {
    if (source.empty() || !planned.insert(Identity(source)).second) continue;
    const std::optional<TEntry> entry = EntryAt(source);
    const std::wstring name = entry ? entry->RealName : WideExtractFileName(source);
    TFileTarget file{source, into + name};
    const std::wstring identity = Identity(file.Target);
    if (identity == Identity(source) && transfer == TTransfer::Move) {
      taken.insert(identity);
      continue;
    }
    const bool isFolder = entry && entry->Folder;
    const std::optional<TEntry> there = EntryAt(file.Target);
    // What the target reaches by another name is some other file's short
    // name; a file cannot replace a folder, nor a folder a file.
    const bool replaceable = there && WideCompareText(there->RealName, name) == 0 && there->Folder == isFolder;
    if (taken.count(identity) || selected.count(identity) || (there && !replaceable)) {
      file.Target = FreeName(into, name, isFolder, taken);
    } else if (there) {
      switch (ask(into + there->RealName)) {
        case TReplaceAnswer::Cancel:
          return std::nullopt;
        case TReplaceAnswer::Keep:
          continue;
        case TReplaceAnswer::Replace:
          file.Replaces = true;
          break;
      }
    }
    taken.insert(Identity(file.Target));
    plan.push_back(std::move(file));
  }
  return plan;
}

bool Arrived(const TFileTarget& file, TTransfer transfer) {
  WIN32_FILE_ATTRIBUTE_DATA target{}, source{};
  if (!GetFileAttributesExW(ExtendedLengthPath(file.Target).c_str(), GetFileExInfoStandard, &target)) return false;
  const bool sourceThere =
      GetFileAttributesExW(ExtendedLengthPath(file.Source).c_str(), GetFileExInfoStandard, &source) != 0;
  if (transfer == TTransfer::Move) return !sourceThere;
  if (!file.Replaces || (target.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  // The file it replaced may have had the same size, hardly the same time too.
  return sourceThere && target.nFileSizeLow == source.nFileSizeLow && target.nFileSizeHigh == source.nFileSizeHigh &&
         CompareFileTime(&target.ftLastWriteTime, &source.ftLastWriteTime) == 0;
}
