#include "platform/posix/command_line.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsQuotes(const std::string& argument) {
  if (argument.empty()) return true;
  for (char c : argument)
    if (IsBlank(c) || c == '"' || c == '\n' || c == '\v') return true;
  return false;
}

}  // namespace

std::string QuoteArgument(const std::string& argument) {
  if (!NeedsQuotes(argument)) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there they are doubled, and the
    // quote itself is escaped.
    if (c == '"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // The closing quote follows: the trailing backslashes must not escape it.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}

std::vector<std::string> CommandLineToArgv(const std::string& line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool in_quotes = false;
    while (i < line.size() && (in_quotes || !IsBlank(line[i]))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i >= line.size() || line[i] != '"') {
        argument.append(backslashes, '\\');
        if (i < line.size() && backslashes == 0) argument += line[i++];
        continue;
      }
      // Backslashes before a quote are halved; an odd one escapes the quote.
      argument.append(backslashes / 2, '\\');
      bool escaped = backslashes % 2 == 1;
      ++i;
      // A run of quotes: counting the open stretch as one, each third quote
      // of the run is a literal quote and leaves the stretch closed.
      int count = in_quotes ? 1 : 0;
      if (escaped)
        argument += '"';
      else
        ++count;
      while (i < line.size() && line[i] == '"') {
        ++i;
        if (++count == 3) {
          argument += '"';
          count = 0;
        }
      }
      in_quotes = count == 1;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace platform
