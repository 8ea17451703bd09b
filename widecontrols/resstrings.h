// Resource strings as wide text. A record names either an entry of a
// module's string table or, with an identifier of 65536 or more, the address
// of an 8-bit zero-terminated text (UTF-8 when it starts with EF BB BF).
#pragma once

#include <cstdint>
#include <string>

struct TResStringRec {
  // Points at the handle of the module that holds the string table; nullptr
  // means the program's own module.
  const uintptr_t* Module;
  uintptr_t Identifier;
};

// A record over a text of the program itself rather than a table entry.
TResStringRec ResStringText(const char* text);

// The wide text of a record; nullptr gives an empty string. Table entries
// are read from Windows string tables only (natively they are empty), at
// most 4096 characters.
std::wstring WideLoadResString(const TResStringRec* rec);

// The table entry identifier of module; the platform's part of the above.
std::wstring LoadResStringEntry(const uintptr_t* module, uint32_t identifier);
