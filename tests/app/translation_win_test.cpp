// Switching the interface language from a language file beside the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "app/programfolder.h"
#include "app_fixtures.h"
#include "classlib/buttons.h"
#include "classlib/combobox.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/pagecontrol.h"
#include "classlib/panels.h"
#include "classlib/toolbar.h"
#include "mainwindow_fixture_win.h"

namespace {

using app_test::MainWindowTest;
using app_test::TTempFolder;

// A language file in the program's "Languages" folder for the test's life.
class TLanguageFile {
public:
  TLanguageFile(const std::string& name, const std::string& text) {
    folder_ = ProgramFolder() + "Languages";
    CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = folder_ + "\\" + name;
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~TLanguageFile() {
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(folder_.c_str());  // only when no other test's file is left
  }

private:
  std::string folder_;
  std::string path_;
};

class TranslationTest : public MainWindowTest {
protected:
  void SetUp() override {}
  void Choose(const std::string& language) {
    const int index = ConfigForm->cbLanguage->Items()->IndexOf(language);
    ASSERT_GE(index, 0) << language;
    ConfigForm->cbLanguage->SetItemIndex(index);
    FindForm->ApplyOptions();
    Pump(2);
  }
};

TEST_F(TranslationTest, LanguageFileTranslatesCaptionsMenusColumnsAndMessages) {
  TLanguageFile file("zz-test-french.lng",
                     "Start=D\xE9marrer\r\n"
                     "open folder=Ouvrir le dossier\r\n"
                     "File name=Nom\r\n"
                     "What to find=Quoi\r\n"
                     "Found %d files.=%s fichiers %n\r\n"
                     "Preview is unavailable=Pas d'aper\xE7u\r\n");
  Open();
  Choose("Zz-test-french");
  EXPECT_EQ(FindForm->tbStart->Caption(), "D\xE9marrer");
  EXPECT_EQ(FindForm->PageFind->Caption(), "Quoi");
  EXPECT_EQ(FindForm->ListView->Columns()->Items(0)->Caption(), "Nom");
  EXPECT_EQ(FindForm->ListPopup->Items()->Items(1)->Caption(), "Ouvrir le dossier");
  EXPECT_EQ(FindForm->pView->Caption(), "Pas d'aper\xE7u");

  // A translated format that would read arguments it is not given is not used.
  TTempFolder folder;
  folder.Write("one.txt", "x");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Status(0), "Found 1 files.");

  Choose("< Default >");
  EXPECT_EQ(FindForm->tbStart->Caption(), "Start");
  EXPECT_EQ(FindForm->ListPopup->Items()->Items(1)->Caption(), "Open folder");
  EXPECT_EQ(FindForm->ListView->Columns()->Items(0)->Caption(), "File name");
}

}  // namespace
