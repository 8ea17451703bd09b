#include "app/programfolder.h"

#include <windows.h>

#include "classlib/paths.h"

std::string ProgramFileName() {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n < name.size()) {
      name.resize(n);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

std::string ProgramFolder() { return ExtractFilePath(ProgramFileName()); }
