// The log's time stamp under an arbitrary short-date picture, as the locale
// gives it: seven bytes of date, time and conventions, then the picture.
#include <cstdint>
#include <string>

#include "src/time_stamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  platform::LocalTime time;
  time.year = 1601 + (data[0] | (data[1] << 8)) % 29000;
  time.month = 1 + data[2] % 12;
  time.day = 1 + data[3] % 31;
  time.hour = data[4] % 24;
  time.minute = data[5] % 60;
  time.second = data[6] % 60;
  TimeStampFormat format;
  format.twelve_hour = data[6] & 0x20;
  format.designator_first = data[6] & 0x40;
  format.short_date.assign(reinterpret_cast<const char*>(data) + 7, size - 7);
  FormatTimeStamp(format, time);
  return 0;
}
