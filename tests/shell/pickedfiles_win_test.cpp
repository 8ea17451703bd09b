// Which of the paths a user picked are one entry: another spelling of an
// entry goes with it, files that merely look alike or share their data stay
// apart, and a folder that holds the destination is marked.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "shell/pickedfiles.h"
#include "shell/shell_fixtures.h"

namespace {

using Names = std::vector<std::string>;

// A file system that keeps no file indexes.
std::optional<uint64_t> ZeroIndex(HANDLE) { return 0; }

void SetWriteTime(const std::string& path, const FILETIME& time) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

TEST(PickFiles, TellsEntriesApart) {
  struct Case {
    const char* what;
    Names paths;  // below the folder
    bool noIndexes;
    const char* destination;  // below the folder, "" for none
    Names picked, aliases, holding;
  };
  const Case cases[] = {
      {"one entry spelled twice", {"one\\a.txt", "ONE\\A.TXT"}, false, "", {"one\\a.txt"}, {"ONE\\A.TXT"}, {}},
      {"hard links of one name", {"one\\same.txt", "two\\same.txt"}, false, "", {"one\\same.txt", "two\\same.txt"}, {}, {}},
      {"alike files, no indexes", {"one\\a.txt", "two\\a.txt"}, true, "", {"one\\a.txt", "two\\a.txt"}, {}, {}},
      {"a folder holding the destination", {"one", "two\\a.txt"}, false, "one\\deep", {"one", "two\\a.txt"}, {}, {"one"}},
  };
  TTempFolder folder;
  for (const char* sub : {"one", "two", "one\\deep"}) ASSERT_TRUE(CreateDirectoryA((folder / sub).c_str(), nullptr));
  const FILETIME time{0xD53E8000u, 0x01D5C0D3u};
  for (const char* file : {"one\\a.txt", "two\\a.txt"}) {
    ASSERT_TRUE(WriteTextFile(folder / file, "alike"));
    SetWriteTime(folder / file, time);
  }
  ASSERT_TRUE(WriteTextFile(folder / "one\\same.txt", "shared"));
  ASSERT_TRUE(CreateHardLinkA((folder / "two\\same.txt").c_str(), (folder / "one\\same.txt").c_str(), nullptr));
  auto below = [&](const std::wstring& path) { return WideToMultiByte(path).substr(folder.Path().size() + 1); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::wstring> paths;
    for (const std::string& path : c.paths) paths.push_back(MultiByteToWide(folder / path));
    TFileIdentities identities(c.noIndexes ? ZeroIndex : SystemFileIndex);
    const std::wstring destination = *c.destination ? MultiByteToWide(folder / c.destination) : L"";
    const TPickedFiles pick = PickFiles(paths, identities, destination);
    Names picked, aliases, holding;
    for (const TPickedFile& file : pick.Files) {
      picked.push_back(below(file.Path));
      if (file.HoldsDestination) holding.push_back(below(file.Path));
    }
    for (const auto& [alias, index] : pick.Aliases) aliases.push_back(below(alias));
    EXPECT_EQ(picked, c.picked);
    EXPECT_EQ(aliases, c.aliases);
    EXPECT_EQ(holding, c.holding);
  }
}

}  // namespace
