// zlib's inflate as buffer-to-buffer calls: zlib-format data (PDF streams)
// and raw deflate data (zip entries).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "classlib/exceptions.h"

class EZLibError : public Exception { using Exception::Exception; };
class EZDecompressionError : public EZLibError { using EZLibError::EZLibError; };
class EZDecompressBufError : public EZLibError { using EZLibError::EZLibError; };

// No output may grow past this unless the caller allows more: a search runs
// in a 32-bit process beside others, and no document part we search holds
// that much text.
constexpr uint64_t kMaxInflatedBytes = 64u * 1024 * 1024;

// Deflate's largest ratio of output to input: one bit can stand for 258
// bytes at most, so no valid stream inflates to more than this many bytes
// per input byte (plus a few for the last block).
constexpr uint64_t kMaxDeflateRatio = 1032;

enum TZInflateResult {
  zrComplete,   // the data reached its end marker
  zrTruncated,  // the input stopped before the end marker; the output so far is kept
  zrDamaged,    // corrupt data or output over kMaxInflatedBytes; no output
  zrStopped,    // the caller took no more pieces (ZDecompressRawInPieces only)
};

// zlib's text for a result code ("data error" for -3 and so on).
const char* ZErrorText(int code);

// Raises EZDecompressBufError for -5 and EZDecompressionError for any other
// negative code, with zlib's text; returns other codes unchanged.
int ZDecompressCheck(int code);

// Both calls allocate *outBuf with malloc (release it with std::free) and set
// outBytes to the bytes produced. outEstimate is the expected output size
// (0: unknown); the output grows past it when the data holds more, up to
// outLimit: more output than that is damage. The first buffer is no larger
// than the estimate, than the most the input can inflate to, nor than a few
// MiB, so that damaged data costs little; it grows only as output comes.

// zlib-format data. Input that stops before the end of the stream gives what
// was inflated before the cut (zrTruncated). Corrupt data or output over
// outLimit raises an EZLibError and leaves nothing to release.
TZInflateResult ZDecompress(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                            size_t& outBytes, size_t outLimit = kMaxInflatedBytes);

// Raw deflate data (no header, no checksum). Raises nothing: damaged data,
// or output over outLimit, gives zrDamaged with outBuf null and outBytes 0.
TZInflateResult ZDecompressRaw(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                               size_t& outBytes, size_t outLimit = kMaxInflatedBytes);

// Takes the next piece of inflated output, valid only during the call;
// answers whether to go on.
using TInflatedPieceSink = std::function<bool(const uint8_t* piece, size_t bytes)>;

// Raw deflate data inflated a piece at a time, never held whole: for data
// whose output may be far larger than anyone keeps, of which the caller
// wants only the start. Output over outLimit is damage; zrDamaged and
// zrTruncated may come after pieces were taken, and damage found past the
// output take last wanted gives zrStopped. What take raises passes to the
// caller.
TZInflateResult ZDecompressRawInPieces(const void* inBuf, size_t inBytes, uint64_t outLimit,
                                       const TInflatedPieceSink& take);
