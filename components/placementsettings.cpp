#include "components/placementsettings.h"

#include <windows.h>

#include <cstdio>

#include "classlib/application.h"
#include "classlib/forms.h"
#include "classlib/inifiles.h"
#include "classlib/paths.h"
#include "classlib/registry.h"
#include "classlib/strutils.h"
#include "components/utilities.h"

namespace {

const TCharSet kComma = CharSetOf(",");

// A registry value that exists with a type other than text counts as
// missing: whatever wrote it was not this program.
bool StoredAsText(TRegIniFile& ini, const std::string& section, const std::string& name) {
  TRegistry probe(KEY_READ);
  probe.SetRootKey(ini.RootKey());
  const std::string key = "\\" + ini.CurrentPath() + (section.empty() ? "" : "\\" + section);
  if (!probe.OpenKeyReadOnly(key) || !probe.ValueExists(name)) return true;
  const TRegDataType type = probe.GetDataType(name);
  return type == rdString || type == rdExpandString;
}

bool Quoted(const std::string& s, char quote) { return s.size() >= 2 && s.front() == quote && s.back() == quote; }

int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi;
}

std::string FourNumbers(int a, int b, int c, int d) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", a, b, c, d);
  return text;
}

// The n-th comma-separated word of text as an integer, or fallback.
int WordOr(const std::string& text, int n, int fallback) {
  return StrToIntDef(ExtractWord(n, text, kComma), fallback);
}

// Workspace co-ordinates of a placement, as a screen rectangle.
RECT OnScreen(const RECT& workspace) {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return RECT{workspace.left + area.left, workspace.top + area.top, workspace.right + area.left,
              workspace.bottom + area.top};
}

// A rectangle worth applying: some width and height, and some of it on a
// monitor (a screen unplugged since, or a damaged value, would put the
// window where nobody can reach it).
bool Usable(const RECT& workspace) {
  if (workspace.right <= workspace.left || workspace.bottom <= workspace.top) return false;
  const RECT screen = OnScreen(workspace);
  return MonitorFromRect(&screen, MONITOR_DEFAULTTONULL) != nullptr;
}

std::string ProgramFileName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ExtractFileName(path);
}

bool IsMainOrNone(TCustomForm* form) {
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  return main == nullptr || main == form;
}

}  // namespace

std::string SettingsReadString(TObject* settings, const std::string& section, const std::string& name,
                               const std::string& fallback) {
  if (auto* ini = dynamic_cast<TRegIniFile*>(settings))
    return StoredAsText(*ini, section, name) ? ini->ReadString(section, name, fallback) : fallback;
  if (auto* ini = dynamic_cast<TIniFile*>(settings)) return ini->ReadString(section, name, fallback);
  return fallback;
}

int32_t SettingsReadInteger(TObject* settings, const std::string& section, const std::string& name,
                            int32_t fallback) {
  if (auto* ini = dynamic_cast<TRegIniFile*>(settings)) return ini->ReadInteger(section, name, fallback);
  if (auto* ini = dynamic_cast<TIniFile*>(settings)) return ini->ReadInteger(section, name, fallback);
  return fallback;
}

void SettingsWriteString(TObject* settings, const std::string& section, const std::string& name,
                         const std::string& value) {
  if (auto* ini = dynamic_cast<TRegIniFile*>(settings)) {
    ini->WriteString(section, name, value);
  } else if (auto* ini = dynamic_cast<TIniFile*>(settings)) {
    const bool quoted = Quoted(value, '"') || Quoted(value, '\'');
    ini->WriteString(section, name, quoted ? "\"" + value + "\"" : value);
  }
}

void SettingsWriteInteger(TObject* settings, const std::string& section, const std::string& name, int32_t value) {
  SettingsWriteString(settings, section, name, IntToStr(value));
}

std::string ScreenSizeSuffix() {
  char text[32];
  std::snprintf(text, sizeof text, "(%dx%d)", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return text;
}

std::string SettingsReadScreenString(TObject* settings, const std::string& section, const std::string& name) {
  std::string value = SettingsReadString(settings, section, name + ScreenSizeSuffix(), "");
  if (value.empty()) value = SettingsReadString(settings, section, name, "");
  return value;
}

void SettingsWriteScreenString(TObject* settings, const std::string& section, const std::string& name,
                               const std::string& value) {
  SettingsWriteString(settings, section, name + ScreenSizeSuffix(), value);
  SettingsWriteString(settings, section, name, value);
}

void WriteFormPlacement(TCustomForm* form, TObject* settings, const std::string& section) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(form->Handle(), &placement);
  if (Application != nullptr && Application->MainForm() == form && IsIconic(Application->Handle()))
    placement.showCmd = SW_SHOWMINIMIZED;
  SettingsWriteInteger(settings, section, "Flags", static_cast<int32_t>(placement.flags));
  SettingsWriteInteger(settings, section, "ShowCmd", static_cast<int32_t>(placement.showCmd));
  SettingsWriteInteger(settings, section, "PixelsPerInch", ScreenPixelsPerInch());
  SettingsWriteScreenString(settings, section, "MinMaxPos",
                            FourNumbers(placement.ptMinPosition.x, placement.ptMinPosition.y,
                                        placement.ptMaxPosition.x, placement.ptMaxPosition.y));
  const RECT& r = placement.rcNormalPosition;
  SettingsWriteScreenString(settings, section, "NormPos", FourNumbers(r.left, r.top, r.right, r.bottom));
}

void ReadFormPlacement(TCustomForm* form, TObject* settings, const std::string& section, bool loadState,
                       bool loadPosition) {
  if (!loadState && !loadPosition) return;
  HWND window = form->Handle();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;

  if (loadPosition) {
    bool found = false;
    placement.flags = static_cast<UINT>(
        SettingsReadInteger(settings, section, "Flags", static_cast<int32_t>(placement.flags)));
    const std::string minMax = SettingsReadScreenString(settings, section, "MinMaxPos");
    if (!minMax.empty()) {
      found = true;
      placement.ptMinPosition = POINT{WordOr(minMax, 1, 0), WordOr(minMax, 2, 0)};
      placement.ptMaxPosition = POINT{WordOr(minMax, 3, 0), WordOr(minMax, 4, 0)};
    }
    const std::string normal = SettingsReadScreenString(settings, section, "NormPos");
    if (!normal.empty()) {
      found = true;
      RECT& r = placement.rcNormalPosition;
      r.left = WordOr(normal, 1, form->Left());
      r.top = WordOr(normal, 2, form->Top());
      r.right = WordOr(normal, 3, form->Left() + form->Width());
      r.bottom = WordOr(normal, 4, form->Top() + form->Height());
    }
    // Positions of another resolution are ignored altogether.
    const int ppi = ScreenPixelsPerInch();
    if (SettingsReadInteger(settings, section, "PixelsPerInch", ppi) != ppi) found = false;
    RECT& r = placement.rcNormalPosition;
    if (found && form->BorderStyle() != bsSizeable && form->BorderStyle() != bsSizeToolWin) {
      r.right = r.left + form->Width();
      r.bottom = r.top + form->Height();
    }
    if (found && Usable(r)) {
      if (form->Position() == poScreenCenter) form->SetPosition(poDesigned);
      SetWindowPlacement(window, &placement);
    }
  }

  if (loadState) {
    TWindowState state = wsNormal;
    switch (SettingsReadInteger(settings, section, "ShowCmd", SW_HIDE)) {
      case SW_SHOWNORMAL:
      case SW_SHOW:
      case SW_RESTORE:
        state = wsNormal;
        break;
      case SW_SHOWMINIMIZED:
      case SW_MINIMIZE:
      case SW_SHOWMINNOACTIVE:
        state = wsMinimized;
        break;
      case SW_SHOWMAXIMIZED:
        state = wsMaximized;
        break;
      default:
        break;
    }
    if (state == wsMinimized && IsMainOrNone(form)) {
      // The whole program starts minimised, not just this window.
      form->SetWindowState(wsNormal);
      if (Application != nullptr) PostMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return;
    }
    form->SetWindowState(state);
  }
  form->UpdateWindow();
}

std::string DefaultSectionName(TComponent* component) {
  if (component == nullptr) return std::string();
  auto* form = dynamic_cast<TCustomForm*>(component);
  if (form != nullptr) return form->ClassName();
  if (auto* control = dynamic_cast<TControl*>(component)) {
    TWinControl* parent = control->Parent();
    TWinControl* top = parent;
    while (top != nullptr && dynamic_cast<TCustomForm*>(top) == nullptr) top = top->Parent();
    if (top != nullptr) return std::string(top->ClassName()) + control->Name();
    if (parent != nullptr) return parent->Name() + control->Name();
    return control->Name();
  }
  if (auto* owner = dynamic_cast<TCustomForm*>(component->Owner()))
    return std::string(owner->ClassName()) + "." + component->Name();
  return component->Name();
}

std::string DefaultIniFileName() { return ChangeFileExt(ProgramFileName(), ".INI"); }

std::string DefaultRegistryKey() { return "Software\\" + ChangeFileExt(ProgramFileName(), ""); }
