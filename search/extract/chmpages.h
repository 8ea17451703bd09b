// Takes the text pages (HTML, text and XML files) out of a compiled help
// (.chm) file with libmspack, reading through a stream and handing each page
// to a sink, so the pages can go to a folder or stay in memory. The help
// file's bytes are untrusted: what one file may give is bounded, and a page
// whose name would leave the folder it is extracted into is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/streams.h"

// What one help file may give. A page that would pass a limit is not taken;
// the pages taken before it stand.
struct TChmLimits {
  uint32_t pages = 20000;              // pages taken
  uint64_t bytes = uint64_t{64} << 20;  // bytes of all pages taken
  // Bytes the decompressor may produce, the ones it skips to reach a page
  // included: a few compressed bytes can stand for very many.
  uint64_t decoded = uint64_t{256} << 20;
  uint64_t read = uint64_t{256} << 20;   // bytes read from the help file
  // The reader's own memory at one time, the list of pages included; each
  // block counts with what the heap adds to it.
  uint64_t memory = uint64_t{64} << 20;
};

// Receives the pages, one at a time.
class TChmPageSink {
public:
  virtual ~TChmPageSink() = default;
  // A page begins; parts are its name's parts as ChmPagePath gives them.
  // False skips the page.
  virtual bool BeginPage(const std::vector<std::string>& parts) = 0;
  // More of the page's bytes; false gives the page up (it then ends
  // incomplete).
  virtual bool WritePage(const void* data, size_t size) = 0;
  // The page is over. An incomplete page (cut short, damaged, given up) is
  // to be dropped whole: part of a page may hold a damaged one's bytes.
  virtual void EndPage(bool complete) = 0;
};

// True for the names of the pages taken: ".htm", ".html", ".txt" or ".xml"
// at the end, in any case.
bool IsChmTextPage(std::string_view name);

// The parts of a page's name inside the help file, which begins with "/" and
// separates folders with "/" ("/topics/a.htm" gives "topics", "a.htm").
// Nothing when the name could reach outside the folder the page is extracted
// into or name something there that is no plain file: an empty part, "." or
// "..", a part ending in "." or " " (which the system drops), a "\", ":",
// control or wildcard character, or a device name (CON, NUL, COM1...).
std::optional<std::vector<std::string>> ChmPagePath(std::string_view name);

// Hands every text page of the help file in source, within limits, to sink;
// returns the number of pages completed. A source that is no help file, or a
// damaged one, gives fewer pages or none, never an exception; what the sink's
// BeginPage or EndPage throws reaches the caller. Pages come in the order
// that decodes each part of the file once, not in the directory's order.
// Compressed pages are read only from a file whose directory lists the
// entries that describe the compressed section.
int ExtractChmPages(TStream& source, TChmPageSink& sink, const TChmLimits& limits = {});
