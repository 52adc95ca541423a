/* Slider.cpp -- the slider: a track and a raised knob carrying the value
 * text, dragged, clicked or turned with the wheel.
 *
 * The knob's offset runs from 0 at the left (top) to the range, the
 * control's length less the knob's.  Positions go from min at offset 0
 * to max at the range, or the other way round for a reversed slider.
 * Percentages are real numbers; a division by 100 is a multiplication by
 * GAD_HUNDREDTH, so a sum ending in exactly one half rounds down.
 */
#include "kk_int.h"
#include "ident.h"

#include <limits.h>

MODULE_IDENT("knobkit/Slider.cpp");

/* The slider's private data. */
typedef struct SliderData {
    GadRange r;                   /* min, max, pos */
    int32_t  labelId;             /* companion control, -1 for none */
    int32_t  knobWidth, knobHeight;
    uint32_t knobSize;            /* points, or SLIDER_FITTEXT */
    int32_t  pressX, pressY;
    int32_t  lastX, lastY;
    int32_t  grabX, grabY;
    int32_t  knobPos;             /* offset along the track (smooth) */
} SliderData;

static const COLORREF FACE = RGB(214, 211, 206);
static const COLORREF WHITE = RGB(255, 255, 255);

static SliderData *slider_Data(const Gadget *g)
{
    return gad_Data<SliderData>(g);
}

static BOOL is_Vert(const Gadget *g)
{
    return (g->flags & SLIDER_VERT) != 0;
}

static BOOL is_Reversed(const Gadget *g)
{
    return (g->flags & SLIDER_REVERSED) != 0;
}

/* nearest(x) as gad_Nearest, in 64 bits: a range may span all of 32
 * bits, and a position left outside the range may stand far beyond it. */
static int64_t nearest_Wide(double x)
{
    return (int64_t)(x + 0.5);
}

static int32_t int_Clamp(int64_t v, int64_t lo, int64_t hi)
{
    return (int32_t)(v < lo ? lo : v > hi ? hi : v);
}

/* Where pos stands in the range, in per cent (beyond 0 to 100 for a
 * position outside it).  An empty range (min = max) has every position
 * at 0 per cent rather than a division by zero. */
static double range_Percent(const GadRange *r)
{
    if (r->max == r->min)
        return 0.0;
    return ((double)r->pos - r->min) * 100.0 / ((double)r->max - r->min);
}

/* The same, from the knob's side: a reversed slider counts from max. */
static double knob_Percent(const Gadget *g)
{
    double p = range_Percent(&slider_Data(g)->r);
    return is_Reversed(g) ? 100.0 - p : p;
}

static int knob_Length(const Gadget *g)
{
    const SliderData *s = slider_Data(g);
    return is_Vert(g) ? s->knobHeight : s->knobWidth;
}

/* The knob's travel in pixels.  Never negative, even when the control
 * was made smaller than the knob after the knob was computed. */
static int track_Range(const Gadget *g)
{
    RECT c;
    GetClientRect(g->hWnd, &c);
    int len = is_Vert(g) ? c.bottom : c.right;
    int range = len - knob_Length(g);
    return range > 0 ? range : 0;
}

/* The offset at p per cent of the range. */
static int offset_At(int range, double p)
{
    return int_Clamp(nearest_Wide((double)range * p * GAD_HUNDREDTH), 0,
                     range);
}

/* The position at offset c.  When the knob fills the track (range 0)
 * there is no choice to make: the position stays as it is rather than
 * jumping to an end on a division by zero. */
static int32_t value_At(const Gadget *g, int c, int range)
{
    const GadRange *r = &slider_Data(g)->r;
    if (range <= 0)
        return r->pos;
    int64_t v = (int64_t)r->min +
                nearest_Wide((double)c / range * ((double)r->max - r->min));
    if (is_Reversed(g))
        v = (int64_t)r->min + r->max - v;
    return int_Clamp(v, r->min, r->max);
}

/* ---- Knob ---- */

/* Width and height of the wider and higher of the value texts for min
 * and max, in the control's font, plus the knob's margins. */
static void knob_FitText(const Gadget *g, int *width, int *height)
{
    const GadRange *r = &slider_Data(g)->r;
    int bounds[2] = {r->min, r->max};
    SIZE most = {0, 0};
    HDC dc = GetDC(g->hWnd);
    if (dc) {
        HFONT font = (HFONT)SendMessageA(g->hWnd, WM_GETFONT, 0, 0);
        HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
        for (int i = 0; i < 2; i++) {
            char text[GAD_TEXT_MAX];
            SIZE sz = {0, 0};
            gad_FormatValue(g, text, r->min, r->max, bounds[i]);
            GetTextExtentPoint32A(dc, text, lstrlenA(text), &sz);
            if (sz.cx > most.cx)
                most.cx = sz.cx;
            if (sz.cy > most.cy)
                most.cy = sz.cy;
        }
        if (old)
            SelectObject(dc, old);
        ReleaseDC(g->hWnd, dc);
    }
    *width = most.cx + 12;
    *height = most.cy + 4;
}

void slider_CalcKnob(Gadget *g)
{
    SliderData *s = slider_Data(g);
    RECT c;
    GetClientRect(g->hWnd, &c);
    int w, h;
    if (s->knobSize == SLIDER_FITTEXT) {
        knob_FitText(g, &w, &h);
    } else {
        int64_t len = (int64_t)dlg_ScreenScale() * s->knobSize / 100;
        w = h = int_Clamp(len, 0, INT_MAX);
    }
    if (is_Vert(g)) {
        s->knobWidth = c.right;
        s->knobHeight = h < c.bottom ? h : c.bottom;
    } else {
        s->knobWidth = w < c.right ? w : c.right;
        s->knobHeight = c.bottom;
    }
    if (g->flags & SLIDER_SMOOTH)
        s->knobPos = offset_At(track_Range(g), knob_Percent(g));
}

/* The knob in client coordinates.  A position outside the range (as
 * slider_Modify may leave it) shows the knob at the nearer end, inside
 * the control. */
static void knob_Rect(const Gadget *g, RECT *k)
{
    const SliderData *s = slider_Data(g);
    int range = track_Range(g);
    int off = (g->flags & SLIDER_SMOOTH)
                  ? int_Clamp(s->knobPos, 0, range)
                  : offset_At(range, knob_Percent(g));
    GetClientRect(g->hWnd, k);
    if (is_Vert(g)) {
        k->top += off;
        k->bottom = k->top + s->knobHeight;
    } else {
        k->left += off;
        k->right = k->left + s->knobWidth;
    }
}

/* The knob's start with the pointer at its middle, kept on the track. */
static int offset_Under(const Gadget *g, const POINT *pt)
{
    int along = is_Vert(g) ? pt->y : pt->x;
    return int_Clamp(along - knob_Length(g) / 2, 0, track_Range(g));
}

/* A slider that paints its whole background repaints only its own
 * window; one that lets the dialog show through needs the dialog
 * repainted under it.  A brush alone is not enough: the hollow brush of
 * a transparent slider paints nothing, and the old knob would stay. */
static void slider_Refresh(const Gadget *g)
{
    BOOL ownBack = (g->flags & SLIDER_PATTERN) ||
                   (g->hBrush && (g->state & GS_BACKCOLOR) &&
                    !(g->state & GS_TRANSPARENT));
    if (ownBack)
        gad_Repaint(g);
    else
        gad_Redraw(g);
}

/* ---- Drawing ---- */

static void fill_Dither(HDC hdc, const RECT *r, COLORREF fore,
                        COLORREF back)
{
    SetTextColor(hdc, fore);
    SetBkColor(hdc, back);
    FillRect(hdc, r, (HBRUSH)dlg_GetDefObject(DEF_BRUSHDITHER));
}

static void draw_Back(const Gadget *g, HDC hdc, const RECT *c)
{
    if (g->flags & SLIDER_PATTERN)
        fill_Dither(hdc, c, (g->state & GS_TEXTCOLOR) ? g->textColor : FACE,
                    (g->state & GS_BACKCOLOR) ? g->backColor : WHITE);
    else if (g->hBrush && (g->state & GS_BACKCOLOR))
        FillRect(hdc, c, g->hBrush);
}

static void draw_Groove(const Gadget *g, HDC hdc, const RECT *c)
{
    RECT r = *c;
    if (is_Vert(g)) {
        r.left = c->right / 2 - 2;
        r.right = r.left + 4;
    } else {
        r.top = c->bottom / 2 - 2;
        r.bottom = r.top + 4;
    }
    DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT);
}

static void draw_Knob(const Gadget *g, HDC hdc, RECT *k)
{
    if (g->flags & SLIDER_DRAGGING)
        fill_Dither(hdc, k, FACE, WHITE);
    else
        FillRect(hdc, k, (HBRUSH)dlg_GetDefObject(DEF_BRUSHFACE));
    DrawEdge(hdc, k, EDGE_RAISED, BF_RECT);
}

/* The value text on the knob; engraved (white below right, grey text
 * in place) when disabled.  The text colour is the record's own with
 * GS_TEXTCOLOR, else black. */
static void draw_Text(HWND hWnd, const Gadget *g, HDC hdc, const RECT *k)
{
    const GadRange *r = &slider_Data(g)->r;
    char text[GAD_TEXT_MAX];
    gad_FormatValue(g, text, r->min, r->max, r->pos);
    if (!text[0])
        return;
    HFONT font = (HFONT)SendMessageA(hWnd, WM_GETFONT, 0, 0);
    if (font)
        SelectObject(hdc, font);
    gad_DrawText(hdc, g, text, *k,
                 (g->state & GS_TEXTCOLOR) ? g->textColor : RGB(0, 0, 0));
}

static void KKAPI slider_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const SliderData *s = slider_Data(g);
    RECT c, k;
    GetClientRect(hWnd, &c);
    int saved = SaveDC(hdc);
    draw_Back(g, hdc, &c);
    if (!(g->flags & SLIDER_NOGROOVE))
        draw_Groove(g, hdc, &c);
    knob_Rect(g, &k);
    draw_Knob(g, hdc, &k);
    draw_Text(hWnd, g, hdc, &k);
    RestoreDC(hdc, saved);
    gad_ShowValue(g, s->labelId, s->r.min, s->r.max, s->r.pos);
}

/* ---- Mouse ---- */

static BOOL KKAPI slider_Hit(Gadget *g, POINT *pt)
{
    RECT c;
    GetClientRect(g->hWnd, &c);
    return PtInRect(&c, *pt);
}

static BOOL KKAPI slider_KnobHit(Gadget *g, POINT *pt)
{
    RECT k;
    knob_Rect(g, &k);
    return PtInRect(&k, *pt);
}

/* The knob is taken at pt: where it starts relative to the pointer, and
 * where the pointer began. */
static void grab_Begin(Gadget *g, const POINT *pt)
{
    SliderData *s = slider_Data(g);
    RECT k;
    knob_Rect(g, &k);
    s->grabX = k.left - pt->x;
    s->grabY = k.top - pt->y;
    s->pressX = s->lastX = pt->x;
    s->pressY = s->lastY = pt->y;
    g->flags |= SLIDER_DRAGGING;
}

static BOOL KKAPI slider_Press(HWND, Gadget *g, POINT *pt)
{
    grab_Begin(g, pt);
    /* The value follows at the first drag step. */
    if (g->flags & SLIDER_SMOOTH)
        slider_Data(g)->knobPos = offset_Under(g, pt);
    slider_Refresh(g);
    return TRUE;
}

/* The knob moves to offset c: the position is the one there.  A plain
 * slider changes when the position does; a smooth one when the knob
 * moves, notifying only when the position changed too. */
static void knob_MoveTo(Gadget *g, int c)
{
    SliderData *s = slider_Data(g);
    int32_t v = value_At(g, c, track_Range(g));
    BOOL changed = v != s->r.pos;
    if (g->flags & SLIDER_SMOOTH) {
        if (c == s->knobPos)
            return;
        s->knobPos = c;
    } else {
        if (!changed)
            return;
        s->knobPos = c;
    }
    s->r.pos = v;
    slider_Refresh(g);
    if (changed)
        gad_Notify(g, GM_SLIDER);
}

/* A press on the track beside the knob: the knob jumps to centre on the
 * pointer, and the dialog goes on to PressProc, which takes hold of it
 * where it is now. */
static BOOL KKAPI slider_Click(HWND, Gadget *g, POINT *pt)
{
    grab_Begin(g, pt);
    knob_MoveTo(g, offset_Under(g, pt));
    return TRUE;
}

static void KKAPI slider_Drag(HWND, Gadget *g, POINT *pt)
{
    SliderData *s = slider_Data(g);
    s->grabX += pt->x - s->lastX;
    s->grabY += pt->y - s->lastY;
    s->lastX = pt->x;
    s->lastY = pt->y;
    int c;
    if (g->flags & SLIDER_SMOOTH)
        c = offset_Under(g, pt);
    else    /* the knob's start at the press, moved by the pointer's travel */
        c = int_Clamp(is_Vert(g) ? (int64_t)s->pressY + s->grabY
                                 : (int64_t)s->pressX + s->grabX,
                      0, track_Range(g));
    knob_MoveTo(g, c);
}

static void KKAPI slider_Release(HWND, Gadget *g, POINT *)
{
    g->flags &= ~(uint32_t)SLIDER_DRAGGING;
    slider_Refresh(g);
}

/* One notch is one per cent of the range; away from the user moves the
 * knob right or up.  A turn of less than a notch changes nothing, not
 * even a position left outside the range. */
static void KKAPI slider_Wheel(HWND, Gadget *g, int notches)
{
    SliderData *s = slider_Data(g);
    if (notches == 0)
        return;
    int step = is_Vert(g) ? -notches : notches;
    if (is_Reversed(g))
        step = -step;
    double p = range_Percent(&s->r) + step;
    p = p < 0.0 ? 0.0 : p > 100.0 ? 100.0 : p;
    int64_t v = (int64_t)s->r.min +
                nearest_Wide(((double)s->r.max - s->r.min) * p * GAD_HUNDREDTH);
    if (v == s->r.pos)
        return;
    s->r.pos = (int32_t)v;
    /* The knob stands at the position's place seen from its own side, so
     * a smooth reversed knob does not jump to the mirrored offset. */
    s->knobPos = offset_At(track_Range(g), is_Reversed(g) ? 100.0 - p : p);
    gad_Redraw(g);
    gad_Notify(g, GM_SLIDER);
}

/* ---- Exports ---- */

extern "C" Gadget *KKAPI slider_Create(HWND hDlg, int id, uint32_t flags,
                                       uint32_t knobSize, int labelId)
{
    static const GadOps ops = {
        NULL,           slider_Draw,  slider_Hit,   slider_KnobHit,
        slider_Click,   slider_Press, slider_Drag,  slider_Release,
        NULL,           slider_Wheel,
    };
    uint32_t kind = GAD_SLIDER | ((flags & SLIDER_VERT) ? 0 : 0x100);
    Gadget *g = gad_Become(hDlg, id, kind, flags, &ops);
    if (!g)
        return NULL;
    SliderData *s = slider_Data(g);
    s->r.min = 0;
    s->r.max = 100;
    s->r.pos = 0;
    s->labelId = labelId;
    s->knobSize = knobSize;
    g->state |= GS_CAPTURE;
    gad_SetCursor(g, (HCURSOR)dlg_GetDefObject(DEF_CURSORHAND),
                  (HCURSOR)dlg_GetDefObject(DEF_CURSORGRAB));
    slider_CalcKnob(g);
    return g;
}

extern "C" void KKAPI slider_Modify(Gadget *g, int a, int b, int pos)
{
    if (!g)
        return;
    GadRange *r = &slider_Data(g)->r;
    if (a > b) {
        r->max = a;
        r->min = b;
        g->flags |= SLIDER_REVERSED;
    } else {
        r->min = a;
        r->max = b;
        g->flags &= ~(uint32_t)SLIDER_REVERSED;
    }
    r->pos = pos;
    slider_CalcKnob(g);
    gad_Redraw(g);
}

extern "C" void KKAPI slider_SetPos(Gadget *g, int pos)
{
    if (!g)
        return;
    GadRange *r = &slider_Data(g)->r;
    r->pos = int_Clamp(pos, r->min, r->max);
    slider_CalcKnob(g);
    slider_Refresh(g);
}

extern "C" int KKAPI slider_GetPos(const Gadget *g)
{
    return g ? gad_Data<GadRange>(g)->pos : 0;
}

extern "C" void KKAPI slider_SetKnobSize(Gadget *g, uint32_t knobSize)
{
    if (!g)
        return;
    slider_Data(g)->knobSize = knobSize;
    slider_CalcKnob(g);
    slider_Refresh(g);
}

extern "C" int KKAPI slider_GetKnobSize(const Gadget *g)
{
    return g ? knob_Length(g) : 0;
}

extern "C" void KKAPI slider_SetPercent(Gadget *g, int percent)
{
    if (!g)
        return;
    const GadRange *r = &slider_Data(g)->r;
    percent = int_Clamp(percent, 0, 100);
    int64_t v = percent == 0     ? r->min
                : percent == 100 ? r->max
                                 : (int64_t)r->min +
                                       nearest_Wide(((double)r->max - r->min) *
                                                   percent * GAD_HUNDREDTH);
    if (is_Reversed(g))
        v = (int64_t)r->min + r->max - v;
    slider_SetPos(g, int_Clamp(v, INT_MIN, INT_MAX));
}

/* Wheels keep the same first three words, so this reads nothing else:
 * not the reversal, which belongs to the slider's flags. */
extern "C" int KKAPI slider_GetPercent(const Gadget *g)
{
    if (!g)
        return 0;
    int64_t p = nearest_Wide(range_Percent(gad_Data<GadRange>(g)));
    return int_Clamp(p, INT_MIN, INT_MAX);
}
