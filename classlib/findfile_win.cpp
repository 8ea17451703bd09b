#include "classlib/findfile.h"

#include "classlib/filetime.h"

namespace {

constexpr int32_t kSkippable = faHidden | faSysFile | faVolumeID | faDirectory;

// Fills the record from FindData; false when the entry is to be skipped.
bool Accept(TSearchRec& rec) {
  const WIN32_FIND_DATAA& data = rec.FindData;
  if ((static_cast<int32_t>(data.dwFileAttributes) & rec.ExcludeAttr) != 0) return false;
  rec.Time = UtcFileTimeToFileDate(data.ftLastWriteTime);
  rec.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  rec.Attr = static_cast<int32_t>(data.dwFileAttributes);
  rec.Name = data.cFileName;
  return true;
}

int NextAccepted(TSearchRec& rec) {
  for (;;) {
    if (!FindNextFileA(rec.FindHandle, &rec.FindData)) return static_cast<int>(GetLastError());
    if (Accept(rec)) return 0;
  }
}

}  // namespace

int FindFirst(const std::string& path, int32_t attr, TSearchRec& rec) {
  rec.ExcludeAttr = ~attr & kSkippable;
  rec.FindHandle = FindFirstFileA(path.c_str(), &rec.FindData);
  if (rec.FindHandle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    // "Nothing matches" in a folder that exists is the end, not a failure.
    return error == ERROR_FILE_NOT_FOUND ? kFindDone : static_cast<int>(error);
  }
  if (Accept(rec)) return 0;
  int result = NextAccepted(rec);
  if (result != 0) FindClose(rec);
  return result;
}

int FindNext(TSearchRec& rec) {
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
  return NextAccepted(rec);
}

void FindClose(TSearchRec& rec) {
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return;
  ::FindClose(rec.FindHandle);
  rec.FindHandle = INVALID_HANDLE_VALUE;
}
