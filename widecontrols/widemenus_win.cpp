#include "widecontrols/widemenus.h"

#include <algorithm>
#include <functional>

#include "classlib/canvas.h"
#include "classlib/exceptions.h"
#include "classlib/typinfo.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/syncedstrings.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/wideapplication.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widefilers.h"
#include "widecontrols/widehints.h"
#include "widecontrols/widehotkeys.h"
#include "widecontrols/win32wide.h"

namespace {

std::wstring FromAnsi(const std::string& s) { return StringToWideStringEx(s, DefaultSystemCodePage); }

// An entry of a menu bar: it shows no shortcut.
bool IsMenuBarEntry(TMenuItem* item) {
  TMenu* menu = item->GetParentMenu();
  return menu != nullptr && item->Parent() == menu->Items() && dynamic_cast<TMainMenu*>(menu) != nullptr;
}

std::wstring MenuString(HMENU menu, UINT command) {
  int length = GetMenuStringW(menu, command, nullptr, 0, MF_BYCOMMAND);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetMenuStringW(menu, command, text.data(), length + 1, MF_BYCOMMAND);
  text.resize(static_cast<size_t>(std::max(0, std::min(got, length))));
  return text;
}

struct FlagScope {
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  bool& flag_;
};

}  // namespace

// --- captions and hints -------------------------------------------------------------------

std::wstring TWideMenuItem::Caption() {
  const std::string& ansi = TMenuItem::Caption();
  SyncHotKeyPosition(FromAnsi(ansi), caption_);
  return GetSyncedWideString(caption_, ansi);
}

void TWideMenuItem::SetCaption(const std::wstring& value) {
  Caption();
  bool changed = false;
  {
    // One rebuild of the system menu for the whole change, not one per
    // 8-bit value set on the way.
    FlagScope ignore(ignoreMenuChanged_);
    SetSyncedWideString(value, caption_, TMenuItem::Caption(), [this, &changed](const std::string& s) {
      TMenuItem::SetCaption(s);
      changed = true;
    });
  }
  if (changed) MenuChanged(true);
}

std::wstring TWideMenuItem::Hint() { return GetSyncedWideString(hint_, TMenuItem::Hint()); }

void TWideMenuItem::SetHint(const std::wstring& value) {
  SetSyncedWideString(value, hint_, TMenuItem::Hint(), [this](const std::string& s) { TMenuItem::SetHint(s); });
}

const TPublishedClass* TWideMenuItem::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      StoredWhen<&TWideMenuItem::IsCaptionStored>(
          WideStringProperty<&TWideMenuItem::Caption, &TWideMenuItem::SetCaption>("Caption")),
      StoredWhen<&TWideMenuItem::IsHintStored>(WideStringProperty<&TWideMenuItem::Hint, &TWideMenuItem::SetHint>("Hint")),
  };
  static const TPublishedClass table{"TWideMenuItem", TComponent::StaticPublishedClass(), properties};
  return &table;
}

void TWideMenuItem::DefineProperties(TFiler* filer) {
  TMenuItem::DefineProperties(filer);
  WidePersistent_AfterInherited_DefineProperties(filer, this);
}

bool TWideMenuItem::IsCaptionStored() const { return ActionLink() == nullptr || !ActionLink()->IsCaptionLinked(); }
bool TWideMenuItem::IsHintStored() const { return ActionLink() == nullptr || !ActionLink()->IsHintLinked(); }

std::wstring WideGetMenuItemHint(TMenuItem* item) {
  if (auto* wide = dynamic_cast<TWideMenuItem*>(item)) return wide->Hint();
  return FromAnsi(item->Hint());
}

// --- the system menu's strings -----------------------------------------------------------

void TWideMenuItem::UpdateMenuString(TWideMenuItem* item) {
  if (!Win32PlatformIsUnicode) return;
  TMenuItem* parent = item->Parent();
  TMenu* menu = item->GetParentMenu();
  if (parent == nullptr || menu == nullptr || !item->Visible() || item->HasState(csLoading | csDestroying) ||
      !parent->HandleAllocated())
    return;
  HMENU handle = parent->Handle();
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  if (!GetMenuItemInfoW(handle, item->Command(), FALSE, &info)) return;
  if (info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) return;
  std::wstring text = item->Caption();
  const bool barEntry = IsMenuBarEntry(item);
  if (item->Count() == 0 && item->ShortCut() != scNone && !barEntry)
    text += L"\t" + WideShortCutToText(item->ShortCut());
  if (MenuString(handle, item->Command()) == text) return;
  MENUITEMINFOW change{};
  change.cbSize = sizeof change;
  change.fMask = MIIM_STRING;
  change.dwTypeData = text.data();
  if (!SetMenuItemInfoW(handle, item->Command(), FALSE, &change)) RaiseLastOSError();
  if (barEntry) {
    HWND window = static_cast<TMainMenu*>(menu)->Window();
    if (window != nullptr) DrawMenuBar(window);
  }
}

void UpdateMenuItems(TMenuItem* item) {
  for (int i = 0; i < item->Count(); ++i) UpdateMenuItems(item->Items(i));
  if (auto* wide = dynamic_cast<TWideMenuItem*>(item)) TWideMenuItem::UpdateMenuString(wide);
}

void FixMenuBiDiProblem(TMenu* menu) {
  if (menu == nullptr || !GetSystemMetrics(SM_MIDEASTENABLED) || menu->Items()->Count() == 0) return;
  if (auto* first = dynamic_cast<TWideMenuItem*>(menu->Items()->Items(0))) TWideMenuItem::UpdateMenuString(first);
}

void TWideMenuItem::Loaded() {
  TMenuItem::Loaded();
  UpdateMenuString(this);
}

void TWideMenuItem::MenuChanged(bool rebuild) {
  if (ignoreMenuChanged_) return;
  TMenuItem::MenuChanged(rebuild);
  UpdateMenuItems(this);
  FixMenuBiDiProblem(GetParentMenu());
}

// --- owner drawing -------------------------------------------------------------------------

std::wstring TWideMenuItem::WideText(TMenuItemText which) {
  return which == mtCaption ? Caption() : WideShortCutToText(ShortCut());
}

void TWideMenuItem::DoDrawText(TCanvas* canvas, TMenuItemText which, TRect& rect, bool selected, UINT flags) {
  if (!Win32PlatformIsUnicode || IsLine()) return TMenuItem::DoDrawText(canvas, which, rect, selected, flags);
  std::wstring text = WideText(which);
  if ((flags & DT_CALCRECT) && (text.empty() || text == L"&")) text += L' ';
  DrawItemText(canvas, rect, selected, flags,
               [&text](HDC dc, RECT& r, UINT f) { Wide_DrawTextW(dc, text.c_str(), -1, &r, f); });
}

int TWideMenuItem::MeasureWideText(TCanvas* canvas, const std::wstring& text) {
  std::wstring measured = text.empty() || text == L"&" ? text + L" " : text;
  canvas->RequiredState(csHandleValid | csFontValid);
  RECT r{0, 0, 0, 0};
  Wide_DrawTextW(canvas->Handle(), measured.c_str(), -1, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  return r.right - r.left;
}

void TWideMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
  if (!Win32PlatformIsUnicode || IsLine()) return TMenuItem::MeasureItem(canvas, width, height);
  // The item's own handler sees the corrected size, not the 8-bit one.
  struct HoldBack {
    TMenuMeasureItemEvent& event;
    TMenuMeasureItemEvent held;
    explicit HoldBack(TMenuMeasureItemEvent& e) : event(e), held(std::move(e)) { event = nullptr; }
    ~HoldBack() { event = std::move(held); }
  };
  {
    HoldBack holdBack(OnMeasureItem);
    TMenuItem::MeasureItem(canvas, width, height);
    width += MeasureWideText(canvas, Caption()) - MeasureText(canvas, TMenuItem::Caption());
    if (Count() == 0 && ShortCut() != scNone && !IsMenuBarEntry(this))
      width += MeasureWideText(canvas, WideShortCutToText(ShortCut())) - MeasureText(canvas, ShortCutToText(ShortCut()));
  }
  if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

// --- action -------------------------------------------------------------------------------

void TWideMenuItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action != nullptr && dynamic_cast<IWideAction*>(action) != nullptr) {
    if (!checkDefaults || Caption().empty()) SetCaption(WideAction_GetCaption(action));
    if (!checkDefaults || Hint().empty()) SetHint(WideAction_GetHint(action));
  }
  TMenuItem::ActionChange(sender, checkDefaults);
}

TMenuActionLinkClass TWideMenuItem::GetActionLinkClass() {
  TMenuActionLinkClass result = TWideMenuActionLink::StaticClass();
  if (result->Parent != TMenuItem::GetActionLinkClass())
    throw EWideInternalError("Internal Error: TWideMenuItem.GetActionLinkClass: unexpected link class.");
  return result;
}

// --- popup list -----------------------------------------------------------------------------

TWidePopupList::TWidePopupList(TPopupList* original) : original_(original) {
  if (original_ != nullptr) TakeOver(*original_);
}

TWidePopupList::~TWidePopupList() {
  if (original_ != nullptr) original_->TakeOver(*this);
}

void TWidePopupList::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MENUSELECT:
      if (WideApplication != nullptr) {
        TMenuItem* item = SelectedItem(message);
        WideApplication->SetHint(item != nullptr ? WideGetLongHint(WideGetMenuItemHint(item)) : std::wstring());
      }
      break;
    case WM_ENTERMENULOOP:
      // The list stays in place for the next menu: only the texts the
      // system's mirroring loses are put back.
      for (int i = 0; i < Count(); ++i) FixMenuBiDiProblem(Items(i));
      break;
    default:
      break;
  }
  TPopupList::WndProc(message);
}
