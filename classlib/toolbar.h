// The tool bar: the system "ToolbarWindow32" showing TToolButtons, and
// optionally a menu's top items as buttons that drop their sub-menus down.
// A button is a control without a window, parented to the tool bar, so its
// caption, hint, image, visibility and state live in the button and the
// window shows them (filled again whenever it is re-created). The tool bar is
// as tall as its buttons.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/controls.h"

class TImageList;
class TMenu;
class TMenuItem;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsSeparator };

class TToolButton : public TControl {
public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;
  const char* ClassName() const override { return "TToolButton"; }

  TToolBar* ToolBar() const;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle value);
  // The button's identifier in the tool bar's window (its WM_COMMAND).
  UINT Command() const { return command_; }
  // The menu item whose sub-menu the button drops down (nil for a plain
  // button).
  TMenuItem* MenuItem() const { return menuItem_; }

  // Joining a tool bar adds the button after the others.
  void SetParent(TWinControl* parent) override;
  // Caption, visibility and state changes show at once.
  void Dispatch(TMessage& message) override;
  TControlActionLinkClass GetActionLinkClass() override;

private:
  friend class TToolBar;
  UINT command_;
  int imageIndex_ = -1;
  TToolButtonStyle style_ = tbsButton;
  TMenuItem* menuItem_ = nullptr;
};

class TToolBar : public TWinControl {
public:
  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;
  const char* ClassName() const override { return "TToolBar"; }

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  // The button at index (in the order they joined); EListError outside.
  TToolButton* Buttons(int index) const;

  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool value);
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* value);
  // The smallest size of a button; captions and images may make it larger.
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int value);
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int value);
  // Flat buttons are drawn raised only under the mouse; List puts the
  // captions beside the images instead of below them. Both re-create the
  // window.
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool List() const { return list_; }
  void SetList(bool value);

  // Shows menu's top items as buttons (after any others) that drop their
  // sub-menus down; nil removes them. The buttons follow the items as they
  // change (a translated caption shows at once). The items' OnClick runs as
  // their sub-menu opens, a chosen item runs through the menu, and Alt with
  // an item's underlined letter opens it as a click does.
  TMenu* Menu() const { return menu_; }
  void SetMenu(TMenu* menu);
  // Drops the sub-menu of a menu button down (as a click on it does);
  // returns when the menu closes.
  void TrackMenu(TToolButton* button);

  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TToolButton;
  void InsertButton(TToolButton* button);
  void RemoveButton(TToolButton* button);
  TToolButton* FindButton(UINT command) const;
  // Fills the window from the buttons and sets the tool bar's height.
  void RecreateButtons();
  void UpdateButton(TToolButton* button);
  void UpdateSizes();
  void AdjustHeight();
  void AddMenuButtons();
  void ClearMenuButtons();
  // The menu's top items changed: the buttons follow.
  void MenuChanged();
  // The menu button whose caption underlines key, nil for none.
  TToolButton* FindAccelerator(char key) const;
  void CNNotify(TMessage& message);

  std::vector<TToolButton*> buttons_;
  TImageList* images_ = nullptr;
  TMenu* menu_ = nullptr;
  bool showCaptions_ = false;
  int buttonWidth_ = 23;
  int buttonHeight_ = 22;
  bool flat_ = false;
  bool list_ = false;
  bool updating_ = false;
};
