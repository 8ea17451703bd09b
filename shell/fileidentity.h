// Telling files apart. One file can be reached by many paths (by its long
// or its short name, in any letter case, through another drive letter or a
// junction), and many files bear one name in different folders. Paths are
// compared by what they reach: cheap facts first, the file's identity
// (volume and file index) only where the facts cannot tell. One file may
// also have several entries (hard links): an operation on the entry of one
// leaves the others, so what is picked is told apart by entry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// What a folder listing says of an entry.
struct TFileFacts {
  std::wstring Name;  // its real (long) name
  bool Folder = false;
  bool Link = false;  // a reparse point: a junction, a mount point, a symbolic link
  uint64_t Size = 0;
  FILETIME Written{};
};

TFileFacts FactsOf(const WIN32_FIND_DATAW& data);

// The facts of what path reaches, by its real name also when path reaches it
// by its short name. nullopt when nothing is there, and for a name the
// system calls cannot reach exactly: one with a wildcard, or one ending in
// "." or " " (they would reach the name without it).
std::optional<TFileFacts> FileFacts(const std::wstring& path);

// Whether nothing is at path any more: only "not found" says so, never a
// file that cannot be read (access denied, a share offline), nor a name the
// calls cannot reach exactly.
bool PathGone(const std::wstring& path);

// Whether two listings of entries say the same: one file seen twice at one
// moment does.
bool AlikeFacts(const TFileFacts& a, const TFileFacts& b);

// Whether two write times are the same to a file system's precision: FAT
// keeps them to 2 s, exFAT to 10 ms, and a copy there is rounded.
bool SameWriteTime(const FILETIME& a, const FILETIME& b);

// What two paths must share to count as one: the file (any of its hard
// links), or the directory entry (one name in one folder).
enum class TSameness { File, Entry };

// The file index the system gives for an open file, as it gives it.
using TFileIndexReader = std::optional<uint64_t> (*)(HANDLE file);
std::optional<uint64_t> SystemFileIndex(HANDLE file);

// Identities of paths, each asked of the system once: opening a file to ask
// is slow (half a millisecond under Wine).
class TFileIdentities {
public:
  explicit TFileIdentities(TFileIndexReader readIndex = SystemFileIndex) : readIndex_(readIndex) {}

  // Whether a and b, whose entries have the facts fa and fb, are one.
  bool Same(const std::wstring& a, const TFileFacts& fa, const std::wstring& b, const TFileFacts& fb,
            TSameness sameness);
  // Whether a and b are one by volume and file index (for an entry, their
  // folders too), whatever their spelling.
  bool SameByIdentity(const std::wstring& a, const std::wstring& b, TSameness sameness);
  // Whether two paths reach one file: the same volume and file index.
  bool SameFile(const std::wstring& a, const std::wstring& b);
  // The file index of what path reaches; files on two volumes may share one.
  // nullopt also where the file system keeps no indexes and gives 0 or all
  // ones for every file.
  std::optional<uint64_t> IndexOf(const std::wstring& path);

private:
  struct TAnswer {
    std::optional<uint64_t> Index;
    bool VolumeAsked = false;
    std::optional<DWORD> Volume;
  };
  std::optional<DWORD> VolumeOf(const std::wstring& path);

  TFileIndexReader readIndex_;
  std::map<std::wstring, TAnswer> known_;  // by PathKey
};

// Many files told apart as TFileIdentities::Same tells two: a file is looked
// at closer only when one added before shows the same facts, and then each
// of them once, so that a thousand copies of one file bearing one time stay
// quick.
class TFileSet {
public:
  TFileSet(TFileIdentities& identities, TSameness sameness) : identities_(identities), sameness_(sameness) {}

  // The value added with a file that path (whose entry has facts) reaches;
  // -1 when there is none.
  int Find(const std::wstring& path, const TFileFacts& facts);
  void Add(const std::wstring& path, const TFileFacts& facts, int value);

private:
  using TFactsKey = std::tuple<std::wstring, bool, uint64_t, uint64_t>;
  struct TGroup {
    std::vector<std::pair<std::wstring, int>> unresolved;  // paths not looked at closer yet, with their values
    std::map<std::wstring, int> byEntryKey;
    std::multimap<uint64_t, std::pair<std::wstring, int>> byIndex;  // paths, with their values, by file index
  };
  static TFactsKey KeyOf(const TFileFacts& facts);

  TFileIdentities& identities_;
  const TSameness sameness_;
  std::map<TFactsKey, TGroup> groups_;
};

// The full path of path, in upper case: equal texts reach one file.
std::wstring PathKey(const std::wstring& path);
// The PathKey of the real path of the folder that holds path: equal texts,
// with one real name, reach one entry.
std::wstring EntryKey(const std::wstring& path);
