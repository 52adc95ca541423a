/* ProgBar.cpp -- the progress bar: a two-part fill with a caption that
 * inverts over it.
 *
 * Part A runs from the top (vertical) or the left for f pixels, part B is
 * the rest.  A is the filled part, or with PB_REVERSE the unfilled one, so
 * the fill grows from the far end.  Each part is painted by one opaque,
 * clipped ExtTextOut of the whole caption, so the caption takes the colours
 * of whichever part lies under each of its pixels.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/ProgBar.cpp");

/* The progress bar's private data. */
typedef struct ProgBarData {
    GadRange r;                   /* min, max, pos */
    COLORREF barColor;            /* the filled part */
    COLORREF restColor;           /* the unfilled part */
    COLORREF barTextColor;        /* the caption over the filled part */
    COLORREF restTextColor;       /* ... over the unfilled part */
    int32_t  labelId;             /* companion control, -1 for none */
} ProgBarData;

static ProgBarData *pb_Data(const Gadget *g)
{
    return gad_Data<ProgBarData>(g);
}

/* How full the bar is, in per cent from its start.  An empty range
 * (min = max) has nothing to divide by and shows an empty bar, as its
 * value text shows 0 %.  A position that pb_Modify left outside the range
 * fills no less than nothing and no more than all, so part A never reaches
 * beyond the client area or turns inside out; the value text still tells
 * the real value. */
static double fill_Percent(const GadRange *r)
{
    if (r->max == r->min)
        return 0.0;
    double p = ((double)r->pos - r->min) * 100.0 / ((double)r->max - r->min);
    return p < 0.0 ? 0.0 : p > 100.0 ? 100.0 : p;
}

/* Part A and part B of the client area c. */
static void pb_Parts(const Gadget *g, const RECT *c, RECT *a, RECT *b)
{
    double p = fill_Percent(&pb_Data(g)->r);
    if (g->flags & PB_REVERSE)
        p = 100.0 - p;
    BOOL vert = (g->flags & PB_VERT) != 0;
    int len = vert ? c->bottom : c->right;
    int f = gad_Nearest((double)len * p * GAD_HUNDREDTH);
    *a = *b = *c;
    if (vert)
        a->bottom = b->top = f;
    else
        a->right = b->left = f;
}

/* One part: its background and the caption over it, clipped to it. */
static void part_Paint(HDC hdc, const RECT *part, POINT at, const char *text,
                       int len, COLORREF back, COLORREF fore)
{
    SetBkColor(hdc, back);
    SetTextColor(hdc, fore);
    ExtTextOutA(hdc, at.x, at.y, ETO_CLIPPED | ETO_OPAQUE, part, text,
                (UINT)len, NULL);
}

/* Straight into the control's device context: both parts together cover
 * the whole client area, so there is nothing under them to keep. */
static void KKAPI pb_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const ProgBarData *d = pb_Data(g);
    RECT c, a, b;
    GetClientRect(hWnd, &c);
    pb_Parts(g, &c, &a, &b);
    char text[GAD_TEXT_MAX];
    gad_FormatValue(g, text, d->r.min, d->r.max, d->r.pos);
    int len = lstrlenA(text);

    int saved = SaveDC(hdc);
    HFONT font = (HFONT)SendMessageA(hWnd, WM_GETFONT, 0, 0);
    if (font)
        SelectObject(hdc, font);
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(hdc, text, len, &sz);
    POINT at = {(c.right - sz.cx) / 2, (c.bottom - sz.cy) / 2};
    BOOL rev = (g->flags & PB_REVERSE) != 0;
    part_Paint(hdc, &a, at, text, len, rev ? d->restColor : d->barColor,
               rev ? d->restTextColor : d->barTextColor);
    part_Paint(hdc, &b, at, text, len, rev ? d->barColor : d->restColor,
               rev ? d->barTextColor : d->restTextColor);
    RestoreDC(hdc, saved);

    gad_ShowValue(g, d->labelId, d->r.min, d->r.max, d->r.pos);
}

/* The whole control is the bar: a press there only focuses it, and never
 * falls through to a window drag. */
static BOOL KKAPI pb_Hit(Gadget *, POINT *)
{
    return TRUE;
}

/* ---- Exports ---- */

extern "C" Gadget *KKAPI pb_Create(HWND hDlg, int id, uint32_t flags,
                                   COLORREF barTextColor, COLORREF barColor,
                                   COLORREF restTextColor, COLORREF restColor,
                                   int labelId)
{
    static const GadOps ops = {
        NULL, pb_Draw, pb_Hit, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
    };
    uint32_t kind = GAD_PROGBAR | ((flags & PB_VERT) ? 0 : 0x100);
    Gadget *g = gad_Become(hDlg, id, kind, flags, &ops);
    if (!g)
        return NULL;
    ProgBarData *d = pb_Data(g);
    d->r.min = 0;
    d->r.max = 100;
    d->r.pos = 0;
    d->barColor = barColor;
    d->restColor = restColor;
    d->barTextColor = barTextColor;
    d->restTextColor = restTextColor;
    d->labelId = labelId;
    return g;
}

extern "C" void KKAPI pb_Modify(Gadget *g, int min, int max, int pos)
{
    if (!g)
        return;
    GadRange *r = &pb_Data(g)->r;
    r->min = min;
    r->max = max;
    r->pos = pos;
    gad_Repaint(g);
}

/* A range that pb_Modify gave high first still has its two bounds: the
 * position is kept between them rather than forced onto one of them. */
extern "C" void KKAPI pb_SetPos(Gadget *g, int pos)
{
    if (!g)
        return;
    GadRange *r = &pb_Data(g)->r;
    int lo = r->min < r->max ? r->min : r->max;
    int hi = r->min < r->max ? r->max : r->min;
    r->pos = pos < lo ? lo : pos > hi ? hi : pos;
    gad_Repaint(g);
}
