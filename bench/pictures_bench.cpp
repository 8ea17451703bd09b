// Picture reader speed against reference decoders measured in the same run,
// on real files that bench/make-pictures saved with ImageMagick and libtiff's
// tiffcp: each PNG against libpng, each GIF against giflib, each TIFF against
// libtiff (TIFFReadRGBAImage, its own way to displayable pixels), Targa,
// Photoshop and PPM files against stb_image. Both sides
// decode from memory that holds the file before the clock starts, and both
// make the output memory of every picture anew: the reader its bitmap, the
// reference its rows or raster. The references are built with the program's
// compiler flags (references.cmake). The best of several rounds counts; a
// ratio is the reader's time over the reference's (below 1 is faster; the
// aim is 1.5 at most). Formats without a reference decoder here get their
// speed only.
//
//   pictures_bench DIR [rounds]     (rounds: default 7)
//
// Details go to stderr; stdout gets one "pictures:" line per format.
#include <windows.h>

#include <gif_lib.h>
#include <png.h>
#include <stb_image.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/streams.h"
#include "imaging/gifgraphic.h"
#include "imaging/pcxgraphic.h"
#include "imaging/pnggraphic.h"
#include "imaging/ppmgraphic.h"
#include "imaging/psdgraphic.h"
#include "imaging/sgigraphic.h"
#include "imaging/targagraphic.h"
#include "imaging/tiffgraphic.h"

namespace {

std::string ReadAll(const std::string& path) {
  TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\*_*.*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

struct MemoryReader {
  const std::string* data;
  size_t at = 0;
  size_t Take(void* out, size_t n) {
    const size_t take = std::min(n, data->size() - at);
    std::memcpy(out, data->data() + at, take);
    at += take;
    return take;
  }
};

// --- references ---------------------------------------------------------------

// Into the layout the reader's bitmap has: blue first, alpha kept, indices
// as indices, 16-bit samples cut to 8, gamma as the file asks.
void Libpng(const std::string& file) {
  MemoryReader reader{&file};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t n) {
    if (static_cast<MemoryReader*>(png_get_io_ptr(p))->Take(out, n) < n) png_error(p, "short file");
  });
  png_read_info(png, info);
  png_set_bgr(png);
  png_set_strip_16(png);
  png_set_interlace_handling(png);
  double gamma = 0;
  if (png_get_gAMA(png, info, &gamma)) png_set_gamma(png, 2.2, gamma);
  png_read_update_info(png, info);
  const png_uint_32 h = png_get_image_height(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<uint8_t> image(rowBytes * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

void Giflib(const std::string& file) {
  MemoryReader reader{&file};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, [](GifFileType* g, GifByteType* out, int n) {
    return static_cast<int>(static_cast<MemoryReader*>(g->UserData)->Take(out, static_cast<size_t>(n)));
  }, &error);
  DGifSlurp(gif);
  DGifCloseFile(gif, &error);
}

struct TiffMemory {
  const std::string* bytes;
  toff_t position = 0;
};

void Libtiff(const std::string& bytes) {
  TiffMemory file{&bytes};
  TIFF* tif = TIFFClientOpen(
      "memory", "r", &file,
      [](thandle_t h, tdata_t buf, tsize_t size) -> tsize_t {
        auto* f = static_cast<TiffMemory*>(h);
        const toff_t left = f->bytes->size() > f->position ? f->bytes->size() - f->position : 0;
        const auto n = static_cast<tsize_t>(std::min<toff_t>(left, static_cast<toff_t>(size)));
        std::memcpy(buf, f->bytes->data() + f->position, static_cast<size_t>(n));
        f->position += static_cast<toff_t>(n);
        return n;
      },
      [](thandle_t, tdata_t, tsize_t) -> tsize_t { return 0; },
      [](thandle_t h, toff_t offset, int whence) -> toff_t {
        auto* f = static_cast<TiffMemory*>(h);
        f->position = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f->position + offset : f->bytes->size() + offset;
        return f->position;
      },
      [](thandle_t) { return 0; }, [](thandle_t h) -> toff_t { return static_cast<TiffMemory*>(h)->bytes->size(); },
      [](thandle_t, tdata_t*, toff_t*) { return 0; }, [](thandle_t, tdata_t, toff_t) {});
  uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  auto* raster = static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(size_t{w} * h * 4)));
  if (!TIFFReadRGBAImageOriented(tif, w, h, raster, ORIENTATION_TOPLEFT, 0)) std::fprintf(stderr, "libtiff failed\n");
  _TIFFfree(raster);
  TIFFClose(tif);
}

// Targa, Photoshop and PPM into interleaved 8-bit samples as stored.
void StbImage(const std::string& file) {
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()), static_cast<int>(file.size()),
                                          &w, &h, &channels, 0);
  if (pixels == nullptr) std::fprintf(stderr, "stb_image failed: %s\n", stbi_failure_reason());
  stbi_image_free(pixels);
}

// --- timing ---------------------------------------------------------------------

// One decode of the file by the reader: the file already in the stream's
// memory, a new reader (and so a new bitmap) each time. Answers megapixels.
template <class Reader>
double DecodeWithReader(TStringStream& stream) {
  stream.SetPosition(0);
  Reader reader;
  reader.LoadFromStream(stream);
  return double(reader.Width()) * reader.Height() / 1e6;
}

struct Format {
  const char* prefix;
  const char* reference;  // nullptr: none here
  double (*reader)(TStringStream&);
  void (*decode)(const std::string&);
};

const Format kFormats[] = {
    {"png", "libpng", DecodeWithReader<TPNGGraphic>, Libpng},
    {"gif", "giflib", DecodeWithReader<TGIFGraphic>, Giflib},
    {"tiff", "libtiff", DecodeWithReader<TTIFFGraphic>, Libtiff},
    {"psd", "stb_image", DecodeWithReader<TPSDGraphic>, StbImage},
    {"tga", "stb_image", DecodeWithReader<TTargaGraphic>, StbImage},
    {"ppm", "stb_image", DecodeWithReader<TPPMGraphic>, StbImage},
    {"pcx", nullptr, DecodeWithReader<TPCXGraphic>, nullptr},
    {"sgi", nullptr, DecodeWithReader<TSGIGraphic>, nullptr},
};

double Seconds(const std::function<void()>& run) {
  const auto start = TickNow();
  run();
  return SecondsBetween(start, TickNow());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pictures_bench DIR [rounds]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  TIFFSetWarningHandler(nullptr);
  std::map<std::string, std::string> lines;
  for (const std::string& name : FilesIn(dir)) {
    const std::string prefix = name.substr(0, name.find('_'));
    const auto format = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const Format& f) { return prefix == f.prefix; });
    if (format == std::end(kFormats)) continue;
    const std::string kind = name.substr(name.find('_') + 1, name.rfind('.') - name.find('_') - 1);
    const std::string bytes = ReadAll(dir + "\\" + name);
    TStringStream stream(bytes);
    // The two sides take turns, so that a busy moment of the machine falls
    // on both alike; the best round of each counts.
    double pixels = 0, ours = 1e9, theirs = 1e9;
    try {
      for (int r = 0; r < rounds; ++r) {
        ours = std::min(ours, Seconds([&] { pixels = format->reader(stream); }));
        if (format->decode != nullptr) theirs = std::min(theirs, Seconds([&] { format->decode(bytes); }));
      }
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: the reader failed: %s\n", name.c_str(), e.Message().c_str());
      continue;
    }
    std::string& line = lines[format->prefix];
    char part[128];
    if (format->decode != nullptr) {
      std::fprintf(stderr, "%-28s %9zu bytes: reader %7.1f ms (%6.1f Mpixel/s), %s %7.1f ms, ratio %.2f\n",
                   name.c_str(), bytes.size(), ours * 1e3, pixels / ours, format->reference, theirs * 1e3,
                   ours / theirs);
      std::snprintf(part, sizeof part, "%s %.2f", kind.c_str(), ours / theirs);
    } else {
      std::fprintf(stderr, "%-28s %9zu bytes: reader %7.1f ms (%6.1f Mpixel/s), no reference decoder\n",
                   name.c_str(), bytes.size(), ours * 1e3, pixels / ours);
      std::snprintf(part, sizeof part, "%s %.0f Mpixel/s", kind.c_str(), pixels / ours);
    }
    line += (line.empty() ? "" : ", ") + std::string(part);
  }
  for (const Format& f : kFormats) {
    auto it = lines.find(f.prefix);
    if (it == lines.end()) continue;
    if (f.reference != nullptr)
      std::printf("pictures: %s ratio to %s: %s\n", f.prefix, f.reference, it->second.c_str());
    else
      std::printf("pictures: %s (no reference decoder): %s\n", f.prefix, it->second.c_str());
  }
  return lines.empty() ? 1 : 0;
}
