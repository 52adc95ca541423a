/* Layout.cpp -- how a managed dialog's controls and window move: the
 * controls follow a resized window by their alignment bits, the window's
 * size is held within its limits while it is sized, and it is dragged by
 * its background or by chosen controls, snapping to the edges of the
 * work area.
 *
 * A record's four offsets (align[], taken by align_Record):
 *   0  ALIGN_MOVEX: window's outer right - control's right (pixels);
 *      else the control's left in dialog client coordinates
 *   1  ALIGN_MOVEY: window's outer bottom - control's bottom; else its top
 *   2  ALIGN_SIZEX: window's outer right - control's right; else with
 *      ALIGN_PINLEFT its left; else not written
 *   3  ALIGN_SIZEY / ALIGN_PINTOP likewise with the bottom and the top
 * A layout maps the window's rectangle into the dialog's client
 * coordinates and places each control with bits from these; controls
 * without bits are left where they are, so a control the client moved
 * itself stays put.
 *
 * The drag keeps the press point under the mouse: the window moves by
 * how far the mouse has gone from where the press was, in the dialog's
 * own client coordinates, which move with it.
 */
#include "kk_int.h"
#include "ident.h"

#include <stdarg.h>
#include <stdlib.h>

MODULE_IDENT("knobkit/Layout.cpp");

void drag_Begin(HWND hDlg, GadDialog *gd, POINT client)
{
    gd->dragX = client.x;
    gd->dragY = client.y;
    gd->dlgFlags |= DF_DRAGGING;
    SetCapture(hDlg);
}

/* Each edge within snap pixels is taken; the later tests win, so a
 * window about as tall as the work area ends on its bottom edge. */
static void drag_Snap(int snap, const RECT *area, int width, int height,
                      int *left, int *top)
{
    if (abs(*top - area->top) < snap)
        *top = area->top;
    if (abs(*left - area->left) < snap)
        *left = area->left;
    if (abs(*top + height - area->bottom) < snap)
        *top = area->bottom - height;
    if (abs(*left + width - area->right) < snap)
        *left = area->right - width;
}

void drag_Move(HWND hDlg, GadDialog *gd, POINT client)
{
    RECT r;
    if (!GetWindowRect(hDlg, &r))
        return;
    int width = r.right - r.left, height = r.bottom - r.top;
    int left = r.left - gd->dragX + client.x;
    int top = r.top - gd->dragY + client.y;
    /* A child dialog (a tab page) moves within its parent's client area. */
    if (GetWindowLongA(hDlg, GWL_STYLE) & WS_CHILD) {
        POINT p = {left, top};
        ScreenToClient(GetParent(hDlg), &p);
        MoveWindow(hDlg, p.x, p.y, width, height, TRUE);
        return;
    }
    RECT area;
    if (gd->snap && SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        drag_Snap(gd->snap, &area, width, height, &left, &top);
    MoveWindow(hDlg, left, top, width, height, TRUE);
}

static GadDialog *layout_Header(HWND hDlg)
{
    return hDlg ? (GadDialog *)GetWindowLongPtrA(hDlg, GWLP_USERDATA) : NULL;
}

/* The offsets of a record from the current geometry, by its bits. */
static void align_Record(Gadget *g)
{
    RECT d, c;
    if (!GetWindowRect(g->hDlg, &d) || !GetWindowRect(g->hWnd, &c))
        return;
    POINT at = {c.left, c.top};
    ScreenToClient(g->hDlg, &at);
    uint32_t bits = g->state;
    g->align[0] = (bits & ALIGN_MOVEX) ? d.right - c.right : at.x;
    g->align[1] = (bits & ALIGN_MOVEY) ? d.bottom - c.bottom : at.y;
    if (bits & ALIGN_PINLEFT)
        g->align[2] = at.x;
    if (bits & ALIGN_SIZEX)
        g->align[2] = d.right - c.right;
    if (bits & ALIGN_PINTOP)
        g->align[3] = at.y;
    if (bits & ALIGN_SIZEY)
        g->align[3] = d.bottom - c.bottom;
}

/* One direction of a control's place for a window whose far edge is at
 * end (client coordinates): move keeps the far distance first, pin puts
 * the near edge at third, size the far edge at end minus third.  With
 * size, third is the far distance, so pin gives way (the near edge then
 * stays where it was recorded). */
static void align_Span(uint32_t bits, uint32_t move, uint32_t pin,
                       uint32_t size, int32_t first, int32_t third,
                       LONG end, LONG extent, LONG *lo, LONG *hi)
{
    if (bits & move) {
        *hi = end - first;
        *lo = *hi - extent;
    } else {
        *lo = first;
        *hi = *lo + extent;
    }
    if ((bits & pin) && !(bits & size))
        *lo = third;
    if (bits & size)
        *hi = end - third;
}

/* TRUE when the control had to move. */
static BOOL align_Place(HWND hDlg, Gadget *g, const RECT *window)
{
    RECT c, to;
    if (!GetWindowRect(g->hWnd, &c))
        return FALSE;
    MapWindowPoints(NULL, hDlg, (POINT *)&c, 2);
    uint32_t bits = g->state;
    align_Span(bits, ALIGN_MOVEX, ALIGN_PINLEFT, ALIGN_SIZEX, g->align[0],
               g->align[2], window->right, c.right - c.left, &to.left,
               &to.right);
    align_Span(bits, ALIGN_MOVEY, ALIGN_PINTOP, ALIGN_SIZEY, g->align[1],
               g->align[3], window->bottom, c.bottom - c.top, &to.top,
               &to.bottom);
    if (EqualRect(&c, &to))
        return FALSE;
    MoveWindow(g->hWnd, to.left, to.top, to.right - to.left,
               to.bottom - to.top, FALSE);
    return TRUE;
}

/* Every control with alignment bits placed for the window rectangle w
 * (screen), mapped into the client coordinates the dialog has now; TRUE
 * when one of them moved. */
static BOOL layout_Apply(HWND hDlg, GadDialog *gd, RECT w)
{
    BOOL moved = FALSE;
    MapWindowPoints(NULL, hDlg, (POINT *)&w, 2);
    for (uint32_t i = 0; i < gd->count; i++)
        if (gd->gadgets[i].state & GS_ALIGNMASK)
            moved |= align_Place(hDlg, &gd->gadgets[i], &w);
    return moved;
}

/* One direction of a proposed rectangle made size long: the dragged edge
 * gives way, the other stays. */
static void sizing_Hold(LONG *lo, LONG *hi, int size, BOOL dragsHi)
{
    if (dragsHi)
        *hi = *lo + size;
    else
        *lo = *hi - size;
}

/* A limit of 0 (never set) or below holds nothing. */
static void sizing_Limit(LONG *lo, LONG *hi, int min, int max, BOOL dragsHi)
{
    if (min > 0 && *hi - *lo < min)
        sizing_Hold(lo, hi, min, dragsHi);
    if (max > 0 && *hi - *lo > max)
        sizing_Hold(lo, hi, max, dragsHi);
}

void layout_Sizing(HWND hDlg, GadDialog *gd, WPARAM edge, RECT *r)
{
    if (!r)
        return;
    BOOL right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT ||
                 edge == WMSZ_BOTTOMRIGHT;
    BOOL bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT ||
                  edge == WMSZ_BOTTOMRIGHT;
    sizing_Limit(&r->left, &r->right, gd->minWidth, gd->maxWidth, right);
    sizing_Limit(&r->top, &r->bottom, gd->minHeight, gd->maxHeight, bottom);
    layout_Apply(hDlg, gd, *r);
}

void layout_Sized(HWND hDlg, GadDialog *gd, WPARAM how)
{
    RECT w;
    /* An icon's rectangle says nothing of the layout to come back to. */
    if (how == SIZE_MINIMIZED || !GetWindowRect(hDlg, &w))
        return;
    BOOL moved = layout_Apply(hDlg, gd, w);
    /* The controls were moved without repainting: they are repainted
     * with the dialog, all levels, once.  A WM_SIZE that changes nothing
     * (the system sends some when the window is only shown or moved)
     * repaints nothing, so what is on the screen stays. */
    int width = w.right - w.left, height = w.bottom - w.top;
    if (moved || width != gd->laidWidth || height != gd->laidHeight)
        RedrawWindow(hDlg, NULL, NULL,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    gd->laidWidth = width;
    gd->laidHeight = height;
    tip_MoveAll(hDlg, gd);
}

extern "C" void KKAPI dlg_SetAlign(Gadget *g, uint32_t bits)
{
    if (!g)
        return;
    g->state = (g->state & ~(uint32_t)GS_ALIGNMASK) | (bits & GS_ALIGNMASK);
    align_Record(g);
}

extern "C" void KKAPI dlg_SetAlignList(HWND hDlg, uint32_t bits, ...)
{
    va_list ids;
    va_start(ids, bits);
    for (int id = va_arg(ids, int); id != -1; id = va_arg(ids, int))
        dlg_SetAlign(gad_GetGadget(hDlg, id), bits);
    va_end(ids);
}

extern "C" int KKAPI dlg_Realign(HWND hDlg)
{
    GadDialog *gd = layout_Header(hDlg);
    if (!gd)
        return 0;
    for (uint32_t i = 0; i < gd->count; i++)
        align_Record(&gd->gadgets[i]);
    return (int)gd->count;
}

extern "C" void KKAPI dlg_SetMinMax(HWND hDlg, int minWidth, int minHeight,
                                    int maxWidth, int maxHeight)
{
    GadDialog *gd = layout_Header(hDlg);
    RECT r;
    if (!gd || !GetWindowRect(hDlg, &r))
        return;
    int w = r.right - r.left, h = r.bottom - r.top;
    gd->minWidth = minWidth == -1 ? w : minWidth;
    gd->minHeight = minHeight == -1 ? h : minHeight;
    gd->maxWidth = maxWidth == -1 ? w : maxWidth;
    gd->maxHeight = maxHeight == -1 ? h : maxHeight;
}

extern "C" void KKAPI dlg_SetSnap(HWND hDlg, int distance)
{
    GadDialog *gd = layout_Header(hDlg);
    if (gd)
        gd->snap = distance;
}
