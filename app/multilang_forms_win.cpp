// Recording and applying the texts of the forms' components.
#include "app/multilang.h"

#include "classlib/application.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/splitter.h"
#include "classlib/forms.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/strutils.h"

namespace {

// The controls whose caption and hint are translated, tested in this order.
bool HasTranslatedCaption(TComponent* component) {
  return dynamic_cast<TPanel*>(component) != nullptr || dynamic_cast<TLabel*>(component) != nullptr ||
         dynamic_cast<TCheckBox*>(component) != nullptr || dynamic_cast<TButton*>(component) != nullptr ||
         dynamic_cast<TRadioButton*>(component) != nullptr || dynamic_cast<TTabSheet*>(component) != nullptr ||
         dynamic_cast<TToolButton*>(component) != nullptr;
}

// A tool button's key also carries a number of its own: several buttons
// may share a name pattern without sharing a key.
std::string ControlKey(const std::string& prefix, TComponent* component) {
  std::string key = prefix + component->Name();
  if (dynamic_cast<TToolButton*>(component) != nullptr)
    key += IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(component)));
  return key;
}

template <class Visit>
void ForEachFormLastFirst(Visit visit) {
  for (int i = Application->ComponentCount() - 1; i >= 0; --i)
    if (auto* form = dynamic_cast<TCustomForm*>(Application->Components(i))) visit(form);
}

}  // namespace

void TMultiLang::CaptureDefaults() {
  ForEachFormLastFirst([this](TCustomForm* form) { CaptureComponents(form, form->Name()); });
}

void TMultiLang::ApplyToAllForms() {
  ForEachFormLastFirst([this](TCustomForm* form) { ApplyComponents(form, form->Name()); });
}

void TMultiLang::CaptureMenuItems(TComponent* component, const std::string& prefix) {
  auto* item = static_cast<TMenuItem*>(component);
  for (int i = item->Count() - 1; i >= 0; --i) {
    TMenuItem* child = item->Items(i);
    AddDefault(prefix + child->Name(), child->Caption());
    CaptureMenuItems(child, prefix);
  }
}

void TMultiLang::ApplyMenuItems(TComponent* component, const std::string& prefix) {
  auto* item = static_cast<TMenuItem*>(component);
  for (int i = item->Count() - 1; i >= 0; --i) {
    TMenuItem* child = item->Items(i);
    const std::string key = prefix + child->Name();
    // An item made after the texts were recorded has no English text to
    // translate from: it keeps its caption.
    if (HasDefault(key)) child->SetCaption(Translate(DefaultOf(key)));
    ApplyMenuItems(child, prefix);
  }
}

void TMultiLang::CaptureComponents(TComponent* owner, const std::string& prefix) {
  for (int i = owner->ComponentCount() - 1; i >= 0; --i) {
    TComponent* component = owner->Components(i);
    if (auto* menu = dynamic_cast<TMenu*>(component)) {
      CaptureMenuItems(menu->Items(), prefix);
    } else if (HasTranslatedCaption(component)) {
      auto* control = static_cast<TControl*>(component);
      const std::string key = ControlKey(prefix, component);
      AddDefault(key, control->Caption());
      if (!control->Hint().empty()) AddDefault(key + "Hint", control->Hint());
    } else if (auto* list = dynamic_cast<TListView*>(component)) {
      for (int c = list->Columns()->Count() - 1; c >= 0; --c)
        AddDefault(prefix + component->Name() + IntToStr(c), list->Columns()->Items(c)->Caption());
    }
    CaptureComponents(component, prefix);
  }
}

void TMultiLang::ApplyComponents(TComponent* owner, const std::string& prefix) {
  for (int i = owner->ComponentCount() - 1; i >= 0; --i) {
    TComponent* component = owner->Components(i);
    if (auto* menu = dynamic_cast<TMenu*>(component)) {
      ApplyMenuItems(menu->Items(), prefix);
    } else if (HasTranslatedCaption(component)) {
      auto* control = static_cast<TControl*>(component);
      const std::string key = ControlKey(prefix, component);
      // A caption that is empty now (a pane with nothing to say yet) stays so.
      if (!control->Caption().empty() && HasDefault(key)) control->SetCaption(Translate(DefaultOf(key)));
      if (!control->Hint().empty() && HasDefault(key + "Hint")) control->SetHint(Translate(DefaultOf(key + "Hint")));
    } else if (auto* list = dynamic_cast<TListView*>(component)) {
      for (int c = list->Columns()->Count() - 1; c >= 0; --c) {
        const std::string key = prefix + component->Name() + IntToStr(c);
        if (HasDefault(key)) list->Columns()->Items(c)->SetCaption(Translate(DefaultOf(key)));
      }
    }
    if (dynamic_cast<TControl*>(component) != nullptr) ApplyComponents(component, prefix);
  }
}
