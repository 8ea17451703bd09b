// The occurrence report: the preview's HTML page listing every occurrence of
// the containing text in one file, each with its context, one table row per
// occurrence up to a limit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/object.h"
#include "search/stringsearch.h"

// A matcher that searches on after each hit and lays the hits out as rows.
class TStringInfoHint : public TStringSearch {
public:
  TStringInfoHint() = default;

  int32_t HitCount() const { return hitCount_; }
  const std::string& Table() const { return table_; }

  // Counts the occurrences in the stream from its start, each search resuming
  // right after the previous occurrence's last byte, and builds Table. After
  // more than limit rows a closing message row ends the table; the result is
  // then limit + 1. Read errors of the stream propagate.
  int32_t BuildTable(int32_t limit);

private:
  void AddRow(const std::wstring& context);

  int32_t hitCount_ = 0;
  std::string table_;
};

class TSubStringReport : public TObject {
public:
  // Rows shown before the report stops counting.
  static constexpr int32_t kRowLimit = 100;

  TSubStringReport();

  TStringInfoHint& Hint() { return *hint_; }
  const std::string& Html() const { return html_; }

  // Builds Html for the occurrences of text in the file, reading documents
  // through their text converters as the search does. Returns the number
  // counted (at most kRowLimit + 1), or -1 when anything failed, the file's
  // opening or conversion included: the page then says so instead of
  // listing rows. A file reached by its short name is converted as its own
  // name (realName) says.
  int32_t MakeReport(const std::string& fileName, const std::wstring& text, const std::string& realName = {});

private:
  std::unique_ptr<TStringInfoHint> hint_;
  std::string html_;
};

// text with "&", "<", ">" and the double quote as entities and each CR as a
// line break, in UTF-8, as the page declares; 8-bit text is Ansi.
std::string HtmlEscape(std::string_view text);
std::string HtmlEscape(std::wstring_view text);

// The start of every report page, up to and including the body tag.
extern const char* const kSubReportHeader;
