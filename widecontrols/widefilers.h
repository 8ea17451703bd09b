// The wide companions of form-stream properties. Older readers mishandle
// wide strings and wide characters in a form stream, so a wide component
// also stores, for each published wide-string property P, "P_UTF7" (UTF-7,
// only when P holds a character outside 7-bit ASCII) and reads "PW"
// (UTF-8) of older writers; for each wide-character property C it stores
// "CW" (one UTF-16 unit) and reads "C_UTF7". Companion values read at run
// time are dropped unless the rule below lets them apply.
#pragma once

#include <string>

#include "classlib/filer.h"

struct TPropInfo;

// Off, and nothing in the program turns it on: at run time the published
// value in the stream is the one that counts.
extern bool WideApplyCompanionDataAtRunTime;

// Whether a companion value read now applies: the reader's owner is being
// designed, or WideApplyCompanionDataAtRunTime is on.
bool WidePersistent_ReadCompanionData(TReader& reader);

// The companions of a wide-string property.
class TWideStringPropertyFiler {
public:
  TWideStringPropertyFiler(TPersistent* instance, const TPropInfo& prop) : instance_(instance), prop_(prop) {}
  // Defines "PW" (read only) and "P_UTF7".
  void DefineProperties(TFiler* filer);

private:
  void ReadDataUTF8(TReader& reader);
  void ReadDataUTF7(TReader& reader);
  void WriteDataUTF7(TWriter& writer);
  bool HasDataUTF7(TFiler* filer);

  TPersistent* instance_;
  const TPropInfo& prop_;
};

// The companions of a wide-character property.
class TWideCharPropertyFiler {
public:
  TWideCharPropertyFiler(TPersistent* instance, const TPropInfo& prop) : instance_(instance), prop_(prop) {}
  // Defines "CW" and "C_UTF7" (read only).
  void DefineProperties(TFiler* filer);

private:
  void ReadDataW(TReader& reader);
  void ReadDataUTF7(TReader& reader);
  void WriteDataW(TWriter& writer);
  bool HasDataW(TWriter* writer);

  TPersistent* instance_;
  const TPropInfo& prop_;
};

// True when the ordinal property is not written: it cannot be both read and
// set, or its value is the ancestor's (when the writer's root descends from
// its ancestor's class), or, without such an ancestor, its declared default.
bool IsDefaultOrdPropValue(TWriter* writer, TPersistent* instance, const TPropInfo& prop);

// Called by a wide component's DefineProperties after the inherited one:
// the companions of each of its published wide-string and wide-character
// properties, in the order it publishes them.
void WidePersistent_AfterInherited_DefineProperties(TFiler* filer, TPersistent* instance);
