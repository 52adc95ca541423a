/* Fuzz target: the reader's inflater against zlib's uncompress2 on the
 * same bytes; the two must agree on refusal, on the bytes inflated and on
 * the length of the stream.
 *   byte 0  the capacity: when zlib inflates the stream, its length
 *           moved by (byte 0 % 7) - 3 (0 stays 0); else byte 0 * 16
 *   byte 1  bit 0 set: the header 78 9C goes before the rest, so that
 *           random bytes reach the blocks
 *   rest    the stream */
#include "pkg/pkg.h"

#include <string.h>
#include <zlib.h>
#include <vector>

static int zlib_run(const std::vector<uint8_t> &in, size_t cap,
                    std::vector<uint8_t> &out, size_t *used)
{
    out.assign(cap ? cap : 1, 0);
    uLongf len = cap;
    uLong n = in.size();
    int rc = uncompress2(out.data(), &len, in.data(), &n);
    out.resize(len);
    *used = n;
    return rc == Z_OK;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > (1 << 16))
        return 0;
    std::vector<uint8_t> in;
    if (data[1] & 1)
        in = {0x78, 0x9C};
    in.insert(in.end(), data + 2, data + size);

    /* the stream's own length, into a buffer kept from run to run */
    static std::vector<uint8_t> probe(1 << 22);
    uLongf plen = probe.size();
    uLong pn = in.size();
    size_t cap = (size_t)data[0] * 16;
    if (uncompress2(probe.data(), &plen, in.data(), &pn) == Z_OK) {
        long c = (long)plen + (data[0] % 7) - 3;
        cap = plen == 0 ? 0 : c < 0 ? 0 : (size_t)c;
    }
    std::vector<uint8_t> want;
    size_t wantUsed = 0;
    int wantOk = zlib_run(in, cap, want, &wantUsed);

    /* exact-size copies, so that ASan sees any access past them */
    uint8_t *src = new uint8_t[in.size() + 1];
    uint8_t *dst = new uint8_t[cap + 1];
    if (!in.empty())
        memcpy(src, in.data(), in.size());
    size_t len = cap, n = in.size();
    int ok = pkg_Inflate(cap ? dst : NULL, &len, src, &n);
    if (ok != wantOk ||
        (ok && (n != wantUsed || len != want.size() ||
                memcmp(dst, want.data(), len) != 0)))
        __builtin_trap();
    delete[] src;
    delete[] dst;
    return 0;
}
