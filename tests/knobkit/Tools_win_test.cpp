/* Tools_win_test.cpp -- BMP files and list filling under Wine, through the
 * DLL as a client calls it.
 *
 * Bitmaps of 1 to 32 bits go through kk_SaveBitmap and kk_LoadBitmap and
 * come back pixel by pixel (both sides read back as 32-bit colours); the
 * saved files' bytes are read from disk; files written independently by
 * tests/knobkit/mkbmp.py (KK_BMP_DIR, fixture win.knobkit.bmp.files) load
 * with the colours their .txt files list, and its damaged files load as
 * null.  The fill functions add to real combo and list boxes. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dlg_template.h"
#include "kk_test.h"

namespace {

/* The build tree is a Unix path; Wine shows the root as drive Z:. */
std::string files_Dir(void)
{
    std::string dir = std::string("Z:") + KK_BMP_DIR;
    for (char &c : dir)
        if (c == '/')
            c = '\\';
    return dir + "\\";
}

/* A fresh name in the temporary folder, no file under it. */
std::string temp_Name(const char *tag)
{
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    snprintf(name, sizeof name, "%skk_bmp_%lu_%s.bmp", dir,
             (unsigned long)GetCurrentProcessId(), tag);
    SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(name);
    return name;
}

std::vector<uint8_t> file_Bytes(const std::string &name)
{
    std::vector<uint8_t> b;
    FILE *f = fopen(name.c_str(), "rb");
    if (!f)
        return b;
    for (int c; (c = fgetc(f)) != EOF;)
        b.push_back((uint8_t)c);
    fclose(f);
    return b;
}

uint32_t u32(const std::vector<uint8_t> &b, size_t at)
{
    return at + 4 > b.size() ? 0xFFFFFFFFu
                             : b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   (uint32_t)b[at + 3] << 24;
}

uint32_t u16(const std::vector<uint8_t> &b, size_t at)
{
    return at + 2 > b.size() ? 0xFFFFu : (uint32_t)(b[at] | b[at + 1] << 8);
}

/* A bitmap's pixels as 0xRRGGBB, top row first; empty when it cannot be
 * read. */
struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;
};

Pixels pixels_Of(HBITMAP bmp)
{
    Pixels p;
    BITMAP bm;
    if (!bmp || GetObjectA(bmp, sizeof bm, &bm) != sizeof bm)
        return p;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px((size_t)bm.bmWidth * bm.bmHeight);
    HDC screen = GetDC(NULL);
    int rows = GetDIBits(screen, bmp, 0, (UINT)bm.bmHeight, px.data(), &bi,
                         DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    if (rows != bm.bmHeight)
        return p;
    p.w = bm.bmWidth, p.h = bm.bmHeight;
    for (uint32_t &c : px)
        c &= 0xFFFFFF;
    p.rgb = px;
    return p;
}

/* "" when both show the same, else where they first differ. */
std::string pixels_Differ(const Pixels &got, const Pixels &want)
{
    char s[128];
    if (got.w != want.w || got.h != want.h || got.rgb.empty()) {
        snprintf(s, sizeof s, "size %dx%d, not %dx%d", got.w, got.h, want.w,
                 want.h);
        return s;
    }
    int bad = 0;
    size_t first = 0;
    for (size_t i = 0; i < got.rgb.size(); i++)
        if (got.rgb[i] != want.rgb[i] && !bad++)
            first = i;
    if (!bad)
        return "";
    snprintf(s, sizeof s, "%d pixels differ; (%d, %d) is %06x, not %06x",
             bad, (int)(first % got.w), (int)(first / got.w),
             got.rgb[first], want.rgb[first]);
    return s;
}

/* The colours of a mkbmp.py .txt file. */
Pixels pixels_Listed(const std::string &name)
{
    Pixels p;
    FILE *f = fopen(name.c_str(), "r");
    if (!f)
        return p;
    if (fscanf(f, "%d %d", &p.w, &p.h) == 2)
        for (unsigned c; (int)p.rgb.size() < p.w * p.h &&
                         fscanf(f, "%6x", &c) == 1;)
            p.rgb.push_back(c);
    fclose(f);
    return p;
}

/* A pixel pattern of distinct colours. */
uint32_t pattern(int x, int y)
{
    return (uint32_t)((x * 40 + y * 3) & 255) << 16 |
           (uint32_t)((y * 50 + 7) & 255) << 8 | (uint32_t)((x * y * 9) & 255);
}

/* A DIB section of bits (4, 8, 16 or 24) with a pattern: with a palette,
 * a colour table of distinct colours and indexes cycling through it;
 * else the colours themselves (5-5-5 at 16 bits). */
HBITMAP section_Make(int bits, int w, int h)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD table[256];
    } bi = {};
    bi.h.biSize = sizeof bi.h;
    bi.h.biWidth = w;
    bi.h.biHeight = h;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = (WORD)bits;
    int n = bits <= 8 ? 1 << bits : 0;
    for (int i = 0; i < n; i++)
        bi.table[i] = {(BYTE)(i * 7 + 1), (BYTE)(255 - i), (BYTE)(i * 29), 0};
    void *p = NULL;
    HBITMAP bmp = CreateDIBSection(NULL, (BITMAPINFO *)&bi, DIB_RGB_COLORS,
                                   &p, NULL, 0);
    if (!bmp)
        return NULL;
    int row = (w * bits + 31) / 32 * 4;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *r = (uint8_t *)p + (size_t)(h - 1 - y) * row;
            uint32_t c = pattern(x, y);
            if (bits == 4)
                r[x / 2] |= (uint8_t)(((x + 3 * y) % 16) << (x % 2 ? 0 : 4));
            else if (bits == 8)
                r[x] = (uint8_t)(x * 5 + y * 17);
            else if (bits == 16)
                ((uint16_t *)r)[x] = (uint16_t)((c >> 19 & 31) << 10 |
                                                (c >> 11 & 31) << 5 |
                                                (c >> 3 & 31));
            else
                r[3 * x] = (uint8_t)c, r[3 * x + 1] = (uint8_t)(c >> 8),
                r[3 * x + 2] = (uint8_t)(c >> 16);
        }
    return bmp;
}

/* A monochrome bitmap: a checkerboard with a diagonal. */
HBITMAP mono_Make(int w, int h)
{
    int row = (w + 15) / 16 * 2;
    std::vector<uint8_t> bits((size_t)row * h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if ((x + y) % 2 || x == y)
                bits[(size_t)y * row + x / 8] |= (uint8_t)(0x80 >> (x % 8));
    return CreateBitmap(w, h, 1, 1, bits.data());
}

/* A bitmap compatible with the screen (32 bits under Wine's X11). */
HBITMAP screen_Make(int w, int h)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    std::vector<uint32_t> px((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            px[(size_t)y * w + x] = pattern(x, y);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SetDIBits(screen, bmp, 0, (UINT)h, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    return bmp;
}

HBITMAP bitmap_Make(int bits, int w, int h)
{
    return bits == 1 ? mono_Make(w, h) : bits == 32 ? screen_Make(w, h)
                                                    : section_Make(bits, w, h);
}

/* The saved file's headers: "BM", sizes and counts as read from disk. */
std::string header_Of(const std::vector<uint8_t> &b)
{
    char s[200];
    snprintf(s, sizeof s,
             "%s size %s offset %u header %u %ux%u planes %u bits %u "
             "compression %u image %u colours %u",
             b.size() >= 2 && b[0] == 'B' && b[1] == 'M' ? "BM" : "not BM",
             u32(b, 2) == b.size() ? "= length" : "!= length", u32(b, 10),
             u32(b, 14), u32(b, 18), u32(b, 22), u16(b, 26), u16(b, 28),
             u32(b, 30), u32(b, 34), u32(b, 46));
    return s;
}

const int SENTINEL = -77;

}  // namespace

/* ---- Round trips ---- */

/* Saved and loaded again: the same size and every pixel the same colour;
 * the file's header as the bit count asks (a colour table up to 8 bits,
 * none from 16 on) and its file size the file's length. */
TEST(KnobkitTools, RoundTripKeepsEveryPixel)
{
    struct Case {
        int bits, w, h;
        const char *header;
    };
    const Case cases[] = {
        {1, 13, 7, "BM size = length offset 62 header 40 13x7 planes 1 "
                   "bits 1 compression 0 image 28 colours 2"},
        {4, 9, 5, "BM size = length offset 118 header 40 9x5 planes 1 "
                  "bits 4 compression 0 image 40 colours 16"},
        {8, 11, 6, "BM size = length offset 1078 header 40 11x6 planes 1 "
                   "bits 8 compression 0 image 72 colours 256"},
        {16, 7, 4, "BM size = length offset 54 header 40 7x4 planes 1 "
                   "bits 16 compression 0 image 64 colours 0"},
        {24, 5, 3, "BM size = length offset 54 header 40 5x3 planes 1 "
                   "bits 24 compression 0 image 48 colours 0"},
        {32, 6, 5, "BM size = length offset 54 header 40 6x5 planes 1 "
                   "bits 32 compression 0 image 120 colours 0"},
    };
    for (const Case &c : cases) {
        std::string name = temp_Name("trip");
        HBITMAP src = bitmap_Make(c.bits, c.w, c.h);
        ASSERT_TRUE(src != NULL) << "row " << c.bits << " bits";
        BITMAP bm;
        GetObjectA(src, sizeof bm, &bm);
        ASSERT_EQ(bm.bmBitsPixel * bm.bmPlanes, c.bits)
            << "row " << c.bits << " bits: the test's bitmap";
        kk_SaveBitmap(name.c_str(), src);
        EXPECT_EQ(header_Of(file_Bytes(name)), c.header)
            << "row " << c.bits << " bits";
        int w = SENTINEL, h = SENTINEL;
        HBITMAP back = kk_LoadBitmap(name.c_str(), &w, &h);
        ASSERT_TRUE(back != NULL) << "row " << c.bits << " bits";
        EXPECT_EQ(w, c.w) << "row " << c.bits << " bits";
        EXPECT_EQ(h, c.h) << "row " << c.bits << " bits";
        Pixels want = pixels_Of(src);
        ASSERT_EQ(want.rgb.size(), (size_t)c.w * c.h) << "row " << c.bits;
        EXPECT_EQ(pixels_Differ(pixels_Of(back), want), "")
            << "row " << c.bits << " bits";
        DeleteObject(back);
        DeleteObject(src);
        DeleteFileA(name.c_str());
    }
}

/* A 24-bit bitmap of width 3: rows of 12 bytes, 9 of colour (blue, green,
 * red) and 3 of zero padding, bottom row first, right after the
 * headers. */
TEST(KnobkitTools, TwentyFourBitRowsArePadded)
{
    std::string name = temp_Name("w3");
    HBITMAP src = section_Make(24, 3, 2);
    kk_SaveBitmap(name.c_str(), src);
    std::vector<uint8_t> b = file_Bytes(name);
    ASSERT_EQ(b.size(), 54u + 2 * 12);
    EXPECT_EQ(u32(b, 10), 54u);
    EXPECT_EQ(u32(b, 34), 24u) << "image size";
    for (int y = 0; y < 2; y++) {
        std::vector<uint8_t> want;
        for (int x = 0; x < 3; x++) {
            uint32_t c = pattern(x, 1 - y);   /* the bottom row first */
            want.push_back((uint8_t)c);
            want.push_back((uint8_t)(c >> 8));
            want.push_back((uint8_t)(c >> 16));
        }
        want.insert(want.end(), 3, 0);
        std::vector<uint8_t> got(b.begin() + 54 + 12 * y,
                                 b.begin() + 54 + 12 * (y + 1));
        EXPECT_TRUE(got == want) << "file row " << y;
    }
    DeleteObject(src);
    DeleteFileA(name.c_str());
}

/* A monochrome bitmap: two table entries, black then white, and the
 * pixels at 62. */
TEST(KnobkitTools, OneBitFileHasTwoColours)
{
    std::string name = temp_Name("mono");
    HBITMAP src = mono_Make(8, 1);
    kk_SaveBitmap(name.c_str(), src);
    std::vector<uint8_t> b = file_Bytes(name);
    ASSERT_EQ(b.size(), 62u + 4);
    EXPECT_EQ(u32(b, 10), 62u);
    EXPECT_EQ(u32(b, 46), 2u);
    EXPECT_EQ(u32(b, 54), 0x000000u);
    EXPECT_EQ(u32(b, 58), 0xFFFFFFu);
    /* (x + y) % 2 || x == y on row 0: pixels 0, 1, 3, 5, 7 set. */
    EXPECT_EQ(b[62], 0xD5);
    DeleteObject(src);
    DeleteFileA(name.c_str());
}

/* Saving replaces an existing file; what cannot be saved leaves no
 * file: no bitmap, a brush, a folder that does not exist. */
TEST(KnobkitTools, SaveReplacesOrLeavesNothing)
{
    std::string name = temp_Name("replace");
    FILE *f = fopen(name.c_str(), "wb");
    fputs("an older and much longer file than the one saved over it, "
          "which must not leave its tail behind",
          f);
    fclose(f);
    HBITMAP one = section_Make(24, 1, 1);
    kk_SaveBitmap(name.c_str(), one);
    EXPECT_EQ(file_Bytes(name).size(), 58u);
    DeleteObject(one);
    DeleteFileA(name.c_str());

    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    struct Case {
        const char *name;
        HBITMAP bmp;
    } cases[] = {{"null", NULL}, {"brush", (HBITMAP)brush}};
    for (const Case &c : cases) {
        kk_SaveBitmap(name.c_str(), c.bmp);
        EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES)
            << "row " << c.name;
    }
    DeleteObject(brush);
    HBITMAP src = section_Make(24, 2, 2);
    std::string lost = name + ".missing\\x.bmp";
    kk_SaveBitmap(lost.c_str(), src);
    EXPECT_EQ(GetFileAttributesA(lost.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteObject(src);
}

/* ---- Files from elsewhere ---- */

/* Every sound file mkbmp.py wrote loads with its size and the colours it
 * lists: 1, 4 and 8 bits with tables, 8 bits with colours used 0 (all 256
 * entries used) and with a short table (indexes past it black), 24 bits
 * with a gap and a table hint, 32 bits plain and with masks in a 124-byte
 * header, 16 bits with 5-6-5 masks. */
TEST(KnobkitTools, IndependentFilesLoad)
{
    const char *names[] = {"1bit",      "4bit",           "8bit",
                           "8bit_used0", "8bit_short",    "24bit",
                           "24bit_gap_hint", "32bit",     "32bit_v5_masks",
                           "16bit_565"};
    for (const char *n : names) {
        std::string base = files_Dir() + "good_" + n;
        Pixels want = pixels_Listed(base + ".txt");
        ASSERT_FALSE(want.rgb.empty()) << "row " << n << ": no " << base
                                       << ".txt (fixture win.knobkit.bmp.files)";
        int w = SENTINEL, h = SENTINEL;
        HBITMAP bmp = kk_LoadBitmap((base + ".bmp").c_str(), &w, &h);
        ASSERT_TRUE(bmp != NULL) << "row " << n;
        EXPECT_EQ(w, want.w) << "row " << n;
        EXPECT_EQ(h, want.h) << "row " << n;
        EXPECT_EQ(pixels_Differ(pixels_Of(bmp), want), "") << "row " << n;
        DeleteObject(bmp);
    }
}

/* An 8-bit file whose colours-used field is 0 has a table of 256: its
 * last pixel shows entry 255. */
TEST(KnobkitTools, ColoursUsedZeroMeansAllEntries)
{
    std::string base = files_Dir() + "good_8bit_used0";
    Pixels want = pixels_Listed(base + ".txt");
    HBITMAP bmp = kk_LoadBitmap((base + ".bmp").c_str(), NULL, NULL);
    Pixels got = pixels_Of(bmp);
    ASSERT_EQ(got.rgb.size(), 256u);
    ASSERT_EQ(want.rgb.size(), 256u);
    EXPECT_EQ(got.rgb[255], want.rgb[255]);
    EXPECT_NE(want.rgb[255], 0u) << "entry 255 is a colour of its own";
    DeleteObject(bmp);
}

/* Every damaged file loads as null and leaves width and height alone; so
 * does a file that is not there. */
TEST(KnobkitTools, DamagedFilesLoadAsNull)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((files_Dir() + "bad_*.bmp").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "fixture win.knobkit.bmp.files";
    int n = 0;
    do {
        int w = SENTINEL, h = SENTINEL;
        HBITMAP bmp = kk_LoadBitmap((files_Dir() + fd.cFileName).c_str(), &w,
                                    &h);
        EXPECT_TRUE(bmp == NULL) << "row " << fd.cFileName;
        EXPECT_EQ(w, SENTINEL) << "row " << fd.cFileName;
        EXPECT_EQ(h, SENTINEL) << "row " << fd.cFileName;
        if (bmp)
            DeleteObject(bmp);
        n++;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    EXPECT_GE(n, 40) << "damaged files seen";
    EXPECT_TRUE(kk_LoadBitmap((files_Dir() + "no such file.bmp").c_str(),
                              NULL, NULL) == NULL);
}

/* Reading needs no write access: a read-only file loads, and so does one
 * another handle holds open for reading. */
TEST(KnobkitTools, ReadOnlyFileLoads)
{
    std::string name = temp_Name("readonly");
    ASSERT_TRUE(CopyFileA((files_Dir() + "good_24bit.bmp").c_str(),
                          name.c_str(), FALSE));
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    HBITMAP bmp = kk_LoadBitmap(name.c_str(), NULL, NULL);
    EXPECT_TRUE(bmp != NULL) << "read-only";
    DeleteObject(bmp);
    HANDLE held = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              NULL, OPEN_EXISTING, 0, NULL);
    bmp = kk_LoadBitmap(name.c_str(), NULL, NULL);
    EXPECT_TRUE(bmp != NULL) << "held open for reading";
    DeleteObject(bmp);
    CloseHandle(held);
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(name.c_str());
}

/* Loading leaves no GDI object behind but the bitmap: not the palette of
 * a file with a colour table. */
TEST(KnobkitTools, LoadingKeepsNoPalette)
{
    long base = kk_GdiObjects();
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(kk_GdiObjects(), base + 1) << "GDI objects are not counted";
    DeleteObject(probe);
    const char *names[] = {"good_8bit.bmp", "good_1bit.bmp", "good_24bit.bmp"};
    for (const char *n : names) {
        long before = kk_GdiObjects();
        for (int i = 0; i < 20; i++) {
            HBITMAP bmp = kk_LoadBitmap((files_Dir() + n).c_str(), NULL, NULL);
            ASSERT_TRUE(bmp != NULL) << "row " << n;
            DeleteObject(bmp);
        }
        EXPECT_EQ(kk_GdiObjects(), before) << "row " << n;
    }
}

/* ---- List filling ---- */

namespace {

INT_PTR CALLBACK plain_Proc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

enum { ID_COMBO = 201, ID_LIST = 202 };

/* A plain dialog with an unsorted combo box and list box. */
struct Lists {
    Template t{WS_POPUP};
    HWND dlg;
    Lists()
    {
        t.item(0x85, CBS_DROPDOWNLIST, ID_COMBO, 10, "");
        t.item(0x83, 0, ID_LIST, 80, "");
        dlg = CreateDialogIndirectParamA(GetModuleHandleA(NULL), t.get(),
                                         NULL, plain_Proc, 0);
    }
    ~Lists() { DestroyWindow(dlg); }
    std::vector<std::string> items(int id) const
    {
        bool combo = id == ID_COMBO;
        std::vector<std::string> v;
        int n = (int)SendDlgItemMessageA(dlg, id,
                                         combo ? CB_GETCOUNT : LB_GETCOUNT,
                                         0, 0);
        for (int i = 0; i < n; i++) {
            char s[256] = "";
            SendDlgItemMessageA(dlg, id, combo ? CB_GETLBTEXT : LB_GETTEXT,
                                (WPARAM)i, (LPARAM)s);
            v.push_back(s);
        }
        return v;
    }
};

}  // namespace

/* Each text added in order, the empty one ending the list; an empty list
 * (or none) adds nothing; a second fill adds to what is there. */
TEST(KnobkitTools, FillAddsEveryTextInOrder)
{
    typedef void(KKAPI * Fill)(HWND, int, const char *);
    struct Case {
        const char *name;
        Fill fill;
        int id;
    };
    const Case cases[] = {{"combo", dlg_FillCombo, ID_COMBO},
                          {"listbox", dlg_FillListbox, ID_LIST}};
    typedef std::vector<std::string> Lines;
    for (const Case &c : cases) {
        Lists l;
        ASSERT_TRUE(l.dlg != NULL);
        c.fill(l.dlg, c.id, "");
        c.fill(l.dlg, c.id, NULL);
        EXPECT_LINES(l.items(c.id), Lines(), std::string(c.name) + " empty");
        c.fill(l.dlg, c.id, "zebra\0apple\0mango\0\0never\0");
        EXPECT_LINES(l.items(c.id), (Lines{"zebra", "apple", "mango"}),
                     std::string(c.name) + " three");
        c.fill(l.dlg, c.id, "kiwi\0");
        EXPECT_LINES(l.items(c.id), (Lines{"zebra", "apple", "mango", "kiwi"}),
                     std::string(c.name) + " again");
        /* The other control is left alone. */
        EXPECT_LINES(l.items(c.id == ID_COMBO ? ID_LIST : ID_COMBO), Lines(),
                     std::string(c.name) + " other control");
    }
}
