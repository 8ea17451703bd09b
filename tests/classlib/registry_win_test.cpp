#include <gtest/gtest.h>

#include <cstring>

#include "classlib/registry.h"
#include "classlib/stringlist.h"

namespace {

// A key of its own below HKEY_CURRENT_USER of the test prefix, removed when
// the test ends.
class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    base_ = "Software\\OvalisTests\\" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    TRegistry cleanup;
    cleanup.DeleteKey("\\" + base_);
  }
  void TearDown() override {
    TRegistry cleanup;
    cleanup.DeleteKey("\\" + base_);
  }
  std::string base_;
};

std::vector<std::string> Sorted(TStringList& list) {
  list.Sort();
  return list.ToVector();
}

}  // namespace

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  reg.WriteString("Name", "Ovalis");
  reg.WriteString("", "default value");
  reg.WriteInteger("Width", -150);
  reg.WriteBool("On", true);
  const unsigned char bytes[] = {0, 1, 2, 0xFF};
  reg.WriteBinaryData("Blob", bytes, sizeof bytes);

  EXPECT_EQ(reg.ReadString("Name"), "Ovalis");
  EXPECT_EQ(reg.ReadString(""), "default value");
  EXPECT_EQ(reg.ReadInteger("Width"), -150);
  EXPECT_TRUE(reg.ReadBool("On"));
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("Blob", back, sizeof back), 4);
  EXPECT_EQ(std::memcmp(back, bytes, 4), 0);
  EXPECT_THROW(reg.ReadBinaryData("Blob", back, 2), ERegistryException);

  EXPECT_EQ(reg.GetDataType("Name"), rdString);
  EXPECT_EQ(reg.GetDataType("Width"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Blob"), rdBinary);
  EXPECT_EQ(reg.GetDataSize("Width"), 4);
  EXPECT_EQ(reg.GetDataSize("Missing"), -1);
  TStringList names;
  reg.GetValueNames(names);
  EXPECT_EQ(Sorted(names), (std::vector<std::string>{"", "Blob", "Name", "On", "Width"}));

  EXPECT_TRUE(reg.DeleteValue("Name"));
  EXPECT_FALSE(reg.ValueExists("Name"));
  EXPECT_FALSE(reg.DeleteValue("Name"));
}

TEST_F(RegistryTest, MissingAndMistypedValuesAreToldApart) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  reg.WriteString("Text", "12");
  reg.WriteInteger("Number", 12);
  EXPECT_EQ(reg.ReadString("Missing"), "");
  try {
    reg.ReadInteger("Missing");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Failed to get data for 'Missing'");
  }
  try {
    reg.ReadBool("Text");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Invalid data type for 'Text'");
  }
  EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
}

TEST_F(RegistryTest, KeysOpenRelativeToTheOpenKeyOrFromTheRoot) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  EXPECT_EQ(reg.CurrentPath(), base_);
  ASSERT_TRUE(reg.OpenKey("MRU", true));
  EXPECT_EQ(reg.CurrentPath(), base_ + "\\MRU");
  reg.WriteString("Mask0", "*.txt");
  // A failed open keeps the key that was open.
  EXPECT_FALSE(reg.OpenKey("Missing", false));
  EXPECT_EQ(reg.CurrentPath(), base_ + "\\MRU");
  EXPECT_EQ(reg.ReadString("Mask0"), "*.txt");
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  EXPECT_TRUE(reg.KeyExists("MRU"));
  EXPECT_TRUE(reg.KeyExists("\\" + base_ + "\\MRU"));
  EXPECT_FALSE(reg.KeyExists("Missing"));
  EXPECT_TRUE(reg.HasSubKeys());

  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + base_ + "\\MRU"));
  EXPECT_EQ(reg.ReadString("Mask0"), "*.txt");
  EXPECT_THROW(reg.WriteString("Mask1", "x"), ERegistryException);
}

TEST_F(RegistryTest, DeleteKeyTakesTheWholeTreeAndNeverTheBaseKey) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\a\\b\\c", true));
  reg.WriteString("v", "1");
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  reg.WriteString("keep", "me");
  TStringList keys;
  reg.GetKeyNames(keys);
  EXPECT_EQ(keys.ToVector(), (std::vector<std::string>{"a"}));

  EXPECT_FALSE(reg.DeleteKey(""));  // would otherwise empty the open key
  EXPECT_EQ(reg.ReadString("keep"), "me");
  EXPECT_TRUE(reg.DeleteKey("a"));
  EXPECT_FALSE(reg.KeyExists("a"));
  EXPECT_FALSE(reg.DeleteKey("a"));
  EXPECT_EQ(reg.ReadString("keep"), "me");
  EXPECT_TRUE(reg.CreateKey("made"));
  EXPECT_TRUE(reg.KeyExists("made"));
}

TEST_F(RegistryTest, IniStyleAccessReadsDefaultsAndWritesStrings) {
  {
    TRegIniFile ini(base_);
    EXPECT_EQ(ini.ReadString("MRU", "Mask0", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("MRU", "ListViewColumn0", 150), 150);
    EXPECT_TRUE(ini.ReadBool("Place", "Visible", true));
    ini.WriteString("Place", "NormPos", "1,2,3,4");
    ini.WriteInteger("Place", "PixelsPerInch", 96);
    ini.WriteBool("Place", "Visible", false);
    ini.WriteString("", "Top", "level");
  }
  TRegistry raw;
  ASSERT_TRUE(raw.OpenKey("\\" + base_ + "\\Place", false));
  // Integers and Booleans are stored as text.
  EXPECT_EQ(raw.GetDataType("PixelsPerInch"), rdString);
  EXPECT_EQ(raw.ReadString("PixelsPerInch"), "96");
  EXPECT_EQ(raw.ReadString("Visible"), "0");
  raw.WriteInteger("Dword", 42);
  raw.WriteString("Junk", "4x");

  TRegIniFile ini(base_);
  EXPECT_EQ(ini.ReadString("Place", "NormPos", ""), "1,2,3,4");
  EXPECT_EQ(ini.ReadInteger("Place", "PixelsPerInch", 0), 96);
  EXPECT_EQ(ini.ReadInteger("Place", "Dword", 0), 42);  // integer values read too
  EXPECT_EQ(ini.ReadString("Place", "Dword", ""), "42");
  EXPECT_EQ(ini.ReadInteger("Place", "Junk", 7), 7);
  EXPECT_FALSE(ini.ReadBool("Place", "Visible", true));
  EXPECT_EQ(ini.ReadString("", "Top", ""), "level");
  // The plain accessor still works on the opened key.
  EXPECT_EQ(ini.TRegistry::ReadString("Top"), "level");
}

TEST_F(RegistryTest, IniStyleSectionsListEraseAndDelete) {
  TRegIniFile ini(base_);
  ini.WriteString("Place", "a", "1");
  ini.WriteString("Place", "b", "2");
  ini.WriteString("Place.pList_Items", "Count", "0");
  ini.WriteString("MRU", "Path0", "C:\\x");

  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{"MRU", "Place", "Place.pList_Items"}));
  ini.ReadSection("Place", list);
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{"a", "b"}));
  ini.ReadSectionValues("Place", list);
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{"a=1", "b=2"}));
  ini.ReadSection("Missing", list);
  EXPECT_EQ(list.Count(), 0);

  ini.DeleteKey("Place", "a");
  EXPECT_EQ(ini.ReadString("Place", "a", "gone"), "gone");
  ini.EraseSection("MRU");
  ini.ReadSections(list);
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{"Place", "Place.pList_Items"}));
}
