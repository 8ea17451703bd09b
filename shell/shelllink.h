// Shortcut (.lnk) files made through the shell's ShellLink object.
#pragma once

#include <string>

// Writes linkFile pointing at target, starting in target's folder, with the
// given description, arguments and target's icon number iconIndex. OLE must
// be initialised on the calling thread; failing to create the shell object
// raises EOleSysError. Whether the file got written is not reported.
void CreateShellLink(const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments, int iconIndex);
