// The main window's menus: the main menu (shown by the menu tool bar) and
// the result list's pop-up menu.
#include "app/findform_win.h"

#include <functional>

#include "app/configform_win.h"
#include "app/filecommands_win.h"
#include "app/searchcontrol_win.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"

namespace {

TShortCut Key(WORD key, TShortCut modifiers = 0) { return static_cast<TShortCut>(key | modifiers); }

}  // namespace

void TFindForm::BuildMenus() {
  using Handler = std::function<void()>;
  auto item = [this](TMenuItem* parent, const char* name, const char* caption, Handler handler,
                     TShortCut shortCut = 0) {
    TMenuItem* menuItem = new TMenuItem(this);
    menuItem->SetName(name);
    menuItem->SetCaption(caption);
    menuItem->SetShortCut(shortCut);
    if (handler) menuItem->OnClick = [handler](TObject*) { handler(); };
    parent->Add(menuItem);
    return menuItem;
  };
  int separators = 0;
  auto separator = [&](TMenuItem* parent) {
    const std::string name = "N" + std::to_string(++separators);
    return item(parent, name.c_str(), "-", nullptr);
  };
  TFileCommands& files = *fileCommands_;
  TSearchControl& search = *search_;

  MainMenu = new TMainMenu(this);
  MainMenu->SetName("MainMenu");
  TMenuItem* root = MainMenu->Items();
  TMenuItem* miFile = item(root, "miFile", "&File", [&files] { files.miFileClick(); });
  miOpen = item(miFile, "miOpen", "Open", [&files] { files.mOpenClick(); });
  miOpenFolder = item(miFile, "miOpenFolder", "Open Folder...", [&files] { files.mFolderClick(); });
  separator(miFile);
  miCopyTo = item(miFile, "miCopyTo", "Copy To...", [&files] { files.mCopyToClick(); });
  miMoveTo = item(miFile, "miMoveTo", "Move To...", [&files] { files.mMove2SelectClick(); });
  separator(miFile);
  miCopy = item(miFile, "miCopy", "Copy", [&files] { files.mCopyClick(); });
  miDelete = item(miFile, "miDelete", "Delete", [&files] { files.mDeleteClick(); });
  miProperties = item(miFile, "miProperties", "Properties", [&files] { files.mPropClick(); });
  separator(miFile);
  item(miFile, "miExit", "Exit", [this] { Close(); });

  TMenuItem* miSearch = item(root, "miSearch", "&Search", nullptr);
  item(miSearch, "miStart", "Start", [&search] { search.tbStartClick(); });
  item(miSearch, "miStop", "Stop", [&search] { search.tbStopClick(); });
  item(miSearch, "miInResults", "In Results", [&search] { search.tbInResultsClick(); });
  separator(miSearch);
  item(miSearch, "miAddToList", "Add To List", [&search] { search.tbAddClick(); });
  item(miSearch, "miDeleteFromList", "Delete From List", [&files] { files.mListDelClick(); });

  TMenuItem* miView = item(root, "miView", "&View", nullptr);
  miViewFilter = item(miView, "miViewFilter", "Filter Panel", [this] { ToggleOption(::ConfigForm->CheckFilter); });
  miViewPreview = item(miView, "miViewPreview", "Preview Panel", [this] { ToggleOption(::ConfigForm->CheckPreview); });
  miViewToolbar = item(miView, "miViewToolbar", "Toolbar", [this] { ToggleOption(::ConfigForm->CheckToolbar); });
  separator(miView);
  item(miView, "miViewOptions", "View Options...", [this] { ShowOptions(1); });

  TMenuItem* miOptions = item(root, "miOptions", "&Options", nullptr);
  item(miOptions, "miConfigure", "Configure...", [this] { ShowOptions(0); });

  TMenuItem* miReport = item(root, "miReport", "&Report", nullptr);
  item(miReport, "miSaveReport", "Save Report As...", [&files] { files.mReportClick(); });
  item(miReport, "miReportOpen", "Open...", nullptr)->SetVisible(false);
  separator(miReport);
  item(miReport, "miRepConfig", "Report Options...", [this] { ShowOptions(4); });

  TMenuItem* miHelp = item(root, "miHelp", "&Help", nullptr);
  item(miHelp, "miHelpContents", "Ovalis Help", [this] { ShowHelpFile(); });
  separator(miHelp);
  item(miHelp, "miWeb", "Marnok ltd. Home Page", [] { OpenHomePage(); });
  item(miHelp, "miSupport", "Mail To Support...", [] { MailToSupport(); });
  separator(miHelp);
  item(miHelp, "miAbout", "About...", [this] { ShowAbout(); });

  ListPopup = new TPopupMenu(this);
  ListPopup->SetName("ListPopup");
  TMenuItem* popup = ListPopup->Items();
  item(popup, "mOpen", "Open", [&files] { files.mOpenClick(); }, Key(VK_RETURN))->SetDefault(true);
  item(popup, "mFolder", "Open folder", [&files] { files.mFolderClick(); }, Key('F', scCtrl));
  separator(popup);
  item(popup, "mReport", "Report...", [&files] { files.mReportClick(); }, Key('R', scCtrl));
  item(popup, "mListDel", "Delete from this list", [&files] { files.mListDelClick(); }, Key(VK_DELETE));
  item(popup, "mListDelFolder", "Not this folder", [&files] { files.mListDelFolderClick(); });
  separator(popup);
  item(popup, "mCopyTo", "Copy to...", [&files] { files.mCopyToClick(); });
  item(popup, "mMove2Select", "Move to...", [&files] { files.mMove2SelectClick(); });
  separator(popup);
  item(popup, "mCopy", "Copy", [&files] { files.mCopyClick(); }, Key('C', scCtrl));
  item(popup, "mDelete", "Delete", [&files] { files.mDeleteClick(); }, Key(VK_DELETE, scShift));
  separator(popup);
  item(popup, "mProp", "Properties", [&files] { files.mPropClick(); }, Key('P', scCtrl));
}
