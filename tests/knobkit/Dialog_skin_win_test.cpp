/* Dialog_skin_win_test.cpp -- skins, dialog flags, the gadget functions of the
 * client interface and tab pages, on real dialogs under Wine.
 *
 * Backgrounds are read back from a 32-bit DIB section the dialog erases
 * into, so every pixel of the client area is compared with the pixel the
 * skin puts there.  Handler calls are logged as lines and the whole log
 * compared, both lists printed on a mismatch. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "dlg_template.h"
#include "kk_gadget.h"
#include "kk_test.h"

enum { ID_CHECK = 101, ID_CHECK3, ID_RADIO, ID_AUTORADIO, ID_GROUP, ID_PUSH,
       ID_LABEL, ID_EDIT, ID_TAB = 120, ID_PAGELABEL = 130 };

/* One of every control a skin treats differently. */
static const DLGTEMPLATE *skin_Template(Template &t, DWORD style)
{
    t = Template(style | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.item(0x80, BS_AUTOCHECKBOX, ID_CHECK, 4, "Check")
        .item(0x80, BS_3STATE, ID_CHECK3, 16, "Three")
        .item(0x80, BS_RADIOBUTTON, ID_RADIO, 28, "Radio")
        .item(0x80, BS_AUTORADIOBUTTON, ID_AUTORADIO, 40, "Auto radio")
        .item(0x80, BS_GROUPBOX, ID_GROUP, 52, "Group")
        .item(0x80, BS_PUSHBUTTON, ID_PUSH, 64, "Push")
        .item(0x82, SS_LEFT, ID_LABEL, 76, "Label")
        .item(0x81, WS_BORDER, ID_EDIT, 88, "");
    return t.get();
}

/* ---- The log ---------------------------------------------------------- */

static std::vector<std::string> Log;

/* A handler row's param: the name logged and the answer. */
struct Say {
    const char *name;
    INT_PTR answer;
};

/* Logs "name wParam lParam"; a tab page's GM_TABLEAVE also says whether
 * the page is still visible while it is asked. */
static INT_PTR KKAPI say(HWND hDlg, WPARAM wParam, LPARAM lParam, int,
                         LPARAM param)
{
    const Say *s = (const Say *)param;
    std::string line = std::string(s->name) + " " +
                       std::to_string((unsigned long long)wParam) + " " +
                       std::to_string((long long)lParam);
    if (strstr(s->name, "leave"))
        line += IsWindowVisible(hDlg) ? " visible" : " hidden";
    Log.push_back(line);
    return s->answer;
}

#define EXPECT_LOG(want, row) EXPECT_LINES(Log, want, row)

/* ---- Pictures ----------------------------------------------------------- */

static const COLORREF Blocks[4] = {RGB(255, 0, 0), RGB(0, 255, 0),
                                   RGB(0, 0, 255), RGB(255, 255, 0)};
static const COLORREF FOREIGN = RGB(255, 0, 255);
static const COLORREF SENTINEL = RGB(1, 2, 3);
enum { SKIN_W = 8, SKIN_H = 6 };

/* A screen-compatible bitmap of w x h in FOREIGN with the skin picture at
 * (ox, oy): SKIN_W x SKIN_H in four blocks, red and green over blue and
 * yellow. */
static HBITMAP skin_Bitmap(int w, int h, int ox, int oy)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    rect_Fill(dc, 0, 0, w, h, FOREIGN);
    for (int i = 0; i < 4; i++) {
        int l = ox + (i % 2) * SKIN_W / 2, t = oy + (i / 2) * SKIN_H / 2;
        rect_Fill(dc, l, t, l + SKIN_W / 2, t + SKIN_H / 2, Blocks[i]);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

/* The colour of the skin picture at (x, y) of the picture. */
static COLORREF skin_At(int x, int y)
{
    return Blocks[(x * 2 / SKIN_W) + 2 * (y * 2 / SKIN_H)];
}

/* ---- Dialogs ------------------------------------------------------------ */

/* The erasure and the dialog colour as the skin tests see them: the
 * table's brush for WM_CTLCOLORDLG shows where the system erased. */
static const COLORREF DLGCOLOR = RGB(9, 99, 199);

static const DlgHandler *erase_Table(void)
{
    static const Say erase = {"erase", 0};
    static const Say color = {"dlgcolor",
                              (INT_PTR)CreateSolidBrush(DLGCOLOR)};
    static const DlgHandler table[] = {
        {WM_ERASEBKGND, 0, say, (LPARAM)&erase},
        {WM_CTLCOLORDLG, 0, say, (LPARAM)&color},
        {0, 0, NULL, 0},
    };
    return table;
}

static HWND skin_Dialog(Template &t, DWORD style = 0)
{
    return dlg_CreateDialogIndirect(NULL, skin_Template(t, style), NULL,
                                    erase_Table());
}

static INT_PTR CALLBACK unmanaged_Proc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

static GadDialog *header(HWND d)
{
    return (GadDialog *)GetWindowLongPtrA(d, GWLP_USERDATA);
}

/* ---- Skin painting ------------------------------------------------------ */

struct PaintCase {
    const char *name;
    BOOL tile;
    bool part;     /* the picture cut from a larger bitmap */
    bool print;    /* erased through WM_PRINT rather than WM_ERASEBKGND */
};

TEST(KnobkitSkin, PaintsTheBackgroundTiledOrStretched)
{
    const PaintCase cases[] = {
        {"tiled, whole bitmap", TRUE, false, false},
        {"tiled, part of a larger bitmap, printed", TRUE, true, true},
        {"stretched, whole bitmap", FALSE, false, false},
        {"stretched, part, printed", FALSE, true, true},
    };
    for (const PaintCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = skin_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        HBITMAP bmp = c.part ? skin_Bitmap(3 * SKIN_W, 2 * SKIN_H, SKIN_W, 5)
                             : skin_Bitmap(SKIN_W, SKIN_H, 0, 0);
        RECT part = {SKIN_W, 5, 2 * SKIN_W, 5 + SKIN_H};
        ASSERT_TRUE(dlg_SetSkin(d, bmp, c.part ? &part : NULL, c.tile))
            << "row " << c.name;
        Canvas cv(d);
        ASSERT_TRUE(cv.bits && cv.w > 4 * SKIN_W && cv.h > 4 * SKIN_H)
            << "row " << c.name;
        Log.clear();
        if (c.print)
            SendMessageA(d, WM_PRINT, (WPARAM)cv.dc,
                         PRF_ERASEBKGND | PRF_CLIENT);
        else
            SendMessageA(d, WM_ERASEBKGND, (WPARAM)cv.dc, 0);
        /* The skin answered: neither the table's erasure nor the system's
         * (which asks for the dialog colour) took place. */
        EXPECT_LOG(std::vector<std::string>{}, c.name);
        std::string first;
        int bad;
        const int W = cv.w, H = cv.h;
        if (c.tile) {
            bad = cv.mismatches(
                [](int x, int y) { return skin_At(x % SKIN_W, y % SKIN_H); },
                [](int, int) { return false; }, &first);
        } else {
            /* Each block covers a quarter of the client area; a pixel
             * either side of the seams may round either way. */
            bad = cv.mismatches(
                [W, H](int x, int y) {
                    return skin_At(x * SKIN_W / W, y * SKIN_H / H);
                },
                [W, H](int x, int y) {
                    return abs(x - W / 2) <= 1 || abs(y - H / 2) <= 1;
                },
                &first);
        }
        EXPECT_EQ(bad, 0) << "row " << c.name << ": " << W << " x " << H
                          << " client, first wrong pixel " << first;
        if (c.part)
            DeleteObject(bmp);
        DestroyWindow(d);
    }
}

/* Who erases the background: the table (and then the system), the system
 * alone when the library answers FALSE, or the skin. */
struct EraseCase {
    const char *name;
    bool skin;          /* a skin bitmap is set */
    uint32_t flags;     /* then these dialog flags are set */
    std::vector<std::string> log;
    bool skinShown;     /* else the dialog colour fills the canvas */
};

TEST(KnobkitSkin, SkinFlagWithoutABitmapLeavesTheErasureToTheSystem)
{
    const EraseCase cases[] = {
        {"no skin: the table, then the system", false, 0,
         {"erase " , "dlgcolor "}, false},
        {"DF_SKIN without a bitmap: the library answers FALSE", false,
         DF_SKIN, {"dlgcolor "}, false},
        {"DF_SKIN | DF_SKINTILE without a bitmap", false,
         DF_SKIN | DF_SKINTILE, {"dlgcolor "}, false},
        {"a skin answers alone", true, 0, {}, true},
    };
    for (const EraseCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = skin_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        if (c.skin) {
            ASSERT_TRUE(dlg_SetSkin(d, skin_Bitmap(SKIN_W, SKIN_H, 0, 0),
                                    NULL, TRUE));
        }
        ASSERT_TRUE(dlg_ModifyFlags(d, c.flags, 0)) << "row " << c.name;
        Canvas cv(d);
        Log.clear();
        SendMessageA(d, WM_ERASEBKGND, (WPARAM)cv.dc, 0);
        /* The lines carry handle values; the names and order count. */
        std::vector<std::string> names;
        for (const std::string &l : Log)
            names.push_back(l.substr(0, l.find(' ') + 1));
        EXPECT_TRUE(names == c.log) << "row " << c.name << "\n  got:\n"
                                    << kk_Lines(Log) << "  expected:\n"
                                    << kk_Lines(c.log);
        EXPECT_EQ(cv.at(0, 0), c.skinShown ? skin_At(0, 0) : DLGCOLOR)
            << "row " << c.name;
        EXPECT_EQ(cv.at(cv.w - 1, cv.h - 1),
                  c.skinShown ? skin_At((cv.w - 1) % SKIN_W,
                                        (cv.h - 1) % SKIN_H)
                              : DLGCOLOR)
            << "row " << c.name;
        DestroyWindow(d);
    }
}

/* ---- dlg_SetSkin -------------------------------------------------------- */

TEST(KnobkitSkin, SetSkinRefusesDialogsTheLibraryDoesNotRun)
{
    Template t(0);
    HWND u = CreateDialogIndirectParamA(NULL, skin_Template(t, 0), NULL,
                                        unmanaged_Proc, 0);
    ASSERT_TRUE(u);
    const struct { const char *name; HWND d; bool part; } rows[] = {
        {"unmanaged, whole bitmap", u, false},
        {"unmanaged, part", u, true},
        {"null window, whole bitmap", NULL, false},
    };
    RECT part = {0, 0, 4, 3};
    for (const auto &r : rows) {
        HBITMAP bmp = skin_Bitmap(SKIN_W, SKIN_H, 0, 0);
        EXPECT_FALSE(dlg_SetSkin(r.d, bmp, r.part ? &part : NULL, TRUE))
            << "row " << r.name;
        EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP)
            << "row " << r.name << ": the refused bitmap was taken";
        DeleteObject(bmp);
    }
    DestroyWindow(u);
}

/* Every record's kind, brush and state, to see that nothing changed. */
static std::vector<std::string> records_Snapshot(HWND d)
{
    std::vector<std::string> s;
    const GadDialog *h = header(d);
    for (uint32_t i = 0; h && i < h->count; i++) {
        const Gadget *g = &h->gadgets[i];
        s.push_back(std::to_string(GetDlgCtrlID(g->hWnd)) + " kind " +
                    std::to_string(g->kind) + " state " +
                    std::to_string(g->state) + " brush " +
                    std::to_string((unsigned long long)(UINT_PTR)g->hBrush));
    }
    return s;
}

TEST(KnobkitSkin, NullBitmapWithoutASkinChangesNothing)
{
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    GadDialog *h = header(d);
    ASSERT_TRUE(h);
    h->dlgFlags |= DF_DRAG | DF_CURSOR;
    uint32_t flags = h->dlgFlags;
    std::vector<std::string> before = records_Snapshot(d);
    ASSERT_EQ(before.size(), 8u);
    for (BOOL tile : {FALSE, TRUE}) {
        EXPECT_TRUE(dlg_SetSkin(d, NULL, NULL, tile)) << "row tile " << tile;
        EXPECT_EQ(h->dlgFlags, flags) << "row tile " << tile;
        EXPECT_EQ(h->hSkin, (HBITMAP)NULL) << "row tile " << tile;
        std::vector<std::string> after = records_Snapshot(d);
        EXPECT_TRUE(after == before) << "row tile " << tile << "\n  got:\n"
                                     << kk_Lines(after) << "  expected:\n"
                                     << kk_Lines(before);
    }
    DestroyWindow(d);
}

TEST(KnobkitSkin, SetSkinFlagsFollowTile)
{
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    GadDialog *h = header(d);
    ASSERT_TRUE(h);
    h->dlgFlags |= DF_DRAGANY;
    const struct { const char *name; bool bitmap; BOOL tile; uint32_t want; }
    rows[] = {
        {"tiled", true, TRUE, DF_SKIN | DF_SKINTILE},
        {"stretched after tiled", true, FALSE, DF_SKIN},
        {"any non-zero tiles", true, 2, DF_SKIN | DF_SKINTILE},
        {"removed", false, TRUE, 0},
        {"stretched again", true, 0, DF_SKIN},
    };
    for (const auto &r : rows) {
        HBITMAP old = h->hSkin;
        HBITMAP bmp = r.bitmap ? skin_Bitmap(SKIN_W, SKIN_H, 0, 0) : NULL;
        EXPECT_TRUE(dlg_SetSkin(d, bmp, NULL, r.tile)) << "row " << r.name;
        EXPECT_EQ(h->dlgFlags, r.want | DF_DRAGANY) << "row " << r.name;
        EXPECT_EQ(h->hSkin != NULL, r.bitmap) << "row " << r.name;
        if (r.bitmap) {
            EXPECT_EQ(GetObjectType(bmp), 0u)
                << "row " << r.name << ": a whole bitmap is consumed";
            EXPECT_EQ(GetObjectType(h->hSkin), (DWORD)OBJ_BITMAP)
                << "row " << r.name;
        }
        /* The previous skin is gone, unless its handle was reused. */
        EXPECT_TRUE(!old || old == h->hSkin || !kk_Alive(old))
            << "row " << r.name << ": the previous skin lives on";
    }
    HBITMAP last = h->hSkin;
    DestroyWindow(d);
    EXPECT_FALSE(kk_Alive(last)) << "row the dialog's end deletes the skin";
}

/* Parts of one client bitmap make copies that owe it nothing: the bitmap
 * stays the client's, and painting over it later changes no skin. */
TEST(KnobkitSkin, PartsOfOneBitmapAreIndependentCopies)
{
    /* Two pictures side by side: the left one at (0, 0), the right one
     * at (SKIN_W, 0) turned upside down by painting its rows swapped. */
    HBITMAP bmp = skin_Bitmap(2 * SKIN_W, SKIN_H, 0, 0);
    {
        HDC dc = CreateCompatibleDC(NULL);
        HGDIOBJ old = SelectObject(dc, bmp);
        for (int i = 0; i < 4; i++) {
            int l = SKIN_W + (i % 2) * SKIN_W / 2, top = (i / 2) * SKIN_H / 2;
            rect_Fill(dc, l, top, l + SKIN_W / 2, top + SKIN_H / 2,
                      Blocks[3 - i]);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    const RECT left = {0, 0, SKIN_W, SKIN_H};
    const RECT right = {SKIN_W, 0, 2 * SKIN_W, SKIN_H};
    Template ta(0), tb(0);
    HWND a = skin_Dialog(ta), b = skin_Dialog(tb);
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(dlg_SetSkin(a, bmp, &left, TRUE));
    HBITMAP skinA = header(a)->hSkin;
    ASSERT_TRUE(dlg_SetSkin(b, bmp, &right, TRUE));
    HBITMAP skinB = header(b)->hSkin;
    EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP) << "row client bitmap";
    EXPECT_TRUE(skinA && skinA != bmp) << "row first copy";
    EXPECT_TRUE(skinB && skinB != bmp && skinB != skinA) << "row second copy";
    EXPECT_TRUE(kk_Alive(skinA) && kk_Alive(skinB)) << "row both alive";

    /* The client's bitmap painted over: the skins keep their pictures. */
    {
        HDC dc = CreateCompatibleDC(NULL);
        HGDIOBJ old = SelectObject(dc, bmp);
        rect_Fill(dc, 0, 0, 2 * SKIN_W, SKIN_H, RGB(0, 0, 0));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    const struct { const char *name; HWND d; bool flipped; } rows[] = {
        {"left part", a, false}, {"right part", b, true},
    };
    for (const auto &r : rows) {
        Canvas cv(r.d);
        SendMessageA(r.d, WM_ERASEBKGND, (WPARAM)cv.dc, 0);
        std::string first;
        bool flipped = r.flipped;
        int bad = cv.mismatches(
            [flipped](int x, int y) {
                x %= SKIN_W, y %= SKIN_H;
                return flipped ? skin_At(SKIN_W - 1 - x, SKIN_H - 1 - y)
                               : skin_At(x, y);
            },
            [](int, int) { return false; }, &first);
        EXPECT_EQ(bad, 0) << "row " << r.name << ": first wrong pixel "
                          << first;
    }

    /* The same dialog skinned again from the same bitmap. */
    ASSERT_TRUE(dlg_SetSkin(a, bmp, &right, FALSE));
    EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP)
        << "row client bitmap after the second skin of one dialog";
    EXPECT_TRUE(header(a)->hSkin == skinA || !kk_Alive(skinA))
        << "row the first skin of the dialog is deleted";
    EXPECT_TRUE(kk_Alive(skinB)) << "row the other dialog's skin";
    DestroyWindow(a);
    DestroyWindow(b);
    EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP)
        << "row client bitmap after both dialogs";
    DeleteObject(bmp);
}

struct FitCase {
    const char *name;
    int id;
    uint32_t kind;        /* after the skin */
    int brush;            /* -1 none, else a stock object or DEF_BRUSHFACE */
};

enum { HOLLOW = 1000 };

static HGDIOBJ fit_Brush(int which)
{
    if (which == HOLLOW)
        return GetStockObject(NULL_BRUSH);
    return which < 0 ? NULL : dlg_GetDefObject(which);
}

TEST(KnobkitSkin, StandardControlsFitTheSkinAndStaySo)
{
    const FitCase cases[] = {
        {"auto check box", ID_CHECK, GAD_COLORED, HOLLOW},
        {"three-state with an owned brush", ID_CHECK3, GAD_COLORED, HOLLOW},
        {"radio", ID_RADIO, GAD_COLORED, HOLLOW},
        {"auto radio", ID_AUTORADIO, GAD_COLORED, HOLLOW},
        {"group box", ID_GROUP, GAD_COLORED, DEF_BRUSHFACE},
        {"push button", ID_PUSH, GAD_PLAIN, -1},
        {"static text", ID_LABEL, GAD_PLAIN, -1},
        {"edit", ID_EDIT, GAD_PLAIN, -1},
    };
    ASSERT_TRUE(dlg_GetDefObject(DEF_BRUSHFACE));
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    /* A brush the record owns goes when the skin replaces it. */
    ASSERT_TRUE(gad_SetColor(d, ID_CHECK3, GS_BACKCOLOR | GS_TEXTCOLOR,
                             RGB(1, 1, 1), RGB(2, 2, 2), NULL));
    HBRUSH owned = gad_GetGadget(d, ID_CHECK3)->hBrush;
    ASSERT_TRUE(kk_Alive(owned));
    ASSERT_TRUE(dlg_SetSkin(d, skin_Bitmap(SKIN_W, SKIN_H, 0, 0), NULL, TRUE));
    EXPECT_FALSE(kk_Alive(owned)) << "row the owned brush";
    HDC dc = CreateCompatibleDC(NULL);
    for (int round = 0; round < 2; round++) {
        const char *when = round ? "after removal" : "with the skin";
        for (const FitCase &c : cases) {
            Gadget *g = gad_GetGadget(d, c.id);
            ASSERT_TRUE(g) << "row " << c.name;
            EXPECT_EQ(GAD_KIND(g), c.kind) << "row " << c.name << " " << when;
            EXPECT_EQ((HGDIOBJ)g->hBrush, fit_Brush(c.brush))
                << "row " << c.name << " " << when;
            EXPECT_EQ(g->state & GS_OWNBRUSH, 0u)
                << "row " << c.name << " " << when
                << ": a shared brush claimed as owned";
            if (c.kind != GAD_COLORED)
                continue;
            /* The colour message answers the brush and draws the text
             * transparently. */
            SetBkMode(dc, OPAQUE);
            LRESULT r = SendMessageA(d, WM_CTLCOLORSTATIC, (WPARAM)dc,
                                     (LPARAM)GetDlgItem(d, c.id));
            EXPECT_EQ((HGDIOBJ)r, fit_Brush(c.brush))
                << "row " << c.name << " " << when;
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT)
                << "row " << c.name << " " << when;
        }
        if (!round) {
            HBITMAP skin = header(d)->hSkin;
            EXPECT_TRUE(dlg_SetSkin(d, NULL, NULL, FALSE)) << "row removal";
            EXPECT_FALSE(kk_Alive(skin)) << "row removed skin deleted";
            EXPECT_EQ(header(d)->hSkin, (HBITMAP)NULL) << "row removal";
            EXPECT_EQ(header(d)->dlgFlags & (DF_SKIN | DF_SKINTILE), 0u)
                << "row removal";
        }
    }
    DeleteDC(dc);
    DestroyWindow(d);
    /* The dialog's end deleted none of the shared brushes. */
    EXPECT_EQ(GetObjectType(dlg_GetDefObject(DEF_BRUSHFACE)),
              (DWORD)OBJ_BRUSH) << "row DEF_BRUSHFACE after the dialog";
}

/* The share of a control's area in which the skin under it still shows
 * after the control painted itself over the skinned background. */
static double skin_Showing(HWND d, int id)
{
    HWND ctl = GetDlgItem(d, id);
    RECT r;
    GetWindowRect(ctl, &r);
    MapWindowPoints(NULL, d, (POINT *)&r, 2);
    /* The dialog's background under the control first, then the
     * control's own painting over it, at the control's origin (controls
     * clip their painting to their client rectangle at the origin). */
    Canvas back(d);
    SendMessageA(d, WM_ERASEBKGND, (WPARAM)back.dc, 0);
    Canvas cv(r.right - r.left, r.bottom - r.top);
    BitBlt(cv.dc, 0, 0, cv.w, cv.h, back.dc, r.left, r.top, SRCCOPY);
    SendMessageA(ctl, WM_PRINTCLIENT, (WPARAM)cv.dc, PRF_CLIENT);
    int same = 0;
    for (int y = 0; y < cv.h; y++)
        for (int x = 0; x < cv.w; x++)
            same += cv.at(x, y) ==
                    skin_At((x + r.left) % SKIN_W, (y + r.top) % SKIN_H);
    int all = cv.w * cv.h;
    return all > 0 ? (double)same / all : 0;
}

struct ShowCase {
    const char *name;
    int id;
    bool plainAgain;   /* the record made plain after the skin came */
    bool shows;        /* the skin shows around the text */
};

TEST(KnobkitSkin, CheckBoxesAndRadiosDrawOverTheSkin)
{
    const ShowCase cases[] = {
        {"check box", ID_CHECK, false, true},
        {"radio", ID_AUTORADIO, false, true},
        {"check box made plain again paints its own face", ID_CHECK, true,
         false},
        {"push button paints its own face", ID_PUSH, false, false},
    };
    for (const ShowCase &c : cases) {
        Template t(0);
        HWND d = skin_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        ASSERT_TRUE(dlg_SetSkin(d, skin_Bitmap(SKIN_W, SKIN_H, 0, 0), NULL,
                                TRUE)) << "row " << c.name;
        if (c.plainAgain)
            gad_GetGadget(d, c.id)->kind = GAD_PLAIN;
        double share = skin_Showing(d, c.id);
        EXPECT_EQ(share > 0.5, c.shows)
            << "row " << c.name << ": the skin shows in " << share * 100
            << "% of the control";
        DestroyWindow(d);
    }
}

/* ---- Dialog flags ------------------------------------------------------- */

enum FlagCall { MODIFY, DRAG, CURSOR };

struct FlagCase {
    const char *name;
    uint32_t start;
    FlagCall call;
    uint32_t a, b;    /* set and clear, drag and dragAny, or enable */
    uint32_t want;
};

static GadDialog *flag_Call(HWND d, const FlagCase &c)
{
    switch (c.call) {
    case MODIFY:
        return dlg_ModifyFlags(d, c.a, c.b);
    case DRAG:
        return dlg_EnableDrag(d, (BOOL)c.a, (BOOL)c.b);
    case CURSOR:
        return dlg_EnableCursor(d, (BOOL)c.a);
    }
    return NULL;
}

TEST(KnobkitFlags, ModifyEnableDragAndCursor)
{
    const uint32_t ALL = DF_DRAG | DF_DRAGANY | DF_CURSOR | DF_SKINTILE;
    const FlagCase cases[] = {
        {"set one bit", 0, MODIFY, DF_DRAG, 0, DF_DRAG},
        {"clear one bit, keep the rest", ALL, MODIFY, 0, DF_CURSOR,
         DF_DRAG | DF_DRAGANY | DF_SKINTILE},
        {"set wins over clear of the same bit", DF_DRAG, MODIFY, DF_DRAG,
         DF_DRAG, DF_DRAG},
        {"clear everything, set one", ALL, MODIFY, DF_CURSOR, ~0u, DF_CURSOR},
        {"clearing unset bits changes nothing", DF_DRAG, MODIFY, 0,
         DF_SKIN | DF_CURSOR, DF_DRAG},
        {"set and clear different bits", DF_DRAG | DF_SKINTILE, MODIFY,
         DF_CURSOR | DF_DRAGANY, DF_SKINTILE, DF_DRAG | DF_DRAGANY | DF_CURSOR},
        {"nothing to do", ALL, MODIFY, 0, 0, ALL},
        {"drag only", DF_DRAGANY | DF_CURSOR, DRAG, TRUE, FALSE,
         DF_DRAG | DF_CURSOR},
        {"drag on any control", 0, DRAG, TRUE, TRUE, DF_DRAG | DF_DRAGANY},
        {"dragAny alone is kept as given", DF_DRAG, DRAG, FALSE, TRUE,
         DF_DRAGANY},
        {"no drag at all keeps other bits", ALL, DRAG, FALSE, FALSE,
         DF_CURSOR | DF_SKINTILE},
        {"any non-zero enables", 0, DRAG, 7, 0x100, DF_DRAG | DF_DRAGANY},
        {"cursor on", DF_SKINTILE, CURSOR, TRUE, 0, DF_SKINTILE | DF_CURSOR},
        {"cursor on twice", DF_CURSOR, CURSOR, 5, 0, DF_CURSOR},
        {"cursor off keeps other bits", ALL, CURSOR, FALSE, 0,
         DF_DRAG | DF_DRAGANY | DF_SKINTILE},
    };
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    GadDialog *h = header(d);
    ASSERT_TRUE(h);
    for (const FlagCase &c : cases) {
        h->dlgFlags = c.start;
        EXPECT_EQ(flag_Call(d, c), h) << "row " << c.name;
        EXPECT_EQ(h->dlgFlags, c.want) << "row " << c.name;
    }
    h->dlgFlags = 0;
    DestroyWindow(d);

    /* No block to answer: a null window or a dialog run by its own
     * procedure. */
    HWND u = CreateDialogIndirectParamA(NULL, skin_Template(t, 0), NULL,
                                        unmanaged_Proc, 0);
    ASSERT_TRUE(u);
    for (const FlagCase &c : cases) {
        EXPECT_EQ(flag_Call(NULL, c), (GadDialog *)NULL)
            << "row null window, " << c.name;
        EXPECT_EQ(flag_Call(u, c), (GadDialog *)NULL)
            << "row unmanaged, " << c.name;
    }
    EXPECT_EQ(GetWindowLongPtrA(u, GWLP_USERDATA), 0) << "row unmanaged";
    DestroyWindow(u);
}

/* ---- Gadget functions --------------------------------------------------- */

static HCURSOR cursor_Make(void)
{
    BYTE and_[128], xor_[128];
    memset(and_, 0xFF, sizeof and_);
    memset(xor_, 0, sizeof xor_);
    return CreateCursor(GetModuleHandleA(NULL), 0, 0, 32, 32, and_, xor_);
}

TEST(KnobkitGadgetApi, SetCursor)
{
    HCURSOR a = cursor_Make(), b = cursor_Make();
    ASSERT_TRUE(a && b);
    const uint32_t OTHER = GS_TEXTCOLOR | GS_CAPTURE | GS_DISABLED;
    const struct {
        const char *name;
        uint32_t start;
        HCURSOR cursor, down;
        uint32_t want;   /* cursor bits */
    } rows[] = {
        {"both", 0, a, b, GS_CURSOR | GS_CURSORDOWN},
        {"over only", GS_CURSORDOWN, a, NULL, GS_CURSOR},
        {"pressed only", GS_CURSOR, NULL, b, GS_CURSORDOWN},
        {"neither: back to the library's choice",
         GS_CURSOR | GS_CURSORDOWN, NULL, NULL, 0},
        {"one cursor for both", 0, b, b, GS_CURSOR | GS_CURSORDOWN},
    };
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    Gadget *g = gad_GetGadget(d, ID_LABEL);
    ASSERT_TRUE(g);
    for (const auto &r : rows) {
        g->state = r.start | OTHER;
        g->hCursor = g->hCursorDown = (HCURSOR)INVALID_HANDLE_VALUE;
        gad_SetCursor(g, r.cursor, r.down);
        EXPECT_EQ(g->state, r.want | OTHER) << "row " << r.name;
        EXPECT_EQ(g->hCursor, r.cursor) << "row " << r.name;
        EXPECT_EQ(g->hCursorDown, r.down) << "row " << r.name;
    }
    gad_SetCursor(g, a, b);
    gad_SetCursor(NULL, a, b);   /* ignored */
    EXPECT_EQ(g->hCursor, a) << "row null gadget";
    g->state = 0;
    DestroyWindow(d);
    /* The cursors stay the caller's: both can still be destroyed. */
    EXPECT_TRUE(DestroyCursor(a)) << "row cursor kept";
    EXPECT_TRUE(DestroyCursor(b)) << "row pressed cursor kept";
}

static void KKAPI text_One(int, char *out) { strcpy(out, "one"); }
static void KKAPI text_Two(int, char *out) { strcpy(out, "two"); }

TEST(KnobkitGadgetApi, SetTextProc)
{
    Template t(0);
    HWND d = skin_Dialog(t);
    ASSERT_TRUE(d);
    Gadget *g = gad_GetGadget(d, ID_LABEL);
    ASSERT_TRUE(g);
    const struct { const char *name; GadTextProc proc; } rows[] = {
        {"first formatter", text_One},
        {"replaced", text_Two},
        {"null goes back to the built-in text", NULL},
        {"set again", text_One},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(gad_SetTextProc(g, r.proc), r.proc) << "row " << r.name;
        EXPECT_EQ(g->textProc, r.proc) << "row " << r.name;
    }
    g->textProc = NULL;
    DestroyWindow(d);
}

/* A visible dialog whose table counts the erasures that reach it, so a
 * repaint of the area under a control shows. */
static HWND visible_Dialog(Template &t)
{
    HWND d = dlg_CreateDialogIndirect(NULL, skin_Template(t, WS_VISIBLE),
                                      NULL, erase_Table());
    if (d) {
        UpdateWindow(d);
        kk_Pump();
    }
    return d;
}

static int erasures(void)
{
    int n = 0;
    for (const std::string &l : Log)
        n += l.compare(0, 6, "erase ") == 0;
    return n;
}

TEST(KnobkitGadgetApi, ModifyFlagsAndRepaint)
{
    const struct { const char *name; uint32_t start, set, clear, want; }
    rows[] = {
        {"set", 0x1, 0x30, 0, 0x31},
        {"clear", 0xFF, 0, 0x0F, 0xF0},
        {"set wins over clear", 0x4, 0x4, 0x4, 0x4},
        {"value-text bits", VT_PERCENT, VT_LABELFORMAT, VT_PERCENT,
         VT_LABELFORMAT},
        {"clear all", 0xFFFFFFFF, 0, 0xFFFFFFFF, 0},
        {"nothing", 0x1234, 0, 0, 0x1234},
    };
    Template t(0);
    HWND d = visible_Dialog(t);
    ASSERT_TRUE(d);
    Gadget *g = gad_GetGadget(d, ID_LABEL);
    ASSERT_TRUE(g);
    for (const auto &r : rows) {
        g->flags = r.start;
        Log.clear();
        gad_ModifyFlags(g, r.set, r.clear);
        EXPECT_EQ(g->flags, r.want) << "row " << r.name;
        EXPECT_GT(erasures(), 0) << "row " << r.name << ": no repaint\n"
                                 << kk_Lines(Log);
    }
    Log.clear();
    gad_ModifyFlags(NULL, 1, 2);   /* ignored */
    EXPECT_EQ(erasures(), 0) << "row null gadget";
    DestroyWindow(d);
}

TEST(KnobkitGadgetApi, EnableAndEnableItem)
{
    const uint32_t OTHER = GS_TEXTCOLOR | GS_CURSOR;
    const struct {
        const char *name;
        bool byItem;
        int id;
        uint32_t start;
        BOOL enable;
        BOOL result;
        uint32_t want;
    } rows[] = {
        {"disable", false, ID_LABEL, OTHER, FALSE, TRUE, OTHER | GS_DISABLED},
        {"disable twice", false, ID_LABEL, OTHER | GS_DISABLED, FALSE, TRUE,
         OTHER | GS_DISABLED},
        {"enable", false, ID_LABEL, OTHER | GS_DISABLED, TRUE, TRUE, OTHER},
        {"any non-zero enables", false, ID_LABEL, GS_DISABLED, 9, TRUE, 0},
        {"by item: disable", true, ID_PUSH, OTHER, FALSE, TRUE,
         OTHER | GS_DISABLED},
        {"by item: enable", true, ID_PUSH, GS_DISABLED, TRUE, TRUE, 0},
        {"by item: missing control", true, 999, 0, FALSE, FALSE, 0},
    };
    Template t(0);
    HWND d = visible_Dialog(t);
    ASSERT_TRUE(d);
    for (const auto &r : rows) {
        Gadget *g = gad_GetGadget(d, r.id);
        if (g)
            g->state = r.start;
        Log.clear();
        BOOL got = r.byItem ? gad_EnableItem(d, r.id, r.enable)
                            : gad_Enable(g, r.enable);
        EXPECT_EQ(!!got, !!r.result) << "row " << r.name;
        if (!g)
            continue;
        EXPECT_EQ(g->state, r.want) << "row " << r.name;
        EXPECT_TRUE(IsWindowEnabled(g->hWnd))
            << "row " << r.name << ": the control window was disabled";
        EXPECT_GT(erasures(), 0) << "row " << r.name << ": no repaint";
        g->state = 0;
    }
    Template tu(0);
    HWND u = CreateDialogIndirectParamA(NULL, skin_Template(tu, 0), NULL,
                                        unmanaged_Proc, 0);
    ASSERT_TRUE(u);
    EXPECT_FALSE(gad_EnableItem(u, ID_LABEL, FALSE)) << "row unmanaged";
    EXPECT_FALSE(gad_EnableItem(NULL, ID_LABEL, FALSE)) << "row null window";
    DestroyWindow(u);
    DestroyWindow(d);
}

/* ---- gad_Free ------------------------------------------------------------ */

static std::vector<Gadget *> Freed;
static int Draws;

static uint32_t KKAPI free_Note(Gadget *g)
{
    Freed.push_back(g);
    return 0xBEEF;
}

static void KKAPI draw_Note(HWND, HDC, Gadget *)
{
    Draws++;
}

static BOOL KKAPI hit_Yes(Gadget *, POINT *) { return TRUE; }

struct FreeCase {
    const char *name;
    uint32_t kind;
    bool ownObjects;    /* brush and font the record owns */
    GadFreeProc freeProc;
    uint32_t want;
};

TEST(KnobkitGadgetApi, FreeMakesAPlainRecord)
{
    const FreeCase cases[] = {
        {"gadget owning brush and font, with FreeProc", GAD_LED, true,
         free_Note, 0xBEEF},
        {"variant gadget with the client's objects", 0x100 | GAD_SLIDER,
         false, free_Note, 0xBEEF},
        {"gadget without FreeProc answers 0", GAD_WHEEL, true, NULL, 0},
        {"coloured record", GAD_COLORED, true, NULL, 0},
    };
    const Say color = {"color", 0};
    const DlgHandler table[] = {
        {WM_CTLCOLORBTN, 0, say, (LPARAM)&color},
        {0, 0, NULL, 0},
    };
    for (const FreeCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = dlg_CreateDialogIndirect(NULL, skin_Template(t, 0), NULL,
                                          table);
        ASSERT_TRUE(d) << "row " << c.name;
        Gadget *g = gad_GetGadget(d, ID_PUSH);
        ASSERT_TRUE(g) << "row " << c.name;
        HBRUSH brush = CreateSolidBrush(RGB(3, 4, 5));
        HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0,
                                 0, "Tahoma");
        g->kind = c.kind;
        g->flags = 0x5A5A;
        g->hBrush = brush;
        g->hFont = font;
        g->state = GS_TEXTCOLOR | GS_CAPTURE |
                   (c.ownObjects ? GS_OWNBRUSH | GS_OWNFONT : 0);
        for (int i = 0; i < GAD_PRIVATE_WORDS; i++)
            g->priv[i] = 1000 + i;
        g->FreeProc = c.freeProc;
        g->DrawProc = draw_Note;
        g->HitProc = hit_Yes;
        Freed.clear();
        EXPECT_EQ(gad_Free(g), c.want) << "row " << c.name;
        EXPECT_EQ(Freed, c.freeProc ? std::vector<Gadget *>{g}
                                    : std::vector<Gadget *>{})
            << "row " << c.name << ": FreeProc calls";
        EXPECT_EQ(g->kind, (uint32_t)GAD_PLAIN) << "row " << c.name;
        EXPECT_EQ(kk_Alive(brush), !c.ownObjects) << "row " << c.name;
        EXPECT_EQ(kk_Alive(font), !c.ownObjects) << "row " << c.name;
        EXPECT_EQ(g->hBrush, c.ownObjects ? (HBRUSH)NULL : brush) << "row " << c.name;
        EXPECT_EQ(g->hFont, c.ownObjects ? (HFONT)NULL : font) << "row " << c.name;
        EXPECT_EQ(g->state, (uint32_t)(GS_TEXTCOLOR | GS_CAPTURE))
            << "row " << c.name;
        /* Slots, flags and private data stay. */
        EXPECT_EQ(g->flags, 0x5A5Au) << "row " << c.name;
        EXPECT_EQ(g->FreeProc, c.freeProc) << "row " << c.name;
        EXPECT_EQ(g->DrawProc, draw_Note) << "row " << c.name;
        EXPECT_EQ(g->HitProc, hit_Yes) << "row " << c.name;
        int changed = 0;
        for (int i = 0; i < GAD_PRIVATE_WORDS; i++)
            changed += g->priv[i] != (uint32_t)(1000 + i);
        EXPECT_EQ(changed, 0) << "row " << c.name << ": private words";

        /* Plain now: the colour message goes to the table, the DrawProc
         * left in its slot is not called, and the dialog tools treat the
         * control as an ordinary one. */
        Draws = 0;
        Log.clear();
        HDC dc = CreateCompatibleDC(NULL);
        SendMessageA(d, WM_CTLCOLORBTN, (WPARAM)dc,
                     (LPARAM)GetDlgItem(d, ID_PUSH));
        DeleteDC(dc);
        EXPECT_EQ(Draws, 0) << "row " << c.name;
        EXPECT_EQ(Log.size(), 1u) << "row " << c.name << "\n" << kk_Lines(Log);
        dlg_Enable(d, FALSE);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, ID_PUSH)))
            << "row " << c.name << ": dlg_Enable passed it over";
        g->FreeProc = NULL;
        g->DrawProc = NULL;
        g->HitProc = NULL;
        DestroyWindow(d);
        if (!c.ownObjects) {
            EXPECT_TRUE(kk_Alive(brush) && kk_Alive(font))
                << "row " << c.name << ": the client's objects went";
            DeleteObject(brush);
            DeleteObject(font);
        }
    }
}

/* ---- Tab pages ----------------------------------------------------------- */

static bool comctl_Ready(void)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
}

enum { NPAGES = 3 };

/* Each page's table: GM_TABLEAVE answered by the row's choice. */
struct PageRows {
    Say leave, enter;
    DlgHandler table[3];
};

enum { PAGE_TMPL = 701 };

struct Tabbed {
    TemplateModule mod{{{PAGE_TMPL, kk_PageTemplate(ID_PAGELABEL, "Page")}}};
    Template t{0};
    HWND d = NULL, tab = NULL;
    PageRows rows[NPAGES];
    TabPage pages[NPAGES + 1] = {};
    Gadget *g = NULL;

    /* A dialog with a tab control whose three tabs and pages tab_Create
     * makes from a module's template; the record is made plain again
     * when gadget is clear. */
    Tabbed(const INT_PTR refuse[NPAGES], bool gadget,
           const DlgHandler *dialogTable)
    {
        static const char *const names[NPAGES][2] = {
            {"p0 leave", "p0 enter"}, {"p1 leave", "p1 enter"},
            {"p2 leave", "p2 enter"}};
        static const char *const titles[NPAGES] = {"One", "Two", "Three"};
        t = Template(WS_POPUP | WS_CAPTION | WS_SYSMENU);
        t.custom(WC_TABCONTROLA, WS_CLIPSIBLINGS | WS_TABSTOP, ID_TAB, 5, 5,
                 180, 150, "")
            .item(0x82, SS_LEFT, ID_LABEL, 170, "Label");
        d = dlg_CreateDialogIndirect(NULL, t.get(), NULL, dialogTable);
        tab = d ? GetDlgItem(d, ID_TAB) : NULL;
        if (!tab || !mod.module)
            return;
        for (int i = 0; i < NPAGES; i++) {
            rows[i].leave = Say{names[i][0], refuse[i]};
            rows[i].enter = Say{names[i][1], 0};
            rows[i].table[0] = {GM_TABLEAVE, 0, say, (LPARAM)&rows[i].leave};
            rows[i].table[1] = {GM_TABENTER, 0, say, (LPARAM)&rows[i].enter};
            rows[i].table[2] = {0, 0, NULL, 0};
            pages[i].title = titles[i];
            pages[i].pageTemplate = PAGE_TMPL;
            pages[i].pageHandlers = rows[i].table;
        }
        g = tab_Create(mod.module, d, ID_TAB, pages);
        if (g && !gadget)
            g->kind = GAD_PLAIN;
        ShowWindow(d, SW_SHOW);
        UpdateWindow(d);
        kk_Pump();
    }
    ~Tabbed()
    {
        if (d && IsWindow(d))
            DestroyWindow(d);
    }
    /* A click in the middle of tab i, as the mouse gives it. */
    void click(int i)
    {
        RECT r;
        SendMessageA(tab, TCM_GETITEMRECT, i, (LPARAM)&r);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tab, WM_LBUTTONUP, 0, at);
        kk_Pump();
    }
    std::string shown(void) const
    {
        std::string s;
        for (int i = 0; i < NPAGES; i++)
            s += IsWindowVisible(pages[i].pageWnd) ? '1' : '0';
        return s;
    }
};

/* The dialog's own table sees the selection notifications that reach it. */
static INT_PTR KKAPI dialog_Notify(HWND, WPARAM, LPARAM lParam, int, LPARAM)
{
    const NMHDR *nm = (const NMHDR *)lParam;
    if (nm->code == (UINT)TCN_SELCHANGING)
        Log.push_back("dialog selchanging");
    else if (nm->code == (UINT)TCN_SELCHANGE)
        Log.push_back("dialog selchange");
    return 0;
}

struct TabCase {
    const char *name;
    bool gadget;
    INT_PTR refuse[NPAGES];
    std::vector<int> clicks;
    std::vector<std::string> log;
    int sel;              /* the selection afterwards */
    const char *shown;    /* pages visible afterwards, '1' per page */
};

TEST(KnobkitTab, PagesHearLeaveAndEnterInOrder)
{
    ASSERT_TRUE(comctl_Ready());
    const TabCase cases[] = {
        {"second tab", true, {0, 0, 0}, {1},
         {"p0 leave 0 0 visible", "p1 enter 0 0", "dialog selchange"}, 1,
         "010"},
        {"third, then back to the first", true, {0, 0, 0}, {2, 0},
         {"p0 leave 0 0 visible", "p2 enter 0 0", "dialog selchange",
          "p2 leave 0 0 visible", "p0 enter 0 0", "dialog selchange"},
         0, "100"},
        {"the selected tab again: nothing", true, {0, 0, 0}, {0}, {}, 0,
         "100"},
        {"a page answering 1 keeps its selection", true, {1, 0, 0}, {1, 2},
         {"p0 leave 0 0 visible", "p0 leave 0 0 visible"}, 0, "100"},
        {"DLG_HANDLED is an answer of TRUE: it refuses too", true,
         {DLG_HANDLED, 0, 0}, {2},
         {"p0 leave 0 0 visible"}, 0, "100"},
        {"a negative answer refuses too", true, {-1, 0, 0}, {2},
         {"p0 leave 0 0 visible"}, 0, "100"},
        {"a later page refuses", true, {0, 1, 0}, {1, 2, 0},
         {"p0 leave 0 0 visible", "p1 enter 0 0", "dialog selchange",
          "p1 leave 0 0 visible", "p1 leave 0 0 visible"},
         1, "010"},
        {"not a gadget: the table hears it all, pages nothing", false,
         {0, 0, 0}, {1},
         {"dialog selchanging", "dialog selchange"}, 1, "100"},
    };
    const DlgHandler dialogTable[] = {
        {WM_NOTIFY, ID_TAB, dialog_Notify, 0},
        {0, 0, NULL, 0},
    };
    for (const TabCase &c : cases) {
        SCOPED_TRACE(c.name);
        Tabbed tb(c.refuse, c.gadget, dialogTable);
        ASSERT_TRUE(tb.tab) << "row " << c.name;
        for (int i = 0; i < NPAGES; i++)
            ASSERT_TRUE(tb.pages[i].pageWnd) << "row " << c.name;
        ASSERT_TRUE(tb.g) << "row " << c.name;
        ASSERT_EQ(tb.shown(), "100") << "row " << c.name;
        Log.clear();
        for (int i : c.clicks)
            tb.click(i);
        EXPECT_LOG(c.log, c.name);
        EXPECT_EQ(SendMessageA(tb.tab, TCM_GETCURSEL, 0, 0), c.sel)
            << "row " << c.name;
        EXPECT_EQ(tb.shown(), c.shown) << "row " << c.name;
        tb.g->kind = GAD_TAB;   /* every page goes with the dialog */
    }
}

TEST(KnobkitTab, FocusMovedByTheControlSwitchesPages)
{
    ASSERT_TRUE(comctl_Ready());
    const INT_PTR none[NPAGES] = {0, 0, 0};
    const DlgHandler empty[] = {{0, 0, NULL, 0}};
    Tabbed tb(none, true, empty);
    ASSERT_TRUE(tb.tab && tb.g);
    Log.clear();
    /* The control sends the notifications itself. */
    SendMessageA(tb.tab, TCM_SETCURFOCUS, 2, 0);
    kk_Pump();
    const std::vector<std::string> want = {"p0 leave 0 0 visible",
                                           "p2 enter 0 0"};
    EXPECT_LOG(want, "focus to the third tab");
    EXPECT_EQ(SendMessageA(tb.tab, TCM_GETCURSEL, 0, 0), 2) << "row selection";
    EXPECT_EQ(tb.shown(), "001") << "row pages";
}

TEST(KnobkitTab, PagesGoWithTheDialog)
{
    ASSERT_TRUE(comctl_Ready());
    const INT_PTR none[NPAGES] = {0, 0, 0};
    const DlgHandler empty[] = {{0, 0, NULL, 0}};
    Tabbed tb(none, true, empty);
    ASSERT_TRUE(tb.tab && tb.g);
    HWND wnd[NPAGES];
    for (int i = 0; i < NPAGES; i++) {
        wnd[i] = tb.pages[i].pageWnd;
        ASSERT_TRUE(IsWindow(wnd[i])) << "row page " << i;
        /* Each page is a managed dialog of its own. */
        EXPECT_TRUE(gad_GetGadget(wnd[i], ID_PAGELABEL)) << "row page " << i;
    }
    EXPECT_FALSE(gad_GetGadget(tb.d, ID_PAGELABEL))
        << "row a page's control has a record in the dialog";
    ASSERT_TRUE(DestroyWindow(tb.d));
    for (int i = 0; i < NPAGES; i++) {
        EXPECT_FALSE(IsWindow(wnd[i])) << "row page " << i;
        EXPECT_EQ(tb.pages[i].pageWnd, (HWND)NULL)
            << "row page " << i << ": the table still names the window";
    }
}
