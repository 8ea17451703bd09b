// UTF-7 (RFC 2152) conversion of UTF-16 text.
#pragma once

#include <string>
#include <string_view>

enum class TUTF7Result { Ok = 0, Malformed = 1, Overflow = 2 };

// Encodes [source, sourceEnd) into [target, targetEnd). optional writes the
// characters of RFC 2152 Set O directly; verbose closes every shifted run
// with "-" (otherwise only where the next character would be misread).
// Both positions are handed back; Overflow means the target was too small.
TUTF7Result EncodeUTF7(const wchar_t*& source, const wchar_t* sourceEnd, char*& target,
                       char* targetEnd, bool optional, bool verbose);
// Decodes [source, sourceEnd) into [target, targetEnd). Malformed means the
// whole input was decoded but something in it was not well formed.
TUTF7Result DecodeUTF7(const char*& source, const char* sourceEnd, wchar_t*& target,
                       wchar_t* targetEnd);

// Optional characters direct, no closing "-" where none is needed. Raises
// EWideInternalError "Buffer overflow" if the encoder runs out of room.
std::string WideStringToUTF7(std::wstring_view ws);
// Raises EWideGeneralError "Invalid UTF7" for malformed input.
std::wstring UTF7ToWideString(std::string_view s);
