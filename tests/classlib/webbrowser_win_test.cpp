#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/webbrowser.h"
#include "window_fixture_win.h"
#include "temp_folder_win.h"

namespace {

const char* StateName(TBrowserState state) {
  switch (state) {
    case bsIdle: return "idle";
    case bsNavigating: return "navigating";
    case bsComplete: return "complete";
    default: return "failed";
  }
}

// A system without the control.
class TMissingWebBrowser : public TWebBrowser {
public:
  using TWebBrowser::TWebBrowser;

protected:
  IOleObject* CreateBrowserObject() override { return nullptr; }
};

class WebBrowserTest : public WindowTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    WindowTest::SetUp();
    form->SetBounds(700, 560, 320, 220);
    page = folder.Write("preview.htm", "<html><body><b>found</b> twice</body></html>");
  }
  void TearDown() override {
    WindowTest::TearDown();
    OleUninitialize();
  }
  void Place(TWebBrowser* control) {
    browser = control;
    browser->SetBounds(0, 0, 300, 200);
    browser->SetRenderTimeout(3000);
    browser->OnDocumentComplete = [this](TObject*) { events.push_back("complete"); };
    browser->OnCannotRender = [this](TObject*) { events.push_back("cannot render"); };
  }
  // Handles messages until the page is shown or given up (at most limitMs).
  DWORD WaitForOutcome(DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (browser->State() == bsNavigating && GetTickCount() - start < limitMs) {
      Application->ProcessMessages();
      Sleep(10);
    }
    return GetTickCount() - start;
  }

  TempFolder folder;
  std::string page;
  TWebBrowser* browser = nullptr;
  std::vector<std::string> events;
};

// Whatever the system's control can do, each page asked for ends as shown
// or as "cannot render", once, within the time allowed; a control that
// failed its first page refuses the next at once.
TEST_F(WebBrowserTest, NavigationCompletesOrReportsCannotRender) {
  Place(new TWebBrowser(form.get()));
  browser->SetParent(form.get());
  form->Show();
  DWORD start = GetTickCount();
  browser->Navigate(L"about:blank");
  WaitForOutcome(20000);
  std::printf("web browser: control %s; about:blank ended %s after %lu ms\n",
              browser->Available() ? "created" : "not created", StateName(browser->State()),
              static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_NE(browser->State(), bsNavigating);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], browser->Rendering() ? "complete" : "cannot render");
  const bool blankShown = browser->Rendering();

  start = GetTickCount();
  const bool started = browser->Navigate(MultiByteToWide(page));
  if (!blankShown) {  // refused at once, before any message is handled
    EXPECT_FALSE(started);
    EXPECT_EQ(browser->State(), bsFailed);
    EXPECT_EQ(events.size(), 2u);
  }
  WaitForOutcome(20000);
  std::printf("web browser: a local page %s, ended %s after %lu ms\n", started ? "started" : "refused",
              StateName(browser->State()), static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_NE(browser->State(), bsNavigating);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1], browser->Rendering() ? "complete" : "cannot render");
}

// Without the control, navigating says so at once.
TEST_F(WebBrowserTest, AControlThatCannotBeMadeReportsAtOnce) {
  Place(new TMissingWebBrowser(form.get()));
  browser->SetParent(form.get());
  form->Show();
  EXPECT_FALSE(browser->Available());
  EXPECT_FALSE(browser->Navigate(MultiByteToWide(page)));
  EXPECT_EQ(browser->State(), bsFailed);
  EXPECT_EQ(events, std::vector<std::string>{"cannot render"});
}

// A page asked for before the window exists is loaded once it does.
TEST_F(WebBrowserTest, NavigationWaitsForTheWindow) {
  Place(new TMissingWebBrowser(form.get()));
  EXPECT_TRUE(browser->Navigate(L"about:blank"));
  EXPECT_EQ(browser->State(), bsNavigating);
  EXPECT_TRUE(events.empty());
  browser->SetParent(form.get());
  form->Show();
  EXPECT_EQ(browser->State(), bsFailed);
  EXPECT_EQ(events, std::vector<std::string>{"cannot render"});
}

}  // namespace
