#include "search/extract/file2text.h"

#include "classlib/exceptions.h"
#include "search/extract/zipfile.h"

namespace {

constexpr const char* kDocumentPart = "word\\document.xml";
constexpr size_t kMaxTagChars = 60;

// Source := the document part of the archive, when it has one.
void TakeDocumentPart(TZipFile& zip, TMemoryStream& source) {
  if (zip.Names().IndexOf(kDocumentPart) < 0) return;
  zip.UnzipFileToBuffer(kDocumentPart, source);
  source.SetPosition(0);
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
  source_ = std::make_unique<TMemoryStream>();
  TZipFile zip;
  try {
    zip.Open(fileName);
  } catch (const Exception&) {
    return;  // not an archive we can open: no text, silently
  }
  TakeDocumentPart(zip, *source_);
}

void TW072Text::LoadFromStream(TStream& stream) {
  source_ = std::make_unique<TMemoryStream>();
  std::string bytes = ReadWholeStream(stream);
  TZipFile zip;
  zip.OpenMemory(bytes.data(), bytes.size());
  TakeDocumentPart(zip, *source_);
}

void TW072Text::Convert() {
  if (source_ == nullptr || source_->Size() == 0) return;
  std::string_view bytes(static_cast<const char*>(source_->Memory()), static_cast<size_t>(source_->Size()));
  std::string out;
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
  }
  WriteBytes(Output(), out);
}
