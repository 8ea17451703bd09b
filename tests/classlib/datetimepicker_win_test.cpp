#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "classlib/datetimepicker.h"
#include "classlib/forms.h"

namespace {

class DateTimePickerTest : public testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(360, 460, 300, 80);
    picker = new TDateTimePicker(form.get());
    picker->SetBounds(10, 10, 180, 22);
  }
  SYSTEMTIME Shown() {
    SYSTEMTIME st{};
    EXPECT_EQ(SendMessageA(picker->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
    return st;
  }
  std::unique_ptr<TForm> form;
  TDateTimePicker* picker = nullptr;
};

const TDateTime kPiDay = EncodeDate(2023, 3, 14) + EncodeTime(13, 45, 10, 500);

// A date picker given a moment shows its day and gives the whole moment
// back, before and after its window exists and when it is re-created.
TEST_F(DateTimePickerTest, WholeValueSurvivesTheWindow) {
  picker->SetDateTime(kPiDay);
  EXPECT_EQ(picker->DateTime(), kPiDay);
  picker->SetParent(form.get());
  form->Show();
  SYSTEMTIME st = Shown();
  EXPECT_EQ(st.wYear, 2023);
  EXPECT_EQ(st.wMonth, 3);
  EXPECT_EQ(st.wDay, 14);
  EXPECT_EQ(picker->DateTime(), kPiDay);
  EXPECT_EQ(picker->Date(), EncodeDate(2023, 3, 14));
  picker->RecreateWnd();
  EXPECT_EQ(picker->DateTime(), kPiDay);
  picker->SetKind(dtkTime);
  EXPECT_EQ(picker->DateTime(), kPiDay);
  EXPECT_EQ(Shown().wHour, 13);
}

// A day chosen in the window replaces the day only; setting a date keeps the
// time of day.
TEST_F(DateTimePickerTest, ChangingTheDayKeepsTheTimeOfDay) {
  picker->SetParent(form.get());
  form->Show();
  picker->SetDateTime(kPiDay);
  SYSTEMTIME chosen = Shown();
  chosen.wDay = 20;
  chosen.wHour = 0;
  chosen.wMinute = 0;
  chosen.wSecond = 0;
  chosen.wMilliseconds = 0;
  SendMessageA(picker->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
  EXPECT_EQ(picker->DateTime(), EncodeDate(2023, 3, 20) + EncodeTime(13, 45, 10, 500));
  picker->SetDate(EncodeDate(2024, 2, 29) + 0.75);
  EXPECT_EQ(picker->DateTime(), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 500));
  picker->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(picker->Handle()));
}

}  // namespace
