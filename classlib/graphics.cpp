#include "classlib/graphics.h"

#include "classlib/streams.h"

bool TGraphicClassInfo::InheritsFrom(const TGraphicClassInfo* ancestor) const {
  for (const TGraphicClassInfo* c = this; c != nullptr; c = c->Parent)
    if (c == ancestor) return true;
  return false;
}

std::unique_ptr<TGraphic> TGraphicClassInfo::Create() const {
  TGraphic* graphic = Factory != nullptr ? Factory() : nullptr;
  if (graphic == nullptr)
    throw EInvalidGraphicOperation(std::string("Cannot create an instance of abstract class ") +
                                   ClassName);
  return std::unique_ptr<TGraphic>(graphic);
}

TGraphicClass TGraphic::StaticClass() {
  static const TGraphicClassInfo info{"TGraphic", nullptr, nullptr};
  return &info;
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(TObject* /*sender*/) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& r, const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}
