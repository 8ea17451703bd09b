// Helpers shared by the shell tests: private folders under the temporary
// folder, small files, and the presser that answers the shell's boxes.
#pragma once

#include <windows.h>

#include <string>

#include "button_presser_win.h"
#include "fresh_folder_win.h"
#include "host_link_win.h"
#include "shell/folders.h"

// A fresh folder under GetTempDir(), deleted with everything in it at the end.
class TTempFolder {
public:
  TTempFolder() : path_(MakeFreshFolder(GetTempDir(), "ovalis-shell-")) {}
  ~TTempFolder() { DeleteTree(path_); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder, without a trailing "\".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

inline bool WriteTextFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

inline std::string ReadTextFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[4096];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

inline bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Wine only: the Windows name of a host path, "" elsewhere.
inline std::string DosNameOfUnixPath(const std::string& unixPath) {
  using TProc = wchar_t*(CDECL*)(const char*);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
  if (proc == nullptr) return {};
  wchar_t* name = reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(proc))(unixPath.c_str());
  if (name == nullptr) return {};
  char buffer[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, name);
  return buffer;
}
