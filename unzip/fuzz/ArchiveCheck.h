// The archive fuzz target's property, shared by the libFuzzer target and by the native test that
// replays the committed corpus: any bytes are extracted into an in-memory storage that holds the
// extractor to its promises while it works, and the outcome is compared with what the archive's
// own directory says.
//
// The promises: no path leaves the extraction folder; one output is open at a time, inside a
// folder made before it; the extractor removes or renames only files it made for the member in
// hand, so a file of an earlier installation or of an earlier member is never lost; when a member
// is over, what it left is at most one closed file, under the member's own name, whose size and
// CRC-32 are the directory's; a member stopped by the callback leaves nothing, and nothing is
// written after a stop; the result counts every announced member that left no file.
//
// The last two bytes of the input, which a reader takes for trailing junk or for the end record's
// comment length, also set up the run: the last one asks for a file spec (bit 0), lays
// a previous installation under the members' names (bit 1) and stale temporary files in every
// folder (bit 2), and answers "stop" at the callback call it numbers in bits 3-7 (0: never); the
// one before it, when not 0, makes that storage call (counting folder and file creations, writes,
// time stamps, closes and renames; never removals) fail once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace unzip::fuzz {

// Empty when every promise held; otherwise the first one broken.
std::string CheckArchiveInput(const std::uint8_t* data, std::size_t size);

}  // namespace unzip::fuzz
