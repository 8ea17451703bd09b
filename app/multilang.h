// The interface's translation: every text of the program is written in
// English; captions and hints of the forms are recorded at start-up under a
// key of form and component name, and set again from a language file, a
// list of "English=translation" lines in the "Languages" folder beside the
// program.
#pragma once

#include <string>
#include <string_view>

#include "classlib/object.h"
#include "classlib/stringlist.h"

class TComponent;

class TMultiLang : public TObject {
public:
  TMultiLang();
  ~TMultiLang() override;

  // Fills Languages ("< Default >" first, then the display names of the
  // *.lng files, sorted) and LanguageFiles; the number of files found.
  int LoadLanguageList();
  // The same, from another folder (with its trailing "\").
  int LoadLanguageList(const std::string& folder);

  // Records the English caption and hint of every translatable component of
  // every form the application owns.
  void CaptureDefaults();
  // Chooses a language by display name: loads its file, or goes back to
  // English for a name without one. An empty name does nothing.
  void SetLanguage(const std::string& name);
  void LoadLanguageFile(const std::string& path);
  void ApplyToAllForms();
  void ResetToDefault();

  // The translation of text, or text itself.
  std::string Translate(std::string_view text) const;
  // For texts used as formats: a translation whose conversions ("%d",
  // "%s", ...) differ from the English text's would format garbage or read
  // arguments that are not there, so the English text is used instead.
  std::string TranslateFormat(std::string_view text) const;

  const std::string& Language() const { return language_; }
  const std::string& FileName() const { return fileName_; }
  const TStringList& Languages() const { return languages_; }
  const TStringList& LanguageFiles() const { return languageFiles_; }
  const TStringList& Defaults() const { return defaults_; }
  const TStringList& Translations() const { return translations_; }

  // Recording and applying one owner's components under a key prefix (a
  // form's name); public for the forms that are not owned by the
  // application.
  void CaptureComponents(TComponent* owner, const std::string& prefix);
  void ApplyComponents(TComponent* owner, const std::string& prefix);

  static constexpr const char* kDefaultLanguage = "< Default >";

private:
  void CaptureMenuItems(TComponent* item, const std::string& prefix);
  void ApplyMenuItems(TComponent* item, const std::string& prefix);
  void AddDefault(const std::string& key, const std::string& text);
  // The English text recorded under key ("" when none was).
  std::string DefaultOf(const std::string& key) const;
  bool HasDefault(const std::string& key) const;

  TStringList defaults_;
  TStringList translations_;
  std::string fileName_;
  std::string language_;
  TStringList languages_;
  TStringList languageFiles_;
};

// The conversions of a format text in order ("%d", "%-5s", ...; "%%" is no
// conversion).
std::string FormatConversions(std::string_view format);

// A format holding one "%d" (as TranslateFormat hands it out) with value.
std::string FormatInt(std::string_view format, int value);

// The display name of a language file: its name up to the first ".lng" (any
// letter case) with an upper-case first letter; empty for a name that is
// only ".lng" or has no ".lng".
std::string LanguageDisplayName(std::string_view fileName);

// The program's one translation object.
extern TMultiLang* MultiLang;
