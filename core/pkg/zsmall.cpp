/* zsmall.cpp -- zlib's two checksums in small form, for the Windows builds.
 *
 * Defined here, they keep zlib's own adler32.o and crc32.o (10 KB of code
 * and tables, most of it for gzip streams) out of setup: the linker takes
 * an archive member only for a symbol nobody defines yet.  uncompress
 * checks zlib streams, which carry an Adler-32; the CRC-32 is there only
 * for gzip headers, which setup never inflates, so it is the plain bitwise
 * form.  Both give zlib's results; the tests compare them with known
 * values.
 */
#include "ident.h"

#include <zlib.h>

MODULE_IDENT("core/pkg/zsmall.cpp");

uLong ZEXPORT adler32(uLong adler, const Bytef *buf, uInt len)
{
    const uLong BASE = 65521;
    uLong s1 = adler & 0xFFFF, s2 = (adler >> 16) & 0xFFFF;
    if (!buf)
        return 1;
    while (len) {
        /* 5552 bytes: the most that cannot overflow s2 before the modulo */
        uInt n = len < 5552 ? len : 5552;
        len -= n;
        do {
            s1 += *buf++;
            s2 += s1;
        } while (--n);
        s1 %= BASE;
        s2 %= BASE;
    }
    return s2 << 16 | s1;
}

uLong ZEXPORT crc32(uLong crc, const Bytef *buf, uInt len)
{
    if (!buf)
        return 0;
    crc = ~crc & 0xFFFFFFFF;
    while (len--) {
        crc ^= *buf++;
        for (int k = 0; k < 8; k++)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return crc ^ 0xFFFFFFFF;
}
