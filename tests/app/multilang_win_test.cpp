// The translation object's own rules: language files found and named,
// lines matched without regard to letter case, formats kept safe.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "app/multilang.h"
#include "app_fixtures.h"

namespace {

using app_test::TTempFolder;

TEST(MultiLang, DisplayNamesComeFromTheFileNames) {
  EXPECT_EQ(LanguageDisplayName("russian.lng"), "Russian");
  EXPECT_EQ(LanguageDisplayName("German.LNG"), "German");
  EXPECT_EQ(LanguageDisplayName("pt-br.lng.bak"), "Pt-br");
  EXPECT_EQ(LanguageDisplayName(".lng"), "");
  EXPECT_EQ(LanguageDisplayName("notes.txt"), "");
}

TEST(MultiLang, ListHoldsDefaultFirstThenTheFilesSorted) {
  TTempFolder folder;
  folder.Write("russian.lng", "");
  folder.Write("German.LNG", "");
  folder.Write(".lng", "");
  TMultiLang lang;
  EXPECT_EQ(lang.LoadLanguageList(folder.Path() + "\\"), 2);
  ASSERT_EQ(lang.Languages().Count(), 3);
  EXPECT_EQ(lang.Languages()[0], "< Default >");
  EXPECT_EQ(lang.Languages()[1], "German");
  EXPECT_EQ(lang.Languages()[2], "Russian");
  EXPECT_EQ(lang.LanguageFiles().Values("Russian"), folder.Path() + "\\russian.lng");
}

TEST(MultiLang, MissingLanguagesFolderLeavesOnlyTheDefault) {
  TMultiLang lang;
  EXPECT_EQ(lang.LoadLanguageList("C:\\no such folder\\"), 0);
  EXPECT_EQ(lang.Languages().Count(), 1);
}

TEST(MultiLang, TranslationMatchesTheEnglishTextWhateverItsCaseAndTheFirstLineWins) {
  TTempFolder folder;
  folder.Write("french.lng",
               "open folder=Ouvrir le dossier\r\nOpen folder=second\nNo equals sign\rEmpty=\r\nA=B=C\r\n");
  TMultiLang lang;
  lang.LoadLanguageFile(folder.Path() + "\\french.lng");
  EXPECT_EQ(lang.Translate("Open folder"), "Ouvrir le dossier");
  EXPECT_EQ(lang.Translate("No equals sign"), "No equals sign");
  EXPECT_EQ(lang.Translate("Empty"), "");
  EXPECT_EQ(lang.Translate("A"), "B=C");
  EXPECT_EQ(lang.Translate("Unknown"), "Unknown");
  EXPECT_EQ(lang.Translate(""), "");
}

TEST(MultiLang, FormatTranslationMustKeepTheConversionsOfItsEnglishText) {
  TTempFolder folder;
  folder.Write("x.lng",
               "Found %d files.=Trouv\xE9 %d fichiers.\r\n"
               "Processed %d folders.=%s %n crash\r\n"
               "Indexing...=100% done %d\r\n");
  TMultiLang lang;
  lang.LoadLanguageFile(folder.Path() + "\\x.lng");
  EXPECT_EQ(FormatInt(lang.TranslateFormat("Found %d files."), 12), "Trouv\xE9 12 fichiers.");
  // A hostile or careless translation never reaches the formatter.
  EXPECT_EQ(lang.TranslateFormat("Processed %d folders."), "Processed %d folders.");
  EXPECT_EQ(FormatConversions("100%% of %d"), "%d\n");
  EXPECT_EQ(FormatConversions("%-5s and %I64d"), "%-5s\n%I64d\n");
}

TEST(MultiLang, ChoosingAGoneLanguageOrTheDefaultResetsToEnglish) {
  TTempFolder folder;
  folder.Write("german.lng", "Stop=Halt\r\n");
  TMultiLang lang;
  lang.LoadLanguageList(folder.Path() + "\\");
  lang.SetLanguage("German");
  EXPECT_EQ(lang.Language(), "German");
  EXPECT_EQ(lang.Translate("Stop"), "Halt");
  lang.SetLanguage("< Default >");
  EXPECT_EQ(lang.Translate("Stop"), "Stop");
  lang.SetLanguage("German");
  DeleteFileA((folder.Path() + "\\german.lng").c_str());
  lang.SetLanguage("< Default >");
  lang.SetLanguage("German");
  EXPECT_EQ(lang.Translate("Stop"), "Stop");
  lang.SetLanguage("");  // nothing happens
  EXPECT_EQ(lang.Language(), "German");
}

}  // namespace
