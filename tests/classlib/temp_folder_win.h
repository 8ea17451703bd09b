// A fresh folder under the user's temporary folder for one test, deleted
// with everything in it when the test ends.
#pragma once

#include <windows.h>

#include <string>

#include "fresh_folder_win.h"

class TempFolder {
public:
  TempFolder() : path_(MakeFreshTempFolder("ovalis-classlib-")) {}
  ~TempFolder() { DeleteTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Creates (or replaces) a file holding data; returns its full path.
  std::string Write(const std::string& name, const std::string& data) const {
    std::string file = *this / name;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
      CloseHandle(h);
    }
    return file;
  }

private:
  static void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = folder + "\\" + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(full);
        else DeleteFileA(full.c_str());
      } while (FindNextFileA(h, &data));
      FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};
