// The program's places in the shell: the context-menu verbs of files and
// folders, and the Start Menu shortcut.
#pragma once

#include <string>

// Writes "*\shell\ovalis" ("Find the same files...", -L) and
// "Folder\shell\ovalis" ("Find with Ovalis...", -F) with their commands
// under HKEY_CLASSES_ROOT; raises the registry's error when a value cannot
// be set (the keys after it are then not written).
void RegisterShellVerbs(const std::string& programFile);
// Deletes those four keys; a missing key is no error.
void UnregisterShellVerbs();

// The Start Menu link "Ovalis.lnk", or "" when the Start Menu folder is not
// known.
std::string StartMenuLinkName();
// Creates the link when it is missing (nothing when it exists), raising
// when it cannot; deletes it when it exists.
void AddStartMenuLink(const std::string& programFile);
void RemoveStartMenuLink();
