/* Gadget_routing_win_test.cpp -- the mouse, the wheel and the timer routed to
 * gadgets by knobkit's dialog procedure, under Wine: a modeless dialog of
 * static controls, some of whose records a test turns into gadgets whose
 * ten operation slots record their calls.  The mouse messages are sent to
 * the dialog as the system sends them (client coordinates; the wheel in
 * screen coordinates), and the recorded calls are compared with the
 * expected ones, both lists printed on a mismatch. */
#include "kk_int.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "dlg_template.h"
#include "kk_test.h"

namespace {

/* Two gadget controls overlapping a plain static, a second plain static
 * apart, a group box and an etched line; record order is template
 * order.  Sizes in dialog units. */
enum { ID_G1 = 301, ID_G2, ID_UNDER, ID_PLAIN, ID_GROUP, ID_ETCHED };

std::vector<std::string> Calls;

/* What the test gadgets answer, by control: where HitProc and KnobHitProc
 * say yes (control client coordinates), and the answers of ClickProc and
 * PressProc. */
struct Answers {
    RECT hit, knob;
    BOOL click, press;
};
Answers Said[3];

/* 1 for G1, 2 for G2, 3 for UNDER. */
int which(const Gadget *g)
{
    return gad_GetWindowID(g) - ID_G1 + 1;
}

std::string at(const char *op, const Gadget *g, const POINT *pt)
{
    char s[80];
    if (pt)
        snprintf(s, sizeof s, "%s%d %ld,%ld", op, which(g), pt->x, pt->y);
    else
        snprintf(s, sizeof s, "%s%d null", op, which(g));
    return s;
}

BOOL KKAPI op_Hit(Gadget *g, POINT *pt)
{
    return PtInRect(&Said[which(g) - 1].hit, *pt);
}

BOOL KKAPI op_Knob(Gadget *g, POINT *pt)
{
    return PtInRect(&Said[which(g) - 1].knob, *pt);
}

BOOL KKAPI op_Click(HWND, Gadget *g, POINT *pt)
{
    Calls.push_back(at("click", g, pt));
    return Said[which(g) - 1].click;
}

BOOL KKAPI op_Press(HWND, Gadget *g, POINT *pt)
{
    Calls.push_back(at("press", g, pt));
    return Said[which(g) - 1].press;
}

void KKAPI op_Drag(HWND, Gadget *g, POINT *pt)
{
    Calls.push_back(at("drag", g, pt));
}

void KKAPI op_Release(HWND, Gadget *g, POINT *pt)
{
    Calls.push_back(at("release", g, pt));
}

void KKAPI op_Timer(HWND, Gadget *g)
{
    Calls.push_back("timer" + std::to_string(which(g)));
}

void KKAPI op_Wheel(HWND, Gadget *g, int notches)
{
    Calls.push_back("wheel" + std::to_string(which(g)) + " " +
                    std::to_string(notches));
}

/* The handler table sees what goes on past the library's steps. */
INT_PTR KKAPI table_Saw(HWND, WPARAM wParam, LPARAM, int, LPARAM msg)
{
    char s[48];
    snprintf(s, sizeof s, "table %s %u", (const char *)msg,
             (unsigned)wParam);
    Calls.push_back(s);
    return 0;
}

const DlgHandler Table[] = {
    {WM_LBUTTONDOWN, 0, table_Saw, (LPARAM)"down"},
    {WM_LBUTTONUP, 0, table_Saw, (LPARAM)"up"},
    {WM_TIMER, 0, table_Saw, (LPARAM)"timer"},
    {0, 0, NULL, 0},
};

#define EXPECT_CALLS(want, row) EXPECT_LINES(Calls, want, row)

class Routing : public ::testing::Test {
protected:
    Template t{WS_POPUP | WS_VISIBLE};
    HWND dlg = NULL;
    GadDialog *gd = NULL;
    Gadget *g1 = NULL, *g2 = NULL;

    void SetUp() override
    {
        t.custom("STATIC", 0, ID_G1, 10, 10, 60, 30, "")
            .custom("STATIC", 0, ID_G2, 40, 20, 60, 30, "")
            .custom("STATIC", 0, ID_UNDER, 5, 5, 120, 60, "under")
            .custom("STATIC", 0, ID_PLAIN, 10, 100, 40, 20, "plain")
            .custom("BUTTON", BS_GROUPBOX, ID_GROUP, 60, 100, 60, 40, "group")
            .custom("STATIC", SS_ETCHEDHORZ, ID_ETCHED, 130, 100, 50, 4, "");
        dlg = dlg_CreateDialogIndirect(GetModuleHandleA(NULL), t.get(), NULL,
                                       Table);
        ASSERT_TRUE(dlg != NULL);
        gd = dlg_ModifyFlags(dlg, 0, 0);
        ASSERT_TRUE(gd != NULL);
        g1 = make(ID_G1);
        g2 = make(ID_G2);
        /* By default each gadget is solid, with its knob a strip 20
         * pixels wide at its left. */
        for (int i = 0; i < 2; i++) {
            RECT c;
            GetClientRect(gad_GetWindow(i ? g2 : g1), &c);
            Said[i] = {c, {0, 0, 20, c.bottom}, TRUE, TRUE};
        }
        Calls.clear();
    }
    void TearDown() override
    {
        if (dlg)
            DestroyWindow(dlg);
    }

    /* A recording gadget, made as the library makes its own. */
    Gadget *make(int id)
    {
        static const GadOps ops = {NULL,     NULL,    op_Hit,   op_Knob,
                                   op_Click, op_Press, op_Drag, op_Release,
                                   op_Timer, op_Wheel};
        Gadget *g = gad_Become(dlg, id, GAD_WHEEL, 0, &ops);
        if (g)
            g->state |= GS_CAPTURE;
        return g;
    }

    /* A point of control id (its client coordinates) in the dialog's
     * client coordinates. */
    POINT in(int id, int x, int y)
    {
        POINT p = {x, y};
        MapWindowPoints(GetDlgItem(dlg, id), dlg, &p, 1);
        return p;
    }
    void mouse(UINT msg, POINT p)
    {
        SendMessageA(dlg, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(p.x, p.y));
    }
    void wheel(POINT p, int delta)
    {
        ClientToScreen(dlg, &p);
        SendMessageA(dlg, WM_MOUSEWHEEL, MAKEWPARAM(0, (short)delta),
                     MAKELPARAM(p.x, p.y));
    }
    bool tracking(const Gadget *g)
    {
        return (gd->dlgFlags & DF_CAPTURED) && gd->captured == g &&
               gd->hCaptureWnd == gad_GetWindow(g) && GetCapture() == dlg;
    }
    bool idle()
    {
        return !(gd->dlgFlags & (DF_CAPTURED | DF_DRAGGING)) &&
               !gd->captured && !gd->hCaptureWnd && GetCapture() != dlg;
    }
};

/* A press on the knob that PressProc accepts is tracked: moves reach
 * DragProc and ticks of GAD_TIMER reach TimerProc (not the table), the
 * button going up reaches ReleaseProc once, in the control's client
 * coordinates throughout, even outside the control. */
TEST_F(Routing, TrackingFromPressToRelease)
{
    mouse(WM_LBUTTONDOWN, in(ID_G1, 3, 4));
    EXPECT_TRUE(tracking(g1));
    EXPECT_EQ(GetFocus(), gad_GetWindow(g1));
    mouse(WM_MOUSEMOVE, in(ID_G1, 50, 7));
    mouse(WM_MOUSEMOVE, in(ID_G1, -20, 300));
    SendMessageA(dlg, WM_TIMER, GAD_TIMER, 0);
    SendMessageA(dlg, WM_TIMER, 7, 0);
    mouse(WM_LBUTTONUP, in(ID_G1, 9, -2));
    EXPECT_TRUE(idle());
    /* After the release neither moves nor ticks reach the gadget. */
    mouse(WM_MOUSEMOVE, in(ID_G1, 5, 5));
    SendMessageA(dlg, WM_TIMER, GAD_TIMER, 0);
    const std::vector<std::string> want = {
        "press1 3,4",     "table down 1",    "drag1 50,7",
        "drag1 -20,300",  "timer1",          "table timer 7",
        "release1 9,-2",  "table up 0",      "table timer 60000",
    };
    EXPECT_CALLS(want, "press, drag, tick, release");
}

/* Losing the capture ends the tracking with a ReleaseProc without a
 * point; the button going up afterwards finds nothing to release. */
TEST_F(Routing, LostCaptureReleasesOnce)
{
    mouse(WM_LBUTTONDOWN, in(ID_G2, 85, 3));   /* right of G1 */
    ASSERT_TRUE(tracking(g2));
    ReleaseCapture();
    EXPECT_TRUE(idle());
    mouse(WM_LBUTTONUP, in(ID_G2, 1, 1));
    const std::vector<std::string> want = {"click2 85,3", "press2 85,3",
                                           "table down 1", "release2 null",
                                           "table up 0"};
    EXPECT_CALLS(want, "capture lost");
}

struct PressCase {
    const char *name;
    void (*setup)(Gadget *g1, Gadget *g2, GadDialog *gd);
    int id, x, y;            /* the press, in control id's coordinates */
    std::vector<std::string> want;
    int tracked;             /* 0, or which gadget */
    bool dragging;
};

void none(Gadget *, Gadget *, GadDialog *) {}

}  // namespace

/* Where a press goes: the knob, the rest of a gadget, transparent parts,
 * disabled gadgets, plain records and the background; the calls in
 * order, and what is tracked or dragged afterwards. */
TEST_F(Routing, PressesByTable)
{
    const PressCase cases[] = {
        {"knob, press accepted", none, ID_G1, 5, 5,
         {"press1 5,5", "table down 1"}, 1, false},
        {"knob, press refused (a toggle)",
         [](Gadget *, Gadget *, GadDialog *) { Said[0].press = FALSE; },
         ID_G1, 5, 5, {"press1 5,5", "table down 1", "table up 0"}, 0,
         false},
        {"knob without GS_CAPTURE: pressed, not tracked",
         [](Gadget *g, Gadget *, GadDialog *) { g->state &= ~GS_CAPTURE; },
         ID_G1, 5, 5, {"press1 5,5", "table down 1", "table up 0"}, 0,
         false},
        {"off the knob: ClickProc, then PressProc", none, ID_G1, 30, 5,
         {"click1 30,5", "press1 30,5", "table down 1"}, 1, false},
        {"off the knob, ClickProc says no",
         [](Gadget *, Gadget *, GadDialog *) { Said[0].click = FALSE; },
         ID_G1, 30, 5, {"click1 30,5", "table down 1", "table up 0"}, 0,
         false},
        {"off the knob without ClickProc",
         [](Gadget *g, Gadget *, GadDialog *) { g->ClickProc = NULL; },
         ID_G1, 30, 5, {"press1 30,5", "table down 1"}, 1, false},
        {"off the knob without GS_CAPTURE: PressProc never asked",
         [](Gadget *g, Gadget *, GadDialog *) { g->state &= ~GS_CAPTURE; },
         ID_G1, 30, 5, {"click1 30,5", "table down 1", "table up 0"}, 0,
         false},
        {"the upper gadget (first in record order) wins where both say "
         "yes", none, ID_G1, 75, 30,
         {"click1 75,30", "press1 75,30", "table down 1"}, 1, false},
        {"a transparent part of the upper gadget falls to the lower",
         [](Gadget *, Gadget *, GadDialog *) { Said[0].hit = {0, 0, 0, 0}; },
         ID_G2, 10, 10, {"press2 10,10", "table down 1"}, 2, false},
        {"a gadget below plain records still wins over them",
         [](Gadget *g1, Gadget *g2, GadDialog *) {
             gad_Free(g1);
             gad_Free(g2);
             Gadget *u = gad_GetGadget(g1->hDlg, ID_UNDER);
             static const GadOps ops = {NULL, NULL, op_Hit, NULL, NULL,
                                        op_Press, NULL, NULL, NULL, NULL};
             gad_Become(g1->hDlg, ID_UNDER, GAD_WHEEL, 0, &ops);
             u->state |= GS_CAPTURE;
             RECT c;
             GetClientRect(u->hWnd, &c);
             Said[2] = {c, {0, 0, 0, 0}, TRUE, TRUE};
         },
         ID_UNDER, 30, 20, {"press3 30,20", "table down 1"}, 3, false},
        {"plain records use no operations, even left-over ones",
         [](Gadget *g1, Gadget *g2, GadDialog *) {
             gad_Free(g1);
             gad_Free(g2);
         },
         ID_G1, 5, 5, {"table down 1", "table up 0"}, 0, false},
        {"a gadget without HitProc is never found",
         [](Gadget *g1, Gadget *, GadDialog *) { g1->HitProc = NULL; },
         ID_G1, 5, 5, {"table down 1", "table up 0"}, 0, false},
        {"transparent everywhere, DF_DRAG: the plain record beneath "
         "does not drag",
         [](Gadget *, Gadget *, GadDialog *gd) {
             Said[0].hit = Said[1].hit = {0, 0, 0, 0};
             gd->dlgFlags |= DF_DRAG;
         },
         ID_G1, 5, 5, {"table down 1", "table up 0"}, 0, false},
        {"transparent everywhere, DF_DRAG | DF_DRAGANY: a window drag",
         [](Gadget *, Gadget *, GadDialog *gd) {
             Said[0].hit = Said[1].hit = {0, 0, 0, 0};
             gd->dlgFlags |= DF_DRAG | DF_DRAGANY;
         },
         ID_G1, 5, 5, {"table down 1", "table up 0"}, 0, true},
        {"a disabled gadget takes nothing and does not drag",
         [](Gadget *g1, Gadget *, GadDialog *gd) {
             gad_Enable(g1, FALSE);
             gd->dlgFlags |= DF_DRAG | DF_DRAGANY;
         },
         ID_G1, 5, 5, {"table down 1", "table up 0"}, 0, false},
        {"the background with DF_DRAG drags",
         [](Gadget *, Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_DRAG; },
         0, 300, 10, {"table down 1", "table up 0"}, 0, true},
        {"the background without DF_DRAG: nothing", none, 0, 300, 10,
         {"table down 1", "table up 0"}, 0, false},
        {"a plain static with DF_DRAG only: nothing",
         [](Gadget *, Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_DRAG; },
         ID_PLAIN, 3, 3, {"table down 1", "table up 0"}, 0, false},
        {"a group box with DF_DRAG drags",
         [](Gadget *, Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_DRAG; },
         ID_GROUP, 3, 3, {"table down 1", "table up 0"}, 0, true},
        {"an etched line with DF_DRAG drags",
         [](Gadget *, Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_DRAG; },
         ID_ETCHED, 3, 1, {"table down 1", "table up 0"}, 0, true},
        {"GS_DRAGWINDOW drags without DF_DRAG",
         [](Gadget *g1, Gadget *, GadDialog *) {
             gad_SetColor(g1->hDlg, ID_PLAIN, GS_DRAGWINDOW, 0, 0, NULL);
         },
         ID_PLAIN, 3, 3, {"table down 1", "table up 0"}, 0, true},
    };
    for (const PressCase &c : cases) {
        TearDown();
        SetUp();
        c.setup(g1, g2, gd);
        POINT p = c.id ? in(c.id, c.x, c.y) : POINT{c.x, c.y};
        mouse(WM_LBUTTONDOWN, p);
        Gadget *want = c.tracked ? gad_GetGadget(dlg, ID_G1 + c.tracked - 1)
                                 : NULL;
        if (want)
            EXPECT_TRUE(tracking(want)) << "row " << c.name;
        else
            EXPECT_FALSE(gd->dlgFlags & DF_CAPTURED) << "row " << c.name;
        EXPECT_EQ(c.dragging, !!(gd->dlgFlags & DF_DRAGGING))
            << "row " << c.name;
        if (c.dragging) {
            EXPECT_EQ(GetCapture(), dlg) << "row " << c.name;
        }
        /* An untracked press is followed by its button going up, which
         * reaches no gadget. */
        if (!want) {
            mouse(WM_LBUTTONUP, p);
            EXPECT_TRUE(idle()) << "row " << c.name;
        }
        EXPECT_CALLS(c.want, c.name);
    }
}

namespace {

struct WheelCase {
    const char *name;
    int delta;
    void (*setup)(Gadget *g1, GadDialog *gd);
    std::vector<std::string> want;
};

}  // namespace

/* Whole notches toward zero; a turn under one notch still reaches the
 * gadget, a disabled one too; nothing while tracking or dragging, and
 * nothing over plain records. */
TEST_F(Routing, WheelNotchesByTable)
{
    auto plain = [](Gadget *, GadDialog *) {};
    const WheelCase cases[] = {
        {"240", 240, plain, {"wheel1 2"}},
        {"-120", -120, plain, {"wheel1 -1"}},
        {"60", 60, plain, {"wheel1 0"}},
        {"-359", -359, plain, {"wheel1 -2"}},
        {"disabled", 120,
         [](Gadget *g, GadDialog *) { gad_Enable(g, FALSE); },
         {"wheel1 1"}},
        {"while tracking", 120,
         [](Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_CAPTURED; }, {}},
        {"while dragging", 120,
         [](Gadget *, GadDialog *gd) { gd->dlgFlags |= DF_DRAGGING; }, {}},
        {"over a plain record", 120,
         [](Gadget *g, GadDialog *) { gad_Free(g); }, {}},
    };
    for (const WheelCase &c : cases) {
        TearDown();
        SetUp();
        c.setup(g1, gd);
        wheel(in(ID_G1, 5, 5), c.delta);
        gd->dlgFlags &= ~(uint32_t)(DF_CAPTURED | DF_DRAGGING);
        EXPECT_CALLS(c.want, c.name);
    }
}

/* A window drag keeps the press point under the mouse and ends when the
 * button goes up; later moves leave the window where it is. */
TEST_F(Routing, WindowDragFollowsTheMouse)
{
    dlg_EnableDrag(dlg, TRUE, FALSE);
    RECT before, after;
    GetWindowRect(dlg, &before);
    mouse(WM_LBUTTONDOWN, POINT{300, 10});
    ASSERT_TRUE(gd->dlgFlags & DF_DRAGGING);
    EXPECT_EQ(300, gd->dragX);
    EXPECT_EQ(10, gd->dragY);
    mouse(WM_MOUSEMOVE, POINT{330, 30});   /* 30 right, 20 down */
    GetWindowRect(dlg, &after);
    EXPECT_EQ(before.left + 30, after.left);
    EXPECT_EQ(before.top + 20, after.top);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    /* The press point is under the mouse again: in the moved window's
     * client coordinates the mouse is back at (300, 10). */
    mouse(WM_MOUSEMOVE, POINT{300, 10});
    GetWindowRect(dlg, &before);
    EXPECT_EQ(after.left, before.left);
    mouse(WM_LBUTTONUP, POINT{300, 10});
    EXPECT_TRUE(idle());
    mouse(WM_MOUSEMOVE, POINT{350, 50});
    GetWindowRect(dlg, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

/* With DF_CURSOR the library answers WM_SETCURSOR over the client area
 * and sets the cursor itself: the gadget's over its knob, the pressed one
 * while tracking, the arrow elsewhere; a disabled gadget shows the arrow. */
TEST_F(Routing, CursorsWithDfCursor)
{
    HCURSOR over = (HCURSOR)dlg_GetDefObject(DEF_CURSORHAND);
    HCURSOR down = (HCURSOR)dlg_GetDefObject(DEF_CURSORGRAB);
    HCURSOR arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    HCURSOR cross = LoadCursorA(NULL, (LPCSTR)IDC_CROSS);
    ASSERT_TRUE(over && down && over != down);
    gad_SetCursor(g1, over, down);
    EXPECT_EQ(GS_CURSOR | GS_CURSORDOWN,
              g1->state & (GS_CURSOR | GS_CURSORDOWN));

    /* Without DF_CURSOR the library sets no cursor, and the system sets
     * the class cursor on WM_SETCURSOR. */
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    SetCursor(cross);
    mouse(WM_MOUSEMOVE, in(ID_G1, 5, 5));
    EXPECT_EQ(cross, GetCursor()) << "row no DF_CURSOR, move";
    SendMessageA(dlg, WM_SETCURSOR, (WPARAM)dlg, client);
    EXPECT_EQ(arrow, GetCursor()) << "row no DF_CURSOR, WM_SETCURSOR";

    /* With it the library answers WM_SETCURSOR over the client area, so
     * the system leaves the cursor alone. */
    dlg_EnableCursor(dlg, TRUE);
    SetCursor(cross);
    SendMessageA(dlg, WM_SETCURSOR, (WPARAM)dlg, client);
    EXPECT_EQ(cross, GetCursor()) << "row DF_CURSOR, WM_SETCURSOR";
    struct {
        const char *name;
        POINT at;
        HCURSOR want;
    } moves[] = {
        {"knob", in(ID_G1, 5, 5), over},
        {"off the knob", in(ID_G1, 70, 5), arrow},
        {"background", POINT{300, 10}, arrow},
    };
    for (auto &m : moves) {
        SetCursor(cross);
        mouse(WM_MOUSEMOVE, m.at);
        EXPECT_EQ(m.want, GetCursor()) << "row " << m.name;
    }
    mouse(WM_LBUTTONDOWN, in(ID_G1, 5, 5));
    EXPECT_EQ(down, GetCursor()) << "row press";
    SetCursor(cross);
    mouse(WM_MOUSEMOVE, in(ID_G1, 300, 300));
    EXPECT_EQ(down, GetCursor()) << "row tracked, far away";
    mouse(WM_LBUTTONUP, in(ID_G1, 5, 5));
    gad_Enable(g1, FALSE);
    mouse(WM_MOUSEMOVE, in(ID_G1, 5, 5));
    EXPECT_EQ(arrow, GetCursor()) << "row disabled";
    gad_SetCursor(g1, NULL, NULL);
    EXPECT_EQ(0u, g1->state & (GS_CURSOR | GS_CURSORDOWN));
    EXPECT_EQ(NULL, g1->hCursor);
}
