// Windows only. Menu items with a wide caption and hint kept beside the
// class library's 8-bit ones: the system menu shows the wide text (set with
// the "W" menu functions, or drawn wide when the menu is owner-drawn).
#pragma once

#include <windows.h>

#include <string>

#include "classlib/menus.h"

class TWideMenuItem : public TMenuItem {
public:
  explicit TWideMenuItem(TComponent* owner) : TMenuItem(owner) {}

  // The wide caption, following the 8-bit one when other code changes it
  // (hot-key markers the class library moved are carried over).
  std::wstring Caption();
  void SetCaption(const std::wstring& value);
  std::wstring Hint();
  void SetHint(const std::wstring& value);

  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  // The published values, then the wide companions of Caption and Hint.
  void DefineProperties(TFiler* filer) override;
  // Stored unless the action supplies them.
  bool IsCaptionStored() const;
  bool IsHintStored() const;

  void Loaded() override;
  // The class library's measure with the widths of the wide texts in
  // place of the 8-bit ones; OnMeasureItem sees the result.
  void MeasureItem(TCanvas* canvas, int& width, int& height) override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TMenuActionLinkClass GetActionLinkClass() override;

  // Puts the item's wide text (and shortcut) into its parent's system menu
  // when that entry is a string.
  static void UpdateMenuString(TWideMenuItem* item);

protected:
  void MenuChanged(bool rebuild) override;
  // Owner drawing lays the item out as the class library does; the texts
  // are drawn wide.
  void DoDrawText(TCanvas* canvas, TMenuItemText which, TRect& rect, bool selected, UINT flags) override;

private:
  std::wstring WideText(TMenuItemText which);
  int MeasureWideText(TCanvas* canvas, const std::wstring& text);

  bool ignoreMenuChanged_ = false;
  std::wstring caption_;
  std::wstring hint_;
};

// The wide hint of a wide item, else the item's 8-bit hint converted.
std::wstring WideGetMenuItemHint(TMenuItem* item);
// Every wide item below item (children first), then item itself.
void UpdateMenuItems(TMenuItem* item);
// On a Middle-East system the menu's first item, when wide, gets its wide
// text again (the system's mirroring loses it).
void FixMenuBiDiProblem(TMenu* menu);

// The popup list of the wide layer: it takes over the menus of the list it
// replaces (and gives them back when it goes), and sets the wide
// application hint from the item under the mouse.
class TWidePopupList : public TPopupList {
public:
  explicit TWidePopupList(TPopupList* original);
  ~TWidePopupList() override;
  TPopupList* Original() const { return original_; }

protected:
  void WndProc(TMessage& message) override;

private:
  TPopupList* original_;
};
