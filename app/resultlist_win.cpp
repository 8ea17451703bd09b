#include "app/resultlist_win.h"

#include <algorithm>

#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/preview_win.h"
#include "classlib/codepage.h"
#include "classlib/datetime.h"
#include "classlib/listview.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "search/searchqueue.h"
#include "shell/fileinfo.h"
#include "widecontrols/widecombobox.h"

TResultList::TResultList(TFindForm& form) : form_(form) {}

std::string TResultList::FormatFileSize(int64_t size) {
  const int64_t kbytes = size / 1024;
  if (kbytes == 0) return IntToStr(size) + " Byte";
  if (kbytes / 1024 > 0) return IntToStr(kbytes / 1024) + " Mbyte";
  return IntToStr(kbytes) + " Kbyte";
}

void TResultList::Add(const TFileInfo& info) {
  set_.Add(info);
  ScheduleCountSync();
}

void TResultList::ScheduleCountSync() {
  if (countSyncPosted_ || !form_.HandleAllocated()) return;
  countSyncPosted_ = PostMessageA(form_.Handle(), WM_RESULTSGROWN, 0, 0) != FALSE;
}

void TResultList::SyncCount() {
  countSyncPosted_ = false;
  form_.ListView->Items()->SetCount(set_.Results().Count());
}

void TResultList::Clear() {
  form_.ListView->Items()->SetCount(0);
  form_.ListView->Repaint();
  set_.Clear();
}

void TResultList::AddFullPaths(TStrings& list) const {
  const TFileInfoList& results = set_.Results();
  for (int i = 0; i < results.Count(); ++i) list.Add(results.Item(i).Path + "\\" + results.Item(i).Name);
}

std::vector<int> TResultList::SelectedIndexes() const {
  std::vector<int> indexes;
  const int count = set_.Results().Count();
  for (int i = form_.ListView->GetNextItem(-1, isSelected); i >= 0 && i < count;
       i = form_.ListView->GetNextItem(i, isSelected))
    indexes.push_back(i);
  return indexes;
}

int TResultList::FirstSelected() const {
  const int index = form_.ListView->GetNextItem(-1, isSelected);
  return index < set_.Results().Count() ? index : -1;
}

std::string TResultList::FullPath(int index) const {
  const TFileInfo& info = set_.Results().Item(index);
  return info.Path + "\\" + info.Name;
}

void TResultList::DeleteRows(std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  TListItems& items = *form_.ListView->Items();
  {
    TSelectionBatch batch(*this);
    items.BeginUpdate();
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
      form_.ListView->SetSelected(*it, false);
      set_.Results().Delete(*it);
    }
    items.SetCount(set_.Results().Count());
    items.EndUpdate();
  }
  PreviewSelection();
}

int TResultList::DeleteFolderRows(const std::string& folder) {
  std::vector<int> rows;
  const TFileInfoList& results = set_.Results();
  for (int i = 0; i < results.Count(); ++i)
    if (IsSameOrBelow(results.Item(i).Path, folder)) rows.push_back(i);
  DeleteRows(rows);
  return static_cast<int>(rows.size());
}

void TResultList::ListViewData(TObject* /*Sender*/, TListItem* Item) {
  if (Item->Index() < 0 || Item->Index() >= set_.Results().Count()) return;
  const TFileInfo& info = set_.Results().Item(Item->Index());
  Item->SetCaption(info.Name);
  Item->SubItems()->Add(info.Path);
  Item->SubItems()->Add(info.TypeName);
  Item->SubItems()->Add(DateTimeToStr(info.Modified));
  Item->SubItems()->Add(FormatFileSize(info.Size));
  if (!ConfigForm->CheckIcons->Checked()) {
    Item->SetImageIndex(-1);
    return;
  }
  Item->SetImageIndex(info.ImageIndex != -1 ? info.ImageIndex : GetFileIconIndex(info.Path + "\\" + info.Name, false));
}

void TResultList::ListViewInfoTip(TObject* /*Sender*/, TListItem* Item, std::string& InfoTip) {
  if (!ConfigForm->CheckHints->Checked()) return;
  if (Item->Index() < 0 || Item->Index() >= set_.Results().Count()) return;
  const std::string& context = set_.Results().Item(Item->Index()).Context;
  InfoTip = context.empty() ? std::string() : "... " + context + " ...";
}

void TResultList::ListViewDataHint(TObject* /*Sender*/, int StartIndex, int EndIndex) {
  TListView& view = *form_.ListView;
  const int focused = view.GetNextItem(-1, isFocused);
  if (focused < 0) {
    view.SetFocused(StartIndex, true);
  } else if (focused < StartIndex) {
    view.SetFocused(focused, false);
    view.SetFocused(StartIndex, true);
  } else if (focused > EndIndex) {
    view.SetFocused(focused, false);
    view.SetFocused(EndIndex, true);
  }
}

template <class Change>
void TResultList::KeepingSelection(Change change) {
  TListView& view = *form_.ListView;
  TSelectionBatch batch(*this);
  std::vector<TFileInfo> selected;
  for (int index : SelectedIndexes()) selected.push_back(set_.Results().Item(index));
  view.ClearSelection();
  change();
  view.Items()->SetCount(set_.Results().Count());
  int first = -1;
  for (int index : set_.IndexesOf(selected)) {
    if (index < 0) continue;
    view.SetSelected(index, true);
    if (first < 0 || index < first) first = index;
  }
  if (first >= 0) {
    view.SetFocused(first, true);
    view.MakeVisible(first, true);
  }
  view.Repaint();
}

void TResultList::ListViewColumnClick(TObject* /*Sender*/, TListColumn* Column) {
  TFileInfoList& results = set_.Results();
  KeepingSelection([&] {
    switch (Column->Index()) {
      case 0: results.SortByName(); break;
      case 1: results.SortByPath(); break;
      case 2: results.SortByType(); break;
      case 3: results.SortByDate(); break;
      case 4: results.SortBySize(); break;
      default: break;
    }
  });
}

void TResultList::eFileNameFilterChange(TObject* /*Sender*/) {
  const std::string text = form_.eFileNameFilter->Text();
  KeepingSelection([&] { set_.SetFilter(text); });
}

void TResultList::ListViewSelectItem(TObject* /*Sender*/, TListItem* /*Item*/, bool /*Selected*/) {
  if (batchDepth_ == 0) PreviewSelection();
}

void TResultList::PreviewSelection() {
  const int first = FirstSelected();
  if (first < 0) return;
  form_.Preview().Show(FullPath(first), form_.cbString->Text());
}
