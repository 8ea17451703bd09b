// The picture loader: a holder of one graphic of any class, and the list of
// file formats (extension, description, graphic class) by which it picks
// the class that loads a file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "classlib/graphics.h"

class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;

  // The graphic held (nullptr when none); the picture owns it.
  TGraphic* Graphic() const { return graphic_.get(); }
  // Holds a copy of value (a new instance of its class); nullptr empties.
  void SetGraphic(TGraphic* value);
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Loads the file with the class registered for its extension. An
  // extension nobody registered raises EInvalidGraphic; a failed load
  // raises what the graphic raised and keeps the graphic held before.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  // From another picture, a graphic, or nullptr (empties).
  void Assign(TPersistent* source) override;

  TNotifyEvent OnChange;
  // The held graphic's progress, passed on.
  TProgressEvent OnProgress;

  // Adds extension (without the dot) for graphicClass. An extension may be
  // registered more than once: the latest registration wins.
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 TGraphicClass graphicClass);
  // Forgets every extension of graphicClass and of the classes derived from it.
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  // The class that loads files with extension (no dot, case ignored), or
  // nullptr.
  static TGraphicClass ClassForExtension(std::string_view extension);
  // The description that goes with the extension's registration ("" when none).
  static std::string DescriptionForExtension(std::string_view extension);
  // For the file dialogs: "Description (*.ext)|*.ext" for each extension
  // that graphicClass or a class derived from it loads, joined by "|", in
  // registration order; the mask alone ("*.bmp;*.ico"); the first extension.
  static std::string GraphicFilter(TGraphicClass graphicClass);
  static std::string GraphicFileMask(TGraphicClass graphicClass);
  static std::string ExtensionOfGraphic(TGraphicClass graphicClass);

private:
  void Adopt(std::unique_ptr<TGraphic> graphic);
  void Changed();

  std::unique_ptr<TGraphic> graphic_;
};
