#include "classlib/datetimepicker.h"

#include <commctrl.h>

#include <cmath>

#include "classlib/commoncontrols.h"

namespace {

SYSTEMTIME ToSystemTime(TDateTime value) {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(value, year, month, day, hour, minute, second, ms);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

// The day number and milliseconds of a window's value; false for fields a
// date cannot hold.
bool SplitSystemTime(const SYSTEMTIME& st, int64_t& days, int32_t& msOfDay) {
  TDateTime date, time;
  if (!TryEncodeDate(st.wYear, st.wMonth, st.wDay, date) ||
      !TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time))
    return false;
  int32_t unused;
  SplitDateTime(date, days, unused);
  int64_t none;
  SplitDateTime(time, none, msOfDay);
  return true;
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner), value_(Now()) {
  width_ = 186;
  height_ = 21;
  SetTabStop(true);
}

TDateTimePicker::~TDateTimePicker() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TDateTimePicker::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_DATE_CLASSES);
  CreateSubClass(params, DATETIMEPICK_CLASSA);
  params.Style |= kind_ == dtkDate ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TDateTimePicker::CreateWnd() {
  TWinControl::CreateWnd();
  SYSTEMTIME st = ToSystemTime(value_);
  SendMessageA(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void TDateTimePicker::DestroyWnd() {
  value_ = DateTime();
  TWinControl::DestroyWnd();
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
  if (value == kind_) return;
  kind_ = value;
  RecreateWnd();
}

TDateTime TDateTimePicker::DateTime() const {
  if (!HandleAllocated()) return value_;
  SYSTEMTIME st{};
  auto* self = const_cast<TDateTimePicker*>(this);
  if (SendMessageA(self->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return value_;
  int64_t shownDays, keptDays;
  int32_t shownMs, keptMs;
  if (!SplitSystemTime(st, shownDays, shownMs)) return value_;
  SplitDateTime(value_, keptDays, keptMs);
  return kind_ == dtkDate ? ComposeDateTime(shownDays, keptMs) : ComposeDateTime(keptDays, shownMs);
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  if (std::isnan(value)) value = 0;
  value_ = value;
  if (!HandleAllocated()) return;
  SYSTEMTIME st = ToSystemTime(value);
  SendMessageA(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::Date() const {
  int64_t days;
  int32_t ms;
  SplitDateTime(DateTime(), days, ms);
  return ComposeDateTime(days, 0);
}

void TDateTimePicker::SetDate(TDateTime value) {
  int64_t days, keptDays;
  int32_t ms, keptMs;
  SplitDateTime(value, days, ms);
  SplitDateTime(DateTime(), keptDays, keptMs);
  SetDateTime(ComposeDateTime(days, keptMs));
}
