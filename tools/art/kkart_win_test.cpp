/* kkart_win_test.cpp -- knobkit.dll's resources as Windows loads them:
 * every bitmap at its size with its key colour where the gadgets take it
 * (so the 4-bit and run-length encoded files decode as drawn), a glyph in
 * every cell of the character strip, the hand cursors with their hot spots,
 * both dialog templates made into windows, and the version block. */
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

/* The DLL by its build-tree path: Wine shows the root as drive Z: and takes
 * either slash. */
static std::string dll_Path(void) { return KNOBKIT_DLL; }

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        mod = LoadLibraryA(dll_Path().c_str());
        ASSERT_TRUE(mod != NULL) << dll_Path();
        dc = CreateCompatibleDC(NULL);
    }
    void TearDown() override
    {
        if (dc)
            DeleteDC(dc);
        if (mod)
            FreeLibrary(mod);
    }
    HMODULE mod = NULL;
    HDC dc = NULL;
};

#define MAGENTA RGB(255, 0, 255)
#define YELLOW  RGB(255, 255, 0)

struct BitmapRow {
    int id, width, height;
    COLORREF key;
    POINT keys[4];
    int nkeys;
    POINT subject;   /* a pixel of the picture itself: never the key */
};

static const BitmapRow bitmaps[] = {
    {107, 512, 66, RGB(0, 0, 0), {{0, 0}, {16, 22}}, 2, {4, 5} /* '!' */},
    {109, 151, 151, RGB(0, 0, 0), {}, 0, {75, 75}},
    {110, 20, 30, MAGENTA, {{0, 0}, {19, 0}, {0, 15}, {19, 29}}, 4, {9, 8}},
    {111, 78, 26, MAGENTA, {{0, 0}, {13, 0}, {26, 13}, {77, 25}}, 4, {6, 6}},
    {112, 47, 47, YELLOW, {{0, 0}, {46, 46}}, 2, {23, 23}},
    {114, 46, 19, RGB(255, 0, 0), {{0, 0}}, 1, {5, 9}},
    {115, 46, 19, RGB(255, 0, 0), {{0, 0}}, 1, {5, 9}},
    {117, 7, 7, YELLOW, {{0, 0}}, 1, {3, 3}},
    {119, 12, 12, YELLOW, {{0, 0}}, 1, {6, 6}},
    {120, 14, 52, MAGENTA, {{0, 0}, {0, 26}}, 2, {7, 16}},
    {121, 11, 9, MAGENTA, {{0, 0}, {8, 0}}, 2, {2, 4}},
    {122, 19, 14, MAGENTA, {{0, 0}}, 1, {9, 8}},
};

TEST_F(Resources, BitmapsHaveTheirSizesAndKeys)
{
    for (const BitmapRow &r : bitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(r.id));
        HBITMAP bm = LoadBitmapA(mod, MAKEINTRESOURCEA(r.id));
        ASSERT_TRUE(bm != NULL);
        BITMAP info;
        ASSERT_EQ((int)sizeof info, GetObjectA(bm, sizeof info, &info));
        EXPECT_EQ(r.width, info.bmWidth);
        EXPECT_EQ(r.height, info.bmHeight);
        HGDIOBJ old = SelectObject(dc, bm);
        for (int i = 0; i < r.nkeys; i++)
            EXPECT_EQ(r.key, GetPixel(dc, r.keys[i].x, r.keys[i].y))
                << "key pixel (" << r.keys[i].x << ", " << r.keys[i].y << ")";
        COLORREF subject = GetPixel(dc, r.subject.x, r.subject.y);
        EXPECT_NE(CLR_INVALID, subject);
        if (r.nkeys) {
            EXPECT_NE(r.key, subject);
        }
        SelectObject(dc, old);
        DeleteObject(bm);
    }
}

/* Characters 32..127 in code order, 32 cells of 16 x 22 a row: the space
 * is dark, every other cell has fully lit dots. */
TEST_F(Resources, CharacterStripHasAGlyphInEveryCell)
{
    HBITMAP bm = LoadBitmapA(mod, MAKEINTRESOURCEA(107));
    ASSERT_TRUE(bm != NULL);
    HGDIOBJ old = SelectObject(dc, bm);
    for (int c = 32; c < 128; c++) {
        SCOPED_TRACE("character " + std::to_string(c));
        int ox = (c - 32) % 32 * 16, oy = (c - 32) / 32 * 22, lit = 0;
        for (int y = 0; y < 22; y++)
            for (int x = 0; x < 16; x++)
                lit += GetRValue(GetPixel(dc, ox + x, oy + y)) == 255;
        if (c == 32) {
            EXPECT_EQ(0, lit);
        } else {
            EXPECT_GE(lit, 4);
        }
    }
    /* '-' lights the middle dot row only: nothing above or below it. */
    int ox = ('-' - 32) * 16, top = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 16; x++)
            top += GetRValue(GetPixel(dc, ox + x, y)) == 255;
    EXPECT_EQ(0, top);
    SelectObject(dc, old);
    DeleteObject(bm);
}

TEST_F(Resources, CursorsHaveTheirHotSpots)
{
    static const struct {
        int id, x, y;
    } rows[] = {{102, 2, 3}, {103, 5, 0}, {104, 7, 0}, {105, 7, 0}, {106, 5, 0}};
    for (const auto &r : rows) {
        SCOPED_TRACE("cursor " + std::to_string(r.id));
        HCURSOR cur = LoadCursorA(mod, MAKEINTRESOURCEA(r.id));
        ASSERT_TRUE(cur != NULL);
        ICONINFO ii;
        ASSERT_TRUE(GetIconInfo(cur, &ii));
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ((DWORD)r.x, ii.xHotspot);
        EXPECT_EQ((DWORD)r.y, ii.yHotspot);
        BITMAP mask;
        ASSERT_EQ((int)sizeof mask, GetObjectA(ii.hbmMask, sizeof mask, &mask));
        EXPECT_EQ(32, mask.bmWidth);
        EXPECT_EQ(ii.hbmColor ? 32 : 64, mask.bmHeight);   /* AND over XOR */
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
    }
}

static INT_PTR CALLBACK quiet_Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

static std::string class_Of(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

TEST_F(Resources, RequesterTemplate)
{
    HWND d = CreateDialogParamA(mod, MAKEINTRESOURCEA(108), NULL, quiet_Proc, 0);
    ASSERT_TRUE(d != NULL);
    LONG style = GetWindowLongA(d, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_NE(WS_CAPTION, style & WS_CAPTION);
    static const struct {
        int id;
        const char *cls, *text;
        LONG style, exstyle;
    } rows[] = {{IDOK, "Button", "OK", BS_DEFPUSHBUTTON, WS_EX_CLIENTEDGE},
                {IDCANCEL, "Button", "Cancel", 0, WS_EX_CLIENTEDGE},
                {1000, "Static", "", SS_SUNKEN, 0},
                {1001, "Static", "", 0, WS_EX_CLIENTEDGE}};
    for (const auto &r : rows) {
        SCOPED_TRACE("control " + std::to_string(r.id));
        HWND c = GetDlgItem(d, r.id);
        ASSERT_TRUE(c != NULL);
        EXPECT_STREQ(r.cls, class_Of(c).c_str());
        char text[64];
        GetWindowTextA(c, text, sizeof text);
        EXPECT_STREQ(r.text, text);
        EXPECT_EQ(r.style, GetWindowLongA(c, GWL_STYLE) & r.style);
        EXPECT_EQ(r.exstyle, GetWindowLongA(c, GWL_EXSTYLE) & r.exstyle);
    }
    DestroyWindow(d);
}

TEST_F(Resources, LanguageChooserTemplate)
{
    HWND d = CreateDialogParamA(mod, MAKEINTRESOURCEA(116), NULL, quiet_Proc, 0);
    ASSERT_TRUE(d != NULL);
    char text[64];
    GetWindowTextA(d, text, sizeof text);
    EXPECT_STREQ("Select your language:", text);
    HWND list = GetDlgItem(d, 1002), ok = GetDlgItem(d, IDOK);
    ASSERT_TRUE(list != NULL);
    ASSERT_TRUE(ok != NULL);
    EXPECT_STREQ("ListBox", class_Of(list).c_str());
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & LBS_NOTIFY);
    /* Unsorted: the entries stay in the order they were added; more than
     * fit bring the scroll bar. */
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Zulu");
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Alpha");
    SendMessageA(list, LB_GETTEXT, 0, (LPARAM)text);
    EXPECT_STREQ("Zulu", text);
    for (int i = 0; i < 40; i++)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Language");
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
    GetWindowTextA(ok, text, sizeof text);
    EXPECT_STREQ("OK", text);
    EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
    DestroyWindow(d);
}

TEST_F(Resources, VersionIs1250)
{
    std::string path = dll_Path();
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(&block[0], "\\", (void **)&fixed, &len));
    ASSERT_TRUE(fixed != NULL);
    EXPECT_EQ(0x00010002u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00050000u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010002u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00050000u, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VFT_DLL, fixed->dwFileType);
}
