// SplitCommandLine against a model written from the splitting rule alone:
// both must give the same arguments for every line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "src/tarnwell.h"

namespace {

bool Separates(unsigned char c) { return c >= 1 && c <= 32; }

// Words are read one byte at a time; a double quote flips whether separators
// belong to the word, and is itself dropped.
std::vector<std::string> ModelArguments(const std::string& line) {
  std::vector<std::string> arguments;
  size_t at = 0;
  for (int word_number = 0;; ++word_number) {
    while (true) {
      if (at < line.size() && Separates(line[at])) {
        ++at;
      } else if (at + 1 < line.size() && line[at] == '"' && line[at + 1] == '"') {
        at += 2;
      } else {
        break;
      }
    }
    std::string word;
    bool quoted = false;
    for (; at < line.size(); ++at) {
      if (line[at] == '"') {
        quoted = !quoted;
      } else if (!quoted && Separates(line[at])) {
        break;
      } else {
        word += line[at];
      }
    }
    if (word_number == 0) continue;  // the program's name
    if (word.empty()) return arguments;
    arguments.push_back(word);
  }
}

std::string Shown(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += "[" + word + "]";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  SplitCommandLine(raw);  // bytes after a zero byte: only must not crash
  // The process's command line is a zero-terminated string.
  const std::string line = raw.substr(0, raw.find('\0'));
  const std::vector<std::string> expected = ModelArguments(line);
  const std::vector<std::string> actual = SplitCommandLine(line);
  if (actual != expected) {
    std::fprintf(stderr, "line [%s]\nexpected %s\nactual   %s\n", line.c_str(),
                 Shown(expected).c_str(), Shown(actual).c_str());
    std::abort();
  }
  return 0;
}
