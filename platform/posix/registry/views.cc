#include "platform/posix/registry/views.h"

#include <vector>

#include "platform/posix/registry/key.h"

namespace registry {

namespace {

constexpr char kSoftware[] = "SOFTWARE";
constexpr char kWow64Node[] = "Wow6432Node";
constexpr char kClasses[] = "Classes";

// Keys below HKLM\SOFTWARE that Wine 8 shares between the views (links from
// SOFTWARE\Wow6432Node\<key> to SOFTWARE\<key>).
const char* const kSharedKeys[] = {
    "Microsoft\\Clients",
    "Microsoft\\Cryptography\\Calais\\Current",
    "Microsoft\\Cryptography\\Calais\\Readers",
    "Microsoft\\Cryptography\\Services",
    "Microsoft\\CTF\\SystemShared",
    "Microsoft\\CTF\\TIP",
    "Microsoft\\DFS",
    "Microsoft\\Driver Signing",
    "Microsoft\\EnterpriseCertificates",
    "Microsoft\\EventSystem",
    "Microsoft\\MSMQ",
    "Microsoft\\Non-Driver Signing",
    "Microsoft\\Notepad\\DefaultFonts",
    "Microsoft\\OLE",
    "Microsoft\\RAS",
    "Microsoft\\RPC",
    "Microsoft\\SystemCertificates",
    "Microsoft\\TermServLicensing",
    "Microsoft\\Transaction Server",
    "Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap",
    "Microsoft\\Windows\\CurrentVersion\\Group Policy",
    "Microsoft\\Windows\\CurrentVersion\\Policies",
    "Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
    "Microsoft\\Windows\\CurrentVersion\\Setup",
    "Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations",
    "Microsoft\\Windows NT\\CurrentVersion\\Console",
    "Microsoft\\Windows NT\\CurrentVersion\\FontDpi",
    "Microsoft\\Windows NT\\CurrentVersion\\FontLink",
    "Microsoft\\Windows NT\\CurrentVersion\\FontMapper",
    "Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    "Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize",
    "Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "Microsoft\\Windows NT\\CurrentVersion\\LanguagePack",
    "Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
    "Microsoft\\Windows NT\\CurrentVersion\\Perflib",
    "Microsoft\\Windows NT\\CurrentVersion\\Ports",
    "Microsoft\\Windows NT\\CurrentVersion\\Print",
    "Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    "Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
    "Policies",
    "Registered Applications",
    "Wine\\Ports",
};

// Keys below HKLM\SOFTWARE\Classes shared with Classes\Wow6432Node.
const char* const kSharedClassKeys[] = {"AppId", "Protocols", "TypeLib"};

using Parts = std::vector<std::string>;

// Length of the shared key that `parts` (from index `from`) starts with, or 0.
size_t SharedPrefix(const Parts& parts, size_t from, const char* const* table, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    Parts shared = SplitKeyPath(table[i]);
    if (parts.size() - from < shared.size()) continue;
    bool match = true;
    for (size_t j = 0; j < shared.size() && match; ++j)
      match = SameName(parts[from + j], shared[j]);
    if (match) return shared.size();
  }
  return 0;
}

template <size_t N>
size_t SharedPrefix(const Parts& parts, size_t from, const char* const (&table)[N]) {
  return SharedPrefix(parts, from, table, N);
}

std::string Join(const Parts& parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "\\") + part;
  return path;
}

Parts Concat(Parts head, const Parts& tail, size_t from) {
  head.insert(head.end(), tail.begin() + from, tail.end());
  return head;
}

// Follows the WOW6432Node links: SOFTWARE\Wow6432Node\<shared>... is
// SOFTWARE\<shared>..., SOFTWARE\Wow6432Node\Classes is
// SOFTWARE\Classes\Wow6432Node and Classes\Wow6432Node\<shared> is Classes\<shared>.
Parts FollowLinks(Parts parts) {
  if (parts.size() >= 3 && SameName(parts[1], kWow64Node)) {
    if (SharedPrefix(parts, 2, kSharedKeys) > 0) {
      return Concat({parts[0]}, parts, 2);
    }
    if (SameName(parts[2], kClasses)) {
      parts = Concat({parts[0], parts[2], kWow64Node}, parts, 3);
    }
  }
  if (parts.size() >= 4 && SameName(parts[1], kClasses) && SameName(parts[2], kWow64Node) &&
      SharedPrefix(parts, 3, kSharedClassKeys) > 0) {
    return Concat({parts[0], parts[1]}, parts, 3);
  }
  return parts;
}

}  // namespace

std::string ResolveView(platform::RootKey root, const std::string& subkey, bool view32) {
  Parts parts = SplitKeyPath(subkey);
  if (root != platform::kHkeyLocalMachine || parts.empty() || !SameName(parts[0], kSoftware)) {
    return Join(parts);
  }
  bool redirect = view32 && (parts.size() < 2 || !SameName(parts[1], kWow64Node));
  if (redirect) {
    if (parts.size() >= 2 && SameName(parts[1], kClasses)) {
      if (parts.size() < 3 || !SameName(parts[2], kWow64Node)) {
        parts = Concat({parts[0], parts[1], kWow64Node}, parts, 2);
      }
    } else {
      parts = Concat({parts[0], kWow64Node}, parts, 1);
    }
  }
  return Join(FollowLinks(parts));
}

}  // namespace registry
