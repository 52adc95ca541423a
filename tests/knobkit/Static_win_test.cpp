/* Static_win_test.cpp -- the image static and the tab gadget under Wine.
 *
 * The static is driven through a dialog as the system drives it (presses,
 * moves, releases) with the notifications compared whole, its painting
 * read back pixel by pixel for every picture, and what becomes of the
 * bitmaps it is handed.  The tab gadget is made from page templates that
 * are resources of a module, switched by clicks on its tabs, and made to
 * fail by a template that is not there.  GDI objects are counted around a
 * hundred create and free cycles. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_ST = 501, ID_MISSING = 599, ID_TAB = 520, ID_PAGELABEL = 530 };

const COLORREF KEY = RGB(255, 0, 255);
const COLORREF BACK = RGB(1, 2, 3);
const COLORREF TEXT = RGB(200, 0, 0);
const COLORREF WHITE = RGB(255, 255, 255);
const std::string NOTE = "GM_STATIC 501 0";

/* ---- Pictures ----
 * Four of different sizes and colours, each with a notch of the key
 * colour, 3 x 3 at its top-left, so that it has transparent pixels of
 * its own; shown in a 60 x 40 control. */
const int CW = 60, CH = 40;

struct Pic {
    int w, h;
    COLORREF colour;
};

const Pic Pics[4] = {{20, 10, RGB(0, 120, 0)},
                     {31, 15, RGB(0, 0, 160)},
                     {12, 25, RGB(160, 80, 0)},
                     {41, 30, RGB(0, 140, 140)}};

HBITMAP solid(int w, int h, COLORREF c)
{
    return kk_Picture(w, h, [&](HDC dc) { rect_Fill(dc, 0, 0, w, h, c); });
}

HBITMAP notched(const Pic &p)
{
    return kk_Picture(p.w, p.h, [&](HDC dc) {
        rect_Fill(dc, 0, 0, p.w, p.h, p.colour);
        rect_Fill(dc, 0, 0, 3, 3, KEY);
    });
}

/* Where picture i is drawn: client / 2 - size / 2 on each axis. */
RECT pic_Rect(int i)
{
    int x = CW / 2 - Pics[i].w / 2, y = CH / 2 - Pics[i].h / 2;
    return RECT{x, y, x + Pics[i].w, y + Pics[i].h};
}

/* What the control shows at (x, y) with picture i over BACK. */
COLORREF pic_At(int i, int x, int y)
{
    RECT r = pic_Rect(i);
    POINT p = {x, y};
    RECT notch = {r.left, r.top, r.left + 3, r.top + 3};
    return PtInRect(&r, p) && !PtInRect(&notch, p) ? Pics[i].colour : BACK;
}

/* The dialog with one static control made exactly w x h pixels. */
bool open(GadgetDialog &d, int w = CW, int h = CH, const char *caption = "")
{
    d.control(ID_ST, 10, 10, 80, 40, caption);
    if (!d.start())
        return false;
    SetWindowPos(d.ctl(ID_ST), NULL, 0, 0, w, h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT c = d.client(ID_ST);
    return c.right == w && c.bottom == h;
}

/* The four notched pictures, whole, keyed by the colour KEY. */
Gadget *make(GadgetDialog &d, int id = ID_ST)
{
    return static_Create(d.dlg, id, 0, notched(Pics[0]), NULL, -1, (int)KEY,
                         notched(Pics[1]), NULL, -1, (int)KEY,
                         notched(Pics[2]), NULL, -1, (int)KEY,
                         notched(Pics[3]), NULL, -1, (int)KEY);
}

void shoot(const GadgetDialog &d, Canvas &cv)
{
    rect_Fill(cv.dc, 0, 0, cv.w, cv.h, BACK);
    d.shot(ID_ST, cv);
}

/* What the control shows on the screen at (x, y). */
COLORREF on_Screen(const GadgetDialog &d, int x, int y)
{
    HDC dc = GetDC(d.ctl(ID_ST));
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(d.ctl(ID_ST), dc);
    return c;
}

/* A press and release at p: never tracked, whatever it hit. */
void click(const GadgetDialog &d, POINT p, const char *row)
{
    d.press(ID_ST, p.x, p.y);
    EXPECT_FALSE(d.tracking()) << "row " << row << ": tracked after a press";
    d.release(ID_ST, p.x, p.y);
}

/* The pixels a press on picture i must take, and those it must not:
 * the corners of its opaque part and the pixels just beside them. */
std::vector<POINT> pic_Hits(int i)
{
    RECT r = pic_Rect(i);
    return {{r.left + 3, r.top},      {r.right - 1, r.top},
            {r.left, r.top + 3},      {r.left, r.bottom - 1},
            {r.right - 1, r.bottom - 1}};
}

std::vector<POINT> pic_Misses(int i)
{
    RECT r = pic_Rect(i);
    return {{r.left + 1, r.top + 1},  {r.left + 2, r.top + 2},
            {r.left - 1, r.top + 5},  {r.left + 5, r.top - 1},
            {r.right, r.bottom - 1},  {r.right - 1, r.bottom}};
}

struct StateCase {
    const char *name;
    std::vector<uint32_t> set;   /* given to static_SetState in turn */
    uint32_t shown;
};

}  // namespace

/* A fresh static shows picture 0; static_SetState shows the picture asked
 * for, centred by its own size, and its opaque pixels become the area a
 * press takes.  Indexes past the four pictures are ignored: the picture
 * shown before stays, drawn and pressed. */
TEST(KnobkitStatic, PictureAndPressAreaByTable)
{
    const StateCase cases[] = {
        {"fresh: picture 0", {}, 0},
        {"picture 1", {1}, 1},
        {"picture 2", {2}, 2},
        {"picture 3", {3}, 3},
        {"3, then back to 0", {3, 0}, 0},
        {"4 is ignored", {1, 4}, 1},
        {"0xFFFFFFFF is ignored", {2, 0xFFFFFFFFu}, 2},
        {"0x80000000 on a fresh static is ignored", {0x80000000u}, 0},
    };
    for (const StateCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d)) << "row " << c.name;
        Gadget *g = make(d);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        /* Its first paint, as a gadget made before the dialog shows gets
         * it; what the screen shows later is static_SetState's doing. */
        RedrawWindow(d.ctl(ID_ST), NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
        kk_Pump();
        for (uint32_t s : c.set)
            static_SetState(g, s);
        EXPECT_EQ(c.shown, static_GetState(g)) << "row " << c.name;
        const int i = (int)c.shown;
        Canvas cv(CW, CH);
        shoot(d, cv);
        std::string first;
        int bad = cv.mismatches([&](int x, int y) { return pic_At(i, x, y); },
                                [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;
        /* The dialog's paint reaches the control through the queue. */
        kk_Pump();
        const RECT r = pic_Rect(i);
        EXPECT_EQ(Pics[i].colour, on_Screen(d, r.right - 1, r.bottom - 1))
            << "row " << c.name << ": the screen";

        /* Each press on its own, so that a miss cannot make up for a
         * hit elsewhere. */
        for (int hit = 1; hit >= 0; hit--)
            for (const POINT &p : hit ? pic_Hits(i) : pic_Misses(i)) {
                click(d, p, c.name);
                const std::string row = std::string(c.name) + ", (" +
                                        std::to_string(p.x) + ", " +
                                        std::to_string(p.y) + ")";
                EXPECT_NOTES(d, std::vector<std::string>(hit, NOTE), row);
            }
    }
}

namespace {

/* One step: p press, m move, r release at a point of the control. */
struct Step {
    char op;
    POINT at;
};

struct PressCase {
    const char *name;
    int picture;       /* given to static_SetState first, -1 none */
    bool disabled;
    std::vector<Step> steps;
    int notes;         /* how many GM_STATIC */
};

/* Points of the standard pictures: the middle of picture 0, a pixel only
 * picture 3 covers, picture 0's notch. */
const POINT MID = {30, 20}, ONLY3 = {12, 8}, NOTCH0 = {21, 16};

}  // namespace

/* Each press on an opaque pixel of the shown picture posts exactly one
 * GM_STATIC (the handler's value 0); holding, moving and letting go post
 * nothing more, and presses elsewhere, or on a disabled static, nothing. */
TEST(KnobkitStatic, PressesByTable)
{
    const PressCase cases[] = {
        {"press and release", -1, false, {{'p', MID}, {'r', MID}}, 1},
        {"press, hold, move about, release", -1, false,
         {{'p', MID}, {'m', {25, 18}}, {'m', {-20, 90}}, {'m', MID},
          {'r', {-20, 90}}}, 1},
        {"two presses", -1, false,
         {{'p', MID}, {'r', MID}, {'p', MID}, {'r', MID}}, 2},
        {"a press without its release", -1, false, {{'p', MID}}, 1},
        {"on the notch, released on the picture", -1, false,
         {{'p', NOTCH0}, {'r', MID}}, 0},
        {"on a pixel of picture 3 while 0 shows", -1, false,
         {{'p', ONLY3}, {'r', ONLY3}}, 0},
        {"the same pixel with picture 3 shown", 3, false,
         {{'p', ONLY3}, {'r', ONLY3}}, 1},
        {"the transparent corner around it", 3, false,
         {{'p', {pic_Rect(3).left, pic_Rect(3).top}}}, 0},
        {"disabled", -1, true, {{'p', MID}, {'r', MID}}, 0},
    };
    for (const PressCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d)) << "row " << c.name;
        Gadget *g = make(d);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        if (c.picture >= 0)
            static_SetState(g, (uint32_t)c.picture);
        gad_Enable(g, !c.disabled);
        EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
        for (const Step &s : c.steps) {
            if (s.op == 'p')
                d.press(ID_ST, s.at.x, s.at.y);
            else if (s.op == 'm')
                d.move(ID_ST, s.at.x, s.at.y);
            else
                d.release(ID_ST, s.at.x, s.at.y);
            EXPECT_FALSE(d.tracking()) << "row " << c.name << ", " << s.op;
        }
        EXPECT_NOTES(d, std::vector<std::string>(c.notes, NOTE), c.name);
        EXPECT_EQ(c.picture < 0 ? 0u : (uint32_t)c.picture,
                  static_GetState(g))
            << "row " << c.name << ": a press changed the picture";
    }
}

namespace {

/* A font drawn without smoothing, so that every pixel of a caption is
 * the text's colour or the background's. */
struct SharpFont {
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma");
    ~SharpFont() { DeleteObject(font); }
};

struct CaptionCase {
    const char *name;
    bool disabled;
    int picture;
};

}  // namespace

/* The caption is centred over the picture, in the text colour; disabled
 * it is engraved: COLOR_GRAYTEXT where the enabled text was, over a white
 * copy one pixel down and right (its rectangle's left and top moved by
 * 2).  The picture under it is drawn the same either way. */
TEST(KnobkitStatic, CaptionAndDisabledDrawingByTable)
{
    const CaptionCase cases[] = {
        {"enabled", false, 0},
        {"disabled", true, 0},
        {"disabled over a smaller picture", true, 1},
        {"enabled again", false, 1},
    };
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
    const COLORREF full = RGB(0, 120, 0), small = RGB(0, 0, 160);
    ASSERT_TRUE(gray != WHITE && gray != TEXT && gray != full &&
                gray != small && gray != BACK);
    SharpFont sharp;
    std::vector<bool> t;   /* the enabled caption's pixels */
    for (const CaptionCase &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, CW, CH, "Lamp")) << "row " << c.name;
        Gadget *g = static_Create(d.dlg, ID_ST, 0, solid(CW, CH, full), NULL,
                                  -1, (int)KEY, solid(30, 12, small), NULL,
                                  -1, (int)KEY, NULL, NULL, 0, 0, NULL, NULL,
                                  0, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_STREQ("Lamp", g->text) << "row " << c.name;
        char window[16] = "?";
        GetWindowTextA(d.ctl(ID_ST), window, sizeof window);
        EXPECT_STREQ("", window) << "row " << c.name;
        gad_SetColor(d.dlg, ID_ST, GS_TEXTCOLOR, TEXT, 0, sharp.font);
        Canvas cv(CW, CH);
        if (t.empty()) {
            shoot(d, cv);
            t.resize(CW * CH);
            for (int y = 0; y < CH; y++)
                for (int x = 0; x < CW; x++)
                    t[y * CW + x] = cv.at(x, y) == TEXT;
            ASSERT_GT(std::count(t.begin(), t.end(), true), 20)
                << "row " << c.name << ": no caption drawn";
        }
        auto in_Text = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < CW && y < CH && t[y * CW + x];
        };
        static_SetState(g, (uint32_t)c.picture);
        gad_Enable(g, !c.disabled);
        shoot(d, cv);
        const RECT under = {15, 14, 45, 26};   /* the 30 x 12 picture */
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                POINT p = {x, y};
                COLORREF pic = c.picture == 0 ? full
                               : PtInRect(&under, p) ? small
                                                     : BACK;
                if (!c.disabled)
                    return in_Text(x, y) ? TEXT : pic;
                if (in_Text(x, y))
                    return gray;
                return in_Text(x - 1, y - 1) ? WHITE : pic;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << c.name << ": " << first;
    }
}

/* A picture not given is no picture: nothing drawn, nothing pressed,
 * while the others work. */
TEST(KnobkitStatic, MissingPictureShowsAndTakesNothing)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d));
    Gadget *g = static_Create(d.dlg, ID_ST, 0, notched(Pics[0]), NULL, -1,
                              (int)KEY, NULL, NULL, 0, 0, notched(Pics[2]),
                              NULL, -1, (int)KEY, NULL, NULL, 0, 0);
    ASSERT_TRUE(g != NULL);
    const struct {
        const char *name;
        uint32_t picture;
        bool given;
    } cases[] = {{"picture 1, not given", 1, false},
                 {"picture 2, given", 2, true},
                 {"picture 3, not given", 3, false}};
    for (const auto &c : cases) {
        static_SetState(g, c.picture);
        EXPECT_EQ(c.picture, static_GetState(g)) << "row " << c.name;
        Canvas cv(CW, CH);
        shoot(d, cv);
        int drawn = CW * CH - cv.count(RECT{0, 0, CW, CH}, BACK);
        EXPECT_EQ(c.given ? Pics[2].w * Pics[2].h - 9 : 0, drawn)
            << "row " << c.name;
        for (int x = 0; x < CW; x += 2)
            for (int y = 0; y < CH; y += 2)
                click(d, POINT{x, y}, c.name);
        if (c.given)
            EXPECT_FALSE(d.notes().empty()) << "row " << c.name;
        else
            EXPECT_NOTES(d, std::vector<std::string>{}, c.name);
    }
    static_SetState(NULL, 1);   /* ignored */
}

namespace {

/* ---- The bitmaps handed in ---- */

struct OwnCase {
    const char *name;
    int id;
    bool part[4];      /* picture i given with a part */
};

/* Four frames of 16 x 12 side by side, each on a key colour of its own
 * with an inner block of its own colour, 4 pixels in. */
const COLORREF FrameKey[4] = {RGB(255, 0, 255), RGB(0, 255, 255),
                              RGB(255, 255, 0), RGB(255, 128, 0)};
const COLORREF FrameInk[4] = {RGB(0, 120, 0), RGB(0, 0, 160),
                              RGB(160, 80, 0), RGB(90, 0, 90)};

HBITMAP strip_Make(void)
{
    return kk_Picture(64, 12, [](HDC dc) {
        for (int i = 0; i < 4; i++) {
            rect_Fill(dc, 16 * i, 0, 16 * i + 16, 12, FrameKey[i]);
            rect_Fill(dc, 16 * i + 4, 4, 16 * i + 12, 8, FrameInk[i]);
        }
    });
}

/* Is the strip still what strip_Make painted? */
bool strip_Intact(HBITMAP strip)
{
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, strip);
    bool ok = old != NULL;
    for (int i = 0; ok && i < 4; i++)
        ok = GetPixel(dc, 16 * i, 0) == FrameKey[i] &&
             GetPixel(dc, 16 * i + 4, 4) == FrameInk[i];
    SelectObject(dc, old);
    DeleteDC(dc);
    return ok;
}

/* A static cut from the strip, each frame keyed by its part's top-left
 * pixel, shows frame i's block for picture i and nothing else. */
void strip_Check(HBITMAP strip, const char *row)
{
    const RECT parts[4] = {{0, 0, 16, 12}, {16, 0, 32, 12}, {32, 0, 48, 12},
                           {48, 0, 64, 12}};
    GadgetDialog d;
    ASSERT_TRUE(open(d)) << "row " << row;
    Gadget *g = static_Create(d.dlg, ID_ST, 0, strip, &parts[0], 0, 0, strip,
                              &parts[1], 0, 0, strip, &parts[2], 0, 0, strip,
                              &parts[3], 0, 0);
    ASSERT_TRUE(g != NULL) << "row " << row;
    const RECT block = {CW / 2 - 4, CH / 2 - 2, CW / 2 + 4, CH / 2 + 2};
    for (uint32_t i = 0; i < 4; i++) {
        static_SetState(g, i);
        Canvas cv(CW, CH);
        shoot(d, cv);
        std::string first;
        int bad = cv.mismatches(
            [&](int x, int y) {
                POINT p = {x, y};
                return PtInRect(&block, p) ? FrameInk[i] : BACK;
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(0, bad) << "row " << row << ", picture " << i << ": "
                          << first;
    }
    gad_Free(g);
}

}  // namespace

/* Four pictures cut from one strip: the strip stays the caller's and
 * unchanged, through the static's gad_Free and its dialog's end, and
 * serves for a second static as well as for the first. */
TEST(KnobkitStatic, PicturesCutFromOneStripStayTheCallers)
{
    HBITMAP strip = strip_Make();
    ASSERT_TRUE(strip_Intact(strip));
    strip_Check(strip, "first static");
    EXPECT_TRUE(kk_Alive(strip)) << "row after the first static";
    EXPECT_TRUE(strip_Intact(strip)) << "row after the first static";
    strip_Check(strip, "second static");
    EXPECT_TRUE(strip_Intact(strip)) << "row after the second static";
    EXPECT_TRUE(DeleteObject(strip)) << "row the caller deletes it";
}

/* A bitmap given whole is consumed, one given with a part stays the
 * caller's through gad_Free and the dialog's end; whole ones are consumed
 * even when there is no control to make a static of. */
TEST(KnobkitStatic, BitmapsConsumedOrKeptByTable)
{
    const OwnCase cases[] = {
        {"all whole", ID_ST, {false, false, false, false}},
        {"all with parts", ID_ST, {true, true, true, true}},
        {"mixed", ID_ST, {true, false, true, false}},
        {"no control, all whole", ID_MISSING, {false, false, false, false}},
        {"no control, mixed", ID_MISSING, {false, true, false, true}},
    };
    const RECT part = {2, 2, 22, 12};
    for (const OwnCase &c : cases) {
        HBITMAP bmp[4];
        const RECT *p[4];
        for (int i = 0; i < 4; i++) {
            bmp[i] = notched(Pics[i]);
            p[i] = c.part[i] ? &part : NULL;
        }
        {
            GadgetDialog d;
            ASSERT_TRUE(open(d)) << "row " << c.name;
            Gadget *g = static_Create(d.dlg, c.id, 0, bmp[0], p[0], -1,
                                      (int)KEY, bmp[1], p[1], -1, (int)KEY,
                                      bmp[2], p[2], -1, (int)KEY, bmp[3],
                                      p[3], -1, (int)KEY);
            EXPECT_EQ(c.id == ID_ST, g != NULL) << "row " << c.name;
            for (int i = 0; i < 4; i++)
                EXPECT_EQ(c.part[i], kk_Alive(bmp[i]))
                    << "row " << c.name << ", bitmap " << i;
            if (g) {
                EXPECT_EQ((uint32_t)GAD_STATIC, g->kind) << "row " << c.name;
                EXPECT_EQ(0u, gad_Free(g)) << "row " << c.name;
                EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row " << c.name;
                for (int i = 0; i < 4; i++)
                    EXPECT_EQ(c.part[i], kk_Alive(bmp[i]))
                        << "row " << c.name << ", bitmap " << i
                        << " after gad_Free";
            }
        }
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(c.part[i], kk_Alive(bmp[i]))
                << "row " << c.name << ", bitmap " << i
                << " after the dialog";
            if (c.part[i])
                DeleteObject(bmp[i]);
        }
    }
}

/* ---- Tab gadget ---- */

namespace {

enum { NPAGES = 3, TMPL = 701, TMPL_MISSING = 799 };

bool comctl_Ready(void)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
}

std::vector<std::string> Log;

/* Logs its param; a page's GM_TABLEAVE answers by the row's choice. */
struct Say {
    const char *name;
    INT_PTR answer;
};

INT_PTR KKAPI say(HWND, WPARAM, LPARAM, int, LPARAM param)
{
    const Say *s = (const Say *)param;
    Log.push_back(s->name);
    return s->answer;
}

/* The dialog's table hears the tab control's selection notifications
 * that reach it. */
INT_PTR KKAPI dialog_Notify(HWND, WPARAM, LPARAM lParam, int, LPARAM)
{
    const NMHDR *nm = (const NMHDR *)lParam;
    if (nm->code == (UINT)TCN_SELCHANGING)
        Log.push_back("dialog selchanging");
    else if (nm->code == (UINT)TCN_SELCHANGE)
        Log.push_back("dialog selchange");
    return 0;
}

const DlgHandler DialogTable[] = {
    {WM_NOTIFY, ID_TAB, dialog_Notify, 0},
    {0, 0, NULL, 0},
};

/* Templates TMPL + i, one page each, whose label says "Page i". */
std::vector<std::pair<WORD, std::vector<WORD>>> page_Templates(void)
{
    return {{TMPL, kk_PageTemplate(ID_PAGELABEL, "Page 0")},
            {TMPL + 1, kk_PageTemplate(ID_PAGELABEL, "Page 1")},
            {TMPL + 2, kk_PageTemplate(ID_PAGELABEL, "Page 2")}};
}

/* A dialog with a tab control, and a page table of three rows whose
 * pages log GM_TABLEAVE and GM_TABENTER; missing names the row whose
 * template is not there (-1: none). */
struct Tabs {
    TemplateModule mod{page_Templates()};
    GadgetDialog d;
    Say leave[NPAGES], enter[NPAGES];
    DlgHandler tables[NPAGES][3];
    TabPage pages[NPAGES + 1] = {};

    Tabs(const INT_PTR refuse[NPAGES], int missing = -1)
    {
        static const char *const names[NPAGES][2] = {
            {"p0 leave", "p0 enter"}, {"p1 leave", "p1 enter"},
            {"p2 leave", "p2 enter"}};
        static const char *const titles[NPAGES] = {"One", "Two", "Three"};
        for (int i = 0; i < NPAGES; i++) {
            leave[i] = Say{names[i][0], refuse ? refuse[i] : 0};
            enter[i] = Say{names[i][1], 0};
            tables[i][0] = {GM_TABLEAVE, 0, say, (LPARAM)&leave[i]};
            tables[i][1] = {GM_TABENTER, 0, say, (LPARAM)&enter[i]};
            tables[i][2] = {0, 0, NULL, 0};
            pages[i].title = titles[i];
            pages[i].pageTemplate = i == missing ? TMPL_MISSING : TMPL + i;
            pages[i].pageHandlers = tables[i];
        }
        d.t.custom(WC_TABCONTROLA, WS_CLIPSIBLINGS | WS_TABSTOP, ID_TAB, 5, 5,
                   180, 150, "Tabs");
        d.control(ID_ST, 5, 160, 40, 10, "Label");
    }
    bool start() { return mod.module && d.start(DialogTable); }
    Gadget *create() { return tab_Create(mod.module, d.dlg, ID_TAB, pages); }
    HWND tab() const { return d.ctl(ID_TAB); }
    /* A click in the middle of tab i, as the mouse gives it. */
    void click(int i) const
    {
        RECT r;
        SendMessageA(tab(), TCM_GETITEMRECT, i, (LPARAM)&r);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(tab(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tab(), WM_LBUTTONUP, 0, at);
        kk_Pump();
    }
    /* '1' for each visible page, '0' for a hidden one. */
    std::string shown() const
    {
        std::string s;
        for (int i = 0; i < NPAGES; i++)
            s += IsWindowVisible(pages[i].pageWnd) ? '1' : '0';
        return s;
    }
    std::string title(int i) const
    {
        char s[32] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = s;
        item.cchTextMax = sizeof s;
        if (!SendMessageA(tab(), TCM_GETITEMA, i, (LPARAM)&item))
            return "(none)";
        return s;
    }
    int children() const
    {
        int n = 0;
        for (HWND c = GetWindow(tab(), GW_CHILD); c;
             c = GetWindow(c, GW_HWNDNEXT))
            n++;
        return n;
    }
};

}  // namespace

/* Three rows make three tabs with their titles in table order and three
 * pages, children of the tab control and managed dialogs of their own;
 * only the first shows. */
TEST(KnobkitTabGadget, ThreePagesTheFirstShown)
{
    ASSERT_TRUE(comctl_Ready());
    Tabs tb(NULL);
    ASSERT_TRUE(tb.start());
    Gadget *g = tb.create();
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ(gad_GetGadget(tb.d.dlg, ID_TAB), g) << "row the record";
    EXPECT_EQ((uint32_t)GAD_TAB, g->kind) << "row kind";
    EXPECT_EQ(NPAGES, (int)SendMessageA(tb.tab(), TCM_GETITEMCOUNT, 0, 0))
        << "row tabs";
    const char *const titles[NPAGES] = {"One", "Two", "Three"};
    for (int i = 0; i < NPAGES; i++) {
        EXPECT_EQ(titles[i], tb.title(i)) << "row tab " << i;
        HWND p = tb.pages[i].pageWnd;
        ASSERT_TRUE(IsWindow(p)) << "row page " << i;
        EXPECT_EQ(tb.tab(), GetParent(p)) << "row page " << i;
        char label[16] = "";
        GetDlgItemTextA(p, ID_PAGELABEL, label, sizeof label);
        EXPECT_EQ("Page " + std::to_string(i), std::string(label))
            << "row page " << i << ": made from its own template";
        EXPECT_TRUE(gad_GetGadget(p, ID_PAGELABEL)) << "row page " << i;
    }
    EXPECT_EQ(0, (int)SendMessageA(tb.tab(), TCM_GETCURSEL, 0, 0))
        << "row selection";
    EXPECT_EQ("100", tb.shown()) << "row pages shown";
}

namespace {

struct SwitchCase {
    const char *name;
    INT_PTR refuse[NPAGES];
    std::vector<int> clicks;
    std::vector<std::string> log;
    int sel;
    const char *shown;
};

}  // namespace

/* Clicks on the tabs of pages made by tab_Create: the page left hears
 * GM_TABLEAVE, the page shown GM_TABENTER, and a page that refuses keeps
 * its tab. */
TEST(KnobkitTabGadget, ClicksSwitchThePagesByTable)
{
    ASSERT_TRUE(comctl_Ready());
    const SwitchCase cases[] = {
        {"second tab", {0, 0, 0}, {1},
         {"p0 leave", "p1 enter", "dialog selchange"}, 1, "010"},
        {"third, then the first", {0, 0, 0}, {2, 0},
         {"p0 leave", "p2 enter", "dialog selchange", "p2 leave", "p0 enter",
          "dialog selchange"},
         0, "100"},
        {"the first page refuses", {1, 0, 0}, {2}, {"p0 leave"}, 0, "100"},
        {"the second refuses, after it was shown", {0, 1, 0}, {1, 2},
         {"p0 leave", "p1 enter", "dialog selchange", "p1 leave"}, 1, "010"},
    };
    for (const SwitchCase &c : cases) {
        Tabs tb(c.refuse);
        ASSERT_TRUE(tb.start()) << "row " << c.name;
        ASSERT_TRUE(tb.create() != NULL) << "row " << c.name;
        Log.clear();
        for (int i : c.clicks)
            tb.click(i);
        EXPECT_LINES(Log, c.log, c.name);
        EXPECT_EQ(c.sel, (int)SendMessageA(tb.tab(), TCM_GETCURSEL, 0, 0))
            << "row " << c.name;
        EXPECT_EQ(c.shown, tb.shown()) << "row " << c.name;
    }
}

/* A template that is not there: every page made so far is destroyed, the
 * table names no window, the control is a plain one whose notifications
 * reach the dialog's table, and tab_Create gives null.  The tabs inserted
 * before the failure stay.  A window an earlier use left in a later row's
 * pageWnd is not the library's and is left alone. */
TEST(KnobkitTabGadget, APageThatCannotBeMadeByTable)
{
    ASSERT_TRUE(comctl_Ready());
    const struct {
        const char *name;
        int missing;
    } cases[] = {{"the first", 0}, {"the second", 1}, {"the third", 2}};
    for (const auto &c : cases) {
        Tabs tb(NULL, c.missing);
        ASSERT_TRUE(tb.start()) << "row " << c.name;
        HWND stranger = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1,
                                      NULL, NULL, NULL, NULL);
        ASSERT_TRUE(stranger) << "row " << c.name;
        if (c.missing + 1 < NPAGES)
            tb.pages[c.missing + 1].pageWnd = stranger;
        Gadget *g = gad_GetGadget(tb.d.dlg, ID_TAB);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_TRUE(tb.create() == NULL) << "row " << c.name;
        EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row " << c.name;
        for (int i = 0; i < NPAGES; i++)
            EXPECT_EQ((HWND)NULL, tb.pages[i].pageWnd)
                << "row " << c.name << ", page " << i;
        EXPECT_EQ(0, tb.children()) << "row " << c.name << ": page windows";
        EXPECT_TRUE(IsWindow(stranger)) << "row " << c.name;
        DestroyWindow(stranger);
        EXPECT_EQ(c.missing + 1,
                  (int)SendMessageA(tb.tab(), TCM_GETITEMCOUNT, 0, 0))
            << "row " << c.name << ": tabs";
        Log.clear();
        if (c.missing > 0) {
            tb.click(1);
            EXPECT_LINES(Log,
                         (std::vector<std::string>{"dialog selchanging",
                                                   "dialog selchange"}),
                         c.name);
        }
    }
}

/* The pages go when the dialog ends, and with gad_Free, which leaves a
 * plain tab control; either way the table names no window afterwards. */
TEST(KnobkitTabGadget, PagesGoWithTheDialogOrGadFree)
{
    ASSERT_TRUE(comctl_Ready());
    const struct {
        const char *name;
        bool free;
    } cases[] = {{"the dialog ends", false}, {"gad_Free", true}};
    for (const auto &c : cases) {
        Tabs tb(NULL);
        ASSERT_TRUE(tb.start()) << "row " << c.name;
        Gadget *g = tb.create();
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        HWND wnd[NPAGES];
        for (int i = 0; i < NPAGES; i++) {
            wnd[i] = tb.pages[i].pageWnd;
            ASSERT_TRUE(IsWindow(wnd[i])) << "row " << c.name << ", " << i;
        }
        if (c.free) {
            EXPECT_EQ(0u, gad_Free(g)) << "row " << c.name;
            EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row " << c.name;
            EXPECT_TRUE(IsWindow(tb.tab())) << "row " << c.name;
            EXPECT_EQ(0, tb.children()) << "row " << c.name;
        } else {
            ASSERT_TRUE(DestroyWindow(tb.d.dlg)) << "row " << c.name;
        }
        for (int i = 0; i < NPAGES; i++) {
            EXPECT_FALSE(IsWindow(wnd[i])) << "row " << c.name << ", " << i;
            EXPECT_EQ((HWND)NULL, tb.pages[i].pageWnd)
                << "row " << c.name << ", page " << i;
        }
    }
}

/* ---- Ownership ---- */

namespace {

struct CycleCase {
    const char *name;
    void (*cycle)(void);
};

void cycle_Dialog(void)
{
    GadgetDialog d;
    if (open(d))
        make(d);
}

/* One dialog for all the cycles of a row, made on its first. */
GadgetDialog *Kept;

void cycle_Free(void)
{
    Gadget *g = make(*Kept);
    if (g)
        gad_Free(g);
}

void cycle_Over(void)
{
    make(*Kept);
}

void cycle_Tabs(void)
{
    Tabs tb(NULL);
    if (tb.start())
        tb.create();
}

void cycle_FailedTabs(void)
{
    Tabs tb(NULL, 2);
    if (tb.start())
        tb.create();
}

}  // namespace

/* The counter sees one new bitmap and its deletion. */
TEST(KnobkitStatic, GdiCountSeesABitmap)
{
    long before = kk_GdiObjects();
    ASSERT_GT(before, 0);
    HBITMAP b = CreateBitmap(4, 4, 1, 1, NULL);
    EXPECT_EQ(before + 1, kk_GdiObjects()) << "row made";
    DeleteObject(b);
    EXPECT_EQ(before, kk_GdiObjects()) << "row deleted";
}

/* A hundred cycles of making and letting go leave no GDI object behind:
 * a dialog with a static started and ended, a static freed in one dialog,
 * a static made over itself, tab gadgets that succeed and that fail. */
TEST(KnobkitStatic, NoGdiObjectLeftAfterAHundredCyclesByTable)
{
    ASSERT_TRUE(comctl_Ready());
    const CycleCase cases[] = {
        {"dialog started and ended", cycle_Dialog},
        {"made and gad_Free", cycle_Free},
        {"made over the static before", cycle_Over},
        {"tab gadget with its pages", cycle_Tabs},
        {"tab gadget whose third page fails", cycle_FailedTabs},
    };
    for (const CycleCase &c : cases) {
        GadgetDialog kept;
        ASSERT_TRUE(open(kept)) << "row " << c.name;
        Kept = &kept;
        c.cycle();   /* caches the system fills once */
        long before = kk_GdiObjects();
        for (int i = 0; i < 100; i++)
            c.cycle();
        kk_Pump();
        EXPECT_EQ(before, kk_GdiObjects()) << "row " << c.name;
        Kept = NULL;
    }
}
