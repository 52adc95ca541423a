/* inflate_test.cpp -- the reader's inflater against zlib's uncompress2,
 * natively under ASan and UBSan: streams zlib makes at every level,
 * strategy and window size and those libdeflate (vpack's compressor)
 * makes at every level of its own, cut at every length and with their bits
 * flipped, hand-made streams for each rule, capacities around the right
 * one; and the Adler-32 sums against their definition.
 *
 * Every input is an exact-size heap copy, so a read past the stream stops
 * the test. */
#include "pkg/pkg.h"
#include "pkg/pkg_sys.h"
#include "pkg/pkgwrite.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <string.h>
#include <zlib.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

namespace {

/* What one inflater made of a stream. */
struct Outcome {
    bool   ok;
    Bytes  out;      /* the bytes inflated, when ok */
    size_t used;     /* the stream's length, when ok */
};

bool operator==(const Outcome &a, const Outcome &b)
{
    return a.ok == b.ok && (!a.ok || (a.out == b.out && a.used == b.used));
}

std::ostream &operator<<(std::ostream &o, const Outcome &r)
{
    if (!r.ok)
        return o << "refused";
    return o << "ok, " << r.out.size() << " bytes from " << r.used;
}

Outcome zlib_inflate(const Bytes &stream, size_t capacity)
{
    Bytes in(stream), out(capacity ? capacity : 1);
    uLongf len = capacity;
    uLong used = in.size();
    int rc = uncompress2(out.data(), &len,
                         in.empty() ? NULL : in.data(), &used);
    if (rc != Z_OK)
        return {false, {}, 0};
    out.resize(len);
    return {true, out, used};
}

Outcome own_inflate(const Bytes &stream, size_t capacity)
{
    /* exact-size copies: ASan sees a read or write one byte past */
    uint8_t *in = new uint8_t[stream.size() ? stream.size() : 1];
    uint8_t *out = new uint8_t[capacity ? capacity : 1];
    if (!stream.empty())
        memcpy(in, stream.data(), stream.size());
    size_t len = capacity, used = stream.size();
    int ok = pkg_Inflate(capacity ? out : NULL, &len, in, &used);
    Outcome r = {ok == 1, {}, 0};
    if (ok) {
        r.out.assign(out, out + len);
        r.used = used;
    } else {
        EXPECT_EQ(capacity, len) << "a refusal leaves the capacity";
        EXPECT_EQ(stream.size(), used) << "a refusal leaves the length";
    }
    delete[] in;
    delete[] out;
    return r;
}

/* Both inflaters agree on the stream at this capacity. */
void expect_same(const Bytes &stream, size_t capacity, const std::string &row)
{
    Outcome want = zlib_inflate(stream, capacity);
    Outcome got = own_inflate(stream, capacity);
    EXPECT_EQ(want, got) << row << ", capacity " << capacity;
}

Bytes compress(const Bytes &data, int level, int bits, int strategy)
{
    z_stream z;
    memset(&z, 0, sizeof z);
    EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, bits, 9, strategy));
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = (Bytef *)data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    EXPECT_EQ(Z_STREAM_END, deflate(&z, Z_FINISH));
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

/* libdeflate's zlib stream of data at level (0 to 12). */
Bytes deflated(const Bytes &data, int level)
{
    libdeflate_compressor *c = libdeflate_alloc_compressor(level);
    EXPECT_NE(nullptr, c) << "level " << level;
    if (!c)
        return {};
    Bytes z(libdeflate_zlib_compress_bound(c, data.size()));
    z.resize(libdeflate_zlib_compress(c, data.data(), data.size(), z.data(),
                                      z.size()));
    libdeflate_free_compressor(c);
    return z;
}

uint32_t next_random(uint32_t &x)
{
    x = x * 1103515245u + 12345u;
    return x >> 8;
}

/* Data of several kinds: text with repeats, random bytes, long runs, and
 * a mix that gives dynamic blocks with long codes. */
Bytes sample(int kind, size_t n)
{
    Bytes b(n);
    uint32_t x = 7u + (uint32_t)kind;
    static const char words[] =
        "the install package holds zlib streams, one for each member; ";
    for (size_t i = 0; i < n; i++) {
        switch (kind) {
        case 0: b[i] = (uint8_t)words[(i * 7 + i / 61) % (sizeof words - 1)]; break;
        case 1: b[i] = (uint8_t)next_random(x); break;
        case 2: b[i] = (uint8_t)(i / 300 % 3); break;
        default: {
            /* skewed symbols: codes up to 15 bits long */
            uint32_t r = next_random(x) & 0xFFFF, s = 0;
            while (r & 1 && s < 40) {
                r >>= 1;
                s++;
            }
            b[i] = (uint8_t)(s * 6 + (i % 5 == 0 ? next_random(x) % 6 : 0));
        }
        }
    }
    return b;
}

/* ---- bit writer for hand-made streams ---- */

struct Bits {
    Bytes    bytes;
    uint32_t acc = 0;
    int      n = 0;
    void put(uint32_t v, int count)
    {
        for (int i = 0; i < count; i++) {
            acc |= (v >> i & 1) << n;
            if (++n == 8) {
                bytes.push_back((uint8_t)acc);
                acc = 0;
                n = 0;
            }
        }
    }
    /* a Huffman code, most significant bit first */
    void code(uint32_t v, int len)
    {
        for (int i = len - 1; i >= 0; i--)
            put(v >> i & 1, 1);
    }
    void align()
    {
        if (n)
            put(0, 8 - n);
    }
};

/* Header 78 9C, the blocks, and the Adler-32 of want. */
Bytes zlib_wrap(Bits body, const Bytes &want)
{
    body.align();
    Bytes s = {0x78, 0x9C};
    s.insert(s.end(), body.bytes.begin(), body.bytes.end());
    uint32_t a = (uint32_t)adler32(1, want.data(), (uInt)want.size());
    for (int i = 3; i >= 0; i--)
        s.push_back((uint8_t)(a >> (8 * i)));
    return s;
}

/* The fixed code of a literal or length symbol. */
void fixed_symbol(Bits &b, int sym)
{
    if (sym < 144)
        b.code(0x30 + sym, 8);
    else if (sym < 256)
        b.code(0x190 + sym - 144, 9);
    else if (sym < 280)
        b.code(sym - 256, 7);
    else
        b.code(0xC0 + sym - 280, 8);
}

/* The start of a last dynamic block: its three counts, and the lengths
 * of the code-length code (clen, of the symbols 0..18; none when empty). */
void dynamic_start(Bits &b, int nlen, int ndist, const std::vector<int> &clen)
{
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                  11, 4, 12, 3, 13, 2, 14, 1, 15};
    b.put(1, 1);
    b.put(2, 2);
    b.put((uint32_t)(nlen - 257), 5);
    b.put((uint32_t)(ndist - 1), 5);
    b.put(clen.empty() ? 0 : 19 - 4, 4);
    for (size_t i = 0; i < clen.size(); i++)
        b.put((uint32_t)clen[order[i]], 3);
}

/* A dynamic block header: the lit/len and distance code lengths, each
 * sent with the code-length code clen. */
void dynamic_header(Bits &b, const std::vector<int> &lens, int nlen, int ndist,
                    const std::vector<int> &clen)
{
    dynamic_start(b, nlen, ndist, clen);
    /* canonical codes of the code-length code */
    int count[8] = {0}, next[8] = {0};
    for (int l : clen)
        count[l]++;
    count[0] = 0;
    for (int l = 1, c = 0; l < 8; l++) {
        c = (c + count[l - 1]) << 1;
        next[l] = c;
    }
    std::vector<int> codes(19);
    for (int s = 0; s < 19; s++)
        if (clen[s])
            codes[s] = next[clen[s]]++;
    for (int l : lens)
        b.code((uint32_t)codes[l], clen[l]);
}

}  // namespace

/* ---- streams zlib makes ---- */

TEST(Inflate, EveryLevelStrategyAndWindow)
{
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY,
                              Z_RLE, Z_FIXED};
    const size_t sizes[] = {0, 1, 2, 100, 5000, 70000};
    for (int kind = 0; kind < 4; kind++)
        for (size_t n : sizes)
            for (int level = 0; level <= 9; level += 3)
                for (int strategy : strategies)
                    for (int bits : {9, 12, 15}) {
                        Bytes data = sample(kind, n);
                        Bytes z = compress(data, level, bits, strategy);
                        std::string row = "kind " + std::to_string(kind) +
                                          " size " + std::to_string(n) +
                                          " level " + std::to_string(level) +
                                          " strategy " + std::to_string(strategy) +
                                          " bits " + std::to_string(bits);
                        Outcome got = own_inflate(z, n);
                        ASSERT_TRUE(got.ok) << row;
                        EXPECT_EQ(data, got.out) << row;
                        EXPECT_EQ(z.size(), got.used) << row;
                        expect_same(z, n, row);
                    }
}

/* vpack's members: libdeflate's zlib streams at each of its levels, over
 * sizes that take one block or several. */
TEST(Inflate, EveryLibdeflateLevel)
{
    const size_t sizes[] = {0, 1, 2, 100, 5000, 70000, 400000};
    for (int level = 0; level <= 12; level++)
        for (int kind = 0; kind < 4; kind++)
            for (size_t n : sizes) {
                Bytes data = sample(kind, n), z = deflated(data, level);
                std::string row = "libdeflate level " + std::to_string(level) +
                                  " kind " + std::to_string(kind) + " size " +
                                  std::to_string(n);
                Outcome got = own_inflate(z, n);
                ASSERT_TRUE(got.ok) << row;
                EXPECT_EQ(data, got.out) << row;
                EXPECT_EQ(z.size(), got.used) << row;
                expect_same(z, n, row);
            }
}

TEST(Inflate, CapacitiesAroundTheRightOne)
{
    for (size_t n : {0u, 1u, 2u, 300u, 40000u}) {
        Bytes z = compress(sample(0, n), 9, 15, Z_DEFAULT_STRATEGY);
        for (size_t cap : {n, n + 1, n + 1000, n ? n - 1 : 0, (size_t)0,
                           (size_t)1})
            expect_same(z, cap, "size " + std::to_string(n));
    }
}

TEST(Inflate, BytesAfterTheStreamAreLeft)
{
    Bytes data = sample(0, 1000);
    Bytes z = compress(data, 6, 15, Z_DEFAULT_STRATEGY);
    Bytes tail = z;
    tail.insert(tail.end(), {1, 2, 3, 4, 5});
    Outcome got = own_inflate(tail, data.size());
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(z.size(), got.used);
    expect_same(tail, data.size(), "five bytes after");
}

TEST(Inflate, EveryCutOfAStream)
{
    for (int kind = 0; kind < 4; kind++) {
        Bytes data = sample(kind, 3000);
        /* zlib's levels 0, 1 and 9 (libdeflate's as vpack packs: -1) */
        for (int level : {0, 1, 9, -1}) {
            Bytes z = level < 0 ? deflated(data, PKW_DEFLATE_LEVEL)
                                : compress(data, level, 15, Z_DEFAULT_STRATEGY);
            for (size_t cut = 0; cut < z.size(); cut++) {
                std::string row = "kind " + std::to_string(kind) + " level " +
                                  std::to_string(level) + " cut at " +
                                  std::to_string(cut);
                Bytes part(z.begin(), z.begin() + (long)cut);
                EXPECT_FALSE(own_inflate(part, data.size()).ok) << row;
                expect_same(part, data.size(), row);
            }
        }
    }
}

TEST(Inflate, EveryFlippedBitOfAStream)
{
    for (int kind : {0, 3}) {
        Bytes data = sample(kind, 600);
        /* -1: libdeflate's level, as vpack packs */
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, -1}) {
            Bytes z = strategy < 0 ? deflated(data, PKW_DEFLATE_LEVEL)
                                   : compress(data, 9, 15, strategy);
            for (size_t bit = 0; bit < z.size() * 8; bit++) {
                Bytes bad = z;
                bad[bit / 8] ^= (uint8_t)(1 << (bit % 8));
                for (size_t cap : {data.size(), data.size() + 64})
                    expect_same(bad, cap, "kind " + std::to_string(kind) +
                                              " strategy " +
                                              std::to_string(strategy) +
                                              " bit " + std::to_string(bit));
            }
        }
    }
}

TEST(Inflate, RandomBytesAfterAHeader)
{
    uint32_t x = 99;
    for (int i = 0; i < 20000; i++) {
        Bytes b = {0x78, 0x9C};
        size_t n = next_random(x) % 40;
        for (size_t k = 0; k < n; k++)
            b.push_back((uint8_t)next_random(x));
        expect_same(b, next_random(x) % 300, "random input " + std::to_string(i));
    }
}

/* ---- hand-made streams, one rule each ---- */

TEST(Inflate, HandMadeStreams)
{
    const Bytes abc = {'a', 'b', 'c'};
    struct Row {
        const char *name;
        Bytes       stream;
        bool        ok;
    };
    std::vector<Row> rows;

    auto fixed_abc = [&](void (*after)(Bits &)) {
        Bits b;
        b.put(1, 1);
        b.put(1, 2);
        for (uint8_t c : abc)
            fixed_symbol(b, c);
        after(b);
        return zlib_wrap(b, abc);
    };
    rows.push_back({"fixed abc", fixed_abc([](Bits &b) { fixed_symbol(b, 256); }), true});
    rows.push_back({"fixed code 286", fixed_abc([](Bits &b) { fixed_symbol(b, 286); }), false});
    rows.push_back({"fixed code 287", fixed_abc([](Bits &b) { fixed_symbol(b, 287); }), false});
    rows.push_back({"distance code 30", fixed_abc([](Bits &b) {
        fixed_symbol(b, 257); b.code(30, 5); fixed_symbol(b, 256); }), false});
    rows.push_back({"distance code 31", fixed_abc([](Bits &b) {
        fixed_symbol(b, 257); b.code(31, 5); fixed_symbol(b, 256); }), false});
    rows.push_back({"distance 4 after 3 bytes", fixed_abc([](Bits &b) {
        fixed_symbol(b, 257); b.code(3, 5); fixed_symbol(b, 256); }), false});
    {
        /* distance 3, length 3: "abcabc" */
        Bits b;
        b.put(1, 1);
        b.put(1, 2);
        for (uint8_t c : abc)
            fixed_symbol(b, c);
        fixed_symbol(b, 257);
        b.code(2, 5);
        fixed_symbol(b, 256);
        rows.push_back({"distance 3 after 3 bytes",
                        zlib_wrap(b, {'a', 'b', 'c', 'a', 'b', 'c'}), true});
    }
    {
        /* length 258 (code 285) at distance 1 */
        Bits b;
        b.put(1, 1);
        b.put(1, 2);
        fixed_symbol(b, 'x');
        fixed_symbol(b, 285);
        b.code(0, 5);
        fixed_symbol(b, 256);
        rows.push_back({"length 258", zlib_wrap(b, Bytes(259, 'x')), true});
    }
    rows.push_back({"block type 3", [&] {
        Bits b; b.put(1, 1); b.put(3, 2); return zlib_wrap(b, {}); }(), false});
    {
        /* a stored block of abc, its NLEN as given */
        auto stored_abc = [&](uint32_t nlen) {
            Bits b;
            b.put(1, 1);
            b.put(0, 2);
            b.align();
            b.put(3, 16);
            b.put(nlen, 16);
            for (uint8_t c : abc)
                b.put(c, 8);
            return zlib_wrap(b, abc);
        };
        rows.push_back({"stored abc", stored_abc(0xFFFC), true});
        rows.push_back({"stored NLEN not ~LEN", stored_abc(0xFFFD), false});
        Bits empty;
        empty.put(0, 1);
        empty.put(0, 2);
        empty.align();
        empty.put(0, 16);
        empty.put(0xFFFF, 16);
        empty.put(1, 1);
        empty.put(1, 2);
        fixed_symbol(empty, 256);
        rows.push_back({"empty stored block, then the last", zlib_wrap(empty, {}), true});
    }
    {
        Bytes s = fixed_abc([](Bits &b) { fixed_symbol(b, 256); });
        Bytes sum = s;
        sum.back() ^= 1;
        rows.push_back({"wrong checksum", sum, false});
        Bytes h = s;
        h[1] ^= 1;
        rows.push_back({"header check", h, false});
        Bytes m = s;
        m[0] = 0x79;   /* method 9 */
        m[1] = (uint8_t)(31 - (0x79 * 256) % 31);
        rows.push_back({"method 9", m, false});
        Bytes w = s;
        w[0] = 0x88;   /* window 64 KB */
        w[1] = (uint8_t)(31 - (0x88 * 256) % 31);
        rows.push_back({"window 64 KB", w, false});
        Bytes w8 = s;
        w8[0] = 0x08;  /* window 256 bytes */
        w8[1] = (uint8_t)(31 - (0x08 * 256) % 31);
        rows.push_back({"window 256 bytes", w8, true});
        Bytes d = s;
        d[1] = 0x20;   /* preset dictionary */
        d[1] = (uint8_t)(d[1] + (31 - (0x78 * 256 + d[1]) % 31) % 31);
        rows.push_back({"preset dictionary", d, false});
    }

    /* dynamic blocks: every lit/len length 0 except those named */
    auto dynamic_block = [&](std::vector<int> lit, std::vector<int> dist,
                             std::vector<int> clen, void (*body)(Bits &)) {
        Bits b;
        std::vector<int> lens(lit);
        lens.insert(lens.end(), dist.begin(), dist.end());
        dynamic_header(b, lens, (int)lit.size(), (int)dist.size(), clen);
        body(b);
        return b;
    };
    /* a complete code-length code: 0 in 1 bit, 1 and 2 in 2 bits */
    std::vector<int> clen(19, 0);
    clen[0] = 1;
    clen[1] = 2;
    clen[2] = 2;
    {
        /* only end-of-block, one 1-bit code: incomplete, yet taken */
        std::vector<int> lit(257, 0);
        lit[256] = 1;
        Bits b = dynamic_block(lit, {0}, clen, [](Bits &x) { x.code(0, 1); });
        rows.push_back({"one 1-bit code (end of block)", zlib_wrap(b, {}), true});
        Bits u = dynamic_block(lit, {0}, clen, [](Bits &x) { x.code(1, 1); });
        rows.push_back({"the missing half of a 1-bit code", zlib_wrap(u, {}), false});
        /* 'a' and end-of-block 1 bit each: complete */
        std::vector<int> two(257, 0);
        two['a'] = 1;
        two[256] = 1;
        Bits c = dynamic_block(two, {0}, clen, [](Bits &x) {
            x.code(0, 1); x.code(0, 1); x.code(1, 1); });
        rows.push_back({"two 1-bit codes", zlib_wrap(c, {'a', 'a'}), true});
        /* no end-of-block code */
        std::vector<int> noend(257, 0);
        noend['a'] = 1;
        noend['b'] = 1;
        Bits e = dynamic_block(noend, {0}, clen, [](Bits &x) { x.code(0, 1); });
        rows.push_back({"no end-of-block code", zlib_wrap(e, {'a'}), false});
        /* incomplete code of two lengths: 'a' 1 bit, 256 2 bits */
        std::vector<int> inc(257, 0);
        inc['a'] = 1;
        inc[256] = 2;
        Bits f = dynamic_block(inc, {0}, clen, [](Bits &x) { x.code(2, 2); });
        rows.push_back({"incomplete literal code", zlib_wrap(f, {}), false});
        /* over-subscribed: three 1-bit codes */
        std::vector<int> over(257, 0);
        over['a'] = over['b'] = over[256] = 1;
        Bits g = dynamic_block(over, {0}, clen, [](Bits &x) { x.code(1, 1); });
        rows.push_back({"over-subscribed literal code", zlib_wrap(g, {}), false});
        /* distance code with two 1-bit codes but incomplete with 2 bits */
        Bits h = dynamic_block(two, {1, 2}, clen, [](Bits &x) { x.code(1, 1); });
        rows.push_back({"incomplete distance code", zlib_wrap(h, {}), false});
    }
    {
        /* an incomplete code-length code is refused (0: 1 bit, 1: 2 bits) */
        std::vector<int> part(19, 0);
        part[0] = 1;
        part[1] = 2;
        std::vector<int> two(257, 0);
        two['a'] = 1;
        two[256] = 1;
        Bits b = dynamic_block(two, {0}, part, [](Bits &x) {
            x.code(0, 1); x.code(1, 1); });
        rows.push_back({"incomplete code-length code", zlib_wrap(b, {'a'}), false});
    }
    {
        /* repeat (16) as the first length */
        std::vector<int> rep(19, 0);
        rep[16] = 1;
        rep[1] = 1;
        Bits b;
        dynamic_start(b, 257, 1, rep);
        b.code(1, 1);      /* 16 (codes: 1 -> 0, 16 -> 1) */
        b.put(0, 2);
        rows.push_back({"repeat with nothing before", zlib_wrap(b, {}), false});
    }
    {
        /* 287 literal codes and 31 distance codes declared */
        Bits b;
        dynamic_start(b, 287, 1, {});
        rows.push_back({"287 literal codes", zlib_wrap(b, {}), false});
        Bits d;
        dynamic_start(d, 257, 31, {});
        rows.push_back({"31 distance codes", zlib_wrap(d, {}), false});
    }

    for (const Row &r : rows) {
        Outcome got = own_inflate(r.stream, 300);
        EXPECT_EQ(r.ok, got.ok) << r.name;
        expect_same(r.stream, 300, r.name);
    }
}

/* ---- Adler-32 ---- */

namespace {

uint32_t slow_adler(uint32_t adler, const uint8_t *p, size_t n)
{
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < n; i++) {
        a = (a + p[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

}  // namespace

TEST(Adler, KnownValues)
{
    const struct { const char *text; uint32_t adler; } rows[] = {
        {"", 1},
        {"a", 0x00620062},
        {"123456789", 0x091E01DE},
        {"Wikipedia", 0x11E60398},
    };
    for (const auto &r : rows) {
        const uint8_t *p = (const uint8_t *)r.text;
        size_t n = strlen(r.text);
        EXPECT_EQ(r.adler, pkg_Adler32(1, p, n)) << r.text;
        EXPECT_EQ(r.adler, pkgsys_AdlerPlain(1, p, n)) << r.text;
    }
}

TEST(Adler, AgainstTheDefinition)
{
    std::vector<uint8_t> data(3 * 5552 + 17);
    uint32_t x = 12345;
    for (auto &b : data)
        b = (uint8_t)(next_random(x) >> 15 | 0xF0);   /* large bytes: worst case */
    const size_t lengths[] = {0, 1, 15, 16, 17, 5551, 5552, 5553, 2 * 5552,
                              data.size()};
    const uint32_t starts[] = {1, 0xFFF0FFF0, 0x12345678 % 65521};
    for (size_t n : lengths)
        for (uint32_t s : starts) {
            uint32_t want = slow_adler(s, data.data(), n);
            EXPECT_EQ(want, pkg_Adler32(s, data.data(), n))
                << "length " << n << " start " << s;
            EXPECT_EQ(want, pkgsys_AdlerPlain(s, data.data(), n))
                << "length " << n << " start " << s;
        }
}
