/* Strings_win_test.cpp -- code-page conversion tables and structures as
 * hex text, by table.  Plain portable tests: they run under Wine against
 * the DLL's exports and natively, with AddressSanitizer, against the same
 * source (tests/knobkit/host). */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

/* ---- Conversion tables ---- */

/* The entries of a table that differ from the identity, "from->to". */
std::vector<std::string> table_Changes(const uint8_t *table)
{
    std::vector<std::string> v;
    for (int c = 0; c < 256; c++)
        if (table[c] != c) {
            char s[16];
            snprintf(s, sizeof s, "%d->%d", c, table[c]);
            v.push_back(s);
        }
    return v;
}

std::string lines(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &e : v)
        s += " " + e;
    return s.empty() ? " (none)" : s;
}

/* Each mode's changed entries, in byte order. */
struct ModeRow {
    int mode;
    std::vector<std::string> changes;
};

const ModeRow modeRows[] = {
    {S_CONV_NONE, {}},
    {S_CONV_1250TOISO,
     {"140->166", "143->172", "156->182", "159->188", "165->161",
      "185->177"}},
    {S_CONV_ISOTO1250,
     {"161->165", "166->140", "172->143", "177->185", "182->156",
      "188->159"}},
    {S_CONV_1250TOASCII,
     {"140->83", "143->90", "156->115", "159->122", "163->76", "165->65",
      "175->90", "179->108", "185->97", "191->122", "198->67", "202->69",
      "209->78", "211->79", "230->99", "234->101", "241->110", "243->111"}},
    {4, {}},
    {255, {}},
    {-1, {}},
};

TEST(Strings, ConvTableByMode)
{
    for (const ModeRow &r : modeRows) {
        uint8_t table[256];
        memset(table, 0xEE, sizeof table);   /* every entry is written */
        EXPECT_EQ(s_MakeConvTable(table, r.mode), table) << "row " << r.mode;
        std::vector<std::string> got = table_Changes(table);
        EXPECT_TRUE(got == r.changes) << "row mode " << r.mode
                                      << "\n  got:" << lines(got)
                                      << "\n  expected:" << lines(r.changes);
    }
}

TEST(Strings, NullTableAndText)
{
    EXPECT_EQ(s_MakeConvTable(NULL, S_CONV_1250TOASCII), (uint8_t *)NULL);
    uint8_t table[256];
    s_MakeConvTable(table, S_CONV_1250TOASCII);
    char text[] = "\xB9";
    s_Convert(NULL, text);
    EXPECT_STREQ(text, "\xB9") << "row null table";
    s_Convert(table, NULL);   /* nothing to do, and no fault */
}

/* A Polish sentence holding every letter that differs between the two
 * code pages, in code page 1250, in ISO 8859-2 and without diacritics. */
const char pangram1250[] =
    "Pchn\xB9\xE6 w t\xEA \xB3\xF3" "d\x9F je\xBF" "a lub o\x9Cm skrzy\xF1"
    " fig. ZA\xAF\xD3\xA3\xC6 G\xCA\x8CL\xA5 JA\x8F\xD1";
const char pangramIso[] =
    "Pchn\xB1\xE6 w t\xEA \xB3\xF3" "d\xBC je\xBF" "a lub o\xB6m skrzy\xF1"
    " fig. ZA\xAF\xD3\xA3\xC6 G\xCA\xA6L\xA1 JA\xAC\xD1";
const char pangramAscii[] =
    "Pchnac w te lodz jeza lub osm skrzyn fig. ZAZOLC GESLA JAZN";

/* The eighteen letters, lower and upper case in turn. */
const char letters1250[] =
    "\xB9\xA5\x9C\x8C\xEA\xCA\xB3\xA3\xF1\xD1\xE6\xC6\xF3\xD3\xBF\xAF\x9F\x8F";

std::string converted(const char *text, int mode)
{
    uint8_t table[256];
    s_MakeConvTable(table, mode);
    std::string s(text);
    s_Convert(table, &s[0]);
    return s;
}

struct ConvertRow {
    const char *name;
    const char *text;
    int mode;
    const char *want;
};

const ConvertRow convertRows[] = {
    {"18 letters to ASCII", letters1250, S_CONV_1250TOASCII,
     "aAsSeElLnNcCoOzZzZ"},
    {"sentence to ASCII", pangram1250, S_CONV_1250TOASCII, pangramAscii},
    {"sentence to ISO", pangram1250, S_CONV_1250TOISO, pangramIso},
    {"sentence from ISO", pangramIso, S_CONV_ISOTO1250, pangram1250},
    {"identity", pangram1250, S_CONV_NONE, pangram1250},
    {"empty", "", S_CONV_1250TOASCII, ""},
};

TEST(Strings, ConvertByTable)
{
    for (const ConvertRow &r : convertRows)
        EXPECT_EQ(converted(r.text, r.mode), std::string(r.want))
            << "row " << r.name;
}

/* Mode 1 then mode 2 gives the code page 1250 text back. */
TEST(Strings, IsoAndBackIsTheSameText)
{
    EXPECT_EQ(converted(converted(pangram1250, S_CONV_1250TOISO).c_str(),
                        S_CONV_ISOTO1250),
              std::string(pangram1250));
    EXPECT_EQ(converted(converted(letters1250, S_CONV_1250TOISO).c_str(),
                        S_CONV_ISOTO1250),
              std::string(letters1250));
}

/* Mode 3 leaves every byte below 128 as it is. */
TEST(Strings, AsciiStaysAscii)
{
    char all[128];
    for (int c = 1; c < 128; c++)
        all[c - 1] = (char)c;
    all[127] = 0;
    EXPECT_EQ(converted(all, S_CONV_1250TOASCII), std::string(all));
}

/* ---- Structures as hex text ---- */

struct ToTextRow {
    std::vector<uint32_t> words;
    int size;
    const char *want;
};

const ToTextRow toTextRows[] = {
    {{1, 255}, 8, "00000001000000ff"},
    {{0xDEADBEEFu}, 4, "deadbeef"},
    {{0x12345678, 0xABCD}, 6, "12345678"},   /* the last 2 bytes not */
    {{0x12345678, 0xABCD, 7}, 11, "123456780000abcd"},
    {{0x12345678}, 3, ""},
    {{0x12345678}, 0, ""},
    {{0x12345678}, -4, ""},
    {{0, 0xFFFFFFFFu, 0x80000000u}, 12, "00000000ffffffff80000000"},
};

TEST(Strings, Struct2StringByTable)
{
    for (const ToTextRow &r : toTextRows) {
        size_t want = strlen(r.want);
        std::vector<char> out(want + 8, '#');
        s_Struct2String(r.words.data(), r.size, out.data());
        EXPECT_EQ(std::string(out.data()), std::string(r.want))
            << "row " << r.want << " size " << r.size;
        EXPECT_EQ(std::string(out.begin() + want + 1, out.end()),
                  std::string(7, '#'))
            << "row " << r.want << ": written past its text";
    }
}

/* The words are the structure's, in memory order, wherever it lies. */
TEST(Strings, Struct2StringOfUnalignedBytes)
{
    uint32_t words[2] = {0x0A0B0C0D, 0x01020304};
    unsigned char bytes[9];
    memcpy(bytes + 1, words, 8);
    char out[17];
    s_Struct2String(bytes + 1, 8, out);
    EXPECT_STREQ(out, "0a0b0c0d01020304") << "row unaligned";
    s_Struct2String(NULL, 8, out);
    EXPECT_STREQ(out, "") << "row null structure";
    s_Struct2String(words, 8, NULL);   /* nothing to write to */
}

struct ToStructRow {
    const char *text;
    int size;
    BOOL ok;
    std::vector<uint32_t> want;   /* the three words afterwards */
};

/* The structure is three words preset to P before each row. */
const uint32_t P = 0x5A5A5A5Au;

const ToStructRow toStructRows[] = {
    {"00000001000000FF", 8, TRUE, {1, 255, P}},   /* upper case too */
    {"0000000", 4, FALSE, {P, P, P}},             /* seven digits */
    {"00000001000000ff99", 8, TRUE, {1, 255, P}}, /* the rest ignored */
    {"0000000100000002", 4, TRUE, {1, P, P}},
    {"0000000a0000000b", 6, TRUE, {10, P, P}},    /* size 6: one word */
    {"00000001xyz", 8, FALSE, {1, P, P}},         /* the first one stays */
    {"000000010000000", 8, FALSE, {1, P, P}},
    {"deadBEEF", 4, TRUE, {0xDEADBEEFu, P, P}},
    {"", 4, FALSE, {P, P, P}},
    {NULL, 4, FALSE, {P, P, P}},
    {"zz", 3, TRUE, {P, P, P}},                   /* below 4: nothing */
    {NULL, 0, TRUE, {P, P, P}},
    {"00000001", -8, TRUE, {P, P, P}},
    {"0000000100000002000000030000000400000005", 12, TRUE, {1, 2, 3}},
};

TEST(Strings, String2StructByTable)
{
    for (const ToStructRow &r : toStructRows) {
        uint32_t words[3] = {P, P, P};
        std::vector<char> text;   /* in a block of its own size */
        if (r.text)
            text.assign(r.text, r.text + strlen(r.text) + 1);
        BOOL ok = s_String2Struct(r.text ? text.data() : NULL, words, r.size);
        EXPECT_EQ(ok, r.ok) << "row " << (r.text ? r.text : "null")
                            << " size " << r.size;
        EXPECT_TRUE(std::vector<uint32_t>(words, words + 3) == r.want)
            << "row " << (r.text ? r.text : "null") << " size " << r.size
            << ": words " << std::hex << words[0] << " " << words[1] << " "
            << words[2];
    }
}

/* Any structure comes back from its text, bytes 4 * (size / 4) on. */
TEST(Strings, StructTextRoundTrip)
{
    unsigned char in[64], back[64];
    uint32_t seed = 12345;
    for (unsigned char &b : in)
        b = (unsigned char)((seed = seed * 1103515245u + 12345u) >> 16);
    for (int size = 0; size <= 64; size++) {
        char text[8 * 16 + 1];
        memset(back, 0, sizeof back);
        s_Struct2String(in, size, text);
        EXPECT_EQ(strlen(text), (size_t)(8 * (size / 4))) << "row " << size;
        EXPECT_TRUE(s_String2Struct(text, back, size)) << "row " << size;
        EXPECT_EQ(memcmp(in, back, 4 * (size / 4)), 0) << "row " << size;
    }
}

} // namespace
