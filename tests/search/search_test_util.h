// Helpers for the matcher's tests: encoding test text, running a search the
// way the occurrence report does (again and again from each resume point),
// and running it at several read sizes that must all agree.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/codepageset.h"
#include "search/stringsearch.h"

namespace search_test {

constexpr unsigned kUtf16 = 1200;

inline std::string Encode(const std::wstring& text, unsigned codePage) {
  if (codePage != kUtf16) return WideToMultiByte(text, codePage);
  std::string bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(static_cast<uint16_t>(c) & 0xFF));
    bytes.push_back(static_cast<char>(static_cast<uint16_t>(c) >> 8));
  }
  return bytes;
}

struct Hit {
  int64_t offset;
  int32_t length;
  TCodePageSet codePage;
  std::string context;
  int64_t resume;
  bool operator==(const Hit&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Hit& h) {
  return os << "{offset " << h.offset << ", length " << h.length << ", code page " << h.codePage
            << ", context '" << h.context << "', resume " << h.resume << "}";
}

struct Query {
  std::wstring text;
  TCodePageSet codePages = cpAllCodePages;
  bool caseSensitive = false;
  int64_t from = 0;      // where the first search begins
  int maxHits = 1000;
};

// Every hit from query.from on, each search resuming where the last left the
// stream, as the occurrence report counts them.
inline std::vector<Hit> SearchAll(const std::string& bytes, const Query& query, int32_t blockSize) {
  TStringStream stream(bytes);
  TStringSearch search(&stream, blockSize);
  search.SetCaseSensitive(query.caseSensitive);
  search.SetCodePages(query.codePages);
  search.SetSearchText(query.text);
  std::vector<Hit> hits;
  stream.SetPosition(query.from);
  while (static_cast<int>(hits.size()) < query.maxHits && stream.Position() < stream.Size()) {
    if (!search.Search()) {
      EXPECT_TRUE(search.NotFound());
      EXPECT_EQ(search.Context(), "");
      EXPECT_EQ(stream.Position(), stream.Size()) << "a miss leaves the stream at its end";
      break;
    }
    EXPECT_FALSE(search.NotFound());
    const TStringMatch& m = search.Match();
    hits.push_back({m.Offset, m.Length, m.CodePage, search.Context(), stream.Position()});
  }
  return hits;
}

// The read sizes that stress block edges for this query: 1, each pattern
// length and one less, a small odd size and the default.
inline std::vector<int32_t> BlockSizes(const Query& query) {
  TStringSearch probe;
  probe.SetCodePages(query.codePages);
  probe.SetSearchText(query.text);
  const int32_t l = probe.PatternLength();
  const int32_t u = probe.Utf8Length();
  std::vector<int32_t> sizes = {1, l - 1, l, u - 1, u, 2 * l - 1, 2 * l, 7, 4096, 65536, 65537};
  std::vector<int32_t> result;
  for (int32_t s : sizes)
    if (s >= 1 && std::find(result.begin(), result.end(), s) == result.end()) result.push_back(s);
  return result;
}

// The hits at the default read size, after checking that every other read
// size gives the very same hits, winners, contexts and resume points.
inline std::vector<Hit> Hits(const std::string& bytes, const Query& query) {
  const std::vector<Hit> expected = SearchAll(bytes, query, TStringSearch::kDefaultBlockSize);
  for (int32_t size : BlockSizes(query))
    EXPECT_EQ(SearchAll(bytes, query, size), expected) << "read size " << size;
  return expected;
}

inline bool Found(const std::string& bytes, const Query& query) { return !Hits(bytes, query).empty(); }

// Sets the native stand-in's code pages; under Windows the test session's
// locale decides and the test skips itself when it is not the one wanted.
class SystemCodePages {
public:
  SystemCodePages(const char* ansi, const char* oem) {
#ifndef _WIN32
    setenv("OVALIS_ACP", ansi, 1);
    setenv("OVALIS_OEMCP", oem, 1);
#else
    (void)ansi;
    (void)oem;
#endif
  }
  ~SystemCodePages() {
#ifndef _WIN32
    unsetenv("OVALIS_ACP");
    unsetenv("OVALIS_OEMCP");
#endif
  }
};

}  // namespace search_test
