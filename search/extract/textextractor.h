// The base of every document-to-text converter: a converter is built with a
// file name, does the whole conversion in its constructor and leaves the
// text in a memory stream it owns, positioned at 0. Callers hold one through
// this base and pick the kind by the file's extension.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/object.h"
#include "classlib/streams.h"

// The most text one document gives: what a converter would write past it is
// left out.
constexpr uint64_t kMaxDocumentTextBytes = 64u * 1024 * 1024;

class TTextExtractor : public TObject {
public:
  const std::string& FileName() const { return fileName_; }
  TMemoryStream& Output() { return output_; }

protected:
  TTextExtractor() = default;
  explicit TTextExtractor(std::string fileName) : fileName_(std::move(fileName)) {}
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

private:
  std::string fileName_;
  TMemoryStream output_;
};

// Asked by a conversion between its long steps (the PDF extractor before
// each stream); true means the thread it runs on has been told to stop, and
// the conversion raises EAbort. nullptr (the default): never stop. Set it
// once, before threads convert; reading and writing it is safe from any
// thread.
using TConversionShouldStop = bool (*)();
void SetConversionShouldStop(TConversionShouldStop hook);
// Raises EAbort when the hook says so.
void CheckConversionStop();

// All of source, from its start, as bytes.
std::string ReadWholeStream(TStream& source);
// Writes all of bytes, however long, to stream.
void WriteBytes(TStream& stream, std::string_view bytes);
