#include "src/log.h"

#include "platform/platform.h"
#include "src/file_io.h"

TimeStampFormat LogTimeStampFormat;

void WriteLog(const std::string& log_file, const std::string& message) {
  try {
    std::string line =
        FormatTimeStamp(LogTimeStampFormat, platform::Current().Now()) + "  " + message;
    if (line.back() != '\n') line += "\r\n";
    // The log's readers take it in the system's code page: a character that
    // the code page lacks becomes its default character there.
    std::string ansi;
    platform::Current().ToAnsi(line, &ansi);
    if (AppendToFile(log_file, ansi) > LogSizeLimit) TrimLogFile(log_file, LogSizeLimit);
  } catch (...) {
    // Whatever fails here, even memory, loses the line and nothing else.
  }
}

int64_t AppendToFile(const std::string& file, const std::string& text) {
  platform::Platform& os = platform::Current();
  // Opening and creating in one step: a log that another run creates in
  // between is appended to, never emptied.
  const platform::FileHandle handle =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, platform::kOpenAlways);
  if (handle == platform::kInvalidFile) return 0;
  if (os.SeekFile(handle, 0, platform::SeekOrigin::kEnd)) WriteAll(handle, text);
  int64_t size = 0;
  os.GetFileSize(handle, &size);
  os.CloseFile(handle);
  return size;
}

void TrimLogFile(const std::string& file, int32_t limit) {
  platform::Platform& os = platform::Current();
  const platform::FileHandle handle =
      os.OpenFile(file, platform::kGenericRead, platform::kShareRead, platform::kOpenExisting);
  if (handle == platform::kInvalidFile) return;
  // The cut is at the first line feed with fewer than `limit` bytes after it,
  // that is, at or after size - limit: only that tail needs reading.
  int64_t size = 0;
  std::string tail;
  const bool read =
      os.GetFileSize(handle, &size) && size > limit && ReadTail(handle, size - limit, size, &tail);
  os.CloseFile(handle);
  if (!read) return;
  const size_t line_feed = tail.find('\n');
  if (line_feed == std::string::npos) return;
  // Emptied in place, which keeps its attributes: Windows refuses to create a
  // hidden or system file anew.
  const platform::FileHandle output =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, platform::kTruncateExisting);
  if (output == platform::kInvalidFile) return;
  WriteAll(output, tail.substr(line_feed + 1));
  os.CloseFile(output);
}
