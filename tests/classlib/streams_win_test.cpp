#include <gtest/gtest.h>

#include "classlib/streams.h"
#include "temp_folder_win.h"

TEST(FileStream, ShareModesAdmitOrRefuseASecondOpen) {
  TempFolder temp;
  std::string file = temp.Write("shared.txt", "contents");
  {
    TFileStream first(file, fmOpenRead | fmShareDenyWrite);
    EXPECT_NO_THROW(TFileStream(file, fmOpenRead | fmShareDenyWrite));
    EXPECT_THROW(TFileStream(file, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream first(file, fmOpenRead | fmShareExclusive);
    EXPECT_THROW(TFileStream(file, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream first(file, fmOpenRead | fmShareDenyNone);
    EXPECT_NO_THROW(TFileStream(file, fmOpenWrite | fmShareDenyNone));
    // Denying nothing lets the file be deleted while it is read.
    EXPECT_TRUE(DeleteFileA(file.c_str()));
  }
}

TEST(FileStream, MissingFileRaisesWithItsName) {
  TempFolder temp;
  std::string file = temp / "missing.txt";
  try {
    TFileStream stream(file, fmOpenRead | fmShareDenyNone);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find(file), std::string::npos);
  }
  EXPECT_THROW(TFileStream(temp / "no\\such\\folder.txt", fmCreate), EFCreateError);
}

TEST(FileStream, CreateTruncatesAndReadsBackPastTheEndNothing) {
  TempFolder temp;
  std::string file = temp.Write("data.bin", "old contents that are long");
  {
    TFileStream out(file, fmCreate);
    out.WriteBuffer("new", 3);
  }
  TFileStream in(file, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(in.Size(), 3);
  char buffer[8];
  in.ReadBuffer(buffer, 3);
  EXPECT_EQ(std::string(buffer, 3), "new");
  EXPECT_EQ(in.Read(buffer, 8), 0);
  EXPECT_THROW(in.ReadBuffer(buffer, 1), EReadError);
}
