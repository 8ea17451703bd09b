#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/forms.h"
#include "classlib/statusbar.h"

namespace {

// The text of a part as the window holds it.
std::string PartText(HWND bar, int part) {
  LRESULT length = LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

class StatusBarTest : public testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(360, 360, 420, 120);
    bar = new TStatusBar(form.get());
    bar->SetBounds(0, 60, 400, 20);
    for (int width : {150, 100, 50}) bar->Panels()->Add()->SetWidth(width);
    bar->Panels()->Items(1)->SetAlignment(taCenter);
  }
  std::unique_ptr<TForm> form;
  TStatusBar* bar = nullptr;
};

// Panels set up before the window exist in it; the last reaches the right
// edge; the centred panel's text is marked for centring.
TEST_F(StatusBarTest, PanelsAndTextsReachTheWindow) {
  bar->Panels()->Items(0)->SetText("Searching...");
  bar->SetParent(form.get());
  form->Show();
  bar->Panels()->Items(1)->SetText("0:00:05");
  bar->Panels()->Items(2)->SetText("Processed 3 folders.");
  HWND window = bar->Handle();
  int edges[4] = {};
  ASSERT_EQ(SendMessageA(window, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], 150);
  EXPECT_EQ(edges[1], 250);
  EXPECT_EQ(edges[2], -1);
  EXPECT_EQ(PartText(window, 0), "Searching...");
  EXPECT_EQ(PartText(window, 1), "\t0:00:05");
  EXPECT_EQ(PartText(window, 2), "Processed 3 folders.");
  EXPECT_EQ(bar->Panels()->Items(2)->Text(), "Processed 3 folders.");
  EXPECT_THROW(bar->Panels()->Items(3), EListError);
}

TEST_F(StatusBarTest, TextsSurviveRecreationAndSimpleTextReplacesPanels) {
  bar->SetParent(form.get());
  form->Show();
  bar->Panels()->Items(0)->SetText("Found 12 files.");
  bar->RecreateWnd();
  EXPECT_EQ(PartText(bar->Handle(), 0), "Found 12 files.");
  bar->SetSimpleText("simple");
  bar->SetSimplePanel(true);
  EXPECT_TRUE(SendMessageA(bar->Handle(), SB_ISSIMPLE, 0, 0));
  bar->SetSimplePanel(false);
  EXPECT_EQ(PartText(bar->Handle(), 0), "Found 12 files.");
}

}  // namespace
