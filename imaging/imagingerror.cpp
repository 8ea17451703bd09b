#include "imaging/imagingerror.h"

#include "classlib/graphics.h"

void ImagingError(const std::string& Message) { throw EInvalidGraphic(Message); }

namespace {

std::string FormatImagingMessage(std::string_view Message, std::initializer_list<std::string_view> Args) {
  std::string text;
  text.reserve(Message.size());
  const std::string_view* next = Args.begin();
  size_t from = 0;
  for (size_t at = Message.find("%s"); at != std::string_view::npos; at = Message.find("%s", from)) {
    text.append(Message.substr(from, at - from));
    if (next != Args.end()) text.append(*next++);
    from = at + 2;
  }
  text.append(Message.substr(from));
  return text;
}

}  // namespace

void ImagingErrorFmt(std::string_view Message, std::initializer_list<std::string_view> Args) {
  throw EInvalidGraphic(FormatImagingMessage(Message, Args));
}
