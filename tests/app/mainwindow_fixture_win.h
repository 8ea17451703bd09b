// The main window as the program makes it, in the test process: the
// translation object, the About box, the options dialog and the main form,
// with the settings key emptied first, the window shown, and every
// exception that reaches a boundary collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/aboutform_win.h"
#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "classlib/application.h"
#include "classlib/registry.h"

namespace app_test {

inline void ClearSettings() {
  TRegistry registry;
  registry.DeleteKey("\\Software\\Marnok\\Ovalis");
}

class MainWindowTest : public testing::Test {
protected:
  void SetUp() override { Open(); }
  void TearDown() override {
    CloseForms();
    EXPECT_TRUE(errors.empty()) << errors.front();
  }

  void Open(bool clear = true) {
    if (clear) ClearSettings();
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    MultiLang = new TMultiLang();
    MultiLang->LoadLanguageList();
    AboutForm = new TAboutForm(Application);
    AboutForm->AfterConstruction();
    ConfigForm = new TConfigForm(Application);
    ConfigForm->AfterConstruction();
    FindForm = new TFindForm(Application);
    FindForm->AfterConstruction();
    FindForm->Show();
    Pump(20);
  }

  // As the program ends: the main window first, then the options, the About
  // box and the translation.
  void CloseForms() {
    delete FindForm;
    FindForm = nullptr;
    delete ConfigForm;
    ConfigForm = nullptr;
    delete AboutForm;
    AboutForm = nullptr;
    delete MultiLang;
    MultiLang = nullptr;
    Application->ProcessMessages();
    Application->OnException = nullptr;
  }

  // Runs the loop for about rounds x 10 ms.
  static void Pump(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) {
      Application->ProcessMessages();
      Sleep(10);
    }
  }

  // Runs the loop until done() or the time is up; done()'s last answer.
  template <class Done>
  static bool PumpUntil(Done done, DWORD ms = 20000) {
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
      if (GetTickCount() > end) return false;
      Application->ProcessMessages();
      Sleep(5);
    }
    return true;
  }

  std::vector<std::string> errors;
};

inline BOOL CALLBACK DescribeChild(HWND child, LPARAM param) {
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  RECT r{};
  GetWindowRect(child, &r);
  auto& out = *reinterpret_cast<std::string*>(param);
  out += std::string(name) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
         (IsWindowVisible(child) ? " visible" : " hidden") + "\n";
  return TRUE;
}

// Every child window of window, as "class rect visible" lines, for a failure
// message.
inline std::string DescribeChildren(HWND window) {
  std::string text;
  EnumChildWindows(window, DescribeChild, reinterpret_cast<LPARAM>(&text));
  return text;
}

}  // namespace app_test
