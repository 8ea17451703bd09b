// The program's command line: only the second character of the first
// argument counts, in either case ("-F", "/F" and "xF" alike): "F" names a
// folder to search, "L" a file whose name goes into the file-name field.
#pragma once

#include <string>

struct TCommandLine {
  std::string Folder;    // for "Look in:"
  std::wstring FileMask; // for the file-name field
};

// From the two arguments as given.
TCommandLine ParseCommandLine(const std::wstring& first, const std::wstring& second);
// From the program's own command line.
TCommandLine ReadCommandLine();
