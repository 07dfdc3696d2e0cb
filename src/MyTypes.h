// The lock-screen routines: image discovery and the random draw, applying the
// lock-screen policy through an elevated reg.exe, the log file, and the
// backup and restore of the policy values.
#ifndef TARNWELL_SRC_MYTYPES_H_
#define TARNWELL_SRC_MYTYPES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// ---------------------------------------------------------------- Images

// True for the bytes that separate the words of a command line and the items
// of a mask list: codes 1 to 32.
bool IsWordSeparator(char c);

// Splits a blank-separated mask list; an item in double quotes may hold
// blanks, and two double quotes inside it stand for one.
std::vector<std::string> SplitMasks(const std::string& masks);

// Fills `list` with the visible plain files of `directory` that match the
// masks, mask by mask; true when it found at least one.
bool FindImageFiles(const std::string& directory, const std::string& masks,
                    std::vector<std::string>& list);

// The program-wide state of the pseudo-random generator.
extern uint32_t RandSeed;

// Seeds the generator from the performance counter, or the tick count.
void Randomize();

// Advances the generator and returns an index from 0 to count - 1.
uint32_t RandomIndex(uint32_t count);

// ---------------------------------------------------------------- Log

constexpr int32_t LogSizeLimit = 0x100000;

// The locale conventions of the log's time stamp, read once at start-up.
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

// The format WriteLog stamps its lines with.
extern TimeStampFormat LogTimeStampFormat;

// The date, and the time unless it is exactly midnight.
std::string FormatTimeStamp(const TimeStampFormat& format, const platform::LocalTime& time);

// Appends one time-stamped line and trims the log when it passes the limit.
// Never fails: a log that cannot be written loses the line.
void WriteLog(const std::string& log_file, const std::string& message);

// The file's size after appending `text`, or 0 when it could not be opened.
int64_t AppendToFile(const std::string& file, const std::string& text);

// Cuts the oldest lines so that fewer than `limit` bytes remain, starting at
// a line start. A file without a suitable line feed is left as it is.
void TrimLogFile(const std::string& file, int32_t limit);

// ---------------------------------------------------------------- Lock screen

// Launches reg.exe elevated and hidden; true when the shell accepted.
bool RunElevated(const std::string& parameters);

// The same launch, waited for; true when reg.exe ended with status 0. A
// launch that gives no process to wait for counts as failed, as nothing
// shows how it ends.
bool RunElevatedAndWait(const std::string& parameters);

// Makes `image_file` the enforced lock-screen image: four reg.exe launches,
// each refused launch logged.
void ApplyLockScreen(const std::string& image_file, const std::string& log_file);

// ---------------------------------------------------------------- Backup

// The backup file in the product directory `path`.
std::string BackupFile(const std::string& path);

// True when the program runs as a 32-bit process on 64-bit Windows.
bool IsWow64();

// The backup's LockScreenImage line for a stored text.
std::string LockScreenImageLine(const std::string& image);

// Writes the current lock-screen values to `path`\reg.dat. Raises
// EFCreateError or EWriteError when the file cannot be written, in which case
// no reg.dat exists afterwards.
void SaveLockScreenBackup(const std::string& path, const std::string& log_file);

// Imports `path`\reg.dat through an elevated reg.exe, holding the file
// against change until the import has ended.
void RestoreLockScreenBackup(const std::string& path, const std::string& log_file);

#endif  // TARNWELL_SRC_MYTYPES_H_
