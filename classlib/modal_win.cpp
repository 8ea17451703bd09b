// Modal showing: the other windows of the program are disabled while a
// modal form (or a message box, or a common dialog) runs its own loop.
#include "classlib/boundary.h"
#include "classlib/exceptions.h"
#include "classlib/forms.h"

namespace {

struct TaskWindowSearch {
  HWND except;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTaskWindow(HWND window, LPARAM data) {
  return GuardBoundary<BOOL>(FALSE, [&]() -> BOOL {
    auto* search = reinterpret_cast<TaskWindowSearch*>(data);
    if (window != search->except && IsWindowVisible(window) && IsWindowEnabled(window))
      search->windows->push_back(window);
    return TRUE;
  });
}

}  // namespace

TTaskWindowsDisabled::TTaskWindowsDisabled(HWND except) : active_(GetActiveWindow()) {
  TaskWindowSearch search{except, &windows_};
  EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&search));
  for (HWND window : windows_) EnableWindow(window, FALSE);
}

TTaskWindowsDisabled::~TTaskWindowsDisabled() {
  for (HWND window : windows_)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
}

HWND ActiveOwnerWindow() {
  HWND active = GetActiveWindow();
  if (active != nullptr && FindControl(active) != nullptr) return active;
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  if (main != nullptr && main->HandleAllocated() && IsWindowVisible(main->Handle())) return main->Handle();
  return Application != nullptr ? Application->Handle() : nullptr;
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture() != nullptr) ReleaseCapture();
  modal_ = true;
  modalResult_ = mrNone;
  try {
    TTaskWindowsDisabled disabled(nullptr);
    RunModalLoop();
  } catch (...) {
    modal_ = false;
    throw;
  }
  modal_ = false;
  return modalResult_;
}

void TCustomForm::RunModalLoop() {
  Show();
  try {
    while (modalResult_ == mrNone) {
      Application->HandleMessage();
      if (Application->Terminated()) modalResult_ = mrCancel;
      else if (modalResult_ != mrNone) CloseModal();
    }
  } catch (...) {
    Hide();
    throw;
  }
  Hide();
}

void TCustomForm::CloseModal() {
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) modalResult_ = mrNone;
}
