// Paths as 8-bit text that the program's 8-bit file calls can open. The
// 8-bit calls see names through the system code page, which turns what it
// cannot hold into "?" or a lookalike ("Łódź" into "Lódz" on a Western
// system): such a path names nothing, or another file. Every name that is
// not a valid 8.3 name also has a short name made of characters any code
// page holds, and the 8-bit calls open a path through it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The path as the wide calls take it past MAX_PATH characters: a full path
// ("C:\..." or "\\server\share\...") gets the "\\?\" form when it is that
// long; anything else is given back as it is.
std::wstring ExtendedLengthPath(const std::wstring& path);

// The path with every part that has a short name by its short name; "" when
// the path is not there (or the system cannot say). Never in the "\\?\"
// form, however long.
std::wstring ShortPathName(const std::wstring& path);

// The path with every part by its real (long) name; the path as it is when
// it is not there. Never in the "\\?\" form, however long.
std::wstring RealPath(const std::wstring& path);

// The file or folder opened with no access asked, for its metadata alone,
// whoever holds it open; INVALID_HANDLE_VALUE when it cannot be.
HANDLE OpenForMetadata(const std::wstring& path);

// Where path lies on the volume: every link, junction and mount point on its
// way followed and every part by its real name, so that its text names each
// folder it lies in. Parts not there yet are kept as spelled, after the
// nearest folder of the path that is there. "" when the system cannot say
// (the volume gives no such path, or no folder of the path can be opened).
std::wstring FinalPath(const std::wstring& path);

// The path as the shell and other programs are to get it: by its real
// (long) names, as a file made from it is to be named, where that stays
// shorter than MAX_PATH; otherwise as it is (most programs, and the shell's
// own calls, cannot open a longer path).
std::wstring ShellPath(const std::wstring& path);

// Whether path names one place whatever the current folder and drive are:
// a drive, ":" and "\" ("C:\..."), or "\\server\share...".
bool IsFullyQualified(std::wstring_view path);

// The path made full against the current folder, when it is not full yet.
// A drive alone ("C:") is taken as its root's name, as the search takes it.
std::wstring AbsolutePath(const std::wstring& path);
// The system's full form of path: against the current folder, with "." and
// ".." resolved and a final "." or " " of a name dropped; path itself when
// the system cannot say.
std::wstring FullPathName(const std::wstring& path);

// Whether a name may be a short name standing for another: every short name
// the system makes up holds a "~".
bool MayBeShortName(std::wstring_view name);

// Whether the file system keeps name as its own short name, so that it makes
// up no other one for it: a name it takes as a valid 8.3 name, without
// spaces.
bool IsOwnShortName(const std::wstring& name);

// The path in the ANSI code page when the code page holds it exactly;
// otherwise the same path with each part the code page cannot hold replaced
// by its short name ("C:\Users\Jan\____~KE1" for "C:\Users\Jan\Папка").
// "" when some such part has no short name, or the path is not there.
std::string OpenablePath(const std::wstring& path);
