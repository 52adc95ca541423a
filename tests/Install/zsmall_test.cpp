/* zsmall_test.cpp -- setup's own adler32 and crc32 give zlib's results:
 * known values, and a slow reference (the definitions, summed modulo at
 * every byte) over lengths around the 5552-byte run and start values
 * other than the initial one. */
#include <zlib.h>

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

namespace {

uLong slow_adler(uLong adler, const unsigned char *p, size_t n)
{
    uLong a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < n; i++) {
        a = (a + p[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

TEST(ZSmall, KnownValues)
{
    const struct { const char *text; uLong adler, crc; } rows[] = {
        {"", 1, 0},
        {"a", 0x00620062, 0xE8B7BE43},
        {"123456789", 0x091E01DE, 0xCBF43926},
        {"Wikipedia", 0x11E60398, 0xADAAC02E},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.text);
        const Bytef *p = (const Bytef *)r.text;
        uInt n = (uInt)strlen(r.text);
        EXPECT_EQ(r.adler, adler32(adler32(0, NULL, 0), p, n));
        EXPECT_EQ(r.crc, crc32(crc32(0, NULL, 0), p, n));
    }
}

TEST(ZSmall, AdlerAgainstTheDefinition)
{
    std::vector<unsigned char> data(3 * 5552 + 17);
    uint32_t x = 12345;
    for (auto &b : data) {
        x = x * 1103515245 + 12345;
        b = (unsigned char)(x >> 23 | 0xF0);   /* large bytes: worst case */
    }
    const size_t lengths[] = {0, 1, 15, 16, 5551, 5552, 5553, 2 * 5552,
                              data.size()};
    const uLong starts[] = {1, 0xFFF0FFF0, 0x12345678 % 65521};
    for (size_t n : lengths)
        for (uLong s : starts) {
            SCOPED_TRACE(::testing::Message() << "length " << n << " start "
                                              << s);
            EXPECT_EQ(slow_adler(s, data.data(), n),
                      adler32(s, data.data(), (uInt)n));
        }
}

}  // namespace
