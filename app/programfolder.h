// Where the program's own files lie.
#pragma once

#include <string>

// The folder of the running program's file, with its trailing "\".
std::string ProgramFolder();
// The running program's file.
std::string ProgramFileName();
