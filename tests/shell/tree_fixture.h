// A shown form for the tree tests, mouse input posted to a window, and a
// picture of a window saved as a BMP file in the build folder.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "classlib/application.h"
#include "classlib/forms.h"
#include "pump_until_win.h"

class TreeFormTest : public testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    // Apart from the forms of other test programs on the shared display.
    const RECT r = FormBounds();
    form->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  void TearDown() override {
    form.reset();
    Application->ProcessMessages();
    Application->OnException = nullptr;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  virtual RECT FormBounds() const { return RECT{360, 620, 700, 1000}; }
  template <class T>
  T* AddTree() {
    auto* tree = new T(form.get());
    tree->SetParent(form.get());
    const RECT r = FormBounds();
    tree->SetBounds(0, 0, r.right - r.left - 20, r.bottom - r.top - 20);
    form->Show();
    return tree;
  }
  static void Pump(int rounds = 10) {
    for (int i = 0; i < rounds; ++i) {
      Application->ProcessMessages();
      Sleep(15);
    }
  }

  std::unique_ptr<TForm> form;
  std::vector<std::string> errors;
};

// A left click (or two, a double-click) at a client point of window, posted
// as the system delivers it to a window with double-clicks. Neither the
// display's one pointer nor a window of another test program lying over the
// point has a part in it.
inline void ClickAt(HWND window, POINT client, int clicks = 1) {
  const LPARAM at = MAKELPARAM(client.x, client.y);
  for (int i = 0; i < clicks; ++i) {
    PostMessageA(window, i == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
  }
}

// The window as it paints itself (PrintWindow, so windows of other tests
// that cover it do not matter), as a 24-bit BMP file.
inline bool SaveWindowPicture(HWND window, const std::string& fileName) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  PrintWindow(window, memory, 0);
  SelectObject(memory, old);
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
  std::ofstream out(fileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(h)));
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return out.good();
}
