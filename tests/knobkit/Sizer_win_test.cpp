/* Sizer_win_test.cpp -- the Sizer gadget under Wine, driven through a dialog.
 *
 * The sizer's control is set to 200 x 100 pixels after the dialog starts,
 * so that every knob rectangle below is in whole pixels: 10 % of the
 * control is 20 x 10.  Knobs are placed with sizer_SetPos from pixel
 * rectangles and read back with sizer_CalcKnobRect over the client area;
 * the handles are 8 pixels unless a row says otherwise. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID = 301 };
const int W = 200, H = 100, S = 8;
const COLORREF FRAME = RGB(200, 30, 40);
const COLORREF OUTSIDE = RGB(20, 120, 60);
const COLORREF INSIDE = RGB(240, 230, 100);
const COLORREF BACK = RGB(1, 2, 3);
const char *const NOTE = "GM_SIZER 301 0";

std::string rect_Str(const RECT &r)
{
    char s[64];
    snprintf(s, sizeof s, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right,
             r.bottom);
    return s;
}

struct Pos {
    float x, y, w, h;
};

std::string pos_Str(const Pos &p)
{
    char s[96];
    snprintf(s, sizeof s, "(%.9g, %.9g, %.9g, %.9g)", p.x, p.y, p.w, p.h);
    return s;
}

/* The fractions of a knob of rectangle r in the 200 x 100 control, in
 * single precision. */
Pos pos_Of(const RECT &r)
{
    return {(float)r.left / (float)W, (float)r.top / (float)H,
            (float)(r.right - r.left) / (float)W,
            (float)(r.bottom - r.top) / (float)H};
}

/* A sizer in a dialog that records its notifications. */
struct SizerDialog : GadgetDialog {
    Gadget *g = NULL;

    bool make(uint32_t flags, int handleSize = S, int w = W, int h = H)
    {
        control(ID, 5, 5, 150, 80, "label");
        if (!start())
            return false;
        SetWindowPos(ctl(ID), NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        g = sizer_Create(dlg, ID, flags, handleSize, FRAME, OUTSIDE, INSIDE);
        return g != NULL;
    }
    void place(const RECT &r)
    {
        Pos p = pos_Of(r);
        sizer_SetPos(g, p.x, p.y, p.w, p.h);
    }
    RECT knob() const
    {
        RECT r = client(ID);
        sizer_CalcKnobRect(g, &r);
        return r;
    }
    Pos pos() const
    {
        Pos p = {-9, -9, -9, -9};
        sizer_GetPos(g, &p.x, &p.y, &p.w, &p.h);
        return p;
    }
    /* Pressed at p, moved by (dx, dy), released there. */
    void drag(POINT p, int dx, int dy)
    {
        press(ID, p.x, p.y);
        move(ID, p.x + dx, p.y + dy);
        release(ID, p.x + dx, p.y + dy);
    }
};

#define EXPECT_POS(got, want, row) \
    EXPECT_EQ(pos_Str(got), pos_Str(want)) << "row " << (row)

const RECT PLACED = {40, 20, 120, 80};
const RECT FULL = {0, 0, W, H};
const RECT SHORT_KNOB = {40, 20, 120, 32};   /* less than two handles high */

}  // namespace

/* A fresh sizer: the kind, its state bits and open-hand cursor, its label
 * taken over, its operations, a knob covering the control; a missing
 * control gives none. */
TEST(KnobkitSizer, Create)
{
    SizerDialog d;
    ASSERT_TRUE(d.make(SIZER_SYMMETRIC));
    Gadget *g = d.g;
    EXPECT_EQ(GAD_KIND(g), (uint32_t)GAD_SIZER);
    EXPECT_EQ(g->flags, (uint32_t)SIZER_SYMMETRIC);
    EXPECT_EQ(g->state & (GS_CAPTURE | GS_CURSOR),
              (uint32_t)(GS_CAPTURE | GS_CURSOR));
    EXPECT_EQ(g->hCursor, (HCURSOR)dlg_GetDefObject(DEF_CURSORHAND));
    EXPECT_STREQ(g->text, "label");
    char text[16] = "x";
    GetWindowTextA(d.ctl(ID), text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(g->HitProc && g->HitProc == g->KnobHitProc);
    EXPECT_TRUE(g->DrawProc && g->PressProc && g->DragProc && g->ReleaseProc);
    EXPECT_TRUE(!g->FreeProc && !g->ClickProc && !g->TimerProc &&
                !g->WheelProc);
    EXPECT_POS(d.pos(), (Pos{0, 0, 1, 1}), "fresh");
    EXPECT_EQ(rect_Str(d.knob()), rect_Str(FULL));
    EXPECT_TRUE(sizer_Create(d.dlg, 999, 0, S, FRAME, OUTSIDE, INSIDE) ==
                NULL);
    /* The pointer off the knob (a hit test that misses) leaves the cursor
     * alone. */
    sizer_SetPos(g, 0.5f, 0.5f, 0.5f, 0.5f);
    dlg_EnableCursor(d.dlg, TRUE);
    d.move(ID, 10, 10);
    EXPECT_EQ(g->hCursor, (HCURSOR)dlg_GetDefObject(DEF_CURSORHAND));
}

namespace {

struct ShrinkCase {
    const char *name;
    int w, h;            /* the control */
    POINT from;          /* a corner handle */
    int dx, dy;
    RECT want;
    Pos wantPos;
};

}  // namespace

/* A fresh knob shrinks to 10 % of the control from any corner and no
 * further; where 10 % is no whole pixel, the pixels are rounded and the
 * fraction kept at 10 %. */
TEST(KnobkitSizer, ShrinksToTenPercent)
{
    const ShrinkCase cases[] = {
        {"bottom-right to beyond the top-left", W, H, {W - 2, H - 2}, -500,
         -500, {0, 0, 20, 10}, {0, 0, 0.1f, 0.1f}},
        {"bottom-right to just 10 %", W, H, {W - 2, H - 2}, -180, -90,
         {0, 0, 20, 10}, {0, 0, 0.1f, 0.1f}},
        {"bottom-right to one pixel under 10 %", W, H, {W - 2, H - 2}, -181,
         -91, {0, 0, 20, 10}, {0, 0, 0.1f, 0.1f}},
        {"top-left to beyond the bottom-right", W, H, {1, 1}, 500, 500,
         {180, 90, 200, 100}, {0.9f, 0.9f, 0.1f, 0.1f}},
        {"top-right to beyond the bottom-left", W, H, {W - 2, 1}, -500, 500,
         {0, 90, 20, 100}, {0, 0.9f, 0.1f, 0.1f}},
        {"bottom-left to beyond the top-right", W, H, {1, H - 2}, 500, -500,
         {180, 0, 200, 10}, {0.9f, 0, 0.1f, 0.1f}},
        /* 15.3 pixels wide: 15, under 10 %, so the width is raised to
         * it; 9.7 high: 10, above 10 %, and kept. */
        {"153 x 97: 10 % rounds down, and up", 153, 97, {151, 95}, -500,
         -500, {0, 0, 15, 10}, {0, 0, 0.1f, 10.0f / 97.0f}},
        /* 15.5 pixels: 16, and 16/155 is above 10 %. */
        {"155 x 95: 10 % rounds up", 155, 95, {153, 93}, -500, -500,
         {0, 0, 16, 10}, {0, 0, 16.0f / 155.0f, 10.0f / 95.0f}},
    };
    for (const ShrinkCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(0, S, c.w, c.h)) << "row " << c.name;
        EXPECT_EQ(rect_Str(d.knob()), rect_Str({0, 0, c.w, c.h}))
            << "row " << c.name;
        d.drag(c.from, c.dx, c.dy);
        EXPECT_EQ(rect_Str(d.knob()), rect_Str(c.want)) << "row " << c.name;
        EXPECT_POS(d.pos(), c.wantPos, c.name);
        EXPECT_NOTES(d, std::vector<std::string>{NOTE}, c.name);
    }
}

namespace {

struct DragCase {
    const char *name;
    uint32_t flags;
    int handleSize;
    RECT start;
    POINT from;
    int dx, dy;
    RECT want;
};

}  // namespace

/* One drag step from the press: each handle moves its own edges (the
 * opposite ones too with SIZER_SYMMETRIC), keeps the minimum size and
 * stays in the control; the inside moves the knob, flush against the
 * edges; where handles overlap the later one in the hit order decides. */
TEST(KnobkitSizer, DragsByTable)
{
    const DragCase cases[] = {
        {"fresh knob, top-left handle +20,+10", 0, S, FULL, {3, 3}, 20, 10,
         {20, 10, 200, 100}},
        {"fresh knob, top-left handle +20,+10, symmetric", SIZER_SYMMETRIC, S,
         FULL, {3, 3}, 20, 10, {20, 10, 180, 90}},
        {"top-left +20,+10", 0, S, PLACED, {44, 24}, 20, 10,
         {60, 30, 120, 80}},
        {"top-left +20,+10, symmetric", SIZER_SYMMETRIC, S, PLACED, {44, 24},
         20, 10, {60, 30, 100, 70}},
        {"top-right +10,-5", 0, S, PLACED, {116, 24}, 10, -5,
         {40, 15, 130, 80}},
        {"bottom-right +10,+5", 0, S, PLACED, {116, 76}, 10, 5,
         {40, 20, 130, 85}},
        {"bottom-left -10,+5", 0, S, PLACED, {44, 76}, -10, 5,
         {30, 20, 120, 85}},
        {"top edge: only up and down", 0, S, PLACED, {80, 24}, 7, -10,
         {40, 10, 120, 80}},
        {"right edge: only sideways", 0, S, PLACED, {116, 50}, 10, 9,
         {40, 20, 130, 80}},
        {"bottom edge +10", 0, S, PLACED, {80, 76}, 0, 10, {40, 20, 120, 90}},
        {"left edge -15", 0, S, PLACED, {44, 50}, -15, 0, {25, 20, 120, 80}},
        {"right edge +10, symmetric", SIZER_SYMMETRIC, S, PLACED, {116, 50},
         10, 0, {30, 20, 130, 80}},
        {"bottom edge +5, symmetric", SIZER_SYMMETRIC, S, PLACED, {80, 76}, 0,
         5, {40, 15, 120, 85}},
        {"left edge past the right edge: the smallest width", 0, S, PLACED,
         {44, 50}, 200, 0, {100, 20, 120, 80}},
        {"top edge past the bottom edge: the smallest height", 0, S, PLACED,
         {80, 24}, 0, 200, {40, 70, 120, 80}},
        {"left edge past the centre, symmetric: the smallest width",
         SIZER_SYMMETRIC, S, PLACED, {44, 50}, 50, 0, {50, 20, 70, 80}},
        {"top edge beyond the control stops at its edge", 0, S, PLACED,
         {80, 24}, 0, -50, {40, 0, 120, 80}},
        {"top edge beyond the control, symmetric", SIZER_SYMMETRIC, S,
         PLACED, {80, 24}, 0, -30, {40, 0, 120, 100}},
        {"bottom-right beyond the control", 0, S, PLACED, {116, 76}, 300,
         300, {40, 20, 200, 100}},
        {"move +15,+5", 0, S, PLACED, {80, 50}, 15, 5, {55, 25, 135, 85}},
        {"move beyond the top-left stops flush", 0, S, PLACED, {80, 50},
         -100, -100, {0, 0, 80, 60}},
        {"move beyond the bottom-right stops flush", 0, S, PLACED, {80, 50},
         300, 300, {120, 40, 200, 100}},
        {"move a knob wider than the control", 0, S, {0, 0, 240, 50},
         {100, 25}, 10, 0, {0, 0, 200, 50}},
        {"no handles: the top-left corner moves", SIZER_NOHANDLES, S, PLACED,
         {44, 24}, 20, 10, {60, 30, 140, 90}},
        {"no handles: the right edge moves", SIZER_NOHANDLES, S, PLACED,
         {116, 50}, -10, 5, {30, 25, 110, 85}},
        {"no handles: the bottom-right corner moves", SIZER_NOHANDLES, S,
         PLACED, {118, 78}, -5, -5, {35, 15, 115, 75}},
        /* Top and bottom edges overlap: the bottom one is tested later. */
        {"short knob, overlapping edges: the bottom edge", 0, S, SHORT_KNOB,
         {80, 26}, 0, 10, {40, 20, 120, 42}},
        /* Top-right and bottom-right overlap: top-right is tested later. */
        {"short knob, right corners: the top-right one", 0, S, SHORT_KNOB,
         {116, 26}, 10, -5, {40, 15, 130, 32}},
        /* Handles larger than the knob cover it all, and the bottom-left
         * corner, tested last of them, takes every press. */
        {"handles larger than the knob: bottom-left", 0, 100, PLACED,
         {80, 50}, -10, 10, {30, 20, 120, 90}},
    };
    for (const DragCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(c.flags, c.handleSize)) << "row " << c.name;
        d.place(c.start);
        d.press(ID, c.from.x, c.from.y);
        EXPECT_TRUE(d.tracking()) << "row " << c.name;
        d.move(ID, c.from.x + c.dx, c.from.y + c.dy);
        EXPECT_EQ(rect_Str(d.knob()), rect_Str(c.want)) << "row " << c.name;
        EXPECT_POS(d.pos(), pos_Of(c.want), c.name);
        EXPECT_NOTES(d, std::vector<std::string>{NOTE}, c.name);
        d.release(ID, c.from.x + c.dx, c.from.y + c.dy);
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
}

namespace {

enum Act { PRESS, MOVE, RELEASE, LOSE };

struct Step {
    const char *name;
    Act act;
    int x, y;
    std::vector<std::string> want;
    RECT knob;
    bool held;          /* SIZER_DRAGGING afterwards */
};

}  // namespace

/* Steps of one drag and the next: a GM_SIZER after each step that changes
 * the knob, with sizer_GetPos telling the new place, and nothing after a
 * step that changes nothing (the same point, further beyond an edge, the
 * press and the release themselves).  SIZER_DRAGGING lasts from the press
 * to the release or the lost capture. */
TEST(KnobkitSizer, NotesByStep)
{
    SizerDialog d;
    ASSERT_TRUE(d.make(0));
    d.place(PLACED);
    EXPECT_NOTES(d, std::vector<std::string>{}, "sizer_SetPos");
    const std::vector<std::string> none, one = {NOTE};
    const Step steps[] = {
        {"press inside", PRESS, 80, 50, none, PLACED, true},
        {"move to the press point", MOVE, 80, 50, none, PLACED, true},
        {"move +10", MOVE, 90, 50, one, {50, 20, 130, 80}, true},
        {"move +10 again to the same point", MOVE, 90, 50, none,
         {50, 20, 130, 80}, true},
        {"back to the press point", MOVE, 80, 50, one, PLACED, true},
        {"beyond the left edge", MOVE, 30, 60, one, {0, 30, 80, 90}, true},
        {"further beyond the left edge", MOVE, -50, 60, none,
         {0, 30, 80, 90}, true},
        {"release", RELEASE, -50, 60, none, {0, 30, 80, 90}, false},
        {"press the bottom-right handle", PRESS, 76, 86, none,
         {0, 30, 80, 90}, true},
        {"up and left to the smallest size", MOVE, -100, -100, one,
         {0, 30, 20, 40}, true},
        {"further up and left", MOVE, -200, -300, none, {0, 30, 20, 40},
         true},
        {"capture lost", LOSE, 0, 0, none, {0, 30, 20, 40}, false},
        {"a move after the loss", MOVE, 150, 90, none, {0, 30, 20, 40},
         false},
    };
    for (const Step &s : steps) {
        switch (s.act) {
        case PRESS:   d.press(ID, s.x, s.y); break;
        case MOVE:    d.move(ID, s.x, s.y); break;
        case RELEASE: d.release(ID, s.x, s.y); break;
        case LOSE:    d.lose(); break;
        }
        EXPECT_NOTES(d, s.want, s.name);
        EXPECT_POS(d.pos(), pos_Of(s.knob), s.name);
        EXPECT_EQ(s.held, !!(d.g->flags & SIZER_DRAGGING))
            << "row " << s.name;
        EXPECT_EQ(s.held, d.tracking()) << "row " << s.name;
    }
}

namespace {

struct SetPosCase {
    const char *name;
    uint32_t flags;
    bool limits;         /* x and y at most 0.5 */
    Pos set;
    POINT from;
    int dx, dy;
    Pos want;            /* after the drag */
};

}  // namespace

/* sizer_SetPos stores what it is given, posts nothing, and the limits and
 * the control's edges apply at the next drag step. */
TEST(KnobkitSizer, SetPosIsNotClampedUntilTheNextDrag)
{
    const SetPosCase cases[] = {
        {"below the smallest size", SIZER_NOHANDLES, false,
         {0.3f, 0.3f, 0.05f, 0.05f}, {65, 32}, 1, 0,
         {61.0f / 200, 0.3f, 0.1f, 0.1f}},
        {"beyond the control's right edge", 0, false,
         {0.9f, 0.5f, 0.5f, 0.2f}, {190, 60}, -1, 0,
         {0.5f, 0.5f, 0.5f, 0.2f}},
        {"left of the control", SIZER_NOHANDLES, false,
         {-0.25f, 0.25f, 0.5f, 0.5f}, {10, 40}, 1, 0,
         {0, 0.25f, 0.5f, 0.5f}},
        {"beyond the limits", 0, true, {0.8f, 0.7f, 0.1f, 0.2f}, {170, 80},
         -1, 0, {0.5f, 0.5f, 0.1f, 0.2f}},
    };
    for (const SetPosCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(c.flags)) << "row " << c.name;
        if (c.limits) {
            ASSERT_TRUE(sizer_SetMinMax(d.g, 0, 0, 0.5f, 0.5f, 0.1f, 0.1f,
                                        1, 1))
                << "row " << c.name;
        }
        sizer_SetPos(d.g, c.set.x, c.set.y, c.set.w, c.set.h);
        EXPECT_POS(d.pos(), c.set, c.name);
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
        d.drag(c.from, c.dx, c.dy);
        EXPECT_POS(d.pos(), c.want, c.name);
        EXPECT_NOTES(d, std::vector<std::string>{NOTE}, c.name);
    }
    /* A null gadget is ignored, and null pointers are skipped. */
    sizer_SetPos(NULL, 0.5f, 0.5f, 0.5f, 0.5f);
    float x = 7;
    sizer_GetPos(NULL, &x, NULL, NULL, NULL);
    EXPECT_EQ(x, 7.0f);
    SizerDialog d;
    ASSERT_TRUE(d.make(0));
    sizer_SetPos(d.g, 0.25f, 0.5f, 0.125f, 0.375f);
    float y = 0, h = 0;
    sizer_GetPos(d.g, NULL, &y, NULL, &h);
    EXPECT_EQ(y, 0.5f);
    EXPECT_EQ(h, 0.375f);
}

namespace {

struct CursorCase {
    const char *name;
    uint32_t flags;
    int handleSize;
    RECT knob;
    int x, y;
    LPCSTR want;
};

}  // namespace

/* The cursor the hit test chooses for each handle and the inside, as the
 * dialog shows it with DF_CURSOR while the pointer moves over the knob. */
TEST(KnobkitSizer, CursorsByPart)
{
    const CursorCase cases[] = {
        {"top-left", 0, S, PLACED, 44, 24, IDC_SIZENWSE},
        {"top-right", 0, S, PLACED, 116, 24, IDC_SIZENESW},
        {"bottom-right", 0, S, PLACED, 116, 76, IDC_SIZENWSE},
        {"bottom-left", 0, S, PLACED, 44, 76, IDC_SIZENESW},
        {"top edge", 0, S, PLACED, 80, 24, IDC_SIZENS},
        {"right edge", 0, S, PLACED, 116, 50, IDC_SIZEWE},
        {"bottom edge", 0, S, PLACED, 80, 76, IDC_SIZENS},
        {"left edge", 0, S, PLACED, 44, 50, IDC_SIZEWE},
        {"top-left, its outermost pixel", 0, S, PLACED, 40, 20, IDC_SIZENWSE},
        {"bottom-right, its outermost pixel", 0, S, PLACED, 119, 79,
         IDC_SIZENWSE},
        {"top edge, its first pixel", 0, S, PLACED, 48, 20, IDC_SIZENS},
        {"left edge, its last pixel", 0, S, PLACED, 47, 71, IDC_SIZEWE},
        {"inside", 0, S, PLACED, 80, 50, IDC_SIZEALL},
        {"inside, next to the top-left corner", 0, S, PLACED, 48, 28,
         IDC_SIZEALL},
        {"no handles: a corner", SIZER_NOHANDLES, S, PLACED, 44, 24,
         IDC_SIZEALL},
        {"no handles: an edge", SIZER_NOHANDLES, S, PLACED, 80, 76,
         IDC_SIZEALL},
        {"short knob: top-right over bottom-right", 0, S, SHORT_KNOB, 116, 26,
         IDC_SIZENESW},
        {"short knob: bottom-left over top-left", 0, S, SHORT_KNOB, 44, 26,
         IDC_SIZENESW},
        {"handles larger than the knob: bottom-left everywhere", 0, 100,
         PLACED, 60, 30, IDC_SIZENESW},
        {"negative handle size: no handles", 0, -8, PLACED, 44, 24,
         IDC_SIZEALL},
    };
    for (const CursorCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(c.flags, c.handleSize)) << "row " << c.name;
        dlg_EnableCursor(d.dlg, TRUE);
        d.place(c.knob);
        d.move(ID, c.x, c.y);
        HCURSOR want = LoadCursorA(NULL, c.want);
        EXPECT_EQ(d.g->hCursor, want) << "row " << c.name;
        EXPECT_EQ(GetCursor(), want) << "row " << c.name;
        /* The press sees the same part and keeps its cursor while held. */
        d.press(ID, c.x, c.y);
        d.move(ID, c.x + 1, c.y + 1);
        EXPECT_EQ(GetCursor(), want) << "row " << c.name;
        d.release(ID, c.x + 1, c.y + 1);
    }
}

namespace {

struct DrawCase {
    const char *name;
    uint32_t flags;
    int handleSize;
    Pos pos;
    bool held;
};

/* What the sizer paints at (x, y), with knob k (laid out in the client
 * area less one pixel) and handles of s pixels in colour hc.  Edge handles
 * are a checkerboard whose phase is the brush's: *edge tells them apart. */
COLORREF want_At(const RECT &k, int s, bool handles, COLORREF hc, int x,
                 int y, bool *edge)
{
    *edge = false;
    if (x < k.left || x > k.right || y < k.top || y > k.bottom)
        return OUTSIDE;
    if (x == k.left || x == k.right || y == k.top || y == k.bottom)
        return FRAME;
    if (!handles)
        return INSIDE;
    bool column = x < k.left + s || x >= k.right - s;
    bool row = y < k.top + s || y >= k.bottom - s;
    if (column && row)
        return hc;
    *edge = column || row;
    return INSIDE;
}

}  // namespace

/* The painting read back: the outside colour around the knob, the inside
 * colour in it, the frame on the knob's edges (laid out one pixel short
 * at the right and bottom), solid corner handles and dithered edge
 * handles in the frame colour, complemented while the knob is held; no
 * handles with SIZER_NOHANDLES; handles larger than the knob stay in it.
 * The device context is handed back as it came. */
TEST(KnobkitSizer, DrawingByPixels)
{
    const DrawCase cases[] = {
        {"fresh knob", 0, S, {0, 0, 1, 1}, false},
        {"placed knob", 0, S, {0.2f, 0.2f, 0.4f, 0.6f}, false},
        {"held: handles complemented", 0, S, {0.2f, 0.2f, 0.4f, 0.6f}, true},
        {"no handles", SIZER_NOHANDLES, S, {0.2f, 0.2f, 0.4f, 0.6f}, false},
        {"no handles, held", SIZER_NOHANDLES, S, {0.2f, 0.2f, 0.4f, 0.6f},
         true},
        {"handles larger than the knob", 0, 40, {0.4f, 0.4f, 0.1f, 0.2f},
         false},
        {"knob past the right and bottom", 0, S, {0.7f, 0.6f, 0.5f, 0.6f},
         false},
    };
    for (const DrawCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(c.flags, c.handleSize)) << "row " << c.name;
        sizer_SetPos(d.g, c.pos.x, c.pos.y, c.pos.w, c.pos.h);
        RECT k = {0, 0, W - 1, H - 1};
        sizer_CalcKnobRect(d.g, &k);
        if (c.held) {
            d.press(ID, (k.left + k.right) / 2, (k.top + k.bottom) / 2);
            ASSERT_TRUE(d.g->flags & SIZER_DRAGGING) << "row " << c.name;
        }
        COLORREF hc = c.held ? (~FRAME & 0xFFFFFF) : FRAME;
        bool handles = !(c.flags & SIZER_NOHANDLES);

        Canvas cv(W, H, BACK);
        HGDIOBJ pen = GetCurrentObject(cv.dc, OBJ_PEN);
        COLORREF bk = GetBkColor(cv.dc), fg = GetTextColor(cv.dc);
        d.shot(ID, cv);
        EXPECT_EQ(GetCurrentObject(cv.dc, OBJ_PEN), pen) << "row " << c.name;
        EXPECT_EQ(GetBkColor(cv.dc), bk) << "row " << c.name;
        EXPECT_EQ(GetTextColor(cv.dc), fg) << "row " << c.name;

        /* The checkerboard's phase from one edge pixel. */
        int phase = -1, edges = 0;
        for (int y = 0; y < H && phase < 0; y++)
            for (int x = 0; x < W && phase < 0; x++) {
                bool edge;
                want_At(k, c.handleSize, handles, hc, x, y, &edge);
                if (edge)
                    phase = ((x + y) & 1) ^ (cv.at(x, y) != hc);
            }
        auto want = [&](int x, int y) {
            bool edge;
            COLORREF w = want_At(k, c.handleSize, handles, hc, x, y, &edge);
            if (!edge)
                return w;
            edges++;
            return ((x + y) & 1) == phase ? hc : INSIDE;
        };
        std::string first;
        int bad = cv.mismatches(want, [](int, int) { return false; }, &first);
        EXPECT_EQ(bad, 0) << "row " << c.name << ": knob " << rect_Str(k)
                          << ", first " << first;
        /* Rows with handles that fit have edge handles to look at. */
        EXPECT_EQ(handles && c.handleSize * 2 < k.right - k.left, edges > 0)
            << "row " << c.name;
        if (c.held)
            d.release(ID, 0, 0);
    }
}

namespace {

struct Limits {
    float minX, minY, maxX, maxY, minW, minH, maxW, maxH;
};

/* What four drags show of the limits: the knob moved to the far top-left
 * (x, y at their lowest), to the far bottom-right (x, y at 0.8 or their
 * highest), shrunk to nothing from its bottom-right handle (the smallest
 * size) and grown from its top-left handle to the whole control (the
 * largest size).  Each drag starts from a knob at (0.4, 0.4). */
struct Seen {
    float lowX, lowY, highX, highY, minW, minH, maxW, maxH;
};

std::string seen_Str(const Seen &s)
{
    char t[160];
    snprintf(t, sizeof t, "x %.9g..%.9g y %.9g..%.9g w %.9g..%.9g h %.9g..%.9g",
             s.lowX, s.highX, s.lowY, s.highY, s.minW, s.maxW, s.minH, s.maxH);
    return t;
}

Seen seen_Drag(SizerDialog &d)
{
    Seen s;
    /* 0.2 x 0.2 is the knob (80, 40, 120, 60); 0.6 x 0.6 reaches the
     * control's right and bottom edges. */
    sizer_SetPos(d.g, 0.4f, 0.4f, 0.2f, 0.2f);
    d.drag({100, 50}, -1000, -1000);
    sizer_GetPos(d.g, &s.lowX, &s.lowY, NULL, NULL);
    sizer_SetPos(d.g, 0.4f, 0.4f, 0.2f, 0.2f);
    d.drag({100, 50}, 1000, 1000);
    sizer_GetPos(d.g, &s.highX, &s.highY, NULL, NULL);
    sizer_SetPos(d.g, 0.4f, 0.4f, 0.2f, 0.2f);
    d.drag({117, 57}, -1000, -1000);
    sizer_GetPos(d.g, NULL, NULL, &s.minW, &s.minH);
    sizer_SetPos(d.g, 0.4f, 0.4f, 0.6f, 0.6f);
    d.drag({83, 43}, -1000, -1000);
    sizer_GetPos(d.g, NULL, NULL, &s.maxW, &s.maxH);
    return s;
}

struct LimitCase {
    const char *name;
    Limits set;
    BOOL ok;
    Seen want;           /* for a refused row: what BASE shows */
};

const Limits BASE = {0.1f, 0.2f, 0.5f, 0.6f, 0.25f, 0.3f, 0.5f, 0.7f};
const Seen BASE_SEEN = {0.1f, 0.2f, 0.5f, 0.6f, 0.25f, 0.3f, 0.5f, 0.7f};

}  // namespace

/* sizer_SetMinMax takes eight fractions from 0 to 1, each lowest not above
 * its highest, and the drags after it keep them; anything else (NaN too)
 * is refused, and a refused call leaves the limits and the knob as they
 * were. */
TEST(KnobkitSizer, SetMinMaxByTable)
{
    const float nan = NAN;
    const LimitCase cases[] = {
        {"the defaults", {0, 0, 1, 1, 0.1f, 0.1f, 1, 1}, TRUE,
         {0, 0, 0.8f, 0.8f, 0.1f, 0.1f, 1, 1}},
        {"narrow limits", BASE, TRUE, BASE_SEEN},
        {"each lowest equal to its highest",
         {0.3f, 0.3f, 0.3f, 0.3f, 0.4f, 0.4f, 0.4f, 0.4f}, TRUE,
         {0.3f, 0.3f, 0.3f, 0.3f, 0.4f, 0.4f, 0.4f, 0.4f}},
        {"no smallest size", {0, 0, 1, 1, 0, 0, 1, 1}, TRUE,
         {0, 0, 0.8f, 0.8f, 0, 0, 1, 1}},
        {"minX above maxX", {0.6f, 0.2f, 0.5f, 0.6f, 0.25f, 0.3f, 0.5f, 0.7f},
         FALSE, BASE_SEEN},
        {"minY above maxY", {0.1f, 0.7f, 0.5f, 0.6f, 0.25f, 0.3f, 0.5f, 0.7f},
         FALSE, BASE_SEEN},
        {"minWidth above maxWidth",
         {0.1f, 0.2f, 0.5f, 0.6f, 0.6f, 0.3f, 0.5f, 0.7f}, FALSE, BASE_SEEN},
        {"minHeight above maxHeight",
         {0.1f, 0.2f, 0.5f, 0.6f, 0.25f, 0.8f, 0.5f, 0.7f}, FALSE, BASE_SEEN},
        {"a negative lowest", {-0.1f, 0, 1, 1, 0.1f, 0.1f, 1, 1}, FALSE,
         BASE_SEEN},
        {"a highest above 1", {0, 0, 1, 1, 0.1f, 0.1f, 1.5f, 1}, FALSE,
         BASE_SEEN},
        {"both above 1", {0, 0, 1, 1, 0.1f, 1.2f, 1, 1.3f}, FALSE, BASE_SEEN},
        {"NaN highest", {0, 0, 1, nan, 0.1f, 0.1f, 1, 1}, FALSE, BASE_SEEN},
        {"NaN lowest", {0, 0, 1, 1, 0.1f, nan, 1, 1}, FALSE, BASE_SEEN},
    };
    for (const LimitCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(0)) << "row " << c.name;
        const Limits &b = BASE, &l = c.set;
        ASSERT_TRUE(sizer_SetMinMax(d.g, b.minX, b.minY, b.maxX, b.maxY,
                                    b.minW, b.minH, b.maxW, b.maxH))
            << "row " << c.name;
        /* The knob stays where it was, outside the limits or not. */
        d.place({10, 10, 30, 20});
        EXPECT_EQ(sizer_SetMinMax(d.g, l.minX, l.minY, l.maxX, l.maxY, l.minW,
                                  l.minH, l.maxW, l.maxH),
                  c.ok)
            << "row " << c.name;
        EXPECT_POS(d.pos(), pos_Of({10, 10, 30, 20}), c.name);
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
        EXPECT_EQ(seen_Str(seen_Drag(d)), seen_Str(c.want))
            << "row " << c.name;
    }
    EXPECT_FALSE(sizer_SetMinMax(NULL, 0, 0, 1, 1, 0.1f, 0.1f, 1, 1));
}

namespace {

struct CalcCase {
    const char *name;
    Pos pos;
    RECT area;
    RECT want;
};

}  // namespace

/* nearest(W x fraction) in double for the left and top, the width and
 * height rounded on their own and added; from (0, 0) whatever the area's
 * origin. */
TEST(KnobkitSizer, CalcKnobRectRounding)
{
    const CalcCase cases[] = {
        {"whole pixels", {0.2f, 0.2f, 0.4f, 0.6f}, {0, 0, 200, 100},
         {40, 20, 120, 80}},
        {"the drawing's area, one pixel less", {0.2f, 0.2f, 0.4f, 0.6f},
         {0, 0, 199, 99}, {40, 20, 120, 79}},
        {"the area's origin is not added", {0.2f, 0.2f, 0.4f, 0.6f},
         {50, 30, 250, 130}, {40, 20, 120, 80}},
        /* 0.35f is 0.34999999: 3.4999999 rounds to 3 (in single precision
         * 10 x 0.35f would be 3.5 and round to 4). */
        {"0.35f of 10 is under 3.5", {0.35f, 0.35f, 0.35f, 0.35f},
         {0, 0, 10, 10}, {3, 3, 6, 6}},
        {"0.25 of 10 is 2.5, up to 3", {0.25f, 0.25f, 0.25f, 0.25f},
         {0, 0, 10, 10}, {3, 3, 6, 6}},
        {"0.15f of 10 is above 1.5", {0.15f, 0.15f, 0.15f, 0.15f},
         {0, 0, 10, 10}, {2, 2, 4, 4}},
        {"a negative left truncates toward zero", {-0.1f, -0.1f, 0.5f, 0.5f},
         {0, 0, 100, 100}, {-9, -9, 41, 41}},
        {"an empty area", {0.5f, 0.5f, 0.5f, 0.5f}, {20, 20, 20, 20},
         {0, 0, 0, 0}},
    };
    SizerDialog d;
    ASSERT_TRUE(d.make(0));
    for (const CalcCase &c : cases) {
        sizer_SetPos(d.g, c.pos.x, c.pos.y, c.pos.w, c.pos.h);
        RECT r = c.area;
        sizer_CalcKnobRect(d.g, &r);
        EXPECT_EQ(rect_Str(r), rect_Str(c.want)) << "row " << c.name;
    }
}

namespace {

struct EmptyCase {
    const char *name;
    int w, h;
};

}  // namespace

/* A control of no width or height: nothing to press, nothing painted, and
 * a control shrunk to it while the knob is held leaves the knob as it was
 * (its fractions would be divisions by zero) and posts nothing. */
TEST(KnobkitSizer, ZeroSizedControl)
{
    const EmptyCase cases[] = {
        {"no width", 0, H}, {"no height", W, 0}, {"nothing", 0, 0}};
    for (const EmptyCase &c : cases) {
        SizerDialog d;
        ASSERT_TRUE(d.make(0, S, c.w, c.h)) << "row " << c.name;
        d.press(ID, 0, 0);
        EXPECT_FALSE(d.tracking()) << "row " << c.name;
        d.release(ID, 0, 0);
        Canvas cv(4, 4, BACK);
        d.shot(ID, cv);
        EXPECT_EQ(cv.count({0, 0, 4, 4}, BACK), 16) << "row " << c.name;

        SetWindowPos(d.ctl(ID), NULL, 0, 0, W, H, SWP_NOMOVE | SWP_NOZORDER);
        d.place(PLACED);
        d.press(ID, 80, 50);
        ASSERT_TRUE(d.tracking()) << "row " << c.name;
        SetWindowPos(d.ctl(ID), NULL, 0, 0, c.w, c.h,
                     SWP_NOMOVE | SWP_NOZORDER);
        d.move(ID, 90, 60);
        d.release(ID, 90, 60);
        EXPECT_POS(d.pos(), pos_Of(PLACED), c.name);
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
}
/* Clearing the label paints the control before the knob exists; the
 * screen shows the knob all the same once the creation returns. */
TEST(KnobkitSizer, ShowsAtOnce)
{
    SizerDialog d;
    ASSERT_TRUE(d.make(0));
    kk_Pump();
    HDC dc = GetDC(d.ctl(ID));
    const struct { const char *name; int x, y; COLORREF want; } rows[] = {
        {"inside", 50, 50, INSIDE},
        {"frame, right", W - 1, 50, FRAME},
        {"corner handle", 3, 3, FRAME},
    };
    for (const auto &c : rows)
        EXPECT_EQ(GetPixel(dc, c.x, c.y), c.want) << "row " << c.name;
    ReleaseDC(d.ctl(ID), dc);
}
