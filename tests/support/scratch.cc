#include "tests/support/scratch.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

namespace testing_support {
namespace {

namespace fs = std::filesystem;

// The variables SetEnvironment changed, with their values from before.
std::map<std::string, std::optional<std::string>> saved_environment;

void PutEnvironment(const std::string& name, const char* value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value : "");
#else
  value ? setenv(name.c_str(), value, 1) : unsetenv(name.c_str());
#endif
}

}  // namespace

ScratchFolder::ScratchFolder() : saved_directory_(fs::current_path().string()) {
  std::random_device random;
  fs::path path;
  do path = fs::temp_directory_path() / ("tarnwell-test-" + std::to_string(random()));
  while (!fs::create_directory(path));
  path_ = path.generic_string();
  fs::current_path(path_);
#ifndef _WIN32
  SetEnvironment("TARNWELL_PREFIX", prefix().c_str());
  SetEnvironment("XDG_DATA_HOME", Host("data").c_str());
  SetEnvironment("HOME", Host("home").c_str());
#endif
}

ScratchFolder::~ScratchFolder() {
  for (const auto& [name, value] : saved_environment)
    PutEnvironment(name, value ? value->c_str() : nullptr);
  saved_environment.clear();
  std::error_code ignored;
  fs::current_path(saved_directory_, ignored);
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::Windows(const std::string& name) const {
#ifdef _WIN32
  std::string path = Host(name);
#else
  std::string path = "Z:" + Host(name);
#endif
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void SetEnvironment(const char* name, const char* value) {
  const char* old = std::getenv(name);
  if (!saved_environment.count(name))
    saved_environment[name] = old ? std::optional<std::string>(old) : std::nullopt;
  PutEnvironment(name, value);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(path, std::ios::binary) << bytes)) std::abort();
}

std::string ReadWholeFile(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

}  // namespace testing_support
