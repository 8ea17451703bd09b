#include <windows.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "classlib/exceptions.h"
#include "shell/pidls.h"

namespace {

// A list of fake items, each cb bytes long (cb includes its own count), with
// payload bytes counting up from seed.
TOwnedPidl MakeList(const std::vector<USHORT>& sizes, BYTE seed) {
  uint32_t total = sizeof(USHORT);
  for (USHORT cb : sizes) total += cb;
  TOwnedPidl list(PidlAlloc(total));
  BYTE* out = reinterpret_cast<BYTE*>(list.Get());
  for (USHORT cb : sizes) {
    std::memcpy(out, &cb, sizeof cb);
    for (USHORT i = sizeof cb; i < cb; ++i) out[i] = seed++;
    out += cb;
  }
  return list;
}

bool SameBytes(PItemIDList a, PItemIDList b) {
  return PidlSize(a) == PidlSize(b) && std::memcmp(a, b, PidlSize(a)) == 0;
}

TEST(PidlSize, TerminatorOnlyIsTwoAndNilIsZero) {
  TOwnedPidl empty(PidlAlloc(2));
  ASSERT_TRUE(empty);
  EXPECT_EQ(PidlSize(empty.Get()), 2u);
  EXPECT_EQ(PidlSize(nullptr), 0u);
  TOwnedPidl three = MakeList({5, 3, 10}, 1);
  EXPECT_EQ(PidlSize(three.Get()), 20u);
  EXPECT_EQ(PidlNext(three.Get())->mkid.cb, 3);
  EXPECT_EQ(PidlNext(PidlNext(three.Get()))->mkid.cb, 10);
}

TEST(ConcatPidls, WithoutParentCopiesTheChild) {
  TOwnedPidl child = MakeList({6, 4}, 7);
  TOwnedPidl copy(ConcatPidls(nullptr, child.Get()));
  ASSERT_TRUE(copy);
  EXPECT_NE(copy.Get(), child.Get());
  EXPECT_TRUE(SameBytes(copy.Get(), child.Get()));
}

TEST(ConcatPidls, PutsParentItemsBeforeTheWholeChild) {
  TOwnedPidl parent = MakeList({4, 3}, 1);
  TOwnedPidl child = MakeList({5}, 50);
  TOwnedPidl joined(ConcatPidls(parent.Get(), child.Get()));
  ASSERT_TRUE(joined);
  EXPECT_EQ(PidlSize(joined.Get()), 4u + 3u + 5u + 2u);
  EXPECT_EQ(std::memcmp(joined.Get(), parent.Get(), 7), 0);
  EXPECT_EQ(std::memcmp(reinterpret_cast<BYTE*>(joined.Get()) + 7, child.Get(), PidlSize(child.Get())), 0);
}

// A nil child used to give a list without its terminator.
TEST(ConcatPidls, NilChildGivesTerminatedCopyOfParent) {
  TOwnedPidl parent = MakeList({4, 3}, 1);
  TOwnedPidl copy(ConcatPidls(parent.Get(), nullptr));
  ASSERT_TRUE(copy);
  EXPECT_TRUE(SameBytes(copy.Get(), parent.Get()));
}

TEST(PidlsEqual, NilCasesAndRealFolders) {
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  TOwnedPidl personalAgain(GetSpecialFolderPidl(rsPersonal));
  TOwnedPidl fonts(GetSpecialFolderPidl(rsFonts));
  EXPECT_TRUE(PidlsEqual(nullptr, nullptr));
  EXPECT_FALSE(PidlsEqual(personal.Get(), nullptr));
  EXPECT_FALSE(PidlsEqual(nullptr, personal.Get()));
  EXPECT_TRUE(PidlsEqual(personal.Get(), personalAgain.Get()));
  EXPECT_FALSE(PidlsEqual(personal.Get(), fonts.Get()));
}

TEST(IsDesktopPidl, KnowsTheDesktopAndTheEmptyList) {
  TOwnedPidl empty(PidlAlloc(2));
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  EXPECT_EQ(DesktopPidl(), DesktopPidl());
  EXPECT_TRUE(IsDesktopPidl(DesktopPidl()));
  EXPECT_TRUE(IsDesktopPidl(empty.Get()));
  EXPECT_FALSE(IsDesktopPidl(personal.Get()));
  EXPECT_FALSE(IsDesktopPidl(nullptr));
}

// Some special folders do not exist on a system (under Wine the alternate
// start-up folders): fetching raises, comparing just says "not equal".
TEST(IsSpecialFolderPidl, MissingFolderIsNotEqualInsteadOfRaising) {
  int missing = 0;
  for (int i = 0; i < kRootSpecialCount; ++i) {
    auto folder = static_cast<TRootSpecial>(i);
    SCOPED_TRACE(i);
    PItemIDList own = nullptr;
    try {
      own = GetSpecialFolderPidl(folder);
    } catch (const EOleSysError& e) {
      EXPECT_LT(e.ErrorCode(), 0);
    }
    TOwnedPidl owner(own);
    bool equal = true;
    EXPECT_NO_THROW(equal = IsSpecialFolderPidl(own, folder));
    EXPECT_EQ(equal, own != nullptr);
    if (own == nullptr) {
      ++missing;
      EXPECT_NO_THROW(equal = IsSpecialFolderPidl(DesktopPidl(), folder));
      EXPECT_FALSE(equal);
    }
  }
  if (missing == 0) std::printf("every special folder exists here; the missing case was not reached\n");
}

// Counts the task allocator's blocks that are still out.
class TCountingSpy : public IMallocSpy {
public:
  long Outstanding() const { return outstanding_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) noexcept override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) noexcept override {
    if (block != nullptr) ++outstanding_;
    return block;
  }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) noexcept override {
    if (block != nullptr && spied) --outstanding_;
    return block;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) noexcept override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newBlock, BOOL) noexcept override {
    *newBlock = block;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) noexcept override { return block; }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) noexcept override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) noexcept override { return size; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) noexcept override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int result) noexcept override { return result; }
  void STDMETHODCALLTYPE PreHeapMinimize() noexcept override {}
  void STDMETHODCALLTYPE PostHeapMinimize() noexcept override {}

private:
  std::atomic<long> outstanding_{0};
};

// The comparisons fetch a special folder's list each time and must give it back.
TEST(IsSpecialFolderPidl, GivesBackTheListItFetches) {
  // The spy stays registered until its last block is freed, so it outlives the test.
  static TCountingSpy spy;
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  for (int i = 0; i < 3; ++i) IsSpecialFolderPidl(personal.Get(), rsFonts);  // the shell's own caches
  if (FAILED(CoRegisterMallocSpy(&spy))) GTEST_SKIP() << "no allocator spy on this system";
  long before = spy.Outstanding();
  constexpr int kCalls = 40;
  for (int i = 0; i < kCalls; ++i) {
    IsSpecialFolderPidl(personal.Get(), rsFonts);
    IsSpecialFolderPidl(personal.Get(), rsPersonal);
    IsDesktopPidl(personal.Get());
  }
  long grown = spy.Outstanding() - before;
  CoRevokeMallocSpy();
  EXPECT_LT(grown, kCalls);
}

TEST(GetShellFolder, DesktopItselfBoundFolderAndFailure) {
  TComPtr<IShellFolder> desktop;
  GetShellFolder(DesktopPidl(), true, desktop);
  EXPECT_TRUE(desktop);
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  TComPtr<IShellFolder> folder;
  GetShellFolder(personal.Get(), true, folder);
  EXPECT_TRUE(folder);
  GetShellFolder(nullptr, false, folder);
  EXPECT_FALSE(folder);
  EXPECT_THROW(GetShellFolder(nullptr, true, folder), EOleSysError);
}

TEST(PidlToPath, FileSystemFolderHasItsPath) {
  TOwnedPidl personal(GetSpecialFolderPidl(rsPersonal));
  std::string path = PidlToPath(personal.Get());
  ASSERT_FALSE(path.empty());
  DWORD attributes = GetFileAttributesA(path.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(PidlToPath(nullptr), "");
}

TEST(FlagsSet, NeedsEveryBitOfANonZeroMask) {
  struct Case {
    uint32_t mask, value;
    bool expected;
  } cases[] = {{0, 0, false},   {0, 0xFF, false}, {1, 1, true},
               {3, 1, false},   {3, 7, true},     {0x80000000u, 0x80000001u, true}};
  for (const Case& c : cases) EXPECT_EQ(FlagsSet(c.mask, c.value), c.expected) << c.mask << " " << c.value;
}

}  // namespace
