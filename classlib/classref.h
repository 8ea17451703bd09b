// Class references ("class of T"): a record per class that knows its name,
// its parent and how to make an instance, so code can pick a class at run
// time (the action link of a control, the window class of a hint) and test
// what it derives from.
#pragma once

#include <type_traits>

template <class Base, class... Args>
struct TClassInfo {
  const char* ClassName;
  const TClassInfo* Parent;
  Base* (*Factory)(Args...);

  bool InheritsFrom(const TClassInfo* ancestor) const {
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
      if (c == ancestor) return true;
    return false;
  }
  Base* Create(Args... args) const { return Factory(args...); }
};

// The one class reference of T, whose parent reference is parent (nullptr
// for a root).
template <class T, class Base, class... Args>
const TClassInfo<Base, Args...>* ClassInfoOf(const char* name,
                                             std::type_identity_t<const TClassInfo<Base, Args...>*> parent) {
  static const TClassInfo<Base, Args...> info{name, parent, [](Args... args) -> Base* { return new T(args...); }};
  return &info;
}
