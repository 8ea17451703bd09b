// The shell's own dialogs and file operations. The shell shows its
// confirmations, progress and errors itself; these functions only say
// whether everything was done.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/filetargets.h"

class TStrings;

// Opens the shell's properties sheet of a file (fully qualified, named as
// the shell's operations name it) at the named page ("" for the first);
// true when the shell accepted the request.
bool ShowFileProperties(const std::string& fileName, const std::string& pageName);

// The shell's folder browser (file-system folders only); the chosen path,
// "" when cancelled or when the chosen item has no path.
std::string BrowseForFolderTitle(HWND ownerWindow, const std::string& title);
std::string BrowseForFolder(HWND ownerWindow);

// One shell operation over the whole list (full paths), undoable where the
// shell allows; true only when the shell did it all without being cancelled.
// An empty list does nothing and gives false. The program's windows take no
// input while the shell's own windows ask and show progress. The shell gets
// each name by its real (long) names where they stay under MAX_PATH, by the
// name given otherwise; a name that is not fully qualified never reaches it
// (a destination folder that is not refuses the whole).
bool DeleteToRecycleBin(const TStrings& files);

enum class TShellOutcome { Done, Failed, Cancelled };
// The same for wide names, with how the shell ended: Cancelled also when the
// user answered its question "No".
TShellOutcome RecycleFiles(const std::vector<std::wstring>& files);
// A file of the same name in destFolder: the copy gets a new name, where the
// shell honours that.
bool CopyFiles(const TStrings& files, const std::string& destFolder);
bool MoveFiles(const TStrings& files, const std::string& destFolder);
// Each file to its own target: a file at a target that the caller marked
// for replacing is replaced without another question, while it is still
// what the user agreed to replace; a file found at any other target, or a
// changed one, is kept, and what was to go there stays where it is. True
// only when the shell did it all without being cancelled.
bool TransferFiles(const std::vector<TFileTarget>& files, TTransfer transfer);
