#include "classlib/appevents.h"

#include "classlib/application.h"

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) {
  if (Application != nullptr) Application->AddEvents(this);
}

TApplicationEvents::~TApplicationEvents() {
  if (Application != nullptr) Application->RemoveEvents(this);
}

void TApplicationEvents::DoMinimize() {
  if (OnMinimize) OnMinimize(this);
}

void TApplicationEvents::DoRestore() {
  if (OnRestore) OnRestore(this);
}
