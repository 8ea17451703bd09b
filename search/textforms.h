// The forms of a search text in every encoding the matcher knows: the text
// itself, its upper- and lower-case forms, each as UTF-16, UTF-8, Ansi, OEM
// and KOI8-R bytes, and whether each encoding can hold the text at all.
#pragma once

#include <string>

#include "search/codepageset.h"

enum TCaseForm { cfNormal, cfUpper, cfLower, cfCount };

struct TTextForms {
  std::wstring Wide[cfCount];
  std::string Utf8[cfCount];
  std::string Ansi[cfCount];
  std::string Oem[cfCount];
  std::string Koi8[cfCount];
  // False when converting the text needed the code page's default character:
  // such an encoding is not searched, so that "?" runs never count as a hit.
  // OEM and KOI8-R are derived from the Ansi form, so they need it too.
  bool AnsiUsable = false;
  bool OemUsable = false;
  bool Utf8Usable = false;
};

// Builds the forms of text. With cpWp5Dos in codePages and OEM forms of equal
// length, cpOem is added to codePages and every "-" of the OEM forms becomes
// 0xA9, as that word processor stores it.
TTextForms BuildTextForms(const std::wstring& text, TCodePageSet& codePages);
