#include "widecontrols/ansistringsadapter.h"

#include <algorithm>
#include <cstdint>

#include "classlib/streams.h"
#include "widecontrols/bomtext.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/widestrings.h"

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TWideStrings* wideStrings,
                                                                     unsigned codePage)
    : wideStrings_(wideStrings), codePage_(codePage) {}

unsigned TAnsiStringsForWideStringsAdapter::CodePage() const {
  return codePage_ == 0 ? DefaultSystemCodePage : codePage_;
}

int TAnsiStringsForWideStringsAdapter::Count() const { return wideStrings_->Count(); }

std::string TAnsiStringsForWideStringsAdapter::Get(int index) const {
  return WideStringToStringEx(wideStrings_->Get(index), CodePage());
}

TObject* TAnsiStringsForWideStringsAdapter::GetObject(int index) const {
  return wideStrings_->GetObject(index);
}

void TAnsiStringsForWideStringsAdapter::Put(int index, const std::string& s) {
  wideStrings_->Put(index, StringToWideStringEx(s, CodePage()));
}

void TAnsiStringsForWideStringsAdapter::PutObject(int index, TObject* object) {
  wideStrings_->PutObject(index, object);
}

void TAnsiStringsForWideStringsAdapter::Insert(int index, const std::string& s) {
  wideStrings_->Insert(index, StringToWideStringEx(s, CodePage()));
}

int TAnsiStringsForWideStringsAdapter::Add(const std::string& s) {
  return wideStrings_->Add(StringToWideStringEx(s, CodePage()));
}

void TAnsiStringsForWideStringsAdapter::Delete(int index) { wideStrings_->Delete(index); }

void TAnsiStringsForWideStringsAdapter::Clear() { wideStrings_->Clear(); }

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool updating) {
  if (updating) wideStrings_->BeginUpdate();
  else wideStrings_->EndUpdate();
}

void TAnsiStringsForWideStringsAdapter::LoadFromStreamEx(TStream& stream, unsigned codePage) {
  std::wstring text = StringToWideStringEx(ReadRemainingBytes(stream), codePage);
  BeginUpdate();
  try {
    wideStrings_->SetTextStr(text);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TAnsiStringsForWideStringsAdapter::SaveToStreamEx(TStream& stream, unsigned codePage) const {
  std::string text = WideStringToStringEx(wideStrings_->GetTextStr(), codePage);
  for (size_t start = 0; start < text.size(); start += INT32_MAX) {
    size_t n = std::min<size_t>(text.size() - start, INT32_MAX);
    stream.WriteBuffer(text.data() + start, static_cast<int32_t>(n));
  }
}
