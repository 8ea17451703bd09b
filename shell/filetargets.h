// Where each file of a copy or a move into one folder lands. A file keeps
// its real (long) name there, also when it was reached by its short name;
// no file of one selection replaces another file of the same selection; and
// a file already in the folder is replaced only when the user says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class TTransfer { Copy, Move };

struct TFileTarget {
  std::wstring Source;     // as given (it may go through short names)
  std::wstring Target;     // the folder, "\" and the name the file takes there
  bool Replaces = false;   // the user agreed to replace the file at Target
};

enum class TReplaceAnswer { Replace, Keep, Cancel };
// Asked about each file whose name is taken in the folder by a file of the
// same name: existing is the full path of that file, by its real name.
using TAskReplace = std::function<TReplaceAnswer(const std::wstring& existing)>;

// The targets of sources (full paths) in folder, in the order of sources;
// nullopt when the user cancelled. Left out: a file the user keeps out of
// the way of a file already there, a file listed twice (after its first
// time), and a file moved onto itself (it stays where it is). A free name of the form "a (2).txt" goes to a copy onto
// itself and to a file whose name is taken by a file of sources, by an
// earlier target, by another file's short name, or by a folder (a folder's
// name, by a file).
std::optional<std::vector<TFileTarget>> PlanFileTargets(const std::vector<std::wstring>& sources,
                                                        const std::wstring& folder, TTransfer transfer,
                                                        const TAskReplace& ask);

// Whether the shell put the file where it was planned: a move left its place
// for the target; a copy made the target, or, replacing, gave it the
// source's size and time.
bool Arrived(const TFileTarget& file, TTransfer transfer);

// The path with every part by its real (long) name; the path as it is when
// it is not there.
std::wstring RealPath(const std::wstring& path);
