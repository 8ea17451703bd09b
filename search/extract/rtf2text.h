// The RTF text extractor: drops control words and braces and keeps the text
// between them, as raw bytes in the document's own encoding.
#pragma once

#include <string>
#include <string_view>

#include "search/extract/textextractor.h"

class TRtf2Text : public TTextExtractor {
public:
  // Raises the file stream's EFOpenError when the file cannot be read.
  explicit TRtf2Text(const std::string& fileName);
  // The same conversion of all of source.
  explicit TRtf2Text(TStream& source);

private:
  void Convert(std::string_view data);
};
