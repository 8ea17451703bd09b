#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/actions.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/hintwindow.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/toolbar.h"
#include "window_fixture_win.h"

namespace {

// What a status bar does with hints, and any control with actions it knows.
class TActionTaker : public TWinControl {
public:
  using TWinControl::TWinControl;
  bool ExecuteAction(TBasicAction* action) override {
    if (auto* hint = dynamic_cast<THintAction*>(action)) hints.push_back(hint->Hint());
    else taken.push_back(action);
    return true;
  }
  std::vector<std::string> hints;
  std::vector<TBasicAction*> taken;
};

class ActionTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    Application->SetMainForm(form.get());
  }
  void TearDown() override {
    Application->SetMainForm(nullptr);
    WindowTest::TearDown();
  }
  TAction* CountedAction(int& updates) {
    auto* action = new TAction(form.get());
    action->OnUpdate = [&updates](TObject*) { ++updates; };
    return action;
  }
};

}  // namespace

TEST_F(ActionTest, IdleTimeUpdatesTheActionsOfShownControlsAndMenuItems) {
  int shown = 0, hidden = 0, item = 0;
  Add<TEdit>(form.get(), 10, 10, 100, 21)->SetAction(CountedAction(shown));
  auto* invisible = Add<TEdit>(form.get(), 10, 40, 100, 21);
  invisible->SetAction(CountedAction(hidden));
  invisible->Hide();
  auto* menu = new TMainMenu(form.get());
  auto* file = new TMenuItem(form.get());
  menu->Items()->Add(file);
  auto* open = new TMenuItem(form.get());
  file->Add(open);
  open->SetAction(CountedAction(item));
  form->SetMenu(menu);
  MSG msg{};
  Application->Idle(msg);
  EXPECT_EQ(shown + hidden + item, 0);  // the form is not shown yet
  form->Show();
  Application->Idle(msg);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(hidden, 0);
  EXPECT_EQ(item, 1);
}

TEST_F(ActionTest, AnActionWithoutAHandlerIsOfferedToTheFormsControls) {
  TAction action(nullptr);
  form->Show();
  EXPECT_FALSE(action.Execute());
  auto* taker = Add<TActionTaker>(form.get(), 10, 10, 50, 20);
  EXPECT_TRUE(action.Execute());
  EXPECT_EQ(taker->taken, std::vector<TBasicAction*>{&action});
  int ran = 0;
  action.OnExecute = [&ran](TObject*) { ++ran; };
  EXPECT_TRUE(action.Execute());
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(taker->taken.size(), 1u);  // its own handler comes first
  action.SetEnabled(false);
  EXPECT_FALSE(action.Execute());
}

TEST_F(ActionTest, TheApplicationsHintGoesToWhoeverShowsHints) {
  auto* taker = Add<TActionTaker>(form.get(), 10, 10, 50, 20);
  form->Show();
  Application->SetHint("Starts the search");
  EXPECT_EQ(taker->hints, std::vector<std::string>{"Starts the search"});
  Application->OnHint = [](TObject*) {};  // a program that shows hints itself
  Application->SetHint("Stops it");
  Application->OnHint = nullptr;
  Application->SetHint("");
  EXPECT_EQ(taker->hints, (std::vector<std::string>{"Starts the search", ""}));
}

// A control run by an action with a shortcut names the key in its hint,
// unless the application is told not to, and adds nothing to no hint.
TEST_F(ActionTest, AHintNamesTheShortCutOfTheControlsAction) {
  auto* button = Add<TButton>(form.get(), 10, 10, 80, 24);
  auto* action = new TAction(form.get());
  action->SetShortCut(ShortCut('S', ssCtrl));
  button->SetAction(action);
  auto shown = [button](const std::string& hint) {
    THintInfo info;
    info.HintControl = button;
    info.HintStr = hint;
    button->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info.HintStr;
  };
  EXPECT_EQ(shown("Saves"), "Saves (Ctrl+S)");
  EXPECT_EQ(shown(""), "");
  Application->SetHintShortCuts(false);
  EXPECT_EQ(shown("Saves"), "Saves");
  Application->SetHintShortCuts(true);
  action->SetShortCut(scNone);
  EXPECT_EQ(shown("Saves"), "Saves");
}

TEST_F(ActionTest, AssignCopiesTheValuesOfAnActionOrAControl) {
  TAction source(nullptr);
  source.SetCaption("&Open");
  source.SetHint("Opens");
  source.SetShortCut(ShortCut('O', ssCtrl));
  source.SetEnabled(false);
  TAction copy(nullptr);
  copy.Assign(&source);
  EXPECT_EQ(copy.Caption(), "&Open");
  EXPECT_EQ(copy.Hint(), "Opens");
  EXPECT_EQ(copy.ShortCut(), ShortCut('O', ssCtrl));
  EXPECT_FALSE(copy.Enabled());
  auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 21);
  edit->SetText("typed");
  edit->SetHint("a field");
  copy.Assign(edit);
  EXPECT_EQ(copy.Caption(), "typed");
  EXPECT_EQ(copy.Hint(), "a field");
  EXPECT_TRUE(copy.Enabled());
  EXPECT_THROW(edit->Assign(&copy), EConvertError);
}

TEST_F(ActionTest, EachKindOfControlHasItsOwnLink) {
  EXPECT_EQ(TButton(nullptr).GetActionLinkClass(), TButtonActionLink::StaticClass());
  EXPECT_EQ(TCheckBox(nullptr).GetActionLinkClass(), TButtonActionLink::StaticClass());
  EXPECT_EQ(TListView(nullptr).GetActionLinkClass(), TListViewActionLink::StaticClass());
  EXPECT_EQ(TToolButton(nullptr).GetActionLinkClass(), TToolButtonActionLink::StaticClass());
  EXPECT_EQ(TEdit(nullptr).GetActionLinkClass(), TWinControlActionLink::StaticClass());
  EXPECT_TRUE(TButtonActionLink::StaticClass()->InheritsFrom(TWinControlActionLink::StaticClass()));
}

TEST_F(ActionTest, AMenuItemFollowsItsAction) {
  TAction action(nullptr);
  action.SetCaption("&Save");
  action.SetShortCut(ShortCut('S', ssCtrl));
  int saved = 0;
  action.OnExecute = [&saved](TObject*) { ++saved; };
  TMenuItem item(nullptr);
  item.SetAction(&action);
  EXPECT_EQ(item.Caption(), "&Save");
  EXPECT_EQ(item.ShortCut(), ShortCut('S', ssCtrl));
  item.Click();
  EXPECT_EQ(saved, 1);
  item.SetCaption("Sa&ve");  // the same caption but for the hot key: still linked
  action.SetCaption("Save &As");
  action.SetEnabled(false);
  EXPECT_EQ(item.Caption(), "Save &As");
  EXPECT_FALSE(item.Enabled());
  item.SetCaption("Other");
  action.SetCaption("Save");
  EXPECT_EQ(item.Caption(), "Other");
}
