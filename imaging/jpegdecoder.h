// JPEG-compressed TIFF strips (compression 7) through libjpeg.
//
// libjpeg's errors never return into libjpeg: they unwind to the decoder,
// which raises EGraphicCompression with libjpeg's message. Warnings (and a
// strip that ends early, which is finished as if its end-of-image code had
// come) go to the JPEG warning hook, at most once per strip.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "imaging/decoder.h"
#include "imaging/imageproperties.h"

using TJPEGWarningHook = std::function<void(const std::string& Message)>;

// Installs the hook that receives JPEG warnings and returns the previous
// one. With no hook, warnings are dropped.
TJPEGWarningHook SetJPEGWarningHook(TJPEGWarningHook Hook);

#ifdef _WIN32
// Shows each JPEG warning in a message box captioned "Warning".
void InstallJPEGWarningBox();
#endif

// Strips come out as rows of Properties->BytesPerLine bytes: blue, green,
// red for three components (YCbCr or RGB in the file), one byte per pixel
// for grey and separate planes, CMYK and other counts as stored.
class TTIFFJPEGDecoder : public TDecoder {
public:
  // Properties must outlive the decoder; the TIFF reader updates its
  // CurrentRow between strips.
  explicit TTIFFJPEGDecoder(TImageProperties* Properties);
  ~TTIFFJPEGDecoder() override;

  void DecodeInit() override;
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  // A strip's header is read and checked by DecodeBegin; each piece then
  // takes whole lines (a Room that is not raises "Fractional JPEG scanline
  // unsupported.").
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void DecodeEnd() override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  TImageProperties* properties_;
  uint16_t horizontalSubsampling_ = 1;
  uint16_t verticalSubsampling_ = 1;
};
