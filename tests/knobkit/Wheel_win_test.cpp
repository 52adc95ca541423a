/* Wheel_win_test.cpp -- the Wheel gadget under Wine, driven through a dialog:
 * presses, turns and the mouse wheel in every mode, the notifications they
 * post (with the value the handler is given), the blinking mark, the
 * painting read back pixel by pixel, the companion label and the client's
 * functions.
 *
 * The dial is a blue disc of 151 pixels on magenta (the key colour), the
 * mark a red square of 9 pixels whose top-left pixel is the key, the lit
 * mark a green one cut from a strip.  Points are offsets from the centre
 * of the wheel's client area; each reads a known angle (degrees clockwise
 * from twelve o'clock, 1 to 360). */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_WHEEL = 401, ID_LABEL };

const COLORREF MAGENTA = RGB(255, 0, 255);
const COLORREF DIAL = RGB(0, 0, 255);
const COLORREF MARK = RGB(255, 0, 0);
const COLORREF LIT = RGB(0, 255, 0);
const COLORREF BACK = RGB(1, 2, 3);
const int DIAL_SIZE = 151, MARK_SIZE = 9;

struct Aim {
    int dx, dy;
};
/* Presses lie on the dial (radius 75); turns may go anywhere. */
const Aim CENTRE = {0, 0};     /* no direction: 0 */
const Aim EAST = {60, 0};      /* 90 */
const Aim SOUTH = {0, 60};     /* 180 */
const Aim WEST = {-60, 0};     /* 270 */
const Aim NORTH = {0, -60};    /* 360 */
const Aim AT100 = {50, 9};     /* 100.2 degrees: 100 */
const Aim AT260 = {-50, 9};    /* 259.8 degrees: 260 */
const Aim AT299 = {-1000, -570};  /* 299.7 degrees: 299 */
const Aim AT300 = {-1732, -1000}; /* 300.0 degrees, a hair past: 300 */
const Aim AT61 = {1000, -570};    /* 60.3 degrees: 61 */
const Aim AT60 = {1732, -1000};   /* 60.0 degrees, a hair short: 60 */

std::string note(int value)
{
    char s[48];
    snprintf(s, sizeof s, "GM_WHEEL %d %d", ID_WHEEL, value);
    return s;
}

std::vector<std::string> notes_Of(const std::vector<int> &values)
{
    std::vector<std::string> v;
    for (int x : values)
        v.push_back(note(x));
    return v;
}

/* A 9 x 9 square of one colour whose top-left pixel is magenta. */
HBITMAP mark_Make(COLORREF c)
{
    return kk_Picture(MARK_SIZE, MARK_SIZE, [&](HDC dc) {
        rect_Fill(dc, 0, 0, MARK_SIZE, MARK_SIZE, c);
        SetPixel(dc, 0, 0, MAGENTA);
    });
}

/* A magenta strip holding the lit mark at 10-18, its top-left pixel
 * magenta too. */
HBITMAP strip_Make(void)
{
    return kk_Picture(20, MARK_SIZE, [&](HDC dc) {
        rect_Fill(dc, 0, 0, 20, MARK_SIZE, MAGENTA);
        rect_Fill(dc, 10, 0, 10 + MARK_SIZE, MARK_SIZE, LIT);
        SetPixel(dc, 10, 0, MAGENTA);
    });
}

const RECT LIT_PART = {10, 0, 10 + MARK_SIZE, MARK_SIZE};

/* A dialog with a wheel control of about 180 pixels and a label beside
 * it; the wheel made by make(). */
struct WheelDialog {
    GadgetDialog d;
    Gadget *g = NULL;
    HBITMAP dial = NULL, mark = NULL, strip = NULL;
    int cx = 0, cy = 0, cw = 0, ch = 0;

    explicit WheelDialog(const char *caption = "")
    {
        d.control(ID_WHEEL, 4, 4, 120, 120, caption);
        d.control(ID_LABEL, 130, 4, 60, 12, "label");
        d.start();
        RECT c = d.client(ID_WHEEL);
        cw = c.right, ch = c.bottom;
        cx = cw / 2, cy = ch / 2;
    }
    ~WheelDialog()
    {
        if (strip)
            DeleteObject(strip);
    }
    Gadget *make(uint32_t flags, float scale = 1.0f, int label = -1)
    {
        dial = kk_Disc(DIAL_SIZE, DIAL_SIZE, MAGENTA, DIAL);
        mark = mark_Make(MARK);
        strip = strip_Make();
        g = wheel_Create(d.dlg, ID_WHEEL, flags, label, scale, dial, NULL,
                         -1, (int)MAGENTA, mark, NULL, 0, 0, strip,
                         &LIT_PART, -1, (int)MAGENTA);
        d.notes();
        return g;
    }
    void press(Aim a) const { d.press(ID_WHEEL, cx + a.dx, cy + a.dy); }
    void move(Aim a) const { d.move(ID_WHEEL, cx + a.dx, cy + a.dy); }
    void release(Aim a) const { d.release(ID_WHEEL, cx + a.dx, cy + a.dy); }
    void wheel(Aim a, int delta) const
    {
        d.wheel(ID_WHEEL, cx + a.dx, cy + a.dy, delta);
    }
    /* The wheel painted over BACK. */
    void shot(Canvas &cv) const { d.shot(ID_WHEEL, cv); }
    std::string label() const
    {
        char s[128];
        GetWindowTextA(d.ctl(ID_LABEL), s, sizeof s);
        return s;
    }
};

/* The mark's box when its centre is (x, y). */
RECT mark_Box(int x, int y)
{
    RECT r = {x - MARK_SIZE / 2, y - MARK_SIZE / 2, 0, 0};
    r.right = r.left + MARK_SIZE;
    r.bottom = r.top + MARK_SIZE;
    return r;
}

/* Is colour c exactly the mark's box at (x, y), less its key pixel? */
void expect_Mark(const Canvas &cv, int x, int y, COLORREF c,
                 const std::string &row)
{
    RECT box = mark_Box(x, y);
    RECT all = {0, 0, cv.w, cv.h};
    EXPECT_EQ(MARK_SIZE * MARK_SIZE - 1, cv.count(box, c))
        << "row " << row << ": the mark's box at " << x << ", " << y;
    EXPECT_EQ(MARK_SIZE * MARK_SIZE - 1, cv.count(all, c))
        << "row " << row << ": that colour nowhere else";
    EXPECT_NE(c, cv.at(box.left, box.top))
        << "row " << row << ": the key pixel shows what is under it";
}

}  // namespace

/* A fresh wheel: its kind, state and cursor, the caption moved into the
 * label, the range -120 to 120 at 0, whole bitmaps consumed and parts
 * kept; the dial drawn centred through its mask. */
TEST(KnobkitWheel, Create)
{
    WheelDialog w("%d deg");
    ASSERT_TRUE(w.make(0) != NULL);
    Gadget *g = w.g;
    EXPECT_EQ((uint32_t)GAD_WHEEL, g->kind);
    EXPECT_EQ(GS_CAPTURE | GS_CURSOR,
              g->state & (GS_CAPTURE | GS_CURSOR | GS_CURSORDOWN));
    EXPECT_EQ((HCURSOR)dlg_GetDefObject(DEF_CURSORTURN), g->hCursor);
    EXPECT_STREQ("%d deg", g->text);
    char s[32];
    GetWindowTextA(w.d.ctl(ID_WHEEL), s, sizeof s);
    EXPECT_STREQ("", s);
    EXPECT_TRUE(g->ClickProc == NULL);
    EXPECT_TRUE(g->HitProc != NULL && g->HitProc == g->KnobHitProc);
    EXPECT_EQ(0, wheel_GetPos(g));
    EXPECT_FALSE(kk_Alive(w.dial)) << "the dial given whole is consumed";
    EXPECT_FALSE(kk_Alive(w.mark)) << "the mark given whole is consumed";
    EXPECT_TRUE(kk_Alive(w.strip)) << "the lit mark's source part is kept";

    wheel_SetPercent(g, 0);
    EXPECT_EQ(-120, wheel_GetPos(g)) << "min";
    wheel_SetPercent(g, 100);
    EXPECT_EQ(120, wheel_GetPos(g)) << "max";
    EXPECT_NOTES(w.d, std::vector<std::string>{}, "the setters");

    wheel_SetPos(g, 45);   /* the mark away from the edges looked at */
    gad_SetText(g, "");
    Canvas cv(w.cw, w.ch, BACK);
    w.shot(cv);
    int left = w.cw / 2 - DIAL_SIZE / 2, top = w.ch / 2 - DIAL_SIZE / 2;
    EXPECT_EQ(DIAL, cv.at(w.cx, w.cy)) << "the dial's centre";
    EXPECT_EQ(DIAL, cv.at(left, w.cy)) << "its left edge";
    EXPECT_EQ(DIAL, cv.at(left + DIAL_SIZE - 1, w.cy)) << "its right edge";
    EXPECT_EQ(BACK, cv.at(left - 1, w.cy)) << "left of it";
    EXPECT_EQ(BACK, cv.at(left + DIAL_SIZE, w.cy)) << "right of it";
    EXPECT_EQ(DIAL, cv.at(w.cx, top)) << "its top edge";
    EXPECT_EQ(BACK, cv.at(w.cx, top - 1)) << "above it";
    EXPECT_EQ(BACK, cv.at(left + 2, top + 2)) << "the disc's corner";
}

/* No such control: no gadget, and the bitmaps handed over whole go all
 * the same (the caller let them go); a part's source stays. */
TEST(KnobkitWheel, CreateWithoutControl)
{
    WheelDialog w;
    HBITMAP dial = kk_Disc(DIAL_SIZE, DIAL_SIZE, MAGENTA, DIAL);
    HBITMAP mark = mark_Make(MARK);
    HBITMAP strip = strip_Make();
    EXPECT_TRUE(wheel_Create(w.d.dlg, 999, 0, -1, 1.0f, dial, NULL, -1,
                             (int)MAGENTA, mark, NULL, 0, 0, strip,
                             &LIT_PART, -1, (int)MAGENTA) == NULL);
    EXPECT_FALSE(kk_Alive(dial));
    EXPECT_FALSE(kk_Alive(mark));
    EXPECT_TRUE(kk_Alive(strip));
    DeleteObject(strip);
    EXPECT_EQ(0, wheel_GetPos(NULL));
    wheel_SetPos(NULL, 5);
    wheel_Modify(NULL, 1, 2, 3);
    wheel_SetPercent(NULL, 50);
}

struct PressCase {
    const char *name;
    uint32_t flags;
    int from;          /* pos before the press */
    Aim at;
    int want;          /* pos after it */
};

/* The press alone, in each mode: the pointer's angle becomes the value
 * (endless, absolute) or the value turns toward it by the shorter way
 * from pos mod 360 (relative).  A note only when the value changed. */
TEST(KnobkitWheel, PressByTable)
{
    const PressCase cases[] = {
        {"endless: the centre reads angle 0, one less is -1",
         WHEEL_ENDLESS, 0, CENTRE, -1},
        {"endless: three o'clock gives 89", WHEEL_ENDLESS, 0, EAST, 89},
        {"endless: six o'clock 179", WHEEL_ENDLESS, 0, SOUTH, 179},
        {"endless: nine o'clock 269", WHEEL_ENDLESS, 0, WEST, 269},
        {"endless: twelve o'clock 359", WHEEL_ENDLESS, 0, NORTH, 359},
        {"endless: not clamped to the range", WHEEL_ENDLESS, 300, AT100,
         99},
        {"absolute: straight above gives -1", WHEEL_ABSOLUTE, 0, NORTH, -1},
        {"absolute: nine o'clock -91", WHEEL_ABSOLUTE, 0, WEST, -91},
        {"absolute: three o'clock 89", WHEEL_ABSOLUTE, 0, EAST, 89},
        {"absolute: six o'clock 179, clamped to 120", WHEEL_ABSOLUTE, 0,
         SOUTH, 120},
        {"absolute: the centre reads 0, like twelve o'clock",
         WHEEL_ABSOLUTE, 50, CENTRE, -1},
        {"relative: six o'clock from 0 is 180, clamped to 120", 0, 0,
         SOUTH, 120},
        {"relative: nine o'clock from 0 is -90", 0, 0, WEST, -90},
        {"relative: three o'clock from 0 is 90", 0, 0, EAST, 90},
        {"relative: twelve o'clock from 0 changes nothing", 0, 0, NORTH, 0},
        {"relative: at 100 from 100 changes nothing", 0, 100, AT100, 100},
        {"relative: the centre (0) from -100 (260) turns 100 to 0", 0, -100,
         CENTRE, 0},
        {"relative: from -300 (60) nine o'clock is -150 away: -120", 0,
         -300, WEST, -120},
        {"relative: from 420 (60) three o'clock is 30 away: 120", 0, 420,
         EAST, 120},
    };
    for (const PressCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(c.flags) != NULL) << "row " << c.name;
        wheel_SetPos(w.g, c.from);
        w.press(c.at);
        EXPECT_EQ(c.want, wheel_GetPos(w.g)) << "row " << c.name;
        EXPECT_TRUE(w.d.tracking()) << "row " << c.name;
        EXPECT_TRUE(w.g->flags & WHEEL_HELD) << "row " << c.name;
        EXPECT_EQ(w.d.ctl(ID_WHEEL), GetFocus()) << "row " << c.name;
        std::vector<std::string> want;
        if (c.want != c.from)
            want.push_back(note(c.want));
        EXPECT_NOTES(w.d, want, c.name);
        w.release(c.at);
    }
}

struct TurnStep {
    char op;           /* 'p'ress, 'm'ove, 'r'elease, 'l'ost capture */
    Aim at;
};

struct TurnCase {
    const char *name;
    uint32_t flags;
    int from;
    std::vector<TurnStep> steps;
    std::vector<int> notes;   /* the values told, in order */
    int want;
};

/* Press, turn and let go: each step's notes taken before the next, so
 * each carries the value of its own change. */
TEST(KnobkitWheel, TurnByTable)
{
    const TurnCase cases[] = {
        {"relative, clockwise from 100: holds at 120 up to 299, wraps at "
         "300 (to -60), turning back moves it again",
         0, 100,
         {{'p', AT100}, {'m', SOUTH}, {'m', WEST}, {'m', AT299},
          {'m', AT300}, {'m', WEST}, {'r', WEST}},
         {120, -60, -90}, -90},
        {"relative, counter-clockwise from -100: holds at -120 up to -299, "
         "wraps at -300 (to 60), turning back moves it again",
         0, -100,
         {{'p', AT260}, {'m', SOUTH}, {'m', EAST}, {'m', AT61},
          {'m', AT60}, {'m', EAST}, {'r', EAST}},
         {-120, 60, 90}, 90},
        {"relative, turning back before the wrap leaves the end once the "
         "pointer is back under it",
         0, 100,
         {{'p', AT100}, {'m', SOUTH}, {'m', WEST}, {'m', SOUTH},
          {'m', AT100}, {'r', AT100}},
         {120, 100}, 100},
        {"relative, small turns follow the pointer", 0, 0,
         {{'p', NORTH}, {'m', EAST}, {'m', NORTH}, {'m', WEST},
          {'r', WEST}},
         {90, 0, -90}, -90},
        {"endless, the value is the pointer's angle less one", WHEEL_ENDLESS,
         0,
         {{'p', EAST}, {'m', SOUTH}, {'m', NORTH}, {'m', AT300},
          {'l', AT300}},
         {89, 179, 359, 299}, 299},
        {"absolute, the angle on either side, clamped", WHEEL_ABSOLUTE, 0,
         {{'p', EAST}, {'m', SOUTH}, {'m', WEST}, {'m', NORTH},
          {'m', AT299}, {'r', AT299}},
         {89, 120, -91, -1, -62}, -62},
        {"moves after the release change nothing", 0, 0,
         {{'p', EAST}, {'r', EAST}, {'m', WEST}, {'m', SOUTH}},
         {90}, 90},
        {"moves after a lost capture change nothing", 0, 0,
         {{'p', EAST}, {'l', EAST}, {'m', WEST}}, {90}, 90},
    };
    for (const TurnCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(c.flags) != NULL) << "row " << c.name;
        wheel_SetPos(w.g, c.from);
        std::vector<std::string> seen;
        for (const TurnStep &s : c.steps) {
            switch (s.op) {
            case 'p': w.press(s.at); break;
            case 'm': w.move(s.at); break;
            case 'r': w.release(s.at); break;
            case 'l': w.d.lose(); break;
            }
            for (const std::string &n : w.d.notes())
                seen.push_back(n);
        }
        EXPECT_LINES(seen, notes_Of(c.notes), c.name);
        EXPECT_EQ(c.want, wheel_GetPos(w.g)) << "row " << c.name;
        EXPECT_FALSE(w.d.tracking()) << "row " << c.name;
        EXPECT_FALSE(w.g->flags & (WHEEL_HELD | WHEEL_BLINK))
            << "row " << c.name;
    }
}

struct WheelCase {
    const char *name;
    uint32_t flags;
    int min, max, from;
    int delta;          /* 120 a notch, positive away from the user */
    int want;
};

/* The mouse wheel: endless steps 10 degrees a notch and wraps; otherwise
 * a notch is one per cent of the range, by the single-precision
 * hundredth.  A note only when the value changed. */
TEST(KnobkitWheel, MouseWheelByTable)
{
    const WheelCase cases[] = {
        {"endless: a notch toward the user from 5 gives 355", WHEEL_ENDLESS,
         -120, 120, 5, -120, 355},
        {"endless: a notch away from 355 gives 5", WHEEL_ENDLESS, -120, 120,
         355, 120, 5},
        {"endless: three notches away from 0 give 30", WHEEL_ENDLESS, -120,
         120, 0, 360, 30},
        {"endless: from -1 a notch away gives 9", WHEEL_ENDLESS, -120, 120,
         -1, 120, 9},
        {"endless: from 725 two notches toward give 345", WHEEL_ENDLESS,
         -120, 120, 725, -240, 345},
        {"endless: under a notch, 5 stays", WHEEL_ENDLESS, -120, 120, 5, 60,
         5},
        {"-120..120 at 0, a notch away: 51 % is 122.4, so 2", 0, -120, 120,
         0, 120, 2},
        {"-120..120 at 0, a notch toward: 49 % is 117.6, so -2", 0, -120,
         120, 0, -120, -2},
        {"-120..120 at 119, a notch away ends at 100 %: 120", 0, -120, 120,
         119, 120, 120},
        {"-120..120 at 120, a notch away stays", 0, -120, 120, 120, 120,
         120},
        {"-120..120 at -120, ten notches toward stay", 0, -120, 120, -120,
         -1200, -120},
        {"0..10 at 2, five notches: 25 % is 2.5 by the hundredth, "
         "truncated: 2 stays",
         0, 0, 10, 2, 600, 2},
        {"0..10 at 2, six notches: 26 % gives 3", 0, 0, 10, 2, 720, 3},
        {"absolute turns by the per cent too", WHEEL_ABSOLUTE, -120, 120, 0,
         120, 2},
        {"an empty range 5..5 at 5 stays", 0, 5, 5, 5, 120, 5},
        {"an empty range 5..5 at 9 goes to its one value", 0, 5, 5, 9, -120,
         5},
    };
    for (const WheelCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(c.flags) != NULL) << "row " << c.name;
        wheel_Modify(w.g, c.min, c.max, c.from);
        w.wheel(CENTRE, c.delta);
        EXPECT_EQ(c.want, wheel_GetPos(w.g)) << "row " << c.name;
        std::vector<std::string> want;
        if (c.want != c.from)
            want.push_back(note(c.want));
        EXPECT_NOTES(w.d, want, c.name);
    }
}

struct ReachCase {
    const char *name;
    bool disabled;
    bool onDial;       /* else the control's transparent corner */
    bool press;        /* else a wheel notch away */
    bool tracked;
    std::vector<int> notes;
};

/* What the dial's pixels take: a press or a wheel turn over the dial,
 * disabled or not, and over the corner the dial leaves transparent. */
TEST(KnobkitWheel, ReachByTable)
{
    const ReachCase cases[] = {
        {"a press on the dial", false, true, true, true, {90}},
        {"a press on the corner misses", false, false, true, false, {}},
        {"a press on a disabled wheel does nothing", true, true, true, false,
         {}},
        {"the wheel over the dial", false, true, false, false, {2}},
        {"the wheel reaches a disabled wheel", true, true, false, false,
         {2}},
        {"the wheel over the corner misses", false, false, false, false, {}},
    };
    for (const ReachCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(0) != NULL) << "row " << c.name;
        if (c.disabled)
            gad_Enable(w.g, FALSE);
        /* three o'clock on the dial, or just inside the control's
         * corner, outside the disc */
        int x = c.onDial ? w.cx + EAST.dx : w.cw / 2 - DIAL_SIZE / 2 + 3;
        int y = c.onDial ? w.cy : w.ch / 2 - DIAL_SIZE / 2 + 3;
        if (c.press)
            w.d.press(ID_WHEEL, x, y);
        else
            w.d.wheel(ID_WHEEL, x, y, 120);
        EXPECT_EQ(c.tracked, w.d.tracking()) << "row " << c.name;
        EXPECT_NOTES(w.d, notes_Of(c.notes), c.name);
        w.d.release(ID_WHEEL, x, y);
    }
}

/* The client's functions change the value without a note; Modify and
 * SetPos store what they are given, unclamped. */
TEST(KnobkitWheel, SettersNeverNotify)
{
    WheelDialog w;
    ASSERT_TRUE(w.make(0) != NULL);
    wheel_SetPos(w.g, 500);
    EXPECT_EQ(500, wheel_GetPos(w.g)) << "SetPos, unclamped";
    wheel_Modify(w.g, 10, 20, -7);
    EXPECT_EQ(-7, wheel_GetPos(w.g)) << "Modify, unclamped";
    wheel_SetPercent(w.g, 50);
    EXPECT_EQ(15, wheel_GetPos(w.g)) << "SetPercent on the new range";
    wheel_SetPercent(w.g, 0);
    EXPECT_EQ(10, wheel_GetPos(w.g)) << "SetPercent 0 on the new range";
    EXPECT_NOTES(w.d, std::vector<std::string>{}, "setters");
}

struct PercentCase {
    const char *name;
    int min, max, percent, want;
};

/* wheel_SetPercent: min + nearest(range x percent x the single-precision
 * hundredth), clamped to 0..100, the ends exact whatever the range. */
TEST(KnobkitWheel, SetPercentByTable)
{
    const PercentCase cases[] = {
        {"-120..120, 0 % is min", -120, 120, 0, -120},
        {"-120..120, 100 % is max", -120, 120, 100, 120},
        {"-120..120, 50 %: 119.99999 + 0.5, so 0", -120, 120, 50, 0},
        {"-120..120, below 0 % clamps to min", -120, 120, -5, -120},
        {"-120..120, above 100 % clamps to max", -120, 120, 250, 120},
        {"0..10, 25 % is 2.5 by the hundredth, truncated: 2", 0, 10, 25, 2},
        {"0..10, 35 % is 3.5 likewise: 3", 0, 10, 35, 3},
        {"0..200, 33 % gives 66", 0, 200, 33, 66},
        {"0..2000000000, 100 % is max, though the hundredth gives "
         "1999999960",
         0, 2000000000, 100, 2000000000},
        {"-1000000000..1000000000, 0 % is min", -1000000000, 1000000000, 0,
         -1000000000},
        {"reversed 100..0, 0 % is the first bound", 100, 0, 0, 100},
        {"reversed 100..0, 100 % is the second", 100, 0, 100, 0},
        {"empty 7..7 at any per cent is 7", 7, 7, 40, 7},
    };
    for (const PercentCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(0) != NULL) << "row " << c.name;
        wheel_Modify(w.g, c.min, c.max, 12345);
        wheel_SetPercent(w.g, c.percent);
        EXPECT_EQ(c.want, wheel_GetPos(w.g)) << "row " << c.name;
        EXPECT_NOTES(w.d, std::vector<std::string>{}, c.name);
    }
}

struct PlaceCase {
    const char *name;
    float scale;
    int pos;
    int dx, dy;        /* the mark's centre from the dial's */
};

/* Where the mark sits: on a circle of nearest((75 - 4) x radiusScale)
 * around the dial's centre, at the value's angle. */
TEST(KnobkitWheel, MarkPlaceByTable)
{
    const PlaceCase cases[] = {
        {"0.6, at 0: 43 up", 0.6f, 0, 0, -43},
        {"0.6, at 90: 43 right", 0.6f, 90, 43, 0},
        {"0.6, at 180: 43 down", 0.6f, 180, 0, 43},
        {"0.6, at 270: 43 left", 0.6f, 270, -43, 0},
        {"0.6, at -90: 43 left", 0.6f, -90, -43, 0},
        {"0.6, at 45: 30.4 right and up", 0.6f, 45, 30, -30},
        {"0.6, at 200: 14.7 left, 40.4 down", 0.6f, 200, -15, 40},
        {"1.0, at 0: 71 up", 1.0f, 0, 0, -71},
        {"1.0, at 100: 69.9 right, 12.3 down", 1.0f, 100, 70, 12},
    };
    for (const PlaceCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(0, c.scale) != NULL) << "row " << c.name;
        wheel_SetPos(w.g, c.pos);
        Canvas cv(w.cw, w.ch, BACK);
        w.shot(cv);
        expect_Mark(cv, w.cx + c.dx, w.cy + c.dy, MARK, c.name);
        RECT all = {0, 0, cv.w, cv.h};
        EXPECT_EQ(0, cv.count(all, LIT)) << "row " << c.name;
    }
}

struct BlinkCase {
    const char *name;
    bool lose;         /* the capture lost instead of the button going up */
};

/* While held the mark blinks on every tick between its two pictures;
 * after the release it shows the normal one, the timer stopped. */
TEST(KnobkitWheel, BlinkByTable)
{
    const BlinkCase cases[] = {
        {"released", false},
        {"capture lost", true},
    };
    for (const BlinkCase &c : cases) {
        WheelDialog w;
        ASSERT_TRUE(w.make(0, 0.6f) != NULL) << "row " << c.name;
        const int mx = w.cx, my = w.cy - 43;    /* the mark at 0 */
        Canvas before(w.cw, w.ch, BACK);
        w.shot(before);
        expect_Mark(before, mx, my, MARK, std::string(c.name) + ", idle");

        w.press(NORTH);
        ASSERT_TRUE(w.d.tracking()) << "row " << c.name;
        const COLORREF want[] = {MARK, LIT, MARK, LIT};
        for (int tick = 0; tick < 4; tick++) {
            Canvas cv(w.cw, w.ch, BACK);
            w.shot(cv);
            expect_Mark(cv, mx, my, want[tick],
                        std::string(c.name) + ", after " +
                            std::to_string(tick) + " ticks");
            EXPECT_EQ(want[tick] == LIT, (w.g->flags & WHEEL_BLINK) != 0)
                << "row " << c.name << ", tick " << tick;
            if (tick < 3)
                w.d.tick();
        }
        ASSERT_TRUE(w.g->flags & WHEEL_BLINK) << "row " << c.name;
        /* The dialog's own timer runs: a real tick arrives. */
        MSG m;
        bool ticked = false;
        for (int i = 0; i < 100 && !ticked; i++) {
            ticked = PeekMessageA(&m, w.d.dlg, WM_TIMER, WM_TIMER,
                                  PM_NOREMOVE) && m.wParam == GAD_TIMER;
            if (!ticked)
                Sleep(20);
        }
        EXPECT_TRUE(ticked) << "row " << c.name << ": the 200 ms timer";

        /* Released while lit. */
        if (c.lose)
            w.d.lose();
        else
            w.release(NORTH);
        EXPECT_FALSE(w.g->flags & (WHEEL_HELD | WHEEL_BLINK))
            << "row " << c.name;
        Canvas after(w.cw, w.ch, BACK);
        w.shot(after);
        expect_Mark(after, mx, my, MARK, std::string(c.name) + ", after");
        while (PeekMessageA(&m, w.d.dlg, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        }
        Sleep(450);
        EXPECT_FALSE(PeekMessageA(&m, w.d.dlg, WM_TIMER, WM_TIMER,
                                  PM_NOREMOVE))
            << "row " << c.name << ": the timer stopped";
        EXPECT_NOTES(w.d, std::vector<std::string>{}, c.name);
    }
}

/* The bounding box of colour c on the canvas; empty when there is none. */
static RECT colour_Box(const Canvas &cv, COLORREF c)
{
    RECT r = {cv.w, cv.h, -1, -1};
    for (int y = 0; y < cv.h; y++)
        for (int x = 0; x < cv.w; x++)
            if (cv.at(x, y) == c) {
                r.left = x < r.left ? x : r.left;
                r.top = y < r.top ? y : r.top;
                r.right = x + 1 > r.right ? x + 1 : r.right;
                r.bottom = y + 1 > r.bottom ? y + 1 : r.bottom;
            }
    return r;
}

/* The value text over the dial: in the text colour when enabled; when
 * disabled engraved, white centred in the area less 2 pixels at the left
 * and top (so a pixel lower right) under the grey text. */
TEST(KnobkitWheel, ValueText)
{
    WheelDialog w("%d");
    ASSERT_TRUE(w.make(0) != NULL);
    wheel_SetPos(w.g, 88);
    const COLORREF ink = RGB(250, 250, 0);
    w.g->textColor = ink;
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    RECT all = {0, 0, w.cw, w.ch};

    Canvas on(w.cw, w.ch, BACK);
    w.shot(on);
    RECT box = colour_Box(on, ink);
    EXPECT_GT(on.count(all, ink), 10) << "enabled: the text in its colour";
    EXPECT_TRUE(box.left > w.cx - 20 && box.right < w.cx + 20 &&
                box.top > w.cy - 15 && box.bottom < w.cy + 15)
        << "enabled: the text in the middle";
    EXPECT_EQ(0, on.count(all, RGB(255, 255, 255))) << "enabled: no white";

    gad_Enable(w.g, FALSE);
    Canvas off(w.cw, w.ch, BACK);
    w.shot(off);
    EXPECT_EQ(0, off.count(all, ink)) << "disabled: no text colour";
    RECT white = colour_Box(off, RGB(255, 255, 255));
    RECT gray = colour_Box(off, grey);
    EXPECT_GT(off.count(all, grey), 10) << "disabled: grey text";
    EXPECT_GT(off.count(all, RGB(255, 255, 255)), 0) << "disabled: white";
    EXPECT_EQ(gray.right + 1, white.right) << "the white a pixel right";
    EXPECT_EQ(gray.bottom + 1, white.bottom) << "the white a pixel lower";
    EXPECT_TRUE(EqualRect(&gray, &box)) << "the grey where the text was";
}

struct LabelCase {
    const char *name;
    uint32_t flags;
    const char *caption;
    const char *pressed;  /* after a press at six o'clock: 120, 100 % */
    const char *low;      /* after wheel_SetPos -120: 0 % */
};

/* The companion label shows the value (or the percentage) after every
 * change, by the caption and the label flags. */
TEST(KnobkitWheel, CompanionLabelByTable)
{
    const LabelCase cases[] = {
        {"no caption: the value", 0, "", "120", "-120"},
        {"no caption, VT_PERCENT: the percentage", VT_PERCENT, "", "100%",
         "0%"},
        {"a format without VT_LABELFORMAT: the built-in value", 0, "v %d",
         "120", "-120"},
        {"VT_LABELPERCENT: the built-in percentage", VT_LABELPERCENT,
         "v %d", "100%", "0%"},
        {"VT_LABELFORMAT: the caption as the format", VT_LABELFORMAT,
         "v %d", "v 120", "v -120"},
        {"VT_LABELFORMAT | VT_LABELPERCENT", VT_LABELFORMAT | VT_LABELPERCENT,
         "%d of 100", "100 of 100", "0 of 100"},
        {"a caption without %: as it is", 0, "turn", "turn", "turn"},
    };
    for (const LabelCase &c : cases) {
        WheelDialog w(c.caption);
        ASSERT_TRUE(w.make(c.flags, 1.0f, ID_LABEL) != NULL)
            << "row " << c.name;
        w.press(SOUTH);
        EXPECT_EQ(std::string(c.pressed), w.label())
            << "row " << c.name << ", pressed";
        w.release(SOUTH);
        wheel_SetPos(w.g, -120);
        EXPECT_EQ(std::string(c.low), w.label())
            << "row " << c.name << ", set to -120";
    }
}
