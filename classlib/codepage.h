// Conversions between 8-bit text in a code page and UTF-16, and the code
// pages of the system. Code-page numbers are the system's: 0 is the ANSI code
// page, 1 the OEM code page, 65001 UTF-8, 20866 KOI8-R.
// Wide text is UTF-16 code units, one per wchar_t (natively too, where a
// wchar_t has room for more).
#pragma once

#include <string>
#include <string_view>

constexpr unsigned kAnsiCodePage = 0;
constexpr unsigned kOemCodePage = 1;
constexpr unsigned kUtf8CodePage = 65001;

// The system's ANSI and OEM code pages (1252 and 437 on a Western system).
unsigned AnsiCodePage();
unsigned OemCodePage();

// 8-bit text in codePage to UTF-16. Bytes the code page does not map become
// what the system makes of them (U+FFFD or the code page's own choice).
std::wstring MultiByteToWide(std::string_view text, unsigned codePage = kAnsiCodePage);

// UTF-16 to 8-bit text in codePage. usedDefaultChar, when given, tells whether
// some character had no equivalent and was replaced by the default character
// (never set for UTF-8, which represents everything).
std::string WideToMultiByte(std::wstring_view text, unsigned codePage = kAnsiCodePage,
                            bool* usedDefaultChar = nullptr);

// UTF-16 to 8-bit text in codePage, only when the code page holds the text
// exactly: no default character and no best-fit lookalike ("8" for the
// infinity sign, "O" for O-macron), so the result converts back to text.
// False, with out empty, otherwise.
bool WideToMultiByteExact(std::wstring_view text, unsigned codePage, std::string& out);

// The system's ANSI-to-OEM and OEM-to-ANSI conversions of a whole string
// (same length as the input).
std::string CharToOemString(std::string_view text);
std::string OemToCharString(std::string_view text);

// True when c is the lead byte of a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char c);
