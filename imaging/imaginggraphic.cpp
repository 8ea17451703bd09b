#include "imaging/imaginggraphic.h"

#include <algorithm>
#include <limits>

#include "imaging/colormanager.h"

uint8_t ProgressPercent(uint32_t Row, uint32_t Height) {
  if (Height == 0) return 100;
  // A row past the end still reads as done, not as more than 100 percent.
  const uint64_t row = std::min(Row, Height);
  return static_cast<uint8_t>((row * 100 + Height / 2) / Height);
}

TImagingGraphic::TImagingGraphic() : colorManager_(std::make_unique<TColorManager>()) {}

TImagingGraphic::~TImagingGraphic() = default;

TGraphicClass TImagingGraphic::StaticClass() {
  return GraphicClassOf<TImagingGraphic, TBitmap>("TImagingGraphic");
}

void TImagingGraphic::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TImagingGraphic*>(source); other != nullptr && other != this)
    ImageProperties = other->ImageProperties;
  TBitmap::Assign(source);
}

bool TImagingGraphic::CanLoadFromStream(TStream& /*stream*/) { return false; }

bool TImagingGraphic::ReadImageProperties(TStream& /*stream*/, uint32_t /*imageIndex*/) {
  ImageProperties = TImageProperties{};
  return false;
}

TImagingGraphic::TLoadScope::TLoadScope(TImagingGraphic& owner, TStream& stream)
    : owner_(owner), outerStream_(owner.stream_), outerBase_(owner.basePosition_) {
  owner_.basePosition_ = stream.Position();
  owner_.stream_ = &stream;
}

TImagingGraphic::TLoadScope::~TLoadScope() {
  owner_.stream_ = outerStream_;
  owner_.basePosition_ = outerBase_;
}

TImagingGraphic::TLoadScope TImagingGraphic::BeginLoad(TStream& stream) {
  ReleaseImage();
  return TLoadScope(*this, stream);
}

void TImagingGraphic::SeekFromBase(uint64_t offset) {
  if (stream_ == nullptr) throw EInvalidGraphicOperation("No image is being loaded");
  // The offset usually comes from the file: a target beyond what a position
  // can hold is refused rather than wrapped to some other place.
  int64_t target = 0;
  if (offset > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) ||
      __builtin_add_overflow(basePosition_, static_cast<int64_t>(offset), &target) || target < 0)
    throw EReadError("Stream read error");
  stream_->SetPosition(target);
}

void TImagingGraphic::ProgressStarting(const std::string& text) {
  Progress(this, psStarting, 0, false, ProgressRect, text);
}

void TImagingGraphic::ProgressRunning(uint8_t percent) {
  Progress(this, psRunning, percent, true, ProgressRect, std::string());
}

void TImagingGraphic::ProgressRow(uint32_t row, uint32_t height) {
  ProgressRunning(ProgressPercent(row, height));
  ++ProgressRect.Top;
  ++ProgressRect.Bottom;
}

void TImagingGraphic::ProgressEnding() {
  Progress(this, psEnding, 100, true, ProgressRect, std::string());
}
