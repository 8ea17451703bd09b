#include "search/extract/chmpages.h"

#include <sys/types.h>

#include <mspack.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "classlib/checkedsize.h"
#include "classlib/exceptions.h"
#include "classlib/strutils.h"

// libmspack passes offsets as off_t and is built with a 64-bit one; the
// build gives this file the same (the library's self-test checks it too).
static_assert(sizeof(off_t) == 8, "off_t must match libmspack's");

namespace {

// The names libmspack is told to open: the help file, and the page that is
// being extracted. The system hooks below know no others.
constexpr char kSourceName[] = "source";
constexpr char kPageName[] = "page";

// The decompressor works in frames of this many bytes, so reaching a byte
// after a restart may cost a frame more than the bytes before it.
constexpr uint64_t kFrameBytes = 32768;

// Format notes: a help file begins with "ITSF", a version and a header
// length, then two GUIDs, {7C01FD10-7BAA-11D0-9E0C-00A0C922E6EC} at 0x18 and
// {7C01FD11-...} at 0x28. Some help compilers (chmcmd among them) write the
// first one twice, and their files are in use; libmspack refuses them, so its
// reads are shown the second GUID's one differing byte.
constexpr int64_t kSecondGuidAt = 0x28;
constexpr unsigned char kFirstGuid[16] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                          0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr unsigned char kSecondGuidByte = 0x11;

bool RepeatsTheFirstGuid(TStream& source) {
  unsigned char header[kSecondGuidAt + 16];
  try {
    source.SetPosition(0);
    if (source.Read(header, sizeof header) != static_cast<int32_t>(sizeof header)) return false;
  } catch (...) {
    return false;
  }
  return std::memcmp(header, "ITSF", 4) == 0 && std::memcmp(header + 0x18, kFirstGuid, 16) == 0 &&
         std::memcmp(header + kSecondGuidAt, kFirstGuid, 16) == 0;
}

// libmspack reaches the help file and the pages only through these hooks:
// reads stay inside the stream, writes go to the sink, and reading and the
// library's memory are counted against the limits.
struct TChmSystem {
  mspack_system sys;
  TStream* source;
  int64_t sourceSize;
  TChmPageSink* sink;
  uint64_t readLeft;
  uint64_t memoryLeft;
  uint64_t pageLeft = 0;  // bytes the page being written may still take
  uint64_t pageWritten = 0;
  bool pageFailed = false;
  bool mendSecondGuid = false;
};

struct TChmFile {
  TChmSystem* owner;
  bool output;
  int64_t position;
};

// In front of every block handed to libmspack, whose free() names no system.
struct alignas(std::max_align_t) TBlockHeader {
  TChmSystem* owner;
  uint64_t cost;  // what the block is counted as
};

// The extraction running on this thread. libmspack hands its hooks a copy
// of the system structure at times, so the structure cannot lead back here.
thread_local TChmSystem* tCurrent = nullptr;

class TCurrentScope {
public:
  explicit TCurrentScope(TChmSystem& s) : previous_(tCurrent) { tCurrent = &s; }
  ~TCurrentScope() { tCurrent = previous_; }
  TCurrentScope(const TCurrentScope&) = delete;
  TCurrentScope& operator=(const TCurrentScope&) = delete;

private:
  TChmSystem* previous_;
};

TChmFile& File(mspack_file* file) { return *reinterpret_cast<TChmFile*>(file); }

// The hooks run inside libmspack's C frames, which no exception may cross.
mspack_file* OpenHook(mspack_system*, const char* name, int mode) noexcept {
  bool output;
  if (mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, kSourceName) == 0) output = false;
  else if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kPageName) == 0) output = true;
  else return nullptr;
  return reinterpret_cast<mspack_file*>(new (std::nothrow) TChmFile{tCurrent, output, 0});
}

void CloseHook(mspack_file* file) noexcept { delete &File(file); }

int ReadHook(mspack_file* file, void* buffer, int bytes) noexcept {
  TChmFile& f = File(file);
  TChmSystem& s = *f.owner;
  if (f.output || bytes < 0) return -1;
  // Seeks keep the position within the stream, so this is never negative.
  const auto want = static_cast<int32_t>(std::min<int64_t>(bytes, s.sourceSize - f.position));
  if (static_cast<uint64_t>(want) > s.readLeft) return -1;
  try {
    s.source->SetPosition(f.position);
    int32_t got = 0;
    while (got < want) {
      int32_t n = s.source->Read(static_cast<char*>(buffer) + got, want - got);
      if (n <= 0) break;
      got += n;
    }
    if (s.mendSecondGuid && f.position <= kSecondGuidAt && kSecondGuidAt < f.position + got)
      static_cast<unsigned char*>(buffer)[kSecondGuidAt - f.position] = kSecondGuidByte;
    f.position += got;
    s.readLeft -= static_cast<uint64_t>(got);
    return got;
  } catch (...) {
    return -1;
  }
}

int WriteHook(mspack_file* file, void* buffer, int bytes) noexcept {
  TChmFile& f = File(file);
  TChmSystem& s = *f.owner;
  if (!f.output || bytes < 0 || s.pageFailed) return -1;
  if (static_cast<uint64_t>(bytes) > s.pageLeft) {
    s.pageFailed = true;
    return -1;
  }
  try {
    if (!s.sink->WritePage(buffer, static_cast<size_t>(bytes))) s.pageFailed = true;
  } catch (...) {
    s.pageFailed = true;
  }
  if (s.pageFailed) return -1;
  s.pageLeft -= static_cast<uint64_t>(bytes);
  s.pageWritten += static_cast<uint64_t>(bytes);
  f.position += bytes;
  return bytes;
}

int SeekHook(mspack_file* file, off_t offset, int mode) noexcept {
  TChmFile& f = File(file);
  const int64_t size = f.owner->sourceSize;
  if (f.output) return -1;
  int64_t base;
  switch (mode) {
    case MSPACK_SYS_SEEK_START: base = 0; break;
    case MSPACK_SYS_SEEK_CUR: base = f.position; break;
    case MSPACK_SYS_SEEK_END: base = size; break;
    default: return -1;
  }
  int64_t target;
  if (__builtin_add_overflow(base, static_cast<int64_t>(offset), &target) || target < 0 || target > size)
    return -1;
  f.position = target;
  return 0;
}

off_t TellHook(mspack_file* file) noexcept { return static_cast<off_t>(File(file).position); }

void MessageHook(mspack_file*, const char*, ...) noexcept {}

// What a block of bytes costs the heap: our header, the heap's own, and
// the rounding up to its granularity. Many small blocks (one per directory
// entry) cost far more than they ask for.
constexpr size_t kHeapOverhead = 16;
constexpr size_t kHeapGranularity = 16;

uint64_t AllocatedSize(uint64_t bytes) {
  const uint64_t whole = sizeof(TBlockHeader) + kHeapOverhead + kHeapGranularity - 1;
  if (bytes > UINT64_MAX - whole) return UINT64_MAX;
  return (bytes + whole) / kHeapGranularity * kHeapGranularity;
}

void* AllocHook(mspack_system*, size_t bytes) noexcept {
  TChmSystem& s = *tCurrent;
  const uint64_t cost = AllocatedSize(bytes);
  if (cost > s.memoryLeft || bytes > SIZE_MAX - sizeof(TBlockHeader)) return nullptr;
  auto* header = static_cast<TBlockHeader*>(std::malloc(sizeof(TBlockHeader) + bytes));
  if (header == nullptr) return nullptr;
  header->owner = &s;
  header->cost = cost;
  s.memoryLeft -= cost;
  return header + 1;
}

void FreeHook(void* block) noexcept {
  if (block == nullptr) return;
  TBlockHeader* header = static_cast<TBlockHeader*>(block) - 1;
  header->owner->memoryLeft += header->cost;
  std::free(header);
}

void CopyHook(void* from, void* to, size_t bytes) noexcept { std::memmove(to, from, bytes); }

struct TDecompressorEnd {
  void operator()(mschm_decompressor* d) const { mspack_destroy_chm_decompressor(d); }
};
using TDecompressor = std::unique_ptr<mschm_decompressor, TDecompressorEnd>;

// Closes the help file's directory before the decompressor goes.
class THelpFileScope {
public:
  THelpFileScope(mschm_decompressor& d, mschmd_header* chm) : d_(d), chm_(chm) {}
  ~THelpFileScope() {
    if (chm_ != nullptr) d_.close(&d_, chm_);
  }
  THelpFileScope(const THelpFileScope&) = delete;
  THelpFileScope& operator=(const THelpFileScope&) = delete;

private:
  mschm_decompressor& d_;
  mschmd_header* chm_;
};

// The text pages the directory lists with names that stay in the folder, in
// the order the decompressor reaches them with the least work: by section,
// then by place, so each section is decoded once, front to back. At most
// limits.pages of them, the first in the directory; the list is paid for
// from the reader's memory like the library's own blocks, for as long as it
// lives.
class TPageList {
public:
  TPageList(const mschmd_header& chm, const TChmLimits& limits, TChmSystem& s) : s_(s) {
    size_t count = 0;
    for (const mschmd_file* f = chm.files; f != nullptr && count < limits.pages; f = f->next)
      count += IsPage(*f) ? 1 : 0;
    while (count > 0 && Cost(count) > s.memoryLeft) count /= 2;
    cost_ = count == 0 ? 0 : Cost(count);
    s.memoryLeft -= cost_;
    pages_.reserve(count);
    for (mschmd_file* f = chm.files; f != nullptr && pages_.size() < count; f = f->next)
      if (IsPage(*f)) pages_.push_back(f);
    std::stable_sort(pages_.begin(), pages_.end(), [](const mschmd_file* a, const mschmd_file* b) {
      if (a->section->id != b->section->id) return a->section->id < b->section->id;
      return a->offset < b->offset;
    });
  }
  ~TPageList() { s_.memoryLeft += cost_; }
  TPageList(const TPageList&) = delete;
  TPageList& operator=(const TPageList&) = delete;

  const std::vector<mschmd_file*>& Pages() const { return pages_; }

private:
  static bool IsPage(const mschmd_file& f) {
    return f.section != nullptr && f.offset >= 0 && f.length >= 0 && IsChmTextPage(f.filename) &&
           ChmPagePath(f.filename).has_value();
  }
  static uint64_t Cost(size_t count) { return AllocatedSize(uint64_t{count} * sizeof(mschmd_file*)); }

  TChmSystem& s_;
  uint64_t cost_ = 0;
  std::vector<mschmd_file*> pages_;
};

// The compressed section is read only when the directory lists every entry
// its decompressor needs. The library looks an unlisted one up in the
// directory's index and listing chunk chains, which it follows without
// noticing a loop: a damaged or crafted file would hold it there for ever.
bool ListsCompressedSection(const mschmd_header& chm) {
  return chm.sec1.content != nullptr && chm.sec1.control != nullptr && chm.sec1.rtable != nullptr &&
         chm.sec1.spaninfo != nullptr;
}

bool IsDeviceName(std::string_view part) {
  std::string base = UpperCase(part.substr(0, part.find('.')));
  // The system drops blanks before the extension too: "CON .htm" is CON.
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '0' &&
         base[3] <= '9';
}

bool IsPlainPart(std::string_view part) {
  // A trailing dot or blank is dropped by the system, so ".. " is "..".
  if (part.empty() || part.back() == '.' || part.back() == ' ') return false;
  constexpr std::string_view kRefused = "\\:*?\"<>|";
  for (char c : part)
    if (static_cast<unsigned char>(c) < 0x20 || kRefused.find(c) != std::string_view::npos) return false;
  return !IsDeviceName(part);
}

bool EndsWithText(std::string_view name, std::string_view ext) {
  return name.size() >= ext.size() && CompareText(name.substr(name.size() - ext.size()), ext) == 0;
}

}  // namespace

bool IsChmTextPage(std::string_view name) {
  return EndsWithText(name, ".htm") || EndsWithText(name, ".html") || EndsWithText(name, ".txt") ||
         EndsWithText(name, ".xml");
}

std::optional<std::vector<std::string>> ChmPagePath(std::string_view name) {
  if (name.empty() || name.front() != '/') return std::nullopt;
  name.remove_prefix(1);
  std::vector<std::string> parts;
  for (;;) {
    const size_t slash = name.find('/');
    const std::string_view part = name.substr(0, slash);
    if (!IsPlainPart(part)) return std::nullopt;
    parts.emplace_back(part);
    if (slash == std::string_view::npos) return parts;
    name.remove_prefix(slash + 1);
  }
}

int ExtractChmPages(TStream& source, TChmPageSink& sink, const TChmLimits& limits) {
  int selftest;
  MSPACK_SYS_SELFTEST(selftest);
  if (selftest != MSPACK_ERR_OK) throw Exception("The compiled-help reader was built with other file offsets");

  TChmSystem s{{&OpenHook, &CloseHook, &ReadHook, &WriteHook, &SeekHook, &TellHook, &MessageHook, &AllocHook, &FreeHook,
                &CopyHook, nullptr},
               &source, source.Size(), &sink, limits.read, limits.memory};
  s.mendSecondGuid = RepeatsTheFirstGuid(source);
  TCurrentScope current(s);
  TDecompressor d(mspack_create_chm_decompressor(&s.sys));
  if (!d) return 0;
  mschmd_header* chm = d->open(d.get(), kSourceName);
  if (chm == nullptr) return 0;
  THelpFileScope scope(*d, chm);

  int completed = 0;
  uint64_t bytesLeft = limits.bytes;
  uint64_t decodedLeft = limits.decoded;
  const bool readCompressed = ListsCompressedSection(*chm);
  // Where the compressed section's decoder stands after the page it last
  // gave whole; after an error it starts again from a reset point.
  std::optional<uint64_t> decoderAt;
  const TPageList list(*chm, limits, s);
  for (mschmd_file* page : list.Pages()) {
    if (static_cast<uint32_t>(completed) >= limits.pages) break;
    const mschmd_file& f = *page;
    const auto offset = static_cast<uint64_t>(f.offset);
    const auto length = static_cast<uint64_t>(f.length);
    if (length > bytesLeft) continue;
    const bool compressed = f.section->id == 1;
    if (compressed && !readCompressed) continue;
    uint64_t cost = 0;
    if (!compressed) {
      // The library adds these unchecked: a page must lie inside the file.
      auto end = CheckedAdd(static_cast<uint64_t>(chm->sec0.offset), offset);
      if (end) end = CheckedAdd(*end, length);
      if (!end || *end > static_cast<uint64_t>(s.sourceSize)) continue;
    } else {
      // offset >= *decoderAt here, so the difference does not wrap.
      const bool continues = decoderAt && offset >= *decoderAt;
      auto total = CheckedAdd(continues ? offset - *decoderAt : offset, length);
      if (total && !continues) total = CheckedAdd(*total, kFrameBytes);
      if (!total || *total > decodedLeft) continue;
      cost = *total;
    }
    if (!sink.BeginPage(*ChmPagePath(f.filename))) continue;
    s.pageLeft = length;
    s.pageWritten = 0;
    s.pageFailed = false;
    const int error = d->extract(d.get(), page, kPageName);
    const bool complete = error == MSPACK_ERR_OK && !s.pageFailed && s.pageWritten == length;
    sink.EndPage(complete);
    if (compressed) {
      decodedLeft -= cost;
      decoderAt = error == MSPACK_ERR_OK ? std::optional(offset + length) : std::nullopt;
    }
    if (complete) {
      bytesLeft -= length;
      ++completed;
    }
  }
  return completed;
}
