// A folder's entries straight from the platform's find calls. Unlike the
// class library's FindFirst / FindNext it does not work out each entry's
// packed local date (a time-zone conversion per entry, which costs as much
// as reading a small file under Wine): a walk needs it only for the entries
// it reports (SetSearchRecTime).
#pragma once

#include <windows.h>

#include <string>

#include "classlib/findfile.h"

class TFolderEntries {
public:
  // Lists folder + "\*.*"; a folder that cannot be listed has no entries.
  explicit TFolderEntries(const std::string& folder);
  ~TFolderEntries();
  TFolderEntries(const TFolderEntries&) = delete;
  TFolderEntries& operator=(const TFolderEntries&) = delete;

  // Moves to the next entry other than "." and ".."; false at the end. An
  // entry whose name the system code page cannot hold comes by its short
  // name, so that folder + "\" + Name() names it; one without a short name
  // is left out.
  bool Next();
  const WIN32_FIND_DATAA& Data() const { return data_; }
  const char* Name() const { return data_.cFileName; }
  bool IsFolder() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A symbolic link or mount point: listed, never entered (it may lead back
  // up the tree or onto another drive).
  bool IsLink() const;

private:
  std::string folder_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool first_ = true;
  WIN32_FIND_DATAA data_{};
};

// Whether a reparse point with this tag is a link a walk must not enter:
// a symbolic link, a mount point (junction), or no tag at all (Wine shows
// its host's links so). Any other kind (a cloud file's placeholder, say)
// is a folder like the rest.
bool IsFolderLinkTag(DWORD tag);

// Fills rec from an entry's find data as FindFirst would, all but Time.
void FillSearchRec(const WIN32_FIND_DATAA& data, TSearchRec& rec);
// Time: the last-write time as a packed local DOS date-time.
void SetSearchRecTime(TSearchRec& rec);
