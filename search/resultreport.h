// The report of a result list: a text file of one line per result, fields
// separated by TAB, or by ";" with text fields in double quotes when the
// file's name ends in ".csv".
#pragma once

#include <string>
#include <string_view>

#include "search/fileinfo.h"

// Which fields a line holds. All gives full path, type, date and size;
// otherwise the ticked ones in the order full path, name, folder, date,
// size.
struct TReportFields {
  bool All = false;
  bool FullPath = true;
  bool FileName = false;
  bool PathOnly = false;
  bool DateTime = false;
  bool FileSize = false;
};

// Whether a report file of this name is written in the ";" form (the
// lower-cased extension is ".csv").
bool IsCsvReportName(std::string_view fileName);

// One line, without its line break. A text field that holds the separator,
// a double quote or a line break is quoted with its quotes doubled, so the
// line reads back into the same fields; in the ";" form every text field is
// quoted, and one that starts with "=", "+", "-", "@", a TAB or a CR gets an
// apostrophe first, so that a spreadsheet opening the file never takes a
// file name for a formula. Sizes are never quoted.
std::string ReportLine(const TFileInfo& info, const TReportFields& fields, bool csv);
