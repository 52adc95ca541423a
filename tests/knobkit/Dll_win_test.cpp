/* Dll_win_test.cpp -- knobkit.dll loaded by path as a client loads it:
 * every export found by its plain name, the fourteen default objects (kind,
 * fonts by their LOGFONT, pattern brushes by the pixels they paint,
 * cursors against the library's own resources), the same handles on every
 * call, their release when the library goes, and the font helpers. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

/* The build tree is a Unix path; Wine shows the root as drive Z:. */
static std::string dll_Path(void)
{
    std::string p = std::string("Z:") + KNOBKIT_DLL;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

typedef HGDIOBJ(KKAPI *GetDefObjectFn)(int);
typedef int(KKAPI *CalcFontHeightFn)(int);
typedef HFONT(KKAPI *CreateFontFn)(int);

static int screen_Dpi(void)
{
    HDC dc = GetDC(NULL);
    int d = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(NULL, dc);
    return d;
}

/* points / 72 inch in pixels, rounded half up: by integers alone. */
static int font_Height(int points)
{
    return -((2 * screen_Dpi() * points + 72) / 144);
}

/* The face a font really draws with. */
static std::string drawn_Face(HFONT f)
{
    char face[LF_FACESIZE] = "";
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, f);
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    return face;
}

/* The library's face as the system draws it: Tahoma when Tahoma draws as
 * itself, Arial only when a font asked for as Tahoma draws with another
 * face (this prefix may have neither). */
static void expect_face(const LOGFONTA &lf, HFONT f)
{
    std::string named = lf.lfFaceName;
    if (named == "Tahoma") {
        EXPECT_EQ("Tahoma", drawn_Face(f)) << "Tahoma named, not drawn";
        return;
    }
    EXPECT_EQ("Arial", named) << "neither Tahoma nor Arial";
    LOGFONTA want = lf;
    strcpy(want.lfFaceName, "Tahoma");
    HFONT tahoma = CreateFontIndirectA(&want);
    ASSERT_TRUE(tahoma != NULL);
    EXPECT_NE("Tahoma", drawn_Face(tahoma)) << "Arial although Tahoma draws";
    DeleteObject(tahoma);
}

/* Every default object: a font or brush of that GDI type, or a cursor made
 * from the library's cursor resource of that identifier (hot spot). */
static const struct DefRow {
    int index;
    DWORD type;
    int cursorId, hotX, hotY;
} def_rows[] = {
    {DEF_FONT, OBJ_FONT, 0, 0, 0},         {DEF_FONTBOLD, OBJ_FONT, 0, 0, 0},
    {DEF_GUIFONTBOLD, OBJ_FONT, 0, 0, 0},  {DEF_BRUSHDITHER, OBJ_BRUSH, 0, 0, 0},
    {DEF_BRUSHHLINES, OBJ_BRUSH, 0, 0, 0}, {DEF_BRUSHVLINES, OBJ_BRUSH, 0, 0, 0},
    {DEF_BRUSHFACE, OBJ_BRUSH, 0, 0, 0},   {DEF_CURSORPOINT, 0, 106, 5, 0},
    {DEF_CURSORPOINTDOWN, 0, 103, 5, 0},   {DEF_CURSORHAND, 0, 104, 7, 0},
    {DEF_CURSORGRAB, 0, 105, 7, 0},        {DEF_CURSORTURN, 0, 102, 2, 3},
    {DEF_FONT13, OBJ_FONT, 0, 0, 0},       {DEF_FONT13BOLD, OBJ_FONT, 0, 0, 0},
};
static_assert(sizeof def_rows / sizeof *def_rows == DEF_COUNT,
              "a row for every default object");

class KnobkitDll : public ::testing::Test {
protected:
    HMODULE dll = NULL;
    GetDefObjectFn getDef = NULL;
    void SetUp() override
    {
        dll = LoadLibraryA(dll_Path().c_str());
        ASSERT_TRUE(dll != NULL) << dll_Path() << " error " << GetLastError();
        getDef = (GetDefObjectFn)(void *)GetProcAddress(dll, "dlg_GetDefObject");
        ASSERT_TRUE(getDef != NULL);
    }
    void TearDown() override
    {
        if (dll)
            FreeLibrary(dll);
    }
    template <class F> F fn(const char *name)
    {
        return (F)(void *)GetProcAddress(dll, name);
    }
};

TEST_F(KnobkitDll, EveryExportByPlainName)
{
    static const char *const names[] = {"dlg_CalcFontHeight", "dlg_CreateFont",
                                        "dlg_GetDefObject"};
    for (const char *name : names)
        EXPECT_TRUE(GetProcAddress(dll, name) != NULL) << "export " << name;
    EXPECT_TRUE(GetProcAddress(dll, "dlg_GetDefObject@4") == NULL);
}

/* Kind of every default object; the library carries its cursor
 * resources, and the cursors are those resources. */
TEST_F(KnobkitDll, DefaultObjectKinds)
{
    for (const auto &r : def_rows) {
        SCOPED_TRACE("index " + std::to_string(r.index));
        HGDIOBJ h = getDef(r.index);
        if (r.cursorId) {
            ASSERT_TRUE(FindResourceA(dll, MAKEINTRESOURCEA(r.cursorId),
                                      RT_GROUP_CURSOR) != NULL)
                << "cursor resource " << r.cursorId;
            ASSERT_TRUE(h != NULL);
            EXPECT_EQ((HANDLE)LoadCursorA(dll, MAKEINTRESOURCEA(r.cursorId)),
                      (HANDLE)h);
            ICONINFO ii;
            ASSERT_TRUE(GetIconInfo((HICON)h, &ii));
            EXPECT_FALSE(ii.fIcon);
            EXPECT_EQ((DWORD)r.hotX, ii.xHotspot);
            EXPECT_EQ((DWORD)r.hotY, ii.yHotspot);
            DeleteObject(ii.hbmMask);
            if (ii.hbmColor)
                DeleteObject(ii.hbmColor);
        } else {
            ASSERT_TRUE(h != NULL);
            EXPECT_EQ(r.type, GetObjectType(h));
        }
    }
    EXPECT_TRUE(getDef(-1) == NULL);
    EXPECT_TRUE(getDef(DEF_COUNT) == NULL);
}

TEST_F(KnobkitDll, DefaultFonts)
{
    static const struct { int index; int height; LONG weight; } rows[] = {
        {DEF_FONT, font_Height(8), 400},  {DEF_FONTBOLD, font_Height(8), 700},
        {DEF_FONT13, 13, 400},            {DEF_FONT13BOLD, 13, 700},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE("index " + std::to_string(r.index));
        LOGFONTA lf;
        ASSERT_EQ((int)sizeof lf, GetObjectA(getDef(r.index), sizeof lf, &lf));
        EXPECT_EQ(r.height, lf.lfHeight);
        EXPECT_EQ(0, lf.lfWidth);
        EXPECT_EQ(r.weight, lf.lfWeight);
        EXPECT_EQ(0, lf.lfItalic | lf.lfUnderline | lf.lfStrikeOut);
        EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
        EXPECT_EQ(ANTIALIASED_QUALITY, lf.lfQuality);
        EXPECT_EQ(FF_SWISS | DEFAULT_PITCH, lf.lfPitchAndFamily);
        expect_face(lf, (HFONT)getDef(r.index));
    }
}

TEST_F(KnobkitDll, GuiFontBold)
{
    LOGFONTA gui, bold;
    ASSERT_EQ((int)sizeof gui,
              GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui));
    ASSERT_EQ((int)sizeof bold, GetObjectA(getDef(DEF_GUIFONTBOLD), sizeof bold, &bold));
    EXPECT_EQ(700, bold.lfWeight);
    /* every field but the weight as the stock font's (the face by its
     * characters: what follows the terminator is not part of it) */
    EXPECT_EQ(gui.lfHeight, bold.lfHeight);
    EXPECT_EQ(gui.lfWidth, bold.lfWidth);
    EXPECT_EQ(gui.lfEscapement, bold.lfEscapement);
    EXPECT_EQ(gui.lfOrientation, bold.lfOrientation);
    EXPECT_EQ(gui.lfItalic, bold.lfItalic);
    EXPECT_EQ(gui.lfUnderline, bold.lfUnderline);
    EXPECT_EQ(gui.lfStrikeOut, bold.lfStrikeOut);
    EXPECT_EQ(gui.lfCharSet, bold.lfCharSet);
    EXPECT_EQ(gui.lfOutPrecision, bold.lfOutPrecision);
    EXPECT_EQ(gui.lfClipPrecision, bold.lfClipPrecision);
    EXPECT_EQ(gui.lfQuality, bold.lfQuality);
    EXPECT_EQ(gui.lfPitchAndFamily, bold.lfPitchAndFamily);
    EXPECT_STREQ(gui.lfFaceName, bold.lfFaceName);
    EXPECT_NE(700, gui.lfWeight) << "the stock font is not bold already";
}

/* Each pattern brush paints a 16 x 16 area from the origin; its pixels are
 * the rows of the pattern (bit 7 the left pixel, 1 white) repeated. */
TEST_F(KnobkitDll, PatternBrushPixels)
{
    static const struct { const char *name; int index; unsigned char rows[8]; } rows[] = {
        {"dither", DEF_BRUSHDITHER, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
        {"hlines", DEF_BRUSHHLINES, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF}},
        {"vlines", DEF_BRUSHVLINES, {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33}},
    };
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        RECT rc = {0, 0, 16, 16};
        ASSERT_TRUE(FillRect(dc, &rc, (HBRUSH)getDef(r.index)));
        int wrong = 0;
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++) {
                bool white = (r.rows[y % 8] >> (7 - x % 8)) & 1;
                COLORREF want = white ? RGB(255, 255, 255) : RGB(0, 0, 0);
                COLORREF got = GetPixel(dc, x, y);
                if (got != want && wrong++ < 4)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") "
                                  << std::hex << got << " want " << want;
            }
        EXPECT_EQ(0, wrong);
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST_F(KnobkitDll, FaceBrush)
{
    LOGBRUSH lb;
    ASSERT_EQ((int)sizeof lb, GetObjectA(getDef(DEF_BRUSHFACE), sizeof lb, &lb));
    EXPECT_EQ((UINT)BS_SOLID, lb.lbStyle);
    EXPECT_EQ(RGB(214, 211, 206), lb.lbColor);
}

/* The same handles on every call, also through a second load of the
 * library; all fonts and brushes are gone once it is unloaded. */
TEST_F(KnobkitDll, SameHandlesThenReleased)
{
    HGDIOBJ first[DEF_COUNT];
    for (int i = 0; i < DEF_COUNT; i++)
        first[i] = getDef(i);
    HMODULE again = LoadLibraryA(dll_Path().c_str());
    ASSERT_EQ(dll, again);
    for (int i = 0; i < DEF_COUNT; i++)
        EXPECT_EQ(first[i], getDef(i)) << "index " << i;
    FreeLibrary(again);
    for (int i = 0; i < DEF_COUNT; i++)
        EXPECT_EQ(first[i], getDef(i)) << "index " << i << " after one unload";

    FreeLibrary(dll);
    dll = NULL;
    for (const auto &r : def_rows) {
        if (r.type) {
            EXPECT_EQ(0u, GetObjectType(first[r.index]))
                << "index " << r.index << " not deleted";
        }
    }
}

TEST_F(KnobkitDll, CalcFontHeight)
{
    CalcFontHeightFn calc = fn<CalcFontHeightFn>("dlg_CalcFontHeight");
    ASSERT_TRUE(calc != NULL);
    static const int points[] = {1, 6, 8, 9, 10, 12, 13, 24, 72};
    for (int p : points)
        EXPECT_EQ(font_Height(p), calc(p)) << "points " << p;
    if (screen_Dpi() == 96) {
        EXPECT_EQ(-11, calc(8));
        EXPECT_EQ(-13, calc(10));
        EXPECT_EQ(-16, calc(12));
    }
}

TEST_F(KnobkitDll, CreateFontByCharsetIndex)
{
    CreateFontFn create = fn<CreateFontFn>("dlg_CreateFont");
    ASSERT_TRUE(create != NULL);
    static const BYTE charsets[] = {0, 238, 186, 161, 204, 162, 178, 177};
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE("index " + std::to_string(i));
        HFONT f = create(i);
        ASSERT_TRUE(f != NULL);
        LOGFONTA lf;
        ASSERT_EQ((int)sizeof lf, GetObjectA(f, sizeof lf, &lf));
        EXPECT_EQ(charsets[i], lf.lfCharSet);
        EXPECT_EQ(13, lf.lfHeight);
        EXPECT_EQ(400, lf.lfWeight);
        EXPECT_EQ(ANTIALIASED_QUALITY, lf.lfQuality);
        EXPECT_EQ(FF_SWISS | VARIABLE_PITCH, lf.lfPitchAndFamily);
        expect_face(lf, f);
        /* The caller's own: a new font every time. */
        HFONT g = create(i);
        EXPECT_NE(f, g);
        EXPECT_TRUE(DeleteObject(f));
        EXPECT_TRUE(DeleteObject(g));
    }
    EXPECT_TRUE(create(-1) == NULL);
    EXPECT_TRUE(create(8) == NULL);
}
