// Writes the pages of a compiled help file's reader (chmpages.h) into a
// folder, as files below it named after the pages. Windows only.
#pragma once

#include <string>
#include <vector>

#include "search/extract/chmpages.h"
#include "shell/owners.h"

class TChmFolderWriter : public TChmPageSink {
public:
  // folder exists and has no "\" at its end.
  explicit TChmFolderWriter(std::string folder) : folder_(std::move(folder)) {}

  // A page goes to its own name below the folder, with the folders on its
  // way. A name the folder cannot take as it is (a part outside ASCII, a path
  // too long, a name already taken) is made up at the top of the folder,
  // keeping the page's extension. A name is never reused, so no page
  // replaces another. False when no file can be made.
  bool BeginPage(const std::vector<std::string>& parts) override;
  bool WritePage(const void* data, size_t size) override;
  // An incomplete page's file is deleted.
  void EndPage(bool complete) override;

private:
  std::string folder_;
  std::string path_;
  TOwnedHandle file_;
  unsigned madeUp_ = 0;
};
