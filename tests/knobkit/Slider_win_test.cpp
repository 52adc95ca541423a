/* Slider_win_test.cpp -- the slider under Wine, driven through a dialog:
 * the knob found by its pixels on a canvas of one colour, the mouse and
 * the wheel as the system hands them to the dialog, the notifications
 * with the values the handler was given, the companion label's text. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_S = 301, ID_LABEL = 302 };

const COLORREF BACK = RGB(1, 2, 3);
const COLORREF FACE = RGB(214, 211, 206);
const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF BLACK = RGB(0, 0, 0);

/* The single-precision hundredth by which the slider divides by 100. */
const double HUNDREDTH = (double)0.01f;

int screen_Dpi(void)
{
    HDC dc = GetDC(NULL);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(NULL, dc);
    return dpi;
}

/* Pixels per 100 points at dpi, and a knob of points at dpi. */
int scale_At(int dpi)
{
    return (int)(dpi * 1.3888888 + 0.5);
}

int knob_At(int dpi, int points)
{
    return scale_At(dpi) * points / 100;
}

/* Where the knob starts at p per cent of the range. */
int offset_Of(int range, double p)
{
    int off = (int)(range * p * HUNDREDTH + 0.5);
    return off < 0 ? 0 : off > range ? range : off;
}

/* The position at knob offset c. */
int value_At(int c, int range, int min, int max)
{
    return min + (int)((double)c / range * ((double)max - min) + 0.5);
}

double percent_Of(int min, int max, int pos)
{
    return ((double)pos - min) * 100.0 / ((double)max - min);
}

std::vector<std::string> note(int value)
{
    return {"GM_SLIDER 301 " + std::to_string(value)};
}

const std::vector<std::string> NONE;

/* A dialog with one slider control (about 300 x 24 pixels, or 24 x 300
 * for a vertical one) and a companion label below it. */
struct Rig {
    GadgetDialog d;
    Gadget *s = NULL;
    bool vert;

    Rig(uint32_t flags, uint32_t knobSize = 10, const char *caption = "",
        int labelId = ID_LABEL)
        : vert((flags & SLIDER_VERT) != 0)
    {
        if (vert)
            d.control(ID_S, 10, 10, 12, 150, caption);
        else
            d.control(ID_S, 10, 10, 150, 12, caption);
        d.control(ID_LABEL, 40, 170, 80, 10, "label");
        if (d.start())
            s = slider_Create(d.dlg, ID_S, flags, knobSize, labelId);
    }
    int length() const
    {
        RECT c = d.client(ID_S);
        return vert ? c.bottom : c.right;
    }
    int range() const { return length() - slider_GetKnobSize(s); }
    /* The control's painting over BACK. */
    void shot(Canvas &cv) const { d.shot(ID_S, cv); }
    /* The knob's extent along the track, read on the line two pixels
     * in from the control's edge (inside the knob's frame, clear of the
     * groove): the first and one past the last pixel not BACK. */
    void span(int *from, int *to) const
    {
        RECT c = d.client(ID_S);
        Canvas cv(c.right, c.bottom, BACK);
        shot(cv);
        *from = *to = -1;
        for (int i = 0; i < length(); i++) {
            COLORREF px = vert ? cv.at(2, i) : cv.at(i, 2);
            if (px == BACK)
                continue;
            if (*from < 0)
                *from = i;
            *to = i + 1;
        }
    }
    int knobStart() const
    {
        int from, to;
        span(&from, &to);
        return from;
    }
    /* A point of the control at offset along the track, mid-way across. */
    POINT at(int along) const
    {
        RECT c = d.client(ID_S);
        return vert ? POINT{c.right / 2, along} : POINT{along, c.bottom / 2};
    }
    void press(int along) const { d.press(ID_S, at(along).x, at(along).y); }
    void move(int along) const { d.move(ID_S, at(along).x, at(along).y); }
    void release(int along) const
    {
        d.release(ID_S, at(along).x, at(along).y);
    }
    /* The label's text once the slider has painted: the dialog is
     * repainted under it through the queue, as a running dialog does. */
    std::string label() const
    {
        kk_Pump();
        char text[GAD_TEXT_MAX];
        GetWindowTextA(d.ctl(ID_LABEL), text, sizeof text);
        return text;
    }
};

/* A font without antialiasing, so that text pixels are the text colour
 * exactly; the dialog's own font is smoothed. */
struct CrispFont {
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                             0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    ~CrispFont() { DeleteObject(font); }
};

/* The wider and the higher of texts in the control's font. */
SIZE text_Extent(HWND ctl, const std::vector<std::string> &texts)
{
    SIZE most = {0, 0};
    HDC dc = GetDC(ctl);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(ctl, WM_GETFONT, 0, 0));
    for (const std::string &t : texts) {
        SIZE sz;
        GetTextExtentPoint32A(dc, t.c_str(), (int)t.size(), &sz);
        most.cx = sz.cx > most.cx ? sz.cx : most.cx;
        most.cy = sz.cy > most.cy ? sz.cy : most.cy;
    }
    SelectObject(dc, old);
    ReleaseDC(ctl, dc);
    return most;
}

/* ---- Creation and the knob's size ---- */

TEST(KnobkitSliderCreate, FreshSliderStartsAtZeroWithItsKnobAtTheStart)
{
    struct Case { const char *name; uint32_t flags; uint32_t kind; };
    const Case cases[] = {
        {"horizontal", 0, GAD_SLIDER | 0x100},
        {"vertical", SLIDER_VERT, GAD_SLIDER},
    };
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        EXPECT_EQ(c.kind, r.s->kind) << "row " << c.name;
        EXPECT_EQ(0, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_EQ(0, slider_GetPercent(r.s)) << "row " << c.name;
        EXPECT_TRUE(r.s->state & GS_CAPTURE) << "row " << c.name;
        EXPECT_EQ((HCURSOR)dlg_GetDefObject(DEF_CURSORHAND), r.s->hCursor)
            << "row " << c.name;
        EXPECT_EQ((HCURSOR)dlg_GetDefObject(DEF_CURSORGRAB),
                  r.s->hCursorDown) << "row " << c.name;
        EXPECT_EQ(GS_CURSOR | GS_CURSORDOWN,
                  r.s->state & (GS_CURSOR | GS_CURSORDOWN))
            << "row " << c.name;
        EXPECT_TRUE(r.s->FreeProc == NULL && r.s->TimerProc == NULL)
            << "row " << c.name;
        int from, to;
        r.span(&from, &to);
        EXPECT_EQ(0, from) << "row " << c.name;
        EXPECT_EQ(slider_GetKnobSize(r.s), to) << "row " << c.name;
        /* Increasing positions move the knob away from the start. */
        slider_SetPos(r.s, 100);
        r.span(&from, &to);
        EXPECT_EQ(r.range(), from) << "row " << c.name;
        EXPECT_EQ(r.length(), to) << "row " << c.name;
    }
}

TEST(KnobkitSliderCreate, MissingControlAndNullGadget)
{
    Rig r(0);
    EXPECT_TRUE(slider_Create(r.d.dlg, 999, 0, 10, -1) == NULL);
    /* Every function but the creation one lets a null gadget be. */
    slider_Modify(NULL, 0, 10, 5);
    slider_SetPos(NULL, 5);
    slider_SetKnobSize(NULL, 5);
    slider_SetPercent(NULL, 5);
    EXPECT_EQ(0, slider_GetPos(NULL));
    EXPECT_EQ(0, pb_GetPos(NULL));
    EXPECT_EQ(0, slider_GetKnobSize(NULL));
    EXPECT_EQ(0, slider_GetPercent(NULL));
    EXPECT_EQ(0, wheel_GetPercent(NULL));
}

/* The screen scale rule against the examples it was given for. */
TEST(KnobkitSliderKnob, PointsScaleRule)
{
    struct Case { const char *name; int dpi, scale, knob; };
    const Case cases[] = {
        {"96 dpi", 96, 133, 13},
        {"120 dpi", 120, 167, 16},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.scale, scale_At(c.dpi)) << "row " << c.name;
        EXPECT_EQ(c.knob, knob_At(c.dpi, 10)) << "row " << c.name;
    }
}

TEST(KnobkitSliderKnob, SizeInPointsAtTheScreensDpi)
{
    const int dpi = screen_Dpi();
    struct Case { const char *name; uint32_t flags, points; };
    const Case cases[] = {
        {"10 points", 0, 10},
        {"10 points vertical", SLIDER_VERT, 10},
        {"37 points", 0, 37},
        {"0 points", 0, 0},
        {"longer than the control", 0, 5000},
        {"longer than the control vertical", SLIDER_VERT, 5000},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, c.points);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        int want = knob_At(dpi, (int)c.points);
        if (want > r.length())
            want = r.length();
        EXPECT_EQ(want, slider_GetKnobSize(r.s)) << "row " << c.name;
        if (dpi == 96 && c.points == 10) {
            EXPECT_EQ(13, slider_GetKnobSize(r.s)) << "row " << c.name;
        }
        if (want > 0) {
            int from, to;
            r.span(&from, &to);
            EXPECT_EQ(want, to - from) << "row " << c.name;
        }
        /* A new size takes effect at once. */
        slider_SetKnobSize(r.s, 20);
        EXPECT_EQ(knob_At(dpi, 20), slider_GetKnobSize(r.s))
            << "row " << c.name;
    }
}

/* Fitted to the value texts of min and max: wider text + 12 along a
 * horizontal track, higher text + 4 along a vertical one; across, the
 * knob fills the control. */
TEST(KnobkitSliderKnob, FitsTheValueTexts)
{
    struct Case {
        const char *name; uint32_t flags; const char *caption;
        int min, max; std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"percent", VT_PERCENT, "%d%%", 0, 100, {"0%", "100%"}},
        {"percent vertical", VT_PERCENT | SLIDER_VERT, "%d%%", 0, 100,
         {"0%", "100%"}},
        {"values", 0, "%d", -5000, 7, {"-5000", "7"}},
        {"values vertical", SLIDER_VERT, "%d", -5000, 7, {"-5000", "7"}},
        {"built-in percent", VT_PERCENT | VT_BUILTIN, "vol %d", 0, 5000,
         {"0%", "100%"}},
        {"plain caption", 0, "Volume", 0, 100, {"Volume"}},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, SLIDER_FITTEXT, c.caption);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.min, c.max, c.min);
        SIZE t = text_Extent(r.d.ctl(ID_S), c.texts);
        int want = r.vert ? t.cy + 4 : t.cx + 12;
        EXPECT_EQ(want, slider_GetKnobSize(r.s)) << "row " << c.name;
        int from, to;
        r.span(&from, &to);
        EXPECT_EQ(0, from) << "row " << c.name;
        EXPECT_EQ(want, to) << "row " << c.name;
    }
}

/* The caption and the flags are part of the knob's layout: a new one
 * through gad_SetText or gad_ModifyFlags resizes a fitted knob. */
TEST(KnobkitSliderKnob, NewCaptionOrFlagsRelayOut)
{
    Rig r(0, SLIDER_FITTEXT, "%d");
    ASSERT_TRUE(r.s != NULL);
    slider_Modify(r.s, 0, 5000, 0);
    HWND ctl = r.d.ctl(ID_S);
    EXPECT_EQ(text_Extent(ctl, {"0", "5000"}).cx + 12,
              slider_GetKnobSize(r.s)) << "row caption %d";

    gad_SetText(r.s, "Volume %d");
    EXPECT_EQ(text_Extent(ctl, {"Volume 0", "Volume 5000"}).cx + 12,
              slider_GetKnobSize(r.s)) << "row new caption";
    int from, to;
    r.span(&from, &to);
    EXPECT_EQ(slider_GetKnobSize(r.s), to - from) << "row new caption";

    gad_ModifyFlags(r.s, VT_PERCENT, 0);
    EXPECT_EQ(text_Extent(ctl, {"Volume 0", "Volume 100"}).cx + 12,
              slider_GetKnobSize(r.s)) << "row VT_PERCENT set";

    gad_ModifyFlags(r.s, SLIDER_VERT, 0);
    int high = text_Extent(ctl, {"Volume 0"}).cy + 4;
    int room = (int)r.d.client(ID_S).bottom;
    EXPECT_EQ(high < room ? high : room, slider_GetKnobSize(r.s))
        << "row SLIDER_VERT set";
    EXPECT_NOTES(r.d, NONE, "relayout");
}

/* ---- Positions, ranges and percentages ---- */

TEST(KnobkitSliderRange, ReversedRangeRunsFromMax)
{
    struct Case { const char *name; uint32_t flags; };
    const Case cases[] = {{"horizontal", 0}, {"vertical", SLIDER_VERT}};
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, 100, 0, 25);
        /* The range's first two words: min, max. */
        EXPECT_EQ(0, (int32_t)r.s->priv[0]) << "row " << c.name;
        EXPECT_EQ(100, (int32_t)r.s->priv[1]) << "row " << c.name;
        EXPECT_EQ(25, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_TRUE(r.s->flags & SLIDER_REVERSED) << "row " << c.name;
        EXPECT_EQ(25, slider_GetPercent(r.s)) << "row " << c.name;
        int start = r.knobStart();
        EXPECT_EQ(offset_Of(r.range(), 75), start) << "row " << c.name;

        /* Dragged to the start: the maximum. */
        int grab = start + 3;
        r.press(grab);
        r.move(grab - start - 40);
        r.release(grab - start - 40);
        EXPECT_EQ(100, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_EQ(0, r.knobStart()) << "row " << c.name;
        EXPECT_NOTES(r.d, note(100), c.name);

        /* Given low first again, it runs forwards. */
        slider_Modify(r.s, 0, 100, 25);
        EXPECT_FALSE(r.s->flags & SLIDER_REVERSED) << "row " << c.name;
        EXPECT_EQ(offset_Of(r.range(), 25), r.knobStart())
            << "row " << c.name;
    }
}

TEST(KnobkitSliderRange, SetPosClampsModifyDoesNot)
{
    struct Case { const char *name; int a, b, pos, setPos, modifyPos; };
    const Case cases[] = {
        {"inside", 0, 100, 40, 40, 40},
        {"above", 0, 100, 150, 100, 150},
        {"below", -10, 10, -11, -10, -11},
        {"reversed above", 10, -10, 99, 10, 99},
        {"max", 0, 100, 100, 100, 100},
    };
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, 0);
        slider_SetPos(r.s, c.pos);
        EXPECT_EQ(c.setPos, slider_GetPos(r.s)) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.pos);
        EXPECT_EQ(c.modifyPos, slider_GetPos(r.s)) << "row " << c.name;
    }
}

/* A position left outside the range by slider_Modify shows the knob at
 * the nearer end, not outside the control. */
TEST(KnobkitSliderRange, PositionOutsideTheRangeKeepsTheKnobInside)
{
    struct Case { const char *name; int a, b, pos; bool atEnd; };
    const Case cases[] = {
        {"above", 0, 100, 250, true},
        {"below", 0, 100, -30, false},
        {"reversed above", 100, 0, 250, false},
        {"reversed below", 100, 0, -30, true},
    };
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.pos);
        EXPECT_EQ(c.atEnd ? r.range() : 0, r.knobStart())
            << "row " << c.name;
        gad_ModifyFlags(r.s, SLIDER_SMOOTH, 0);
        EXPECT_EQ(c.atEnd ? r.range() : 0, r.knobStart())
            << "row smooth " << c.name;
    }
}

TEST(KnobkitSliderRange, GetPercent)
{
    struct Case { const char *name; int a, b, pos, want; };
    const Case cases[] = {
        {"middle", 0, 100, 50, 50},
        {"one half rounds up", 0, 200, 101, 51},
        {"eighth", 0, 8, 1, 13},
        {"third", 0, 3, 1, 33},
        {"negative range", -50, 50, 0, 50},
        {"below the range", 0, 100, -1, 0},
        {"above the range", 0, 100, 150, 150},
        {"reversal not seen", 100, 0, 25, 25},
        {"whole 32 bits", INT_MIN, INT_MAX, INT_MAX, 100},
        {"empty range", 50, 50, 50, 0},
    };
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.pos);
        EXPECT_EQ(c.want, slider_GetPercent(r.s)) << "row " << c.name;
        EXPECT_EQ(c.want, wheel_GetPercent(r.s)) << "row " << c.name;
        EXPECT_EQ(c.pos, pb_GetPos(r.s)) << "row " << c.name;
    }
}

/* v = min + nearest((max - min) * percent * 0.01f): a product ending in
 * exactly one half rounds down (0..1 at 50 % gives 0, 0..3 gives 1,
 * 10..15 gives 12), where an exact hundredth would give 1, 2 and 13; 0 and 100 are the bounds
 * exactly, even where the single-precision hundredth falls short. */
TEST(KnobkitSliderRange, SetPercent)
{
    struct Case { const char *name; int a, b, percent, want; };
    const Case cases[] = {
        {"middle", 0, 100, 50, 50},
        {"one half of 1 rounds down", 0, 1, 50, 0},
        {"one half of 3 rounds down", 0, 3, 50, 1},
        {"one half of 5 rounds down", 10, 15, 50, 12},
        {"negative range", -10, 10, 75, 5},
        {"reversed", 100, 0, 30, 70},
        {"reversed half of 3", 3, 0, 50, 2},
        {"zero is min", 7, 2000000007, 0, 7},
        {"100 is max", 7, 2000000007, 100, 2000000007},
        {"99 of a wide range", 0, 2000000000, 99, 1979999956},
        {"above 100 clamps", 0, 50, 150, 50},
        {"below 0 clamps", 0, 50, -5, 0},
        {"reversed above 100", 50, 0, 150, 0},
        {"empty range", 40, 40, 70, 40},
    };
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.a);
        slider_SetPercent(r.s, c.percent);
        EXPECT_EQ(c.want, slider_GetPos(r.s)) << "row " << c.name;
    }
}

/* The setters change the slider and post nothing. */
TEST(KnobkitSliderRange, SettersNeverNotify)
{
    Rig r(0, SLIDER_FITTEXT, "%d");
    ASSERT_TRUE(r.s != NULL);
    slider_Modify(r.s, 0, 10, 3);
    slider_SetPos(r.s, 7);
    slider_SetPos(r.s, 70);
    slider_SetPercent(r.s, 20);
    slider_SetKnobSize(r.s, 15);
    gad_SetText(r.s, "%d dB");
    gad_ModifyFlags(r.s, SLIDER_SMOOTH, 0);
    slider_Modify(r.s, 10, 0, 4);
    EXPECT_EQ(4, slider_GetPos(r.s));
    EXPECT_NOTES(r.d, NONE, "setters");
}

/* ---- The mouse ---- */

/* A press on the knob takes hold of it (no notification); dragging moves
 * it by the pointer's travel and notifies each new value; the knob is
 * dithered while held. */
TEST(KnobkitSliderMouse, DragMovesByThePointersTravel)
{
    struct Case { const char *name; uint32_t flags; int start, grabIn;
                  std::vector<int> moves; };
    const Case cases[] = {
        {"forward", 0, 20, 4, {10, 35, 35, 120}},
        {"back to the start", 0, 60, 8, {-5, -500}},
        {"past the end", 0, 50, 1, {400}},
        {"vertical", SLIDER_VERT, 30, 5, {12, -40, 3}},
    };
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_SetPos(r.s, c.start);
        int start = r.knobStart(), range = r.range();
        int grab = start + c.grabIn;
        r.press(grab);
        EXPECT_TRUE(r.d.tracking()) << "row " << c.name;
        EXPECT_TRUE(r.s->flags & SLIDER_DRAGGING) << "row " << c.name;
        EXPECT_EQ(c.start, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, NONE, std::string(c.name) + " press");
        int pos = c.start;
        for (int m : c.moves) {
            r.move(grab + m);
            int off = start + m;
            off = off < 0 ? 0 : off > range ? range : off;
            int v = value_At(off, range, 0, 100);
            std::string row = std::string(c.name) + " move " +
                              std::to_string(m);
            EXPECT_NOTES(r.d, v != pos ? note(v) : NONE, row);
            pos = v;
            EXPECT_EQ(v, slider_GetPos(r.s)) << "row " << row;
            EXPECT_EQ(offset_Of(range, v), r.knobStart()) << "row " << row;
        }
        r.release(grab);
        EXPECT_FALSE(r.s->flags & SLIDER_DRAGGING) << "row " << c.name;
        EXPECT_FALSE(r.d.tracking()) << "row " << c.name;
        EXPECT_NOTES(r.d, NONE, std::string(c.name) + " release");
    }
}

/* A press on the track beside the knob centres the knob on the pointer
 * as far as the track allows and notifies once; dragging then moves it
 * on by the pointer's travel. */
TEST(KnobkitSliderMouse, TrackClickCentresTheKnobThenDrags)
{
    struct Case { const char *name; int max, start; double at; int dx;
                  bool clickNotifies; };
    const Case cases[] = {
        {"before the knob", 100, 50, 0.01, 40, true},
        {"after the knob", 100, 0, 0.6, -25, true},
        {"past the end", 100, 0, 0.999, -30, true},
        {"same value", 2, 1, 0.56, 200, false},
    };
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, 0, c.max, c.start);
        int range = r.range(), len = slider_GetKnobSize(r.s);
        int x = (int)(c.at * r.length());
        int from, to;
        r.span(&from, &to);
        ASSERT_TRUE(x < from || x >= to) << "row " << c.name;
        int off = x - len / 2;
        off = off < 0 ? 0 : off > range ? range : off;
        int v = value_At(off, range, 0, c.max);
        ASSERT_EQ(c.clickNotifies, v != c.start) << "row " << c.name;

        r.press(x);
        EXPECT_TRUE(r.d.tracking()) << "row " << c.name;
        EXPECT_NOTES(r.d, c.clickNotifies ? note(v) : NONE,
                     std::string(c.name) + " click");
        EXPECT_EQ(v, slider_GetPos(r.s)) << "row " << c.name;
        int held = r.knobStart();
        EXPECT_EQ(offset_Of(range, percent_Of(0, c.max, v)), held)
            << "row " << c.name;

        r.move(x + c.dx);
        int off2 = held + c.dx;
        off2 = off2 < 0 ? 0 : off2 > range ? range : off2;
        int v2 = value_At(off2, range, 0, c.max);
        EXPECT_NOTES(r.d, v2 != v ? note(v2) : NONE,
                     std::string(c.name) + " drag");
        EXPECT_EQ(v2, slider_GetPos(r.s)) << "row " << c.name;
        r.release(x + c.dx);
    }
}

/* Smooth: the knob keeps the pointer at its middle to the pixel, and
 * the value follows; a plain knob moves by the pointer's travel and
 * stands at its value's place. */
TEST(KnobkitSliderMouse, SmoothFollowsThePointer)
{
    struct Case { const char *name; uint32_t flags; bool reversed; int to; };
    const Case cases[] = {
        {"smooth", SLIDER_SMOOTH, false, 101},
        {"smooth vertical", SLIDER_SMOOTH | SLIDER_VERT, false, 70},
        {"smooth reversed", SLIDER_SMOOTH, true, 190},
        {"plain", 0, false, 101},
    };
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        bool smooth = (c.flags & SLIDER_SMOOTH) != 0;
        int first = c.reversed ? 10 : 0;
        slider_Modify(r.s, first, 10 - first, first);
        int range = r.range(), len = slider_GetKnobSize(r.s);
        ASSERT_EQ(0, r.knobStart()) << "row " << c.name;
        /* Taken off its middle: a smooth knob centres on the pointer at
         * once, the value waits for the first move. */
        int grab = len / 2 + 4;
        r.press(grab);
        EXPECT_EQ(smooth ? 4 : 0, r.knobStart()) << "row " << c.name;
        EXPECT_EQ(first, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, NONE, std::string(c.name) + " press");
        int pos = first;
        for (int to : {c.to, c.to + 1}) {
            r.move(to);
            int off = smooth ? to - len / 2 : to - grab;
            int v = value_At(off, range, 0, 10);
            if (c.reversed)
                v = 10 - v;
            std::string row = std::string(c.name) + " to " +
                              std::to_string(to);
            EXPECT_EQ(v, slider_GetPos(r.s)) << "row " << row;
            EXPECT_NOTES(r.d, v != pos ? note(v) : NONE, row);
            pos = v;
            double p = percent_Of(0, 10, c.reversed ? 10 - v : v);
            EXPECT_EQ(smooth ? off : offset_Of(range, p), r.knobStart())
                << "row " << row;
        }
        r.release(c.to + 1);
    }
}

/* A smooth knob also jumps to the pointer on a track click, to the
 * pixel. */
TEST(KnobkitSliderMouse, SmoothTrackClick)
{
    Rig r(SLIDER_SMOOTH);
    ASSERT_TRUE(r.s != NULL);
    slider_Modify(r.s, 0, 10, 0);
    int len = slider_GetKnobSize(r.s), x = 150;
    r.press(x);
    EXPECT_EQ(x - len / 2, r.knobStart()) << "row smooth click";
    int v = value_At(x - len / 2, r.range(), 0, 10);
    EXPECT_NOTES(r.d, note(v), "smooth click");
    r.release(x);
    EXPECT_EQ(x - len / 2, r.knobStart()) << "row smooth click released";
}

/* Lost capture ends the hold as the button going up does: the knob is
 * no longer dithered. */
TEST(KnobkitSliderMouse, LostCaptureLetsGo)
{
    struct Case { const char *name; bool lose; };
    const Case cases[] = {{"button up", false}, {"capture lost", true}};
    for (const Case &c : cases) {
        Rig r(0);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        RECT cl = r.d.client(ID_S);
        int len = slider_GetKnobSize(r.s);
        RECT inside = {2, 2, len - 2, cl.bottom - 2};
        int area = (inside.right - inside.left) *
                   (inside.bottom - inside.top);
        r.press(3);
        {
            Canvas cv(cl.right, cl.bottom, BACK);
            r.shot(cv);
            EXPECT_EQ(area, cv.count(inside, FACE) + cv.count(inside, WHITE))
                << "row " << c.name;
            EXPECT_EQ(cv.at(3, 3), cv.at(4, 4)) << "row " << c.name;
            EXPECT_NE(cv.at(3, 3), cv.at(4, 3)) << "row " << c.name;
        }
        if (c.lose)
            r.d.lose();
        else
            r.release(3);
        EXPECT_FALSE(r.d.tracking()) << "row " << c.name;
        EXPECT_FALSE(r.s->flags & SLIDER_DRAGGING) << "row " << c.name;
        Canvas cv(cl.right, cl.bottom, BACK);
        r.shot(cv);
        EXPECT_EQ(area, cv.count(inside, FACE)) << "row " << c.name;
        /* Moves after the loss reach nothing. */
        r.move(200);
        EXPECT_EQ(0, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, NONE, c.name);
    }
}

/* ---- The wheel ---- */

TEST(KnobkitSliderWheel, OneNotchIsOnePerCent)
{
    struct Case { const char *name; uint32_t flags; int a, b, start, delta;
                  int want; };
    const Case cases[] = {
        {"vertical away", SLIDER_VERT, 0, 100, 50, 120, 49},
        {"vertical toward", SLIDER_VERT, 0, 100, 50, -120, 51},
        {"horizontal away", 0, 0, 100, 50, 120, 51},
        {"horizontal two notches", 0, 0, 100, 50, 240, 52},
        {"horizontal reversed", 0, 100, 0, 50, 120, 49},
        {"vertical reversed", SLIDER_VERT, 100, 0, 50, 120, 51},
        {"wide range", 0, 0, 1000, 500, 120, 510},
        {"at the end", 0, 0, 100, 100, 120, 100},
        {"past the start", 0, 0, 100, 1, -360, 0},
        {"under a notch", 0, 0, 100, 50, 60, 50},
        {"outside the range, under a notch", 0, 0, 100, 150, 60, 150},
        {"outside the range", 0, 0, 100, 150, -120, 100},
        {"small range", 0, 0, 3, 1, 120, 1},
    };
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.start);
        r.d.wheel(ID_S, 3, 3, c.delta);
        EXPECT_EQ(c.want, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, c.want != c.start ? note(c.want) : NONE, c.name);
    }
}

/* A smooth knob turned by the wheel stands where its value is, counted
 * from its own side on a reversed slider. */
TEST(KnobkitSliderWheel, SmoothKnobFollows)
{
    struct Case { const char *name; int a, b; };
    const Case cases[] = {{"forward", 0, 100}, {"reversed", 100, 0}};
    for (const Case &c : cases) {
        Rig r(SLIDER_SMOOTH);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, 40);
        r.d.wheel(ID_S, 3, 3, 120);
        int pos = slider_GetPos(r.s);
        double p = c.a > c.b ? 100 - pos : pos;
        EXPECT_EQ(offset_Of(r.range(), p), r.knobStart()) << "row " << c.name;
        EXPECT_NOTES(r.d, note(pos), c.name);
    }
}

/* ---- Drawing ---- */

/* The sunken groove through the middle, 4 pixels across, unless
 * SLIDER_NOGROOVE; beside it the background shows. */
TEST(KnobkitSliderDraw, Groove)
{
    struct Case { const char *name; uint32_t flags; bool groove; };
    const Case cases[] = {
        {"horizontal", 0, true},
        {"vertical", SLIDER_VERT, true},
        {"no groove", SLIDER_NOGROOVE, false},
        {"no groove vertical", SLIDER_NOGROOVE | SLIDER_VERT, false},
    };
    for (const Case &c : cases) {
        Rig r(c.flags);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        RECT cl = r.d.client(ID_S);
        Canvas cv(cl.right, cl.bottom, BACK);
        r.shot(cv);
        int across = r.vert ? cl.right : cl.bottom;
        int along = r.length() - 3;   /* beyond the knob */
        for (int i = 0; i < across; i++) {
            COLORREF px = r.vert ? cv.at(i, along) : cv.at(along, i);
            bool in = c.groove && i >= across / 2 - 2 && i < across / 2 + 2;
            EXPECT_EQ(in, px != BACK) << "row " << c.name << " at " << i;
        }
    }
}

/* SLIDER_PATTERN fills the control with a one-pixel checkerboard of the
 * text colour (face grey by default) and the background (white). */
TEST(KnobkitSliderDraw, Pattern)
{
    struct Case { const char *name; uint32_t mode; COLORREF fore, back; };
    const Case cases[] = {
        {"default colours", 0, FACE, WHITE},
        {"own colours", GS_TEXTCOLOR | GS_BACKCOLOR, RGB(200, 0, 0),
         RGB(0, 0, 200)},
        {"own text colour", GS_TEXTCOLOR, RGB(200, 0, 0), WHITE},
    };
    for (const Case &c : cases) {
        Rig r(SLIDER_PATTERN | SLIDER_NOGROOVE);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        if (c.mode)
            gad_SetColor(r.d.dlg, ID_S, c.mode, RGB(200, 0, 0),
                         RGB(0, 0, 200), NULL);
        RECT cl = r.d.client(ID_S);
        Canvas cv(cl.right, cl.bottom, BACK);
        r.shot(cv);
        int x0 = slider_GetKnobSize(r.s) + 2;
        RECT beside = {x0, 0, cl.right, cl.bottom};
        int area = (cl.right - x0) * cl.bottom;
        EXPECT_EQ(area, cv.count(beside, c.fore) + cv.count(beside, c.back))
            << "row " << c.name;
        EXPECT_NE(cv.at(x0, 5), cv.at(x0 + 1, 5)) << "row " << c.name;
        EXPECT_EQ(cv.at(x0, 5), cv.at(x0 + 1, 6)) << "row " << c.name;
    }
}

/* The value text on the knob: in the text colour when enabled; engraved
 * when disabled, white one pixel below and right of the grey text. */
TEST(KnobkitSliderDraw, ValueTextEngravedWhenDisabled)
{
    CrispFont crisp;
    Rig r(0, SLIDER_FITTEXT, "%d");
    ASSERT_TRUE(r.s != NULL);
    SendMessageA(r.d.ctl(ID_S), WM_SETFONT, (WPARAM)crisp.font, FALSE);
    slider_SetKnobSize(r.s, SLIDER_FITTEXT);
    slider_SetPos(r.s, 88);
    RECT cl = r.d.client(ID_S);
    RECT inside = {2, 2, slider_GetKnobSize(r.s) - 2, cl.bottom - 2};
    int start = r.knobStart();
    OffsetRect(&inside, start, 0);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);

    Canvas on(cl.right, cl.bottom, BACK);
    r.shot(on);
    EXPECT_GT(on.count(inside, BLACK), 0) << "row enabled";
    EXPECT_EQ(0, on.count(inside, grey)) << "row enabled";
    EXPECT_EQ(0, on.count(inside, WHITE)) << "row enabled";

    gad_Enable(r.s, FALSE);
    Canvas off(cl.right, cl.bottom, BACK);
    r.shot(off);
    EXPECT_EQ(0, off.count(inside, BLACK)) << "row disabled";
    EXPECT_GT(off.count(inside, grey), 0) << "row disabled";
    int wrong = 0;
    for (int y = inside.top; y < inside.bottom; y++)
        for (int x = inside.left; x < inside.right; x++) {
            bool white = off.at(x, y) == WHITE;
            bool below = off.at(x - 1, y - 1) == grey && off.at(x, y) != grey;
            wrong += white != below;
        }
    EXPECT_EQ(0, wrong) << "row disabled: white is the grey text moved by 1";
    /* The grey text stands where the black one stood. */
    int moved = 0;
    for (int y = inside.top; y < inside.bottom; y++)
        for (int x = inside.left; x < inside.right; x++)
            moved += (on.at(x, y) == BLACK) != (off.at(x, y) == grey);
    EXPECT_EQ(0, moved) << "row disabled";
}

/* The companion control shows the value text by the caption and the
 * label flags, after every change, the user's ones too. */
TEST(KnobkitSliderDraw, CompanionLabel)
{
    struct Case { const char *name; uint32_t flags; const char *caption;
                  const char *want; };
    const Case cases[] = {
        {"value", 0, "", "101"},
        {"percent", VT_PERCENT, "", "51%"},
        {"caption with %: built-in", 0, "Vol %d", "101"},
        {"label percent", VT_LABELPERCENT, "Vol %d", "51%"},
        {"label format", VT_LABELFORMAT, "Vol %d", "Vol 101"},
        {"label format percent", VT_LABELFORMAT | VT_LABELPERCENT,
         "Vol %d", "Vol 51"},
        {"plain caption", VT_LABELFORMAT, "Loud", "Loud"},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, 10, c.caption);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, 0, 200, 101);
        EXPECT_EQ(c.want, r.label()) << "row " << c.name;
    }
    /* A drag updates it as it goes. */
    Rig r(0);
    ASSERT_TRUE(r.s != NULL);
    r.press(3);
    r.move(3 + r.range());
    EXPECT_EQ("100", r.label()) << "row dragged";
    r.release(3 + r.range());
    /* Without a companion, the control keeps its text. */
    Rig none(0, 10, "", -1);
    ASSERT_TRUE(none.s != NULL);
    slider_SetPos(none.s, 30);
    EXPECT_EQ("label", none.label()) << "row no companion";
}

/* A slider that lets the dialog show through is repainted from the
 * dialog: where the knob was, the dialog's background shows again. */
TEST(KnobkitSliderDraw, TransparentSliderLeavesNoOldKnob)
{
    struct Case { const char *name; uint32_t mode; };
    const Case cases[] = {{"plain", 0}, {"transparent", GS_TRANSPARENT}};
    for (const Case &c : cases) {
        Rig r(SLIDER_NOGROOVE);
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        if (c.mode)
            gad_SetColor(r.d.dlg, ID_S, c.mode, 0, 0, NULL);
        slider_SetPos(r.s, 0);
        kk_Pump();
        HDC dc = GetDC(r.d.ctl(ID_S));
        COLORREF before = GetPixel(dc, 5, 5);
        slider_SetPos(r.s, 100);
        kk_Pump();
        COLORREF after = GetPixel(dc, 5, 5);
        ReleaseDC(r.d.ctl(ID_S), dc);
        EXPECT_EQ(FACE, before) << "row " << c.name;
        EXPECT_NE(FACE, after) << "row " << c.name;
    }
}

/* ---- An empty range, a knob that fills the track ---- */

TEST(KnobkitSliderEdge, EmptyRangeAndFullKnob)
{
    struct Case { const char *name; int a, b, pos; uint32_t knob;
                  uint32_t flags; };
    const Case cases[] = {
        {"min = max", 50, 50, 50, 10, 0},
        {"min = max, smooth", 50, 50, 50, 10, SLIDER_SMOOTH},
        {"min = max, fitted", 50, 50, 50, SLIDER_FITTEXT, VT_PERCENT},
        {"knob fills the track", 0, 100, 30, 5000, 0},
        {"knob fills the track, smooth", 0, 100, 30, 5000, SLIDER_SMOOTH},
    };
    for (const Case &c : cases) {
        Rig r(c.flags, c.knob, "%d");
        ASSERT_TRUE(r.s != NULL) << "row " << c.name;
        slider_Modify(r.s, c.a, c.b, c.pos);
        EXPECT_EQ(0, r.knobStart()) << "row " << c.name;
        /* Clicks and drags have nowhere to go: the position stays. */
        r.press(r.length() - 2);
        r.move(4);
        r.move(r.length() - 1);
        r.release(r.length() - 1);
        EXPECT_EQ(c.pos, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, NONE, c.name);
        slider_SetPercent(r.s, 70);
        int want = c.a == c.b ? c.a : 70;
        EXPECT_EQ(want, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_EQ(c.a == c.b ? 0 : 70, slider_GetPercent(r.s))
            << "row " << c.name;
        /* The wheel still turns a filled track's value. */
        r.d.wheel(ID_S, 3, 3, 120);
        int turned = c.a == c.b ? want : want + 1;
        EXPECT_EQ(turned, slider_GetPos(r.s)) << "row " << c.name;
        EXPECT_NOTES(r.d, turned != want ? note(turned) : NONE, c.name);
        EXPECT_EQ(0, r.knobStart()) << "row " << c.name;
    }
}

}  // namespace
