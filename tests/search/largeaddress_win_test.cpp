// The programs are linked large-address-aware, so that on 64-bit Windows a
// search has 4 GiB of address space instead of 2.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "search/search_fixtures_win.h"

namespace {

// The characteristics of a PE file; 0 for a file that is none.
WORD Characteristics(const std::string& image) {
  IMAGE_DOS_HEADER dos;
  if (image.size() < sizeof dos) return 0;
  std::memcpy(&dos, image.data(), sizeof dos);
  IMAGE_FILE_HEADER file;
  const size_t at = static_cast<size_t>(dos.e_lfanew) + sizeof(DWORD);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || image.size() < at + sizeof file) return 0;
  std::memcpy(&file, image.data() + at, sizeof file);
  return file.Characteristics;
}

}  // namespace

TEST(LargeAddressAware, TheTestProgramAndTheProgramAreLinkedSo) {
  char self[MAX_PATH + 1] = {};
  const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  EXPECT_NE(Characteristics(search_test::ReadBytes(path)) & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0);
  // The program lies one folder up from the tests, when it is built.
  const std::string program = path.substr(0, path.rfind('\\', path.rfind('\\') - 1)) + "\\Ovalis.exe";
  if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  EXPECT_NE(Characteristics(search_test::ReadBytes(program)) & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0) << program;
}
