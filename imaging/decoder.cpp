#include "imaging/decoder.h"

void CompressionError(const std::string& Message) { throw EGraphicCompression(Message); }
