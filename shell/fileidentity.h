// Telling files apart. One file can be reached by many paths (by its long
// or its short name, in any letter case, through another drive letter or a
// junction), and many files bear one name in different folders. Paths are
// compared by what they reach: cheap facts first, the file's identity
// (volume and file index) only where the facts cannot tell.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// What a folder listing says of an entry.
struct TFileFacts {
  std::wstring Name;  // its real (long) name
  bool Folder = false;
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

// Whether two write times are the same to a file system's precision: FAT
// keeps them to 2 s, exFAT to 10 ms, and a copy there is rounded.
bool SameWriteTime(const FILETIME& a, const FILETIME& b);

// Identities of paths, each asked of the system once: opening a file to ask
// is slow (half a millisecond under Wine).
class TFileIdentities {
public:
  // Whether a and b, whose entries have the facts fa and fb, reach one file.
  bool Same(const std::wstring& a, const TFileFacts& fa, const std::wstring& b, const TFileFacts& fb);

private:
  struct TIdentity {
    DWORD Volume = 0, IndexHigh = 0, IndexLow = 0;
    bool operator==(const TIdentity&) const = default;
  };
  const std::optional<TIdentity>& IdentityOf(const std::wstring& fullPath);

  std::map<std::wstring, std::optional<TIdentity>> known_;  // by upper-case full path
};

// The full path of path, in upper case: equal texts reach one file.
std::wstring PathKey(const std::wstring& path);
