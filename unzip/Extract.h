// Extract is the whole of UnzDllExec in portable C++: it reads the archive named in the record,
// writes the wanted members into the storage's current folder and reports through the record's
// callback. The DLL calls it with its Win32 storage; native tests, the fuzzer and the benchmark
// call it with others.
//
// A member that fails (damaged data, full disk, a stop request) never leaves half a file, nor
// costs the file a previous installation left there (see MemberOutput.h). The calling thread reads
// and inflates the members and calls the callback, in archive order; when the storage allows it,
// a few writer threads create and write the files meanwhile (see WriterPool.h), and every one of
// them is written, or removed, before Extract returns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "unzip/Storage.h"
#include "unzip/UnzipApi.h"

namespace unzip {

// Two writers keep two file creations waiting at once where creating a file is mostly waiting
// (a virus scanner reading each new file at its close, a network share, a disk). Under Wine they
// halve the time on a disk, and on tmpfs on one machine, but on another machine's tmpfs, or on a
// two-core machine already busy, they measured slower than one writer or none: two creations in
// one folder fought over the folder's lock in Wine's search for the name (see the README's
// Performance section); bench/install compares the counts (TOLVEK_UNZIP_WRITERS) in one run.
inline constexpr unsigned kDefaultWriters = 2;

struct ExtractOptions {
  // Writer threads; 0 writes every file on the calling thread, one after the other.
  unsigned writers = kDefaultWriters;
  // How far the writers may fall behind: content bytes inflated and not yet written, and members.
  std::size_t pendingBytes = 4u << 20;
  std::size_t pendingMembers = 64;
};

// The result of UnzDllExec: failed member count, or kUnzipBadParams / BadArchive / Stopped.
// `failure`, when given, receives what UnzDllLastFailure reports of this run.
std::int32_t Extract(const UnzipParams& params, Storage& storage,
                     const ExtractOptions& options = {}, UnzipFailure* failure = nullptr);

}  // namespace unzip
