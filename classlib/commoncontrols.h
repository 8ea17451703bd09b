// Registers the window classes of the common controls a control is about to
// use (ICC_ flags), once per set.
#pragma once

#include <windows.h>

void InitCommonControlClasses(DWORD classes);
