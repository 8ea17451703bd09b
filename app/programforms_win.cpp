#include "app/programforms.h"

#include "app/aboutform_win.h"
#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "classlib/application.h"

namespace {

// A form owned by the application that is not its main form: made and its
// creation events run, hidden until shown.
template <class F>
F* CreateSideForm() {
  F* form = new F(Application);
  form->AfterConstruction();
  return form;
}

}  // namespace

void CreateProgramForms(bool asMainForm) {
  MultiLang = new TMultiLang();
  MultiLang->LoadLanguageList();
  AboutForm = CreateSideForm<TAboutForm>();
  ConfigForm = CreateSideForm<TConfigForm>();
  if (asMainForm) CreateForm(FindForm);
  else FindForm = CreateSideForm<TFindForm>();
}

void DestroyProgramForms() {
  delete FindForm;
  FindForm = nullptr;
  delete ConfigForm;
  ConfigForm = nullptr;
  delete AboutForm;
  AboutForm = nullptr;
  delete MultiLang;
  MultiLang = nullptr;
}
