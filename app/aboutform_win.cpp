#include "app/aboutform_win.h"

#include "app/filecommands_win.h"
#include "app/formbuilder.h"
#include "app/programfolder.h"
#include "app/versioninfo.h"
#include "classlib/canvas.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"

TAboutForm* AboutForm = nullptr;

namespace {

void StyleAsLink(TLabel* label) {
  label->Font()->SetColor(RGBColor(0, 0, 255));
  label->Font()->SetStyle(fsUnderline);
  label->SetCursor(crHandPoint);
}

}  // namespace

TAboutForm::TAboutForm(TComponent* owner) : TForm(owner) {
  SetName("AboutForm");
  SetCaption("About...");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(286);
  SetClientHeight(224);
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);

  lProduct = MakeCaptioned<TLabel>(this, this, "lProduct", "Ovalis", 16, 22, 254, 24);
  lProduct->SetParentFont(false);
  lProduct->Font()->SetName("Tahoma");
  lProduct->Font()->SetHeight(-19);
  lProduct->Font()->SetStyle(fsBold);
  lCopyright = MakeCaptioned<TLabel>(this, this, "lCopyright", "Copyright (c) 2003-2026 Marnok ltd.", 16, 84, 254, 13);
  lWeb = MakeCaptioned<TLabel>(this, this, "lWeb", "www.marnok.example/ovalis", 16, 112, 254, 13);
  StyleAsLink(lWeb);
  lWeb->OnClick = [this](TObject* sender) { lWebClick(sender); };
  lMail = MakeCaptioned<TLabel>(this, this, "lMail", "support@marnok.example", 16, 132, 254, 13);
  StyleAsLink(lMail);
  lMail->OnClick = [this](TObject* sender) { lMailClick(sender); };
  bOk = MakeCaptioned<TButton>(this, this, "bOk", "Ok", 106, 186, 75, 25);
  bOk->SetDefault(true);
  bOk->SetModalResult(mrOk);

  OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TAboutForm::FormCreate(TObject* /*Sender*/) {
  if (std::optional<std::string> version = ReadFileVersionText(ProgramFileName()))
    lProduct->SetCaption("Ovalis v." + *version);
}

void TAboutForm::lWebClick(TObject* /*Sender*/) { OpenHomePage(); }

void TAboutForm::lMailClick(TObject* /*Sender*/) { MailToSupport(); }
