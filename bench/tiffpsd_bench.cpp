// Picture readers' decode speed. TIFF files of one large picture are written
// by libtiff (uncompressed, LZW and deflate with the predictor, PackBits),
// then decoded by the TIFF reader and by libtiff (TIFFReadRGBAImage, into
// displayable pixels as the reader's bitmap holds them), both from memory,
// in the same run. Each side makes the pixel memory of every picture it
// decodes: the reader its bitmap, libtiff the raster a caller allocates for
// it. A Photoshop file of the same picture (PackBits rows) is timed too; it
// has no reference decoder here.
//
//   tiffpsd_bench [rounds]     (default 5; the best round counts)
//
// Details go to stderr (with libtiff also timed into one raster kept for
// every round, which leaves out its page faults, and the cost of each side's
// fresh memory alone); stdout gets the one result line with the ratio of
// each compression.
#include <windows.h>

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/streams.h"
#include "imaging/psdgraphic.h"
#include "imaging/tiffgraphic.h"

namespace {

constexpr uint32_t kWidth = 2048, kHeight = 1536;

// A photograph-like picture: smooth gradients with a little noise.
std::vector<uint8_t> Picture() {
  std::vector<uint8_t> rgb(size_t{kWidth} * kHeight * 3);
  uint32_t seed = 1;
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      seed = seed * 1664525 + 1013904223;
      const int noise = static_cast<int>(seed >> 29) - 4;
      uint8_t* p = rgb.data() + (size_t{y} * kWidth + x) * 3;
      p[0] = static_cast<uint8_t>(std::clamp(static_cast<int>(x * 255 / kWidth) + noise, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(static_cast<int>(y * 255 / kHeight) + noise, 0, 255));
      p[2] = static_cast<uint8_t>(std::clamp(static_cast<int>((x + y) % 256) + noise, 0, 255));
    }
  return rgb;
}

std::string TempName(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

std::string ReadAll(const std::string& path) {
  TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

std::string WriteTiff(const std::vector<uint8_t>& rgb, uint16_t compression, uint16_t predictor) {
  const std::string path = TempName("ovalis-bench.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  if (predictor != 1) TIFFSetField(tif, TIFFTAG_PREDICTOR, predictor);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  // libtiff's predictor differences the row it is given in place: each
  // file gets a copy, so that every file holds the same picture.
  std::vector<uint8_t> row(size_t{kWidth} * 3);
  for (uint32_t y = 0; y < kHeight; ++y) {
    std::memcpy(row.data(), rgb.data() + size_t{y} * row.size(), row.size());
    TIFFWriteScanline(tif, row.data(), y, 0);
  }
  TIFFClose(tif);
  std::string bytes = ReadAll(path);
  DeleteFileA(path.c_str());
  return bytes;
}

// PackBits rows of a Photoshop file, written here.
std::string WritePsd(const std::vector<uint8_t>& rgb) {
  auto be16 = [](std::string& s, uint32_t v) { s += char(v >> 8), s += char(v); };
  auto be32 = [&](std::string& s, uint32_t v) { be16(s, v >> 16), be16(s, v & 0xFFFF); };
  std::string header = "8BPS";
  be16(header, 1);
  header.append(6, '\0');
  be16(header, 3);
  be32(header, kHeight);
  be32(header, kWidth);
  be16(header, 8);
  be16(header, 3);
  for (int i = 0; i < 3; ++i) be32(header, 0);
  be16(header, 1);
  std::string table, data;
  for (int c = 0; c < 3; ++c)
    for (uint32_t y = 0; y < kHeight; ++y) {
      std::string row;
      const uint8_t* p = rgb.data() + size_t{y} * kWidth * 3 + c;
      for (uint32_t x = 0; x < kWidth;) {
        uint32_t n = std::min<uint32_t>(128, kWidth - x);
        row += char(n - 1);
        for (uint32_t k = 0; k < n; ++k) row += char(p[3 * (x + k)]);
        x += n;
      }
      be16(table, static_cast<uint32_t>(row.size()));
      data += row;
    }
  return header + table + data;
}

struct MemoryFile {
  const std::string* bytes;
  toff_t position = 0;
};

tsize_t MemRead(thandle_t h, tdata_t buf, tsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t left = f->bytes->size() > f->position ? f->bytes->size() - f->position : 0;
  const tsize_t n = static_cast<tsize_t>(std::min<toff_t>(left, static_cast<toff_t>(size)));
  std::memcpy(buf, f->bytes->data() + f->position, static_cast<size_t>(n));
  f->position += static_cast<toff_t>(n);
  return n;
}
tsize_t MemWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t MemSeek(thandle_t h, toff_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  if (whence == SEEK_SET) f->position = offset;
  if (whence == SEEK_CUR) f->position += offset;
  if (whence == SEEK_END) f->position = f->bytes->size() + offset;
  return f->position;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes->size(); }
int MemMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void MemUnmap(thandle_t, tdata_t, toff_t) {}

int LibtiffDecode(const std::string& bytes, uint32_t* raster) {
  MemoryFile file{&bytes};
  TIFF* tif = TIFFClientOpen("memory", "r", &file, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap);
  const int ok = TIFFReadRGBAImageOriented(tif, kWidth, kHeight, raster, ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
  if (!ok) std::fprintf(stderr, "libtiff failed\n");
  return ok;
}

// As a caller does for each picture: a raster of the picture's size.
double TimeLibtiff(const std::string& bytes) {
  const LARGE_INTEGER start = TickNow();
  auto* raster = static_cast<uint32_t*>(_TIFFmalloc(tmsize_t{kWidth} * kHeight * 4));
  LibtiffDecode(bytes, raster);
  _TIFFfree(raster);
  return SecondsBetween(start, TickNow());
}

double TimeLibtiffInto(const std::string& bytes, std::vector<uint32_t>& raster) {
  const LARGE_INTEGER start = TickNow();
  LibtiffDecode(bytes, raster.data());
  return SecondsBetween(start, TickNow());
}

// What the first write of a picture's fresh memory costs by itself: the
// reader's 24-bit bitmap (a DIB section) and libtiff's 32-bit raster.
double TimeFreshBitmap() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  const LARGE_INTEGER start = TickNow();
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bits != nullptr) std::memset(bits, 1, size_t{(kWidth * 3 + 3) / 4 * 4} * kHeight);
  DeleteObject(bitmap);
  return SecondsBetween(start, TickNow());
}

double TimeFreshRaster() {
  const LARGE_INTEGER start = TickNow();
  void* raster = _TIFFmalloc(tmsize_t{kWidth} * kHeight * 4);
  std::memset(raster, 1, size_t{kWidth} * kHeight * 4);
  _TIFFfree(raster);
  return SecondsBetween(start, TickNow());
}

template <class Reader>
double TimeReader(const std::string& bytes) {
  TStringStream stream(bytes);
  Reader reader;
  const LARGE_INTEGER start = TickNow();
  reader.LoadFromStream(stream);
  const double seconds = SecondsBetween(start, TickNow());
  if (reader.Width() != static_cast<int>(kWidth)) std::fprintf(stderr, "reader failed\n");
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  TIFFSetWarningHandler(nullptr);
  const std::vector<uint8_t> rgb = Picture();
  const double megabytes = static_cast<double>(rgb.size()) / (1024.0 * 1024.0);
  std::vector<uint32_t> raster(size_t{kWidth} * kHeight);
  struct Kind {
    const char* name;
    uint16_t compression, predictor;
  };
  const Kind kinds[] = {{"none", COMPRESSION_NONE, 1},
                        {"lzw+predictor", COMPRESSION_LZW, 2},
                        {"deflate+predictor", COMPRESSION_ADOBE_DEFLATE, 2},
                        {"packbits", COMPRESSION_PACKBITS, 1}};
  double freshBitmap = 1e9, freshRaster = 1e9;
  for (int r = 0; r < rounds; ++r) {
    freshBitmap = std::min(freshBitmap, TimeFreshBitmap());
    freshRaster = std::min(freshRaster, TimeFreshRaster());
  }
  std::fprintf(stderr, "fresh memory written once: bitmap %.2f ms, libtiff raster %.2f ms\n",
               freshBitmap * 1e3, freshRaster * 1e3);
  double oursTotal = 0, theirsTotal = 0;
  std::string ratios;
  for (const Kind& k : kinds) {
    const std::string bytes = WriteTiff(rgb, k.compression, k.predictor);
    double ours = 1e9, theirs = 1e9, theirsWarm = 1e9;
    for (int r = 0; r < rounds; ++r) {
      ours = std::min(ours, TimeReader<TTIFFGraphic>(bytes));
      theirs = std::min(theirs, TimeLibtiff(bytes));
      theirsWarm = std::min(theirsWarm, TimeLibtiffInto(bytes, raster));
    }
    std::fprintf(stderr,
                 "tiff %-18s %8.1f MB/s, libtiff %8.1f MB/s, ratio %.2f (%zu bytes); "
                 "libtiff into a kept raster %8.1f MB/s, ratio %.2f\n",
                 k.name, megabytes / ours, megabytes / theirs, ours / theirs, bytes.size(),
                 megabytes / theirsWarm, ours / theirsWarm);
    char part[64];
    std::snprintf(part, sizeof part, "%s%s %.2f", ratios.empty() ? "" : ", ", k.name, ours / theirs);
    ratios += part;
    oursTotal += ours;
    theirsTotal += theirs;
  }
  const std::string psd = WritePsd(rgb);
  double psdTime = 1e9;
  for (int r = 0; r < rounds; ++r) psdTime = std::min(psdTime, TimeReader<TPSDGraphic>(psd));
  std::fprintf(stderr, "psd packbits %8.1f MB/s (%zu bytes)\n", megabytes / psdTime, psd.size());
  std::printf("pictures: tiff %.1f MB/s (ratio %.2f to libtiff: %s), psd %.1f MB/s\n",
              megabytes * 4 / oursTotal, oursTotal / theirsTotal, ratios.c_str(), megabytes / psdTime);
  return 0;
}
