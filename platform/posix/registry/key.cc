#include "platform/posix/registry/key.h"

#include <algorithm>

namespace registry {

namespace {

unsigned char Lower(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte;
}

}  // namespace

int CompareNames(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    int diff = Lower(a[i]) - Lower(b[i]);
    if (diff != 0) return diff;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameName(const std::string& a, const std::string& b) { return CompareNames(a, b) == 0; }

const Value* Key::FindValue(const std::string& name) const {
  for (const Value& value : values_) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

void Key::SetValue(const std::string& name, uint32_t type, std::string data) {
  auto at = std::lower_bound(
      values_.begin(), values_.end(), name,
      [](const Value& v, const std::string& n) { return CompareNames(v.name, n) < 0; });
  if (at != values_.end() && SameName(at->name, name)) {
    at->type = type;
    at->data = std::move(data);
    return;
  }
  values_.insert(at, Value{name, type, std::move(data)});
}

bool Key::DeleteValue(const std::string& name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (SameName(it->name, name)) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

Key* Key::FindSubkey(const std::string& name) const {
  for (const auto& subkey : subkeys_) {
    if (SameName(subkey->name(), name)) return subkey.get();
  }
  return nullptr;
}

Key* Key::CreateSubkey(const std::string& name) {
  auto at = std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                             [](const std::unique_ptr<Key>& k, const std::string& n) {
                               return CompareNames(k->name(), n) < 0;
                             });
  if (at != subkeys_.end() && SameName((*at)->name(), name)) return at->get();
  return subkeys_.insert(at, std::make_unique<Key>(name))->get();
}

bool Key::DeleteSubkey(const std::string& name) {
  for (auto it = subkeys_.begin(); it != subkeys_.end(); ++it) {
    if (SameName((*it)->name(), name)) {
      subkeys_.erase(it);
      return true;
    }
  }
  return false;
}

Key* Key::Find(const std::string& path) {
  Key* key = this;
  for (const std::string& part : SplitKeyPath(path)) {
    key = key->FindSubkey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

Key* Key::Create(const std::string& path) {
  Key* key = this;
  for (const std::string& part : SplitKeyPath(path)) key = key->CreateSubkey(part);
  return key;
}

bool Key::Delete(const std::string& path) {
  std::vector<std::string> parts = SplitKeyPath(path);
  if (parts.empty()) return false;
  Key* parent = this;
  for (size_t i = 0; parent != nullptr && i + 1 < parts.size(); ++i)
    parent = parent->FindSubkey(parts[i]);
  return parent != nullptr && parent->DeleteSubkey(parts.back());
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace registry
