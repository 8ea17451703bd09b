// Word document text against a bare inflate of the same document part into
// one block, measured in the same run: the converter takes the part out of
// the archive, inflates it and drops its tags; the reference only inflates
// it. Documents of ordinary sizes (document parts of 0.5, 4 and 32 MiB),
// made in memory of paragraphs as a word processor writes them: runs with
// their properties around words of several languages in UTF-8. The best of
// several rounds counts, the two sides taking turns.
//
// A second line times a crafted document whose part is a paragraph and then
// 4 GiB of run formatting (12 MB deflated), against the same bare inflate
// of the 32 MiB part: the converter reads only the start of such a part.
//
//   docx_bench [rounds]     (default 7)
//
// Details go to stderr; stdout gets the two result lines.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/stopwatch.h"
#include "classlib/streams.h"
#include "search/extract/file2text.h"
#include "search/extract/zinflate.h"
#include "tests/search/zip_fixtures.h"

namespace {

const char* const kWords[] = {
    "the",   "quick",  "brown",  "fox",   "jumps", "over",   "lazy", "dog",    "report", "quarterly",
    "caf\xC3\xA9", "na\xC3\xAFve", "\xD0\xBA\xD1\x83\xD1\x80\xD0\xB8\xD1\x86\xD0\xB0", "\xE2\x82\xAC" "12,50",
    "Stra\xC3\x9F" "e", "2024", "and", "of", "to", "in", "is", "results", "window", "folder",
};

struct Rng {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  }
};

std::string DocumentPart(size_t bytes) {
  Rng rng{bytes};
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document><w:body>";
  while (xml.size() < bytes) {
    xml += "<w:p w:rsidR=\"00A1\"><w:pPr><w:pStyle w:val=\"Normal\"/><w:spacing w:after=\"120\"/></w:pPr>";
    for (uint32_t runs = 1 + rng.Next() % 4; runs > 0; --runs) {
      xml += rng.Next() % 3 == 0 ? "<w:r><w:rPr><w:b/><w:lang w:val=\"en-GB\"/></w:rPr><w:t xml:space=\"preserve\">"
                                 : "<w:r><w:t xml:space=\"preserve\">";
      for (uint32_t words = 2 + rng.Next() % 12; words > 0; --words) {
        xml += kWords[rng.Next() % (sizeof kWords / sizeof kWords[0])];
        xml += ' ';
      }
      xml += "</w:t></w:r>";
    }
    xml += "</w:p>";
  }
  return xml + "</w:body></w:document>";
}

// One conversion of the document, as a search makes it; answers the bytes
// of text it gave.
int64_t TextBytesOf(const std::string& docx) {
  TStringStream source(docx);
  TW072Text converter;
  converter.CreateFromStream(source);
  return converter.Output().Size();
}

// A paragraph of text, then empty runs with their properties to 4 GiB.
std::string CraftedDocx() {
  std::string markup;
  while (markup.size() < (1u << 20)) markup += "<w:r><w:rPr><w:b/><w:i/><w:sz w:val=\"24\"/></w:rPr></w:r>";
  const std::string paragraph = "<w:p><w:r><w:t>the only text</w:t></w:r></w:p>";
  const std::string block = search_test::DeflatedAlone(markup);
  std::string deflated = search_test::DeflatedAlone(paragraph);
  uint64_t size = paragraph.size();
  for (; size + markup.size() <= UINT32_MAX; size += markup.size()) deflated += block;
  deflated += search_test::kLastEmptyBlock;
  return search_test::OneEntryZip("word/document.xml", deflated, 0, static_cast<uint32_t>(size));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  std::string line;
  double inflateLargest = 0;
  for (size_t partBytes : {size_t{512} << 10, size_t{4} << 20, size_t{32} << 20}) {
    const std::string part = DocumentPart(partBytes);
    uint32_t crc = 0;
    const std::string deflated = search_test::DeflateRepeated(part, part.size(), true, &crc);
    const std::string docx =
        search_test::OneEntryZip("word/document.xml", deflated, crc, static_cast<uint32_t>(part.size()));
    double ours = 1e9, theirs = 1e9;
    int64_t textBytes = 0;
    for (int r = 0; r < rounds; ++r) {
      ours = std::min(ours, SecondsOf([&] { textBytes = TextBytesOf(docx); }));
      theirs = std::min(theirs, SecondsOf([&] {
        void* out = nullptr;
        size_t outBytes = 0;
        ZDecompressRaw(deflated.data(), deflated.size(), out, part.size(), outBytes, part.size());
        std::free(out);
      }));
    }
    std::fprintf(stderr, "part %6.1f MiB (%6.1f KiB deflated, %6.1f MiB of text): converter %7.1f ms, inflate alone %7.1f ms, ratio %.2f\n",
                 part.size() / 1048576.0, deflated.size() / 1024.0, textBytes / 1048576.0, ours * 1e3, theirs * 1e3,
                 ours / theirs);
    char piece[80];
    std::snprintf(piece, sizeof piece, "%s%zu KiB %.2f", line.empty() ? "" : ", ", partBytes >> 10, ours / theirs);
    line += piece;
    inflateLargest = theirs;
  }
  std::printf("docx: converter time over inflate alone, by part size: %s\n", line.c_str());

  const std::string crafted = CraftedDocx();
  double craftedTime = 1e9;
  int64_t craftedText = 0;
  for (int r = 0; r < rounds; ++r) {
    craftedTime = std::min(craftedTime, SecondsOf([&] { craftedText = TextBytesOf(crafted); }));
  }
  std::fprintf(stderr, "crafted part of 4 GiB (%.1f MiB archive, %lld bytes of text): converter %7.1f ms\n",
               crafted.size() / 1048576.0, static_cast<long long>(craftedText), craftedTime * 1e3);
  std::printf("docx: a 4 GiB part of run formatting over inflate alone of the 32 MiB part: %.2f\n",
              craftedTime / inflateLargest);
  return 0;
}
