#include "classlib/actions.h"

#include <algorithm>

#include "classlib/application.h"
#include "classlib/controls.h"

TBasicAction::~TBasicAction() {
  Destroying();
  while (!clients_.empty()) {
    TBasicActionLink* link = clients_.back();
    clients_.pop_back();
    link->action_ = nullptr;
  }
}

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  if (Application == nullptr || Application->Handle() == nullptr) return false;
  return SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) == 1;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (std::find(clients_.begin(), clients_.end(), link) == clients_.end()) clients_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
}

void TBasicAction::Change() {
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links) link->Change();
}

namespace {
template <class F>
void ForEachLink(TBasicAction* action, F&& f) {
  for (int i = 0; i < action->ClientCount(); ++i)
    if (auto* link = dynamic_cast<TActionLink*>(action->Clients(i))) f(link);
}
}  // namespace

void TCustomAction::SetCaption(const std::string& value) {
  if (value == caption_) return;
  ForEachLink(this, [&](TActionLink* link) { link->SetCaption(value); });
  caption_ = value;
  Change();
}

void TCustomAction::SetHint(const std::string& value) {
  if (value == hint_) return;
  ForEachLink(this, [&](TActionLink* link) { link->SetHint(value); });
  hint_ = value;
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == enabled_) return;
  ForEachLink(this, [&](TActionLink* link) { link->SetEnabled(value); });
  enabled_ = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == visible_) return;
  ForEachLink(this, [&](TActionLink* link) { link->SetVisible(value); });
  visible_ = value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == shortCut_) return;
  ForEachLink(this, [&](TActionLink* link) { link->SetShortCut(value); });
  shortCut_ = value;
  Change();
}

void TCustomAction::AssignTo(TPersistent* dest) {
  auto* action = dynamic_cast<TCustomAction*>(dest);
  if (action == nullptr) return TBasicAction::AssignTo(dest);
  action->SetCaption(caption_);
  action->SetHint(hint_);
  action->SetEnabled(enabled_);
  action->SetVisible(visible_);
  action->SetShortCut(shortCut_);
  action->OnExecute = OnExecute;
  action->OnUpdate = OnUpdate;
}

bool TCustomAction::Execute() {
  Update();
  if (!enabled_) return false;
  return TBasicAction::Execute();
}

TBasicActionLink::~TBasicActionLink() {
  if (action_ != nullptr) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* action) {
  if (action == action_) return;
  if (action_ != nullptr) action_->UnRegisterChanges(this);
  action_ = action;
  if (action_ != nullptr) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute() { return action_ != nullptr && action_->Execute(); }
bool TBasicActionLink::Update() { return action_ != nullptr && action_->Update(); }

bool TActionLink::IsCaptionLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsHintLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsEnabledLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsVisibleLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsShortCutLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }

TControlActionLinkClass TControlActionLink::StaticClass() {
  return ClassInfoOf<TControlActionLink, TControlActionLink, TControl*>("TControlActionLink", nullptr);
}

TControlActionLinkClass TWinControlActionLink::StaticClass() {
  return ClassInfoOf<TWinControlActionLink, TControlActionLink, TControl*>("TWinControlActionLink",
                                                                          TControlActionLink::StaticClass());
}

TControlActionLinkClass TButtonActionLink::StaticClass() {
  return ClassInfoOf<TButtonActionLink, TControlActionLink, TControl*>("TButtonActionLink",
                                                                      TWinControlActionLink::StaticClass());
}

TControlActionLinkClass TListViewActionLink::StaticClass() {
  return ClassInfoOf<TListViewActionLink, TControlActionLink, TControl*>("TListViewActionLink",
                                                                        TWinControlActionLink::StaticClass());
}

TControlActionLinkClass TComboBoxExActionLink::StaticClass() {
  return ClassInfoOf<TComboBoxExActionLink, TControlActionLink, TControl*>("TComboBoxExActionLink",
                                                                          TWinControlActionLink::StaticClass());
}

TControlActionLinkClass TToolButtonActionLink::StaticClass() {
  return ClassInfoOf<TToolButtonActionLink, TControlActionLink, TControl*>("TToolButtonActionLink",
                                                                          TControlActionLink::StaticClass());
}

TControlActionLinkClass TSpeedButtonActionLink::StaticClass() {
  return ClassInfoOf<TSpeedButtonActionLink, TControlActionLink, TControl*>("TSpeedButtonActionLink",
                                                                           TControlActionLink::StaticClass());
}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         client_->Caption() == static_cast<TCustomAction*>(action_)->Caption();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == static_cast<TCustomAction*>(action_)->Hint();
}

bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() &&
         client_->Enabled() == static_cast<TCustomAction*>(action_)->Enabled();
}

bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() &&
         client_->Visible() == static_cast<TCustomAction*>(action_)->Visible();
}

void TControlActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) client_->SetCaption(value);
}

void TControlActionLink::SetHint(const std::string& value) {
  if (IsHintLinked()) client_->SetHint(value);
}

void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}

void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}
