// The two routines through which every image reader reports a file it cannot
// load: both raise the class library's EInvalidGraphic.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

[[noreturn]] void ImagingError(const std::string& Message);
// Message with each "%s" replaced by the next of Args, in order; a "%s" left
// without an argument becomes empty. Arguments are inserted as they are, so a
// "%" inside one is never read as a place.
[[noreturn]] void ImagingErrorFmt(std::string_view Message, std::initializer_list<std::string_view> Args);
