// The floor for one thread: the least an extractor can do per member on Win32 and still do what
// INSTALL.DLL does (a folder when the member's differs from the last, create, inflate with zlib,
// CRC-32, write, stamp, close), with the archive read whole into memory and none of the DLL's
// checks, temporary names or progress reports. For the benchmark's well-formed medium only: it
// trusts every field of the archive.
#pragma once

#include <string>

namespace bench {

// Extracts every member of `archive` below `folder`; false on any failure. Adds the files made
// to `files`.
bool MinimalExtract(const std::string& archive, const std::string& folder, int& files);

}  // namespace bench
