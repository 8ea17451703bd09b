#include "search/extract/file2text.h"

#include <algorithm>

#include "classlib/exceptions.h"
#include "search/extract/zipfile.h"

namespace {

constexpr const char* kDocumentPart = "word\\document.xml";
constexpr size_t kMaxTagChars = 60;
// Text is written to the output a chunk at a time.
constexpr size_t kChunk = 64 * 1024;

}  // namespace

void TFile2Text::CreateFromFile(const std::string& fileName) {
  LoadFromFile(fileName);
  Convert();
  Output().SetPosition(0);
}

void TFile2Text::CreateFromStream(TStream& source) {
  LoadFromStream(source);
  Convert();
  Output().SetPosition(0);
}

void TFile2Text::LoadFromFile(const std::string& fileName) {
  SetFileName(fileName);
  auto source = std::make_unique<TMemoryStream>();
  source->LoadFromFile(fileName);
  source_ = std::move(source);
}

void TFile2Text::LoadFromStream(TStream& stream) {
  auto source = std::make_unique<TMemoryStream>();
  source->LoadFromStream(stream);
  source_ = std::move(source);
}

void TW072Text::TakeDocumentPart() {
  if (zip_.Names().IndexOf(kDocumentPart) < 0) return;
  auto part = std::make_unique<TZipMember>();
  zip_.OpenMember(kDocumentPart, *part);
  source_ = std::move(part);
}

void TW072Text::LoadFromFile(const std::string& fileName) {
  SetFileName(fileName);
  source_.reset();
  try {
    zip_.Open(fileName);
  } catch (const Exception&) {
    return;  // not an archive we can open: no text, silently
  }
  TakeDocumentPart();
}

void TW072Text::LoadFromStream(TStream& stream) {
  source_.reset();
  archive_ = ReadWholeStream(stream);
  zip_.OpenMemory(archive_.data(), archive_.size());
  TakeDocumentPart();
}

void TW072Text::Convert() {
  if (source_ != nullptr && source_->Size() > 0) {
    std::string_view bytes(static_cast<const char*>(source_->Memory()), static_cast<size_t>(source_->Size()));
    // The text is never longer than the part, nor than a document's text
    // may be (a stored part is read where it lies, whatever its size): room
    // for it all at once.
    const size_t cap = static_cast<size_t>(std::min<uint64_t>(bytes.size(), kMaxDocumentTextBytes));
    TMemoryStream& output = Output();
    output.SetCapacity(static_cast<int64_t>(cap));
    size_t written = 0;
    std::string out;
    out.reserve(kChunk + 2);
    auto flush = [&] {
      const size_t n = std::min(out.size(), cap - written);
      WriteBytes(output, std::string_view(out).substr(0, n));
      written += n;
      out.clear();
    };
    std::string tag;
    bool inTag = false;
    for (char c : bytes) {
      if (c == '<') {
        tag.assign(1, '<');
        inTag = true;
      } else if (c == '>') {
        tag += '>';
        if (tag == W07EndTag) out += "\r\n";
        inTag = false;
      } else if (inTag) {
        if (tag.size() < kMaxTagChars) tag += c;
      } else {
        out += c;
      }
      if (out.size() >= kChunk) {
        flush();
        if (written == cap) break;
      }
    }
    flush();
    output.SetCapacity(output.Size());
  }
  // The part and the archive are let go: the text is all that is kept.
  source_.reset();
  zip_.Close();
  archive_.clear();
  archive_.shrink_to_fit();
}
