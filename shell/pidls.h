// Item-identifier lists (PIDLs) and the shell's special folders. Every list
// these functions make comes from the shell's task allocator; its owner (the
// caller) frees it with PidlFree, or holds it in a TOwnedPidl.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "shell/owners.h"

using PItemIDList = LPITEMIDLIST;

enum TRootSpecial {
  rsDesktop,
  rsInternet,
  rsPrograms,
  rsControls,
  rsPrinters,
  rsPersonal,
  rsFavorites,
  rsStartUp,
  rsRecent,
  rsSendTo,
  rsBitBucket,
  rsStartMenu,
  rsDesktopDirectory,
  rsDrives,
  rsNetWork,
  rsNetHood,
  rsFonts,
  rsTemplates,
  rsCommonStartMenu,
  rsCommonPrograms,
  rsCommonStartUp,
  rsCommonDesktopDirectory,
  rsAppData,
  rsPrintHood,
  rsAltStartUp,
  rsCommonAltStartUp,
  rsCommonFavorites,
  rsInternetCache,
  rsCookies,
  rsHistory,
};
constexpr int kRootSpecialCount = rsHistory + 1;

// The shell's CSIDL number of a special folder.
int RootSpecialCsidl(TRootSpecial folder);

// A new list for the special folder; a failing shell result raises
// EOleSysError with the system's message.
PItemIDList GetSpecialFolderPidl(TRootSpecial folder);
// The desktop's list, fetched on first use and kept until the program ends;
// never freed by the caller.
PItemIDList DesktopPidl();

// Gives the shell's allocator and desktop folder back, with the cached
// desktop list: the program's exit calls it before OLE is uninitialised. A
// later use gets them again.
void ReleaseShellObjects();

// A zero-filled block from the shell's allocator, or nil.
PItemIDList PidlAlloc(uint32_t size);
// PidlFree (nil ignored) is declared in shell/owners.h.
// The item cb bytes further on.
PItemIDList PidlNext(PItemIDList item);
// Every item's cb plus the 2-byte terminator; 0 for nil.
uint32_t PidlSize(PItemIDList pidl);
// A new list: the parent's items (none when parent is nil), then the whole
// child. Nil when allocation fails.
PItemIDList ConcatPidls(PItemIDList parent, PItemIDList child);
// The desktop folder's CompareIDs says equal; two nils are equal, a nil and
// a list are not.
bool PidlsEqual(PItemIDList a, PItemIDList b);
// These two say "not equal" when the folder's list cannot be had.
bool IsDesktopPidl(PItemIDList pidl);
bool IsSpecialFolderPidl(PItemIDList pidl, TRootSpecial folder);

// The shell folder of a list: the desktop folder itself for the desktop,
// otherwise bound through the desktop folder. When check is set a failure
// raises EOleSysError; otherwise folder is left empty.
void GetShellFolder(PItemIDList pidl, bool check, TComPtr<IShellFolder>& folder);
// The file-system path of the item, as OpenablePath gives it (parts the
// code page cannot hold by their short names); "" when it is no
// file-system object or has no such path.
std::string PidlToPath(PItemIDList pidl);
// True when mask is non-zero and all of its bits are set in value.
bool FlagsSet(uint32_t mask, uint32_t value);
