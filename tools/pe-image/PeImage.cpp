#include "tools/pe-image/PeImage.h"

namespace pe_image {
namespace {

// Offsets of the PE format, from the start of the file or of the header that holds them.
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kNewHeaderPointer = 0x3C;
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kOptionalHeaderSizeField = 16;
constexpr std::size_t kCharacteristicsField = 18;
// At the same place in PE32 and PE32+ optional headers.
constexpr std::size_t kChecksumField = 64;

std::uint32_t Read(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

void Write(std::vector<std::uint8_t>& bytes, std::size_t at, int size, std::uint32_t value) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Fold(std::uint32_t sum) { return (sum & 0xFFFF) + (sum >> 16); }

}  // namespace

std::uint32_t ImageChecksum(std::span<const std::uint8_t> image, std::size_t checksumOffset) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at + 1 < image.size(); at += 2) {
    if (at >= checksumOffset && at < checksumOffset + 4) continue;
    sum = Fold(sum + Read(image, at, 2));
  }
  if (image.size() % 2 != 0) sum = Fold(sum + image.back());
  return Fold(sum) + static_cast<std::uint32_t>(image.size());
}

MarkResult MarkRunFromSwap(std::vector<std::uint8_t>& image) {
  if (image.size() < 2 || image[0] != 'M' || image[1] != 'Z') return MarkResult::kNotAnImage;
  if (image.size() < kDosHeaderSize) return MarkResult::kTruncated;

  const std::size_t signature = Read(image, kNewHeaderPointer, 4);
  if (signature > image.size() || image.size() - signature < kSignatureSize + kFileHeaderSize) {
    return MarkResult::kTruncated;
  }
  const std::size_t fileHeader = signature + kSignatureSize;
  const std::size_t optionalHeader = fileHeader + kFileHeaderSize;
  if (Read(image, signature, 4) != 0x00004550) return MarkResult::kNotAnImage;  // "PE\0\0"

  const std::size_t optionalSize = Read(image, fileHeader + kOptionalHeaderSizeField, 2);
  const std::size_t checksum = optionalHeader + kChecksumField;
  if (optionalSize < kChecksumField + 4 || image.size() - optionalHeader < optionalSize) {
    return MarkResult::kTruncated;
  }

  const std::size_t characteristics = fileHeader + kCharacteristicsField;
  const std::uint32_t before = Read(image, characteristics, 2);
  const std::uint32_t oldSum = Read(image, checksum, 4);
  Write(image, characteristics, 2, before | kRemovableRunFromSwap | kNetRunFromSwap);
  const std::uint32_t newSum = oldSum == 0 ? 0 : ImageChecksum(image, checksum);
  Write(image, checksum, 4, newSum);
  const bool same = Read(image, characteristics, 2) == before && newSum == oldSum;
  return same ? MarkResult::kUnchanged : MarkResult::kMarked;
}

}  // namespace pe_image
