/* Dialog.cpp -- the library's dialog procedure and the functions that run
 * a dialog through a client's handler table, and the small dialog tools.
 *
 * A managed dialog carries its GadDialog block (header and one record per
 * direct child control, Gadget.cpp) in its GWLP_USERDATA value from
 * WM_INITDIALOG to WM_DESTROY.  The library's own work for a message is
 * a small function per step below; the message then goes on to the
 * handler table unless the step answered it.
 */
#include "kk_int.h"
#include "ident.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

MODULE_IDENT("knobkit/Dialog.cpp");

static GadDialog *dlg_Header(HWND hDlg)
{
    return hDlg ? (GadDialog *)GetWindowLongPtrA(hDlg, GWLP_USERDATA) : NULL;
}

/* WM_DESTROY: the records' own resources, the tooltip window, then the
 * block. */
static void dlg_Release(HWND hDlg, GadDialog *h)
{
    gad_ReleaseAll(h);
    tip_Destroy(hDlg, h);
    if (h->hFontBold)
        DeleteObject(h->hFontBold);
    if (h->hSkin)
        DeleteObject(h->hSkin);
    free(h);
    SetWindowLongPtrA(hDlg, GWLP_USERDATA, 0);
}

/* The skin over the whole client area, tiled from the top-left corner
 * or stretched; FALSE without a skin bitmap. */
static BOOL skin_Erase(HWND hDlg, GadDialog *h, HDC hdc)
{
    if (!h->hSkin)
        return FALSE;
    RECT rc;
    GetClientRect(hDlg, &rc);
    if (h->dlgFlags & DF_SKINTILE) {
        gad_TileBitmap(hdc, &rc, h->hSkin);
        return TRUE;
    }
    int w, ht;
    gad_GetBitmapSize(h->hSkin, &w, &ht);
    HDC mem = CreateCompatibleDC(hdc);
    if (!mem)
        return FALSE;
    HGDIOBJ old = SelectObject(mem, h->hSkin);
    StretchBlt(hdc, 0, 0, rc.right - rc.left, rc.bottom - rc.top, mem, 0, 0,
               w, ht, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return TRUE;
}

/* The page window of tab index, or null outside the table. */
static HWND tab_PageAt(const Gadget *g, INT_PTR index)
{
    TabPage *p = tab_Pages(g);
    for (INT_PTR i = 0; p && p->title && index >= 0; i++, p++)
        if (i == index)
            return p->pageWnd;
    return NULL;
}

/* A WM_NOTIFY answer reaches the sender through DWLP_MSGRESULT. */
static INT_PTR dlg_Answer(HWND hDlg, INT_PTR r)
{
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, r);
    return r;
}

/* Tab gadgets switch their pages: the page being left may refuse
 * (a non-zero answer to GM_TABLEAVE keeps it), the page shown hears
 * GM_TABENTER.  List gadgets handle their list view's notifications,
 * which then go on to the table.  TRUE when the message ends here with
 * *answer, which may be any value a page gave; notifications of controls
 * that are not gadgets reach the handler table untouched. */
static BOOL notify_Gadgets(HWND hDlg, NMHDR *nm, INT_PTR *answer)
{
    Gadget *g = nm && nm->hwndFrom
                    ? (Gadget *)GetWindowLongPtrA(nm->hwndFrom, GWLP_USERDATA)
                    : NULL;
    if (!g || g->hWnd != nm->hwndFrom || g->hDlg != hDlg)
        return FALSE;
    if (GAD_KIND(g) == GAD_LIST)
        glist_Notify(g, nm);
    if (GAD_KIND(g) != GAD_TAB)
        return FALSE;
    INT_PTR sel = SendMessageA(nm->hwndFrom, TCM_GETCURSEL, 0, 0);
    HWND page = tab_PageAt(g, sel);
    if (nm->code == (UINT)TCN_SELCHANGING) {
        INT_PTR r = page ? SendMessageA(page, GM_TABLEAVE, 0, 0) : 0;
        if (!r && page)
            ShowWindow(page, SW_HIDE);
        *answer = dlg_Answer(hDlg, r);
        return TRUE;
    }
    if (nm->code == (UINT)TCN_SELCHANGE && page) {
        SendMessageA(page, GM_TABENTER, 0, 0);
        ShowWindow(page, SW_SHOW);
    }
    return FALSE;
}

/* Size limits while the border moves, and the controls (with the tips
 * of statics and gadgets) following the window. */
static void layout_Size(HWND hDlg, GadDialog *h, UINT msg, WPARAM wParam,
                        LPARAM lParam)
{
    if (msg == WM_SIZING)
        layout_Sizing(hDlg, h, wParam, (RECT *)lParam);
    else
        layout_Sized(hDlg, h, wParam);
}

/* Coloured controls get their colours and gadgets paint themselves here;
 * only ordinary controls (no record, or kind 0) go on to the table.  The
 * answer is a brush, so it travels apart from the verdict: a handle's
 * value says nothing about whether it was answered. */
static BOOL color_Control(HDC hdc, HWND ctl, INT_PTR *answer)
{
    Gadget *g = ctl ? (Gadget *)GetWindowLongPtrA(ctl, GWLP_USERDATA) : NULL;
    if (!g || g->hWnd != ctl || GAD_KIND(g) == GAD_PLAIN)
        return FALSE;
    if (GAD_KIND(g) == GAD_COLORED) {
        SetBkMode(hdc, TRANSPARENT);
        if (g->state & GS_TEXTCOLOR)
            SetTextColor(hdc, g->textColor);
        /* Without a brush of its own the control keeps the face colour:
         * answering none would hand the colours back to the system,
         * which resets the text colour. */
        *answer = (INT_PTR)(g->hBrush ? g->hBrush
                                      : GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    /* A gadget paints itself inside the control's own painting; the
     * hollow brush keeps the control from painting over it. */
    if (!g->DrawProc) {
        *answer = 0;
        return TRUE;
    }
    g->DrawProc(ctl, hdc, g);
    *answer = (INT_PTR)GetStockObject(NULL_BRUSH);
    return TRUE;
}

/* The value handed to the handler with this message. */
static int dlg_Value(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const Gadget *g = (const Gadget *)lParam;
    switch (msg) {
    case WM_COMMAND: {
        if (!lParam)   /* a menu command or an accelerator */
            return 0;
        HWND ctl = GetDlgItem(hDlg, LOWORD(wParam));
        switch (gad_ClassOf(ctl)) {
        case CTL_COMBOBOX:
            return (int)SendMessageA(ctl, CB_GETCURSEL, 0, 0);
        case CTL_LISTBOX:
            return (int)SendMessageA(ctl, LB_GETCURSEL, 0, 0);
        case CTL_CHECKBOX:
            return IsDlgButtonChecked(hDlg, LOWORD(wParam)) == BST_CHECKED;
        }
        return 0;
    }
    case GM_IBUTTON:
        return (int)ibtn_GetState(g);
    case GM_SLIDER:
    case GM_WHEEL:
        return slider_GetPos(g);
    }
    return 0;
}

static BOOL row_Matches(HWND hDlg, const DlgHandler *row, UINT msg,
                        WPARAM wParam, LPARAM lParam)
{
    UINT id = row->id & 0xFFFF;
    if (id == 0 || LOWORD(wParam) == id)
        return TRUE;
    return (msg == WM_HSCROLL || msg == WM_VSCROLL) && lParam &&
           (HWND)lParam == GetDlgItem(hDlg, id);
}

static INT_PTR dlg_Dispatch(HWND hDlg, const DlgHandler *table, UINT msg,
                            WPARAM wParam, LPARAM lParam)
{
    int value = dlg_Value(hDlg, msg, wParam, lParam);
    for (const DlgHandler *row = table; row->msg; row++) {
        if (row->msg != msg || !row_Matches(hDlg, row, msg, wParam, lParam))
            continue;
        INT_PTR r = row->proc(hDlg, wParam, lParam, value, row->param);
        switch (r) {
        case DLG_ENDOK:
            EndDialog(hDlg, 1);
            return TRUE;
        case DLG_ENDCANCEL:
            EndDialog(hDlg, 0);
            return TRUE;
        case DLG_HANDLED:
            return TRUE;
        }
        return r;
    }
    return 0;
}

static INT_PTR CALLBACK dlg_Procedure(HWND hDlg, UINT msg, WPARAM wParam,
                                      LPARAM lParam)
{
    GadDialog *h = dlg_Header(hDlg);
    if (msg == WM_INITDIALOG) {
        h = gad_Attach(hDlg);
        if (!h) {
            EndDialog(hDlg, 0);
            return TRUE;
        }
        dlg_Realign(hDlg);   /* every control's offsets, without bits */
        h->handlers = (const DlgHandler *)lParam;
    }
    /* A dialog started without a table is released all the same. */
    if (h && msg == WM_DESTROY) {
        dlg_Release(hDlg, h);
        return 0;
    }
    if (!h || !h->handlers)
        return 0;
    INT_PTR r;
    switch (msg) {
    case WM_PAINT:
        if (!(h->dlgFlags & DF_SHOWN)) {
            h->dlgFlags |= DF_SHOWN;
            PostMessageA(hDlg, GM_SHOWN, 0, 0);
        }
        break;
    case WM_ERASEBKGND:
        if (h->dlgFlags & DF_SKIN)
            return skin_Erase(hDlg, h, (HDC)wParam);
        break;
    case WM_NOTIFY:
        if (notify_Gadgets(hDlg, (NMHDR *)lParam, &r))
            return r;
        break;
    case WM_SIZING:
    case WM_SIZE:
        layout_Size(hDlg, h, msg, wParam, lParam);
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && (h->dlgFlags & DF_CURSOR))
            return TRUE;
        break;
    case WM_TIMER:
        if (gad_TimerTick(hDlg, h, wParam))
            return 0;
        break;
    case WM_CAPTURECHANGED:
        gad_RouteMouse(hDlg, h, msg, wParam, lParam);
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (color_Control((HDC)wParam, (HWND)lParam, &r))
            return r;
        break;
    default:
        if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST)
            gad_RouteMouse(hDlg, h, msg, wParam, lParam);
        break;
    }
    r = dlg_Dispatch(hDlg, h->handlers, msg, wParam, lParam);
    /* A page's answer to GM_TABLEAVE reaches the dialog that sent it only
     * through DWLP_MSGRESULT. */
    if (msg == GM_TABLEAVE)
        dlg_Answer(hDlg, r);
    return r;
}

extern "C" INT_PTR KKAPI dlg_DoDialog(HINSTANCE hInst, int templateId,
                                      HWND hParent, const DlgHandler *table)
{
    return DialogBoxParamA(hInst, MAKEINTRESOURCEA(templateId & 0xFFFF),
                           hParent, dlg_Procedure, (LPARAM)table);
}

extern "C" HWND KKAPI dlg_CreateDialog(HINSTANCE hInst, int templateId,
                                       HWND hParent, const DlgHandler *table)
{
    return CreateDialogParamA(hInst, MAKEINTRESOURCEA(templateId & 0xFFFF),
                              hParent, dlg_Procedure, (LPARAM)table);
}

extern "C" INT_PTR KKAPI dlg_DoDialogIndirect(HINSTANCE hInst,
                                              const DLGTEMPLATE *tmpl,
                                              HWND hParent,
                                              const DlgHandler *table)
{
    return DialogBoxIndirectParamA(hInst, tmpl, hParent, dlg_Procedure,
                                   (LPARAM)table);
}

extern "C" HWND KKAPI dlg_CreateDialogIndirect(HINSTANCE hInst,
                                               const DLGTEMPLATE *tmpl,
                                               HWND hParent,
                                               const DlgHandler *table)
{
    return CreateDialogIndirectParamA(hInst, tmpl, hParent, dlg_Procedure,
                                      (LPARAM)table);
}

static BOOL CALLBACK font_Give(HWND hWnd, LPARAM font)
{
    SendMessageA(hWnd, WM_SETFONT, (WPARAM)font, TRUE);
    return TRUE;
}

extern "C" void KKAPI dlg_SetFont(HWND hDlg, HFONT hFont)
{
    GadDialog *h = dlg_Header(hDlg);
    if (!h)
        return;
    /* EnumChildWindows walks all levels: tab pages and their controls. */
    EnumChildWindows(hDlg, font_Give, (LPARAM)hFont);
    h->hTipFont = hFont;
    if (h->hTooltip)
        SendMessageA(h->hTooltip, WM_SETFONT, (WPARAM)hFont, TRUE);
    SendMessageA(hDlg, WM_SETFONT, (WPARAM)hFont, TRUE);
    h->hFont = hFont;
    LOGFONTA lf;
    if (!h->hFontBold && hFont && GetObjectA(hFont, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        h->hFontBold = CreateFontIndirectA(&lf);
    }
}


extern "C" void KKAPI dlg_Enable(HWND hDlg, BOOL enable)
{
    GadDialog *h = dlg_Header(hDlg);
    if (!h)
        return;
    /* Gadgets keep their own enabled state, static texts stay as they are. */
    for (uint32_t i = 0; i < h->count; i++) {
        const Gadget *g = &h->gadgets[i];
        if (GAD_KIND(g) >= GAD_PROGBAR || g->ctlClass == CTL_STATIC)
            continue;
        EnableWindow(g->hWnd, enable);
        if (enable)
            gad_RedrawUnder(hDlg, g->hWnd);
    }
    EnableWindow(hDlg, enable);
    if (enable)
        SetFocus(hDlg);
}

extern "C" BOOL KKAPI dlg_SetDlgItemHex(HWND hDlg, int id, uint32_t value)
{
    char text[16];
    wsprintfA(text, "%08lX", (unsigned long)value);
    return SetDlgItemTextA(hDlg, id, text);
}

extern "C" BOOL KKAPI dlg_TrackPopupMenu(HWND hOwner, HMENU hMenu, UINT flags)
{
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow(hOwner);
    BOOL r = TrackPopupMenuEx(hMenu, flags, pt.x, pt.y, hOwner, NULL);
    PostMessageA(hOwner, WM_USER, 0, 0);
    return r;
}

extern "C" GadDialog *KKAPI dlg_ModifyFlags(HWND hDlg, uint32_t set,
                                           uint32_t clear)
{
    GadDialog *h = dlg_Header(hDlg);
    if (h)
        h->dlgFlags = (h->dlgFlags & ~clear) | set;
    return h;
}

extern "C" GadDialog *KKAPI dlg_EnableDrag(HWND hDlg, BOOL drag, BOOL dragAny)
{
    uint32_t set = (drag ? DF_DRAG : 0) | (dragAny ? DF_DRAGANY : 0);
    return dlg_ModifyFlags(hDlg, set, (DF_DRAG | DF_DRAGANY) & ~set);
}

extern "C" GadDialog *KKAPI dlg_EnableCursor(HWND hDlg, BOOL enable)
{
    return enable ? dlg_ModifyFlags(hDlg, DF_CURSOR, 0)
                  : dlg_ModifyFlags(hDlg, 0, DF_CURSOR);
}

/* Check boxes and radio buttons draw their text over the skin; group
 * boxes take the face colour.  The brushes are stock or default ones,
 * never the record's. */
static void skin_FitControls(GadDialog *h)
{
    for (uint32_t i = 0; i < h->count; i++) {
        Gadget *g = &h->gadgets[i];
        HBRUSH brush;
        if (g->ctlClass == CTL_CHECKBOX || g->ctlClass == CTL_RADIO)
            brush = (HBRUSH)GetStockObject(NULL_BRUSH);
        else if (g->ctlClass == CTL_GROUPBOX)
            brush = (HBRUSH)dlg_GetDefObject(DEF_BRUSHFACE);
        else
            continue;
        gad_ReleaseBrush(g);
        g->hBrush = brush;
        g->kind = (g->kind & ~0xFFu) | GAD_COLORED;
    }
}

extern "C" BOOL KKAPI dlg_SetSkin(HWND hDlg, HBITMAP bitmap, const RECT *part,
                                  BOOL tile)
{
    GadDialog *h = dlg_Header(hDlg);
    if (!h)
        return FALSE;
    if (h->hSkin)
        DeleteObject(h->hSkin);
    h->hSkin = NULL;
    h->dlgFlags &= ~(uint32_t)(DF_SKIN | DF_SKINTILE);
    if (!bitmap)
        return TRUE;
    h->hSkin = gad_CopyBitmap(bitmap, part);
    h->dlgFlags |= DF_SKIN | (tile ? DF_SKINTILE : 0);
    skin_FitControls(h);
    return TRUE;
}
