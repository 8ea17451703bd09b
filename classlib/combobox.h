// The combo box: the system "COMBOBOX" with its edit and list children
// subclassed, so their keys and mouse messages pass through ComboWndProc,
// and its items kept in the window (saved while the window is re-created).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/controls.h"
#include "classlib/stringlist.h"

class TCustomComboBox;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, UINT State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// The 8-bit items, living in the combo's window (CB_ messages).
class TCustomComboBoxStrings : public TStrings {
public:
  explicit TCustomComboBoxStrings(TCustomComboBox* combo) : combo_(combo) {}
  int Count() const override;
  // CB_GETLBTEXTLEN, then CB_GETLBTEXT into a string of that length; only
  // the characters the window copied are kept.
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  // A refusal of the window raises EOutOfResources "Unable to insert a line".
  int Add(const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(std::string_view s) const override;

protected:
  void SetUpdateState(bool updating) override;
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const;
  TCustomComboBox* combo_;
};

// One factory per items class, chosen by the combo (GetItemsClass).
using TComboBoxStringsFactory = TCustomComboBoxStrings* (*)(TCustomComboBox* combo);

class TCustomComboBox : public TWinControl {
public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  const char* ClassName() const override { return "TComboBox"; }

  TStrings* Items();
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  int ItemIndex();
  void SetItemIndex(int index);
  int SelStart();
  void SetSelStart(int start);
  int SelLength();
  void SetSelLength(int length);
  bool DroppedDown();
  void SetDroppedDown(bool value);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int value) { itemHeight_ = value; }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int value) { dropDownCount_ = value; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool value) { autoComplete_ = value; }
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  bool AutoCloseUp() const { return autoCloseUp_; }
  void SetAutoCloseUp(bool value) { autoCloseUp_ = value; }
  TCanvas* Canvas() const { return canvas_; }

  HWND EditHandle() const { return editHandle_; }
  HWND ListHandle() const { return listHandle_; }
  WNDPROC DefEditProc() const { return defEditProc_; }
  WNDPROC DefListProc() const { return defListProc_; }
  void SetDefListProc(WNDPROC proc) { defListProc_ = proc; }
  WNDPROC EditInstance() const { return editInstance_; }
  WNDPROC ListInstance() const { return listInstance_; }

  // Adds to the items (the object stays the caller's).
  virtual void AddItem(const std::string& item, TObject* object);
  // Copies the selected item to destination's items.
  virtual void CopySelection(TCustomComboBox* destination);

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnDblClick;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void Dispatch(TMessage& message) override;
  // The messages of the edit and list children: keys go through the key
  // events (and the completion), the rest to the child's own procedure.
  virtual void ComboWndProc(TMessage& message, HWND child, WNDPROC childDefProc);
  virtual void DrawItem(int index, const TRect& rect, UINT state);

  // What the list notifications run.
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(char& key) override;
  virtual TComboBoxStringsFactory GetItemsClass();
  virtual void CNCommand(TMessage& message);

private:
  void EditWndProc(TMessage& message);
  void ListWndProc(TMessage& message);
  bool SelectItem(const std::string& prefix);

  TStrings* items_ = nullptr;
  TComboBoxStyle style_ = csDropDown;
  TStringList* saveItems_ = nullptr;
  int saveItemIndex_ = -1;
  int itemHeight_ = 16;
  int dropDownCount_ = 8;
  bool sorted_ = false;
  int maxLength_ = 0;
  bool autoComplete_ = true;
  bool autoDropDown_ = false;
  bool autoCloseUp_ = false;
  std::string searchText_;
  DWORD lastSearchTime_ = 0;
  HWND editHandle_ = nullptr;
  HWND listHandle_ = nullptr;
  WNDPROC defEditProc_ = nullptr;
  WNDPROC defListProc_ = nullptr;
  WNDPROC editInstance_;
  WNDPROC listInstance_;
  TCanvas* canvas_;
};

class TComboBox : public TCustomComboBox {
public:
  using TCustomComboBox::TCustomComboBox;
};

// The text the combo window refuses: "Unable to insert a line".
[[noreturn]] void RaiseInsertLineError();
