// Folder helpers that touch no shell state, so any thread may call them.
#pragma once

#include <string>

// s without a final single-byte "\" (never the trail byte of a double-byte
// character); a one-character s stays as it is.
std::string RemoveTrailingBackslash(const std::string& s);

// The user's temporary folder, ending in "\"; "" when the system has none.
std::string GetTempDir();

// Deletes folder and everything below it, depth first. A link to a folder
// (junction or symbolic link), whether folder itself or found inside it, is
// removed without looking behind it. What cannot be deleted stays; nothing
// is reported. An empty name deletes nothing.
void DeleteTree(const std::string& folder);
