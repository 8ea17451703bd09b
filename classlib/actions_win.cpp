#include "classlib/actions.h"

#include <algorithm>

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
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
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
