#include "search/extract/file2text.h"

#include <algorithm>

#include "classlib/exceptions.h"
#include "search/extract/utf8text.h"
#include "search/extract/zipfile.h"

namespace {

constexpr const char* kDocumentPart = "word\\document.xml";
constexpr size_t kMaxTagChars = 60;
// Text is written to the output a chunk at a time.
constexpr size_t kChunk = 64 * 1024;

// The document part's text, written as the part's pieces arrive: tags
// dropped, a line break after each paragraph, and no more than cap bytes,
// which end on a whole UTF-8 character.
class TPartText {
public:
  TPartText(TMemoryStream& output, uint64_t cap) : output_(output), cap_(cap) { out_.reserve(kChunk + 2); }

  // False once the cap is reached: no more of the part is wanted.
  bool Take(std::string_view piece) {
    const char* p = piece.data();
    const size_t n = piece.size();
    for (size_t i = 0; i < n;) {
      // A run of text, or of a tag's inside, up to the next bracket; text
      // only as far as the chunk has room (a stored part is one piece,
      // however large). The chunk is never full here.
      const size_t limit = inTag_ ? n : std::min(n, i + (kChunk - out_.size()));
      size_t end = i;
      while (end < limit && p[end] != '<' && p[end] != '>') ++end;
      if (!inTag_) out_.append(p + i, end - i);
      else if (tag_.size() < kMaxTagChars) tag_.append(p + i, std::min(end - i, kMaxTagChars - tag_.size()));
      i = end;
      if (i < limit) {
        if (p[i] == '<') {
          tag_.assign(1, '<');
          inTag_ = true;
        } else if (inTag_) {
          tag_ += '>';
          if (tag_ == W07EndTag) out_ += "\r\n";
          inTag_ = false;
        }
        // A ">" outside a tag closes nothing and is not text either.
        ++i;
      }
      if (out_.size() >= kChunk && !Flush()) return false;
    }
    return true;
  }

  // Writes what is left; false when the cap stopped it, now or before.
  bool Flush() {
    if (written_ >= cap_) return false;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(out_.size(), cap_ - written_));
    WriteBytes(output_, std::string_view(out_).substr(0, n));
    written_ += n;
    out_.clear();
    if (written_ < cap_) return true;
    DropCutCharacter();
    return false;
  }

  // Writes what is left of a part cut short in the middle: text cut there
  // ends on the last whole character.
  void FlushCut() {
    Flush();
    if (!inTag_) DropCutCharacter();
  }

private:
  // A character whose first bytes made it in and whose last did not would
  // read as something else entirely (a stray lead byte matches as an ANSI
  // letter).
  void DropCutCharacter() {
    const int64_t size = output_.Size();
    const size_t tail = static_cast<size_t>(std::min<int64_t>(size, 4));  // the longest character
    const std::string_view last(static_cast<const char*>(output_.Memory()) + size - tail, tail);
    output_.SetSize(size - static_cast<int64_t>(tail - CompleteUtf8Length(last)));
  }

  TMemoryStream& output_;
  const uint64_t cap_;
  uint64_t written_ = 0;
  std::string out_;
  std::string tag_;
  bool inTag_ = false;
};

// Room for the text at once: no more than the part holds once inflated,
// than its data can inflate to (a header may claim any size), nor than a
// document's text may be.
int64_t MostTextOf(const TZipEntry& part) {
  const uint64_t inflated = part.Method == 0 ? part.CompressedSize
                                             : std::min<uint64_t>(part.UncompressedSize,
                                                                  uint64_t{part.CompressedSize} * kMaxDeflateRatio);
  return static_cast<int64_t>(std::min(inflated, kMaxDocumentTextBytes));
}

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

void TW072Text::LoadFromFile(const std::string& fileName) {
  SetFileName(fileName);
  part_ = nullptr;
  try {
    zip_.Open(fileName);
  } catch (const Exception&) {
    return;  // not an archive we can open: no text, silently
  }
  FindDocumentPart();
}

void TW072Text::LoadFromStream(TStream& stream) {
  archive_ = ReadWholeStream(stream);
  zip_.OpenMemory(archive_.data(), archive_.size());
  FindDocumentPart();
}

void TW072Text::FindDocumentPart() {
  const int index = zip_.Names().IndexOf(kDocumentPart);
  part_ = index < 0 ? nullptr : static_cast<const TZipEntry*>(zip_.Names().Objects(index));
}

void TW072Text::Convert() {
  if (part_ != nullptr) {
    TMemoryStream& output = Output();
    output.SetCapacity(MostTextOf(*part_));
    TPartText text(output, kMaxDocumentTextBytes);
    uint64_t partLeft = kMaxDocumentPartBytes;
    const TUnzipResult result = zip_.ReadMember(kDocumentPart, [&](const uint8_t* piece, size_t bytes) {
      CheckConversionStop();
      const auto taken = static_cast<size_t>(std::min<uint64_t>(bytes, partLeft));
      partLeft -= taken;
      return text.Take(std::string_view(reinterpret_cast<const char*>(piece), taken)) && partLeft > 0;
    });
    if (partLeft == 0) text.FlushCut();
    else text.Flush();
    // Damage found before the cap has always given no text, however much of
    // the part was read; past the cap nothing is read to find any.
    if (result == urDamaged) output.Clear();
    output.SetCapacity(output.Size());
  }
  // The archive is let go: the text is all that is kept.
  part_ = nullptr;
  zip_.Close();
  archive_.clear();
  archive_.shrink_to_fit();
}
