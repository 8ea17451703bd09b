#include "app/commandline.h"

#include <windows.h>

#include <vector>

#include "classlib/codepage.h"
#include "search/searchcriteria.h"
#include "widecontrols/paramstr.h"

namespace {

// The folder as 8-bit text the program can open: a name the system code
// page cannot hold goes by its short name, which it can.
std::string OpenableFolder(const std::wstring& folder) {
  if (FindCharOutsideAnsi(folder) == std::wstring::npos) return WideToMultiByte(folder);
  const DWORD size = GetShortPathNameW(folder.c_str(), nullptr, 0);
  if (size == 0) return WideToMultiByte(folder);
  std::vector<wchar_t> shortName(size);
  const DWORD length = GetShortPathNameW(folder.c_str(), shortName.data(), size);
  if (length == 0 || length >= size) return WideToMultiByte(folder);
  return WideToMultiByte(std::wstring(shortName.data(), length));
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
