// Windows made on demand from the bottom of a tree of controls.
#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/edits.h"
#include "classlib/forms.h"
#include "classlib/panels.h"

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// A control deep in a form asks for its window before any of its parents
// has one: the parents' windows are made on the way, and making a parent's
// window makes its children's; the control whose window was asked for must
// still get one window only, in its parent's window.
TEST(WindowCreation, DeepControlAskingFirstGetsOneWindowInItsParents) {
  TForm form(nullptr);
  auto* outer = new TPanel(&form);
  outer->SetParent(&form);
  auto* inner = new TPanel(&form);
  inner->SetParent(outer);
  auto* edit = new TEdit(&form);
  edit->SetParent(inner);
  auto* sibling = new TEdit(&form);
  sibling->SetParent(inner);

  const HWND editWindow = edit->Handle();
  EXPECT_EQ(GetParent(editWindow), inner->Handle());
  EXPECT_EQ(GetParent(inner->Handle()), outer->Handle());
  EXPECT_EQ(GetParent(outer->Handle()), form.Handle());
  EXPECT_EQ(GetParent(sibling->Handle()), inner->Handle());
  int windows = 0;
  EnumChildWindows(form.Handle(), CountChild, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 4);  // no second window left behind for any of them
}

}  // namespace
