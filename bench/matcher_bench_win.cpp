// Content matcher throughput against a bare ReadFile pass over the same file,
// measured in the same run. Generates a file of mixed-encoding text (Russian
// and English in Windows-1251, DOS 866, KOI8-R, UTF-8 and UTF-16) in the
// temporary folder, plants the searched word once at its very end, and times
// Find with every code page, case-sensitive and not. The word holds a hyphen,
// so that its WP5 form is searched too.
//
//   matcher_bench [MiB]     (default 256)
//
// Details go to stderr; stdout gets the one result line.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/codepageset.h"
#include "search/stringsearch.h"

namespace {

constexpr DWORD kReadBlock = 64 * 1024;
constexpr int kRounds = 5;
constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kPoolChunks = 96;

const wchar_t* const kWords[] = {
    L"курица", L"курочка", L"кукуруза", L"кухня", L"купец", L"дед", L"баба", L"яйцо", L"золотое",
    L"простое", L"мышка", L"бежала", L"хвостиком", L"махнула", L"упало", L"разбилось", L"плачет",
    L"Ряба", L"Кудахчет", L"КУРИНЫЙ", L"the", L"quick", L"brown", L"fox", L"jumps", L"over", L"lazy",
    L"dog", L"search", L"result", L"window", L"folder", L"file", L"and", L"of", L"to", L"in", L"is",
    L"Kuku", L"kitchen", L"cook", L"2024", L"-", L"12,5", L"(c)",
};
const wchar_t kNeedle[] = L"куку-онок";

struct Rng {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  }
};

std::string Utf16(const std::wstring& text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(static_cast<uint16_t>(text[i]) >> 8);
  }
  return bytes;
}

std::string EncodeAs(const std::wstring& text, int encoding) {
  switch (encoding) {
    case 0: return WideToMultiByte(text, 1251);
    case 1: return WideToMultiByte(text, 866);
    case 2: return WideToMultiByte(text, 20866);
    case 3: return WideToMultiByte(text, kUtf8CodePage);
    default: return Utf16(text);
  }
}

// Sentences of random words in one encoding, about kChunkBytes long, of even
// length so that UTF-16 chunks stay aligned.
std::string MakeChunk(Rng& rng, int encoding) {
  std::string chunk;
  while (chunk.size() < kChunkBytes) {
    std::wstring line;
    const int words = 6 + static_cast<int>(rng.Next() % 12);
    for (int w = 0; w < words; ++w) {
      if (w > 0) line += L' ';
      line += kWords[rng.Next() % (sizeof kWords / sizeof kWords[0])];
    }
    line += L".\r\n";
    chunk += EncodeAs(line, encoding);
  }
  if (chunk.size() % 2 != 0) chunk += ' ';
  return chunk;
}

bool Generate(const std::string& path, uint64_t bytes, int64_t& needleOffset) {
  Rng rng{12345};
  std::vector<std::string> pool;
  for (size_t i = 0; i < kPoolChunks; ++i) pool.push_back(MakeChunk(rng, static_cast<int>(i % 5)));
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  uint64_t written = 0;
  bool ok = true;
  while (ok && written < bytes) {
    const std::string& chunk = pool[rng.Next() % pool.size()];
    DWORD n = 0;
    ok = WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr) && n == chunk.size();
    written += n;
  }
  const std::string tail = "\r\n" + Utf16(std::wstring(L"\t") + kNeedle + L"\t");
  needleOffset = static_cast<int64_t>(written + 2 + 2);
  DWORD n = 0;
  ok = ok && WriteFile(h, tail.data(), static_cast<DWORD>(tail.size()), &n, nullptr) && n == tail.size();
  CloseHandle(h);
  return ok;
}

// The reference: open, read every 64 KiB block, close.
double RawRead(const std::string& path, uint64_t& total) {
  std::vector<char> buffer(kReadBlock);
  const LARGE_INTEGER t0 = TickNow();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  total = 0;
  DWORD n = 0;
  while (ReadFile(h, buffer.data(), kReadBlock, &n, nullptr) && n > 0) total += n;
  CloseHandle(h);
  return SecondsBetween(t0, TickNow());
}

// The matcher as the search thread runs it: a fresh file stream per file.
double Match(TStringSearch& search, const std::string& path, int64_t needleOffset, bool& ok) {
  const LARGE_INTEGER t0 = TickNow();
  TFileStream stream(path, fmOpenRead | fmShareDenyNone);
  search.SetStream(&stream);
  const bool found = search.Find();
  search.SetStream(nullptr);
  const double s = SecondsBetween(t0, TickNow());
  ok = found && search.Match().Offset == needleOffset && search.Match().CodePage == cpUnicode;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
  char temp[MAX_PATH + 1];
  if (GetTempPathA(sizeof temp, temp) == 0) return 2;
  const std::string folder = std::string(temp) + "ovalis-bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\mixed-text.bin";

  int64_t needleOffset = 0;
  if (!Generate(path, mib * 1024 * 1024, needleOffset)) {
    std::fprintf(stderr, "matcher bench: cannot write %s\n", path.c_str());
    return 2;
  }
  TStringSearch sensitive;
  sensitive.SetCaseSensitive(true);
  sensitive.SetCodePages(cpAllCodePages);
  sensitive.SetSearchText(kNeedle);
  TStringSearch insensitive;
  insensitive.SetCodePages(cpAllCodePages);
  insensitive.SetSearchText(kNeedle);

  uint64_t size = 0;
  RawRead(path, size);  // warm the cache
  double raw = 1e9, cs = 1e9, ci = 1e9;
  bool ok = true;
  for (int round = 0; round < kRounds; ++round) {
    bool found = false;
    raw = std::min(raw, RawRead(path, size));
    cs = std::min(cs, Match(sensitive, path, needleOffset, found));
    ok = ok && found;
    ci = std::min(ci, Match(insensitive, path, needleOffset, found));
    ok = ok && found;
  }
  DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());

  const double gb = static_cast<double>(size) / 1e9;
  std::fprintf(stderr,
               "matcher bench: %.0f MiB of mixed-encoding text, code pages %u/%u, every encoding searched, "
               "best of %d; GB = 10^9 bytes\n",
               static_cast<double>(size) / 1048576.0, GetACP(), GetOEMCP(), kRounds);
  if (!ok) {
    std::fprintf(stderr, "matcher bench: the planted text was not found where it lies\n");
    return 1;
  }
  std::printf("matcher: %.2f GB/s case-sensitive, %.2f GB/s case-insensitive, raw read %.1f GB/s, ratios %.2f and %.2f\n",
              gb / cs, gb / ci, gb / raw, raw / cs, raw / ci);
  return 0;
}
