#include "search/resultreport.h"

#include "classlib/datetime.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"

namespace {

class TLineBuilder {
public:
  explicit TLineBuilder(bool csv) : csv_(csv), separator_(csv ? ';' : '\t') {}

  void Text(std::string_view field) {
    if (csv_) {
      const bool formula = !field.empty() && std::string_view("=+-@\t\r").find(field[0]) != std::string_view::npos;
      line_ += AnsiQuotedStr(formula ? "'" + std::string(field) : std::string(field), '"');
      line_ += separator_;
      return;
    }
    const bool quote = field.find_first_of(std::string{separator_, '"', '\r', '\n'}) != std::string_view::npos;
    line_ += quote ? AnsiQuotedStr(field, '"') : std::string(field);
    line_ += separator_;
  }
  void Number(int64_t value) {
    line_ += IntToStr(value);
    line_ += separator_;
  }
  // The line without its last separator.
  std::string Finish() {
    if (!line_.empty()) line_.pop_back();
    return line_;
  }

private:
  bool csv_;
  char separator_;
  std::string line_;
};

}  // namespace

bool IsCsvReportName(std::string_view fileName) { return LowerCase(ExtractFileExt(fileName)) == ".csv"; }

std::string ReportLine(const TFileInfo& info, const TReportFields& fields, bool csv) {
  TLineBuilder line(csv);
  const std::string fullPath = info.Path + "\\" + info.Name;
  if (fields.All) {
    line.Text(fullPath);
    line.Text(info.TypeName);
    line.Text(DateTimeToStr(info.Modified));
    line.Number(info.Size);
    return line.Finish();
  }
  if (fields.FullPath) line.Text(fullPath);
  if (fields.FileName) line.Text(info.Name);
  if (fields.PathOnly) line.Text(info.Path);
  if (fields.DateTime) line.Text(DateTimeToStr(info.Modified));
  if (fields.FileSize) line.Number(info.Size);
  return line.Finish();
}
