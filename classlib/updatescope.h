// Holds anything with BeginUpdate/EndUpdate (string lists, list items, tree
// nodes, icon lists) in its update mode for a scope, however it is left.
#pragma once

template <class T>
class TUpdateScope {
public:
  explicit TUpdateScope(T& target) : target_(target) { target_.BeginUpdate(); }
  ~TUpdateScope() { target_.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  T& target_;
};
