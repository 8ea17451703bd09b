#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/buttons.h"
#include "classlib/listview.h"
#include "classlib/toolbar.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/widecombobox.h"
#include "widecontrols/wideerrors.h"
#include "widewindow_fixture.h"

namespace {

// A control of a kind the class library gives no class of its own, known
// by its link.
class TTestSpeedButton : public TControl {
public:
  using TControl::TControl;
  TControlActionLinkClass GetActionLinkClass() override { return TSpeedButtonActionLink::StaticClass(); }
};

template <class Control>
TControlActionLinkClass WideLinkOf(TComponent* owner) {
  Control control(owner);
  return WideControl_GetActionLinkClass(&control, control.GetActionLinkClass());
}

}  // namespace

TEST_F(WideWindowTest, EachKindOfControlGetsItsWideLink) {
  EXPECT_EQ(WideLinkOf<TListView>(nullptr), TWideListViewActionLink::StaticClass());
  EXPECT_EQ(WideLinkOf<TTestSpeedButton>(nullptr), TWideSpeedButtonActionLink::StaticClass());
  EXPECT_EQ(WideLinkOf<TToolButton>(nullptr), TWideToolButtonActionLink::StaticClass());
  EXPECT_EQ(WideLinkOf<TButton>(nullptr), TWideButtonActionLink::StaticClass());
  EXPECT_EQ(WideLinkOf<TCheckBox>(nullptr), TWideButtonActionLink::StaticClass());
  EXPECT_EQ(TWideComboBox(nullptr).GetActionLinkClass(), TWideWinControlActionLink::StaticClass());
  EXPECT_EQ(WideLinkOf<TControl>(nullptr), TWideControlActionLink::StaticClass());
  // A link class that is not the wide twin of the control's own is refused.
  TButton button(nullptr);
  EXPECT_THROW(WideControl_GetActionLinkClass(&button, TWinControlActionLink::StaticClass()), EWideInternalError);
}

TEST_F(WideWindowTest, AWideLinkPassesOnWideValuesWhileTheControlFollows) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  auto* action = new TWideAction(form.get());
  action->SetCaption(kZhuk);
  action->SetHint(kZhuk);
  WideControl_SetText(edit, kZhuk);
  WideControl_SetHint(edit, kZhuk);
  auto* link = static_cast<TControlActionLink*>(TWideWinControlActionLink::StaticClass()->Create(edit));
  link->SetAction(action);
  action->SetCaption(kZhukova);
  action->SetHint(kZhukova);
  EXPECT_EQ(WindowText(edit->Handle()), kZhukova);
  EXPECT_EQ(WideControl_GetHint(edit), kZhukova);
  // Text changed by hand: the control no longer follows the caption.
  WideControl_SetText(edit, L"\x0436");
  action->SetCaption(kZhuk);
  EXPECT_EQ(WindowText(edit->Handle()), L"\x0436");
  EXPECT_EQ(action->TCustomAction::Caption(), "???");
  delete link;
}

TEST_F(WideWindowTest, AssigningAnActionOrAControlKeepsTheWideTexts) {
  TWideAction source(nullptr);
  source.SetCaption(kZhuk);
  source.SetHint(kZhukova);
  source.SetShortCut(ShortCut('S', ssCtrl));
  TWideAction copy(nullptr);
  copy.Assign(&source);
  EXPECT_EQ(copy.Caption(), kZhuk);
  EXPECT_EQ(copy.Hint(), kZhukova);
  EXPECT_EQ(copy.ShortCut(), ShortCut('S', ssCtrl));
  EXPECT_EQ(copy.TCustomAction::Caption(), "???");
  // An 8-bit caption set behind the wide one replaces it.
  copy.TCustomAction::SetCaption("Open");
  EXPECT_EQ(copy.Caption(), L"Open");

  auto* edit = Add<TWideTestEdit>(10, 10);
  WideControl_SetText(edit, kZhukova);
  WideControl_SetHint(edit, kZhuk);
  TWideHintAction hint(nullptr);
  hint.Assign(edit);
  EXPECT_EQ(hint.Hint(), kZhuk);
  EXPECT_EQ(WideAction_GetCaption(&hint), kZhukova);
}
