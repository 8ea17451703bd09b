#include <new>

#include "classlib/bitmapstore.h"

TBitmapStore::~TBitmapStore() = default;

std::unique_ptr<TBitmapStore> NewBitmapStore(int /*width*/, int /*height*/, TPixelFormat /*format*/,
                                             size_t bytes,
                                             const std::vector<TPaletteEntry>& /*colors*/) {
  auto store = std::make_unique<TBitmapStore>();
  store->memory.reset(new (std::nothrow) uint8_t[bytes]());
  if (!store->memory) throw EOutOfResources("Out of system resources");
  store->bits = store->memory.get();
  return store;
}

void SetStoreColors(TBitmapStore& /*store*/, const std::vector<TPaletteEntry>& /*colors*/) {}
