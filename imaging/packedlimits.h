// A plausibility test for compressed image data, made before the bitmap is:
// a file cannot describe more pixels than its packing scheme's best ratio
// allows, so a tiny file that declares a huge picture is refused instead of
// making a bitmap it can never fill.
#pragma once

#include <cstdint>

#include "classlib/exceptions.h"
#include "classlib/streams.h"
#include "imaging/readerhelpers.h"

// Raises the class library's EReadError when PackedBytes, expanded by at
// most MaxExpansion, cannot give UnpackedBytes.
inline void NeedPackedBytes(uint64_t PackedBytes, uint64_t UnpackedBytes, uint64_t MaxExpansion) {
  if (MaxExpansion == 0 || UnpackedBytes / MaxExpansion > PackedBytes)
    throw EReadError("Stream read error");
}
inline void NeedPackedBytes(TStream& Stream, uint64_t UnpackedBytes, uint64_t MaxExpansion) {
  NeedPackedBytes(static_cast<uint64_t>(BytesLeft(Stream)), UnpackedBytes, MaxExpansion);
}
