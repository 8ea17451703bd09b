#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <commctrl.h>

#include "classlib/buttons.h"
#include "classlib/combobox.h"
#include "classlib/edits.h"
#include "classlib/treeview.h"
#include "classlib/pagecontrol.h"
#include "classlib/panels.h"
#include "window_fixture_win.h"

namespace {

// Tab stops in nested containers, one of them moved in Tab order.
class FormKeysTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(40, 420, 360, 260);
    first = Add<TEdit>(form.get(), 10, 10, 100, 21);
    panel = Add<TPanel>(form.get(), 10, 40, 300, 150);
    inPanel = Add<TEdit>(panel, 10, 10, 100, 21);
    group = Add<TGroupBox>(panel, 10, 40, 200, 100);
    inGroup = Add<TEdit>(group, 10, 20, 100, 21);
    check = Add<TCheckBox>(group, 10, 50, 100, 20);
    ok = Add<TButton>(form.get(), 10, 200, 75, 25);
    cancel = Add<TButton>(form.get(), 100, 200, 75, 25);
    // Before its sibling the group box, so its edit comes first.
    check->SetTabOrder(0);
    form->Show();
    Select(first);
  }
  // Other tests' windows on the shared display may take the activation at
  // any time, so the keys go to the control the form holds as its active
  // one, as the system would send them to the focus.
  void Select(TWinControl* control) {
    form->SetActiveControl(control);
    control->SetFocus();
    Pump(1);
  }
  void Press(WORD key, TShiftState shift = 0) { PressKey(form->ActiveControl()->Handle(), key, shift); }
  // The controls Tab visits from the active one, in order.
  std::vector<TWinControl*> TabWalk(TShiftState shift, int steps) {
    std::vector<TWinControl*> seen;
    for (int i = 0; i < steps; ++i) {
      Press(VK_TAB, shift);
      seen.push_back(form->ActiveControl());
    }
    return seen;
  }

  TEdit *first, *inPanel, *inGroup;
  TPanel* panel;
  TGroupBox* group;
  TCheckBox* check;
  TButton *ok, *cancel;
};

}  // namespace

TEST_F(FormKeysTest, TabAndShiftTabFollowTabOrderThroughContainers) {
  EXPECT_EQ(check->TabOrder(), 0);
  EXPECT_EQ(inGroup->TabOrder(), 1);
  EXPECT_EQ(TabWalk(0, 6),
            (std::vector<TWinControl*>{inPanel, check, inGroup, ok, cancel, first}));
  EXPECT_EQ(TabWalk(ssShift, 2), (std::vector<TWinControl*>{cancel, ok}));
  // Hidden and disabled controls, and those inside them, are passed over.
  group->Hide();
  ok->SetEnabled(false);
  Select(first);
  EXPECT_EQ(TabWalk(0, 3), (std::vector<TWinControl*>{inPanel, cancel, first}));
}

TEST_F(FormKeysTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  ok->SetDefault(true);
  cancel->SetCancel(true);
  std::vector<std::string> pressed;
  ok->OnClick = [&](TObject*) { pressed.push_back("ok"); };
  cancel->OnClick = [&](TObject*) { pressed.push_back("cancel"); };
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  // A focused button is the one Enter presses.
  Select(cancel);
  Press(VK_RETURN);
  EXPECT_EQ(pressed, (std::vector<std::string>{"ok", "cancel", "cancel"}));
  // A memo keeps Enter for its new line.
  auto* memo = Add<TMemo>(form.get(), 200, 10, 100, 50);
  Select(memo);
  Press(VK_RETURN);
  EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(FormKeysTest, KeyPreviewLetsTheFormSeeAndTakeKeysFirst) {
  std::vector<std::string> log;
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    log.push_back("form down " + std::to_string(key));
    if (key == 'X') key = 0;
  };
  form->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { log.push_back("form up " + std::to_string(key)); };
  first->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { log.push_back("edit down " + std::to_string(key)); };
  Press('A');
  Press('X');
  EXPECT_EQ(log, (std::vector<std::string>{"form down 65", "edit down 65", "form up 65", "form down 88",
                                           "form up 88"}));
}

// Only the controls of the page shown are in the way of Tab.
TEST_F(FormKeysTest, TabPassesOverThePagesNotShown) {
  panel->Hide();
  auto* pages = Add<TPageControl>(form.get(), 120, 10, 200, 150);
  pages->SetTabStop(false);
  TTabSheet* sheets[2];
  TEdit* edits[2];
  for (int i = 0; i < 2; ++i) {
    sheets[i] = new TTabSheet(form.get());
    sheets[i]->SetPageControl(pages);
    edits[i] = Add<TEdit>(sheets[i], 10, 10, 100, 21);
  }
  pages->SetActivePage(sheets[1]);
  Select(first);
  EXPECT_EQ(TabWalk(0, 2), (std::vector<TWinControl*>{ok, cancel}));
  EXPECT_EQ(TabWalk(0, 2), (std::vector<TWinControl*>{edits[1], first}));
  pages->SetActivePage(sheets[0]);
  Select(first);
  EXPECT_EQ(TabWalk(0, 3), (std::vector<TWinControl*>{ok, cancel, edits[0]}));
}

namespace {

// The form fires enter and exit as its focused control changes, also when
// the focus is in a window inside the control (a combo box's edit, a tree's
// label editor), and fires none when another window of the program takes it.
TEST_F(WindowTest, EnterAndExitFollowTheFocusIntoControlsInnerWindows) {
  form->SetBounds(40, 200, 360, 200);
  auto* combo = Add<TComboBox>(form.get(), 10, 10, 120, 21);
  auto* edit = Add<TEdit>(form.get(), 10, 40, 120, 21);
  auto* tree = Add<TTreeView>(form.get(), 150, 10, 150, 100);
  tree->SetReadOnly(false);
  tree->Items()->Add(nullptr, "node");
  form->Show();
  std::vector<std::string> log;
  const std::pair<TWinControl*, const char*> named[] = {{combo, "combo"}, {edit, "edit"}, {tree, "tree"}};
  for (const auto& [control, name] : named) {
    control->OnEnter = [&log, name = std::string(name)](TObject*) { log.push_back(name + " enter"); };
    control->OnExit = [&log, name = std::string(name)](TObject*) { log.push_back(name + " exit"); };
  }
  TForm other(nullptr);
  other.AfterConstruction();
  auto* elsewhere = new TEdit(&other);
  elsewhere->SetParent(&other);
  other.Show();
  struct Step {
    std::function<void()> focus;
    std::vector<std::string> events;
  };
  SetFocus(edit->Handle());
  const Step steps[] = {
      {[&] { SetFocus(combo->EditHandle()); }, {"edit exit", "combo enter"}},
      {[&] { SetFocus(edit->Handle()); }, {"combo exit", "edit enter"}},
      {[&] { TreeView_EditLabel(tree->Handle(), tree->Items()->GetFirstNode()->ItemId()); }, {"edit exit", "tree enter"}},
      {[&] { SetFocus(elsewhere->Handle()); }, {}},
      {[&] { SetFocus(combo->EditHandle()); }, {"tree exit", "combo enter"}},
  };
  for (const Step& step : steps) {
    log.clear();
    step.focus();
    Pump(2);
    EXPECT_EQ(log, step.events);
  }
}

}  // namespace
