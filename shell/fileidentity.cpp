#include "shell/fileidentity.h"

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "shell/openablepath.h"

namespace {

// 2 s in the 100 ns steps of a FILETIME.
constexpr int64_t kCoarsestTimeStep = 20'000'000;

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

bool ReachableExactly(std::wstring_view name) {
  if (name.find_first_of(L"*?") != std::wstring_view::npos) return false;
  return name.empty() || (name.back() != L'.' && name.back() != L' ');
}

}  // namespace

TFileFacts FactsOf(const WIN32_FIND_DATAW& data) {
  return TFileFacts{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                    (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime};
}

std::optional<TFileFacts> FileFacts(const std::wstring& path) {
  const std::wstring name = WideExtractFileName(path);
  if (!ReachableExactly(name)) return std::nullopt;
  const std::wstring asked = ExtendedLengthPath(path);
  if (MayBeShortName(name)) {
    // Listing the entry gives its real name; it is a slower call.
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(asked.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(find);
    return FactsOf(data);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(asked.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return TFileFacts{name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                    (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime};
}

bool PathGone(const std::wstring& path) {
  if (!ReachableExactly(WideExtractFileName(path))) return false;
  if (GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool SameWriteTime(const FILETIME& a, const FILETIME& b) {
  const int64_t difference = Ticks(a) - Ticks(b);
  return difference <= kCoarsestTimeStep && difference >= -kCoarsestTimeStep;
}

std::wstring PathKey(const std::wstring& path) { return WideUpperCase(FullPathName(path)); }

bool TFileIdentities::Same(const std::wstring& a, const TFileFacts& fa, const std::wstring& b, const TFileFacts& fb) {
  // One file seen twice at one moment shows the same facts; files that
  // differ in them need no slow look.
  if (fa.Folder != fb.Folder || fa.Size != fb.Size || CompareFileTime(&fa.Written, &fb.Written) != 0 ||
      WideCompareText(fa.Name, fb.Name) != 0)
    return false;
  const std::wstring keyA = PathKey(a), keyB = PathKey(b);
  if (keyA == keyB) return true;
  const std::optional<TIdentity>& idA = IdentityOf(keyA);
  const std::optional<TIdentity>& idB = IdentityOf(keyB);
  return idA && idB && *idA == *idB;
}

const std::optional<TFileIdentities::TIdentity>& TFileIdentities::IdentityOf(const std::wstring& fullPath) {
  const auto known = known_.find(fullPath);
  if (known != known_.end()) return known->second;
  std::optional<TIdentity>& identity = known_[fullPath];
  // No access asked: only the file's metadata, whoever holds it open.
  HANDLE file = CreateFileW(ExtendedLengthPath(fullPath).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileInformationByHandle(file, &information))
    identity = TIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
  CloseHandle(file);
  return identity;
}
