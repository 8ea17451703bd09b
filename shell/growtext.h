// Reading text from a system call that copies into the caller's buffer and,
// when the buffer is too short, answers with the size it needs instead.
#pragma once

#include <cstdint>
#include <string>

// query(capacity, buffer) writes at most capacity characters (terminator
// included) and returns the text's length, or the capacity it needs when
// that is more than it was given, or 0 on failure. The text, or "" on
// failure or when the answer keeps outgrowing the buffer.
template <class Query>
std::string QueryGrowingText(Query query, uint32_t initialCapacity = 260) {
  std::string text(initialCapacity != 0 ? initialCapacity : 1, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    uint32_t n = query(static_cast<uint32_t>(text.size()), text.data());
    if (n == 0) return {};
    if (n < text.size()) {
      text.resize(n);
      return text;
    }
    // The answer can change between calls (a folder renamed), so ask again.
    text.assign(n, '\0');
  }
  return {};
}
