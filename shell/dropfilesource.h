// The drag source of files: renders its Files as CF_HDROP, "Shell IDList
// Array", "Preferred DropEffect" and, when MappedNames has one line per
// file, "FileNameMap" and "FileNameMapW"; copies or cuts them to the
// clipboard as CF_HDROP with the drop effect.
#pragma once

#include "shell/dropsource.h"

class TStringList;
class TStrings;

class TDropFileSource : public TDropSource {
public:
  explicit TDropFileSource(TComponent* owner);
  ~TDropFileSource() override;

  // Full paths of the files, in the order a target gets them.
  TStrings* Files() const;
  void SetFiles(TStrings* value);
  // Optional new names, one per file.
  TStrings* MappedNames() const;
  void SetMappedNames(TStrings* value);

  bool CutOrCopyToClipboard() override;

protected:
  HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) override;
  HRESULT DoQueryGetData(const FORMATETC& format) override;

private:
  enum class TRendering { FileList, NameMap, NameMapW, ShellIdList, DropEffect };
  // Which rendering serves the request, or the code it is refused with.
  HRESULT Choose(const FORMATETC& format, TRendering& rendering) const;

  TStringList* files_;
  TStringList* mappedNames_;
};
