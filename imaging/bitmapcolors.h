// The colours of an indexed bitmap made from a file's palette.
#pragma once

#include <vector>

#include "classlib/bitmap.h"
#include "classlib/palette.h"

// Gives the bitmap a palette of the entries. An indexed bitmap gets one
// entry for every index its pixels can hold: those the file did not list are
// black, so a pixel whose index lies past a short palette shows black rather
// than a colour from beyond it.
void SetBitmapColors(TBitmap& bitmap, std::vector<TPaletteEntry> entries);
