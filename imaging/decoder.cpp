#include "imaging/decoder.h"

void CompressionError(const std::string& Message) { throw EGraphicCompression(Message); }

void TDecoder::DecodeBegin(const uint8_t*, int64_t) { CompressionError("This compression is not decoded in pieces."); }

uint64_t TDecoder::DecodeNext(uint8_t*, int64_t) { CompressionError("This compression is not decoded in pieces."); }
