#include <windows.h>

#include "classlib/fileexists.h"

bool FileExists(const std::string& fileName) {
  if (fileName.empty()) return false;
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
