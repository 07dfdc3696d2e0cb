// REG EXPORT key file [/y] [/reg:32|64]: writes the key and everything below
// it as Wine's reg export does (UTF-16LE with a byte-order mark, CRLF).
#include <fstream>

#include "platform/posix/drive.h"
#include "platform/posix/registry/reg_file_writer.h"
#include "tools/reg/reg.h"

namespace reg {

int Export(const Arguments& arguments, Context* context) {
  bool overwrite = false, view32 = false, has_view = false, repeated = false;
  for (size_t i = 2; i < arguments.size(); ++i) {
    if (IsOption(arguments[i], "/y") && !overwrite) {
      overwrite = true;
    } else if (!ParseViewOption(arguments[i], &view32, &has_view, &repeated)) {
      return context->InvalidSyntax("export");
    }
  }
  if (arguments.size() < 2 || repeated) return context->InvalidSyntax("export");
  KeyName key_name;
  if (!ParseKeyName(arguments[0], &key_name, context)) return 1;

  std::string bytes;
  {
    registry::HiveSession session(context->prefix, registry::HiveSession::Mode::kRead);
    registry::Key* key = FindReadableKey(&session, key_name, view32, context);
    if (key == nullptr) return 1;
    bytes = registry::FormatExport(*key, key_name.shown);
  }
  // reg.exe asks before replacing a file without /y; no one can answer here,
  // so the file is replaced as with /y.
  const std::string& file = arguments[1];
  std::string host = platform::HostPath(file);
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  if (host.empty() || !out.write(bytes.data(), bytes.size()) || !out.flush()) {
    context->Message("Unable to write the file '" + file + "'");
    return 1;
  }
  return 0;
}

}  // namespace reg
