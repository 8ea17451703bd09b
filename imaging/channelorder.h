// Whole rows of 8-bit RGB pixels put into the opposite channel order (RGB to
// BGR and back), the step every true-colour picture takes into a bitmap.
#pragma once

#include <cstdint>

// Count pixels of three bytes from Source into Target, first and third byte
// swapped. Target may be Source itself (in place), or must not overlap it.
void ReverseChannels3(const uint8_t* Source, uint8_t* Target, uint32_t Count);
// The same for pixels of four bytes (the fourth, alpha, stays in place).
void ReverseChannels4(const uint8_t* Source, uint8_t* Target, uint32_t Count);
