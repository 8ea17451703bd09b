#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "classlib/bitmap.h"
#include "classlib/canvas.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/forms.h"
#include "classlib/imagelist.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/pagecontrol.h"
#include "classlib/panels.h"
#include "classlib/richedit.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/webbrowser.h"
#include "screenshot_win.h"

namespace {

// A form with every common control of the class library, laid out as the
// main window lays them out: bars at the top and bottom, criteria on the
// left, results with the preview below them filling the rest.
class TDemoForm : public TForm {
public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption("Common controls");
    // Bottom left, apart from the forms of tests that click with the pointer
    // (the check-box tree's, at the bottom right).
    SetBounds(0, 560, 580, 460);
    BuildBars();
    BuildCriteria();
    BuildResults();
    status = new TStatusBar(this);
    for (int width : {150, 100, 50}) status->Panels()->Add()->SetWidth(width);
    status->Panels()->Items(1)->SetAlignment(taCenter);
    status->Panels()->Items(0)->SetText("Found 100000 files.");
    status->Panels()->Items(1)->SetText("0:00:07");
    status->Panels()->Items(2)->SetText("Processed 812 folders.");
    status->SetParent(this);
  }

  TStatusBar* status;
  TListView* list = nullptr;
  TCoolBar* cool = nullptr;
  TWebBrowser* browser = nullptr;
  TCoolBand* toolsBand = nullptr;
  TPageControl* pages = nullptr;
  TPageControl* places = nullptr;

private:
  void BuildBars() {
    cool = new TCoolBar(this);
    cool->SetParent(this);
    auto* menu = new TMainMenu(this);
    for (const char* caption : {"&File", "&Search", "&View", "&Options", "&Report", "&Help"}) {
      auto* item = new TMenuItem(this);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    auto* menuBar = new TToolBar(this);
    menuBar->SetFlat(true);
    menuBar->SetList(true);
    menuBar->SetMenu(menu);
    cool->Bands()->Add()->SetControl(menuBar);

    auto* images = new TImageList(this);
    images->SetWidth(24);
    images->SetHeight(24);
    images->SetMasked(false);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(24 * 5, 24);
    strip.Fill(clBtnFace);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip.Handle());
    const COLORREF colours[] = {RGB(40, 160, 60), RGB(200, 40, 40), RGB(40, 90, 200), RGB(220, 170, 30),
                                RGB(120, 60, 160)};
    for (int i = 0; i < 5; ++i) {
      HBRUSH brush = CreateSolidBrush(colours[i]);
      HGDIOBJ oldBrush = SelectObject(dc, brush);
      Ellipse(dc, 24 * i + 3, 3, 24 * i + 21, 21);
      DeleteObject(SelectObject(dc, oldBrush));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    images->Add(&strip, nullptr);
    auto* tools = new TToolBar(this);
    tools->SetFlat(true);
    tools->SetShowCaptions(true);
    tools->SetImages(images);
    int image = 0;
    for (const char* caption : {"Start", "Stop", "Add", "In results", "-", "Options", "Help"}) {
      auto* button = new TToolButton(this);
      if (std::string(caption) == "-") {
        button->SetStyle(tbsSeparator);
      } else {
        button->SetCaption(caption);
        button->SetImageIndex(image++ % 5);
      }
      button->SetParent(tools);
    }
    toolsBand = cool->Bands()->Add();
    toolsBand->SetControl(tools);
  }

  void BuildCriteria() {
    auto* left = new TPanel(this);
    left->SetWidth(220);
    left->SetAlign(alLeft);
    left->SetBevelOuter(bvNone);
    left->SetParent(this);
    pages = new TPageControl(this);
    pages->SetHeight(150);
    pages->SetAlign(alTop);
    pages->SetParent(left);
    auto* find = new TTabSheet(this);
    find->SetCaption("What to find");
    find->SetPageControl(pages);
    auto* more = new TTabSheet(this);
    more->SetCaption("Advanced options");
    more->SetPageControl(pages);
    auto* from = new TDateTimePicker(this);
    from->SetBounds(8, 8, 110, 22);
    from->SetDateTime(EncodeDate(2024, 5, 17) + EncodeTime(9, 30, 0, 0));
    from->SetParent(find);
    auto* to = new TDateTimePicker(this);
    to->SetBounds(8, 36, 110, 22);
    to->SetDateTime(EncodeDate(2024, 6, 1));
    to->SetParent(find);

    places = new TPageControl(this);
    places->SetAlign(alClient);
    places->SetParent(left);
    for (const char* caption : {"Folders tree", "Special path"}) {
      auto* sheet = new TTabSheet(this);
      sheet->SetCaption(caption);
      sheet->SetPageControl(places);
    }
    auto* rich = new TRichEdit(this);
    rich->SetAlign(alClient);
    rich->LoadRtf(
        "{\\rtf1\\ansi{\\colortbl;\\red200\\green0\\blue0;}Preview without a browser: the text "
        "{\\b\\cf1 found} twice, {\\b\\cf1 found} here too.\\par}");
    rich->SetParent(places->Pages(0));
  }

  void BuildResults() {
    auto* client = new TPanel(this);
    client->SetAlign(alClient);
    client->SetBevelOuter(bvNone);
    client->SetParent(this);
    browser = new TWebBrowser(this);
    browser->SetHeight(80);
    browser->SetAlign(alBottom);
    browser->SetParent(client);
    list = new TListView(this);
    list->SetAlign(alClient);
    list->SetViewStyle(vsReport);
    list->SetOwnerData(true);
    list->SetMultiSelect(true);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetHideSelection(false);
    const char* captions[] = {"File name", "Folder", "Type", "Modified", "Size"};
    const int widths[] = {80, 80, 60, 70, 55};
    for (int i = 0; i < 5; ++i) {
      TListColumn* column = list->Columns()->Add();
      column->SetCaption(captions[i]);
      column->SetWidth(widths[i]);
      if (i == 4) column->SetAlignment(taRightJustify);
    }
    list->OnData = [](TObject*, TListItem* item) {
      const int i = item->Index();
      item->SetCaption("report" + std::to_string(i) + ".txt");
      item->SubItems()->Add("C:\\Data\\" + std::to_string(i / 100));
      item->SubItems()->Add("Text Document");
      item->SubItems()->Add("17.05.2024 09:30");
      item->SubItems()->Add(std::to_string(i % 900 + 1) + " Kbyte");
    };
    list->Items()->SetCount(100000);
    list->SetParent(client);
  }
};

// The screen places of a control's window, in its form's client area.
RECT PlaceOnForm(TWinControl* control, TForm& form) {
  RECT r{};
  GetWindowRect(control->Handle(), &r);
  MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Builds the demo form, drives a little of it and saves its picture as
// classlib_comctrls.png in the build folder. The bars keep their sides and
// the results follow the cool bar's height.
TEST(CommonControlsTest, DemoFormScreenshot) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  {
    TDemoForm form(nullptr);
    form.AfterConstruction();
    form.Show();
    form.list->SetItemIndex(3);
    form.list->SetSelected(4, true);
    form.browser->Navigate(L"about:blank");
    for (int i = 0; i < 40; ++i) {
      Application->ProcessMessages();
      Sleep(20);
    }
    EXPECT_EQ(form.list->SelCount(), 2);
    EXPECT_EQ(SendMessageA(form.cool->Handle(), RB_GETBANDCOUNT, 0, 0), 2);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    const RECT cool = PlaceOnForm(form.cool, form);
    const RECT status = PlaceOnForm(form.status, form);
    EXPECT_EQ(cool.top, 0);
    EXPECT_EQ(cool.right - cool.left, client.right);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(PlaceOnForm(form.list, form).top, cool.bottom);
    // Above other tests' windows just for the picture.
    SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Application->ProcessMessages();
    EXPECT_TRUE(screenshot::SaveWindowPng(form.Handle(), "classlib_comctrls.png"));
    SetWindowPos(form.Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    form.toolsBand->SetVisible(false);
    Application->ProcessMessages();
    EXPECT_LT(PlaceOnForm(form.list, form).top, cool.bottom);
    EXPECT_EQ(PlaceOnForm(form.list, form).top, PlaceOnForm(form.cool, form).bottom);
  }
  OleUninitialize();
}

}  // namespace
