// The main window as a user meets it: typing criteria, searching, sorting,
// filtering, previewing and stopping, read back from the windows themselves.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "app/preview_win.h"
#include "app/resultlist_win.h"
#include "app/searchcontrol_win.h"
#include "app_fixtures.h"
#include "classlib/bitmap.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/picture.h"
#include "classlib/pagecontrol.h"
#include "classlib/richedit.h"
#include "classlib/webbrowser.h"
#include "mainwindow_fixture_win.h"
#include "widecontrols/widecombobox.h"

namespace {

using app_test::MainWindowTest;
using app_test::TTempFolder;

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// UTF-8 and UTF-16 forms of a Cyrillic greeting, and a file without it.
void WriteGreetings(const TTempFolder& folder) {
  folder.Write("utf8.txt", "say \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 to all");
  const wchar_t wide[] = L"\xFEFFone \x041F\x0440\x0438\x0432\x0435\x0442 two";
  folder.Write("utf16.txt", std::string(reinterpret_cast<const char*>(wide), sizeof wide - sizeof(wchar_t)));
  folder.Write("other.txt", "nothing here");
}

TEST_F(MainWindowTest, CyrillicPhraseTypedInTheTextFieldFindsTheFilesHoldingIt) {
  TTempFolder folder;
  WriteGreetings(folder);
  LookIn(folder.Path());
  const HWND edit = FindForm->cbString->EditHandle();
  Type(edit, L"\x041F\x0440\x0438\x0432\x0435\x0442");
  Press(edit, VK_RETURN);
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Status(0), "Found 2 files.");
  Pump(5);
  EXPECT_EQ(Sorted(Column(0)), (std::vector<std::string>{"utf16.txt", "utf8.txt"}));
  EXPECT_EQ(Column(1)[0], folder.Path());
  // The phrase went to the top of the field's history, as typed.
  ASSERT_GT(FindForm->cbString->Items()->Count(), 0);
  EXPECT_EQ(FindForm->cbString->Items()->Get(0), L"\x041F\x0440\x0438\x0432\x0435\x0442");
}

TEST_F(MainWindowTest, ColumnClickSortsAndTheSelectionStaysOnItsRecord) {
  TTempFolder folder;
  for (const char* name : {"b.txt", "c.txt", "a.txt"}) folder.Write(name, std::string(std::string(name) == "c.txt" ? 5 : 50, 'x'));
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  const std::vector<std::string> before = Column(0);
  const int row = static_cast<int>(std::find(before.begin(), before.end(), "c.txt") - before.begin());
  FindForm->ListView->SetItemIndex(row);
  FindForm->ResultList().ListViewColumnClick(FindForm->ListView, FindForm->ListView->Columns()->Items(0));
  Pump(2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(FindForm->ListView->ItemIndex(), 2);
  FindForm->ResultList().ListViewColumnClick(FindForm->ListView, FindForm->ListView->Columns()->Items(4));
  Pump(2);
  EXPECT_EQ(Column(0)[0], "c.txt");  // the smallest first
  EXPECT_EQ(FindForm->ListView->ItemIndex(), 0);
  EXPECT_EQ(Column(4)[0], "5 Byte");
}

TEST_F(MainWindowTest, NameFilterNarrowsTheListAndEmptyingItBringsEverythingBack) {
  TTempFolder folder;
  for (const char* name : {"report.doc", "Doc1.txt", "image.png"}) folder.Write(name, "x");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  SetWindowTextA(FindForm->eFileNameFilter->Handle(), "DOC");
  Pump(2);
  EXPECT_EQ(Sorted(Column(0)), (std::vector<std::string>{"Doc1.txt", "report.doc"}));
  SetWindowTextA(FindForm->eFileNameFilter->Handle(), "");
  Pump(2);
  EXPECT_EQ(Column(0).size(), 3u);
}

TEST_F(MainWindowTest, PreviewShowsTheOccurrencesOfTheTextOrThePictureOrSaysItCannot) {
  TTempFolder folder;
  folder.Write("notes.txt", "first line\r\nthe needle is here\r\n");
  TBitmap bitmap;
  bitmap.SetWidth(12);
  bitmap.SetHeight(7);
  bitmap.SaveToFile(folder.Path() + "\\picture.bmp");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  const std::vector<std::string> names = Column(0);
  const int text = static_cast<int>(std::find(names.begin(), names.end(), "notes.txt") - names.begin());
  const int picture = static_cast<int>(std::find(names.begin(), names.end(), "picture.bmp") - names.begin());

  // Without a containing text: the picture itself, or "Preview is unavailable".
  FindForm->ListView->SetItemIndex(picture);
  Pump(2);
  EXPECT_TRUE(FindForm->PreviewImage->Visible());
  EXPECT_EQ(FindForm->PreviewImage->Picture()->Width(), 12);
  FindForm->ListView->SetItemIndex(text);
  Pump(2);
  EXPECT_FALSE(FindForm->PreviewImage->Visible());
  EXPECT_EQ(FindForm->pView->Caption(), "Preview is unavailable");

  // With one: the report of its occurrences, in whatever can show it here.
  FindForm->cbString->SetText(L"needle");
  FindForm->ListView->SetItemIndex(-1);
  FindForm->ListView->SetItemIndex(text);
  ASSERT_TRUE(PumpUntil([] { return !FindForm->Preview().UsesBrowser() || FindForm->WebBrowser->Rendering(); }, 30000));
  if (!FindForm->Preview().UsesBrowser()) {
    EXPECT_TRUE(FindForm->PreviewText->Visible());
    const int length = GetWindowTextLengthA(FindForm->PreviewText->Handle());
    std::string shown(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(FindForm->PreviewText->Handle(), shown.data(), length + 1);
    EXPECT_NE(shown.find("the needle is here"), std::string::npos) << shown;
  }
}

TEST_F(MainWindowTest, EscStopsASearchAndStartRunsAgainFromAClearList) {
  TTempFolder folder;
  for (int i = 0; i < 1500; ++i)
    folder.Write("f" + std::to_string(i) + ".txt", "x");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  Press(FindForm->Handle(), VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([] { return !FindForm->Search().Searching(); }, 5000));
  EXPECT_EQ(Status(0).rfind("Found ", 0), 0u);
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Status(0), "Found 1500 files.");
  Pump(5);
  EXPECT_EQ(Column(0).size(), 1500u);
}

TEST_F(MainWindowTest, SizeLimitDropsFilesOutsideIt) {
  TTempFolder folder;
  folder.Write("small.txt", std::string(1023, 'x'));
  folder.Write("exact.txt", std::string(1024, 'x'));
  LookIn(folder.Path());
  FindForm->checkSize->SetChecked(true);  // "  >" and "KByte" by default
  SetWindowTextA(FindForm->eSize->Handle(), "1");
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"exact.txt"}));
}

}  // namespace

namespace {

TEST_F(MainWindowTest, MaskWithACharacterTheSystemCannotHoldIsRefusedNotWidened) {
  TTempFolder folder;
  folder.Write("a.txt", "x");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  Pump(5);
  FindForm->cbMask->SetText(L"*\x043C\x0430\x0440\x0442*");  // on a Western system: no such letters
  app_test::TMessageBoxAnswerer answerer;
  FindForm->bStart->Click();
  Pump(20);
  EXPECT_EQ(answerer.Count(), 1);
  EXPECT_NE(answerer.LastText().find(L"\x043C"), std::wstring::npos);  // names the character
  EXPECT_FALSE(FindForm->Search().Searching());
  EXPECT_EQ(Column(0), std::vector<std::string>{"a.txt"});  // the results shown stay
}

TEST_F(MainWindowTest, CommandLineFillsTheFolderOrTheFileNameAndStartsNothing) {
  FindForm->ApplyCommandLine(ParseCommandLine(L"-f", L"C:\\Data"));
  EXPECT_EQ(FindForm->cbFolder->Text(), "C:\\Data");
  EXPECT_EQ(FindForm->pcFilePath->ActivePageIndex(), 1);
  FindForm->ApplyCommandLine(ParseCommandLine(L"-L", L"C:\\Docs\\my report.doc"));
  EXPECT_EQ(FindForm->cbMask->Text(), L"my?report.doc");
  EXPECT_FALSE(FindForm->Search().Searching());
}

TEST_F(MainWindowTest, ClosingDuringASearchStopsAndWaitsForItsThreads) {
  TTempFolder folder;
  for (int i = 0; i < 800; ++i) folder.Write("d" + std::to_string(i % 20) + "_" + std::to_string(i) + ".txt", "needle");
  LookIn(folder.Path());
  FindForm->cbString->SetText(L"needle");
  FindForm->bStart->Click();
  Pump(1);
  CloseForms();  // must neither crash nor leave a thread using what is gone
  Sleep(200);
  Application->ProcessMessages();
}

}  // namespace
