// Form placement: saves its form's window placement (normal position and
// size, minimised and maximised positions, state, optionally the focused
// control) when the form closes, and restores it when the form is shown, in
// the registry or a settings file. It can also impose tracking sizes and
// forbid resizing through a window hook on the form.
//
// A form built in code sets its own OnShow, OnCloseQuery and OnDestroy
// first and then calls Loaded(): the component takes those events over and
// still runs the form's handlers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/component.h"
#include "classlib/forms.h"

class TFormPlacement;
class TWindowHook;

enum TPlacementOption : uint8_t { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = uint8_t;

enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

// The tracking and maximised sizes imposed on the form; 0 leaves a value
// as the system has it.
class TWinMinMaxInfo : public TPersistent {
public:
  explicit TWinMinMaxInfo(TFormPlacement* owner) : owner_(owner) {}

  int MaxPosLeft() const { return values_[0]; }
  int MaxPosTop() const { return values_[1]; }
  int MaxSizeHeight() const { return values_[2]; }
  int MaxSizeWidth() const { return values_[3]; }
  int MaxTrackHeight() const { return values_[4]; }
  int MaxTrackWidth() const { return values_[5]; }
  int MinTrackHeight() const { return values_[6]; }
  int MinTrackWidth() const { return values_[7]; }
  void SetMaxPosLeft(int v) { Set(0, v); }
  void SetMaxPosTop(int v) { Set(1, v); }
  void SetMaxSizeHeight(int v) { Set(2, v); }
  void SetMaxSizeWidth(int v) { Set(3, v); }
  void SetMaxTrackHeight(int v) { Set(4, v); }
  void SetMaxTrackWidth(int v) { Set(5, v); }
  void SetMinTrackHeight(int v) { Set(6, v); }
  void SetMinTrackWidth(int v) { Set(7, v); }

  bool IsDefault() const;
  // Puts the values that are not 0 into a WM_GETMINMAXINFO record.
  void ApplyTo(MINMAXINFO& info) const;
  void Assign(TPersistent* source) override;

  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

private:
  void Set(int index, int value);

  TFormPlacement* owner_;
  int values_[8] = {};
};

class TFormPlacement : public TComponent {
public:
  explicit TFormPlacement(TComponent* owner);
  ~TFormPlacement() override;
  // Takes over the owner form's events (once) and attaches the hook when
  // sizes are imposed.
  void Loaded() override;

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  // The settings file, or the registry key path with UseRegistry; empty
  // means DefaultRegistryKey() or DefaultIniFileName().
  std::string IniFileName() const;
  void SetIniFileName(const std::string& value) { iniFileName_ = value; }
  // The section (a sub-key in the registry); empty means DefaultSectionName.
  std::string IniSection() const;
  void SetIniSection(const std::string& value) { iniSection_ = value; }
  TWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_; }
  void SetMinMaxInfo(TWinMinMaxInfo* value) { minMaxInfo_->Assign(value); }
  TPlacementOptions Options() const { return options_; }
  void SetOptions(TPlacementOptions value) { options_ = value; }
  bool PreventResize() const { return preventResize_; }
  void SetPreventResize(bool value);
  TPlacementRegRoot RegistryRoot() const { return registryRoot_; }
  void SetRegistryRoot(TPlacementRegRoot value) { registryRoot_ = value; }
  bool UseRegistry() const { return useRegistry_; }
  void SetUseRegistry(bool value) { useRegistry_ = value; }
  int32_t Version() const { return version_; }
  void SetVersion(int32_t value) { version_ = value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // Saves now (nothing until the placement was restored once) and
  // restores now; each opens the settings for the operation.
  void StorePlacement();
  void LoadPlacement();

  // One value in IniSection, the settings opened for the call when they
  // are not open already.
  std::string ReadString(const std::string& ident, const std::string& fallback);
  void WriteString(const std::string& ident, const std::string& value);
  int32_t ReadInteger(const std::string& ident, int32_t fallback);
  void WriteInteger(const std::string& ident, int32_t value);

  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

protected:
  friend class TWinMinMaxInfo;
  virtual void SavePlacement();
  virtual void RestorePlacement();
  virtual std::string DoReadString(const std::string& section, const std::string& ident,
                                   const std::string& fallback);
  virtual void DoWriteString(const std::string& section, const std::string& ident, const std::string& value);
  // The open settings object (nullptr outside an operation).
  TObject* Settings() const { return settings_; }
  void EraseSettingsSection(const std::string& section);
  TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(Owner()); }
  void MinMaxInfoChanged();
  bool restored_ = false;

private:
  // Opens the settings when none are open; true when this call opened them
  // (and must close them).
  bool OpenSettings(bool readOnly);
  void CloseSettings();
  void HookFormEvents();
  void UnhookFormEvents();
  void UpdateHook();
  void UpdateMaxPosition();
  void UpdateMaximizeIcon();
  void AfterFormMessage(TObject* sender, TMessage& msg, bool& handled);
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormDestroy(TObject* sender);

  bool active_ = true;
  std::string iniFileName_;
  std::string iniSection_;
  TWinMinMaxInfo* minMaxInfo_;
  TPlacementOptions options_ = 0;
  bool preventResize_ = false;
  TPlacementRegRoot registryRoot_ = prCurrentUser;
  bool useRegistry_ = false;
  int32_t version_ = 0;

  TObject* settings_ = nullptr;
  bool saved_ = false;
  bool destroying_ = false;
  bool defaultMaximize_ = false;
  bool eventsHooked_ = false;
  TWindowHook* hook_;
  TNotifyEvent formShow_;
  TCloseQueryEvent formCloseQuery_;
  TNotifyEvent formDestroy_;
};
