// zlib's inflate as buffer-to-buffer calls: zlib-format data (PDF streams)
// and raw deflate data (zip entries).
#pragma once

#include <cstddef>
#include <cstdint>

#include "classlib/exceptions.h"

class EZLibError : public Exception { using Exception::Exception; };
class EZDecompressionError : public EZLibError { using EZLibError::EZLibError; };
class EZDecompressBufError : public EZLibError { using EZLibError::EZLibError; };

// No output may grow past this: a 32-bit process has no room for more, and
// no document we search holds that much text.
constexpr uint64_t kMaxInflatedBytes = 256u * 1024 * 1024;

enum TZInflateResult {
  zrComplete,   // the data reached its end marker
  zrTruncated,  // the input stopped before the end marker; the output so far is kept
  zrDamaged,    // corrupt data or output over kMaxInflatedBytes; no output
};

// zlib's text for a result code ("data error" for -3 and so on).
const char* ZErrorText(int code);

// Raises EZDecompressBufError for -5 and EZDecompressionError for any other
// negative code, with zlib's text; returns other codes unchanged.
int ZDecompressCheck(int code);

// Both calls allocate *outBuf with malloc (release it with std::free) and set
// outBytes to the bytes produced. outEstimate is the expected output size
// (0: unknown); the output grows past it when the data holds more.

// zlib-format data. Input that stops before the end of the stream gives what
// was inflated before the cut (zrTruncated). Corrupt data or output over
// kMaxInflatedBytes raises an EZLibError and leaves nothing to release.
TZInflateResult ZDecompress(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                            size_t& outBytes);

// Raw deflate data (no header, no checksum). Raises nothing: damaged data
// gives zrDamaged with outBuf null and outBytes 0.
TZInflateResult ZDecompressRaw(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                               size_t& outBytes);
