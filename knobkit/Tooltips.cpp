/* Tooltips.cpp -- one tooltip window per dialog.
 *
 * The window is made on first use, owned by the dialog, and goes with
 * it.  Every tool belongs to the dialog's window and is named by the
 * control's window handle.  A control that answers WM_GETDLGCODE with
 * DLGC_STATIC (static texts, and the gadgets built on them) lets the
 * mouse through to the dialog, so its tool is a rectangle of the dialog
 * at the control's place; any other control is a tool by its own window.
 * Both kinds are subclassed by the tooltip window, which so sees the
 * mouse without the dialog relaying it.
 *
 * The tool records are sized as version 2 of TOOLINFO: older common
 * controls refuse the larger record of later headers.
 */
#include "kk_int.h"
#include "ident.h"

#include <commctrl.h>

MODULE_IDENT("knobkit/Tooltips.cpp");

static GadDialog *tip_Header(HWND hDlg)
{
    return hDlg ? (GadDialog *)GetWindowLongPtrA(hDlg, GWLP_USERDATA) : NULL;
}

/* The tooltip window of a header, null when there is none (also when the
 * system took it away with its owner). */
static HWND tip_Of(const GadDialog *gd)
{
    return gd && (gd->dlgFlags & DF_TOOLTIPS) && IsWindow(gd->hTooltip)
               ? gd->hTooltip
               : NULL;
}

/* A tool record of the dialog's, named id. */
static TOOLINFOA tip_Info(HWND hDlg, UINT_PTR id)
{
    TOOLINFOA ti;
    memset(&ti, 0, sizeof ti);
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = hDlg;
    ti.uId = id;
    return ti;
}

/* The control's window rectangle in the dialog's client coordinates. */
static RECT tip_Place(HWND hDlg, HWND ctl)
{
    RECT r;
    GetWindowRect(ctl, &r);
    MapWindowPoints(NULL, hDlg, (POINT *)&r, 2);
    return r;
}

HWND tip_Window(HWND hDlg)
{
    GadDialog *gd = tip_Header(hDlg);
    if (!gd)
        return NULL;
    HWND tip = tip_Of(gd);
    if (tip)
        return tip;
    InitCommonControls();
    tip = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, hDlg, NULL, kk_Module(), NULL);
    if (!tip)
        return NULL;
    RECT margin = {1, 1, 1, 1};
    SendMessageA(tip, TTM_SETMARGIN, 0, (LPARAM)&margin);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 5000);
    if (gd->hTipFont)
        SendMessageA(tip, WM_SETFONT, (WPARAM)gd->hTipFont, TRUE);
    gd->hTooltip = tip;
    gd->dlgFlags |= DF_TOOLTIPS;
    return tip;
}

/* A tool of the dialog named by ctl is removed; FALSE when there was
 * none. */
static BOOL tip_Remove(HWND tip, HWND hDlg, HWND ctl)
{
    TOOLINFOA ti = tip_Info(hDlg, (UINT_PTR)ctl);
    if (!SendMessageA(tip, TTM_GETTOOLINFOA, 0, (LPARAM)&ti))
        return FALSE;
    SendMessageA(tip, TTM_DELTOOLA, 0, (LPARAM)&ti);
    return TRUE;
}

BOOL tip_Add(HWND tip, HWND hDlg, int id, const char *text)
{
    HWND ctl = GetDlgItem(hDlg, id);
    if (!tip || !ctl)
        return FALSE;
    /* A second registration replaces the first: a dialog relabelled in
     * another language keeps one tip per control. */
    tip_Remove(tip, hDlg, ctl);
    TOOLINFOA ti = tip_Info(hDlg, (UINT_PTR)ctl);
    ti.lpszText = (LPSTR)text;
    ti.uFlags = TTF_SUBCLASS;
    if (SendMessageA(ctl, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)
        ti.rect = tip_Place(hDlg, ctl);
    else
        ti.uFlags |= TTF_IDISHWND;
    return (BOOL)SendMessageA(tip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

void tip_MoveAll(HWND hDlg, GadDialog *gd)
{
    HWND tip = tip_Of(gd);
    for (uint32_t i = 0; tip && i < gd->count; i++) {
        TOOLINFOA ti = tip_Info(hDlg, (UINT_PTR)gd->gadgets[i].hWnd);
        ti.rect = tip_Place(hDlg, gd->gadgets[i].hWnd);
        SendMessageA(tip, TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
    }
}

/* The tools of the dialog's controls go; the others stay. */
static void tip_RemoveControls(HWND tip, HWND hDlg, const GadDialog *gd)
{
    for (uint32_t i = 0; i < gd->count; i++)
        tip_Remove(tip, hDlg, gd->gadgets[i].hWnd);
}

void tip_Destroy(HWND hDlg, GadDialog *gd)
{
    HWND tip = tip_Of(gd);
    if (tip) {
        tip_RemoveControls(tip, hDlg, gd);
        DestroyWindow(tip);
    }
    gd->hTooltip = NULL;
    gd->dlgFlags &= ~(uint32_t)DF_TOOLTIPS;
}

extern "C" BOOL KKAPI tooltips_Create(HWND hDlg, const TipItem *list,
                                      BOOL active)
{
    HWND tip = tip_Window(hDlg);
    if (!tip)
        return FALSE;
    for (const TipItem *t = list; t && t->id; t++)
        tip_Add(tip, hDlg, t->id, t->text);
    tooltips_Enable(hDlg, active);
    return TRUE;
}

extern "C" BOOL KKAPI tooltips_CreateRect(HWND hDlg, const RECT *rect,
                                          UINT_PTR toolId, const char *text)
{
    HWND tip = tip_Window(hDlg);
    if (!tip || !rect)
        return FALSE;
    TOOLINFOA ti = tip_Info(hDlg, toolId);
    ti.uFlags = TTF_SUBCLASS;
    ti.rect = *rect;
    ti.lpszText = (LPSTR)text;
    SendMessageA(tip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
    return TRUE;
}

extern "C" BOOL KKAPI tooltips_UpdateText(HWND hDlg, const TipItem *list)
{
    HWND tip = tip_Window(hDlg);
    if (!tip)
        return FALSE;
    for (const TipItem *t = list; t && t->id; t++) {
        HWND ctl = GetDlgItem(hDlg, t->id);
        TOOLINFOA ti = tip_Info(hDlg, (UINT_PTR)ctl);
        if (!ctl || !SendMessageA(tip, TTM_GETTOOLINFOA, 0, (LPARAM)&ti))
            continue;
        ti.lpszText = (LPSTR)t->text;
        SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
    }
    return TRUE;
}

extern "C" BOOL KKAPI tooltips_Delete(HWND hDlg)
{
    GadDialog *gd = tip_Header(hDlg);
    HWND tip = tip_Of(gd);
    if (!tip)
        return FALSE;
    tip_RemoveControls(tip, hDlg, gd);
    return TRUE;
}

extern "C" INT_PTR KKAPI tooltips_Enable(HWND hDlg, BOOL active)
{
    GadDialog *gd = tip_Header(hDlg);
    HWND tip = tip_Of(gd);
    if (!tip)
        return 0;
    gd->tipsActive = (uint32_t)active;
    return SendMessageA(tip, TTM_ACTIVATE, (WPARAM)active, 0);
}
