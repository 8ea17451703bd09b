// The program's command line: only the second character of the first
// argument counts, in either case ("-F", "/F" and "xF" alike): "F" names a
// folder to search, "L" a file whose name goes into the file-name field.
#pragma once

#include <string>

struct TCommandLine {
  std::string Folder;    // for "Look in:"
  std::wstring FileMask; // for the file-name field
  // The folder given with "F" when it is refused: no path in the system's
  // code page reaches it (a name the code page cannot hold, with no short
  // name), and a lookalike would name another folder. "" when it is not.
  std::wstring RefusedFolder;
};

// From the two arguments as given.
TCommandLine ParseCommandLine(const std::wstring& first, const std::wstring& second);
// From the program's own command line.
TCommandLine ReadCommandLine();
