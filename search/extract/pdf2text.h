// The PDF text extractor: no PDF parser, just the file's lines with every
// Flate-compressed stream that is no RGB image inflated in place, and then
// the contents of every literal and hexadecimal string in those lines. The
// inflated streams of one document share one cap (kMaxInflatedBytes): once
// it is used up the streams left are not inflated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/stringlist.h"
#include "search/extract/textextractor.h"

class TPDF2Text : public TTextExtractor {
public:
  // Raises the file stream's EFOpenError when the file cannot be read, and
  // EStringListError when a "stream" line has no dictionary before it.
  explicit TPDF2Text(const std::string& fileName);
  // The same conversion of all of source.
  explicit TPDF2Text(TStream& source);

  TStringList& Lines() { return lines_; }

  void SplitStreams(std::string_view data);
  void ExtractStrings();

private:
  void Convert(std::string_view data);
  void AddLine(std::string line);

  TStringList lines_;
  // What the inflated streams of this document may still add up to.
  size_t inflateBudget_;
  // The dictionary of a stream is every line from the last one holding "<<"
  // to the "stream" line, joined; these track what that text holds so far.
  int dictionaryLine_ = -1;
  bool dictionaryHasFlate_ = false;
  bool dictionaryHasRgb_ = false;
  std::string dictionaryTail_;
};

uint8_t PdfOctalToByte(std::string_view digits);
std::string PdfHexToAnsi(std::string_view hex);
std::string PdfHexToText(std::string_view hex);
