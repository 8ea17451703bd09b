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
  // The OEM forms with every "-" stored as 0xA9, as that DOS word processor
  // keeps it; searched besides the plain OEM forms.
  std::string Wp5[cfCount];
  // Each 8-bit encoding is searched only when its code page holds the text
  // exactly: never runs of "?", never lookalikes ("8" for the infinity sign).
  bool AnsiUsable = false;
  bool OemUsable = false;
  bool Koi8Usable = false;
  bool Wp5Usable = false;
  bool Utf8Usable = false;
};

// Builds the forms of text. With cpWp5Dos in codePages, cpOem is added to
// codePages; the WP5 forms are usable when the OEM forms hold a "-".
TTextForms BuildTextForms(const std::wstring& text, TCodePageSet& codePages);
