#include "classlib/objectinstance.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "classlib/boundary.h"
#include "classlib/exceptions.h"

namespace {

// One entry: a few instructions that insert the address of the entry's
// method as a first argument in front of the four the system pushed, then
// jump to StdWndProc (stdcall, so it removes all five).
struct alignas(16) Instance {
  uint8_t code[12];
  TWndMethod method;
  Instance* nextFree;
};

LRESULT __stdcall StdWndProc(TWndMethod* method, HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  return GuardBoundary<LRESULT>(0, [&]() -> LRESULT {
    (*method)(message);
    return message.Result;
  });
}

constexpr size_t kBlockSize = 4096;

std::mutex instancesLock;
Instance* freeList = nullptr;

void AddBlock() {
  void* block = VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
  if (block == nullptr) throw EOutOfMemory("Out of memory");
  auto* instances = static_cast<Instance*>(block);
  for (size_t i = 0; i < kBlockSize / sizeof(Instance); ++i) {
    instances[i].nextFree = freeList;
    freeList = &instances[i];
  }
}

void WriteCode(Instance* instance) {
  uint8_t* p = instance->code;
  const auto methodAddress = reinterpret_cast<uint32_t>(&instance->method);
  *p++ = 0x59;  // pop ecx (return address)
  *p++ = 0x68;  // push imm32 (the method)
  std::memcpy(p, &methodAddress, 4);
  p += 4;
  *p++ = 0x51;  // push ecx
  *p++ = 0xE9;  // jmp rel32
  const auto target = reinterpret_cast<uint32_t>(&StdWndProc);
  const uint32_t relative = target - reinterpret_cast<uint32_t>(p + 4);
  std::memcpy(p, &relative, 4);
  FlushInstructionCache(GetCurrentProcess(), instance, sizeof(Instance));
}

const char kUtilWindowClass[] = "OvalisUtilWindow";

}  // namespace

WNDPROC MakeObjectInstance(const TWndMethod& method) {
  std::lock_guard<std::mutex> guard(instancesLock);
  if (freeList == nullptr) AddBlock();
  Instance* instance = freeList;
  freeList = instance->nextFree;
  instance->method = method;
  instance->nextFree = nullptr;
  WriteCode(instance);
  return reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(instance->code));
}

void FreeObjectInstance(WNDPROC entry) {
  if (entry == nullptr) return;
  std::lock_guard<std::mutex> guard(instancesLock);
  auto* instance = reinterpret_cast<Instance*>(reinterpret_cast<void*>(entry));
  instance->method = TWndMethod();
  instance->nextFree = freeList;
  freeList = instance;
}

HWND AllocateHWnd(const TWndMethod& method) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (!GetClassInfoA(instance, kUtilWindowClass, &existing)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kUtilWindowClass;
    if (RegisterClassA(&wc) == 0) RaiseLastOSError();
  }
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) RaiseLastOSError();
  if (method)
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MakeObjectInstance(method)));
  return window;
}

void DeallocateHWnd(HWND window) {
  if (window == nullptr) return;
  auto entry = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  DestroyWindow(window);
  if (entry != DefWindowProcA) FreeObjectInstance(entry);
}
