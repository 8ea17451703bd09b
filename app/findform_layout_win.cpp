// The main window's controls, their places and names.
#include "app/findform_win.h"

#include <commctrl.h>

#include "app/formbuilder.h"
#include "classlib/combobox.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/splitter.h"
#include "classlib/bitmap.h"
#include "classlib/dialogs.h"
#include "classlib/imagelist.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/richedit.h"
#include "classlib/statusbar.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/webbrowser.h"
#include "shell/dropfilesource.h"
#include "shell/shelltree.h"
#include "widecontrols/widecombobox.h"

namespace {

constexpr int kFieldWidth = 217;
constexpr TAnchors kStretch = akLeft | akTop | akRight;

template <class Combo>
Combo* MakeField(TComponent* owner, TWinControl* parent, const char* name, int top) {
  Combo* combo = MakeControl<Combo>(owner, parent, name, 8, top, kFieldWidth, 21);
  combo->SetAnchors(kStretch);
  return combo;
}

}  // namespace

void TFindForm::BuildToolBars() {
  CoolBar = MakeControl<TCoolBar>(this, this, "CoolBar", 0, 0, 656, 60);
  CoolBar->SetAlign(alTop);
  ToolBarMenu = MakeControl<TToolBar>(this, CoolBar, "ToolBarMenu", 0, 0, 400, 22);
  ToolBarMenu->SetShowCaptions(true);
  ToolBarMenu->SetFlat(true);
  ToolImages = new TImageList(this);
  ToolImages->SetName("ToolImages");
  ToolImages->SetWidth(24);
  ToolImages->SetHeight(24);
  {
    // The strip's magenta is the transparent colour.
    TBitmap strip;
    strip.LoadFromResourceName(GetModuleHandleA(nullptr), "TOOLIMAGES");
    ImageList_AddMasked(ToolImages->Handle(), strip.Handle(), RGB(255, 0, 255));
  }
  ToolBar = MakeControl<TToolBar>(this, CoolBar, "ToolBar", 0, 0, 500, 40);
  ToolBar->SetShowCaptions(true);
  ToolBar->SetFlat(true);
  ToolBar->SetImages(ToolImages);
  ToolBar->SetButtonWidth(64);
  ToolBar->SetButtonHeight(40);
  struct Button {
    TToolButton* TFindForm::*member;
    const char* name;
    const char* caption;
    int image;
    const char* hint;
  };
  const Button buttons[] = {
      {&TFindForm::tbBack, "tbBack", "Back", 0, ""},
      {&TFindForm::tbStart, "tbStart", "Start", 1, "Start a new search"},
      {&TFindForm::tbStop, "tbStop", "Stop", 2, "Stop the search"},
      {&TFindForm::tbAdd, "tbAdd", "Add", 3, "Add the results of a new search to the list"},
      {&TFindForm::tbInResults, "tbInResults", "In results", 4, "Search among the files of the list"},
      {&TFindForm::tbSeparator, "tbSeparator", "", -1, ""},
      {&TFindForm::tbConfig, "tbConfig", "Options", 5, "Options"},
      {&TFindForm::tbAbout, "tbAbout", "About...", 6, ""},
      {&TFindForm::tbHelp, "tbHelp", "Help", 7, "Help"},
  };
  for (const Button& b : buttons) {
    TToolButton* button = new TToolButton(this);
    button->SetName(b.name);
    if (b.image < 0) {
      button->SetStyle(tbsSeparator);
    } else {
      button->SetCaption(b.caption);
      button->SetImageIndex(b.image);
      button->SetHint(b.hint);
    }
    button->SetParent(ToolBar);
    this->*b.member = button;
  }
  tbBack->Hide();
  tbAbout->Hide();
  TCoolBand* menuBand = CoolBar->Bands()->Add();
  menuBand->SetControl(ToolBarMenu);
  TCoolBand* toolBand = CoolBar->Bands()->Add();
  toolBand->SetControl(ToolBar);
  toolBand->SetBreak(true);
}

void TFindForm::BuildCriteriaPages() {
  pLeft = MakeControl<TPanel>(this, this, "pLeft", 0, 60, 241, 400);
  pLeft->SetAlign(alLeft);
  pLeft->SetBevelOuter(bvNone);
  pLeft->SetCaption("");
  SplitterLeft = MakeControl<TSplitter>(this, this, "SplitterLeft", 241, 60, 4, 400);
  SplitterLeft->SetAlign(alLeft);
  SplitterLeft->SetMinSize(120);

  PageCtrl = MakeControl<TPageControl>(this, pLeft, "PageCtrl", 0, 0, 241, 206);
  PageCtrl->SetAlign(alTop);
  PageFind = new TTabSheet(this);
  PageFind->SetName("PageFind");
  PageFind->SetPageControl(PageCtrl);
  PageFind->SetCaption("What to find");
  PageMore = new TTabSheet(this);
  PageMore->SetName("PageMore");
  PageMore->SetPageControl(PageCtrl);
  PageMore->SetCaption("Advanced options");
  // Anchored fields keep their distance to the sheet's edges as it was
  // when they were placed: the sheets get their display area's size first.
  for (TTabSheet* sheet : {PageFind, PageMore}) sheet->SetBounds(4, 24, 233, 178);

  lMask = MakeCaptioned<TLabel>(this, PageFind, "lMask", "All or part of the file name:", 8, 6, kFieldWidth, 13);
  cbMask = MakeField<TWideComboBox>(this, PageFind, "cbMask", 22);
  lTypes = MakeCaptioned<TLabel>(this, PageFind, "lTypes", "Type of file:", 8, 48, kFieldWidth, 13);
  cbTypes = MakeField<TComboBox>(this, PageFind, "cbTypes", 64);
  cbTypes->SetStyle(csDropDownList);
  lString = MakeCaptioned<TLabel>(this, PageFind, "lString", "A word or phrase in the text to find:", 8, 90,
                                  kFieldWidth, 13);
  cbString = MakeField<TWideComboBox>(this, PageFind, "cbString", 106);
  lNoString = MakeCaptioned<TLabel>(this, PageFind, "lNoString", "A word or phrase in the text to exclude:", 8, 132,
                                    kFieldWidth, 13);
  cbNoString = MakeField<TWideComboBox>(this, PageFind, "cbNoString", 148);

  checkSize = MakeCaptioned<TCheckBox>(this, PageMore, "checkSize", "Size", 8, 8, 120, 17);
  cbEquals = MakeControl<TComboBox>(this, PageMore, "cbEquals", 24, 30, 44, 21);
  cbEquals->SetStyle(csDropDownList);
  for (const char* item : {"  =", "  <", "  >"}) cbEquals->Items()->Add(item);
  cbEquals->SetItemIndex(2);
  eSize = MakeControl<TEdit>(this, PageMore, "eSize", 72, 30, 70, 21);
  eSize->SetText("0");
  cbSize = MakeControl<TComboBox>(this, PageMore, "cbSize", 146, 30, 70, 21);
  cbSize->SetStyle(csDropDownList);
  for (const char* item : {"Byte", "KByte", "MByte"}) cbSize->Items()->Add(item);
  cbSize->SetItemIndex(1);

  CheckDate = MakeCaptioned<TCheckBox>(this, PageMore, "CheckDate", "Date", 8, 62, 120, 17);
  RadioMody = MakeCaptioned<TRadioButton>(this, PageMore, "RadioMody", "Modified", 24, 82, 90, 17);
  RadioMody->SetChecked(true);
  RadioCreate = MakeCaptioned<TRadioButton>(this, PageMore, "RadioCreate", "Created", 24, 100, 90, 17);
  RadioAccess = MakeCaptioned<TRadioButton>(this, PageMore, "RadioAccess", "Accessed", 24, 118, 90, 17);
  RadioCreate->Hide();
  RadioAccess->Hide();
  lFrom = MakeCaptioned<TLabel>(this, PageMore, "lFrom", "From", 24, 108, 30, 13);
  eDateFrom = MakeControl<TDateTimePicker>(this, PageMore, "eDateFrom", 56, 104, 150, 21);
  lTo = MakeCaptioned<TLabel>(this, PageMore, "lTo", "to", 24, 134, 30, 13);
  eDateTo = MakeControl<TDateTimePicker>(this, PageMore, "eDateTo", 56, 130, 150, 21);
  for (TControl* control : std::initializer_list<TControl*>{cbEquals, eSize, cbSize})
    control->SetEnabled(false);
  for (TControl* control : std::initializer_list<TControl*>{RadioMody, RadioCreate, RadioAccess, lFrom, eDateFrom, lTo, eDateTo})
    control->SetEnabled(false);
}

void TFindForm::BuildLocations() {
  pSelectLocation = MakeControl<TPanel>(this, pLeft, "pSelectLocation", 0, 206, 241, 32);
  pSelectLocation->SetAlign(alTop);
  pSelectLocation->SetBevelOuter(bvNone);
  pSelectLocation->SetCaption("");
  lSelectLocation = MakeCaptioned<TLabel>(this, pSelectLocation, "lSelectLocation", "Select location:", 8, 10, 110, 13);
  bStart = MakeCaptioned<TButton>(this, pSelectLocation, "bStart", "Start search", 140, 4, 95, 25);
  bStart->SetAnchors(akTop | akRight);

  pcFilePath = MakeControl<TPageControl>(this, pLeft, "pcFilePath", 0, 238, 241, 160);
  pcFilePath->SetAlign(alClient);
  PageTree = new TTabSheet(this);
  PageTree->SetName("PageTree");
  PageTree->SetPageControl(pcFilePath);
  PageTree->SetCaption("Folders tree");
  Page = new TTabSheet(this);
  Page->SetName("Page");
  Page->SetPageControl(pcFilePath);
  Page->SetCaption("Special path");
  for (TTabSheet* sheet : {PageTree, Page}) sheet->SetBounds(4, 24, 233, 132);

  ShellTree = MakeControl<TShellTree>(this, PageTree, "ShellTree", 0, 0, 233, 130);
  ShellTree->SetAlign(alClient);
  // No form stream brings the tree its check images: it takes its own.
  ShellTree->SetCheckBitmap(nullptr);

  lFolder = MakeCaptioned<TLabel>(this, Page, "lFolder", "Look in:", 8, 8, 100, 13);
  cbFolder = MakeField<TComboBox>(this, Page, "cbFolder", 24);
  CheckSubDirs = MakeCaptioned<TCheckBox>(this, Page, "CheckSubDirs", "Include subfolders", 8, 52, 150, 17);
  CheckSubDirs->SetChecked(true);
  bBrowse = MakeCaptioned<TButton>(this, Page, "bBrowse", "Browse...", 150, 74, 75, 25);
  bBrowse->SetAnchors(akTop | akRight);
}

void TFindForm::BuildResultArea() {
  StatusBar = MakeControl<TStatusBar>(this, this, "StatusBar", 0, 491, 656, 20);
  StatusBar->SetAlign(alBottom);
  const int widths[] = {150, 100, 50};
  for (int i = 0; i < 3; ++i) {
    TStatusPanel* panel = StatusBar->Panels()->Add();
    panel->SetWidth(widths[i]);
    if (i == 1) panel->SetAlignment(taCenter);
  }

  pClient = MakeControl<TPanel>(this, this, "pClient", 245, 60, 411, 431);
  pClient->SetAlign(alClient);
  pClient->SetBevelOuter(bvNone);
  pClient->SetCaption("");

  pFilter = MakeControl<TPanel>(this, pClient, "pFilter", 0, 0, 411, 28);
  pFilter->SetAlign(alTop);
  pFilter->SetBevelOuter(bvNone);
  pFilter->SetCaption("");
  lFilter = MakeCaptioned<TLabel>(this, pFilter, "lFilter", "File name filter. Type here to filter result list.", 6, 7,
                                  240, 13);
  eFileNameFilter = MakeControl<TEdit>(this, pFilter, "eFileNameFilter", 268, 3, 138, 21);
  eFileNameFilter->SetAnchors(kStretch);
  pFilter->Hide();

  pView = MakeControl<TPanel>(this, pClient, "pView", 0, 281, 411, 150);
  pView->SetAlign(alBottom);
  pView->SetBevelOuter(bvLowered);
  pView->SetCaption("");
  SplitterView = MakeControl<TSplitter>(this, pClient, "SplitterView", 0, 277, 411, 4);
  SplitterView->SetAlign(alBottom);
  // Placed while it still stood on the left (a splitter's first side), it
  // took the full height: back to a thin bar.
  SplitterView->SetHeight(4);
  SplitterView->SetMinSize(40);
  PreviewImage = MakeControl<TImage>(this, pView, "PreviewImage", 1, 1, 409, 148);
  PreviewImage->SetAlign(alClient);
  PreviewImage->SetCenter(true);
  PreviewImage->SetProportional(true);
  pWeb = MakeControl<TPanel>(this, pView, "pWeb", 1, 1, 409, 148);
  pWeb->SetAlign(alClient);
  pWeb->SetBevelOuter(bvNone);
  pWeb->SetCaption("");
  WebBrowser = MakeControl<TWebBrowser>(this, pWeb, "WebBrowser", 0, 0, 409, 148);
  WebBrowser->SetAlign(alClient);
  PreviewText = MakeControl<TRichEdit>(this, pWeb, "PreviewText", 0, 0, 409, 148);
  PreviewText->SetAlign(alClient);
  PreviewText->Hide();

  ListView = MakeControl<TListView>(this, pClient, "ListView", 0, 28, 411, 249);
  ListView->SetAlign(alClient);
  ListView->SetViewStyle(vsReport);
  ListView->SetOwnerData(true);
  ListView->SetMultiSelect(true);
  ListView->SetRowSelect(true);
  ListView->SetHideSelection(false);
  ListView->SetReadOnly(true);
  ListView->SetShowHint(true);
  const char* columns[] = {"File name", "Folder", "Type", "Modified", "Size"};
  for (int i = 0; i < 5; ++i) {
    TListColumn* column = ListView->Columns()->Add();
    column->SetCaption(columns[i]);
    column->SetWidth(i == 0 ? 81 : 150);
    if (i == 4) column->SetAlignment(taRightJustify);
  }

  SaveDlg = new TSaveDialog(this);
  SaveDlg->SetName("SaveDlg");
  SaveDlg->SetDefaultExt("txt");
  SaveDlg->SetFileName("FileList");
  SaveDlg->SetFilter("Text files (*.txt)|*.TXT|Comma separated (*.csv)|*.CSV");
  // The current folder stays where it was: a relative name elsewhere must
  // never come to mean another file.
  SaveDlg->SetOptions(SaveDlg->Options() | ofNoChangeDir);
  DropFileSource = new TDropFileSource(this);
  DropFileSource->SetName("DropFileSource");
}
