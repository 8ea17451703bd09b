// Picture reader speed against reference decoders measured in the same run:
// a large PNG written by libpng is decoded by TPNGGraphic and by libpng, a
// large GIF written by giflib by TGIFGraphic and by giflib, each from memory,
// best of several rounds. The ratio is the reader's time over the
// reference's (below 1 is faster).
//
//   pictures_bench
//
// Details go to stderr; stdout gets the one result line.
#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/streams.h"
#include "imaging/gifgraphic.h"
#include "imaging/pnggraphic.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;
constexpr int kRounds = 5;

struct Rng {
  uint32_t state = 12345;
  uint32_t Next() {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  }
};

// A photograph stand-in: smooth gradients with a little noise, so that the
// row filters and the string table all have work to do.
uint8_t Sample(int x, int y, int channel, Rng& rng) {
  const int wave = ((x * (3 + channel)) ^ (y * (5 - channel))) >> 3;
  return static_cast<uint8_t>((x / 8 + y / 6 + wave / 4 + channel * 70) + (rng.Next() & 7));
}

// --- PNG ------------------------------------------------------------------------

std::string WritePng() {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
      },
      nullptr);
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  Rng rng;
  std::vector<uint8_t> row(kWidth * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      for (int c = 0; c < 3; ++c) row[3 * x + c] = Sample(x, y, c, rng);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct MemoryReader {
  const std::string* data;
  size_t at = 0;
};

// Into BGR rows, the layout the reader's bitmap has.
uint64_t DecodeWithLibpng(const std::string& file, std::vector<uint8_t>& image) {
  MemoryReader reader{&file};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t n) {
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(p));
    const size_t take = std::min(n, r->data->size() - r->at);
    std::memcpy(out, r->data->data() + r->at, take);
    r->at += take;
    if (take < n) png_error(p, "short file");
  });
  png_read_info(png, info);
  png_set_bgr(png);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  image.resize(rowBytes * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return uint64_t{w} * h * 3;
}

// --- GIF ------------------------------------------------------------------------

std::string WriteGif() {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
    static_cast<std::string*>(g->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(n));
    return n;
  }, &error);
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i)
    colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), static_cast<GifByteType>(i * 7)};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
  EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
  Rng rng;
  std::vector<GifPixelType> row(kWidth);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) row[x] = Sample(x, y, 1, rng) & 0xF8;
    EGifPutLine(gif, row.data(), kWidth);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

uint64_t DecodeWithGiflib(const std::string& file) {
  MemoryReader reader{&file};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, [](GifFileType* g, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(g->UserData);
    const size_t take = std::min(static_cast<size_t>(n), r->data->size() - r->at);
    std::memcpy(out, r->data->data() + r->at, take);
    r->at += take;
    return static_cast<int>(take);
  }, &error);
  DGifSlurp(gif);
  const uint64_t pixels = uint64_t(gif->SWidth) * gif->SHeight;
  DGifCloseFile(gif, &error);
  return pixels;
}

// --- timing -----------------------------------------------------------------------

template <class F>
double Best(F run) {
  double best = 1e9;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = TickNow();
    run();
    best = std::min(best, SecondsBetween(start, TickNow()));
  }
  return best;
}

template <class Reader>
uint64_t DecodeWithReader(const std::string& file) {
  TStringStream stream(file);
  Reader reader;
  reader.LoadFromStream(stream);
  return uint64_t(reader.Width()) * reader.Height();
}

}  // namespace

int main() {
  const std::string png = WritePng();
  const std::string gif = WriteGif();
  std::vector<uint8_t> image;
  const double mb = double(kWidth) * kHeight / 1e6;  // megapixels, one byte per pixel and sample
  const double pngReader = Best([&] { DecodeWithReader<TPNGGraphic>(png); });
  const double pngReference = Best([&] { DecodeWithLibpng(png, image); });
  const double gifReader = Best([&] { DecodeWithReader<TGIFGraphic>(gif); });
  const double gifReference = Best([&] { DecodeWithGiflib(gif); });
  std::fprintf(stderr,
               "pictures bench: %dx%d, PNG (RGB, %zu bytes) %.1f ms vs libpng %.1f ms; GIF (%zu bytes) %.1f ms vs "
               "giflib %.1f ms; best of %d\n",
               kWidth, kHeight, png.size(), pngReader * 1e3, pngReference * 1e3, gif.size(), gifReader * 1e3,
               gifReference * 1e3, kRounds);
  std::printf("pictures: png %.0f MB/s (ratio %.2f to libpng), gif %.0f MB/s (ratio %.2f to giflib)\n",
              3 * mb / pngReader, pngReader / pngReference, mb / gifReader, gifReader / gifReference);
  return 0;
}
