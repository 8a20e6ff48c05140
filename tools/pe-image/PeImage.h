// The build's last word on INSTALL.EXE and INSTALL.DLL: the two file-header bits that make
// Windows copy a program to the swap file before running it from removable media or the network.
// Windows pages an image in from its file as it runs; when disk 2 replaces disk 1, or a share
// goes away, the next page-in fails and the installer dies. GNU ld for PE has no option for the
// bits, so they are set here on the linked file, and the image checksum, which covers the header,
// is made right again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pe_image {

inline constexpr std::uint16_t kRemovableRunFromSwap = 0x0400;
inline constexpr std::uint16_t kNetRunFromSwap = 0x0800;

enum class MarkResult {
  kMarked,      // the bits are set now, and a checksum the linker wrote is computed again
  kUnchanged,   // both bits were set and the checksum right: the file need not be written
  kNotAnImage,  // no "MZ" at the start, or no "PE" signature where its header points
  kTruncated,   // the file ends inside the headers
};

// Sets both bits in the file header. A non-zero checksum is computed again; a zero one stays
// zero, since Windows only checks the sums of drivers and of what the linker asked to be checked.
// On an error the image is left as it was.
MarkResult MarkRunFromSwap(std::vector<std::uint8_t>& image);

// The checksum Windows' CheckSumMappedFile computes: the file's little-endian 16-bit words
// added with their carries folded back in, the four bytes at `checksumOffset` counted as zero,
// a last odd byte as a word of its own, and the file's length added at the end.
std::uint32_t ImageChecksum(std::span<const std::uint8_t> image, std::size_t checksumOffset);

}  // namespace pe_image
