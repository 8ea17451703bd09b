// Published properties. C++ keeps no run-time record of a class's
// properties, so each class that publishes some describes them in a table of
// its own (name, kind, default, how to read and write the value), linked to
// its parent class's table. Code that saves, restores or streams properties
// by name (property storage, the wide filers) walks these tables.
//
// A class takes part by overriding TPersistent::PublishedClass() to return
// its own TPublishedClass; a class that publishes nothing new inherits its
// parent's answer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "classlib/exceptions.h"
#include "classlib/object.h"

// The kind of a property's type; the numbers are those form streams and
// type information have always used (a wide string is 11, a wide char 9).
enum TTypeKind : uint8_t {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,
  tkWString,
  tkVariant,
  tkArray,
  tkRecord,
  tkInterface,
  tkInt64,
  tkDynArray,
};

// A set of kinds, one bit per TTypeKind.
using TTypeKinds = uint32_t;
constexpr TTypeKinds TypeKindBit(TTypeKind kind) { return TTypeKinds{1} << kind; }
constexpr TTypeKinds tkAny = 0x3FFFF;
constexpr TTypeKinds tkProperties = tkAny & ~TypeKindBit(tkMethod);

enum TFloatType : uint8_t { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The default of an ordinal property that declares none.
constexpr int64_t kNoDefault = INT32_MIN;

// "Property X does not exist", "Property is read-only", ...
class EPropertyError : public Exception { using Exception::Exception; };

// One published property. Exactly one pair of accessors is set, the one
// that fits the kind: ordinal kinds (integer, char, wide char, enumeration
// with Boolean among them, set, 64-bit integer) as an integer, where a set
// holds member i as bit i; float as double; 8-bit strings and variants as
// text; wide strings as wide text; objects as TObject*. A missing setter
// makes the property read-only.
struct TPropInfo {
  const char* Name = "";
  TTypeKind Kind = tkUnknown;
  // Enumerations and sets: the identifiers of the (member) type's values,
  // lowest first.
  std::span<const char* const> Identifiers;
  TFloatType FloatType = ftDouble;
  int64_t Default = kNoDefault;
  // nullptr: always stored.
  bool (*Stored)(TObject*) = nullptr;

  int64_t (*GetOrd)(TObject*) = nullptr;
  void (*SetOrd)(TObject*, int64_t) = nullptr;
  double (*GetFloat)(TObject*) = nullptr;
  void (*SetFloat)(TObject*, double) = nullptr;
  std::string (*GetStr)(TObject*) = nullptr;
  void (*SetStr)(TObject*, const std::string&) = nullptr;
  std::wstring (*GetWStr)(TObject*) = nullptr;
  void (*SetWStr)(TObject*, const std::wstring&) = nullptr;
  TObject* (*GetObj)(TObject*) = nullptr;
  void (*SetObj)(TObject*, TObject*) = nullptr;

  bool HasGetter() const { return GetOrd || GetFloat || GetStr || GetWStr || GetObj; }
  bool HasSetter() const { return SetOrd || SetFloat || SetStr || SetWStr || SetObj; }
};

// The properties one class publishes, in declaration order, and its parent
// class's table (nullptr at the root).
struct TPublishedClass {
  const char* ClassName;
  const TPublishedClass* Parent;
  std::span<const TPropInfo> Properties;
};

// Every published property of object's class, ancestors' first, each class's
// in declaration order, limited to the kinds given. Empty for nullptr or an
// object that publishes nothing.
std::vector<const TPropInfo*> GetPropInfos(TObject* object, TTypeKinds kinds = tkAny);
// The same sorted by name (ASCII case ignored).
std::vector<const TPropInfo*> GetSortedPropInfos(TObject* object, TTypeKinds kinds = tkAny);
// The published property called name (ASCII case ignored), or nullptr.
const TPropInfo* GetPropInfo(TObject* object, std::string_view name);

// Value access; a kind without that access, or a read-only property,
// raises EPropertyError.
int64_t GetOrdProp(TObject* object, const TPropInfo& prop);
void SetOrdProp(TObject* object, const TPropInfo& prop, int64_t value);
double GetFloatProp(TObject* object, const TPropInfo& prop);
void SetFloatProp(TObject* object, const TPropInfo& prop, double value);
std::string GetStrProp(TObject* object, const TPropInfo& prop);
void SetStrProp(TObject* object, const TPropInfo& prop, const std::string& value);
std::wstring GetWideStrProp(TObject* object, const TPropInfo& prop);
void SetWideStrProp(TObject* object, const TPropInfo& prop, const std::wstring& value);
TObject* GetObjectProp(TObject* object, const TPropInfo& prop);
void SetObjectProp(TObject* object, const TPropInfo& prop, TObject* value);
bool IsStoredProp(TObject* object, const TPropInfo& prop);

// The identifier of an enumeration value or set member ("" out of range),
// and the value of an identifier (ASCII case ignored; -1 when none).
std::string GetEnumName(const TPropInfo& prop, int64_t value);
int GetEnumValue(const TPropInfo& prop, std::string_view name);

// Identifiers of the Boolean type.
extern const char* const kBooleanIdentifiers[2];

// --- building tables ----------------------------------------------------------
//
// Accessors are member functions (or data members) named as template
// arguments, so a table is a static array of plain function pointers:
//
//   static const TPropInfo props[] = {
//       IntegerProperty<&TControl::Width, &TControl::SetWidth>("Width"),
//       BooleanProperty<&TControl::Visible, &TControl::SetVisible>("Visible", 1),
//   };

namespace published_detail {

template <class M>
struct MemberClass;
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> { using type = C; };
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...) const> { using type = C; };
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...) noexcept> { using type = C; };
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...) const noexcept> { using type = C; };
template <class C, class R>
struct MemberClass<R C::*> { using type = C; };

template <auto Member>
using ClassOf = typename MemberClass<decltype(Member)>::type;

template <auto Get>
decltype(auto) Read(TObject* object) {
  auto* self = static_cast<ClassOf<Get>*>(object);
  if constexpr (std::is_member_function_pointer_v<decltype(Get)>) return (self->*Get)();
  else return (self->*Get);
}

template <auto Set, class V>
void Write(TObject* object, V&& value) {
  auto* self = static_cast<ClassOf<Set>*>(object);
  if constexpr (std::is_member_function_pointer_v<decltype(Set)>) (self->*Set)(std::forward<V>(value));
  else self->*Set = std::forward<V>(value);
}

template <auto Set>
constexpr bool kHasSetter = !std::is_same_v<decltype(Set), std::nullptr_t>;

// The parameter type of a setter (or the type of a data member).
template <class M>
struct SetterArg;
template <class C, class R, class A>
struct SetterArg<R (C::*)(A)> { using type = std::remove_cvref_t<A>; };
template <class C, class R, class A>
struct SetterArg<R (C::*)(A) noexcept> { using type = std::remove_cvref_t<A>; };
template <class C, class R>
struct SetterArg<R C::*> { using type = R; };

template <auto Get, auto Set>
TPropInfo Ordinal(const char* name, TTypeKind kind, int64_t fallback) {
  TPropInfo p;
  p.Name = name;
  p.Kind = kind;
  p.Default = fallback;
  p.GetOrd = [](TObject* o) { return static_cast<int64_t>(Read<Get>(o)); };
  if constexpr (kHasSetter<Set>)
    p.SetOrd = [](TObject* o, int64_t v) { Write<Set>(o, static_cast<typename SetterArg<decltype(Set)>::type>(v)); };
  return p;
}

}  // namespace published_detail

template <auto Get, auto Set = nullptr>
TPropInfo IntegerProperty(const char* name, int64_t fallback = kNoDefault) {
  return published_detail::Ordinal<Get, Set>(name, tkInteger, fallback);
}

template <auto Get, auto Set = nullptr>
TPropInfo Int64Property(const char* name) {
  return published_detail::Ordinal<Get, Set>(name, tkInt64, kNoDefault);
}

template <auto Get, auto Set = nullptr>
TPropInfo CharProperty(const char* name, int64_t fallback = kNoDefault) {
  return published_detail::Ordinal<Get, Set>(name, tkChar, fallback);
}

template <auto Get, auto Set = nullptr>
TPropInfo WideCharProperty(const char* name, int64_t fallback = kNoDefault) {
  return published_detail::Ordinal<Get, Set>(name, tkWChar, fallback);
}

template <auto Get, auto Set = nullptr>
TPropInfo EnumProperty(const char* name, std::span<const char* const> identifiers,
                       int64_t fallback = kNoDefault) {
  TPropInfo p = published_detail::Ordinal<Get, Set>(name, tkEnumeration, fallback);
  p.Identifiers = identifiers;
  return p;
}

template <auto Get, auto Set = nullptr>
TPropInfo BooleanProperty(const char* name, int64_t fallback = kNoDefault) {
  return EnumProperty<Get, Set>(name, kBooleanIdentifiers, fallback);
}

// The getter answers, and the setter takes, the members as bits (member i is
// bit i).
template <auto Get, auto Set = nullptr>
TPropInfo SetProperty(const char* name, std::span<const char* const> identifiers,
                      int64_t fallback = kNoDefault) {
  TPropInfo p = published_detail::Ordinal<Get, Set>(name, tkSet, fallback);
  p.Identifiers = identifiers;
  return p;
}

template <auto Get, auto Set = nullptr>
TPropInfo FloatProperty(const char* name, TFloatType type = ftDouble) {
  TPropInfo p;
  p.Name = name;
  p.Kind = tkFloat;
  p.FloatType = type;
  p.GetFloat = [](TObject* o) { return static_cast<double>(published_detail::Read<Get>(o)); };
  if constexpr (published_detail::kHasSetter<Set>)
    p.SetFloat = [](TObject* o, double v) {
      published_detail::Write<Set>(o, static_cast<typename published_detail::SetterArg<decltype(Set)>::type>(v));
    };
  return p;
}

// kind: tkLString (the usual), tkString or tkVariant (a variant handed over
// as its text).
template <auto Get, auto Set = nullptr>
TPropInfo StringProperty(const char* name, TTypeKind kind = tkLString) {
  TPropInfo p;
  p.Name = name;
  p.Kind = kind;
  p.GetStr = [](TObject* o) { return std::string(published_detail::Read<Get>(o)); };
  if constexpr (published_detail::kHasSetter<Set>)
    p.SetStr = [](TObject* o, const std::string& v) { published_detail::Write<Set>(o, v); };
  return p;
}

template <auto Get, auto Set = nullptr>
TPropInfo WideStringProperty(const char* name) {
  TPropInfo p;
  p.Name = name;
  p.Kind = tkWString;
  p.GetWStr = [](TObject* o) { return std::wstring(published_detail::Read<Get>(o)); };
  if constexpr (published_detail::kHasSetter<Set>)
    p.SetWStr = [](TObject* o, const std::wstring& v) { published_detail::Write<Set>(o, v); };
  return p;
}

// An object property; the setter receives nullptr or an object of its
// parameter's class (another class is refused with EPropertyError).
template <auto Get, auto Set = nullptr>
TPropInfo ObjectProperty(const char* name) {
  TPropInfo p;
  p.Name = name;
  p.Kind = tkClass;
  p.GetObj = [](TObject* o) -> TObject* { return published_detail::Read<Get>(o); };
  if constexpr (published_detail::kHasSetter<Set>)
    p.SetObj = [](TObject* o, TObject* v) {
      using Target = std::remove_pointer_t<typename published_detail::SetterArg<decltype(Set)>::type>;
      auto* typed = dynamic_cast<Target*>(v);
      if (v != nullptr && typed == nullptr) throw EPropertyError("Invalid property value");
      published_detail::Write<Set>(o, typed);
    };
  return p;
}

// Marks a property stored only when pred answers true.
template <auto Pred>
TPropInfo StoredWhen(TPropInfo p) {
  p.Stored = [](TObject* o) { return static_cast<bool>(published_detail::Read<Pred>(o)); };
  return p;
}
