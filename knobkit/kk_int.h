/* kk_int.h -- what the library's modules share and clients do not see:
 * the module handle, the screen scale, the step that makes a gadget of a
 * record, and the drawing and value-text helpers every gadget paints with
 * (Draw.cpp).  Nothing here is exported.
 *
 * Pictures: an image compatible with the screen in which every transparent
 * pixel is black, and a monochrome mask of the same size in which
 * transparent pixels are 1 (white) and opaque ones 0.  The owner deletes
 * both.  A key names the transparent colour: with keyX != -1 the colour
 * of the source pixel at (part left + keyX, part top + keyY), with
 * keyX == -1 keyY itself is the COLORREF.  A source bitmap given without a
 * part is consumed (deleted once the copy is made); with a part the caller
 * keeps it, so several parts can be cut from one bitmap.  gad_MakeMasked
 * consumes a whole bitmap even when it fails: the caller let it go.
 */
#ifndef VELLUM_KK_INT_H
#define VELLUM_KK_INT_H

#include "knobkit.h"

#include <stddef.h>
#include <string.h>

/* The library's module handle, for its own resources (Dll.cpp). */
HINSTANCE kk_Module(void);

/* The screen's pixels per 100 points (133 at 96 dots per inch). */
int   dlg_ScreenScale(void);

BOOL  gad_MakeMasked(HBITMAP hBmp, const RECT *part, int keyX, int keyY,
                     HBITMAP *image, HBITMAP *mask);
/* A bitmap handed to a gadget that makes nothing of it (its control is
 * missing): deleted when it came whole, kept by the caller with a part. */
void  gad_ConsumeBitmap(HBITMAP hBmp, const RECT *part);
/* A new bitmap of w x h compatible with the screen; null on failure. */
HBITMAP gad_ScreenBitmap(int w, int h);
/* A bitmap the gadget owns, deleted and its handle cleared, so a second
 * release (gad_Free, then the dialog's end) finds nothing. */
void  gad_DeleteBitmap(HBITMAP *hBmp);
void  gad_DrawMasked(HDC hdc, int x, int y, HBITMAP image, HBITMAP mask);
void  gad_DrawMaskedPart(HDC hdc, int x, int y, HBITMAP image, HBITMAP mask,
                         int srcX, int srcY, int width, int height);
HBITMAP gad_CopyBitmap(HBITMAP hBmp, const RECT *part);

/* An off-screen surface of the control's client size, starting as a copy
 * of what hdc shows at (0, 0), with the control's font selected; null on
 * failure.  gad_EndBuffer copies it back to hdc and deletes it. */
HDC   gad_BeginBuffer(HWND hWnd, HDC hdc, HBITMAP *oldBmp);
void  gad_EndBuffer(HWND hWnd, HDC hdc, HDC memDC, HBITMAP oldBmp);

void  gad_GetBitmapSize(HBITMAP hBmp, int *width, int *height);
/* The bitmap tiled over rc from its top-left corner; FALSE for an empty
 * or missing bitmap (nothing drawn). */
BOOL  gad_TileBitmap(HDC hdc, const RECT *rc, HBITMAP hBmp);
int   gad_IsPixelBlack(HBITMAP hBmp, int x, int y);
COLORREF gad_GetPixel(HBITMAP hBmp, int x, int y);

/* The top-left corner of a picture of w x h centred in the control's
 * client area, each half truncated on its own. */
POINT gad_Centre(HWND hWnd, int w, int h);

/* Is the point (client coordinates) on an opaque pixel of a picture of
 * mask's size centred as gad_Centre places it?  FALSE without a mask. */
BOOL  gad_HitCentred(HWND hWnd, HBITMAP mask, const POINT *pt);

/* A gadget's text centred on one line in box, transparent: in colour, or
 * engraved when the gadget is disabled (white with the box's left and top
 * moved by 2, then COLOR_GRAYTEXT in place). */
void  gad_DrawText(HDC dc, const Gadget *g, const char *text, RECT box,
                   COLORREF colour);

/* (value - min) * 100 / (max - min) + 0.5, truncated toward zero; 0 when
 * max equals min. */
int   gad_Percent(int min, int max, int value);

/* The gadget's own value text (by textProc, label and VT_PERCENT /
 * VT_BUILTIN) into out, at least GAD_TEXT_MAX characters. */
void  gad_FormatValue(const Gadget *g, char *out, int min, int max, int value);

/* The text of a companion label (by label, VT_LABELPERCENT and
 * VT_LABELFORMAT; textProc plays no part) into out, at least GAD_TEXT_MAX
 * characters: what gad_ShowValue puts into the label control. */
void  gad_LabelText(const Gadget *g, char *out, int min, int max, int value);

/* The label text (gad_LabelText) becomes the window text of the dialog's
 * control labelId, and a transparent companion gets the dialog repainted
 * under it; labelId -1 only computes.  The percentage either way; a null
 * gadget changes nothing. */
int   gad_ShowValue(const Gadget *g, int labelId, int min, int max,
                    int value);

/* ---- Becoming a gadget ----
 * A gadget kind is one file: its private record, its ten operations and
 * its exported functions.  Its creation function finds the record, makes
 * it a gadget with gad_Become, then sets its private data and the state
 * bits it needs. */

/* The ten operations of a kind, in the record's order; null where the kind
 * takes no part in a step. */
typedef struct GadOps {
    GadFreeProc  FreeProc;
    GadDrawProc  DrawProc;
    GadHitProc   HitProc;
    GadHitProc   KnobHitProc;
    GadPressProc ClickProc;
    GadPressProc PressProc;
    GadDragProc  DragProc;
    GadDragProc  ReleaseProc;
    GadTimerProc TimerProc;
    GadWheelProc WheelProc;
} GadOps;

static_assert(sizeof(GadOps) == sizeof(Gadget) - offsetof(Gadget, FreeProc),
              "the operations close the record, in the table's order");

/* The record of the dialog's control id made a gadget of kind (the low
 * byte, and a variant) with flags and ops: its private data zeroed, the
 * control's window text moved into the label and cleared.  A record that
 * was a gadget already lets its kind go first, so nothing it owned is
 * lost.  Null when the dialog has no such control or is not managed.
 * Inline, so that a test built as a client makes its test gadgets the
 * same way as the library does. */
inline Gadget *gad_Become(HWND hDlg, int id, uint32_t kind, uint32_t flags,
                          const GadOps *ops)
{
    Gadget *g = gad_GetGadget(hDlg, id);
    if (!g)
        return NULL;
    if (GAD_KIND(g) >= GAD_PROGBAR && g->FreeProc)
        g->FreeProc(g);
    g->kind = kind;
    g->flags = flags;
    memset(g->priv, 0, sizeof g->priv);
    memcpy(&g->FreeProc, ops, sizeof *ops);
    GetWindowTextA(g->hWnd, g->text, GAD_TEXT_MAX);
    SetWindowTextA(g->hWnd, "");
    return g;
}

/* A kind's private record over the record's 248 bytes.  Each gadget file
 * declares its own record type and reads the private words only through
 * this; kinds with a range begin theirs with a GadRange. */
template <typename T> inline T *gad_Data(const Gadget *g)
{
    static_assert(sizeof(T) <= sizeof g->priv,
                  "a kind's data fits the record's private words");
    static_assert(alignof(T) <= alignof(void *),
                  "the private words are aligned for pointers");
    return (T *)(void *)g->priv;
}

/* The first three words of every kind with a range. */
typedef struct GadRange {
    int32_t min, max, pos;
} GadRange;

/* nearest(x): x + 0.5 truncated toward zero.  The gadgets' divisions by
 * 100 are multiplications by the single-precision 0.01 (0.0099999998),
 * so a sum that ends in exactly one half is truncated downward. */
inline int gad_Nearest(double x)
{
    return (int)(x + 0.5);
}
#define GAD_HUNDREDTH ((double)0.01f)

/* A slider's knob after its label or flags changed (Slider.cpp). */
void  slider_CalcKnob(Gadget *g);

/* ---- Records (Gadget.cpp) ---- */

/* The gadget's own window repainted at once, without erasing: the
 * gadget paints over what it painted before. */
void  gad_Repaint(const Gadget *g);

/* The dialog area under the control, repainted at once (erased first),
 * so what shows through a transparent control is fresh. */
BOOL  gad_RedrawUnder(HWND hDlg, HWND hWnd);

/* The class code of a control (CTL_...). */
uint32_t gad_ClassOf(HWND hWnd);

/* Gives every direct child of the dialog a plain record in one new block
 * and the block to the dialog's GWLP_USERDATA; a dialog without a caption
 * gets its system menu.  Null when there is no child or no memory. */
GadDialog *gad_Attach(HWND hDlg);

/* Releases what every record owns (owned brush and font, FreeProc) and
 * clears the controls' GWLP_USERDATA; the block itself stays the
 * caller's to free. */
void  gad_ReleaseAll(GadDialog *gd);

/* The record under a screen point: first the gadgets (kind 2 and up)
 * whose HitProc says yes, in record order, then the first plain record
 * whose control's window contains the point; null for none. */
Gadget *dlg_FindGadget(GadDialog *gd, POINT screen);

/* An owned brush is deleted and the record's brush cleared; a client's
 * brush is only let go. */
void  gad_ReleaseBrush(Gadget *g);

/* Posts msg (control identifier, record) to the gadget's dialog, then
 * the window commands its state bits ask for: SC_CLOSE, SC_MINIMIZE,
 * SC_MAXIMIZE, SC_RESTORE, GM_ARROW, GM_ABOUT, in that order. */
void  gad_Notify(const Gadget *g, UINT msg);

/* Mouse input of a managed dialog (every WM_MOUSEFIRST..WM_MOUSELAST
 * message and WM_CAPTURECHANGED): hit-testing, tracking of a gadget,
 * window drags and, with DF_CURSOR, the cursor.  The message then goes
 * on to the handler table all the same. */
void  gad_RouteMouse(HWND hDlg, GadDialog *gd, UINT msg, WPARAM wParam,
                     LPARAM lParam);

/* WM_TIMER GAD_TIMER while a gadget is tracked: its TimerProc.  FALSE
 * when the tick is not the library's (it goes on to the table). */
BOOL  gad_TimerTick(HWND hDlg, GadDialog *gd, WPARAM id);

/* ---- Tab pages (Static.cpp) ---- */

/* The page table of a tab gadget; null for any other record. */
TabPage *tab_Pages(const Gadget *g);
/* Destroys every page window of the table (each pageWnd nulled). */
void  tab_DestroyPages(TabPage *pages);

/* ---- Tooltips (Tooltips.cpp) ---- */

/* The dialog's tooltip window, made now if it does not exist yet (with
 * the dialog's tip font); null for a dialog the library does not run or
 * when it cannot be made. */
HWND  tip_Window(HWND hDlg);
/* The dialog's control id gets a tool of tooltip window tip with text
 * (the window copies it), replacing one it had: a rectangle of the
 * dialog for a control that lets the mouse through (DLGC_STATIC), else
 * its own window.  FALSE for no such control. */
BOOL  tip_Add(HWND tip, HWND hDlg, int id, const char *text);
/* The rectangle tools are moved to their controls' places (WM_SIZE). */
void  tip_MoveAll(HWND hDlg, GadDialog *gd);
/* The controls' tools go and the tooltip window is destroyed (WM_DESTROY). */
void  tip_Destroy(HWND hDlg, GadDialog *gd);

/* ---- Lists (List.cpp) ---- */

/* A WM_NOTIFY of a list gadget's list view, handed over by the dialog
 * procedure (the message goes on to the table): the current item, keys,
 * clicks and the in-place editor.  1 when the code is one of the list's,
 * else 0. */
int   glist_Notify(Gadget *list, NMHDR *header);

/* ---- Layout and window dragging (Layout.cpp) ---- */

/* WM_SIZING: the proposed window rectangle r held within the dialog's
 * limits, the edge being dragged giving way, and the controls placed for
 * it, so they follow the border while it moves. */
void  layout_Sizing(HWND hDlg, GadDialog *gd, WPARAM edge, RECT *r);
/* WM_SIZE: the controls placed for the window as it is now, the dialog
 * repainted, the tips' rectangles moved; nothing while minimized. */
void  layout_Sized(HWND hDlg, GadDialog *gd, WPARAM how);


/* A drag begins at the press (dialog client coordinates): the mouse is
 * captured for the dialog until the button goes up. */
void  drag_Begin(HWND hDlg, GadDialog *gd, POINT client);
/* The mouse moved to client while dragging: the window follows, snapping
 * to the work area's edges within gd->snap pixels. */
void  drag_Move(HWND hDlg, GadDialog *gd, POINT client);

#endif
