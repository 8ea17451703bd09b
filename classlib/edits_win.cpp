#include "classlib/edits.h"

namespace {

// The memo's text as a list of lines: each change reads the text, edits the
// list and writes the text back in one message.
class TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(TMemo* memo) : memo_(memo) {}

  int Count() const override {
    TStringList lines;
    ReadInto(lines);
    return lines.Count();
  }
  std::string Get(int index) const override {
    TStringList lines;
    ReadInto(lines);
    return lines.Get(index);
  }
  void Put(int index, const std::string& s) override {
    TStringList lines;
    ReadInto(lines);
    lines.Put(index, s);
    Write(lines);
  }
  void Insert(int index, const std::string& s) override {
    TStringList lines;
    ReadInto(lines);
    lines.Insert(index, s);
    Write(lines);
  }
  void Delete(int index) override {
    TStringList lines;
    ReadInto(lines);
    lines.Delete(index);
    Write(lines);
  }
  void Clear() override { memo_->SetText(std::string()); }
  void SetText(std::string_view text) override {
    TStringList lines;
    lines.SetText(text);
    Write(lines);
  }

protected:
  void SetUpdateState(bool updating) override {
    if (!memo_->HandleAllocated()) return;
    SendMessageA(memo_->Handle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) memo_->Invalidate();
  }

private:
  void ReadInto(TStringList& lines) const { lines.SetText(memo_->Text()); }
  // Lines are joined by CR LF, the only line break the window shows, with
  // none after the last.
  void Write(const TStringList& lines) {
    std::string text;
    for (int i = 0; i < lines.Count(); ++i) {
      if (i > 0) text += "\r\n";
      text += lines.Get(i);
    }
    memo_->SetText(text);
  }

  TMemo* memo_;
};

}  // namespace

// --- TCustomEdit -----------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  width_ = 121;
  height_ = 21;
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.ExStyle |= WS_EX_CLIENTEDGE;
  if (readOnly_) params.Style |= ES_READONLY;
}

void TCustomEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND && TWMCommand(message).NotifyCode == EN_CHANGE) {
    Change();
    return;
  }
  if (message.Msg == CM_TEXTCHANGED && !HandleAllocated()) {
    // Without a window no notification comes, yet the text changed.
    Change();
    return;
  }
  TWinControl::Dispatch(message);
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}

void TEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style |= ES_AUTOHSCROLL;
}

// --- TMemo -----------------------------------------------------------------------

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner), lines_(new TMemoStrings(this)) {
  width_ = 185;
  height_ = 89;
}

TMemo::~TMemo() { delete lines_; }

void TMemo::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!wordWrap_ || scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.Style |= ES_AUTOHSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.Style |= WS_HSCROLL;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle value) {
  if (value == scrollBars_) return;
  scrollBars_ = value;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  RecreateWnd();
}

void TMemo::Dispatch(TMessage& message) {
  TCustomEdit::Dispatch(message);
  if (message.Msg != WM_GETDLGCODE) return;
  if (wantTabs_) message.Result |= DLGC_WANTTAB;
  else message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
  if (!wantReturns_) message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}
