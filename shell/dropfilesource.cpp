#include "shell/dropfilesource.h"

#include <shlobj.h>

#include "classlib/clipboard.h"
#include "classlib/stringlist.h"
#include "shell/dragdata.h"

TDropFileSource::TDropFileSource(TComponent* owner)
    : TDropSource(owner), files_(new TStringList), mappedNames_(new TStringList) {
  const TDragFormats& f = DragFormats();
  for (UINT format : {static_cast<UINT>(CF_HDROP), f.ShellIdList, f.PreferredDropEffect, f.FileNameMap, f.FileNameMapW})
    AddFormatEtc(static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL);
}

TDropFileSource::~TDropFileSource() {
  delete files_;
  delete mappedNames_;
}

TStrings* TDropFileSource::Files() const { return files_; }
void TDropFileSource::SetFiles(TStrings* value) { files_->Assign(value); }
TStrings* TDropFileSource::MappedNames() const { return mappedNames_; }
void TDropFileSource::SetMappedNames(TStrings* value) { mappedNames_->Assign(value); }

HRESULT TDropFileSource::Choose(const FORMATETC& format, TRendering& rendering) const {
  if (files_->Count() == 0) return E_UNEXPECTED;
  if (format.dwAspect != DVASPECT_CONTENT || (format.tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
  const TDragFormats& f = DragFormats();
  const UINT cf = format.cfFormat;
  const bool mapped = mappedNames_->Count() == files_->Count();
  if (cf == CF_HDROP) rendering = TRendering::FileList;
  else if (cf == f.FileNameMap && mapped) rendering = TRendering::NameMap;
  else if (cf == f.FileNameMapW && mapped) rendering = TRendering::NameMapW;
  else if (cf == f.ShellIdList) rendering = TRendering::ShellIdList;
  else if (cf == f.PreferredDropEffect) rendering = TRendering::DropEffect;
  else return DV_E_FORMATETC;
  return S_OK;
}

HRESULT TDropFileSource::DoQueryGetData(const FORMATETC& format) {
  TRendering rendering{};
  const HRESULT hr = Choose(format, rendering);
  if (hr != S_OK || rendering != TRendering::ShellIdList) return hr;
  // Only the shell can tell whether every name parses: ask it as GetData does.
  HGLOBAL block = RenderShellIdList(*files_);
  if (block == nullptr) return E_OUTOFMEMORY;
  GlobalFree(block);
  return S_OK;
}

HRESULT TDropFileSource::DoGetData(const FORMATETC& format, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  TRendering rendering{};
  HRESULT hr = Choose(format, rendering);
  if (hr != S_OK) return hr;
  HGLOBAL block = nullptr;
  switch (rendering) {
    case TRendering::FileList:
      block = RenderFileList(*files_);
      break;
    case TRendering::NameMap:
      block = RenderNameMap(*mappedNames_);
      break;
    case TRendering::NameMapW:
      block = RenderNameMapW(*mappedNames_);
      break;
    case TRendering::ShellIdList:
      block = RenderShellIdList(*files_);
      break;
    case TRendering::DropEffect:
      block = RenderDropEffect(LastEffect());
      break;
  }
  if (block == nullptr) return E_OUTOFMEMORY;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  medium.pUnkForRelease = nullptr;
  return S_OK;
}

bool TDropFileSource::CutOrCopyToClipboard() {
  if (files_->Count() == 0) return false;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (GetData(&format, &medium) != S_OK) return false;
  try {
    Clipboard()->SetAsHandle(CF_HDROP, medium.hGlobal);
  } catch (...) {
    ReleaseStgMedium(&medium);
    return false;
  }
  return true;
}
