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
  ~TTempFolder() { DeleteTree(path_); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // Without a trailing "\".
  const std::string& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "\\" + name;
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
  }

private:
  std::string path_;
};

}  // namespace app_test
