// Helpers of the application tests: a temporary folder of files.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

#include "fresh_folder_win.h"
#include "shell/folders.h"

namespace app_test {

class TTempFolder {
public:
  TTempFolder() : path_(MakeFreshTempFolder("ovalis-app-")) {}
  // Below parent (no trailing "\"), as the desktop for the folder tree.
  explicit TTempFolder(const std::string& parent) : path_(MakeFreshFolder(parent + "\\", "ovalis-app-")) {}
  ~TTempFolder() { DeleteTree(path_); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // Without a trailing "\".
  const std::string& Path() const { return path_; }
  // name may hold folders, which are made as needed.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "\\" + name;
    for (size_t cut = file.find('\\', path_.size() + 1); cut != std::string::npos; cut = file.find('\\', cut + 1))
      CreateDirectoryA(file.substr(0, cut).c_str(), nullptr);
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
  }

private:
  std::string path_;
};

}  // namespace app_test
