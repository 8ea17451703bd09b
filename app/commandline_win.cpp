#include "app/commandline.h"

#include <windows.h>

#include "classlib/codepage.h"
#include "search/searchcriteria.h"
#include "shell/openablepath.h"
#include "widecontrols/paramstr.h"

namespace {

// The folder as 8-bit text the program can open: a part the system code
// page cannot hold goes by its short name, which it can.
std::string OpenableFolder(const std::wstring& folder) {
  const std::string path = OpenablePath(folder);
  return path.empty() ? WideToMultiByte(folder) : path;
}

}  // namespace

TCommandLine ParseCommandLine(const std::wstring& first, const std::wstring& second) {
  TCommandLine line;
  if (first.size() < 2 || second.empty()) return line;
  const wchar_t letter = first[1];
  if (letter == L'F' || letter == L'f') {
    line.Folder = OpenableFolder(second);
  } else if (letter == L'L' || letter == L'l') {
    // The name is matched by masks: what the mask syntax would read as
    // anything else than the character itself becomes "?".
    line.FileMask = MaskFromFileArgument(second);
  }
  return line;
}

TCommandLine ReadCommandLine() { return ParseCommandLine(WideParamStr(1), WideParamStr(2)); }
