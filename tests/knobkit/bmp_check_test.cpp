/* bmp_check_test.cpp -- knobkit's BMP checks natively, under ASan and
 * UBSan: layouts of files built here field by field, every damage of one
 * field and every truncation of sound files refused, and the files that
 * tests/knobkit/mkbmp.py writes independently (BMP_FILES_DIR): the good
 * ones pass with the size they show, the damaged ones are refused.  Every
 * input is an exact-size heap copy, so a read past it is caught. */
#include "bmp_check.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

void put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

void put16(Bytes &b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

/* A sound file: header size hsize (masks after a 40-byte header, inside a
 * longer one), entries table entries, pixel rows of the bits right after
 * them unless gap moves them on. */
struct Shape {
    int32_t w, h;
    uint32_t bits, used, entries, hsize = 40, compression = 0;
    uint32_t gap = 0;
};

Bytes make(const Shape &s)
{
    uint32_t masks = s.compression == 3 && s.hsize == 40 ? 12 : 0;
    uint32_t table = 14 + s.hsize + masks;
    uint32_t offset = table + 4 * s.entries + s.gap;
    uint32_t row = ((uint32_t)s.w * s.bits + 31) / 32 * 4;
    Bytes b(offset + row * (uint32_t)s.h, 0);
    b[0] = 'B', b[1] = 'M';
    put32(b, 2, (uint32_t)b.size());
    put32(b, 10, offset);
    put32(b, 14, s.hsize);
    put32(b, 18, (uint32_t)s.w);
    put32(b, 22, (uint32_t)s.h);
    put16(b, 26, 1);
    put16(b, 28, s.bits);
    put32(b, 30, s.compression);
    put32(b, 46, s.used);
    if (s.compression == 3) {
        put32(b, 54, 0xF800);
        put32(b, 58, 0x07E0);
        put32(b, 62, 0x001F);
    }
    for (uint32_t i = 0; i < s.entries; i++)
        put32(b, table + 4 * i, 0x010203u * i);
    return b;
}

/* bmp_Check over an exact-size copy of the file (or of its first head
 * bytes) with the file's length. */
int check(const Bytes &file, BmpLayout *l, size_t head = SIZE_MAX)
{
    size_t n = head < file.size() ? head : file.size();
    std::vector<uint8_t> *copy = new std::vector<uint8_t>(file.begin(),
                                                          file.begin() + n);
    copy->shrink_to_fit();
    int r = bmp_Check(copy->empty() ? (const uint8_t *)"" : copy->data(),
                      copy->size(), file.size(), l);
    delete copy;
    return r;
}

std::string describe(const BmpLayout &l)
{
    char s[200];
    snprintf(s, sizeof s,
             "%dx%d bits %u comp %u colours %u table %u row %u image %u "
             "pixels at %u",
             l.width, l.height, l.bits, l.compression, l.colours,
             l.tableOffset, l.rowSize, l.imageSize, l.pixelOffset);
    return s;
}

}  // namespace

/* The layouts of sound files: the table's length by colours used and bit
 * count, row padding, masks after a short header and inside a long one,
 * a gap before the pixels, a colour-table hint above 8 bits skipped. */
TEST(BmpCheck, LayoutsOfSoundFiles)
{
    struct Case {
        const char *name;
        Shape shape;
        const char *want;
    };
    const Case cases[] = {
        {"1 bit: two entries, pixels at 62", {9, 2, 1, 0, 2},
         "9x2 bits 1 comp 0 colours 2 table 54 row 4 image 8 pixels at 62"},
        {"4 bits, 16 entries", {3, 3, 4, 0, 16},
         "3x3 bits 4 comp 0 colours 16 table 54 row 4 image 12 pixels at 118"},
        {"8 bits, colours used 0: 256 entries", {5, 2, 8, 0, 256},
         "5x2 bits 8 comp 0 colours 256 table 54 row 8 image 16 pixels at 1078"},
        {"8 bits, colours used 3", {4, 1, 8, 3, 3},
         "4x1 bits 8 comp 0 colours 3 table 54 row 4 image 4 pixels at 66"},
        {"24 bits, width 3: rows of 12 bytes", {3, 2, 24, 0, 0},
         "3x2 bits 24 comp 0 colours 0 table 54 row 12 image 24 pixels at 54"},
        {"24 bits with a 16-entry hint", {3, 2, 24, 16, 16},
         "3x2 bits 24 comp 0 colours 0 table 54 row 12 image 24 pixels at 118"},
        {"32 bits", {2, 2, 32, 0, 0},
         "2x2 bits 32 comp 0 colours 0 table 54 row 8 image 16 pixels at 54"},
        {"16 bits, masks after the header", {3, 1, 16, 0, 0, 40, 3},
         "3x1 bits 16 comp 3 colours 0 table 66 row 8 image 8 pixels at 66"},
        {"32 bits, masks inside a 124-byte header", {1, 1, 32, 0, 0, 124, 3},
         "1x1 bits 32 comp 3 colours 0 table 138 row 4 image 4 pixels at 138"},
        {"108-byte header, 8 bits", {1, 1, 8, 2, 2, 108},
         "1x1 bits 8 comp 0 colours 2 table 122 row 4 image 4 pixels at 130"},
        {"gap before the pixels", {1, 1, 24, 0, 0, 40, 0, 10},
         "1x1 bits 24 comp 0 colours 0 table 54 row 4 image 4 pixels at 64"},
        {"largest pixel count", {4096, 4096, 1, 0, 2},
         "4096x4096 bits 1 comp 0 colours 2 table 54 row 512 image 2097152 "
         "pixels at 62"},
    };
    for (const Case &c : cases) {
        BmpLayout l;
        Bytes f = make(c.shape);
        ASSERT_EQ(check(f, &l), 1) << c.name;
        EXPECT_EQ(describe(l), c.want) << c.name;
        if (c.shape.compression == 3)
            EXPECT_EQ(l.masks[0] | l.masks[1] << 16, 0xF800u | 0x07E0u << 16)
                << c.name;
        /* Trailing bytes after the file size change nothing. */
        f.resize(f.size() + 7, 0xEE);
        BmpLayout t;
        ASSERT_EQ(check(f, &t), 1) << c.name << ", trailing bytes";
        EXPECT_EQ(describe(t), c.want) << c.name << ", trailing bytes";
    }
}

TEST(BmpCheck, TableColour)
{
    BmpLayout l;
    Bytes f = make({2, 1, 4, 0, 16});
    ASSERT_EQ(check(f, &l), 1);
    EXPECT_EQ(bmp_TableColour(f.data(), &l, 0), 0u);
    EXPECT_EQ(bmp_TableColour(f.data(), &l, 15), 0x010203u * 15);
}

/* One field made to lie in an otherwise sound file: refused, with the
 * layout zeroed. */
TEST(BmpCheck, DamagedFieldsAreRefused)
{
    struct Case {
        const char *name;
        Shape shape;
        size_t at;
        int width;   /* 2 or 4 */
        uint32_t value;
    };
    const Shape rgb = {3, 2, 24, 0, 0}, pal = {3, 2, 8, 0, 256};
    const Shape one = {3, 2, 1, 0, 2}, masks = {2, 2, 32, 0, 0, 40, 3};
    const Case cases[] = {
        {"type", rgb, 0, 2, 0x424D},
        {"file size past the end", rgb, 2, 4, 14 + 40 + 24 + 1},
        {"file size before the pixels' end", rgb, 2, 4, 70},
        {"file size huge", rgb, 2, 4, 0xFFFFFFFF},
        {"pixel offset past the end", rgb, 10, 4, 60},
        {"pixel offset huge", rgb, 10, 4, 0xFFFFFFF0},
        {"pixel offset in the header", rgb, 10, 4, 30},
        {"pixel offset in the colour table", pal, 10, 4, 54 + 1020},
        {"header size 0", rgb, 14, 4, 0},
        {"header size 12 (OS/2)", rgb, 14, 4, 12},
        {"header size 64", rgb, 14, 4, 64},
        {"header size past the file", rgb, 14, 4, 124},
        {"header size huge", rgb, 14, 4, 0xFFFFFFFF},
        {"width 0", rgb, 18, 4, 0},
        {"height 0", rgb, 22, 4, 0},
        {"width negative", rgb, 18, 4, (uint32_t)-3},
        {"height negative (top down)", rgb, 22, 4, (uint32_t)-2},
        {"width most negative", rgb, 18, 4, 0x80000000},
        {"width huge", rgb, 18, 4, 0x7FFFFFFF},
        {"height huge", rgb, 22, 4, 0x7FFFFFFF},
        {"planes 0", rgb, 26, 2, 0},
        {"planes 2", rgb, 26, 2, 2},
        {"bits 0", rgb, 28, 2, 0},
        {"bits 2", rgb, 28, 2, 2},
        {"bits 48", rgb, 28, 2, 48},
        {"run-length compression", pal, 30, 4, 1},
        {"masks with 24 bits", rgb, 30, 4, 3},
        {"masks with 8 bits", pal, 30, 4, 3},
        {"JPEG", rgb, 30, 4, 4},
        {"colours used past the bits", one, 46, 4, 3},
        {"colours used 257 at 8 bits", pal, 46, 4, 257},
        {"colours used 257 at 24 bits", rgb, 46, 4, 257},
        {"colours used huge", rgb, 46, 4, 0xFFFFFFFF},
        {"colour table not there", rgb, 46, 4, 4},
        {"a mask empty", masks, 54, 4, 0},
        {"masks overlapping", masks, 58, 4, 0xF8E0},
    };
    for (const Case &c : cases) {
        Bytes f = make(c.shape);
        if (c.width == 2)
            put16(f, c.at, c.value);
        else
            put32(f, c.at, c.value);
        BmpLayout l;
        memset(&l, 0x55, sizeof l);
        EXPECT_EQ(check(f, &l), 0) << c.name << ": " << describe(l);
        EXPECT_EQ(describe(l), describe(BmpLayout{})) << c.name;
    }
}

/* A side or a pixel count past the limits is refused even where the file
 * holds every row: the bitmap made of it would be a huge allocation. */
TEST(BmpCheck, SizeLimits)
{
    struct Case {
        Shape shape;
        int passes;
    };
    const Case cases[] = {
        {{32767, 1, 1, 0, 2}, 1}, {{32768, 1, 1, 0, 2}, 0},
        {{1, 32767, 1, 0, 2}, 1}, {{1, 32768, 1, 0, 2}, 0},
        {{4096, 4096, 1, 0, 2}, 1}, {{4097, 4096, 1, 0, 2}, 0},
    };
    for (const Case &c : cases) {
        BmpLayout l;
        EXPECT_EQ(check(make(c.shape), &l), c.passes)
            << c.shape.w << " x " << c.shape.h;
    }
}

/* Every file cut short of its file size, and a head that misses the
 * colour table. */
TEST(BmpCheck, TruncatedFilesAreRefused)
{
    const Shape shapes[] = {{5, 3, 1, 0, 2},         {5, 3, 8, 0, 256},
                          {5, 3, 24, 0, 0},        {2, 2, 16, 0, 0, 40, 3},
                          {1, 1, 32, 0, 0, 124, 3}};
    for (const Shape &s : shapes) {
        Bytes f = make(s);
        for (size_t n = 0; n < f.size(); n++) {
            Bytes cut(f.begin(), f.begin() + n);
            BmpLayout l;
            ASSERT_EQ(check(cut, &l), 0) << s.bits << " bits cut to " << n;
        }
        BmpLayout l;
        /* Only the masks after a 40-byte header and tables lie past it. */
        int passes = s.entries == 0 && !(s.compression == 3 && s.hsize == 40);
        EXPECT_EQ(check(f, &l, 14 + s.hsize), passes)
            << s.bits << " bits, only the header in the head";
    }
}

TEST(BmpCheck, NoHead)
{
    BmpLayout l;
    EXPECT_EQ(bmp_Check(NULL, 0, 100, &l), 0);
}

/* ---- The independent files ---- */

namespace {

Bytes file_Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in),
                 std::istreambuf_iterator<char>());
}

std::vector<std::string> names_With(const char *prefix)
{
    std::vector<std::string> names;
    DIR *d = opendir(BMP_FILES_DIR);
    for (struct dirent *e; d && (e = readdir(d));) {
        std::string n = e->d_name;
        if (n.rfind(prefix, 0) == 0 && n.size() > 4 &&
            n.compare(n.size() - 4, 4, ".bmp") == 0)
            names.push_back(n);
    }
    if (d)
        closedir(d);
    return names;
}

}  // namespace

TEST(BmpCheck, IndependentGoodFilesPass)
{
    std::vector<std::string> names = names_With("good_");
    ASSERT_GE(names.size(), 10u) << "no files in " << BMP_FILES_DIR;
    for (const std::string &n : names) {
        std::string base = std::string(BMP_FILES_DIR) + "/" + n;
        Bytes f = file_Read(base);
        int w = 0, h = 0;
        FILE *txt = fopen((base.substr(0, base.size() - 4) + ".txt").c_str(),
                          "r");
        ASSERT_TRUE(txt && fscanf(txt, "%d %d", &w, &h) == 2) << n;
        fclose(txt);
        BmpLayout l;
        ASSERT_EQ(check(f, &l), 1) << n;
        EXPECT_EQ(l.width, w) << n;
        EXPECT_EQ(l.height, h) << n;
        EXPECT_LE((uint64_t)l.pixelOffset + l.imageSize, f.size()) << n;
    }
}

TEST(BmpCheck, IndependentDamagedFilesAreRefused)
{
    std::vector<std::string> names = names_With("bad_");
    ASSERT_GE(names.size(), 40u) << "no files in " << BMP_FILES_DIR;
    for (const std::string &n : names) {
        Bytes f = file_Read(std::string(BMP_FILES_DIR) + "/" + n);
        BmpLayout l;
        EXPECT_EQ(check(f, &l), 0) << n << ": " << describe(l);
    }
}
