/* Draw_win_test.cpp -- the gadgets' drawing helpers read back pixel by
 * pixel: pictures and masks from whole bitmaps and from parts, keyed by
 * colour and by pixel; masked drawing over a background; copies; the
 * off-screen surface; and the value texts by table. */
#include "kk_int.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

static const COLORREF MAGENTA = RGB(255, 0, 255);
static const COLORREF BACK = RGB(10, 20, 30);

/* A screen-compatible bitmap painted from a picture of letters:
 * 'm' magenta, 'r' red, 'g' green, 'b' blue, 'w' white, 'k' black. */
static COLORREF letter_Color(char c)
{
    switch (c) {
    case 'm': return MAGENTA;
    case 'r': return RGB(255, 0, 0);
    case 'g': return RGB(0, 255, 0);
    case 'b': return RGB(0, 0, 255);
    case 'w': return RGB(255, 255, 255);
    default:  return RGB(0, 0, 0);
    }
}

static const char *const Picture[] = {
    "mmrrgm",
    "mrgbwm",
    "kbbmmg",
    "mmmmrr",
};
static const int PW = 6, PH = 4;

static HBITMAP picture_Make(void)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, PW, PH);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int y = 0; y < PH; y++)
        for (int x = 0; x < PW; x++)
            SetPixel(dc, x, y, letter_Color(Picture[y][x]));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

/* Target surface filled with BACK. */
struct Surface {
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    Surface(int w, int h)
    {
        HDC screen = GetDC(NULL);
        dc = CreateCompatibleDC(screen);
        bmp = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(NULL, screen);
        old = SelectObject(dc, bmp);
        HBRUSH b = CreateSolidBrush(BACK);
        RECT rc = {0, 0, w, h};
        FillRect(dc, &rc, b);
        DeleteObject(b);
    }
    ~Surface()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
};

struct MaskRow {
    const char *name;
    bool part;        /* cut the part (1, 1)-(5, 4) */
    int keyX, keyY;
    char key;         /* the letter that is transparent */
};

TEST(KnobkitDraw, MakeMaskedAndDraw)
{
    static const MaskRow rows[] = {
        {"whole, key colour magenta", false, -1, (int)MAGENTA, 'm'},
        {"whole, key pixel (0, 0)", false, 0, 0, 'm'},
        {"whole, key pixel (3, 0) red", false, 3, 0, 'r'},
        {"part, key colour magenta", true, -1, (int)MAGENTA, 'm'},
        {"part, key pixel (2, 0) of the part: blue", true, 2, 0, 'b'},
        {"part, key colour black", true, -1, (int)RGB(0, 0, 0), 'k'},
    };
    for (const MaskRow &r : rows) {
        SCOPED_TRACE(r.name);
        HBITMAP src = picture_Make();
        RECT part = {1, 1, 5, 4};
        const RECT *pp = r.part ? &part : NULL;
        int left = r.part ? 1 : 0, top = r.part ? 1 : 0;
        int w = r.part ? 4 : PW, h = r.part ? 3 : PH;
        HBITMAP image = NULL, mask = NULL;
        ASSERT_TRUE(gad_MakeMasked(src, pp, r.keyX, r.keyY, &image, &mask));
        /* consumed without a part, kept with one */
        EXPECT_EQ(r.part ? (DWORD)OBJ_BITMAP : 0u, GetObjectType(src));
        int iw, ih, mw, mh;
        gad_GetBitmapSize(image, &iw, &ih);
        gad_GetBitmapSize(mask, &mw, &mh);
        EXPECT_EQ(w, iw); EXPECT_EQ(h, ih);
        EXPECT_EQ(w, mw); EXPECT_EQ(h, mh);
        BITMAP bm;
        ASSERT_EQ((int)sizeof bm, GetObjectA(mask, sizeof bm, &bm));
        EXPECT_EQ(1, bm.bmBitsPixel);

        Surface s(w + 3, h + 3);
        gad_DrawMasked(s.dc, 2, 1, image, mask);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                char c = Picture[top + y][left + x];
                bool clear = c == r.key;
                std::string at = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                EXPECT_EQ(clear ? RGB(255, 255, 255) : RGB(0, 0, 0),
                          gad_GetPixel(mask, x, y)) << "mask " << at;
                EXPECT_EQ(clear ? RGB(0, 0, 0) : letter_Color(c),
                          gad_GetPixel(image, x, y)) << "image " << at;
                EXPECT_EQ(clear ? BACK : letter_Color(c),
                          GetPixel(s.dc, 2 + x, 1 + y)) << "drawn " << at;
            }
        /* nothing outside the picture's place */
        for (int y = 0; y < h + 3; y++)
            for (int x = 0; x < w + 3; x++)
                if (x < 2 || y < 1 || x >= 2 + w || y >= 1 + h) {
                    EXPECT_EQ(BACK, GetPixel(s.dc, x, y)) << "outside (" << x << ", " << y << ")";
                }
        DeleteObject(image);
        DeleteObject(mask);
        if (r.part)
            DeleteObject(src);
    }
}

TEST(KnobkitDraw, DrawMaskedPart)
{
    HBITMAP image = NULL, mask = NULL;
    ASSERT_TRUE(gad_MakeMasked(picture_Make(), NULL, -1, (int)MAGENTA, &image, &mask));
    Surface s(4, 4);
    /* the 2 x 2 part at (3, 1) of the picture: "bw" over "mm" */
    gad_DrawMaskedPart(s.dc, 1, 1, image, mask, 3, 1, 2, 2);
    static const struct { int x, y; COLORREF want; } rows[] = {
        {1, 1, RGB(0, 0, 255)}, {2, 1, RGB(255, 255, 255)},
        {1, 2, BACK}, {2, 2, BACK}, {0, 0, BACK}, {3, 1, BACK}, {1, 3, BACK},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.want, GetPixel(s.dc, r.x, r.y)) << "pixel (" << r.x << ", " << r.y << ")";
    DeleteObject(image);
    DeleteObject(mask);
}

TEST(KnobkitDraw, MakeMaskedNullAndOneOutput)
{
    HBITMAP image = (HBITMAP)1, mask = (HBITMAP)1;
    EXPECT_FALSE(gad_MakeMasked(NULL, NULL, -1, 0, &image, &mask));
    EXPECT_TRUE(image == NULL);
    EXPECT_TRUE(mask == NULL);
    /* only the mask wanted */
    HBITMAP src = picture_Make();
    ASSERT_TRUE(gad_MakeMasked(src, NULL, -1, (int)MAGENTA, NULL, &mask));
    EXPECT_EQ(0u, GetObjectType(src));
    EXPECT_EQ(1, gad_IsPixelBlack(mask, 2, 0)) << "red is opaque";
    EXPECT_EQ(0, gad_IsPixelBlack(mask, 0, 0)) << "magenta is clear";
    DeleteObject(mask);
}

TEST(KnobkitDraw, CopyBitmapAndQueries)
{
    HBITMAP src = picture_Make();
    RECT part = {2, 1, 6, 3};
    HBITMAP copy = gad_CopyBitmap(src, &part);
    ASSERT_TRUE(copy != NULL);
    EXPECT_EQ((DWORD)OBJ_BITMAP, GetObjectType(src)) << "kept with a part";
    int w, h;
    gad_GetBitmapSize(copy, &w, &h);
    EXPECT_EQ(4, w);
    EXPECT_EQ(2, h);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(letter_Color(Picture[1 + y][2 + x]), gad_GetPixel(copy, x, y))
                << "part pixel (" << x << ", " << y << ")";
    DeleteObject(copy);

    copy = gad_CopyBitmap(src, NULL);
    ASSERT_TRUE(copy != NULL);
    EXPECT_EQ(0u, GetObjectType(src)) << "consumed without a part";
    gad_GetBitmapSize(copy, &w, &h);
    EXPECT_EQ(PW, w);
    EXPECT_EQ(PH, h);
    EXPECT_EQ(1, gad_IsPixelBlack(copy, 0, 2));
    EXPECT_EQ(0, gad_IsPixelBlack(copy, 1, 2));
    EXPECT_EQ(RGB(0, 255, 0), gad_GetPixel(copy, 5, 2));
    DeleteObject(copy);

    gad_GetBitmapSize(NULL, &w, &h);
    EXPECT_EQ(0, w);
    EXPECT_EQ(0, h);
    EXPECT_TRUE(gad_CopyBitmap(NULL, NULL) == NULL);
}

/* The surface starts as what the target shows, carries the control's
 * font, and goes back over the control's client area only. */
TEST(KnobkitDraw, OffscreenBuffer)
{
    HWND wnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 20, 10, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(wnd != NULL);
    RECT client;
    GetClientRect(wnd, &client);
    ASSERT_EQ(20, client.right);
    ASSERT_EQ(10, client.bottom);
    HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SendMessageA(wnd, WM_SETFONT, (WPARAM)font, FALSE);

    Surface s(30, 15);
    SetPixel(s.dc, 3, 4, RGB(255, 0, 0));
    HBITMAP old = NULL;
    HDC mem = gad_BeginBuffer(wnd, s.dc, &old);
    ASSERT_TRUE(mem != NULL);
    EXPECT_TRUE(old != NULL);
    EXPECT_EQ((HGDIOBJ)font, GetCurrentObject(mem, OBJ_FONT));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(mem, 3, 4));
    EXPECT_EQ(BACK, GetPixel(mem, 19, 9));
    EXPECT_EQ(CLR_INVALID, GetPixel(mem, 20, 9)) << "surface of the client size";
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT all = {0, 0, 30, 15};
    FillRect(mem, &all, green);
    DeleteObject(green);
    gad_EndBuffer(wnd, s.dc, mem, old);
    for (int y = 0; y < 15; y++)
        for (int x = 0; x < 30; x++)
            EXPECT_EQ(x < 20 && y < 10 ? RGB(0, 255, 0) : BACK, GetPixel(s.dc, x, y))
                << "pixel (" << x << ", " << y << ")";
    EXPECT_EQ((DWORD)OBJ_FONT, GetObjectType(font)) << "the control keeps its font";
    DestroyWindow(wnd);
    DeleteObject(font);
}

TEST(KnobkitDraw, Percent)
{
    static const struct { int min, max, value, want; } rows[] = {
        {0, 200, 101, 51}, {0, 100, -1, 0},  {0, 100, -2, -1}, {0, 100, 50, 50},
        {0, 3, 1, 33},     {0, 3, 2, 67},    {10, 20, 15, 50}, {-100, 100, 0, 50},
        {0, 100, 100, 100}, {0, 1000, 4, 0}, {0, 1000, 5, 1},  {5, 5, 5, 0},
        {-2147483647 - 1, 2147483647, 2147483647, 100},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.want, gad_Percent(r.min, r.max, r.value))
            << "row min " << r.min << " max " << r.max << " value " << r.value;
}

static void KKAPI text_Proc(int value, char *out)
{
    snprintf(out, GAD_TEXT_MAX, "<%d>", value);
}

static const std::string Spaces127(127, ' ');

struct TextRow {
    const char *name;
    const char *text;
    uint32_t flags;
    bool proc;
    int min, max, value;
    const char *own;    /* gad_FormatValue */
    const char *label;  /* gad_LabelText */
};

TEST(KnobkitDraw, ValueTexts)
{
    static const TextRow rows[] = {
        {"plain label", "Volume", 0, false, 0, 100, 40, "Volume", "Volume"},
        {"plain label, percent flags", "Volume", VT_PERCENT | VT_LABELPERCENT, false, 0, 100, 40, "Volume", "Volume"},
        {"label as format", "%d dB", 0, false, 0, 200, 101, "101 dB", "101"},
        {"label format, percent", "%d dB", VT_PERCENT, false, 0, 200, 101, "51 dB", "101"},
        {"label format, label format flag", "%d dB", VT_LABELFORMAT, false, 0, 200, 101, "101 dB", "101 dB"},
        {"label format, label percent format", "%d dB", VT_LABELFORMAT | VT_LABELPERCENT, false, 0, 200, 101, "101 dB", "51 dB"},
        {"label percent, built-in", "%d dB", VT_LABELPERCENT, false, 0, 200, 101, "101 dB", "51%"},
        {"built-in value", "x%", VT_BUILTIN, false, 0, 100, 7, "7", "7"},
        {"built-in percent", "x%", VT_BUILTIN | VT_PERCENT, false, 0, 200, 101, "51%", "101"},
        {"percent truncated toward zero", "%d%%", VT_PERCENT, false, 0, 100, -1, "0%", "-1"},
        {"empty label", "", 0, false, 0, 100, 42, "", "42"},
        {"empty label, percent", "", VT_PERCENT, false, 0, 200, 101, "", "51%"},
        {"text proc", "%d dB", VT_LABELFORMAT, true, 0, 100, 9, "<9>", "9 dB"},
        {"text proc, plain label", "Gain", VT_PERCENT, true, 0, 100, 9, "<9>", "Gain"},
        {"format of a text is shown as it stands", "%s %n", VT_LABELFORMAT, false, 0, 100, 3, "%s %n", "%s %n"},
        {"two conversions shown as they stand", "%d/%d", VT_LABELFORMAT, false, 0, 100, 3, "%d/%d", "%d/%d"},
        {"width and hex", "[%04X]", VT_LABELFORMAT, false, 0, 100, 255, "[00FF]", "[00FF]"},
        {"sign flags are not formats here", "%+d", VT_LABELFORMAT, false, 0, 100, 3, "%+d", "%+d"},
        {"left-justified width", "[%-4d]", VT_LABELFORMAT, false, 0, 100, 7, "[7   ]", "[7   ]"},
        {"a width past the buffer keeps 127 characters", "%900d", VT_LABELFORMAT, false, 0, 100, 5,
         Spaces127.c_str(), Spaces127.c_str()},
    };
    for (const TextRow &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        Gadget g;
        memset(&g, 0, sizeof g);
        strcpy(g.text, r.text);
        g.flags = r.flags;
        g.textProc = r.proc ? text_Proc : NULL;
        char out[GAD_TEXT_MAX];
        memset(out, '?', sizeof out);
        gad_FormatValue(&g, out, r.min, r.max, r.value);
        EXPECT_STREQ(r.own, out);
        memset(out, '?', sizeof out);
        gad_LabelText(&g, out, r.min, r.max, r.value);
        EXPECT_STREQ(r.label, out);
    }
}

/* A label of the full 127 characters, unterminated in its record, stays
 * within the output. */
TEST(KnobkitDraw, LongLabel)
{
    Gadget g;
    memset(&g, 0, sizeof g);
    memset(g.text, 'a', sizeof g.text);
    char out[GAD_TEXT_MAX + 8];
    memset(out, '?', sizeof out);
    gad_FormatValue(&g, out, 0, 100, 1);
    EXPECT_EQ((size_t)GAD_TEXT_MAX - 1, strlen(out));
    EXPECT_EQ('?', out[GAD_TEXT_MAX]);
    memset(out, '?', sizeof out);
    gad_LabelText(&g, out, 0, 100, 1);
    EXPECT_EQ((size_t)GAD_TEXT_MAX - 1, strlen(out));
}
