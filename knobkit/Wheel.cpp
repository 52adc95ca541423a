/* Wheel.cpp -- the wheel: a rotary knob whose mark sits at the angle of
 * its value, turned around its centre or with the mouse wheel.
 *
 * Angles are whole degrees clockwise from twelve o'clock.  The pointer's
 * angle runs from 1 to 360 (0 only at the very centre); the value is one
 * less in the endless and absolute modes, so that twelve o'clock reads 359
 * (endless) or -1 (absolute).
 */
#include "kk_int.h"
#include "ident.h"

#include <math.h>

MODULE_IDENT("knobkit/Wheel.cpp");

/* The wheel's private data. */
typedef struct WheelData {
    GadRange r;                   /* min, max, pos in degrees */
    int32_t  labelId;             /* companion control, -1 for none */
    HBITMAP  dialImage, markImage, markLitImage;
    HBITMAP  dialMask, markMask, markLitMask;
    float    radiusScale;
    int32_t  lastAngle;           /* pointer angle at the last step */
    int32_t  startPos;            /* pos at the press */
    int32_t  turned;              /* degrees turned since the press */
} WheelData;

#define WHEEL_BLINKMS   200       /* the lit mark's period while held */
#define WHEEL_STEP      10        /* degrees per notch, endless */

static const double WHEEL_PI = 3.14159265358979323846;

/* ---- Angles and values ---- */

/* x brought into [0, 360). */
static int angle_Wrap(int x)
{
    return (x % 360 + 360) % 360;
}

/* The pointer's angle around the client area's centre, 1 to 360; 0 at
 * the centre itself, where there is no direction. */
static int angle_Of(HWND hWnd, const POINT *pt)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    int dx = pt->x - rc.right / 2, dy = pt->y - rc.bottom / 2;
    double d = sqrt((double)dx * dx + (double)dy * dy);
    if (d <= 0.01)
        return 0;
    int a = (int)(asin(dy / d) * 180.0 / WHEEL_PI);
    return dx > 0 ? 90 + a : 270 - a;
}

/* The shorter way from old to now, -180 to 180. */
static int angle_Diff(int now, int old)
{
    int delta = now - old;
    if (delta >= 181)
        return delta - 360;
    if (delta < -180)
        return delta + 360;
    return delta;
}

static int range_Clamp(const GadRange *r, int v)
{
    if (v < r->min)
        return r->min;
    if (v > r->max)
        return r->max;
    return v;
}

/* The value in the endless and absolute modes: the pointer's angle. */
static int value_OfAngle(const Gadget *g, int a)
{
    if (g->flags & WHEEL_ENDLESS)
        return a - 1;
    int v = a - 1 > 180 ? a - 361 : a - 1;
    return range_Clamp(&gad_Data<WheelData>(g)->r, v);
}

/* pos moved by notches per cent of the range. */
static int range_Step(const GadRange *r, int notches)
{
    double span = (double)r->max - r->min;
    /* An empty range holds one value, where every turn ends; its share
     * of the range would divide by zero. */
    double p = span != 0 ? ((double)r->pos - r->min) * 100.0 / span : 0;
    p += notches;
    if (p < 0)
        p = 0;
    else if (p > 100)
        p = 100;
    return r->min + gad_Nearest(span * p * GAD_HUNDREDTH);
}

/* A change by the user: shown and told. */
static void wheel_Change(Gadget *g, int v)
{
    GadRange *r = &gad_Data<WheelData>(g)->r;
    if (v == r->pos)
        return;
    r->pos = v;
    gad_Repaint(g);
    gad_Notify(g, GM_WHEEL);
}

/* ---- The operations ---- */

static BOOL KKAPI wheel_Hit(Gadget *g, POINT *pt)
{
    return gad_HitCentred(g->hWnd, gad_Data<WheelData>(g)->dialMask, pt);
}

static BOOL KKAPI wheel_Press(HWND hDlg, Gadget *g, POINT *pt)
{
    WheelData *d = gad_Data<WheelData>(g);
    SetTimer(hDlg, GAD_TIMER, WHEEL_BLINKMS, NULL);
    SetFocus(g->hWnd);
    d->startPos = d->r.pos;
    d->lastAngle = angle_Wrap(d->r.pos);
    int a = angle_Of(g->hWnd, pt);
    int delta = angle_Diff(a, d->lastAngle);
    d->turned = delta;
    d->lastAngle = a;
    /* Relative: the mark jumps to the pointer's direction, on the side
     * nearest the value. */
    if (g->flags & (WHEEL_ENDLESS | WHEEL_ABSOLUTE))
        wheel_Change(g, value_OfAngle(g, a));
    else
        wheel_Change(g, range_Clamp(&d->r, d->startPos + delta));
    g->flags |= WHEEL_HELD;
    return 1;
}

static void KKAPI wheel_Drag(HWND, Gadget *g, POINT *pt)
{
    WheelData *d = gad_Data<WheelData>(g);
    int a = angle_Of(g->hWnd, pt);
    d->turned += angle_Diff(a, d->lastAngle);
    d->lastAngle = a;
    if (g->flags & (WHEEL_ENDLESS | WHEEL_ABSOLUTE)) {
        wheel_Change(g, value_OfAngle(g, a));
        return;
    }
    /* Past an end the value holds there until the pointer is half a turn
     * beyond it; then the count wraps, so turning back from the other
     * side moves the value again. */
    int s = d->startPos + d->turned;
    if (s >= d->r.max + 180)
        d->turned -= 360;
    if (s <= d->r.min - 180)
        d->turned += 360;
    wheel_Change(g, range_Clamp(&d->r, d->startPos + d->turned));
}

/* Also on a lost capture, without a point. */
static void KKAPI wheel_Release(HWND hDlg, Gadget *g, POINT *)
{
    KillTimer(hDlg, GAD_TIMER);
    g->flags &= ~(uint32_t)(WHEEL_HELD | WHEEL_BLINK);
    gad_Repaint(g);
}

static void KKAPI wheel_Timer(HWND, Gadget *g)
{
    g->flags ^= WHEEL_BLINK;
    gad_Repaint(g);
}

static void KKAPI wheel_Wheel(HWND, Gadget *g, int notches)
{
    const GadRange *r = &gad_Data<WheelData>(g)->r;
    /* Endless: pos is reduced first, so no value the client set overflows. */
    if (g->flags & WHEEL_ENDLESS)
        wheel_Change(g, angle_Wrap(r->pos % 360 + WHEEL_STEP * notches));
    else
        wheel_Change(g, range_Step(r, notches));
}

/* ---- Drawing ---- */

/* x rounded by its size.  nearest() truncates toward zero, which would
 * leave a mark above or left of the centre a pixel short of its circle
 * (-43 + 0.5 becomes -42). */
static int offset_Round(double x)
{
    return x < 0 ? -gad_Nearest(-x) : gad_Nearest(x);
}

/* The dial centred in the client area; its centre. */
static POINT draw_Dial(HDC dc, HWND hWnd, const WheelData *d)
{
    int w, h;
    gad_GetBitmapSize(d->dialImage, &w, &h);
    POINT o = gad_Centre(hWnd, w, h);
    if (d->dialImage)
        gad_DrawMasked(dc, o.x, o.y, d->dialImage, d->dialMask);
    POINT c = {o.x + w / 2, o.y + h / 2};
    return c;
}

/* The mark on its circle around c at the angle of pos, lit or not. */
static void draw_Mark(HDC dc, POINT c, const WheelData *d, BOOL lit)
{
    int w, h, mw, mh;
    gad_GetBitmapSize(d->dialImage, &w, &h);
    gad_GetBitmapSize(d->markImage, &mw, &mh);
    int half = (w < h ? w : h) / 2 - (mw > mh ? mw : mh) / 2;
    int r = gad_Nearest(half * (double)d->radiusScale);
    double theta = (d->r.pos - 90) * WHEEL_PI / 180.0;
    int x = c.x + offset_Round(cos(theta) * r);
    int y = c.y + offset_Round(sin(theta) * r);
    HBITMAP image = lit ? d->markLitImage : d->markImage;
    HBITMAP mask = lit ? d->markLitMask : d->markMask;
    if (image)
        gad_DrawMasked(dc, x - mw / 2, y - mh / 2, image, mask);
}

/* The value text over the whole client area; engraved when disabled. */
static void draw_Value(HDC dc, const RECT *rc, const Gadget *g)
{
    const GadRange *r = &gad_Data<WheelData>(g)->r;
    char text[GAD_TEXT_MAX];
    gad_FormatValue(g, text, r->min, r->max, r->pos);
    gad_DrawText(dc, g, text, *rc, g->textColor);
}

static void KKAPI wheel_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const WheelData *d = gad_Data<WheelData>(g);
    RECT rc;
    GetClientRect(hWnd, &rc);
    HBITMAP old;
    HDC mem = gad_BeginBuffer(hWnd, hdc, &old);
    /* Without a surface the wheel paints straight onto the control: it
     * may flicker, but it shows. */
    HDC dc = mem ? mem : hdc;
    POINT c = draw_Dial(dc, hWnd, d);
    draw_Mark(dc, c, d, (g->flags & WHEEL_BLINK) != 0);
    draw_Value(dc, &rc, g);
    gad_EndBuffer(hWnd, hdc, mem, old);
    gad_ShowValue(g, d->labelId, d->r.min, d->r.max, d->r.pos);
}

static uint32_t KKAPI wheel_Free(Gadget *g)
{
    WheelData *d = gad_Data<WheelData>(g);
    HBITMAP *owned[] = {&d->dialImage, &d->markImage, &d->markLitImage,
                        &d->dialMask,  &d->markMask,  &d->markLitMask};
    for (HBITMAP *b : owned)
        gad_DeleteBitmap(b);
    return 0;
}

/* ---- Creation ---- */

extern "C" Gadget *KKAPI wheel_Create(HWND hDlg, int id, uint32_t flags,
                                      int labelId, float radiusScale,
                                      HBITMAP dial, const RECT *dialPart,
                                      int dialKeyX, int dialKeyY,
                                      HBITMAP mark, const RECT *markPart,
                                      int markKeyX, int markKeyY,
                                      HBITMAP markLit,
                                      const RECT *markLitPart,
                                      int markLitKeyX, int markLitKeyY)
{
    static const GadOps ops = {wheel_Free,  wheel_Draw,    wheel_Hit,
                               wheel_Hit,   NULL,          wheel_Press,
                               wheel_Drag,  wheel_Release, wheel_Timer,
                               wheel_Wheel};
    Gadget *g = gad_Become(hDlg, id, GAD_WHEEL, flags, &ops);
    if (!g) {
        gad_ConsumeBitmap(dial, dialPart);
        gad_ConsumeBitmap(mark, markPart);
        gad_ConsumeBitmap(markLit, markLitPart);
        return NULL;
    }
    WheelData *d = gad_Data<WheelData>(g);
    d->r.min = -120;
    d->r.max = 120;
    d->r.pos = 0;
    d->labelId = labelId;
    d->radiusScale = radiusScale;
    gad_MakeMasked(dial, dialPart, dialKeyX, dialKeyY, &d->dialImage,
                 &d->dialMask);
    gad_MakeMasked(mark, markPart, markKeyX, markKeyY, &d->markImage,
                 &d->markMask);
    gad_MakeMasked(markLit, markLitPart, markLitKeyX, markLitKeyY,
                 &d->markLitImage, &d->markLitMask);
    g->state |= GS_CAPTURE | GS_CURSOR;
    g->hCursor = (HCURSOR)dlg_GetDefObject(DEF_CURSORTURN);
    gad_Repaint(g);
    return g;
}

/* ---- The client's functions ---- */

extern "C" void KKAPI wheel_Modify(Gadget *g, int min, int max, int pos)
{
    if (!g)
        return;
    GadRange *r = &gad_Data<WheelData>(g)->r;
    r->min = min;
    r->max = max;
    r->pos = pos;
    gad_Redraw(g);
}

extern "C" int KKAPI wheel_GetPos(const Gadget *g)
{
    return g ? gad_Data<WheelData>(g)->r.pos : 0;
}

extern "C" void KKAPI wheel_SetPos(Gadget *g, int pos)
{
    if (!g)
        return;
    gad_Data<WheelData>(g)->r.pos = pos;
    gad_Repaint(g);
}

/* The ends are exact whatever the range: the single-precision hundredth
 * leaves a wide range's 100 per cent short of max. */
extern "C" void KKAPI wheel_SetPercent(Gadget *g, int percent)
{
    if (!g)
        return;
    const GadRange *r = &gad_Data<WheelData>(g)->r;
    if (percent <= 0) {
        wheel_SetPos(g, r->min);
    } else if (percent >= 100) {
        wheel_SetPos(g, r->max);
    } else {
        double span = (double)r->max - r->min;
        wheel_SetPos(g, r->min + gad_Nearest(span * percent * GAD_HUNDREDTH));
    }
}
