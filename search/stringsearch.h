// TStringSearch: does a stream contain a text? The text is tried in every
// encoding of the code-page set at once, with or without regard to case, and
// the line-like context around the first occurrence is kept.
//
// What decides a hit: the stream is cut into blocks of kDecisionBlock bytes
// from where the search begins; an occurrence belongs to the block holding
// its last byte. The first block holding any occurrence decides, and within
// it the first encoding in the order Ansi, OEM, KOI8-R, UTF-8, UTF-16 that
// occurs there wins, with its first occurrence. UTF-16 text counts only at
// even distances from where the search began. The stream is read in blocks of
// BlockSize() bytes, which changes none of this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/object.h"
#include "classlib/streams.h"
#include "search/bytescanner.h"
#include "search/codepageset.h"
#include "search/textforms.h"

// The occurrence the last successful search found.
struct TStringMatch {
  int64_t Offset = 0;           // stream position of its first byte
  int32_t Length = 0;           // in bytes
  TCodePageSet CodePage = 0;    // the one bit of the encoding that won
};

class TStringSearch : public TObject {
public:
  static constexpr int32_t kDefaultBlockSize = 65536;
  static constexpr int32_t kDecisionBlock = 65536;
  // The context holds at most this many units on either side of the
  // occurrence's last unit.
  static constexpr int32_t kContextUnits = 55;

  // stream may be null; it is never owned. blockSize is the read size
  // (clamped to 1 .. 64 MiB).
  explicit TStringSearch(TStream* stream = nullptr, int32_t blockSize = kDefaultBlockSize);

  TCodePageSet CodePages() const { return codePages_; }
  void SetCodePages(TCodePageSet value);
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  TStream* Stream() const { return stream_; }
  void SetStream(TStream* stream) { stream_ = stream; }
  int32_t BlockSize() const { return blockSize_; }

  // Builds the patterns. Callers set the case mode and CodePages first
  // (setting either later builds them again). An empty text is never found.
  void SetSearchText(const std::wstring& text);

  // Searches from the start of the stream.
  bool Find();
  // Searches from the stream's current position. After a hit the stream is
  // left one pattern length after the occurrence's last unit (where a
  // following search resumes); after a miss, at the end of the stream.
  bool Search();

  // The text around the last occurrence found, in the Ansi code page; empty
  // after a failed search. It is read in the encoding the occurrence was
  // found in, unless the occurrence reads the same in UTF-8 and the file
  // says it is UTF-8: by a byte-order mark, or by surroundings that are
  // well-formed UTF-8 with characters of several bytes. Never a character
  // cut in two at either end, nor the file's byte-order mark.
  const std::string& Context() const { return context_; }
  // The same text decoded straight from its encoding, so it keeps what the
  // Ansi code page cannot hold.
  std::wstring WideContext() const;
  bool NotFound() const { return notFound_; }
  const TStringMatch& Match() const { return match_; }

  // Length of the text in UTF-16 units, and of its UTF-8 form in bytes.
  int32_t PatternLength() const { return static_cast<int32_t>(forms_.Wide[cfNormal].size()); }
  int32_t Utf8Length() const { return static_cast<int32_t>(forms_.Utf8[cfNormal].size()); }
  const TTextForms& Forms() const { return forms_; }

private:
  class WindowBest;
  void Rebuild();
  bool Finish(int64_t origin, TEncodingSlot slot, int64_t start, int32_t length);
  // The context's bytes, as they lie in the stream from at on.
  std::string ReadContext(int64_t origin, TEncodingSlot slot, int64_t start, int32_t length, int64_t& at);
  bool ReadsAsUtf8(TEncodingSlot slot, int64_t offset, int32_t length);
  bool StartsWithUtf8Mark();

  TCodePageSet codePages_ = cpAnsi;
  TStream* stream_ = nullptr;
  bool caseSensitive_ = false;
  int32_t blockSize_;
  std::vector<uint8_t> buffer_;
  bool hasText_ = false;
  std::wstring text_;
  TTextForms forms_;
  TByteScanner scanner_;
  std::string context_;
  std::string contextBytes_;
  TEncodingSlot contextSlot_ = esAnsi;
  bool notFound_ = true;
  TStringMatch match_;
};
