#include "search/folderentries.h"

#include <cstring>

#include "classlib/filetime.h"

TFolderEntries::TFolderEntries(const std::string& folder) {
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
    if (std::strcmp(data_.cFileName, ".") != 0 && std::strcmp(data_.cFileName, "..") != 0) return true;
  }
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
