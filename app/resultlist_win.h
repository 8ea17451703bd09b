// The main window's result list: the owner-data list view over the result
// stores, its rows, sorting by a column click, the live name filter and the
// selection that the preview and the file commands act on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/resultset.h"

class TFindForm;
class TListColumn;
class TListItem;
class TObject;
class TStrings;

class TResultList {
public:
  // Posted to the form when hits have been added: the list's row count
  // follows once per batch of hits instead of once per hit.
  static constexpr UINT WM_RESULTSGROWN = WM_USER + 0x1002;

  explicit TResultList(TFindForm& form);

  TFileInfoList& Results() { return set_.Results(); }
  bool Filtering() const { return set_.Filtering(); }
  int CompleteCount() const { return set_.CompleteCount(); }

  // A new hit; the list shows it once the posted count update arrives.
  void Add(const TFileInfo& info);
  // Empties the list and both stores.
  void Clear();
  // Makes the list's row count that of the shown store.
  void SyncCount();
  // Adds every shown record's full path to list, in store order.
  void AddFullPaths(TStrings& list) const;

  // The selected rows, lowest first, and the first of them (-1 for none).
  std::vector<int> SelectedIndexes() const;
  int FirstSelected() const;
  std::string FullPath(int index) const;
  // The identities of the selected records, and the rows where records of
  // given identities now stand (-1 for those no longer listed).
  std::vector<uint32_t> SelectedIds() const;
  std::vector<int> RowsOf(const std::vector<uint32_t>& ids) const;
  // Removes the rows at indexes (any order), from the complete store too
  // while filtering; the rows left selected stay selected.
  void DeleteRows(std::vector<int> indexes);
  // Removes, from the complete store too, the records whose folder is
  // folder or lies below it; how many rows went.
  int DeleteFolderRows(const std::string& folder);

  // List view and filter events.
  void ListViewData(TObject* Sender, TListItem* Item);
  void ListViewInfoTip(TObject* Sender, TListItem* Item, std::string& InfoTip);
  void ListViewDataHint(TObject* Sender, int StartIndex, int EndIndex);
  void ListViewColumnClick(TObject* Sender, TListColumn* Column);
  void ListViewSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  void eFileNameFilterChange(TObject* Sender);

  static std::string FormatFileSize(int64_t size);

private:
  // Selection changes made by the list itself (sorting, filtering, removing
  // rows) ask for no row and show no preview row by row: the list view's
  // selection event is held back, and the preview follows once at the end.
  class TSelectionBatch {
  public:
    explicit TSelectionBatch(TResultList& list);
    ~TSelectionBatch();
    TSelectionBatch(const TSelectionBatch&) = delete;
    TSelectionBatch& operator=(const TSelectionBatch&) = delete;

  private:
    TResultList& list_;
  };
  // The first selected row in the preview.
  void PreviewSelection();
  // Leaves no row selected and count rows in the list view.
  void ForgetSelection(int count);
  // Selects rows (ascending) and gives the first the focus.
  void Select(const std::vector<int>& rows);
  // Runs change (a sort or a filter) and selects the same records after it.
  template <class Change>
  void KeepingSelection(Change change);
  // Runs remove, which takes rows out of the shown store and gives them
  // (lowest first); the selected rows that stay keep their selection.
  template <class Remove>
  void RemovingRows(Remove remove);
  void ScheduleCountSync();

  TFindForm& form_;
  TResultSet set_;
  bool countSyncPosted_ = false;
  int batchDepth_ = 0;
  std::function<void(TObject*, TListItem*, bool)> heldSelectEvent_;
};
