#include <gtest/gtest.h>

#include <string>

#include "classlib/filer.h"
#include "classlib/streams.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/widecombobox.h"
#include "widecontrols/widemenus.h"
#include "widewindow_fixture.h"

#include "../classlib/formstreams.h"

using namespace formstreams;

namespace {

// A combo box, a menu item and two actions on a form, named as a stream of
// the main window would name them.
struct Parts {
  explicit Parts(TForm* form)
      : combo(new TWideComboBox(form)),
        item(new TWideMenuItem(form)),
        action(new TWideAction(form)),
        hint(new TWideHintAction(form)) {
    form->SetName("FindForm");
    combo->SetName("cbString");
    combo->SetParent(form);
    item->SetName("miOpen");
    action->SetName("actFind");
    hint->SetName("actHint");
  }
  TWideComboBox* combo;
  TWideMenuItem* item;
  TWideAction* action;
  TWideHintAction* hint;
};

}  // namespace

// The wide values go into the stream beside the companions older readers
// need, and come back whole.
TEST_F(WideWindowTest, WideCaptionsHintsAndItemsSurviveAFormStream) {
  Parts saved(form.get());
  saved.combo->Items()->Add(kZhukova);
  saved.combo->Items()->Add(L"readme");
  saved.combo->SetText(kZhuk);
  saved.combo->SetHint(kZhuk + L"|" + kZhukova);
  saved.combo->SetStyle(csDropDownList);
  saved.item->SetCaption(L"&" + kZhuk);
  saved.item->SetHint(kZhukova);
  saved.action->SetCaption(kZhukova);
  saved.hint->SetHint(kZhuk);
  const std::string bytes = Written(form.get());
  for (const char* name : {"Text", "Text_UTF7", "Hint_UTF7", "Items.WideStrings", "Items.WideStrings_UTF7", "Caption",
                           "Caption_UTF7", "Style"})
    EXPECT_TRUE(Holds(bytes, name)) << name;
  EXPECT_FALSE(Holds(bytes, "AutoComplete"));  // its default

  TForm other(nullptr);
  Parts loaded(&other);
  Read(bytes, &other);
  EXPECT_EQ(loaded.combo->Style(), csDropDownList);
  ASSERT_EQ(loaded.combo->Items()->Count(), 2);
  EXPECT_EQ(loaded.combo->Items()->Get(0), kZhukova);
  EXPECT_EQ(loaded.combo->Hint(), kZhuk + L"|" + kZhukova);
  EXPECT_EQ(loaded.item->Caption(), L"&" + kZhuk);
  EXPECT_EQ(loaded.item->Hint(), kZhukova);
  EXPECT_EQ(loaded.action->Caption(), kZhukova);
  EXPECT_EQ(loaded.action->TCustomAction::Caption(), "??????");
  EXPECT_EQ(loaded.hint->Hint(), kZhuk);
  other.Show();
  EXPECT_EQ(loaded.combo->Items()->Get(1), L"readme");
}

// A caption an action supplies is the action's to store.
TEST_F(WideWindowTest, AnItemsLinkedCaptionIsNotStored) {
  Parts parts(form.get());
  parts.action->SetCaption(kZhuk);
  parts.item->SetAction(parts.action);
  const std::string bytes = Written(form.get());
  const size_t item = bytes.find("miOpen"), next = bytes.find("actFind");
  ASSERT_LT(item, next);
  EXPECT_EQ(bytes.substr(item, next - item).find("Caption"), std::string::npos);
  EXPECT_NE(bytes.find("Caption", next), std::string::npos);
}
