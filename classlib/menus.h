// Menus: items with captions, hints, shortcuts and sub-items, the menu that
// owns the tree, the main menu (a window's menu bar, or shown by some other
// control) and the popup menu shown at a point. Shortcuts are a virtual-key
// code in the low byte with the modifier bits scShift, scCtrl and scAlt.
//
// Whoever shows a menu's system menus passes what the system reports back
// to it: WM_INITMENUPOPUP to DispatchPopup (which runs OnClick of the item
// whose sub-menu opens, so it can prepare its sub-items) and a chosen
// command to DispatchCommand. A form does both for its own menus, so a
// control that shows a menu with TrackPopupMenu may simply name the form's
// window as the owner: for each top item, its Caption() and Handle() (the
// sub-menu) are what such a control needs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/actions.h"
#include "classlib/graphics.h"
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

// A caption without its hot-key markers ("&&" leaves one "&").
std::string StripHotkey(const std::string& text);
// Equal once the markers are stripped, case ignored.
bool AnsiSameCaption(const std::string& text1, const std::string& text2);

class TCanvas;
class TControl;
class TMenu;
class TMenuItem;
class TMenuActionLink;
using TMenuActionLinkClass = const TClassInfo<TMenuActionLink, TMenuItem*>*;

// A menu item's break: it starts a new column (with a bar before it).
enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

// The size of an owner-drawn item, after the item measured itself.
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

// The link between a menu item and its action.
class TMenuActionLink : public TActionLink {
public:
  explicit TMenuActionLink(TMenuItem* client) : client_(client) {}
  static TMenuActionLinkClass StaticClass();
  TMenuItem* Client() const { return client_; }

  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  bool IsEnabledLinked() override;
  bool IsVisibleLinked() override;
  bool IsShortCutLinked() override;
  void SetCaption(const std::string& value) override;
  void SetHint(const std::string& value) override;
  void SetEnabled(bool value) override;
  void SetVisible(bool value) override;
  void SetShortCut(TShortCut value) override;

protected:
  TMenuItem* client_;
};

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
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  // A hidden item is left out of the system menu (its shortcut still runs).
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // The default item of its menu is shown bold.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak value);
  // The caption "-" makes a separator.
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  // The command identifier of the item in its menu window.
  UINT Command() const { return command_; }
  // The item with command, in this item's tree.
  TMenuItem* Find(UINT command);
  // The item whose sub-menu is menu, in this item's tree.
  TMenuItem* FindSubMenu(HMENU menu);
  // The first item of the tree with this shortcut.
  TMenuItem* FindShortCut(TShortCut shortCut);
  // The system menu of the sub-items (made when first needed).
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // The menu whose tree holds the item (nullptr for a loose item).
  TMenu* GetParentMenu() const;

  TNotifyEvent OnClick;
  // OnClick, else the action's execution.
  virtual void Click();

  // --- action -----------------------------------------------------------------
  TBasicAction* Action() const;
  void SetAction(TBasicAction* action);
  TMenuActionLink* ActionLink() const { return actionLink_; }
  // The action changed (or was just assigned: checkDefaults then keeps
  // what the item already has).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  virtual TMenuActionLinkClass GetActionLinkClass();
  // Lets the action bring itself up to date (at idle time).
  void InitiateAction();

  // --- owner drawing (TMenu::OwnerDraw) -----------------------------------------
  // Draws the item on canvas within rect; state holds the ODS_ flags, and
  // topLevel marks an entry of a menu bar.
  virtual void AdvancedDrawItem(TCanvas* canvas, const TRect& rect, UINT state, bool topLevel);
  // The item's size: its own measurement, then OnMeasureItem may change it.
  virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
  TMenuMeasureItemEvent OnMeasureItem;

protected:
  // Something about the item changed. With rebuild its entry in the
  // parent's system menu is made again (the parent's whole menu); the
  // parent calls it without rebuild for every entry it has just made.
  virtual void MenuChanged(bool rebuild);
  void Notification(TComponent* component, TOperation operation) override;

  enum TMenuItemText { mtCaption, mtShortCut };
  // Draws one of the item's texts in rect, embossed when the item is
  // disabled; with DT_CALCRECT in flags only measures it into rect.
  virtual void DoDrawText(TCanvas* canvas, TMenuItemText which, TRect& rect, bool selected, UINT flags);
  // The flags and emboss of DoDrawText around draw, which draws the text
  // (or measures it) on the canvas's context.
  void DrawItemText(TCanvas* canvas, TRect& rect, bool selected, UINT flags,
                    const std::function<void(HDC dc, RECT& r, UINT flags)>& draw);
  // The width of text as the item measures its texts (a blank for none).
  int MeasureText(TCanvas* canvas, const std::string& text);

private:
  friend class TMenu;
  friend class TMainMenu;
  void Changed();
  void Rebuild();
  void DetachSubMenus();
  // Makes the system menus of the tree again (owner drawing switched).
  void RebuildTree();

  std::string caption_;
  std::string hint_;
  TShortCut shortCut_ = 0;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  bool default_ = false;
  TMenuBreak break_ = mbNone;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  UINT command_;
  HMENU handle_ = nullptr;
  TMenuActionLink* actionLink_ = nullptr;
  // Set on the root item of a menu: the menu it belongs to, and whether
  // its system menu is a menu bar.
  TMenu* menu_ = nullptr;
  bool bar_ = false;
};

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* owner);
  // Items it owns are freed after the menu has let go of its root item, so
  // none reports a change to a menu half destroyed.
  ~TMenu() override;
  TMenuItem* Items() const { return items_; }
  HMENU Handle() { return items_->Handle(); }
  // Runs the item of a WM_COMMAND's identifier; false when none has it.
  bool DispatchCommand(UINT command);
  // Runs OnClick of the item whose sub-menu is opening (WM_INITMENUPOPUP);
  // false when the sub-menu is not this menu's.
  bool DispatchPopup(HMENU menu);
  // Runs the enabled item with the shortcut of key and shift (after the
  // items above it, as opening their menus would); true when it ran.
  bool IsShortCut(WORD key, TShiftState shift);
  // A control that shows the top items (a tool bar) is sent CM_MENUCHANGED
  // whenever they change, until it is removed.
  void AddChangeNotification(TControl* control);
  void RemoveChangeNotification(TControl* control);
  // With OwnerDraw every item draws and measures itself (AdvancedDrawItem,
  // MeasureItem) when its window asks (WM_DRAWITEM, WM_MEASUREITEM).
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value);
  // The item of a WM_DRAWITEM / WM_MEASUREITEM for a menu: false when it is
  // not this menu's.
  bool DispatchDrawItem(const DRAWITEMSTRUCT& item);
  bool DispatchMeasureItem(MEASUREITEMSTRUCT& item);
  // Either of the two messages, answered TRUE when the item is this menu's.
  bool DispatchOwnerDraw(TMessage& message);
  // The item of a menu identifier (a command, or a sub-menu's handle),
  // nullptr when none.
  TMenuItem* FindItem(UINT_PTR id);

protected:
  // The system menu of the root item changed.
  virtual void MenuChanged() {}

private:
  friend class TMenuItem;
  void TopItemsChanged();

  TMenuItem* items_;
  std::vector<TControl*> changeNotified_;
  bool ownerDraw_ = false;
};

// A menu bar: bound to a form's window (TCustomForm::SetMenu) or shown by a
// tool bar; its top items are the bar's entries.
class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* owner);
  // The window whose bar shows the menu (set by the form), redrawn when an
  // item changes.
  HWND Window() const { return window_; }
  void SetWindow(HWND window) { window_ = window; }

protected:
  void MenuChanged() override;

private:
  HWND window_ = nullptr;
};

// Joins the popup list (PopupList) while it lives.
class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point, owned by the popup list's window,
  // which runs the chosen item when the loop next handles its command.
  void Popup(int x, int y);
  // Whether whoever owns the menu shows it by itself on a right click.
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  // The component the menu was last shown for (set by that component).
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* value);

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};

// The hidden window that owns every popup menu shown, and the menus it
// serves: it runs their commands, lets a sub-menu prepare as it opens,
// shows the hint of the item under the mouse as the application's hint,
// and has owner-drawn items draw themselves.
class TPopupList : public TObject {
public:
  TPopupList() = default;
  ~TPopupList() override;
  int Count() const { return static_cast<int>(menus_.size()); }
  TPopupMenu* Items(int index) const { return menus_.at(static_cast<size_t>(index)); }
  void Add(TPopupMenu* menu);
  void Remove(TPopupMenu* menu);
  // Moves every menu of other into this list (one list serves at a time).
  void TakeOver(TPopupList& other);
  // Made when first needed.
  HWND Window();

protected:
  virtual void WndProc(TMessage& message);
  // The item of a WM_MENUSELECT among the menus, nullptr for none.
  TMenuItem* SelectedItem(const TMessage& message) const;

private:
  void MainWndProc(TMessage& message) { WndProc(message); }
  std::vector<TPopupMenu*> menus_;
  HWND window_ = nullptr;
};

// The list every popup menu joins: the class library's own, unless a layer
// put its own in place (taking over the menus).
extern TPopupList* PopupList;
