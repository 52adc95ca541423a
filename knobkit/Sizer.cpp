/* Sizer.cpp -- the sizer: a rectangle inside its control, moved by its
 * inside and sized by eight handles, kept in fractions of the control.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Sizer.cpp");

/* The sizer's private data. */
typedef struct SizerData {
    float    x, y, width, height;        /* the knob, in fractions */
    float    minX, minY, maxX, maxY;
    float    minWidth, minHeight, maxWidth, maxHeight;
    int32_t  handleSize;
    COLORREF frameColor, outsideColor, insideColor;
    int32_t  pressX, pressY;
    RECT     pressRect;
    uint32_t dragMode;                   /* SZ_... */
} SizerData;

/* What a drag changes: the edges it moves (combinable), or the whole
 * knob. */
#define SZ_TOP    1
#define SZ_BOTTOM 2
#define SZ_LEFT   4
#define SZ_RIGHT  8
#define SZ_MOVE   16

/* The eight handles: corners 0-3 from the top-left clockwise, then the
 * top, right, bottom and left edges.  A handle's sides are picked from
 * the knob's columns L, L + s, R - s, R (0-3) and its rows T, T + s,
 * B - s, B, where s is the handle size. */
typedef struct HandleDef {
    uint8_t  x0, y0, x1, y1;
    uint32_t mode;
    LPCSTR   cursor;
} HandleDef;

static const HandleDef Handles[8] = {
    {0, 0, 1, 1, SZ_TOP | SZ_LEFT,     (LPCSTR)IDC_SIZENWSE},
    {2, 0, 3, 1, SZ_TOP | SZ_RIGHT,    (LPCSTR)IDC_SIZENESW},
    {2, 2, 3, 3, SZ_BOTTOM | SZ_RIGHT, (LPCSTR)IDC_SIZENWSE},
    {0, 2, 1, 3, SZ_BOTTOM | SZ_LEFT,  (LPCSTR)IDC_SIZENESW},
    {1, 0, 2, 1, SZ_TOP,               (LPCSTR)IDC_SIZENS},
    {2, 1, 3, 2, SZ_RIGHT,             (LPCSTR)IDC_SIZEWE},
    {1, 2, 2, 3, SZ_BOTTOM,            (LPCSTR)IDC_SIZENS},
    {0, 1, 1, 2, SZ_LEFT,              (LPCSTR)IDC_SIZEWE},
};

/* Where handles overlap (a knob less than two handles across) the one
 * tested later wins. */
static const uint8_t HitOrder[8] = {0, 2, 1, 3, 4, 6, 5, 7};

static SizerData *sizer_Data(const Gadget *g)
{
    return gad_Data<SizerData>(g);
}

/* The knob in the control's client area, shrunk by `shrink` pixels at
 * the right and bottom first. */
static RECT sizer_Knob(const Gadget *g, int shrink)
{
    RECT r;
    GetClientRect(g->hWnd, &r);
    r.right -= shrink;
    r.bottom -= shrink;
    sizer_CalcKnobRect(g, &r);
    return r;
}

/* Handle i of knob k, clipped to the knob: handles larger than half the
 * knob would reach past it, and from the far side turn inside out (an
 * empty rectangle, which neither paints nor takes the mouse).  A negative
 * handle size gives no handles at all. */
static RECT handle_Rect(const RECT *k, int s, int i)
{
    const LONG xs[4] = {k->left, k->left + s, k->right - s, k->right};
    const LONG ys[4] = {k->top, k->top + s, k->bottom - s, k->bottom};
    const HandleDef *h = &Handles[i];
    RECT r = {xs[h->x0], ys[h->y0], xs[h->x1], ys[h->y1]}, out;
    IntersectRect(&out, &r, k);
    return out;
}

/* ---- Mouse ---- */

/* On the knob: which part the pointer is over decides the cursor and
 * what a press there will drag. */
static BOOL KKAPI sizer_Hit(Gadget *g, POINT *pt)
{
    SizerData *d = sizer_Data(g);
    RECT k = sizer_Knob(g, 0);
    if (!PtInRect(&k, *pt))
        return FALSE;
    LPCSTR cursor = (LPCSTR)IDC_SIZEALL;
    uint32_t mode = SZ_MOVE;
    if (!(g->flags & SIZER_NOHANDLES)) {
        for (int i = 0; i < 8; i++) {
            RECT h = handle_Rect(&k, d->handleSize, HitOrder[i]);
            if (PtInRect(&h, *pt)) {
                cursor = Handles[HitOrder[i]].cursor;
                mode = Handles[HitOrder[i]].mode;
            }
        }
    }
    g->hCursor = LoadCursorA(NULL, cursor);
    d->dragMode = mode;
    return TRUE;
}

static BOOL KKAPI sizer_Press(HWND, Gadget *g, POINT *pt)
{
    SizerData *d = sizer_Data(g);
    g->flags |= SIZER_DRAGGING;
    d->pressX = pt->x;
    d->pressY = pt->y;
    d->pressRect = sizer_Knob(g, 0);
    gad_Repaint(g);
    return TRUE;
}

/* The knob moved, kept inside c: left and top are corrected first, so a
 * knob larger than the control ends flush with its right or bottom. */
static void knob_Move(RECT *r, const RECT *c, int dx, int dy)
{
    OffsetRect(r, dx, dy);
    if (r->left < c->left)
        OffsetRect(r, c->left - r->left, 0);
    if (r->right > c->right)
        OffsetRect(r, c->right - r->right, 0);
    if (r->top < c->top)
        OffsetRect(r, 0, c->top - r->top);
    if (r->bottom > c->bottom)
        OffsetRect(r, 0, c->bottom - r->bottom);
}

/* One edge of the span lo..hi dragged by delta (symmetric: the other
 * edge the other way); a span shorter than min is made min long from
 * the edge that stays. */
static void span_Drag(LONG *lo, LONG *hi, BOOL moveLo, int delta,
                      BOOL symmetric, int min)
{
    LONG *edge = moveLo ? lo : hi, *other = moveLo ? hi : lo;
    *edge += delta;
    if (symmetric)
        *other -= delta;
    if (*hi - *lo < min)
        *edge = moveLo ? *hi - min : *lo + min;
}

static void knob_Resize(const Gadget *g, RECT *r, const RECT *c, int dx,
                        int dy)
{
    const SizerData *d = sizer_Data(g);
    uint32_t mode = d->dragMode;
    BOOL sym = (g->flags & SIZER_SYMMETRIC) != 0;
    int mw = gad_Nearest((double)(c->right - c->left) * d->minWidth);
    int mh = gad_Nearest((double)(c->bottom - c->top) * d->minHeight);
    if (mode & SZ_TOP)
        span_Drag(&r->top, &r->bottom, TRUE, dy, sym, mh);
    if (mode & SZ_BOTTOM)
        span_Drag(&r->top, &r->bottom, FALSE, dy, sym, mh);
    if (mode & SZ_LEFT)
        span_Drag(&r->left, &r->right, TRUE, dx, sym, mw);
    if (mode & SZ_RIGHT)
        span_Drag(&r->left, &r->right, FALSE, dx, sym, mw);
    r->left = r->left < c->left ? c->left : r->left;
    r->right = r->right > c->right ? c->right : r->right;
    r->top = r->top < c->top ? c->top : r->top;
    r->bottom = r->bottom > c->bottom ? c->bottom : r->bottom;
}

static float frac_Clamp(float v, float lo, float hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

/* The knob r of a w x h control becomes the fractions, within the
 * limits; a change is told to the dialog and shown. */
static void knob_Store(Gadget *g, const RECT *r, int w, int h)
{
    SizerData *d = sizer_Data(g);
    float x = frac_Clamp((float)r->left / (float)w, d->minX, d->maxX);
    float y = frac_Clamp((float)r->top / (float)h, d->minY, d->maxY);
    float width = frac_Clamp((float)(r->right - r->left) / (float)w,
                             d->minWidth, d->maxWidth);
    float height = frac_Clamp((float)(r->bottom - r->top) / (float)h,
                              d->minHeight, d->maxHeight);
    if (x == d->x && y == d->y && width == d->width && height == d->height)
        return;
    d->x = x;
    d->y = y;
    d->width = width;
    d->height = height;
    gad_Notify(g, GM_SIZER);
    gad_Repaint(g);
}

/* Every step starts again from the knob at the press, so going back to
 * the press point gives the knob back. */
static void KKAPI sizer_Drag(HWND, Gadget *g, POINT *pt)
{
    const SizerData *d = sizer_Data(g);
    RECT c;
    GetClientRect(g->hWnd, &c);
    int w = c.right - c.left, h = c.bottom - c.top;
    /* A control shrunk to nothing while the knob is held has no
     * fractions to give (they would be divisions by zero): the knob
     * stays as it is. */
    if (w <= 0 || h <= 0)
        return;
    RECT r = d->pressRect;
    int dx = pt->x - d->pressX, dy = pt->y - d->pressY;
    if (d->dragMode & SZ_MOVE)
        knob_Move(&r, &c, dx, dy);
    else
        knob_Resize(g, &r, &c, dx, dy);
    knob_Store(g, &r, w, h);
}

/* Also when the capture was lost (pt null). */
static void KKAPI sizer_Release(HWND, Gadget *g, POINT *)
{
    g->flags &= ~(uint32_t)SIZER_DRAGGING;
    gad_Repaint(g);
}

/* ---- Drawing ---- */

/* A rectangle in one colour.  Empty ones are left out: a knob placed
 * partly outside the control by sizer_SetPos makes strips inside out,
 * which would otherwise be painted the right way round. */
static void rect_Paint(HDC hdc, const RECT *r, COLORREF color)
{
    if (IsRectEmpty(r))
        return;
    SetBkColor(hdc, color);
    ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, r, "", 0, NULL);
}

/* Corners solid, edges a checkerboard of the handle colour on the
 * inside colour; the colour turns to its complement while the knob is
 * held.  Only the RGB bits are complemented: a COLORREF with a high byte
 * is no colour. */
static void handles_Paint(HDC hdc, const Gadget *g, const RECT *k)
{
    const SizerData *d = sizer_Data(g);
    COLORREF color = d->frameColor;
    if (g->flags & SIZER_DRAGGING)
        color = ~color & 0xFFFFFF;
    for (int i = 0; i < 4; i++) {
        RECT h = handle_Rect(k, d->handleSize, i);
        rect_Paint(hdc, &h, color);
    }
    HBRUSH dither = (HBRUSH)dlg_GetDefObject(DEF_BRUSHDITHER);
    if (!dither)
        return;
    SetTextColor(hdc, color);
    SetBkColor(hdc, d->insideColor);
    for (int i = 4; i < 8; i++) {
        RECT h = handle_Rect(k, d->handleSize, i);
        FillRect(hdc, &h, dither);
    }
}

/* The knob's outline, right and bottom included. */
static void frame_Paint(HDC hdc, const RECT *k, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    if (!pen)
        return;
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, k->left, k->top, NULL);
    LineTo(hdc, k->right, k->top);
    LineTo(hdc, k->right, k->bottom);
    LineTo(hdc, k->left, k->bottom);
    LineTo(hdc, k->left, k->top);
    SelectObject(hdc, old);
    DeleteObject(pen);
}

/* Straight into the control's device context.  The knob is laid out in
 * the client area less one pixel at the right and bottom, so that the
 * frame line of a knob covering the control stays visible. */
static void KKAPI sizer_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const SizerData *d = sizer_Data(g);
    RECT c;
    GetClientRect(hWnd, &c);
    if (IsRectEmpty(&c))   /* a zero-sized control shows nothing */
        return;
    RECT k = c;
    k.right--;
    k.bottom--;
    sizer_CalcKnobRect(g, &k);
    int saved = SaveDC(hdc);
    const RECT strips[4] = {
        {c.left, c.top, k.left, c.bottom},
        {k.right, c.top, c.right, c.bottom},
        {k.left, c.top, k.right, k.top},
        {k.left, k.bottom, k.right, c.bottom},
    };
    for (int i = 0; i < 4; i++)
        rect_Paint(hdc, &strips[i], d->outsideColor);
    rect_Paint(hdc, &k, d->insideColor);
    if (!(g->flags & SIZER_NOHANDLES))
        handles_Paint(hdc, g, &k);
    frame_Paint(hdc, &k, d->frameColor);
    RestoreDC(hdc, saved);
}

/* ---- Exported ---- */

extern "C" Gadget *KKAPI sizer_Create(HWND hDlg, int id, uint32_t flags,
                                      int handleSize, COLORREF frameColor,
                                      COLORREF outsideColor,
                                      COLORREF insideColor)
{
    static const GadOps ops = {NULL,        sizer_Draw, sizer_Hit,
                               sizer_Hit,   NULL,       sizer_Press,
                               sizer_Drag,  sizer_Release, NULL,
                               NULL};
    Gadget *g = gad_Become(hDlg, id, GAD_SIZER, flags, &ops);
    if (!g)
        return NULL;
    SizerData *d = sizer_Data(g);
    d->width = d->height = 1.0f;
    d->maxX = d->maxY = 1.0f;
    d->minWidth = d->minHeight = 0.1f;
    d->maxWidth = d->maxHeight = 1.0f;
    d->handleSize = handleSize;
    d->frameColor = frameColor;
    d->outsideColor = outsideColor;
    d->insideColor = insideColor;
    g->state |= GS_CAPTURE | GS_CURSOR;
    g->hCursor = (HCURSOR)dlg_GetDefObject(DEF_CURSORHAND);
    /* Clearing the window text may already have painted the control,
     * before the knob existed. */
    gad_Repaint(g);
    return g;
}

extern "C" void KKAPI sizer_SetPos(Gadget *g, float x, float y, float width,
                                   float height)
{
    if (!g)
        return;
    SizerData *d = sizer_Data(g);
    d->x = x;
    d->y = y;
    d->width = width;
    d->height = height;
    gad_Repaint(g);
}

extern "C" void KKAPI sizer_GetPos(const Gadget *g, float *x, float *y,
                                   float *width, float *height)
{
    if (!g)
        return;
    const SizerData *d = sizer_Data(g);
    if (x)
        *x = d->x;
    if (y)
        *y = d->y;
    if (width)
        *width = d->width;
    if (height)
        *height = d->height;
}

extern "C" void KKAPI sizer_CalcKnobRect(const Gadget *g, RECT *area)
{
    const SizerData *d = sizer_Data(g);
    int w = area->right - area->left, h = area->bottom - area->top;
    area->left = gad_Nearest((double)w * d->x);
    area->top = gad_Nearest((double)h * d->y);
    area->right = area->left + gad_Nearest((double)w * d->width);
    area->bottom = area->top + gad_Nearest((double)h * d->height);
}

/* A limit is a fraction of the control, 0 to 1; NaN is none. */
static BOOL range_Valid(float lo, float hi)
{
    return lo >= 0.0f && lo <= 1.0f && hi >= 0.0f && hi <= 1.0f && lo <= hi;
}

/* The limits are checked here, once, so that a drag can trust them: a
 * lowest above its highest would leave the clamp's result to the order
 * of its two tests.  They apply from the next drag; the knob stays where
 * it is, as sizer_SetPos leaves it, so a client may set the position and
 * the limits in either order. */
extern "C" BOOL KKAPI sizer_SetMinMax(Gadget *g, float minX, float minY,
                                      float maxX, float maxY, float minWidth,
                                      float minHeight, float maxWidth,
                                      float maxHeight)
{
    if (!g || !range_Valid(minX, maxX) || !range_Valid(minY, maxY) ||
        !range_Valid(minWidth, maxWidth) || !range_Valid(minHeight, maxHeight))
        return FALSE;
    SizerData *d = sizer_Data(g);
    d->minX = minX;
    d->minY = minY;
    d->maxX = maxX;
    d->maxY = maxY;
    d->minWidth = minWidth;
    d->minHeight = minHeight;
    d->maxWidth = maxWidth;
    d->maxHeight = maxHeight;
    gad_Repaint(g);
    return TRUE;
}
