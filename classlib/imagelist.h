// The image list: a component around the common controls' image list. It
// either owns its list or, with ShareImages set, only borrows one (the
// shell's system image list) and never destroys it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "classlib/component.h"

class TBitmap;

class TImageList : public TComponent {
public:
  explicit TImageList(TComponent* owner);
  ~TImageList() override;

  // The list, made with the current size and mask setting when there is
  // none yet; the system's refusal raises EOutOfResources.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes value as the list (the size is read from it); the old list is
  // destroyed unless it was shared. Nil leaves no list.
  void SetHandle(HIMAGELIST value);
  // A shared list (one given to SetHandle) belongs to someone else and is
  // never destroyed here.
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool value) { shareImages_ = value; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // A new size drops the images (the list is made again at that size).
  void SetWidth(int value);
  void SetHeight(int value);
  bool Masked() const { return masked_; }
  void SetMasked(bool value);

  int Count() const;
  // Adds image cut into pieces of Width (a picture wider than one image
  // gives several); mask, when given, says which pixels are transparent.
  // The index of the first image added, -1 when the list refused it.
  int Add(TBitmap* image, TBitmap* mask);
  void Clear();

  // Told whenever the list or its images change.
  TNotifyEvent OnChange;

private:
  void FreeHandle();
  void Change();

  HIMAGELIST handle_ = nullptr;
  bool shareImages_ = false;
  bool created_ = false;  // made here, so destroyed here whatever ShareImages says
  int width_ = 16;
  int height_ = 16;
  bool masked_ = true;
};
