// A shown form with wide controls for the window tests, and a recorder of
// exceptions that reach a boundary (so no message box ever blocks a test).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/application.h"
#include "classlib/forms.h"
#include "pump_until_win.h"
#include "widecontrols/unicodewindows.h"

// Cyrillic: outside the Western ANSI code page the tests run in.
inline const std::wstring kZhuk = L"\x0416\x0443\x043A";          // Жук
inline const std::wstring kZhukova = L"\x0416\x0443\x043A\x043E\x0432\x0430";  // Жукова

// An edit with a Unicode window that records the keys the class library saw.
class TWideTestEdit : public TWinControl {
public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TWideTestEdit"; }
  std::vector<unsigned char> keys;
  int textChanges = 0;
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_TEXTCHANGED) ++textChanges;
    TWinControl::Dispatch(message);
  }

protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL | WS_BORDER;
  }
  void CreateWindowHandle(const TCreateParams& params) override {
    CreateUnicodeHandle(this, params, L"EDIT");
  }
  void KeyPress(char& key) override {
    keys.push_back(static_cast<unsigned char>(key));
    TWinControl::KeyPress(key);
  }
};

class WideWindowTest : public testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(40, 40, 420, 300);
  }
  void TearDown() override {
    form.reset();
    Application->ProcessMessages();
    Application->OnException = nullptr;
    Application->OnMessage = nullptr;
  }
  template <class C>
  C* Add(int left, int top) {
    auto* c = new C(form.get());
    c->SetParent(form.get());
    c->SetBounds(left, top, 200, 24);
    return c;
  }
  std::wstring WindowText(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
  }

  std::unique_ptr<TForm> form;
  std::vector<std::string> errors;
};
