#include "src/images.h"

#include "platform/path.h"
#include "platform/platform.h"
#include "src/command_line.h"

std::vector<std::string> SplitMasks(const std::string& masks) {
  std::vector<std::string> items;
  size_t i = 0;
  while (true) {
    while (i < masks.size() && IsWordSeparator(masks[i])) ++i;
    if (i >= masks.size() || masks[i] == '\0') break;
    std::string item;
    if (masks[i] == '"') {
      // A quoted item runs to the matching quote; "" inside stands for one.
      for (++i; i < masks.size(); ++i) {
        if (masks[i] != '"') {
          item += masks[i];
        } else if (i + 1 < masks.size() && masks[i + 1] == '"') {
          item += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    }
    // Text after a closing quote belongs to the same item.
    while (i < masks.size() && !IsWordSeparator(masks[i]) && masks[i] != '\0') item += masks[i++];
    items.push_back(item);
  }
  return items;
}

bool FindImageFiles(const std::string& directory, const std::string& masks,
                    std::vector<std::string>& list) {
  list.clear();
  const std::vector<std::string> items = SplitMasks(masks);
  if (items.empty()) return false;
  const std::string prefix = platform::IncludeTrailingDelimiter(directory);
  constexpr uint32_t kNotAnImage = platform::kAttributeDirectory | platform::kAttributeHidden |
                                   platform::kAttributeSystem | platform::kAttributeVolumeLabel;
  for (const auto& found : platform::Current().FindFiles(prefix, items)) {
    for (const platform::FoundFile& entry : found) {
      if (!(entry.attributes & kNotAnImage)) list.push_back(prefix + entry.name);
    }
  }
  return !list.empty();
}

uint32_t RandSeed = 0;

void Randomize() {
  uint64_t count = 0;
  RandSeed = platform::Current().PerformanceCounter(&count) ? static_cast<uint32_t>(count)
                                                            : platform::Current().TickCount();
}

uint32_t RandomIndex(uint32_t count) {
  RandSeed = RandSeed * 0x08088405u + 1;
  return static_cast<uint32_t>((uint64_t{count} * RandSeed) >> 32);
}
