// The page control: the system "SysTabControl32" with one sheet per tab.
// A sheet is a window of its own inside the tab control's display area,
// holding other controls; only the active sheet is shown. The sheets are
// children of the page control, so they go when it goes; a sheet whose tab
// is hidden keeps its place among the pages.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/controls.h"

class TPageControl;

class TTabSheet : public TWinControl {
public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  const char* ClassName() const override { return "TTabSheet"; }

  TPageControl* PageControl() const { return pageControl_; }
  // Puts the sheet last in value's pages (nil takes it out of its pages).
  void SetPageControl(TPageControl* value);
  // The sheet's place among its page control's pages, -1 without one.
  int PageIndex() const;
  void SetPageIndex(int value);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool value);
  // The place of the sheet's tab among the shown tabs, -1 when hidden.
  int TabIndex() const;

  // The caption is the tab's text: a change shows at once.
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  const char* ClassName() const override { return "TPageControl"; }

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // The page at index; EListError outside 0..PageCount-1.
  TTabSheet* Pages(int index) const;
  // Setting shows that page and hides the others; OnChange is not run.
  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const { return activePage_ != nullptr ? activePage_->PageIndex() : -1; }
  void SetActivePageIndex(int index);

  // The user chose another tab.
  TNotifyEvent OnChange;

  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  // Fills the tabs from the pages and selects the active page's tab.
  void UpdateTabs();
  void UpdateTabText(TTabSheet* page);
  // Places every sheet over the display area and shows the active one.
  void ArrangeSheets();
  void CNNotify(TMessage& message);
  // The first page from index on (wrapping) whose tab is shown, but not skip.
  TTabSheet* NextShownPage(int index, TTabSheet* skip) const;

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};
