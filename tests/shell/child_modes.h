// Arguments that make the test program act as a child for RunAndWait.
#pragma once

#include <windows.h>

// "--child-exit N": ends at once with exit code N.
constexpr char kChildExit[] = "--child-exit";
// "--child-hang NAME": creates the named event NAME, then waits forever.
constexpr char kChildHang[] = "--child-hang";
// "--child-touch FILE": creates FILE (relative to its current folder).
constexpr char kChildTouch[] = "--child-touch";
// "--child-leave-grandchild NAME": starts "--grandchild NAME" on the console
// it was given, creates the named event NAME once the grandchild has set the
// event NAME-grandchild, then waits forever.
constexpr char kChildLeaveGrandchild[] = "--child-leave-grandchild";
// "--grandchild NAME": sets the event NAME-grandchild, which exists while it
// lives, then waits for the event NAME-release to be set, for at most 10 s:
// less than RunAndWait waits for a console host, so a wait for the host
// outlasts it, yet ten times what a stop takes on a loaded machine.
constexpr char kGrandchild[] = "--grandchild";
constexpr DWORD kGrandchildLife = 10000;
