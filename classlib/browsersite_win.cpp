#include "classlib/browsersite_win.h"

#include <exdisp.h>
#include <exdispid.h>

#include "classlib/boundary.h"
#include "classlib/webbrowser.h"

namespace {

// The dispatch argument at position (counted from the first declared),
// nil when the event did not carry one there. Arguments come last first.
IDispatch* DispatchArgument(const DISPPARAMS* params, UINT position) {
  if (params == nullptr || position >= params->cArgs) return nullptr;
  const VARIANT& v = params->rgvarg[params->cArgs - 1 - position];
  if (v.vt == VT_DISPATCH) return v.pdispVal;
  if (v.vt == (VT_DISPATCH | VT_BYREF) && v.ppdispVal != nullptr) return *v.ppdispVal;
  return nullptr;
}

}  // namespace

// --- IUnknown --------------------------------------------------------------------------

STDMETHODIMP TBrowserSite::QueryInterface(REFIID iid, void** object) {
  return GuardHResult([&]() -> HRESULT {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
      *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
      *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
      *object = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID_DWebBrowserEvents2))
      *object = static_cast<IDispatch*>(this);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  });
}

STDMETHODIMP_(ULONG) TBrowserSite::AddRef() { return ObjAddRef(); }
STDMETHODIMP_(ULONG) TBrowserSite::Release() { return ObjRelease(); }

// --- IOleClientSite --------------------------------------------------------------------

STDMETHODIMP TBrowserSite::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TBrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP TBrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ------------------------------------------------------------------------

STDMETHODIMP TBrowserSite::GetWindow(HWND* window) {
  return GuardHResult([&]() -> HRESULT {
    if (window == nullptr) return E_POINTER;
    *window = owner_ != nullptr && owner_->HandleAllocated() ? owner_->Handle() : nullptr;
    return *window != nullptr ? S_OK : E_FAIL;
  });
}

STDMETHODIMP TBrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite -------------------------------------------------------------------

STDMETHODIMP TBrowserSite::CanInPlaceActivate() { return owner_ != nullptr ? S_OK : S_FALSE; }
STDMETHODIMP TBrowserSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP TBrowserSite::OnUIActivate() {
  return GuardHResult([&]() -> HRESULT {
    // The page's windows take the focus where the form cannot see it.
    if (owner_ != nullptr && owner_->HandleAllocated()) {
      const HWND focus = GetFocus();
      if (focus == owner_->Handle() || IsChild(owner_->Handle(), focus)) owner_->NoteFocusInside();
    }
    return S_OK;
  });
}

STDMETHODIMP TBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                            LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  return GuardHResult([&]() -> HRESULT {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || frameInfo == nullptr)
      return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    HWND window = owner_ != nullptr && owner_->HandleAllocated() ? owner_->Handle() : nullptr;
    RECT client{};
    if (window != nullptr) GetClientRect(window, &client);
    *position = client;
    *clip = client;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = window;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
  });
}

STDMETHODIMP TBrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP TBrowserSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::OnPosRectChange(LPCRECT) {
  return GuardHResult([&]() -> HRESULT {
    if (owner_ != nullptr) owner_->ResizeBrowser();
    return S_OK;
  });
}

// --- IOleInPlaceUIWindow, IOleInPlaceFrame ---------------------------------------------

STDMETHODIMP TBrowserSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TBrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TBrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return OLE_E_INVALIDRECT; }
STDMETHODIMP TBrowserSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP TBrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP TBrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP TBrowserSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP TBrowserSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP TBrowserSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// --- IDispatch -------------------------------------------------------------------------

STDMETHODIMP TBrowserSite::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

STDMETHODIMP TBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  return GuardHResult([&]() -> HRESULT {
    if (owner_ == nullptr) return S_OK;
    switch (id) {
      case DISPID_DOCUMENTCOMPLETE:
        owner_->DocumentCompleted(DispatchArgument(params, 0));
        break;
      case DISPID_NAVIGATEERROR:
        owner_->NavigationFailed(DispatchArgument(params, 0));
        break;
      default:
        break;
    }
    return S_OK;
  });
}
