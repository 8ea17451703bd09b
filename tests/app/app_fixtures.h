// Helpers of the application tests: a temporary folder of files.
#pragma once

#include <windows.h>

#include <atomic>
#include <fstream>
#include <string>

#include "shell/folders.h"

namespace app_test {

class TTempFolder {
public:
  TTempFolder() {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    static std::atomic<int> counter{0};
    path_ = std::string(base) + "ovalis-app-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
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
