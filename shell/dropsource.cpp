#include "shell/dropsource.h"

#include <commctrl.h>

#include <cstring>

#include "classlib/boundary.h"
#include "classlib/clipboard.h"
#include "classlib/imagelist.h"

namespace {

TDragFormats RegisterDragFormats() {
  TDragFormats f{};
  f.FileContents = RegisterClipboardFormatA("FileContents");
  f.FileGroupDescriptor = RegisterClipboardFormatA("FileGroupDescriptor");
  f.ShellIdList = RegisterClipboardFormatA("Shell IDList Array");
  f.PreferredDropEffect = RegisterClipboardFormatA("Preferred DropEffect");
  f.Url = RegisterClipboardFormatA("UniformResourceLocator");
  f.FileNameMap = RegisterClipboardFormatA("FileNameMap");
  f.FileNameMapW = RegisterClipboardFormatA("FileNameMapW");
  return f;
}

// Registered as the program starts, in the order above.
const TDragFormats& registeredAtStart = DragFormats();

// The caller frees a record's target device, so each gets its own copy.
DVTARGETDEVICE* CopyTargetDevice(const DVTARGETDEVICE* device) {
  if (device == nullptr) return nullptr;
  auto* copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->tdSize));
  if (copy != nullptr) std::memcpy(copy, device, device->tdSize);
  return copy;
}

}  // namespace

const TDragFormats& DragFormats() {
  static const TDragFormats formats = RegisterDragFormats();
  return formats;
}

// --- TInterfacedComponent --------------------------------------------------------------

HRESULT TInterfacedComponent::ObjQueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = GetInterface(iid);
  if (*object == nullptr) return E_NOINTERFACE;
  ObjAddRef();
  return S_OK;
}

ULONG TInterfacedComponent::ObjAddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

ULONG TInterfacedComponent::ObjRelease() {
  LONG count = InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

// --- TDropSource -----------------------------------------------------------------------

TDropSource::TDropSource(TComponent* owner) : TInterfacedComponent(owner) {
  (void)registeredAtStart;
  ObjAddRef();
}

TDropSource::~TDropSource() { Destroying(); }

void* TDropSource::GetInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
  if (IsEqualIID(iid, IID_IDropSource)) return static_cast<IDropSource*>(this);
  return nullptr;
}

STDMETHODIMP TDropSource::QueryInterface(REFIID iid, void** object) {
  return GuardHResult([&]() -> HRESULT { return ObjQueryInterface(iid, object); });
}

STDMETHODIMP_(ULONG) TDropSource::AddRef() { return ObjAddRef(); }
STDMETHODIMP_(ULONG) TDropSource::Release() { return ObjRelease(); }

void TDropSource::AddFormatEtc(CLIPFORMAT format, DVTARGETDEVICE* device, DWORD aspect, LONG index, DWORD medium) {
  if (formatCount_ >= kMaxFormats) return;
  formats_[formatCount_++] = FORMATETC{format, device, aspect, index, medium};
}

void TDropSource::SetImages(TImageList* value) {
  images_ = value;
  if (value != nullptr) value->FreeNotification(this);
  if (HasState(csLoading)) return;
  imageIndex_ = 0;
  showImage_ = value != nullptr;
}

void TDropSource::SetShowImage(bool value) { showImage_ = value && (HasState(csLoading) || images_ != nullptr); }

void TDropSource::SetImageIndex(int value) {
  if (HasState(csLoading)) {
    imageIndex_ = value;
    return;
  }
  const int count = images_ != nullptr ? images_->Count() : 0;
  if (value >= 0 && count > 0) {
    if (value < count) imageIndex_ = value;
    return;
  }
  imageIndex_ = 0;
  showImage_ = false;
}

void TDropSource::Notification(TComponent* component, TOperation operation) {
  TInterfacedComponent::Notification(component, operation);
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    imageIndex_ = 0;
    showImage_ = false;
  }
}

TDragResult TDropSource::Execute() {
  DWORD allowed = DROPEFFECT_NONE;
  if (dragTypes_ & DragTypeBit(dtCopy)) allowed |= DROPEFFECT_COPY;
  if (dragTypes_ & DragTypeBit(dtMove)) allowed |= DROPEFFECT_MOVE;
  if (dragTypes_ & DragTypeBit(dtLink)) allowed |= DROPEFFECT_LINK;
  bool imageShown = false;
  if (showImage_ && images_ != nullptr)
    imageShown = ImageList_BeginDrag(images_->Handle(), imageIndex_, hotSpotX_, hotSpotY_) != 0;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = DoDragDrop(static_cast<IDataObject*>(this), static_cast<IDropSource*>(this), allowed, &effect);
  if (imageShown) ImageList_EndDrag();
  if (hr == E_OUTOFMEMORY) return drOutMemory;
  if (hr == DRAGDROP_S_CANCEL) return drCancel;
  if (hr != DRAGDROP_S_DROP) return drUnknown;
  if ((effect & allowed) == 0) return drCancel;
  if (effect & DROPEFFECT_COPY) return drCopy;
  if (effect & DROPEFFECT_MOVE) return drMove;
  return drLink;
}

STDMETHODIMP TDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  return GuardHResult([&]() -> HRESULT {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (keyState & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    bool drop = true;
    TDragType type = dtCopy;
    if (lastEffect_ & DROPEFFECT_COPY) type = dtCopy;
    else if (lastEffect_ & DROPEFFECT_MOVE) type = dtMove;
    else if (lastEffect_ & DROPEFFECT_LINK) type = dtLink;
    else drop = false;
    if (drop && (dragTypes_ & DragTypeBit(type)) == 0) drop = false;
    if (drop && OnDrop) OnDrop(this, type, drop);
    return drop ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
  });
}

STDMETHODIMP TDropSource::GiveFeedback(DWORD effect) {
  return GuardHResult([&]() -> HRESULT {
    lastEffect_ = effect;
    bool useDefaultCursors = true;
    if (OnFeedback) OnFeedback(this, static_cast<int>(effect), useDefaultCursors);
    return useDefaultCursors ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
  });
}

STDMETHODIMP TDropSource::GetData(FORMATETC* format, STGMEDIUM* medium) {
  return GuardHResult([&]() -> HRESULT {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    return DoGetData(*format, *medium);
  });
}

STDMETHODIMP TDropSource::GetDataHere(FORMATETC*, STGMEDIUM*) {
  return GuardHResult([]() -> HRESULT { return E_NOTIMPL; });
}

HRESULT TDropSource::DoQueryGetData(const FORMATETC&) { return S_OK; }

STDMETHODIMP TDropSource::QueryGetData(FORMATETC* format) {
  return GuardHResult([&]() -> HRESULT {
    if (format == nullptr) return E_INVALIDARG;
    for (int i = 0; i < formatCount_; ++i) {
      const FORMATETC& offered = formats_[i];
      if (offered.cfFormat == format->cfFormat && offered.dwAspect == format->dwAspect &&
          (offered.tymed & format->tymed) != 0)
        return DoQueryGetData(*format);
    }
    return E_FAIL;
  });
}

STDMETHODIMP TDropSource::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  return GuardHResult([&]() -> HRESULT {
    if (out != nullptr) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  });
}

STDMETHODIMP TDropSource::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
  return GuardHResult([]() -> HRESULT { return E_NOTIMPL; });
}

STDMETHODIMP TDropSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  return GuardHResult([&]() -> HRESULT {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = nullptr;
    if (direction == DATADIR_SET) return E_NOTIMPL;
    if (direction != DATADIR_GET) return E_INVALIDARG;
    auto* walker = new TEnumFormatEtc(static_cast<IDataObject*>(this), formats_, formatCount_, 0);
    return walker->QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(enumerator));
  });
}

STDMETHODIMP TDropSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return GuardHResult([]() -> HRESULT { return OLE_E_ADVISENOTSUPPORTED; });
}

STDMETHODIMP TDropSource::DUnadvise(DWORD) {
  return GuardHResult([]() -> HRESULT { return OLE_E_ADVISENOTSUPPORTED; });
}

STDMETHODIMP TDropSource::EnumDAdvise(IEnumSTATDATA** enumerator) {
  return GuardHResult([&]() -> HRESULT {
    if (enumerator != nullptr) *enumerator = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  });
}

bool TDropSource::CutToClipboard() { return CutOrCopy(DROPEFFECT_MOVE); }
bool TDropSource::CopyToClipboard() { return CutOrCopy(DROPEFFECT_COPY); }

bool TDropSource::CutOrCopy(DWORD effect) {
  try {
    // Open for the whole operation, so the clipboard is emptied once,
    // before the first format goes on it.
    ClipboardOpenScope open(Clipboard());
    if (!CutOrCopyToClipboard()) return false;
    lastEffect_ = effect;
    FORMATETC format{static_cast<CLIPFORMAT>(DragFormats().PreferredDropEffect), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (GetData(&format, &medium) != S_OK) return false;
    try {
      Clipboard()->SetAsHandle(DragFormats().PreferredDropEffect, medium.hGlobal);
    } catch (...) {
      ReleaseStgMedium(&medium);
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

// --- TEnumFormatEtc --------------------------------------------------------------------

TEnumFormatEtc::TEnumFormatEtc(IUnknown* source, const FORMATETC* formats, int count, int position)
    : source_(TComPtr<IUnknown>::Share(source)), formats_(formats), count_(count), position_(position) {}

STDMETHODIMP TEnumFormatEtc::QueryInterface(REFIID iid, void** object) {
  return GuardHResult([&]() -> HRESULT {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumFORMATETC)) return E_NOINTERFACE;
    *object = static_cast<IEnumFORMATETC*>(this);
    ObjAddRef();
    return S_OK;
  });
}

STDMETHODIMP TEnumFormatEtc::Next(ULONG count, FORMATETC* records, ULONG* fetched) {
  return GuardHResult([&]() -> HRESULT {
    if (records == nullptr) return E_POINTER;
    ULONG copied = 0;
    while (copied < count && position_ < count_) {
      records[copied] = formats_[position_++];
      records[copied].ptd = CopyTargetDevice(records[copied].ptd);
      ++copied;
    }
    if (fetched != nullptr) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
  });
}

STDMETHODIMP TEnumFormatEtc::Skip(ULONG count) {
  return GuardHResult([&]() -> HRESULT {
    if (count > static_cast<ULONG>(count_ - position_)) {
      position_ = count_;
      return S_FALSE;
    }
    position_ += static_cast<int>(count);
    return S_OK;
  });
}

STDMETHODIMP TEnumFormatEtc::Reset() {
  return GuardHResult([&]() -> HRESULT {
    position_ = 0;
    return S_OK;
  });
}

STDMETHODIMP TEnumFormatEtc::Clone(IEnumFORMATETC** enumerator) {
  return GuardHResult([&]() -> HRESULT {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = nullptr;
    auto* copy = new TEnumFormatEtc(source_.Get(), formats_, count_, position_);
    return copy->QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(enumerator));
  });
}
