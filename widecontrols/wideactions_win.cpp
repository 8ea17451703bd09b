#include "widecontrols/wideactions.h"

#include "classlib/buttons.h"
#include "classlib/listview.h"
#include "classlib/toolbar.h"
#include "classlib/typinfo.h"

#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/syncedstrings.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widefilers.h"
#include "widecontrols/widehotkeys.h"
#include "widecontrols/widemenus.h"

namespace {
std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }
std::wstring FromAnsi(const std::string& s) { return StringToWideStringEx(s, DefaultSystemCodePage); }

template <class T>
struct FlagScope {
  T& flag;
  ~FlagScope() { flag = T(); }
};
}  // namespace

std::wstring TCustomActionHelper::GetCaption() {
  if (settingCaption_ && action_->TCustomAction::Caption() != captionImage_) return captionBefore_;
  return GetSyncedWideString(caption_, action_->TCustomAction::Caption());
}

void TCustomActionHelper::SetCaption(const std::wstring& value) {
  captionBefore_ = GetCaption();
  captionImage_ = AnsiImage(value);
  newCaption_ = value;
  settingCaption_ = true;
  FlagScope<bool> scope{settingCaption_};
  SetSyncedWideString(value, caption_, action_->TCustomAction::Caption(), [this](const std::string& s) {
    action_->TCustomAction::SetCaption(s);
    if (s.empty() && !captionImage_.empty()) captionBefore_.clear();
  });
}

std::wstring TCustomActionHelper::GetHint() {
  if (settingHint_ && action_->TCustomAction::Hint() != hintImage_) return hintBefore_;
  return GetSyncedWideString(hint_, action_->TCustomAction::Hint());
}

void TCustomActionHelper::SetHint(const std::wstring& value) {
  hintBefore_ = GetHint();
  hintImage_ = AnsiImage(value);
  newHint_ = value;
  settingHint_ = true;
  FlagScope<bool> scope{settingHint_};
  SetSyncedWideString(value, hint_, action_->TCustomAction::Hint(), [this](const std::string& s) {
    action_->TCustomAction::SetHint(s);
    if (s.empty() && !hintImage_.empty()) hintBefore_.clear();
  });
}

TCustomActionHelper* FindActionHelper(TBasicAction* action) {
  if (action == nullptr) throw EWideInternalError("Internal Error: FindActionHelper of no action.");
  auto* custom = dynamic_cast<TCustomAction*>(action);
  if (custom == nullptr || dynamic_cast<IWideAction*>(action) == nullptr) return nullptr;
  for (int i = 0; i < action->ComponentCount(); ++i)
    if (auto* helper = dynamic_cast<TCustomActionHelper*>(action->Components(i))) return helper;
  return new TCustomActionHelper(custom);
}

std::wstring WideAction_GetCaption(TBasicAction* action) {
  if (TCustomActionHelper* helper = FindActionHelper(action)) return helper->GetCaption();
  auto* custom = dynamic_cast<TCustomAction*>(action);
  return custom != nullptr ? FromAnsi(custom->TCustomAction::Caption()) : std::wstring();
}

void WideAction_SetCaption(TBasicAction* action, const std::wstring& value) {
  if (TCustomActionHelper* helper = FindActionHelper(action)) return helper->SetCaption(value);
  if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->TCustomAction::SetCaption(AnsiImage(value));
}

std::wstring WideAction_GetHint(TBasicAction* action) {
  if (TCustomActionHelper* helper = FindActionHelper(action)) return helper->GetHint();
  auto* custom = dynamic_cast<TCustomAction*>(action);
  return custom != nullptr ? FromAnsi(custom->TCustomAction::Hint()) : std::wstring();
}

void WideAction_SetHint(TBasicAction* action, const std::wstring& value) {
  if (TCustomActionHelper* helper = FindActionHelper(action)) return helper->SetHint(value);
  if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->TCustomAction::SetHint(AnsiImage(value));
}

std::wstring WideAction_GetNewCaption(TBasicAction* action, const std::wstring& defaultValue) {
  TCustomActionHelper* helper = FindActionHelper(action);
  return helper != nullptr && helper->IsSettingCaption() ? helper->NewCaption() : defaultValue;
}

std::wstring WideAction_GetNewHint(TBasicAction* action, const std::wstring& defaultValue) {
  TCustomActionHelper* helper = FindActionHelper(action);
  return helper != nullptr && helper->IsSettingHint() ? helper->NewHint() : defaultValue;
}

template <class Base>
bool TWideLinkOf<Base>::IsCaptionLinked() {
  return Base::IsCaptionLinked() && WideAction_GetCaption(this->action_) == WideControl_GetText(this->client_);
}

template <class Base>
bool TWideLinkOf<Base>::IsHintLinked() {
  return Base::IsHintLinked() && WideAction_GetHint(this->action_) == WideControl_GetHint(this->client_);
}

template <class Base>
void TWideLinkOf<Base>::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) WideControl_SetText(this->client_, WideAction_GetNewCaption(this->action_, FromAnsi(value)));
}

template <class Base>
void TWideLinkOf<Base>::SetHint(const std::string& value) {
  if (IsHintLinked()) WideControl_SetHint(this->client_, WideAction_GetNewHint(this->action_, FromAnsi(value)));
}

template class TWideLinkOf<TControlActionLink>;
template class TWideLinkOf<TWinControlActionLink>;
template class TWideLinkOf<TButtonActionLink>;
template class TWideLinkOf<TListViewActionLink>;
template class TWideLinkOf<TComboBoxExActionLink>;
template class TWideLinkOf<TToolButtonActionLink>;
template class TWideLinkOf<TSpeedButtonActionLink>;

namespace {
template <class Link, class Parent>
TControlActionLinkClass WideLinkClass(const char* name) {
  return ClassInfoOf<Link, TControlActionLink, TControl*>(name, Parent::StaticClass());
}
}  // namespace

TControlActionLinkClass TWideControlActionLink::StaticClass() {
  return WideLinkClass<TWideControlActionLink, TControlActionLink>("TWideControlActionLink");
}

TControlActionLinkClass TWideWinControlActionLink::StaticClass() {
  return WideLinkClass<TWideWinControlActionLink, TWinControlActionLink>("TWideWinControlActionLink");
}

TControlActionLinkClass TWideButtonActionLink::StaticClass() {
  return WideLinkClass<TWideButtonActionLink, TButtonActionLink>("TWideButtonActionLink");
}

TControlActionLinkClass TWideListViewActionLink::StaticClass() {
  return WideLinkClass<TWideListViewActionLink, TListViewActionLink>("TWideListViewActionLink");
}

TControlActionLinkClass TWideComboBoxExActionLink::StaticClass() {
  return WideLinkClass<TWideComboBoxExActionLink, TComboBoxExActionLink>("TWideComboBoxExActionLink");
}

TControlActionLinkClass TWideToolButtonActionLink::StaticClass() {
  return WideLinkClass<TWideToolButtonActionLink, TToolButtonActionLink>("TWideToolButtonActionLink");
}

TControlActionLinkClass TWideSpeedButtonActionLink::StaticClass() {
  return WideLinkClass<TWideSpeedButtonActionLink, TSpeedButtonActionLink>("TWideSpeedButtonActionLink");
}

TMenuActionLinkClass TWideMenuActionLink::StaticClass() {
  return ClassInfoOf<TWideMenuActionLink, TMenuActionLink, TMenuItem*>("TWideMenuActionLink",
                                                                      TMenuActionLink::StaticClass());
}

namespace {
// The link class is made only for wide items.
TWideMenuItem* WideClient(TMenuItem* item) { return static_cast<TWideMenuItem*>(item); }
}  // namespace

bool TWideMenuActionLink::IsCaptionLinked() {
  return TMenuActionLink::IsCaptionLinked() &&
         WideSameCaption(WideAction_GetCaption(action_), WideClient(client_)->Caption());
}

bool TWideMenuActionLink::IsHintLinked() {
  return TMenuActionLink::IsHintLinked() && WideAction_GetHint(action_) == WideClient(client_)->Hint();
}

void TWideMenuActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) WideClient(client_)->SetCaption(WideAction_GetNewCaption(action_, FromAnsi(value)));
}

void TWideMenuActionLink::SetHint(const std::string& value) {
  if (IsHintLinked()) WideClient(client_)->SetHint(WideAction_GetNewHint(action_, FromAnsi(value)));
}

TControlActionLinkClass WideControl_GetActionLinkClass(TControl* control, TControlActionLinkClass inheritedClass) {
  TControlActionLinkClass result;
  if (dynamic_cast<TCustomListView*>(control) != nullptr)
    result = TWideListViewActionLink::StaticClass();
  else if (inheritedClass != nullptr && inheritedClass->InheritsFrom(TSpeedButtonActionLink::StaticClass()))
    result = TWideSpeedButtonActionLink::StaticClass();
  else if (dynamic_cast<TToolButton*>(control) != nullptr)
    result = TWideToolButtonActionLink::StaticClass();
  else if (dynamic_cast<TButton*>(control) != nullptr || dynamic_cast<TButtonControl*>(control) != nullptr)
    result = TWideButtonActionLink::StaticClass();
  else if (dynamic_cast<TWinControl*>(control) != nullptr)
    result = TWideWinControlActionLink::StaticClass();
  else
    result = TWideControlActionLink::StaticClass();
  if (result->Parent != inheritedClass)
    throw EWideInternalError("Internal Error: WideControl_GetActionLinkClass: unexpected link class.");
  return result;
}

void WideAction_AfterInherited_Assign(TCustomAction* action, TPersistent* source) {
  // Through the wide setters, so that the wide values come across whole
  // and not as their 8-bit images.
  if (auto* sourceAction = dynamic_cast<TCustomAction*>(source)) {
    WideAction_SetCaption(action, WideAction_GetCaption(sourceAction));
    WideAction_SetHint(action, WideAction_GetHint(sourceAction));
  } else if (auto* control = dynamic_cast<TControl*>(source)) {
    WideAction_SetCaption(action, WideControl_GetText(control));
    WideAction_SetHint(action, WideControl_GetHint(control));
  }
}

void TWideAction::Assign(TPersistent* source) {
  TAction::Assign(source);
  WideAction_AfterInherited_Assign(this, source);
}

void TWideHintAction::Assign(TPersistent* source) {
  THintAction::Assign(source);
  WideAction_AfterInherited_Assign(this, source);
}

const TPublishedClass* TWideAction::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      WideStringProperty<&TWideAction::Caption, &TWideAction::SetCaption>("Caption"),
      WideStringProperty<&TWideAction::Hint, &TWideAction::SetHint>("Hint"),
  };
  static const TPublishedClass table{"TWideAction", TComponent::StaticPublishedClass(), properties};
  return &table;
}

void TWideAction::DefineProperties(TFiler* filer) {
  TAction::DefineProperties(filer);
  WidePersistent_AfterInherited_DefineProperties(filer, this);
}

const TPublishedClass* TWideHintAction::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      WideStringProperty<&TWideHintAction::Hint, &TWideHintAction::SetHint>("Hint"),
  };
  static const TPublishedClass table{"TWideHintAction", TComponent::StaticPublishedClass(), properties};
  return &table;
}

void TWideHintAction::DefineProperties(TFiler* filer) {
  THintAction::DefineProperties(filer);
  WidePersistent_AfterInherited_DefineProperties(filer, this);
}

void WideControl_BeforeInherited_ActionChange(TControl* control, TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr || dynamic_cast<IWideAction*>(action) == nullptr) return;
  std::wstring text = WideControl_GetText(control);
  if (!checkDefaults || text.empty() || text == FromAnsi(control->Name()))
    WideControl_SetText(control, WideAction_GetCaption(action));
  if (!checkDefaults || WideControl_GetHint(control).empty()) WideControl_SetHint(control, WideAction_GetHint(action));
}
