#include "classlib/clipboard.h"

#include "classlib/application.h"

TClipboard::~TClipboard() {
  if (openCount_ > 0) CloseClipboard();
}

void TClipboard::Open() {
  if (openCount_ == 0) {
    HWND owner = Application != nullptr ? Application->Handle() : nullptr;
    if (!OpenClipboard(owner)) throw EClipboardException("Cannot open clipboard");
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  ClipboardOpenScope open(this);
  EmptyClipboard();
  emptied_ = true;
}

void TClipboard::Adding() {
  if (openCount_ > 0 && !emptied_) Clear();
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != 0; }

void TClipboard::SetAsHandle(UINT format, HANDLE value) {
  ClipboardOpenScope open(this);
  Adding();
  if (SetClipboardData(format, value) == nullptr) throw EClipboardException("Cannot put data on the clipboard");
}

HANDLE TClipboard::GetAsHandle(UINT format) {
  ClipboardOpenScope open(this);
  return GetClipboardData(format);
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
