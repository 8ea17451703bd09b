// The web browser: the system's web-browser control (an ActiveX object)
// activated in place inside a window of the class library. The control may
// be missing or unable to show a page (a system without its engine); the
// host then says so rather than waiting: every navigation ends either with
// OnDocumentComplete or with OnCannotRender, the latter at the latest when
// RenderTimeout has passed (unless the control itself holds the thread).
//
// A control that has never shown a page and fails one is taken as unable to
// render: later pages are refused at once, because such a control may hold
// the thread for seconds on each page before failing again. (Showing
// "about:blank" first tells a working control from one without an engine.)
#pragma once

#include <windows.h>

#include <string>

#include "classlib/controls.h"

class TBrowserSite;
struct IDispatch;
struct IOleObject;
struct IWebBrowser2;

enum TBrowserState {
  bsIdle,        // nothing asked yet
  bsNavigating,  // a page is on its way (or waits for the window)
  bsComplete,    // the last page asked for is shown
  bsFailed       // the last page asked for cannot be shown
};

class TWebBrowser : public TWinControl {
public:
  explicit TWebBrowser(TComponent* owner);
  ~TWebBrowser() override;
  const char* ClassName() const override { return "TWebBrowser"; }

  // Starts showing url (made when the window exists, if it does not yet).
  // False when the control is known to be unable to render; OnCannotRender
  // has then run. A failure may also come before Navigate returns.
  bool Navigate(const std::wstring& url);
  TBrowserState State() const { return state_; }
  bool Rendering() const { return state_ == bsComplete; }
  // The control was created in the window (false before the window exists
  // and when the system has no such control).
  bool Available() const { return browser_ != nullptr; }
  // Milliseconds a page may take before it counts as not shown.
  UINT RenderTimeout() const { return renderTimeout_; }
  void SetRenderTimeout(UINT value) { renderTimeout_ = value; }

  TNotifyEvent OnDocumentComplete;
  TNotifyEvent OnCannotRender;

  void Dispatch(TMessage& message) override;

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  // The control's object (with a reference), nil when the system has none.
  virtual IOleObject* CreateBrowserObject();

private:
  friend class TBrowserSite;
  // Creates and activates the control in the window; false when it cannot.
  bool CreateBrowser();
  void ReleaseBrowser();
  void StartNavigation();
  void Fail();
  void ResizeBrowser();
  // From the site: the events of the top-level page only count.
  void DocumentCompleted(IDispatch* frame);
  void NavigationFailed(IDispatch* frame);
  bool IsTopLevel(IDispatch* frame) const;

  TBrowserSite* site_ = nullptr;
  IOleObject* oleObject_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  DWORD adviseCookie_ = 0;
  // Cannot render: not created, or failed before it ever completed a page.
  bool unusable_ = false;
  bool everCompleted_ = false;
  TBrowserState state_ = bsIdle;
  std::wstring url_;
  UINT renderTimeout_ = 5000;
};
