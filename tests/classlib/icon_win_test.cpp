#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "classlib/icon.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

void LoadBytes(TIcon& icon, const std::string& bytes) {
  TStringStream stream(bytes);
  icon.LoadFromStream(stream);
}

std::string SavedBytes(TIcon& icon) {
  TStringStream out;
  icon.SaveToStream(out);
  return out.DataString();
}

}  // namespace

// An icon known only by its handle (a system icon, one drawn by another
// part of the program) is written as an ICO file that loads again.
TEST(IconHandle, HandleImageIsSavedAsAnIcoFileThatLoadsAgain) {
  TIcon original;
  LoadBytes(original, ReadTestFile("icon.ico"));
  TIcon copy;
  copy.AssignHandle(original.Handle());
  EXPECT_EQ(copy.Width(), 32);
  EXPECT_EQ(copy.Height(), 32);
  EXPECT_NE(copy.Handle(), original.Handle());
  TIcon again;
  LoadBytes(again, SavedBytes(copy));
  EXPECT_EQ(again.Width(), 32);
  EXPECT_EQ(SavedBytes(again), SavedBytes(copy));

  TIcon system;
  system.LoadFromResourceName(nullptr, IDI_APPLICATION);
  EXPECT_FALSE(system.Empty());
  EXPECT_NE(system.Handle(), nullptr);
  EXPECT_THROW(system.AssignHandle(nullptr), EInvalidGraphic);
  EXPECT_FALSE(system.Empty());
}

TEST(IconHandle, MissingResourceRaisesAndKeepsTheIcon) {
  TIcon icon;
  LoadBytes(icon, ReadTestFile("icon.ico"));
  EXPECT_THROW(icon.LoadFromResourceName(GetModuleHandleA(nullptr), "NO_SUCH_ICON"), EInvalidGraphic);
  EXPECT_EQ(icon.Width(), 32);
}
