// The shell's own dialogs and file operations. The shell shows its
// confirmations, progress and errors itself; these functions only say
// whether everything was done.
#pragma once

#include <windows.h>

#include <string>

class TStrings;

// Opens the shell's properties sheet of a file at the named page ("" for the
// first); true when the shell accepted the request.
bool ShowFileProperties(const std::string& fileName, const std::string& pageName);

// The shell's folder browser (file-system folders only); the chosen path,
// "" when cancelled or when the chosen item has no path.
std::string BrowseForFolderTitle(HWND ownerWindow, const std::string& title);
std::string BrowseForFolder(HWND ownerWindow);

// One shell operation over the whole list (full paths), undoable where the
// shell allows; true only when the shell did it all without being cancelled.
// An empty list does nothing and gives false.
bool DeleteToRecycleBin(const TStrings& files);
// A file of the same name in destFolder: the copy gets a new name (where the
// shell honours that), or, once the caller has asked the user, replaces it
// without another question.
enum class TOnCollision { Rename, Replace };
bool CopyFiles(const TStrings& files, const std::string& destFolder, TOnCollision collision = TOnCollision::Rename);
bool MoveFiles(const TStrings& files, const std::string& destFolder, TOnCollision collision = TOnCollision::Rename);
