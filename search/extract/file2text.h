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

  // The loaded bytes, or null before anything was loaded (and for a kind
  // that reads its source where it lies).
  TCustomMemoryStream* Source() { return source_.get(); }

protected:
  std::unique_ptr<TCustomMemoryStream> source_;
};

// The most of a document part that is read, markup and text together. A
// real document's markup is a few times its text, so the text cap is
// reached well before this; a part that goes on past it (run formatting
// repeated to gigabytes, say) holds next to no text, and reading all of it
// would stall a search for seconds.
constexpr uint64_t kMaxDocumentPartBytes = 4 * kMaxDocumentTextBytes;

// Word 2007: the main document part ("word\document.xml") taken out of the
// zip container, with its XML tags dropped and a line break after each
// paragraph. The text stays UTF-8, entities as they stand, and stops at
// kMaxDocumentTextBytes, on a whole character, and is taken from no more
// than the first kMaxDocumentPartBytes of the part. The part is read where
// it lies: a stored one as it is, a deflated one inflated a piece at a time
// and only as far as the text needs; so the text is all that is held, and
// Source() stays empty.
class TW072Text : public TFile2Text {
public:
  TW072Text() = default;
  // Converts the whole file. A file that is no zip archive, one without the
  // document part, or one whose part is damaged, gives no text; an error
  // while extracting the part reaches the caller.
  explicit TW072Text(const std::string& fileName) { CreateFromFile(fileName); }

  void LoadFromFile(const std::string& fileName) override;
  void Convert() override;
  void LoadFromStream(TStream& source) override;

private:
  void FindDocumentPart();

  TZipFile zip_;                       // open until the part is converted
  const TZipEntry* part_ = nullptr;    // its listing, while it is open
  std::string archive_;                // the archive's bytes, when loaded from a stream
};

// The tag that closes a paragraph.
inline constexpr const char* W07EndTag = "</w:p>";
