// A value of one of a few kinds, or none ("unassigned"): what a stored
// value holds before it becomes text.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

class Variant {
public:
  Variant() = default;
  Variant(std::string value) : value_(std::move(value)) {}
  Variant(const char* value) : value_(std::string(value)) {}
  Variant(int32_t value) : value_(int64_t{value}) {}
  Variant(int64_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(bool value) : value_(value) {}

  bool IsUnassigned() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsString() const { return std::holds_alternative<std::string>(value_); }
  // The value as text: "" when unassigned, decimal numbers with "." whatever
  // the locale, "True" or "False".
  std::string AsString() const;

  friend bool operator==(const Variant&, const Variant&) = default;

private:
  std::variant<std::monostate, std::string, int64_t, double, bool> value_;
};
