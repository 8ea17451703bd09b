// Controls: TControl (any visual element, with or without a window) and
// TWinControl (a control with a window of its own), the creation parameters
// and window-creation step, message routing (WindowProc -> WndProc ->
// Dispatch -> DefaultHandler -> the default window procedure) and the
// reflection of child notifications (CN_COMMAND, CN_NOTIFY, ...).
//
// Windows are created with the 8-bit ("A") functions and default handling
// ends in CallWindowProcA; a derived layer may replace the creation step
// (CreateWindowHandle), the default procedure (SetDefWndProc) and the
// handler in front (WindowProc).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/component.h"
#include "classlib/graphics.h"
#include "classlib/messages.h"
#include "classlib/objectinstance.h"

class TAction;
class TBasicAction;
class TBrush;
class TCanvas;
class TControl;
class TControlActionLink;
class TFont;
class TPopupMenu;
class TWinControl;
template <class Base, class... Args>
struct TClassInfo;
using TControlActionLinkClass = const TClassInfo<TControlActionLink, TControl*>*;

using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

// How a text sits in its space: at the left, at the right or centred.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift holds the modifier keys and the buttons held down; X and Y are
// client co-ordinates of the control.
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// The window property names under which every window of the class library
// holds its control: kWindowAtomPrefix followed by the process id as eight
// upper-case hexadecimal digits, and "ControlOfs" followed by the module
// instance and the thread id formatted the same way.
extern const char kWindowAtomPrefix[];
std::string WindowAtomString();
std::string ControlAtomString();
ATOM WindowAtom();
ATOM ControlAtom();

// The control of a window of this process, or nullptr.
TWinControl* FindControl(HWND window);

// The control whose window is being created: the class's first message
// gives it its handle (InitWndProc).
TWinControl* CreationControl();
void SetCreationControl(TWinControl* control);

// The class procedure of every window class the class library registers.
LRESULT CALLBACK InitWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  char WinClassName[64] = {};
};

enum TControlStateFlag : uint32_t {
  csCreatingHandle = 0x01,
  csDestroyingHandle = 0x02,
  csRecreating = 0x04,
};

class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // The name used for the window class (and nothing else).
  virtual const char* ClassName() const { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  // --- messages -------------------------------------------------------------
  // Sends a message to the control object (through WindowProc), not to its
  // window.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The handler in front: StandardWindowProc() unless a component hooked
  // itself in (it then passes on what it does not handle to the one it saved).
  TWndMethod WindowProc;
  TWndMethod StandardWindowProc() { return TWndMethod(this, &TControl::WndProc); }
  virtual void WndProc(TMessage& message);
  // The message map: each class handles its own messages and passes the
  // rest to its base; what no class handles reaches DefaultHandler.
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // --- text and hint --------------------------------------------------------
  // Read and written through WM_GETTEXT / WM_SETTEXT (Perform), so a window
  // answers for a control that has one; a change sends CM_TEXTCHANGED.
  std::string Text();
  void SetText(const std::string& text);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& text) { SetText(text); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; parentShowHint_ = false; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);

  // --- state and geometry ---------------------------------------------------
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Rect(left_, top_, left_ + width_, top_ + height_); }
  virtual TRect ClientRect();
  POINT ClientToScreen(POINT p);
  POINT ScreenToClient(POINT p);
  virtual void Invalidate();

  TFont* Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool IsRightToLeft() const { return false; }
  // DT_RTLREADING when the control reads right to left, else 0.
  UINT DrawTextBiDiModeFlagsReadingOnly() const { return IsRightToLeft() ? DT_RTLREADING : 0; }

  // --- actions and menus ----------------------------------------------------
  TBasicAction* Action() const;
  void SetAction(TBasicAction* action);
  TControlActionLink* ActionLink() const { return actionLink_; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  TNotifyEvent OnClick;
  virtual void Click();
  // A button went down (a double click counts as a press) or the mouse moved
  // over the control; both run before the control's own handling.
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);

  uint32_t ControlState() const { return controlState_; }

  // The link class made for an action; a derived class may give its own.
  virtual TControlActionLinkClass GetActionLinkClass();
  // The action changed (or was just assigned: checkDefaults then keeps
  // what the control already has).
  virtual void ActionChange(TObject* sender, bool checkDefaults);

protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void FontChanged();
  void SetControlState(uint32_t flags, bool on);

  std::string text_;  // the text while there is no window to hold it
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;

private:
  friend class TWinControl;
  void FontChangeHandler(TObject* sender);

  TWinControl* parent_ = nullptr;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  bool enabled_ = true;
  TFont* font_ = nullptr;
  bool parentFont_ = true;
  TColor color_;
  TControlActionLink* actionLink_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  uint32_t controlState_ = 0;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  // The window is destroyed (children first), then the child controls.
  ~TWinControl() override;

  const char* ClassName() const override { return "TWinControl"; }

  // The window, created when there is none (and the parents' windows first).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Stores the window a creation step made; for derived creation steps.
  void SetWindowHandle(HWND handle) { handle_ = handle; }
  // A window not made by the class library to use as parent.
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND window);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

  // The entry the window's procedure slot gets: MainWndProc bound to this
  // control, for the control's life.
  WNDPROC StandardEntry() const { return objectInstance_; }
  // Where default handling ends (CallWindowProcA); writable so that a layer
  // that subclasses the window can put itself in between.
  WNDPROC DefWndProc() const { return defWndProc_; }
  void SetDefWndProc(WNDPROC proc) { defWndProc_ = proc; }

  // Destroys and creates the window again, keeping what the control holds.
  void RecreateWnd();
  virtual void CreateHandle();
  virtual void DestroyHandle();

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  bool Focused() const;
  virtual void SetFocus();
  void UpdateWindow();
  void Invalidate() override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() override;
  bool Showing() const;

  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void WndProc(TMessage& message) override;
  TControlActionLinkClass GetActionLinkClass() override;

  // The window procedure bound to this control: hands the message to
  // WindowProc.
  void MainWndProc(TMessage& message);

  // The key handling of WM_CHAR: KeyPress with the character's low byte;
  // true when the key was consumed (set to 0). The high word of WParam is
  // left as it was.
  bool DoKeyPress(TMessage& message);
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);

protected:
  friend class TControl;
  virtual void CreateParams(TCreateParams& params);
  // The window-creation step: CreateWindowExA with params.
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void CreateWnd();
  // Saves what must outlive the window (its text), then destroys it.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // Bases the window class on the system class className.
  void CreateSubClass(TCreateParams& params, const char* className);

  virtual void KeyPress(char& key);
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  void FontChanged() override;

  // Sends a reflected CN_ message to the control of window; false when
  // window has no control (or is this one).
  bool DoControlMsg(HWND window, TMessage& message);

private:
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void UpdateShowing();

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC objectInstance_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  std::vector<TControl*> controls_;
  bool tabStop_ = false;
  TBrush* brush_ = nullptr;  // the background of reflected colour messages
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  const char* ClassName() const override { return "TCustomControl"; }
  TCanvas* Canvas() const { return canvas_; }
  void Dispatch(TMessage& message) override;

protected:
  virtual void Paint() {}

private:
  TCanvas* canvas_;
};
