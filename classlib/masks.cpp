#include "classlib/masks.h"

#include "classlib/strutils.h"

namespace {
[[noreturn]] void InvalidMask(std::string_view mask, size_t index) {
  throw EMaskException("'" + std::string(mask) + "' is an invalid mask at (" + std::to_string(index + 1) + ")");
}
}  // namespace

TMask::TMask(std::string_view mask) {
  // Lower-casing keeps the length and every byte's place, so positions in
  // the lowered text are positions in the mask.
  const std::string lowered = AnsiLowerCase(mask);
  const size_t n = lowered.size();
  size_t i = 0;
  while (i < n) {
    auto c = static_cast<unsigned char>(lowered[i]);
    Token token;
    token.kind = Token::Literal;
    if (c == '*') {
      token.kind = Token::AnyRun;
      ++i;
      // A run of stars matches what one star matches.
      if (!tokens_.empty() && tokens_.back().kind == Token::AnyRun) continue;
    } else if (c == '?') {
      token.kind = Token::AnyChar;
      ++i;
    } else if (c == '[') {
      token.kind = Token::Set;
      ++i;
      bool negate = i < n && lowered[i] == '!';
      if (negate) ++i;
      bool empty = true;
      while (true) {
        if (i >= n) InvalidMask(mask, n);
        auto first = static_cast<unsigned char>(lowered[i]);
        if (first == ']') {
          if (empty) InvalidMask(mask, i);
          ++i;
          break;
        }
        empty = false;
        ++i;
        unsigned char last = first;
        if (i < n && lowered[i] == '-') {
          ++i;
          if (i >= n) InvalidMask(mask, n);
          if (lowered[i] == ']') InvalidMask(mask, i);
          last = static_cast<unsigned char>(lowered[i++]);
        }
        // A reversed range ("[z-a]") holds nothing.
        for (unsigned v = first; v <= last; ++v) token.set.set(v);
      }
      if (negate) token.set.flip();
    } else {
      token.literal = c;
      ++i;
    }
    tokens_.push_back(token);
  }
}

bool TMask::MatchesOne(const Token& token, unsigned char c) const {
  switch (token.kind) {
    case Token::Literal: return token.literal == c;
    case Token::AnyChar: return true;
    case Token::Set: return token.set.test(c);
    case Token::AnyRun: break;
  }
  return false;
}

bool TMask::Matches(std::string_view name) const {
  const std::string lowered = AnsiLowerCase(name);
  // Every token but "*" takes exactly one character, so remembering only the
  // last "*" and retrying it one character further is enough: the match
  // takes at most (tokens x characters) steps, never exponential time.
  size_t t = 0, s = 0;
  size_t starToken = std::string::npos, starName = 0;
  while (s < lowered.size()) {
    if (t < tokens_.size() && tokens_[t].kind == Token::AnyRun) {
      starToken = t++;
      starName = s;
    } else if (t < tokens_.size() && MatchesOne(tokens_[t], static_cast<unsigned char>(lowered[s]))) {
      ++t;
      ++s;
    } else if (starToken != std::string::npos) {
      t = starToken + 1;
      s = ++starName;
    } else {
      return false;
    }
  }
  while (t < tokens_.size() && tokens_[t].kind == Token::AnyRun) ++t;
  return t == tokens_.size();
}

bool MatchesMask(std::string_view name, std::string_view mask) { return TMask(mask).Matches(name); }
