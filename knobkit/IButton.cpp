/* IButton.cpp -- the image button: a push button drawn from pictures,
 * whose shape is its normal picture's opaque pixels.
 *
 * Three ways to press it: a plain button notifies when it is let go over
 * itself, a toggle flips and notifies on every press (and is never
 * tracked), an auto-repeat button notifies at the press and then on the
 * dialog's GAD_TIMER while held over itself.  The handler's value is the
 * state (ibtn_GetState).
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/IButton.cpp");

/* The image button's private data. */
typedef struct IButtonData {
    uint32_t down;          /* 0 up, else down; the first word */
    HBITMAP  normalImage, pressedImage, iconImage;
    HBITMAP  normalMask, pressedMask, iconMask;
    uint32_t repeatTicks;   /* auto-repeat ticks since the press */
} IButtonData;

#define REPEAT_PERIOD 50    /* ms between auto-repeat ticks */
#define REPEAT_DELAY  4     /* ticks that pass before the repeat starts */

static IButtonData *ibtn_Data(const Gadget *g)
{
    return gad_Data<IButtonData>(g);
}

/* ---- Hit test ---- */

/* Is the point on an opaque pixel of the normal picture?  Without a
 * normal picture the button has no shape and is never hit. */
static BOOL KKAPI ibtn_Hit(Gadget *g, POINT *pt)
{
    return gad_HitCentred(g->hWnd, ibtn_Data(g)->normalMask, pt);
}

/* Inside the client area and on the button: the test for points that
 * come while the mouse is captured, which may lie anywhere. */
static BOOL ibtn_Over(Gadget *g, POINT *pt)
{
    RECT rc;
    return GetClientRect(g->hWnd, &rc) && PtInRect(&rc, *pt) &&
           ibtn_Hit(g, pt);
}

/* ---- Drawing ---- */

/* The picture of the state, then the icon over it, shifted by a pixel
 * when down.  Both are placed by the normal picture, so without one only
 * the caption is drawn. */
static void ibtn_DrawPictures(HDC dc, const Gadget *g, BOOL shift)
{
    const IButtonData *d = ibtn_Data(g);
    if (!d->normalImage)
        return;
    int w, h;
    gad_GetBitmapSize(d->normalImage, &w, &h);
    POINT o = gad_Centre(g->hWnd, w, h);
    if (d->down && d->pressedImage)
        gad_DrawMasked(dc, o.x, o.y, d->pressedImage, d->pressedMask);
    else
        gad_DrawMasked(dc, o.x, o.y, d->normalImage, d->normalMask);
    if (!d->iconImage)
        return;
    gad_GetBitmapSize(d->iconImage, &w, &h);
    o = gad_Centre(g->hWnd, w, h);
    gad_DrawMasked(dc, o.x + shift, o.y + shift, d->iconImage, d->iconMask);
}

/* The caption, over the pictures, moved by 2 when down. */
static void ibtn_DrawCaption(HDC dc, const Gadget *g, BOOL shift)
{
    if (!g->text[0])
        return;
    RECT rc;
    GetClientRect(g->hWnd, &rc);
    if (shift) {
        rc.left += 2;
        rc.top += 2;
    }
    gad_DrawText(dc, g, g->text, rc, g->textColor);
}

static void KKAPI ibtn_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    HBITMAP old;
    HDC dc = gad_BeginBuffer(hWnd, hdc, &old);
    if (!dc)
        return;
    BOOL shift = ibtn_Data(g)->down && !(g->flags & IBTN_NOSHIFT);
    ibtn_DrawPictures(dc, g, shift);
    ibtn_DrawCaption(dc, g, shift);
    gad_EndBuffer(hWnd, hdc, dc, old);
}

/* ---- The mouse ---- */

static BOOL KKAPI ibtn_Press(HWND hDlg, Gadget *g, POINT *)
{
    IButtonData *d = ibtn_Data(g);
    if (g->flags & IBTN_TOGGLE) {
        d->down = !d->down;
        gad_Notify(g, GM_IBUTTON);
        gad_Repaint(g);
        return FALSE;
    }
    d->down = 1;
    gad_Repaint(g);
    if (g->flags & IBTN_REPEAT) {
        gad_Notify(g, GM_IBUTTON);
        SetTimer(hDlg, GAD_TIMER, REPEAT_PERIOD, NULL);
        d->repeatTicks = 0;
    }
    return TRUE;
}

/* Held: down while over the button, up while off it. */
static void KKAPI ibtn_Drag(HWND, Gadget *g, POINT *pt)
{
    IButtonData *d = ibtn_Data(g);
    BOOL was = d->down != 0, over = ibtn_Over(g, pt);
    d->down = over ? 1 : 0;
    if (over != was)
        gad_Repaint(g);
}

/* pt is null when the capture was lost: the button goes up unheard. */
static void KKAPI ibtn_Release(HWND hDlg, Gadget *g, POINT *pt)
{
    IButtonData *d = ibtn_Data(g);
    if (g->flags & IBTN_REPEAT) {
        KillTimer(hDlg, GAD_TIMER);
        d->repeatTicks = 0;
    }
    d->down = 0;
    gad_Repaint(g);
    if (!(g->flags & IBTN_REPEAT) && pt && ibtn_Over(g, pt))
        gad_Notify(g, GM_IBUTTON);
}

/* The dialog's timer reaches whichever gadget is tracked; only an
 * auto-repeat button started it, so a plain one held down ignores a
 * GAD_TIMER someone else left running rather than repeat. */
static void KKAPI ibtn_Timer(HWND, Gadget *g)
{
    IButtonData *d = ibtn_Data(g);
    if (!(g->flags & IBTN_REPEAT) || ++d->repeatTicks <= REPEAT_DELAY)
        return;
    POINT pt;
    if (!GetCursorPos(&pt) || !ScreenToClient(g->hWnd, &pt))
        return;
    if (ibtn_Over(g, &pt))
        gad_Notify(g, GM_IBUTTON);
}

/* ---- Life ---- */

/* Runs on gad_Free and again when the dialog ends, so it leaves nothing
 * to delete twice. */
static uint32_t KKAPI ibtn_Free(Gadget *g)
{
    IButtonData *d = ibtn_Data(g);
    gad_DeleteBitmap(&d->normalImage);
    gad_DeleteBitmap(&d->pressedImage);
    gad_DeleteBitmap(&d->iconImage);
    gad_DeleteBitmap(&d->normalMask);
    gad_DeleteBitmap(&d->pressedMask);
    gad_DeleteBitmap(&d->iconMask);
    return 0;
}

static const GadOps IButtonOps = {
    ibtn_Free,  ibtn_Draw,  ibtn_Hit,     ibtn_Hit,   NULL,
    ibtn_Press, ibtn_Drag,  ibtn_Release, ibtn_Timer, NULL,
};

extern "C" Gadget *KKAPI ibtn_Create(HWND hDlg, int id, uint32_t flags,
                                     HBITMAP normal, const RECT *normalPart,
                                     int keyX, int keyY, HBITMAP pressed,
                                     const RECT *pressedPart, HBITMAP icon,
                                     const RECT *iconPart, int iconKeyX,
                                     int iconKeyY)
{
    Gadget *g = gad_Become(hDlg, id, GAD_IBUTTON, flags, &IButtonOps);
    if (!g) {
        gad_ConsumeBitmap(normal, normalPart);
        gad_ConsumeBitmap(pressed, pressedPart);
        gad_ConsumeBitmap(icon, iconPart);
        return NULL;
    }
    g->state |= GS_CAPTURE;
    IButtonData *d = ibtn_Data(g);
    /* The pressed picture is cut to the normal one's key. */
    gad_MakeMasked(normal, normalPart, keyX, keyY, &d->normalImage,
                 &d->normalMask);
    gad_MakeMasked(pressed, pressedPart, keyX, keyY, &d->pressedImage,
                 &d->pressedMask);
    gad_MakeMasked(icon, iconPart, iconKeyX, iconKeyY, &d->iconImage,
                 &d->iconMask);
    d->down = 0;
    return g;
}

extern "C" void KKAPI ibtn_SetState(Gadget *g, uint32_t down)
{
    if (!g)
        return;
    ibtn_Data(g)->down = down;
    gad_Repaint(g);
}

extern "C" uint32_t KKAPI ibtn_GetState(const Gadget *g)
{
    return g ? gad_Data<IButtonData>(g)->down : 0;
}
