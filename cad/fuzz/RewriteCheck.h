// The rewrite fuzz target's property, shared by the libFuzzer target and by the native test that
// replays the committed corpus: any bytes, with any line ends, are rewritten through
// RewriteWithBackup on the in-memory file system, and the outcome is compared with a model that
// splits the text into lines on its own.
//
// Without the marker, the file's name must hold every line of the old text, in order, with the
// rule's lines after each line that holds the trigger and the trailer after the last, each line
// ended by CR LF; the old text must be the backup, byte for byte, and the journal must be told
// exactly the inserted lines. A file that holds the marker must be left byte for byte, with every
// other file. When the input asks for a failing file operation, the file's name must still hold
// the old text or the complete new one, with the old text as the backup whenever the new one is
// in place. A backup or a copy someone left under the rewrite's names stays byte for byte: the
// rewrite takes the next free names.
//
// The input: three bytes of set-up, then four fields ended by a zero byte (marker, trigger, the
// inserted line, the trailer line; line ends are dropped from them), then the file's bytes.
//   byte 0: bits 0-1 trailer lines (0-3), bits 6-7 lines inserted after each line that holds the
//           trigger (0-3), bit 4 the trigger must be the whole line, bit 2 an old backup exists,
//           bit 3 an old temporary file exists, bit 5 a file operation fails;
//   byte 1: the failing operation (bits 0-2), how many of its calls pass first (bits 3-6), and
//           whether it fails as a file held by another program (bit 7 clear) or as a drive not
//           ready (bit 7 set);
//   byte 2: when its bits 5-7 are all set, the file's bytes follow a run of 65504 + bits 0-4
//           letters, so that their first line ends fall on the boundary of the 64 KiB reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cad::fuzz {

// Empty when every promise held; otherwise what went wrong.
std::string CheckRewriteInput(const std::uint8_t* data, std::size_t size);

}  // namespace cad::fuzz
