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

// Uncompressed rows are their own bytes: a file cut short by a little still
// shows the rows it holds, but one that lacks more than this of its picture
// is refused before the bitmap is made.
inline constexpr uint64_t kMostRawShortfall = 64 * 1024;
inline void NeedRawBytes(uint64_t StoredBytes, uint64_t ImageBytes) {
  if (ImageBytes > StoredBytes && ImageBytes - StoredBytes > kMostRawShortfall)
    throw EReadError("Stream read error");
}

// Dictionary codes (deflate, LZW) pack a picture of one colour a thousand
// times and more. Such a ratio is believed up to a picture of moderate size;
// a larger one must bring at least one byte for every
// kLargePictureExpansion it unpacks to, so that a small file never makes a
// huge bitmap.
inline constexpr uint64_t kMaxDeflateExpansion = 1032;
// A 12-bit code names a string of at most 4,096 bytes (a full table that is
// never cleared can repeat its longest one): under 2,731 bytes per byte.
inline constexpr uint64_t kMaxLzwExpansion = 2731;
inline constexpr uint64_t kLargePictureExpansion = 256;
inline constexpr uint64_t kFlatPictureBytes = 32 * 1024 * 1024;
// Whether a large picture comes with too few bytes for that rule.
inline bool TooThinForItsSize(uint64_t PackedBytes, uint64_t UnpackedBytes) {
  return UnpackedBytes > kFlatPictureBytes && UnpackedBytes / kLargePictureExpansion > PackedBytes;
}
inline void NeedDictionaryBytes(uint64_t PackedBytes, uint64_t UnpackedBytes, uint64_t MaxExpansion) {
  NeedPackedBytes(PackedBytes, UnpackedBytes, MaxExpansion);
  if (TooThinForItsSize(PackedBytes, UnpackedBytes)) throw EReadError("Stream read error");
}
