#include "classlib/webbrowser.h"

#include <exdisp.h>
#include <ocidl.h>

#include "classlib/browsersite_win.h"

namespace {

constexpr UINT_PTR kRenderTimer = 1;

template <class T>
void ReleaseAndClear(T*& pointer) {
  if (pointer != nullptr) pointer->Release();
  pointer = nullptr;
}

// The connection point of the browser's events, nil when it has none.
IConnectionPoint* EventConnection(IWebBrowser2* browser) {
  IConnectionPointContainer* container = nullptr;
  if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
    return nullptr;
  IConnectionPoint* point = nullptr;
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) point = nullptr;
  container->Release();
  return point;
}

}  // namespace

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
  width_ = 300;
  height_ = 150;
  SetTabStop(true);
}

TWebBrowser::~TWebBrowser() {
  Destroying();
  // The control goes before the window it lives in.
  ReleaseBrowser();
  if (HandleAllocated()) DestroyHandle();
}

void TWebBrowser::CreateWnd() {
  TWinControl::CreateWnd();
  if (!unusable_ && !CreateBrowser()) {
    unusable_ = true;
    ReleaseBrowser();
  }
  if (state_ == bsNavigating) StartNavigation();
}

void TWebBrowser::DestroyWnd() {
  KillTimer(Handle(), kRenderTimer);
  ReleaseBrowser();
  if (state_ == bsComplete) state_ = bsNavigating;  // shown again in the next window
  TWinControl::DestroyWnd();
}

IOleObject* TWebBrowser::CreateBrowserObject() {
  IOleObject* object = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object));
  return SUCCEEDED(hr) ? object : nullptr;
}

bool TWebBrowser::CreateBrowser() {
  oleObject_ = CreateBrowserObject();
  if (oleObject_ == nullptr) return false;
  site_ = new TBrowserSite(this);
  site_->AddRef();
  if (FAILED(oleObject_->SetClientSite(static_cast<IOleClientSite*>(site_)))) return false;
  RECT client{};
  GetClientRect(Handle(), &client);
  if (FAILED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, Handle(),
                                &client)))
    return false;
  if (FAILED(oleObject_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) {
    browser_ = nullptr;
    return false;
  }
  if (IConnectionPoint* point = EventConnection(browser_)) {
    if (FAILED(point->Advise(static_cast<IDispatch*>(site_), &adviseCookie_))) adviseCookie_ = 0;
    point->Release();
  }
  // Without its events a page could never be seen to complete.
  return adviseCookie_ != 0;
}

void TWebBrowser::ReleaseBrowser() {
  if (browser_ != nullptr && adviseCookie_ != 0) {
    if (IConnectionPoint* point = EventConnection(browser_)) {
      point->Unadvise(adviseCookie_);
      point->Release();
    }
  }
  adviseCookie_ = 0;
  ReleaseAndClear(browser_);
  if (oleObject_ != nullptr) {
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
  }
  ReleaseAndClear(oleObject_);
  if (site_ != nullptr) site_->Detach();
  ReleaseAndClear(site_);
}

bool TWebBrowser::Navigate(const std::wstring& url) {
  url_ = url;
  state_ = bsNavigating;
  if (unusable_) {
    Fail();
    return false;
  }
  if (HandleAllocated()) StartNavigation();
  return state_ != bsFailed;
}

void TWebBrowser::StartNavigation() {
  if (browser_ == nullptr) {
    Fail();
    return;
  }
  KillTimer(Handle(), kRenderTimer);
  BSTR url = SysAllocStringLen(url_.data(), static_cast<UINT>(url_.size()));
  if (url == nullptr) {
    Fail();
    return;
  }
  VARIANT empty;
  VariantInit(&empty);
  // The document may complete before Navigate returns.
  HRESULT hr = browser_->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
  if (FAILED(hr)) {
    Fail();
    return;
  }
  if (state_ == bsNavigating) SetTimer(Handle(), kRenderTimer, renderTimeout_, nullptr);
}

void TWebBrowser::Fail() {
  if (HandleAllocated()) KillTimer(Handle(), kRenderTimer);
  state_ = bsFailed;
  if (!everCompleted_) unusable_ = true;
  if (OnCannotRender) OnCannotRender(this);
}

bool TWebBrowser::IsTopLevel(IDispatch* frame) const {
  if (frame == nullptr || browser_ == nullptr) return false;
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  browser_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  const bool same = a != nullptr && a == b;
  if (a != nullptr) a->Release();
  if (b != nullptr) b->Release();
  return same;
}

void TWebBrowser::DocumentCompleted(IDispatch* frame) {
  if (state_ != bsNavigating || !IsTopLevel(frame)) return;
  KillTimer(Handle(), kRenderTimer);
  state_ = bsComplete;
  everCompleted_ = true;
  if (OnDocumentComplete) OnDocumentComplete(this);
}

void TWebBrowser::NavigationFailed(IDispatch* frame) {
  if (state_ == bsNavigating && IsTopLevel(frame)) Fail();
}

void TWebBrowser::ResizeBrowser() {
  if (oleObject_ == nullptr || !HandleAllocated()) return;
  IOleInPlaceObject* inPlace = nullptr;
  if (FAILED(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  inPlace->SetObjectRects(&client, &client);
  inPlace->Release();
}

void TWebBrowser::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      TWinControl::Dispatch(message);
      ResizeBrowser();
      return;
    case WM_TIMER:
      if (message.WParam == kRenderTimer) {
        if (state_ == bsNavigating) Fail();
        else KillTimer(Handle(), kRenderTimer);
        message.Result = 0;
        return;
      }
      TWinControl::Dispatch(message);
      return;
    default:
      TWinControl::Dispatch(message);
  }
}
