/* ProgBar_win_test.cpp -- the progress bar under Wine, driven through a
 * dialog: its painting read back pixel by pixel from a canvas of one
 * colour (BACK, which no pixel of a bar may keep), the fill's part A
 * counted along the bar, the caption compared with the same text drawn
 * here at the centre, the companion label's text, presses, and the GDI
 * objects of many bars.
 *
 * Each bar's control is set to an exact pixel size after the dialog
 * starts. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_PB = 301, ID_LABEL = 302 };

const COLORREF BACK = RGB(1, 2, 3);
const COLORREF BAR = RGB(30, 60, 200);
const COLORREF REST = RGB(230, 230, 220);
const COLORREF BAR_TEXT = RGB(255, 255, 0);
const COLORREF REST_TEXT = RGB(120, 0, 0);

const std::vector<std::string> NONE;

/* A font without antialiasing, so that a caption's pixels are its text
 * colour exactly. */
struct CrispFont {
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                             0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    ~CrispFont() { DeleteObject(font); }
};

/* A dialog with one bar of w x h pixels and a companion label. */
struct Rig {
    GadgetDialog d;
    Gadget *g = NULL;
    int w, h;
    uint32_t flags;

    Rig(uint32_t flags_, int w_, int h_, const char *caption = "",
        int labelId = ID_LABEL, HFONT font = NULL)
        : w(w_), h(h_), flags(flags_)
    {
        d.control(ID_PB, 5, 5, 150, 40, caption);
        d.control(ID_LABEL, 5, 200, 80, 10, "label");
        if (!d.start())
            return;
        SetWindowPos(d.ctl(ID_PB), NULL, 0, 0, w, h,
                     SWP_NOMOVE | SWP_NOZORDER);
        if (font)
            SendMessageA(d.ctl(ID_PB), WM_SETFONT, (WPARAM)font, FALSE);
        g = pb_Create(d.dlg, ID_PB, flags, BAR_TEXT, BAR, REST_TEXT, REST,
                      labelId);
    }
    bool vert() const { return (flags & PB_VERT) != 0; }
    int length() const { return vert() ? h : w; }
    void shot(Canvas &cv) const { d.shot(ID_PB, cv); }
    std::string label() const
    {
        kk_Pump();
        char text[GAD_TEXT_MAX];
        GetWindowTextA(d.ctl(ID_LABEL), text, sizeof text);
        return text;
    }
};

/* The colour a bar of a fill shows at (x, y) where no caption is: part A
 * is the first a pixels along the bar, in BAR when aIsBar, else in REST,
 * and part B the other. */
struct Fill {
    bool vert;
    int a;
    bool aIsBar;
    bool inA(int x, int y) const { return (vert ? y : x) < a; }
    COLORREF back(int x, int y) const
    {
        return inA(x, y) == aIsBar ? BAR : REST;
    }
    COLORREF text(int x, int y) const
    {
        return inA(x, y) == aIsBar ? BAR_TEXT : REST_TEXT;
    }
};

/* How many pixels of the canvas differ from the fill; the first one
 * described in first. */
int fill_Mismatches(const Canvas &cv, const Fill &f, std::string *first)
{
    return cv.mismatches([&](int x, int y) { return f.back(x, y); },
                         [](int, int) { return false; }, first);
}

}  // namespace

/* ---- Creation ---- */

/* A fresh bar: the kind with its horizontal variant, the flags, the
 * caption taken over, the data in its order, only a draw and a hit test
 * that takes every point; entirely REST.  A missing control gives none,
 * and a null gadget is ignored. */
TEST(KnobkitProgBarCreate, FreshBarIsEmpty)
{
    struct Case { const char *name; uint32_t flags; uint32_t kind; };
    const Case cases[] = {
        {"horizontal", 0, GAD_PROGBAR | 0x100},
        {"horizontal reversed", PB_REVERSE | VT_PERCENT, GAD_PROGBAR | 0x100},
        {"vertical", PB_VERT, GAD_PROGBAR},
        {"vertical reversed", PB_VERT | PB_REVERSE, GAD_PROGBAR},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, 120, 30, "caption", 77);
        Gadget *g = r.g;
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_EQ(c.kind, g->kind) << "row " << c.name;
        EXPECT_EQ(c.flags, g->flags) << "row " << c.name;
        EXPECT_STREQ("caption", g->text) << "row " << c.name;
        char text[16] = "x";
        GetWindowTextA(r.d.ctl(ID_PB), text, sizeof text);
        EXPECT_STREQ("", text) << "row " << c.name;
        /* min, max, pos, barColor, restColor, barTextColor,
         * restTextColor, labelId */
        const uint32_t want[8] = {0, 100, 0, BAR, REST, BAR_TEXT, REST_TEXT,
                                  77};
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(want[i], g->priv[i]) << "row " << c.name << " word "
                                           << i;
        EXPECT_EQ(0, pb_GetPos(g)) << "row " << c.name;
        ASSERT_TRUE(g->DrawProc && g->HitProc) << "row " << c.name;
        EXPECT_TRUE(!g->FreeProc && !g->KnobHitProc && !g->ClickProc &&
                    !g->PressProc && !g->DragProc && !g->ReleaseProc &&
                    !g->TimerProc && !g->WheelProc)
            << "row " << c.name;
        EXPECT_EQ(0u, g->state & (GS_CAPTURE | GS_CURSOR | GS_CURSORDOWN))
            << "row " << c.name;
        POINT pts[] = {{0, 0}, {119, 29}, {60, 15}, {-5, 400}};
        for (POINT &p : pts)
            EXPECT_TRUE(g->HitProc(g, &p))
                << "row " << c.name << " at " << p.x << ", " << p.y;
        /* The caption aside, the fresh bar is REST throughout. */
        gad_SetText(g, "");
        Canvas cv(r.w, r.h, BACK);
        r.shot(cv);
        std::string first;
        EXPECT_EQ(0, fill_Mismatches(cv, {false, 0, true}, &first))
            << "row " << c.name << ": " << first;
    }
    Rig r(0, 120, 30);
    ASSERT_TRUE(r.g != NULL);
    EXPECT_TRUE(pb_Create(r.d.dlg, 999, 0, BAR_TEXT, BAR, REST_TEXT, REST,
                          -1) == NULL);
    pb_Modify(NULL, 0, 10, 5);
    pb_SetPos(NULL, 5);
    EXPECT_EQ(0, pb_GetPos(NULL));
}

/* ---- The fill ---- */

/* Part A's length by position, direction and size: f = nearest(L x p x
 * the single-precision 0.01), so a fill that ends in exactly one half
 * pixel rounds down; reversed, part A is the unfilled part and the fill
 * stands at the far end. */
TEST(KnobkitProgBarFill, PartAByPositionAndDirection)
{
    struct Case {
        const char *name;
        uint32_t flags;
        int w, h;
        int min, max, pos;
        int a;
        bool aIsBar;
    };
    const Case cases[] = {
        {"0 of 0-100", 0, 200, 20, 0, 100, 0, 0, true},
        {"100 of 0-100: full", 0, 200, 20, 0, 100, 100, 200, true},
        {"25 on 200 pixels", 0, 200, 20, 0, 100, 25, 50, true},
        {"50 on 201 pixels: the half rounds down", 0, 201, 20, 0, 100, 50,
         100, true},
        {"50 on 101 pixels", 0, 101, 20, 0, 100, 50, 50, true},
        {"30 on 201 pixels", 0, 201, 20, 0, 100, 30, 60, true},
        {"range -50 to 150 at 0", 0, 200, 20, -50, 150, 0, 50, true},
        {"vertical 25 on 200 from the top", PB_VERT, 20, 200, 0, 100, 25,
         50, true},
        {"vertical 50 on 201", PB_VERT, 20, 201, 0, 100, 50, 100, true},
        {"vertical full", PB_VERT, 20, 200, 0, 100, 100, 200, true},
        {"reversed 30: the last 30 % filled", PB_REVERSE, 200, 20, 0, 100,
         30, 140, false},
        {"reversed 0: empty", PB_REVERSE, 200, 20, 0, 100, 0, 200, false},
        {"reversed 100: full", PB_REVERSE, 200, 20, 0, 100, 100, 0, false},
        {"reversed 50 on 201: the fill 101", PB_REVERSE, 201, 20, 0, 100,
         50, 100, false},
        {"reversed vertical 30: the bottom 30 %", PB_VERT | PB_REVERSE, 20,
         200, 0, 100, 30, 140, false},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, c.w, c.h);
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        pb_Modify(r.g, c.min, c.max, c.pos);
        Canvas cv(c.w, c.h, BACK);
        r.shot(cv);
        std::string first;
        EXPECT_EQ(0, fill_Mismatches(cv, {r.vert(), c.a, c.aIsBar}, &first))
            << "row " << c.name << ": " << first;
    }
}

/* An empty range has nothing to divide by: the bar shows empty, as its
 * percentage is 0.  A position outside the range fills no less than
 * nothing and no more than all.  A range given high first fills by the
 * same rule.  Each row is the number of BAR pixels from the start of a
 * 200-pixel bar, or from its far end when reversed. */
TEST(KnobkitProgBarFill, EmptyRangeAndPositionsOutsideIt)
{
    struct Case { const char *name; int min, max, pos; int bar; };
    const Case cases[] = {
        {"min = max at it", 50, 50, 50, 0},
        {"min = max beside it", 50, 50, 80, 0},
        {"min = max = 0", 0, 0, 0, 0},
        {"below the range", 0, 100, -30, 0},
        {"above the range", 0, 100, 250, 200},
        {"far below", 0, 100, INT_MIN, 0},
        {"far above", -100, 100, INT_MAX, 200},
        {"the whole 32-bit range at 0", INT_MIN, INT_MAX, 0, 100},
        {"high first", 100, 0, 25, 150},
    };
    struct Dir { const char *name; uint32_t flags; int w, h; };
    const Dir dirs[] = {
        {"horizontal", 0, 200, 20},
        {"vertical", PB_VERT, 20, 200},
        {"reversed", PB_REVERSE, 200, 20},
        {"reversed vertical", PB_VERT | PB_REVERSE, 20, 200},
    };
    for (const Case &c : cases)
        for (const Dir &dir : dirs) {
            Rig r(dir.flags, dir.w, dir.h);
            ASSERT_TRUE(r.g != NULL) << "row " << c.name;
            pb_Modify(r.g, c.min, c.max, c.pos);
            EXPECT_EQ(c.pos, pb_GetPos(r.g)) << "row " << c.name;
            Canvas cv(dir.w, dir.h, BACK);
            r.shot(cv);
            Fill f = (dir.flags & PB_REVERSE)
                         ? Fill{r.vert(), 200 - c.bar, false}
                         : Fill{r.vert(), c.bar, true};
            std::string first;
            EXPECT_EQ(0, fill_Mismatches(cv, f, &first))
                << "row " << c.name << ", " << dir.name << ": " << first;
        }
}

/* ---- The caption ---- */

namespace {

SIZE text_Size(HFONT font, const char *text)
{
    Canvas cv(1, 1);
    HGDIOBJ old = SelectObject(cv.dc, font);
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(cv.dc, text, lstrlenA(text), &sz);
    SelectObject(cv.dc, old);
    return sz;
}

}  // namespace

/* The caption stands at the centre, halves truncated toward zero (also
 * where the text is larger than the bar by an odd number of pixels), and
 * each of its pixels takes the text colour of the part under it: the
 * expected picture is the fill, with the text's pixels (the same text
 * drawn here at the centre in the same font) in the text colours. */
TEST(KnobkitProgBarDraw, CaptionTakesTheColoursOfThePartUnderIt)
{
    struct Case {
        const char *name;
        uint32_t flags;
        int w, h;           /* pixels; below 0, the text's extent less */
        const char *caption;
        int pos;
        const char *text;
        int a;              /* part A at this many per mille */
        bool aIsBar;
    };
    const Case cases[] = {
        {"across the fill's end", 0, 200, 24, "WMWMWM", 50, "WMWMWM", 500,
         true},
        {"value text", VT_PERCENT, 200, 24, "%d%%", 48, "48%", 480, true},
        {"built-in value text", VT_BUILTIN, 150, 23, "Done: %x", 50, "50",
         500, true},
        {"empty: all in the rest's colours", 0, 200, 24, "WMWMWM", 0,
         "WMWMWM", 0, true},
        {"full: all in the bar's colours", 0, 200, 24, "WMWMWM", 100,
         "WMWMWM", 1000, true},
        {"reversed", PB_REVERSE, 200, 24, "WMWMWM", 50, "WMWMWM", 500,
         false},
        {"lower than the text by 5", 0, 200, -5, "WMWMWM", 50, "WMWMWM",
         500, true},
        {"vertical, narrower than the text by 11", PB_VERT, -11, 200,
         "WMWMWM", 50, "WMWMWM", 500, true},
        {"vertical reversed", PB_VERT | PB_REVERSE, 60, 200, "W", 50, "W",
         500, false},
    };
    CrispFont crisp;
    for (const Case &c : cases) {
        SIZE sz = text_Size(crisp.font, c.text);
        int w = c.w > 0 ? c.w : sz.cx + c.w;
        int h = c.h > 0 ? c.h : sz.cy + c.h;
        Rig r(c.flags, w, h, c.caption, ID_LABEL, crisp.font);
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        pb_SetPos(r.g, c.pos);
        Canvas cv(w, h, BACK);
        r.shot(cv);

        /* Where the text's pixels are: the text in white on black. */
        Canvas ink(w, h, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(ink.dc, crisp.font);
        SetTextColor(ink.dc, RGB(255, 255, 255));
        SetBkMode(ink.dc, TRANSPARENT);
        TextOutA(ink.dc, (w - sz.cx) / 2, (h - sz.cy) / 2, c.text,
                 lstrlenA(c.text));
        SelectObject(ink.dc, old);
        auto isInk = [&](int x, int y) {
            return ink.at(x, y) == RGB(255, 255, 255);
        };

        int a = r.length() * c.a / 1000;
        Fill f = {r.vert(), a, c.aIsBar};
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                return isInk(x, y) ? f.text(x, y) : f.back(x, y);
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;
        /* The rows that split the text have text on both sides. */
        int inA = 0, inB = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (isInk(x, y))
                    (f.inA(x, y) ? inA : inB)++;
        if (a > 0 && a < r.length())
            EXPECT_TRUE(inA > 5 && inB > 5)
                << "row " << c.name << ": " << inA << " text pixels in A, "
                << inB << " in B";
        else
            EXPECT_GT(inA + inB, 5) << "row " << c.name;
    }
}

/* ---- Setting the position ---- */

/* pb_SetPos keeps the position in the range, pb_Modify stores what it is
 * given; both repaint the bar at once: its window shows the new fill
 * before any message is handled. */
TEST(KnobkitProgBarRange, SetPosClampsModifyDoesNotBothRepaint)
{
    struct Step {
        const char *name;
        bool modify;
        int min, max, pos;
        int wantPos;
        int bar;            /* BAR pixels across the 200-pixel window */
    };
    const Step steps[] = {
        {"set 40", false, 0, 0, 40, 40, 80},
        {"set 150: clamped to 100", false, 0, 0, 150, 100, 200},
        {"set -5: clamped to 0", false, 0, 0, -5, 0, 0},
        {"modify to 150: kept", true, 0, 100, 150, 150, 200},
        {"modify to -20: kept", true, 0, 100, -20, -20, 0},
        {"modify to 10 of 0-20", true, 0, 20, 10, 10, 100},
        {"set 21: clamped to 20", false, 0, 0, 21, 20, 200},
        {"modify high first", true, 100, 0, 50, 50, 100},
        {"set 150 of high first: 100", false, 0, 0, 150, 100, 0},
        {"set -5 of high first: 0", false, 0, 0, -5, 0, 200},
        {"set 30 of high first: kept", false, 0, 0, 30, 30, 140},
        {"modify to an empty range", true, 7, 7, 9, 9, 0},
        {"set 3 of the empty range: 7", false, 0, 0, 3, 7, 0},
    };
    Rig r(0, 200, 20);
    ASSERT_TRUE(r.g != NULL);
    kk_Pump();
    HWND ctl = r.d.ctl(ID_PB);
    for (const Step &s : steps) {
        if (s.modify)
            pb_Modify(r.g, s.min, s.max, s.pos);
        else
            pb_SetPos(r.g, s.pos);
        EXPECT_EQ(s.wantPos, pb_GetPos(r.g)) << "row " << s.name;
        HDC dc = GetDC(ctl);
        int bar = 0, rest = 0;
        for (int x = 0; x < r.w; x++) {
            COLORREF px = GetPixel(dc, x, r.h / 2);
            bar += px == BAR;
            rest += px == REST;
        }
        ReleaseDC(ctl, dc);
        EXPECT_EQ(s.bar, bar) << "row " << s.name;
        EXPECT_EQ(r.w - s.bar, rest) << "row " << s.name;
    }
    EXPECT_NOTES(r.d, NONE, "setters");
}

/* ---- The companion label ---- */

/* The companion control shows the value text by the caption and the
 * label flags, after every change; with none the control keeps its
 * text. */
TEST(KnobkitProgBarLabel, CompanionShowsTheValueText)
{
    struct Case {
        const char *name;
        uint32_t flags;
        const char *caption;
        int min, max, pos;
        const char *want;
    };
    const Case cases[] = {
        {"value", 0, "", 0, 200, 101, "101"},
        {"percent", VT_PERCENT, "", 0, 200, 101, "51%"},
        {"caption with %: built-in", 0, "Copied %d", 0, 200, 101, "101"},
        {"label percent", VT_LABELPERCENT, "Copied %d", 0, 200, 101, "51%"},
        {"label format", VT_LABELFORMAT, "Copied %d", 0, 200, 101,
         "Copied 101"},
        {"label format percent", VT_LABELFORMAT | VT_LABELPERCENT,
         "Copied %d%%", 0, 200, 101, "Copied 51%"},
        {"plain caption", VT_LABELFORMAT, "Copying", 0, 200, 101, "Copying"},
        {"outside the range", VT_PERCENT, "", 0, 100, 250, "250%"},
        {"empty range", VT_PERCENT, "", 7, 7, 7, "0%"},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, 200, 20, c.caption);
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        pb_Modify(r.g, c.min, c.max, c.pos);
        EXPECT_EQ(c.want, r.label()) << "row " << c.name;
    }
    Rig r(0, 200, 20);
    ASSERT_TRUE(r.g != NULL);
    pb_SetPos(r.g, 130);
    EXPECT_EQ("100", r.label()) << "row set, clamped";
    Rig none(0, 200, 20, "", -1);
    ASSERT_TRUE(none.g != NULL);
    pb_SetPos(none.g, 30);
    EXPECT_EQ("label", none.label()) << "row no companion";
}

/* ---- The mouse ---- */

/* A press anywhere on the bar only focuses it: with dragging on it
 * starts no window drag and no tracking, and nothing is posted.  A press
 * on the dialog beside it does drag. */
TEST(KnobkitProgBarMouse, PressOnlyFocuses)
{
    struct Case { const char *name; int x, y; };
    const Case cases[] = {
        {"top-left", 0, 0}, {"centre", 100, 10}, {"bottom-right", 199, 19},
    };
    for (const Case &c : cases) {
        Rig r(0, 200, 20);
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        dlg_EnableDrag(r.d.dlg, TRUE, TRUE);
        SetFocus(r.d.dlg);
        r.d.press(ID_PB, c.x, c.y);
        EXPECT_EQ(r.d.ctl(ID_PB), GetFocus()) << "row " << c.name;
        GadDialog *gd = r.d.header();
        EXPECT_EQ(0u, gd->dlgFlags & (DF_DRAGGING | DF_CAPTURED))
            << "row " << c.name;
        EXPECT_TRUE(GetCapture() != r.d.dlg) << "row " << c.name;
        r.d.move(ID_PB, c.x + 30, c.y + 30);
        r.d.release(ID_PB, c.x + 30, c.y + 30);
        EXPECT_NOTES(r.d, NONE, c.name);
    }
    Rig r(0, 200, 20);
    ASSERT_TRUE(r.g != NULL);
    dlg_EnableDrag(r.d.dlg, TRUE, FALSE);
    r.d.press(ID_PB, -4, -4);
    EXPECT_TRUE(r.d.header()->dlgFlags & DF_DRAGGING) << "row beside";
    r.d.release(ID_PB, -4, -4);
}

/* ---- GDI objects ---- */

/* A hundred bars made, painted with a caption and ended, by the dialog's
 * end or by gad_Free, leave no GDI object behind. */
TEST(KnobkitProgBarOwnership, NoGdiObjectsLeft)
{
    struct Case { const char *name; bool free; };
    const Case cases[] = {{"dialog ended", false}, {"gad_Free", true}};
    CrispFont crisp;
    for (const Case &c : cases) {
        auto cycle = [&]() {
            Rig r(VT_PERCENT, 120, 20, "%d%%", ID_LABEL, crisp.font);
            if (!r.g)
                return;
            pb_Modify(r.g, 0, 100, 40);
            pb_SetPos(r.g, 60);
            Canvas cv(r.w, r.h, BACK);
            r.shot(cv);
            kk_Pump();
            if (c.free)
                gad_Free(r.g);
        };
        cycle();
        long before = kk_GdiObjects();
        for (int i = 0; i < 100; i++)
            cycle();
        EXPECT_EQ(before, kk_GdiObjects()) << "row " << c.name;
    }
    /* The count sees a single object more. */
    long before = kk_GdiObjects();
    HBRUSH br = CreateSolidBrush(BAR);
    EXPECT_EQ(before + 1, kk_GdiObjects()) << "row one brush";
    DeleteObject(br);
    EXPECT_EQ(before, kk_GdiObjects()) << "row one brush deleted";
}
