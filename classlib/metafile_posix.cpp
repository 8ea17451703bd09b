#include "classlib/metafile.h"

TMetafile::~TMetafile() = default;

void TMetafile::Adopt(std::string data, const Header& header) {
  data_ = std::move(data);
  enhanced_ = header.enhanced;
  width_ = header.width;
  height_ = header.height;
}
