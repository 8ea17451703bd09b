#include "classlib/object.h"

void TPersistent::Assign(TPersistent* source) {
  if (source != nullptr) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to an object");
}

void TPersistent::AssignTo(TPersistent* /*dest*/) {
  throw EConvertError("Cannot assign these objects to each other");
}
