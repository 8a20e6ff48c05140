#include "bench/install/MinimalExtract.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace bench {
namespace {

std::uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

bool ReadWhole(const std::string& path, std::vector<unsigned char>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD got = 0;
  const bool ok =
      ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr) && got == bytes.size();
  CloseHandle(file);
  return ok;
}

void MakeFolders(const std::string& path, std::string& last) {
  if (path == last) return;
  for (std::size_t slash = path.find('\\'); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
  last = path;
}

}  // namespace

bool MinimalExtract(const std::string& archive, const std::string& folder, int& files) {
  std::vector<unsigned char> zip;
  if (!ReadWhole(archive, zip) || zip.size() < 22) return false;
  std::size_t end = zip.size() - 22;
  while (end > 0 && Le32(&zip[end]) != 0x06054b50) --end;
  std::size_t at = Le32(&zip[end + 16]);
  const std::uint32_t entries = Le16(&zip[end + 10]);
  std::vector<unsigned char> out(256 * 1024);
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  std::string lastFolder;
  bool ok = true;
  for (std::uint32_t i = 0; i < entries && ok; ++i) {
    const unsigned char* h = &zip[at];
    const std::uint32_t method = Le16(h + 10);
    const std::uint32_t time = Le16(h + 12);
    const std::uint32_t date = Le16(h + 14);
    const std::uint32_t crc = Le32(h + 16);
    const std::uint32_t packed = Le32(h + 20);
    const std::uint32_t nameLength = Le16(h + 28);
    const std::uint32_t localHeader = Le32(h + 42);
    std::string name(reinterpret_cast<const char*>(h + 46), nameLength);
    at += 46 + nameLength + Le16(h + 30) + Le16(h + 32);
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    std::string path = folder + "\\" + name;
    if (name.back() == '\\') {
      path.pop_back();
      MakeFolders(path, lastFolder);
      continue;
    }
    MakeFolders(path.substr(0, path.rfind('\\')), lastFolder);
    const unsigned char* data =
        &zip[localHeader + 30 + Le16(&zip[localHeader + 26]) + Le16(&zip[localHeader + 28])];
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    uLong sum = crc32(0, nullptr, 0);
    DWORD put = 0;
    if (method == 0) {
      sum = crc32(sum, data, packed);
      ok = WriteFile(file, data, packed, &put, nullptr);
    } else {
      inflateReset(&stream);
      stream.next_in = const_cast<Bytef*>(data);
      stream.avail_in = packed;
      int status = Z_OK;
      while (status == Z_OK && ok) {
        stream.next_out = out.data();
        stream.avail_out = uInt(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const DWORD got = DWORD(out.size() - stream.avail_out);
        sum = crc32(sum, out.data(), got);
        ok = (status == Z_OK || status == Z_STREAM_END) &&
             (got == 0 || WriteFile(file, out.data(), got, &put, nullptr));
      }
    }
    FILETIME localStamp{};
    FILETIME utc{};
    DosDateTimeToFileTime(WORD(date), WORD(time), &localStamp);
    LocalFileTimeToFileTime(&localStamp, &utc);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
    ok = ok && sum == crc;
    ++files;
  }
  inflateEnd(&stream);
  return ok;
}

}  // namespace bench
