// The PDF text extractor: no PDF parser, just the file's lines with every
// Flate-compressed stream that is no RGB image inflated in place, and then
// the contents of every literal and hexadecimal string in those lines. The
// inflated streams of one document share one cap (kMaxInflatedBytes): once
// it is used up the streams left are not inflated. The text is capped as
// every document's is (kMaxDocumentTextBytes): what would pass it is not
// written.
//
// Memory: the file's bytes once, each inflated stream's text once (the
// pieces of text are views into those, a few per stream however many lines
// there are), and the text, which is sized before it is written.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/extract/textextractor.h"

class TPdfTextOut;

class TPDF2Text : public TTextExtractor {
public:
  // Raises the file stream's EFOpenError when the file cannot be read, and
  // EStringListError when a "stream" line has no dictionary before it.
  explicit TPDF2Text(const std::string& fileName);
  // The same conversion of all of source.
  explicit TPDF2Text(TStream& source);

  // What the strings are taken from, in file order: each run of lines
  // outside the streams as the one view of the file's bytes they lie in,
  // line breaks and all, and each inflated stream's text up to its first
  // NUL, which counts as one line whatever it holds.
  struct TPiece {
    std::string_view Bytes;
    bool Inflated = false;
  };
  const std::vector<TPiece>& Pieces() const { return pieces_; }

private:
  struct TFreeBlock {
    void operator()(char* block) const { std::free(block); }
  };

  void Convert(std::string data);
  void SplitStreams();
  // Writes the strings' contents to out until it is full.
  void ExtractStrings(TPdfTextOut& out) const;
  // Follows what the dictionary of the next stream holds.
  void NoteLine(std::string_view line);
  void AddInflated(std::string_view data);

  std::string data_;  // the file's bytes, which the lines outside streams view
  std::vector<std::unique_ptr<char, TFreeBlock>> inflated_;
  std::vector<TPiece> pieces_;
  // What the inflated streams of this document may still add up to.
  size_t inflateBudget_ = 0;
  // The dictionary of a stream is every line from the last one holding "<<"
  // to the "stream" line, joined; these track what that text holds so far.
  bool hasDictionary_ = false;
  bool dictionaryHasFlate_ = false;
  bool dictionaryHasRgb_ = false;
  std::string dictionaryTail_;
};

uint8_t PdfOctalToByte(std::string_view digits);
std::string PdfHexToAnsi(std::string_view hex);
std::string PdfHexToText(std::string_view hex);
