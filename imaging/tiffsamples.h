// Row shaping the TIFF reader does before rows reach the colour manager:
// samples past the ones a colour scheme reads, and indices of depths no bitmap holds, which are looked up
// into colours here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Copies the first Keep of every Samples samples of Count pixels, samples of
// BytesPerSample bytes each; Target holds Count * Keep samples after it.
void KeepLeadingSamples(const uint8_t* Source, uint8_t* Target, uint32_t Count, uint32_t Samples,
                        uint32_t Keep, uint32_t BytesPerSample);

// The first sample of each pixel (1 to 16 bits, most significant bit first;
// 16-bit samples in the file's byte order) as an index into a table of
// blue, green, red colours. An index the colour map does not reach shows
// black.
class TSampleLookup {
public:
  TSampleLookup(uint32_t BitsPerSample, uint32_t SamplesPerPixel, bool BigEndian);
  // Entry i of the table: 16-bit red, green and blue values (a TIFF colour
  // map: all red values, then all green, then all blue) or grey levels.
  void SetColorMap(const std::vector<uint32_t>& Map);
  void SetGrayRamp(bool MinIsWhite);
  // Count pixels of Source into Target as 24-bit blue, green, red.
  void Row(const uint8_t* Source, uint8_t* Target, uint32_t Count) const;

private:
  uint32_t bits_;
  uint32_t step_;  // bits from one pixel to the next
  bool bigEndian_;
  std::vector<uint8_t> colors_;  // 3 bytes an entry, 2^bits entries
};
