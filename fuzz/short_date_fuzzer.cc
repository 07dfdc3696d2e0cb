// The log's time stamp with an arbitrary short-date pattern: it must render
// without crashing, a pattern of plain characters must come through with "/"
// replaced by the date separator, and the time must follow the date exactly.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "src/MyTypes.h"

namespace {

// Plain: no date letters, no quotes, single-byte.
bool IsPlain(const std::string& pattern) {
  for (unsigned char c : pattern) {
    const char letter = static_cast<char>(c | 0x20);
    if (c >= 0x80 || c == '\'' || c == '"' || letter == 'd' || letter == 'm' || letter == 'y' ||
        letter == 'g')
      return false;
  }
  return true;
}

std::string Number(int value, bool two_digits) {
  char text[16];
  std::snprintf(text, sizeof(text), two_digits ? "%02d" : "%d", value);
  return text;
}

std::string ExpectedTime(const TimeStampFormat& format, const platform::LocalTime& time) {
  if (time.hour == 0 && time.minute == 0 && time.second == 0) return "";
  int hour = time.hour;
  if (format.twelve_hour) hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
  std::string clock = Number(hour, format.hour_leading_zero) + format.time_separator +
                      Number(time.minute, true) + format.time_separator + Number(time.second, true);
  if (format.twelve_hour) {
    const std::string& designator = time.hour < 12 ? format.am : format.pm;
    clock = format.designator_first ? designator + " " + clock : clock + " " + designator;
  }
  return " " + clock;
}

void Fail(const std::string& pattern, const std::string& expected, const std::string& actual) {
  std::fprintf(stderr, "pattern [%s]\nexpected [%s]\nactual   [%s]\n", pattern.c_str(),
               expected.c_str(), actual.c_str());
  std::abort();
}

}  // namespace

// The input: seven bytes of date, time and conventions, then the pattern.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  platform::LocalTime time;
  time.year = 1601 + (data[0] | (data[1] << 8)) % 29000;
  time.month = 1 + data[2] % 12;
  time.day = 1 + data[3] % 31;
  time.hour = data[4] % 24;
  time.minute = data[5] % 60;
  time.second = (data[5] >> 6) * 20 + data[6] % 20;
  TimeStampFormat format;
  format.twelve_hour = data[6] & 0x20;
  format.hour_leading_zero = data[6] & 0x40;
  format.designator_first = data[6] & 0x80;
  format.date_separator = ".-";
  format.time_separator = "::";
  format.am = "AM";
  format.pm = "";
  format.short_date.assign(reinterpret_cast<const char*>(data) + 7, size - 7);

  const std::string stamp = FormatTimeStamp(format, time);
  const std::string clock = ExpectedTime(format, time);
  if (stamp.size() < clock.size() ||
      stamp.compare(stamp.size() - clock.size(), clock.size(), clock) != 0)
    Fail(format.short_date, "... " + clock, stamp);
  if (IsPlain(format.short_date)) {
    std::string date;
    for (char c : format.short_date) date += c == '/' ? format.date_separator : std::string(1, c);
    if (stamp != date + clock) Fail(format.short_date, date + clock, stamp);
  }
  return 0;
}
