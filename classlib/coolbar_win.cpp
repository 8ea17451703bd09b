#include "classlib/coolbar.h"

#include <commctrl.h>

#include "classlib/commoncontrols.h"

// --- TCoolBand -------------------------------------------------------------------------

int TCoolBand::Index() const { return bands_->bands_.IndexOf(this); }

void TCoolBand::Update(bool insert) {
  TCoolBar* bar = bands_->Owner();
  if (!bar->HandleAllocated()) return;
  HWND window = bar->Handle();
  // The size the system's earliest bands understand: every field used here.
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID | RBBIM_SIZE;
  info.fStyle = RBBS_CHILDEDGE | (break_ ? RBBS_BREAK : 0) | (visible_ ? 0 : RBBS_HIDDEN);
  info.wID = id_;
  if (control_ != nullptr) {
    info.hwndChild = control_->Handle();
    info.cxMinChild = 0;
    info.cyMinChild = static_cast<UINT>(minHeight_ > 0 ? minHeight_ : control_->Height());
    info.cx = static_cast<UINT>(control_->Width());
  }
  if (insert) {
    SendMessageA(window, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
  } else {
    const LRESULT at = SendMessageA(window, RB_IDTOINDEX, id_, 0);
    if (at < 0) return;
    SendMessageA(window, RB_SETBANDINFOA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&info));
  }
  bar->AdjustHeight();
}

void TCoolBand::SetControl(TWinControl* value) {
  if (value == control_) return;
  control_ = value;
  if (value != nullptr) {
    value->FreeNotification(bands_->Owner());
    value->SetParent(bands_->Owner());
  }
  Update(false);
}

void TCoolBand::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  TCoolBar* bar = bands_->Owner();
  if (!bar->HandleAllocated()) return;
  const LRESULT at = SendMessageA(bar->Handle(), RB_IDTOINDEX, id_, 0);
  if (at >= 0) SendMessageA(bar->Handle(), RB_SHOWBAND, static_cast<WPARAM>(at), value ? TRUE : FALSE);
  bar->AdjustHeight();
}

void TCoolBand::SetBreak(bool value) {
  break_ = value;
  Update(false);
}

void TCoolBand::SetMinHeight(int value) {
  minHeight_ = value;
  Update(false);
}

// --- TCoolBands ------------------------------------------------------------------------

TCoolBand* TCoolBands::Add() {
  TCoolBand* band = bands_.Add(std::unique_ptr<TCoolBand>(new TCoolBand(this, nextId_++)));
  band->Update(true);
  return band;
}

// --- TCoolBar --------------------------------------------------------------------------

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner), bands_(new TCoolBands(this)) {
  width_ = 150;
  height_ = 25;
  SetAlign(alTop);
}

TCoolBar::~TCoolBar() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TCoolBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_COOL_CLASSES | ICC_BAR_CLASSES);
  CreateSubClass(params, REBARCLASSNAMEA);
  // The class library places the bar; the window must not move itself.
  params.Style |= WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCoolBar::CreateWnd() {
  TWinControl::CreateWnd();
  for (const auto& band : bands_->bands_) band->Update(true);
  AdjustHeight();
}

void TCoolBar::AdjustHeight() {
  if (!HandleAllocated() || HasState(csDestroying)) return;
  const int height = static_cast<int>(SendMessageA(Handle(), RB_GETBARHEIGHT, 0, 0));
  if (height != height_) SetBounds(left_, top_, width_, height);
}

void TCoolBar::ControlResized(TWinControl* control) {
  for (const auto& band : bands_->bands_)
    if (band->control_ == control) band->Update(false);
}

void TCoolBar::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  for (const auto& band : bands_->bands_) {
    if (band->control_ != component) continue;
    band->control_ = nullptr;
    if (!HasState(csDestroying)) band->Update(false);
  }
}

void TCoolBar::Dispatch(TMessage& message) {
  TWinControl::Dispatch(message);
  if (message.Msg == CN_NOTIFY) {
    const NMHDR* header = TWMNotify(message).NMHdr;
    if (header != nullptr && header->code == RBN_HEIGHTCHANGE) AdjustHeight();
  }
}
