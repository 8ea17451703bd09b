#include "app/multilang.h"

#include <cstdio>
#include <string_view>

#include "app/programfolder.h"
#include "classlib/findfile.h"
#include "classlib/strutils.h"

TMultiLang* MultiLang = nullptr;

namespace {

// Flags, width, precision and length modifiers come before a conversion's
// letter ("%-5s", "%I64d"); anything else ends it.
bool IsConversionEnd(char c) { return std::string_view("-+ #0123456789.*hlLqjztI").find(c) == std::string_view::npos; }

}  // namespace

std::string FormatConversions(std::string_view format) {
  std::string conversions;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < format.size() && !IsConversionEnd(format[end])) ++end;
    conversions.append(format.substr(i, end - i + (end < format.size() ? 1 : 0)));
    conversions += '\n';
    i = end;
  }
  return conversions;
}

std::string FormatInt(std::string_view format, int value) {
  const std::string text(format);
  const int length = std::snprintf(nullptr, 0, text.c_str(), value);
  if (length < 0) return text;
  std::string result(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(result.data(), result.size(), text.c_str(), value);
  result.resize(static_cast<size_t>(length));
  return result;
}

std::string LanguageDisplayName(std::string_view fileName) {
  const size_t at = LowerCase(fileName).find(".lng");
  if (at == std::string::npos || at == 0) return {};
  std::string name(fileName.substr(0, at));
  if (name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

TMultiLang::TMultiLang() {
  defaults_.SetSorted(true);
  defaults_.SetCaseSensitive(true);
  defaults_.SetDuplicates(dupIgnore);
}

TMultiLang::~TMultiLang() {
  defaults_.Clear();
  translations_.Clear();
  languages_.Clear();
  languageFiles_.Clear();
}

int TMultiLang::LoadLanguageList() { return LoadLanguageList(ProgramFolder() + "Languages\\"); }

int TMultiLang::LoadLanguageList(const std::string& folder) {
  languages_.Clear();
  languageFiles_.Clear();
  languages_.Add(kDefaultLanguage);
  int found = 0;
  TSearchRec rec;
  TFindScope scope(rec);
  for (int status = FindFirst(folder + "*.lng", faAnyFile, rec); status == 0; status = FindNext(rec)) {
    const std::string name = LanguageDisplayName(rec.Name);
    if (name.empty()) continue;
    languageFiles_.Add(name + "=" + folder + rec.Name);
    languages_.Add(name);
    ++found;
  }
  languages_.Sort();
  return found;
}

void TMultiLang::SetLanguage(const std::string& name) {
  if (name.empty()) return;
  TStringList sorted;
  sorted.Assign(&languages_);
  sorted.SetSorted(true);
  int index = 0;
  if (!sorted.Find(name, index)) return;
  language_ = name;
  LoadLanguageFile(languageFiles_.Values(name));
}

void TMultiLang::LoadLanguageFile(const std::string& path) {
  if (!path.empty() && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    try {
      translations_.LoadFromFile(path);
      fileName_ = path;
      return;
    } catch (const Exception&) {
      // A file that cannot be read counts as gone.
    }
  }
  ResetToDefault();
}

void TMultiLang::ResetToDefault() {
  translations_.Clear();
  fileName_.clear();
  ApplyToAllForms();
}

std::string TMultiLang::Translate(std::string_view text) const {
  if (text.empty()) return {};
  const int index = translations_.IndexOfName(text);
  if (index < 0) return std::string(text);
  return translations_.ValueFromIndex(index);
}

std::string TMultiLang::TranslateFormat(std::string_view text) const {
  std::string translated = Translate(text);
  if (FormatConversions(translated) != FormatConversions(text)) return std::string(text);
  return translated;
}

void TMultiLang::AddDefault(const std::string& key, const std::string& text) { defaults_.Add(key + "=" + text); }

bool TMultiLang::HasDefault(const std::string& key) const { return defaults_.IndexOfName(key) >= 0; }

std::string TMultiLang::DefaultOf(const std::string& key) const { return defaults_.Values(key); }
