// The compiled-help (.chm) text extractor. The system's help decompiler
// unpacks the file into a folder of its own, and every HTML, text and XML
// page found below that folder is appended whole, tags and all, in the
// page's own encoding. When the decompiler writes no page, the program's own
// reader (search/extract/chmpages.h) extracts them into that folder instead.
// Either way the text is bounded by the reader's limits (TChmLimits).
// Windows only: the decompiler is a Windows program.
#pragma once

#include <cstdint>
#include <string>

#include "search/extract/textextractor.h"

class TChm2Text : public TTextExtractor {
public:
  // Decompiles and collects at once; the calling thread waits for the
  // decompiler, at most as long as RunAndWait's time-out. A file neither the
  // decompiler nor the reader can read gives no text. The extraction folder
  // is removed before the constructor returns or throws.
  explicit TChm2Text(const std::string& fileName);

private:
  // What the pages appended may still add up to.
  struct TCollectBudget {
    uint32_t pages;
    uint64_t bytes;
  };
  // Appends the pages below folder within budget; returns how many.
  int Collect(const std::string& folder, TCollectBudget& budget);
};

// Creates a new, empty folder inside parent (which must end in "\") named
// prefix and eight hexadecimal digits, trying the numbers from first on until
// the system creates one: a folder that already exists is never taken, so two
// extractions running at once never share one. Missing parents are created.
// Returns the folder's path without a trailing "\"; raises EOSError when no
// folder can be created.
std::string CreateExtractionFolder(const std::string& parent, const std::string& prefix, uint32_t first);
