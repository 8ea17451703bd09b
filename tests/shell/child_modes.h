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
// lives, then waits for the event NAME-release to be set, for at most a
// minute: longer than RunAndWait waits for a console's host, so it is gone
// when RunAndWait returns only if RunAndWait ended it.
constexpr char kGrandchild[] = "--grandchild";
constexpr DWORD kGrandchildLife = 60000;
