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
                    (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
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
                    (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
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

bool AlikeFacts(const TFileFacts& a, const TFileFacts& b) {
  return a.Folder == b.Folder && a.Size == b.Size && CompareFileTime(&a.Written, &b.Written) == 0 &&
         WideCompareText(a.Name, b.Name) == 0;
}

std::wstring EntryKey(const std::wstring& path) { return PathKey(RealPath(WideExtractFilePath(path))); }

bool TFileIdentities::Same(const std::wstring& a, const TFileFacts& fa, const std::wstring& b, const TFileFacts& fb,
                           TSameness sameness) {
  // Files that differ in their facts need no slow look; alike facts carry
  // one real name, so one folder holding both is one entry.
  return AlikeFacts(fa, fb) && (EntryKey(a) == EntryKey(b) || SameByIdentity(a, b, sameness));
}

bool TFileIdentities::SameByIdentity(const std::wstring& a, const std::wstring& b, TSameness sameness) {
  return SameFile(a, b) && (sameness == TSameness::File || SameFile(WideExtractFilePath(a), WideExtractFilePath(b)));
}

bool TFileIdentities::SameFile(const std::wstring& a, const std::wstring& b) {
  if (PathKey(a) == PathKey(b)) return true;
  const std::optional<uint64_t> indexA = IndexOf(a), indexB = IndexOf(b);
  if (!indexA || !indexB || *indexA != *indexB) return false;
  const std::optional<DWORD> volumeA = VolumeOf(a), volumeB = VolumeOf(b);
  return volumeA && volumeB && *volumeA == *volumeB;
}

// The file index alone. The whole BY_HANDLE_FILE_INFORMATION asks the
// volume too, which takes twice as long again under Wine; files are told
// apart by index first and by volume only where the indexes agree.
std::optional<uint64_t> SystemFileIndex(HANDLE file) {
  struct TIoStatus {
    LONG_PTR Status;
    ULONG_PTR Information;
  };
  using TQuery = LONG(NTAPI*)(HANDLE, TIoStatus*, void*, ULONG, ULONG);
  constexpr ULONG kFileInternalInformation = 6;
  static const auto query = reinterpret_cast<TQuery>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
  if (query != nullptr) {
    TIoStatus status{};
    LARGE_INTEGER index{};
    if (query(file, &status, &index, sizeof index, kFileInternalInformation) >= 0)
      return static_cast<uint64_t>(index.QuadPart);
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
  return (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
}

std::optional<uint64_t> TFileIdentities::IndexOf(const std::wstring& path) {
  const auto [known, added] = known_.try_emplace(PathKey(path));
  TAnswer& answer = known->second;
  if (!added) return answer.Index;
  // Opened as spelled, never by the key: Wine looks an upper-case name up
  // by reading the whole folder.
  HANDLE file = OpenForMetadata(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<uint64_t> index = readIndex_(file);
  CloseHandle(file);
  // A file system without indexes (some network servers, some drivers)
  // gives every file the same one.
  if (index && *index != 0 && *index != ~uint64_t{0}) answer.Index = index;
  return answer.Index;
}

std::optional<DWORD> TFileIdentities::VolumeOf(const std::wstring& path) {
  TAnswer& answer = known_[PathKey(path)];
  if (answer.VolumeAsked) return answer.Volume;
  answer.VolumeAsked = true;
  HANDLE file = OpenForMetadata(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileInformationByHandle(file, &information)) answer.Volume = information.dwVolumeSerialNumber;
  CloseHandle(file);
  return answer.Volume;
}

TFileSet::TFactsKey TFileSet::KeyOf(const TFileFacts& facts) {
  return {WideUpperCase(facts.Name), facts.Folder, facts.Size, static_cast<uint64_t>(Ticks(facts.Written))};
}

int TFileSet::Find(const std::wstring& path, const TFileFacts& facts) {
  const auto group = groups_.find(KeyOf(facts));
  if (group == groups_.end()) return -1;
  TGroup& same = group->second;
  for (const auto& [member, value] : same.unresolved) {
    same.byEntryKey.emplace(EntryKey(member), value);
    if (const std::optional<uint64_t> index = identities_.IndexOf(member))
      same.byIndex.emplace(*index, std::make_pair(member, value));
  }
  same.unresolved.clear();
  if (const auto byKey = same.byEntryKey.find(EntryKey(path)); byKey != same.byEntryKey.end()) return byKey->second;
  const std::optional<uint64_t> index = identities_.IndexOf(path);
  if (!index) return -1;
  const auto [first, last] = same.byIndex.equal_range(*index);
  for (auto candidate = first; candidate != last; ++candidate)
    if (const auto& [member, value] = candidate->second; identities_.SameByIdentity(path, member, sameness_))
      return value;
  return -1;
}

void TFileSet::Add(const std::wstring& path, const TFileFacts& facts, int value) {
  groups_[KeyOf(facts)].unresolved.emplace_back(path, value);
}
