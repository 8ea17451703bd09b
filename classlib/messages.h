// The message record every control handles, the class library's own control
// messages (CM_) and the notifications a parent reflects back to the child
// that sent them (CN_), and the crackers that decode a message's parameters
// in one place.
#pragma once

#include <windows.h>

#include <cstdint>

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  void SetWParamLo(WORD value) { WParam = MAKEWPARAM(value, WParamHi()); }
  void SetWParamHi(WORD value) { WParam = MAKEWPARAM(WParamLo(), value); }
};

// Control messages: sent by the class library to a control (Perform), never
// seen by a window procedure of the system.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr UINT CM_COLORCHANGED = CM_BASE + 4;
constexpr UINT CM_FONTCHANGED = CM_BASE + 5;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 9;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 33;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
// LParam: the THintInfo of the hint about to be shown; a non-zero result
// cancels the hint.
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
// LParam: the action to update or execute; a non-zero result means a
// control took care of it.
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
// WParam: a key (Tab, Enter, Esc) no control wanted, LParam its key data;
// sent to a form, which passes it on to its controls (Broadcast) until one
// uses it (non-zero result).
constexpr UINT CM_DIALOGKEY = CM_BASE + 96;
// The control's reading direction changed.
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 97;
// WParam: a character typed with Alt that no menu bar took (Alt+F), sent to
// a form, which passes it on to its controls until one uses it (a tool bar
// showing a menu opens the item it underlines).
constexpr UINT CM_DIALOGCHAR = CM_BASE + 98;
// LParam: a menu whose top items changed, sent to the controls that show
// them (TMenu::AddChangeNotification).
constexpr UINT CM_MENUCHANGED = CM_BASE + 99;

// Reflected notifications: a parent that receives WM_COMMAND, WM_NOTIFY and
// the owner-draw and colour messages from a child control sends them on to
// that child as CN_BASE + the message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
// A key about to be dispatched to the control's window, sent by the message
// loop first; a non-zero result means it was used up (a shortcut, Tab, the
// default button) and the window never sees it.
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

// --- crackers ----------------------------------------------------------------

// WM_COMMAND / CN_COMMAND.
struct TWMCommand {
  explicit TWMCommand(const TMessage& m)
      : ItemID(LOWORD(m.WParam)), NotifyCode(HIWORD(m.WParam)), Ctl(reinterpret_cast<HWND>(m.LParam)) {}
  WORD ItemID;
  WORD NotifyCode;
  HWND Ctl;
};

// WM_NOTIFY / CN_NOTIFY.
struct TWMNotify {
  explicit TWMNotify(const TMessage& m)
      : IDCtrl(static_cast<int>(m.WParam)), NMHdr(reinterpret_cast<NMHDR*>(m.LParam)) {}
  int IDCtrl;
  NMHDR* NMHdr;
};

// Mouse messages: co-ordinates are signed.
struct TWMMouse {
  explicit TWMMouse(const TMessage& m)
      : Keys(static_cast<UINT>(m.WParam)),
        X(static_cast<short>(LOWORD(m.LParam))),
        Y(static_cast<short>(HIWORD(m.LParam))) {}
  UINT Keys;
  int X;
  int Y;
};

// The character of a key message is the low word of WParam; the high word
// is left alone (the wide layer carries a character above 255 there).
inline WORD CharCodeOf(const TMessage& m) { return m.WParamLo(); }
inline void SetCharCode(TMessage& m, WORD code) { m.SetWParamLo(code); }

// Modifier state of a key or mouse message.
enum TShiftStateFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = uint8_t;
// The shift state from the key state of the current message.
TShiftState KeyboardStateToShiftState();
// The Alt flag of a key message's key data.
TShiftState KeyDataToShiftState(LPARAM keyData);
// The keys and buttons of a mouse message's MK_ flags, with Alt from the
// keyboard state.
TShiftState KeysToShiftState(UINT keys);
