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
std::unique_ptr<TTextExtractor> CreateTextExtractor(const std::string& fileName);

// Whether CreateTextExtractor would convert the file (without doing it).
bool IsDocumentFile(const std::string& fileName);
