#include "classlib/jpegimage.h"

#include <algorithm>
#include <cstdio>

#include <jpeglib.h>

#include "classlib/checkedsize.h"
#include "classlib/jpegjump.h"
#include "classlib/streams.h"

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// A C++ exception cannot unwind through libjpeg's C frames, so error_exit
// jumps back to Step, whose frame holds nothing that needs destroying; the
// exception is thrown from there.
struct JpegSession {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  TJpegJumpBuffer jump{};
  char message[JMSG_LENGTH_MAX] = {};
  bool created = false;
  const std::string* data = nullptr;
  JSAMPROW row = nullptr;

  JpegSession() = default;
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;
  ~JpegSession() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

[[noreturn]] void ErrorExit(j_common_ptr common) {
  auto* session = static_cast<JpegSession*>(common->client_data);
  common->err->format_message(common, session->message);
  JPEG_LONG_JUMP(session->jump);
}

// Warnings (a picture cut short, extra bytes) are not shown.
void IgnoreMessage(j_common_ptr /*common*/) {}

// Runs one libjpeg call; false when libjpeg gave up.
bool Step(JpegSession& session, void (*call)(JpegSession&)) {
  if (JPEG_SET_JUMP(session.jump) != 0) return false;
  call(session);
  return true;
}

[[noreturn]] void Fail(const JpegSession& session) {
  throw EInvalidGraphic(std::string("JPEG image is not valid (") + session.message + ")");
}

void Run(JpegSession& session, void (*call)(JpegSession&)) {
  if (!Step(session, call)) Fail(session);
}

// Every 8 x 8 block of a scan costs at least one bit of coded data (its DC
// difference), so a frame larger than its first scan's bytes can describe is
// a damaged or hostile header: refused before any buffer is sized by it. A
// real picture cut short still passes as long as its first scan could.
void RefuseFrameBeyondItsData(const jpeg_decompress_struct& cinfo) {
  uint64_t blocks = 0;
  for (int i = 0; i < cinfo.comps_in_scan; ++i) {
    const jpeg_component_info* component = cinfo.cur_comp_info[i];
    blocks += uint64_t{component->width_in_blocks} * component->height_in_blocks;
  }
  if (uint64_t{cinfo.src->bytes_in_buffer} * 8 < blocks)
    throw EInvalidGraphic("JPEG image is not valid (it holds too little data for its size)");
}

// Adobe writes CMYK inverted (0 is full ink); other writers do not.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<uint8_t>(y * k / 255);
    bgr[1] = static_cast<uint8_t>(m * k / 255);
    bgr[2] = static_cast<uint8_t>(c * k / 255);
  }
}

}  // namespace

TJPEGImage::TJPEGImage() : bitmap_(std::make_unique<TBitmap>()) {}

TJPEGImage::~TJPEGImage() = default;

TGraphicClass TJPEGImage::StaticClass() {
  return GraphicClassOf<TJPEGImage, TGraphic>("TJPEGImage");
}

void TJPEGImage::SetWidth(int /*value*/) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int /*value*/) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

std::unique_ptr<TBitmap> TJPEGImage::Decode(const std::string& data) {
  JpegSession s;
  s.data = &data;
  s.cinfo.err = jpeg_std_error(&s.errors);
  s.errors.error_exit = ErrorExit;
  s.errors.output_message = IgnoreMessage;
  s.cinfo.client_data = &s;
  Run(s, [](JpegSession& s) {
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(s.data->data()),
                 static_cast<unsigned long>(s.data->size()));
    jpeg_read_header(&s.cinfo, TRUE);
  });

  RefuseFrameBeyondItsData(s.cinfo);
  const bool grey = s.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
  s.cinfo.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
  // libjpeg's own buffers (progressive pictures keep every coefficient).
  s.cinfo.mem->max_memory_to_use = TBitmap::kMaxImageBytes;
  CappedMul<EInvalidGraphic>(s.cinfo.image_width, s.cinfo.image_height,
                             TBitmap::kMaxImageBytes / 4, "Image is too large");
  Run(s, [](JpegSession& s) { jpeg_start_decompress(&s.cinfo); });

  const int width = static_cast<int>(s.cinfo.output_width);
  const int height = static_cast<int>(s.cinfo.output_height);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(grey ? pf8bit : pf24bit);
  if (grey) {
    std::vector<TPaletteEntry> ramp;
    for (int i = 0; i < 256; ++i) {
      auto v = static_cast<uint8_t>(i);
      ramp.push_back({v, v, v, 0});
    }
    bitmap->SetPalette(CreatePaletteFromEntries(ramp));
  }
  bitmap->SetSize(width, height);

  const TRect area = Rect(0, 0, width, height);
  Progress(this, psStarting, 0, false, area, "");
  std::vector<uint8_t> cmykRow(cmyk ? static_cast<size_t>(width) * 4 : 0);
  int percent = 0;
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    const int y = static_cast<int>(s.cinfo.output_scanline);
    auto* target = static_cast<uint8_t*>(bitmap->ScanLine(y));
    s.row = cmyk ? cmykRow.data() : target;
    Run(s, [](JpegSession& s) { jpeg_read_scanlines(&s.cinfo, &s.row, 1); });
    if (cmyk) CmykRowToBgr(cmykRow.data(), target, width, s.cinfo.saw_Adobe_marker);
    const int now = static_cast<int>(static_cast<int64_t>(y + 1) * 100 / height);
    if (now != percent) {
      percent = now;
      Progress(this, psRunning, static_cast<uint8_t>(percent), false, area, "");
    }
  }
  Progress(this, psEnding, 100, true, area, "");
  return bitmap;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Size() - stream.Position();
  if (size > TBitmap::kMaxImageBytes) throw EInvalidGraphic("Image is too large");
  std::string data(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!data.empty()) stream.ReadBuffer(data.data(), static_cast<int32_t>(data.size()));
  std::unique_ptr<TBitmap> bitmap = Decode(data);
  data_ = std::move(data);
  bitmap_ = std::move(bitmap);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream) {
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}

void TJPEGImage::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TJPEGImage*>(source);
  if (other == nullptr) {
    TGraphic::Assign(source);
    return;
  }
  if (other == this) return;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->Assign(other->bitmap_.get());
  data_ = other->data_;
  bitmap_ = std::move(bitmap);
  Changed(this);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    bitmap->Assign(bitmap_.get());
    return;
  }
  TGraphic::AssignTo(dest);
}
