#include <gtest/gtest.h>

#include <string>

#include "classlib/datetime.h"
#include "search/resultreport.h"

namespace {

TFileInfo Sample() {
  TFileInfo info;
  info.Name = "report.doc";
  info.Path = "C:\\Data";
  info.TypeName = "Word \"97\" document";
  info.Size = 1536;
  info.Modified = EncodeDate(2024, 3, 1);
  return info;
}

TEST(ResultReport, AllFieldsInTheSemicolonFormQuoteTextAndLeaveTheSizeBare) {
  const std::string date = DateTimeToStr(EncodeDate(2024, 3, 1));
  TReportFields all;
  all.All = true;
  EXPECT_EQ(ReportLine(Sample(), all, true),
            "\"C:\\Data\\report.doc\";\"Word \"\"97\"\" document\";\"" + date + "\";1536");
}

TEST(ResultReport, TabFormQuotesOnlyFieldsThatWouldNotReadBack) {
  TReportFields all;
  all.All = true;
  const std::string date = DateTimeToStr(EncodeDate(2024, 3, 1));
  EXPECT_EQ(ReportLine(Sample(), all, false),
            "C:\\Data\\report.doc\t\"Word \"\"97\"\" document\"\t" + date + "\t1536");
  TReportFields path;  // full path alone, the default
  EXPECT_EQ(ReportLine(Sample(), path, false), "C:\\Data\\report.doc");
}

TEST(ResultReport, ChosenFieldsComeInTheirFixedOrder) {
  TReportFields fields;
  fields.FullPath = false;
  fields.FileName = true;
  fields.FileSize = true;
  EXPECT_EQ(ReportLine(Sample(), fields, true), "\"report.doc\";1536");
  TFileInfo comma = Sample();
  comma.Name = "a;b, c.txt";
  EXPECT_EQ(ReportLine(comma, fields, true), "\"a;b, c.txt\";1536");
  EXPECT_EQ(ReportLine(comma, fields, false), "a;b, c.txt\t1536");
  TReportFields none;
  none.FullPath = false;
  EXPECT_EQ(ReportLine(Sample(), none, true), "");
}

// A spreadsheet never reads a file name of the ";" form as a formula; the
// TAB form keeps every name as it is.
TEST(ResultReport, CsvFieldsThatCouldStartAFormulaGetAnApostrophe) {
  TReportFields name;
  name.FullPath = false;
  name.FileName = true;
  for (const std::string start : {"=", "+", "-", "@", "\t", "\r"}) {
    TFileInfo info = Sample();
    info.Name = start + "HYPERLINK(x).txt";
    EXPECT_EQ(ReportLine(info, name, true), "\"'" + info.Name + "\"");
    EXPECT_EQ(ReportLine(info, name, false).substr(0, 2), start == "\t" || start == "\r" ? "\"" + start : start + "H");
  }
  EXPECT_EQ(ReportLine(Sample(), name, true), "\"report.doc\"");
}

TEST(ResultReport, OnlyTheCsvExtensionChoosesTheSemicolonForm) {
  EXPECT_TRUE(IsCsvReportName("C:\\x\\list.csv"));
  EXPECT_TRUE(IsCsvReportName("LIST.CSV"));
  EXPECT_FALSE(IsCsvReportName("list.txt"));
  EXPECT_FALSE(IsCsvReportName("csv"));
}

}  // namespace
