// The files a user picked, as one operation on them takes them: each
// directory entry once, however often and by whatever paths it was listed,
// and each with the nearest other picked folder it lies in (a move or a
// delete of that folder takes it along).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/fileidentity.h"

struct TPickedFile {
  std::wstring Path;  // as listed
  TFileFacts Facts;
  int Within = -1;    // index of the nearest other picked folder that holds it
  bool HoldsDestination = false;  // a folder that is the destination or holds it
  // A folder link whose target is the destination or holds it: a copy
  // follows the link, a move takes the link alone.
  bool LeadsToDestination = false;
};

struct TPickedFiles {
  std::vector<TPickedFile> Files;     // in the order picked
  std::vector<std::wstring> Missing;  // as listed: no longer there, or a name the calls cannot reach
  // Paths listed after another path of the same entry, each with the index
  // of that entry's file: the operation takes them with it, and what is
  // left afterwards is still to be looked at.
  std::vector<std::pair<std::wstring, int>> Aliases;
};

// Empty paths are left out. destination (a folder, "" for none) marks the
// picked folders it is, or lies in, however it is spelled ("..", "/") and
// through whatever links it is reached, and the picked folder links that
// lead to it; it need not be there yet.
TPickedFiles PickFiles(const std::vector<std::wstring>& paths, TFileIdentities& identities,
                       const std::wstring& destination = {});
