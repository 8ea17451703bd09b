#include "search/subreport.h"

#include "classlib/codepage.h"
#include "classlib/strutils.h"
#include "search/documenttext.h"

const char* const kSubReportHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n"
    "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=UTF-8\">"
    "<STYLE type=\"text/css\">  TABLE {font-family: \"Tahoma\", sans-serif; font-size: 8pt; margin: 0} "
    "TD {vertical-align: top} BODY {border: none}</STYLE>\r\n"
    // The browser's context menu only when some text is selected.
    "<SCRIPT LANGUAGE=\"JScript\">function onContextMenu(){  if (document.selection.type == \"None\")  "
    "{ window.event.returnValue = false; window.event.cancelBubble = true; return false; } }"
    "function onLoad() {document.oncontextmenu = onContextMenu;}</SCRIPT> \r\n"
    "<BODY onload=\"onLoad();\" leftmargin=4 topmargin=4 rightmargin=4 bottommargin=4>\r\n";

namespace {

constexpr const char* kTableStart =
    "<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"1\" margin=2 bgcolor=\"#777777\">";
constexpr const char* kPageEnd = "</BODY></HTML>";
constexpr const char* kErrorText = "Error processing file";

// Takes the stream back from the matcher before the stream goes away.
class TStreamLoan {
public:
  TStreamLoan(TStringSearch& search, TStream& stream) : search_(search) { search_.SetStream(&stream); }
  ~TStreamLoan() { search_.SetStream(nullptr); }
  TStreamLoan(const TStreamLoan&) = delete;
  TStreamLoan& operator=(const TStreamLoan&) = delete;

private:
  TStringSearch& search_;
};

}  // namespace

std::string HtmlEscape(std::string_view text) {
  // Escaped by character rather than by byte, so a double-byte character's
  // trail byte is never taken for markup.
  return text.empty() ? std::string() : HtmlEscape(MultiByteToWide(text, kAnsiCodePage));
}

std::string HtmlEscape(std::wstring_view text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    switch (c) {
      case L'&': escaped += L"&amp;"; break;
      case L'<': escaped += L"&lt;"; break;
      case L'>': escaped += L"&gt;"; break;
      case L'"': escaped += L"&quot;"; break;
      case L'\r': escaped += L"<br>"; break;
      default: escaped += c; break;
    }
  }
  return WideToMultiByte(escaped, kUtf8CodePage);
}

int32_t TStringInfoHint::BuildTable(int32_t limit) {
  hitCount_ = 0;
  table_ = kTableStart;
  TStream* stream = Stream();
  if (stream != nullptr) {
    const int64_t size = stream->Size();
    int64_t position = 0;
    for (;;) {
      stream->Seek(position, soBeginning);
      if (!Search()) break;
      ++hitCount_;
      // As found, not through the Ansi code page, which may lack its letters.
      AddRow(WideContext());
      if (hitCount_ > limit) {
        // The message row has no closing row tag, as the page always had.
        table_ += "<tr bgcolor=\"#BBBBBB\"><td colspan=2><center><b>More then " + IntToStr(limit) +
                  " coincidences found. Search was stoped.</b></center></td>";
        break;
      }
      // The matcher would go on one text length past the occurrence and miss
      // a neighbour such as the second "ab" of "abab"; count from its end.
      position = Match().Offset + Match().Length;
      if (position >= size) break;
    }
  }
  table_ += "</table>";
  return hitCount_;
}

void TStringInfoHint::AddRow(const std::wstring& context) {
  table_ += hitCount_ % 2 == 1 ? "<tr bgcolor=\"#DDDDDD\">" : "<tr bgcolor=\"#FFFFFF\">";
  table_ += "<td>" + IntToStr(hitCount_) + "</td>";
  table_ += "<td>" + HtmlEscape(context) + "</td>";
  table_ += "</tr>";
}

TSubStringReport::TSubStringReport() : hint_(std::make_unique<TStringInfoHint>()) {
  hint_->SetCodePages(cpAllCodePages);
  hint_->SetCaseSensitive(false);
}

int32_t TSubStringReport::MakeReport(const std::string& fileName, const std::wstring& text, const std::string& realName) {
  hint_->SetSearchText(text);
  std::string page = kSubReportHeader;
  int32_t count = -1;
  // The preview shows whatever page comes back, so a file that cannot be
  // opened or converted gets the error page too instead of an exception.
  try {
    std::unique_ptr<TTextExtractor> extractor = CreateTextExtractor(fileName, realName);
    std::unique_ptr<TFileStream> file;
    TStream* stream = nullptr;
    if (extractor) {
      stream = &extractor->Output();
    } else {
      file = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
      stream = file.get();
    }
    TStreamLoan loan(*hint_, *stream);
    count = hint_->BuildTable(kRowLimit);
    page += hint_->Table();
  } catch (...) {
    page += kErrorText;
    count = -1;
  }
  page += kPageEnd;
  html_ = std::move(page);
  return count;
}
