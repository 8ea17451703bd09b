// The image format registry: which graphic class reads which file
// extension, with a description per extension and per class. Every
// registration is passed on at once to the picture loader (TPicture), so
// that loading a picture by file name finds the class registered here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/graphics.h"

class TStrings;

// What a format is; stored with its extensions, consulted by nothing.
enum TFormatType : uint8_t {
  ftAnimation = 1,
  ftLayered = 2,
  ftMultiImage = 4,
  ftRaster = 8,
  ftVector = 16,
};

struct TClassEntry {
  TGraphicClass GraphicClass = nullptr;
  std::string Description;  // the class's common description
  int32_t Count = 0;        // extension entries that refer to this entry
};

struct TExtensionEntry {
  std::string Extension;  // without the dot, as registered
  std::string Description;
  uint8_t FormatTypes = 0;
  TClassEntry* ClassEntry = nullptr;
};

class TFileFormatList : public TObject {
public:
  TFileFormatList() = default;
  ~TFileFormatList() override;

  // Makes the picture loader forget every registered class, then empties
  // both lists.
  void Clear();
  // Index of the extension entry (letters A to Z compared without case), or
  // -1 when there is none or extension is empty.
  int FindExtension(std::string_view extension) const;
  // Index of the class entry of exactly this class (not of a parent), or -1.
  int FindGraphicClass(TGraphicClass graphicClass) const;
  // Empties list, then adds every extension in registration order.
  void GetExtensionList(TStrings& list) const;

  // Registers extension for graphicClass. An extension already registered
  // moves to graphicClass when replace is set and raises EInvalidGraphic
  // ("Attempt to register %s twice.") otherwise. The picture loader gets
  // ownDescription, or the class's common description when that is empty.
  void RegisterFileFormat(const std::string& extension, const std::string& commonDescription,
                          const std::string& ownDescription, uint8_t formatTypes, bool replace,
                          TGraphicClass graphicClass);
  // Removes one extension, or with an empty extension every extension of
  // graphicClass. The picture loader forgets a class once it has no
  // extension left here.
  void UnregisterFileFormat(const std::string& extension, TGraphicClass graphicClass);

  int ClassCount() const { return static_cast<int>(classes_.size()); }
  const TClassEntry& ClassEntries(int index) const { return *classes_.at(static_cast<size_t>(index)); }
  int ExtensionCount() const { return static_cast<int>(extensions_.size()); }
  const TExtensionEntry& ExtensionEntries(int index) const {
    return *extensions_.at(static_cast<size_t>(index));
  }

private:
  void Attach(TExtensionEntry& entry, const std::string& commonDescription,
              TGraphicClass graphicClass);
  void RemoveClassEntry(const TClassEntry* entry);

  std::vector<std::unique_ptr<TClassEntry>> classes_;
  std::vector<std::unique_ptr<TExtensionEntry>> extensions_;
};

// The registry of the program, filled with the class library's formats and
// this library's readers from program start to exit.
extern TFileFormatList* FileFormatList;
