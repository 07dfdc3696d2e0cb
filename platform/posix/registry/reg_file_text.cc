#include "platform/posix/registry/reg_file_text.h"

#include "platform/posix/registry/encoding.h"

namespace registry {

namespace {

constexpr char kHeader5[] = "Windows Registry Editor Version 5.00";
constexpr char kHeader4[] = "REGEDIT4";
constexpr char kHeaderPrefix[] = "REGEDIT";

// Lines end at a carriage return, a line feed or both.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

RegFileHeader HeaderKind(const std::string& line) {
  size_t pos = line.find_first_not_of(" \t");
  std::string header = pos == std::string::npos ? "" : line.substr(pos);
  if (header == kHeader5) return RegFileHeader::kVersion5;
  if (header == kHeader4) return RegFileHeader::kVersion4;
  if (header.compare(0, sizeof(kHeaderPrefix) - 1, kHeaderPrefix) == 0) {
    return RegFileHeader::kIgnored;
  }
  return RegFileHeader::kInvalid;
}

}  // namespace

RegFileText ReadRegFileText(const std::string& bytes) {
  RegFileText file;
  // The first two bytes are read before the encoding is known: a line
  // break among them leaves no valid header.
  if (bytes.size() < 2 || bytes.find_first_of("\r\n") < 2) return file;
  file.wide = bytes[0] == '\xFF' && bytes[1] == '\xFE';
  file.lines = SplitLines(file.wide ? Utf16leToAnsi(bytes.substr(2)) : bytes);
  if (file.lines.empty()) return file;
  file.header = HeaderKind(file.lines.front());
  file.lines.erase(file.lines.begin());
  return file;
}

}  // namespace registry
