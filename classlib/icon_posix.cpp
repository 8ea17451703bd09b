#include "classlib/icon.h"

TIcon::~TIcon() = default;

void TIcon::Adopt(std::string data, const Image& image) {
  data_ = std::move(data);
  width_ = image.width;
  height_ = image.height;
}
