/* List.cpp -- the list: a list view with a current and a marked item.
 *
 * The list view (report view) holds the texts; the client holds the data
 * behind them and hears of every change by GM_LIST, sent so that its data
 * has changed along before the list goes on.  The dialog procedure hands
 * the list view's notifications to glist_Notify.  A cell is edited in
 * place by an EDIT child of the list view over it, opened by a second
 * single click on the current item; the editor's identifier says what
 * its losing the focus means: 0 commit, 1 cancel.
 */
#include "kk_int.h"
#include "ident.h"

#include <commctrl.h>

MODULE_IDENT("knobkit/List.cpp");

/* The list's private data. */
typedef struct ListData {
    int32_t      current;      /* current item index */
    int32_t      marked;       /* marked item index */
    int32_t      clicks;       /* clicks on the current item since it became
                                * current */
    int32_t      editItem;     /* the cell being edited */
    int32_t      editSubItem;
    HWND         editWnd;      /* the in-place editor, null if none */
    WNDPROC      editOldProc;  /* the editor's own window procedure */
    GlistColumn *columns;      /* the client's table; null once released */
} ListData;

enum { EDIT_ID = 10, EDIT_COMMIT = 0, EDIT_CANCEL = 1 };

static ListData *list_Data(const Gadget *g)
{
    return gad_Data<ListData>(g);
}

static LRESULT lv(const Gadget *g, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(g->hWnd, msg, wParam, lParam);
}

/* GM_LIST to the dialog, sent: the client's data follows at once. */
static void list_Tell(const Gadget *g, int code, LPARAM value)
{
    WPARAM w = ((WPARAM)(code & 0xFFFF) << 16) |
               ((WPARAM)GetDlgCtrlID(g->hWnd) & 0xFFFF);
    SendMessageA(g->hDlg, GM_LIST, w, value);
}

static int list_Count(const Gadget *g)
{
    return (int)lv(g, LVM_GETITEMCOUNT, 0, 0);
}

static BOOL item_Selected(const Gadget *g, int item)
{
    return (lv(g, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

/* Sets (on) or clears the state bits of item. */
static void item_State(const Gadget *g, int item, UINT bits, BOOL on)
{
    LVITEMA it = {};
    it.stateMask = bits;
    it.state = on ? bits : 0;
    lv(g, LVM_SETITEMSTATE, item, (LPARAM)&it);
}

/* The current item focused and selected again, scrolled into view. */
static void current_Show(const Gadget *g)
{
    int cur = list_Data(g)->current;
    lv(g, LVM_ENSUREVISIBLE, cur, FALSE);
    item_State(g, cur, LVIS_FOCUSED, TRUE);
    item_State(g, cur, LVIS_SELECTED, TRUE);
}

/* The table's row for column index, null past its end: a list view may
 * hold more columns than the client's table. */
static GlistColumn *column_At(const Gadget *g, int index)
{
    GlistColumn *c = list_Data(g)->columns;
    for (int i = 0; c && c->title && index >= 0; i++, c++)
        if (i == index)
            return c;
    return NULL;
}

/* ---- Moves and deletion ---- */

/* The list view keeps from redrawing and recomputing its scroll bars
 * for each item while many change at once; it is repainted as a whole
 * afterwards. */
static void list_Hold(const Gadget *g, BOOL hold)
{
    lv(g, WM_SETREDRAW, !hold, 0);
    if (!hold)
        InvalidateRect(g->hWnd, NULL, TRUE);
}

/* Items a and a + 1 exchange places: the marked index and *cur (the
 * current one, set when the moves end) follow their items, so they keep
 * naming the same entries. */
static void items_Swap(const Gadget *g, int a, int32_t *cur)
{
    int32_t *idx[2] = {&list_Data(g)->marked, cur};
    for (int32_t *p : idx)
        *p = *p == a ? a + 1 : *p == a + 1 ? a : *p;
    list_Tell(g, GLN_SWAP, a);
    list_Tell(g, GLN_REFRESH, a);
    list_Tell(g, GLN_REFRESH, a + 1);
}

/* The selected item from moves one place by step (-1 up, 1 down), the
 * selection with it.  The list view's focus stays on the current item
 * meanwhile. */
static void item_Move(const Gadget *g, int from, int step, int32_t *cur)
{
    item_State(g, from + step, LVIS_SELECTED, TRUE);
    item_State(g, from, LVIS_SELECTED, FALSE);
    items_Swap(g, step < 0 ? from - 1 : from, cur);
}

/* The current item where the moves took it: focused (with current set
 * first, so the focus tells nothing) and the selection mark. */
static void moves_End(const Gadget *g, int32_t cur)
{
    list_Data(g)->current = cur;
    item_State(g, cur, LVIS_FOCUSED, TRUE);
    lv(g, LVM_SETSELECTIONMARK, 0, cur);
}

/* The deletions at index i; TRUE when the marked item was among them. */
static BOOL deletes_At(const Gadget *g, int i, int *count)
{
    ListData *d = list_Data(g);
    BOOL markedGone = FALSE;
    while (i < *count && item_Selected(g, i)) {
        lv(g, LVM_DELETEITEM, i, 0);
        list_Tell(g, GLN_DELETED, i);
        (*count)--;
        if (i == d->marked)
            markedGone = TRUE;
        else if (i < d->marked)
            d->marked--;
    }
    return markedGone;
}

/* ---- The in-place editor ---- */

/* The cell of column sub in row item, in the list view's client
 * coordinates and clipped to them, scrolled into view across as well;
 * FALSE when the row has no rectangle or nothing of the cell shows. */
static BOOL cell_Rect(const Gadget *g, int item, int sub, RECT *cell)
{
    HWND header = (HWND)lv(g, LVM_GETHEADER, 0, 0);
    int columns = header ? (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)
                         : 0;
    int left = 0;
    for (int o = 0; o < columns; o++) {
        int index = (int)SendMessageA(header, HDM_ORDERTOINDEX, o, 0);
        if (index == sub)
            break;
        left += (int)lv(g, LVM_GETCOLUMNWIDTH, index, 0);
    }
    int width = (int)lv(g, LVM_GETCOLUMNWIDTH, sub, 0);
    RECT client, row;
    GetClientRect(g->hWnd, &client);
    lv(g, LVM_ENSUREVISIBLE, item, FALSE);
    row.left = LVIR_BOUNDS;
    if (!lv(g, LVM_GETITEMRECT, item, (LPARAM)&row))
        return FALSE;
    int x = row.left + left;
    if (x < client.left || x + width > client.right) {
        /* The scroll may stop short at either end, so the row is read
         * again rather than shifted by what was asked. */
        lv(g, LVM_SCROLL, x - client.left, 0);
        row.left = LVIR_BOUNDS;
        if (!lv(g, LVM_GETITEMRECT, item, (LPARAM)&row))
            return FALSE;
        x = row.left + left;
    }
    RECT r = {x, row.top, x + width, row.bottom};
    return IntersectRect(cell, &r, &client);
}

/* The editor's window procedure is put back and the editor goes; a
 * second close finds nothing. */
static void editor_Close(const Gadget *g)
{
    ListData *d = list_Data(g);
    HWND ed = d->editWnd;
    if (!ed)
        return;
    d->editWnd = NULL;
    SetWindowLongPtrA(ed, GWLP_WNDPROC, (LONG_PTR)d->editOldProc);
    DestroyWindow(ed);
}

/* The editor's start: the column's limit, which the buffer bounds, the
 * cell's text, all of it selected, and the focus. */
static void editor_Start(HWND ed, const Gadget *g)
{
    ListData *d = list_Data(g);
    SetWindowLongPtrA(ed, GWLP_ID, EDIT_COMMIT);
    const GlistColumn *c = column_At(g, d->editSubItem);
    int limit = c ? c->maxChars : 0;
    if (limit <= 0 || limit > GLIST_TEXT_MAX - 1)
        limit = GLIST_TEXT_MAX - 1;
    SendMessageA(ed, EM_LIMITTEXT, limit, 0);
    char text[GLIST_TEXT_MAX] = "";
    LVITEMA it = {};
    it.iSubItem = d->editSubItem;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    lv(g, LVM_GETITEMTEXTA, d->editItem, (LPARAM)&it);
    text[sizeof text - 1] = 0;
    SetWindowTextA(ed, text);
    SetFocus(ed);
    SendMessageA(ed, EM_SETSEL, 0, -1);
}

/* The editor lost the focus: a commit stores its text in the cell and
 * tells the client.  An editor left unchanged stores nothing, so a cell
 * longer than the editor holds keeps its whole text. */
static void editor_End(HWND ed, const Gadget *g)
{
    ListData *d = list_Data(g);
    int item = d->editItem, sub = d->editSubItem;
    BOOL commit = GetWindowLongPtrA(ed, GWLP_ID) == EDIT_COMMIT;
    if (commit && SendMessageA(ed, EM_GETMODIFY, 0, 0)) {
        char text[GLIST_TEXT_MAX];
        GetWindowTextA(ed, text, sizeof text);
        LVITEMA it = {};
        it.iSubItem = sub;
        it.pszText = text;
        lv(g, LVM_SETITEMTEXTA, item, (LPARAM)&it);
    }
    editor_Close(g);
    if (commit)
        list_Tell(g, GLN_EDITED, MAKELPARAM(item, sub));
}

static LRESULT CALLBACK editor_Proc(HWND ed, UINT msg, WPARAM wParam,
                                    LPARAM lParam)
{
    const Gadget *g = (const Gadget *)GetWindowLongPtrA(ed, GWLP_USERDATA);
    WNDPROC old = list_Data(g)->editOldProc;
    switch (msg) {
    case WM_SETFONT: {
        LRESULT r = CallWindowProcA(old, ed, msg, wParam, lParam);
        editor_Start(ed, g);
        return r;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            SetWindowLongPtrA(ed, GWLP_ID, EDIT_CANCEL);
        if (wParam == VK_ESCAPE || wParam == VK_RETURN || wParam == VK_TAB) {
            SetFocus(g->hWnd);
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS |
               DLGC_HASSETSEL | DLGC_WANTCHARS;
    case WM_KILLFOCUS: {
        LRESULT r = CallWindowProcA(old, ed, msg, wParam, lParam);
        editor_End(ed, g);
        return r;
    }
    }
    return CallWindowProcA(old, ed, msg, wParam, lParam);
}

/* An editor over the cell, in the column's alignment; its font is the
 * signal that starts it (editor_Start). */
static void editor_Open(Gadget *g, int item, int sub)
{
    ListData *d = list_Data(g);
    const GlistColumn *c = column_At(g, sub);
    RECT r;
    if (d->editWnd || !c || !cell_Rect(g, item, sub, &r))
        return;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (c->format == LVCFMT_RIGHT)
        style |= ES_RIGHT;
    else if (c->format == LVCFMT_CENTER)
        style |= ES_CENTER;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_CLIENTEDGE);
    HWND ed = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, r.left,
                              r.top, r.right - r.left, r.bottom - r.top,
                              g->hWnd, (HMENU)(INT_PTR)EDIT_ID, kk_Module(),
                              NULL);
    if (!ed)
        return;
    d->editItem = item;
    d->editSubItem = sub;
    d->editWnd = ed;
    SetWindowLongPtrA(ed, GWLP_USERDATA, (LONG_PTR)g);
    d->editOldProc =
        (WNDPROC)SetWindowLongPtrA(ed, GWLP_WNDPROC, (LONG_PTR)editor_Proc);
    SendMessageA(ed, WM_SETFONT, (WPARAM)dlg_GetDefObject(DEF_FONT13), TRUE);
}

/* ---- Notifications from the list view ---- */

/* The item and column under the mouse; item -1 on no item. */
static int list_HitTest(const Gadget *g, int *sub)
{
    LVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(g->hWnd, &hit.pt);
    int item = (int)lv(g, LVM_SUBITEMHITTEST, 0, (LPARAM)&hit);
    if (sub)
        *sub = hit.iSubItem;
    return item >= 0 && (hit.flags & LVHT_ONITEM) ? item : -1;
}

static void on_ItemChanged(Gadget *g, const NMLISTVIEW *nm)
{
    ListData *d = list_Data(g);
    if (nm->iItem == -1 || !(nm->uNewState & LVIS_FOCUSED) ||
        nm->iItem == d->current)
        return;
    d->current = nm->iItem;
    list_Tell(g, GLN_CURRENT, nm->iItem);
    d->clicks = 0;
}

static void on_Key(Gadget *g, WORD key)
{
    ListData *d = list_Data(g);
    if (key == VK_SPACE) {
        d->marked = d->current;
        list_Tell(g, GLN_MARKED, d->current);
    } else if (key == 'A' && GetAsyncKeyState(VK_CONTROL) < 0) {
        item_State(g, -1, LVIS_SELECTED, TRUE);
    } else if (key == VK_DELETE) {
        glist_Delete(g);
    } else {
        list_Tell(g, GLN_KEY, key);
    }
}

/* The second single click on the current item opens its cell when the
 * column is editable. */
static void on_Click(Gadget *g, int item, int sub)
{
    ListData *d = list_Data(g);
    if (++d->clicks != 2) {
        list_Tell(g, GLN_CURRENT, item);
        d->current = item;
        return;
    }
    d->clicks = 0;
    lv(g, LVM_ENSUREVISIBLE, item, FALSE);
    const GlistColumn *c = column_At(g, sub);
    if (c && c->editable == 1)
        editor_Open(g, item, sub);
}

/* Without full-row selection the list view takes a click on a cell
 * right of the first column for a click on no item: the item is focused
 * and selected here, as a click on its first cell does it. */
static void item_Pick(const Gadget *g, int item)
{
    LVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(g->hWnd, &hit.pt);
    if (lv(g, LVM_HITTEST, 0, (LPARAM)&hit) >= 0)
        return;
    item_State(g, item, LVIS_FOCUSED, TRUE);
    item_State(g, item, LVIS_SELECTED, TRUE);
}

/* A click (or double click) on no item: the current item stays
 * selected. */
static void on_Mouse(Gadget *g, UINT code)
{
    ListData *d = list_Data(g);
    int sub = 0, item = list_HitTest(g, &sub);
    if (item >= 0)
        item_Pick(g, item);
    if (item < 0) {
        item_State(g, d->current, LVIS_SELECTED, TRUE);
        item_State(g, d->current, LVIS_FOCUSED, TRUE);
    } else if (code == (UINT)NM_DBLCLK) {
        /* A double click is no pair of single clicks for the editor. */
        d->clicks = 0;
        d->marked = item;
        list_Tell(g, GLN_MARKED, item);
    } else {
        on_Click(g, item, sub);
    }
}

int glist_Notify(Gadget *list, NMHDR *header)
{
    switch (header->code) {
    case LVN_ITEMCHANGED:
        on_ItemChanged(list, (const NMLISTVIEW *)header);
        return 1;
    case LVN_KEYDOWN:
        on_Key(list, ((const NMLVKEYDOWN *)header)->wVKey);
        return 1;
    case NM_RCLICK: {
        int item = list_HitTest(list, NULL);
        if (item >= 0)
            list_Tell(list, GLN_RCLICK, item);
        return 1;
    }
    case NM_CLICK:
    case NM_DBLCLK:
        on_Mouse(list, header->code);
        return 1;
    }
    return 0;
}

/* The release: the user's column widths go back into the client's table,
 * once (a gadget freed before its dialog ends is released twice, and the
 * client may let its table go in between); an open editor goes unsaved. */
static uint32_t KKAPI list_Free(Gadget *g)
{
    ListData *d = list_Data(g);
    int i = 0;
    for (GlistColumn *c = d->columns; c && c->title; c++, i++) {
        LVCOLUMNA col = {};
        col.mask = LVCF_WIDTH;
        if (lv(g, LVM_GETCOLUMNA, i, (LPARAM)&col))
            c->width = col.cx;
    }
    d->columns = NULL;
    editor_Close(g);
    return 0;
}

/* ---- Exports ---- */

extern "C" Gadget *KKAPI glist_Create(HWND hDlg, int id, uint32_t flags,
                                      GlistColumn *columns)
{
    static const GadOps ops = {
        list_Free, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
    };
    Gadget *g = gad_Become(hDlg, id, GAD_LIST, flags, &ops);
    if (!g)
        return NULL;
    list_Data(g)->columns = columns;
    int n = 1;
    for (GlistColumn *c = columns; c && c->title; c++, n++) {
        LVCOLUMNA col = {};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = c->format;
        col.cx = c->width;
        col.pszText = (char *)c->title;
        col.iSubItem = n;
        lv(g, LVM_INSERTCOLUMNA, n, (LPARAM)&col);
    }
    glist_SetSel(g, 0);
    return g;
}

extern "C" void KKAPI glist_SetSel(Gadget *list, int item)
{
    if (!list)
        return;
    ListData *d = list_Data(list);
    d->current = d->marked = item;
    item_State(list, item, LVIS_FOCUSED, TRUE);
    item_State(list, item, LVIS_SELECTED, TRUE);
    lv(list, LVM_ENSUREVISIBLE, item, FALSE);
    list_Tell(list, GLN_CURRENT, item);
}

extern "C" int KKAPI glist_GetSel(const Gadget *list)
{
    return list ? list_Data(list)->current : -1;
}

extern "C" int KKAPI glist_EnumSelected(Gadget *list)
{
    if (!list)
        return 0;
    int i = 0;
    for (; i < list_Count(list); i++)
        if (item_Selected(list, i))
            list_Tell(list, GLN_SELECTED, i);
    return list_Count(list);
}

/* With nothing selected there is nothing to move. */
extern "C" void KKAPI glist_MoveUp(Gadget *list)
{
    if (!list)
        return;
    int first = (int)lv(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (first <= 0)
        return;
    lv(list, LVM_ENSUREVISIBLE, first - 1, FALSE);
    int count = list_Count(list);
    int32_t cur = list_Data(list)->current;
    list_Hold(list, TRUE);
    for (int i = first; i < count; i++)
        if (item_Selected(list, i))
            item_Move(list, i, -1, &cur);
    list_Hold(list, FALSE);
    moves_End(list, cur);
}

extern "C" void KKAPI glist_MoveDown(Gadget *list)
{
    if (!list)
        return;
    int count = list_Count(list), last = count - 1;
    while (last >= 0 && !item_Selected(list, last))
        last--;
    if (last < 0 || last == count - 1)
        return;
    lv(list, LVM_ENSUREVISIBLE, last + 1, FALSE);
    int32_t cur = list_Data(list)->current;
    list_Hold(list, TRUE);
    for (int i = last; i >= 0; i--)
        if (item_Selected(list, i))
            item_Move(list, i, 1, &cur);
    list_Hold(list, FALSE);
    moves_End(list, cur);
}

/* A refresh goes only to positions that still hold an item. */
extern "C" void KKAPI glist_Delete(Gadget *list)
{
    if (!list)
        return;
    ListData *d = list_Data(list);
    int count = list_Count(list);
    BOOL markedGone = FALSE;
    list_Hold(list, TRUE);
    for (int i = 0; i < count; i++) {
        markedGone |= deletes_At(list, i, &count);
        if (i < count)
            list_Tell(list, GLN_REFRESH, i);
    }
    list_Hold(list, FALSE);
    if (d->current >= count)
        d->current = count - 1;
    list_Tell(list, GLN_COUNT, count);
    if (d->marked >= count) {
        d->marked = count - 1;
        list_Tell(list, GLN_MARKED, d->marked);
    }
    if (markedGone)
        list_Tell(list, GLN_MARKED, d->marked);
    current_Show(list);
    list_Tell(list, GLN_CURRENT, d->current);
}
