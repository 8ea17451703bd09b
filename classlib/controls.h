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
#include "classlib/layout.h"
#include "classlib/messages.h"
#include "classlib/objectinstance.h"
#include "classlib/screen.h"

class TAction;
class TBasicAction;
class TBrush;
class TCanvas;
class TControl;
class TControlActionLink;
class TCustomForm;
class TFont;
class TPopupMenu;
class TWinControl;
template <class Base, class... Args>
struct TClassInfo;
struct THintInfo;
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

// The border of a form (and of the few controls that have one of their own).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// What a modal form answers: the identifiers of the system's message boxes.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

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
// The control of window or of the nearest window it is a child of that has
// one (a combo box for its edit), or nullptr.
TWinControl* FindOwningControl(HWND window);
// The form a control sits on (the outermost one), or nullptr.
TCustomForm* GetParentForm(TControl* control);

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
  int ClientWidth() { return ClientRect().Width(); }
  int ClientHeight() { return ClientRect().Height(); }
  // Sizes the control so that its client area gets the size given.
  void SetClientWidth(int value) { SetWidth(value + width_ - ClientWidth()); }
  void SetClientHeight(int value) { SetHeight(value + height_ - ClientHeight()); }

  // --- layout ---------------------------------------------------------------
  // An aligned control fills a side of its parent's free client area (or
  // the rest of it); an anchored one keeps its distances to the edges it is
  // anchored to, as they were when it was placed. Any change asks the
  // parent to lay out its children again.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* Constraints() const { return constraints_; }

  // The mouse cursor over the control (crDefault: the window's own).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  POINT ClientToScreen(POINT p);
  POINT ScreenToClient(POINT p);
  virtual void Invalidate();

  TFont* Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  // With ParentColor the control shows its parent's colour; setting a
  // colour of its own clears it.
  TColor Color() const;
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  // With ParentBiDiMode the control reads in its parent's direction.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  bool IsRightToLeft() const { return BiDiMode() != bdLeftToRight; }
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

  // Publishes Left, Top, Width, Height, Enabled, Visible, Hint and ShowHint.
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

  // The link class made for an action; a derived class may give its own.
  virtual TControlActionLinkClass GetActionLinkClass();
  // The action changed (or was just assigned: checkDefaults then keeps
  // what the control already has).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  // Lets the action bring itself up to date (OnUpdate); the program does
  // it at idle time for every visible control of a shown form.
  void InitiateAction();
  // An action nobody executed is offered to the controls of the active
  // and the main form: true when this control did its work.
  virtual bool ExecuteAction(TBasicAction* /*action*/) { return false; }

protected:
  void Notification(TComponent* component, TOperation operation) override;
  // An action receives the control's caption, hint, state and visibility.
  void AssignTo(TPersistent* dest) override;
  virtual void FontChanged();
  void SetControlState(uint32_t flags, bool on);
  // Asks the parent to lay out its children again (unless it is doing so).
  void RequestAlign();
  // Takes the present bounds as the place the anchors keep.
  void UpdateAnchorRules();
  // The stored bounds after a change of them; true when the size changed.
  bool StoreBounds(int left, int top, int width, int height);
  // Called on each visible child before its parent lays them out in room:
  // a control that keeps limits on its siblings (a splitter) applies them.
  virtual void ParentAligning(const TRect& room) { (void)room; }

  std::string text_;  // the text while there is no window to hold it
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;

private:
  void AddShortCutToHint(THintInfo& info);
  friend class TWinControl;
  void FontChangeHandler(TObject* sender);
  void ConstraintsChanged(TObject* sender);
  // Where the anchors put the control in a parent of this client size.
  void ApplyAnchors(int parentWidth, int parentHeight);

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
  bool parentColor_ = false;
  TBiDiMode bidiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  TCursor cursor_ = crDefault;
  TAlign align_ = alNone;
  TAnchors anchors_ = kDefaultAnchors;
  TSizeConstraints* constraints_;
  // The anchors' reference: the bounds and the parent's client size when
  // the control was placed; pending while the parent had no size yet.
  TRect anchorOrigin_;
  int anchorParentWidth_ = 0;
  int anchorParentHeight_ = 0;
  bool anchorPending_ = true;
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
  void SetTabStop(bool value);
  // The position among the parent's windowed children that Tab follows
  // (creation order until set); -1 without a parent.
  int TabOrder() const;
  void SetTabOrder(int value);
  // Every windowed control inside this one in Tab order, depth first
  // (a container comes before its children).
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The next (or previous) control after current in Tab order that can take
  // the focus (a tab stop, when checkTabStop); wraps around; nullptr when
  // there is none. current may be nullptr (then the first or last).
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  // Moves the focus as Tab (forward) or Shift+Tab would.
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
  // Visible and enabled, and so is every parent up to the form.
  bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();

  // --- layout of the children -----------------------------------------------
  // While disabled (counted), changes only mark the layout as due;
  // EnableAlign lays out once when the count returns to zero.
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  bool AlignDisabled() const { return alignDisabled_ > 0; }
  // Lays out the aligned and anchored children in the client area.
  void Realign();
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
  // Fired by the parent form as its focused control changes (see
  // TCustomForm::SetFocusedControl).
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  // The control's window, or a window inside it (an edit, a list, an
  // embedded document), got the focus: the parent form learns that this
  // control is its focused one.
  void NoteFocusInside();

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

  // The part of the client area the aligned children share (a frame or a
  // caption drawn inside the window takes the rest).
  virtual void AdjustClientRect(TRect& rect) { (void)rect; }
  virtual void AlignControls(TRect& rect);
  // A key about to reach this control (CN_KEYDOWN): the shortcuts of the
  // pop-up menus of the control and its parents and of the form's menu,
  // then the keys the form handles (Tab, Enter, Esc) unless the control
  // wants them itself. True when the key was used up.
  virtual bool HandleKeyBeforeDispatch(TMessage& message);
  // Sends message to every control inside this one, depth first, until one
  // answers with a non-zero result (which is returned).
  LRESULT Broadcast(TMessage& message);

private:
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void UpdateShowing();
  // The window's bounds after the system moved or sized it.
  void UpdateBoundsFromWindow();
  bool HandleSetCursor(TMessage& message);
  // WM_CONTEXTMENU: the control's popup menu, when it pops up by itself.
  bool ShowContextPopup(const TMessage& message);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC objectInstance_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  int alignDisabled_ = 0;
  bool alignPending_ = false;
  bool aligning_ = false;
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
