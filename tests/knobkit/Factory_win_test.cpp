/* Factory_win_test.cpp -- the gadget factory under Wine: the pictures it
 * makes, read back pixel by pixel against the library's own resources;
 * the gadgets it makes, painted and pressed in a dialog, with the
 * notifications and window commands they post compared whole; what
 * becomes of the bitmaps a caller hands in; and the GDI objects of the
 * process over a hundred create/free cycles of every function. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <limits.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_BTN = 401, ID_FIRST = 601, ID_SECOND = 602, ID_MISSING = 499 };

const COLORREF BACK = RGB(1, 2, 3);
const COLORREF MAGENTA = RGB(255, 0, 255);
const COLORREF YELLOW = RGB(255, 255, 0);
const COLORREF LIT = RGB(255, 82, 41);
const COLORREF UNLIT = RGB(96, 0, 0);

/* The library's pictures, by resource number. */
enum {
    RES_TEXTURE = 109, RES_FRAME = 110, RES_CAPTION = 111, RES_KNOB = 112,
    RES_LED = 117, RES_BIGLED = 119, RES_ARROWS = 120, RES_ARROWS2 = 121,
    RES_FOLDER = 122,
};

HBITMAP resource(int id)
{
    return LoadBitmapA(GetModuleHandleA("knobkit.dll"), MAKEINTRESOURCEA(id));
}

/* A bitmap's pixels, read once; empty for a null bitmap. */
struct Pixels {
    int w = 0, h = 0;
    std::vector<COLORREF> px;

    explicit Pixels(HBITMAP bmp)
    {
        BITMAP bm;
        if (!bmp || GetObjectA(bmp, sizeof bm, &bm) != (int)sizeof bm)
            return;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight;   /* top-down */
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<DWORD> bits((size_t)bm.bmWidth * bm.bmHeight);
        HDC dc = GetDC(NULL);
        int rows = GetDIBits(dc, bmp, 0, bm.bmHeight, bits.data(), &bi,
                             DIB_RGB_COLORS);
        ReleaseDC(NULL, dc);
        if (rows != bm.bmHeight)
            return;
        w = bm.bmWidth, h = bm.bmHeight;
        for (DWORD p : bits)
            px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    COLORREF at(int x, int y) const { return px[(size_t)y * w + x]; }
};

/* A resource's pixels; the bitmap goes again. */
Pixels resource_Pixels(int id)
{
    HBITMAP bmp = resource(id);
    Pixels p(bmp);
    DeleteObject(bmp);
    return p;
}

/* A bitmap's pixels, and the bitmap deleted. */
Pixels taken(HBITMAP bmp)
{
    Pixels p(bmp);
    if (bmp)
        DeleteObject(bmp);
    return p;
}

/* A part of a picture laid with its top-left corner at (x, y), the key
 * colour transparent. */
struct Layer {
    const Pixels *pic;
    RECT part;
    int x, y;
    COLORREF key;
};

Layer whole(const Pixels &p, int x, int y, COLORREF key)
{
    return Layer{&p, {0, 0, p.w, p.h}, x, y, key};
}

/* What a stack of layers shows at (x, y) over BACK. */
COLORREF layers_At(const std::vector<Layer> &ls, int x, int y)
{
    for (size_t i = ls.size(); i-- > 0;) {
        const Layer &l = ls[i];
        int sx = l.part.left + x - l.x, sy = l.part.top + y - l.y;
        if (sx < l.part.left || sy < l.part.top || sx >= l.part.right ||
            sy >= l.part.bottom)
            continue;
        COLORREF c = l.pic->at(sx, sy);
        if (c != l.key)
            return c;
    }
    return BACK;
}

/* Where a picture of size is placed centred in a client of length. */
int centred(int length, int size)
{
    return length / 2 - size / 2;
}

/* Control id made exactly w x h pixels. */
bool place(const GadgetDialog &d, int id, int w, int h)
{
    SetWindowPos(d.ctl(id), NULL, 0, 0, w, h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(d.ctl(id), &r);
    return r.right - r.left == w && r.bottom - r.top == h;
}

/* The dialog with one control of w x h pixels. */
bool open(GadgetDialog &d, int w, int h, const char *text = "",
          DWORD style = SS_LEFT)
{
    d.control(ID_BTN, 10, 10, 60, 40, text, style);
    return d.start() && place(d, ID_BTN, w, h);
}

/* What control id paints over BACK, against a stack of layers: the
 * number of pixels that differ, the first one described in first. */
int paint_Mismatches(const GadgetDialog &d, int id,
                     const std::vector<Layer> &ls, std::string *first)
{
    RECT c = d.client(id);
    Canvas cv(c.right, c.bottom, BACK);
    d.shot(id, cv);
    return cv.mismatches([&](int x, int y) { return layers_At(ls, x, y); },
                         [](int, int) { return false; }, first);
}

void click(const GadgetDialog &d, int id, int x, int y)
{
    d.press(id, x, y);
    d.release(id, x, y);
}

std::string note(const char *msg, int id, int value)
{
    char s[64];
    snprintf(s, sizeof s, "%s %d %d", msg, id, value);
    return s;
}

}  // namespace

/* ---- fac_LoadImage ---- */

/* Each of the three numbers gives a new copy of its picture, the
 * caller's; every other number gives null. */
TEST(KnobkitFactory, LoadImageByTable)
{
    const struct {
        const char *name;
        int number, resource;   /* 0: null */
        int w, h;
    } cases[] = {
        {"100, the texture", 100, RES_TEXTURE, 151, 151},
        {"200, the knob", 200, RES_KNOB, 47, 47},
        {"300, the folder", 300, RES_FOLDER, 19, 14},
        {"150", 150, 0, 0, 0},
        {"0", 0, 0, 0, 0},
        {"-1", -1, 0, 0, 0},
        {"101", 101, 0, 0, 0},
        {"400", 400, 0, 0, 0},
        {"a resource number, 112", 112, 0, 0, 0},
    };
    for (const auto &c : cases) {
        HBITMAP a = fac_LoadImage(c.number);
        if (!c.resource) {
            EXPECT_TRUE(a == NULL) << "row " << c.name;
            if (a)
                DeleteObject(a);
            continue;
        }
        HBITMAP b = fac_LoadImage(c.number);
        ASSERT_TRUE(a && b && a != b) << "row " << c.name << ": two copies";
        Pixels want = resource_Pixels(c.resource);
        DeleteObject(b);
        EXPECT_TRUE(kk_Alive(a)) << "row " << c.name << ": the other copy";
        Pixels got = taken(a);
        EXPECT_EQ(c.w, got.w) << "row " << c.name;
        EXPECT_EQ(c.h, got.h) << "row " << c.name;
        EXPECT_TRUE(got.px == want.px) << "row " << c.name << ": the pixels";
    }
}

/* ---- fac_CreateLedImage ---- */

namespace {

/* The lens of each socket: two rectangles that make a rounded one. */
bool in_Lens(int type, int x, int y)
{
    static const RECT lens[2][2] = {{{2, 1, 5, 6}, {1, 2, 6, 5}},
                                    {{4, 3, 8, 9}, {3, 4, 9, 8}}};
    POINT p = {x, y};
    return PtInRect(&lens[type][0], p) || PtInRect(&lens[type][1], p);
}

}  // namespace

/* The socket with its lens filled in the colour; every other pixel,
 * the background's too, as the socket has it.  Other types: null. */
TEST(KnobkitFactory, LedImageByTable)
{
    const struct {
        const char *name;
        int type;
        COLORREF colour;
        int resource, size;   /* resource 0: null */
    } cases[] = {
        {"small, lit", 0, LIT, RES_LED, 7},
        {"small, unlit", 0, UNLIT, RES_LED, 7},
        {"small, green", 0, RGB(12, 200, 34), RES_LED, 7},
        {"large, lit", 1, LIT, RES_BIGLED, 12},
        {"large, blue", 1, RGB(0, 0, 250), RES_BIGLED, 12},
        {"large, white", 1, RGB(255, 255, 255), RES_BIGLED, 12},
        {"type 2", 2, LIT, 0, 0},
        {"type -1", -1, LIT, 0, 0},
        {"type 117", 117, LIT, 0, 0},
    };
    for (const auto &c : cases) {
        HBITMAP bmp = fac_CreateLedImage(c.type, c.colour);
        if (!c.resource) {
            EXPECT_TRUE(bmp == NULL) << "row " << c.name;
            if (bmp)
                DeleteObject(bmp);
            continue;
        }
        Pixels got = taken(bmp), socket = resource_Pixels(c.resource);
        ASSERT_EQ(c.size, got.w) << "row " << c.name;
        ASSERT_EQ(c.size, got.h) << "row " << c.name;
        ASSERT_EQ(YELLOW, socket.at(0, 0)) << "row " << c.name;
        int lens = 0, bad = 0;
        std::string first;
        for (int y = 0; y < got.h; y++)
            for (int x = 0; x < got.w; x++) {
                bool in = in_Lens(c.type, x, y);
                lens += in;
                COLORREF want = in ? c.colour : socket.at(x, y);
                if (got.at(x, y) != want && !bad++)
                    first = "(" + std::to_string(x) + ", " +
                            std::to_string(y) + ")";
            }
        EXPECT_EQ(c.type ? 32 : 21, lens) << "row " << c.name;
        EXPECT_EQ(0, bad) << "row " << c.name << ": first at " << first;
    }
}

/* ---- fac_CreateButtonImage ---- */

namespace {

/* Which pixel of the frame's state (rows 0-14 of it) pixel (x, y) of a
 * W x H stretch shows, with R = W - 9 and B = H - 7: the corners are the
 * frame's corners; the top edge is column 9 (columns 9 to R), the bottom
 * edge column 10 (9 to R - 1, and R below B), the left edge row 8 (rows
 * 8 to B), the right edge row 7 (8 to B); the inside is filled with the
 * pixel at (9, 8). */
POINT frame_Source(int x, int y, int W, int H)
{
    const int R = W - 9, B = H - 7;
    const int cx = x < 9 ? x : x > R ? x - R + 11 : -1;
    const int cy = y < 8 ? y : y > B ? y - B + 8 : -1;
    if (cx >= 0 && cy >= 0)
        return POINT{cx, cy};             /* a corner */
    if (y < 8)
        return POINT{9, y};               /* top edge */
    if (x < 9)
        return POINT{x, 8};               /* left edge */
    if (x >= R && y <= B)
        return POINT{x - R + 11, 7};      /* right edge */
    if (y >= B)
        return POINT{10, y - B + 8};      /* bottom edge */
    return POINT{9, 8};                   /* inside */
}

/* Mismatches of one stretched state against the frame (top: its first
 * row), the first described in first. */
int stretch_Mismatches(const Pixels &got, const Pixels &frame, int top,
                       std::string *first)
{
    int bad = 0;
    for (int y = 0; y < got.h; y++)
        for (int x = 0; x < got.w; x++) {
            POINT s = frame_Source(x, y, got.w, got.h);
            if (got.at(x, y) == frame.at(s.x, top + s.y) || bad++)
                continue;
            char t[96];
            snprintf(t, sizeof t, "(%d, %d) is %06lx, frame (%ld, %ld) %06lx",
                     x, y, (unsigned long)got.at(x, y), s.x, top + s.y,
                     (unsigned long)frame.at(s.x, top + s.y));
            *first = t;
        }
    return bad;
}

}  // namespace

/* Both states of the frame stretched in nine parts to the size asked,
 * at least 20 x 15: every pixel read back against the frame. */
TEST(KnobkitFactory, ButtonImageStretchByTable)
{
    const Pixels frame = resource_Pixels(RES_FRAME);
    ASSERT_EQ(20, frame.w);
    ASSERT_EQ(30, frame.h);
    /* Corners, edges and face differ, so a part taken from the wrong
     * place shows. */
    ASSERT_EQ(MAGENTA, frame.at(0, 0));
    ASSERT_NE(frame.at(9, 0), frame.at(9, 8)) << "edge and face";
    ASSERT_NE(frame.at(0, 8), frame.at(9, 8)) << "edge and face";
    ASSERT_NE(frame.at(9, 8), frame.at(9, 23)) << "normal and pressed face";
    const struct {
        const char *name;
        int width, height, W, H;
    } cases[] = {
        {"10 x 10 gives the smallest, 20 x 15", 10, 10, 20, 15},
        {"negative sizes", -5, -100, 20, 15},
        {"the frame's own size", 20, 15, 20, 15},
        {"100 x 40", 100, 40, 100, 40},
        {"one more each way", 21, 16, 21, 16},
        {"wide and low", 57, 9, 57, 15},
        {"narrow and high", 3, 64, 20, 64},
    };
    for (const auto &c : cases) {
        HBITMAP normal = NULL, pressed = NULL;
        EXPECT_TRUE(fac_CreateButtonImage(c.width, c.height, &normal,
                                          &pressed))
            << "row " << c.name;
        Pixels n = taken(normal), p = taken(pressed);
        ASSERT_EQ(c.W, n.w) << "row " << c.name;
        ASSERT_EQ(c.H, n.h) << "row " << c.name;
        ASSERT_EQ(c.W, p.w) << "row " << c.name;
        ASSERT_EQ(c.H, p.h) << "row " << c.name;
        std::string first;
        EXPECT_EQ(0, stretch_Mismatches(n, frame, 0, &first))
            << "row " << c.name << ", normal: " << first;
        EXPECT_EQ(0, stretch_Mismatches(p, frame, 15, &first))
            << "row " << c.name << ", pressed: " << first;
    }
}

/* The 100 x 40 picture by its named parts: the top edge is frame
 * column 9 over columns 9 to 91, the left edge frame row 8 over rows 8
 * to 33, the corners the frame's, the inside its face. */
TEST(KnobkitFactory, ButtonImageOfHundredByForty)
{
    const Pixels frame = resource_Pixels(RES_FRAME);
    HBITMAP normal = NULL, pressed = NULL;
    ASSERT_TRUE(fac_CreateButtonImage(100, 40, &normal, &pressed));
    const Pixels n = taken(normal), p = taken(pressed);
    ASSERT_TRUE(n.w == 100 && n.h == 40 && p.w == 100 && p.h == 40);
    const struct {
        const char *name;
        const Pixels *pic;
        RECT area;
        std::function<POINT(int x, int y)> from;
    } cases[] = {
        {"normal, top edge", &n, {9, 0, 92, 8},
         [](int, int y) { return POINT{9, y}; }},
        {"normal, left edge", &n, {0, 8, 9, 34},
         [](int x, int) { return POINT{x, 8}; }},
        {"normal, top-left corner", &n, {0, 0, 9, 8},
         [](int x, int y) { return POINT{x, y}; }},
        {"normal, top-right corner", &n, {92, 0, 100, 8},
         [](int x, int y) { return POINT{x - 80, y}; }},
        {"normal, bottom-left corner", &n, {0, 34, 9, 40},
         [](int x, int y) { return POINT{x, y - 25}; }},
        {"normal, bottom-right corner", &n, {92, 34, 100, 40},
         [](int x, int y) { return POINT{x - 80, y - 25}; }},
        {"normal, inside", &n, {9, 8, 91, 33},
         [](int, int) { return POINT{9, 8}; }},
        {"pressed, top edge", &p, {9, 0, 92, 8},
         [](int, int y) { return POINT{9, y + 15}; }},
        {"pressed, left edge", &p, {0, 8, 9, 34},
         [](int x, int) { return POINT{x, 23}; }},
        {"pressed, top-left corner", &p, {0, 0, 9, 8},
         [](int x, int y) { return POINT{x, y + 15}; }},
        {"pressed, bottom-right corner", &p, {92, 34, 100, 40},
         [](int x, int y) { return POINT{x - 80, y - 10}; }},
        {"pressed, inside", &p, {9, 8, 91, 33},
         [](int, int) { return POINT{9, 23}; }},
    };
    for (const auto &c : cases) {
        int bad = 0;
        for (int y = c.area.top; y < c.area.bottom; y++)
            for (int x = c.area.left; x < c.area.right; x++) {
                POINT s = c.from(x, y);
                bad += c.pic->at(x, y) != frame.at(s.x, s.y);
            }
        EXPECT_EQ(0, bad) << "row " << c.name;
    }
}

/* A null out argument asks for no picture; a picture too large to be
 * made leaves its out argument as it was; the answer is TRUE always. */
TEST(KnobkitFactory, ButtonImageOutArguments)
{
    HBITMAP const before = (HBITMAP)(INT_PTR)0x1234;
    HBITMAP normal = before, pressed = before;
    EXPECT_TRUE(fac_CreateButtonImage(30, 20, NULL, &pressed))
        << "row no normal";
    EXPECT_EQ(30, Pixels(pressed).w) << "row no normal";
    DeleteObject(pressed);
    EXPECT_TRUE(fac_CreateButtonImage(30, 20, &normal, NULL))
        << "row no pressed";
    EXPECT_EQ(20, Pixels(normal).h) << "row no pressed";
    DeleteObject(normal);
    EXPECT_TRUE(fac_CreateButtonImage(30, 20, NULL, NULL)) << "row neither";

    normal = pressed = before;
    EXPECT_TRUE(fac_CreateButtonImage(INT_MAX, INT_MAX, &normal, &pressed))
        << "row too large";
    EXPECT_EQ(before, normal) << "row too large";
    EXPECT_EQ(before, pressed) << "row too large";
}

/* ---- fac_CreateButton ---- */

namespace {

const COLORREF ICON = RGB(250, 200, 0), ICONKEY = RGB(0, 255, 255);

/* A strip of two 10 x 8 cells: the second, keyed by its top-left pixel
 * (cyan), holds a 6 x 4 block of ICON with a notch of the key. */
HBITMAP icon_Strip(void)
{
    return kk_Picture(20, 8, [](HDC dc) {
        rect_Fill(dc, 0, 0, 10, 8, RGB(9, 9, 9));
        rect_Fill(dc, 10, 0, 20, 8, ICONKEY);
        rect_Fill(dc, 12, 2, 18, 6, ICON);
        rect_Fill(dc, 12, 2, 13, 3, ICONKEY);
    });
}
const RECT ICON_PART = {10, 0, 20, 8};

}  // namespace

/* The frame at the size of the control's window (a border's frame is
 * cut by the client area), magenta around it transparent, the icon
 * centred over it and moved by a pixel when down; a click posts one
 * GM_IBUTTON. */
TEST(KnobkitFactory, ButtonPaintsFrameAndIconByTable)
{
    const struct {
        const char *name;
        DWORD style;
        int w, h;        /* the window */
        uint32_t flags, down;
        bool border;
    } cases[] = {
        {"up", SS_LEFT, 60, 30, 0, 0, false},
        {"down", SS_LEFT, 60, 30, 0, 1, false},
        {"down, IBTN_NOSHIFT", SS_LEFT, 60, 30, IBTN_NOSHIFT, 1, false},
        {"small control: the smallest frame", SS_LEFT, 12, 10, 0, 0, false},
        {"bordered control", SS_LEFT | WS_BORDER, 62, 32, 0, 0, true},
    };
    for (const auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, c.w, c.h, "", c.style)) << "row " << c.name;
        HBITMAP strip = icon_Strip();
        Gadget *g = fac_CreateButton(d.dlg, ID_BTN, c.flags, 0xDEAD, strip,
                                     &ICON_PART, 0, 0);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_EQ((uint32_t)GAD_IBUTTON, GAD_KIND(g)) << "row " << c.name;
        EXPECT_EQ(c.flags, g->flags) << "row " << c.name;
        const Pixels icon(strip);
        DeleteObject(strip);
        HBITMAP n = NULL, p = NULL;
        fac_CreateButtonImage(c.w, c.h, &n, &p);
        const Pixels frame = taken(c.down ? p : n);
        DeleteObject(c.down ? n : p);
        ibtn_SetState(g, c.down);
        RECT cl = d.client(ID_BTN);
        const int shift = c.down && !(c.flags & IBTN_NOSHIFT);
        std::vector<Layer> ls = {
            whole(frame, centred(cl.right, frame.w),
                  centred(cl.bottom, frame.h), MAGENTA),
            Layer{&icon, ICON_PART, centred(cl.right, 10) + shift,
                  centred(cl.bottom, 8) + shift, ICONKEY},
        };
        if (c.border) {
            ASSERT_LT(cl.right, c.w) << "row " << c.name << ": a border";
        }
        std::string first;
        EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
            << "row " << c.name << ": " << first;
        ibtn_SetState(g, 0);
        d.notes();
        click(d, ID_BTN, cl.right / 2, cl.bottom / 2);
        EXPECT_NOTES(d, std::vector<std::string>{note("GM_IBUTTON", ID_BTN, 0)},
                     c.name);
    }
}

/* An icon given with a part stays the caller's and usable, whatever
 * becomes of the button; one given whole is the button's, even when there
 * is no control to make one of. */
TEST(KnobkitFactory, ButtonIconOwnershipByTable)
{
    const struct {
        const char *name;
        int id;
        bool part;
    } cases[] = {
        {"with a part", ID_BTN, true},
        {"whole", ID_BTN, false},
        {"no control, with a part", ID_MISSING, true},
        {"no control, whole", ID_MISSING, false},
    };
    for (const auto &c : cases) {
        HBITMAP strip = icon_Strip();
        const Pixels before(strip);
        {
            GadgetDialog d;
            ASSERT_TRUE(open(d, 60, 30)) << "row " << c.name;
            Gadget *g = fac_CreateButton(d.dlg, c.id, 0, 0, strip,
                                         c.part ? &ICON_PART : NULL, 0, 0);
            EXPECT_EQ(c.id == ID_BTN, g != NULL) << "row " << c.name;
            EXPECT_EQ(c.part, kk_Alive(strip)) << "row " << c.name;
            if (g) {
                gad_Free(g);
                EXPECT_EQ(c.part, kk_Alive(strip))
                    << "row " << c.name << ": after gad_Free";
            }
            if (c.part) {
                /* Cut once more, for a second button. */
                EXPECT_TRUE(fac_CreateButton(d.dlg, ID_BTN, 0, 0, strip,
                                             &ICON_PART, 0, 0) != NULL)
                    << "row " << c.name << ": used again";
            }
        }
        EXPECT_EQ(c.part, kk_Alive(strip))
            << "row " << c.name << ": after the dialog";
        if (c.part) {
            EXPECT_TRUE(Pixels(strip).px == before.px)
                << "row " << c.name << ": the pixels";
            DeleteObject(strip);
        }
    }
}

/* ---- fac_CreateAutoButton ---- */

namespace {

const char *const SC_MIN = "WM_SYSCOMMAND 0xf020";
const char *const SC_MAX = "WM_SYSCOMMAND 0xf030";
const char *const SC_CLS = "WM_SYSCOMMAND 0xf060";
const char *const SC_RES = "WM_SYSCOMMAND 0xf120";

/* A window command heard in its place among the notifications, and kept
 * from the system. */
INT_PTR KKAPI command_Note(HWND, WPARAM wParam, LPARAM, int, LPARAM)
{
    char s[48];
    snprintf(s, sizeof s, "WM_SYSCOMMAND %#x", (unsigned)wParam);
    kk_Notes().push_back(s);
    return DLG_HANDLED;
}

/* The recorder's table with a row for the window commands. */
const DlgHandler *command_Table(void)
{
    static std::vector<DlgHandler> table;
    if (table.empty()) {
        table.push_back({WM_SYSCOMMAND, 0, command_Note, 0});
        for (const DlgHandler *r = kk_NoteTable(); r->msg; r++)
            table.push_back(*r);
        table.push_back({0, 0, NULL, 0});
    }
    return table.data();
}

/* What the queue's run made the handlers hear. */
std::vector<std::string> heard(void)
{
    kk_Pump();
    std::vector<std::string> got = kk_Notes();
    kk_Notes().clear();
    return got;
}

}  // namespace

/* Each type shows its cell of the caption strip, normal and pressed, and
 * a click posts GM_IBUTTON and then the type's action. */
TEST(KnobkitFactory, AutoButtonByTable)
{
    const Pixels strip = resource_Pixels(RES_CAPTION);
    ASSERT_TRUE(strip.w == 78 && strip.h == 26);
    const std::string click_Note = note("GM_IBUTTON", ID_BTN, 0);
    const struct {
        const char *name;
        int type;
        uint32_t bit;
        std::string action;
    } cases[] = {
        {"0 minimises", 0, GS_MINIMIZE, SC_MIN},
        {"1 restores", 1, GS_RESTORE, SC_RES},
        {"2 maximises", 2, GS_MAXIMIZE, SC_MAX},
        {"3 closes", 3, GS_CLOSE, SC_CLS},
        {"4 posts GM_ARROW", 4, GS_ARROW, note("GM_ARROW", ID_BTN, 0)},
        {"5 posts GM_ABOUT", 5, GS_ABOUT, note("GM_ABOUT", ID_BTN, 0)},
    };
    const uint32_t actions = GS_CLOSE | GS_MAXIMIZE | GS_MINIMIZE |
                             GS_RESTORE | GS_ARROW | GS_ABOUT;
    for (const auto &c : cases) {
        GadgetDialog d;
        d.control(ID_BTN, 10, 10, 60, 40);
        ASSERT_TRUE(d.start(command_Table()) && place(d, ID_BTN, 31, 30))
            << "row " << c.name;
        Gadget *g = fac_CreateAutoButton(d.dlg, ID_BTN, c.type);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_EQ((uint32_t)GAD_IBUTTON, GAD_KIND(g)) << "row " << c.name;
        EXPECT_EQ(c.bit, g->state & actions) << "row " << c.name;
        for (uint32_t down = 0; down < 2; down++) {
            ibtn_SetState(g, down);
            const LONG left = 13 * c.type, top = 13 * (LONG)down;
            std::vector<Layer> ls = {
                Layer{&strip, {left, top, left + 13, top + 13},
                      centred(31, 13), centred(30, 13), MAGENTA}};
            std::string first;
            EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
                << "row " << c.name << ", down " << down << ": " << first;
        }
        ibtn_SetState(g, 0);
        heard();
        click(d, ID_BTN, 15, 15);
        EXPECT_LINES(heard(), (std::vector<std::string>{click_Note, c.action}),
                     c.name);
        EXPECT_FALSE(IsIconic(d.dlg) || IsZoomed(d.dlg)) << "row " << c.name;
    }
}

/* A type outside the six cells makes nothing: null, and the control
 * stays a plain one with its text, which a click leaves silent. */
TEST(KnobkitFactory, AutoButtonBadTypesByTable)
{
    const int types[] = {6, 7, -1, 300, INT_MIN, INT_MAX};
    for (int type : types) {
        const std::string row = "type " + std::to_string(type);
        GadgetDialog d;
        ASSERT_TRUE(open(d, 31, 30, "text")) << "row " << row;
        EXPECT_TRUE(fac_CreateAutoButton(d.dlg, ID_BTN, type) == NULL)
            << "row " << row;
        Gadget *g = gad_GetGadget(d.dlg, ID_BTN);
        ASSERT_TRUE(g != NULL) << "row " << row;
        EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind) << "row " << row;
        EXPECT_EQ(0u, g->state) << "row " << row;
        char text[16] = "";
        GetWindowTextA(d.ctl(ID_BTN), text, sizeof text);
        EXPECT_STREQ("text", text) << "row " << row;
        click(d, ID_BTN, 15, 15);
        EXPECT_NOTES(d, std::vector<std::string>{}, row);
    }
    EXPECT_TRUE(fac_CreateAutoButton(NULL, ID_BTN, 3) == NULL)
        << "row no dialog";
}

/* The window commands reach the system: the dialog is minimised,
 * maximised or restored once the queue has run. */
TEST(KnobkitFactory, AutoButtonCommandsActByTable)
{
    const struct {
        const char *name;
        int type, before;
        bool iconic, zoomed;
    } cases[] = {
        {"minimise", 0, SW_SHOWNORMAL, true, false},
        {"maximise", 2, SW_SHOWNORMAL, false, true},
        {"restore from maximised", 1, SW_MAXIMIZE, false, false},
        {"restore from minimised", 1, SW_MINIMIZE, false, false},
    };
    for (const auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, 31, 30)) << "row " << c.name;
        ASSERT_TRUE(fac_CreateAutoButton(d.dlg, ID_BTN, c.type) != NULL)
            << "row " << c.name;
        ShowWindow(d.dlg, c.before);
        kk_Pump();
        click(d, ID_BTN, 15, 15);
        kk_Pump();
        EXPECT_EQ(c.iconic, IsIconic(d.dlg) != FALSE) << "row " << c.name;
        EXPECT_EQ(c.zoomed, IsZoomed(d.dlg) != FALSE) << "row " << c.name;
        EXPECT_TRUE(IsWindow(d.dlg)) << "row " << c.name;
    }
}

namespace {

/* The modal dialog of the close test: what its handlers heard. */
std::vector<std::string> CloseLog;
HWND CloseDlg;

INT_PTR KKAPI close_Init(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    CloseDlg = hDlg;
    SetWindowPos(GetDlgItem(hDlg, ID_BTN), NULL, 0, 0, 31, 30,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!fac_CreateAutoButton(hDlg, ID_BTN, 3))
        CloseLog.push_back("no button");
    SetTimer(hDlg, 1, 10000, NULL);   /* a watchdog */
    return 1;
}

/* Clicked as the system would, once the dialog shows. */
INT_PTR KKAPI close_Shown(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    POINT p = {15, 15};
    MapWindowPoints(GetDlgItem(hDlg, ID_BTN), hDlg, &p, 1);
    SendMessageA(hDlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(hDlg, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    return DLG_HANDLED;
}

INT_PTR KKAPI close_Note(HWND, WPARAM wParam, LPARAM, int value, LPARAM)
{
    CloseLog.push_back(note("GM_IBUTTON", (int)wParam, value));
    return DLG_HANDLED;
}

INT_PTR KKAPI close_Cancel(HWND, WPARAM wParam, LPARAM, int, LPARAM)
{
    CloseLog.push_back("IDCANCEL " + std::to_string(LOWORD(wParam)));
    return DLG_ENDCANCEL;
}

INT_PTR KKAPI close_Watchdog(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    CloseLog.push_back("timed out");
    EndDialog(hDlg, 7);
    return DLG_HANDLED;
}

}  // namespace

/* A click on the close button of a modal dialog: GM_IBUTTON, then the
 * system's close, which the dialog hears as IDCANCEL and ends. */
TEST(KnobkitFactory, AutoButtonCloseEndsTheDialog)
{
    static const DlgHandler table[] = {
        {WM_INITDIALOG, 0, close_Init, 0},
        {GM_SHOWN, 0, close_Shown, 0},
        {GM_IBUTTON, ID_BTN, close_Note, 0},
        {WM_COMMAND, IDCANCEL, close_Cancel, 0},
        {WM_TIMER, 1, close_Watchdog, 0},
        {0, 0, NULL, 0},
    };
    CloseLog.clear();
    CloseDlg = NULL;
    Template t(WS_POPUP | WS_VISIBLE);
    t.custom("STATIC", SS_LEFT, ID_BTN, 10, 10, 60, 40, "");
    INT_PTR r = dlg_DoDialogIndirect(GetModuleHandleA(NULL), t.get(), NULL,
                                     table);
    EXPECT_EQ(0, r);
    EXPECT_LINES(CloseLog,
                 (std::vector<std::string>{note("GM_IBUTTON", ID_BTN, 0),
                                           "IDCANCEL 2"}),
                 "close");
    EXPECT_TRUE(CloseDlg && !IsWindow(CloseDlg)) << "row the window is gone";
}

/* ---- fac_CreateWheel ---- */

/* The knob with a small dark LED as its mark, at twelve o'clock on a
 * circle of nearest((47 / 2 - 7 / 2) x 0.6) = 12 pixels; held, the mark
 * blinks to the lit LED.  The flags are the wheel's. */
TEST(KnobkitFactory, WheelOnTheKnob)
{
    const Pixels knob = resource_Pixels(RES_KNOB);
    const Pixels dark = taken(fac_CreateLedImage(0, UNLIT));
    const Pixels lit = taken(fac_CreateLedImage(0, LIT));
    ASSERT_TRUE(knob.w == 47 && dark.w == 7 && lit.w == 7);
    GadgetDialog d;
    ASSERT_TRUE(open(d, 61, 61));
    Gadget *g = fac_CreateWheel(d.dlg, ID_BTN, VT_PERCENT);
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_WHEEL, GAD_KIND(g)) << "row kind";
    EXPECT_EQ((uint32_t)VT_PERCENT, g->flags) << "row flags";
    /* The knob from (7, 7), its centre (30, 30); the mark's centre 12
     * above it, its corner 3 up and left of that. */
    const struct {
        const char *name;
        const Pixels *mark;
        int ticks;
    } cases[] = {
        {"at rest: the dark LED", &dark, 0},
        {"held, one tick: the lit LED", &lit, 1},
        {"held, two ticks: dark again", &dark, 1},
    };
    for (const auto &c : cases) {
        if (c.ticks) {
            if (!d.tracking())
                d.press(ID_BTN, 30, 30);
            d.tick(c.ticks);
        }
        std::vector<Layer> ls = {whole(knob, 7, 7, YELLOW),
                                 whole(*c.mark, 27, 15, YELLOW)};
        std::string first;
        EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
            << "row " << c.name << ": " << first;
    }
    d.release(ID_BTN, 30, 30);
    EXPECT_EQ(0, wheel_GetPos(g)) << "row pressed at the centre";
}

/* ---- fac_CreateMute ---- */

/* Each press flips the large LED between dark and lit and posts
 * GM_IBUTTON with the new state; it is never tracked, and the pointing
 * hands are its cursors. */
TEST(KnobkitFactory, MuteToggles)
{
    const Pixels dark = taken(fac_CreateLedImage(1, UNLIT));
    const Pixels lit = taken(fac_CreateLedImage(1, LIT));
    GadgetDialog d;
    ASSERT_TRUE(open(d, 20, 21));
    Gadget *g = fac_CreateMute(d.dlg, ID_BTN, IBTN_NOSHIFT);
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_IBUTTON, GAD_KIND(g)) << "row kind";
    EXPECT_EQ((uint32_t)(IBTN_TOGGLE | IBTN_NOSHIFT), g->flags)
        << "row flags";
    EXPECT_EQ(dlg_GetDefObject(DEF_CURSORPOINT), (HGDIOBJ)g->hCursor)
        << "row cursor";
    EXPECT_EQ(dlg_GetDefObject(DEF_CURSORPOINTDOWN), (HGDIOBJ)g->hCursorDown)
        << "row pressed cursor";
    EXPECT_EQ((uint32_t)(GS_CURSOR | GS_CURSORDOWN),
              g->state & (GS_CURSOR | GS_CURSORDOWN))
        << "row cursor bits";
    const struct {
        const char *name;
        const Pixels *shown;
        int state;
    } cases[] = {
        {"made: dark", &dark, -1},
        {"first press: lit", &lit, 1},
        {"second press: dark", &dark, 0},
        {"third press: lit", &lit, 1},
    };
    for (const auto &c : cases) {
        if (c.state >= 0) {
            d.press(ID_BTN, 10, 10);
            EXPECT_FALSE(d.tracking()) << "row " << c.name;
            d.release(ID_BTN, 10, 10);
        }
        EXPECT_EQ(c.state > 0 ? 1u : 0u, ibtn_GetState(g)) << "row " << c.name;
        std::vector<Layer> ls = {whole(*c.shown, 4, 4, YELLOW)};
        std::string first;
        EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
            << "row " << c.name << ": " << first;
        std::vector<std::string> want;
        if (c.state >= 0)
            want.push_back(note("GM_IBUTTON", ID_BTN, c.state));
        EXPECT_NOTES(d, want, c.name);
    }
}

/* ---- fac_CreateArrows ---- */

/* Two framed buttons, each with its arrow cut from the pair's picture
 * and keyed by the pixel given; both take the flags and post their own
 * GM_IBUTTON.  Another type makes nothing and answers FALSE. */
TEST(KnobkitFactory, ArrowsByTable)
{
    const Pixels vert = resource_Pixels(RES_ARROWS);
    const Pixels horz = resource_Pixels(RES_ARROWS2);
    ASSERT_TRUE(vert.w == 14 && vert.h == 52 && horz.w == 11 && horz.h == 9);
    const struct {
        const char *name;
        int type;
        uint32_t flags;
        const Pixels *pic;   /* null: nothing made */
        RECT part[2];
        POINT key[2];
    } cases[] = {
        {"0, up and down", 0, IBTN_REPEAT, &vert,
         {{0, 0, 14, 27}, {0, 26, 14, 52}}, {{0, 0}, {0, 0}}},
        {"300, left and right", 300, 0, &horz,
         {{0, 0, 5, 9}, {6, 0, 11, 9}}, {{0, 0}, {2, 0}}},
        {"1", 1, 0, NULL, {}, {}},
        {"-1", -1, 0, NULL, {}, {}},
        {"299", 299, 0, NULL, {}, {}},
        {"120, a resource number", 120, 0, NULL, {}, {}},
    };
    const int ids[2] = {ID_FIRST, ID_SECOND};
    for (const auto &c : cases) {
        GadgetDialog d;
        d.control(ID_FIRST, 10, 10, 30, 30);
        d.control(ID_SECOND, 50, 10, 30, 30);
        ASSERT_TRUE(d.start() && place(d, ID_FIRST, 40, 40) &&
                    place(d, ID_SECOND, 40, 40))
            << "row " << c.name;
        EXPECT_EQ(c.pic != NULL,
                  fac_CreateArrows(d.dlg, ID_FIRST, ID_SECOND, c.flags,
                                   c.type) != FALSE)
            << "row " << c.name;
        for (int i = 0; i < 2; i++) {
            Gadget *g = gad_GetGadget(d.dlg, ids[i]);
            ASSERT_TRUE(g != NULL) << "row " << c.name;
            if (!c.pic) {
                EXPECT_EQ((uint32_t)GAD_PLAIN, g->kind)
                    << "row " << c.name << ", button " << i;
                continue;
            }
            EXPECT_EQ((uint32_t)GAD_IBUTTON, GAD_KIND(g))
                << "row " << c.name << ", button " << i;
            EXPECT_EQ(c.flags, g->flags) << "row " << c.name << ", button " << i;
            HBITMAP n = NULL;
            fac_CreateButtonImage(40, 40, &n, NULL);
            const Pixels frame = taken(n);
            const RECT &part = c.part[i];
            const int iw = part.right - part.left, ih = part.bottom - part.top;
            std::vector<Layer> ls = {
                whole(frame, 0, 0, MAGENTA),
                Layer{c.pic, part, centred(40, iw), centred(40, ih),
                      c.pic->at(part.left + c.key[i].x,
                                part.top + c.key[i].y)}};
            std::string first;
            EXPECT_EQ(0, paint_Mismatches(d, ids[i], ls, &first))
                << "row " << c.name << ", button " << i << ": " << first;
        }
        d.notes();
        click(d, ID_FIRST, 20, 20);
        click(d, ID_SECOND, 20, 20);
        std::vector<std::string> want;
        if (c.pic)
            want = {note("GM_IBUTTON", ID_FIRST, 0),
                    note("GM_IBUTTON", ID_SECOND, 0)};
        EXPECT_NOTES(d, want, c.name);
    }
}

/* ---- fac_CreateLed ---- */

/* An image static of two LEDs: picture 0 dark, picture 1 lit, each keyed
 * by its yellow corner and centred; a press on the lens posts one
 * GM_STATIC.  A type without a socket makes a gadget without pictures,
 * which neither draws nor takes presses. */
TEST(KnobkitFactory, LedByTable)
{
    const COLORREF OFF = RGB(0, 60, 0), ON = RGB(40, 250, 40);
    const struct {
        const char *name;
        int type, size;   /* size 0: no pictures */
    } cases[] = {
        {"small", 0, 7},
        {"large", 1, 12},
        {"type 2: nothing to show", 2, 0},
    };
    for (const auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, 21, 20)) << "row " << c.name;
        Gadget *g = fac_CreateLed(d.dlg, ID_BTN, c.type, OFF, ON);
        ASSERT_TRUE(g != NULL) << "row " << c.name;
        EXPECT_EQ((uint32_t)GAD_STATIC, GAD_KIND(g)) << "row " << c.name;
        EXPECT_EQ(0u, g->flags) << "row " << c.name;
        const Pixels off = taken(fac_CreateLedImage(c.type, OFF));
        const Pixels on = taken(fac_CreateLedImage(c.type, ON));
        const int x0 = centred(21, c.size), y0 = centred(20, c.size);
        const struct {
            uint32_t picture;
            const Pixels *shown;
        } states[] = {{0, &off}, {1, &on}, {0, &off}};
        for (size_t i = 0; i < 3; i++) {
            const auto &s = states[i];
            if (i)   /* a fresh static shows picture 0 */
                static_SetState(g, s.picture);
            EXPECT_EQ(s.picture, static_GetState(g)) << "row " << c.name;
            std::vector<Layer> ls;
            if (c.size)
                ls.push_back(whole(*s.shown, x0, y0, YELLOW));
            std::string first;
            EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
                << "row " << c.name << ", picture " << s.picture << ": "
                << first;
        }
        d.notes();
        click(d, ID_BTN, 10, 10);
        std::vector<std::string> want;
        if (c.size)
            want.push_back(note("GM_STATIC", ID_BTN, 0));
        EXPECT_NOTES(d, want, c.name);
    }
}

/* ---- fac_CreateAbout ---- */

/* The logo of the variant, keyed by its red corner; a press on it posts
 * GM_STATIC and then GM_ABOUT, and the help cursor is its cursor.
 * Another variant makes no gadget: null, and the control, given GS_ABOUT
 * all the same, is a plain one that posts nothing. */
TEST(KnobkitFactory, AboutByTable)
{
    const struct {
        const char *name;
        int variant, resource;   /* resource 0: no gadget */
    } cases[] = {
        {"variant 0", 0, 114},
        {"variant 1", 1, 115},
        {"variant 2", 2, 0},
        {"variant -1", -1, 0},
    };
    const HCURSOR help = LoadCursorA(NULL, (LPCSTR)IDC_HELP);
    ASSERT_TRUE(help != NULL);
    for (const auto &c : cases) {
        GadgetDialog d;
        ASSERT_TRUE(open(d, 50, 25, "logo")) << "row " << c.name;
        Gadget *g = fac_CreateAbout(d.dlg, ID_BTN, 0x40, c.variant);
        Gadget *r = gad_GetGadget(d.dlg, ID_BTN);
        ASSERT_TRUE(r != NULL) << "row " << c.name;
        EXPECT_TRUE(r->state & GS_ABOUT) << "row " << c.name;
        const POINT on = {7, 13};   /* the mark's cap, logo (5, 10) */
        std::vector<std::string> want;
        if (!c.resource) {
            EXPECT_TRUE(g == NULL) << "row " << c.name;
            EXPECT_EQ((uint32_t)GAD_COLORED, r->kind) << "row " << c.name;
        } else {
            ASSERT_EQ(r, g) << "row " << c.name;
            EXPECT_EQ((uint32_t)GAD_STATIC, GAD_KIND(g)) << "row " << c.name;
            EXPECT_EQ(0x40u, g->flags) << "row " << c.name;
            EXPECT_EQ(help, g->hCursor) << "row " << c.name;
            EXPECT_EQ((uint32_t)GS_CURSOR,
                      g->state & (GS_CURSOR | GS_CURSORDOWN))
                << "row " << c.name;
            const Pixels logo = resource_Pixels(c.resource);
            ASSERT_TRUE(logo.w == 46 && logo.h == 19) << "row " << c.name;
            const COLORREF key = logo.at(0, 0);
            ASSERT_NE(key, logo.at(on.x - 2, on.y - 3)) << "row " << c.name;
            /* The caption is the label, drawn over the logo: cleared, so
             * the logo alone shows. */
            gad_SetText(g, "");
            std::vector<Layer> ls = {whole(logo, 2, 3, key)};
            std::string first;
            EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first))
                << "row " << c.name << ": " << first;
            want = {note("GM_STATIC", ID_BTN, 0), note("GM_ABOUT", ID_BTN, 0)};
        }
        d.notes();
        click(d, ID_BTN, on.x, on.y);
        EXPECT_NOTES(d, want, c.name);
    }
}

/* ---- fac_CreateBrowser ---- */

/* The folder, keyed by its magenta corner, with no caption whatever the
 * control's text was; a press on it posts one GM_STATIC. */
TEST(KnobkitFactory, BrowserShowsTheFolder)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 30, 20, "Browse..."));
    Gadget *g = fac_CreateBrowser(d.dlg, ID_BTN, 0x8);
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_STATIC, GAD_KIND(g)) << "row kind";
    EXPECT_EQ(0x8u, g->flags) << "row flags";
    EXPECT_STREQ("", g->text) << "row label";
    char text[16] = "?";
    GetWindowTextA(d.ctl(ID_BTN), text, sizeof text);
    EXPECT_STREQ("", text) << "row window text";
    const Pixels folder = resource_Pixels(RES_FOLDER);
    ASSERT_TRUE(folder.w == 19 && folder.h == 14);
    std::vector<Layer> ls = {
        whole(folder, centred(30, 19), centred(20, 14), folder.at(0, 0))};
    std::string first;
    EXPECT_EQ(0, paint_Mismatches(d, ID_BTN, ls, &first)) << "row " << first;
    d.notes();
    click(d, ID_BTN, 15, 10);
    click(d, ID_BTN, 0, 0);
    EXPECT_NOTES(d, std::vector<std::string>{note("GM_STATIC", ID_BTN, 0)},
                 "a press on the folder, one beside it");
}

/* ---- Missing controls ---- */

/* Every function that makes a gadget gives null for a control the dialog
 * does not have, and does nothing more. */
TEST(KnobkitFactory, MissingControlsByTable)
{
    GadgetDialog d;
    ASSERT_TRUE(open(d, 30, 30));
    const struct {
        const char *name;
        std::function<Gadget *(HWND)> make;
    } cases[] = {
        {"fac_CreateButton", [](HWND h) {
             return fac_CreateButton(h, ID_MISSING, 0, 0, NULL, NULL, 0, 0);
         }},
        {"fac_CreateAutoButton",
         [](HWND h) { return fac_CreateAutoButton(h, ID_MISSING, 3); }},
        {"fac_CreateWheel",
         [](HWND h) { return fac_CreateWheel(h, ID_MISSING, 0); }},
        {"fac_CreateMute",
         [](HWND h) { return fac_CreateMute(h, ID_MISSING, 0); }},
        {"fac_CreateLed",
         [](HWND h) { return fac_CreateLed(h, ID_MISSING, 1, LIT, UNLIT); }},
        {"fac_CreateAbout",
         [](HWND h) { return fac_CreateAbout(h, ID_MISSING, 0, 0); }},
        {"fac_CreateBrowser",
         [](HWND h) { return fac_CreateBrowser(h, ID_MISSING, 0); }},
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(c.make(d.dlg) == NULL) << "row " << c.name;
        EXPECT_EQ((uint32_t)GAD_PLAIN, gad_GetGadget(d.dlg, ID_BTN)->kind)
            << "row " << c.name;
    }
    EXPECT_TRUE(fac_CreateArrows(d.dlg, ID_MISSING, ID_MISSING + 1, 0, 0))
        << "row fac_CreateArrows";
    EXPECT_NOTES(d, std::vector<std::string>{}, "missing controls");
}

/* ---- Ownership ---- */

/* A hundred create/free cycles of each function leave the process no
 * more GDI objects than it had: bitmaps returned are deleted by the
 * test, gadgets are freed with gad_Free. */
TEST(KnobkitFactory, NoGdiObjectLeftByTable)
{
    ASSERT_GE(kk_GdiObjects(), 0) << "no way to count GDI objects here";
    GadgetDialog d;
    d.control(ID_BTN, 10, 10, 40, 40);
    d.control(ID_FIRST, 60, 10, 30, 30);
    d.control(ID_SECOND, 100, 10, 30, 30);
    ASSERT_TRUE(d.start());
    const HWND dlg = d.dlg;
    /* Painted once, so the drawing's objects are counted too. */
    auto freed = [](Gadget *g) {
        if (g && GAD_KIND(g) >= GAD_PROGBAR) {
            RedrawWindow(g->hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
            gad_Free(g);
        }
    };
    auto bitmap = [](HBITMAP b) {
        if (b)
            DeleteObject(b);
    };
    HBITMAP strip = icon_Strip();
    const struct {
        const char *name;
        std::function<void()> cycle;
    } cases[] = {
        {"fac_LoadImage", [&] {
             for (int n : {100, 200, 300, 150})
                 bitmap(fac_LoadImage(n));
         }},
        {"fac_CreateLedImage", [&] {
             for (int t : {0, 1, 2})
                 bitmap(fac_CreateLedImage(t, LIT));
         }},
        {"fac_CreateButtonImage", [&] {
             HBITMAP n = NULL, p = NULL;
             fac_CreateButtonImage(100, 40, &n, &p);
             bitmap(n);
             bitmap(p);
         }},
        {"fac_CreateButton, an icon with a part", [&] {
             freed(fac_CreateButton(dlg, ID_BTN, 0, 0, strip, &ICON_PART, 0,
                                    0));
         }},
        {"fac_CreateButton, a whole icon", [&] {
             freed(fac_CreateButton(dlg, ID_BTN, 0, 0, icon_Strip(), NULL, 0,
                                    0));
         }},
        {"fac_CreateButton, no control", [&] {
             freed(fac_CreateButton(dlg, ID_MISSING, 0, 0, icon_Strip(), NULL,
                                    0, 0));
         }},
        {"fac_CreateAutoButton", [&] {
             for (int t = -1; t <= 6; t++)
                 freed(fac_CreateAutoButton(dlg, ID_BTN, t));
         }},
        {"fac_CreateWheel", [&] { freed(fac_CreateWheel(dlg, ID_BTN, 0)); }},
        {"fac_CreateWheel, no control",
         [&] { freed(fac_CreateWheel(dlg, ID_MISSING, 0)); }},
        {"fac_CreateMute", [&] { freed(fac_CreateMute(dlg, ID_BTN, 0)); }},
        {"fac_CreateMute, no control",
         [&] { freed(fac_CreateMute(dlg, ID_MISSING, 0)); }},
        {"fac_CreateLed", [&] {
             for (int t : {0, 1, 2})
                 freed(fac_CreateLed(dlg, ID_BTN, t, UNLIT, LIT));
         }},
        {"fac_CreateLed, no control",
         [&] { freed(fac_CreateLed(dlg, ID_MISSING, 1, UNLIT, LIT)); }},
        {"fac_CreateAbout", [&] {
             for (int v : {0, 1, 2})
                 freed(fac_CreateAbout(dlg, ID_BTN, 0, v));
         }},
        {"fac_CreateAbout, no control",
         [&] { freed(fac_CreateAbout(dlg, ID_MISSING, 0, 0)); }},
        {"fac_CreateBrowser",
         [&] { freed(fac_CreateBrowser(dlg, ID_BTN, 0)); }},
        {"fac_CreateBrowser, no control",
         [&] { freed(fac_CreateBrowser(dlg, ID_MISSING, 0)); }},
        {"fac_CreateArrows", [&] {
             for (int t : {0, 300, 1}) {
                 fac_CreateArrows(dlg, ID_FIRST, ID_SECOND, 0, t);
                 freed(gad_GetGadget(dlg, ID_FIRST));
                 freed(gad_GetGadget(dlg, ID_SECOND));
             }
         }},
    };
    for (const auto &c : cases) {
        c.cycle();   /* whatever the system makes once, made now */
        long before = kk_GdiObjects();
        for (int i = 0; i < 100; i++)
            c.cycle();
        long after = kk_GdiObjects();
        EXPECT_LE(after, before) << "row " << c.name;
    }
    EXPECT_TRUE(kk_Alive(strip)) << "row the caller's strip";
    DeleteObject(strip);
}
