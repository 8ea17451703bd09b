// Picture reader speed against reference decoders measured in the same run,
// on real files that bench/make-pictures saved with ImageMagick and libtiff's
// tiffcp: each PNG against libpng, each GIF against giflib, each TIFF against
// libtiff (its strips read and put into the layout the reader's bitmap has),
// Targa, Photoshop and PPM files against stb_image. Both sides decode from
// memory that holds the file before the clock starts, and both make the
// output memory of every picture anew and leave it to the system to clear:
// the reader its bitmap, the reference its rows. The references are built
// with the program's compiler flags (references.cmake). The best of several
// rounds counts; a ratio is the reader's time over the reference's (below 1
// is faster; the aim is 1.5 at most). Formats without a reference decoder
// here get their speed only, PCX also as a share of SGI's pixel rate (both
// run-length readers of three-plane files), the SGI file read in turns.
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
#include <map>
#include <memory>
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
  // Not cleared here: the reader's bitmap is not either.
  const std::unique_ptr<uint8_t[]> image(new uint8_t[rowBytes * h]);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.get() + y * rowBytes;
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

// libtiff's own L*a*b* conversion, set for an sRGB screen.
const TIFFDisplay kSrgbDisplay = {
    {{3.2410f, -1.5374f, -0.4986f}, {-0.9692f, 1.8760f, 0.0416f}, {0.0556f, -0.2040f, 1.0570f}},
    100.0f, 100.0f, 100.0f, 255, 255, 255, 1.0f, 1.0f, 1.0f, 2.4f, 2.4f, 2.4f,
};

TIFF* OpenTiff(TiffMemory& file) {
  return TIFFClientOpen(
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
}

// The layouts Libtiff below puts as the reader does: one 1-bit or 8-bit
// sample a pixel, or three or four 8-bit samples side by side. For any other
// it would do other work than the reader (copy 16-bit rows the reader
// halves, take raw YCbCr for RGB, move the bytes of CMYK or ICC and ITU
// L*a*b* pixels whose colours the reader converts, read past a pixel of two
// samples), and a ratio would mean nothing: its name, to skip the file; ""
// for these.
std::string LibtiffUnequalLayout(const std::string& bytes) {
  TiffMemory file{&bytes};
  TIFF* tif = OpenTiff(file);
  if (tif == nullptr) return "not a TIFF libtiff opens";
  uint16_t samples = 1, bits = 1, planar = PLANARCONFIG_CONTIG, photometric = 0, compression = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFClose(tif);
  if (samples != 1 && samples != 3 && samples != 4) return std::to_string(samples) + " samples a pixel";
  if (samples > 1 && planar != PLANARCONFIG_CONTIG) return "separate planes";
  if (bits != 8 && !(bits == 1 && samples == 1)) return std::to_string(bits) + "-bit samples";
  if (photometric == PHOTOMETRIC_YCBCR && compression != COMPRESSION_JPEG) return "YCbCr samples";
  if (photometric == PHOTOMETRIC_SEPARATED) return "CMYK samples";
  if (photometric == PHOTOMETRIC_ICCLAB || photometric == PHOTOMETRIC_ITULAB) return "ICC or ITU L*a*b* samples";
  return {};
}

// Strips read with TIFFReadEncodedStrip and put into the layout the reader's
// bitmap has: one sample a pixel as stored (bilevel and fax pictures stay
// 1-bit, indices stay indices), three or four samples blue first, JPEG
// through libjpeg's own colour conversion, L*a*b* through libtiff's; rows
// padded to four bytes, as a bitmap's are. Only for the layouts above.
void Libtiff(const std::string& bytes) {
  TiffMemory file{&bytes};
  TIFF* tif = OpenTiff(file);
  uint32_t w = 0, h = 0, rowsPerStrip = 0;
  uint16_t samples = 1, bits = 1, photometric = 0, compression = 1;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (compression == COMPRESSION_JPEG) TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  TIFFCIELabToRGB* lab = nullptr;
  if (photometric == PHOTOMETRIC_CIELAB) {
    float* white = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_WHITEPOINT, &white);
    float reference[3] = {white[0] / white[1] * 100.0f, 100.0f, (1 - white[0] - white[1]) / white[1] * 100.0f};
    lab = static_cast<TIFFCIELabToRGB*>(_TIFFmalloc(sizeof(TIFFCIELabToRGB)));
    TIFFCIELabToRGBInit(lab, &kSrgbDisplay, reference);
  }
  const size_t rowBytes = static_cast<size_t>(TIFFScanlineSize(tif));
  const size_t outBits = samples == 1 ? bits : samples == 3 ? 24 : 32;
  const size_t stride = (w * outBits + 31) / 32 * 4;
  const std::unique_ptr<uint8_t[]> image(new uint8_t[stride * h]);
  std::vector<uint8_t> strip(static_cast<size_t>(TIFFStripSize(tif)));
  for (uint32_t s = 0, y = 0; s < TIFFNumberOfStrips(tif) && y < h; ++s) {
    if (TIFFReadEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0) std::fprintf(stderr, "libtiff failed\n");
    for (uint32_t r = 0; r < rowsPerStrip && y < h; ++r, ++y) {
      const uint8_t* in = strip.data() + r * rowBytes;
      uint8_t* out = image.get() + y * stride;
      if (samples == 1) {
        std::memcpy(out, in, rowBytes);
      } else if (lab != nullptr) {
        for (uint32_t x = 0; x < w; ++x, in += 3, out += 3) {
          float X, Y, Z;
          uint32_t red, green, blue;
          TIFFCIELabToXYZ(lab, in[0], static_cast<int8_t>(in[1]), static_cast<int8_t>(in[2]), &X, &Y, &Z);
          TIFFXYZToRGB(lab, X, Y, Z, &red, &green, &blue);
          out[0] = static_cast<uint8_t>(blue), out[1] = static_cast<uint8_t>(green), out[2] = static_cast<uint8_t>(red);
        }
      } else {
        for (uint32_t x = 0; x < w; ++x, in += samples, out += samples) {
          out[0] = in[2], out[1] = in[1], out[2] = in[0];
          if (samples == 4) out[3] = in[3];
        }
      }
    }
  }
  _TIFFfree(lab);
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
  // Without a reference: the format whose first file is read in turns with
  // this one, for a share of its pixel rate measured at the same moments.
  const char* turns = nullptr;
  // Why the reference would do other work than the reader on a file ("":
  // it would not); such a file is skipped, named with the reason.
  std::string (*unequal)(const std::string&) = nullptr;
};

const Format kFormats[] = {
    {"png", "libpng", DecodeWithReader<TPNGGraphic>, Libpng},
    {"gif", "giflib", DecodeWithReader<TGIFGraphic>, Giflib},
    {"tiff", "libtiff", DecodeWithReader<TTIFFGraphic>, Libtiff, nullptr, LibtiffUnequalLayout},
    {"psd", "stb_image", DecodeWithReader<TPSDGraphic>, StbImage},
    {"tga", "stb_image", DecodeWithReader<TTargaGraphic>, StbImage},
    {"ppm", "stb_image", DecodeWithReader<TPPMGraphic>, StbImage},
    {"pcx", nullptr, DecodeWithReader<TPCXGraphic>, nullptr, "sgi"},
    {"sgi", nullptr, DecodeWithReader<TSGIGraphic>, nullptr},
};

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
  std::map<std::string, std::string> firstFiles;  // of each prefix
  for (const std::string& name : FilesIn(dir)) firstFiles.emplace(name.substr(0, name.find('_')), name);
  for (const std::string& name : FilesIn(dir)) {
    const std::string prefix = name.substr(0, name.find('_'));
    const auto format = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const Format& f) { return prefix == f.prefix; });
    if (format == std::end(kFormats)) continue;
    const std::string kind = name.substr(name.find('_') + 1, name.rfind('.') - name.find('_') - 1);
    const std::string bytes = ReadAll(dir + "\\" + name);
    if (const std::string unequal = format->unequal ? format->unequal(bytes) : ""; !unequal.empty()) {
      std::fprintf(stderr, "%-28s skipped: %s would not do the reader's work (%s)\n", name.c_str(), format->reference,
                   unequal.c_str());
      std::string& line = lines[format->prefix];
      line += (line.empty() ? "" : ", ") + kind + " skipped (" + unequal + ")";
      continue;
    }
    TStringStream stream(bytes);
    // The partner in turns, when the format has one and its file is here.
    const Format* partner = nullptr;
    std::string partnerBytes;
    if (format->turns != nullptr && firstFiles.count(format->turns) > 0) {
      partner = &*std::find_if(std::begin(kFormats), std::end(kFormats),
                               [&](const Format& f) { return std::string(f.prefix) == format->turns; });
      partnerBytes = ReadAll(dir + "\\" + firstFiles[format->turns]);
    }
    TStringStream partnerStream(partnerBytes);
    // The two sides take turns, so that a busy moment of the machine falls
    // on both alike; the best round of each counts.
    double pixels = 0, ours = 1e9, theirs = 1e9, partnerPixels = 0;
    try {
      for (int r = 0; r < rounds; ++r) {
        ours = std::min(ours, SecondsOf([&] { pixels = format->reader(stream); }));
        if (format->decode != nullptr) theirs = std::min(theirs, SecondsOf([&] { format->decode(bytes); }));
        if (partner != nullptr)
          theirs = std::min(theirs, SecondsOf([&] { partnerPixels = partner->reader(partnerStream); }));
      }
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: the reader failed: %s\n", name.c_str(), e.Message().c_str());
      continue;
    }
    std::string& line = lines[format->prefix];
    char part[160];
    if (format->decode != nullptr) {
      std::fprintf(stderr, "%-28s %9zu bytes: reader %7.1f ms (%6.1f Mpixel/s), %s %7.1f ms, ratio %.2f\n",
                   name.c_str(), bytes.size(), ours * 1e3, pixels / ours, format->reference, theirs * 1e3,
                   ours / theirs);
      std::snprintf(part, sizeof part, "%s %.2f", kind.c_str(), ours / theirs);
    } else if (partner != nullptr) {
      const double share = (pixels / ours) / (partnerPixels / theirs);
      std::fprintf(stderr, "%-28s %9zu bytes: reader %7.1f ms (%6.1f Mpixel/s), %s in turns %7.1f ms (%6.1f Mpixel/s)\n",
                   name.c_str(), bytes.size(), ours * 1e3, pixels / ours, firstFiles[format->turns].c_str(),
                   theirs * 1e3, partnerPixels / theirs);
      std::snprintf(part, sizeof part, "%s %.0f Mpixel/s, %.2f of %s's pixel rate", kind.c_str(), pixels / ours, share,
                    format->turns);
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
