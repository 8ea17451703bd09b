#include "components/trayicon.h"

#include <memory>
#include <string>
#include <vector>

#include "classlib/icon.h"
#include "classlib/menus.h"
#include "classlib/window_fixture_win.h"
#include "components/iconlist.h"

namespace {

// Records the thread each notification record is filled on.
class ProbeTray : public TTrayIcon {
public:
  using TTrayIcon::TTrayIcon;
  void UpdateNotifyData() override {
    threads.push_back(GetCurrentThreadId());
    TTrayIcon::UpdateNotifyData();
  }
  std::vector<DWORD> threads;
};

class TrayIconTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* id : {IDI_APPLICATION, IDI_WARNING, IDI_ERROR}) {
      TIcon icon;
      icon.LoadFromResourceName(nullptr, id);
      frames.Add(&icon);
    }
    tray = std::make_unique<ProbeTray>(nullptr);
    tray->SetActive(false);
    tray->SetIcon(frames.Get(0));
    tray->OnClick = [this](TObject*, TMouseButton b, TShiftState, int, int) {
      log.push_back(b == mbLeft ? "click left" : "click right");
    };
    tray->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int, int) {
      log.push_back(std::string("down ") + (b == mbLeft ? "left" : "right") + ((s & ssDouble) ? " double" : ""));
    };
    tray->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) {
      log.push_back(b == mbLeft ? "up left" : "up right");
    };
    tray->OnDblClick = [this](TObject*) { log.push_back("double click"); };
  }
  void TearDown() override {
    tray.reset();
    WindowTest::TearDown();
  }
  // The shell's callback for a mouse message over the icon.
  void Mouse(UINT message) { SendMessageA(tray->Handle(), CM_TRAYICON, 0, message); }
  // Runs the loop until the animation shows frame.
  bool WaitForFrame(int frame) {
    return PumpUntil([&] { return tray->CurrentIndex() == frame; });
  }

  TIconList frames;
  std::unique_ptr<ProbeTray> tray;
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

// Inactive nothing shows; active with an empty icon nothing shows either
// until an icon is given; a click needs a press seen on the icon.
TEST_F(TrayIconTest, AddedWhenActiveWithAnIconAndClicksNeedAPress) {
  EXPECT_FALSE(tray->Added());
  TIcon empty;
  tray->SetIcon(&empty);
  tray->SetActive(true);
  EXPECT_FALSE(tray->Added());
  tray->SetIcon(frames.Get(0));
  ASSERT_TRUE(tray->Added());

  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  EXPECT_EQ(log, (Log{"down left", "click left", "up left"}));
  log.clear();
  Mouse(WM_LBUTTONUP);  // pressed elsewhere
  EXPECT_EQ(log, (Log{"up left"}));

  log.clear();
  tray->SetEnabled(false);
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  EXPECT_TRUE(log.empty());
  tray->SetActive(false);
  EXPECT_FALSE(tray->Added());
}

// A restarted shell has forgotten every icon and says so to all windows: the
// shown icon is added again.
TEST_F(TrayIconTest, ShownIconComesBackWhenTheShellRestarts) {
  tray->SetActive(true);
  ASSERT_TRUE(tray->Added());
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = tray->Handle();
  data.uFlags = NIF_TIP;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));  // what the restart does
  ASSERT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));
  SendMessageA(tray->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(tray->Added());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
}

// Closes the popup menu once it is open (the timer may fire before the menu
// loop starts; it then waits for the next round).
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu == nullptr || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  EndMenu();
}

// A right click shows a menu that pops up by itself instead of a click; a
// menu that does not leaves the click to the handler. A double click runs
// the menu's enabled default item in place of OnDblClick.
TEST_F(TrayIconTest, RightClickMenuAndDoubleClickDefaultItem) {
  TPopupMenu menu(nullptr);
  auto* open = new TMenuItem(&menu);
  open->SetCaption("Open");
  int opened = 0;
  open->OnClick = [&](TObject*) { ++opened; };
  menu.Items()->Add(open);
  tray->SetPopupMenu(&menu);
  tray->SetActive(true);

  SetTimer(nullptr, 0, 100, &CloseMenu);
  Mouse(WM_RBUTTONDOWN);
  Mouse(WM_RBUTTONUP);
  EXPECT_EQ(log, (Log{"down right", "up right"}));
  EXPECT_EQ(menu.PopupComponent(), tray.get());

  log.clear();
  menu.SetAutoPopup(false);
  Mouse(WM_RBUTTONDOWN);
  Mouse(WM_RBUTTONUP);
  EXPECT_EQ(log, (Log{"down right", "click right", "up right"}));

  log.clear();
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (Log{"double click", "down left double"}));
  EXPECT_EQ(opened, 0);
  log.clear();
  open->SetDefault(true);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (Log{"down left double"}));
  EXPECT_EQ(opened, 1);
  open->SetEnabled(false);
  log.clear();
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (Log{"double click", "down left double"}));
}

TEST_F(TrayIconTest, TipIsTheShortHintCutOnACharacter) {
  EXPECT_EQ(TTrayIcon::TipText("Ovalis|Searching the disk"), "Ovalis");
  EXPECT_EQ(TTrayIcon::TipText(std::string(70, 'a')), std::string(63, 'a'));
  // Code page 932: 0x82 leads a two-byte character; byte 63 would split one.
  std::string wide = std::string(62, 'a') + "\x82\xa0" + "b";
  EXPECT_EQ(TTrayIcon::TipText(wide, 932), std::string(62, 'a'));
  EXPECT_EQ(TTrayIcon::TipText(std::string(61, 'a') + "\x82\xa0", 932), std::string(61, 'a') + "\x82\xa0");
}

// The frames follow one another and wrap, each step on the main thread;
// without icons nothing animates.
TEST_F(TrayIconTest, AnimationStepsOnTheMainThreadAndWraps) {
  tray->SetAnimated(true);
  EXPECT_FALSE(tray->Animated());
  tray->SetIcons(&frames);
  tray->SetInterval(10);
  tray->SetActive(true);
  tray->SetAnimated(true);
  ASSERT_TRUE(tray->Animated());
  EXPECT_EQ(tray->CurrentIndex(), 0);
  EXPECT_TRUE(WaitForFrame(1));
  EXPECT_TRUE(WaitForFrame(2));
  EXPECT_TRUE(WaitForFrame(0));
  for (DWORD thread : tray->threads) EXPECT_EQ(thread, GetCurrentThreadId());

  // Emptying the frames stops the animation (once, without recursion).
  TIconList none;
  tray->SetIcons(&none);
  EXPECT_FALSE(tray->Animated());
  EXPECT_TRUE(tray->Added());
}

// Started, paused and stopped a hundred times, then freed while running:
// nothing hangs, and a stopped animation takes no further step.
TEST_F(TrayIconTest, StartPauseAndStopAHundredTimes) {
  tray->SetIcons(&frames);
  tray->SetInterval(10);
  tray->SetActive(true);
  for (int i = 0; i < 100; ++i) {
    tray->SetAnimated(true);
    tray->SetActive(false);
    if (i % 10 == 0) Pump(1);
    tray->SetActive(true);
    tray->SetAnimated(false);
  }
  EXPECT_FALSE(tray->Animated());
  const int frame = tray->CurrentIndex();
  Pump(10);
  EXPECT_EQ(tray->CurrentIndex(), frame);
  tray->SetAnimated(true);
  EXPECT_TRUE(WaitForFrame(1));
  tray.reset();
  Pump(2);
}

}  // namespace
