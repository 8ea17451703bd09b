// The blocks of global memory that dragged or copied files are rendered
// into. Each is allocated with kDragDataAlloc and handed over: the receiver
// frees it. A failed allocation (or a name that cannot be parsed) gives nil.
#pragma once

#include <windows.h>

class TStrings;

// Moveable, as the clipboard requires of the blocks put on it.
constexpr UINT kDragDataAlloc = GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT;

// CF_HDROP: a 20-byte DROPFILES header, then each full path as ShellPath
// gives it (by its real names where they fit MAX_PATH) as UTF-16 with its
// zero unit, then one more zero unit.
HGLOBAL RenderFileList(const TStrings& files);
// "FileNameMap" and "FileNameMapW": each name with its terminator, then one
// more terminator (8-bit, or UTF-16 units).
HGLOBAL RenderNameMap(const TStrings& names);
HGLOBAL RenderNameMapW(const TStrings& names);
// "Preferred DropEffect": one 32-bit DROPEFFECT_ value.
HGLOBAL RenderDropEffect(DWORD effect);
// "Shell IDList Array": the count, count + 1 offsets, the parent folder's
// absolute list, then each file's list relative to it. When the files share
// one folder that folder is the parent; otherwise the parent is the desktop
// (the empty list) and each file's list is its absolute one, so every list
// names the file given. Parsed from the same paths as CF_HDROP. Nil when a
// folder is no folder, a path (as UTF-16) is 260 units or more, or a name
// cannot be parsed.
HGLOBAL RenderShellIdList(const TStrings& files);
