// Extracting the product's packages: one package (whole, or one named file of it) into a folder,
// asking for the next disk while the package is not on the medium, and the whole package table
// into the destination tree.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Errors.h"

namespace config {
class FrontEnd;
}

namespace extract {

// A package that could not be extracted (in full): the installation must not go on as if it had.
class EExtractError : public toolkit::Exception {
 public:
  using toolkit::Exception::Exception;
};

// Told of every file and folder an extraction creates where nothing stood, before the library
// writes it, so that the installation can take them away again.
class ExtractionJournal {
 public:
  virtual ~ExtractionJournal() = default;
  virtual void FolderCreated(const std::string& path) = 0;
  virtual void FileCreated(const std::string& path, std::uint64_t size) = 0;
  // The CRC-32 a file told of has when complete (from the archive's directory, so that no file
  // is read again).
  virtual void FileChecksum(const std::string& path, std::uint32_t crc) = 0;
  // What is told between the two calls may be written at the second, in one write: for the
  // records of a whole package, told before the library starts.
  virtual void HoldRecords() {}
  virtual void WriteHeldRecords() {}
};

// Tells `journal` of what the extractions create while it lives.
class ScopedExtractionJournal {
 public:
  explicit ScopedExtractionJournal(ExtractionJournal& journal);
  ScopedExtractionJournal(const ScopedExtractionJournal&) = delete;
  ScopedExtractionJournal& operator=(const ScopedExtractionJournal&) = delete;
  ~ScopedExtractionJournal();

 private:
  ExtractionJournal* previous_;
};

// Extracts `fileSpec` (every file when empty) of the package into `targetFolder`, showing each
// file on the front end. While the package is missing it asks for the next disk; abandoning there
// raises the silent abort. A named file the package does not hold is an error: the installation
// would otherwise go on without it. Leaves the package's folder current.
void ExtractPackage(config::FrontEnd& frontEnd, const std::string& packagePath,
                    const std::string& targetFolder, const std::string& fileSpec);

// Extracts every package of the table into its folder below `destinationRoot`.
void ExtractAllPackages(config::FrontEnd& frontEnd, const std::string& destinationRoot);

// The folder that holds a file: its path up to the last backslash or colon, without a final
// backslash unless that is a drive's root ("a:\" stays "a:\").
std::string FolderOf(const std::string& path);

}  // namespace extract
