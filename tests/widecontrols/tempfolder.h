// A fresh folder for one test's files, removed with everything in it at the
// end: under the Wine prefix's temporary folder, or /tmp natively. Files are
// read and written here with the C library, apart from the code under test.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

#include "classlib/codepage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <filesystem>
#endif

class TempFolder {
public:
  TempFolder() {
#ifdef _WIN32
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
      folder_ = std::wstring(base) + L"widetest" + std::to_wstring(n);
      if (CreateDirectoryW(folder_.c_str(), nullptr)) return;
      if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temporary folder");
    }
#else
    char pattern[] = "/tmp/widetestXXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
    folder_ = MultiByteToWide(pattern, kUtf8CodePage);
#endif
  }

  ~TempFolder() {
#ifdef _WIN32
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do DeleteFileW(Path(data.cFileName).c_str());
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder_.c_str());
#else
    std::error_code ignored;
    std::filesystem::remove_all(Narrow(folder_), ignored);
#endif
  }

  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The full name of a file in the folder.
  std::wstring Path(const std::wstring& name) const {
#ifdef _WIN32
    return folder_ + L"\\" + name;
#else
    return folder_ + L"/" + name;
#endif
  }

  static std::string ReadBytes(const std::wstring& fileName) {
    FILE* f = Open(fileName, L"rb");
    if (f == nullptr) throw std::runtime_error("cannot read test file");
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
  }

  static void WriteBytes(const std::wstring& fileName, const std::string& bytes) {
    FILE* f = Open(fileName, L"wb");
    if (f == nullptr) throw std::runtime_error("cannot write test file");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

private:
#ifdef _WIN32
  static FILE* Open(const std::wstring& name, const wchar_t* mode) { return _wfopen(name.c_str(), mode); }
#else
  static std::string Narrow(const std::wstring& s) { return WideToMultiByte(s, kUtf8CodePage); }
  static FILE* Open(const std::wstring& name, const wchar_t* mode) {
    return std::fopen(Narrow(name).c_str(), Narrow(mode).c_str());
  }
#endif

  std::wstring folder_;
};
