#include <gtest/gtest.h>

#include "classlib/inifiles.h"
#include "classlib/stringlist.h"
#include "temp_folder_win.h"

TEST(IniFile, ValuesRoundTripAndMissingOnesGiveTheDefault) {
  TempFolder temp;
  TIniFile ini(temp / "settings.ini");
  ini.WriteString("Place", "NormPos", "10,20,300,400");
  ini.WriteInteger("Place", "ShowCmd", 3);
  ini.WriteBool("Place", "Visible", true);
  ini.WriteString("Other", "Hex", "0x1F");
  ini.UpdateFile();

  TIniFile again(temp / "settings.ini");
  EXPECT_EQ(again.ReadString("Place", "NormPos", ""), "10,20,300,400");
  EXPECT_EQ(again.ReadInteger("Place", "ShowCmd", 0), 3);
  EXPECT_TRUE(again.ReadBool("Place", "Visible", false));
  EXPECT_EQ(again.ReadInteger("Other", "Hex", 0), 31);
  EXPECT_EQ(again.ReadString("Place", "Missing", "dflt"), "dflt");
  EXPECT_EQ(again.ReadInteger("Place", "NormPos", -1), -1);  // not a number
  EXPECT_FALSE(again.ReadBool("Nowhere", "x", false));
}

TEST(IniFile, LongValuesAreReadWhole) {
  TempFolder temp;
  TIniFile ini(temp / "long.ini");
  std::string value(10000, 'v');
  value += "end";
  ini.WriteString("S", "Long", value);
  EXPECT_EQ(ini.ReadString("S", "Long", ""), value);
}

TEST(IniFile, SectionsListEraseAndDelete) {
  TempFolder temp;
  TIniFile ini(temp / "sections.ini");
  ini.WriteString("A", "one", "1");
  ini.WriteString("A", "two", "2");
  ini.WriteString("B", "three", "3");

  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"A", "B"}));
  ini.ReadSection("A", list);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"one", "two"}));
  ini.ReadSectionValues("A", list);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"one=1", "two=2"}));
  EXPECT_TRUE(ini.SectionExists("B"));
  EXPECT_TRUE(ini.ValueExists("A", "TWO"));

  ini.DeleteKey("A", "one");
  EXPECT_FALSE(ini.ValueExists("A", "one"));
  ini.EraseSection("B");
  EXPECT_FALSE(ini.SectionExists("B"));
  ini.ReadSections(list);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"A"}));
}

TEST(IniFile, WriteToAPlaceThatCannotHoldAFileRaises) {
  TempFolder temp;
  TIniFile ini(temp / "no\\such\\folder\\x.ini");
  EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
  EXPECT_EQ(ini.ReadString("S", "k", "none"), "none");
}
