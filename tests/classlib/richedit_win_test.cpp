#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>

#include "classlib/forms.h"
#include "classlib/richedit.h"

namespace {

class RichEditTest : public testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(360, 560, 300, 160);
    edit = new TRichEdit(form.get());
    edit->SetBounds(0, 0, 280, 140);
    edit->SetParent(form.get());
  }
  // The text as the window holds it, paragraph ends as single CRs or CR LFs.
  std::string WindowText() {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(edit->Handle())) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(edit->Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
  }
  DWORD EffectsAt(int position) {
    CHARRANGE range{position, position + 1};
    SendMessageA(edit->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(edit->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.dwEffects;
  }
  std::unique_ptr<TForm> form;
  TRichEdit* edit = nullptr;
};

TEST_F(RichEditTest, ShowsRtfWithItsFormattingAndKeepsItAcrossRecreation) {
  edit->LoadRtf("{\\rtf1\\ansi Found {\\b twice} here\\par}");
  form->Show();
  EXPECT_EQ(WindowText().substr(0, 16), "Found twice here");
  EXPECT_TRUE(EffectsAt(6) & CFE_BOLD);
  EXPECT_FALSE(EffectsAt(0) & CFE_BOLD);
  EXPECT_TRUE(SendMessageA(edit->Handle(), EM_GETOPTIONS, 0, 0) & ECO_READONLY);
  edit->RecreateWnd();
  EXPECT_EQ(WindowText().substr(0, 16), "Found twice here");
  EXPECT_TRUE(EffectsAt(6) & CFE_BOLD);
}

// Plain text is shown as it is, even when it looks like RTF, and a long
// document is not cut at the window's default limit.
TEST_F(RichEditTest, PlainTextIsShownAsItIsAndWhole) {
  form->Show();
  edit->LoadPlainText("{\\rtf1 not a document}");
  EXPECT_EQ(WindowText(), "{\\rtf1 not a document}");
  std::string line(99, 'x');
  std::string longText;
  for (int i = 0; i < 1000; ++i) longText += line + "\r\n";
  edit->LoadPlainText(longText);
  EXPECT_GT(GetWindowTextLengthA(edit->Handle()), 99000);
}

}  // namespace
