#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

#include "classlib/exceptions.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "shell/owners.h"
#include "shell/shell_fixtures.h"
#include "shell/shelllink.h"

namespace {

TEST(CreateShellLink, ShortcutReadsBackThroughTheShell) {
  TTempFolder folder;
  std::string target = folder / "tool.exe";
  std::string linkFile = folder / "Tool.lnk";
  ASSERT_TRUE(WriteTextFile(target, "MZ"));
  CreateShellLink(target, linkFile, "File Ovalis", "-F \"C:\\some folder\"", 0);
  ASSERT_TRUE(PathExists(linkFile));

  TComPtr<IShellLinkA> link;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            link.ReceiveVoid()));
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  ASSERT_TRUE(file);
  std::wstring wideLink(linkFile.begin(), linkFile.end());
  ASSERT_HRESULT_SUCCEEDED(file->Load(wideLink.c_str(), STGM_READ));
  char text[MAX_PATH * 2] = {};
  ASSERT_HRESULT_SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
  EXPECT_TRUE(SameText(text, target)) << text;
  ASSERT_HRESULT_SUCCEEDED(link->GetDescription(text, MAX_PATH));
  EXPECT_STREQ(text, "File Ovalis");
  ASSERT_HRESULT_SUCCEEDED(link->GetArguments(text, MAX_PATH));
  EXPECT_STREQ(text, "-F \"C:\\some folder\"");
  ASSERT_HRESULT_SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH));
  EXPECT_TRUE(SameText(ExcludeTrailingBackslash(text), folder.Path())) << text;
}

// Without OLE on the thread the shell object cannot be made.
TEST(CreateShellLink, RaisesWhenTheShellObjectCannotBeCreated) {
  bool raised = false;
  std::thread noOle([&] {
    try {
      CreateShellLink("C:\\x.exe", "C:\\x.lnk", "", "", 0);
    } catch (const EOleSysError&) {
      raised = true;
    } catch (...) {
    }
  });
  noOle.join();
  EXPECT_TRUE(raised);
}

}  // namespace
