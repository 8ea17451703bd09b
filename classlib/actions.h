// Actions and action links: an action holds a command's caption, hint,
// shortcut and state and pushes them through a link to every client (a
// control or a menu item) whose value still equals the action's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/classref.h"
#include "classlib/component.h"

class TBasicActionLink;
class TControl;
class TControlActionLink;
using TControlActionLinkClass = const TClassInfo<TControlActionLink, TControl*>*;

using TShortCut = WORD;

class TBasicAction : public TComponent {
public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;

  // OnExecute; without one the action is offered to the program's windows
  // (CM_ACTIONEXECUTE to the application window), where a control that
  // knows it may take it (a status bar a hint). False when nobody did.
  virtual bool Execute();
  // OnUpdate; false when there is none.
  virtual bool Update();
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Clients(int index) const { return clients_.at(static_cast<size_t>(index)); }
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

protected:
  // Tells every link that something changed.
  virtual void Change();

private:
  std::vector<TBasicActionLink*> clients_;
};

class TCustomAction : public TBasicAction {
public:
  explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}

  const std::string& Caption() const { return caption_; }
  // The links are told first (so they can compare their client with the
  // value being replaced), then the value is stored.
  virtual void SetCaption(const std::string& value);
  const std::string& Hint() const { return hint_; }
  virtual void SetHint(const std::string& value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);

  bool Execute() override;

protected:
  // Another action receives this one's values and handlers.
  void AssignTo(TPersistent* dest) override;

private:
  std::string caption_;
  std::string hint_;
  bool enabled_ = true;
  bool visible_ = true;
  TShortCut shortCut_ = 0;
};

class TAction : public TCustomAction {
public:
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// The action that shows a hint (a status bar takes it when executed).
class THintAction : public TCustomAction {
public:
  explicit THintAction(TComponent* owner) : TCustomAction(owner) {}
};

class TBasicActionLink : public TObject {
public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return action_; }
  virtual void SetAction(TBasicAction* action);
  bool Execute();
  virtual bool Update();

protected:
  friend class TBasicAction;
  friend class TCustomAction;
  // The action changed in some way not covered by the setters below.
  virtual void Change() {}
  TBasicAction* action_ = nullptr;
};

class TActionLink : public TBasicActionLink {
public:
  // Whether the client's value follows the action's.
  virtual bool IsCaptionLinked();
  virtual bool IsHintLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsShortCutLinked();
  // The action is about to take value; a linked client takes it too.
  virtual void SetCaption(const std::string& /*value*/) {}
  virtual void SetHint(const std::string& /*value*/) {}
  virtual void SetEnabled(bool /*value*/) {}
  virtual void SetVisible(bool /*value*/) {}
  virtual void SetShortCut(TShortCut /*value*/) {}
};

class TControlActionLink : public TActionLink {
public:
  explicit TControlActionLink(TControl* client) : client_(client) {}
  static TControlActionLinkClass StaticClass();
  TControl* Client() const { return client_; }

  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  bool IsEnabledLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const std::string& value) override;
  void SetHint(const std::string& value) override;
  void SetEnabled(bool value) override;
  void SetVisible(bool value) override;

protected:
  TControl* client_;
};

class TWinControlActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static TControlActionLinkClass StaticClass();
};

// A client (control or menu item) takes action: its link is made on first
// use (of the client's link class) and goes with no action; the client
// hears of the action's removal and takes its values (keeping its own
// while it is loading).
template <class Client, class Link>
void SetClientAction(Client* client, Link*& link, TBasicAction* action) {
  if (action == nullptr) {
    delete link;
    link = nullptr;
    return;
  }
  if (link == nullptr) link = client->GetActionLinkClass()->Create(client);
  link->SetAction(action);
  action->FreeNotification(client);
  client->ActionChange(action, client->HasState(csLoading));
}

// The links of the kinds of control that have their own (a derived layer
// tells them apart by class); each behaves as its base.
class TButtonActionLink : public TWinControlActionLink {
public:
  using TWinControlActionLink::TWinControlActionLink;
  static TControlActionLinkClass StaticClass();
};

class TListViewActionLink : public TWinControlActionLink {
public:
  using TWinControlActionLink::TWinControlActionLink;
  static TControlActionLinkClass StaticClass();
};

class TComboBoxExActionLink : public TWinControlActionLink {
public:
  using TWinControlActionLink::TWinControlActionLink;
  static TControlActionLinkClass StaticClass();
};

class TToolButtonActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static TControlActionLinkClass StaticClass();
};

// The class library has no speed button of its own: a control that
// answers this link from GetActionLinkClass is one.
class TSpeedButtonActionLink : public TControlActionLink {
public:
  using TControlActionLink::TControlActionLink;
  static TControlActionLinkClass StaticClass();
};
