/* Led_win_test.cpp -- the LED display under Wine: panels and lines placed
 * and centred, lit segments, text cells, backgrounds, what bad indexes
 * and lengths leave alone, the bitmaps it is handed, and the GDI objects
 * it leaves behind.  Drawing is read back pixel by pixel and compared
 * whole with a picture the test paints itself: characters from the
 * library's own strip (resource 107), segments from the panel picture
 * the test made. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <limits.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_LED = 601, ID_OTHER = 602, ID_MISSING = 699 };

const COLORREF BACK = RGB(1, 2, 3);
const COLORREF KEY = RGB(255, 0, 255);
const COLORREF KEY2 = RGB(0, 128, 128);
const COLORREF FILL = RGB(40, 60, 200);
const COLORREF RED = RGB(220, 0, 0);
const COLORREF GREEN = RGB(0, 200, 0);
const COLORREF BLUE = RGB(0, 0, 230);
const COLORREF YELLOW = RGB(240, 240, 0);
/* No colour: the scene keeps what it has there. */
const COLORREF NONE = 0xFF000000u;

/* ---- The library's character strip, read by the test ---- */

struct Strip {
    std::vector<COLORREF> px;
    int w = 0, h = 0;
    COLORREF key = CLR_INVALID;

    Strip()
    {
        HBITMAP bmp = LoadBitmapA(GetModuleHandleA("knobkit.dll"),
                                  MAKEINTRESOURCEA(107));
        if (!bmp)
            return;
        BITMAP bm;
        GetObjectA(bmp, sizeof bm, &bm);
        HDC dc = CreateCompatibleDC(NULL);
        HGDIOBJ old = SelectObject(dc, bmp);
        w = bm.bmWidth, h = bm.bmHeight;
        px.resize(w * h);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                px[y * w + x] = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
        key = px[0];
    }
    /* Pixel (u, v) of the cell of character c; NONE where the strip
     * shows its key (the LED's background there). */
    COLORREF glyph(unsigned char c, int u, int v) const
    {
        int i = c - 32;
        COLORREF p = px[(i / 32 * 22 + v) * w + i % 32 * 16 + u];
        return p == key ? NONE : p;
    }
};

const Strip &strip(void)
{
    static Strip s;
    return s;
}

/* ---- A panel picture ----
 * 30 x 20 on a key colour, with four bars; the table's rectangle of each
 * segment is the bar with a pixel of key around it, so drawing through
 * the mask shows.  Segments 0, 1, 2 and 31. */
struct Bar {
    int bit;
    RECT r;            /* in the picture */
    COLORREF c;
};

const Bar BARS[] = {
    {0, {2, 2, 12, 6}, RED},
    {1, {2, 9, 12, 13}, GREEN},
    {2, {16, 2, 20, 16}, BLUE},
    {31, {24, 14, 28, 18}, YELLOW},
};
const int PW = 30, PH = 20;

const LedSegment *segments(void)
{
    static LedSegment t[32];
    static bool made = false;
    if (!made) {
        for (const Bar &b : BARS)
            t[b.bit] = {b.r.left - 1, b.r.top - 1, b.r.right - b.r.left + 2,
                        b.r.bottom - b.r.top + 2};
        made = true;
    }
    return t;
}

HBITMAP panel_Picture(COLORREF key = KEY)
{
    return kk_Picture(PW, PH, [&](HDC dc) {
        rect_Fill(dc, 0, 0, PW, PH, key);
        for (const Bar &b : BARS)
            rect_Fill(dc, b.r.left, b.r.top, b.r.right, b.r.bottom, b.c);
    });
}

/* ---- What the LED should show ----
 * The picture the test expects, painted item by item over a background. */
struct Scene {
    int w, h;
    std::vector<COLORREF> px;

    Scene(int width, int height, COLORREF back)
        : w(width), h(height), px(width * height, back)
    {
    }
    void put(int x, int y, COLORREF c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h && c != NONE)
            px[y * w + x] = c;
    }
    /* The cell of character c with its top-left corner at (x, y). */
    void cell(int x, int y, unsigned char c)
    {
        for (int v = 0; v < 22; v++)
            for (int u = 0; u < 16; u++)
                put(x + u, y + v, strip().glyph(c, u, v));
    }
    /* A line's cells, 18 pixels apart. */
    void cells(int x, int y, const std::string &s)
    {
        for (size_t j = 0; j < s.size(); j++)
            cell(x + 18 * (int)j, y, (unsigned char)s[j]);
    }
    /* The lit bars of a panel picture placed at (x, y). */
    void panel(int x, int y, uint32_t lit)
    {
        for (const Bar &b : BARS)
            if (lit >> b.bit & 1)
                for (int v = b.r.top; v < b.r.bottom; v++)
                    for (int u = b.r.left; u < b.r.right; u++)
                        put(x + u, y + v, b.c);
    }
    COLORREF at(int x, int y) const { return px[y * w + x]; }
};

/* The number of pixels where the canvas differs from the scene, and the
 * first one in first. */
int differ(const Canvas &cv, const Scene &s, std::string *first)
{
    return cv.mismatches([&](int x, int y) { return s.at(x, y); },
                         [](int, int) { return false; }, first);
}

/* The dialog, its LED control made exactly w x h pixels (and the dialog
 * large enough to show it), a second static beside it. */
bool open(GadgetDialog &d, int w, int h, const char *text = "")
{
    d.control(ID_LED, 4, 4, 60, 30, text);
    d.control(ID_OTHER, 4, 150, 60, 20, "other");
    if (!d.start())
        return false;
    SetWindowPos(d.dlg, NULL, 0, 0, w + 40, h + 300,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(d.ctl(ID_LED), NULL, 0, 0, w, h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT c = d.client(ID_LED);
    return c.right == w && c.bottom == h;
}

/* The control's painting over BACK. */
void shoot(const GadgetDialog &d, Canvas &cv)
{
    rect_Fill(cv.dc, 0, 0, cv.w, cv.h, BACK);
    d.shot(ID_LED, cv);
}

/* What the LED shows on the screen at (x, y). */
COLORREF on_Screen(const GadgetDialog &d, int x, int y)
{
    HDC dc = GetDC(d.ctl(ID_LED));
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(d.ctl(ID_LED), dc);
    return c;
}

/* A pixel of a lit dot of 'A' in its cell, and one of the background. */
POINT lit_Dot(unsigned char c)
{
    for (int v = 0; v < 22; v++)
        for (int u = 0; u < 16; u++)
            if (strip().glyph(c, u, v) != NONE &&
                strip().glyph(c, u, v) != strip().glyph(' ', u, v))
                return {u, v};
    return {-1, -1};
}

}  // namespace

/* The strip the tests compare with is the one the library carries. */
TEST(KnobkitLed, StripIsThere)
{
    ASSERT_EQ(512, strip().w) << "row resource 107";
    ASSERT_EQ(66, strip().h) << "row resource 107";
    EXPECT_EQ(RGB(0, 0, 0), strip().key) << "row its key pixel";
    EXPECT_GE(lit_Dot('A').x, 0) << "row 'A' has lit dots";
}

namespace {

/* ---- Placement ---- */

struct PanelAt {
    int x, y;
};
struct LineAt {
    int x, y, length;
    const char *text;
};

struct PlaceCase {
    const char *name;
    int cw, ch;
    std::vector<PanelAt> panels;   /* panel i, all segments lit */
    std::vector<LineAt> lines;     /* line i */
    int ox, oy;                    /* where the content starts */
};

}  // namespace

/* The content (every panel with a picture, every line with cells) is
 * centred as a whole: each half of the client size less each half of the
 * content size, truncated on its own; panels show their lit segments and
 * lines their cells, 18 pixels apart, over what lies under the LED. */
TEST(KnobkitLed, PlacementByTable)
{
    const PlaceCase cases[] = {
        {"one line of 4 at (0, 0) in 100 x 40", 100, 40, {},
         {{0, 0, 4, "A0z~"}}, 14, 9},
        {"odd control, line of 3 at (2, 1)", 101, 41, {},
         {{2, 1, 3, "Hi!"}}, 22, 9},
        {"one panel", 100, 40, {{0, 0}}, {}, 35, 10},
        {"a panel's place counts in the size", 100, 40, {{10, 5}}, {}, 30, 8},
        {"panel and line centred together", 100, 60, {{0, 0}},
         {{0, 24, 2, "OK"}}, 32, 7},
        {"two lines, the second indented", 100, 50, {},
         {{0, 0, 3, "abc"}, {9, 25, 2, "de"}}, 23, 2},
        {"four lines", 120, 100, {},
         {{0, 0, 3, "one"}, {0, 23, 3, "two"}, {0, 46, 3, "six"},
          {0, 69, 4, "nine"}}, 24, 5},
        {"eight panels in a row", 260, 30,
         {{0, 0}, {32, 0}, {64, 0}, {96, 0}, {128, 0}, {160, 0}, {192, 0},
          {224, 0}},
         {}, 3, 5},
        {"a panel left of and above the origin", 60, 30, {{-10, -4}},
         {{0, 0, 1, "X"}}, 20, 4},
        {"content wider than the control", 100, 40, {},
         {{0, 0, 8, "ABCDEFGH"}}, -22, 9},
    };
    for (const PlaceCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, c.cw, c.ch)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        for (size_t i = 0; i < c.panels.size(); i++) {
            EXPECT_TRUE(led_CreatePanel(g, (int)i, c.panels[i].x,
                                        c.panels[i].y, panel_Picture(), NULL,
                                        0, 0, FALSE, segments()))
                << "row " << c.name;
            led_Set(g, (int)i, 0xFFFFFFFFu);
        }
        for (size_t i = 0; i < c.lines.size(); i++) {
            const LineAt &l = c.lines[i];
            EXPECT_TRUE(led_CreateText(g, (int)i, l.x, l.y, l.length, FALSE))
                << "row " << c.name;
            led_SetText(g, (int)i, l.text, FALSE);
        }
        Scene want(c.cw, c.ch, BACK);
        for (const PanelAt &p : c.panels)
            want.panel(c.ox + p.x, c.oy + p.y, 0xFFFFFFFFu);
        for (const LineAt &l : c.lines)
            want.cells(c.ox + l.x, c.oy + l.y, l.text);
        Canvas cv(c.cw, c.ch);
        shoot(d, cv);
        std::string first;
        EXPECT_EQ(0, differ(cv, want, &first)) << "row " << c.name << ": "
                                               << first;
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
}

namespace {

/* ---- Segments ---- */

/* s led_Set, c led_Clear, m led_Modify(a, b), p led_CreatePanel again. */
struct SegOp {
    char op;
    uint32_t a, b;
};

struct SegCase {
    const char *name;
    std::vector<SegOp> ops;
    uint32_t lit;        /* the segments lit afterwards */
};

}  // namespace

/* Only lit segments are drawn, each from its rectangle of the picture
 * to the same place, through the mask; led_Set, led_Clear and
 * led_Modify change the bits and show the change on the screen before
 * they return; led_CreatePanel puts them all out. */
TEST(KnobkitLed, SegmentsByTable)
{
    const SegCase cases[] = {
        {"none lit", {}, 0},
        {"led_Set lights bits", {{'s', 0x5, 0}}, 0x5},
        {"led_Set adds to what is lit", {{'s', 0x1, 0}, {'s', 0x4, 0}}, 0x5},
        {"bit 31", {{'s', 0x80000000u, 0}}, 0x80000000u},
        {"led_Clear puts bits out", {{'s', 0x80000007u, 0}, {'c', 0x2, 0}},
         0x80000005u},
        {"led_Clear of unlit bits", {{'s', 0x1, 0}, {'c', 0x6, 0}}, 0x1},
        {"led_Modify(0, all) puts every segment out",
         {{'s', 0xFFFFFFFFu, 0}, {'m', 0, 0xFFFFFFFFu}}, 0},
        {"led_Modify(bits, bits) lights bits, the others stay",
         {{'s', 0x3, 0}, {'m', 0x4, 0x4}}, 0x7},
        {"led_Modify clears before it sets", {{'s', 0x3, 0}, {'m', 0x2, 0x3}},
         0x2},
        {"led_CreatePanel puts all out", {{'s', 0x7, 0}, {'p', 0, 0}}, 0},
        {"lit again after led_CreatePanel",
         {{'s', 0x7, 0}, {'p', 0, 0}, {'s', 0x2, 0}}, 0x2},
    };
    const int cw = 50, ch = 30, ox = 10, oy = 5;
    for (const SegCase &c : cases)
        for (int brush = 0; brush < 2; brush++) {
            const std::string row =
                std::string(c.name) + (brush ? ", filled" : ", no brush");
            GadgetDialog d;
            ASSERT_TRUE(open(d, cw, ch)) << "row " << row;
            Gadget *g = led_Create(d.dlg, ID_LED, 0);
            ASSERT_TRUE(g != NULL) << "row " << row;
            if (brush)
                gad_SetColor(d.dlg, ID_LED, GS_BACKCOLOR, 0, FILL, NULL);
            led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, 0, 0, FALSE,
                            segments());
            UpdateWindow(d.dlg);
            for (const SegOp &o : c.ops) {
                switch (o.op) {
                case 's': led_Set(g, 0, o.a); break;
                case 'c': led_Clear(g, 0, o.a); break;
                case 'm': led_Modify(g, 0, o.a, o.b); break;
                case 'p':
                    led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, 0, 0,
                                    FALSE, segments());
                    break;
                }
            }
            Scene want(cw, ch, brush ? FILL : BACK);
            want.panel(ox, oy, c.lit);
            Canvas cv(cw, ch);
            shoot(d, cv);
            std::string first;
            EXPECT_EQ(0, differ(cv, want, &first)) << "row " << row << ": "
                                                   << first;
            /* The screen: every bar lit or not, at once (led_CreatePanel
             * does not redraw, so rows ending with it are left out). */
            if (c.ops.empty() || c.ops.back().op == 'p')
                continue;
            COLORREF under = on_Screen(d, 1, 1);
            EXPECT_EQ(brush ? FILL : GetSysColor(COLOR_BTNFACE), under)
                << "row " << row << ": on the screen, beside the panel";
            for (const Bar &b : BARS)
                EXPECT_EQ((c.lit >> b.bit & 1) ? b.c : under,
                          on_Screen(d, ox + b.r.left + 1, oy + b.r.top + 1))
                    << "row " << row << ": on the screen, segment " << b.bit;
        }
}

/* Segments of a panel without a table, or whose picture could not be
 * made, draw nothing; the panel without a picture takes no room. */
TEST(KnobkitLed, PanelWithoutTableOrPicture)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 60, 40));
    Gadget *g = led_Create(d.dlg, ID_LED, 0);
    ASSERT_TRUE(g != NULL);
    EXPECT_TRUE(led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, 0, 0,
                                FALSE, NULL));
    EXPECT_TRUE(led_CreatePanel(g, 1, 200, 200, NULL, NULL, 0, 0, FALSE,
                                segments()));
    EXPECT_TRUE(led_CreateText(g, 0, 0, 0, 1, FALSE));
    led_SetText(g, 0, "W", FALSE);
    led_Set(g, 0, 0xFFFFFFFFu);
    led_Set(g, 1, 0xFFFFFFFFu);
    /* The size: the panel 30 x 20 and the line 18 x 22, not the empty
     * panel at (200, 200). */
    Scene want(60, 40, BACK);
    want.cells(30 - 15, 20 - 11, "W");
    Canvas cv(60, 40);
    shoot(d, cv);
    std::string first;
    EXPECT_EQ(0, differ(cv, want, &first)) << "row no table: " << first;
}

namespace {

/* ---- Text ---- */

struct TextCase {
    const char *name;
    int length;
    std::string text;
    BOOL centre;
    std::string cells;   /* what the line shows */
};

}  // namespace

/* led_SetText writes from cell 0, or centred from (length - n) / 2,
 * cuts a longer text to the line, blanks every other cell (the line
 * held "#" everywhere before), and shows bytes outside 32-127 as
 * spaces; byte 127 is the strip's last cell. */
TEST(KnobkitLed, TextByTable)
{
    const TextCase cases[] = {
        {"fits, from cell 0", 5, "AB", FALSE, "AB   "},
        {"two centred on five: cells 1 and 2", 5, "AB", TRUE, " AB  "},
        {"three centred on five", 5, "ABC", TRUE, " ABC "},
        {"two centred on four", 4, "AB", TRUE, " AB "},
        {"one centred on four: rounded left", 4, "x", TRUE, " x  "},
        {"longer than the line: its first cells", 4, "ABCDEF", FALSE, "ABCD"},
        {"longer, centred: from cell 0", 4, "ABCDEF", TRUE, "ABCD"},
        {"empty", 3, "", FALSE, "   "},
        {"tab, newline, accented letters as spaces", 6,
         std::string("A\tB\nC\xE9", 6), FALSE, "A B C "},
        {"31 and 128 as spaces, 32 and 127 drawn", 4,
         std::string("\x1F\x20\x7F\x80", 4), FALSE,
         std::string("  \x7F ", 4)},
        {"255 and 1 as spaces", 3, std::string("\xFF\x01Z", 3), FALSE,
         "  Z"},
        {"every printable character", 32,
         " !\"#$%&'()*+,-./0123456789:;<=>?", FALSE,
         " !\"#$%&'()*+,-./0123456789:;<=>?"},
        {"the strip's second row", 32, "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_",
         FALSE, "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"},
        {"the strip's third row", 32,
         std::string("`abcdefghijklmnopqrstuvwxyz{|}~\x7F", 32), FALSE,
         std::string("`abcdefghijklmnopqrstuvwxyz{|}~\x7F", 32)},
    };
    for (const TextCase &c : cases) {
        const int cw = 18 * c.length + 10, ch = 30;
        GadgetDialog d;
        ASSERT_TRUE(open(d, cw, ch)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        ASSERT_TRUE(led_CreateText(g, 0, 0, 0, c.length, FALSE))
            << "row " << c.name;
        led_SetText(g, 0, std::string(c.length, '#').c_str(), FALSE);
        led_SetText(g, 0, c.text.c_str(), c.centre);
        EXPECT_EQ(c.cells, std::string(g->text, c.length))
            << "row " << c.name << ": the line's bytes";
        Scene want(cw, ch, BACK);
        want.cells(cw / 2 - 18 * c.length / 2, ch / 2 - 11, c.cells);
        Canvas cv(cw, ch);
        shoot(d, cv);
        std::string first;
        EXPECT_EQ(0, differ(cv, want, &first)) << "row " << c.name << ": "
                                               << first;
    }
}

/* A null text blanks the line but leaves the screen as it was until the
 * next repaint; an empty one blanks it on the screen at once. */
TEST(KnobkitLed, NullTextWaitsEmptyTextShows)
{
    struct {
        const char *name;
        const char *text;
        bool shownAtOnce;
        BOOL background;
    } cases[] = {{"null", NULL, false, TRUE},
                 {"empty", "", true, TRUE},
                 {"null, no brush", NULL, false, FALSE},
                 {"empty, no brush", "", true, FALSE}};
    const POINT dot = lit_Dot('A');
    ASSERT_GE(dot.x, 0);
    const COLORREF lit = strip().glyph('A', dot.x, dot.y);
    for (auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, 40, 30)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        led_CreateText(g, 0, 0, 0, 2, c.background);
        led_SetText(g, 0, "AA", FALSE);
        const int x = 20 - 18 + dot.x, y = 15 - 11 + dot.y;
        ASSERT_EQ(lit, on_Screen(d, x, y)) << "row " << c.name;
        led_SetText(g, 0, c.text, FALSE);
        EXPECT_EQ(std::string("  "), std::string(g->text, 2))
            << "row " << c.name;
        EXPECT_EQ(!c.shownAtOnce, on_Screen(d, x, y) == lit)
            << "row " << c.name << ": the screen";
        Scene want(40, 30, c.background ? RGB(0, 0, 0) : BACK);
        want.cells(2, 4, "  ");
        Canvas cv(40, 30);
        shoot(d, cv);
        std::string first;
        EXPECT_EQ(0, differ(cv, want, &first)) << "row " << c.name
                                               << ", repainted: " << first;
    }
}

/* Bytes that reach the line's buffer another way (gad_SetText writes the
 * whole label) are drawn as spaces too, never from outside the strip. */
TEST(KnobkitLed, ForeignBytesInTheBufferDrawAsSpaces)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 100, 30));
    Gadget *g = led_Create(d.dlg, ID_LED, 0);
    ASSERT_TRUE(g != NULL);
    led_CreateText(g, 0, 0, 0, 5, FALSE);
    gad_SetText(g, "A\x01\x9F\xFF");   /* and its terminator, byte 0 */
    Scene want(100, 30, BACK);
    want.cells(50 - 45, 15 - 11, "A    ");
    Canvas cv(100, 30);
    shoot(d, cv);
    std::string first;
    EXPECT_EQ(0, differ(cv, want, &first)) << "row bytes 1, 159, 255, 0: "
                                           << first;
}

namespace {

/* ---- Lengths ---- */

struct LengthCase {
    const char *name;
    int length;
    int cells;           /* the line's cells */
};

}  // namespace

/* A line has 32 cells at most: a longer one is 32 (its text never
 * reaches the next line's bytes), a negative one none. */
TEST(KnobkitLed, LineLengthClampedByTable)
{
    const LengthCase cases[] = {
        {"4", 4, 4},         {"32", 32, 32},     {"33: 32", 33, 32},
        {"100: 32", 100, 32}, {"INT_MAX: 32", INT_MAX, 32},
        {"0: none", 0, 0},   {"-1: none", -1, 0}, {"INT_MIN: none", INT_MIN, 0},
    };
    const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const int cw = 620, ch = 60;
    for (const LengthCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, cw, ch)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        ASSERT_TRUE(led_CreateText(g, 1, 0, 30, 1, FALSE)) << "row " << c.name;
        led_SetText(g, 1, "Q", FALSE);
        ASSERT_TRUE(led_CreateText(g, 0, 0, 0, c.length, FALSE))
            << "row " << c.name;
        led_SetText(g, 0, text.c_str(), FALSE);
        led_SetText(g, 0, text.c_str(), TRUE);
        EXPECT_EQ('Q', g->text[32]) << "row " << c.name << ": line 1";
        const int w = c.cells > 1 ? 18 * c.cells : 18;
        const int ox = cw / 2 - w / 2, oy = ch / 2 - 52 / 2;
        Scene want(cw, ch, BACK);
        want.cells(ox, oy, text.substr(0, c.cells));
        want.cells(ox, oy + 30, "Q");
        Canvas cv(cw, ch);
        shoot(d, cv);
        std::string first;
        EXPECT_EQ(0, differ(cv, want, &first)) << "row " << c.name << ": "
                                               << first;
    }
}

namespace {

/* ---- Bad indexes ---- */

struct BadCase {
    const char *name;
    /* The call; its result where it has one (-1 none). */
    std::function<int(Gadget *, HBITMAP)> call;
    int result;
    bool whole;          /* the bitmap handed in whole (consumed) */
};

/* The dialog's records, byte for byte. */
std::vector<unsigned char> records(const GadgetDialog &d)
{
    GadDialog *gd = d.header();
    const unsigned char *p = (const unsigned char *)gd->gadgets;
    return std::vector<unsigned char>(p, p + gd->count * sizeof(Gadget));
}

}  // namespace

/* A panel index outside 0-7 or a line index outside 0-3 would reach past
 * the LED's data: such a call changes nothing, not a byte of the dialog's
 * records nor a pixel, answers FALSE where it answers, and a bitmap
 * handed in whole is consumed all the same (with a part it stays the
 * caller's). */
TEST(KnobkitLed, BadIndexesIgnoredByTable)
{
    const RECT part = {0, 0, PW, PH};
    const BadCase cases[] = {
        {"led_CreatePanel 8, whole",
         [](Gadget *g, HBITMAP b) {
             return (int)led_CreatePanel(g, 8, 0, 0, b, NULL, 0, 0, TRUE,
                                         segments());
         }, 0, true},
        {"led_CreatePanel -1, whole",
         [](Gadget *g, HBITMAP b) {
             return (int)led_CreatePanel(g, -1, 0, 0, b, NULL, 0, 0, TRUE,
                                         segments());
         }, 0, true},
        {"led_CreatePanel INT_MIN, with a part",
         [&](Gadget *g, HBITMAP b) {
             return (int)led_CreatePanel(g, INT_MIN, 0, 0, b, &part, 0, 0,
                                         TRUE, segments());
         }, 0, false},
        {"led_Set 8", [](Gadget *g, HBITMAP) { led_Set(g, 8, ~0u); return -1; },
         -1, false},
        {"led_Set -1",
         [](Gadget *g, HBITMAP) { led_Set(g, -1, ~0u); return -1; }, -1, false},
        {"led_Clear 8",
         [](Gadget *g, HBITMAP) { led_Clear(g, 8, ~0u); return -1; }, -1,
         false},
        {"led_Modify 9",
         [](Gadget *g, HBITMAP) { led_Modify(g, 9, ~0u, ~0u); return -1; },
         -1, false},
        {"led_Modify INT_MAX",
         [](Gadget *g, HBITMAP) { led_Modify(g, INT_MAX, ~0u, 0); return -1; },
         -1, false},
        {"led_CreateText 4",
         [](Gadget *g, HBITMAP) {
             return (int)led_CreateText(g, 4, 0, 0, 8, TRUE);
         }, 0, false},
        {"led_CreateText -1",
         [](Gadget *g, HBITMAP) {
             return (int)led_CreateText(g, -1, 0, 0, 8, TRUE);
         }, 0, false},
        {"led_SetText 4",
         [](Gadget *g, HBITMAP) { led_SetText(g, 4, "XXXX", FALSE); return -1; },
         -1, false},
        {"led_SetText -1",
         [](Gadget *g, HBITMAP) { led_SetText(g, -1, "XXXX", FALSE); return -1; },
         -1, false},
        {"led_SetText 7, null",
         [](Gadget *g, HBITMAP) { led_SetText(g, 7, NULL, FALSE); return -1; },
         -1, false},
    };
    const int cw = 120, ch = 90;
    for (const BadCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, cw, ch)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        /* Panels 0 and 7 partly lit, lines 0 and 3 with text. */
        led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, 0, 0, FALSE,
                        segments());
        led_CreatePanel(g, 7, 40, 0, panel_Picture(), NULL, 0, 0, FALSE,
                        segments());
        led_Set(g, 0, 0x1);
        led_Set(g, 7, 0x80000000u);
        led_CreateText(g, 0, 0, 30, 3, FALSE);
        led_CreateText(g, 3, 0, 60, 3, FALSE);
        led_SetText(g, 0, "abc", FALSE);
        led_SetText(g, 3, "xyz", FALSE);
        Canvas before(cw, ch), after(cw, ch);
        shoot(d, before);
        std::vector<unsigned char> was = records(d);
        HBITMAP bmp = panel_Picture(KEY2);

        EXPECT_EQ(c.result, c.call(g, bmp)) << "row " << c.name;
        EXPECT_TRUE(was == records(d)) << "row " << c.name << ": the records";
        shoot(d, after);
        EXPECT_EQ(0, after.mismatches([&](int x, int y) { return before.at(x, y); },
                                      [](int, int) { return false; }, NULL))
            << "row " << c.name << ": the drawing";
        EXPECT_EQ(!c.whole, kk_Alive(bmp)) << "row " << c.name << ": the bitmap";
        if (!c.whole)
            DeleteObject(bmp);
    }
}

namespace {

/* ---- Background ---- */

struct BackCase {
    const char *name;
    std::function<void(Gadget *, HWND dlg)> make;
    COLORREF fill;       /* around the content; BACK: nothing filled */
    bool owned;          /* GS_OWNBRUSH */
    bool panel, line;    /* panel 0 at (0, 0), line 0 at (0, 24) made */
    int ox, oy;          /* where the content starts */
};

/* A 40 x 20 bitmap: its left 10 columns OTHER, then the panel picture
 * on KEY from column 10. */
const COLORREF OTHER = RGB(90, 30, 10);
HBITMAP framed_Picture(void)
{
    return kk_Picture(PW + 10, PH, [](HDC dc) {
        rect_Fill(dc, 0, 0, 10, PH, OTHER);
        rect_Fill(dc, 10, 0, PW + 10, PH, KEY);
        for (const Bar &b : BARS)
            rect_Fill(dc, 10 + b.r.left, b.r.top, 10 + b.r.right, b.r.bottom,
                      b.c);
    });
}

}  // namespace

/* The LED is filled with the record's brush first, and only with it: no
 * brush lets what lies under it show.  setBackground takes the panel
 * bitmap's pixel (keyX, keyY) counted from the bitmap's own corner, with
 * keyX -1 the key colour keyY, and for a line the strip's black; a
 * second setBackground replaces the first, FALSE keeps what there is. */
TEST(KnobkitLed, BackgroundByTable)
{
    const RECT part = {10, 0, PW + 10, PH};
    const BackCase cases[] = {
        {"nothing, no brush: what lies under shows",
         [](Gadget *, HWND) {}, BACK, false, false, false, 0, 0},
        {"nothing, gad_SetColor's background: only it",
         [](Gadget *, HWND dlg) {
             gad_SetColor(dlg, ID_LED, GS_BACKCOLOR, 0, FILL, NULL);
         }, FILL, true, false, false, 0, 0},
        {"panel, key pixel (0, 0)",
         [](Gadget *g, HWND) {
             led_CreatePanel(g, 0, 0, 0, panel_Picture(KEY2), NULL, 0, 0, TRUE,
                             segments());
         }, KEY2, true, true, false, 15, 20},
        {"panel, key pixel (29, 19)",
         [](Gadget *g, HWND) {
             led_CreatePanel(g, 0, 0, 0, panel_Picture(KEY2), NULL, PW - 1,
                             PH - 1, TRUE, segments());
         }, KEY2, true, true, false, 15, 20},
        {"panel, key colour: that colour",
         [](Gadget *g, HWND) {
             led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, -1, (int)KEY,
                             TRUE, segments());
         }, KEY, true, true, false, 15, 20},
        {"panel with a part: the bitmap's own pixel (0, 0)",
         [&](Gadget *g, HWND) {
             HBITMAP b = framed_Picture();
             led_CreatePanel(g, 0, 0, 0, b, &part, 0, 0, TRUE, segments());
             DeleteObject(b);
         }, OTHER, true, true, false, 15, 20},
        {"panel without setBackground",
         [](Gadget *g, HWND) {
             led_CreatePanel(g, 0, 0, 0, panel_Picture(KEY2), NULL, 0, 0,
                             FALSE, segments());
         }, BACK, false, true, false, 15, 20},
        {"line: black",
         [](Gadget *g, HWND) { led_CreateText(g, 0, 0, 24, 1, TRUE); },
         RGB(0, 0, 0), true, false, true, 21, 7},
        {"line over gad_SetColor's background: black",
         [](Gadget *g, HWND dlg) {
             gad_SetColor(dlg, ID_LED, GS_BACKCOLOR, 0, FILL, NULL);
             led_CreateText(g, 0, 0, 24, 1, TRUE);
         }, RGB(0, 0, 0), true, false, true, 21, 7},
        {"line, then panel with setBackground: the panel's",
         [](Gadget *g, HWND) {
             led_CreateText(g, 0, 0, 24, 1, TRUE);
             led_CreatePanel(g, 0, 0, 0, panel_Picture(KEY2), NULL, 0, 0, TRUE,
                             segments());
         }, KEY2, true, true, true, 15, 7},
        {"line, then panel without: still black",
         [](Gadget *g, HWND) {
             led_CreateText(g, 0, 0, 24, 1, TRUE);
             led_CreatePanel(g, 0, 0, 0, panel_Picture(KEY2), NULL, 0, 0,
                             FALSE, segments());
         }, RGB(0, 0, 0), true, true, true, 15, 7},
    };
    const int cw = 60, ch = 60;
    for (const BackCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, cw, ch)) << "row " << c.name;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        c.make(g, d.dlg);
        led_Set(g, 0, 0x7);
        led_SetText(g, 0, "8", FALSE);
        EXPECT_EQ(c.owned, (g->state & GS_OWNBRUSH) != 0) << "row " << c.name;
        if (c.owned) {
            EXPECT_EQ(c.fill, g->backColor) << "row " << c.name;
        }

        /* The fill everywhere but where lit segments and dots are. */
        Scene want(cw, ch, c.fill);
        if (c.panel)
            want.panel(c.ox, c.oy, 0x7);
        if (c.line)
            want.cells(c.ox, c.oy + 24, "8");
        Canvas cv(cw, ch);
        shoot(d, cv);
        std::string first;
        EXPECT_EQ(0, differ(cv, want, &first)) << "row " << c.name << ": "
                                               << first;
    }
}

/* Each setBackground's brush is the LED's: the one before goes, and the
 * last goes with the dialog. */
TEST(KnobkitLed, BackgroundBrushesReplaced)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 60, 40));
    Gadget *g = led_Create(d.dlg, ID_LED, 0);
    ASSERT_TRUE(g != NULL);
    gad_SetColor(d.dlg, ID_LED, GS_BACKCOLOR, 0, FILL, NULL);
    HBRUSH first = g->hBrush;
    ASSERT_TRUE(kk_Alive(first));
    led_CreateText(g, 0, 0, 0, 2, TRUE);
    HBRUSH second = g->hBrush;
    EXPECT_FALSE(kk_Alive(first)) << "row gad_SetColor's brush";
    ASSERT_TRUE(kk_Alive(second)) << "row the line's brush";
    led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, -1, (int)KEY, TRUE,
                    segments());
    EXPECT_FALSE(kk_Alive(second)) << "row the line's brush";
    HBRUSH third = g->hBrush;
    ASSERT_TRUE(kk_Alive(third)) << "row the panel's brush";
    DestroyWindow(d.dlg);
    EXPECT_FALSE(kk_Alive(third)) << "row the dialog gone";
}

/* led_Create stores the kind and flags, moves nothing into the label
 * (the whole buffer is zeroes) and clears the window text; an LED takes
 * presses on any point but does nothing with them: no tracking, no
 * notification, no window drag through it. */
TEST(KnobkitLed, CreateAndPresses)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 80, 40, "Hello"));
    Gadget *g = led_Create(d.dlg, ID_LED, 0x12345678u);
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_LED, g->kind) << "row kind";
    EXPECT_EQ(0x12345678u, g->flags) << "row flags";
    EXPECT_FALSE(g->state & GS_CAPTURE) << "row no capture";
    char zero[GAD_TEXT_MAX] = {0};
    EXPECT_EQ(0, memcmp(zero, g->text, sizeof zero)) << "row the label";
    char window[16] = "?";
    GetWindowTextA(d.ctl(ID_LED), window, sizeof window);
    EXPECT_STREQ("", window) << "row the window text";

    dlg_EnableDrag(d.dlg, TRUE, TRUE);
    const POINT at[] = {{0, 0}, {40, 20}, {79, 39}};
    for (const POINT &p : at) {
        d.press(ID_LED, p.x, p.y);
        EXPECT_FALSE(d.tracking()) << "row press (" << p.x << ", " << p.y << ")";
        EXPECT_FALSE(d.header()->dlgFlags & DF_DRAGGING)
            << "row press (" << p.x << ", " << p.y << ")";
        d.release(ID_LED, p.x, p.y);
        d.wheel(ID_LED, p.x, p.y, 120);
    }
    EXPECT_NOTES(d, std::vector<std::string>{}, "presses");
    /* Beside it the dialog is still dragged. */
    d.press(ID_OTHER, 2, 2);
    EXPECT_TRUE(d.header()->dlgFlags & DF_DRAGGING) << "row the other control";
    d.release(ID_OTHER, 2, 2);
}

/* Null gadgets, missing controls and gadgets of other kinds are left
 * alone; a bitmap handed in whole is consumed all the same. */
TEST(KnobkitLed, NullMissingAndOtherKinds)
{
    EXPECT_TRUE(led_Create(NULL, ID_LED, 0) == NULL) << "row no dialog";
    led_Modify(NULL, 0, 1, 0);
    led_Set(NULL, 0, 1);
    led_Clear(NULL, 0, 1);
    led_SetText(NULL, 0, "x", TRUE);
    HBITMAP whole = panel_Picture();
    EXPECT_FALSE(led_CreatePanel(NULL, 0, 0, 0, whole, NULL, 0, 0, TRUE,
                                 segments()))
        << "row null, led_CreatePanel";
    EXPECT_FALSE(kk_Alive(whole)) << "row null, the bitmap";
    EXPECT_FALSE(led_CreateText(NULL, 0, 0, 0, 4, TRUE))
        << "row null, led_CreateText";

    GadgetDialog d;
    ASSERT_TRUE(open(d, 80, 40));
    EXPECT_TRUE(led_Create(d.dlg, ID_MISSING, 0) == NULL) << "row missing";
    Gadget *s = slider_Create(d.dlg, ID_OTHER, 0, 18, -1);
    ASSERT_TRUE(s != NULL);
    slider_Modify(s, 0, 100, 40);
    std::vector<unsigned char> was = records(d);
    whole = panel_Picture();
    EXPECT_FALSE(led_CreatePanel(s, 0, 0, 0, whole, NULL, 0, 0, TRUE,
                                 segments()))
        << "row a slider, led_CreatePanel";
    EXPECT_FALSE(kk_Alive(whole)) << "row a slider, the bitmap";
    EXPECT_FALSE(led_CreateText(s, 0, 0, 0, 4, TRUE))
        << "row a slider, led_CreateText";
    led_Modify(s, 0, ~0u, 0);
    led_Set(s, 1, ~0u);
    led_Clear(s, 2, ~0u);
    led_SetText(s, 0, "xxxxxxxx", FALSE);
    EXPECT_TRUE(was == records(d)) << "row a slider: the records";
    EXPECT_EQ(40, slider_GetPos(s)) << "row a slider";
}

namespace {

struct OwnCase {
    const char *name;
    bool part;
    bool freeFirst;      /* gad_Free before the dialog ends */
};

}  // namespace

/* A panel bitmap given whole is consumed; one given with a part stays
 * the caller's through redefinition, gad_Free and the dialog's end. */
TEST(KnobkitLed, BitmapsConsumedOrKeptByTable)
{
    const OwnCase cases[] = {
        {"whole", false, false},
        {"whole, gad_Free", false, true},
        {"with a part", true, false},
        {"with a part, gad_Free", true, true},
    };
    const RECT part = {0, 0, PW, PH};
    for (const OwnCase &c : cases) {
        HBITMAP bmp = panel_Picture();
        {
            GadgetDialog d;
            ASSERT_TRUE(open(d, 80, 40)) << "row " << c.name;
            Gadget *g = led_Create(d.dlg, ID_LED, 0);
            ASSERT_TRUE(g != NULL) << "row " << c.name;
            EXPECT_TRUE(led_CreatePanel(g, 3, 0, 0, bmp, c.part ? &part : NULL,
                                        0, 0, TRUE, segments()))
                << "row " << c.name;
            EXPECT_EQ(c.part, kk_Alive(bmp)) << "row " << c.name;
            if (c.part)
                led_CreatePanel(g, 3, 0, 0, bmp, &part, 0, 0, TRUE, segments());
            led_Set(g, 3, 0x7);
            Canvas cv(80, 40);
            shoot(d, cv);
            EXPECT_EQ(10 * 4, cv.count(RECT{0, 0, 80, 40}, RED))
                << "row " << c.name << ": drawn";
            if (c.freeFirst) {
                gad_Free(g);
                EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row " << c.name;
                shoot(d, cv);
                EXPECT_EQ(0, cv.count(RECT{0, 0, 80, 40}, RED))
                    << "row " << c.name << ": freed, drawn";
                led_Set(g, 3, 0x7);   /* no LED any more: ignored */
                EXPECT_EQ(c.part, kk_Alive(bmp)) << "row " << c.name;
            }
        }
        EXPECT_EQ(c.part, kk_Alive(bmp)) << "row " << c.name
                                         << ": the dialog gone";
        if (c.part)
            DeleteObject(bmp);
    }
}

/* led_Create over a live LED, or again after gad_Free, starts afresh:
 * no panel, no line, an empty label. */
TEST(KnobkitLed, MadeAgainStartsAfresh)
{
    for (int freeFirst = 0; freeFirst < 2; freeFirst++) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, 80, 40)) << "row gad_Free " << freeFirst;
        Gadget *g = led_Create(d.dlg, ID_LED, 0);
        ASSERT_TRUE(g != NULL);
        led_CreatePanel(g, 0, 0, 0, panel_Picture(), NULL, 0, 0, FALSE,
                        segments());
        led_Set(g, 0, ~0u);
        led_CreateText(g, 1, 0, 30, 2, FALSE);
        led_SetText(g, 1, "ab", FALSE);
        if (freeFirst)
            gad_Free(g);
        ASSERT_EQ(g, led_Create(d.dlg, ID_LED, 0)) << "row gad_Free "
                                                    << freeFirst;
        led_Set(g, 0, ~0u);
        Canvas cv(80, 40);
        shoot(d, cv);
        EXPECT_EQ(80 * 40, cv.count(RECT{0, 0, 80, 40}, BACK))
            << "row gad_Free " << freeFirst;
    }
}

namespace {

struct LeakCase {
    const char *name;
    bool free;           /* gad_Free, then the LED made again */
};

/* One LED with everything: eight panels, one of them defined twice, and
 * four lines, each with its background; drawn once. */
void led_Everything(GadgetDialog &d)
{
    Gadget *g = led_Create(d.dlg, ID_LED, 0);
    if (!g)
        return;
    for (int i = 0; i < LED_PANELS; i++)
        led_CreatePanel(g, i, 32 * i, 0, panel_Picture(), NULL, 0, 0, TRUE,
                        segments());
    led_CreatePanel(g, 2, 64, 0, panel_Picture(), NULL, -1, (int)KEY, TRUE,
                    segments());
    for (int i = 0; i < LED_LINES; i++) {
        led_CreateText(g, i, 0, 24 + 24 * i, 8, TRUE);
        led_SetText(g, i, "LEAKLESS", FALSE);
    }
    led_Set(g, 5, ~0u);
}

}  // namespace

/* A hundred LEDs made, drawn and let go, by the dialog's end or by
 * gad_Free, leave no GDI object behind. */
TEST(KnobkitLed, NoGdiObjectLeakOver100Cycles)
{
    const LeakCase cases[] = {{"the dialog ended", false}, {"gad_Free", true}};
    for (const LeakCase &c : cases) {
        long before = 0;
        for (int n = 0; n <= 100; n++) {
            /* The first round makes what the system keeps for a dialog. */
            if (n == 1)
                before = kk_GdiObjects();
            GadgetDialog d;
            ASSERT_TRUE(open(d, 260, 130)) << "row " << c.name;
            led_Everything(d);
            Gadget *g = gad_GetGadget(d.dlg, ID_LED);
            ASSERT_TRUE(g != NULL && g->kind == GAD_LED) << "row " << c.name;
            Canvas cv(260, 130);
            shoot(d, cv);
            if (c.free) {
                gad_Free(g);
                led_Everything(d);
                gad_Free(g);
            }
        }
        long after = kk_GdiObjects();
        EXPECT_GT(before, 0u) << "row " << c.name << ": counted";
        EXPECT_EQ(before, after) << "row " << c.name;
    }
}

/* The counter the leak test relies on sees objects come and go. */
TEST(KnobkitLed, GdiCountSeesObjects)
{
    long before = kk_GdiObjects();
    HBRUSH b[10];
    for (HBRUSH &h : b)
        h = CreateSolidBrush(RED);
    EXPECT_EQ(before + 10, kk_GdiObjects()) << "row ten brushes made";
    for (HBRUSH h : b)
        DeleteObject(h);
    EXPECT_EQ(before, kk_GdiObjects()) << "row ten brushes deleted";
}
