// Folder links for the tests, made and removed through the host under Wine
// (whose own link calls do nothing, and whose delete looks through a host's
// link at the folder it points at), else through the system.
#pragma once

#include <windows.h>

#include <string>

// Wine only: the host's name of a Windows path, "" elsewhere.
inline std::string UnixNameOfDosPath(const std::string& dosPath) {
  using TProc = char*(CDECL*)(const wchar_t*);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (proc == nullptr) return {};
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, dosPath.c_str(), -1, wide, MAX_PATH * 2 - 1);
  char* name = reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(proc))(wide);
  if (name == nullptr) return {};
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Runs a host program; Wine cannot wait for one, so the caller watches for
// what it does, for half a minute at most.
template <class Done>
bool RunHostProgram(const char* program, std::string commandLine, Done done) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(10);
  }
  return true;
}

// A symbolic link at link to the folder target, as the walk sees it (the
// attribute query may look through the link). False when none can be made.
inline bool MakeFolderLink(const std::string& link, const std::string& target) {
  auto isLink = [&] {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(link.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  };
  const std::string unixLink = UnixNameOfDosPath(link), unixTarget = UnixNameOfDosPath(target);
  if (unixLink.empty() || unixTarget.empty()) {
    constexpr DWORD kUnprivileged = 2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    return CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) &&
           isLink();
  }
  return RunHostProgram("Z:\\bin\\ln", "ln -s \"" + unixTarget + "\" \"" + unixLink + "\"", isLink);
}

// Removes the folder link at path, never what it points at. True when
// nothing is left there.
inline bool RemoveFolderLink(const std::string& path) {
  auto gone = [&] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; };
  if (RemoveDirectoryA(path.c_str()) || DeleteFileA(path.c_str()) || gone()) return true;
  const std::string unixName = UnixNameOfDosPath(path);
  if (unixName.empty()) return false;
  return RunHostProgram("Z:\\bin\\rm", "rm -f \"" + unixName + "\"", gone);
}
