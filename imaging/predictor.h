// Undoing TIFF's horizontal differencing (predictor 2) on decoded rows.
#pragma once

#include <cstddef>
#include <cstdint>

// Rows of pixels of 1, 3 or 4 bytes: each byte from the second pixel on gets
// the byte one pixel before it added (mod 256). The row holds Count + 1 pixels.
void AccumulateBytes1(uint8_t* Row, uint32_t Count);
void AccumulateBytes3(uint8_t* Row, uint32_t Count);
void AccumulateBytes4(uint8_t* Row, uint32_t Count);

// Undoes the predictor on one row of Width pixels of SamplesPerPixel samples,
// each sample on its own: bytes for 8-bit samples, 16-bit words (in the file's
// byte order) for 16-bit ones. Nothing past RowBytes is touched. Other sample
// sizes raise EGraphicCompression.
void UndoHorizontalPredictor(uint8_t* Row, size_t RowBytes, uint32_t Width,
                             uint32_t SamplesPerPixel, uint32_t BitsPerSample, bool BigEndian);
