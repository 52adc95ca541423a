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

MODULE_IDENT("knobkit/Gadget.cpp");

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

/* The brush and font marked owned go; a client's stay with the client. */
static void gad_ReleaseObjects(Gadget *g)
{
    if ((g->state & GS_OWNBRUSH) && g->hBrush)
        DeleteObject(g->hBrush);
    if (g->state & GS_OWNBRUSH)
        g->hBrush = NULL;
    if ((g->state & GS_OWNFONT) && g->hFont)
        DeleteObject(g->hFont);
    if (g->state & GS_OWNFONT)
        g->hFont = NULL;
    g->state &= ~(uint32_t)(GS_OWNBRUSH | GS_OWNFONT);
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

BOOL gad_RedrawUnder(HWND hDlg, HWND hWnd)
{
    RECT r;
    if (!GetClientRect(hWnd, &r))
        return FALSE;
    MapWindowPoints(hWnd, hDlg, (POINT *)&r, 2);
    return RedrawWindow(hDlg, &r, NULL,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
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
        /* The slider's text takes part in its layout, which comes with
         * the slider itself; until then a repaint is all it needs. */
        gad_Redraw(g);
        return;
    }
    RedrawWindow(g->hWnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}
