// The options and history kept in the registry between runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/registryvalues.h"
#include "app/configform_win.h"
#include "classlib/buttons.h"
#include "classlib/canvas.h"
#include "classlib/combobox.h"
#include "classlib/dialogs.h"
#include "classlib/edits.h"
#include "classlib/listview.h"
#include "classlib/strutils.h"
#include "shell/shelltree.h"
#include "classlib/registry.h"
#include "mainwindow_fixture_win.h"
#include "widecontrols/widecombobox.h"

namespace {

using app_test::MainWindowTest;

class SettingsTest : public MainWindowTest {
protected:
  void SetUp() override {}  // each test writes the registry first, then opens
};

void WriteSettings(const std::function<void(TRegistry&)>& write, const char* key = "\\Software\\Marnok\\Ovalis") {
  app_test::ClearSettings();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(key, true));
  write(registry);
}

TEST_F(SettingsTest, EachOptionIsReadOnItsOwnSoADamagedValueResetsOnlyItself) {
  WriteSettings([](TRegistry& r) {
    r.WriteInteger("Ansi", 0);
    r.WriteString("OEM", "not a number");  // wrong type: counts as missing
    r.WriteInteger("KOI8", 1);
    r.WriteInteger("UTF8", 0);
    r.WriteInteger("Hints", 0);
    r.WriteInteger("ReportAll", 1);
    r.WriteString("Font", "");  // an empty face keeps the dialog's
    r.WriteInteger("FontSize", 12);
    r.WriteString("FontStyle", " FSBOLD fsItalic");
    r.WriteString("LangName", "no such language");
  });
  Open(false);
  EXPECT_FALSE(ConfigForm->CheckAnsi->Checked());
  EXPECT_FALSE(ConfigForm->CheckOEM->Checked());  // its default
  EXPECT_TRUE(ConfigForm->CheckKOI8->Checked());
  EXPECT_FALSE(ConfigForm->CheckUTF8->Checked());
  EXPECT_TRUE(ConfigForm->CheckUnicode->Checked());  // missing: default, though read after UTF8
  EXPECT_FALSE(ConfigForm->CheckHints->Checked());
  EXPECT_TRUE(ConfigForm->CheckRAll->Checked());
  EXPECT_EQ(ConfigForm->FontDlg->Font()->Name(), "Tahoma");
  EXPECT_EQ(ConfigForm->FontDlg->Font()->Size(), 12);
  EXPECT_EQ(ConfigForm->FontDlg->Font()->Style(), fsBold | fsItalic);
  EXPECT_EQ(ConfigForm->cbLanguage->Text(), "< Default >");
  EXPECT_EQ(ConfigForm->FileTypes(), TConfigForm::DefaultFileTypes());

  // At exit every value is written back: the damaged one as a proper value.
  CloseForms();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\Software\\Marnok\\Ovalis", false));
  EXPECT_EQ(ReadDwordValue(registry, "OEM"), 0);
  EXPECT_EQ(ReadDwordValue(registry, "KOI8"), 1);
  EXPECT_EQ(ReadTextValue(registry, "FontStyle"), " fsBold fsItalic");
  // The language's file may come back: the user's choice is kept.
  EXPECT_EQ(ReadTextValue(registry, "LangName"), "no such language");
}

// A damaged line (not text) is passed over, and what could not be read is
// never written over: neither by the lines after it nor by the defaults.
TEST_F(SettingsTest, DamagedFileTypeIsPassedOverAndNeverWrittenOver) {
  const char kMru[] = "\\Software\\Marnok\\Ovalis\\MRU";
  struct Case {
    bool lineAfter;
    std::vector<std::string> shown;
  };
  const Case cases[] = {{true, {"Text files: (*.txt)"}}, {false, TConfigForm::DefaultFileTypes()}};
  for (const Case& c : cases) {
    WriteSettings(
        [&](TRegistry& r) {
          r.WriteInteger("FileType0", 7);
          if (c.lineAfter) r.WriteString("FileType1", "Text files: (*.txt)");
        },
        kMru);
    Open(false);
    EXPECT_EQ(ConfigForm->FileTypes(), c.shown);
    CloseForms();
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMru, false));
    EXPECT_EQ(ReadDwordValue(registry, "FileType0"), 7);
    EXPECT_EQ(ReadTextValue(registry, "FileType1"),
              c.lineAfter ? std::optional<std::string>("Text files: (*.txt)") : std::nullopt);
  }
}

// A Start Menu link that cannot be made while the stored options load is
// reported; the program starts with every other option read.
TEST_F(SettingsTest, FailingStartMenuLinkIsReportedAndTheProgramStillStarts) {
  const char kShellFolders[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  WriteSettings([](TRegistry& r) {
    r.WriteInteger("MainMenu", 1);
    r.WriteInteger("Hints", 0);
  });
  TRegistry shell;
  ASSERT_TRUE(shell.OpenKey(kShellFolders, true));
  const std::optional<std::string> startMenu = ReadTextValue(shell, "Start Menu");
  shell.WriteString("Start Menu", "C:\\no such folder\\at all");
  Open(false);
  if (startMenu) shell.WriteString("Start Menu", *startMenu);
  else shell.DeleteValue("Start Menu");
  ASSERT_NE(FindForm, nullptr);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_TRUE(ConfigForm->CheckMainMenu->Checked());
  EXPECT_FALSE(ConfigForm->CheckHints->Checked());
  errors.clear();
}

TEST_F(SettingsTest, FileTypesSurviveWithoutGapsAndLeftoversGo) {
  WriteSettings(
      [](TRegistry& r) {
        r.WriteString("FileType0", "Text files: (*.txt)");
        r.WriteString("FileType1", "Pictures: (*.png)");
        r.WriteString("FileType2", "");
        r.WriteString("FileType3", "never read: (*.x)");
      },
      "\\Software\\Marnok\\Ovalis\\MRU");
  Open(false);
  EXPECT_EQ(ConfigForm->FileTypes(), (std::vector<std::string>{"Text files: (*.txt)", "Pictures: (*.png)"}));
  EXPECT_EQ(FindForm->cbTypes->Items()->Count(), 2);
  EXPECT_EQ(FindForm->cbTypes->Text(), "Text files: (*.txt)");
  CloseForms();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\Software\\Marnok\\Ovalis\\MRU", false));
  EXPECT_EQ(ReadTextValue(registry, "FileType1"), "Pictures: (*.png)");
  EXPECT_FALSE(registry.ValueExists("FileType2"));
  EXPECT_FALSE(registry.ValueExists("FileType3"));
}

// A long list of file types (a list pasted into the options, a damaged
// registry) is read at most a thousand lines deep, at once.
TEST_F(SettingsTest, ManyFileTypesAreCapped) {
  WriteSettings(
      [](TRegistry& r) {
        for (int n = 0; n < 3000; ++n) r.WriteString("FileType" + IntToStr(n), "Type " + IntToStr(n) + ": (*.t)");
      },
      "\\Software\\Marnok\\Ovalis\\MRU");
  Open(false);
  EXPECT_EQ(ConfigForm->FileTypes().size(), TConfigForm::kMaxFileTypes);
  EXPECT_EQ(FindForm->cbTypes->Items()->Count(), static_cast<int>(TConfigForm::kMaxFileTypes));
  EXPECT_EQ(ConfigForm->FileTypes().back(), "Type 999: (*.t)");
}

// A stored tick of a folder not there now (a memory stick, a network drive)
// is stored again at exit, beside the ticks the tree shows.
TEST_F(SettingsTest, ATickOfAnAbsentDriveIsKept) {
  Open();
  const std::string absent = FindForm->ShellTree->Items()->GetFirstNode()->Text() + "\\No Such Drive (Q:)\\Photos";
  CloseForms();
  WriteSettings([&](TRegistry& r) { r.WriteString("Path0", absent); }, "\\Software\\Marnok\\Ovalis\\MRU");
  Open(false);
  Pump(20);
  CloseForms();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\Software\\Marnok\\Ovalis\\MRU", false));
  EXPECT_EQ(ReadTextValue(registry, "Path0"), absent);
  EXPECT_FALSE(registry.ValueExists("Path1"));
}

TEST_F(SettingsTest, HistoryAndColumnWidthsComeBackNextTimeWideTextIncluded) {
  WriteSettings([](TRegistry& r) {
    r.OpenKey("MRU", true);
    r.WriteString("Mask0", "a");
    r.WriteString("Mask1", "");
    r.WriteString("Mask2", "b");
    r.WriteString("ListViewColumn1", "wide");  // wrong type: the default width
    r.WriteInteger("ListViewColumn2", 77);
    r.WriteInteger("ListViewColumn3", 0);  // out of range: the default width
    r.WriteInteger("ListViewColumn4", 1000000);
  });
  Open(false);
  ASSERT_EQ(FindForm->cbMask->Items()->Count(), 2);
  EXPECT_EQ(FindForm->cbMask->Items()->Get(1), L"b");
  EXPECT_EQ(FindForm->ListView->Columns()->Items(1)->Width(), 150);
  EXPECT_EQ(FindForm->ListView->Columns()->Items(2)->Width(), 77);
  EXPECT_EQ(FindForm->ListView->Columns()->Items(3)->Width(), 150);
  EXPECT_EQ(FindForm->ListView->Columns()->Items(4)->Width(), 150);
  FindForm->cbString->Items()->Insert(0, L"\x041C\x0438\x0440");
  CloseForms();
  Open(false);
  EXPECT_EQ(FindForm->cbString->Items()->Get(0), L"\x041C\x0438\x0440");  // not "???"
  EXPECT_EQ(FindForm->cbMask->Items()->Count(), 2);
}

}  // namespace
