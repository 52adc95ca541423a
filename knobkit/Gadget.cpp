/* Gadget.cpp -- the records a managed dialog keeps for its controls:
 * attaching them when the dialog starts, releasing them when it ends, the
 * class codes, finding the record under a point, and the lookups clients
 * use to name a gadget.
 *
 * One block per dialog holds the header and all records, so a dialog
 * costs one allocation and one free however many controls it has.
 */
#include "kk_int.h"
#include "ident.h"

#include <stdlib.h>
#include <string.h>

MODULE_IDENT("knobkit/Gadget.cpp");

static_assert(offsetof(Gadget, priv) % sizeof(void *) == 0,
              "a kind's private record may hold pointers");

/* Names after the user controls, in the order of their codes from
 * CTL_HEADER on. */
static const char *const CommonNames[] = {
    "SysHeader32",        "ToolbarWindow32",   "ReBarWindow32",
    "msctls_statusbar32", "msctls_trackbar32", "msctls_updown32",
    "msctls_progress32",  "msctls_hotkey32",   "SysListView32",
    "SysTreeView32",      "ComboBoxEx32",      "SysTabControl32",
    "SysAnimate32",       "SysMonthCal32",     "SysDateTimePick32",
    "SysIPAddress32",     "SysPager",
};

static uint32_t button_Class(LONG style)
{
    switch (style & 0xF) {
    case BS_PUSHBUTTON:   case BS_DEFPUSHBUTTON:
        return CTL_PUSHBUTTON;
    case BS_RADIOBUTTON:  case BS_AUTORADIOBUTTON:
        return CTL_RADIO;
    case BS_CHECKBOX:     case BS_AUTOCHECKBOX:
    case BS_3STATE:       case BS_AUTO3STATE:
        return CTL_CHECKBOX;
    case BS_GROUPBOX:
        return CTL_GROUPBOX;
    case BS_OWNERDRAW:
        return CTL_OWNERDRAW;
    }
    return CTL_OTHER;
}

uint32_t gad_ClassOf(HWND hWnd)
{
    char name[64];
    if (!hWnd || !GetClassNameA(hWnd, name, sizeof name))
        return CTL_OTHER;
    LONG style = GetWindowLongA(hWnd, GWL_STYLE);
    if (!lstrcmpiA(name, "BUTTON"))
        return button_Class(style);
    if (!lstrcmpiA(name, "COMBOBOX"))
        return CTL_COMBOBOX;
    if (!lstrcmpiA(name, "EDIT"))
        return CTL_EDIT;
    if (!lstrcmpiA(name, "RICHEDIT"))
        return CTL_RICHEDIT;
    if (!lstrcmpiA(name, "LISTBOX"))
        return CTL_LISTBOX;
    if (!lstrcmpiA(name, "STATIC")) {
        int type = style & 0x1F;
        return type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME ? CTL_ETCHED
                                                               : CTL_STATIC;
    }
    for (size_t i = 0; i < sizeof CommonNames / sizeof *CommonNames; i++)
        if (!lstrcmpiA(name, CommonNames[i]))
            return CTL_HEADER + (uint32_t)i;
    return CTL_OTHER;
}

/* EnumChildWindows walks every level; only the dialog's own children get
 * records (a combo box's edit field or a tab page's controls do not). */
typedef struct AttachWalk {
    HWND       hDlg;
    GadDialog *gd;       /* null on the counting walk */
    uint32_t   n;
} AttachWalk;

static BOOL CALLBACK attach_Child(HWND hWnd, LPARAM lp)
{
    AttachWalk *w = (AttachWalk *)lp;
    if (GetParent(hWnd) != w->hDlg)
        return TRUE;
    if (w->gd) {
        /* The system enumerates in the same order both times; a child
         * that appeared in between gets no record rather than overflow. */
        if (w->n >= w->gd->count)
            return FALSE;
        Gadget *g = &w->gd->gadgets[w->n];
        g->hWnd = hWnd;
        g->kind = GAD_PLAIN;
        g->ctlClass = gad_ClassOf(hWnd);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)g);
    }
    w->n++;
    return TRUE;
}

/* A dialog without a caption still gets a system menu and the minimize
 * and maximize boxes; one that cannot be sized loses the Maximize and
 * Size entries of that menu. */
static void style_Fix(HWND hDlg)
{
    LONG style = GetWindowLongA(hDlg, GWL_STYLE);
    if (style & (WS_BORDER | WS_DLGFRAME))
        return;
    SetWindowLongA(hDlg, GWL_STYLE,
                   style | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    if (style & WS_THICKFRAME)
        return;
    HMENU menu = GetSystemMenu(hDlg, FALSE);
    if (menu) {
        DeleteMenu(menu, 4, MF_BYPOSITION);
        DeleteMenu(menu, 2, MF_BYPOSITION);
    }
}

GadDialog *gad_Attach(HWND hDlg)
{
    AttachWalk w = {hDlg, NULL, 0};
    EnumChildWindows(hDlg, attach_Child, (LPARAM)&w);
    if (!w.n)
        return NULL;
    GadDialog *gd =
        (GadDialog *)calloc(1, sizeof(GadDialog) + w.n * sizeof(Gadget));
    if (!gd)
        return NULL;
    gd->count = w.n;
    gd->gadgets = (Gadget *)(gd + 1);
    for (uint32_t i = 0; i < gd->count; i++)
        gd->gadgets[i].hDlg = hDlg;
    w.gd = gd;
    w.n = 0;
    EnumChildWindows(hDlg, attach_Child, (LPARAM)&w);
    SetWindowLongPtrA(hDlg, GWLP_USERDATA, (LONG_PTR)gd);
    style_Fix(hDlg);
    return gd;
}

void gad_ReleaseBrush(Gadget *g)
{
    if ((g->state & GS_OWNBRUSH) && g->hBrush)
        DeleteObject(g->hBrush);
    if (g->state & GS_OWNBRUSH)
        g->hBrush = NULL;
    g->state &= ~(uint32_t)GS_OWNBRUSH;
}

/* The brush and font marked owned go; a client's stay with the client. */
static void gad_ReleaseObjects(Gadget *g)
{
    gad_ReleaseBrush(g);
    if ((g->state & GS_OWNFONT) && g->hFont)
        DeleteObject(g->hFont);
    if (g->state & GS_OWNFONT)
        g->hFont = NULL;
    g->state &= ~(uint32_t)GS_OWNFONT;
}

/* What the record owns goes: its own objects and what the gadget's
 * FreeProc releases; the FreeProc result. */
static uint32_t gad_ReleaseRecord(Gadget *g)
{
    gad_ReleaseObjects(g);
    return g->FreeProc ? g->FreeProc(g) : 0;
}

void gad_ReleaseAll(GadDialog *gd)
{
    for (uint32_t i = 0; i < gd->count; i++) {
        Gadget *g = &gd->gadgets[i];
        tab_DestroyPages(tab_Pages(g));
        gad_ReleaseRecord(g);
        /* A child destroyed before its dialog leaves a dead handle. */
        if (g->hWnd && IsWindow(g->hWnd) &&
            GetWindowLongPtrA(g->hWnd, GWLP_USERDATA) == (LONG_PTR)g)
            SetWindowLongPtrA(g->hWnd, GWLP_USERDATA, 0);
    }
}

/* Is the screen point inside the control's window rectangle? */
static BOOL ctl_Contains(HWND hWnd, POINT pt)
{
    RECT r;
    return GetWindowRect(hWnd, &r) && PtInRect(&r, pt);
}

Gadget *dlg_FindGadget(GadDialog *gd, POINT screen)
{
    if (!gd)
        return NULL;
    /* Gadgets first, so a gadget wins over a plain control it overlaps;
     * a gadget says no where it is transparent, and the point falls
     * through to the plain records. */
    for (uint32_t i = 0; i < gd->count; i++) {
        Gadget *g = &gd->gadgets[i];
        if (GAD_KIND(g) < GAD_PROGBAR || !g->HitProc ||
            !ctl_Contains(g->hWnd, screen))
            continue;
        POINT pt = screen;
        ScreenToClient(g->hWnd, &pt);
        if (g->HitProc(g, &pt))
            return g;
    }
    for (uint32_t i = 0; i < gd->count; i++) {
        Gadget *g = &gd->gadgets[i];
        if (GAD_KIND(g) < GAD_PROGBAR && ctl_Contains(g->hWnd, screen))
            return g;
    }
    return NULL;
}

/* A child's GWLP_USERDATA is its record only while its dialog is
 * managed, so an unmanaged dialog (no header) answers null. */
extern "C" Gadget *KKAPI gad_GetGadget(HWND hDlg, int id)
{
    if (!hDlg || !GetWindowLongPtrA(hDlg, GWLP_USERDATA))
        return NULL;
    HWND ctl = GetDlgItem(hDlg, id);
    return ctl ? (Gadget *)GetWindowLongPtrA(ctl, GWLP_USERDATA) : NULL;
}

extern "C" HWND KKAPI gad_GetWindow(const Gadget *g)
{
    return g ? g->hWnd : NULL;
}

extern "C" int KKAPI gad_GetWindowID(const Gadget *g)
{
    return g ? GetDlgCtrlID(g->hWnd) : -1;
}

void gad_Repaint(const Gadget *g)
{
    RedrawWindow(g->hWnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

BOOL gad_RedrawUnder(HWND hDlg, HWND hWnd)
{
    RECT r;
    if (!GetClientRect(hWnd, &r))
        return FALSE;
    MapWindowPoints(hWnd, hDlg, (POINT *)&r, 2);
    return RedrawWindow(hDlg, &r, NULL,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

/* The control was showing the record's own font, which is gone now: it
 * goes back to the dialog's font, the one it was made with. */
static void font_Restore(const Gadget *g)
{
    WPARAM font = (WPARAM)SendMessageA(g->hDlg, WM_GETFONT, 0, 0);
    SendMessageA(g->hWnd, WM_SETFONT, font, TRUE);
}

/* A bold or italic variant of base; null when it cannot be made. */
static HFONT font_Variant(HFONT base, uint32_t mode)
{
    LOGFONTA lf;
    if (!GetObjectA(base, sizeof lf, &lf))
        return NULL;
    lf.lfWeight = (mode & GS_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (mode & GS_ITALIC) ? 1 : 0;
    return CreateFontIndirectA(&lf);
}

extern "C" BOOL KKAPI gad_SetColor(HWND hDlg, int id, uint32_t mode,
                                   COLORREF text, COLORREF back, HFONT font)
{
    /* Without a record (no such control, or a dialog the library does
     * not run) there is nowhere to keep colours. */
    Gadget *g = gad_GetGadget(hDlg, id);
    if (!g)
        return FALSE;
    HWND ctl = g->hWnd;
    /* The base is read before the record lets go of its own font, which
     * may be the one the control shows now. */
    HFONT base = font;
    if (!base)
        base = (HFONT)SendMessageA(ctl, WM_GETFONT, 0, 0);
    if (!base)
        base = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HFONT variant = NULL;
    if (mode & (GS_BOLD | GS_ITALIC))
        variant = font_Variant(base, mode);
    /* Ownership is the library's word alone, never the caller's. */
    mode &= ~(uint32_t)(GS_OWNBRUSH | GS_OWNFONT);

    BOOL hadOwnFont = (g->state & GS_OWNFONT) != 0;
    gad_ReleaseObjects(g);
    if (GAD_KIND(g) == GAD_PLAIN)
        g->kind = (g->kind & ~0xFFu) | GAD_COLORED;
    g->state = (g->state & ~(uint32_t)(GS_TEXTCOLOR | GS_BACKCOLOR |
                                       GS_BOLD | GS_ITALIC)) | mode;
    g->textColor = text;
    g->backColor = back;
    g->hBrush = NULL;
    if (mode & GS_TRANSPARENT) {
        g->hBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    } else if (mode & GS_BACKCOLOR) {
        g->hBrush = CreateSolidBrush(back);
        if (g->hBrush)
            g->state |= GS_OWNBRUSH;
    }
    g->hFont = variant ? variant : font;
    if (variant)
        g->state |= GS_OWNFONT;
    if (g->hFont)
        SendMessageA(ctl, WM_SETFONT, (WPARAM)g->hFont, TRUE);
    else if (hadOwnFont)
        font_Restore(g);
    return TRUE;
}

extern "C" BOOL KKAPI gad_Redraw(const Gadget *g)
{
    return g ? gad_RedrawUnder(g->hDlg, g->hWnd) : FALSE;
}

extern "C" BOOL KKAPI gad_RedrawItem(HWND hDlg, int id)
{
    return gad_Redraw(gad_GetGadget(hDlg, id));
}

extern "C" void KKAPI gad_SetText(Gadget *g, const char *text)
{
    if (!g)
        return;
    lstrcpynA(g->text, text ? text : "", GAD_TEXT_MAX);
    switch (GAD_KIND(g)) {
    case GAD_PLAIN:
    case GAD_COLORED:
        SetWindowTextA(g->hWnd, g->text);
        /* These draw their text over the dialog without erasing it. */
        if (g->ctlClass == CTL_RADIO || g->ctlClass == CTL_CHECKBOX ||
            g->ctlClass == CTL_GROUPBOX)
            gad_Redraw(g);
        return;
    case GAD_SLIDER:
        /* The knob may be sized to fit the value text. */
        slider_CalcKnob(g);
        gad_Redraw(g);
        return;
    }
    gad_Repaint(g);
}

extern "C" GadTextProc KKAPI gad_SetTextProc(Gadget *g, GadTextProc formatter)
{
    g->textProc = formatter;
    return g->textProc;
}

extern "C" void KKAPI gad_SetCursor(Gadget *g, HCURSOR cursor,
                                    HCURSOR cursorDown)
{
    if (!g)
        return;
    g->hCursor = cursor;
    g->hCursorDown = cursorDown;
    g->state &= ~(uint32_t)(GS_CURSOR | GS_CURSORDOWN);
    if (cursor)
        g->state |= GS_CURSOR;
    if (cursorDown)
        g->state |= GS_CURSORDOWN;
}

extern "C" void KKAPI gad_ModifyFlags(Gadget *g, uint32_t set, uint32_t clear)
{
    if (!g)
        return;
    g->flags = (g->flags & ~clear) | set;
    /* A slider's layout depends on its flags. */
    if (GAD_KIND(g) == GAD_SLIDER)
        slider_CalcKnob(g);
    gad_Redraw(g);
}

extern "C" BOOL KKAPI gad_Enable(Gadget *g, BOOL enable)
{
    if (enable)
        g->state &= ~GS_DISABLED;
    else
        g->state |= GS_DISABLED;
    return gad_Redraw(g);
}

/* A missing control has no record to enable: FALSE, not a crash. */
extern "C" BOOL KKAPI gad_EnableItem(HWND hDlg, int id, BOOL enable)
{
    Gadget *g = gad_GetGadget(hDlg, id);
    return g ? gad_Enable(g, enable) : FALSE;
}

extern "C" uint32_t KKAPI gad_Free(Gadget *g)
{
    BOOL hadOwnFont = (g->state & GS_OWNFONT) != 0;
    uint32_t r = gad_ReleaseRecord(g);
    if (hadOwnFont)
        font_Restore(g);
    g->kind = GAD_PLAIN;
    return r;
}

/* ---- Notification ---- */

void gad_Notify(const Gadget *g, UINT msg)
{
    static const struct { uint32_t bit; UINT msg; WPARAM command; } Auto[] = {
        {GS_CLOSE,    WM_SYSCOMMAND, SC_CLOSE},
        {GS_MINIMIZE, WM_SYSCOMMAND, SC_MINIMIZE},
        {GS_MAXIMIZE, WM_SYSCOMMAND, SC_MAXIMIZE},
        {GS_RESTORE,  WM_SYSCOMMAND, SC_RESTORE},
        {GS_ARROW,    GM_ARROW,      0},
        {GS_ABOUT,    GM_ABOUT,      0},
    };
    WPARAM id = (WPARAM)GetDlgCtrlID(g->hWnd);
    PostMessageA(g->hDlg, msg, id, (LPARAM)g);
    for (size_t i = 0; i < sizeof Auto / sizeof *Auto; i++) {
        if (!(g->state & Auto[i].bit))
            continue;
        if (Auto[i].msg == WM_SYSCOMMAND)
            PostMessageA(g->hDlg, WM_SYSCOMMAND, Auto[i].command, 0);
        else
            PostMessageA(g->hDlg, Auto[i].msg, id, (LPARAM)g);
    }
}

/* ---- Mouse routing ----
 * The dialog sees the mouse over static controls, which let it through;
 * a press a gadget accepts is tracked with the mouse captured for the
 * dialog until the button goes up or the capture is lost. */

static POINT pt_InControl(HWND hWnd, POINT screen)
{
    ScreenToClient(hWnd, &screen);
    return screen;
}

static HCURSOR cursor_Pressed(const Gadget *g, HCURSOR otherwise)
{
    if (g->state & GS_CURSORDOWN)
        return g->hCursorDown;
    if (g->state & GS_CURSOR)
        return g->hCursor;
    return otherwise;
}

static void track_Begin(HWND hDlg, GadDialog *gd, Gadget *g)
{
    gd->dlgFlags |= DF_CAPTURED;
    gd->hCaptureWnd = g->hWnd;
    gd->captured = g;
    SetCapture(hDlg);
}

/* The tracked gadget, with the three tracking fields cleared first, so
 * that the capture change a release causes finds nothing to end. */
static Gadget *track_End(GadDialog *gd)
{
    Gadget *g = gd->captured;
    gd->dlgFlags &= ~(uint32_t)DF_CAPTURED;
    gd->hCaptureWnd = NULL;
    gd->captured = NULL;
    return g;
}

/* A press no gadget part took: does it drag the window? */
static BOOL press_Drags(const GadDialog *gd, const Gadget *g)
{
    if (g->state & GS_DRAGWINDOW)
        return TRUE;
    if (!(gd->dlgFlags & DF_DRAG) || GAD_KIND(g) >= GAD_PROGBAR)
        return FALSE;
    return (gd->dlgFlags & DF_DRAGANY) || g->ctlClass == CTL_GROUPBOX ||
           g->ctlClass == CTL_ETCHED;
}

static HCURSOR drag_Start(HWND hDlg, GadDialog *gd, POINT client)
{
    drag_Begin(hDlg, gd, client);
    return LoadCursorA(NULL, (LPCSTR)IDC_SIZEALL);
}

/* A press on a gadget's knob or body; FALSE when it was on neither (a
 * transparent part), and *cursor the cursor it chose. */
static BOOL press_Gadget(HWND hDlg, GadDialog *gd, Gadget *g, POINT screen,
                         HCURSOR *cursor)
{
    POINT pt = pt_InControl(g->hWnd, screen);
    if (g->KnobHitProc && g->KnobHitProc(g, &pt)) {
        if (g->PressProc && g->PressProc(hDlg, g, &pt) &&
            (g->state & GS_CAPTURE))
            track_Begin(hDlg, gd, g);
        *cursor = cursor_Pressed(g, NULL);
        return TRUE;
    }
    if (!g->HitProc || !g->HitProc(g, &pt))
        return FALSE;
    BOOL go = g->ClickProc ? g->ClickProc(hDlg, g, &pt) : TRUE;
    if (go && (g->state & GS_CAPTURE) && g->PressProc &&
        g->PressProc(hDlg, g, &pt)) {
        track_Begin(hDlg, gd, g);
        *cursor = cursor_Pressed(g, NULL);
    }
    return TRUE;
}

static HCURSOR mouse_Press(HWND hDlg, GadDialog *gd, POINT screen,
                           POINT client)
{
    Gadget *g = dlg_FindGadget(gd, screen);
    if (!g)
        return (gd->dlgFlags & DF_DRAG) ? drag_Start(hDlg, gd, client) : NULL;
    if (g->state & GS_DISABLED)
        return NULL;
    SetFocus(g->hWnd);
    /* A plain record uses no operations: gad_Free leaves the slots of
     * what was a gadget in place, with its resources gone. */
    HCURSOR cursor = NULL;
    if (GAD_KIND(g) >= GAD_PROGBAR &&
        press_Gadget(hDlg, gd, g, screen, &cursor))
        return cursor;
    return press_Drags(gd, g) ? drag_Start(hDlg, gd, client) : NULL;
}

static HCURSOR mouse_Move(HWND hDlg, GadDialog *gd, POINT screen,
                          POINT client)
{
    HCURSOR arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    if (gd->dlgFlags & DF_CAPTURED) {
        Gadget *g = gd->captured;
        POINT pt = pt_InControl(gd->hCaptureWnd, screen);
        if (g->DragProc)
            g->DragProc(hDlg, g, &pt);
        return cursor_Pressed(g, arrow);
    }
    if (gd->dlgFlags & DF_DRAGGING) {
        drag_Move(hDlg, gd, client);
        return LoadCursorA(NULL, (LPCSTR)IDC_SIZEALL);
    }
    if (!(gd->dlgFlags & DF_CURSOR))
        return arrow;
    Gadget *g = dlg_FindGadget(gd, screen);
    if (g && GAD_KIND(g) >= GAD_PROGBAR && g->KnobHitProc &&
        !(g->state & GS_DISABLED) &&
        (g->state & GS_CURSOR)) {
        POINT pt = pt_InControl(g->hWnd, screen);
        if (g->KnobHitProc(g, &pt))
            return g->hCursor;
    }
    return arrow;
}

static void mouse_Release(HWND hDlg, GadDialog *gd, POINT screen)
{
    if (gd->dlgFlags & DF_CAPTURED) {
        POINT pt = pt_InControl(gd->hCaptureWnd, screen);
        Gadget *g = track_End(gd);
        if (g->ReleaseProc)
            g->ReleaseProc(hDlg, g, &pt);
        ReleaseCapture();
    } else if (gd->dlgFlags & DF_DRAGGING) {
        gd->dlgFlags &= ~(uint32_t)DF_DRAGGING;
        ReleaseCapture();
    }
}

static void mouse_Lost(HWND hDlg, GadDialog *gd)
{
    if (gd->dlgFlags & DF_CAPTURED) {
        Gadget *g = track_End(gd);
        if (g->ReleaseProc)
            g->ReleaseProc(hDlg, g, NULL);
    } else {
        gd->dlgFlags &= ~(uint32_t)DF_DRAGGING;
    }
}

/* Notches are whole: a delta under 120 in size gives 0, and the gadget
 * is told all the same; a disabled gadget still turns. */
static HCURSOR mouse_Wheel(HWND hDlg, GadDialog *gd, WPARAM wParam,
                           POINT screen)
{
    if (gd->dlgFlags & (DF_CAPTURED | DF_DRAGGING))
        return NULL;
    Gadget *g = dlg_FindGadget(gd, screen);
    if (!g || GAD_KIND(g) < GAD_PROGBAR)
        return NULL;
    POINT pt = pt_InControl(g->hWnd, screen);
    if (g->WheelProc)
        g->WheelProc(hDlg, g, (short)HIWORD(wParam) / WHEEL_DELTA);
    if (g->KnobHitProc && g->KnobHitProc(g, &pt) && (g->state & GS_CURSOR))
        return g->hCursor;
    return NULL;
}

void gad_RouteMouse(HWND hDlg, GadDialog *gd, UINT msg, WPARAM wParam,
                    LPARAM lParam)
{
    /* The wheel's point is on the screen already; the others are in the
     * dialog's client area, captured or not. */
    POINT client = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    POINT screen = client;
    if (msg != WM_MOUSEWHEEL)
        ClientToScreen(hDlg, &screen);
    HCURSOR cursor = NULL;
    switch (msg) {
    case WM_MOUSEMOVE:
        cursor = mouse_Move(hDlg, gd, screen, client);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        cursor = mouse_Press(hDlg, gd, screen, client);
        break;
    case WM_LBUTTONUP:
        mouse_Release(hDlg, gd, screen);
        break;
    case WM_CAPTURECHANGED:
        mouse_Lost(hDlg, gd);
        break;
    case WM_MOUSEWHEEL:
        cursor = mouse_Wheel(hDlg, gd, wParam, screen);
        break;
    }
    if (cursor && (gd->dlgFlags & DF_CURSOR))
        SetCursor(cursor);
}

BOOL gad_TimerTick(HWND hDlg, GadDialog *gd, WPARAM id)
{
    if (id != GAD_TIMER || !(gd->dlgFlags & DF_CAPTURED))
        return FALSE;
    Gadget *g = gd->captured;
    if (g->TimerProc)
        g->TimerProc(hDlg, g);
    return TRUE;
}
