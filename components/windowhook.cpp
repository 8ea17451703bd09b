#include "components/windowhook.h"

#include <algorithm>

#include "classlib/boundary.h"
#include "classlib/controls.h"
#include "classlib/forms.h"
#include "classlib/objectinstance.h"
#include "classlib/typinfo.h"
#include "components/subclassentry.h"

namespace {

THookList* sharedHookList = nullptr;

// Frees the program's hook list when the program ends.
struct HookListHolder {
  ~HookListHolder() {
    THookList* list = sharedHookList;
    sharedHookList = nullptr;
    delete list;
  }
} hookListHolder;

template <class T>
bool Holds(const std::vector<T*>& v, const T* item) {
  return std::find(v.begin(), v.end(), item) != v.end();
}

bool BeingDestroyed(const TComponent* c) { return c->HasState(csDestroying | csDesigning); }

}  // namespace

THookList* SharedHookList() {
  if (sharedHookList == nullptr) sharedHookList = new THookList;
  return sharedHookList;
}

THookList* ExistingHookList() { return sharedHookList; }

// --- TWindowHook ---------------------------------------------------------------

TWindowHook::TWindowHook(TComponent* owner) : TComponent(owner) { SetActive(true); }

TWindowHook::~TWindowHook() {
  Destroying();
  // Leaving the control first lets its control hook be released.
  SetWinControl(nullptr);
  SetActive(false);
}

void TWindowHook::SetActive(bool value) {
  if (value == active_) return;
  if (value) Attach();
  else Detach();
}

void TWindowHook::Attach() {
  if (winControl_ != nullptr && !HasState(csDestroying))
    SharedHookList()->FindOrAdd(winControl_)->AddHook(this);
  active_ = true;
}

TControlHook* TWindowHook::Detach() {
  TControlHook* former = controlHook_;
  if (former != nullptr) former->RemoveHook(this);
  active_ = false;
  return former;
}

void TWindowHook::SetWinControl(TWinControl* value) {
  if (value == winControl_) return;
  const bool wasActive = active_;
  TControlHook* former = Detach();
  if (winControl_ != nullptr && winControl_ != Owner()) RemoveFreeNotification(winControl_);
  winControl_ = value;
  if (value != nullptr) value->FreeNotification(this);
  THookList* list = ExistingHookList();
  if (former != nullptr && former->Hooks().empty() && list != nullptr)
    PostMessageA(list->Handle(), CM_RELEASEHOOK, 0, reinterpret_cast<LPARAM>(former));
  if (wasActive) Attach();
}

void TWindowHook::FireBeforeMessage(TMessage& msg, bool& handled) {
  if (BeforeMessage) BeforeMessage(this, msg, handled);
}

void TWindowHook::FireAfterMessage(TMessage& msg, bool& handled) {
  if (AfterMessage) AfterMessage(this, msg, handled);
}

void TWindowHook::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == winControl_ || component == Owner() || Owner() == nullptr) SetWinControl(nullptr);
}

bool TWindowHook::WinControlStored() const { return dynamic_cast<TCustomForm*>(winControl_) == nullptr; }

const TPublishedClass* TWindowHook::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      BooleanProperty<&TWindowHook::Active, &TWindowHook::SetActive>("Active", 1),
      StoredWhen<&TWindowHook::WinControlStored>(
          ObjectProperty<&TWindowHook::WinControl, &TWindowHook::SetWinControl>("WinControl")),
  };
  static const TPublishedClass table{"TWindowHook", TComponent::StaticPublishedClass(), properties};
  return &table;
}

// --- TControlHook --------------------------------------------------------------

TControlHook::~TControlHook() {
  destroying_ = true;
  if (THookList* list = ExistingHookList()) list->Remove(this);
  while (!hooks_.empty()) RemoveHook(hooks_.back());
  Unsubclass();
  control_ = nullptr;
}

void TControlHook::AddHook(TWindowHook* hook) {
  if (!Holds(hooks_, hook)) {
    hooks_.push_back(hook);
    hook->controlHook_ = this;
    SetControl(hook->winControl_);
  }
  Subclass();
}

void TControlHook::RemoveHook(TWindowHook* hook) {
  hook->controlHook_ = nullptr;
  hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
  if (hooks_.empty()) Unsubclass();
}

void TControlHook::SetControl(TWinControl* value) {
  if (value == control_) return;
  Unsubclass();
  control_ = value;
  if (value != nullptr)
    if (THookList* list = ExistingHookList()) list->Watch(value);
  if (!hooks_.empty()) Subclass();
}

void TControlHook::ForgetControl() {
  Unsubclass();
  control_ = nullptr;
}

void TControlHook::Subclass() {
  if (control_ == nullptr || BeingDestroyed(control_) || destroying_) return;
  HWND window = control_->Handle();
  // Still in this window's chain (on top or below a later party): once is enough.
  if (entry_ != nullptr && entry_->Window() == window && IsWindow(window)) return;
  Unsubclass();
  entry_ = new TSubclassEntry(window, this);
}

void TControlHook::Unsubclass() {
  // Only the entry is touched, never the control: it may be half destroyed
  // when this runs.
  TSubclassEntry* entry = entry_;
  entry_ = nullptr;
  if (entry != nullptr) entry->Release();
}

void TControlHook::HookWndProc(TSubclassEntry& entry, TMessage& msg) {
  // A handler may run a modal loop in which this hook's release arrives:
  // the release waits until the outermost call has returned.
  ++depth_;
  struct Leave {
    TControlHook* hook;
    ~Leave() {
      if (--hook->depth_ > 0 || !hook->releaseWanted_) return;
      hook->releaseWanted_ = false;
      if (THookList* list = ExistingHookList())
        PostMessageA(list->Handle(), CM_RELEASEHOOK, 0, reinterpret_cast<LPARAM>(hook));
    }
  } leave{this};
  if (control_ == nullptr) {
    // Nothing watches any more: the message still goes on down the chain.
    msg.Result = entry.CallPrevious(msg);
    return;
  }
  bool handled = false;
  if (msg.Msg != WM_QUIT) CallHooks(true, msg, handled);
  if (!handled || msg.Msg == WM_DESTROY) {
    msg.Result = entry.CallPrevious(msg);
    CallHooks(false, msg, handled);
  }
  if (msg.Msg != WM_DESTROY) return;
  Unsubclass();
  THookList* list = ExistingHookList();
  if (list != nullptr && !destroying_ && control_ != nullptr && !BeingDestroyed(control_))
    PostMessageA(list->Handle(), CM_REATTACHHOOK, 0, reinterpret_cast<LPARAM>(this));
}

void TControlHook::CallHooks(bool before, TMessage& msg, bool& handled) {
  if (hooks_.empty() || control_ == nullptr || destroying_ || BeingDestroyed(control_)) return;
  // A handler may attach or free hooks: walk a copy, skipping those gone.
  const std::vector<TWindowHook*> walk = hooks_;
  for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
    if (!Holds(hooks_, *it)) continue;
    try {
      if (before) (*it)->FireBeforeMessage(msg, handled);
      else (*it)->FireAfterMessage(msg, handled);
    } catch (...) {
      HandleBoundaryException(std::current_exception());
    }
    if (handled) break;
  }
}

// --- THookList -------------------------------------------------------------------

THookList::THookList()
    : window_(AllocateHWnd(TWndMethod(this, &THookList::UtilityWndProc))),
      watcher_(new TRemovalWatcher([this](TComponent* control) { ControlFreed(control); })) {}

THookList::~THookList() {
  while (!hooks_.empty()) {
    TControlHook* hook = hooks_.back();
    hooks_.pop_back();
    delete hook;
  }
  delete watcher_;
  DeallocateHWnd(window_);
}

bool THookList::Contains(const TControlHook* hook) const { return Holds(hooks_, hook); }

TControlHook* THookList::Find(const TWinControl* control) const {
  if (control == nullptr) return nullptr;
  for (TControlHook* hook : hooks_)
    if (hook->Control() == control) return hook;
  return nullptr;
}

TControlHook* THookList::FindOrAdd(TWinControl* control) {
  if (TControlHook* found = Find(control)) return found;
  auto* hook = new TControlHook;
  try {
    hooks_.push_back(hook);
    hook->SetControl(control);
  } catch (...) {
    delete hook;
    throw;
  }
  return hook;
}

void THookList::Remove(TControlHook* hook) { hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end()); }

void THookList::Watch(TWinControl* control) { watcher_->FreeNotification(control); }

void THookList::ControlFreed(TComponent* control) {
  for (TControlHook* hook : hooks_)
    if (hook->Control() == control) hook->ForgetControl();
}

void THookList::UtilityWndProc(TMessage& msg) {
  auto* hook = reinterpret_cast<TControlHook*>(msg.LParam);
  switch (msg.Msg) {
    case CM_REATTACHHOOK:
      if (Contains(hook)) hook->Subclass();
      return;
    case CM_RELEASEHOOK:
      if (!Contains(hook) || !hook->Hooks().empty()) return;
      if (hook->Busy()) hook->releaseWanted_ = true;
      else delete hook;
      return;
    default:
      msg.Result = DefWindowProcA(window_, msg.Msg, msg.WParam, msg.LParam);
  }
}
