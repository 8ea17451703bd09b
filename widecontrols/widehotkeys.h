// Windows only. Captions with hot-key markers ("&" before the underlined
// letter, "&&" for an "&"): stripping, comparing and carrying the markers'
// places from an 8-bit caption over to its wide counterpart.
#pragma once

#include <string>

// The caption without its markers ("&&" leaves one "&"). On a Far-East
// system a parenthesised group such as "(&F)" goes as a whole.
std::wstring WideStripHotkey(const std::wstring& text);
// Equal once the markers are stripped: ignoring case, or exactly.
bool WideSameCaption(const std::wstring& text1, const std::wstring& text2);
bool WideSameCaptionStr(const std::wstring& text1, const std::wstring& text2);
// When source and dest differ as 8-bit text only in where their markers
// are, dest takes source's markers. EWideInternalError when they still
// differ afterwards.
void SyncHotKeyPosition(const std::wstring& source, std::wstring& dest);
