#include "classlib/variant.h"

#include <cstdio>

#include "classlib/strutils.h"

std::string Variant::AsString() const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  if (const auto* i = std::get_if<int64_t>(&value_)) return IntToStr(*i);
  if (const auto* d = std::get_if<double>(&value_)) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15G", *d);
    return text;
  }
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? "True" : "False";
  return std::string();
}
