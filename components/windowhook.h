// A component that sees every message of a window control before and after
// the control's own window procedure, without the control's cooperation,
// and keeps doing so when the class library re-creates the control's
// window. Hooks of one control share one TControlHook; all control hooks
// live in the program's one THookList, whose hidden window re-attaches and
// frees control hooks after the message in progress has been handled.
//
// The hook's entry sits in the window's common-controls subclass chain, so
// no other party joining or leaving that chain cuts it out. When someone has
// put another procedure into the window's slot since, leaving could cut that
// party out instead: the entry then stays as a plain pass-through until the
// window is destroyed, so no one loses a message and nothing that may still
// be called is ever freed.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "classlib/component.h"
#include "classlib/messages.h"

class TControlHook;
class TSubclassEntry;
class TWinControl;

using THookMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

// Posted to the hook list's window with the control hook as LParam.
constexpr UINT CM_REATTACHHOOK = 0xB052;  // install it again on the new window
constexpr UINT CM_RELEASEHOOK = 0xB053;   // free it if no hook is attached any more

class TWindowHook : public TComponent {
public:
  explicit TWindowHook(TComponent* owner);
  ~TWindowHook() override;

  bool Active() const { return active_; }
  void SetActive(bool value);
  TWinControl* WinControl() const { return winControl_; }
  // Moves the hook to another control (or none); the former control's hook
  // is freed after the current message when nothing else uses it.
  void SetWinControl(TWinControl* value);

  // Joins the control hook of WinControl (when there is one); Active.
  void Attach();
  // Leaves the control hook; not Active. Returns the control hook left.
  TControlHook* Detach();
  TControlHook* ControlHook() const { return controlHook_; }

  // Before and after the control's own procedure; setting Handled in
  // "before" skips the procedure (but never for WM_DESTROY).
  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;
  virtual void FireBeforeMessage(TMessage& msg, bool& handled);
  virtual void FireAfterMessage(TMessage& msg, bool& handled);

  // Publishes Active and WinControl.
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TControlHook;
  bool WinControlStored() const;

  bool active_ = false;
  TWinControl* winControl_ = nullptr;
  TControlHook* controlHook_ = nullptr;
};

// One per hooked control: the subclass entry on the control's window and the
// hooks attached to it, the last added first to see a message.
class TControlHook : public TObject {
public:
  TControlHook() = default;
  // Leaves the hook list, detaches every hook (last first) and unsubclasses.
  ~TControlHook() override;

  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* value);
  const std::vector<TWindowHook*>& Hooks() const { return hooks_; }
  // Whether the entry is in a window's subclass chain.
  bool Installed() const { return entry_ != nullptr; }

  void AddHook(TWindowHook* hook);
  void RemoveHook(TWindowHook* hook);
  // Puts the entry into the control's window's chain (creating the window
  // when needed); nothing for no control, one being destroyed, or while
  // this object is.
  void Subclass();
  void Unsubclass();
  // The control is gone: nothing of it is touched again.
  void ForgetControl();
  // Whether its window procedure is running (a handler's modal loop may be
  // handling other messages meanwhile).
  bool Busy() const { return depth_ > 0; }

private:
  friend class TSubclassEntry;
  friend class THookList;
  // The replacement window procedure, reached through entry.
  void HookWndProc(TSubclassEntry& entry, TMessage& msg);
  void CallHooks(bool before, TMessage& msg, bool& handled);

  TWinControl* control_ = nullptr;
  TSubclassEntry* entry_ = nullptr;
  std::vector<TWindowHook*> hooks_;
  bool destroying_ = false;
  int depth_ = 0;
  // A release that came while Busy: asked for again once the call returns.
  bool releaseWanted_ = false;
};

class THookList : public TObject {
public:
  THookList();
  // Frees the control hooks, last first, then the hidden window.
  ~THookList() override;

  int Count() const { return static_cast<int>(hooks_.size()); }
  TControlHook* Items(int index) const { return hooks_.at(static_cast<size_t>(index)); }
  bool Contains(const TControlHook* hook) const;
  // The control hook of control, or nullptr.
  TControlHook* Find(const TWinControl* control) const;
  // Find, or a new control hook for control.
  TControlHook* FindOrAdd(TWinControl* control);
  // The hidden window that receives CM_REATTACHHOOK and CM_RELEASEHOOK.
  HWND Handle() const { return window_; }

private:
  friend class TControlHook;
  void Remove(TControlHook* hook);
  void Watch(TWinControl* control);
  void ControlFreed(TComponent* control);
  void UtilityWndProc(TMessage& msg);

  std::vector<TControlHook*> hooks_;
  HWND window_ = nullptr;
  // Hears of freed controls, so that no control hook keeps a freed one.
  TRemovalWatcher* watcher_ = nullptr;
};

// The program's hook list, made on first use and freed at exit.
THookList* SharedHookList();
// The list if it exists (nullptr before first use and after exit).
THookList* ExistingHookList();
