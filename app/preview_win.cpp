#include "app/preview_win.h"

#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "classlib/buttons.h"
#include "classlib/codepage.h"
#include "classlib/picture.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/splitter.h"
#include "classlib/paths.h"
#include "classlib/richedit.h"
#include "classlib/screen.h"
#include "classlib/streams.h"
#include "classlib/strutils.h"
#include "classlib/webbrowser.h"
#include "imaging/fileformatlist.h"
#include "search/folderentries.h"
#include "search/subreport.h"
#include "shell/folders.h"

namespace {

// Restores the screen cursor when the scope ends, also on an exception.
class THourGlass {
public:
  THourGlass() : saved_(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }
  ~THourGlass() { Screen->SetCursor(saved_); }
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;

private:
  TCursor saved_;
};

}  // namespace

TPreviewPane::TPreviewPane(TFindForm& form) : form_(form) {}

void TPreviewPane::LoadImageExtensions() {
  TStringList extensions;
  if (FileFormatList != nullptr) FileFormatList->GetExtensionList(extensions);
  ImageExtensions_.Clear();
  for (int i = 0; i < extensions.Count(); ++i) ImageExtensions_.Add("." + AnsiUpperCase(extensions[i]));
  ImageExtensions_.SetCaseSensitive(false);
  ImageExtensions_.SetSorted(true);
}

bool TPreviewPane::UsesBrowser() const { return !browserFailed_; }

void TPreviewPane::BrowserCannotRender() {
  browserFailed_ = true;
  if (!lastPage_.empty()) ShowFallback();
}

void TPreviewPane::Show(const std::string& fileName, const std::wstring& text) {
  if (fileName == shownFile_ && text == shownText_) return;
  UpdatePreview(fileName, text);
}

void TPreviewPane::Clear() {
  lastPage_.clear();
  UpdatePreview("", L"");
}

void TPreviewPane::UpdatePreview(const std::string& fileName, const std::wstring& text) {
  // Set first: a file that cannot be shown is not tried again for every
  // change of the selection around it.
  shownFile_ = fileName;
  shownText_ = text;
  if (!ConfigForm->CheckPreview->Checked()) {
    if (form_.pView->Visible()) form_.pView->Hide();
    if (form_.SplitterView->Visible()) form_.SplitterView->Hide();
    return;
  }
  if (!form_.pView->Visible()) form_.pView->Show();
  if (!form_.SplitterView->Visible()) form_.SplitterView->Show();
  if (!text.empty()) {
    ShowReport(fileName, text);
    return;
  }
  form_.pWeb->Hide();
  const size_t cut = fileName.find_last_of("\\:");
  const size_t dot = fileName.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (cut == std::string::npos || dot > cut);
  int index = -1;
  if (hasExtension && ImageExtensions_.Find(AnsiUpperCase(fileName.substr(dot)), index)) {
    ShowPicture(fileName);
    return;
  }
  ShowUnavailable();
}

void TPreviewPane::ShowReport(const std::string& fileName, const std::wstring& text) {
  form_.pWeb->Show();
  THourGlass wait;
  {
    TSubStringReport report;
    report.MakeReport(fileName, text, RealNameOfPath(fileName));
    lastPage_ = report.Html();
  }
  lastText_ = text;
  const std::string pageFile = GetTempDir() + "preview.htm";
  {
    TFileStream out(pageFile, fmCreate);
    out.WriteBuffer(lastPage_.data(), static_cast<int64_t>(lastPage_.size()));
  }
  if (UsesBrowser()) {
    form_.PreviewText->Hide();
    form_.WebBrowser->Show();
    // A control that turns out unable to render says so (BrowserCannotRender)
    // and the page is shown as text instead.
    if (form_.WebBrowser->Navigate(MultiByteToWide(pageFile))) return;
  }
  ShowFallback();
}

void TPreviewPane::ShowFallback() {
  form_.WebBrowser->Hide();
  form_.PreviewText->Show();
  form_.PreviewText->LoadRtf(ReportPageToRtf(lastPage_, lastText_));
}

void TPreviewPane::ShowPicture(const std::string& fileName) {
  form_.pView->SetCaption("");
  form_.PreviewImage->Show();
  THourGlass wait;
  // The picture shown before must not stay when this one cannot be read.
  form_.PreviewImage->Picture()->Assign(nullptr);
  form_.PreviewImage->Picture()->LoadFromFile(fileName);
}

void TPreviewPane::ShowUnavailable() {
  form_.pView->SetCaption(MultiLang->Translate("Preview is unavailable"));
  form_.PreviewImage->Hide();
}
