// The byte patterns one content search looks for: for each encoding searched,
// in the order that decides which encoding wins, the bytes an occurrence may
// consist of.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/codepageset.h"
#include "search/textforms.h"

// Encodings in the order a block is searched; an earlier one wins a block.
enum TEncodingSlot : uint8_t { esAnsi, esOem, esKoi8, esUtf8, esUtf16, esCount };

TCodePageSet CodePageOfSlot(TEncodingSlot slot);

// One way an occurrence may look. The pattern is cut into groups (a byte, a
// UTF-16 unit, a UTF-8 character); an occurrence matches each group wholly
// as First or wholly as Second. Case-sensitive patterns have First == Second
// and one group.
struct TPatternForm {
  TEncodingSlot Slot = esAnsi;
  bool Wide = false;  // UTF-16: only at even distances from where the search began
  std::string First;
  std::string Second;
  std::vector<uint32_t> GroupEnds;  // rising, the last one is the length

  int32_t Length() const { return static_cast<int32_t>(First.size()); }
  // Whether the Length() bytes at p are an occurrence.
  bool Matches(const uint8_t* p) const;
};

// The patterns of the encodings in codePages that can hold the text, without
// duplicates (a pattern with the bytes of an earlier encoding's never wins).
// Each case form keeps its own length: when the upper- and lower-case forms
// differ in length they become patterns of their own, and so does the text
// as typed when neither case form covers it.
std::vector<TPatternForm> BuildPatternForms(const TTextForms& forms, TCodePageSet codePages,
                                            bool caseSensitive);
