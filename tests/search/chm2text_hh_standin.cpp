// A stand-in for the help decompiler, whose Wine version writes nothing.
// Run as "hh.exe -decompile <folder> <file.chm>", it checks that the file is
// a compiled help file and writes into the folder the pages of the folder
// named by OVALIS_HH_PAGES that the file's directory lists (the pages the
// file was compiled from). For the tests it also
//   - appends its command line and "<folder> empty|not-empty" to the file
//     named by OVALIS_HH_LOG,
//   - never ends when OVALIS_HH_HANG is set,
//   - waits, at most 20 seconds, for the file named by OVALIS_HH_WAIT_FOR
//     to appear, and logs "released" or "not released".
// Exit codes: 0 done, 2 wrong arguments, 3 not a compiled help file.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Env(const char* name) {
  char value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? std::string() : std::string(value, n);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsEmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (empty && FindNextFileA(find, &entry));
  FindClose(find);
  return empty;
}

// Copies every page below pages\rel whose name "/rel/name" the compiled
// file's directory holds (names are stored uncompressed there).
void CopyListed(const std::string& pages, const std::string& rel, const std::string& chm,
                const std::string& out) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((pages + "\\" + rel + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    std::string relName = rel + name;
    std::string listed = "/" + relName;
    for (char& c : listed)
      if (c == '\\') c = '/';
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (chm.find(listed + "/") == std::string::npos) continue;
      CreateDirectoryA((out + "\\" + relName).c_str(), nullptr);
      CopyListed(pages, relName + "\\", chm, out);
    } else if (chm.find(listed) != std::string::npos) {
      CopyFileA((pages + "\\" + relName).c_str(), (out + "\\" + relName).c_str(), FALSE);
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string log = Env("OVALIS_HH_LOG");
  if (!log.empty()) {
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << GetCommandLineA() << "\n";
    if (argc == 4) out << argv[2] << (IsEmptyFolder(argv[2]) ? " empty" : " not-empty") << "\n";
  }
  if (!Env("OVALIS_HH_HANG").empty()) Sleep(INFINITE);
  const std::string waitFor = Env("OVALIS_HH_WAIT_FOR");
  if (!waitFor.empty()) {
    bool released = false;
    for (int i = 0; i < 400 && !released; ++i) {
      released = GetFileAttributesA(waitFor.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (!released) Sleep(50);
    }
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << (released ? "released" : "not released") << "\n";
  }
  if (argc != 4 || std::string(argv[1]) != "-decompile") return 2;
  const std::string folder = argv[2];
  const std::string chm = ReadAll(argv[3]);
  if (chm.compare(0, 4, "ITSF") != 0) return 3;
  const std::string pages = Env("OVALIS_HH_PAGES");
  if (!pages.empty()) CopyListed(pages, "", chm, folder);
  return 0;
}
