// The root of the class hierarchy, persistent objects and the event types
// shared by all classes.
#pragma once

#include <functional>

#include "classlib/exceptions.h"

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TFiler;
struct TPublishedClass;

// An object whose state can be copied from another through Assign.
class TPersistent : public TObject {
public:
  // The table of the properties this class publishes (classlib/typinfo.h);
  // nullptr for a class that publishes none.
  virtual const TPublishedClass* PublishedClass() const { return nullptr; }

  // Copies source's state into this object; the default asks source to do it
  // (AssignTo), which raises EConvertError when neither side knows how.
  virtual void Assign(TPersistent* source);

  // The properties the object keeps in a form stream besides its published
  // ones: each is named to the filer (TFiler::DefineProperty, filer.h).
  virtual void DefineProperties(TFiler* /*filer*/) {}

protected:
  virtual void AssignTo(TPersistent* dest);
};
