#include "shell/subfolders.h"

#include "shell/owners.h"

namespace {

// No "drive not ready" box from the system while an empty removable drive
// is listed.
class CriticalErrorsQuiet {
public:
  CriticalErrorsQuiet() : saved_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsQuiet() { SetErrorMode(saved_); }
  CriticalErrorsQuiet(const CriticalErrorsQuiet&) = delete;
  CriticalErrorsQuiet& operator=(const CriticalErrorsQuiet&) = delete;

private:
  UINT saved_;
};

}  // namespace

bool EnumerateSubFolders(IShellFolder* folder, HWND owner, const std::function<void(LPITEMIDLIST item)>& each) {
  TComPtr<IEnumIDList> items;
  HRESULT hr;
  {
    CriticalErrorsQuiet quiet;
    hr = folder->EnumObjects(owner, SHCONTF_FOLDERS, items.Receive());
  }
  if (FAILED(hr)) return false;
  // S_FALSE (or even S_OK) without an enumerator: nothing to list.
  if (!items) return true;
  for (;;) {
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    HRESULT next = items->Next(1, &item, &fetched);
    TOwnedPidl owned(item);
    if (next != S_OK || fetched != 1 || item == nullptr) return true;
    each(item);
  }
}
