// The product another user of the machine installed for himself. That installation's folder lets
// every other user read and run what it holds, but not change or add to it, so a second user's
// installation for himself cannot place the product's files there: it takes the product as it
// stands, once every file the medium would place checks out by its size and CRC, and does the
// rest for this user alone (the user's AutoCAD wired to it, the entry, the record in the user's
// own folder). The user's removal takes that back and leaves the product's files, which are the
// installation's that placed them.
#pragma once

#include <string>

namespace config {
class FrontEnd;
}

namespace install {

// Whether `destination` is a folder that holds something and that this user may not add to.
bool IsAnotherUsersProduct(const std::string& destination);

// Checks each file the medium's packages put into `destination` (asking for the next disk where
// a package is not at hand) against the package's directory: the same size and CRC. Raises
// EInstallationRefused naming the first that is missing or differs, with nothing changed.
void CheckProductFiles(config::FrontEnd& frontEnd, const std::string& destination);

}  // namespace install
