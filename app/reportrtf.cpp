#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "app/preview_win.h"
#include "classlib/codepage.h"
#include "classlib/strutils.h"

namespace {

// The report page's markup, read as far as the fallback needs it: rows,
// cells and line breaks; scripts, styles and the title are skipped.
class TReportPageReader {
public:
  explicit TReportPageReader(std::string_view html) : html_(html) {}

  std::vector<std::wstring> Paragraphs() {
    while (pos_ < html_.size()) {
      const char c = html_[pos_];
      if (c == '<') Tag();
      else if (c == '&') Entity();
      else if (c == '\r' || c == '\n') ++pos_;
      else pending_ += html_[pos_++];
    }
    EndParagraph();
    return paragraphs_;
  }

private:
  void Flush() {
    if (pending_.empty()) return;
    current_ += MultiByteToWide(pending_, kUtf8CodePage);
    pending_.clear();
  }
  void EndParagraph() {
    Flush();
    if (!current_.empty()) paragraphs_.push_back(current_);
    current_.clear();
    cells_ = 0;
  }
  void Tag() {
    Flush();
    const size_t end = html_.find('>', pos_);
    const std::string_view body = html_.substr(pos_ + 1, end == std::string_view::npos ? std::string_view::npos : end - pos_ - 1);
    pos_ = end == std::string_view::npos ? html_.size() : end + 1;
    size_t nameEnd = !body.empty() && body[0] == '/' ? 1 : 0;
    while (nameEnd < body.size() && std::isalnum(static_cast<unsigned char>(body[nameEnd])) != 0) ++nameEnd;
    const std::string name = LowerCase(body.substr(0, nameEnd));
    if (name == "script" || name == "style" || name == "title") {
      SkipPast("</" + name);
      return;
    }
    if (name == "tr" || name == "/tr" || name == "/table" || name == "table" || name == "center" ||
        name == "/center" || name == "p" || name == "/body") {
      EndParagraph();
    } else if (name == "td") {
      if (cells_++ > 0) current_ += L'\t';
    } else if (name == "br") {
      current_ += L'\n';
    }
  }
  void SkipPast(const std::string& closing) {
    const std::string lower = LowerCase(html_.substr(pos_));
    const size_t at = lower.find(closing);
    if (at == std::string::npos) {
      pos_ = html_.size();
      return;
    }
    const size_t end = html_.find('>', pos_ + at);
    pos_ = end == std::string_view::npos ? html_.size() : end + 1;
  }
  void Entity() {
    Flush();
    const size_t end = html_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 10) {
      current_ += L'&';
      ++pos_;
      return;
    }
    const std::string name(html_.substr(pos_ + 1, end - pos_ - 1));
    pos_ = end + 1;
    if (name == "amp") current_ += L'&';
    else if (name == "lt") current_ += L'<';
    else if (name == "gt") current_ += L'>';
    else if (name == "quot") current_ += L'"';
    else if (name == "nbsp") current_ += L' ';
    else if (!name.empty() && name[0] == '#') {
      int64_t code = 0;
      if (TryStrToInt64(name.substr(1), code) && code > 0 && code < 0xFFFF) current_ += static_cast<wchar_t>(code);
    } else {
      current_ += L"&" + MultiByteToWide(name) + L";";
    }
  }

  std::string_view html_;
  size_t pos_ = 0;
  std::string pending_;  // UTF-8 bytes not yet decoded
  std::wstring current_;
  int cells_ = 0;
  std::vector<std::wstring> paragraphs_;
};

void AppendRtfText(std::string& rtf, std::wstring_view text) {
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'{' || c == L'}') {
      rtf += '\\';
      rtf += static_cast<char>(c);
    } else if (c == L'\t') {
      rtf += "\\tab ";
    } else if (c == L'\n') {
      rtf += "\\line ";
    } else if (c < 0x80) {
      rtf += static_cast<char>(c);
    } else {
      rtf += "\\u" + IntToStr(static_cast<int16_t>(c)) + "?";
    }
  }
}

}  // namespace

std::string ReportPageToRtf(const std::string& html, const std::wstring& text) {
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}"
      "{\\colortbl;\\red255\\green235\\blue0;}\\f0\\fs16 ";
  const std::wstring needle = WideLowerCase(text);
  for (const std::wstring& paragraph : TReportPageReader(html).Paragraphs()) {
    const std::wstring lower = WideLowerCase(paragraph);
    size_t from = 0;
    while (!needle.empty()) {
      const size_t at = lower.find(needle, from);
      if (at == std::wstring::npos) break;
      AppendRtfText(rtf, std::wstring_view(paragraph).substr(from, at - from));
      rtf += "{\\highlight1\\b ";
      AppendRtfText(rtf, std::wstring_view(paragraph).substr(at, needle.size()));
      rtf += "}";
      from = at + needle.size();
    }
    AppendRtfText(rtf, std::wstring_view(paragraph).substr(from));
    rtf += "\\par\n";
  }
  rtf += "}";
  return rtf;
}
