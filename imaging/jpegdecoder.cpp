#include "imaging/jpegdecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "classlib/jpegjump.h"
#include "imaging/colormanager.h"
#include "imaging/imagingtexts.h"

namespace {

TJPEGWarningHook& WarningHook() {
  static TJPEGWarningHook hook;
  return hook;
}

constexpr JOCTET kEndOfImage[2] = {0xFF, 0xD9};
// libjpeg's working memory for one strip; a progressive image keeps all its
// coefficients, so a damaged size could otherwise ask for gigabytes.
constexpr long kMaxJpegMemory = 256L * 1024 * 1024;

}  // namespace

TJPEGWarningHook SetJPEGWarningHook(TJPEGWarningHook Hook) {
  TJPEGWarningHook previous = std::move(WarningHook());
  WarningHook() = std::move(Hook);
  return previous;
}

struct TTIFFJPEGDecoder::Impl {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  jpeg_source_mgr src{};
  TJpegJumpBuffer jump;
  char message[JMSG_LENGTH_MAX] = {};
  bool created = false;
  bool warned = false;
  bool hitEnd = false;  // the data ran out and an end-of-image code was fed
  bool started = false;  // a strip's lines are being read
  const JOCTET* block = nullptr;
  size_t blockSize = 0;
  std::vector<JOCTET> line;

  static Impl& Of(j_common_ptr c) { return *static_cast<Impl*>(c->client_data); }
  static Impl& Of(j_decompress_ptr c) { return *static_cast<Impl*>(c->client_data); }

  // Never lets anything unwind into libjpeg's C frames.
  void Warn(const char* text) noexcept {
    if (warned) return;
    warned = true;
    try {
      if (WarningHook()) WarningHook()(text);
    } catch (...) {
    }
  }

  [[noreturn]] static void ErrorExit(j_common_ptr c) {
    Impl& d = Of(c);
    (*c->err->format_message)(c, d.message);
    JPEG_LONG_JUMP(d.jump);
  }
  static void OutputMessage(j_common_ptr c) {
    char text[JMSG_LENGTH_MAX];
    (*c->err->format_message)(c, text);
    Of(c).Warn(text);
  }

  static void InitSource(j_decompress_ptr c) {
    Impl& d = Of(c);
    d.src.next_input_byte = d.block;
    d.src.bytes_in_buffer = d.blockSize;
  }
  // The data ended early: finish as if the end-of-image code had come.
  static boolean FillInputBuffer(j_decompress_ptr c) {
    Impl& d = Of(c);
    d.hitEnd = true;
    d.Warn(kJPEGEndOfInput);
    d.src.next_input_byte = kEndOfImage;
    d.src.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
  }
  static void SkipInputData(j_decompress_ptr c, long count) {
    Impl& d = Of(c);
    if (count <= 0) return;
    if (static_cast<unsigned long>(count) <= d.src.bytes_in_buffer) {
      d.src.next_input_byte += count;
      d.src.bytes_in_buffer -= static_cast<size_t>(count);
      return;
    }
    FillInputBuffer(c);
  }
  static void TermSource(j_decompress_ptr) {}

  void UseBlock(const void* data, size_t size) {
    block = static_cast<const JOCTET*>(data);
    blockSize = size;
    hitEnd = false;
    src.next_input_byte = nullptr;
    src.bytes_in_buffer = 0;
  }
};

namespace {


// Runs step with libjpeg's error exit pointed at this frame; returns false
// when libjpeg raised an error (its text is in message). step must hold no
// object that needs destroying, since an error leaves its frame by longjmp.
template <class D, class Step>
bool Guarded(D& d, Step step) {
  if (JPEG_SET_JUMP(d.jump) != 0) return false;
  step();
  return true;
}

}  // namespace

TTIFFJPEGDecoder::TTIFFJPEGDecoder(TImageProperties* Properties)
    : impl_(std::make_unique<Impl>()), properties_(Properties) {}

TTIFFJPEGDecoder::~TTIFFJPEGDecoder() {
  if (impl_->created) jpeg_destroy_decompress(&impl_->cinfo);
}

void TTIFFJPEGDecoder::DecodeInit() {
  Impl& d = *impl_;
  if (d.created) {
    jpeg_destroy_decompress(&d.cinfo);
    d.created = false;
  }
  d.cinfo = jpeg_decompress_struct{};
  d.cinfo.err = jpeg_std_error(&d.err);
  d.err.error_exit = &Impl::ErrorExit;
  d.err.output_message = &Impl::OutputMessage;
  d.cinfo.client_data = &d;
  d.src.init_source = &Impl::InitSource;
  d.src.fill_input_buffer = &Impl::FillInputBuffer;
  d.src.skip_input_data = &Impl::SkipInputData;
  d.src.resync_to_restart = jpeg_resync_to_restart;
  d.src.term_source = &Impl::TermSource;

  const TByteArray& sub = properties_->YCbCrSubsampling;
  horizontalSubsampling_ = sub.size() >= 1 ? sub[0] : 1;
  verticalSubsampling_ = sub.size() >= 2 ? sub[1] : 1;

  bool ok = Guarded(d, [&d] {
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.cinfo.mem->max_memory_to_use = kMaxJpegMemory;
    d.cinfo.src = &d.src;
  });
  if (!ok) {
    if (d.created) jpeg_destroy_decompress(&d.cinfo);
    d.created = false;
    CompressionError(d.message);
  }

  const TByteArray& tables = properties_->JPEGTables;
  if (tables.empty()) return;
  d.UseBlock(tables.data(), tables.size());
  d.warned = false;
  int result = 0;
  ok = Guarded(d, [&d, &result] { result = jpeg_read_header(&d.cinfo, FALSE); });
  // Tables that end before their end-of-image code are damaged too.
  if (!ok || result != JPEG_HEADER_TABLES_ONLY || d.hitEnd) CompressionError(kJPEGBogusTables);
}

void TTIFFJPEGDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                              int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  DecodeNext(Dest, UnpackedSize);
}

void TTIFFJPEGDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  Impl& d = *impl_;
  if (!d.created) DecodeInit();
  jpeg_decompress_struct& cinfo = d.cinfo;
  const TImageProperties& p = *properties_;
  d.started = false;

  jpeg_abort_decompress(&cinfo);
  d.UseBlock(Source, static_cast<size_t>(std::min<uint64_t>(DecodeRoom(PackedSize), SIZE_MAX)));
  d.warned = false;
  if (!Guarded(d, [&cinfo] { jpeg_read_header(&cinfo, TRUE); })) CompressionError(d.message);

  uint32_t height = p.CurrentRow < p.Height ? p.Height - p.CurrentRow : 0;
  if (!p.RowsPerStrip.empty()) height = std::min(height, p.RowsPerStrip[0]);
  if (cinfo.image_width != p.Width || cinfo.image_height != height)
    CompressionError(kJPEGStripSize);
  int components = p.PlanarConfig == 2 ? 1 : p.SamplesPerPixel;
  if (cinfo.num_components != components) CompressionError(kJPEGComponentCount);
  if (cinfo.data_precision != p.BitsPerSample) CompressionError(kJPEGDataPrecision);
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& c = cinfo.comp_info[i];
    int h = 1, v = 1;
    if (i == 0 && p.PlanarConfig != 2) {
      h = horizontalSubsampling_;
      v = verticalSubsampling_;
    }
    if (c.h_samp_factor != h || c.v_samp_factor != v)
      CompressionError(kJPEGSamplingFactors);
  }

  // The TIFF photometric value, not markers inside the strip, says what the
  // components are; three come out in the bitmap's blue-green-red order.
  int outComponents = cinfo.num_components;
  switch (cinfo.num_components) {
    case 1:
      cinfo.jpeg_color_space = JCS_GRAYSCALE;
      cinfo.out_color_space = JCS_GRAYSCALE;
      break;
    case 3:
      cinfo.jpeg_color_space =
          p.ColorScheme == static_cast<uint8_t>(ColorScheme::YCbCr) ? JCS_YCbCr : JCS_RGB;
      cinfo.out_color_space = JCS_EXT_BGR;
      break;
    case 4:
      cinfo.jpeg_color_space = JCS_CMYK;
      cinfo.out_color_space = JCS_CMYK;
      break;
    default:
      cinfo.jpeg_color_space = JCS_UNKNOWN;
      cinfo.out_color_space = JCS_UNKNOWN;
      break;
  }
  cinfo.dct_method = JDCT_ISLOW;
  if (p.BytesPerLine == 0) CompressionError(kJPEGStripSize);
  // Each line is decoded into a line of its own and copied, so a line of
  // libjpeg's never meets a shorter row of ours.
  d.line.assign(static_cast<size_t>(uint64_t{cinfo.image_width} * outComponents), 0);
  if (!Guarded(d, [&cinfo] { jpeg_start_decompress(&cinfo); })) CompressionError(d.message);
  d.started = true;
}

uint64_t TTIFFJPEGDecoder::DecodeNext(uint8_t* Dest, int64_t Room) {
  Impl& d = *impl_;
  const uint64_t bytesPerLine = properties_->BytesPerLine;
  const uint64_t room = DecodeRoom(Room);
  if (bytesPerLine == 0) CompressionError(kJPEGStripSize);
  if (room % bytesPerLine != 0) CompressionError(kJPEGFractionalScanline);
  if (!d.started) return 0;
  jpeg_decompress_struct& cinfo = d.cinfo;
  const uint64_t wanted = std::min<uint64_t>(room / bytesPerLine, cinfo.output_height - cinfo.output_scanline);
  const size_t copy = static_cast<size_t>(std::min<uint64_t>(d.line.size(), bytesPerLine));
  uint8_t* target = Dest;
  uint64_t done = 0;
  JSAMPROW row = d.line.data();
  const bool ok = Guarded(d, [&] {
    for (; done < wanted; ++done) {
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
        // A line that does not come ends the strip (the next one starts
        // with an abort).
        d.started = false;
        return;
      }
      std::memcpy(target, row, copy);
      target += bytesPerLine;
    }
    if (cinfo.output_scanline >= cinfo.output_height) {
      jpeg_finish_decompress(&cinfo);
      d.started = false;
    }
  });
  if (!ok) {
    d.started = false;
    CompressionError(d.message);
  }
  return done * bytesPerLine;
}

void TTIFFJPEGDecoder::DecodeEnd() {
  if (!impl_->created) return;
  jpeg_destroy_decompress(&impl_->cinfo);
  impl_->created = false;
}
