// Where each file of a copy or a move into one folder lands. A file keeps
// its real (long) name there, also when it was listed by its short name; no
// file of one selection replaces another file of the same selection, nor a
// file it reaches only through that file's short name; and a file already
// in the folder is replaced only when the user says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/fileidentity.h"

enum class TTransfer { Copy, Move };

struct TFileTarget {
  std::wstring Source;    // as listed (it may go through short names)
  std::wstring Target;    // the folder by its real path, "\" and the name the file takes there
  bool Replaces = false;  // the user agreed to replace the file at Target
  TFileFacts Facts;       // the source's when planned
  TFileFacts Replaced;    // with Replaces, the file at Target the user agreed to replace
};

struct TTransferPlan {
  std::wstring Folder;  // the target folder by its real path, with a final "\"
  std::vector<TFileTarget> Files;
  // Sources the shell is not asked to take, as listed: gone since they were
  // listed, a name the shell cannot carry (one ending in "." or " "), or a
  // target past the shell's path limit, or a folder that holds the target
  // folder (by whatever path it is reached), or for a copy, a folder link
  // that leads to it.
  std::vector<std::wstring> Refused;
  // For a move: sources listed again by another path, each with the source
  // it was taken for, which goes; such a path is to be gone afterwards.
  std::vector<std::pair<std::wstring, std::wstring>> Aliases;
};

enum class TReplaceAnswer { Replace, Keep, Cancel };
// Asked about each file whose name is taken in the folder by another file of
// its kind: existing is the full path of that file, by its real name.
using TAskReplace = std::function<TReplaceAnswer(const std::wstring& existing)>;

// The targets of sources (full paths) in folder; nullopt when the user
// cancelled. The folder is listed once and files are told apart by what
// they are, not by how they were listed. Left out, besides the refused: a
// file the user keeps out of the way of a file already there, a file listed
// twice (after its first time), a file moved onto itself (it stays where it
// is, and so does a file in a picked folder that does), and a file moved
// with a picked folder that holds it. A free name of
// the form "a (2).txt" goes to a copy onto itself and to a file whose name
// is taken by a file of sources, by an earlier target, by another file's
// short name, or by a folder (a folder's name, by a file).
std::optional<TTransferPlan> PlanFileTargets(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                             TTransfer transfer, const TAskReplace& ask);

// The sources of plan, as listed, that the shell did not put where planned:
// a file has arrived where the target's real name is the planned one and it
// holds the source's size and write time (to 2 s), a copied folder where
// every file below it has so arrived below the target, and, for a move,
// where the source has left its place; and, for a move, each alias still
// there though its source went.
std::vector<std::wstring> NotArrived(const TTransferPlan& plan, TTransfer transfer);
