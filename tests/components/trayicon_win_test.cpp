#include "components/trayicon.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "classlib/icon.h"
#include "classlib/menus.h"
#include "classlib/window_fixture_win.h"
#include "components/iconlist.h"

namespace {

// Records the thread each notification record is filled on; the next
// slowSteps records take longer than the clock's interval. The interval is
// far longer than a look at the message queue takes on a loaded machine.
class ProbeTray : public TTrayIcon {
public:
  using TTrayIcon::TTrayIcon;
  void UpdateNotifyData() override {
    threads.push_back(GetCurrentThreadId());
    if (slowSteps > 0) {
      --slowSteps;
      Sleep(3 * kInterval);
    }
    TTrayIcon::UpdateNotifyData();
  }
  static constexpr uint16_t kInterval = 100;
  std::vector<DWORD> threads;
  int slowSteps = 0;
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

// Another icon, of a window of the test's own, shown while it lives. Wine
// hides its tray window when the last icon goes, which takes two seconds
// without a window manager; beside this one, removing an icon takes as long
// as adding it.
class TNeighbourIcon {
public:
  TNeighbourIcon() : window_(CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
    NOTIFYICONDATAA data = Data();
    data.uFlags = NIF_ICON;
    data.hIcon = LoadIconA(nullptr, IDI_INFORMATION);
    shown_ = window_ != nullptr && Shell_NotifyIconA(NIM_ADD, &data);
  }
  ~TNeighbourIcon() {
    NOTIFYICONDATAA data = Data();
    if (shown_) Shell_NotifyIconA(NIM_DELETE, &data);
    if (window_ != nullptr) DestroyWindow(window_);
  }
  TNeighbourIcon(const TNeighbourIcon&) = delete;
  TNeighbourIcon& operator=(const TNeighbourIcon&) = delete;
  bool Shown() const { return shown_; }

private:
  NOTIFYICONDATAA Data() const {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_;
    return data;
  }
  HWND window_;
  bool shown_ = false;
};

// Whether the shell shows an icon of window (one it has forgets a change).
bool ShellShowsIconOf(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Steps slower than the clock's interval (a busy shell) never have the next
// one waiting behind them, so a loop that runs till the queue is empty ends.
TEST_F(TrayIconTest, StepsSlowerThanTheIntervalDoNotQueueUp) {
  tray->SetIcons(&frames);
  tray->SetInterval(ProbeTray::kInterval);
  tray->SetActive(true);
  tray->SetAnimated(true);
  ASSERT_TRUE(WaitForFrame(1));
  constexpr int kSlowSteps = 5;
  tray->slowSteps = kSlowSteps;
  ASSERT_TRUE(PumpUntil([&] { return tray->slowSteps < kSlowSteps; }));
  EXPECT_GT(tray->slowSteps, 0) << "one loop over the queue took every slow step";
}

// Started, paused, resumed and stopped in every order, then freed while
// running: nothing hangs, the shell shows the icon just when the tray is
// active (a pause really removes it), a stopped animation takes no further
// step, and a freed tray leaves no icon.
TEST_F(TrayIconTest, StartPauseAndStopInEveryOrder) {
  TNeighbourIcon neighbour;
  ASSERT_TRUE(neighbour.Shown());
  tray->SetIcons(&frames);
  tray->SetInterval(ProbeTray::kInterval);
  tray->SetActive(true);
  enum TStep { kStart, kPause, kResume, kStop };
  std::array<TStep, 4> order{kStart, kPause, kResume, kStop};
  const auto at = [&](TStep step) { return std::find(order.begin(), order.end(), step) - order.begin(); };
  int round = 0;
  do {
    for (TStep step : order) {
      if (step == kStart || step == kStop) tray->SetAnimated(step == kStart);
      else tray->SetActive(step == kResume);
    }
    // Steps the clock posted meanwhile are handled now and then.
    if (++round % 6 == 0) Pump(1);
    EXPECT_EQ(tray->Animated(), at(kStart) > at(kStop)) << round;
    EXPECT_EQ(ShellShowsIconOf(tray->Handle()), at(kResume) > at(kPause)) << round;
  } while (std::next_permutation(order.begin(), order.end()));

  tray->SetActive(true);
  tray->SetAnimated(false);
  const int frame = tray->CurrentIndex();
  Pump(10);
  EXPECT_EQ(tray->CurrentIndex(), frame);
  tray->SetAnimated(true);
  EXPECT_TRUE(WaitForFrame(1));
  const HWND window = tray->Handle();
  tray.reset();
  EXPECT_FALSE(ShellShowsIconOf(window));
  Pump(2);
}

}  // namespace
