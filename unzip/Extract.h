// Extract is the whole of UnzDllExec in portable C++: it reads the archive named in the record,
// writes the wanted members into the storage's current folder and reports through the record's
// callback. The DLL calls it with its Win32 storage; native tests, the fuzzer and the benchmark
// call it with others.
//
// Every member is written to a temporary file beside its target and takes the target's name only
// once it is complete and its CRC-32 is right, so a member that fails (damaged data, full disk, a
// stop request) never leaves half a file, nor costs the file a previous installation left there.
#pragma once

#include <cstdint>

#include "unzip/Storage.h"
#include "unzip/UnzipApi.h"

namespace unzip {

// The result of UnzDllExec: failed member count, or kUnzipBadParams / BadArchive / Stopped.
std::int32_t Extract(const UnzipParams& params, Storage& storage);

}  // namespace unzip
