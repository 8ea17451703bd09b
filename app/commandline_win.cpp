#include "app/commandline.h"

#include <windows.h>

#include "search/searchcriteria.h"
#include "shell/openablepath.h"
#include "widecontrols/paramstr.h"

TCommandLine ParseCommandLine(const std::wstring& first, const std::wstring& second) {
  TCommandLine line;
  if (first.size() < 2 || second.empty()) return line;
  const wchar_t letter = first[1];
  if (letter == L'F' || letter == L'f') {
    // A part the system code page cannot hold goes by its short name, which
    // it can; never by the lookalike a best-fit conversion would make.
    // A relative folder is taken against the folder the program starts in.
    line.Folder = OpenablePath(AbsolutePath(second));
    if (line.Folder.empty()) line.RefusedFolder = second;
  } else if (letter == L'L' || letter == L'l') {
    // The name is matched by masks: what the mask syntax would read as
    // anything else than the character itself becomes "?".
    line.FileMask = MaskFromFileArgument(second);
  }
  return line;
}

TCommandLine ReadCommandLine() { return ParseCommandLine(WideParamStr(1), WideParamStr(2)); }
