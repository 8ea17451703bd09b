#include "components/formplacement.h"

#include <algorithm>
#include <iterator>

#include "classlib/boundary.h"
#include "classlib/inifiles.h"
#include "classlib/registry.h"
#include "classlib/strutils.h"
#include "classlib/typinfo.h"
#include "components/placementsettings.h"
#include "components/windowhook.h"

namespace {

const char* const kPlacementOptions[] = {"fpState", "fpPosition", "fpActiveControl"};
const char* const kRegistryRoots[] = {"prCurrentUser", "prLocalMachine", "prCurrentConfig",
                                      "prClassesRoot", "prUsers",        "prDynData"};

HKEY RootKeyOf(TPlacementRegRoot root) {
  switch (root) {
    case prLocalMachine: return HKEY_LOCAL_MACHINE;
    case prCurrentConfig: return HKEY_CURRENT_CONFIG;
    case prClassesRoot: return HKEY_CLASSES_ROOT;
    case prUsers: return HKEY_USERS;
    case prDynData: return HKEY_DYN_DATA;
    default: return HKEY_CURRENT_USER;
  }
}

// The frame a border style gives, which a maximised window hides past the
// screen's edges.
SIZE BorderSize(TFormBorderStyle style) {
  switch (style) {
    case bsSingle:
    case bsToolWindow: return SIZE{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    case bsSizeable:
    case bsSizeToolWin: return SIZE{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
    case bsDialog: return SIZE{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
    default: return SIZE{0, 0};
  }
}

}  // namespace

// --- TWinMinMaxInfo ---------------------------------------------------------------

bool TWinMinMaxInfo::IsDefault() const {
  for (int v : values_)
    if (v != 0) return false;
  return true;
}

void TWinMinMaxInfo::Set(int index, int value) {
  if (values_[index] == value) return;
  values_[index] = value;
  if (owner_ != nullptr) owner_->MinMaxInfoChanged();
}

void TWinMinMaxInfo::ApplyTo(MINMAXINFO& info) const {
  auto put = [](LONG& field, int value) {
    if (value != 0) field = value;
  };
  put(info.ptMaxPosition.x, MaxPosLeft());
  put(info.ptMaxPosition.y, MaxPosTop());
  put(info.ptMaxSize.y, MaxSizeHeight());
  put(info.ptMaxSize.x, MaxSizeWidth());
  put(info.ptMaxTrackSize.y, MaxTrackHeight());
  put(info.ptMaxTrackSize.x, MaxTrackWidth());
  put(info.ptMinTrackSize.y, MinTrackHeight());
  put(info.ptMinTrackSize.x, MinTrackWidth());
}

void TWinMinMaxInfo::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TWinMinMaxInfo*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  std::copy(std::begin(other->values_), std::end(other->values_), std::begin(values_));
  if (owner_ != nullptr) owner_->MinMaxInfoChanged();
}

const TPublishedClass* TWinMinMaxInfo::StaticPublishedClass() {
  using M = TWinMinMaxInfo;
  static const TPropInfo properties[] = {
      IntegerProperty<&M::MaxPosLeft, &M::SetMaxPosLeft>("MaxPosLeft", 0),
      IntegerProperty<&M::MaxPosTop, &M::SetMaxPosTop>("MaxPosTop", 0),
      IntegerProperty<&M::MaxSizeHeight, &M::SetMaxSizeHeight>("MaxSizeHeight", 0),
      IntegerProperty<&M::MaxSizeWidth, &M::SetMaxSizeWidth>("MaxSizeWidth", 0),
      IntegerProperty<&M::MaxTrackHeight, &M::SetMaxTrackHeight>("MaxTrackHeight", 0),
      IntegerProperty<&M::MaxTrackWidth, &M::SetMaxTrackWidth>("MaxTrackWidth", 0),
      IntegerProperty<&M::MinTrackHeight, &M::SetMinTrackHeight>("MinTrackHeight", 0),
      IntegerProperty<&M::MinTrackWidth, &M::SetMinTrackWidth>("MinTrackWidth", 0),
  };
  static const TPublishedClass table{"TWinMinMaxInfo", nullptr, properties};
  return &table;
}

// --- TFormPlacement ---------------------------------------------------------------

TFormPlacement::TFormPlacement(TComponent* owner)
    : TComponent(owner), minMaxInfo_(new TWinMinMaxInfo(this)), hook_(new TWindowHook(nullptr)) {
  if (Form() != nullptr) options_ = fpState | fpPosition;
  hook_->SetActive(false);
  hook_->AfterMessage = [this](TObject* sender, TMessage& msg, bool& handled) {
    AfterFormMessage(sender, msg, handled);
  };
}

TFormPlacement::~TFormPlacement() {
  Destroying();
  CloseSettings();
  delete hook_;
  UnhookFormEvents();
  delete minMaxInfo_;
}

void TFormPlacement::Loaded() {
  TComponent::Loaded();
  if (HasState(csDesigning)) return;
  if (!eventsHooked_ && Form() != nullptr) HookFormEvents();
  UpdateHook();
}

std::string TFormPlacement::IniFileName() const {
  if (!iniFileName_.empty() || HasState(csDesigning)) return iniFileName_;
  return useRegistry_ ? DefaultRegistryKey() : DefaultIniFileName();
}

std::string TFormPlacement::IniSection() const {
  return iniSection_.empty() ? DefaultSectionName(Owner()) : iniSection_;
}

void TFormPlacement::SetPreventResize(bool value) {
  if (Form() == nullptr || value == preventResize_) return;
  preventResize_ = value;
  UpdateMaxPosition();
  UpdateMaximizeIcon();
}

void TFormPlacement::MinMaxInfoChanged() {
  UpdateMaxPosition();
  if (!HasState(csLoading)) UpdateHook();
}

// --- the form's events ---------------------------------------------------------

void TFormPlacement::HookFormEvents() {
  TCustomForm* form = Form();
  formShow_ = form->OnShow;
  formCloseQuery_ = form->OnCloseQuery;
  formDestroy_ = form->OnDestroy;
  form->OnShow = [this](TObject* sender) { FormShow(sender); };
  form->OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
  form->OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
  eventsHooked_ = true;
  defaultMaximize_ = form->HandleAllocated() ? (GetWindowLongA(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX) != 0
                                             : form->BorderStyle() == bsSizeable;
  if (preventResize_) UpdateMaximizeIcon();
}

void TFormPlacement::UnhookFormEvents() {
  // A form being destroyed is half gone: its events are not touched.
  if (!eventsHooked_ || Owner() == nullptr || Owner()->HasState(csDestroying)) return;
  TCustomForm* form = Form();
  if (form == nullptr) return;
  form->OnShow = formShow_;
  form->OnCloseQuery = formCloseQuery_;
  form->OnDestroy = formDestroy_;
  eventsHooked_ = false;
}

void TFormPlacement::FormShow(TObject* sender) {
  if (active_) GuardBoundary([this] { LoadPlacement(); });
  if (formShow_) formShow_(sender);
}

void TFormPlacement::FormCloseQuery(TObject* sender, bool& canClose) {
  if (formCloseQuery_) formCloseQuery_(sender, canClose);
  TCustomForm* form = Form();
  if (canClose && active_ && form != nullptr && form->HandleAllocated())
    GuardBoundary([this] { StorePlacement(); });
}

void TFormPlacement::FormDestroy(TObject* sender) {
  if (active_ && !saved_) {
    destroying_ = true;
    GuardBoundary([this] { StorePlacement(); });
    destroying_ = false;
  }
  if (formDestroy_) formDestroy_(sender);
}

// --- saving and restoring -------------------------------------------------------

bool TFormPlacement::OpenSettings(bool readOnly) {
  if (settings_ != nullptr) return false;
  if (!useRegistry_) {
    settings_ = new TIniFile(IniFileName());
    return true;
  }
  auto* ini = new TRegIniFile(IniFileName(), readOnly ? KEY_READ : KEY_ALL_ACCESS);
  if (registryRoot_ != prCurrentUser) {
    ini->SetRootKey(RootKeyOf(registryRoot_));
    ini->OpenKey(IniFileName(), !readOnly);
  }
  settings_ = ini;
  return true;
}

void TFormPlacement::CloseSettings() {
  delete settings_;
  settings_ = nullptr;
}

void TFormPlacement::StorePlacement() {
  // A placement never restored would overwrite the stored one with the
  // form's designed one.
  if (active_ && !restored_) return;
  const bool opened = OpenSettings(false);
  try {
    SettingsWriteInteger(settings_, IniSection(), "FormVersion", version_);
    SavePlacement();
    if (OnSavePlacement) OnSavePlacement(this);
    saved_ = true;
  } catch (...) {
    if (opened) CloseSettings();
    throw;
  }
  if (opened) CloseSettings();
}

void TFormPlacement::LoadPlacement() {
  saved_ = false;
  const bool opened = OpenSettings(true);
  try {
    if (SettingsReadInteger(settings_, IniSection(), "FormVersion", 0) >= version_) {
      RestorePlacement();
      restored_ = true;
      if (OnRestorePlacement) OnRestorePlacement(this);
      TCustomForm* form = Form();
      if ((options_ & fpActiveControl) && form != nullptr) {
        const std::string name = SettingsReadString(settings_, IniSection(), "ActiveControl", "");
        auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name));
        if (control != nullptr && control->Enabled() && control->Visible()) form->SetActiveControl(control);
      }
    }
    restored_ = true;
  } catch (...) {
    if (opened) CloseSettings();
    throw;
  }
  if (opened) CloseSettings();
  UpdateMaxPosition();
}

void TFormPlacement::SavePlacement() {
  TCustomForm* form = Form();
  if (form == nullptr) return;
  if (options_ & (fpState | fpPosition)) {
    WriteFormPlacement(form, settings_, IniSection());
    SettingsWriteInteger(settings_, IniSection(), "Visible", destroying_ ? 1 : 0);
  }
  if ((options_ & fpActiveControl) && form->ActiveControl() != nullptr)
    SettingsWriteString(settings_, IniSection(), "ActiveControl", form->ActiveControl()->Name());
}

void TFormPlacement::RestorePlacement() {
  if (TCustomForm* form = Form())
    ReadFormPlacement(form, settings_, IniSection(), (options_ & fpState) != 0, (options_ & fpPosition) != 0);
}

std::string TFormPlacement::DoReadString(const std::string& section, const std::string& ident,
                                         const std::string& fallback) {
  return SettingsReadString(settings_, section, ident, fallback);
}

void TFormPlacement::DoWriteString(const std::string& section, const std::string& ident, const std::string& value) {
  SettingsWriteString(settings_, section, ident, value);
}

void TFormPlacement::EraseSettingsSection(const std::string& section) {
  if (auto* ini = dynamic_cast<TRegIniFile*>(settings_)) ini->EraseSection(section);
  else if (auto* file = dynamic_cast<TIniFile*>(settings_)) file->EraseSection(section);
}

std::string TFormPlacement::ReadString(const std::string& ident, const std::string& fallback) {
  const bool opened = OpenSettings(true);
  std::string value;
  try {
    value = DoReadString(IniSection(), ident, fallback);
  } catch (...) {
    if (opened) CloseSettings();
    throw;
  }
  if (opened) CloseSettings();
  return value;
}

void TFormPlacement::WriteString(const std::string& ident, const std::string& value) {
  const bool opened = OpenSettings(false);
  try {
    DoWriteString(IniSection(), ident, value);
  } catch (...) {
    if (opened) CloseSettings();
    throw;
  }
  if (opened) CloseSettings();
}

int32_t TFormPlacement::ReadInteger(const std::string& ident, int32_t fallback) {
  return StrToIntDef(ReadString(ident, IntToStr(fallback)), fallback);
}

void TFormPlacement::WriteInteger(const std::string& ident, int32_t value) { WriteString(ident, IntToStr(value)); }

// --- sizes ------------------------------------------------------------------------

void TFormPlacement::UpdateHook() {
  TCustomForm* form = Form();
  const bool needed = form != nullptr && (!minMaxInfo_->IsDefault() || preventResize_);
  if (needed) hook_->SetWinControl(form);
  hook_->SetActive(needed);
}

void TFormPlacement::UpdateMaxPosition() {
  TCustomForm* form = Form();
  if (form == nullptr || !form->HandleAllocated() || HasState(csLoading) || preventResize_ ||
      !minMaxInfo_->IsDefault())
    return;
  HWND window = form->Handle();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;
  const SIZE border = BorderSize(form->BorderStyle());
  placement.ptMaxPosition = POINT{-border.cx, -border.cy};
  SetWindowPlacement(window, &placement);
}

void TFormPlacement::UpdateMaximizeIcon() {
  TCustomForm* form = Form();
  if (form == nullptr || HasState(csDesigning)) return;
  if (form->HandleAllocated()) {
    HWND window = form->Handle();
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (preventResize_ && (style & WS_MAXIMIZEBOX)) defaultMaximize_ = true;
    const bool show = !preventResize_ && defaultMaximize_ && form->BorderStyle() != bsDialog;
    style = show ? (style | WS_MAXIMIZEBOX) : (style & ~WS_MAXIMIZEBOX);
    SetWindowLongA(window, GWL_STYLE, style);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!HasState(csLoading)) UpdateHook();
}

void TFormPlacement::AfterFormMessage(TObject* /*sender*/, TMessage& msg, bool& /*handled*/) {
  TCustomForm* form = Form();
  if (form == nullptr) return;
  if (!preventResize_) {
    if (msg.Msg == WM_GETMINMAXINFO) {
      minMaxInfo_->ApplyTo(*reinterpret_cast<MINMAXINFO*>(msg.LParam));
      msg.Result = 1;
    }
    return;
  }
  switch (msg.Msg) {
    case WM_GETMINMAXINFO:
      if (form->HandleAllocated() && IsWindowVisible(form->Handle())) {
        auto& info = *reinterpret_cast<MINMAXINFO*>(msg.LParam);
        info.ptMinTrackSize = POINT{form->Width(), form->Height()};
        info.ptMaxTrackSize = POINT{form->Width(), form->Height()};
      }
      msg.Result = 1;
      break;
    case WM_NCHITTEST:
      if (msg.Result >= HTLEFT && msg.Result <= HTBOTTOMRIGHT) msg.Result = HTNOWHERE;
      break;
    case WM_INITMENUPOPUP:
      if (HIWORD(msg.LParam) != 0) {
        auto menu = reinterpret_cast<HMENU>(msg.WParam);
        EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
        msg.Result = 1;
      }
      break;
    default:
      break;
  }
}

const TPublishedClass* TFormPlacement::StaticPublishedClass() {
  using P = TFormPlacement;
  static const TPropInfo properties[] = {
      BooleanProperty<&P::Active, &P::SetActive>("Active", 1),
      StringProperty<&P::IniFileName, &P::SetIniFileName>("IniFileName"),
      StringProperty<&P::IniSection, &P::SetIniSection>("IniSection"),
      ObjectProperty<&P::MinMaxInfo, &P::SetMinMaxInfo>("MinMaxInfo"),
      SetProperty<&P::Options, &P::SetOptions>("Options", kPlacementOptions),
      BooleanProperty<&P::PreventResize, &P::SetPreventResize>("PreventResize", 0),
      EnumProperty<&P::RegistryRoot, &P::SetRegistryRoot>("RegistryRoot", kRegistryRoots, prCurrentUser),
      BooleanProperty<&P::UseRegistry, &P::SetUseRegistry>("UseRegistry", 0),
      IntegerProperty<&P::Version, &P::SetVersion>("Version", 0),
  };
  static const TPublishedClass table{"TFormPlacement", TComponent::StaticPublishedClass(), properties};
  return &table;
}
