// REG DELETE key [/v name | /ve | /va] [/f] [/reg:32|64]
#include "platform/posix/registry/views.h"
#include "tools/reg/reg.h"

namespace reg {

int Delete(const Arguments& arguments, Context* context) {
  if (arguments.empty()) return context->InvalidSyntax("delete");
  ValueOption value_option;
  bool all_values = false, force = false, view32 = false, has_view = false, repeated = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (value_option.Parse(arguments, &i)) continue;
    const std::string& option = arguments[i];
    if (IsOption(option, "/va") && !all_values) {
      all_values = true;
    } else if (IsOption(option, "/f") && !force) {
      force = true;
    } else if (!ParseViewOption(option, &view32, &has_view, &repeated)) {
      return context->InvalidSyntax("delete");
    }
  }
  if (repeated || value_option.has_name + value_option.has_default + all_values > 1)
    return context->InvalidSyntax("delete");
  KeyName key_name;
  if (!ParseKeyName(arguments[0], &key_name, context)) return 1;
  bool whole_key = !value_option.has_name && !value_option.has_default && !all_values;
  if (whole_key && key_name.subkey.empty()) {
    context->Message("Unable to delete the root key");
    return 1;
  }

  // reg.exe asks for confirmation without /f; there is no one to ask, so
  // this goes ahead as if /f had been given.
  registry::HiveSession session(context->prefix, registry::HiveSession::Mode::kWrite);
  registry::Key* hive = OpenHive(&session, key_name.root, true, context);
  if (hive == nullptr) return 1;
  std::string path = registry::ResolveView(key_name.root, key_name.subkey, view32);
  registry::Key* key = hive->Find(path);
  if (key == nullptr) {
    context->Message("Unable to find the specified registry key");
    return 1;
  }
  if (!registry::AccessGranted(*key, platform::kKeySetValue)) {
    context->Message("Access is denied");
    return 1;
  }
  if (whole_key) {
    hive->Delete(path);
  } else if (all_values) {
    key->DeleteAllValues();
  } else if (!key->DeleteValue(value_option.name)) {
    context->Message("Unable to find the specified registry value");
    return 1;
  }
  if (CommitOrReport(&session, context) != 0) return 1;
  context->Message("The operation completed successfully");
  return 0;
}

}  // namespace reg
