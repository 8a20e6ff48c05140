#include "toolkit/headless/MemoryFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>

namespace toolkit::headless {

struct MemoryFileSystem::Node {
  bool isDir = false;
  std::string name;                                       // as created
  std::map<std::string, std::unique_ptr<Node>> children;  // by folded name
  std::string content;
  bool readOnly = false;
  bool locked = false;
  bool othersOnly = false;  // a folder this user may only read
  DosDateTime time;
  std::optional<FolderAccess> access;
  bool link = false;
  // A junction to this absolute folder: a path goes on there, but the link itself is what
  // a deletion, a rename or KindOf at its end meets.
  std::optional<std::string> linkTarget;
};

struct MemoryFileSystem::OpenFile {
  Node* node;
  std::uint64_t position = 0;
  bool writable = false;
  bool readable = false;
  // What this handle lets other handles do meanwhile; no handle of the service shares deletion.
  bool sharesReading = false;
  bool sharesWriting = false;
};

struct MemoryFileSystem::Fault {
  FsOp op;
  std::uint32_t code;
  int skip;          // calls to let pass first; -1 for a standing fault on a path
  std::string path;  // folded; empty for any path
};

namespace {

// Windows compares names without regard to the case of a-z only.
std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return folded;
}

bool ValidName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 32 || std::strchr("<>:\"/|?*", c) != nullptr) return false;
  }
  return true;
}

char DriveOf(char letter) { return char(Fold(std::string(1, letter))[0]); }

// Windows drops the dots and spaces that end a path ("tolvek.lsp." is "tolvek.lsp"), and the one
// dot that ends a folder's name inside it; only a separator after them keeps them.
void TrimAsWindows(std::vector<std::string>& parts, bool endsWithSeparator) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::string& part = parts[i];
    if (i + 1 == parts.size() && !endsWithSeparator) {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    } else if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.') {
      part.pop_back();
    }
  }
  std::erase_if(parts, [](const std::string& part) { return part.empty(); });
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() { Reset(); }
MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::Reset() {
  drives_.clear();
  currentPath_ = "\\";
  currentDriveAsNamed_ = 'C';
  open_.clear();
  faults_.clear();
  calls_.clear();
  capacity_.reset();
  AddDrive('c');
  currentDrive_ = 'c';
  programPath_ = "c:\\install.exe";
  appDataDir_ = "c:\\Users\\user\\AppData\\Roaming";
  localAppDataDir_ = "c:\\Users\\user\\AppData\\Local";
  // Windows makes the user's local application data with the profile: it is always there.
  MakeDirs(localAppDataDir_);
  machineDirs_ = {{MachineFolder::kProgramFiles, "c:\\Program Files"}};
}

void MemoryFileSystem::AddDrive(char letter) {
  char drive = DriveOf(letter);
  if (drives_.count(drive) != 0) return;
  auto root = std::make_unique<Node>();
  root->isDir = true;
  drives_[drive] = std::move(root);
}

bool MemoryFileSystem::Resolve(const std::string& path, char& drive,
                               std::vector<std::string>& parts) const {
  std::string rest = path;
  drive = currentDrive_;
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
    drive = DriveOf(rest[0]);
    rest = rest.substr(2);
  }
  if (drives_.count(drive) == 0) return false;
  std::string base;
  // A program has one current folder: a relative path on another drive starts at its root.
  if ((rest.empty() || (rest[0] != '\\' && rest[0] != '/')) && drive == currentDrive_) {
    base = currentPath_;
  }
  parts.clear();
  std::string all = base + "\\" + rest;
  std::string component;
  auto flush = [&]() {
    if (component.empty() || component == ".") {
    } else if (component == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(component);
    }
    component.clear();
  };
  for (char c : all) {
    if (c == '\\' || c == '/') {
      flush();
    } else {
      component += c;
    }
  }
  flush();
  TrimAsWindows(parts, !rest.empty() && (rest.back() == '\\' || rest.back() == '/'));
  return true;
}

MemoryFileSystem::Node* MemoryFileSystem::Follow(Node* node, int depth) const {
  // Windows gives up after some dozens of links in a row; a loop ends the same way.
  while (node != nullptr && node->linkTarget) {
    if (++depth > 31) return nullptr;
    node = Walk(*node->linkTarget, false, depth);
  }
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::Walk(const std::string& path, bool parentOnly,
                                               int depth) const {
  char drive;
  std::vector<std::string> parts;
  if (path.empty() || !Resolve(path, drive, parts)) return nullptr;
  if (parentOnly) {
    if (parts.empty()) return nullptr;
    parts.pop_back();
  }
  Node* node = drives_.at(drive).get();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    node = Follow(node, depth);
    if (node == nullptr || !node->isDir) return nullptr;
    auto it = node->children.find(Fold(parts[i]));
    if (it == node->children.end()) return nullptr;
    node = it->second.get();
  }
  // The folder that will hold an entry is gone through; the entry itself is met as it is.
  return parentOnly ? Follow(node, depth) : node;
}

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) const {
  return Walk(path, false, 0);
}

MemoryFileSystem::Node* MemoryFileSystem::FindParent(const std::string& path, std::string& leaf,
                                                     std::uint32_t& error) const {
  char drive;
  std::vector<std::string> parts;
  error = kErrPathNotFound;
  if (path.empty() || !Resolve(path, drive, parts) || parts.empty()) return nullptr;
  leaf = parts.back();
  Node* node = Walk(path, true, 0);
  if (node == nullptr || !node->isDir) return nullptr;
  if (!ValidName(leaf)) {
    error = kErrInvalidName;
    return nullptr;
  }
  error = 0;
  return node;
}

void MemoryFileSystem::MakeDirs(const std::string& path) {
  char drive;
  std::vector<std::string> parts;
  std::string absolute = path;
  if (!Resolve(absolute, drive, parts)) {
    AddDrive(path[0]);
    Resolve(absolute, drive, parts);
  }
  Node* node = drives_.at(drive).get();
  for (const auto& part : parts) {
    auto& slot = node->children[Fold(part)];
    if (!slot) {
      slot = std::make_unique<Node>();
      slot->isDir = true;
      slot->name = part;
    }
    node = slot.get();
  }
}

void MemoryFileSystem::PutFile(const std::string& path, const std::string& content) {
  auto slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2) MakeDirs(path.substr(0, slash));
  std::string leaf;
  std::uint32_t error;
  Node* parent = FindParent(path, leaf, error);
  if (parent == nullptr) return;
  auto& slot = parent->children[Fold(leaf)];
  if (!slot) {
    slot = std::make_unique<Node>();
    slot->name = leaf;
  }
  slot->isDir = false;
  slot->content = content;
}

std::optional<std::string> MemoryFileSystem::FileContent(const std::string& path) const {
  Node* node = Find(path);
  if (node == nullptr || node->isDir) return std::nullopt;
  return node->content;
}

std::vector<std::string> MemoryFileSystem::List(const std::string& folder) const {
  std::vector<std::string> names;
  Node* node = Follow(Find(folder), 0);
  if (node == nullptr || !node->isDir) return names;
  for (const auto& [key, child] : node->children) {
    names.push_back(child->isDir ? child->name + "\\" : child->name);
  }
  return names;
}

std::map<std::string, std::string> MemoryFileSystem::Snapshot(const std::string& folder) const {
  std::map<std::string, std::string> files;
  Node* start = Find(folder);
  if (start == nullptr) return files;
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  std::function<void(const Node&, const std::string&)> walk = [&](const Node& node,
                                                                  const std::string& prefix) {
    for (const auto& [key, child] : node.children) {
      std::string path = prefix + "\\" + child->name;
      if (child->linkTarget) continue;
      if (child->isDir) {
        walk(*child, path);
      } else {
        files[path] = child->content;
      }
    }
  };
  walk(*start, base);
  return files;
}

void MemoryFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  if (Node* node = Find(path)) node->readOnly = readOnly;
}

void MemoryFileSystem::SetOthersOnly(const std::string& folder, bool othersOnly) {
  if (Node* node = Find(folder)) node->othersOnly = othersOnly;
}

bool MemoryFileSystem::ChangeDenied(const std::string& path) const {
  char drive;
  std::vector<std::string> parts;
  if (path.empty() || !Resolve(path, drive, parts) || parts.empty()) return false;
  const Node* node = drives_.at(drive).get();
  for (std::size_t i = 0; i + 1 < parts.size() && node != nullptr; ++i) {
    if (node->othersOnly) return true;
    auto it = node->children.find(Fold(parts[i]));
    node = it == node->children.end() ? nullptr : it->second.get();
  }
  return node != nullptr && node->othersOnly;
}

void MemoryFileSystem::SetLocked(const std::string& path, bool locked) {
  if (Node* node = Find(path)) node->locked = locked;
}

std::optional<DosDateTime> MemoryFileSystem::FileTime(const std::string& path) const {
  Node* node = Find(path);
  if (node == nullptr || node->isDir) return std::nullopt;
  return node->time;
}

std::optional<FolderAccess> MemoryFileSystem::AccessOf(const std::string& path) const {
  Node* node = Find(path);
  if (node == nullptr || !node->isDir) return std::nullopt;
  return node->access;
}

void MemoryFileSystem::MarkLink(const std::string& path) {
  if (Node* node = Find(path)) node->link = true;
}

void MemoryFileSystem::MakeLink(const std::string& path, const std::string& target) {
  std::string leaf;
  std::uint32_t error;
  Node* parent = FindParent(path, leaf, error);
  if (parent == nullptr) return;
  auto& slot = parent->children[Fold(leaf)];
  slot = std::make_unique<Node>();
  slot->isDir = true;
  slot->name = leaf;
  slot->link = true;
  slot->linkTarget = target;
}

std::uint32_t MemoryFileSystem::SetFolderAccess(const std::string& path, FolderAccess access) {
  Node* node = Find(path);
  if (node == nullptr || !node->isDir) return kErrPathNotFound;
  if (access == FolderAccess::kMachine) {
    const std::function<bool(const Node&)> linked = [&](const Node& entry) {
      return entry.link || std::any_of(entry.children.begin(), entry.children.end(),
                                       [&](const auto& child) { return linked(*child.second); });
    };
    if (linked(*node)) return kErrLinkInTheWay;
    // What a machine's folder already holds keeps no list of its own.
    const std::function<void(Node&)> reset = [&](Node& folder) {
      for (auto& [key, child] : folder.children) {
        child->access.reset();
        reset(*child);
      }
    };
    reset(*node);
  }
  node->access = access;
  return 0;
}

int MemoryFileSystem::OpenFileCount() const { return int(open_.size()); }

void MemoryFileSystem::FailNext(FsOp op, std::uint32_t code, int skip) {
  faults_.push_back(Fault{op, code, skip, {}});
}

void MemoryFileSystem::FailOnPath(FsOp op, const std::string& path, std::uint32_t code) {
  std::erase_if(faults_, [&](const Fault& f) { return f.op == op && f.path == Fold(path); });
  if (code != 0) faults_.push_back(Fault{op, code, -1, Fold(path)});
}

int MemoryFileSystem::CallCount(FsOp op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}

void MemoryFileSystem::ClearFaults() { faults_.clear(); }

std::uint32_t MemoryFileSystem::Injected(FsOp op, const std::string& path) {
  ++calls_[op];
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->op != op) continue;
    if (it->skip < 0) {
      if (!path.empty() && it->path == Fold(path)) return it->code;
      continue;
    }
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    std::uint32_t code = it->code;
    faults_.erase(it);
    return code;
  }
  return 0;
}

bool MemoryFileSystem::IsOpen(const Node* node) const {
  if (node->locked) return true;
  for (const auto& [id, f] : open_) {
    if (f->node == node) return true;
  }
  return false;
}

std::uint64_t MemoryFileSystem::UsedBytes() const {
  std::uint64_t total = 0;
  std::function<void(const Node&)> walk = [&](const Node& node) {
    total += node.content.size();
    for (const auto& [key, child] : node.children) walk(*child);
  };
  for (const auto& [letter, root] : drives_) walk(*root);
  return total;
}

std::string MemoryFileSystem::CurrentDir() {
  return std::string(1, currentDriveAsNamed_) + ":" + currentPath_;
}

std::uint32_t MemoryFileSystem::ChangeDir(const std::string& path) {
  if (std::uint32_t code = Injected(FsOp::kChangeDir, path)) return code;
  if (path.empty()) return kErrPathNotFound;
  char drive;
  std::vector<std::string> parts;
  if (!Resolve(path, drive, parts)) return kErrPathNotFound;
  Node* node = drives_.at(drive).get();
  // The folder is kept as the caller spelled it, not as the disk does.
  std::string spelled;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    node = Follow(node, 0);
    if (node == nullptr) return kErrPathNotFound;
    auto it = node->children.find(Fold(parts[i]));
    if (it == node->children.end()) {
      return i + 1 == parts.size() ? kErrFileNotFound : kErrPathNotFound;
    }
    node = Follow(it->second.get(), 0);
    if (node == nullptr) return kErrPathNotFound;
    if (!node->isDir) return 267;  // the directory name is invalid
    spelled += "\\" + parts[i];
  }
  // The drive letter too keeps the case it was named in, when it was named: a path relative to
  // the current folder goes on in that folder's spelling.
  const bool named = path.size() >= 2 && path[1] == ':';
  if (named &&
      (drive != currentDrive_ || (path.size() > 2 && (path[2] == '\\' || path[2] == '/')))) {
    currentDriveAsNamed_ = path[0];
  }
  currentDrive_ = drive;
  currentPath_ = spelled.empty() ? "\\" : spelled;
  return 0;
}

std::uint32_t MemoryFileSystem::CreateDir(const std::string& path) {
  if (std::uint32_t code = Injected(FsOp::kCreateDir, path)) return code;
  if (ChangeDenied(path)) return kErrAccessDenied;
  std::string leaf;
  std::uint32_t error;
  Node* parent = FindParent(path, leaf, error);
  if (parent == nullptr) return error;
  auto& slot = parent->children[Fold(leaf)];
  if (slot) return kErrAlreadyExists;
  slot = std::make_unique<Node>();
  slot->isDir = true;
  slot->name = leaf;
  return 0;
}

std::uint32_t MemoryFileSystem::FindEntry(const std::string& path, Node*& parent, Node*& node,
                                          std::string& key) const {
  std::string leaf;
  std::uint32_t error;
  parent = FindParent(path, leaf, error);
  if (parent == nullptr) return error;
  key = Fold(leaf);
  auto it = parent->children.find(key);
  if (it == parent->children.end()) return kErrFileNotFound;
  node = it->second.get();
  return 0;
}

std::uint32_t MemoryFileSystem::RemoveDir(const std::string& path) {
  if (std::uint32_t code = Injected(FsOp::kRemoveDir, path)) return code;
  if (ChangeDenied(path)) return kErrAccessDenied;
  Node* parent = nullptr;
  Node* node = nullptr;
  std::string key;
  if (std::uint32_t code = FindEntry(path, parent, node, key)) return code;
  if (!node->isDir) return 267;  // the directory name is invalid
  // A junction goes as itself, whatever the folder it leads to holds.
  if (!node->linkTarget && !node->children.empty()) return kErrDirNotEmpty;
  // Windows keeps a process's current folder open: it cannot be removed.
  if (Find(std::string(1, currentDrive_) + ":" + currentPath_) == node) {
    return kErrSharingViolation;
  }
  parent->children.erase(key);
  return 0;
}

bool MemoryFileSystem::FileExists(const std::string& path) {
  Node* node = Find(path);
  return node != nullptr && !node->isDir;
}

bool MemoryFileSystem::DirExists(const std::string& path) {
  Node* node = Find(path);
  return node != nullptr && node->isDir;
}

std::vector<std::string> MemoryFileSystem::FileNames(const std::string& folder) {
  std::vector<std::string> names = List(folder);
  std::erase_if(names, [](const std::string& name) { return name.ends_with('\\'); });
  return names;
}

std::uint32_t MemoryFileSystem::Open(const std::string& path, OpenMode mode, FileId& file) {
  if (std::uint32_t code = Injected(FsOp::kOpen, path)) return code;
  std::string leaf;
  std::uint32_t error;
  Node* parent = FindParent(path, leaf, error);
  if (parent == nullptr) return error;
  if (fs::IsDeviceName(leaf)) return kErrBadPathName;
  auto it = parent->children.find(Fold(leaf));
  Node* node = it == parent->children.end() ? nullptr : it->second.get();
  if (node != nullptr && mode == OpenMode::kCreateNew) return kErrFileExists;
  if (mode != OpenMode::kRead && ChangeDenied(path)) return kErrAccessDenied;
  if (node != nullptr && node->isDir) return kErrAccessDenied;
  if (mode != OpenMode::kRead && node != nullptr && node->readOnly) return kErrAccessDenied;
  auto handle = std::make_unique<OpenFile>();
  const bool creating = mode == OpenMode::kCreate || mode == OpenMode::kCreateNew;
  handle->readable = !creating;
  handle->writable = mode != OpenMode::kRead;
  // A file being created is not to be changed under its writer; the others share both ways.
  handle->sharesReading = true;
  handle->sharesWriting = !creating;
  if (node != nullptr && node->locked) return kErrSharingViolation;
  for (const auto& [id, other] : open_) {
    if (other->node != node) continue;
    if ((handle->readable && !other->sharesReading) ||
        (handle->writable && !other->sharesWriting) ||
        (other->readable && !handle->sharesReading) ||
        (other->writable && !handle->sharesWriting)) {
      return kErrSharingViolation;
    }
  }
  if (creating) {
    if (node == nullptr) {
      auto created = std::make_unique<Node>();
      created->name = leaf;
      node = created.get();
      parent->children[Fold(leaf)] = std::move(created);
    }
    node->content.clear();
  } else if (node == nullptr) {
    return kErrFileNotFound;
  }
  handle->node = node;
  file = nextId_++;
  open_[file] = std::move(handle);
  return 0;
}

std::uint32_t MemoryFileSystem::Read(FileId file, void* buffer, std::size_t size,
                                     std::size_t& done) {
  done = 0;
  if (std::uint32_t code = Injected(FsOp::kRead, {})) return code;
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  OpenFile& f = *it->second;
  if (!f.readable) return kErrAccessDenied;
  const std::string& content = f.node->content;
  if (f.position >= content.size()) return 0;
  done = std::min<std::size_t>(size, content.size() - std::size_t(f.position));
  std::memcpy(buffer, content.data() + f.position, done);
  f.position += done;
  return 0;
}

std::uint32_t MemoryFileSystem::Write(FileId file, const void* data, std::size_t size) {
  if (std::uint32_t code = Injected(FsOp::kWrite, {})) return code;
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  OpenFile& f = *it->second;
  if (!f.writable) return kErrAccessDenied;
  std::string& content = f.node->content;
  std::size_t fits = size;
  if (capacity_) {
    std::uint64_t used = UsedBytes();
    std::uint64_t end = f.position + size;
    std::uint64_t growth = end > content.size() ? end - content.size() : 0;
    if (used + growth > *capacity_) {
      std::uint64_t room = *capacity_ > used ? *capacity_ - used : 0;
      std::uint64_t roomEnd = content.size() + room;
      fits = roomEnd > f.position ? std::size_t(std::min<std::uint64_t>(size, roomEnd - f.position))
                                  : 0;
    }
  }
  if (content.size() < f.position + fits) content.resize(std::size_t(f.position + fits));
  std::memcpy(content.data() + f.position, data, fits);
  f.position += fits;
  return fits < size ? kErrDiskFull : 0;
}

std::uint32_t MemoryFileSystem::Size(FileId file, std::uint64_t& size) {
  if (std::uint32_t code = Injected(FsOp::kSize, {})) return code;
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  size = it->second->node->content.size();
  return 0;
}

std::uint32_t MemoryFileSystem::Seek(FileId file, std::uint64_t position) {
  if (std::uint32_t code = Injected(FsOp::kSeek, {})) return code;
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  it->second->position = position;
  return 0;
}

std::uint32_t MemoryFileSystem::SetTime(FileId file, DosDateTime stamp) {
  if (std::uint32_t code = Injected(FsOp::kSetTime, {})) return code;
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  it->second->node->time = stamp;
  return 0;
}

std::uint32_t MemoryFileSystem::Close(FileId file) {
  auto it = open_.find(file);
  if (it == open_.end()) return kErrInvalidHandle;
  // An injected failure still releases the handle, as the operating system does.
  open_.erase(it);
  return Injected(FsOp::kClose, {});
}

std::uint32_t MemoryFileSystem::Flush(FileId file) {
  if (open_.find(file) == open_.end()) return kErrInvalidHandle;
  return Injected(FsOp::kFlush, {});
}

std::uint32_t MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  if (std::uint32_t code = Injected(FsOp::kRename, from)) return code;
  if (ChangeDenied(from) || ChangeDenied(to)) return kErrAccessDenied;
  std::string fromLeaf;
  std::string toLeaf;
  std::uint32_t error;
  Node* fromParent = FindParent(from, fromLeaf, error);
  if (fromParent == nullptr) return error;
  auto it = fromParent->children.find(Fold(fromLeaf));
  if (it == fromParent->children.end()) return kErrFileNotFound;
  Node* toParent = FindParent(to, toLeaf, error);
  if (toParent == nullptr) return error;
  Node* moving = it->second.get();
  if (IsOpen(moving)) return kErrSharingViolation;
  auto target = toParent->children.find(Fold(toLeaf));
  if (target != toParent->children.end() && target->second.get() != moving) {
    return kErrAlreadyExists;
  }
  std::unique_ptr<Node> node = std::move(it->second);
  fromParent->children.erase(it);
  node->name = toLeaf;
  toParent->children[Fold(toLeaf)] = std::move(node);
  return 0;
}

std::uint32_t MemoryFileSystem::Delete(const std::string& path) {
  if (std::uint32_t code = Injected(FsOp::kDelete, path)) return code;
  if (ChangeDenied(path)) return kErrAccessDenied;
  Node* parent = nullptr;
  Node* node = nullptr;
  std::string key;
  if (std::uint32_t code = FindEntry(path, parent, node, key)) return code;
  if (node->isDir || node->readOnly) return kErrAccessDenied;
  if (IsOpen(node)) return kErrSharingViolation;
  parent->children.erase(key);
  return 0;
}

std::uint32_t MemoryFileSystem::CreatePrivateDir(const std::string& path) {
  if (std::uint32_t code = CreateDir(path)) return code;
  Find(path)->access = FolderAccess::kPrivate;
  return 0;
}

PathKind MemoryFileSystem::KindOf(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr) return PathKind::kNone;
  if (node->link) return PathKind::kLink;
  return node->isDir ? PathKind::kFolder : PathKind::kFile;
}

bool MemoryFileSystem::HoldsLink(const std::string& folder) {
  const Node* node = Find(folder);
  const std::function<bool(const Node&)> linked = [&](const Node& entry) {
    return entry.link || std::any_of(entry.children.begin(), entry.children.end(),
                                     [&](const auto& child) { return linked(*child.second); });
  };
  return node != nullptr && linked(*node);
}

std::uint32_t MemoryFileSystem::PinFolder(const std::string& folder, std::unique_ptr<Pin>& pin) {
  if (std::uint32_t code = Injected(FsOp::kPin, folder)) return code;
  if (Find(folder) == nullptr) return kErrPathNotFound;
  pin = std::make_unique<Pin>();
  return 0;
}

std::uint32_t MemoryFileSystem::FreeSpace(const std::string& path, std::uint64_t& bytes) {
  if (Find(path) == nullptr) return kErrPathNotFound;
  constexpr std::uint64_t kTerabyte = std::uint64_t(1) << 40;
  const std::uint64_t used = UsedBytes();
  bytes = !capacity_ ? kTerabyte : *capacity_ > used ? *capacity_ - used : 0;
  return 0;
}

namespace {
FileSystem* overrideFs = nullptr;
}

MemoryFileSystem& MemFs() {
  static MemoryFileSystem fileSystem;
  return fileSystem;
}

void SetFileSystem(FileSystem* fileSystem) { overrideFs = fileSystem; }

}  // namespace toolkit::headless

namespace toolkit {
FileSystem& Fs() {
  if (headless::overrideFs != nullptr) return *headless::overrideFs;
  return headless::MemFs();
}
}  // namespace toolkit
