// The program's entry point. The main window does not exist yet: the program
// starts and ends without showing anything.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
