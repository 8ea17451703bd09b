// Windows only. Wide captions and hints of actions, and the action links of
// the wide controls, which compare and pass on the wide values.
#pragma once

#include <string>

#include "classlib/actions.h"
#include "classlib/controls.h"

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

class TWideAction : public TAction, public IWideAction {
public:
  using TAction::TAction;
  std::wstring Caption() { return WideAction_GetCaption(this); }
  void SetCaption(const std::wstring& value) { WideAction_SetCaption(this, value); }
  std::wstring Hint() { return WideAction_GetHint(this); }
  void SetHint(const std::wstring& value) { WideAction_SetHint(this, value); }
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

// The link class for a wide control: windowed controls get
// TWideWinControlActionLink, any other control TWideControlActionLink; the
// class chosen must derive directly from inheritedClass.
TControlActionLinkClass WideControl_GetActionLinkClass(TControl* control, TControlActionLinkClass inheritedClass);
// Before the class library's ActionChange: the wide caption and hint of a
// wide action reach the control (checkDefaults keeps what it has).
void WideControl_BeforeInherited_ActionChange(TControl* control, TObject* sender, bool checkDefaults);
