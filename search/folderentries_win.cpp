#include "search/folderentries.h"

#include <cstring>

#include "classlib/codepage.h"
#include "classlib/filetime.h"
#include "classlib/paths.h"
#include "search/pathfit.h"
#include "shell/openablepath.h"

namespace {

// Not yet named by the platform headers we build with.
constexpr DWORD kAttributeRecallOnOpen = 0x00040000;
constexpr DWORD kAttributeRecallOnDataAccess = 0x00400000;

bool IsAscii(std::wstring_view text) {
  for (wchar_t c : text)
    if (c >= 0x80) return false;
  return true;
}

// The name in the code page when it holds it exactly; false otherwise (and
// for an empty name). Every code page holds ASCII as it is, which spares
// the conversion calls for nearly every name.
bool ExactName(std::wstring_view name, std::string& out) {
  if (!IsAscii(name)) return WideToMultiByteExact(name, kAnsiCodePage, out);
  out.assign(name.begin(), name.end());
  return !out.empty();
}

bool EndsInName(const std::string& path, const std::string& name) {
  return !name.empty() && path.size() > name.size() && path[path.size() - name.size() - 1] == '\\' &&
         path.compare(path.size() - name.size(), name.size(), name) == 0;
}

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

TFolderEntries::TFolderEntries(const std::string& folder) : folder_(folder) {
  const std::wstring pattern = ExtendedLengthPath(MultiByteToWide(folder) + L"\\*");
  handle_ = FindFirstFileW(pattern.c_str(), &wide_);
}

TFolderEntries::~TFolderEntries() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

bool TFolderEntries::Next() {
  for (;;) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    if (first_) {
      first_ = false;
    } else if (!FindNextFileW(handle_, &wide_)) {
      FindClose(handle_);
      handle_ = INVALID_HANDLE_VALUE;
      return false;
    }
    if (IsDotName(wide_.cFileName)) continue;
    if (Take()) return true;
    ++leftOut_;
  }
}

bool TFolderEntries::Take() {
  std::string own;
  std::string shortName;
  const bool held = ExactName(wide_.cFileName, own);
  ExactName(wide_.cAlternateFileName, shortName);
  realName_ = held ? own : NameForMasks(wide_.cFileName);
  const std::string& name = held ? own : shortName;
  if (!name.empty() && folder_.size() + 1 + name.size() <= kMaxOpenablePath) path_ = folder_ + "\\" + name;
  else path_ = FitPath(folder_, ShortFolder(), held ? own : std::string(), shortName);
  if (path_.empty()) return false;

  CopyAttributesTimesAndSize(wide_, data_);
  data_.dwReserved0 = wide_.dwReserved0;
  data_.dwReserved1 = wide_.dwReserved1;
  // The path ends in one of the two names (and is shorter than MAX_PATH, so
  // the name fits the field).
  const std::string& used = EndsInName(path_, name) ? name : shortName;
  std::memcpy(data_.cFileName, used.c_str(), used.size() + 1);
  data_.cAlternateFileName[0] = '\0';
  if (shortName.size() < sizeof data_.cAlternateFileName)
    std::memcpy(data_.cAlternateFileName, shortName.c_str(), shortName.size() + 1);
  return true;
}

const std::string& TFolderEntries::ShortFolder() {
  if (!shortFolderKnown_) {
    shortFolderKnown_ = true;
    shortFolder_ = ShortFolderPath(folder_);
  }
  return shortFolder_;
}

std::string ShortFolderPath(const std::string& folder) {
  std::string result;
  if (!WideToMultiByteExact(ShortPathName(MultiByteToWide(folder)), kAnsiCodePage, result)) result.clear();
  return result;
}

bool TFolderEntries::IsLink() const {
  if (!IsFolder() || (wide_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  // The wide find data carries the tag where the 8-bit one may leave it
  // unset (Wine does).
  return IsFolderLinkTag(wide_.dwReserved0);
}

bool IsFolderLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

bool IsOnlineOnly(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_OFFLINE | kAttributeRecallOnOpen | kAttributeRecallOnDataAccess)) != 0;
}

std::string NameForMasks(std::wstring_view name) {
  std::string result;
  if (ExactName(name, result)) return result;
  result.clear();
  for (size_t i = 0; i < name.size();) {
    // A character outside the basic plane is a pair of units.
    const size_t units = IS_HIGH_SURROGATE(name[i]) && i + 1 < name.size() ? 2 : 1;
    std::string character;
    result += WideToMultiByteExact(name.substr(i, units), kAnsiCodePage, character) ? character
                                                                                                          : "?";
    i += units;
  }
  return result;
}

std::string RealNameOfPath(const std::string& path) {
  std::string name = ExtractFileName(path);
  // Short names the system makes hold a "~"; a name without one is the
  // entry's own.
  if (name.find('~') == std::string::npos) return name;
  const std::wstring wide = ExtendedLengthPath(MultiByteToWide(path));
  std::wstring longPath(MAX_PATH, L'\0');
  DWORD length = GetLongPathNameW(wide.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
  if (length >= longPath.size()) {
    longPath.resize(length);
    length = GetLongPathNameW(wide.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
  }
  if (length == 0 || length >= longPath.size()) return name;
  longPath.resize(length);
  return NameForMasks(longPath.substr(longPath.rfind(L'\\') + 1));
}

void FillSearchRec(const WIN32_FIND_DATAA& data, TSearchRec& rec) {
  rec.FindData = data;
  rec.Name = data.cFileName;
  rec.Attr = static_cast<int32_t>(data.dwFileAttributes);
  rec.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  rec.ExcludeAttr = 0;
  rec.FindHandle = INVALID_HANDLE_VALUE;
}

void SetSearchRecTime(TSearchRec& rec) { rec.Time = UtcFileTimeToFileDate(rec.FindData.ftLastWriteTime); }
