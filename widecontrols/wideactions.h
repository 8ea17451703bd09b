// Windows only. Wide captions and hints of actions, and the action links of
// the wide controls, which compare and pass on the wide values.
#pragma once

#include <string>

#include "classlib/actions.h"
#include "classlib/controls.h"
#include "classlib/menus.h"

// What marks an action that keeps wide values.
class IWideAction {
public:
  virtual ~IWideAction() = default;
};

// Owned by its action: the wide values and the change under way.
class TCustomActionHelper : public TComponent {
public:
  explicit TCustomActionHelper(TCustomAction* action) : TComponent(action), action_(action) {}
  std::wstring GetCaption();
  void SetCaption(const std::wstring& value);
  std::wstring GetHint();
  void SetHint(const std::wstring& value);
  bool IsSettingCaption() const { return settingCaption_; }
  bool IsSettingHint() const { return settingHint_; }
  const std::wstring& NewCaption() const { return newCaption_; }
  const std::wstring& NewHint() const { return newHint_; }

private:
  TCustomAction* action_;
  std::wstring caption_, captionBefore_, newCaption_;
  std::string captionImage_;
  bool settingCaption_ = false;
  std::wstring hint_, hintBefore_, newHint_;
  std::string hintImage_;
  bool settingHint_ = false;
};

// nullptr for an action without wide values; else its helper (made when
// there is none yet).
TCustomActionHelper* FindActionHelper(TBasicAction* action);
std::wstring WideAction_GetCaption(TBasicAction* action);
void WideAction_SetCaption(TBasicAction* action, const std::wstring& value);
std::wstring WideAction_GetHint(TBasicAction* action);
void WideAction_SetHint(TBasicAction* action, const std::wstring& value);
// defaultValue, unless the action is changing its wide value: then that value.
std::wstring WideAction_GetNewCaption(TBasicAction* action, const std::wstring& defaultValue);
std::wstring WideAction_GetNewHint(TBasicAction* action, const std::wstring& defaultValue);

// After the class library's Assign: the wide caption and hint of an action
// source, or the wide text and hint of a control source, become action's.
void WideAction_AfterInherited_Assign(TCustomAction* action, TPersistent* source);

class TWideAction : public TAction, public IWideAction {
public:
  using TAction::TAction;
  std::wstring Caption() { return WideAction_GetCaption(this); }
  void SetCaption(const std::wstring& value) { WideAction_SetCaption(this, value); }
  std::wstring Hint() { return WideAction_GetHint(this); }
  void SetHint(const std::wstring& value) { WideAction_SetHint(this, value); }
  void Assign(TPersistent* source) override;
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  void DefineProperties(TFiler* filer) override;
};

// The hint action with a wide hint: what a wide-aware hint shower gets.
class TWideHintAction : public THintAction, public IWideAction {
public:
  using THintAction::THintAction;
  std::wstring Hint() { return WideAction_GetHint(this); }
  void SetHint(const std::wstring& value) { WideAction_SetHint(this, value); }
  void Assign(TPersistent* source) override;
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  void DefineProperties(TFiler* filer) override;
};

// The link classes of the wide controls.
template <class Base>
class TWideLinkOf : public Base {
public:
  using Base::Base;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& value) override;
  void SetHint(const std::string& value) override;
};

class TWideControlActionLink : public TWideLinkOf<TControlActionLink> {
public:
  using TWideLinkOf<TControlActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideWinControlActionLink : public TWideLinkOf<TWinControlActionLink> {
public:
  using TWideLinkOf<TWinControlActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideButtonActionLink : public TWideLinkOf<TButtonActionLink> {
public:
  using TWideLinkOf<TButtonActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideListViewActionLink : public TWideLinkOf<TListViewActionLink> {
public:
  using TWideLinkOf<TListViewActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideComboBoxExActionLink : public TWideLinkOf<TComboBoxExActionLink> {
public:
  using TWideLinkOf<TComboBoxExActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideToolButtonActionLink : public TWideLinkOf<TToolButtonActionLink> {
public:
  using TWideLinkOf<TToolButtonActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

class TWideSpeedButtonActionLink : public TWideLinkOf<TSpeedButtonActionLink> {
public:
  using TWideLinkOf<TSpeedButtonActionLink>::TWideLinkOf;
  static TControlActionLinkClass StaticClass();
};

// The link of a wide menu item: its wide caption (compared ignoring case
// and hot-key markers) and hint follow the action's.
class TWideMenuActionLink : public TMenuActionLink {
public:
  using TMenuActionLink::TMenuActionLink;
  static TMenuActionLinkClass StaticClass();
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& value) override;
  void SetHint(const std::string& value) override;
};

// The link class for a wide control by its kind, the first that fits: list
// view, speed button, tool button, button, windowed control, any control
// (the extended combo box's is never chosen). The class chosen must derive
// directly from inheritedClass.
TControlActionLinkClass WideControl_GetActionLinkClass(TControl* control, TControlActionLinkClass inheritedClass);
// Before the class library's ActionChange: the wide caption and hint of a
// wide action reach the control (checkDefaults keeps what it has).
void WideControl_BeforeInherited_ActionChange(TControl* control, TObject* sender, bool checkDefaults);
