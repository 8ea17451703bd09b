#include "imaging/fileformatlist.h"

#include <algorithm>

#include "classlib/picture.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"

TFileFormatList::~TFileFormatList() { Clear(); }

void TFileFormatList::Clear() {
  for (const auto& entry : classes_) TPicture::UnregisterGraphicClass(entry->GraphicClass);
  classes_.clear();
  extensions_.clear();
}

int TFileFormatList::FindExtension(std::string_view extension) const {
  if (extension.empty()) return -1;
  for (size_t i = 0; i < extensions_.size(); ++i)
    if (SameText(extensions_[i]->Extension, extension)) return static_cast<int>(i);
  return -1;
}

int TFileFormatList::FindGraphicClass(TGraphicClass graphicClass) const {
  for (size_t i = 0; i < classes_.size(); ++i)
    if (classes_[i]->GraphicClass == graphicClass) return static_cast<int>(i);
  return -1;
}

void TFileFormatList::GetExtensionList(TStrings& list) const {
  list.Clear();
  for (const auto& entry : extensions_) list.Add(entry->Extension);
}

void TFileFormatList::Attach(TExtensionEntry& entry, const std::string& commonDescription,
                             TGraphicClass graphicClass) {
  const int index = FindGraphicClass(graphicClass);
  TClassEntry* classEntry;
  if (index < 0) {
    classes_.push_back(std::make_unique<TClassEntry>());
    classEntry = classes_.back().get();
    classEntry->GraphicClass = graphicClass;
  } else {
    classEntry = classes_[static_cast<size_t>(index)].get();
  }
  if (!commonDescription.empty()) classEntry->Description = commonDescription;
  ++classEntry->Count;
  entry.ClassEntry = classEntry;
}

void TFileFormatList::RemoveClassEntry(const TClassEntry* entry) {
  std::erase_if(classes_, [&](const auto& e) { return e.get() == entry; });
}

void TFileFormatList::RegisterFileFormat(const std::string& extension,
                                         const std::string& commonDescription,
                                         const std::string& ownDescription, uint8_t formatTypes,
                                         bool replace, TGraphicClass graphicClass) {
  if (extension.empty()) return;
  const int index = FindExtension(extension);
  TExtensionEntry* entry;
  if (index < 0) {
    extensions_.push_back(std::make_unique<TExtensionEntry>());
    entry = extensions_.back().get();
    entry->Extension = extension;
    entry->Description = ownDescription;
    entry->FormatTypes = formatTypes;
    Attach(*entry, commonDescription, graphicClass);
  } else if (replace) {
    entry = extensions_[static_cast<size_t>(index)].get();
    TClassEntry* former = entry->ClassEntry;
    if (former->GraphicClass != graphicClass) {
      Attach(*entry, commonDescription, graphicClass);
      if (--former->Count == 0) RemoveClassEntry(former);
    }
  } else {
    throw EInvalidGraphic("Attempt to register " + extension + " twice.");
  }
  const std::string& description =
      ownDescription.empty() ? entry->ClassEntry->Description : ownDescription;
  TPicture::RegisterFileFormat(extension, description, graphicClass);
}

void TFileFormatList::UnregisterFileFormat(const std::string& extension,
                                           TGraphicClass graphicClass) {
  if (!extension.empty()) {
    const int index = FindExtension(extension);
    if (index < 0) return;
    TClassEntry* classEntry = extensions_[static_cast<size_t>(index)]->ClassEntry;
    if (--classEntry->Count == 0) {
      TPicture::UnregisterGraphicClass(classEntry->GraphicClass);
      RemoveClassEntry(classEntry);
    }
    extensions_.erase(extensions_.begin() + index);
    return;
  }
  // A class that was never registered has nothing to remove.
  const int classIndex = FindGraphicClass(graphicClass);
  if (classIndex < 0) return;
  TClassEntry* classEntry = classes_[static_cast<size_t>(classIndex)].get();
  for (size_t i = extensions_.size(); i-- > 0 && classEntry->Count > 0;) {
    if (extensions_[i]->ClassEntry != classEntry) continue;
    extensions_.erase(extensions_.begin() + static_cast<ptrdiff_t>(i));
    --classEntry->Count;
  }
  RemoveClassEntry(classEntry);
  TPicture::UnregisterGraphicClass(graphicClass);
}
