// The About box: the program's name and version, its maker, and links to
// the maker's home page and support mail.
#pragma once

#include "classlib/forms.h"

class TButton;
class TLabel;

class TAboutForm : public TForm {
public:
  explicit TAboutForm(TComponent* owner);

  TLabel* lProduct = nullptr;
  TLabel* lCopyright = nullptr;
  TLabel* lWeb = nullptr;
  TLabel* lMail = nullptr;
  TButton* bOk = nullptr;

  void FormCreate(TObject* Sender);
  void lWebClick(TObject* Sender);
  void lMailClick(TObject* Sender);
};

extern TAboutForm* AboutForm;
