// Listing the sub-folders of a shell folder (hidden ones and files left
// out), with the system's "drive not ready" box kept away.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>

// Calls each with every sub-folder's list, relative to folder and owned by
// the caller of each (freed after it returns). True when the folder could
// be listed; a folder that answers with success and no enumerator is empty.
bool EnumerateSubFolders(IShellFolder* folder, HWND owner, const std::function<void(LPITEMIDLIST item)>& each);
