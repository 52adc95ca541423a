/* Layout.cpp -- how a managed dialog's window moves: dragged by its
 * background or by chosen controls, snapping to the edges of the work
 * area.  The drag keeps the press point under the mouse: the window moves
 * by how far the mouse has gone from where the press was, in the dialog's
 * own client coordinates, which move with it.
 */
#include "kk_int.h"
#include "ident.h"

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
