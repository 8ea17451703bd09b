// The jump out of libjpeg's fatal-error callback back to the call that
// guarded it. The Windows C library's longjmp unwinds the system's
// exception frames between the two points as it goes, taking frames it did
// not set for its own (a known fault of this compiler's setjmp there), and a
// process that had jumped out of libjpeg so at times crashed later, at its
// exit. The compiler's own jump only restores the registers, which is all
// that is wanted; elsewhere the C library's jump is kept (the address
// sanitizer follows it).
#pragma once

#include <csetjmp>

#if defined(_WIN32)
using TJpegJumpBuffer = void* [5];
#define JPEG_SET_JUMP(buffer) __builtin_setjmp(buffer)
#define JPEG_LONG_JUMP(buffer) __builtin_longjmp(buffer, 1)
#else
using TJpegJumpBuffer = std::jmp_buf;
#define JPEG_SET_JUMP(buffer) setjmp(buffer)
#define JPEG_LONG_JUMP(buffer) std::longjmp(buffer, 1)
#endif
