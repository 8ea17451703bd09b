// File-name masks: "*" any run of characters, "?" one character, "[...]" one
// character of a set ("[a-z]" ranges, "[!...]" negated), everything else
// itself; a mask must match the whole name.
//
// Letter case is ignored: mask and name are both lower-cased with the
// locale's 8-bit rules (AnsiLowerCase), the same function callers use on
// names, so "CAF\xC9*" matches "caf\xE9.txt" as "CAF*" matches "caf.txt".
#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/exceptions.h"

// A malformed mask: "'%s' is an invalid mask at (%d)", the position counting
// from 1 (one past the end for a set left open).
class EMaskException : public Exception { using Exception::Exception; };

class TMask {
public:
  // Checks the whole mask at once, so a malformed one fails however the
  // names it is tried on would have matched.
  explicit TMask(std::string_view mask);
  bool Matches(std::string_view name) const;

private:
  struct Token {
    enum Kind { Literal, AnyChar, AnyRun, Set } kind = Literal;
    unsigned char literal = 0;
    std::bitset<256> set;  // for Set, negation already applied
  };
  bool MatchesOne(const Token& token, unsigned char c) const;

  std::vector<Token> tokens_;
};

bool MatchesMask(std::string_view name, std::string_view mask);
