// Running a program and waiting for it to end. Any thread may call this.
#pragma once

#include <cstdint>
#include <string>

// Asked while RunAndWait waits; true means the calling thread wants to stop
// waiting (it has been told to terminate). Called on RunAndWait's thread.
using TRunAndWaitShouldStop = bool (*)();

constexpr uint32_t kRunAndWaitDefaultTimeout = 60000;  // milliseconds

// Starts commandLine in a new console, shown as showCmd (a SW_* value), in
// workFolder ("" for the caller's), and waits for it. The program's exit
// code; -1 when it could not be started, or when it was ended because the
// time-out passed or the stop hook asked for it. A program so ended is ended
// with everything it started, its console's host included, and RunAndWait
// returns once they are gone. After a program that ends by itself it waits
// for the host of the new console too, unless the stop hook asks to stop.
int RunAndWait(const std::string& commandLine, const std::string& workFolder, int showCmd);

// The hook (nullptr: never stop early). Set it once, before threads run
// programs; reading and writing it is safe from any thread.
void SetRunAndWaitShouldStop(TRunAndWaitShouldStop hook);
TRunAndWaitShouldStop RunAndWaitShouldStop();

// How long RunAndWait lets a program run; INFINITE (0xFFFFFFFF) never ends it.
void SetRunAndWaitTimeout(uint32_t milliseconds);
uint32_t RunAndWaitTimeout();
