// Which files are turned into text before their contents are searched: the
// kind of converter is chosen by the file's lower-case extension.
#pragma once

#include <memory>
#include <string>

#include "search/extract/textextractor.h"

// The converter for a ".pdf", ".rtf", ".chm" (Windows only: it runs the
// help decompiler) or ".docx" file, already run
// over the file (its text in Output(), positioned at 0); nullptr for every
// other file, which is searched unchanged. Conversion errors propagate.
// realName, when given, is the file's own name where fileName reaches it by
// its short name ("REPO~PAJ.DOC" for "Łódź report.docx"): its extension
// chooses.
std::unique_ptr<TTextExtractor> CreateTextExtractor(const std::string& fileName, const std::string& realName = {});

// Whether CreateTextExtractor would convert a file of that name (without
// doing it).
bool IsDocumentFile(const std::string& fileName);
