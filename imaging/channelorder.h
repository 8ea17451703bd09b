// Whole rows of 8-bit RGB pixels put into the opposite channel order (RGB to
// BGR and back), or gathered from one plane per channel, the step every
// true-colour picture takes into a bitmap.
#pragma once

#include <cstdint>

// Count pixels of three bytes from Source into Target, first and third byte
// swapped. Target may be Source itself (in place), or must not overlap it.
void ReverseChannels3(const uint8_t* Source, uint8_t* Target, uint32_t Count);
// The same for pixels of four bytes (the fourth, alpha, stays in place).
void ReverseChannels4(const uint8_t* Source, uint8_t* Target, uint32_t Count);

// Count pixels gathered from planes of one byte per pixel: the pixel i of
// Target gets First[i], Second[i], Third[i] (and Fourth[i] in the four-byte
// form). Target must not overlap the planes.
void InterleavePlanes3(const uint8_t* First, const uint8_t* Second, const uint8_t* Third, uint8_t* Target,
                       uint32_t Count);
void InterleavePlanes4(const uint8_t* First, const uint8_t* Second, const uint8_t* Third,
                       const uint8_t* Fourth, uint8_t* Target, uint32_t Count);
