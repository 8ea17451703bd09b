// One image file directory (IFD) of a TIFF file and the tag lookups the
// TIFF reader makes in it.
//
// Format notes: an IFD is a 16-bit entry count, that many 12-byte entries
// (tag, field type, value count, value or offset) and the 32-bit offset of
// the next IFD, all in the file's byte order. An entry's values stand in its
// last four bytes, left-justified, when they fit there; otherwise those bytes
// hold the offset of the values, counted from the start of the TIFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/imageproperties.h"

class TStream;

struct TIFDEntry {
  uint16_t Tag = 0;
  uint16_t Type = 0;
  uint32_t Count = 0;
  uint8_t Value[4] = {};  // as stored: the values themselves, or their offset
};

class TTIFFDirectory {
public:
  // Reads the IFD at Base + Offset: its entries, sorted by tag, and the
  // offset of the next one. Entries the stream does not hold raise
  // EReadError.
  void Read(TStream& Stream, int64_t Base, uint32_t Offset, bool BigEndian);

  const std::vector<TIFDEntry>& Entries() const { return entries_; }
  uint32_t NextOffset() const { return nextOffset_; }

  // True and the entry's index when Tag is present; otherwise false and the
  // index at which it would stand.
  bool FindTag(uint16_t Tag, size_t& Index) const;
  // The tag's first value when it is an integer that stands in the entry
  // itself (BYTE, SHORT, LONG and their signed kinds); Default otherwise.
  uint32_t GetValue(uint16_t Tag, uint32_t Default) const;
  // Number of values of the tag (0 when absent).
  uint32_t GetCount(uint16_t Tag) const;

  // The tag's values, at most MaxCount of them: integers (rationals give
  // their integer quotient), floats (rationals as quotients), or bytes (the
  // low 8 bits of wider integers). Absent tags give an empty list; values
  // outside the stream raise EReadError.
  TCardinalArray GetValueList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const;
  std::vector<float> GetFloatList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const;
  TByteArray GetByteList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const;
  // A single value as a float (integers by value, rationals as quotients,
  // FLOAT and DOUBLE as stored); Default when absent or of several values.
  float GetFloatValue(TStream& Stream, uint16_t Tag, float Default) const;

  // Bytes of one value of a field type (0 for types this reader does not know).
  static uint32_t TypeSize(uint16_t Type);

private:
  // The raw bytes of the tag's first Count values (in the file's order).
  std::vector<uint8_t> RawValues(TStream& Stream, const TIFDEntry& Entry, uint32_t Count) const;
  double NumberAt(const uint8_t* p, uint16_t Type) const;

  std::vector<TIFDEntry> entries_;
  uint32_t nextOffset_ = 0;
  int64_t base_ = 0;
  bool bigEndian_ = false;
};
