/* Hex_win_test.cpp -- the hex and decimal parsers, by table.  Plain
 * portable tests: they run under Wine against the DLL's exports and
 * natively, with AddressSanitizer, against the same source
 * (tests/knobkit/host).  Natively each text lies in a heap block of
 * exactly its size, so a reader that looked past the terminator would be
 * caught there. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

/* A text in a block of its own size, terminator included; null stays
 * null. */
struct Text {
    std::vector<char> bytes;
    bool null;
    explicit Text(const char *s) : null(!s)
    {
        if (s)
            bytes.assign(s, s + strlen(s) + 1);
    }
    const char *c_str() const { return null ? NULL : bytes.data(); }
};

std::string show(const char *s)
{
    return s ? "\"" + std::string(s) + "\"" : "null";
}

struct ValidRow {
    const char *text;
    int count;
    BOOL want;
};

const ValidRow validRows[] = {
    {"", 0, TRUE},          {"zz", 0, TRUE},       {NULL, 0, TRUE},
    {"abc", -1, TRUE},      {NULL, 1, FALSE},      {"", 1, FALSE},
    {"12", 3, FALSE},       {"12a", 3, TRUE},      {"12a", 2, TRUE},
    {"1x", 2, FALSE},       {"aF09", 4, TRUE},     {"aF0 9", 5, FALSE},
    {"0123456789", 10, TRUE}, {"abcdefABCDEF", 12, TRUE},
    /* the neighbours of each digit range */
    {"/", 1, FALSE},        {":", 1, FALSE},       {"@", 1, FALSE},
    {"G", 1, FALSE},        {"`", 1, FALSE},       {"g", 1, FALSE},
    {"\xB0", 1, FALSE},
};

TEST(Hex, ValidByTable)
{
    for (const ValidRow &r : validRows) {
        Text t(r.text);
        EXPECT_EQ(hex_Valid(t.c_str(), r.count), r.want)
            << "row " << show(r.text) << " count " << r.count;
    }
}

/* A field of width 2, 4 or 8: its result, or FALSE with the result
 * untouched. */
struct FieldRow {
    const char *text;
    int width;
    BOOL ok;
    uint32_t value;
};

const FieldRow fieldRows[] = {
    {"0000bEeF", 8, TRUE, 48879},        /* mixed case */
    {"12g4", 4, FALSE, 0},
    {"1", 2, FALSE, 0},                  /* one digit, then the end */
    {"", 2, FALSE, 0},
    {NULL, 2, FALSE, 0},
    {"ff", 2, TRUE, 255},
    {"Ab", 2, TRUE, 0xAB},
    {"0a", 2, TRUE, 10},
    {"7f00", 2, TRUE, 0x7F},             /* what follows is ignored */
    {" 12", 2, FALSE, 0},
    {"-1", 2, FALSE, 0},
    {"x1", 2, FALSE, 0},
    {"1G", 2, FALSE, 0},
    {"abcd", 4, TRUE, 0xABCD},
    {"ABCDE", 4, TRUE, 0xABCD},
    {"0000", 4, TRUE, 0},
    {"ffff", 4, TRUE, 0xFFFF},
    {"123", 4, FALSE, 0},
    {"12:4", 4, FALSE, 0},
    {"FFFFFFFF", 8, TRUE, 0xFFFFFFFFu},
    {"12345678zz", 8, TRUE, 0x12345678},
    {"80000000", 8, TRUE, 0x80000000u},
    {"1234567", 8, FALSE, 0},            /* seven digits */
    {"1234567/", 8, FALSE, 0},
    {"0x123456", 8, FALSE, 0},
};

/* Calls the getter of the row's width with a result preset to a pattern
 * of its size; also validating only, with a null result. */
BOOL field_Get(const char *text, int width, uint32_t *value, bool validate)
{
    BOOL ok;
    switch (width) {
    case 2: {
        uint8_t v = 0xA5;
        ok = hex_Get2(text, validate ? NULL : &v);
        *value = v;
        break;
    }
    case 4: {
        uint16_t v = 0xA5A5;
        ok = hex_Get4(text, validate ? NULL : &v);
        *value = v;
        break;
    }
    default: {
        uint32_t v = 0xA5A5A5A5u;
        ok = hex_Get8(text, validate ? NULL : &v);
        *value = v;
        break;
    }
    }
    return ok;
}

TEST(Hex, GetByTable)
{
    for (const FieldRow &r : fieldRows) {
        Text t(r.text);
        const uint32_t preset = 0xA5A5A5A5u >> (32 - 4 * r.width);
        uint32_t v;
        BOOL ok = field_Get(t.c_str(), r.width, &v, false);
        EXPECT_EQ(ok, r.ok) << "row " << show(r.text) << " width " << r.width;
        EXPECT_EQ(v, r.ok ? r.value : preset)
            << "row " << show(r.text) << " width " << r.width
            << (r.ok ? "" : ": the result changed");
        ok = field_Get(t.c_str(), r.width, &v, true);
        EXPECT_EQ(ok, r.ok) << "row " << show(r.text) << " width " << r.width
                            << ", null result";
        EXPECT_EQ(ok, hex_Valid(t.c_str(), r.width)) << "row " << show(r.text);
    }
}

struct DecRow {
    const char *text;
    uint32_t u;   /* dec_GetU */
    int32_t  i;   /* dec_GetI */
};

const DecRow decRows[] = {
    {"0", 0, 0},
    {"7", 7, 7},
    {"123abc", 123, 123},                /* digits, then letters */
    {"12 3", 12, 12},
    {"007", 7, 7},
    {" 5", 0, 0},                        /* a leading space */
    {"", 0, 0},
    {NULL, 0, 0},
    {"x1", 0, 0},
    {"4294967295", 4294967295u, -1},
    {"4294967296", 0, 0},                /* 2^32 wraps */
    {"4294967297", 1, 1},                /* 2^32 + 1 */
    {"99999999999", 1215752191u, 1215752191},
    {"2147483647", 2147483647u, 2147483647},
    {"2147483648", 2147483648u, INT32_MIN},
    {"-42", 0, -42},
    {"+7", 0, 7},
    {"--1", 0, 0},                       /* a second sign is no digit */
    {"+-1", 0, 0},
    {"-+1", 0, 0},
    {"-", 0, 0},
    {"+", 0, 0},
    {"-0", 0, 0},
    {" -1", 0, 0},
    {"-2147483648", 0, INT32_MIN},
    {"-2147483649", 0, INT32_MAX},       /* wrapped, then negated */
    {"-4294967295", 0, 1},
    {"-12x5", 0, -12},
};

TEST(Dec, GetUAndGetIByTable)
{
    for (const DecRow &r : decRows) {
        Text t(r.text);
        EXPECT_EQ(dec_GetU(t.c_str()), r.u) << "row " << show(r.text);
        EXPECT_EQ(dec_GetI(t.c_str()), r.i) << "row " << show(r.text);
    }
}

/* Every value of a word's digit text, both cases, comes back. */
TEST(Hex, Get8ReadsWhatPrintfWrites)
{
    const uint32_t values[] = {0, 1, 9, 10, 15, 16, 0x7FFFFFFF, 0x80000000u,
                               0xDEADBEEFu, 0x0F0F0F0Fu, 0xFFFFFFFFu};
    for (uint32_t value : values)
        for (const char *format : {"%08x", "%08X"}) {
            char text[16];
            snprintf(text, sizeof text, format, (unsigned)value);
            uint32_t got = 0;
            EXPECT_TRUE(hex_Get8(text, &got)) << "row " << text;
            EXPECT_EQ(got, value) << "row " << text;
        }
}

} // namespace
