// A component that hears the application's events, so a form can handle
// them with its own handlers (several may exist at once).
#pragma once

#include "classlib/component.h"

class TApplicationEvents : public TComponent {
public:
  explicit TApplicationEvents(TComponent* owner);
  ~TApplicationEvents() override;

  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Called by the application.
  void DoMinimize();
  void DoRestore();
};
