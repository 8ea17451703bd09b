// Menus: items with captions, hints, shortcuts and sub-items, the menu that
// owns the tree, and the popup menu shown at a point. Shortcuts are a
// virtual-key code in the low byte with the modifier bits scShift, scCtrl
// and scAlt.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/actions.h"
#include "classlib/component.h"
#include "classlib/messages.h"

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(WORD key, TShiftState shift);
// The key's name from the class library's table ("Enter", "F5", "Ctrl+" ...)
// for the keys it names, else the system's key name; modifiers first, in
// the order "Shift+", "Ctrl+", "Alt+". Empty for a key without a name.
std::string ShortCutToText(TShortCut shortCut);
// The class library's own name of key (empty when it has none).
std::string KeyNameFromTable(WORD key);

class TMenu;

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  // The command identifier of the item in its menu window.
  UINT Command() const { return command_; }
  // The item with command, in this item's tree.
  TMenuItem* Find(UINT command);
  // The system menu of the sub-items (made when first needed).
  HMENU Handle();

  TNotifyEvent OnClick;
  virtual void Click();

private:
  void Rebuild();

  std::string caption_;
  std::string hint_;
  TShortCut shortCut_ = 0;
  bool enabled_ = true;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  UINT command_;
  HMENU handle_ = nullptr;
};

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* owner);
  TMenuItem* Items() const { return items_; }
  HMENU Handle() { return items_->Handle(); }
  // Runs the item of a WM_COMMAND's identifier; false when none has it.
  bool DispatchCommand(UINT command);

private:
  TMenuItem* items_;
};

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point and runs the chosen item.
  void Popup(int x, int y);

private:
  void WndProc(TMessage& message);
  HWND window_ = nullptr;
};
