// The rich edit: the system "RichEdit20A" (riched20), showing a document
// given as RTF or as plain text. The document is kept, so a re-created
// window shows it again; its length is not limited to the window's default.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/controls.h"

class TRichEdit : public TWinControl {
public:
  explicit TRichEdit(TComponent* owner);
  ~TRichEdit() override;
  const char* ClassName() const override { return "TRichEdit"; }

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Replaces the document by RTF text.
  void LoadRtf(const std::string& rtf);
  // Replaces the document by text shown as it is (text that looks like RTF
  // included).
  void LoadPlainText(const std::string& text);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // The document is kept here, not read back from the window.
  void DestroyWnd() override { DestroyWindowHandle(); }

private:
  void StreamIn();

  bool readOnly_ = true;
  std::string document_;
  bool rtf_ = false;
};
