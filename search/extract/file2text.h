// The converter family that loads a file into a source stream and then
// converts it: TFile2Text is the base, TW072Text the Word 2007 (.docx) kind.
#pragma once

#include <memory>
#include <string>

#include "search/extract/textextractor.h"
#include "search/extract/zipfile.h"

class TFile2Text : public TTextExtractor {
public:
  TFile2Text() = default;

  // LoadFromFile, then Convert, then Output back to its start. A kind's
  // constructor calls it, so the kind's own overrides run.
  void CreateFromFile(const std::string& fileName);
  // The same over all of source instead of a file.
  void CreateFromStream(TStream& source);

  // Stores the name; Source holds the whole file.
  virtual void LoadFromFile(const std::string& fileName);
  virtual void Convert() {}
  // Source holds all of source.
  virtual void LoadFromStream(TStream& source);

  // The loaded bytes, or null before anything was loaded (and, for a kind
  // that lets them go once converted, after that).
  TCustomMemoryStream* Source() { return source_.get(); }

protected:
  std::unique_ptr<TCustomMemoryStream> source_;
};

// Word 2007: the main document part ("word\document.xml") taken out of the
// zip container, with its XML tags dropped and a line break after each
// paragraph. The text stays UTF-8, entities as they stand, and stops at
// kMaxDocumentTextBytes. The part is read where it lies (inflated once,
// never copied; a stored one whatever its size) and let go once converted,
// so one copy of the document's text is held at a time.
class TW072Text : public TFile2Text {
public:
  TW072Text() = default;
  // Converts the whole file. A file that is no zip archive, or one without
  // the document part, gives no text; an error while extracting the part
  // reaches the caller.
  explicit TW072Text(const std::string& fileName) { CreateFromFile(fileName); }

  void LoadFromFile(const std::string& fileName) override;
  void Convert() override;
  void LoadFromStream(TStream& source) override;

private:
  void TakeDocumentPart();

  TZipFile zip_;            // open while the part is read from it
  std::string archive_;     // the archive's bytes, when loaded from a stream
};

// The tag that closes a paragraph.
inline constexpr const char* W07EndTag = "</w:p>";
