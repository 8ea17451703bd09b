// Helpers of the extractor tests: fixture paths, bytes from hex, temporary
// files, and the cut and flipped variants of a good file.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "classlib/streams.h"

inline std::string DataPath(const std::string& name) {
#ifdef _WIN32
  return std::string(OVALIS_TEST_DATA) + "\\" + name;
#else
  return std::string(OVALIS_TEST_DATA) + "/" + name;
#endif
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Fixture(const std::string& name) { return ReadFileBytes(DataPath(name)); }

// Hex digits to bytes; blanks and "|" between fields are ignored.
inline std::string Hex(std::string_view hex) {
  std::string bytes;
  int high = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      bytes += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return bytes;
}

// A file under the test's temporary folder, removed when the object ends.
class TempFile {
public:
  explicit TempFile(const std::string& bytes, const std::string& suffix = ".bin") {
    static std::atomic<int> counter{0};
    path_ = ::testing::TempDir() + "ovalis_extract_" + std::to_string(counter++) + suffix;
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

// Lengths to cut a file of size bytes at: every length near both ends and
// about 200 spread between, so large fixtures stay quick.
inline std::vector<size_t> CutLengths(size_t size) {
  std::vector<size_t> lengths;
  size_t stride = size > 400 ? size / 200 : 1;
  for (size_t n = 0; n < size; ++n)
    if (n < 64 || size - n <= 64 || n % stride == 0) lengths.push_back(n);
  return lengths;
}

// Copies of good with one byte inverted, at about 300 places.
inline std::vector<std::string> FlippedCopies(const std::string& good) {
  std::vector<std::string> copies;
  size_t stride = good.size() > 300 ? good.size() / 300 : 1;
  for (size_t i = 0; i < good.size(); i += stride) {
    std::string copy = good;
    copy[i] = static_cast<char>(~copy[i]);
    copies.push_back(std::move(copy));
  }
  return copies;
}

inline std::string StreamText(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}
