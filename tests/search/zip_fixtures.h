// Zip archives made by the tests: one deflated entry with sizes of the
// test's choosing.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "search/extract/zinflate.h"

namespace search_test {

inline void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An archive of one deflated (or, with method 0, stored) entry, with the
// sizes it declares given apart from what its data really holds.
inline std::string OneEntryZip(const std::string& name, const std::string& deflated, uint32_t crc,
                               uint32_t declaredSize, uint16_t method = 8) {
  std::string zip;
  PutLe(zip, 0x04034B50, 4);
  PutLe(zip, 20, 2);
  PutLe(zip, 0, 2);
  PutLe(zip, method, 2);
  PutLe(zip, 0, 4);  // time and date
  PutLe(zip, crc, 4);
  PutLe(zip, static_cast<uint32_t>(deflated.size()), 4);
  PutLe(zip, declaredSize, 4);
  PutLe(zip, static_cast<uint32_t>(name.size()), 2);
  PutLe(zip, 0, 2);
  zip += name + deflated;
  const auto central = static_cast<uint32_t>(zip.size());
  PutLe(zip, 0x02014B50, 4);
  PutLe(zip, 20, 2);
  PutLe(zip, 20, 2);
  PutLe(zip, 0, 2);
  PutLe(zip, method, 2);
  PutLe(zip, 0, 4);
  PutLe(zip, crc, 4);
  PutLe(zip, static_cast<uint32_t>(deflated.size()), 4);
  PutLe(zip, declaredSize, 4);
  PutLe(zip, static_cast<uint32_t>(name.size()), 2);
  PutLe(zip, 0, 2);   // extra
  PutLe(zip, 0, 2);   // comment
  PutLe(zip, 0, 2);   // disk
  PutLe(zip, 0, 2);   // internal attributes
  PutLe(zip, 0, 4);   // external attributes
  PutLe(zip, 0, 4);   // local header offset
  zip += name;
  const auto centralSize = static_cast<uint32_t>(zip.size()) - central;
  PutLe(zip, 0x06054B50, 4);
  PutLe(zip, 0, 4);
  PutLe(zip, 1, 2);
  PutLe(zip, 1, 2);
  PutLe(zip, centralSize, 4);
  PutLe(zip, central, 4);
  PutLe(zip, 0, 2);
  return zip;
}

// unit repeated to total bytes, then tail, deflated (raw, or in the zlib
// format) a megabyte at a time, so the whole never sits in memory; crc, when
// given, gets the CRC-32 of what was deflated.
inline std::string DeflateRepeated(const std::string& unit, uint64_t total, bool raw, uint32_t* crc = nullptr,
                                   const std::string& tail = "") {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, raw ? -MAX_WBITS : MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string deflated;
  uLong sum = crc32(0, nullptr, 0);
  auto feed = [&](const std::string& bytes, size_t n, bool last) {
    std::vector<Bytef> out(1 << 16);
    sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(n));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(n);
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      deflated.append(reinterpret_cast<const char*>(out.data()), out.size() - z.avail_out);
    } while (z.avail_out == 0);
  };
  std::string chunk;
  while (chunk.size() < (1u << 20)) chunk += unit;
  for (uint64_t done = 0; done < total;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), total - done));
    done += n;
    feed(chunk, n, false);
  }
  feed(tail, tail.size(), true);
  deflateEnd(&z);
  if (crc != nullptr) *crc = static_cast<uint32_t>(sum);
  return deflated;
}

// Raw deflate data of bytes alone, ended on a byte boundary and not marked
// as the last block. Deflated from an empty window it refers to nothing
// before it, so it inflates to bytes wherever it stands: copies strung
// together, then kLastEmptyBlock, inflate to as many copies of bytes, for
// the time of deflating one.
inline std::string DeflatedAlone(const std::string& bytes) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string deflated(deflateBound(&z, static_cast<uLong>(bytes.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = reinterpret_cast<Bytef*>(deflated.data());
  z.avail_out = static_cast<uInt>(deflated.size());
  deflate(&z, Z_FULL_FLUSH);
  deflated.resize(deflated.size() - z.avail_out);
  deflateEnd(&z);
  return deflated;
}

// The last block of deflate data, empty: fixed codes holding only the end.
inline const std::string kLastEmptyBlock("\x03\x00", 2);

// An entry that claims a few bytes but inflates past the reader's cap, so
// extracting it raises.
inline std::string ZipBomb(const std::string& name) {
  uint32_t crc = 0;
  const std::string deflated = DeflateRepeated(std::string(1, '\0'), kMaxInflatedBytes + (1u << 20), true, &crc);
  return OneEntryZip(name, deflated, crc, 1000);
}

}  // namespace search_test
