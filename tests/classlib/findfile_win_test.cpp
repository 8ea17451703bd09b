#include <gtest/gtest.h>

#include <map>

#include "classlib/datetime.h"
#include "classlib/filetime.h"
#include "classlib/findfile.h"
#include "temp_folder_win.h"

namespace {

// Every entry FindFirst/FindNext give for pattern, by name.
std::map<std::string, TSearchRec> List(const std::string& pattern, int32_t attr, int* end = nullptr) {
  std::map<std::string, TSearchRec> found;
  TSearchRec rec;
  TFindScope scope(rec);
  int result = FindFirst(pattern, attr, rec);
  while (result == 0) {
    found[rec.Name] = rec;
    result = FindNext(rec);
  }
  if (end != nullptr) *end = result;
  return found;
}

void SetWriteTime(const std::string& file, const FILETIME& utc) {
  HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SetFileTime(h, nullptr, nullptr, &utc);
  CloseHandle(h);
}

}  // namespace

TEST(FindFile, ListsFilesWithSizeTimeAndAttributes) {
  TempFolder temp;
  std::string a = temp.Write("a.txt", "hello");
  temp.Write("b.dat", "xyz");
  CreateDirectoryA((temp / "sub").c_str(), nullptr);
  FILETIME when = LocalDateTimeToUtcFileTime(EncodeDate(2015, 8, 20) + EncodeTime(14, 30, 10, 0));
  SetWriteTime(a, when);

  int end = 0;
  auto files = List(temp / "*.*", faArchive | faReadOnly, &end);
  EXPECT_EQ(end, kFindDone);
  ASSERT_EQ(files.size(), 2u);  // no folders, not even "." and ".."
  const TSearchRec& rec = files["a.txt"];
  EXPECT_EQ(rec.Size, 5);
  EXPECT_EQ(rec.Attr & faDirectory, 0);
  EXPECT_EQ(rec.Time, EncodeFileDate(2015, 8, 20, 14, 30, 10));
  EXPECT_EQ(FileTimeToUInt64(rec.FindData.ftLastWriteTime), FileTimeToUInt64(when));

  auto all = List(temp / "*.*", faAnyFile);
  EXPECT_EQ(all.size(), 5u);  // ".", "..", the folder and both files
  ASSERT_TRUE(all.count("sub"));
  EXPECT_NE(all["sub"].Attr & faDirectory, 0);
}

TEST(FindFile, SizeAboveFourGigabytesIsKept) {
  TempFolder temp;
  std::string big = temp / "big.bin";
  HANDLE h = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 5LL << 30;
  bool sized = SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  if (!sized) GTEST_SKIP() << "the file system cannot hold a 5 GiB file";
  auto files = List(big, faAnyFile);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files["big.bin"].Size, 5LL << 30);
}

TEST(FindFile, TimeOutsideDosRangeIsClamped) {
  TempFolder temp;
  std::string old = temp.Write("old.txt", "1");
  SetWriteTime(old, LocalDateTimeToUtcFileTime(EncodeDate(1975, 5, 5)));
  auto files = List(old, faAnyFile);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files["old.txt"].Time, EncodeFileDate(1980, 1, 1, 0, 0, 0));
}

TEST(FindFile, HiddenEntriesOnlyWhenAsked) {
  TempFolder temp;
  std::string hidden = temp.Write("hidden.txt", "h");
  temp.Write("shown.txt", "s");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  if ((GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0)
    GTEST_SKIP() << "the file system keeps no hidden attribute";
  EXPECT_EQ(List(temp / "*.txt", faArchive).size(), 1u);
  EXPECT_EQ(List(temp / "*.txt", faArchive | faHidden).size(), 2u);
}

TEST(FindFile, EndIsToldApartFromFailure) {
  TempFolder temp;
  TSearchRec rec;
  EXPECT_EQ(FindFirst(temp / "*.none", faAnyFile, rec), kFindDone);
  EXPECT_EQ(rec.FindHandle, INVALID_HANDLE_VALUE);

  int failure = FindFirst(temp / "missing\\*.*", faAnyFile, rec);
  EXPECT_NE(failure, 0);
  EXPECT_NE(failure, kFindDone);

  std::string tooLong = temp.Path() + "\\" + std::string(300, 'x') + "\\*.*";
  failure = FindFirst(tooLong, faAnyFile, rec);
  EXPECT_NE(failure, 0);
  EXPECT_NE(failure, kFindDone);

  // A record never opened, or closed twice, is harmless.
  FindClose(rec);
  FindClose(rec);
  EXPECT_NE(FindNext(rec), 0);
}
