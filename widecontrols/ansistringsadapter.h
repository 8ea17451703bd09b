// An 8-bit view of a wide list, so that the class library's string lists can
// be assigned to and from it. Every operation goes to the wide list; strings
// are converted in the view's code page.
#pragma once

#include <string>

#include "classlib/stringlist.h"

class TStream;
class TWideStrings;

// An 8-bit list that can also read and write its text in a named code page.
class TAnsiStrings : public TStrings {
public:
  virtual void LoadFromStreamEx(TStream& stream, unsigned codePage) = 0;
  virtual void SaveToStreamEx(TStream& stream, unsigned codePage) const = 0;
};

class TAnsiStringsForWideStringsAdapter : public TAnsiStrings {
public:
  // codePage 0 stands for DefaultSystemCodePage.
  TAnsiStringsForWideStringsAdapter(TWideStrings* wideStrings, unsigned codePage);

  unsigned CodePage() const;

  int Count() const override;
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const std::string& s) override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const std::string& s) override;
  // Goes to the wide list's Add, so a sorted wide list takes 8-bit strings too.
  int Add(const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

  // The rest of stream, converted from codePage, becomes the list's text.
  void LoadFromStreamEx(TStream& stream, unsigned codePage) override;
  // The list's text converted to codePage, with no byte-order mark.
  void SaveToStreamEx(TStream& stream, unsigned codePage) const override;

protected:
  void SetUpdateState(bool updating) override;

private:
  TWideStrings* wideStrings_;
  unsigned codePage_;
};
