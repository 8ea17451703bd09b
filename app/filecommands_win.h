// What the user does with the results: open a file or its folder, copy or
// move the selected files, put them on the clipboard or drag them out,
// delete them to the recycle bin, show their properties, remove rows, and
// save the list as a report.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/messages.h"
#include "shell/filetargets.h"

class TFindForm;
class TObject;
class TStrings;

class TFileCommands {
public:
  explicit TFileCommands(TFindForm& form);

  void mOpenClick();
  void mFolderClick();
  void mCopyToClick();
  void mMove2SelectClick();
  void mCopyClick();
  void mDeleteClick();
  void mPropClick();
  void mListDelClick();
  void mListDelFolderClick();
  void mReportClick();
  // Opening the "File" menu: its file items work only with a selection.
  void miFileClick();

  void ListViewMouseDown(int x, int y);
  void ListViewMouseMove(TShiftState shift, int x, int y);

  // What "Copy to..." and "Move to..." do once a folder is chosen. Each file
  // arrives under its real name; a file already there is replaced only when
  // the user says so, and no file of the selection replaces another of it
  // (the later one takes a new name). A move drops only the rows whose
  // files left their places.
  void CopySelectedTo(const std::string& folder);
  void MoveSelectedTo(const std::string& folder);

  // Clears list and adds the full path of every selected row.
  void GetSelectedFiles(TStrings* list);
  // Writes the report of every row, in list order. The file is replaced only
  // once the new one is whole; a failure raises an error that names the file
  // and the system's reason, and leaves any old report as it was.
  void SaveReport(const std::string& fileName);

private:
  // Plans the targets of files in folder (asking about files already
  // there), runs the shell's operation and names the files that did not
  // arrive; false when the user cancelled.
  bool Transfer(const std::vector<std::wstring>& files, const std::string& folder, TTransfer transfer);
  // The full paths of the selected rows, as the wide calls take them.
  std::vector<std::wstring> SelectedFilesWide();
  // Removes the rows of the picked records whose files are gone from their
  // places, and the rows of everything listed inside folders, among them,
  // that are gone.
  void DropVanishedRows(const std::vector<uint32_t>& picked, const std::vector<std::wstring>& folders);
  // Tells the user which files, by their real paths, the command left.
  void NameFilesLeft(const char* says, const std::vector<std::wstring>& files);

  TFindForm& form_;
  POINT DragStart{-1, -1};
};

// The folder "Open folder" hands to the shell for a record's folder: a
// drive's root for a file in a drive root.
std::string FolderToOpen(const std::string& path);

// Opens the maker's home page and a new mail to the maker's support.
void OpenHomePage();
void MailToSupport();
