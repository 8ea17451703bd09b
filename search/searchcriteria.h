// What a search looks for, built from the main window's fields: the mask
// text from the file name and the chosen file type, the size limit, the
// code-page set, and the checks that keep a typed name from turning into
// wildcards it never asked for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/datetime.h"
#include "search/codepageset.h"

class TFindFile;

// The mask text of a file-type line: the text after its first "(" (from its
// start when there is none) up to its first ")"; empty when there is no ")"
// or it comes before that start. "Text files: (*.txt)" gives "*.txt".
std::string ExtractTypeMasks(std::string_view entry);

// The mask text of a search from the typed name and the type's masks: a
// name holding "." stands alone; otherwise "name*" goes before every "." of
// the type masks ("abc" with "*.doc; *.rtf" gives "*abc*.doc; *abc*.rtf").
// Type masks without a "." are kept as they are, except that a typed name
// never vanishes into an empty mask text: it becomes "*name*".
std::string BuildNameMask(std::string_view name, std::string_view typeMasks);

// The file-name field's text for a file given on the command line: the part
// after the last "\" or ":", with every character the mask syntax would cut
// at or read as a set replaced by "?", so that the name matches itself. It
// stays wide: a letter the code page cannot hold must reach the field as
// itself, where it is refused, never as a "?" that matches anything.
std::wstring MaskFromFileArgument(std::wstring_view path);

// The options' code-page boxes as a set: 255 for "all", else the sum of the
// ticked ones, and "Windows" alone when none is ticked.
struct TCodePageChoice {
  bool All = false;
  bool Ansi = false;
  bool Oem = false;
  bool Koi8 = false;
  bool Wp5Dos = false;
  bool Unicode = false;
  bool Utf8 = false;
};
TCodePageSet CodePageSetOf(const TCodePageChoice& choice);

// The size limit of the "Size" box: the number typed (0 when it is not a
// number), times the unit (0 bytes, 1 KByte, 2 MByte; saturating instead of
// overflowing), compared as the chosen item says (0 "=", 1 "at most",
// 2 "at least"; anything else lets every size pass).
class TSizeLimit {
public:
  TSizeLimit() = default;
  TSizeLimit(std::string_view text, int unitIndex, int compareIndex);
  bool Accepts(int64_t size) const;
  int64_t Bytes() const { return bytes_; }

private:
  bool active_ = false;
  int compare_ = -1;
  int64_t bytes_ = 0;
};

// The position of the first character of text that the ANSI code page
// cannot hold exactly (a lookalike such as "8" for "∞" counts as not held),
// or std::wstring_view::npos. Such a character would reach the masks as "?"
// and match anything.
size_t FindCharOutsideAnsi(std::wstring_view text);

// Everything one search looks for, read once when it starts and given to
// each of its threads.
struct TSearchCriteria {
  std::string MaskText;
  std::wstring ContainsText;
  std::wstring NotContainsText;
  bool CaseSensitive = false;
  TCodePageSet CodePages = cpAnsi;
  bool UseDates = false;
  TDateTime DateFrom = 0;
  TDateTime DateTo = 0;  // the moment the range ends, inclusive
  bool InZip = false;
  TSizeLimit SizeLimit;  // applied to the hits as they arrive
};

// The last moment of the day value falls on, so that a range "to" a day
// holds all of that day.
TDateTime EndOfDay(TDateTime value);

// Sets a thread's masks, texts, case, code pages, dates and zip flag.
void ConfigureSearchThread(TFindFile& thread, const TSearchCriteria& criteria);
