#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "classlib/strutils.h"
#include "shell/fileinfo.h"
#include "shell/shell_fixtures.h"

namespace {

TEST(FileTypeName, FallbackIsUpperCasedExtensionAndFile) {
  EXPECT_EQ(FileTypeNameOrFallback("", ".xyz"), ".XYZ file");
  EXPECT_EQ(FileTypeNameOrFallback("", ".txt"), ".TXT file");
  EXPECT_EQ(FileTypeNameOrFallback("Text Document", ".txt"), "Text Document");
}

// Windows has no name for an unregistered extension and the fallback applies;
// Wine answers with its own lower-case form of the same words.
TEST(FileTypeName, UnknownExtensionGivesExtensionFile) {
  std::string name = GetFileTypeName(".xyz");
  EXPECT_TRUE(SameText(name, ".XYZ file")) << name;
}

TEST(FileTypeName, RegisteredExtensionGivesShellName) {
  std::string name = GetFileTypeName(".txt");
  EXPECT_FALSE(name.empty());
  EXPECT_FALSE(SameText(name, ".txt file")) << name;
}

// The shell's field holds 80 characters; a longer extension must not run past it.
TEST(FileTypeName, OverlongExtensionStaysWithinTheField) {
  std::string name = GetFileTypeName("." + std::string(300, 'q'));
  EXPECT_FALSE(name.empty());
}

TEST(FileIconIndex, RealFileHasIconsMissingFileNone) {
  TTempFolder folder;
  std::string file = folder / "note.txt";
  ASSERT_TRUE(WriteTextFile(file, "x"));
  EXPECT_GE(GetFileIconIndex(file, true), 0);
  EXPECT_GE(GetFileIconIndex(file, false), 0);
  EXPECT_EQ(GetFileIconIndexFlags(folder / "absent.txt", SHGFI_SYSICONINDEX), -1);
}

TEST(PidlInfo, DesktopAndPersonalFolder) {
  EXPECT_FALSE(GetPidlDisplayName(DesktopPidl()).empty());
  EXPECT_NE(GetSystemImageList(true), nullptr);
  EXPECT_NE(GetSystemImageList(false), nullptr);
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  EXPECT_FALSE(GetPidlDisplayName(personal.Get()).empty());
  EXPECT_GE(GetPidlIconIndex(personal.Get(), false, false), 0);
  EXPECT_GE(GetPidlIconIndex(personal.Get(), true, true), 0);
  EXPECT_TRUE(FlagsSet(SFGAO_FOLDER, GetPidlAttributes(personal.Get(), SFGAO_FOLDER)));
  EXPECT_TRUE(FlagsSet(SFGAO_FILESYSTEM, GetPidlAttributes(personal.Get(), 0)));
  EXPECT_EQ(GetPidlDisplayName(nullptr), "");
  EXPECT_EQ(GetPidlIconIndex(nullptr, true, false), -1);
  EXPECT_EQ(GetPidlAttributes(nullptr, SFGAO_FOLDER), 0u);
}

}  // namespace
