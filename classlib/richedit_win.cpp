#include "classlib/richedit.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "classlib/boundary.h"
#include "classlib/exceptions.h"

namespace {

// The window class comes with its library, loaded once for the program.
void LoadRichEditLibrary() {
  static const HMODULE library = LoadLibraryA("riched20.dll");
  if (library == nullptr) throw EOutOfResources("The rich edit library (riched20.dll) cannot be loaded");
}

struct StreamSource {
  std::string_view rest;
};

DWORD CALLBACK ReadDocument(DWORD_PTR cookie, LPBYTE buffer, LONG room, LONG* done) {
  return GuardBoundary<DWORD>(1, [&]() -> DWORD {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t n = std::min(source->rest.size(), static_cast<size_t>(std::max(room, 0L)));
    std::memcpy(buffer, source->rest.data(), n);
    source->rest.remove_prefix(n);
    *done = static_cast<LONG>(n);
    return 0;
  });
}

}  // namespace

TRichEdit::TRichEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 89;
  SetTabStop(true);
}

TRichEdit::~TRichEdit() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TRichEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  LoadRichEditLibrary();
  CreateSubClass(params, RICHEDIT_CLASSA);
  params.Style |= WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | (readOnly_ ? ES_READONLY : 0);
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Caption.clear();
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TRichEdit::CreateWnd() {
  TWinControl::CreateWnd();
  // The default limit, 32767 characters, is less than a long report needs.
  SendMessageA(Handle(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  StreamIn();
}

void TRichEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TRichEdit::LoadRtf(const std::string& rtf) {
  document_ = rtf;
  rtf_ = true;
  StreamIn();
}

void TRichEdit::LoadPlainText(const std::string& text) {
  document_ = text;
  rtf_ = false;
  StreamIn();
}

void TRichEdit::StreamIn() {
  if (!HandleAllocated()) return;
  StreamSource source{document_};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadDocument;
  SendMessageA(Handle(), EM_STREAMIN, rtf_ ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}
