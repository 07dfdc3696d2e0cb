// The `reg` stand-in: reg.exe's ADD, QUERY, DELETE, IMPORT and EXPORT over
// the emulated registry, with Wine's messages and exit codes (0 success, 1
// failure). Every message goes to standard output, as Wine's does. It never
// prompts: where reg.exe would ask for confirmation it goes ahead, as with /f.
#ifndef TARNWELL_TOOLS_REG_REG_H_
#define TARNWELL_TOOLS_REG_REG_H_

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/registry/hive_store.h"

namespace reg {

using Arguments = std::vector<std::string>;

// Where a command runs: the prefix holding the hives, and the text it prints.
struct Context {
  std::string prefix;
  std::string output;

  void Line(const std::string& text) { output += text + "\n"; }
  void Message(const std::string& text) { Line("reg: " + text); }
  // "reg: Invalid syntax. Type "REG ADD /?" for help."
  int InvalidSyntax(const std::string& command);
};

// A key named on the command line: "HKLM\Software\x" and the like.
struct KeyName {
  platform::RootKey root = 0;
  std::string subkey;  // without leading or trailing backslashes
  std::string shown;   // the full name as reg prints it
};

// The root a name stands for, short or long: "HKLM", "hkey_current_user".
bool RootFromName(const std::string& name, platform::RootKey* root);

// Parses a key argument, printing reg's message when it is not one.
bool ParseKeyName(const std::string& argument, KeyName* key, Context* context);

// Case-insensitive option test: IsOption("/VE", "/ve").
bool IsOption(const std::string& argument, const char* option);

// The value QUERY or DELETE names: "/v name", or "/ve" for the default value.
struct ValueOption {
  std::string name;  // empty for the default value
  bool has_name = false;
  bool has_default = false;

  // Takes "/v name" or "/ve" at arguments[*i], moving *i past the name; false
  // for any other argument, a repeat, or a "/v" without a name.
  bool Parse(const Arguments& arguments, size_t* i);
};

// "/reg:32" or "/reg:64": sets `*view32` and returns true; false for any other
// argument. A second view option is a syntax error (`*repeated`).
bool ParseViewOption(const std::string& argument, bool* view32, bool* seen, bool* repeated);

// The hive for `key`, printing an ERROR line naming a damaged hive file.
registry::Key* OpenHive(registry::HiveSession* session, platform::RootKey root, bool for_change,
                        Context* context);
int CommitOrReport(registry::HiveSession* session, Context* context);

// The existing key `key_name` names in the chosen view, readable; null after
// saying why not.
registry::Key* FindReadableKey(registry::HiveSession* session, const KeyName& key_name, bool view32,
                               Context* context);

int Add(const Arguments& arguments, Context* context);
int Query(const Arguments& arguments, Context* context);
int Delete(const Arguments& arguments, Context* context);
int Import(const Arguments& arguments, Context* context);
int Export(const Arguments& arguments, Context* context);

// Runs one command line (without the program name).
int Run(const Arguments& arguments, Context* context);

}  // namespace reg

#endif  // TARNWELL_TOOLS_REG_REG_H_
