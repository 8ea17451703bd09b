// The help-decompiler stand-in ("hh.exe" beside the test programs, built
// from chm2text_hh_standin.cpp) put where the compiled-help extractor runs
// the system's own from: the Windows folder of the test session's private
// prefix. Test processes run side by side, so it is copied under a name of
// its own and moved into place whole.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace search_test {

inline std::string HelpDecompilerPath() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryA(folder, sizeof folder);
  return std::string(folder, length) + "\\hh.exe";
}

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// False when the stand-in could not be put there. Another test process may
// be moving it in, or reading or running what is there, meanwhile: that is
// waited out.
inline bool InstallHelpDecompilerStandIn() {
  char self[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string source(self, n);
  source = source.substr(0, source.rfind('\\') + 1) + "hh.exe";
  const std::string target = HelpDecompilerPath();
  const std::string bytes = FileBytes(source);
  if (bytes.empty()) return false;
  const std::string copy = target + "." + std::to_string(GetCurrentProcessId()) + ".new";
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (FileBytes(target) == bytes) return true;
    if (CopyFileA(source.c_str(), copy.c_str(), FALSE) &&
        MoveFileExA(copy.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
      continue;
    DeleteFileA(copy.c_str());
    Sleep(20);
  }
  return false;
}

}  // namespace search_test
