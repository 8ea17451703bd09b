// Pictures of the program's windows for a person to look at, saved in the
// build folder: the main window after a search, the options dialog and the
// About box.
#include <gtest/gtest.h>

#include <windows.h>

#include "app_fixtures.h"
#include "classlib/buttons.h"
#include "classlib/pagecontrol.h"
#include "classlib/screenshot_win.h"
#include "mainwindow_fixture_win.h"
#include "widecontrols/widecombobox.h"

namespace {

using app_test::MainWindowTest;
using app_test::TTempFolder;

TEST_F(MainWindowTest, ScreenshotsOfTheWindows) {
  TTempFolder folder;
  folder.Write("letter.txt", "Dear all,\r\nthe meeting is on Monday.\r\n");
  folder.Write("notes.txt", "Monday: call the office\r\n");
  folder.Write("other.txt", "nothing");
  FindForm->SetBounds(0, 0, 760, 540);
  LookIn(folder.Path());
  FindForm->cbString->SetText(L"Monday");
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  FindForm->ListView->SetItemIndex(0);
  Pump(30);
  EXPECT_TRUE(screenshot::SaveWindowPng(FindForm->Handle(), "main_window.png"));

  ConfigForm->PageControl->SetActivePageIndex(0);
  ConfigForm->Show();
  Pump(20);
  EXPECT_TRUE(screenshot::SaveWindowPng(ConfigForm->Handle(), "options_dialog.png"));
  ConfigForm->Hide();
  AboutForm->Show();
  Pump(20);
  EXPECT_TRUE(screenshot::SaveWindowPng(AboutForm->Handle(), "about_box.png"));
  AboutForm->Hide();
}

}  // namespace
