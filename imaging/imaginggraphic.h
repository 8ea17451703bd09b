// The base class of every image reader: a bitmap that loads a file of its
// format into its own pixels, with the colour manager that converts the
// file's rows, the image-properties record read from the file's header, and
// the progress reports that every reader sends in the same order.
//
// A reader derives from TImagingGraphic and declares, like every graphic
// class, its StaticClass (GraphicClassOf<TReader, TImagingGraphic>) and
// ClassType; it overrides LoadFromStream (which starts with BeginLoad) and
// ReadImageProperties, and hides the static CanLoadFromStream with its own
// signature test.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>

#include "classlib/bitmap.h"
#include "classlib/streams.h"
#include "imaging/imageproperties.h"

class TColorManager;

// Row times 100 divided by Height, rounded to the nearest whole number (the
// system's MulDiv rounding), never above 100. A Height of 0 counts as done.
uint8_t ProgressPercent(uint32_t Row, uint32_t Height);

class TImagingGraphic : public TBitmap {
public:
  TImagingGraphic();
  ~TImagingGraphic() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // From another reader object: its image properties first, then the
  // bitmap's copy. Other sources go straight to the bitmap, which copies a
  // bitmap and refuses what it cannot take.
  void Assign(TPersistent* source) override;

  // The signature test: whether the stream, from its position, holds an
  // image this class reads; the position is left where it was. The base
  // class claims nothing. Class-level: ask T::CanLoadFromStream, or
  // CanLoadFromFile<T> below, for a reader T.
  static bool CanLoadFromStream(TStream& stream);

  // Fills ImageProperties from the header at the stream's position and
  // answers whether the stream holds an image this class can read.
  // ImageIndex picks one image of a file that holds several (readers that
  // hold one ignore it). The base class empties the record (FileGamma 1.0,
  // everything else 0, no array elements) and answers false; every reader
  // calls it first.
  virtual bool ReadImageProperties(TStream& stream, uint32_t imageIndex);

  TImageProperties ImageProperties;

protected:
  TColorManager& ColorManager() { return *colorManager_; }

  // Starts a load: drops the bitmap's image and remembers the stream and
  // its position, the base of the reader's seeks, until the returned scope
  // ends, so that Stream() never outlives the stream it names. A load begun
  // inside another (a reader calling its parent's load) hands the outer
  // stream and base back when it ends.
  class TLoadScope {
  public:
    ~TLoadScope();
    TLoadScope(const TLoadScope&) = delete;
    TLoadScope& operator=(const TLoadScope&) = delete;

  private:
    friend class TImagingGraphic;
    TLoadScope(TImagingGraphic& owner, TStream& stream);
    TImagingGraphic& owner_;
    TStream* outerStream_;
    int64_t outerBase_;
  };
  [[nodiscard]] TLoadScope BeginLoad(TStream& stream);

  // The stream being loaded (null outside a load) and the position at which
  // the image began.
  TStream* Stream() const { return stream_; }
  int64_t BasePosition() const { return basePosition_; }
  // Moves the stream to Offset bytes past BasePosition.
  void SeekFromBase(uint64_t offset);

  // Scan line row (0 = the top row) with its length in bytes: the target a
  // reader hands to TColorManager::ConvertRow, which refuses to write past it.
  std::span<uint8_t> ScanLineBytes(int row) {
    return {static_cast<uint8_t*>(ScanLine(row)), static_cast<size_t>(RowStride())};
  }

  // Sent with every progress report; a reader sets it before it reports.
  TRect ProgressRect;

  // The progress protocol: a phase starts (0 percent, no redraw, the phase's
  // text), runs (redraw, no text) and ends (100 percent, redraw, no text).
  // ProgressRow reports row of height done and then moves ProgressRect one
  // row down.
  void ProgressStarting(const std::string& text);
  void ProgressRunning(uint8_t percent);
  void ProgressRow(uint32_t row, uint32_t height);
  void ProgressEnding();

private:
  std::unique_ptr<TColorManager> colorManager_;
  TStream* stream_ = nullptr;
  int64_t basePosition_ = 0;
};

// Opens the file for reading (others may read, not write), asks T's
// signature test and closes it again. A file that cannot be opened raises
// the class library's EFOpenError.
template <class T>
bool CanLoadFromFile(const std::string& fileName) {
  static_assert(std::is_base_of_v<TImagingGraphic, T>, "only image readers test files");
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  return T::CanLoadFromStream(stream);
}
