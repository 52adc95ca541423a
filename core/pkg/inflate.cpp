/* inflate.cpp -- one zlib stream inflated in one call, for the package
 * reader: the whole output is one block in memory, so back-references are
 * copied from the output itself; there is no window and nothing is
 * allocated.
 *
 * A zlib stream (RFC 1950, 1951):
 *   2 bytes  CMF, FLG: method 8 (deflate), window at most 32 KB (CINFO
 *            <= 7), no preset dictionary, CMF * 256 + FLG a multiple of 31
 *   blocks   each: 1 bit last-block flag, 2 bits type
 *              0 stored: to the next byte, LEN and NLEN (16 bits each,
 *                NLEN = ~LEN), LEN bytes
 *              1 fixed Huffman codes, 2 dynamic (code lengths first),
 *                3 refused
 *   4 bytes  Adler-32 of the inflated bytes, big-endian, from the byte
 *            after the last block
 * Bits are taken from the least significant end of each byte; Huffman
 * codes start with their most significant bit.
 *
 * What is refused is what zlib's uncompress refuses, so that the two agree
 * on every input (tests/core/inflate_test.cpp and fuzz/inflate_fuzz.cpp
 * compare them): an over-subscribed code, an incomplete one (except a
 * literal or distance code of one 1-bit code), more than 286 literal or
 * 30 distance codes, a length repeat with nothing before it or past the
 * end, a missing end-of-block code, the codes 286, 287 and distances 30,
 * 31 of the fixed code, a distance before the start of the output, more
 * output than the capacity, a truncated stream and a wrong checksum.
 */
#include "pkg.h"
#include "../ident.h"

#include <string.h>

MODULE_IDENT("core/pkg/inflate.cpp");

#define MAX_BITS  15
#define FAST_BITS 10          /* bits of a code looked up in one step */
#define LIT_CODES 288
#define DIST_CODES 32

/* A canonical Huffman code: how many codes of each length, the symbols in
 * code order, and a table of every FAST_BITS-bit start (bit-reversed, as
 * the stream gives them): length << 9 | symbol, or 0 where the code is
 * longer (or absent) and is decoded bit by bit from count and symbol. */
typedef struct Huffman {
    uint16_t count[MAX_BITS + 1];
    uint16_t symbol[LIT_CODES];
    uint16_t fast[1 << FAST_BITS];
} Huffman;

/* The bit buffer holds have bits, a machine word of them: once the input
 * is used up it is filled with zero bytes, counted in past, and the stream
 * is truncated when any of them was taken (have < 8 * past). */
typedef size_t BitBuffer;
#define BUFFER_BITS (8 * sizeof(BitBuffer))

typedef struct Inflater {
    const uint8_t *in, *inEnd;
    BitBuffer bits;
    unsigned have, past;
    uint8_t *out, *outStart, *outEnd;
    Huffman lit, dist;
} Inflater;

/* At least n bits (n <= 25); the buffer is filled whole, so that a
 * literal, or a length with its distance on 64-bit builds, takes one
 * filling. */
static void need(Inflater *s, unsigned n)
{
    if (s->have >= n)
        return;
    do {
        if (s->in < s->inEnd)
            s->bits |= (BitBuffer)*s->in++ << s->have;
        else
            s->past++;
        s->have += 8;
    } while (s->have <= BUFFER_BITS - 8);
}

static unsigned take(Inflater *s, unsigned n)
{
    need(s, n);
    unsigned v = s->bits & ((1u << n) - 1);
    s->bits >>= n;
    s->have -= n;
    return v;
}

static int truncated(const Inflater *s)
{
    return s->have < 8 * s->past;
}

/* To the next byte boundary, and the whole bytes still buffered given back
 * to the input: stored blocks and the checksum are read from there. */
static void unload(Inflater *s)
{
    s->in -= s->have / 8 - s->past;
    s->bits = 0;
    s->have = s->past = 0;
}

/* 1 when the lengths make a code zlib accepts (codeLengths: the code of
 * the code lengths, which must be complete). */
static int build(Huffman *h, const uint8_t *length, int n, int codeLengths)
{
    uint16_t offset[MAX_BITS + 2];
    memset(h->count, 0, sizeof h->count);
    for (int i = 0; i < n; i++)
        h->count[length[i]]++;
    int max = MAX_BITS, left = 1;
    while (max > 0 && !h->count[max])
        max--;
    offset[1] = 0;
    for (int len = 1; len <= MAX_BITS; len++) {
        left = 2 * left - h->count[len];
        if (left < 0)
            return 0;
        offset[len + 1] = (uint16_t)(offset[len] + h->count[len]);
    }
    /* zlib takes an incomplete code only where one 1-bit code or none
     * stands alone; a literal code without codes fails later all the same
     * (it has no end-of-block code). */
    if (left > 0 && (codeLengths || max > 1))
        return 0;
    for (int i = 0; i < n; i++)
        if (length[i])
            h->symbol[offset[length[i]]++] = (uint16_t)i;
    /* Codes of each length follow those of the one before in symbol order:
     * the table is filled by walking the symbols in code order. */
    memset(h->fast, 0, sizeof h->fast);
    unsigned code = 0, index = 0;
    for (unsigned len = 1; len <= FAST_BITS; len++, code <<= 1)
        for (unsigned k = 0; k < h->count[len]; k++, code++, index++) {
            unsigned rev = 0;
            for (unsigned b = 0; b < len; b++)
                rev |= (code >> b & 1) << (len - 1 - b);
            for (; rev < (1u << FAST_BITS); rev += 1u << len)
                h->fast[rev] = (uint16_t)(len << 9 | h->symbol[index]);
        }
    return 1;
}

/* The next symbol, or -1 for a code that is not in the set. */
static int decode(Inflater *s, const Huffman *h)
{
    need(s, MAX_BITS);
    unsigned e = h->fast[s->bits & ((1u << FAST_BITS) - 1)];
    unsigned len = e >> 9;
    int symbol = (int)(e & 511);
    if (!e) {
        int code = 0, first = 0, index = 0;
        symbol = -1;
        for (len = 1; len <= MAX_BITS; len++) {
            code |= (int)(s->bits >> (len - 1) & 1);
            int count = h->count[len];
            if (code - first < count) {
                symbol = h->symbol[index + code - first];
                break;
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        if (symbol < 0)
            return -1;
    }
    s->bits >>= len;
    s->have -= len;
    return symbol;
}

static const uint8_t order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                  11, 4,  12, 3, 13, 2, 14, 1, 15};

/* The code lengths of a dynamic block, then its two codes. */
static int dynamic(Inflater *s)
{
    uint8_t length[286 + 30];
    unsigned nlen = take(s, 5) + 257, ndist = take(s, 5) + 1;
    unsigned ncode = take(s, 4) + 4;
    if (nlen > 286 || ndist > 30)
        return 0;
    memset(length, 0, 19);
    for (unsigned i = 0; i < ncode; i++)
        length[order[i]] = (uint8_t)take(s, 3);
    if (truncated(s) || !build(&s->lit, length, 19, 1))
        return 0;
    for (unsigned i = 0; i < nlen + ndist;) {
        int symbol = decode(s, &s->lit);
        if (symbol < 0 || truncated(s))
            return 0;
        if (symbol < 16) {
            length[i++] = (uint8_t)symbol;
            continue;
        }
        unsigned value = 0, repeat;
        if (symbol == 16) {
            if (i == 0)
                return 0;
            value = length[i - 1];
            repeat = 3 + take(s, 2);
        } else if (symbol == 17)
            repeat = 3 + take(s, 3);
        else
            repeat = 11 + take(s, 7);
        if (truncated(s) || i + repeat > nlen + ndist)
            return 0;
        memset(length + i, (int)value, repeat);
        i += repeat;
    }
    return length[256] && build(&s->lit, length, (int)nlen, 0) &&
           build(&s->dist, length + nlen, (int)ndist, 0);
}

static void fixed(Inflater *s)
{
    uint8_t length[LIT_CODES];
    memset(length, 8, 144);
    memset(length + 144, 9, 112);
    memset(length + 256, 7, 24);
    memset(length + 280, 8, 8);
    build(&s->lit, length, LIT_CODES, 0);
    memset(length, 5, DIST_CODES);
    build(&s->dist, length, DIST_CODES, 0);
}

static const uint16_t length_base[29] = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
static const uint16_t dist_base[30] = {
    1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
    33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
    1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};

/* The symbols of one Huffman block, up to its end-of-block code. */
static int codes(Inflater *s)
{
    for (;;) {
        int symbol = decode(s, &s->lit);
        if (symbol < 0 || truncated(s))
            return 0;
        if (symbol < 256) {
            if (s->out == s->outEnd)
                return 0;
            *s->out++ = (uint8_t)symbol;
            continue;
        }
        if (symbol == 256)
            return 1;
        symbol -= 257;
        if (symbol >= 29)
            return 0;
        unsigned len = length_base[symbol] +
            take(s, symbol < 8 || symbol == 28 ? 0 : (unsigned)symbol / 4 - 1);
        symbol = decode(s, &s->dist);
        if (symbol < 0 || symbol >= 30)
            return 0;
        unsigned dist = dist_base[symbol] +
            take(s, symbol < 4 ? 0 : (unsigned)symbol / 2 - 1);
        if (truncated(s) || dist > (size_t)(s->out - s->outStart) ||
            len > (size_t)(s->outEnd - s->out))
            return 0;
        const uint8_t *from = s->out - dist;
        if (dist >= len) {
            memcpy(s->out, from, len);
            s->out += len;
        } else {
            do
                *s->out++ = *from++;
            while (--len);
        }
    }
}

static int stored(Inflater *s)
{
    unload(s);
    const uint8_t *p = s->in;
    if (s->inEnd - p < 4)
        return 0;
    unsigned len = p[0] | p[1] << 8;
    if ((len ^ (p[2] | p[3] << 8)) != 0xFFFF)
        return 0;
    p += 4;
    if ((size_t)(s->inEnd - p) < len || (size_t)(s->outEnd - s->out) < len)
        return 0;
    memcpy(s->out, p, len);
    s->out += len;
    s->in = p + len;
    return 1;
}

static int blocks(Inflater *s)
{
    const uint8_t *p = s->in;
    if (s->inEnd - p < 2 || (p[0] * 256 + p[1]) % 31 || (p[0] & 15) != 8 ||
        p[0] >> 4 > 7 || p[1] & 0x20)
        return 0;
    s->in += 2;
    unsigned last;
    do {
        last = take(s, 1);
        unsigned type = take(s, 2);
        if (truncated(s) || type == 3)
            return 0;
        if (type == 0) {
            if (!stored(s))
                return 0;
            continue;
        }
        if (type == 1)
            fixed(s);
        else if (!dynamic(s))
            return 0;
        if (!codes(s))
            return 0;
    } while (!last);
    unload(s);
    p = s->in;
    if (s->inEnd - p < 4)
        return 0;
    uint32_t sum = (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 |
                   (uint32_t)p[2] << 8 | p[3];
    s->in = p + 4;
    return sum == pkg_Adler32(1, s->outStart, (size_t)(s->out - s->outStart));
}

int pkg_Inflate(void *dest, size_t *destLen, const void *src, size_t *srcLen)
{
    /* As zlib's uncompress, a capacity of 0 takes a stream of one byte
     * (reported as none): its scratch byte is the output. */
    uint8_t scratch[1];
    Inflater s;
    s.in = (const uint8_t *)src;
    s.inEnd = s.in + *srcLen;
    s.bits = 0;
    s.have = s.past = 0;
    s.outStart = s.out = *destLen ? (uint8_t *)dest : scratch;
    s.outEnd = s.outStart + (*destLen ? *destLen : 1);
    if (!blocks(&s))
        return 0;
    if (*destLen)
        *destLen = (size_t)(s.out - s.outStart);
    *srcLen = (size_t)(s.in - (const uint8_t *)src);
    return 1;
}
