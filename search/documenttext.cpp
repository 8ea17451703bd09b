#include "search/documenttext.h"

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "search/extract/file2text.h"
#include "search/extract/pdf2text.h"
#include "search/extract/rtf2text.h"
#ifdef _WIN32
#include "search/chm2text.h"
#endif

std::unique_ptr<TTextExtractor> CreateTextExtractor(const std::string& fileName) {
  // The known extensions are ASCII, so ASCII case folding decides as well as
  // the locale's would, without a system call per file.
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".pdf") return std::make_unique<TPDF2Text>(fileName);
  if (ext == ".rtf") return std::make_unique<TRtf2Text>(fileName);
#ifdef _WIN32
  if (ext == ".chm") return std::make_unique<TChm2Text>(fileName);
#endif
  if (ext == ".docx") return std::make_unique<TW072Text>(fileName);
  return nullptr;
}
