#include <cstdlib>

#include "classlib/bitmapstore.h"

TBitmapStore::~TBitmapStore() = default;

void TBitmapStore::FreeMemory::operator()(uint8_t* p) const { std::free(p); }

std::unique_ptr<TBitmapStore> NewBitmapStore(int /*width*/, int /*height*/, TPixelFormat /*format*/,
                                             size_t bytes,
                                             const std::vector<TPaletteEntry>& /*colors*/) {
  auto store = std::make_unique<TBitmapStore>();
  // Zeroed by the system, so pages no row is written to are never touched,
  // as in a DIB section.
  store->memory.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
  if (!store->memory) throw EOutOfResources("Out of system resources");
  store->bits = store->memory.get();
  return store;
}

void SetStoreColors(TBitmapStore& /*store*/, const std::vector<TPaletteEntry>& /*colors*/) {}
