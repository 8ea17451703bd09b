// Building forms in code: each control is made with its owner (the form,
// which frees it), its name (the key under which its texts are translated),
// its parent and its place.
#pragma once

#include <string>

#include "classlib/controls.h"

template <class T>
T* MakeControl(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
               int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

template <class T>
T* MakeCaptioned(TComponent* owner, TWinControl* parent, const char* name, const std::string& caption, int left,
                 int top, int width, int height) {
  T* control = MakeControl<T>(owner, parent, name, left, top, width, height);
  control->SetCaption(caption);
  return control;
}
