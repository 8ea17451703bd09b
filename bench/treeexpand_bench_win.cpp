// Opening a folder of 10,000 subfolders in the shell folder tree, shown in a
// window as the user has it. The folder lies on the desktop (the tree's
// root), two levels down, where folders are sorted by their bytes; it is
// made in a shuffled order and removed afterwards. The reference is a bare
// listing of the same folder with the find calls, in the same run.
//
// stdout gets the one result line, "tree-expand: 10000 subfolders in X s";
// details go to stderr.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/application.h"
#include "classlib/forms.h"
#include "shell/shelltree.h"

namespace {

constexpr int kSubfolders = 10000;

std::string DesktopFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path))) return {};
  return path;
}

std::vector<std::string> SubfolderNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kSubfolders; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, i % 3 == 0 ? "folder %05d" : "Folder %05d", i);
    names.push_back(name);
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(2024));
  return names;
}

TTreeNode* ChildNamed(TTreeNode* parent, const std::string& text) {
  for (TTreeNode* n = parent->GetFirstChild(); n != nullptr; n = n->GetNextSibling())
    if (n->Text() == text) return n;
  return nullptr;
}

double ListWithFindCalls(const std::string& folder) {
  const LARGE_INTEGER t0 = TickNow();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  int count = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do ++count;
    while (FindNextFileA(find, &data));
    FindClose(find);
  }
  return count > kSubfolders ? SecondsBetween(t0, TickNow()) : -1;
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  const std::string top = "OvalisTreeBench" + std::to_string(GetCurrentProcessId());
  const std::string base = DesktopFolder() + "\\" + top;
  const std::string big = base + "\\Big";
  const std::vector<std::string> names = SubfolderNames();
  bool made = CreateDirectoryA(base.c_str(), nullptr) && CreateDirectoryA(big.c_str(), nullptr);
  for (const std::string& name : names) made = made && CreateDirectoryA((big + "\\" + name).c_str(), nullptr);

  double seconds = -1;
  double reference = -1;
  bool sorted = false;
  if (made) {
    reference = ListWithFindCalls(big);
    TForm form(nullptr);
    form.AfterConstruction();
    form.SetBounds(40, 40, 400, 600);
    auto* tree = new TShellTree(&form);
    tree->SetParent(&form);
    tree->SetBounds(0, 0, 380, 560);
    form.Show();
    Application->ProcessMessages();
    TTreeNode* folder = ChildNamed(tree->Items()->GetFirstNode(), top);
    if (folder != nullptr) {
      folder->Expand(false);
      TTreeNode* bigNode = ChildNamed(folder, "Big");
      if (bigNode != nullptr) {
        const LARGE_INTEGER t0 = TickNow();
        bigNode->Expand(false);
        Application->ProcessMessages();
        seconds = SecondsBetween(t0, TickNow());
        std::vector<std::string> shown;
        for (TTreeNode* n = bigNode->GetFirstChild(); n != nullptr; n = n->GetNextSibling()) shown.push_back(n->Text());
        sorted = shown.size() == static_cast<size_t>(kSubfolders) && std::is_sorted(shown.begin(), shown.end());
      }
    }
  }
  for (const std::string& name : names) RemoveDirectoryA((big + "\\" + name).c_str());
  RemoveDirectoryA(big.c_str());
  RemoveDirectoryA(base.c_str());
  OleUninitialize();

  if (seconds < 0 || !sorted) {
    std::fprintf(stderr, "tree-expand bench: the folder was not shown whole and sorted\n");
    return 1;
  }
  std::fprintf(stderr, "tree-expand bench: a bare listing of the folder takes %.3f s (ratio %.1f)\n", reference,
               seconds / reference);
  std::printf("tree-expand: %d subfolders in %.2f s\n", kSubfolders, seconds);
  return 0;
}
