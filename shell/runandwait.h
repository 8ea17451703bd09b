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
// time-out passed or the stop hook asked for it. Returns once the host of
// the new console has ended too, unless the stop hook asks to stop first.
int RunAndWait(const std::string& commandLine, const std::string& workFolder, int showCmd);

// The hook (nullptr: never stop early). Set it once, before threads run
// programs; reading and writing it is safe from any thread.
void SetRunAndWaitShouldStop(TRunAndWaitShouldStop hook);
TRunAndWaitShouldStop RunAndWaitShouldStop();

// How long RunAndWait lets a program run; INFINITE (0xFFFFFFFF) never ends it.
void SetRunAndWaitTimeout(uint32_t milliseconds);
uint32_t RunAndWaitTimeout();
