// The main window across runs and while minimised: its placement and panel
// sizes in the registry, the tray icon that stands in for it, and pictures
// of its result list's context menu and of the window back from the tray.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/configform_win.h"
#include "classlib/buttons.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/panels.h"
#include "classlib/icon.h"
#include "classlib/registry.h"
#include "classlib/splitter.h"
#include "classlib/screenshot_win.h"
#include "components/formstorage.h"
#include "components/placementsettings.h"
#include "components/trayicon.h"
#include "app_fixtures.h"
#include "mainwindow_fixture_win.h"

namespace {

using app_test::MainWindowTest;
using app_test::TTempFolder;

const char kPlace[] = "\\Software\\Marnok\\Ovalis\\Place";

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct Place : TRegistry {
  Place() { OpenKey(kPlace, true); }
};

class WindowStateTest : public MainWindowTest {
protected:
  // Closes and opens the program's windows again, the settings kept.
  void Restart() {
    CloseForms();
    Open(false);
  }
};

// Closing keeps place, size and panel sizes as string values under "Place";
// the next start shows them again.
TEST_F(WindowStateTest, PlacementAndPanelSizesComeBackNextRun) {
  SetWindowPos(FindForm->Handle(), nullptr, 120, 90, 700, 520, SWP_NOZORDER | SWP_NOACTIVATE);
  FindForm->pLeft->SetWidth(230);
  FindForm->pView->SetHeight(140);
  Pump(2);
  CloseForms();
  {
    Place place;
    for (const char* name : {"pLeft_Width", "pView_Height", "NormPos", "ShowCmd", "FormVersion"})
      EXPECT_EQ(place.GetDataType(name), rdString) << name;
    EXPECT_EQ(place.ReadString("pLeft_Width"), "230");
    EXPECT_EQ(place.ReadString("pView_Height"), "140");
    EXPECT_EQ(place.ReadString("NormPos"), "120,90,820,610");
    EXPECT_EQ(place.ReadString("NormPos" + ScreenSizeSuffix()), "120,90,820,610");
  }
  Open(false);
  EXPECT_TRUE(Same(WindowRect(FindForm->Handle()), RECT{120, 90, 820, 610}));
  EXPECT_EQ(FindForm->pLeft->Width(), 230);
  EXPECT_EQ(FindForm->pView->Height(), 140);
}

// A rectangle off every monitor, a value of a foreign type and a panel
// width that is no number leave the window where it was designed.
TEST_F(WindowStateTest, DamagedPlacementKeepsTheDesignedPlace) {
  const RECT designed = WindowRect(FindForm->Handle());
  const int leftWidth = FindForm->pLeft->Width();
  CloseForms();
  {
    Place place;
    for (const std::string& suffix : {std::string(), ScreenSizeSuffix()})
      place.WriteString("NormPos" + suffix, "9000,9000,9600,9500");
    place.WriteBinaryData("ShowCmd", "\x03\0\0\0", 4);
    place.WriteString("pLeft_Width", "abc");
  }
  Open(false);
  EXPECT_TRUE(Same(WindowRect(FindForm->Handle()), designed));
  EXPECT_FALSE(IsZoomed(FindForm->Handle()));
  EXPECT_EQ(FindForm->pLeft->Width(), leftWidth);
}

// A stored panel size from a wider screen, or a damaged one, never hides
// the result list or a panel, and the size stored at exit fits the window.
TEST_F(WindowStateTest, StoredPanelSizesNeverHideTheList) {
  CloseForms();
  {
    Place place;
    place.WriteString("pLeft_Width", "100000");
    place.WriteString("pView_Height", "100000");
  }
  Open(false);
  Pump(5);
  // Nor does a window made as small as the system lets it be.
  for (const bool small : {false, true}) {
    if (small) SetWindowPos(FindForm->Handle(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    Pump(5);
    const TRect list = FindForm->ListView->BoundsRect();
    EXPECT_GE(list.Width(), FindForm->SplitterLeft->MinSize() - 4) << small;
    EXPECT_GE(list.Height(), FindForm->SplitterView->MinSize() - 4) << small;
    EXPECT_GE(FindForm->pView->Top(), list.Bottom) << small;
  }
  const int clientWidth = FindForm->ClientWidth();
  CloseForms();
  EXPECT_LT(std::stoi(Place().ReadString("pLeft_Width")), clientWidth);
  Open(false);
}

// Closed while minimised, the program starts minimised: the whole
// application, not only the main window.
TEST_F(WindowStateTest, StoredMinimisedStateStartsTheProgramMinimised) {
  CloseForms();
  Place().WriteString("ShowCmd", "2");
  Open(false);
  Pump(5);
  EXPECT_TRUE(IsIconic(Application->Handle()));
  Application->Restore();
  Pump(2);
  EXPECT_TRUE(IsWindowVisible(FindForm->Handle()));
}

// Minimised with "Minimize to tray" on, the program leaves the taskbar for
// the tray; a click on the icon brings the window back and the icon goes.
TEST_F(WindowStateTest, TrayIconStandsInForTheMinimisedWindowUntilClicked) {
  HWND app = Application->Handle();
  ShowWindow(app, SW_SHOWNOACTIVATE);  // as the loop shows it when it starts
  ConfigForm->CheckTray->SetChecked(true);
  Application->Minimize();
  Pump(5);
  ASSERT_TRUE(FindForm->TrayIcon->Added());
  EXPECT_FALSE(IsWindowVisible(app));

  SendMessageA(FindForm->TrayIcon->Handle(), CM_TRAYICON, 0, WM_LBUTTONDOWN);
  SendMessageA(FindForm->TrayIcon->Handle(), CM_TRAYICON, 0, WM_LBUTTONUP);
  Pump(20);
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_FALSE(IsIconic(app));
  EXPECT_TRUE(IsWindowVisible(FindForm->Handle()));
  EXPECT_FALSE(FindForm->TrayIcon->Added());
  EXPECT_TRUE(screenshot::SaveWindowPng(FindForm->Handle(), "main_window_from_tray.png"));

  // Without the option the taskbar button stays and no icon appears.
  ConfigForm->CheckTray->SetChecked(false);
  Application->Minimize();
  Pump(5);
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_FALSE(FindForm->TrayIcon->Added());
  Application->Restore();
}

TEST_F(WindowStateTest, TrayIconShowsTheProgramsIcon) {
  TIcon program;
  program.LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON");
  ASSERT_FALSE(FindForm->TrayIcon->Icon()->Empty());
  EXPECT_EQ(FindForm->TrayIcon->Icon()->Width(), program.Width());
}

std::string menuPicture;

// Once the menu shows (the timer may come first), takes the picture and
// closes the menu.
void CALLBACK PictureAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu == nullptr || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  if (screenshot::SaveWindowPng(FindForm->Handle(), "result_list_menu.png")) menuPicture = "saved";
  EndMenu();
}

// A right click on the result list opens its menu where the mouse is.
TEST_F(WindowStateTest, ResultListContextMenuPicture) {
  TTempFolder folder;
  folder.Write("letter.txt", "x");
  folder.Write("notes.txt", "y");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  FindForm->ListView->SetItemIndex(0);
  Pump(5);
  HWND list = FindForm->ListView->Handle();
  POINT at{60, 30};
  ClientToScreen(list, &at);
  SetTimer(nullptr, 0, 600, &PictureAndCloseMenu);
  SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
  EXPECT_EQ(menuPicture, "saved");
  EXPECT_EQ(FindForm->ListPopup->PopupComponent(), FindForm->ListView);
}

}  // namespace
