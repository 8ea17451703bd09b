#include "components/windowhook.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "classlib/window_fixture_win.h"
#include "widecontrols/unicodewindows.h"

namespace {

constexpr UINT kPing = WM_APP + 7;

// A control that notes the pings and destructions its own procedure sees.
class Probe : public TWinControl {
public:
  Probe(TComponent* owner, std::vector<std::string>& log) : TWinControl(owner), log_(log) {}
  void WndProc(TMessage& m) override {
    if (m.Msg == kPing) {
      log_.push_back("control");
      m.Result = 42;
      return;
    }
    if (m.Msg == WM_DESTROY) log_.push_back("control destroy");
    TWinControl::WndProc(m);
  }

private:
  std::vector<std::string>& log_;
};

class WindowHookTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(700, 40, 200, 120);
    probe = new Probe(form.get(), log);
    probe->SetParent(form.get());
    probe->SetBounds(0, 0, 50, 50);
    other = new Probe(form.get(), log);
    other->SetParent(form.get());
    other->SetBounds(60, 0, 50, 50);
    form->Show();
  }
  TWindowHook* NewHook(const std::string& name, TWinControl* control) {
    auto* hook = new TWindowHook(form.get());
    hook->BeforeMessage = [this, name](TObject*, TMessage& m, bool& handled) {
      if (m.Msg != kPing && m.Msg != WM_DESTROY) return;
      log.push_back(name + " before");
      if (name == handling) handled = true;
    };
    hook->AfterMessage = [this, name](TObject*, TMessage& m, bool&) {
      if (m.Msg == kPing) log.push_back(name + " after");
    };
    hook->SetWinControl(control);
    return hook;
  }
  LRESULT Ping(TWinControl* control) {
    log.clear();
    return SendMessageA(control->Handle(), kPing, 0, 0);
  }
  bool Listed(const TWinControl* control) const {
    THookList* list = SharedHookList();
    for (int i = 0; i < list->Count(); ++i)
      if (list->Items(i)->Control() == control) return true;
    return false;
  }

  std::vector<std::string> log;
  std::string handling;
  Probe* probe = nullptr;
  Probe* other = nullptr;
};

using Log = std::vector<std::string>;

// The hook added last sees each message first; Handled in its "before"
// skips the other hook, the control's procedure and every "after".
TEST_F(WindowHookTest, LastAddedFirstAndHandledStopsTheRest) {
  NewHook("A", probe);
  NewHook("B", probe);
  EXPECT_EQ(SharedHookList()->Find(probe)->Hooks().size(), 2u);
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"B before", "A before", "control", "B after", "A after"}));
  handling = "B";
  Ping(probe);
  EXPECT_EQ(log, (Log{"B before"}));
}

// Handled cannot keep WM_DESTROY from the control; a re-created window is
// hooked again once the posted re-attach arrives.
TEST_F(WindowHookTest, ReCreatedWindowKeepsItsHook) {
  NewHook("A", probe);
  handling = "A";
  log.clear();
  probe->RecreateWnd();
  EXPECT_EQ(log, (Log{"A before", "control destroy"}));
  handling.clear();
  Pump(2);
  EXPECT_TRUE(SharedHookList()->Find(probe)->Installed());
  Ping(probe);
  EXPECT_EQ(log, (Log{"A before", "control", "A after"}));
}

TEST_F(WindowHookTest, MovingTheHookReleasesTheFormerControlHook) {
  TWindowHook* hook = NewHook("A", probe);
  hook->SetWinControl(other);
  EXPECT_TRUE(Listed(probe));  // freed only after the current message
  Pump(2);
  EXPECT_FALSE(Listed(probe));
  Ping(probe);
  EXPECT_EQ(log, (Log{"control"}));
  Ping(other);
  EXPECT_EQ(log, (Log{"A before", "control", "A after"}));
}

// A handler moves its hook away and runs a modal loop, in which the release
// of the control hook arrives: the control hook whose procedure is still
// running stays until that procedure has returned.
TEST_F(WindowHookTest, ReleaseDuringTheHooksOwnProcedureWaitsForItsReturn) {
  TWindowHook* hook = NewHook("A", probe);
  TControlHook* controlHook = SharedHookList()->Find(probe);
  bool keptDuringTheLoop = false;
  hook->BeforeMessage = [&](TObject*, TMessage& m, bool&) {
    if (m.Msg != kPing) return;
    hook->SetWinControl(other);
    Pump(3);
    keptDuringTheLoop = SharedHookList()->Contains(controlHook);
  };
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_TRUE(keptDuringTheLoop);
  Pump(3);
  EXPECT_FALSE(Listed(probe));
}

TEST_F(WindowHookTest, DeactivatingTheOnlyHookRestoresTheProcedure) {
  const LONG_PTR original = GetWindowLongPtrA(probe->Handle(), GWLP_WNDPROC);
  TWindowHook* hook = NewHook("A", probe);
  EXPECT_NE(GetWindowLongPtrA(probe->Handle(), GWLP_WNDPROC), original);
  hook->SetActive(false);
  EXPECT_EQ(GetWindowLongPtrA(probe->Handle(), GWLP_WNDPROC), original);
  Ping(probe);
  EXPECT_EQ(log, (Log{"control"}));
  hook->SetActive(true);
  Ping(probe);
  EXPECT_EQ(log, (Log{"A before", "control", "A after"}));
}

// Someone subclasses the window after the hook; the hook then leaves and
// its control hook is freed. The later party's messages still reach the
// control, and nothing it calls has been freed.
WNDPROC laterPrevious = nullptr;
int laterCalls = 0;
LRESULT CALLBACK LaterSubclasser(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kPing) ++laterCalls;
  return CallWindowProcA(laterPrevious, window, msg, wParam, lParam);
}

TEST_F(WindowHookTest, LaterSubclasserKeepsItsMessagesWhenTheHookLeaves) {
  TWindowHook* hook = NewHook("A", probe);
  HWND window = probe->Handle();
  laterPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclasser)));
  laterCalls = 0;
  hook->SetWinControl(nullptr);
  Pump(2);
  EXPECT_FALSE(Listed(probe));
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"control"}));
  EXPECT_EQ(laterCalls, 1);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterPrevious));
}

// The common-controls subclass chain around the hook, both ways: its entry
// added above the hook and the hook leaving, then the hook added above it and
// the entry removed from below the hook. No message is lost either way.
int chainCalls = 0;
LRESULT CALLBACK ChainSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == kPing) ++chainCalls;
  return DefSubclassProc(window, msg, wParam, lParam);
}

TEST_F(WindowHookTest, CommonControlsSubclassAboveOrBelowLosesNothing) {
  TWindowHook* hook = NewHook("A", probe);
  HWND window = probe->Handle();
  ASSERT_TRUE(SetWindowSubclass(window, &ChainSubclass, 1, 0));
  chainCalls = 0;
  hook->SetActive(false);
  Pump(2);
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"control"}));
  EXPECT_EQ(chainCalls, 1);

  hook->SetActive(true);
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"A before", "control", "A after"}));
  EXPECT_EQ(chainCalls, 2);
  ASSERT_TRUE(RemoveWindowSubclass(window, &ChainSubclass, 1));
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"A before", "control", "A after"}));
  EXPECT_EQ(chainCalls, 2);
  hook->SetActive(false);
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"control"}));
}

// A freed control leaves no hook or control hook pointing at it, whether
// its hook is active or was switched off beforehand.
TEST_F(WindowHookTest, FreedControlIsForgottenEverywhere) {
  TWindowHook* active = NewHook("A", probe);
  TWindowHook* idle = NewHook("B", other);
  idle->SetActive(false);  // its control hook stays, emptied
  ASSERT_TRUE(Listed(other));
  delete probe;
  delete other;
  EXPECT_EQ(active->WinControl(), nullptr);
  EXPECT_EQ(idle->WinControl(), nullptr);
  EXPECT_FALSE(Listed(probe));
  EXPECT_FALSE(Listed(other));
  Pump(2);
  active->SetActive(false);
  active->SetActive(true);
}

// A handler that raises is reported and the other hooks still run.
TEST_F(WindowHookTest, RaisingHandlerIsReportedAndTheWalkGoesOn) {
  NewHook("A", probe);
  TWindowHook* b = NewHook("B", probe);
  b->BeforeMessage = [](TObject*, TMessage& m, bool&) {
    if (m.Msg == kPing) throw Exception("handler failed");
  };
  EXPECT_EQ(Ping(probe), 42);
  EXPECT_EQ(log, (Log{"A before", "control", "B after", "A after"}));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "handler failed");
  errors.clear();
}

// An edit with a Unicode window.
class WideEdit : public TWinControl {
public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TWideHookEdit"; }

protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
  }
  void CreateWindowHandle(const TCreateParams& params) override { CreateUnicodeHandle(this, params, L"EDIT"); }
};

// Wide text passes a hooked wide window unchanged, even outside the
// 8-bit code page, and stays wide after the hook leaves.
TEST_F(WindowHookTest, WideWindowKeepsWideText) {
  auto* edit = new WideEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(0, 60, 100, 22);
  ASSERT_TRUE(IsWindowUnicode(edit->Handle()));
  std::wstring seen;
  TWindowHook* hook = NewHook("A", edit);
  hook->BeforeMessage = [&](TObject*, TMessage& m, bool&) {
    if (m.Msg == WM_SETTEXT) seen = reinterpret_cast<const wchar_t*>(m.LParam);
  };
  const std::wstring zhuk = L"\x0416\x0443\x043A";
  SendMessageW(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zhuk.c_str()));
  EXPECT_EQ(seen, zhuk);
  wchar_t text[16] = {};
  SendMessageW(edit->Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), zhuk);
  hook->SetActive(false);
  EXPECT_TRUE(IsWindowUnicode(edit->Handle()));
}

}  // namespace
