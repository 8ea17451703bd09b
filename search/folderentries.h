// A folder's entries straight from the platform's wide find calls, each
// with a path the 8-bit file calls open. The 8-bit find calls would give
// names through the system code page, which turns a character it lacks
// into "?" or a lookalike ("Łódź.txt" into "Lódz.txt" on a Western
// system): a path that names nothing, or a sibling. Unlike the class
// library's FindFirst / FindNext it does not work out each entry's packed
// local date (a time-zone conversion per entry, which costs as much as
// reading a small file under Wine): a walk needs it only for the entries it
// reports (SetSearchRecTime).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "classlib/findfile.h"

class TFolderEntries {
public:
  // Lists folder + "\*"; a folder that cannot be listed has no entries.
  // folder is a path the 8-bit calls would take, of any length.
  explicit TFolderEntries(const std::string& folder);
  ~TFolderEntries();
  TFolderEntries(const TFolderEntries&) = delete;
  TFolderEntries& operator=(const TFolderEntries&) = delete;

  // Moves to the next entry other than "." and ".."; false at the end. An
  // entry comes by its own name when the system code page holds it exactly,
  // otherwise by its short name; where the path would be too long for the
  // 8-bit calls, through the short form of the folder (see FitPath). An
  // entry that even so has no such path is left out (and counted).
  bool Next();
  // Entries left out so far: a name the code page cannot hold without a
  // short name, or a path too long even by short names.
  int LeftOut() const { return leftOut_; }
  // The entry as the 8-bit find calls fill it, the name being the one Path
  // ends in.
  const WIN32_FIND_DATAA& Data() const { return data_; }
  const char* Name() const { return data_.cFileName; }
  // The entry's path, real and within the length the 8-bit calls take.
  const std::string& Path() const { return path_; }
  // The entry's own (long) name, as masks, the choice of text converter and
  // the zip rule see it: in the code page, with "?" for each character the
  // code page lacks.
  const std::string& RealName() const { return realName_; }
  bool IsFolder() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A symbolic link or mount point: listed, never entered (it may lead back
  // up the tree or onto another drive).
  bool IsLink() const;

private:
  // Fills data_, path_ and realName_ from wide_; false when the entry has
  // no path the 8-bit calls open.
  bool Take();
  const std::string& ShortFolder();

  std::string folder_;
  std::string shortFolder_;
  bool shortFolderKnown_ = false;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool first_ = true;
  int leftOut_ = 0;
  WIN32_FIND_DATAW wide_{};
  WIN32_FIND_DATAA data_{};
  std::string path_;
  std::string realName_;
};

// Whether a reparse point with this tag is a link a walk must not enter:
// a symbolic link, a mount point (junction), or no tag at all (Wine shows
// its host's links so). Any other kind (a cloud file's placeholder, say)
// is a folder like the rest.
bool IsFolderLinkTag(DWORD tag);

// Whether a file's contents are online only (a cloud file not yet on this
// computer, or one moved to offline storage): reading them would fetch
// them, so a search leaves them unread.
bool IsOnlineOnly(DWORD attributes);

// folder by the short names of its parts, in the code page; "" when the
// system cannot say (or the code page does not hold it).
std::string ShortFolderPath(const std::string& folder);

// A file name as masks see it: the name in the code page, with "?" for each
// character the code page lacks (never a lookalike).
std::string NameForMasks(std::wstring_view name);

// The own name of a listed path that may end in a short name: its long
// name (as NameForMasks gives it) when it has one, else the name as it is.
std::string RealNameOfPath(const std::string& path);

// Copies what the find data and the attribute data of an entry (wide or
// 8-bit) have in common: attributes, times and size.
template <class Data>
void CopyAttributesTimesAndSize(const Data& from, WIN32_FIND_DATAA& to) {
  to.dwFileAttributes = from.dwFileAttributes;
  to.ftCreationTime = from.ftCreationTime;
  to.ftLastAccessTime = from.ftLastAccessTime;
  to.ftLastWriteTime = from.ftLastWriteTime;
  to.nFileSizeHigh = from.nFileSizeHigh;
  to.nFileSizeLow = from.nFileSizeLow;
}

// Fills rec from an entry's find data as FindFirst would, all but Time.
void FillSearchRec(const WIN32_FIND_DATAA& data, TSearchRec& rec);
// Time: the last-write time as a packed local DOS date-time.
void SetSearchRecTime(TSearchRec& rec);
