#include "tools/reg/reg.h"

#include <cctype>

#include "platform/posix/registry/key.h"
#include "platform/posix/registry/views.h"

namespace reg {

namespace {

struct RootAlias {
  const char* name;
  platform::RootKey root;
};

const RootAlias kRoots[] = {
    {"HKLM", platform::kHkeyLocalMachine},
    {"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
    {"HKCU", platform::kHkeyCurrentUser},
    {"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

int Context::InvalidSyntax(const std::string& command) {
  Message("Invalid syntax. Type \"REG " + Upper(command) + " /?\" for help.");
  return 1;
}

bool IsOption(const std::string& argument, const char* option) {
  return registry::SameName(argument, option);
}

bool ValueOption::Parse(const Arguments& arguments, size_t* i) {
  const std::string& option = arguments[*i];
  if (IsOption(option, "/v") && *i + 1 < arguments.size() && !has_name) {
    has_name = true;
    name = arguments[++*i];
    return true;
  }
  if (IsOption(option, "/ve") && !has_default) {
    has_default = true;
    return true;
  }
  return false;
}

bool ParseViewOption(const std::string& argument, bool* view32, bool* seen, bool* repeated) {
  bool is32 = IsOption(argument, "/reg:32");
  if (!is32 && !IsOption(argument, "/reg:64")) return false;
  if (*seen) *repeated = true;
  *seen = true;
  *view32 = is32;
  return true;
}

bool RootFromName(const std::string& name, platform::RootKey* root) {
  for (const RootAlias& alias : kRoots) {
    if (registry::SameName(name, alias.name)) {
      *root = alias.root;
      return true;
    }
  }
  return false;
}

bool ParseKeyName(const std::string& argument, KeyName* key, Context* context) {
  size_t slash = argument.find('\\');
  key->root = 0;
  if (!RootFromName(argument.substr(0, slash), &key->root)) {
    context->Message("Invalid system key");
    return false;
  }
  std::string subkey = slash == std::string::npos ? "" : argument.substr(slash + 1);
  // A line break cannot stand in a key's line of the hive.
  if (subkey.find_first_of("\r\n") != std::string::npos) {
    context->Message("Invalid registry key");
    return false;
  }
  // One trailing backslash is allowed; more name an empty key.
  if (!subkey.empty() && subkey.back() == '\\') subkey.pop_back();
  if (!subkey.empty() && subkey.back() == '\\') {
    context->Message("Invalid registry key");
    return false;
  }
  key->subkey = subkey;
  key->shown = registry::RootName(key->root);
  if (!subkey.empty()) key->shown += "\\" + subkey;
  return true;
}

registry::Key* OpenHive(registry::HiveSession* session, platform::RootKey root, bool for_change,
                        Context* context) {
  std::string error;
  registry::Key* hive =
      for_change ? session->HiveForChange(root, &error) : session->Hive(root, &error);
  if (hive == nullptr) context->Line("ERROR: " + error);
  return hive;
}

registry::Key* FindReadableKey(registry::HiveSession* session, const KeyName& key_name, bool view32,
                               Context* context) {
  registry::Key* hive = OpenHive(session, key_name.root, false, context);
  if (hive == nullptr) return nullptr;
  registry::Key* key = hive->Find(registry::ResolveView(key_name.root, key_name.subkey, view32));
  if (key == nullptr) {
    context->Message("Unable to find the specified registry key");
    return nullptr;
  }
  if (!registry::AccessGranted(*key, platform::kKeyRead)) {
    context->Message("Access is denied");
    return nullptr;
  }
  return key;
}

int CommitOrReport(registry::HiveSession* session, Context* context) {
  std::string error;
  if (session->Commit(&error)) return 0;
  context->Line("ERROR: " + error);
  return 1;
}

int Run(const Arguments& arguments, Context* context) {
  if (arguments.empty()) {
    context->Message("Type \"REG /?\" for help.");
    return 1;
  }
  const std::string& command = arguments[0];
  Arguments rest(arguments.begin() + 1, arguments.end());
  if (IsOption(command, "add")) return Add(rest, context);
  if (IsOption(command, "query")) return Query(rest, context);
  if (IsOption(command, "delete")) return Delete(rest, context);
  if (IsOption(command, "import")) return Import(rest, context);
  if (IsOption(command, "export")) return Export(rest, context);
  context->Message("Invalid option [" + command + "]. Type \"REG /?\" for help.");
  return 1;
}

}  // namespace reg
