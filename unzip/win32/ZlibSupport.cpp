// What zlib's inflate takes from zlib's other objects, answered here, so that the linker takes
// inflate without them: INSTALL.DLL inflates raw deflate alone. inflate refers to crc32 for the
// gzip format and to adler32 for the zlib format, which raw deflate never reaches, and to zcalloc
// and zcfree for a stream that names no allocator. Defined here, zlib's CRC object (its 6 KB of
// tables), its Adler-32 object (1.8 KB of unrolled sums and combinations) and its utility object
// (the version and error texts) stay out. Should a later zlib need another symbol of one of those
// objects, the link fails on the duplicate definition rather than carrying both.
#include <zlib.h>

#include <cstdlib>

#include "unzip/Crc32.h"

extern "C" {

uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  if (buf == nullptr) return 0;
  return unzip::Crc32(std::uint32_t(crc), buf, len);
}

// The plain sum, a byte a step: a zlib stream's check, should one ever be inflated here.
uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len) {
  if (buf == nullptr) return 1;
  constexpr uLong kBase = 65521;
  uLong low = adler & 0xFFFF;
  uLong high = (adler >> 16) & 0xFFFF;
  for (uInt i = 0; i < len; ++i) {
    low = (low + buf[i]) % kBase;
    high = (high + low) % kBase;
  }
  return (high << 16) | low;
}

voidpf zcalloc(voidpf, unsigned items, unsigned size) { return std::calloc(items, size); }

void zcfree(voidpf, voidpf address) { std::free(address); }

}  // extern "C"
