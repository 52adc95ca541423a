/* deflate_ref -- Debian's libdeflate, the system library rather than the
 * copy vpack compiles, for tests that compare the two.
 *
 *   deflate_ref --version        the library header's version
 *   deflate_ref LEVEL FILE...    each file's zlib stream at LEVEL: a line
 *                                per file, the stream's length and CRC-32
 */
#include <libdeflate.h>
#include <zlib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char **argv)
{
    if (argc == 2 && !strcmp(argv[1], "--version"))
        return printf("%s\n", LIBDEFLATE_VERSION_STRING) < 0;
    libdeflate_compressor *c = argc > 1 ? libdeflate_alloc_compressor(atoi(argv[1])) : NULL;
    if (!c) {
        fprintf(stderr, "usage: deflate_ref --version | LEVEL FILE...\n");
        return 2;
    }
    for (int i = 2; i < argc; i++) {
        std::ifstream f(argv[i], std::ios::binary);
        if (!f) {
            perror(argv[i]);
            return 1;
        }
        std::vector<char> data((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
        std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c, data.size()));
        size_t n = libdeflate_zlib_compress(c, data.data(), data.size(),
                                            out.data(), out.size());
        printf("%zu %08lx\n", n, crc32(0, out.data(), (uInt)n));
    }
    libdeflate_free_compressor(c);
    return 0;
}
