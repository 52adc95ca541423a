/* Layout_win_test.cpp -- a managed dialog's layout under Wine: controls
 * following the window by their alignment bits when it is resized, by
 * SetWindowPos and by the real mouse dragging its border (SendInput,
 * through the system's own sizing loop); the size limits held on
 * WM_SIZING, as messages and under real drags; the limits and snap
 * distance as stored; snapping to the work area's top while the window
 * is dragged by its background; and the tips of statics following their
 * controls. */
#include "knobkit.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dlg_template.h"
#include "kk_input.h"
#include "kk_test.h"

namespace {

enum { ID_A = 501, ID_B = 502, ID_C = 503 };
enum { LEFT = 100, TOP = 120, WIDTH = 300, HEIGHT = 200 };

const DlgHandler NO_HANDLERS[] = {{0, 0, NULL, 0}};

/* A sizable dialog of WIDTH x HEIGHT at (LEFT, TOP), on top, with three
 * static controls. */
struct LayoutRig {
    Template t{WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME};
    HWND dlg = NULL;

    LayoutRig()
    {
        t.custom("STATIC", SS_LEFT, ID_A, 4, 4, 30, 10, "a");
        t.custom("STATIC", SS_LEFT, ID_B, 4, 20, 30, 10, "b");
        t.custom("STATIC", SS_LEFT, ID_C, 4, 36, 30, 10, "c");
        dlg = dlg_CreateDialogIndirect(GetModuleHandleA(NULL), t.get(), NULL,
                                       NO_HANDLERS);
        if (dlg)
            SetWindowPos(dlg, HWND_TOPMOST, LEFT, TOP, WIDTH, HEIGHT,
                         SWP_SHOWWINDOW);
        kk_Pump();
    }
    ~LayoutRig()
    {
        if (dlg && IsWindow(dlg))
            DestroyWindow(dlg);
    }
    LayoutRig(const LayoutRig &) = delete;
    LayoutRig &operator=(const LayoutRig &) = delete;

    GadDialog *header() const { return dlg_ModifyFlags(dlg, 0, 0); }
    HWND ctl(int id) const { return GetDlgItem(dlg, id); }
    RECT window() const
    {
        RECT r;
        GetWindowRect(dlg, &r);
        return r;
    }
    /* Control id's window rectangle in the dialog's client area. */
    RECT place(int id) const
    {
        RECT r;
        GetWindowRect(ctl(id), &r);
        MapWindowPoints(NULL, dlg, (POINT *)&r, 2);
        return r;
    }
    void put(int id, RECT r) const
    {
        MoveWindow(ctl(id), r.left, r.top, r.right - r.left, r.bottom - r.top,
                   FALSE);
    }
    /* The window's outer right edge in client coordinates. */
    LONG outerRight() const
    {
        RECT w = window();
        MapWindowPoints(NULL, dlg, (POINT *)&w, 2);
        return w.right;
    }
};

std::string rect_Text(const RECT &r)
{
    char s[64];
    snprintf(s, sizeof s, "%ld,%ld %ldx%ld", (long)r.left, (long)r.top,
             (long)(r.right - r.left), (long)(r.bottom - r.top));
    return s;
}

/* How the window is made larger by (dw, dh). */
enum Resize { BY_SETPOS, BY_CORNER_DRAG };

void resize(const LayoutRig &r, Resize how, int dw, int dh)
{
    RECT w = r.window();
    if (how == BY_SETPOS) {
        SetWindowPos(r.dlg, NULL, 0, 0, w.right - w.left + dw,
                     w.bottom - w.top + dh, SWP_NOMOVE | SWP_NOZORDER);
        return;
    }
    POINT corner = {w.right - 2, w.bottom - 2};
    kk_Gesture(kk_Drag(corner, {corner.x + dw, corner.y + dh}));
}

const char *resize_Name(Resize how)
{
    return how == BY_SETPOS ? "SetWindowPos" : "a corner drag";
}

/* A point of the window's frame: the middle of an edge. */
POINT edge_Point(const RECT &w, WPARAM edge)
{
    POINT p = {(w.left + w.right) / 2, (w.top + w.bottom) / 2};
    if (edge == WMSZ_LEFT)
        p.x = w.left + 1;
    if (edge == WMSZ_RIGHT)
        p.x = w.right - 2;
    if (edge == WMSZ_TOP)
        p.y = w.top + 1;
    if (edge == WMSZ_BOTTOM)
        p.y = w.bottom - 2;
    return p;
}

}  // namespace

/* Each alignment as the window grows (and shrinks) by SetWindowPos and
 * by the real mouse on its corner: the control moves or stretches by
 * exactly the growth, in the directions its bits name, and only
 * there; the other controls, which have no bits, stay where they are
 * even when the client moved them. */
TEST(KnobkitLayout, ControlsFollowTheWindow)
{
    struct Case {
        const char *name;
        uint32_t bits;
        int dw, dh;
        int left, top, right, bottom;  /* what of (dw, dh) each edge gains */
    };
    const Case cases[] = {
        {"no bits", 0, 100, 60, 0, 0, 0, 0},
        {"move x", ALIGN_MOVEX, 100, 60, 1, 0, 1, 0},
        {"move y", ALIGN_MOVEY, 100, 60, 0, 1, 0, 1},
        {"size x and y", ALIGN_SIZEX | ALIGN_SIZEY, 100, 60, 0, 0, 1, 1},
        {"size x and y, shrinking", ALIGN_SIZEX | ALIGN_SIZEY, -40, -30, 0, 0,
         1, 1},
        {"move x with the left pinned", ALIGN_MOVEX | ALIGN_PINLEFT, 70, 20, 0,
         0, 1, 0},
        {"move y with the top pinned", ALIGN_MOVEY | ALIGN_PINTOP, 70, 20, 0,
         0, 0, 1},
        {"moved both ways", ALIGN_MOVEX | ALIGN_MOVEY, 50, 40, 1, 1, 1, 1},
        {"size x with the left pinned stretches from its left",
         ALIGN_PINLEFT | ALIGN_SIZEX, 80, 0, 0, 0, 1, 0},
    };
    const RECT start = {40, 30, 120, 60};
    for (Resize how : {BY_SETPOS, BY_CORNER_DRAG})
        for (const Case &c : cases) {
            std::string row = std::string(c.name) + " by " + resize_Name(how);
            LayoutRig r;
            ASSERT_TRUE(r.dlg != NULL) << "row " << row;
            r.put(ID_A, start);
            dlg_SetAlign(gad_GetGadget(r.dlg, ID_A), c.bits);
            EXPECT_EQ(c.bits, gad_GetGadget(r.dlg, ID_A)->state & GS_ALIGNMASK)
                << "row " << row;
            /* A control the client moved, without bits. */
            const RECT moved = {150, 100, 190, 120};
            r.put(ID_B, moved);
            resize(r, how, c.dw, c.dh);
            RECT w = r.window();
            EXPECT_EQ(WIDTH + c.dw, w.right - w.left) << "row " << row;
            EXPECT_EQ(HEIGHT + c.dh, w.bottom - w.top) << "row " << row;
            RECT want = {start.left + c.left * c.dw, start.top + c.top * c.dh,
                         start.right + c.right * c.dw,
                         start.bottom + c.bottom * c.dh};
            EXPECT_EQ(rect_Text(want), rect_Text(r.place(ID_A)))
                << "row " << row;
            EXPECT_EQ(rect_Text(moved), rect_Text(r.place(ID_B)))
                << "row " << row;
        }
}

/* A control with ALIGN_MOVEX 10 pixels from the window's right edge is
 * 10 pixels from it after the window is widened by 100, and again after
 * it is narrowed; dlg_SetAlignList gives the bits to the listed controls
 * that exist, up to -1. */
TEST(KnobkitLayout, MoveXKeepsTheRightDistance)
{
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    LONG right = r.outerRight() - 10;
    r.put(ID_A, {right - 40, 20, right, 40});
    r.put(ID_C, {right - 40, 60, right, 80});
    dlg_SetAlignList(r.dlg, ALIGN_MOVEX, 999, ID_A, ID_C, -1, ID_B);
    EXPECT_EQ(0u, gad_GetGadget(r.dlg, ID_B)->state & GS_ALIGNMASK);
    for (int dw : {100, -60}) {
        resize(r, BY_SETPOS, dw, 0);
        for (int id : {ID_A, ID_C}) {
            RECT c, w = r.window();
            GetWindowRect(r.ctl(id), &c);
            EXPECT_EQ(10, w.right - c.right) << "control " << id << " after "
                                             << dw;
            EXPECT_EQ(40, c.right - c.left) << "control " << id;
        }
    }
}

/* dlg_Realign takes every control's offsets again with its own bits: a
 * control the client moved then follows from its new place. */
TEST(KnobkitLayout, RealignTakesTheNewPlaces)
{
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    dlg_SetAlign(gad_GetGadget(r.dlg, ID_A), ALIGN_MOVEY);
    r.put(ID_A, {10, 100, 60, 120});
    EXPECT_EQ(3, dlg_Realign(r.dlg));
    EXPECT_EQ(0, dlg_Realign(NULL));
    resize(r, BY_SETPOS, 0, 30);
    EXPECT_EQ(rect_Text({10, 130, 60, 150}), rect_Text(r.place(ID_A)));
}

/* While the border moves (WM_SIZING) the controls follow the proposed
 * rectangle before the window itself changes. */
TEST(KnobkitLayout, ControlsTrackTheBorderWhileSizing)
{
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    r.put(ID_A, {40, 30, 120, 60});
    dlg_SetAlign(gad_GetGadget(r.dlg, ID_A), ALIGN_MOVEX | ALIGN_SIZEY);
    RECT w = r.window();
    RECT proposed = {w.left, w.top, w.right + 60, w.bottom + 25};
    SendMessageA(r.dlg, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    EXPECT_EQ(rect_Text(w), rect_Text(r.window()));
    EXPECT_EQ(rect_Text({100, 30, 180, 85}), rect_Text(r.place(ID_A)));
}

/* WM_SIZING holds the proposed rectangle within the limits: the edge
 * being dragged gives way, the opposite one stays.  Limits never set
 * (0) hold nothing, so the first sizing step of a dialog without them
 * keeps what the user proposes. */
TEST(KnobkitLayout, SizingHoldsTheLimits)
{
    struct Case {
        const char *name;
        WPARAM edge;
        RECT proposed;
        int minW, minH, maxW, maxH;
        RECT want;
    };
    const Case cases[] = {
        {"left edge below the minimum width", WMSZ_LEFT, {300, 50, 500, 250},
         250, 0, 0, 0, {250, 50, 500, 250}},
        {"right edge below the minimum width", WMSZ_RIGHT, {300, 50, 500, 250},
         250, 0, 0, 0, {300, 50, 550, 250}},
        {"top edge below the minimum height", WMSZ_TOP, {300, 150, 500, 250},
         0, 150, 0, 0, {300, 100, 500, 250}},
        {"bottom-left corner below both minimums", WMSZ_BOTTOMLEFT,
         {300, 50, 400, 100}, 250, 150, 0, 0, {150, 50, 400, 200}},
        {"right edge above the maximum width", WMSZ_TOPRIGHT,
         {300, 50, 800, 250}, 0, 0, 400, 0, {300, 50, 700, 250}},
        {"left edge above the maximum width", WMSZ_LEFT, {0, 50, 500, 250}, 0,
         0, 400, 0, {100, 50, 500, 250}},
        {"bottom edge above the maximum height", WMSZ_BOTTOMRIGHT,
         {300, 50, 500, 650}, 0, 0, 0, 300, {300, 50, 500, 350}},
        {"within the limits", WMSZ_BOTTOMRIGHT, {300, 50, 600, 300}, 200, 100,
         400, 300, {300, 50, 600, 300}},
        {"no limits set, a narrow step", WMSZ_RIGHT, {300, 50, 420, 90}, 0, 0,
         0, 0, {300, 50, 420, 90}},
    };
    for (const Case &c : cases) {
        LayoutRig r;
        ASSERT_TRUE(r.dlg != NULL) << "row " << c.name;
        dlg_SetMinMax(r.dlg, c.minW, c.minH, c.maxW, c.maxH);
        RECT got = c.proposed;
        SendMessageA(r.dlg, WM_SIZING, c.edge, (LPARAM)&got);
        EXPECT_EQ(rect_Text(c.want), rect_Text(got)) << "row " << c.name;
    }
}

/* The real mouse drags an edge of the 300 x 200 window: the system's
 * sizing loop asks the dialog, and the window ends within its limits,
 * the edge not dragged where it was.  Without limits it takes the size
 * the mouse gives it. */
TEST(KnobkitLayout, BorderDragsStayWithinTheLimits)
{
    struct Case {
        const char *name;
        WPARAM edge;
        int dx, dy;
        int minW, minH, maxW, maxH;
        RECT want;  /* from the window's rectangle before: edge changes */
    };
    const Case cases[] = {
        {"left edge past the minimum width", WMSZ_LEFT, 120, 0, 250, 0, 0, 0,
         {50, 0, 0, 0}},
        {"right edge past the maximum width", WMSZ_RIGHT, 150, 0, 0, 0, 380, 0,
         {0, 0, 80, 0}},
        {"bottom edge past the minimum height", WMSZ_BOTTOM, 0, -80, 0, 160, 0,
         0, {0, 0, 0, -40}},
        {"no limits set", WMSZ_RIGHT, -90, 0, 0, 0, 0, 0, {0, 0, -90, 0}},
    };
    for (const Case &c : cases) {
        LayoutRig r;
        ASSERT_TRUE(r.dlg != NULL) << "row " << c.name;
        dlg_SetMinMax(r.dlg, c.minW, c.minH, c.maxW, c.maxH);
        RECT before = r.window();
        POINT from = edge_Point(before, c.edge);
        EXPECT_EQ(13, kk_Gesture(kk_Drag(from, {from.x + c.dx, from.y + c.dy})))
            << "row " << c.name;
        RECT want = {before.left + c.want.left, before.top + c.want.top,
                     before.right + c.want.right,
                     before.bottom + c.want.bottom};
        EXPECT_EQ(rect_Text(want), rect_Text(r.window())) << "row " << c.name;
    }
}

/* dlg_SetMinMax stores the limits, -1 standing for the current width or
 * height; a window the library does not run is left alone, as is its
 * snap distance. */
TEST(KnobkitLayout, MinMaxAndSnapAsStored)
{
    struct Case {
        const char *name;
        int minW, minH, maxW, maxH;
        int want[4];
    };
    const Case cases[] = {
        {"200, -1, -1, -1", 200, -1, -1, -1, {200, 200, 300, 200}},
        {"the current size fixed", -1, -1, -1, -1, {300, 200, 300, 200}},
        {"as given", 120, 80, 640, 480, {120, 80, 640, 480}},
        {"no limits", 0, 0, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        LayoutRig r;
        ASSERT_TRUE(r.dlg != NULL) << "row " << c.name;
        dlg_SetMinMax(r.dlg, c.minW, c.minH, c.maxW, c.maxH);
        GadDialog *h = r.header();
        const int got[4] = {h->minWidth, h->minHeight, h->maxWidth,
                            h->maxHeight};
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(c.want[i], got[i]) << "row " << c.name << " word " << i;
    }
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    dlg_SetSnap(r.dlg, 12);
    EXPECT_EQ(12, r.header()->snap);
    dlg_SetSnap(r.dlg, 0);
    EXPECT_EQ(0, r.header()->snap);

    HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 50,
                                 50, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(plain != NULL);
    SetWindowLongPtrA(plain, GWLP_USERDATA, 0);
    dlg_SetMinMax(plain, -1, -1, -1, -1);
    dlg_SetSnap(plain, 10);
    dlg_SetMinMax(NULL, 1, 1, 1, 1);
    dlg_SetSnap(NULL, 10);
    dlg_SetAlignList(plain, ALIGN_MOVEX, 1, 2, -1);
    EXPECT_EQ(0, dlg_Realign(plain));
    EXPECT_EQ(0, GetWindowLongPtrA(plain, GWLP_USERDATA));
    DestroyWindow(plain);
}

/* The window dragged by its background with the real mouse, snapping at
 * 10 pixels: its top dropped 9 pixels below the work area's top lands
 * on it, 10 pixels below stays there; without snapping 9 stays too. */
TEST(KnobkitLayout, DraggedWindowSnapsToTheTop)
{
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    struct Case { const char *name; int snap, gap, want; };
    const Case cases[] = {
        {"9 pixels below, snapping at 10", 10, 9, 0},
        {"10 pixels below, snapping at 10", 10, 10, 10},
        {"9 pixels below, no snapping", 0, 9, 9},
    };
    for (const Case &c : cases) {
        LayoutRig r;
        ASSERT_TRUE(r.dlg != NULL) << "row " << c.name;
        SetWindowPos(r.dlg, NULL, area.left + 200, area.top + 60, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        dlg_EnableDrag(r.dlg, TRUE, FALSE);
        dlg_SetSnap(r.dlg, c.snap);
        RECT w = r.window();
        POINT from = {w.left + 200, w.top + 150};   /* the bare background */
        POINT to = {from.x, from.y - (60 - c.gap)};
        kk_Gesture(kk_Drag(from, to));
        EXPECT_EQ(area.top + c.want, r.window().top) << "row " << c.name;
        EXPECT_EQ(w.left, r.window().left) << "row " << c.name;
    }
}

/* The tip of a static follows its control as the layout moves it. */
TEST(KnobkitLayout, TipsFollowTheLayout)
{
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    r.put(ID_A, {40, 30, 120, 60});
    dlg_SetAlign(gad_GetGadget(r.dlg, ID_A), ALIGN_MOVEX | ALIGN_MOVEY);
    const TipItem list[] = {{ID_A, "a"}, {0, NULL}};
    ASSERT_TRUE(tooltips_Create(r.dlg, list, TRUE));
    resize(r, BY_CORNER_DRAG, 50, 20);
    TOOLINFOA ti;
    memset(&ti, 0, sizeof ti);
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = r.dlg;
    ti.uId = (UINT_PTR)r.ctl(ID_A);
    ASSERT_TRUE(SendMessageA(r.header()->hTooltip, TTM_GETTOOLINFOA, 0,
                             (LPARAM)&ti));
    EXPECT_EQ(rect_Text({90, 50, 170, 80}), rect_Text(ti.rect));
    EXPECT_EQ(rect_Text({90, 50, 170, 80}), rect_Text(r.place(ID_A)));
}

/* A WM_SIZE that changes nothing (as the system sends when a window is
 * only shown or moved) leaves the dialog as painted; one after a change
 * of size has the dialog repainted, its controls with it. */
TEST(KnobkitLayout, RepaintsOnlyWhatChanged)
{
    LayoutRig r;
    ASSERT_TRUE(r.dlg != NULL);
    dlg_SetAlign(gad_GetGadget(r.dlg, ID_A), ALIGN_MOVEX);
    resize(r, BY_SETPOS, 20, 0);
    UpdateWindow(r.dlg);
    RECT client;
    GetClientRect(r.dlg, &client);
    SendMessageA(r.dlg, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(client.right, client.bottom));
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(r.dlg, &dirty, FALSE)) << "nothing changed";
    EXPECT_FALSE(GetUpdateRect(r.ctl(ID_B), &dirty, FALSE));
    resize(r, BY_SETPOS, 30, 10);
    EXPECT_TRUE(GetUpdateRect(r.dlg, &dirty, FALSE)) << "resized";
    EXPECT_EQ(rect_Text({0, 0, client.right + 30, client.bottom + 10}),
              rect_Text(dirty));
    EXPECT_TRUE(GetUpdateRect(r.ctl(ID_B), &dirty, FALSE)) << "its controls";
}
