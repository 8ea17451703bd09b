// Arguments that make the test program act as a child for RunAndWait.
#pragma once

// "--child-exit N": ends at once with exit code N.
constexpr char kChildExit[] = "--child-exit";
// "--child-hang NAME": creates the named event NAME, then waits forever.
constexpr char kChildHang[] = "--child-hang";
// "--child-touch FILE": creates FILE (relative to its current folder).
constexpr char kChildTouch[] = "--child-touch";
