/* codepage.cpp -- the code page tables, UTF-8 and UTF-16, and the case
 * folding of names. */
#include "codepage.h"
#include "ident.h"

#include <stdio.h>

MODULE_IDENT("tools/vpack/codepage.cpp");

/* Each table gives the Unicode code point of bytes 0x80 to 0xFF of its
 * code page, row by row as commented; 0 marks a byte the code page leaves
 * undefined, which no character maps to.  Bytes below 0x80 are ASCII in
 * all of them. */
static const uint16_t windows1250_high[128] = {
    /* 80 */ 0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    /* 88 */ 0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    /* 90 */ 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    /* 98 */ 0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    /* A0 */ 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    /* A8 */ 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    /* B0 */ 0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    /* B8 */ 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    /* C0 */ 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    /* C8 */ 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    /* D0 */ 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    /* D8 */ 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    /* E0 */ 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    /* E8 */ 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    /* F0 */ 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    /* F8 */ 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
static const uint16_t windows1251_high[128] = {
    /* 80 */ 0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    /* 88 */ 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    /* 90 */ 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    /* 98 */ 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    /* A0 */ 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    /* A8 */ 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    /* B0 */ 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    /* B8 */ 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    /* C0 */ 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    /* C8 */ 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    /* D0 */ 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    /* D8 */ 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    /* E0 */ 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    /* E8 */ 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    /* F0 */ 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    /* F8 */ 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
static const uint16_t windows1252_high[128] = {
    /* 80 */ 0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    /* 88 */ 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x017D, 0x0000,
    /* 90 */ 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    /* 98 */ 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
    /* A0 */ 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    /* A8 */ 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    /* B0 */ 0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    /* B8 */ 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    /* C0 */ 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    /* C8 */ 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    /* D0 */ 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    /* D8 */ 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    /* E0 */ 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    /* E8 */ 0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    /* F0 */ 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    /* F8 */ 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
static const uint16_t windows1257_high[128] = {
    /* 80 */ 0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    /* 88 */ 0x0000, 0x2030, 0x0000, 0x2039, 0x0000, 0x00A8, 0x02C7, 0x00B8,
    /* 90 */ 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    /* 98 */ 0x0000, 0x2122, 0x0000, 0x203A, 0x0000, 0x00AF, 0x02DB, 0x0000,
    /* A0 */ 0x00A0, 0x0000, 0x00A2, 0x00A3, 0x00A4, 0x0000, 0x00A6, 0x00A7,
    /* A8 */ 0x00D8, 0x00A9, 0x0156, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00C6,
    /* B0 */ 0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    /* B8 */ 0x00F8, 0x00B9, 0x0157, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00E6,
    /* C0 */ 0x0104, 0x012E, 0x0100, 0x0106, 0x00C4, 0x00C5, 0x0118, 0x0112,
    /* C8 */ 0x010C, 0x00C9, 0x0179, 0x0116, 0x0122, 0x0136, 0x012A, 0x013B,
    /* D0 */ 0x0160, 0x0143, 0x0145, 0x00D3, 0x014C, 0x00D5, 0x00D6, 0x00D7,
    /* D8 */ 0x0172, 0x0141, 0x015A, 0x016A, 0x00DC, 0x017B, 0x017D, 0x00DF,
    /* E0 */ 0x0105, 0x012F, 0x0101, 0x0107, 0x00E4, 0x00E5, 0x0119, 0x0113,
    /* E8 */ 0x010D, 0x00E9, 0x017A, 0x0117, 0x0123, 0x0137, 0x012B, 0x013C,
    /* F0 */ 0x0161, 0x0144, 0x0146, 0x00F3, 0x014D, 0x00F5, 0x00F6, 0x00F7,
    /* F8 */ 0x0173, 0x0142, 0x015B, 0x016B, 0x00FC, 0x017C, 0x017E, 0x02D9,
};

/* The code pages vpack has: the ANSI code pages of Windows for Latin
 * Europe (1250 Central, 1252 Western, 1257 Baltic) and Cyrillic (1251).
 * The OEM ones (437, 850) are left out: setup's file API is never set to
 * them. */
static const struct {
    int             number;
    const uint16_t *high;
} pages[] = {
    {1250, windows1250_high},
    {1251, windows1251_high},
    {1252, windows1252_high},
    {1257, windows1257_high},
};

static const uint16_t *table(int cp)
{
    for (const auto &p : pages)
        if (p.number == cp)
            return p.high;
    return NULL;
}

static int fail(std::string *why, const std::string &text)
{
    if (why)
        *why = text;
    return 0;
}

static std::string hex(unsigned long v, int digits)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%0*lX", digits, v);
    return buf;
}

int cp_Known(int cp)
{
    return table(cp) != NULL;
}

std::string cp_KnownList(void)
{
    std::string s;
    for (const auto &p : pages)
        s += (s.empty() ? "" : ", ") + std::to_string(p.number);
    return s;
}

std::string cp_Name(int cp)
{
    return "Windows-" + std::to_string(cp);
}

uint32_t cp_ToUnicode(int cp, unsigned char b)
{
    const uint16_t *t = table(cp);
    if (!t)
        return 0;
    return b < 0x80 ? b : t[b - 0x80];
}

/* ---- UTF-8 ------------------------------------------------------------- */

/* The character at s[*i], *i moved past it: its code point, or -1 for
 * bytes that are not UTF-8 (an overlong form, a surrogate, beyond
 * U+10FFFF, a cut or stray sequence). */
static long utf8_next(const std::string &s, size_t *i)
{
    unsigned char c = (unsigned char)s[*i];
    int more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1
             : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : -1;
    if (more < 0)
        return -1;
    long u = more == 0 ? c : c & (0x3F >> more);
    for (int k = 1; k <= more; k++) {
        if (*i + k >= s.size() || ((unsigned char)s[*i + k] & 0xC0) != 0x80)
            return -1;
        u = u << 6 | ((unsigned char)s[*i + k] & 0x3F);
    }
    static const long least[] = {0, 0x80, 0x800, 0x10000};
    if (u < least[more] || u > 0x10FFFF || (u >= 0xD800 && u < 0xE000))
        return -1;
    *i += (size_t)more + 1;
    return u;
}

static void utf8_put(std::string &out, uint32_t u)
{
    if (u < 0x80) {
        out += (char)u;
        return;
    }
    static const unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    int more = u < 0x800 ? 1 : u < 0x10000 ? 2 : 3;
    out += (char)(lead[more] | (u >> (6 * more)));
    for (int k = more - 1; k >= 0; k--)
        out += (char)(0x80 | ((u >> (6 * k)) & 0x3F));
}

static std::string not_utf8(const std::string &s, size_t at)
{
    return "is not UTF-8 (byte 0x" + hex((unsigned char)s[at], 2) +
           " at offset " + std::to_string(at) + ")";
}

int cp_FromUtf8(int cp, const std::string &utf8, std::string *out,
                std::string *why)
{
    const uint16_t *t = table(cp);
    if (!t || !out)
        return fail(why, "no such code page");
    out->clear();
    for (size_t i = 0; i < utf8.size();) {
        size_t at = i;
        long u = utf8_next(utf8, &i);
        if (u < 0)
            return fail(why, not_utf8(utf8, at));
        int b = u < 0x80 ? (int)u : -1;
        for (int k = 0; b < 0 && k < 128; k++)
            if (t[k] == u)
                b = 0x80 + k;
        if (b < 0)
            return fail(why, "has '" + utf8.substr(at, i - at) + "' (U+" +
                                 hex((unsigned long)u, 4) + "), which " +
                                 cp_Name(cp) + " cannot hold");
        *out += (char)b;
    }
    return 1;
}

int cp_ToUtf8(int cp, const std::string &bytes, std::string *out,
              std::string *why)
{
    if (!table(cp) || !out)
        return fail(why, "no such code page");
    out->clear();
    for (unsigned char b : bytes) {
        uint32_t u = cp_ToUnicode(cp, b);
        if (b != 0 && u == 0)
            return fail(why, "has byte 0x" + hex(b, 2) + ", which " +
                                 cp_Name(cp) + " leaves undefined");
        utf8_put(*out, u);
    }
    return 1;
}

/* ---- case -------------------------------------------------------------- */

/* The simple upper case of u, for the scripts the tables hold: Latin
 * (ASCII, Latin-1, Latin Extended-A) and Cyrillic.  Letters without a
 * single upper-case letter (sharp s, kra, the long s) stay as they are. */
static uint32_t upper(uint32_t u)
{
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7) ||
        (u >= 0x430 && u <= 0x44F))
        return u - 0x20;
    if (u == 0xFF)
        return 0x178;
    if (u >= 0x450 && u <= 0x45F)
        return u - 0x50;
    /* Latin Extended-A pairs capital and small letter side by side: from
     * U+0100 the small one is odd, from U+0139 even, from U+014A odd again,
     * from U+0179 even; U+0130/U+0131 (dotted and dotless i) pair with no
     * one here. */
    bool odd = (u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) ||
               (u >= 0x14A && u <= 0x177) || (u >= 0x490 && u <= 0x4BF);
    bool even = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if ((odd && (u & 1)) || (even && !(u & 1)))
        return u - 1;
    return u;
}

std::u32string cp_FoldKey(int cp, const std::string &bytes)
{
    std::u32string key;
    for (unsigned char b : bytes) {
        uint32_t u = cp_ToUnicode(cp, b);
        /* An undefined byte stands for itself, apart from every letter. */
        key += u || !b ? upper(u) : 0x110000u + b;
    }
    return key;
}

/* ---- UTF-16 ------------------------------------------------------------ */

int cp_Utf16ToUtf8(const uint16_t *text, size_t n, std::string *out)
{
    if (!out || (!text && n))
        return 0;
    out->clear();
    for (size_t i = 0; i < n; i++) {
        uint32_t u = text[i];
        if (u >= 0xDC00 && u < 0xE000)
            return 0;
        if (u >= 0xD800 && u < 0xDC00) {
            if (i + 1 >= n || text[i + 1] < 0xDC00 || text[i + 1] >= 0xE000)
                return 0;
            u = 0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        utf8_put(*out, u);
    }
    return 1;
}

int cp_Utf8ToUtf16(const std::string &utf8, std::u16string *out)
{
    if (!out)
        return 0;
    out->clear();
    for (size_t i = 0; i < utf8.size();) {
        long u = utf8_next(utf8, &i);
        if (u < 0)
            return 0;
        if (u >= 0x10000) {
            *out += (char16_t)(0xD800 + ((u - 0x10000) >> 10));
            *out += (char16_t)(0xDC00 + ((u - 0x10000) & 0x3FF));
        } else {
            *out += (char16_t)u;
        }
    }
    return 1;
}
