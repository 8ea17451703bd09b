// A folder of one test's own, below a folder that the test processes of a
// run share. Wine gives the id of an ended process to a later one, and a
// test may leave its folder behind (Wine cannot remove a host's folder link),
// so a name made of the process id alone can name an old folder: the name
// is only taken once this call has created the folder.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

// Creates parent + stem + a number and returns that path. parent ends with
// "\" (or is empty for the current folder's own names).
inline std::string MakeFreshFolder(const std::string& parent, const std::string& stem) {
  static std::atomic<unsigned> counter{0};
  const std::string base = parent + stem + std::to_string(GetCurrentProcessId()) + "-";
  for (;;) {
    std::string path = base + std::to_string(counter++);
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create the folder " << path << " (error " << error << ")";
      return path;
    }
  }
}

// The same below the user's temporary folder.
inline std::string MakeFreshTempFolder(const std::string& stem) {
  char base[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, base);
  return MakeFreshFolder(base, stem);
}
