// The modified Huffman code words of ITU-T T.4, as bit strings, most
// significant bit first.
#pragma once

#include <cstdint>

struct TCCITTCode {
  const char* Bits;
  int32_t RunLength;
};

// Runs 0 to 63, then the make-up codes 64 to 1728, for each colour.
extern const TCCITTCode kWhiteCodes[];
extern const int kWhiteCodeCount;
extern const TCCITTCode kBlackCodes[];
extern const int kBlackCodeCount;
// Make-up codes 1792 to 2560, shared by both colours.
extern const TCCITTCode kExtendedMakeUpCodes[];
extern const int kExtendedMakeUpCodeCount;
