// A ZIP archive of stored (uncompressed) members, built in memory. AutoCAD's partial
// customization file is such a package: a handful of small XML parts and two bitmaps, written
// once by the installer. Storing instead of deflating keeps the writer a few dozen lines and the
// file readable by every ZIP reader; the parts are a few kilobytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cad {

class StoredZip {
 public:
  // Every member carries this DOS date and time: the same parts give the same bytes, so a second
  // installation finds the file it would write already there.
  StoredZip(std::uint16_t dosDate, std::uint16_t dosTime) : date_(dosDate), time_(dosTime) {}

  // Appends a member; `name` uses forward slashes and is written as given (ASCII).
  void Add(std::string_view name, std::string_view content);

  // The whole archive: the members, the central directory and its end record.
  std::string Finish() const;

 private:
  std::uint16_t date_;
  std::uint16_t time_;
  std::string members_;
  std::string directory_;
  std::uint16_t count_ = 0;
};

}  // namespace cad
