// Which of the paths a user picked are one entry: another spelling of an
// entry goes with it; files that merely look alike stay apart, also where
// the file system keeps no file indexes. And which picked folders a
// destination lies in.
#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/codepage.h"
#include "shell/pickedfiles.h"
#include "shell/shell_fixtures.h"

namespace {

std::optional<uint64_t> ZeroIndex(HANDLE) { return 0; }

TEST(PickFiles, TellsEntriesApartByFolderAndName) {
  TTempFolder folder;
  const FILETIME time{0xD53E8000u, 0x01D5C0D3u};
  for (const char* sub : {"one", "two"}) {
    ASSERT_TRUE(CreateDirectoryA((folder / sub).c_str(), nullptr));
    const std::string path = folder / sub + "\\a.txt";
    ASSERT_TRUE(WriteTextFile(path, "alike"));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
  }
  const std::vector<std::wstring> paths{MultiByteToWide(folder / "one\\a.txt"), MultiByteToWide(folder / "two\\a.txt"),
                                        MultiByteToWide(folder / "ONE\\A.TXT")};
  for (const bool noIndexes : {false, true}) {
    SCOPED_TRACE(noIndexes ? "no file indexes" : "file indexes");
    TFileIdentities identities(noIndexes ? ZeroIndex : SystemFileIndex);
    const TPickedFiles pick = PickFiles(paths, identities);
    ASSERT_EQ(pick.Files.size(), 2u);
    EXPECT_EQ(pick.Files[1].Path, paths[1]);
    ASSERT_EQ(pick.Aliases.size(), 1u);
    EXPECT_EQ(pick.Aliases[0], std::make_pair(paths[2], 0));
  }
}

// The destination's text is taken as the system takes it: a picked folder
// merely named before a ".." does not hold it, one named with "/" does.
TEST(PickFiles, MarksThePickedFoldersTheDestinationLiesInHoweverSpelled) {
  struct Case {
    const char* what;
    std::wstring destination;  // below the folder
    bool holdsPicked, holdsOther;
  };
  const Case cases[] = {
      {"named before \"..\"", L"\\Picked\\..\\Other\\sub", false, true},
      {"\"/\" for \"\\\"", L"/Picked/sub", true, false},
      {"\".\" and \"/\", not there yet", L"\\.\\Other/./new\\sub", false, true},
  };
  TTempFolder folder;
  for (const char* sub : {"Picked", "Picked\\sub", "Other"})
    ASSERT_TRUE(CreateDirectoryA((folder / sub).c_str(), nullptr));
  const std::wstring base = MultiByteToWide(folder.Path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFileIdentities identities;
    const TPickedFiles pick = PickFiles({base + L"\\Picked", base + L"\\Other"}, identities, base + c.destination);
    ASSERT_EQ(pick.Files.size(), 2u);
    EXPECT_EQ(pick.Files[0].HoldsDestination, c.holdsPicked);
    EXPECT_EQ(pick.Files[1].HoldsDestination, c.holdsOther);
  }
}

}  // namespace
