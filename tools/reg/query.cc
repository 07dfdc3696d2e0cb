// REG QUERY key [/v name | /ve] [/s] [/reg:32|64], laid out as Wine's reg
// prints it.
#include "tools/reg/reg.h"
#include "tools/reg/value_text.h"

namespace reg {

namespace {

constexpr char kIndent[] = "    ";

std::string ValueLine(const registry::Value& value) {
  return kIndent + (value.name.empty() ? std::string("(Default)") : value.name) + kIndent +
         TypeName(value.type) + kIndent + DataText(value);
}

// A key's values under its name and a blank line; the name alone when it has
// none and is reached by /s. Then its subkeys: listed, or queried with /s.
void QueryAll(const registry::Key& key, const std::string& path, bool recurse, bool recursing,
              Context* context) {
  if (!key.values().empty() || recursing) {
    context->Line(path);
    for (const registry::Value& value : key.values()) context->Line(ValueLine(value));
    context->Line("");
  }
  for (const auto& subkey : key.subkeys()) {
    std::string subpath = path + "\\" + subkey->name();
    if (recurse) {
      QueryAll(*subkey, subpath, true, true, context);
    } else {
      context->Line(subpath);
    }
  }
}

// With /s: every key below that holds the value.
int SearchValue(const registry::Key& key, const std::string& path, const std::string& name,
                Context* context) {
  int matches = 0;
  if (const registry::Value* value = key.FindValue(name)) {
    context->Line(path);
    context->Line(ValueLine(*value));
    context->Line("");
    ++matches;
  }
  for (const auto& subkey : key.subkeys()) {
    matches += SearchValue(*subkey, path + "\\" + subkey->name(), name, context);
  }
  return matches;
}

}  // namespace

int Query(const Arguments& arguments, Context* context) {
  if (arguments.empty()) return context->InvalidSyntax("query");
  ValueOption value_option;
  bool recurse = false, view32 = false, has_view = false, repeated = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (value_option.Parse(arguments, &i)) continue;
    const std::string& option = arguments[i];
    if (IsOption(option, "/s") && !recurse) {
      recurse = true;
    } else if (!ParseViewOption(option, &view32, &has_view, &repeated)) {
      return context->InvalidSyntax("query");
    }
  }
  if (repeated || (value_option.has_name && value_option.has_default))
    return context->InvalidSyntax("query");
  KeyName key_name;
  if (!ParseKeyName(arguments[0], &key_name, context)) return 1;

  registry::HiveSession session(context->prefix, registry::HiveSession::Mode::kRead);
  registry::Key* key = FindReadableKey(&session, key_name, view32, context);
  if (key == nullptr) return 1;
  context->Line("");
  if (value_option.has_name || value_option.has_default) {
    if (recurse) {
      int matches = SearchValue(*key, key_name.shown, value_option.name, context);
      context->Line("Search complete. Number of matches found: " + std::to_string(matches));
      return 0;
    }
    const registry::Value* value = key->FindValue(value_option.name);
    if (value == nullptr && value_option.has_default) {
      // An unset default value is reported, not missing.
      context->Line(key_name.shown);
      context->Line(std::string(kIndent) + "(Default)" + kIndent + "REG_SZ" + kIndent +
                    "(value not set)");
      return 0;
    }
    if (value == nullptr) {
      context->Message("Unable to find the specified registry value");
      return 1;
    }
    context->Line(key_name.shown);
    context->Line(ValueLine(*value));
    context->Line("");
    return 0;
  }
  QueryAll(*key, key_name.shown, recurse, false, context);
  return 0;
}

}  // namespace reg
