// The system clipboard. Opening nests: the clipboard stays open until the
// last Close, and the first format put on it while open empties it once, so
// several formats can be put on it together.
#pragma once

#include <windows.h>

#include "classlib/object.h"

class EClipboardException : public Exception { using Exception::Exception; };

class TClipboard : public TPersistent {
public:
  TClipboard() = default;
  ~TClipboard() override;

  // The owner is the application window. Another program holding the
  // clipboard raises EClipboardException "Cannot open clipboard".
  void Open();
  void Close();
  bool IsOpen() const { return openCount_ > 0; }

  void Clear();
  bool HasFormat(UINT format) const;
  // Puts the block on the clipboard, which then owns it. A refusal raises
  // EClipboardException; the block is then still the caller's.
  void SetAsHandle(UINT format, HANDLE value);
  // The clipboard's block for format (still owned by the clipboard), or nil.
  HANDLE GetAsHandle(UINT format);

private:
  void Adding();

  int openCount_ = 0;
  bool emptied_ = false;
};

// The program's clipboard object, made on first use.
TClipboard* Clipboard();

// Keeps the clipboard open for a scope.
class ClipboardOpenScope {
public:
  explicit ClipboardOpenScope(TClipboard* clipboard) : clipboard_(clipboard) { clipboard_->Open(); }
  ~ClipboardOpenScope() { clipboard_->Close(); }
  ClipboardOpenScope(const ClipboardOpenScope&) = delete;
  ClipboardOpenScope& operator=(const ClipboardOpenScope&) = delete;

private:
  TClipboard* clipboard_;
};
