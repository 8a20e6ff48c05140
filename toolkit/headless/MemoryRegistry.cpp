#include "toolkit/headless/MemoryRegistry.h"

#include "toolkit/FileSystem.h"

namespace toolkit::headless {
namespace {

std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

}  // namespace

bool MemoryRegistry::Normalize(const std::string& path, std::string& folded, std::string* spelt) {
  std::string rest = path;
  if (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  // A name relative to the root may not start with a separator; one at the start of the path
  // only said the path starts at the root.
  if (!rest.empty() && rest.front() == '\\') return false;
  // Further on, the registry skips a run of separators as one, and separators at the end.
  folded.clear();
  if (spelt != nullptr) spelt->clear();
  std::size_t at = 0;
  while (at < rest.size()) {
    std::size_t end = rest.find('\\', at);
    if (end == std::string::npos) end = rest.size();
    if (end > at) {
      if (!folded.empty()) folded += '\\';
      folded += Fold(rest.substr(at, end - at));
      if (spelt != nullptr) {
        if (!spelt->empty()) *spelt += '\\';
        *spelt += rest.substr(at, end - at);
      }
    }
    at = end + 1;
  }
  return true;
}

MemoryRegistry::Key& MemoryRegistry::MakeKey(const std::string& spelt) {
  const std::string folded = Fold(spelt);
  Key* key = nullptr;
  for (std::size_t start = 0;;) {
    const std::size_t end = folded.find('\\', start);
    key = &keys_[folded.substr(0, end)];
    if (key->name.empty()) key->name = spelt.substr(start, end - start);
    if (end == std::string::npos) return *key;
    start = end + 1;
  }
}

void MemoryRegistry::Reset() {
  // Ids keep counting, so that a key still held from before the reset can never close a new one.
  RegKeyId next = nextId_;
  *this = MemoryRegistry();
  nextId_ = next;
}

void MemoryRegistry::SetRaw(const std::string& path, const std::string& name, RegValueType type,
                            const std::string& data) {
  std::string folded;
  std::string spelt;
  if (!Normalize(path, folded, &spelt)) return;
  MakeKey(spelt).values[Fold(name)] = StoredValue{type, data};
}

void MemoryRegistry::SetString(const std::string& path, const std::string& name,
                               const std::string& text) {
  SetRaw(path, name, RegValueType::kString, text + '\0');
}

void MemoryRegistry::SetExpandString(const std::string& path, const std::string& name,
                                     const std::string& text) {
  SetRaw(path, name, RegValueType::kExpandString, text + '\0');
}

void MemoryRegistry::SetNumber(const std::string& path, const std::string& name,
                               std::uint32_t number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  SetRaw(path, name, RegValueType::kNumber, data);
}

bool MemoryRegistry::KeyExists(const std::string& path) const {
  std::string folded;
  return Normalize(path, folded) && keys_.contains(folded);
}

std::optional<std::pair<RegValueType, std::string>> MemoryRegistry::Value(
    const std::string& path, const std::string& name) const {
  std::string folded;
  if (!Normalize(path, folded)) return std::nullopt;
  auto key = keys_.find(folded);
  if (key == keys_.end()) return std::nullopt;
  auto value = key->second.values.find(Fold(name));
  if (value == key->second.values.end()) return std::nullopt;
  return std::pair{value->second.type, value->second.data};
}

std::map<std::string, std::string> MemoryRegistry::Snapshot() const {
  std::map<std::string, std::string> snapshot;
  for (const auto& [path, key] : keys_) {
    snapshot[path];
    for (const auto& [name, value] : key.values) {
      snapshot[path + "|" + name] = std::to_string(int(value.type)) + ":" + value.data;
    }
  }
  return snapshot;
}

std::optional<std::string> MemoryRegistry::StringValue(const std::string& path,
                                                       const std::string& name) const {
  auto value = Value(path, name);
  if (!value ||
      (value->first != RegValueType::kString && value->first != RegValueType::kExpandString)) {
    return std::nullopt;
  }
  return value->second.substr(0, value->second.find('\0'));
}

void MemoryRegistry::FailCreateKey(const std::string& path, std::uint32_t code) {
  std::string folded;
  if (!Normalize(path, folded)) return;
  if (code == 0) {
    createFaults_.erase(folded);
  } else {
    createFaults_[folded] = code;
  }
}

void MemoryRegistry::FailQueryValue(const std::string& path, const std::string& name,
                                    std::uint32_t code) {
  std::string folded;
  if (!Normalize(path, folded)) return;
  if (code == 0) {
    queryFaults_.erase({folded, Fold(name)});
  } else {
    queryFaults_[{folded, Fold(name)}] = code;
  }
}

std::uint32_t MemoryRegistry::Open(const std::string& path, bool create, RegKeyId& key) {
  key = 0;
  std::string folded;
  std::string spelt;
  if (!Normalize(path, folded, &spelt)) return kErrBadPathname;
  if (auto fault = createFaults_.find(folded); fault != createFaults_.end()) return fault->second;
  if (create) {
    MakeKey(spelt);
  } else if (!keys_.contains(folded)) {
    return kErrFileNotFound;
  }
  key = nextId_++;
  open_[key] = folded;
  return 0;
}

std::uint32_t MemoryRegistry::CreateKey(const std::string& path, RegKeyId& key) {
  ++createCalls_;
  return Open(path, true, key);
}

std::uint32_t MemoryRegistry::OpenKey(const std::string& path, RegKeyId& key) {
  return Open(path, false, key);
}

std::uint32_t MemoryRegistry::CloseKey(RegKeyId key) {
  return open_.erase(key) == 1 ? 0 : kErrInvalidHandle;
}

const MemoryRegistry::StoredValue* MemoryRegistry::FindValue(RegKeyId key,
                                                             const std::string& name) const {
  auto open = open_.find(key);
  if (open == open_.end()) return nullptr;
  auto stored = keys_.find(open->second);
  if (stored == keys_.end()) return nullptr;
  auto value = stored->second.values.find(Fold(name));
  return value == stored->second.values.end() ? nullptr : &value->second;
}

std::uint32_t MemoryRegistry::QueryValueInfo(RegKeyId key, const std::string& name,
                                             RegValueType& type, std::uint32_t& size) {
  if (!open_.contains(key)) return kErrInvalidHandle;
  const StoredValue* value = FindValue(key, name);
  if (value == nullptr) return kErrFileNotFound;
  type = value->type;
  size = static_cast<std::uint32_t>(value->data.size());
  return 0;
}

std::uint32_t MemoryRegistry::QueryValue(RegKeyId key, const std::string& name, RegValueType& type,
                                         std::string& data) {
  if (!open_.contains(key)) return kErrInvalidHandle;
  if (auto fault = queryFaults_.find({open_.at(key), Fold(name)}); fault != queryFaults_.end()) {
    return fault->second;
  }
  const StoredValue* value = FindValue(key, name);
  if (value == nullptr) return kErrFileNotFound;
  type = value->type;
  data = value->data;
  return 0;
}

std::uint32_t MemoryRegistry::SubKeyNames(RegKeyId key, std::vector<std::string>& names) {
  names.clear();
  auto open = open_.find(key);
  if (open == open_.end()) return kErrInvalidHandle;
  // The map holds every key by its folded path, so the children of a key follow it in order.
  const std::string prefix = open->second.empty() ? "" : open->second + "\\";
  for (auto child = keys_.upper_bound(prefix); child != keys_.end(); ++child) {
    const std::string& path = child->first;
    if (path.compare(0, prefix.size(), prefix) != 0) break;
    if (path.find('\\', prefix.size()) == std::string::npos) names.push_back(child->second.name);
  }
  return 0;
}

std::uint32_t MemoryRegistry::WriteString(RegKeyId key, const std::string& name,
                                          const std::string& text) {
  auto open = open_.find(key);
  if (open == open_.end()) return kErrInvalidHandle;
  keys_[open->second].values[Fold(name)] = StoredValue{RegValueType::kString, text + '\0'};
  return 0;
}

std::uint32_t MemoryRegistry::DeleteValue(RegKeyId key, const std::string& name) {
  auto open = open_.find(key);
  if (open == open_.end()) return kErrInvalidHandle;
  return keys_[open->second].values.erase(Fold(name)) == 1 ? 0 : kErrFileNotFound;
}

std::uint32_t MemoryRegistry::WriteNumber(RegKeyId key, const std::string& name,
                                          std::uint32_t number) {
  auto open = open_.find(key);
  if (open == open_.end()) return kErrInvalidHandle;
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  keys_[open->second].values[Fold(name)] = StoredValue{RegValueType::kNumber, data};
  return 0;
}

std::uint32_t MemoryRegistry::DeleteKey(const std::string& path) {
  std::string folded;
  if (!Normalize(path, folded)) return kErrBadPathname;
  auto key = keys_.find(folded);
  if (key == keys_.end()) return kErrFileNotFound;
  // As Windows: a key with sub-keys is refused.
  const std::string prefix = folded + "\\";
  auto child = keys_.lower_bound(prefix);
  if (child != keys_.end() && child->first.compare(0, prefix.size(), prefix) == 0) {
    return kErrAccessDenied;
  }
  keys_.erase(key);
  return 0;
}

MemoryRegistry& MemReg() {
  static MemoryRegistry registry;
  return registry;
}

}  // namespace toolkit::headless

namespace toolkit {
Registry& Reg() { return headless::MemReg(); }
}  // namespace toolkit
