#include "src/command_line.h"

namespace {

// Reads one word from `*position` on; a double quote opens a stretch in which
// separators belong to the word, and the quotes themselves are dropped.
std::string NextWord(const std::string& line, size_t* position) {
  size_t i = *position;
  while (true) {
    while (i < line.size() && IsWordSeparator(line[i])) ++i;
    if (i + 1 < line.size() && line[i] == '"' && line[i + 1] == '"') {
      i += 2;  // an empty pair of quotes counts as a separator
    } else {
      break;
    }
  }
  std::string word;
  while (i < line.size() && line[i] != '\0' && !IsWordSeparator(line[i])) {
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '\0' && line[i] != '"'; ++i) word += line[i];
      if (i < line.size() && line[i] == '"') ++i;
    } else {
      word += line[i++];
    }
  }
  *position = i;
  return word;
}

}  // namespace

bool IsWordSeparator(char c) { return c >= 1 && c <= 32; }

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  size_t position = 0;
  NextWord(command_line, &position);  // the program's name
  std::vector<std::string> arguments;
  for (std::string word = NextWord(command_line, &position); !word.empty();
       word = NextWord(command_line, &position))
    arguments.push_back(word);
  return arguments;
}
