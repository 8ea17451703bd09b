// The program's entry: OLE, the translation object, the forms in their
// order, the command line, the message loop, and an orderly end in which
// every COM object is released before OLE goes.
#include <windows.h>
#include <ole2.h>

#include "app/aboutform_win.h"
#include "app/commandline.h"
#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "classlib/application.h"
#include "classlib/boundary.h"
#include "classlib/combobox.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "imaging/fileformatlist.h"
#include "imaging/jpegdecoder.h"
#include "search/filelistthread.h"
#include "shell/pidls.h"
#include "widecontrols/wideapplication.h"
#include "widecontrols/widecombobox.h"

namespace {

// A form owned by the application that is not its main form: made and its
// creation events run, hidden until shown.
template <class F>
F* CreateSideForm() {
  F* form = new F(Application);
  form->AfterConstruction();
  return form;
}

void RunProgram() {
  MultiLang = new TMultiLang();
  MultiLang->LoadLanguageList();
  InstallJPEGWarningBox();
  Application->SetTitle("Ovalis");
  Application->SetHelpFile("ovalis.chm");
  const TCommandLine commandLine = ReadCommandLine();

  AboutForm = CreateSideForm<TAboutForm>();
  ConfigForm = CreateSideForm<TConfigForm>();
  CreateForm(FindForm);
  FindForm->ApplyCommandLine(commandLine);
  Application->Run();

  // Main window first: its exit stops and waits for every search thread
  // and saves the history while the options still exist.
  delete FindForm;
  FindForm = nullptr;
  delete ConfigForm;
  ConfigForm = nullptr;
  delete AboutForm;
  AboutForm = nullptr;
  // Indexers may still be adding to the folder index: they go before it.
  WaitForIndexers();
  delete MultiLang;
  MultiLang = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Dragging, the folder browser and shortcuts need OLE on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  const int exitCode = GuardBoundary(1, [] {
    RunProgram();
    return 0;
  });
  // What holds COM objects past the forms gives them back while OLE lives.
  ReleaseShellObjects();
  EndWideApplication();
  if (SUCCEEDED(ole)) OleUninitialize();
  return exitCode;
}
