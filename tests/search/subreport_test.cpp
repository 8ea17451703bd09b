// The occurrence report: counting, the page's rows and shape, escaping,
// documents read through their converters, and the error page.
#include "search/subreport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "classlib/codepage.h"
#include "search/extract/testfiles.h"
#include "search_test_util.h"

using namespace search_test;

namespace {

const std::string kTableStart =
    "<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"1\" margin=2 bgcolor=\"#777777\">";
const std::string kPageEnd = "</BODY></HTML>";

std::string ExtractData(const std::string& name) {
#ifdef _WIN32
  return std::string(OVALIS_TEST_DATA) + "\\..\\extract\\data\\" + name;
#else
  return std::string(OVALIS_TEST_DATA) + "/../extract/data/" + name;
#endif
}

struct Report {
  int32_t count;
  std::string html;
};

Report MakeReport(const std::string& fileName, const std::wstring& text) {
  TSubStringReport report;
  int32_t count = report.MakeReport(fileName, text);
  EXPECT_EQ(report.Hint().Stream(), nullptr) << "the stream is taken back before it is freed";
  return {count, report.Html()};
}

// A file of its own for each test: ctest runs the tests of this program side
// by side, each in a process of its own.
class ReportFile {
public:
  ReportFile(const std::string& bytes, const std::string& suffix) {
    static int counter = 0;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    path_ = testing::TempDir() + "ovalis_report_" + test->test_suite_name() + "_" + test->name() + "_" +
            std::to_string(counter++) + suffix;
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~ReportFile() { std::remove(path_.c_str()); }
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

Report ReportOn(const std::string& bytes, const std::wstring& text, const std::string& suffix = ".txt") {
  ReportFile file(bytes, suffix);
  return MakeReport(file.Path(), text);
}

size_t CountOf(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

size_t Rows(const std::string& html) {
  return CountOf(html, "<tr bgcolor=\"#DDDDDD\">") + CountOf(html, "<tr bgcolor=\"#FFFFFF\">");
}

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

}  // namespace

// Each search resumes right after the previous occurrence, so neighbours
// count; case is ignored.
TEST(SubStringReport, CountsEveryOccurrenceResumingAfterEachOne) {
  struct Case {
    std::string bytes;
    std::wstring text;
    int32_t count;
  };
  const Case cases[] = {
      {"foo foo", L"foo", 2},     {"ababab", L"ab", 3},          {"abab", L"ab", 2},
      {"aaaa", L"aa", 2},         {"aaa", L"aa", 1},             {"FOO foo Foo", L"foo", 3},
      {"nothing here", L"xyz", 0}, {"", L"xyz", 0},              {"x", L"xyz", 0},
  };
  for (const Case& c : cases) {
    Report r = ReportOn(c.bytes, c.text);
    EXPECT_EQ(r.count, c.count) << c.bytes;
    EXPECT_EQ(Rows(r.html), static_cast<size_t>(c.count)) << c.bytes;
  }
}

// The header, the table, one row per occurrence (grey, then white), contexts
// escaped with each CR as a line break and LF kept, then the page's end.
TEST(SubStringReport, PageHasTheHeaderTableAndAlternatingRows) {
  Report r = ReportOn("- a<b -\r\n- a<b -", L"A<B");
  ASSERT_EQ(r.count, 2);
  // Each context starts where its search began (the file's first byte
  // included).
  EXPECT_EQ(r.html, std::string(kSubReportHeader) + kTableStart +
                        "<tr bgcolor=\"#DDDDDD\"><td>1</td><td>- a&lt;b -<br>\n- a&lt;b -</td></tr>"
                        "<tr bgcolor=\"#FFFFFF\"><td>2</td><td> -<br>\n- a&lt;b -</td></tr>"
                        "</table>" + kPageEnd);

  Report none = ReportOn("no such text", L"needle");
  EXPECT_EQ(none.count, 0);
  EXPECT_EQ(none.html, std::string(kSubReportHeader) + kTableStart + "</table>" + kPageEnd);
}

TEST(SubStringReport, HeaderIsFourLinesEndingInCrLf) {
  const std::string header = kSubReportHeader;
  EXPECT_EQ(CountOf(header, "\r\n"), 4u);
  EXPECT_EQ(header.rfind("\r\n"), header.size() - 2);
  EXPECT_EQ(header.find("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n<HTML><HEAD>"), 0u);
  EXPECT_NE(header.find("CHARSET=UTF-8"), std::string::npos);
  EXPECT_NE(header.find("</SCRIPT> \r\n<BODY onload=\"onLoad();\" leftmargin=4 topmargin=4 rightmargin=4 "
                        "bottommargin=4>\r\n"),
            std::string::npos);
  EXPECT_EQ(header.find("</HEAD>"), std::string::npos);
}

// After the limit one more row is shown, then the message row, and the
// count stops there.
TEST(SubStringReport, StopsAfterOneRowMoreThanTheLimit) {
  const std::string message =
      "<tr bgcolor=\"#BBBBBB\"><td colspan=2><center><b>More then 100 coincidences found. Search was "
      "stoped.</b></center></td></table>";
  for (int occurrences : {100, 101, 150}) {
    Report r = ReportOn(Repeat("x ab ", occurrences), L"ab");
    const bool stopped = occurrences > 100;
    EXPECT_EQ(r.count, stopped ? 101 : occurrences);
    EXPECT_EQ(Rows(r.html), stopped ? 101u : static_cast<size_t>(occurrences));
    EXPECT_EQ(r.html.find(message) != std::string::npos, stopped) << occurrences;
    EXPECT_NE(r.html.find("<td>100</td>"), std::string::npos);
  }
}

// Markup in a file is shown as text, never taken into the page.
TEST(SubStringReport, FileTextCannotInjectMarkup) {
  Report r = ReportOn(" <script>alert(\"x\")</script><b onclick=1>needle & more</b>", L"needle");
  ASSERT_EQ(r.count, 1);
  const std::string body = r.html.substr(std::string(kSubReportHeader).size());
  EXPECT_EQ(body.find("<script"), std::string::npos);
  EXPECT_EQ(body.find("<b "), std::string::npos);
  EXPECT_NE(body.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&lt;b onclick=1&gt;needle &amp; "
                      "more&lt;/b&gt;"),
            std::string::npos);
}

TEST(HtmlEscape, EscapesMarkupTurnsCrIntoABreakAndGivesUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"a<b", "a&lt;b"},
      {"\"&>", "&quot;&amp;&gt;"},
      {"a\r\nb\nc\r", "a<br>\nb\nc<br>"},
      {"caf\xE9", "caf\xC3\xA9"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(HtmlEscape(text), escaped) << text;
}

// A Western text in the system's code page, its DOS code page, UTF-8 and
// UTF-16 is counted alike; the context comes out as UTF-8.
TEST(SubStringReport, CountsTheTextInEachEncoding) {
  SystemCodePages pages("1252", "437");
  if (AnsiCodePage() != 1252 || OemCodePage() != 437) GTEST_SKIP() << "needs code pages 1252/437";
  for (unsigned codePage : {1252u, 437u, kUtf8CodePage, kUtf16}) {
    Report r = ReportOn(Encode(L"\tcafé x CAFÉ\t", codePage), L"café");
    EXPECT_EQ(r.count, 2) << codePage;
    EXPECT_NE(r.html.find("<td>caf\xC3\xA9 x CAF\xC3\x89</td>"), std::string::npos) << codePage;
  }
}

TEST(SubStringReport, CountsCyrillicTextInEachEncodingOnACyrillicSystem) {
  SystemCodePages pages("1251", "866");
  if (AnsiCodePage() != 1251 || OemCodePage() != 866) GTEST_SKIP() << "needs code pages 1251/866";
  for (unsigned codePage : {1251u, 866u, 20866u, kUtf8CodePage, kUtf16}) {
    Report r = ReportOn(Encode(L"\tкурочка Ряба, КУРОЧКА\t", codePage), L"Курочка");
    EXPECT_EQ(r.count, 2) << codePage;
    EXPECT_NE(r.html.find("<td>" + WideToMultiByte(L"курочка Ряба, КУРОЧКА", kUtf8CodePage) + "</td>"),
              std::string::npos)
        << codePage;
  }
}

// A Cyrillic phrase found in a UTF-8, UTF-16 or KOI8-R file is shown as it
// is, though a Western system's code page cannot hold it.
TEST(SubStringReport, ShowsCyrillicContextAsItIsOnAWesternSystem) {
  SystemCodePages pages("1252", "437");
  if (AnsiCodePage() != 1252) GTEST_SKIP() << "needs code page 1252";
  for (unsigned codePage : {20866u, kUtf8CodePage, kUtf16}) {
    Report r = ReportOn(Encode(L"\tкурочка Ряба, КУРОЧКА\t", codePage), L"Курочка");
    EXPECT_EQ(r.count, 2) << codePage;
    EXPECT_NE(r.html.find("<td>" + WideToMultiByte(L"курочка Ряба, КУРОЧКА", kUtf8CodePage) + "</td>"),
              std::string::npos)
        << codePage << "\n" << r.html;
  }
}

// A plain English word found in a UTF-8 file: its accented and Cyrillic
// neighbours are shown as they are, not read through the Western code page.
TEST(SubStringReport, ShowsTheNeighboursOfAnAsciiWordInAUtf8FileAsTheyAre) {
  SystemCodePages pages("1252", "437");
  if (AnsiCodePage() != 1252) GTEST_SKIP() << "needs code page 1252";
  const std::wstring line = L"caf\xE9 \x043F\x0440\x0438\x0432\x0435\x0442 needle";
  Report r = ReportOn(Encode(L"\t" + line + L"\t", kUtf8CodePage), L"needle");
  EXPECT_EQ(r.count, 1);
  EXPECT_NE(r.html.find("<td>" + WideToMultiByte(line, kUtf8CodePage) + "</td>"), std::string::npos) << r.html;
}

// The text arrives wide: one the system's code page cannot hold is still
// searched as itself, not as the question marks an 8-bit copy would hold.
TEST(SubStringReport, SearchesTheWideTextNotAnAnsiCopyOfIt) {
  SystemCodePages pages("1252", "437");
  if (AnsiCodePage() != 1252) GTEST_SKIP() << "needs code page 1252";
  for (unsigned codePage : {kUtf8CodePage, kUtf16}) {
    Report r = ReportOn(Encode(L"\tλόγος ????? λόγος\t", codePage), L"λόγος");
    EXPECT_EQ(r.count, 2) << codePage;
  }
}

// Documents are read through their converters: the raw files hold these
// texts compressed or escaped, and an upper-case extension counts too.
TEST(SubStringReport, ReadsDocumentsThroughTheirConverters) {
  struct Case {
    const char* file;
    const char* suffix;
    std::wstring text;
    int32_t count;
    std::string context;
  };
  const Case cases[] = {
      {"pdf_groff.pdf", ".pdf", L"needle", 1, "Second paragraph with needle inside (parenthesised) and caf\xC3\xA9."},
      {"rtf_pandoc.rtf", ".rtf", L"back\\slash", 1, "{braces} back\\slash."},
      {"docx_pandoc.docx", ".docx", L"needle", 1, "First paragraph with needle &amp;amp; more."},
      {"docx_pandoc.docx", ".DOCX", L"needle", 1, "First paragraph with needle &amp;amp; more."},
  };
  for (const Case& c : cases) {
    const std::string bytes = ReadFileBytes(ExtractData(c.file));
    Report r = ReportOn(bytes, c.text, c.suffix);
    EXPECT_EQ(r.count, c.count) << c.file << c.suffix;
    EXPECT_NE(r.html.find(c.context), std::string::npos) << c.file << c.suffix << "\n" << r.html;
    EXPECT_EQ(ReportOn(bytes, c.text, ".bin").count, 0) << c.file << " read raw";
    ReportFile shortName(bytes, "~1.DOC");
    EXPECT_EQ(TSubStringReport().MakeReport(shortName.Path(), c.text, std::string("own") + c.suffix), c.count)
        << c.file << " reached by a short name";
  }
  EXPECT_EQ(MakeReport(ExtractData("docx_pandoc.docx"), L"needle").count, 1);
}

// Whatever fails, the preview gets a page: a missing file, a document whose
// conversion raises.
TEST(SubStringReport, FailureGivesTheErrorPage) {
  const std::string errorPage = std::string(kSubReportHeader) + "Error processing file" + kPageEnd;
  Report missing = MakeReport(ExtractData("no_such_file.txt"), L"needle");
  EXPECT_EQ(missing.count, -1);
  EXPECT_EQ(missing.html, errorPage);
  Report badPdf = ReportOn("%PDF-1.4\nstream\nneedle\nendstream\n", L"needle", ".pdf");
  EXPECT_EQ(badPdf.count, -1);
  EXPECT_EQ(badPdf.html, errorPage);
  // The same report object recovers for the next file.
  TSubStringReport report;
  EXPECT_EQ(report.MakeReport(ExtractData("no_such_file.txt"), L"needle"), -1);
  ReportFile good("a needle", ".txt");
  EXPECT_EQ(report.MakeReport(good.Path(), L"needle"), 1);
  EXPECT_NE(report.Html().find("<td>1</td>"), std::string::npos);
}
