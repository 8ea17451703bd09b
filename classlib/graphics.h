// The abstract graphic and what every graphic class shares: colours,
// rectangles, progress events, the graphic exceptions and class references
// ("class of TGraphic": a registry entry that creates an instance and knows
// its ancestors). Portable: picture readers derive from these classes and are
// built natively too; drawing on a device context exists only on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "classlib/object.h"

#ifdef _WIN32
// The system's own handle type, declared the way windows.h declares it.
typedef struct HDC__* HDC;
#endif

class TStream;

class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
// The system (or the heap) refused the memory of an image.
class EOutOfResources : public EOutOfMemory { using EOutOfMemory::EOutOfMemory; };

// 0x00BBGGRR, as the system's COLORREF.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

inline TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
inline uint8_t RedOf(TColor c) { return static_cast<uint8_t>(c); }
inline uint8_t GreenOf(TColor c) { return static_cast<uint8_t>(c >> 8); }
inline uint8_t BlueOf(TColor c) { return static_cast<uint8_t>(c >> 16); }

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return TRect{left, top, right, bottom};
}

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                       const TRect& R, const std::string& Msg)>;

class TGraphic;

// What a class reference knows: its name, its parent and how to make an
// instance (no factory for an abstract class).
struct TGraphicClassInfo {
  const char* ClassName;
  const TGraphicClassInfo* Parent;
  TGraphic* (*Factory)();

  bool InheritsFrom(const TGraphicClassInfo* ancestor) const;
  // A new instance, or EInvalidGraphicOperation for an abstract class.
  std::unique_ptr<TGraphic> Create() const;
};
using TGraphicClass = const TGraphicClassInfo*;

// The one class reference of T (derived from Base). Each graphic class
// returns this from its StaticClass() and ClassType().
template <class T, class Base>
TGraphicClass GraphicClassOf(const char* name) {
  static const TGraphicClassInfo info{name, Base::StaticClass(), []() -> TGraphic* {
                                        if constexpr (std::is_abstract_v<T>) {
                                          return nullptr;
                                        } else {
                                          return new T();
                                        }
                                      }};
  return &info;
}

class TGraphic : public TPersistent {
public:
  TGraphic() = default;

  static TGraphicClass StaticClass();
  virtual TGraphicClass ClassType() const { return StaticClass(); }

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;

  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return modified_; }
  // Setting it (not clearing it) tells OnChange.
  void SetModified(bool value);

  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  // Open the file (others may read) and load or save through the stream.
  virtual void LoadFromFile(const std::string& fileName);
  virtual void SaveToFile(const std::string& fileName);

#ifdef _WIN32
  // Draws the picture stretched to rect.
  virtual void Draw(HDC dc, const TRect& rect) = 0;
#endif

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  // Readers report their progress through this (OnProgress when assigned).
  virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& r, const std::string& msg);

protected:
  virtual void Changed(TObject* sender);

private:
  bool transparent_ = false;
  bool modified_ = false;
};
