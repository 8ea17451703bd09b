#include "classlib/imagelist.h"

#include "classlib/bitmap.h"
#include "classlib/graphics.h"

namespace {
constexpr int kGrowBy = 4;
}  // namespace

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
  Destroying();
  FreeHandle();
}

void TImageList::FreeHandle() {
  if (handle_ != nullptr && (created_ || !shareImages_)) ImageList_Destroy(handle_);
  handle_ = nullptr;
  created_ = false;
}

void TImageList::Change() {
  if (OnChange) OnChange(this);
}

HIMAGELIST TImageList::Handle() {
  if (handle_ == nullptr) {
    UINT flags = ILC_COLOR24 | (masked_ ? ILC_MASK : 0);
    handle_ = ImageList_Create(width_, height_, flags, 0, kGrowBy);
    if (handle_ == nullptr) throw EOutOfResources("Unable to create the image list");
    created_ = true;
  }
  return handle_;
}

void TImageList::SetHandle(HIMAGELIST value) {
  if (value == handle_) return;
  FreeHandle();
  handle_ = value;
  int cx = 0, cy = 0;
  if (handle_ != nullptr && ImageList_GetIconSize(handle_, &cx, &cy)) {
    width_ = cx;
    height_ = cy;
  }
  Change();
}

void TImageList::SetWidth(int value) {
  if (value == width_ || value <= 0) return;
  width_ = value;
  FreeHandle();
  Change();
}

void TImageList::SetHeight(int value) {
  if (value == height_ || value <= 0) return;
  height_ = value;
  FreeHandle();
  Change();
}

void TImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  FreeHandle();
  Change();
}

int TImageList::Count() const { return handle_ != nullptr ? ImageList_GetImageCount(handle_) : 0; }

int TImageList::Add(TBitmap* image, TBitmap* mask) {
  if (image == nullptr || image->Empty()) return -1;
  int index = ImageList_Add(Handle(), image->Handle(), mask != nullptr ? mask->Handle() : nullptr);
  Change();
  return index;
}

void TImageList::Clear() {
  if (handle_ == nullptr) return;
  ImageList_Remove(handle_, -1);
  Change();
}
