// Windows only. Unicode windows for the class library's windowed controls
// and wide texts for any control: a control's creation step may call
// CreateUnicodeHandle, which registers a Unicode twin of its window class,
// creates the window with CreateWindowExW and puts a TWinControlTrap
// between the Unicode window and the 8-bit class library. Wide captions and
// hints are kept in caption holders beside the 8-bit properties.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/component.h"
#include "classlib/controls.h"
#include "classlib/messages.h"
#include "classlib/objectinstance.h"

// --- caption holders -------------------------------------------------------------

class TWideCaptionHolder : public TComponent {
public:
  explicit TWideCaptionHolder(TControl* control);
  TControl* Control() const { return control_; }
  std::wstring WideCaption;
  std::wstring WideHint;

protected:
  // The holder goes with its control.
  void Notification(TComponent* component, TOperation operation) override;

private:
  TControl* control_;
};

// The holder of control, or nullptr; created (in address order) when create.
TWideCaptionHolder* FindWideCaptionHolder(TControl* control, bool create);
// The holder's caption, or defaultText when the control has no holder.
std::wstring GetWideCaptionHolderText(TControl* control, const std::wstring& defaultText);
// Stores value in the control's holder and its 8-bit image as the
// control's text.
void SetWideCaptionHolderText(TControl* control, const std::wstring& value);

// --- wide text and hint of any control ---------------------------------------------

std::wstring WideControl_GetText(TControl* control);
void WideControl_SetText(TControl* control, const std::wstring& value);
std::wstring WideControl_GetHint(TControl* control);
void WideControl_SetHint(TControl* control, const std::wstring& value);
// True unless the control's action supplies its hint.
bool WideControl_IsHintStored(TControl* control);
// The first non-empty wide hint of the control and its parents.
std::wstring WideGetHint(TControl* control);
// The text before the first "|" (all of it without one), and after it.
std::wstring WideGetShortHint(const std::wstring& hint);
std::wstring WideGetLongHint(const std::wstring& hint);

// --- Unicode windows -----------------------------------------------------------------

// The creation step of a windowed control with a Unicode window. subClass
// names the system class whose procedure is the default one (empty:
// DefWindowProcW).
void CreateUnicodeHandle(TWinControl* control, const TCreateParams& params, const std::wstring& subClass,
                         bool ideWindow = false);
void RegisterUnicodeClass(const TCreateParams& params, std::wstring& wideWinClassName, bool ideWindow);
void SubClassUnicodeControl(TWinControl* control, const std::string& caption, bool ideWindow);
// The answer to WM_NOTIFYFORMAT for the window that asks: NFR_UNICODE (2)
// for a Unicode window and for the one being created here, else NFR_ANSI.
LRESULT HandleWMNotifyFormat(HWND window);
// The control whose window CreateUnicodeHandle is creating (nullptr else).
TWinControl* WideCreationControl();

// WM_CHAR as the 8-bit class library can carry it: a character above 255 is
// low word 255 with the character in the high word. Only for WM_CHAR
// (EWideInternalError otherwise).
void MakeWMCharMsgSafeForAnsi(TMessage& message);
void RestoreWMCharMsg(TMessage& message);
wchar_t GetWideCharFromWMCharMsg(const TMessage& message);
void SetWideCharForWMCharMsg(TMessage& message, wchar_t ch);
bool IsTextMessage(UINT msg);

// Starts the layer (once): its atoms, the wide application with its message
// hook, and the wide popup list. The first Unicode window starts it anyway;
// a program calls it before it builds its forms, so that the menus it
// makes find the layer in place.
void InitializeWideControls();

// Set when the layer has shut down: the traps then do nothing.
extern bool WideControlsFinalized;

// One per subclassed Unicode window: routes its messages between the window
// and the class library.
class TWinControlTrap : public TComponent {
public:
  explicit TWinControlTrap(TWinControl* control);
  ~TWinControlTrap() override;

  TWinControl* Control() const { return control_; }
  void Win32Proc_Subclass(const std::string& caption);
  void SetIDEWindow(bool value) { ideWindow_ = value; }
  // Whether the trap's WindowProc is in the control's WindowProc chain.
  bool IsWindowProcHooked();

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  void Win32Proc(TMessage& message);
  void DefWin32Proc(TMessage& message);
  void WindowProc(TMessage& message);
  void HookWindowProc();
  void Win32Proc_Unsubclass();

  WNDPROC win32ProcEntry_;
  WNDPROC defWin32ProcEntry_;
  TWinControl* control_;
  HWND handle_ = nullptr;
  WNDPROC prevWin32Proc_ = nullptr;
  WNDPROC prevDefWin32Proc_ = nullptr;
  TWndMethod prevWindowProc_;
  UINT lastWin32Msg_ = 0;
  bool lastWin32MsgSet_ = false;
  int win32ProcLevel_ = 0;
  bool ideWindow_ = false;
  bool destroyPending_ = false;
  bool probing_ = false;
  bool probeSeen_ = false;
};

// The trap parked for control's next window, or a new one.
TWinControlTrap* FindOrCreateWinControlTrap(TWinControl* control);
