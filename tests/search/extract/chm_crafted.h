// Compiled help files made byte by byte by the tests: a header, a directory
// of listing chunks (and, when asked, an index chunk) and an uncompressed
// section. Nothing is compressed: an entry of the compressed section is only
// named, which is all the directory loops below need.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace chm_test {

using namespace std::string_literals;

// Runs work on a thread of its own and waits a generous time for it. Work
// that hangs cannot be stopped: the test program then fails and ends at once
// instead of waiting for it.
template <class Work>
void EndsWithin(std::chrono::seconds limit, const std::string& what, Work work) {
  std::packaged_task<void()> task(std::move(work));
  std::future<void> done = task.get_future();
  std::thread(std::move(task)).detach();
  if (done.wait_for(limit) == std::future_status::ready) return done.get();
  ADD_FAILURE() << what << " did not end within " << limit.count() << " s";
  std::fflush(stdout);
  std::_Exit(1);
}

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

inline void PutLe(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void PutEncInt(std::string& out, uint64_t value) {
  std::string groups(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0) groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  out += groups;
}

// A chunk of kind "PMGL" or "PMGI": its header, the entries, and at its end
// the count of entries.
inline std::string Chunk(const char* kind, const std::string& entries, int count, uint32_t next) {
  std::string chunk = kind;
  PutLe(chunk, 2, 4);  // quick-reference area: the count alone
  if (kind[3] == 'L') {
    PutLe(chunk, 0, 4);
    PutLe(chunk, 0xFFFFFFFF, 4);  // previous chunk
    PutLe(chunk, next, 4);
  }
  chunk += entries;
  chunk.resize(kChunkSize - 2, '\0');
  PutLe(chunk, static_cast<uint64_t>(count), 2);
  return chunk;
}

// Writes the file to out; each entry is listed repeat times (the file is
// written as it is made, so a huge directory costs the test no memory).
inline void WriteCraftedHelpFile(std::ostream& out, const std::vector<TEntry>& entries, const std::string& section0,
                                 TDirectory directory = dirPlain, uint64_t repeat = 1) {
  std::vector<std::string> encoded;
  for (const TEntry& e : entries) {
    std::string entry;
    PutEncInt(entry, e.name.size());
    entry += e.name;
    PutEncInt(entry, e.section);
    PutEncInt(entry, e.offset);
    PutEncInt(entry, e.length);
    encoded.push_back(entry);
  }
  // Hands the listing chunks' contents to chunk(body, count), as many as the
  // entries fill; a cycle needs a second chunk to come back from.
  auto fill = [&](auto chunk) {
    std::string body;
    int count = 0;
    uint32_t chunks = 0;
    for (uint64_t r = 0; r < repeat; ++r) {
      for (const std::string& entry : encoded) {
        if (body.size() + entry.size() > kChunkSize - 0x14 - 2) {
          chunk(body, count, chunks++);
          body.clear();
          count = 0;
        }
        body += entry;
        ++count;
      }
    }
    chunk(body, count, chunks++);
    if (directory == dirListingCycle && chunks == 1) chunk(std::string(), 0, chunks++);
    return chunks;
  };
  const uint32_t listing = fill([](const std::string&, int, uint32_t) {});
  const uint32_t chunkCount = listing + (directory == dirIndexLoop ? 1 : 0);
  const uint64_t chunkBytes = uint64_t{chunkCount} * kChunkSize;

  constexpr uint64_t kHeader = 0x60, kSection0Header = 0x18, kDirectoryHeader = 0x54;
  const uint64_t directoryAt = kHeader + kSection0Header;
  const uint64_t contentAt = directoryAt + kDirectoryHeader + chunkBytes;
  const uint64_t fileSize = contentAt + section0.size();
  const unsigned char guids[32] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11, 0x9E, 0x0C, 0x00,
                                   0xA0, 0xC9, 0x22, 0xE6, 0xEC, 0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B,
                                   0xD0, 0x11, 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
  std::string file = "ITSF";
  PutLe(file, 3, 4);        // version
  PutLe(file, kHeader, 4);  // header length
  PutLe(file, 1, 4);
  PutLe(file, 0, 4);        // time stamp
  PutLe(file, 0x409, 4);    // language
  file.append(reinterpret_cast<const char*>(guids), sizeof guids);
  PutLe(file, kHeader, 8);  // header section 0
  PutLe(file, kSection0Header, 8);
  PutLe(file, directoryAt, 8);  // header section 1: the directory
  PutLe(file, kDirectoryHeader + chunkBytes, 8);
  PutLe(file, contentAt, 8);  // the uncompressed section

  PutLe(file, 0x1FE, 4);
  PutLe(file, 0, 4);
  PutLe(file, fileSize, 8);
  PutLe(file, 0, 8);

  const uint32_t root = directory == dirIndexLoop ? listing : 0xFFFFFFFF;
  file += "ITSP";
  PutLe(file, 1, 4);
  PutLe(file, kDirectoryHeader, 4);
  PutLe(file, 10, 4);
  PutLe(file, kChunkSize, 4);
  PutLe(file, 2, 4);  // quick-reference density
  PutLe(file, directory == dirIndexLoop ? 2 : 1, 4);  // depth
  PutLe(file, root, 4);
  PutLe(file, 0, 4);            // first listing chunk
  PutLe(file, listing - 1, 4);  // last listing chunk
  PutLe(file, 0xFFFFFFFF, 4);
  PutLe(file, chunkCount, 4);
  PutLe(file, 0x409, 4);
  file.append(16, '\0');
  PutLe(file, kDirectoryHeader, 4);
  PutLe(file, 0xFFFFFFFF, 4);
  PutLe(file, 0xFFFFFFFF, 4);
  PutLe(file, 0xFFFFFFFF, 4);
  out << file;

  fill([&](const std::string& body, int count, uint32_t n) {
    uint32_t next = n + 1 < listing ? n + 1 : 0xFFFFFFFF;
    if (directory == dirListingCycle && n + 1 == listing) next = 0;
    out << Chunk("PMGL", body, count, next);
  });
  if (directory == dirIndexLoop) {
    // One entry, before every name, leading back to this chunk.
    std::string entry;
    PutEncInt(entry, 1);
    entry += "/";
    PutEncInt(entry, root);
    out << Chunk("PMGI", entry, 1, 0);
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
  PutLe(control, 2, 4);  // version
  PutLe(control, 1, 4);  // reset interval, in 32 KiB frames
  PutLe(control, 1, 4);  // window, in 32 KiB frames
  PutLe(control, 2, 4);
  PutLe(control, 0, 4);
  const std::string section0 = plain + control;
  const TEntry pages[] = {{"/packed.htm", 1, 0, 100}, {"/plain.htm", 0, 0, plain.size()}};
  const TEntry partial[] = {{"::DataSpace/Storage/MSCompressed/Content", 0, 0, plain.size()},
                            {"::DataSpace/Storage/MSCompressed/ControlData", 0, plain.size(), control.size()},
                            {"/packed.htm", 1, 0, 100},
                            {"/plain.htm", 0, 0, plain.size()}};
  const std::vector<TEntry> bare(std::begin(pages), std::end(pages));
  const std::vector<TEntry> some(std::begin(partial), std::end(partial));
  return {{"listing chunks in a cycle", CraftedHelpFile(bare, section0, dirListingCycle)},
          {"index chunk leading to itself", CraftedHelpFile(bare, section0, dirIndexLoop)},
          {"no reset table, listing in a cycle", CraftedHelpFile(some, section0, dirListingCycle)}};
}

}  // namespace chm_test
