/* Gadget_win_test.cpp -- the records of a managed dialog, driven through
 * the library's own module under Wine: class codes of real controls by
 * table, records attached to the direct children of a real window (and
 * only to them), the two-pass search for the record under a point, and
 * the release of what records own. */
#include "kk_int.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <string>
#include <vector>

/* ---- Class codes ----------------------------------------------------- */

/* The common-control names are registered here as plain classes of this
 * program (with the registered spelling the row gives), so the codes are
 * tested without loading the controls. */
static LRESULT CALLBACK plain_Proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcA(h, m, w, l);
}

static void class_Register(const char *name)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = plain_Proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = name;
    RegisterClassA(&wc);   /* a second test run finds it registered */
}

static HWND host_Make(DWORD style)
{
    return CreateWindowExA(0, "STATIC", "host", style, 100, 100, 300, 200,
                           NULL, NULL, NULL, NULL);
}

struct ClassCase {
    const char *name;
    const char *cls;
    DWORD style;
    bool registered;   /* a class of this program */
    uint32_t want;
};

TEST(KnobkitGadget, ClassCodes)
{
    const ClassCase cases[] = {
        {"push button", "BUTTON", BS_PUSHBUTTON, false, CTL_PUSHBUTTON},
        {"default push button", "BUTTON", BS_DEFPUSHBUTTON, false,
         CTL_PUSHBUTTON},
        {"radio", "BUTTON", BS_RADIOBUTTON, false, CTL_RADIO},
        {"auto radio", "BUTTON", BS_AUTORADIOBUTTON, false, CTL_RADIO},
        {"check box", "BUTTON", BS_CHECKBOX, false, CTL_CHECKBOX},
        {"auto check box", "BUTTON", BS_AUTOCHECKBOX, false, CTL_CHECKBOX},
        {"three-state", "BUTTON", BS_3STATE, false, CTL_CHECKBOX},
        {"auto three-state", "BUTTON", BS_AUTO3STATE, false, CTL_CHECKBOX},
        {"group box", "BUTTON", BS_GROUPBOX, false, CTL_GROUPBOX},
        {"owner-drawn button", "BUTTON", BS_OWNERDRAW, false, CTL_OWNERDRAW},
        {"push box is other", "BUTTON", BS_PUSHBOX, false, CTL_OTHER},
        {"check box with flat look", "BUTTON", BS_AUTOCHECKBOX | BS_FLAT,
         false, CTL_CHECKBOX},
        {"combo box", "COMBOBOX", CBS_DROPDOWNLIST, false, CTL_COMBOBOX},
        {"edit", "EDIT", 0, false, CTL_EDIT},
        {"list box", "LISTBOX", 0, false, CTL_LISTBOX},
        {"static text", "STATIC", SS_LEFT, false, CTL_STATIC},
        {"static icon", "STATIC", SS_ICON, false, CTL_STATIC},
        {"static black frame", "STATIC", SS_BLACKFRAME, false, CTL_STATIC},
        {"etched horizontal", "STATIC", SS_ETCHEDHORZ, false, CTL_ETCHED},
        {"etched vertical", "STATIC", SS_ETCHEDVERT, false, CTL_ETCHED},
        {"etched frame", "STATIC", SS_ETCHEDFRAME, false, CTL_ETCHED},
        {"etched with notify", "STATIC", SS_ETCHEDHORZ | SS_NOTIFY, false,
         CTL_ETCHED},
        {"scroll bar is other", "SCROLLBAR", SBS_HORZ, false, CTL_OTHER},
        {"rich edit", "RichEdit", 0, true, CTL_RICHEDIT},
        {"header, other case", "sysheader32", 0, true, CTL_HEADER},
        {"toolbar", "ToolbarWindow32", 0, true, CTL_TOOLBAR},
        {"rebar", "ReBarWindow32", 0, true, CTL_REBAR},
        {"status bar", "msctls_statusbar32", 0, true, CTL_STATUSBAR},
        {"trackbar", "msctls_trackbar32", 0, true, CTL_TRACKBAR},
        {"up-down", "MSCTLS_UPDOWN32", 0, true, CTL_UPDOWN},
        {"progress", "msctls_progress32", 0, true, CTL_PROGRESS},
        {"hotkey", "msctls_hotkey32", 0, true, CTL_HOTKEYCTL},
        {"list view", "SysListView32", 0, true, CTL_LISTVIEW},
        {"tree view", "SysTreeView32", 0, true, CTL_TREEVIEW},
        {"extended combo", "ComboBoxEx32", 0, true, CTL_COMBOBOXEX},
        {"tab", "SysTabControl32", 0, true, CTL_TAB},
        {"animation", "SysAnimate32", 0, true, CTL_ANIMATE},
        {"month calendar", "SysMonthCal32", 0, true, CTL_MONTHCAL},
        {"date and time", "SysDateTimePick32", 0, true, CTL_DATETIME},
        {"IP address", "SysIPAddress32", 0, true, CTL_IPADDRESS},
        {"pager", "SysPager", 0, true, CTL_PAGER},
        {"a longer name is other", "SysPager2", 0, true, CTL_OTHER},
        {"a later rich edit is other", "RichEdit20A", 0, true, CTL_OTHER},
    };
    HWND host = host_Make(WS_POPUP);
    ASSERT_TRUE(host);
    for (const ClassCase &c : cases) {
        if (c.registered)
            class_Register(c.cls);
        HWND w = CreateWindowExA(0, c.cls, "", WS_CHILD | c.style, 0, 0, 20,
                                 20, host, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(w) << "row " << c.name;
        EXPECT_EQ(gad_ClassOf(w), c.want) << "row " << c.name;
        DestroyWindow(w);
    }
    EXPECT_EQ(gad_ClassOf(NULL), (uint32_t)CTL_OTHER) << "row null window";
    DestroyWindow(host);
}

/* ---- A host window with children at known places ------------------- */

struct Child {
    int id;
    const char *cls;
    DWORD style;
    RECT r;   /* in the host's client area */
};

/* Children in record order: each is sent to the bottom of the Z order as
 * it is made, so the system enumerates them in this order. */
static const Child Children[] = {
    {10, "STATIC", SS_LEFT, {70, 70, 90, 90}},
    {11, "BUTTON", BS_GROUPBOX, {0, 0, 100, 100}},
    {12, "STATIC", SS_LEFT, {10, 10, 50, 50}},
    {13, "STATIC", SS_LEFT, {30, 10, 70, 50}},
    {14, "STATIC", SS_LEFT, {10, 60, 50, 90}},
    {15, "EDIT", 0, {110, 10, 150, 50}},
    {16, "BUTTON", BS_PUSHBUTTON, {110, 60, 150, 90}},
    {17, "STATIC", SS_LEFT, {160, 10, 190, 50}},
};
static const int NCHILD = sizeof Children / sizeof *Children;

struct Host {
    HWND wnd = NULL;
    HWND child[NCHILD] = {};
    HWND grandchild = NULL;
    GadDialog *gd = NULL;

    explicit Host(DWORD style)
    {
        wnd = host_Make(style);
        for (int i = 0; i < NCHILD; i++) {
            const Child &c = Children[i];
            child[i] = CreateWindowExA(
                0, c.cls, "", WS_CHILD | WS_VISIBLE | c.style, c.r.left,
                c.r.top, c.r.right - c.r.left, c.r.bottom - c.r.top, wnd,
                (HMENU)(INT_PTR)c.id, NULL, NULL);
            SetWindowPos(child[i], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        /* Inside the group box: not a direct child, so no record. */
        grandchild = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE,
                                     2, 2, 10, 10, child[1], (HMENU)99, NULL,
                                     NULL);
    }
    ~Host()
    {
        if (gd) {
            gad_ReleaseAll(gd);
            free(gd);
        }
        DestroyWindow(wnd);
    }
    Gadget *rec(int id)
    {
        for (int i = 0; i < NCHILD; i++)
            if (Children[i].id == id)
                return &gd->gadgets[i];
        return NULL;
    }
};

TEST(KnobkitGadget, AttachGivesEveryDirectChildARecord)
{
    Host h(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    ASSERT_TRUE(h.wnd && h.grandchild);
    for (int i = 0; i < NCHILD; i++)
        ASSERT_TRUE(h.child[i]) << "row " << Children[i].id;
    h.gd = gad_Attach(h.wnd);
    ASSERT_TRUE(h.gd);
    EXPECT_EQ(h.gd->count, (uint32_t)NCHILD) << "the grandchild is counted";
    EXPECT_EQ((GadDialog *)GetWindowLongPtrA(h.wnd, GWLP_USERDATA), h.gd);
    EXPECT_EQ(h.gd->gadgets, (Gadget *)(h.gd + 1)) << "one block";
    EXPECT_EQ(GetWindowLongPtrA(h.grandchild, GWLP_USERDATA), 0)
        << "the grandchild got a record";
    const uint32_t want[NCHILD] = {CTL_STATIC, CTL_GROUPBOX, CTL_STATIC,
                                   CTL_STATIC, CTL_STATIC,   CTL_EDIT,
                                   CTL_PUSHBUTTON, CTL_STATIC};
    for (int i = 0; i < NCHILD && i < (int)h.gd->count; i++) {
        SCOPED_TRACE(testing::Message() << "row " << Children[i].id);
        const Gadget *g = &h.gd->gadgets[i];
        EXPECT_EQ(g->hWnd, h.child[i]);
        EXPECT_EQ(g->hDlg, h.wnd);
        EXPECT_EQ(g->kind, (uint32_t)GAD_PLAIN);
        EXPECT_EQ(g->ctlClass, want[i]);
        EXPECT_EQ(g->state, 0u);
        EXPECT_EQ(GetWindowLongPtrA(h.child[i], GWLP_USERDATA),
                  (LONG_PTR)g);
    }
}

TEST(KnobkitGadget, AttachFailsWithoutChildren)
{
    HWND w = host_Make(WS_POPUP | WS_CAPTION);
    ASSERT_TRUE(w);
    EXPECT_EQ(gad_Attach(w), (GadDialog *)NULL);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 0);
    DestroyWindow(w);
}

/* ---- The record under a point --------------------------------------- */

static POINT LastHit;

static BOOL KKAPI hit_Left(Gadget *, POINT *pt)   /* the left 25 pixels */
{
    LastHit = *pt;
    return pt->x < 25;
}
static BOOL KKAPI hit_All(Gadget *, POINT *) { return TRUE; }
static BOOL KKAPI hit_None(Gadget *, POINT *) { return FALSE; }

struct HitCase {
    const char *name;
    POINT pt;   /* host client coordinates */
    int want;   /* the control identifier, 0 for none */
};

TEST(KnobkitGadget, FindGadgetTriesGadgetsFirstThenPlainRecords)
{
    Host h(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    h.gd = gad_Attach(h.wnd);
    ASSERT_TRUE(h.gd);
    ASSERT_EQ(h.gd->count, (uint32_t)NCHILD);
    /* Test gadgets made as the library makes its own: only HitProc. */
    auto make = [&](int id, uint32_t kind, GadHitProc hit) {
        const GadOps ops = {NULL, NULL, hit, NULL, NULL,
                            NULL, NULL, NULL, NULL, NULL};
        ASSERT_TRUE(gad_Become(h.wnd, id, kind, 0, &ops)) << "row make " << id;
    };
    ASSERT_TRUE(gad_SetColor(h.wnd, 10, GS_TEXTCOLOR, 0, 0, NULL));
    make(12, GAD_SLIDER, hit_Left);
    make(13, GAD_LED, hit_All);
    make(14, GAD_WHEEL, NULL);                /* no HitProc */
    make(15, 0x100 | GAD_PROGBAR, hit_None);  /* a variant is a gadget */
    make(16, 0x100, hit_None);                /* low byte 0: plain */
    make(17, GAD_IBUTTON, hit_None);
    const HitCase cases[] = {
        {"gadget wins over an earlier plain record", {15, 20}, 12},
        {"two gadgets say yes: the first in record order", {32, 20}, 12},
        {"transparent part falls to the next gadget", {42, 20}, 13},
        {"second gadget alone", {65, 20}, 13},
        {"gadget without HitProc: the plain record below", {20, 70}, 11},
        {"plain records: the first in record order", {80, 80}, 10},
        {"plain record alone", {5, 95}, 11},
        {"right and bottom edges are outside", {100, 100}, 0},
        {"transparent variant gadget, nothing below", {120, 20}, 0},
        {"kind tested by its low byte", {120, 70}, 16},
        {"transparent gadget, nothing below", {170, 20}, 0},
        {"outside every control", {105, 50}, 0},
    };
    for (const HitCase &c : cases) {
        POINT pt = c.pt;
        ClientToScreen(h.wnd, &pt);
        const Gadget *g = dlg_FindGadget(h.gd, pt);
        EXPECT_EQ(g ? GetDlgCtrlID(g->hWnd) : 0, c.want) << "row " << c.name;
    }
    /* The gadget is asked in its control's client coordinates. */
    POINT pt = {17, 23};
    ClientToScreen(h.wnd, &pt);
    LastHit = POINT{-1, -1};
    dlg_FindGadget(h.gd, pt);
    EXPECT_EQ(LastHit.x, 17 - 10) << "row client x";
    EXPECT_EQ(LastHit.y, 23 - 10) << "row client y";
    EXPECT_EQ(dlg_FindGadget(NULL, pt), (Gadget *)NULL) << "row no block";
}

/* ---- Release --------------------------------------------------------- */

static std::vector<Gadget *> Freed;

static uint32_t KKAPI free_Count(Gadget *g)
{
    Freed.push_back(g);
    return 5;
}

TEST(KnobkitGadget, ReleaseDeletesOnlyWhatRecordsOwn)
{
    Host h(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    h.gd = gad_Attach(h.wnd);
    ASSERT_TRUE(h.gd);
    ASSERT_EQ(h.gd->count, (uint32_t)NCHILD);
    HBRUSH owned = CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH client = CreateSolidBrush(RGB(4, 5, 6));
    HFONT ownedFont = CreateFontA(-11, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0,
                                  "Tahoma");
    HFONT clientFont = CreateFontA(-11, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0,
                                   "Tahoma");
    Gadget *a = h.rec(10), *b = h.rec(12), *c = h.rec(13);
    a->hBrush = owned, a->hFont = ownedFont;
    a->state = GS_OWNBRUSH | GS_OWNFONT | GS_TEXTCOLOR;
    b->hBrush = client, b->hFont = clientFont;
    b->FreeProc = free_Count;
    c->FreeProc = free_Count;
    c->kind = GAD_PLAIN;   /* a freed gadget keeps its slots */
    Freed.clear();
    gad_ReleaseAll(h.gd);
    EXPECT_EQ(GetObjectType(owned), 0u) << "row owned brush";
    EXPECT_EQ(GetObjectType(ownedFont), 0u) << "row owned font";
    EXPECT_EQ(GetObjectType(client), (DWORD)OBJ_BRUSH) << "row client brush";
    EXPECT_EQ(GetObjectType(clientFont), (DWORD)OBJ_FONT) << "row client font";
    EXPECT_EQ(a->hBrush, (HBRUSH)NULL) << "row owned brush pointer";
    EXPECT_EQ(a->hFont, (HFONT)NULL) << "row owned font pointer";
    EXPECT_EQ(a->state, (uint32_t)GS_TEXTCOLOR) << "row ownership bits";
    EXPECT_EQ(b->hBrush, client) << "row client brush pointer";
    EXPECT_EQ(Freed, (std::vector<Gadget *>{b, c})) << "row FreeProc calls";
    for (int i = 0; i < NCHILD; i++)
        EXPECT_EQ(GetWindowLongPtrA(h.child[i], GWLP_USERDATA), 0)
            << "row " << Children[i].id;
    DeleteObject(client);
    DeleteObject(clientFont);
    free(h.gd);
    h.gd = NULL;
}

/* ---- Value text into a companion label ------------------------------- */

/* A visible host that counts the erasures of its background, so a
 * repaint of the area under a transparent label can be seen. */
static int Erasures;

static LRESULT CALLBACK erase_Proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_ERASEBKGND)
        Erasures++;
    return DefWindowProcA(h, m, w, l);
}

struct ShowCase {
    const char *name;
    const char *text;
    uint32_t flags;
    int labelId;
    bool transparent;    /* GS_TRANSPARENT on the label's record */
    int min, max, value;
    int want;            /* the result: the percentage */
    const char *label;   /* the label's text afterwards */
    bool erased;         /* the host repainted under the label */
};

TEST(KnobkitGadget, ShowValuePutsTheLabelText)
{
    enum { SOURCE = 11, LABEL = 12 };
    const ShowCase cases[] = {
        {"only the percentage", "%d dB", VT_LABELFORMAT, -1, false, 0, 200,
         101, 51, "old", false},
        {"empty label, value", "", 0, LABEL, false, 0, 100, 42, 42, "42",
         false},
        {"empty label, percent", "", VT_PERCENT, LABEL, false, 0, 200, 101, 51,
         "51%", false},
        {"label format of the percentage", "%d dB",
         VT_LABELFORMAT | VT_LABELPERCENT, LABEL, false, 0, 200, 101, 51,
         "51 dB", false},
        {"built-in value without the label format", "%d dB", 0, LABEL, false,
         0, 200, 101, 51, "101", false},
        {"plain label as it stands", "Gain", VT_LABELPERCENT, LABEL, false, 0,
         100, 9, 9, "Gain", false},
        {"percent truncated toward zero", "", VT_PERCENT, LABEL, false, 0, 100,
         -1, 0, "0%", false},
        {"transparent label repaints under it", "%d", VT_LABELFORMAT, LABEL,
         true, 0, 10, 5, 50, "5", true},
        {"missing label changes nothing", "%d", VT_LABELFORMAT, 99, false, 0,
         10, 5, 50, "old", false},
    };
    WNDCLASSA wc = {};
    wc.lpfnWndProc = erase_Proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "kk_erase_host";
    RegisterClassA(&wc);
    for (const ShowCase &c : cases) {
        SCOPED_TRACE(std::string("row ") + c.name);
        HWND host = CreateWindowExA(0, "kk_erase_host", "", WS_POPUP |
                                    WS_VISIBLE, 50, 50, 200, 100, NULL, NULL,
                                    NULL, NULL);
        ASSERT_TRUE(host);
        HWND source = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE,
                                      0, 0, 50, 20, host, (HMENU)SOURCE,
                                      NULL, NULL);
        HWND label = CreateWindowExA(0, "STATIC", "old", WS_CHILD |
                                     WS_VISIBLE, 0, 40, 100, 20, host,
                                     (HMENU)LABEL, NULL, NULL);
        ASSERT_TRUE(source && label);
        GadDialog *gd = gad_Attach(host);
        ASSERT_TRUE(gd);
        Gadget *g = (Gadget *)GetWindowLongPtrA(source, GWLP_USERDATA);
        Gadget *lg = (Gadget *)GetWindowLongPtrA(label, GWLP_USERDATA);
        ASSERT_TRUE(g && lg);
        strcpy(g->text, c.text);
        g->flags = c.flags;
        if (c.transparent)
            lg->state |= GS_TRANSPARENT;
        UpdateWindow(host);
        Erasures = 0;
        EXPECT_EQ(gad_ShowValue(g, c.labelId, c.min, c.max, c.value), c.want);
        char text[GAD_TEXT_MAX];
        GetWindowTextA(label, text, sizeof text);
        EXPECT_STREQ(text, c.label);
        EXPECT_EQ(Erasures > 0, c.erased) << Erasures << " erasures";
        gad_ReleaseAll(gd);
        free(gd);
        SetWindowLongPtrA(host, GWLP_USERDATA, 0);
        DestroyWindow(host);
    }
}

TEST(KnobkitGadget, ShowValueOfNoGadgetOnlyComputes)
{
    EXPECT_EQ(gad_ShowValue(NULL, 5, 0, 200, 101), 51) << "row null gadget";
}

/* ---- Notifications --------------------------------------------------- */

/* The messages waiting for w, posted ones only, as lines: the message,
 * wParam and lParam, with "g" for the record and "0" for nothing. */
static std::vector<std::string> posted_Take(HWND w, const Gadget *g)
{
    std::vector<std::string> out;
    MSG m;
    while (PeekMessageA(&m, w, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        std::string name;
        switch (m.message) {
        case WM_SYSCOMMAND: name = "syscommand"; break;
        case GM_ARROW:      name = "arrow"; break;
        case GM_ABOUT:      name = "about"; break;
        case GM_SLIDER:     name = "slider"; break;
        case GM_IBUTTON:    name = "ibutton"; break;
        default:            name = std::to_string(m.message); break;
        }
        std::string wp;
        switch (m.wParam) {
        case SC_CLOSE:    wp = "close"; break;
        case SC_MINIMIZE: wp = "minimize"; break;
        case SC_MAXIMIZE: wp = "maximize"; break;
        case SC_RESTORE:  wp = "restore"; break;
        default:          wp = std::to_string(m.wParam); break;
        }
        std::string lp = m.lParam == (LPARAM)g ? "g"
                                               : std::to_string(m.lParam);
        out.push_back(name + " " + wp + " " + lp);
    }
    return out;
}

static std::string lines(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &e : v)
        s += "    " + e + "\n";
    return s.empty() ? "    (nothing)\n" : s;
}

struct NotifyCase {
    const char *name;
    UINT msg;
    uint32_t state;
    std::vector<std::string> want;
};

TEST(KnobkitGadget, NotifyPostsTheMessageThenTheWindowCommands)
{
    enum { ID = 42 };
    const NotifyCase cases[] = {
        {"the message alone", GM_SLIDER, 0, {"slider 42 g"}},
        {"other state bits post nothing", GM_IBUTTON,
         GS_TEXTCOLOR | GS_TRANSPARENT | GS_DRAGWINDOW | GS_CAPTURE |
             GS_CURSOR | GS_DISABLED | GS_OWNBRUSH,
         {"ibutton 42 g"}},
        {"close", GM_SLIDER, GS_CLOSE, {"slider 42 g", "syscommand close 0"}},
        {"about", GM_IBUTTON, GS_ABOUT, {"ibutton 42 g", "about 42 g"}},
        {"arrow", GM_IBUTTON, GS_ARROW, {"ibutton 42 g", "arrow 42 g"}},
        {"minimize before maximize, though its bit is higher", GM_SLIDER,
         GS_MAXIMIZE | GS_MINIMIZE,
         {"slider 42 g", "syscommand minimize 0", "syscommand maximize 0"}},
        {"restore", GM_SLIDER, GS_RESTORE,
         {"slider 42 g", "syscommand restore 0"}},
        {"every one in order", GM_IBUTTON,
         GS_ABOUT | GS_ARROW | GS_RESTORE | GS_MINIMIZE | GS_MAXIMIZE |
             GS_CLOSE,
         {"ibutton 42 g", "syscommand close 0", "syscommand minimize 0",
          "syscommand maximize 0", "syscommand restore 0", "arrow 42 g",
          "about 42 g"}},
        {"any message number", WM_APP + 7, GS_CLOSE | GS_ABOUT,
         {std::to_string(WM_APP + 7) + " 42 g", "syscommand close 0",
          "about 42 g"}},
    };
    HWND host = host_Make(WS_POPUP);
    ASSERT_TRUE(host);
    HWND ctl = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 20, 20, host,
                               (HMENU)ID, NULL, NULL);
    ASSERT_TRUE(ctl);
    posted_Take(host, NULL);
    for (const NotifyCase &c : cases) {
        Gadget g = {};
        g.hDlg = host;
        g.hWnd = ctl;
        g.state = c.state;
        gad_Notify(&g, c.msg);
        std::vector<std::string> got = posted_Take(host, &g);
        EXPECT_TRUE(got == c.want) << "row " << c.name << "\n  got:\n"
                                   << lines(got) << "  expected:\n"
                                   << lines(c.want);
    }
    DestroyWindow(host);
}
