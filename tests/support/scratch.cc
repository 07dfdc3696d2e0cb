#include "tests/support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

namespace testing_support {

namespace fs = std::filesystem;

namespace {

// The values SetEnvironment replaced, as they were before the first change.
std::map<std::string, std::optional<std::string>>& SavedEnvironment() {
  static auto* saved = new std::map<std::string, std::optional<std::string>>;
  return *saved;
}

void PutEnvironment(const std::string& name, const char* value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value : "");
#else
  if (value)
    setenv(name.c_str(), value, 1);
  else
    unsetenv(name.c_str());
#endif
}

}  // namespace

ScratchFolder::ScratchFolder() {
  saved_directory_ = fs::current_path().string();
  std::random_device random;
  for (fs::path candidate;;) {
    candidate = fs::temp_directory_path() / ("tarnwell-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = candidate.generic_string();
      break;
    }
  }
  fs::current_path(path_);
#ifndef _WIN32
  SetEnvironment("TARNWELL_PREFIX", prefix().c_str());
  SetEnvironment("XDG_DATA_HOME", Host("data").c_str());
  SetEnvironment("HOME", Host("home").c_str());
#endif
}

ScratchFolder::~ScratchFolder() {
  for (const auto& [name, value] : SavedEnvironment())
    PutEnvironment(name, value ? value->c_str() : nullptr);
  SavedEnvironment().clear();
  std::error_code ignored;
  fs::current_path(saved_directory_, ignored);
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::Windows(const std::string& name) const {
  std::string path = Host(name);
#ifndef _WIN32
  path = "Z:" + path;
#endif
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void SetEnvironment(const char* name, const char* value) {
  if (!SavedEnvironment().count(name)) {
    const char* old = std::getenv(name);
    SavedEnvironment()[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  PutEnvironment(name, value);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace testing_support
