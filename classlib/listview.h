// The list view: the system "SysListView32", made to show rows that live
// elsewhere. With OwnerData the window holds only a row count and asks for
// every row it shows: OnData fills one reusable TListItem by index, so a
// million rows cost nothing but their count. The columns, the row count and
// the image list outlive the window; selection and focus live in the window
// alone. The window's notifications come back as CN_NOTIFY.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/controls.h"
#include "classlib/ownedlist.h"
#include "classlib/stringlist.h"

class TCustomListView;
class TImageList;
class TListColumns;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
// The row states GetNextItem looks for (bits; isNone is any row).
enum TItemState : unsigned { isNone = 0, isFocused = 1, isSelected = 2 };

// One row as the owner describes it: filled by OnData for Index and read
// at once, never kept by the list view.
class TListItem : public TObject {
public:
  TCustomListView* ListView() const { return listView_; }
  int Index() const { return index_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }
  // The texts of the columns after the first.
  TStrings* SubItems() { return &subItems_; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }
  // The row's state in the window.
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  void SetFocused(bool value);

private:
  friend class TCustomListView;
  explicit TListItem(TCustomListView* listView) : listView_(listView) {}
  // Empties the item and points it at row index.
  void Reset(int index);

  TCustomListView* listView_;
  int index_ = -1;
  std::string caption_;
  TStringList subItems_;
  int imageIndex_ = -1;
};

class TListColumn : public TPersistent {
public:
  TListColumns* Collection() const { return columns_; }
  int Index() const;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  // Read from the window while it exists, so a width the user dragged is
  // what is read (and saved).
  int Width() const;
  void SetWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

private:
  friend class TListColumns;
  friend class TCustomListView;
  explicit TListColumn(TListColumns* columns) : columns_(columns) {}
  // Writes the column to the window (insert: a new column there).
  void Update(bool insert) const;

  TListColumns* columns_;
  std::string caption_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

class TListColumns : public TPersistent {
public:
  explicit TListColumns(TCustomListView* owner) : owner_(owner) {}
  TCustomListView* Owner() const { return owner_; }
  // A new last column.
  TListColumn* Add();
  int Count() const { return columns_.Count(); }
  // The column at index; EListError outside 0..Count-1.
  TListColumn* Items(int index) const { return columns_.At(index); }

private:
  friend class TListColumn;
  friend class TCustomListView;
  TCustomListView* owner_;
  TOwnedList<TListColumn> columns_;
};

// The rows: only their count.
class TListItems : public TPersistent {
public:
  explicit TListItems(TCustomListView* owner) : owner_(owner) {}
  TCustomListView* Owner() const { return owner_; }
  int Count() const;
  // A growing list neither scrolls nor repaints the rows it already shows.
  // A negative count is taken as 0.
  void SetCount(int value);
  // Nested; the window is not redrawn until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TCustomListView;
  TCustomListView* owner_;
  int count_ = 0;
  int updateCount_ = 0;
};

using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataHintEvent = std::function<void(TObject* Sender, int StartIndex, int EndIndex)>;
using TLVInfoTipEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& InfoTip)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TCustomListView : public TWinControl {
public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;
  const char* ClassName() const override { return "TListView"; }

  TListColumns* Columns() const { return columns_.get(); }
  TListItems* Items() const { return items_.get(); }

  // Style settings; a change re-creates the window.
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle value);
  bool OwnerData() const { return ownerData_; }
  void SetOwnerData(bool value) { SetStyleFlag(ownerData_, value); }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value) { SetStyleFlag(multiSelect_, value); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value) { SetStyleFlag(hideSelection_, value); }
  // Without ReadOnly the user may edit a caption, but an owner-data list
  // keeps no text of its own: the edit is not kept.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { SetStyleFlag(readOnly_, value); }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value);

  // The small icons of the rows: may be a borrowed list (the system's), never
  // destroyed by the window; nil shows none.
  TImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TImageList* value);

  // --- rows by index (the window's state; false or -1 without a window) ---
  using TWinControl::Focused;
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  bool Focused(int index) const;
  void SetFocused(int index, bool value);
  int SelCount() const;
  // The first selected row, -1 for none; setting it selects that row alone
  // and gives it the focus (-1 clears the selection).
  int ItemIndex() const { return GetNextItem(-1, isSelected); }
  void SetItemIndex(int index);
  // The first selected row filled by OnData (a reusable item), nil for none.
  TListItem* Selected();
  // The first row after start (-1: from the top) in every state of states.
  int GetNextItem(int start, unsigned states) const;
  void ClearSelection();
  // Scrolls row index into view.
  void MakeVisible(int index, bool partialOK);
  // The first row from startIndex whose caption (from OnData) equals value,
  // or begins with it when partial; letter case is ignored. Not inclusive
  // starts after startIndex; wrap goes on from the top. -1 when none.
  int FindCaption(int startIndex, const std::string& value, bool partial, bool inclusive, bool wrap);
  // Redraws the rows now (after the owner changed them).
  void Repaint();
  void Refresh() { Repaint(); }

  TLVOwnerDataEvent OnData;
  TLVOwnerDataHintEvent OnDataHint;
  // Asked only while ShowHint is on; InfoTip comes filled with what the
  // window would show.
  TLVInfoTipEvent OnInfoTip;
  TLVColumnClickEvent OnColumnClick;
  // A row's selection changed. A range changed at once (Shift+click, Ctrl+A,
  // ClearSelection) is reported once, naming its first row; nil names every row.
  TLVSelectItemEvent OnSelectItem;
  TNotifyEvent OnDblClick;

  void Dispatch(TMessage& message) override;
  TControlActionLinkClass GetActionLinkClass() override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void CNNotify(TMessage& message);
  // Fills item for row index through OnData.
  void FillItem(TListItem& item, int index);

private:
  friend class TListColumn;
  friend class TListItems;
  void SetStyleFlag(bool& flag, bool value);
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void SetItemState(int index, UINT state, UINT mask);
  bool Notifying() const { return HandleAllocated() && !HasState(csDestroying); }
  void SelectionChanged(int index, UINT oldState, UINT newState);
  template <class DispInfo>
  void AnswerDispInfo(DispInfo& info);
  template <class InfoTip>
  void AnswerInfoTip(InfoTip& tip);
  template <class FindItem>
  LRESULT AnswerFindItem(const FindItem& find);

  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  TListItem callbackItem_{this};  // the item of the notification being answered
  TListItem queryItem_{this};     // the item Selected() hands out
  TImageList* smallImages_ = nullptr;
  TViewStyle viewStyle_ = vsIcon;
  bool ownerData_ = false;
  bool multiSelect_ = false;
  bool hideSelection_ = true;
  bool readOnly_ = false;
  bool rowSelect_ = false;
};

class TListView : public TCustomListView {
public:
  using TCustomListView::TCustomListView;
};
