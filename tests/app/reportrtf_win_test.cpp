// The preview's fallback shows the same report as the web page, as text.
#include <gtest/gtest.h>

#include <string>

#include "app/preview_win.h"
#include "app_fixtures.h"
#include "search/subreport.h"

namespace {

TEST(ReportRtf, RowsBecomeParagraphsWithTheOccurrencesHighlighted) {
  const std::string page = std::string(kSubReportHeader) +
                           "<table><tr bgcolor=\"#DDDDDD\"><td>1</td><td>say Hello &amp; bye</td></tr>"
                           "<tr><td>2</td><td>\xD0\x9F\xD1\x80\xD0\xB8 hello</td></tr></table></BODY></HTML>";
  const std::string rtf = ReportPageToRtf(page, L"hello");
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.find("1\\tab say {\\highlight1\\b Hello} & bye\\par"), std::string::npos) << rtf;
  // Cyrillic from the UTF-8 page arrives as Unicode escapes.
  EXPECT_NE(rtf.find("2\\tab \\u1055?\\u1088?\\u1080? {\\highlight1\\b hello}\\par"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.find("JScript"), std::string::npos);  // the page's script is not text
}

TEST(ReportRtf, ErrorPageAndMarkupCharactersReadAsText) {
  const std::string rtf = ReportPageToRtf("<html><body>Error processing file {x}\\y</body></html>", L"");
  EXPECT_NE(rtf.find("Error processing file \\{x\\}\\\\y\\par"), std::string::npos) << rtf;
}

TEST(ReportRtf, BrokenMarkupEndsWithoutReadingPastThePage) {
  for (const char* page : {"<tr><td", "&amp", "<script>never closed", "<td>&#99999999;</td>", "<"})
    EXPECT_EQ(ReportPageToRtf(page, L"x").rfind("{\\rtf1", 0), 0u) << page;
}

}  // namespace

namespace {

TEST(ReportRtf, RealReportOfAFileKeepsEveryCharacterOfItsContext) {
  app_test::TTempFolder folder;
  const std::string file = folder.Write("letter.txt", "Dear all,\r\nthe meeting is on Monday.\r\n");
  TSubStringReport report;
  ASSERT_EQ(report.MakeReport(file, L"monday"), 1);
  const std::string rtf = ReportPageToRtf(report.Html(), L"monday");
  EXPECT_NE(rtf.find("1\\tab Dear all,\\line the meeting is on {\\highlight1\\b Monday}."), std::string::npos)
      << report.Html() << "\n" << rtf;
}

}  // namespace
