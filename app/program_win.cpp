// The program's entry: OLE, the translation object, the forms in their
// order, the command line, the message loop, and an orderly end in which
// every COM object is released before OLE goes.
#include <windows.h>
#include <ole2.h>

#include "app/commandline.h"
#include "app/findform_win.h"
#include "app/programforms.h"
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
#include "search/threadowner.h"
#include "shell/pidls.h"
#include "widecontrols/wideapplication.h"
#include "widecontrols/widecombobox.h"

namespace {

void RunProgram() {
  InstallJPEGWarningBox();
  Application->SetTitle("Ovalis");
  Application->SetHelpFile("ovalis.chm");
  const TCommandLine commandLine = ReadCommandLine();

  CreateProgramForms();
  FindForm->ApplyCommandLine(commandLine);
  Application->Run();

  DestroyProgramForms();
  // Indexers may still be adding to the folder index: they go before it.
  WaitForIndexers();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Dragging, the folder browser and shortcuts need OLE on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  const int exitCode = GuardBoundary(1, [] {
    RunProgram();
    return 0;
  });
  // What holds COM objects past the forms gives them back while OLE lives;
  // a failure there must not turn a finished run into a crash at exit.
  GuardBoundary([] {
    ReleaseShellObjects();
    EndWideApplication();
  });
  if (SUCCEEDED(ole)) OleUninitialize();
  // A search or indexer stuck past the exit's wait ends with the process.
  EndIfWorkerOutlivedExit(static_cast<UINT>(exitCode));
  return exitCode;
}
