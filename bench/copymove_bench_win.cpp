// Planning a copy of 1,000 files of one name ("readme.txt", each in a folder
// of its own) into a folder of 10,000 entries that holds one file of that
// name already, as "Copy to..." plans it before the shell is called: the
// user agrees to replace that one, and every other file takes a free name.
// Every file holds the same bytes and bears the same time, as copies of one
// file do, so that nothing cheap tells them apart.
// The reference is the least any plan must do, in the same run: a bare
// listing of the target folder and one attribute query per source.
//
// stdout gets the one result line, "copymove: 1000 files of one name
// planned into a folder of 10000 entries in X s"; details go to stderr.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/codepage.h"
#include "shell/filetargets.h"
#include "shell/folders.h"

namespace {

constexpr int kSources = 1000;
constexpr int kEntries = 10000;

void Touch(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static const char kText[] = "Read me first.";
  DWORD written = 0;
  WriteFile(file, kText, sizeof kText - 1, &written, nullptr);
  const FILETIME written2020{0xD53E8000u, 0x01D5C0D3u};  // 1 January 2020
  SetFileTime(file, nullptr, nullptr, &written2020);
  CloseHandle(file);
}

double ListAndQuery(const std::wstring& target, const std::vector<std::wstring>& sources) {
  const LARGE_INTEGER t0 = TickNow();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((target + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    while (FindNextFileW(find, &data)) {
    }
    FindClose(find);
  }
  for (const std::wstring& source : sources) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &attributes);
  }
  return SecondsBetween(t0, TickNow());
}

}  // namespace

int main() {
  const std::string root = GetTempDir() + "ovalis-copymove-" + std::to_string(GetCurrentProcessId());
  const std::wstring wideRoot = MultiByteToWide(root);
  const std::wstring target = wideRoot + L"\\target";
  CreateDirectoryW(wideRoot.c_str(), nullptr);
  CreateDirectoryW(target.c_str(), nullptr);
  for (int i = 0; i < kEntries - 1; ++i) Touch(target + L"\\entry " + std::to_wstring(i) + L".txt");
  Touch(target + L"\\readme.txt");
  std::vector<std::wstring> sources;
  for (int i = 0; i < kSources; ++i) {
    const std::wstring folder = wideRoot + L"\\package " + std::to_wstring(i);
    CreateDirectoryW(folder.c_str(), nullptr);
    sources.push_back(folder + L"\\readme.txt");
    Touch(sources.back());
  }

  const double reference = ListAndQuery(target, sources);
  int questions = 0;
  const LARGE_INTEGER t0 = TickNow();
  const auto plan = PlanFileTargets(sources, target, TTransfer::Copy, [&](const std::wstring&) {
    ++questions;
    return TReplaceAnswer::Replace;
  });
  const double seconds = SecondsBetween(t0, TickNow());
  DeleteTree(root);

  const size_t planned = plan ? plan->Files.size() : 0;
  std::fprintf(stderr, "planned %u targets, %d question(s); listing and querying alone took %.3f s (plan %.1fx)\n",
               static_cast<unsigned>(planned), questions, reference, reference > 0 ? seconds / reference : 0.0);
  if (planned != static_cast<size_t>(kSources) || questions != 1) {
    std::fprintf(stderr, "copymove: the plan is not the expected one\n");
    return 1;
  }
  std::printf("copymove: %d files of one name planned into a folder of %d entries in %.2f s\n", kSources, kEntries,
              seconds);
  return 0;
}
