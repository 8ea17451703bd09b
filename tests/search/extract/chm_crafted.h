// Compiled help files made byte by byte by the tests: a header, a directory
// of listing chunks (and, when asked, an index chunk) and an uncompressed
// section. Nothing is compressed: an entry of the compressed section is only
// named, which is all the directory loops below need.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace chm_test {

using namespace std::string_literals;

struct TEntry {
  std::string name;
  unsigned section;  // 0 uncompressed, 1 compressed
  uint64_t offset;
  uint64_t length;
};

enum TDirectory {
  dirPlain,         // listing chunks, each pointing on to the next
  dirListingCycle,  // the last listing chunk points back to the first
  dirIndexLoop,     // an index chunk, the root, that points to itself
};

constexpr uint32_t kChunkSize = 4096;

// Little-endian fields, each given as {value, bytes}.
inline void Put(std::string& out, std::initializer_list<std::pair<uint64_t, int>> fields) {
  for (auto [value, bytes] : fields)
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void PutEncInt(std::string& out, uint64_t value) {
  std::string groups(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0) groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  out += groups;
}

// A listing ("PMGL") or index ("PMGI") chunk: header, entries, and at its
// end the count of entries (the whole quick-reference area).
inline std::string Chunk(bool listing, const std::string& entries, int count, uint32_t next) {
  std::string chunk = listing ? "PMGL" : "PMGI";
  Put(chunk, {{2, 4}});
  if (listing) Put(chunk, {{0, 4}, {0xFFFFFFFF, 4}, {next, 4}});
  chunk += entries;
  chunk.resize(kChunkSize - 2, '\0');
  Put(chunk, {{static_cast<uint64_t>(count), 2}});
  return chunk;
}

// Writes the file to out as it is made, each entry listed repeat times, so
// a huge directory costs the test no memory.
inline void WriteCraftedHelpFile(std::ostream& out, const std::vector<TEntry>& entries, const std::string& section0,
                                 TDirectory directory = dirPlain, uint64_t repeat = 1) {
  std::vector<std::string> encoded;
  for (const TEntry& e : entries) {
    std::string entry;
    PutEncInt(entry, e.name.size());
    entry += e.name;
    for (uint64_t value : {uint64_t{e.section}, e.offset, e.length}) PutEncInt(entry, value);
    encoded.push_back(entry);
  }
  // Hands each listing chunk's entries to chunk(body, count, number); a
  // cycle needs a second chunk to come back from.
  auto fill = [&](auto chunk) {
    std::string body;
    int count = 0;
    uint32_t n = 0;
    for (uint64_t r = 0; r < repeat; ++r) {
      for (const std::string& entry : encoded) {
        if (body.size() + entry.size() > kChunkSize - 0x14 - 2) {
          chunk(body, count, n++);
          body.clear();
          count = 0;
        }
        body += entry;
        ++count;
      }
    }
    chunk(body, count, n++);
    if (directory == dirListingCycle && n == 1) chunk(std::string(), 0, n++);
    return n;
  };
  const uint32_t listing = fill([](const std::string&, int, uint32_t) {});
  const bool indexed = directory == dirIndexLoop;
  const uint32_t chunks = listing + (indexed ? 1 : 0);
  const uint64_t directoryBytes = 0x54 + uint64_t{chunks} * kChunkSize;
  const uint64_t contentAt = 0x78 + directoryBytes;
  const uint32_t root = indexed ? listing : 0xFFFFFFFF;
  const uint64_t guid = 0x11D0'7BAA'7C01'FD10, guidEnd = 0xECE6'22C9'A000'0C9E;
  std::string head = "ITSF";
  Put(head, {{3, 4}, {0x60, 4}, {1, 4}, {0, 4}, {0x409, 4}, {guid, 8}, {guidEnd, 8}, {guid + 1, 8}, {guidEnd, 8}});
  // The sections: header section 0, the directory, the uncompressed content.
  Put(head, {{0x60, 8}, {0x18, 8}, {0x78, 8}, {directoryBytes, 8}, {contentAt, 8}});
  Put(head, {{0x1FE, 4}, {0, 4}, {contentAt + section0.size(), 8}, {0, 8}});
  head += "ITSP";
  // Version, header size, chunk size, density, depth, root, first and last
  // listing chunk, chunk count, language, a GUID, header size again.
  Put(head, {{1, 4}, {0x54, 4}, {10, 4}, {kChunkSize, 4}, {2, 4}, {indexed ? 2u : 1u, 4}, {root, 4}, {0, 4},
             {listing - 1, 4}, {0xFFFFFFFF, 4}, {chunks, 4}, {0x409, 4}, {0, 8}, {0, 8}, {0x54, 4},
             {0xFFFFFFFF, 4}, {0xFFFFFFFF, 4}, {0xFFFFFFFF, 4}});
  out << head;
  fill([&](const std::string& body, int count, uint32_t n) {
    const bool last = n + 1 == listing;
    out << Chunk(true, body, count, !last ? n + 1 : directory == dirListingCycle ? 0 : 0xFFFFFFFF);
  });
  if (indexed) {
    // One entry, before every name, leading back to this chunk.
    std::string entry;
    PutEncInt(entry, 1);
    entry += "/";
    PutEncInt(entry, root);
    out << Chunk(false, entry, 1, 0);
  }
  out << section0;
}

inline std::string CraftedHelpFile(const std::vector<TEntry>& entries, const std::string& section0,
                                   TDirectory directory = dirPlain) {
  std::ostringstream out;
  WriteCraftedHelpFile(out, entries, section0, directory);
  return out.str();
}

// A page in each section and a directory that leaves out the entries of the
// compressed section (or lists only some), so that reading the compressed
// page sends the library looking through a directory that loops.
struct TLoopingHelpFile {
  const char* name;
  std::string bytes;
};

inline std::vector<TLoopingHelpFile> LoopingHelpFiles() {
  const std::string plain = "<p>a needle in the plain section</p>";
  // What describes the compressed section: the control data is real, so a
  // reader gets as far as the reset table.
  std::string control = "\x1C\0\0\0LZXC"s;
  // Version, reset interval and window (in 32 KiB frames), cache, unknown.
  Put(control, {{2, 4}, {1, 4}, {1, 4}, {2, 4}, {0, 4}});
  const std::string section0 = plain + control;
  const std::vector<TEntry> bare = {{"/packed.htm", 1, 0, 100}, {"/plain.htm", 0, 0, plain.size()}};
  std::vector<TEntry> some = bare;
  some.push_back({"::DataSpace/Storage/MSCompressed/Content", 0, 0, plain.size()});
  some.push_back({"::DataSpace/Storage/MSCompressed/ControlData", 0, plain.size(), control.size()});
  return {{"listing chunks in a cycle", CraftedHelpFile(bare, section0, dirListingCycle)},
          {"index chunk leading to itself", CraftedHelpFile(bare, section0, dirIndexLoop)},
          {"no reset table, listing in a cycle", CraftedHelpFile(some, section0, dirListingCycle)}};
}

}  // namespace chm_test
