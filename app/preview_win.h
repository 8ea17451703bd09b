// The main window's preview pane: the page of a text's occurrences in the
// selected file, or the picture itself, or the words "Preview is
// unavailable". The page is shown by the web-browser control; where that
// control cannot render (no engine, as under Wine), the same report is shown
// as formatted text with the occurrences highlighted.
#pragma once

#include <string>

#include "classlib/stringlist.h"

class TFindForm;

class TPreviewPane {
public:
  explicit TPreviewPane(TFindForm& form);

  // Fills the image-extension list from the image-format registry.
  void LoadImageExtensions();
  const TStringList& ImageExtensions() const { return ImageExtensions_; }

  // The selected file with the containing text (which may be empty);
  // nothing when the pane shows them already.
  void Show(const std::string& fileName, const std::wstring& text);
  // Back to "Preview is unavailable": the list no longer holds what the
  // pane showed.
  void Clear();
  // Fills the pane as the options say: hidden, the report page, the
  // picture, or "Preview is unavailable".
  void UpdatePreview(const std::string& fileName, const std::wstring& text);

  // Whether reports go to the web browser (false: to the text fallback).
  bool UsesBrowser() const;
  // The browser's word that it cannot show pages: reports go to the text
  // fallback from now on, the one being shown included.
  void BrowserCannotRender();

private:
  void ShowReport(const std::string& fileName, const std::wstring& text);
  void ShowPicture(const std::string& fileName);
  void ShowUnavailable();
  void ShowFallback();

  TFindForm& form_;
  TStringList ImageExtensions_;
  bool browserFailed_ = false;
  std::string lastPage_;  // the report being shown
  std::wstring lastText_;
  std::string shownFile_;  // what the pane was last asked to show
  std::wstring shownText_;
};

// The report page as rich text for the fallback: one paragraph per row, the
// row's number, a tab and its context, each occurrence of text (letter case
// ignored) highlighted; any text outside the table (an error page) as it
// reads. Only the markup the report page uses is understood.
std::string ReportPageToRtf(const std::string& html, const std::wstring& text);
