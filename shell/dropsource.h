// The OLE drag source and data object. TDropSource keeps the table of
// offered formats, runs the drag loop and answers OLE; a descendant renders
// the data (DoGetData). TEnumFormatEtc walks the table for OLE.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <functional>

#include "classlib/component.h"
#include "classlib/interfaced.h"
#include "shell/owners.h"

class TImageList;

// A component that is also a COM object with its own reference count. The
// IUnknown of a derived class answers through the Obj* functions.
class TInterfacedComponent : public TComponent {
public:
  using TComponent::TComponent;
  LONG RefCount() const { return refCount_; }

protected:
  // S_OK with a new reference when the object has the interface,
  // E_NOINTERFACE (and nil) otherwise.
  HRESULT ObjQueryInterface(REFIID iid, void** object);
  ULONG ObjAddRef();
  // The last release frees the object.
  ULONG ObjRelease();
  // The object's interface for iid (no reference added), nil for none.
  virtual void* GetInterface(REFIID iid) = 0;

private:
  LONG refCount_ = 0;
};

enum TDragType { dtCopy, dtMove, dtLink };
// A set of drag types: bit (1 << type) for each member.
using TDragTypes = uint8_t;
constexpr TDragTypes DragTypeBit(TDragType type) { return static_cast<TDragTypes>(1u << type); }

enum TDragResult { drCopy, drMove, drLink, drCancel, drOutMemory, drUnknown };

using TDropEvent = std::function<void(TObject* Sender, TDragType DragType, bool& ContinueDrop)>;
using TFeedbackEvent = std::function<void(TObject* Sender, int Effect, bool& UseDefaultCursors)>;

// The clipboard formats of dragged files, registered when the program
// starts; only some are offered.
struct TDragFormats {
  UINT FileContents;
  UINT FileGroupDescriptor;
  UINT ShellIdList;          // "Shell IDList Array"
  UINT PreferredDropEffect;  // "Preferred DropEffect"
  UINT Url;                  // "UniformResourceLocator"
  UINT FileNameMap;
  UINT FileNameMapW;
};
const TDragFormats& DragFormats();

class TDropSource : public TInterfacedComponent, public IDropSource, public IDataObject {
public:
  static constexpr int kMaxFormats = 20;

  // Holds one reference to itself: OLE's releases never free a component
  // its owner still holds.
  explicit TDropSource(TComponent* owner);
  ~TDropSource() override;

  TDragTypes Dragtypes() const { return dragTypes_; }
  void SetDragtypes(TDragTypes value) { dragTypes_ = value; }
  TDropEvent OnDrop;
  TFeedbackEvent OnFeedback;

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* value);
  bool ShowImage() const { return showImage_; }
  void SetShowImage(bool value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  int ImageHotSpotX() const { return hotSpotX_; }
  void SetImageHotSpotX(int value) { hotSpotX_ = value; }
  int ImageHotSpotY() const { return hotSpotY_; }
  void SetImageHotSpotY(int value) { hotSpotY_ = value; }

  // The effect of the latest feedback, or of the latest cut or copy.
  DWORD LastEffect() const { return lastEffect_; }
  int FormatCount() const { return formatCount_; }

  // Appends a format to the offered ones (ignored once there are 20).
  virtual void AddFormatEtc(CLIPFORMAT format, DVTARGETDEVICE* device, DWORD aspect, LONG index, DWORD medium);
  // The OLE drag loop (modal, on the calling thread, which must have OLE).
  TDragResult Execute();
  // Put the data on the clipboard with "Preferred DropEffect" move (cut) or
  // copy; false when nothing could be put there.
  virtual bool CutToClipboard();
  virtual bool CopyToClipboard();
  // What a descendant puts on the clipboard besides the drop effect.
  virtual bool CutOrCopyToClipboard() { return false; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IDropSource
  STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  STDMETHODIMP GiveFeedback(DWORD effect) override;
  // IDataObject
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** enumerator) override;

protected:
  // Renders a format the table offers; medium is cleared first.
  virtual HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
  // Whether DoGetData would serve the request: S_OK, or the code it would
  // refuse with. The default serves everything in the table.
  virtual HRESULT DoQueryGetData(const FORMATETC& format);
  void* GetInterface(REFIID iid) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  bool CutOrCopy(DWORD effect);

  TDragTypes dragTypes_ = DragTypeBit(dtCopy);
  FORMATETC formats_[kMaxFormats] = {};
  int formatCount_ = 0;
  TImageList* images_ = nullptr;
  bool showImage_ = false;
  int imageIndex_ = 0;
  int hotSpotX_ = 16;
  int hotSpotY_ = 16;
  DWORD lastEffect_ = DROPEFFECT_NONE;
};

// Walks a drag source's format table, holding a reference to the source so
// the table outlives every other holder of the source.
class TEnumFormatEtc : public TInterfacedObject, public IEnumFORMATETC {
public:
  TEnumFormatEtc(IUnknown* source, const FORMATETC* formats, int count, int position);

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ObjAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return ObjRelease(); }
  STDMETHODIMP Next(ULONG count, FORMATETC* records, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumFORMATETC** enumerator) override;

private:
  TComPtr<IUnknown> source_;
  const FORMATETC* formats_;
  int count_;
  int position_;
};
