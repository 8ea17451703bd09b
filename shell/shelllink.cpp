#include "shell/shelllink.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "classlib/codepage.h"
#include "classlib/exceptions.h"
#include "classlib/paths.h"
#include "shell/owners.h"

void CreateShellLink(const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments, int iconIndex) {
  TComPtr<IShellLinkA> link;
  OleCheck(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                            link.ReceiveVoid()));
  TComPtr<IPersistFile> file;
  OleCheck(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()));
  link->SetArguments(arguments.c_str());
  link->SetDescription(description.c_str());
  link->SetWorkingDirectory(ExtractFilePath(target).c_str());
  link->SetPath(target.c_str());
  link->SetIconLocation(target.c_str(), iconIndex);
  file->Save(MultiByteToWide(linkFile).c_str(), FALSE);
}
