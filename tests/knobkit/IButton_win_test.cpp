/* IButton_win_test.cpp -- the image button under Wine, driven through a
 * dialog as the system drives it: presses, moves, releases, lost captures
 * and timer ticks by table, with the notifications each sequence posts
 * (and the value the handler was given) compared whole; its painting read
 * back pixel by pixel; what becomes of the bitmaps it is handed. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_BTN = 401, ID_MISSING = 499 };

const COLORREF KEY = RGB(255, 0, 255);
const COLORREF KEY2 = RGB(0, 255, 255);
const COLORREF BACK = RGB(1, 2, 3);
const COLORREF NORMAL = RGB(0, 100, 0);
const COLORREF PRESSED = RGB(0, 0, 160);
const COLORREF ICON = RGB(250, 200, 0);
const COLORREF TEXT = RGB(200, 0, 0);
const COLORREF WHITE = RGB(255, 255, 255);

HBITMAP solid(int w, int h, COLORREF c)
{
    return kk_Picture(w, h, [&](HDC dc) { rect_Fill(dc, 0, 0, w, h, c); });
}

/* A solid picture with a notch of the key colour, 3 x 3 at its top-left,
 * so that drawing through the mask shows. */
HBITMAP notched(int w, int h, COLORREF c)
{
    return kk_Picture(w, h, [&](HDC dc) {
        rect_Fill(dc, 0, 0, w, h, c);
        rect_Fill(dc, 0, 0, 3, 3, KEY);
    });
}

/* The dialog with one control made exactly w x h pixels, captioned. */
bool open(GadgetDialog &d, int w, int h, const char *caption = "")
{
    d.control(ID_BTN, 10, 10, 80, 40, caption);
    if (!d.start())
        return false;
    SetWindowPos(d.ctl(ID_BTN), NULL, 0, 0, w, h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT c = d.client(ID_BTN);
    return c.right == w && c.bottom == h;
}

/* Whole bitmaps, keyed by the colour KEY. */
Gadget *make(GadgetDialog &d, uint32_t flags, HBITMAP normal,
             HBITMAP pressed = NULL, HBITMAP icon = NULL)
{
    return ibtn_Create(d.dlg, ID_BTN, flags, normal, NULL, -1, (int)KEY,
                       pressed, NULL, icon, NULL, -1, (int)KEY);
}

/* Does a press at (x, y) take the button?  The capture is taken away
 * again, which leaves it up without a notification. */
bool takes(GadgetDialog &d, int x, int y)
{
    d.press(ID_BTN, x, y);
    bool t = d.tracking();
    if (t)
        d.lose();
    else
        d.release(ID_BTN, x, y);
    return t;
}

/* The control's painting over BACK. */
void shoot(const GadgetDialog &d, Canvas &cv)
{
    rect_Fill(cv.dc, 0, 0, cv.w, cv.h, BACK);
    d.shot(ID_BTN, cv);
}

/* What the control shows on the screen at (x, y). */
COLORREF on_Screen(const GadgetDialog &d, int x, int y)
{
    HDC dc = GetDC(d.ctl(ID_BTN));
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(d.ctl(ID_BTN), dc);
    return c;
}

/* ---- Mouse sequences ----
 * The standard button: a 60 x 30 control, the normal picture a disc of
 * 40 x 20 on the key colour, so drawn from (10, 5); its centre is
 * opaque, the corners of its square are transparent. */
const int BW = 60, BH = 30;
const POINT ON = {30, 15}, CORNER = {11, 6}, OFF = {-40, 60};

/* One step: p press, m move, r release, l capture lost, t x ticks of
 * GAD_TIMER, c the real cursor to (x, y) of the control, n the
 * notifications so far are handled and taken, then a "--" line.  down
 * and tracked are what must hold after the step (-1: anything). */
struct Step {
    char op;
    POINT at;
    int down, tracked;
};

struct SeqCase {
    const char *name;
    uint32_t flags;
    std::vector<Step> steps;
    std::vector<std::string> want;
};

const std::string UP = "GM_IBUTTON 401 0", DOWN = "GM_IBUTTON 401 1",
                  TAKEN = "--";

std::vector<std::string> times(int n, const std::string &s)
{
    return std::vector<std::string>(n, s);
}

std::vector<std::string> operator+(std::vector<std::string> a,
                                   const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/* Runs one step; false when the real cursor could not be put there. */
bool step_Run(const GadgetDialog &d, const Step &s,
              std::vector<std::string> &seen)
{
    switch (s.op) {
    case 'p': d.press(ID_BTN, s.at.x, s.at.y); break;
    case 'm': d.move(ID_BTN, s.at.x, s.at.y); break;
    case 'r': d.release(ID_BTN, s.at.x, s.at.y); break;
    case 'l': d.lose(); break;
    case 't': d.tick(s.at.x); break;
    case 'n':
        seen = seen + d.notes();
        seen.push_back(TAKEN);
        break;
    case 'c': {
        POINT p = s.at, got;
        ClientToScreen(d.ctl(ID_BTN), &p);
        SetCursorPos(p.x, p.y);
        return GetCursorPos(&got) && got.x == p.x && got.y == p.y;
    }
    }
    return true;
}

}  // namespace

/* Presses, drags, releases, lost captures and ticks, for plain, toggle
 * and auto-repeat buttons: the notifications and their values in order
 * ("--" where a step handled those so far), the state and the tracking
 * after every step. */
TEST(KnobkitIButton, MouseSequencesByTable)
{
    const POINT none = {0, 0};
    const SeqCase cases[] = {
        {"plain, transparent pixel: nothing", 0,
         {{'p', CORNER, 0, 0}, {'r', CORNER, 0, 0}}, {}},
        {"toggle, transparent pixel: nothing", IBTN_TOGGLE,
         {{'p', CORNER, 0, 0}, {'r', CORNER, 0, 0}}, {}},
        {"repeat, transparent pixel: nothing", IBTN_REPEAT,
         {{'c', CORNER, -1, -1}, {'p', CORNER, 0, 0}, {'t', {10, 0}, 0, 0},
          {'r', CORNER, 0, 0}}, {}},
        {"plain, released over an opaque pixel: one", 0,
         {{'p', ON, 1, 1}, {'r', ON, 0, 0}}, {UP}},
        {"plain, held and moved over it: one, at the release", 0,
         {{'p', ON, 1, 1}, {'n', none, 1, 1}, {'m', {25, 12}, 1, 1},
          {'n', none, 1, 1}, {'r', {25, 12}, 0, 0}},
         {TAKEN, TAKEN, UP}},
        {"plain, dragged off, released off: nothing", 0,
         {{'p', ON, 1, 1}, {'m', OFF, 0, 1}, {'r', OFF, 0, 0}}, {}},
        {"plain, dragged off and back on, released on: one", 0,
         {{'p', ON, 1, 1}, {'m', OFF, 0, 1}, {'m', ON, 1, 1},
          {'r', ON, 0, 0}}, {UP}},
        {"plain, released on a transparent pixel inside: nothing", 0,
         {{'p', ON, 1, 1}, {'m', CORNER, 0, 1}, {'r', CORNER, 0, 0}}, {}},
        {"plain, released off without a move: nothing", 0,
         {{'p', ON, 1, 1}, {'r', OFF, 0, 0}}, {}},
        {"plain, capture lost: up without a notification", 0,
         {{'p', ON, 1, 1}, {'l', none, 0, 0}, {'r', ON, 0, 0}}, {}},
        {"plain, stray GAD_TIMER ticks do not repeat", 0,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'t', {20, 0}, 1, 1},
          {'r', ON, 0, 0}}, {UP}},
        {"toggle alternates 1, 0, 1, never tracked", IBTN_TOGGLE,
         {{'p', ON, 1, 0}, {'n', none, 1, 0}, {'r', ON, 1, 0},
          {'p', ON, 0, 0}, {'n', none, 0, 0}, {'r', ON, 0, 0},
          {'p', ON, 1, 0}, {'n', none, 1, 0}, {'r', ON, 1, 0}},
         {DOWN, TAKEN, UP, TAKEN, DOWN, TAKEN}},
        {"toggle with IBTN_REPEAT: still a toggle", IBTN_TOGGLE | IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 0}, {'t', {10, 0}, 1, 0},
          {'n', none, 1, 0}},
         {DOWN, TAKEN}},
        {"repeat, held still 20 ticks: the press, then ticks 5 to 20",
         IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'n', none, 1, 1},
          {'t', {4, 0}, 1, 1}, {'n', none, 1, 1}, {'t', {1, 0}, 1, 1},
          {'n', none, 1, 1}, {'t', {15, 0}, 1, 1}, {'n', none, 1, 1},
          {'r', ON, 0, 0}, {'n', none, 0, 0}},
         std::vector<std::string>{DOWN, TAKEN, TAKEN, DOWN, TAKEN} +
             times(15, DOWN) + std::vector<std::string>{TAKEN, TAKEN}},
        {"repeat pauses while the pointer is off the button", IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'t', {5, 0}, 1, 1},
          {'n', none, 1, 1}, {'c', {BW + 5, 5}, -1, -1},
          {'t', {3, 0}, 1, 1}, {'c', CORNER, -1, -1}, {'t', {2, 0}, 1, 1},
          {'n', none, 1, 1}, {'c', ON, -1, -1}, {'t', {2, 0}, 1, 1},
          {'n', none, 1, 1}, {'r', ON, 0, 0}},
         {DOWN, DOWN, TAKEN, TAKEN, DOWN, DOWN, TAKEN}},
        {"repeat, dragged off and released off: the press only",
         IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'n', none, 1, 1},
          {'m', OFF, 0, 1}, {'r', OFF, 0, 0}},
         {DOWN, TAKEN}},
        {"repeat, capture lost: the press only", IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'t', {3, 0}, 1, 1},
          {'n', none, 1, 1}, {'l', none, 0, 0}, {'t', {5, 0}, 0, 0}},
         {DOWN, TAKEN}},
        {"repeat, a second press counts its ticks afresh", IBTN_REPEAT,
         {{'c', ON, -1, -1}, {'p', ON, 1, 1}, {'t', {6, 0}, 1, 1},
          {'r', ON, 0, 0}, {'p', ON, 1, 1}, {'t', {4, 0}, 1, 1},
          {'n', none, 1, 1}, {'r', ON, 0, 0}},
         {DOWN, DOWN, DOWN, DOWN, TAKEN}},
    };
    for (const SeqCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, BW, BH)) << "row " << c.name;
        Gadget *g = make(d, c.flags, kk_Disc(40, 20, KEY, NORMAL));
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        d.notes();
        std::vector<std::string> seen;
        for (size_t i = 0; i < c.steps.size(); i++) {
            const Step &s = c.steps[i];
            ASSERT_TRUE(step_Run(d, s, seen))
                << "row " << c.name << ": the cursor cannot be placed";
            if (s.down >= 0) {
                EXPECT_EQ((uint32_t)s.down, ibtn_GetState(g))
                    << "row " << c.name << ", step " << i << " " << s.op;
            }
            if (s.tracked >= 0) {
                EXPECT_EQ(s.tracked != 0, d.tracking())
                    << "row " << c.name << ", step " << i << " " << s.op;
            }
        }
        seen = seen + d.notes();
        EXPECT_LINES(seen, c.want, c.name);
    }
}

/* The auto-repeat runs on the dialog's own GAD_TIMER, set at the press
 * and gone after the release or a lost capture. */
TEST(KnobkitIButton, RepeatTimerLivesWhileHeld)
{
    struct {
        const char *name;
        bool lose;
    } cases[] = {{"released", false}, {"capture lost", true}};
    for (auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, BW, BH)) << "row " << c.name;
        ASSERT_TRUE(make(d, IBTN_REPEAT, kk_Disc(40, 20, KEY, NORMAL)))
            << "row " << c.name;
        MSG m;
        d.press(ID_BTN, ON.x, ON.y);
        Sleep(150);
        EXPECT_TRUE(PeekMessageA(&m, d.dlg, WM_TIMER, WM_TIMER, PM_REMOVE) &&
                    m.wParam == GAD_TIMER)
            << "row " << c.name << ": no tick while held";
        if (c.lose)
            d.lose();
        else
            d.release(ID_BTN, ON.x, ON.y);
        while (PeekMessageA(&m, d.dlg, WM_TIMER, WM_TIMER, PM_REMOVE))
            ;
        Sleep(150);
        EXPECT_FALSE(PeekMessageA(&m, d.dlg, WM_TIMER, WM_TIMER, PM_REMOVE))
            << "row " << c.name << ": the timer still runs";
    }
}

/* A press on a transparent pixel is not the button's: with dragging on,
 * it moves the window like a press on the background. */
TEST(KnobkitIButton, TransparentPixelFallsThroughToTheDialog)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, BW, BH));
    Gadget *g = make(d, 0, kk_Disc(40, 20, KEY, NORMAL));
    ASSERT_TRUE(g != NULL);
    dlg_EnableDrag(d.dlg, TRUE, FALSE);
    d.press(ID_BTN, CORNER.x, CORNER.y);
    EXPECT_TRUE(d.header()->dlgFlags & DF_DRAGGING) << "row corner";
    EXPECT_EQ(0u, ibtn_GetState(g)) << "row corner";
    d.release(ID_BTN, CORNER.x, CORNER.y);
    d.press(ID_BTN, ON.x, ON.y);
    EXPECT_FALSE(d.header()->dlgFlags & DF_DRAGGING) << "row centre";
    EXPECT_TRUE(d.tracking()) << "row centre";
    d.release(ID_BTN, ON.x, ON.y);
    EXPECT_NOTES(d, std::vector<std::string>{UP}, "centre");
}

namespace {

/* ---- Placement ---- */

struct PlaceCase {
    const char *name;
    int cw, ch, pw, ph;
};

}  // namespace

/* The normal picture sits at (client / 2 - size / 2) on each axis, and
 * the button takes presses exactly on the pixels drawn: every corner of
 * the picture inside the control, and none of the pixels beside them. */
TEST(KnobkitIButton, PlacementAndHitByTable)
{
    const PlaceCase cases[] = {
        {"even in even", 40, 30, 20, 10},
        {"odd in even", 40, 30, 21, 11},
        {"even in odd", 41, 31, 20, 10},
        {"odd in odd", 41, 31, 21, 11},
        {"as large as the control", 40, 30, 40, 30},
        {"larger than the control", 40, 30, 51, 41},
    };
    for (const PlaceCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, c.cw, c.ch)) << "row " << c.name;
        ASSERT_TRUE(make(d, 0, solid(c.pw, c.ph, NORMAL)))
            << "row " << c.name;
        int x0 = c.cw / 2 - c.pw / 2, y0 = c.ch / 2 - c.ph / 2;
        RECT pic = {x0, y0, x0 + c.pw, y0 + c.ph};
        Canvas cv(c.cw, c.ch);
        shoot(d, cv);
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                POINT p = {x, y};
                return PtInRect(&pic, p) ? NORMAL : BACK;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;

        RECT in = {0, 0, c.cw, c.ch};
        IntersectRect(&in, &in, &pic);
        const POINT hits[] = {{in.left, in.top},
                              {in.right - 1, in.top},
                              {in.left, in.bottom - 1},
                              {in.right - 1, in.bottom - 1}};
        for (const POINT &p : hits)
            EXPECT_TRUE(takes(d, p.x, p.y))
                << "row " << c.name << ", (" << p.x << ", " << p.y << ")";
        const POINT beside[] = {{pic.left - 1, pic.top},
                                {pic.left, pic.top - 1},
                                {pic.right, pic.bottom - 1},
                                {pic.right - 1, pic.bottom}};
        for (const POINT &p : beside) {
            if (p.x < 0 || p.y < 0 || p.x >= c.cw || p.y >= c.ch)
                continue;
            EXPECT_FALSE(takes(d, p.x, p.y))
                << "row " << c.name << ", (" << p.x << ", " << p.y << ")";
        }
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
}

namespace {

/* ---- Pictures by state ----
 * A 60 x 30 control; normal and pressed pictures 40 x 20 with a notch,
 * drawn from (10, 5); an icon of 8 x 6 drawn from (26, 12). */
struct LookCase {
    const char *name;
    uint32_t flags;
    bool pressed;        /* there is a pressed picture */
    uint32_t down;       /* given to ibtn_SetState */
    COLORREF picture;    /* the colour the picture shows */
    int shift;           /* of the icon */
};

}  // namespace

/* ibtn_SetState shows the picture of the state at once, shifts the icon
 * by a pixel unless IBTN_NOSHIFT, and notifies nobody; without a pressed
 * picture the normal one shows in both states. */
TEST(KnobkitIButton, PicturesByStateByTable)
{
    const LookCase cases[] = {
        {"up", 0, true, 0, NORMAL, 0},
        {"down", 0, true, 1, PRESSED, 1},
        {"down, IBTN_NOSHIFT", IBTN_NOSHIFT, true, 1, PRESSED, 0},
        {"any non-zero state is down", 0, true, 7, PRESSED, 1},
        {"no pressed picture, up", 0, false, 0, NORMAL, 0},
        {"no pressed picture, down", 0, false, 1, NORMAL, 1},
        {"toggle, set down", IBTN_TOGGLE, true, 1, PRESSED, 1},
    };
    for (const LookCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, BW, BH)) << "row " << c.name;
        Gadget *g = make(d, c.flags, notched(40, 20, NORMAL),
                         c.pressed ? notched(40, 20, PRESSED) : NULL,
                         solid(8, 6, ICON));
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        d.notes();
        /* From the other state, so the call has something to change. */
        ibtn_SetState(g, c.down ? 0 : 1);
        ibtn_SetState(g, c.down);
        EXPECT_EQ(c.down, ibtn_GetState(g)) << "row " << c.name;
        EXPECT_EQ(c.picture, on_Screen(d, 45, 20))
            << "row " << c.name << ": the screen";
        Canvas cv(BW, BH);
        shoot(d, cv);
        const RECT pic = {10, 5, 50, 25}, notch = {10, 5, 13, 8};
        const RECT icon = {26 + c.shift, 12 + c.shift, 34 + c.shift,
                           18 + c.shift};
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                POINT p = {x, y};
                if (PtInRect(&icon, p))
                    return ICON;
                if (PtInRect(&pic, p) && !PtInRect(&notch, p))
                    return c.picture;
                return BACK;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
}

/* Normal and pressed pictures cut from one strip, each keyed by its own
 * part's top-left pixel; the strip stays the caller's. */
TEST(KnobkitIButton, TwoFramesOfOneStrip)
{
    HBITMAP strip = kk_Picture(80, 20, [](HDC dc) {
        rect_Fill(dc, 0, 0, 40, 20, KEY);
        rect_Fill(dc, 5, 5, 35, 15, NORMAL);
        rect_Fill(dc, 40, 0, 80, 20, KEY2);
        rect_Fill(dc, 45, 5, 75, 15, PRESSED);
    });
    const RECT left = {0, 0, 40, 20}, right = {40, 0, 80, 20};
    GadgetDialog d;
    ASSERT_TRUE(open(d, BW, BH));
    Gadget *g = ibtn_Create(d.dlg, ID_BTN, 0, strip, &left, 0, 0, strip,
                            &right, NULL, NULL, 0, 0);
    ASSERT_TRUE(g != NULL);
    EXPECT_TRUE(kk_Alive(strip));
    const RECT inner = {15, 10, 45, 20};
    for (uint32_t down = 0; down < 2; down++) {
        ibtn_SetState(g, down);
        Canvas cv(BW, BH);
        shoot(d, cv);
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                POINT p = {x, y};
                return !PtInRect(&inner, p) ? BACK : down ? PRESSED : NORMAL;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row down " << down << ": " << first;
    }
    EXPECT_FALSE(takes(d, 12, 7)) << "row the key around the frame";
    EXPECT_TRUE(takes(d, 15, 10)) << "row the frame";
    DeleteObject(strip);
}

namespace {

/* ---- The caption ----
 * An 80 x 30 control wholly covered by its normal picture, the caption
 * over it in TEXT. */
struct CaptionCase {
    const char *name;
    uint32_t flags;
    uint32_t down;
    bool disabled;
    int shift;           /* of the text, in pixels */
};

const int CW = 80, CH = 30;

/* The caption's pixels, as the button draws it enabled and up. */
std::vector<bool> caption_Pixels(const Canvas &cv, COLORREF back,
                                 const char *row)
{
    std::vector<bool> t(cv.w * cv.h);
    for (int y = 0; y < cv.h; y++)
        for (int x = 0; x < cv.w; x++)
            t[y * cv.w + x] = cv.at(x, y) == TEXT;
    EXPECT_EQ(0, cv.mismatches(
                     [&](int x, int y) { return t[y * cv.w + x] ? TEXT : back; },
                     [](int, int) { return false; }, NULL))
        << "row " << row << ": the caption is drawn in its colour alone";
    return t;
}

/* A font drawn without smoothing, so that every pixel of a caption is
 * the text's colour or the background's. */
struct SharpFont {
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma");
    ~SharpFont() { DeleteObject(font); }
};

bool in_Text(const std::vector<bool> &t, int x, int y)
{
    return x >= 0 && y >= 0 && x < CW && y < CH && t[y * CW + x];
}

}  // namespace

/* The caption is centred in the control and moves with the state as the
 * icon does (its rectangle's left and top by 2, so the centred text by
 * 1); a disabled one is engraved: the text in COLOR_GRAYTEXT where the
 * enabled text was, over a white copy one pixel down and right. */
TEST(KnobkitIButton, CaptionByTable)
{
    const CaptionCase cases[] = {
        {"up", 0, 0, false, 0},
        {"down", 0, 1, false, 1},
        {"down, IBTN_NOSHIFT", IBTN_NOSHIFT, 1, false, 0},
        {"disabled, up", 0, 0, true, 0},
        {"disabled, down", 0, 1, true, 1},
        {"disabled, down, IBTN_NOSHIFT", IBTN_NOSHIFT, 1, true, 0},
    };
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
    SharpFont sharp;
    ASSERT_TRUE(gray != WHITE && gray != TEXT && gray != NORMAL);
    std::vector<bool> t;
    for (const CaptionCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, CW, CH, "Wiggle")) << "row " << c.name;
        Gadget *g = make(d, c.flags, solid(CW, CH, NORMAL));
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_STREQ("Wiggle", g->text) << "row " << c.name;
        char window[16] = "?";
        GetWindowTextA(d.ctl(ID_BTN), window, sizeof window);
        EXPECT_STREQ("", window) << "row " << c.name;
        gad_SetColor(d.dlg, ID_BTN, GS_TEXTCOLOR, TEXT, 0, sharp.font);
        Canvas cv(CW, CH);
        if (t.empty()) {
            shoot(d, cv);
            t = caption_Pixels(cv, NORMAL, c.name);
            ASSERT_GT(std::count(t.begin(), t.end(), true), 20)
                << "row " << c.name << ": no caption drawn";
        }
        ibtn_SetState(g, c.down);
        gad_Enable(g, !c.disabled);
        shoot(d, cv);
        const int s = c.shift;
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                if (!c.disabled)
                    return in_Text(t, x - s, y - s) ? TEXT : NORMAL;
                if (in_Text(t, x - s, y - s))
                    return gray;
                return in_Text(t, x - s - 1, y - s - 1) ? WHITE : NORMAL;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;
    }
}

/* Without a normal picture the button has no shape: it is never taken,
 * and it draws its caption alone, the pressed picture and the icon
 * neither up nor down. */
TEST(KnobkitIButton, NoNormalPictureShowsTheCaptionOnly)
{
    SharpFont sharp;
    GadgetDialog d;
    ASSERT_TRUE(open(d, CW, CH, "Wiggle"));
    HBITMAP pressed = solid(CW, CH, PRESSED), icon = solid(8, 6, ICON);
    Gadget *g = make(d, 0, NULL, pressed, icon);
    ASSERT_TRUE(g != NULL);
    EXPECT_FALSE(kk_Alive(pressed)) << "row consumed all the same";
    EXPECT_FALSE(kk_Alive(icon)) << "row consumed all the same";
    gad_SetColor(d.dlg, ID_BTN, GS_TEXTCOLOR, TEXT, 0, sharp.font);
    Canvas cv(CW, CH);
    shoot(d, cv);
    std::vector<bool> t = caption_Pixels(cv, BACK, "up");
    EXPECT_GT(std::count(t.begin(), t.end(), true), 20) << "row up";
    for (int x = 0; x < CW; x += 3)
        for (int y = 0; y < CH; y += 3)
            EXPECT_FALSE(takes(d, x, y))
                << "row press (" << x << ", " << y << ")";
    ibtn_SetState(g, 1);
    shoot(d, cv);
    std::string first;
    int bad = cv.mismatches(
        [&](int x, int y) { return in_Text(t, x - 1, y - 1) ? TEXT : BACK; },
        [](int, int) { return false; }, &first);
    EXPECT_EQ(0, bad) << "row down: " << first;
    EXPECT_NOTES(d, std::vector<std::string>{}, "no normal picture");
}

namespace {

/* ---- The bitmaps handed in ---- */

struct OwnCase {
    const char *name;
    int id;
    bool part[3];        /* normal, pressed, icon given with a part */
};

}  // namespace

/* A bitmap given whole is consumed, one given with a part stays the
 * caller's, through gad_Free and the dialog's end too; whole ones are
 * consumed even when there is no control to make a button of. */
TEST(KnobkitIButton, BitmapsConsumedOrKeptByTable)
{
    const OwnCase cases[] = {
        {"all whole", ID_BTN, {false, false, false}},
        {"all with parts", ID_BTN, {true, true, true}},
        {"normal whole, the others with parts", ID_BTN, {false, true, true}},
        {"normal with a part, the others whole", ID_BTN, {true, false, false}},
        {"no control, all whole", ID_MISSING, {false, false, false}},
        {"no control, mixed", ID_MISSING, {true, false, true}},
    };
    const RECT part = {2, 2, 42, 22};
    for (const OwnCase &c : cases) {
        HBITMAP bmp[3];
        for (int i = 0; i < 3; i++)
            bmp[i] = solid(50, 30, i == 1 ? PRESSED : NORMAL);
        const RECT *p[3];
        for (int i = 0; i < 3; i++)
            p[i] = c.part[i] ? &part : NULL;
        {
            GadgetDialog d;
            ASSERT_TRUE(open(d, BW, BH)) << "row " << c.name;
            Gadget *g = ibtn_Create(d.dlg, c.id, 0, bmp[0], p[0], -1,
                                    (int)KEY, bmp[1], p[1], bmp[2], p[2], -1,
                                    (int)KEY);
            EXPECT_EQ(c.id == ID_BTN, g != NULL) << "row " << c.name;
            for (int i = 0; i < 3; i++)
                EXPECT_EQ(c.part[i] ? (DWORD)OBJ_BITMAP : 0u,
                          GetObjectType(bmp[i]))
                    << "row " << c.name << ", bitmap " << i;
            if (g) {
                gad_Free(g);
                for (int i = 0; i < 3; i++)
                    EXPECT_EQ(c.part[i], kk_Alive(bmp[i]))
                        << "row " << c.name << ", bitmap " << i
                        << " after gad_Free";
            }
        }
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(c.part[i], kk_Alive(bmp[i]))
                << "row " << c.name << ", bitmap " << i
                << " after the dialog";
            if (c.part[i])
                DeleteObject(bmp[i]);
        }
    }
}

/* gad_Free lets the pictures go and leaves a plain record that draws
 * nothing and is never taken; freeing it again (its FreeProc runs once
 * more) and the dialog's end harm nothing, and the control can be made a
 * button afresh. */
TEST(KnobkitIButton, FreeLeavesAPlainRecord)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, BW, BH));
    HBITMAP strip = solid(40, 20, NORMAL);
    const RECT all = {0, 0, 40, 20};
    Gadget *g = ibtn_Create(d.dlg, ID_BTN, 0, strip, &all, -1, (int)KEY,
                            NULL, NULL, NULL, NULL, 0, 0);
    ASSERT_TRUE(g != NULL);
    gad_Free(g);
    EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row freed";
    Canvas cv(BW, BH);
    shoot(d, cv);
    EXPECT_EQ(0, cv.count(RECT{0, 0, BW, BH}, NORMAL)) << "row freed, drawn";
    EXPECT_FALSE(takes(d, ON.x, ON.y)) << "row freed, pressed";
    gad_Free(g);
    EXPECT_TRUE(kk_Alive(strip)) << "row freed twice";

    ASSERT_EQ(g, ibtn_Create(d.dlg, ID_BTN, 0, strip, &all, -1, (int)KEY,
                             NULL, NULL, NULL, NULL, 0, 0));
    /* Made over a live button, the first one's pictures go first. */
    ASSERT_EQ(g, ibtn_Create(d.dlg, ID_BTN, 0, strip, &all, -1, (int)KEY,
                             NULL, NULL, NULL, NULL, 0, 0));
    shoot(d, cv);
    EXPECT_EQ(40 * 20, cv.count(RECT{0, 0, BW, BH}, NORMAL))
        << "row made again";
    d.press(ID_BTN, ON.x, ON.y);
    d.release(ID_BTN, ON.x, ON.y);
    EXPECT_NOTES(d, std::vector<std::string>{UP}, "made again");
    DestroyWindow(d.dlg);
    EXPECT_TRUE(kk_Alive(strip)) << "row the dialog gone";
    DeleteObject(strip);
}

/* Null gadgets are ignored; the state is any value ibtn_SetState gave,
 * and static_GetState reads the same first word. */
TEST(KnobkitIButton, NullGadgetsAndTheSecondName)
{
    ibtn_SetState(NULL, 1);
    EXPECT_EQ(0u, ibtn_GetState(NULL)) << "row null, ibtn_GetState";
    EXPECT_EQ(0u, static_GetState(NULL)) << "row null, static_GetState";
    EXPECT_TRUE(ibtn_Create(NULL, ID_BTN, 0, NULL, NULL, 0, 0, NULL, NULL,
                            NULL, NULL, 0, 0) == NULL)
        << "row no dialog";

    GadgetDialog d;
    ASSERT_TRUE(open(d, BW, BH));
    Gadget *g = make(d, 0, kk_Disc(40, 20, KEY, NORMAL));
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_IBUTTON, g->kind) << "row kind";
    EXPECT_TRUE(g->state & GS_CAPTURE) << "row GS_CAPTURE";
    EXPECT_EQ(0u, ibtn_GetState(g)) << "row made up";
    const uint32_t states[] = {1, 0, 0x12345678u};
    for (uint32_t s : states) {
        ibtn_SetState(g, s);
        EXPECT_EQ(s, ibtn_GetState(g)) << "row state " << s;
        EXPECT_EQ(s, static_GetState(g)) << "row state " << s;
    }
    EXPECT_NOTES(d, std::vector<std::string>{}, "set states");
}
