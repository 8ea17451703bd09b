// The shell utility functions in one include: item-identifier lists, file
// information, the shell's dialogs and file operations, shortcuts, folders
// and running programs.
#pragma once

#include "shell/fileinfo.h"
#include "shell/fileops.h"
#include "shell/folders.h"
#include "shell/owners.h"
#include "shell/pidls.h"
#include "shell/runandwait.h"
#include "shell/shelllink.h"
