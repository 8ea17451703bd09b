#include "shell/pidls.h"

#include <cstring>
#include <cwchar>
#include <memory>

#include "classlib/exceptions.h"
#include "shell/openablepath.h"

namespace {

// The shell's allocator and desktop folder, held from first use to the end of
// the program; the cached desktop list goes back to the allocator first.
class TShellModule {
public:
  TShellModule() {
    OleCheck(SHGetMalloc(malloc_.Receive()));
    OleCheck(SHGetDesktopFolder(desktop_.Receive()));
  }
  ~TShellModule() {
    if (desktopPidl_ != nullptr) malloc_->Free(desktopPidl_);
  }
  TShellModule(const TShellModule&) = delete;
  TShellModule& operator=(const TShellModule&) = delete;

  IMalloc* Malloc() const { return malloc_.Get(); }
  IShellFolder* Desktop() const { return desktop_.Get(); }
  PItemIDList& CachedDesktopPidl() { return desktopPidl_; }

private:
  TComPtr<IMalloc> malloc_;
  TComPtr<IShellFolder> desktop_;
  PItemIDList desktopPidl_ = nullptr;
};

std::unique_ptr<TShellModule>& ModuleSlot() {
  static std::unique_ptr<TShellModule> slot;
  return slot;
}

// A failure to create the module raises EOleSysError; the next use tries again.
TShellModule& Module() {
  std::unique_ptr<TShellModule>& slot = ModuleSlot();
  if (!slot) slot = std::make_unique<TShellModule>();
  return *slot;
}

constexpr int kCsidl[kRootSpecialCount] = {
    CSIDL_DESKTOP,         CSIDL_INTERNET,         CSIDL_PROGRAMS,
    CSIDL_CONTROLS,        CSIDL_PRINTERS,         CSIDL_PERSONAL,
    CSIDL_FAVORITES,       CSIDL_STARTUP,          CSIDL_RECENT,
    CSIDL_SENDTO,          CSIDL_BITBUCKET,        CSIDL_STARTMENU,
    CSIDL_DESKTOPDIRECTORY, CSIDL_DRIVES,          CSIDL_NETWORK,
    CSIDL_NETHOOD,         CSIDL_FONTS,            CSIDL_TEMPLATES,
    CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP,
    CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_APPDATA,  CSIDL_PRINTHOOD,
    CSIDL_ALTSTARTUP,      CSIDL_COMMON_ALTSTARTUP, CSIDL_COMMON_FAVORITES,
    CSIDL_INTERNET_CACHE,  CSIDL_COOKIES,          CSIDL_HISTORY,
};

// The special folder's list, or an empty owner when the shell has none.
TOwnedPidl TrySpecialFolderPidl(TRootSpecial folder, HRESULT* result = nullptr) {
  PItemIDList pidl = nullptr;
  HRESULT hr = SHGetSpecialFolderLocation(nullptr, RootSpecialCsidl(folder), &pidl);
  if (result != nullptr) *result = hr;
  return TOwnedPidl(SUCCEEDED(hr) ? pidl : nullptr);
}

}  // namespace

void ReleaseShellObjects() { ModuleSlot().reset(); }

int RootSpecialCsidl(TRootSpecial folder) {
  int index = static_cast<int>(folder);
  if (index < 0 || index >= kRootSpecialCount) return -1;
  return kCsidl[index];
}

PItemIDList GetSpecialFolderPidl(TRootSpecial folder) {
  HRESULT hr = S_OK;
  TOwnedPidl pidl = TrySpecialFolderPidl(folder, &hr);
  OleCheck(hr);
  if (!pidl) OleCheck(E_FAIL);
  return pidl.Take();
}

PItemIDList DesktopPidl() {
  PItemIDList& cached = Module().CachedDesktopPidl();
  if (cached == nullptr) cached = GetSpecialFolderPidl(rsDesktop);
  return cached;
}

PItemIDList PidlAlloc(uint32_t size) {
  void* block = Module().Malloc()->Alloc(size);
  if (block != nullptr) std::memset(block, 0, size);
  return static_cast<PItemIDList>(block);
}

void PidlFree(PItemIDList pidl) {
  if (pidl == nullptr) return;
  try {
    Module().Malloc()->Free(pidl);
  } catch (...) {
    // Without the module the shell's task allocator is still COM's.
    CoTaskMemFree(pidl);
  }
}

PItemIDList PidlNext(PItemIDList item) {
  return reinterpret_cast<PItemIDList>(reinterpret_cast<BYTE*>(item) + item->mkid.cb);
}

uint32_t PidlSize(PItemIDList pidl) {
  if (pidl == nullptr) return 0;
  uint32_t size = sizeof(USHORT);
  for (PItemIDList item = pidl; item->mkid.cb != 0; item = PidlNext(item)) size += item->mkid.cb;
  return size;
}

PItemIDList ConcatPidls(PItemIDList parent, PItemIDList child) {
  uint32_t parentBytes = parent != nullptr ? PidlSize(parent) - sizeof(USHORT) : 0;
  // A nil child counts as the empty list, so the result always has its terminator.
  uint32_t childBytes = child != nullptr ? PidlSize(child) : sizeof(USHORT);
  PItemIDList result = PidlAlloc(parentBytes + childBytes);
  if (result == nullptr) return nullptr;
  BYTE* out = reinterpret_cast<BYTE*>(result);
  if (parentBytes != 0) std::memcpy(out, parent, parentBytes);
  if (child != nullptr) std::memcpy(out + parentBytes, child, childBytes);
  return result;
}

bool PidlsEqual(PItemIDList a, PItemIDList b) {
  if (a == nullptr || b == nullptr) return a == b;
  return Module().Desktop()->CompareIDs(0, a, b) == 0;
}

bool IsDesktopPidl(PItemIDList pidl) {
  PItemIDList& cached = Module().CachedDesktopPidl();
  if (cached == nullptr) cached = TrySpecialFolderPidl(rsDesktop).Take();
  return cached != nullptr && PidlsEqual(cached, pidl);
}

bool IsSpecialFolderPidl(PItemIDList pidl, TRootSpecial folder) {
  TOwnedPidl special = TrySpecialFolderPidl(folder);
  return special && PidlsEqual(special.Get(), pidl);
}

void GetShellFolder(PItemIDList pidl, bool check, TComPtr<IShellFolder>& folder) {
  folder.Reset();
  if (IsDesktopPidl(pidl)) {
    folder = TComPtr<IShellFolder>::Share(Module().Desktop());
    return;
  }
  HRESULT hr = pidl == nullptr ? E_INVALIDARG
                               : Module().Desktop()->BindToObject(pidl, nullptr, IID_IShellFolder,
                                                                  folder.ReceiveVoid());
  if (SUCCEEDED(hr) && folder) return;
  folder.Reset();
  if (check) OleCheck(FAILED(hr) ? hr : E_NOINTERFACE);
}

std::string PidlToPath(PItemIDList pidl) {
  wchar_t path[MAX_PATH + 1] = {};
  if (pidl == nullptr || !SHGetPathFromIDListW(pidl, path)) return {};
  return OpenablePath(std::wstring(path, wcsnlen(path, MAX_PATH)));
}

bool FlagsSet(uint32_t mask, uint32_t value) { return mask != 0 && (value & mask) == mask; }
