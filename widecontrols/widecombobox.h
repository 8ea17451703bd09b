// Windows only. The combo box with a Unicode window, a wide Text and wide
// Items. The class library's 8-bit combo box keeps working on the same
// window: its 8-bit CB_ messages are converted by the system.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/combobox.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/widestringlist.h"
#include "widecontrols/widestrings.h"

class TWideCustomComboBox;

// The wide items: through the window when it is Unicode, else through the
// 8-bit items. Until the window exists (on NT) they wait in a wide list, so
// a combo box without a parent holds items too; the window takes them when
// it is made.
class TWideComboBoxStrings : public TWideStrings {
public:
  explicit TWideComboBoxStrings(TWideCustomComboBox* combo) : combo_(combo) {}
  int Count() const override;
  // The empty string for an index the window does not have.
  std::wstring Get(int index) const override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  // A refusal of the window raises EOutOfResources "Unable to insert a line".
  int Add(const std::wstring& s) override;
  void Insert(int index, const std::wstring& s) override;
  void Delete(int index) override;
  // Keeps the edit text.
  void Clear() override;
  int IndexOf(std::wstring_view s) const override;

protected:
  void SetUpdateState(bool updating) override;

private:
  TWideCustomComboBox* combo_;
};

// The 8-bit items of the wide combo box.
class TD7PatchedComboBoxStrings : public TCustomComboBoxStrings {
public:
  using TCustomComboBoxStrings::TCustomComboBoxStrings;
  // Keeps only the characters the window copied.
  std::string Get(int index) const override;
};

class TWideCustomComboBox : public TCustomComboBox {
public:
  explicit TWideCustomComboBox(TComponent* owner);
  ~TWideCustomComboBox() override;

  std::wstring Text();
  void SetText(const std::wstring& value);
  TWideStrings* Items() { return items_; }
  void SetItems(TWideStrings* value) { items_->Assign(value); }
  // The 8-bit items of the class library.
  TStrings* AnsiItems() { return TCustomComboBox::Items(); }
  std::wstring Hint() { return WideHint(); }
  void SetHint(const std::wstring& value);
  // Stored unless the action supplies it.
  bool IsHintStored() { return WideControl_IsHintStored(this); }
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  // The published values, then the wide companions of Text and Hint.
  void DefineProperties(TFiler* filer) override;
  std::wstring SelText();
  // The prefix typed in a list style since the last pause.
  const std::wstring& AutoSearchText() const { return searchText_; }

  virtual void AddItem(const std::wstring& item, TObject* object);
  void CopySelection(TCustomComboBox* destination) override;
  void ComboWndProc(TMessage& message, HWND child, WNDPROC childDefProc) override;
  void DrawItem(int index, const TRect& rect, UINT state) override;
  void Dispatch(TMessage& message) override;
  // Completes the text from the items as keys are typed in the edit.
  virtual void DoEditCharMsg(TMessage& message);
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

  // Looks up prefix in the items and selects the match (keeping the typed
  // characters' case); false when nothing matches.
  bool SelectItem(const std::wstring& prefix);

protected:
  void CreateWindowHandle(const TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  TComboBoxStringsFactory GetItemsClass() override;
  // The class library's key handling, with its own 8-bit completion off.
  void KeyPress(char& key) override;

private:
  friend class TWideComboBoxStrings;
  // Where the items wait while there is no window (nullptr: none yet, and
  // not made unless create).
  TWideStringList* WindowlessItems(bool create);
  std::wstring WideHint();
  void AutoCompleteKeyPress(TMessage& message);
  void AutoSearchKeyPress(TMessage& message);
  void DropDownKeepText();
  int FindString(const std::wstring& prefix);

  TWideComboBoxStrings* items_;
  TWideStringList* savedItems_ = nullptr;
  int savedItemIndex_ = -1;
  std::wstring searchText_;
  DWORD lastKeyTime_ = 0;
};

class TWideComboBox : public TWideCustomComboBox {
public:
  using TWideCustomComboBox::TWideCustomComboBox;
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
};
