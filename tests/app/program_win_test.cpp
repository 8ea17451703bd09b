// The program itself, started as a user starts it: a separate process with
// "-F folder", driven through its windows and read back through their
// messages, then closed; what it saves at exit is read from the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/programfolder.h"
#include "app/registryvalues.h"
#include "app_fixtures.h"
#include "classlib/registry.h"
#include "host_link_win.h"
#include "mainwindow_fixture_win.h"

namespace {

using app_test::TTempFolder;

const char kMainCaption[] = "..:: Marnok ovalis ::..";

// A block of the other process's memory, for messages that hand over a
// pointer (the system copies nothing for them between processes).
class TRemoteBuffer {
public:
  TRemoteBuffer(HANDLE process, size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~TRemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  TRemoteBuffer(const TRemoteBuffer&) = delete;
  TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;
  char* Address() const { return static_cast<char*>(address_); }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
  }
  std::string ReadText(size_t offset, size_t size) const {
    std::string text(size, '\0');
    ReadProcessMemory(process_, Address() + offset, text.data(), size, nullptr);
    return text.substr(0, text.find('\0'));
  }

private:
  HANDLE process_;
  void* address_;
};

struct TFoundWindows {
  std::vector<HWND> windows;
  const char* className;
};

BOOL CALLBACK CollectByClass(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<TFoundWindows*>(param);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == found->className) found->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* className) {
  TFoundWindows found{{}, className};
  EnumChildWindows(parent, CollectByClass, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

template <class Done>
bool WaitFor(Done done, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (!done()) {
    if (GetTickCount() > end) return false;
    Sleep(50);
  }
  return true;
}

class ProgramTest : public testing::Test {
protected:
  void SetUp() override { app_test::ClearSettings(); }
  void TearDown() override {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }

  // Starts the program and waits for its main window.
  HWND Start(const std::string& arguments) {
    const std::string program = ProgramFolder() + "..\\Ovalis.exe";
    std::string line = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
      return nullptr;
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA(nullptr, kMainCaption)) != nullptr && IsWindowVisible(window); },
            60000);
    return window;
  }

  std::string StatusText(HWND statusBar, int panel) {
    TRemoteBuffer buffer(info_.hProcess, 1024);
    SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(buffer.Address()));
    return buffer.ReadText(0, 1024);
  }

  std::vector<std::string> Names(HWND list) {
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> names;
    TRemoteBuffer buffer(info_.hProcess, sizeof(LVITEMA) + 512);
    for (int row = 0; row < count; ++row) {
      LVITEMA item{};
      item.iSubItem = 0;
      item.pszText = buffer.Address() + sizeof(LVITEMA);
      item.cchTextMax = 512;
      buffer.Write(0, &item, sizeof item);
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address()));
      names.push_back(buffer.ReadText(sizeof(LVITEMA), 512));
    }
    return names;
  }

  // The focused window of the program's window thread.
  HWND Focus() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(info_.dwThreadId, &gui) ? gui.hwndFocus : nullptr;
  }

  PROCESS_INFORMATION info_{};
};

std::string Text(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The program's own window on the X display, which the host's input tool
// drives as the user's mouse and keyboard would; Wine cannot wait for a
// host program, so done() tells when the input has arrived.
class TXInput {
public:
  explicit TXInput(HWND window)
      : xWindow_(reinterpret_cast<uintptr_t>(GetPropA(window, "__wine_x11_whole_window"))) {}
  bool Available() const { return xWindow_ != 0; }
  // The pointer goes to the middle of target (the screen's coordinates are
  // the display's), and the click to the program's window alone, whatever
  // other window lies above it.
  template <class Done>
  bool Click(HWND target, Done done) const {
    RECT r{};
    GetWindowRect(target, &r);
    const std::string at = std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
    return Run("mousemove " + at + " click --window " + Id() + " 1", done);
  }
  template <class Done>
  bool Type(const std::string& text, Done done) const { return Run("type --window " + Id() + " " + text, done); }
  template <class Done>
  bool Key(const std::string& key, Done done) const { return Run("key --window " + Id() + " " + key, done); }

private:
  std::string Id() const { return std::to_string(xWindow_); }
  template <class Done>
  bool Run(const std::string& arguments, Done done) const {
    return RunHostProgram("Z:\\usr\\bin\\xdotool", "xdotool " + arguments, done);
  }
  uintptr_t xWindow_;
};

TEST_F(ProgramTest, StartedOnAFolderItFindsACyrillicPhraseAndKeepsItAfterExit) {
  TTempFolder folder;
  folder.Write("letter.txt", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, world");
  folder.Write("other.txt", "hello, world");
  const HWND window = Start("-F \"" + folder.Path() + "\"");
  ASSERT_NE(window, nullptr) << "the program showed no main window";

  // The text fields are the wide combo boxes: name, containing, not containing.
  const std::vector<HWND> wideCombos = ChildrenOfClass(window, "TComboBox.UnicodeClass");
  ASSERT_EQ(wideCombos.size(), 3u);
  const HWND edit = FindWindowExA(wideCombos[1], nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  for (wchar_t c : std::wstring(L"\x041F\x0440\x0438\x0432\x0435\x0442")) PostMessageW(edit, WM_CHAR, c, 1);
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageA(edit, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));

  const std::vector<HWND> bars = ChildrenOfClass(window, "TStatusBar");
  ASSERT_EQ(bars.size(), 1u);
  ASSERT_TRUE(WaitFor([&] { return StatusText(bars[0], 0) == "Found 1 files."; }, 60000)) << StatusText(bars[0], 0);
  const std::vector<HWND> lists = ChildrenOfClass(window, "TListView");
  ASSERT_EQ(lists.size(), 1u);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(lists[0], LVM_GETITEMCOUNT, 0, 0) == 1; }, 60000));
  EXPECT_EQ(Names(lists[0]), std::vector<std::string>{"letter.txt"});

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(info_.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
  DWORD code = 1;
  GetExitCodeProcess(info_.hProcess, &code);
  EXPECT_EQ(code, 0u);
  TRegistry registry(KEY_READ);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kHistoryKey));
  EXPECT_EQ(ReadWideTextValue(registry, "SubStr0"), L"\x041F\x0440\x0438\x0432\x0435\x0442");
}

}  // namespace

namespace {

// Leaving a field with Tab or a click elsewhere keeps its text in the
// field's history, as Enter does; the history outlives the run.
TEST_F(ProgramTest, LeavingAFieldWithTabOrTheMouseKeepsItsTextInTheHistory) {
  TTempFolder folder;
  const HWND window = Start("-F \"" + folder.Path() + "\"");
  ASSERT_NE(window, nullptr) << "the program showed no main window";
  const TXInput input(window);
  ASSERT_TRUE(input.Available());
  const std::vector<HWND> wideCombos = ChildrenOfClass(window, "TComboBox.UnicodeClass");
  ASSERT_EQ(wideCombos.size(), 3u);
  const HWND mask = FindWindowExA(wideCombos[0], nullptr, "Edit", nullptr);
  const HWND text = FindWindowExA(wideCombos[1], nullptr, "Edit", nullptr);
  HWND folderCombo = nullptr, folderEdit = nullptr;
  for (HWND combo : ChildrenOfClass(window, "TComboBox"))
    if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr); edit != nullptr) folderCombo = combo, folderEdit = edit;
  ASSERT_NE(folderEdit, nullptr);
  const HWND list = ChildrenOfClass(window, "TListView").at(0);

  struct Field {
    HWND edit;
    const char* typed;
    bool byTab;  // else by a click on the result list
  };
  const Field fields[] = {{mask, "alpha", true}, {text, "beta", false}, {folderEdit, "gamma", true}};
  // Keys go to the window in front, and a test running beside this one may
  // bring its own window there between the click and the keys: the field
  // is then clicked and typed into again.
  const auto inFront = [&] {
    return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == info_.dwThreadId;
  };
  for (const Field& f : fields) {
    SCOPED_TRACE(f.typed);
    bool left = false;
    for (int attempt = 0; attempt < 3 && !left; ++attempt) {
      ASSERT_TRUE(input.Click(f.edit, [&] { return Focus() == f.edit && inFront(); }));
      SendMessageA(f.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
      if (!input.Type(f.typed, [&] { return Text(f.edit) == f.typed; })) continue;
      if (f.byTab) left = input.Key("Tab", [&] { return Focus() != f.edit; });
      else left = input.Click(list, [&] { return Focus() == list; });
    }
    ASSERT_TRUE(left) << "the field holds \"" << Text(f.edit) << "\"";
  }
  wchar_t first[64] = {};
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(folderCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first)) > 0; }, 60000));
  EXPECT_STREQ(first, L"gamma");

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(info_.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
  TRegistry registry(KEY_READ);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kHistoryKey));
  EXPECT_EQ(ReadWideTextValue(registry, "Mask0"), L"alpha");
  EXPECT_EQ(ReadWideTextValue(registry, "SubStr0"), L"beta");
}

}  // namespace
