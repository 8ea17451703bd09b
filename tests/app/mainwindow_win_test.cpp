// The main window as a user meets it: typing criteria, searching, sorting,
// filtering, previewing and stopping, read back from the windows themselves.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "app/configform_win.h"
#include "app/preview_win.h"
#include "app/registryvalues.h"
#include "app/resultlist_win.h"
#include "app/searchcontrol_win.h"
#include "app_fixtures.h"
#include "button_presser_win.h"
#include "classlib/bitmap.h"
#include "classlib/buttons.h"
#include "classlib/codepage.h"
#include "classlib/edits.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/picture.h"
#include "classlib/registry.h"
#include "classlib/pagecontrol.h"
#include "classlib/richedit.h"
#include "classlib/stringlist.h"
#include "classlib/webbrowser.h"
#include "classlib/toolbar.h"
#include "mainwindow_fixture_win.h"
#include "search/zip_fixtures.h"
#include "shell/shelltree.h"
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

// A search from the tool bar (which takes no focus) and closing the window
// keep the fields' texts in their histories; an empty field adds no entry,
// so ten real ones stay.
TEST_F(MainWindowTest, EverySearchAndTheCloseKeepTheTextsAndAnEmptyFieldAddsNothing) {
  TTempFolder folder;
  LookIn(folder.Path());
  TWideComboBox& text = *FindForm->cbString;
  for (int i = 10; i > 0; --i) text.Items()->Insert(0, L"entry " + std::to_wstring(i));
  text.SetText(L"");
  FindForm->KeepFieldTexts();
  EXPECT_EQ(text.Items()->Count(), 10);
  EXPECT_EQ(text.Items()->Get(9), L"entry 10");

  Type(text.EditHandle(), L"needle");
  FindForm->tbStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(text.Items()->Get(0), L"needle");
  EXPECT_EQ(text.Items()->Count(), 11);

  Type(FindForm->cbMask->EditHandle(), L"*.log");
  CloseForms();
  TRegistry registry(KEY_READ);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kHistoryKey));
  EXPECT_EQ(ReadWideTextValue(registry, "Mask0"), L"*.log");
  EXPECT_EQ(ReadWideTextValue(registry, "SubStr0"), L"needle");
  Open(false);
}

// Cancelling the folder browser of "Look in:" leaves the field and its list
// as they were.
TEST_F(MainWindowTest, CancelledFolderBrowserLeavesTheFolderField) {
  LookIn("C:\\kept");
  FindForm->cbFolder->Items()->Add("C:\\kept");
  {
    TButtonPresser presser({IDCANCEL});
    FindForm->bBrowse->Click();
    EXPECT_EQ(presser.Boxes(), 1);
  }
  EXPECT_EQ(FindForm->cbFolder->Text(), "C:\\kept");
  EXPECT_EQ(FindForm->cbFolder->Items()->Count(), 1);
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

bool SearchOver() { return !FindForm->Search().Searching(); }

// Esc stops a search mid-way: fewer files than the tree holds are shown, and
// none arrives after the stop. Start then runs again from a clear list.
TEST_F(MainWindowTest, EscStopsASearchMidWayAndStartRunsAgainFromAClearList) {
  constexpr size_t kFiles = 3000;
  TTempFolder folder;
  for (size_t i = 0; i < kFiles; ++i)
    folder.Write("d" + std::to_string(i % 30) + "\\f" + std::to_string(i) + ".txt", "a needle");
  LookIn(folder.Path());
  FindForm->cbString->SetText(L"needle");
  FindForm->bStart->Click();
  Press(FindForm->Handle(), VK_ESCAPE);
  ASSERT_TRUE(PumpUntil(SearchOver));
  const size_t shown = Column(0).size();
  EXPECT_LT(shown, kFiles);
  EXPECT_EQ(Status(0), "Found " + std::to_string(shown) + " files.");
  Pump(50);
  EXPECT_EQ(Column(0).size(), shown);
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Status(0), "Found 3000 files.");
  Pump(5);
  EXPECT_EQ(Column(0).size(), kFiles);
}

// A new Start while a search runs: only the new search's files are listed.
TEST_F(MainWindowTest, StartDuringASearchListsOnlyTheNewSearchsFiles) {
  TTempFolder folder;
  for (int i = 0; i < 1000; ++i) folder.Write("big\\f" + std::to_string(i) + ".txt", "a needle");
  folder.Write("small\\small.txt", "hay");
  LookIn(folder.Path() + "\\big");
  FindForm->cbString->SetText(L"needle");
  FindForm->bStart->Click();
  Pump(1);
  LookIn(folder.Path() + "\\small");
  FindForm->cbString->SetText(L"");
  FindForm->bStart->Click();
  ASSERT_TRUE(PumpUntil(SearchOver));
  Pump(20);
  EXPECT_EQ(Column(0), std::vector<std::string>{"small.txt"});
}

// "In results" looks only at the files listed: one that came after the
// search holds the text too, yet is not listed.
TEST_F(MainWindowTest, InResultsSearchesTheListedFilesWithTheNewCriteria) {
  TTempFolder folder;
  folder.Write("hit.txt", "a needle");
  folder.Write("miss.txt", "hay");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  folder.Write("late.txt", "a needle");
  FindForm->cbString->SetText(L"needle");
  FindForm->tbInResults->Click();
  ASSERT_TRUE(PumpUntil(SearchOver));
  Pump(5);
  EXPECT_EQ(Column(0), std::vector<std::string>{"hit.txt"});
}

// Add while a search of the folder above runs, or while "In results" runs:
// the newly ticked folder is searched with the criteria given for the Add.
TEST_F(MainWindowTest, AddDuringASearchSearchesTheTickedFolderWithTheNewCriteria) {
  char desktop[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));
  TTempFolder folder(desktop);
  for (int i = 0; i < 300; ++i) folder.Write("big\\f" + std::to_string(i) + ".txt", "a needle");
  folder.Write("small\\small.txt", "hay");
  const std::string name = folder.Path().substr(folder.Path().rfind('\\') + 1);
  // The tree lists the desktop's folders as they were when it was made.
  CloseForms();
  Open();
  for (const bool inResults : {false, true}) {
    SCOPED_TRACE(inResults ? "while In results runs" : "while a search runs");
    LookIn(folder.Path());
    FindForm->cbString->SetText(inResults ? L"" : L"needle");
    FindForm->bStart->Click();
    if (inResults) {
      ASSERT_TRUE(PumpUntil(SearchOver));
      FindForm->cbString->SetText(L"needle");
      FindForm->tbInResults->Click();
    }
    TStringList ticked;
    ticked.Add(FindForm->ShellTree->Items()->GetFirstNode()->Text() + "\\" + name + "\\small");
    FindForm->ShellTree->SetCheckedPaths(&ticked);
    FindForm->pcFilePath->SetActivePageIndex(0);
    FindForm->cbString->SetText(L"hay");
    FindForm->tbAdd->Click();
    ASSERT_TRUE(PumpUntil(SearchOver));
    Pump(5);
    const std::vector<std::string> names = Column(0);
    EXPECT_NE(std::find(names.begin(), names.end(), "small.txt"), names.end());
  }
}

// "*" typed as the name is the same request as no name: the text is found
// inside a zip archive that stores it compressed either way.
TEST_F(MainWindowTest, StarAsTheNameSearchesInsideArchivesLikeNoName) {
  TTempFolder folder;
  uint32_t crc = 0;
  const std::string deflated = search_test::DeflateRepeated("padding ", 4000, true, &crc, "the needle");
  folder.Write("notes.zip", search_test::OneEntryZip("notes.txt", deflated, crc, 4000 + 10));
  ConfigForm->CheckInZip->SetChecked(true);
  LookIn(folder.Path());
  FindForm->cbString->SetText(L"needle");
  for (const wchar_t* name : {L"", L"*"}) {
    SCOPED_TRACE(testing::Message() << "name '" << WideToMultiByte(name) << "'");
    FindForm->cbMask->SetText(name);
    FindForm->bStart->Click();
    ASSERT_TRUE(WaitForSearchEnd());
    Pump(5);
    EXPECT_EQ(Column(0), std::vector<std::string>{"notes.zip"});
  }
}

// The end of a search is flashed while the window goes on answering.
TEST_F(MainWindowTest, EndOfASearchFlashesWithoutHoldingTheWindow) {
  TTempFolder folder;
  folder.Write("a.txt", "x");
  LookIn(folder.Path());
  FindForm->bStart->Click();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_TRUE(FindForm->Search().Flashing());
  EXPECT_TRUE(PumpUntil([] { return !FindForm->Search().Flashing(); }));
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

// Fields that cannot make the search asked for are said so, and nothing
// starts: a name this (Western) system cannot hold would become wildcards,
// an empty "Look in:" the whole first drive.
TEST_F(MainWindowTest, FieldsThatCannotMakeTheSearchAreRefusedNotWidened) {
  struct Case {
    const wchar_t* mask;
    bool emptyFolder;
    const wchar_t* told;
  };
  const Case cases[] = {
      {L"*\x043C\x0430\x0440\x0442*", false, L"\x043C"},  // names the character
      {L"", true, L"folder"},
  };
  TTempFolder folder;
  folder.Write("a.txt", "x");
  for (const Case& c : cases) {
    LookIn(folder.Path());
    FindForm->cbMask->SetText(L"");
    FindForm->bStart->Click();
    ASSERT_TRUE(WaitForSearchEnd());
    Pump(5);
    FindForm->cbMask->SetText(c.mask);
    if (c.emptyFolder) FindForm->cbFolder->SetText("");
    app_test::TMessageBoxAnswerer answerer;
    FindForm->bStart->Click();
    Pump(20);
    EXPECT_EQ(answerer.Count(), 1);
    EXPECT_NE(answerer.LastText().find(c.told), std::wstring::npos) << WideToMultiByte(answerer.LastText());
    EXPECT_FALSE(FindForm->Search().Searching());
    EXPECT_EQ(Column(0), std::vector<std::string>{"a.txt"});  // the results shown stay
  }
}

TEST_F(MainWindowTest, CommandLineFillsTheFolderOrTheFileNameAndStartsNothing) {
  FindForm->ApplyCommandLine(ParseCommandLine(L"-f", L"C:\\Data"));
  EXPECT_EQ(FindForm->cbFolder->Text(), "C:\\Data");
  EXPECT_EQ(FindForm->pcFilePath->ActivePageIndex(), 1);
  FindForm->ApplyCommandLine(ParseCommandLine(L"-L", L"C:\\Docs\\my report.doc"));
  EXPECT_EQ(FindForm->cbMask->Text(), L"my?report.doc");
  EXPECT_FALSE(FindForm->Search().Searching());
}

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}

TEST_F(MainWindowTest, ClosingDuringASearchStopsAndWaitsForItsThreads) {
  TTempFolder folder;
  for (int i = 0; i < 800; ++i) folder.Write("d" + std::to_string(i % 20) + "_" + std::to_string(i) + ".txt", "needle");
  LookIn(folder.Path());
  FindForm->cbString->SetText(L"needle");
  const std::set<DWORD> before = ThreadsOfThisProcess();
  FindForm->bStart->Click();
  // No pumping before the count: a search this small may end within one
  // round of the loop, while unpumped its thread waits to hand over its hits.
  std::vector<DWORD> started;
  for (DWORD id : ThreadsOfThisProcess())
    if (!before.count(id)) started.push_back(id);
  ASSERT_FALSE(started.empty());
  CloseForms();  // must neither crash nor leave a thread using what is gone
  for (DWORD id : started) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (thread == nullptr) continue;  // gone altogether
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "thread " << id << " still runs";
    CloseHandle(thread);
  }
}

}  // namespace
