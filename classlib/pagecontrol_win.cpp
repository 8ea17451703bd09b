#include "classlib/pagecontrol.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "classlib/commoncontrols.h"
#include "classlib/list.h"

// --- TTabSheet -------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  visible_ = false;  // until it becomes the active page
  // A sheet shows the colour of the form around it, and so do the check
  // boxes and labels on it.
  SetParentColor(true);
  width_ = 100;
  height_ = 100;
}

TTabSheet::~TTabSheet() {
  Destroying();
  if (pageControl_ != nullptr) pageControl_->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (value == pageControl_) return;
  if (pageControl_ != nullptr) pageControl_->RemovePage(this);
  SetParent(value);
  if (value != nullptr) value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (pageControl_ == nullptr) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
  if (pageControl_ != nullptr) pageControl_->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
  if (pageControl_ == nullptr || !tabVisible_) return -1;
  int index = 0;
  for (TTabSheet* page : pageControl_->pages_) {
    if (page == this) return index;
    if (page->tabVisible_) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == tabVisible_) return;
  tabVisible_ = value;
  if (pageControl_ == nullptr) return;
  if (!value && pageControl_->activePage_ == this) {
    pageControl_->activePage_ = pageControl_->NextShownPage(PageIndex() + 1, this);
    pageControl_->ArrangeSheets();
  }
  pageControl_->UpdateTabs();
}

void TTabSheet::Dispatch(TMessage& message) {
  TWinControl::Dispatch(message);
  if (message.Msg == CM_TEXTCHANGED && pageControl_ != nullptr) pageControl_->UpdateTabText(this);
}

// --- TPageControl ----------------------------------------------------------------------

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  width_ = 289;
  height_ = 193;
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  Destroying();
  // The sheets are freed with the other children; they must not come back
  // to a list that is gone by then.
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_TAB_CLASSES);
  CreateSubClass(params, WC_TABCONTROLA);
  params.Style |= WS_CLIPCHILDREN;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateTabs();
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) RaiseListIndexError(index);
  return pages_[static_cast<size_t>(index)];
}

TTabSheet* TPageControl::NextShownPage(int index, TTabSheet* skip) const {
  const int count = PageCount();
  for (int n = 0; n < count; ++n) {
    TTabSheet* page = pages_[static_cast<size_t>((std::max(index, 0) + n) % count)];
    if (page != skip && page->tabVisible_) return page;
  }
  return nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
  page->pageControl_ = this;
  pages_.push_back(page);
  if (activePage_ == nullptr && page->tabVisible_) activePage_ = page;
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  if (activePage_ == page) activePage_ = NextShownPage(page->PageIndex() + 1, page);
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  page->pageControl_ = nullptr;
  if (!HasState(csDestroying)) UpdateTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  index = std::clamp(index, 0, PageCount());
  pages_.insert(pages_.begin() + index, page);
  UpdateTabs();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && (page->pageControl_ != this || !page->tabVisible_)) return;
  activePage_ = page;
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(page != nullptr ? page->TabIndex() : -1), 0);
  ArrangeSheets();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  HWND window = Handle();
  SendMessageA(window, TCM_DELETEALLITEMS, 0, 0);
  int tab = 0;
  for (TTabSheet* page : pages_) {
    if (!page->tabVisible_) continue;
    std::string caption = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(tab++), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(window, TCM_SETCURSEL, static_cast<WPARAM>(activePage_ != nullptr ? activePage_->TabIndex() : -1), 0);
  ArrangeSheets();
}

void TPageControl::UpdateTabText(TTabSheet* page) {
  const int tab = page->TabIndex();
  if (!HandleAllocated() || tab < 0) return;
  std::string caption = page->Caption();
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = caption.data();
  SendMessageA(Handle(), TCM_SETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
  // The tab may now be wider or the tabs may need another row.
  ArrangeSheets();
}

void TPageControl::ArrangeSheets() {
  if (!HandleAllocated()) return;
  RECT area{};
  GetClientRect(Handle(), &area);
  SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (TTabSheet* page : pages_) {
    page->SetBounds(area.left, area.top, std::max(0L, area.right - area.left), std::max(0L, area.bottom - area.top));
    page->SetVisible(page == activePage_);
  }
}

void TPageControl::CNNotify(TMessage& message) {
  NMHDR* header = TWMNotify(message).NMHdr;
  message.Result = 0;
  if (header == nullptr || header->code != TCN_SELCHANGE || HasState(csDestroying)) return;
  const int tab = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
  for (TTabSheet* page : pages_) {
    if (page->TabIndex() != tab) continue;
    activePage_ = page;
    ArrangeSheets();
    if (OnChange) OnChange(this);
    return;
  }
}

void TPageControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_NOTIFY:
      CNNotify(message);
      return;
    case WM_SIZE:
      TWinControl::Dispatch(message);
      ArrangeSheets();
      return;
    default:
      TWinControl::Dispatch(message);
  }
}
