// 8-bit and wide string helpers: case per locale and per ASCII, comparison,
// numbers and trimming. 8-bit text is in the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Locale-aware case of 8-bit text (the system's 8-bit case mapping).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// ASCII-only case: other bytes stay as they are.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Locale-aware case of wide text.
std::wstring WideUpperCase(std::wstring_view s);
std::wstring WideLowerCase(std::wstring_view s);

// Comparison results: < 0, 0, > 0.
int CompareStr(std::string_view a, std::string_view b);   // byte order
int CompareText(std::string_view a, std::string_view b);  // ASCII case ignored
int AnsiCompareStr(std::string_view a, std::string_view b);   // locale order
int AnsiCompareText(std::string_view a, std::string_view b);  // locale order, case ignored
// A byte string whose plain byte order (memcmp, shorter first on a tie) is
// AnsiCompareText's order of the texts: a long sort computes each text's key
// once instead of asking the locale at every comparison.
std::string AnsiSortKeyText(std::string_view s);
// Appends the same key to key (no allocation of its own for short texts).
void AppendAnsiSortKey(std::string& key, std::string_view s);
int WideCompareStr(std::wstring_view a, std::wstring_view b);
int WideCompareText(std::wstring_view a, std::wstring_view b);
bool SameText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

std::string IntToStr(int64_t value);
std::string IntToHex(uint64_t value, int digits);
// Decimal or "$"/"0x"-prefixed hexadecimal, surrounding blanks allowed;
// raises EConvertError ("'x' is not a valid integer value").
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t fallback);
int64_t StrToInt64Def(std::string_view s, int64_t fallback);
bool TryStrToInt64(std::string_view s, int64_t& value);
// A decimal number as files write it, whatever the user's locale: optional
// sign, digits with an optional "." and fraction (".5" and "5." too), an
// optional exponent ("e-3"), surrounding blanks allowed. Anything else (a
// comma, trailing letters, an empty text, a value out of range) answers
// false and leaves value alone.
bool TryStrToFloat(std::string_view s, double& value);
double StrToFloatDef(std::string_view s, double fallback);

// Removes leading and trailing control characters and blanks (<= ' ').
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::wstring WideTrim(std::wstring_view s);

// Replaces every occurrence (or only the first) of from by to.
std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          bool all = true, bool ignoreCase = false);

// Text in quotes, with every inner quote doubled ("a""b").
std::string AnsiQuotedStr(std::string_view s, char quote);
