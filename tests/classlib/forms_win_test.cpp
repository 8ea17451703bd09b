#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/combobox.h"
#include "classlib/forms.h"

namespace {

std::vector<std::string>* eventLog = nullptr;

// Records its events in the order they come.
class TLogForm : public TForm {
public:
  explicit TLogForm(TComponent* owner) : TForm(owner) {
    combo = new TComboBox(this);
    combo->SetParent(this);
    OnCreate = [](TObject*) { eventLog->push_back("create"); };
    OnShow = [this](TObject*) {
      eventLog->push_back(IsWindowVisible(Handle()) ? "show visible" : "show hidden");
    };
    OnDestroy = [this](TObject*) { eventLog->push_back(combo->Owner() == this ? "destroy with child" : "destroy"); };
  }
  void Loaded() override {
    TForm::Loaded();
    eventLog->push_back("loaded");
  }
  TComboBox* combo;
};

class FormTest : public testing::Test {
protected:
  void SetUp() override {
    eventLog = &log;
    Application->OnException = [this](TObject*, const Exception& e) { log.push_back(e.Message()); };
  }
  void TearDown() override {
    Application->OnException = nullptr;
    Application->OnMessage = nullptr;
    eventLog = nullptr;
  }
  std::vector<std::string> log;
};

}  // namespace

TEST_F(FormTest, EventsComeInOrderAndDestroyRunsWhileChildrenExist) {
  TLogForm* form = nullptr;
  CreateForm(form);
  EXPECT_EQ(Application->MainForm(), form);
  form->Show();
  delete form;
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"loaded", "create", "show hidden", "destroy with child"}));
}

TEST_F(FormTest, ChildNotificationsAreReflectedToTheChild) {
  TLogForm form(nullptr);
  form.Show();
  TComboBox* combo = form.combo;
  combo->Items()->Add("one");
  combo->Items()->Add("two");
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  combo->SetItemIndex(1);
  // What the list sends its parent when the user picks an item.
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(combo->Text(), "two");
  combo->SetItemIndex(-1);
  combo->SetText("typed");
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
  EXPECT_EQ(combo->Text(), "typed");  // no item selected: the text stays
}

TEST_F(FormTest, TheLoopHandsMessagesToOnMessageAndTheDialogOnce) {
  TLogForm form(nullptr);
  form.Show();
  int seen = 0;
  Application->OnMessage = [&](MSG& msg, bool& handled) {
    if (msg.message == WM_USER + 7) {
      ++seen;
      handled = true;
    }
  };
  PostMessageA(form.Handle(), WM_USER + 7, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, 1);
  // Keys for the dialog reach its control once.
  Application->SetDialogHandle(form.Handle());
  std::vector<unsigned char> keys;
  form.combo->OnKeyPress = [&](TObject*, char& key) { keys.push_back(static_cast<unsigned char>(key)); };
  PostMessageA(form.combo->EditHandle(), WM_CHAR, 'x', 1);
  Application->ProcessMessages();
  Application->SetDialogHandle(nullptr);
  EXPECT_EQ(keys, std::vector<unsigned char>{'x'});
  EXPECT_EQ(form.combo->Text(), "x");
}

TEST_F(FormTest, ComboItemsSurviveRecreation) {
  TLogForm form(nullptr);
  form.Show();
  form.combo->Items()->Add("alpha");
  form.combo->Items()->Add("beta");
  form.combo->SetItemIndex(1);
  form.combo->SetStyle(csDropDownList);
  EXPECT_EQ(form.combo->Items()->Count(), 2);
  EXPECT_EQ(form.combo->ItemIndex(), 1);
  EXPECT_EQ(form.combo->Items()->Get(0), "alpha");
}

TEST_F(FormTest, ApplicationWindowHooksSeeMessagesNewestFirst) {
  struct Hook : TObject {
    std::vector<std::string>* log;
    std::string name;
    bool handle;
    bool Run(TMessage& m) {
      if (m.Msg != WM_USER + 9) return false;
      log->push_back(name);
      m.Result = 5;
      return handle;
    }
  } first, second;
  first.log = second.log = &log;
  first.name = "first";
  second.name = "second";
  first.handle = true;
  second.handle = false;
  Application->HookMainWindow(TMainWindowHook(&first, &Hook::Run));
  Application->HookMainWindow(TMainWindowHook(&second, &Hook::Run));
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 9, 0, 0), 5);
  Application->UnhookMainWindow(TMainWindowHook(&first, &Hook::Run));
  Application->UnhookMainWindow(TMainWindowHook(&second, &Hook::Run));
  SendMessageA(Application->Handle(), WM_USER + 9, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"second", "first"}));
}

namespace {

// A form whose destroy handler uses a member of its own class.
class TFormWithState : public TForm {
public:
  explicit TFormWithState(std::vector<std::string>& log) : TForm(nullptr), log_(log), state_("alive") {
    OnDestroy = [this](TObject*) { log_.push_back(state_); };
  }
  ~TFormWithState() override { BeforeDestruction(); }

private:
  std::vector<std::string>& log_;
  std::string state_;
};

TEST(FormDestruction, DestroyEventRunsOnceWhileTheDerivedFormIsWhole) {
  std::vector<std::string> log;
  delete new TFormWithState(log);
  EXPECT_EQ(log, std::vector<std::string>{"alive"});
}

}  // namespace

// A form asked whether it may close stays open when the answer is no.
TEST_F(FormTest, CloseQueryCanKeepTheFormOpen) {
  TForm form(nullptr);
  form.AfterConstruction();
  form.Show();
  bool allow = false;
  form.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
  form.Close();
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  allow = true;
  form.Close();
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}
