#include "src/time_stamp.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%02d", value);
  return text;
}

// Length of the run of `letter` (either case) that starts at `index`.
size_t RunLength(const std::string& text, size_t index, char letter) {
  size_t end = index;
  while (end < text.size() && (text[end] | 0x20) == letter) ++end;
  return end - index;
}

std::string FormatDate(const TimeStampFormat& format, const platform::LocalTime& time) {
  const std::string& pattern = format.short_date;
  std::string text;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char letter = static_cast<char>(c | 0x20);
    if (c == '\'' || c == '"') {  // quoted literal text
      size_t end = pattern.find(c, i + 1);
      if (end == std::string::npos) end = pattern.size();
      text.append(pattern, i + 1, end - i - 1);
      i = end + 1;
    } else if (letter == 'd' || letter == 'm' || letter == 'y' || letter == 'g') {
      const size_t run = RunLength(pattern, i, letter);
      if (letter == 'd') text += run == 1 ? std::to_string(time.day) : TwoDigits(time.day);
      if (letter == 'm') text += run == 1 ? std::to_string(time.month) : TwoDigits(time.month);
      if (letter == 'y') text += run <= 2 ? TwoDigits(time.year % 100) : std::to_string(time.year);
      // 'g' is the era, which the Gregorian calendar leaves out.
      i += run;
    } else if (c == '/') {
      text += format.date_separator;
      ++i;
    } else {
      text += c;
      ++i;
    }
  }
  return text;
}

std::string FormatTime(const TimeStampFormat& format, const platform::LocalTime& time) {
  int hour = time.hour;
  if (format.twelve_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
  std::string text = format.hour_leading_zero ? TwoDigits(hour) : std::to_string(hour);
  text += format.time_separator + TwoDigits(time.minute) + format.time_separator +
          TwoDigits(time.second);
  if (!format.twelve_hour) return text;
  const std::string& designator = time.hour < 12 ? format.am : format.pm;
  return format.designator_first ? designator + " " + text : text + " " + designator;
}

bool LocaleFlag(platform::LocaleField field) {
  std::string text;
  return platform::Current().LocaleText(field, &text) && std::atoi(text.c_str()) != 0;
}

void ReadLocaleText(platform::LocaleField field, std::string* text) {
  std::string value;
  if (platform::Current().LocaleText(field, &value)) *text = value;
}

}  // namespace

TimeStampFormat ReadTimeStampFormat() {
  using platform::LocaleField;
  TimeStampFormat format;
  std::string short_date;
  if (platform::Current().LocaleText(LocaleField::kShortDate, &short_date) && !short_date.empty())
    format.short_date = short_date;
  ReadLocaleText(LocaleField::kDateSeparator, &format.date_separator);
  ReadLocaleText(LocaleField::kTimeSeparator, &format.time_separator);
  format.twelve_hour = !LocaleFlag(LocaleField::kTimeFormat);
  format.hour_leading_zero = LocaleFlag(LocaleField::kHourLeadingZero);
  format.designator_first = LocaleFlag(LocaleField::kTimeMarkPosition);
  ReadLocaleText(LocaleField::kAmDesignator, &format.am);
  ReadLocaleText(LocaleField::kPmDesignator, &format.pm);
  return format;
}

std::string FormatTimeStamp(const TimeStampFormat& format, const platform::LocalTime& time) {
  std::string text = FormatDate(format, time);
  if (time.hour != 0 || time.minute != 0 || time.second != 0)
    text += " " + FormatTime(format, time);
  return text;
}
