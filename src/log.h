// The log file: time-stamped lines appended one at a time, its oldest lines
// dropped once it passes 1 MiB. Logging never fails the run: a log that
// cannot be written loses the line, and nothing here raises.
#ifndef TARNWELL_SRC_LOG_H_
#define TARNWELL_SRC_LOG_H_

#include <cstdint>
#include <string>

#include "src/time_stamp.h"

constexpr int32_t LogSizeLimit = 0x100000;

// The format WriteLog stamps its lines with.
extern TimeStampFormat LogTimeStampFormat;

// Appends one time-stamped line and trims the log when it passes the limit.
void WriteLog(const std::string& log_file, const std::string& message);

// The file's size after appending `text`, or 0 when it could not be opened.
int64_t AppendToFile(const std::string& file, const std::string& text);

// Cuts the oldest lines so that fewer than `limit` bytes remain, starting at
// a line start. A file without a suitable line feed is left as it is.
void TrimLogFile(const std::string& file, int32_t limit);

#endif  // TARNWELL_SRC_LOG_H_
