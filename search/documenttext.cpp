#include "search/documenttext.h"

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "search/extract/file2text.h"
#include "search/extract/pdf2text.h"
#include "search/extract/rtf2text.h"
#ifdef _WIN32
#include "search/chm2text.h"
#endif

namespace {

enum TDocumentKind { dkNone, dkPdf, dkRtf, dkChm, dkDocx };

TDocumentKind DocumentKind(const std::string& fileName) {
  // The known extensions are ASCII, so ASCII case folding decides as well as
  // the locale's would, without a system call per file.
  std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".pdf") return dkPdf;
  if (ext == ".rtf") return dkRtf;
#ifdef _WIN32
  if (ext == ".chm") return dkChm;
#endif
  if (ext == ".docx") return dkDocx;
  return dkNone;
}

}  // namespace

std::unique_ptr<TTextExtractor> CreateTextExtractor(const std::string& fileName, const std::string& realName) {
  switch (DocumentKind(realName.empty() ? fileName : realName)) {
    case dkPdf: return std::make_unique<TPDF2Text>(fileName);
    case dkRtf: return std::make_unique<TRtf2Text>(fileName);
#ifdef _WIN32
    case dkChm: return std::make_unique<TChm2Text>(fileName);
#else
    case dkChm: break;
#endif
    case dkDocx: return std::make_unique<TW072Text>(fileName);
    case dkNone: break;
  }
  return nullptr;
}

bool IsDocumentFile(const std::string& fileName) { return DocumentKind(fileName) != dkNone; }
