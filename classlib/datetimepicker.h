// The date-time picker: the system "SysDateTimePick32" showing the date (or
// the time) of a TDateTime. The whole value is kept: a date picker given a
// moment keeps its time of day, and a change by the user replaces only the
// part the picker shows.
#pragma once

#include <windows.h>

#include "classlib/controls.h"
#include "classlib/datetime.h"

enum TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWinControl {
public:
  explicit TDateTimePicker(TComponent* owner);
  ~TDateTimePicker() override;
  const char* ClassName() const override { return "TDateTimePicker"; }

  // A change re-creates the window.
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind value);
  // The shown part from the window, the other part as it was given.
  TDateTime DateTime() const;
  void SetDateTime(TDateTime value);
  // The day alone (its midnight); setting it keeps the time of day.
  TDateTime Date() const;
  void SetDate(TDateTime value);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

private:
  TDateTimeKind kind_ = dtkDate;
  TDateTime value_;
};
