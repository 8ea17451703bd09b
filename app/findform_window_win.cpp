// The main window's state across runs and while minimised: its placement
// and panel sizes in the registry, and the tray icon that replaces its
// taskbar button when "Minimize to tray" is on.
#include <windows.h>

#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/registryvalues.h"
#include "classlib/appevents.h"
#include "classlib/application.h"
#include "classlib/buttons.h"
#include "classlib/icon.h"
#include "classlib/stringlist.h"
#include "components/formstorage.h"
#include "components/trayicon.h"

namespace {
// The program's icon among its resources.
const char kProgramIcon[] = "MAINICON";
}  // namespace

void TFindForm::BuildWindowState() {
  ConfigStorage = new TFormStorage(this);
  ConfigStorage->SetName("ConfigStorage");
  ConfigStorage->SetUseRegistry(true);
  ConfigStorage->SetIniFileName(kSettingsKey);
  ConfigStorage->SetIniSection("Place");
  ConfigStorage->StoredProps()->Add("pLeft.Width");
  ConfigStorage->StoredProps()->Add("pView.Height");
  ConfigStorage->Loaded();

  TrayIcon = new TTrayIcon(this);
  TrayIcon->SetName("TrayIcon");
  TrayIcon->SetActive(false);
  TrayIcon->SetHint(Application->Title());
  TIcon icon;
  icon.LoadFromResourceName(GetModuleHandleA(nullptr), kProgramIcon);
  TrayIcon->SetIcon(&icon);
  TrayIcon->OnClick = [this](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    TrayIconClick(sender, button, shift, x, y);
  };
  // A restarted shell that refuses the icon again: the taskbar button comes
  // back, so the minimised program stays reachable.
  TrayIcon->OnLost = [this](TObject*) {
    TrayIcon->SetActive(false);
    ShowWindow(Application->Handle(), SW_SHOWNA);
  };

  AppEvents = new TApplicationEvents(this);
  AppEvents->SetName("AppEvents");
  AppEvents->OnMinimize = [this](TObject* sender) { AppEventsMinimize(sender); };
}

void TFindForm::AppEventsMinimize(TObject* /*Sender*/) {
  if (!ConfigForm->CheckTray->Checked()) return;
  TrayIcon->SetActive(true);
  // With no icon in the tray the hidden window could not be brought back:
  // it keeps its taskbar button instead.
  if (!TrayIcon->Added()) {
    TrayIcon->SetActive(false);
    return;
  }
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TFindForm::TrayIconClick(TObject* /*Sender*/, TMouseButton /*Button*/, TShiftState /*Shift*/, int /*X*/,
                              int /*Y*/) {
  ShowWindow(Application->Handle(), SW_SHOW);
  Application->Restore();
  TrayIcon->SetActive(false);
}
