// The log's time stamp: the locale's short date and, unless it is exactly
// midnight, its time of day, in the conventions read once at start-up.
#ifndef TARNWELL_SRC_TIME_STAMP_H_
#define TARNWELL_SRC_TIME_STAMP_H_

#include <string>

#include "platform/platform.h"

// The locale conventions of the time stamp; the defaults stand for settings
// the locale does not give.
struct TimeStampFormat {
  std::string short_date = "m/d/yy";  // "/" stands for the date separator
  std::string date_separator = "/";
  std::string time_separator = ":";
  bool twelve_hour = true;
  bool hour_leading_zero = false;
  bool designator_first = false;
  std::string am = "am";
  std::string pm = "pm";
};

TimeStampFormat ReadTimeStampFormat();

// The date, and the time unless it is exactly midnight.
std::string FormatTimeStamp(const TimeStampFormat& format, const platform::LocalTime& time);

#endif  // TARNWELL_SRC_TIME_STAMP_H_
