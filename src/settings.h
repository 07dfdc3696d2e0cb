// The product settings this program needs, read from the product's own
// registry key; every field has a default that makes a working program.
#ifndef TARNWELL_SRC_SETTINGS_H_
#define TARNWELL_SRC_SETTINGS_H_

#include <cstdint>
#include <string>

// The stock Windows lock-screen image directory.
extern const char DefaultImageDir[];

class TSettings {
 public:
  // Sets every field to its default; Path is the current directory.
  TSettings();

  // Fills the fields from the settings key; whatever cannot be read keeps
  // its value. A value whose data cannot be read raises ERegistryException.
  void Load();

  std::string Path;       // the product directory: the log and reg.dat live here
  int32_t FormLeft = -1;  // another component's window position, unused here
  int32_t FormTop = -1;
  bool Random = false;  // draw from ImageDir instead of the stock directory
  std::string ImageDir = DefaultImageDir;
};

// True when `path` holds none of "*", "?" and "|".
bool IsValidPath(const std::string& path);

#endif  // TARNWELL_SRC_SETTINGS_H_
