#include "classlib/statusbar.h"

#include <commctrl.h>

#include "classlib/commoncontrols.h"

namespace {

// The window centres what follows one tab and right-aligns what follows two.
std::string AlignedText(const std::string& text, TAlignment alignment) {
  switch (alignment) {
    case taCenter: return "\t" + text;
    case taRightJustify: return "\t\t" + text;
    default: return text;
  }
}

}  // namespace

// --- TStatusPanel ----------------------------------------------------------------------

int TStatusPanel::Index() const { return panels_->panels_.IndexOf(this); }

void TStatusPanel::Update() const {
  TStatusBar* bar = panels_->Owner();
  if (!bar->HandleAllocated()) return;
  const std::string text = AlignedText(text_, alignment_);
  SendMessageA(bar->Handle(), SB_SETTEXTA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusPanel::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  Update();
}

void TStatusPanel::SetWidth(int value) {
  width_ = value;
  panels_->Owner()->UpdateParts(false);
}

void TStatusPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Update();
}

// --- TStatusPanels ---------------------------------------------------------------------

TStatusPanel* TStatusPanels::Add() {
  TStatusPanel* panel = panels_.Add(std::unique_ptr<TStatusPanel>(new TStatusPanel(this)));
  owner_->UpdateParts(true);
  return panel;
}

// --- TStatusBar ------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner), panels_(new TStatusPanels(this)) {
  width_ = 200;
  height_ = 19;
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TStatusBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_BAR_CLASSES);
  CreateSubClass(params, STATUSCLASSNAMEA);
  // The class library places the bar; the window must not move itself.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateParts(true);
  SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
  SendMessageA(Handle(), SB_SIMPLE, simplePanel_ ? TRUE : FALSE, 0);
}

void TStatusBar::UpdateParts(bool all) {
  if (!HandleAllocated()) return;
  std::vector<int> edges;
  int right = 0;
  for (const auto& panel : panels_->panels_) {
    right += panel->width_;
    edges.push_back(right);
  }
  if (!edges.empty()) edges.back() = -1;
  if (edges.empty()) edges.push_back(-1);
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  if (all)
    for (const auto& panel : panels_->panels_) panel->Update();
}

void TStatusBar::SetSimplePanel(bool value) {
  simplePanel_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), SB_SIMPLE, value ? TRUE : FALSE, 0);
}

void TStatusBar::SetSimpleText(const std::string& value) {
  simpleText_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(value.c_str()));
}
