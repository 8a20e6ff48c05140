// Extracting the product's packages: one package (whole, or one named file of it) into a folder,
// asking for the next disk while the package is not on the medium, and the whole package table
// into the destination tree.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/ChangeRecorder.h"
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

// Extracts `fileSpec` (every file when empty) of the package into `targetFolder`, showing each
// file on the front end. While the package is missing it asks for the next disk; abandoning there
// raises the silent abort. A named file the package does not hold is an error: the installation
// would otherwise go on without it. Leaves the package's folder current.
//
// `recorder` is told of every file and folder the extraction creates where nothing stood, before
// the library writes it (CreationWatch.h). An error raised while the library runs (a record that
// cannot be written) stops the library and is raised again once it has returned: nothing may
// cross the library, which knows nothing of C++ errors.
void ExtractPackage(config::FrontEnd& frontEnd, const std::string& packagePath,
                    const std::string& targetFolder, const std::string& fileSpec,
                    toolkit::ChangeRecorder& recorder);

// Asks for the next disk until the package is on the medium; Cancel confirmed with Yes raises the
// silent abort.
void WaitForPackage(config::FrontEnd& frontEnd, const std::string& packagePath);

// Extracts every package of the table into its folder below `destinationRoot`.
void ExtractAllPackages(config::FrontEnd& frontEnd, const std::string& destinationRoot,
                        toolkit::ChangeRecorder& recorder);

// The folder that holds a file: its path up to the last backslash or colon, without a final
// backslash unless that is a drive's root ("a:\" stays "a:\").
std::string FolderOf(const std::string& path);

}  // namespace extract
