#include "app/resultlist_win.h"

#include <commctrl.h>

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
#include "classlib/updatescope.h"
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
  ForgetSelection(0);
  form_.ListView->Repaint();
  set_.Clear();
  form_.Preview().Clear();
}

void TResultList::AddFullPaths(TStrings& list) const {
  for (int i = 0; i < set_.Results().Count(); ++i) list.Add(FullPath(i));
}

std::vector<int> TResultList::SelectedIndexes() const {
  std::vector<int> indexes;
  const int count = set_.Results().Count();
  // Without a selection the list view would look at every row for one.
  const int selected = form_.ListView->SelCount();
  if (selected <= 0) return indexes;
  indexes.reserve(static_cast<size_t>(selected));
  for (int i = form_.ListView->GetNextItem(-1, isSelected); i >= 0 && i < count;
       i = form_.ListView->GetNextItem(i, isSelected)) {
    indexes.push_back(i);
    if (static_cast<int>(indexes.size()) == selected) break;
  }
  return indexes;
}

int TResultList::FirstSelected() const {
  if (form_.ListView->SelCount() <= 0) return -1;
  const int index = form_.ListView->GetNextItem(-1, isSelected);
  return index < set_.Results().Count() ? index : -1;
}

std::string TResultList::FullPath(int index) const {
  const TFileInfoList& results = set_.Results();
  std::string path(results.Path(index));
  return path.append("\\").append(results.Name(index));
}

std::vector<uint32_t> TResultList::SelectedIds() const {
  std::vector<uint32_t> ids;
  for (int index : SelectedIndexes()) ids.push_back(set_.Results().Id(index));
  return ids;
}

std::vector<int> TResultList::RowsOf(const std::vector<uint32_t>& ids) const { return set_.IndexesOf(ids); }

TResultList::TSelectionBatch::TSelectionBatch(TResultList& list) : list_(list) {
  // The list view would fill a whole row, icon included, for every row
  // whose selection changes before it tells the event.
  if (list_.batchDepth_++ == 0) list_.heldSelectEvent_ = std::move(list_.form_.ListView->OnSelectItem);
  list_.form_.ListView->OnSelectItem = nullptr;
}

TResultList::TSelectionBatch::~TSelectionBatch() {
  if (--list_.batchDepth_ == 0) list_.form_.ListView->OnSelectItem = std::move(list_.heldSelectEvent_);
}

void TResultList::ForgetSelection(int count) {
  TListView& view = *form_.ListView;
  // Deselecting takes the list view a look at every row, or at every
  // selected range per row deselected; dropping its rows forgets the
  // selection at once. The rows in view stay in view.
  const int top = static_cast<int>(SendMessageA(view.Handle(), LVM_GETTOPINDEX, 0, 0));
  const int perPage = static_cast<int>(SendMessageA(view.Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  SendMessageA(view.Handle(), LVM_DELETEALLITEMS, 0, 0);
  view.Items()->SetCount(count);
  if (top > 0 && count > 0) view.MakeVisible(std::min(top + std::max(perPage, 1) - 1, count - 1), false);
}

void TResultList::Select(const std::vector<int>& rows) {
  TListView& view = *form_.ListView;
  for (int row : rows) view.SetSelected(row, true);
  if (!rows.empty()) view.SetFocused(rows.front(), true);
}

template <class Remove>
void TResultList::RemovingRows(Remove remove) {
  TListView& view = *form_.ListView;
  std::vector<int> removed;
  {
    TSelectionBatch batch(*this);
    const std::vector<int> selected = SelectedIndexes();
    TUpdateScope<TListItems> update(*view.Items());
    removed = remove();
    if (!removed.empty()) {
      // The list view keeps its selection by row: each selected row that
      // stays moves up by the rows removed before it.
      std::vector<int> staying;
      auto before = removed.begin();
      for (int row : selected) {
        while (before != removed.end() && *before < row) ++before;
        if (before == removed.end() || *before != row)
          staying.push_back(row - static_cast<int>(before - removed.begin()));
      }
      ForgetSelection(set_.Results().Count());
      Select(staying);
    }
  }
  if (removed.empty()) return;
  // The previewed record was among the selected ones: with none left, it
  // is gone from the list.
  if (FirstSelected() < 0) {
    form_.Preview().Clear();
    return;
  }
  PreviewSelection();
}

void TResultList::DeleteRows(std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  RemovingRows([&] {
    set_.RemoveRows(indexes);
    return indexes;
  });
}

int TResultList::DeleteFolderRows(const std::string& folder) {
  int count = 0;
  RemovingRows([&] {
    // A folder's records mostly stand together and share one folder text.
    const char* lastPath = nullptr;
    bool lastAnswer = false;
    std::vector<int> rows = set_.RemoveWhere([&](const TFileInfoList& store, int index) {
      const std::string_view path = store.Path(index);
      if (path.data() != lastPath) {
        lastPath = path.data();
        lastAnswer = IsSameOrBelow(path, folder);
      }
      return lastAnswer;
    });
    count = static_cast<int>(rows.size());
    return rows;
  });
  return count;
}

void TResultList::ListViewData(TObject* /*Sender*/, TListItem* Item) {
  if (Item->Index() < 0 || Item->Index() >= set_.Results().Count()) return;
  const TFileInfo info = set_.Results().Item(Item->Index());
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
  const std::string_view context = set_.Results().Context(Item->Index());
  InfoTip = context.empty() ? std::string() : "... " + std::string(context) + " ...";
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
  {
    TSelectionBatch batch(*this);
    const std::vector<uint32_t> selected = SelectedIds();
    change();
    ForgetSelection(set_.Results().Count());
    std::vector<int> rows = set_.IndexesOf(selected);
    rows.erase(std::remove(rows.begin(), rows.end(), -1), rows.end());
    // In row order the list view adds each row to its last selected range.
    std::sort(rows.begin(), rows.end());
    Select(rows);
    if (!rows.empty()) view.MakeVisible(rows.front(), true);
  }
  view.Repaint();
  PreviewSelection();
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
  // The preview pane passes over the record it shows already.
  form_.Preview().Show(FullPath(first), form_.cbString->Text());
}
