// The mask text of a search (what the user typed in the file-name field and
// the masks of the chosen file type) cut into single masks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// "", "*.*" and what normalises to it ("***.*") give the single mask "*". Otherwise the text is cut at each
// blank, ",", "/", ":", ";" and "\"; every non-empty piece is normalised, in
// the order of the text. Masks keep their letter case: the mask matcher
// lower-cases mask and name alike.
std::vector<std::string> SplitMaskText(std::string_view text);

// A run of "*" and "?" holding at least one "*" becomes one "*" ("*?.txt"
// gives "*.txt"); a run of "?" alone stays, since each stands for exactly one
// character ("a.??" stays "a.??").
std::string NormalizeMask(std::string_view mask);
