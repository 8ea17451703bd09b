// The main window as the program makes it, in the test process: the
// translation object, the About box, the options dialog and the main form,
// with the settings key emptied first, the window shown, and every
// exception that reaches a boundary collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/aboutform_win.h"
#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "app/programforms.h"
#include "classlib/application.h"
#include "classlib/combobox.h"
#include "classlib/listview.h"
#include "classlib/pagecontrol.h"
#include "classlib/registry.h"
#include "classlib/statusbar.h"
#include "pump_until_win.h"

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
    CreateProgramForms(false);
    FindForm->Show();
    Pump(20);
  }

  // As the program ends: the main window first, then the options, the About
  // box and the translation.
  void CloseForms() {
    DestroyProgramForms();
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
    return ::PumpUntil(done, ms);
  }

  // Types text into an edit window as the keyboard would, one character
  // message at a time (wide, so any alphabet arrives as typed).
  static void Type(HWND edit, const std::wstring& text) {
    SetFocus(edit);
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
    Pump(2);
  }
  // A key pressed and released on window.
  static void Press(HWND window, WORD key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    Pump(2);
  }
  static std::string Status(int panel) {
    char text[512] = {};
    SendMessageA(FindForm->StatusBar->Handle(), SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
    return text;
  }
  // Waits until no search runs and the count is shown.
  bool WaitForSearchEnd(DWORD ms = 60000) {
    return PumpUntil([] { return Status(0).rfind("Found ", 0) == 0; }, ms);
  }
  // What the list view shows in a column, row by row, read from its window.
  static std::vector<std::string> Column(int column) {
    HWND list = FindForm->ListView->Handle();
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> texts;
    for (int row = 0; row < count; ++row) {
      char text[1024] = {};
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      texts.push_back(text);
    }
    return texts;
  }
  // Searches folder (with its subfolders) through the special path.
  static void LookIn(const std::string& folder) {
    FindForm->pcFilePath->SetActivePageIndex(1);
    FindForm->cbFolder->SetText(folder);
  }

  std::vector<std::string> errors;
};

// Answers the message boxes this process shows while it lives: each gets
// its default button pressed, and its text is kept for the test to read.
class TMessageBoxAnswerer {
public:
  TMessageBoxAnswerer() : thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}
  ~TMessageBoxAnswerer() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  TMessageBoxAnswerer(const TMessageBoxAnswerer&) = delete;
  TMessageBoxAnswerer& operator=(const TMessageBoxAnswerer&) = delete;
  int Count() const { return count_; }
  std::wstring LastText() const { return lastText_; }

private:
  static BOOL CALLBACK Check(HWND window, LPARAM self) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    auto* answerer = reinterpret_cast<TMessageBoxAnswerer*>(self);
    wchar_t text[1024] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 1024);
    answerer->lastText_ = text;
    ++answerer->count_;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static DWORD WINAPI Run(void* self) {
    auto* answerer = static_cast<TMessageBoxAnswerer*>(self);
    while (!answerer->stop_) {
      EnumWindows(Check, reinterpret_cast<LPARAM>(answerer));
      Sleep(100);
    }
    return 0;
  }

  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::wstring lastText_;
  HANDLE thread_;
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
