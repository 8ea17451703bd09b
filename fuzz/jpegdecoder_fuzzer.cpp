// The TIFF JPEG codec. Input: a 16-bit length and that many bytes of JPEG
// tables, then the strip; the last bytes choose the image record (small
// sizes, sample layout, colour scheme, subsampling) and the strip buffer.
#include "fuzzinput.h"
#include "imaging/colormanager.h"
#include "imaging/jpegdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (SetJPEGWarningHook(nullptr), true);
  (void)quiet;
  FuzzInput in(data, size);
  TImageProperties p;
  p.Width = 1 + in.Option() % 64;
  p.Height = 1 + in.Option() % 64;
  uint8_t layout = in.Option();
  static const uint8_t samples[] = {1, 3, 4, 2};
  p.SamplesPerPixel = samples[layout & 3];
  p.BitsPerSample = (layout & 4) ? 12 : 8;
  p.PlanarConfig = (layout & 8) ? 2 : 1;
  p.ColorScheme = static_cast<uint8_t>((layout & 16) ? ColorScheme::YCbCr : ColorScheme::Rgb);
  p.YCbCrSubsampling = {uint8_t(1 + ((layout >> 5) & 1)), uint8_t(1 + ((layout >> 6) & 1))};
  p.RowsPerStrip = {1u + in.Option() % 64};
  p.CurrentRow = in.Option() % 8;
  uint32_t extra = in.Option() % 4;
  p.BytesPerLine = p.Width * p.SamplesPerPixel + extra;
  uint32_t rows = 1 + in.Option() % 64;
  std::vector<uint8_t> rest = in.Rest();
  size_t tables = rest.size() >= 2 ? (rest[0] | rest[1] << 8) : 0;
  size_t at = rest.size() >= 2 ? 2 : rest.size();
  tables = std::min(tables, rest.size() - at);
  p.JPEGTables.assign(rest.begin() + at, rest.begin() + at + tables);
  std::vector<uint8_t> strip(rest.begin() + at + tables, rest.end());
  std::vector<uint8_t> out(size_t{rows} * p.BytesPerLine);
  TTIFFJPEGDecoder d(&p);
  try {
    d.DecodeInit();
    for (int pass = 0; pass < 2; ++pass) {
      const uint8_t* src = strip.data();
      uint8_t* dst = out.data();
      try {
        d.Decode(src, dst, static_cast<int64_t>(strip.size()), static_cast<int64_t>(out.size()));
      } catch (const EGraphicCompression&) {
      }
    }
    d.DecodeEnd();
  } catch (const EGraphicCompression&) {
  }
  return 0;
}
