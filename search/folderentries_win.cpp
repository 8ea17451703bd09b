#include "search/folderentries.h"

#include <cstring>

#include "classlib/codepage.h"
#include "classlib/filetime.h"

namespace {

// The 8-bit find calls put "?" for each character the system code page
// cannot hold; no real name has one.
bool NameHeldByCodePage(const char* name) { return std::strchr(name, '?') == nullptr; }

// The reparse tag of an entry: the wide call reports it where the 8-bit
// one may leave the field unset (Wine does).
DWORD ReparseTag(const std::string& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(MultiByteToWide(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? data.dwReserved0 : 0;
}

}  // namespace

TFolderEntries::TFolderEntries(const std::string& folder) : folder_(folder) {
  handle_ = FindFirstFileA((folder + "\\*.*").c_str(), &data_);
}

TFolderEntries::~TFolderEntries() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

bool TFolderEntries::Next() {
  for (;;) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    if (first_) {
      first_ = false;
    } else if (!FindNextFileA(handle_, &data_)) {
      FindClose(handle_);
      handle_ = INVALID_HANDLE_VALUE;
      return false;
    }
    if (std::strcmp(data_.cFileName, ".") == 0 || std::strcmp(data_.cFileName, "..") == 0) continue;
    if (NameHeldByCodePage(data_.cFileName)) return true;
    if (data_.cAlternateFileName[0] == '\0') continue;
    std::memcpy(data_.cFileName, data_.cAlternateFileName, sizeof data_.cAlternateFileName);
    data_.cAlternateFileName[0] = '\0';
    return true;
  }
}

bool TFolderEntries::IsLink() const {
  if (!IsFolder() || (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  return IsFolderLinkTag(ReparseTag(folder_ + "\\" + Name()));
}

bool IsFolderLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
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
