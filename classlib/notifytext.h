// Answering a control that lends a text buffer with a notification (display
// information, info tips, tool tips): the text is cut to the buffer, never
// past it.
#pragma once

#include <string_view>

// Copies text into buffer of room characters: at most room - 1 of them, cut
// before a double-byte character of the ANSI code page that would not fit
// whole, then a terminating zero. Nothing is written to a nil buffer or one
// without room.
void CopyToTextBuffer(std::string_view text, char* buffer, int room);
// The same text converted from the ANSI code page to UTF-16, cut before a
// surrogate pair that would not fit whole.
void CopyToTextBuffer(std::string_view text, wchar_t* buffer, int room);
