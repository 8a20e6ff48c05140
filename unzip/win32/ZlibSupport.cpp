// zlib's crc32, answered by the library's own sum. inflate refers to crc32 for the gzip format,
// which raw deflate never reaches; defined here, the linker takes zlib's inflate without zlib's
// CRC object and its 6 KB of tables. Should a later zlib need another symbol of that object, the
// link fails on the duplicate definition rather than carrying both.
#include <zlib.h>

#include "unzip/Crc32.h"

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  if (buf == nullptr) return 0;
  return unzip::Crc32(std::uint32_t(crc), buf, len);
}
