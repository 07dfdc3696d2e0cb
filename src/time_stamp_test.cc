#include "src/time_stamp.h"

#include <gtest/gtest.h>

#include <map>
#include "tests/support/fake_platform.h"

namespace {

using platform::LocaleField;

TEST(TimeStampTest, RendersTheLocalesShortDateAndTime) {
  using Locale = std::map<LocaleField, std::string>;
  const Locale us = {{LocaleField::kShortDate, "M/d/yyyy"},
                     {LocaleField::kAmDesignator, "AM"},
                     {LocaleField::kPmDesignator, "PM"}};
  const Locale german = {{LocaleField::kShortDate, "dd.MM.yyyy"},
                         {LocaleField::kDateSeparator, "."},
                         {LocaleField::kTimeFormat, "1"},
                         {LocaleField::kHourLeadingZero, "1"}};
  const Locale designator_first = {{LocaleField::kShortDate, "yyyy-MM-dd"},
                                   {LocaleField::kTimeSeparator, "."},
                                   {LocaleField::kAmDesignator, ""},
                                   {LocaleField::kPmDesignator, "PM"},
                                   {LocaleField::kTimeMarkPosition, "1"}};
  struct Case {
    Locale locale;
    platform::LocalTime time;
    const char* stamp;
  };
  const Case cases[] = {
      // Without locale settings: short American dates, lower-case designators.
      {{}, {2026, 3, 4, 0, 0, 1}, "3/4/26 12:00:01 am"},
      {{}, {2026, 12, 6, 23, 59, 59}, "12/6/26 11:59:59 pm"},
      {{}, {2026, 12, 6, 12, 0, 0}, "12/6/26 12:00:00 pm"},
      {us, {2026, 1, 2, 0, 0, 0}, "1/2/2026"},  // midnight: the date alone
      {us, {2026, 1, 2, 13, 5, 0}, "1/2/2026 1:05:00 PM"},
      {german, {2026, 3, 4, 7, 8, 9}, "04.03.2026 07:08:09"},
      {german, {2026, 3, 4, 17, 8, 9}, "04.03.2026 17:08:09"},
      {designator_first, {2026, 3, 4, 15, 8, 9}, "2026-03-04 PM 3.08.09"},
      {designator_first, {2026, 3, 4, 9, 8, 9}, "2026-03-04  9.08.09"},
      // "/" stands for the date separator; quoted text is kept; the era is left out.
      {{{LocaleField::kShortDate, "d''/M'.'yy 'r.'"}, {LocaleField::kDateSeparator, "-"}},
       {2009, 3, 4, 0, 0, 0},
       "4-3.09 r."},
      {{{LocaleField::kShortDate, "yyyy. M. d."}}, {2026, 11, 24, 0, 0, 0}, "2026. 11. 24."},
      {{{LocaleField::kShortDate, "gg yyyy/MM/dd"}}, {2026, 11, 24, 0, 0, 0}, " 2026/11/24"},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    platform::ScopedPlatform scoped(fake);
    fake.locale = c.locale;
    EXPECT_EQ(FormatTimeStamp(ReadTimeStampFormat(), c.time), c.stamp);
  }
}

}  // namespace
