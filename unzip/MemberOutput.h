// MemberOutput is one member's file, from its creation to its final name. A member whose name is
// free is written under that name at once: if it fails, removing it loses nothing of the user's,
// and each file operation saved is a round trip to the Wine server. Only a file already there (a
// re-install) goes through a temporary file beside it that takes the name once complete, so that a
// failed member never costs the file a previous installation left. Whatever fails, and whenever
// the owner gives up, nothing is left under either name.
#pragma once

#include <string>

#include "unzip/Storage.h"

namespace unzip {

class MemberOutput {
 public:
  explicit MemberOutput(Storage& storage) : storage_(storage) {}
  // A member neither finished nor discarded is discarded.
  ~MemberOutput() { Discard(); }
  MemberOutput(const MemberOutput&) = delete;
  MemberOutput& operator=(const MemberOutput&) = delete;

  // `path` is the member's checked output path; its folder exists.
  Status Create(const std::string& path);
  Status Write(const void* data, std::size_t size);
  // Stamps, closes and names the file; on failure nothing is left.
  Status Finish(DosDateTime stamp);
  // Closes and removes what was written; nothing when no file is open.
  void Discard();

 private:
  Storage& storage_;
  std::string path_;
  std::string temp_;  // empty while the file is written under its own name
  OutputFile file_ = 0;
  bool open_ = false;
};

}  // namespace unzip
