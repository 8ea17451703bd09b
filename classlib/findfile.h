// Directory search records over the platform's find-first / find-next calls.
//
// FindFirst and FindNext answer 0 when they filled the record with an entry,
// kFindDone (ERROR_NO_MORE_FILES) when there is no further matching entry
// (an empty folder or a pattern matching nothing counts as done, not as a
// failure), and any other value is the system error that made the search
// fail (no access, folder missing, name too long).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Entry attributes, as the platform numbers them.
enum : int32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

constexpr int kFindDone = ERROR_NO_MORE_FILES;

struct TSearchRec {
  int32_t Time = 0;    // last write, packed local DOS date-time (clamped to 1980..2107)
  int64_t Size = 0;    // bytes
  int32_t Attr = 0;    // the entry's attributes
  std::string Name;    // the entry's name, no folder
  // Hidden, system, volume and folder entries are skipped unless the
  // attribute mask given to FindFirst asks for them.
  int32_t ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA FindData{};
};

// path is a folder and pattern ("C:\dir\*.*"); attr the attribute mask.
int FindFirst(const std::string& path, int32_t attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
// Ends the search; safe to call again or on a record never opened.
void FindClose(TSearchRec& rec);

// Closes a record's search when the scope ends, also on an exception.
class TFindScope {
public:
  explicit TFindScope(TSearchRec& rec) : rec_(rec) {}
  ~TFindScope() { FindClose(rec_); }
  TFindScope(const TFindScope&) = delete;
  TFindScope& operator=(const TFindScope&) = delete;

private:
  TSearchRec& rec_;
};
