// What the window tests of the class library share: a shown form, the
// exceptions that reach a boundary collected (never a blocking message
// box), the message loop run for a while, and input posted as the system
// would deliver it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "classlib/forms.h"
#include "pump_until_win.h"

class WindowTest : public testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
  }
  void TearDown() override {
    form.reset();
    Application->ProcessMessages();
    Application->OnException = nullptr;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }

  // Runs the loop for about rounds x 10 ms, so posted and system messages
  // (painting, focus, timers) arrive.
  static void Pump(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) {
      Application->ProcessMessages();
      Sleep(10);
    }
  }

  template <class C>
  C* Add(TWinControl* parent, int left, int top, int width, int height) {
    auto* c = new C(form.get());
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
  }

  // Left-button messages at client points of window, handed to it one after
  // another as the system would deliver them. They are sent, not posted:
  // another program taking the activation between a press and its release
  // (the test programs running alongside show their own windows) ends the
  // capture the press took, and the release would click nothing, as it
  // would for a user.
  static void SendMouse(HWND window, UINT message, int x, int y) {
    SendMessageA(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  }
  static void SendClick(HWND window, int x, int y) {
    SendMouse(window, WM_LBUTTONDOWN, x, y);
    SendMouse(window, WM_LBUTTONUP, x, y);
  }

  // A click on a push button, check box or radio button, posted, with the
  // press and the release in one message (for the reason above).
  static void PostButtonClick(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

  // A key pressed and released on window with the modifiers held: the
  // modifiers go into this thread's keyboard state (what GetKeyState
  // reads) and the key messages are posted, so no other program on the
  // shared display sees them.
  static void PressKey(HWND window, WORD key, TShiftState shift = 0) {
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    BYTE state[256];
    std::copy(std::begin(saved), std::end(saved), std::begin(state));
    if (shift & ssShift) state[VK_SHIFT] = 0x80;
    if (shift & ssCtrl) state[VK_CONTROL] = 0x80;
    if (shift & ssAlt) state[VK_MENU] = 0x80;
    SetKeyboardState(state);
    const UINT down = (shift & ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = (shift & ssAlt) ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM alt = (shift & ssAlt) ? 0x20000000 : 0;
    PostMessageA(window, down, key, 1 | alt);
    PostMessageA(window, up, key, static_cast<LPARAM>(0xC0000001u) | alt);
    Pump(2);
    SetKeyboardState(saved);
  }

  std::unique_ptr<TForm> form;
  std::vector<std::string> errors;
};
