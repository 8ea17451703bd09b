// What the shell knows about files and items: display and type names, icon
// indexes in the system image list, attributes. Failures give "", -1 or 0.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "shell/pidls.h"

std::string GetPidlDisplayName(PItemIDList pidl);
// The item's index in the system image list (small unless large; the open
// folder's icon when open), -1 when the shell has none.
int GetPidlIconIndex(PItemIDList pidl, bool large, bool open);
// The item's attributes (SFGAO_*); a non-zero mask asks for just those.
// 0 when the shell fails.
uint32_t GetPidlAttributes(PItemIDList pidl, uint32_t mask);
// The shell's system image list of large or small icons; 0 on failure.
HIMAGELIST GetSystemImageList(bool large);
// The icon index of a file on disk for SHGetFileInfo flags; -1 on failure.
int GetFileIconIndexFlags(const std::string& path, uint32_t flags);
int GetFileIconIndex(const std::string& path, bool large);
// The type name the shell gives files with the extension (as the path
// helpers give it, dot included); nothing on disk is looked at. Without a
// registered name: the extension in upper case followed by " file".
std::string GetFileTypeName(const std::string& extension);
// The name when the shell gave one, otherwise the fallback made from the
// extension.
std::string FileTypeNameOrFallback(const std::string& shellName, const std::string& extension);
