/* List_win_test.cpp -- the list under Wine: a list view in a dialog run
 * by the library, its GM_LIST notifications recorded by a handler row
 * ("GLN_SWAP 1": code and lParam) and compared whole with each row's
 * sequence; moves, deletion and the enumeration called directly; keys,
 * clicks, the in-place editor and the column widths driven by the real
 * mouse and keyboard (SendInput), the cells' texts read back. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_LIST = 401, ID_PLAIN = 402, ITEMS = 5 };

const char *gln_Name(int code)
{
    switch (code) {
    case GLN_CURRENT:  return "GLN_CURRENT";
    case GLN_MARKED:   return "GLN_MARKED";
    case GLN_REFRESH:  return "GLN_REFRESH";
    case GLN_SELECTED: return "GLN_SELECTED";
    case GLN_EDITED:   return "GLN_EDITED";
    case GLN_SWAP:     return "GLN_SWAP";
    case GLN_DELETED:  return "GLN_DELETED";
    case GLN_COUNT:    return "GLN_COUNT";
    case GLN_RCLICK:   return "GLN_RCLICK";
    case GLN_KEY:      return "GLN_KEY";
    }
    return "GLN_?";
}

/* "GLN_SWAP 1"; an edit as "GLN_EDITED item sub"; another control's
 * identifier in front ("402 GLN_..."). */
INT_PTR KKAPI note_List(HWND, WPARAM wParam, LPARAM lParam, int, LPARAM)
{
    char s[80];
    int code = GLN_CODE(wParam);
    const char *id = LOWORD(wParam) == ID_LIST ? "" : "? ";
    if (code == GLN_EDITED)
        snprintf(s, sizeof s, "%s%s %d %d", id, gln_Name(code),
                 (int)LOWORD(lParam), (int)HIWORD(lParam));
    else
        snprintf(s, sizeof s, "%s%s %d", id, gln_Name(code), (int)lParam);
    kk_Notes().push_back(s);
    return DLG_HANDLED;
}

/* Counts the list views' LVN_ITEMCHANGED that reach the table. */
int TableChanges;

INT_PTR KKAPI note_Notify(HWND, WPARAM, LPARAM lParam, int, LPARAM)
{
    if (((const NMHDR *)lParam)->code == (UINT)LVN_ITEMCHANGED)
        TableChanges++;
    return 0;
}

const DlgHandler listTable[] = {
    {GM_LIST, ID_LIST, note_List, 0},
    {GM_LIST, 0, note_List, 0},
    {WM_NOTIFY, 0, note_Notify, 0},
    {0, 0, NULL, 0},
};

typedef std::vector<std::string> Lines;
const Lines NONE;

/* ---- Real input ----
 * SendInput, then this thread's queue run, input included and translated
 * (so keys type characters), until it has stayed empty a moment. */
void input_Run(void)
{
    for (int quiet = 0, rounds = 0; quiet < 4 && rounds < 300; rounds++) {
        MSG m;
        bool any = false;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
            any = true;
        }
        quiet = any ? 0 : quiet + 1;
        Sleep(10);
    }
}

/* A mouse event at (x, y) of w's client area with flags (a button). */
INPUT mouse_Event(HWND w, int x, int y, DWORD flags)
{
    POINT p = {x, y};
    ClientToScreen(w, &p);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (LONG)(((LONGLONG)p.x * 65536 + sw - 1) / sw);
    in.mi.dy = (LONG)(((LONGLONG)p.y * 65536 + sh - 1) / sh);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return in;
}

void mouse_At(HWND w, int x, int y, DWORD flags)
{
    INPUT in = mouse_Event(w, x, y, flags);
    SendInput(1, &in, sizeof in);
    input_Run();
}

/* Move, press and release in one go: the list view watches for the
 * release in a loop of its own from the press on, so the release must be
 * in the queue before the press is handled. */
void click_At(HWND w, int x, int y, bool right = false)
{
    INPUT in[3] = {
        mouse_Event(w, x, y, 0),
        mouse_Event(w, x, y,
                    right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN),
        mouse_Event(w, x, y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP),
    };
    SendInput(3, in, sizeof in[0]);
    input_Run();
}

void key(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
    input_Run();
}

void tap(WORD vk)
{
    key(vk, false);
    key(vk, true);
}

/* Lower-case letters and digits, typed. */
void type(const char *s)
{
    for (; *s; s++)
        tap((WORD)(VkKeyScanA(*s) & 0xFF));
}

/* Long enough apart that two clicks are two single clicks. */
void click_Pause(void)
{
    Sleep(GetDoubleClickTime() + 100);
}

/* A dialog with the list view (and a plain one), a column table, five
 * items "item N" with cells "N.1" and "N.2", item 0 current. */
struct Rig {
    GadgetDialog d;
    Gadget *g = NULL;
    HWND list = NULL;
    GlistColumn cols[4] = {
        {"Name", LVCFMT_LEFT, 1, 20, 90},
        {"Size", LVCFMT_RIGHT, 1, 0, 70},
        {"Kind", LVCFMT_LEFT, 0, 0, 70},
        {NULL, 0, 0, 0, 0},
    };

    explicit Rig(int items = ITEMS, DWORD style = 0)
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        d.t.custom(WC_LISTVIEWA,
                   LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP |
                       style,
                   ID_LIST, 5, 5, 160, 120, "");
        d.t.custom(WC_LISTVIEWA, LVS_REPORT, ID_PLAIN, 5, 130, 100, 40, "");
        if (!d.start(listTable))
            return;
        list = d.ctl(ID_LIST);
        g = glist_Create(d.dlg, ID_LIST, 0x55, cols);
        for (int i = 0; i < items; i++)
            add(i);
        glist_SetSel(g, 0);
        d.notes();
    }
    void add(int i)
    {
        char t[32];
        snprintf(t, sizeof t, "item %d", i);
        LVITEMA it = {};
        it.mask = LVIF_TEXT;
        it.iItem = i;
        it.pszText = t;
        SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&it);
        for (int s = 1; s < 3; s++) {
            snprintf(t, sizeof t, "%d.%d", i, s);
            set(i, s, t);
        }
    }
    void set(int item, int sub, const char *text)
    {
        LVITEMA it = {};
        it.iSubItem = sub;
        it.pszText = (char *)text;
        SendMessageA(list, LVM_SETITEMTEXTA, item, (LPARAM)&it);
    }
    std::string text(int item, int sub) const
    {
        static char buf[4096];
        buf[0] = 0;
        LVITEMA it = {};
        it.iSubItem = sub;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(list, LVM_GETITEMTEXTA, item, (LPARAM)&it);
        return buf;
    }
    int count() const { return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); }
    std::set<int> selected() const
    {
        std::set<int> s;
        for (int i = 0; i < count(); i++)
            if (SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_SELECTED))
                s.insert(i);
        return s;
    }
    void state(int item, UINT bits, bool on)
    {
        LVITEMA it = {};
        it.stateMask = bits;
        it.state = on ? bits : 0;
        SendMessageA(list, LVM_SETITEMSTATE, item, (LPARAM)&it);
    }
    /* current and marked as given, exactly sel selected, nothing told. */
    void pick(int current, int marked, const std::set<int> &sel)
    {
        glist_SetSel(g, marked);
        state(current, LVIS_FOCUSED, true);   /* the user's focus */
        state(-1, LVIS_SELECTED, false);
        for (int i : sel)
            state(i, LVIS_SELECTED, true);
        d.notes();
    }
    int current() const { return (int)g->priv[0]; }
    int marked() const { return (int)g->priv[1]; }
    /* The middle of cell (item, sub) in the list's client coordinates. */
    POINT cell(int item, int sub) const
    {
        RECT r = {};
        r.top = sub;
        r.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETSUBITEMRECT, item, (LPARAM)&r);
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        if (sub == 0)   /* the label's rectangle of column 0 */
            p.x = r.left + 10;
        return p;
    }
    void raise() const
    {
        for (int i = 0; i < 200 && GetForegroundWindow() != d.dlg; i++) {
            SetForegroundWindow(d.dlg);
            input_Run();
        }
        SetFocus(list);
    }
    HWND editor() const { return FindWindowExA(list, NULL, "Edit", NULL); }
    /* Two single clicks on the cell: the first makes its item current, the
     * second opens the editor on an editable column.  The notes of both
     * are dropped. */
    void open(int item, int sub)
    {
        raise();
        POINT p = cell(item, sub);
        click_At(list, p.x, p.y);
        click_Pause();
        p = cell(item, sub);
        click_At(list, p.x, p.y);
        d.notes();
    }
};

std::string sel_Text(const std::set<int> &s)
{
    std::string t;
    for (int i : s)
        t += std::to_string(i) + " ";
    return t;
}

}  // namespace

/* ---- Creation ---- */

/* A new list: its kind and flags, only a release, one list-view column
 * per table row with its format, width, title and sub-item number 1, 2,
 * ...; item 0 current and marked, focused and selected, and told.  A
 * missing control gives none; a null list is ignored. */
TEST(KnobkitListCreate, ColumnsAndFirstItem)
{
    Rig r(0);
    ASSERT_TRUE(r.g != NULL);
    EXPECT_EQ((uint32_t)GAD_LIST, r.g->kind);
    EXPECT_EQ(0x55u, r.g->flags);
    EXPECT_TRUE(r.g->FreeProc != NULL);
    EXPECT_TRUE(!r.g->DrawProc && !r.g->HitProc && !r.g->KnobHitProc &&
                !r.g->ClickProc && !r.g->PressProc && !r.g->DragProc &&
                !r.g->ReleaseProc && !r.g->TimerProc && !r.g->WheelProc);
    for (int i = 0; i < 3; i++) {
        char title[32] = "";
        LVCOLUMNA c = {};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.pszText = title;
        c.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(r.list, LVM_GETCOLUMNA, i, (LPARAM)&c))
            << "column " << i;
        EXPECT_STREQ(r.cols[i].title, title) << "column " << i;
        EXPECT_EQ(r.cols[i].format, c.fmt & LVCFMT_JUSTIFYMASK) << "column " << i;
        EXPECT_EQ(r.cols[i].width, c.cx) << "column " << i;
        EXPECT_EQ(i + 1, c.iSubItem) << "column " << i;
    }
    LVCOLUMNA none = {};
    none.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageA(r.list, LVM_GETCOLUMNA, 3, (LPARAM)&none));

    /* Items there before the list was made: item 0 focused and
     * selected, GLN_CURRENT 0 sent during the call. */
    r.add(0);
    r.add(1);
    GlistColumn cols[] = {{"One", 0, 0, 0, 50}, {NULL, 0, 0, 0, 0}};
    kk_Notes().clear();
    Gadget *again = glist_Create(r.d.dlg, ID_LIST, 0, cols);
    ASSERT_TRUE(again == r.g);
    EXPECT_LINES(kk_Notes(), Lines{"GLN_CURRENT 0"}, "create");
    kk_Notes().clear();
    EXPECT_EQ((LRESULT)(LVIS_FOCUSED | LVIS_SELECTED),
              SendMessageA(r.list, LVM_GETITEMSTATE, 0,
                           LVIS_FOCUSED | LVIS_SELECTED));
    EXPECT_EQ(0, glist_GetSel(r.g));
    EXPECT_EQ(0, r.marked());

    EXPECT_TRUE(glist_Create(r.d.dlg, 999, 0, cols) == NULL);
    EXPECT_EQ(-1, glist_GetSel(NULL));
    EXPECT_EQ(0, glist_EnumSelected(NULL));
    glist_SetSel(NULL, 1);
    glist_MoveUp(NULL);
    glist_MoveDown(NULL);
    glist_Delete(NULL);
}

/* glist_SetSel: current and marked, focus, selection, GLN_CURRENT. */
TEST(KnobkitListCreate, SetSelFocusesAndTells)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    glist_SetSel(r.g, 3);
    EXPECT_NOTES(r.d, Lines{"GLN_CURRENT 3"}, "set 3");
    EXPECT_EQ(3, glist_GetSel(r.g));
    EXPECT_EQ(3, r.marked());
    EXPECT_EQ(3, (int)SendMessageA(r.list, LVM_GETNEXTITEM, (WPARAM)-1,
                                   LVNI_FOCUSED));
    EXPECT_TRUE(r.selected().count(3));
}

/* ---- Moves ---- */

/* Each row: current, marked and the selection before; the call; what
 * was told, the selection, current and marked after.  The current and
 * the marked item follow their items through the exchanges. */
TEST(KnobkitListMove, SequencesBySelection)
{
    struct Case {
        const char *name;
        bool up;
        int current, marked;
        std::set<int> sel;
        Lines want;
        std::set<int> after;
        int currentAfter, markedAfter;
    };
    const Case cases[] = {
        {"up, items 2 and 3", true, 2, 2, {2, 3},
         {"GLN_SWAP 1", "GLN_REFRESH 1", "GLN_REFRESH 2", "GLN_SWAP 2",
          "GLN_REFRESH 2", "GLN_REFRESH 3"},
         {1, 2}, 1, 1},
        {"up, items 1 and 3, marked 0", true, 3, 0, {1, 3},
         {"GLN_SWAP 0", "GLN_REFRESH 0", "GLN_REFRESH 1", "GLN_SWAP 2",
          "GLN_REFRESH 2", "GLN_REFRESH 3"},
         {0, 2}, 2, 1},
        {"up, item 0 among them", true, 2, 2, {0, 2}, NONE, {0, 2}, 2, 2},
        {"up, nothing selected", true, 2, 2, {}, NONE, {}, 2, 2},
        {"up, item 3 under the current 2", true, 2, 4, {3},
         {"GLN_SWAP 2", "GLN_REFRESH 2", "GLN_REFRESH 3"}, {2}, 3, 4},
        {"down, items 1 and 2", false, 1, 1, {1, 2},
         {"GLN_SWAP 2", "GLN_REFRESH 2", "GLN_REFRESH 3", "GLN_SWAP 1",
          "GLN_REFRESH 1", "GLN_REFRESH 2"},
         {2, 3}, 2, 2},
        {"down, items 0 and 2", false, 0, 3, {0, 2},
         {"GLN_SWAP 2", "GLN_REFRESH 2", "GLN_REFRESH 3", "GLN_SWAP 0",
          "GLN_REFRESH 0", "GLN_REFRESH 1"},
         {1, 3}, 1, 2},
        {"down, the last item among them", false, 2, 2, {2, 4}, NONE,
         {2, 4}, 2, 2},
        {"down, nothing selected", false, 1, 1, {}, NONE, {}, 1, 1},
    };
    for (const Case &c : cases) {
        Rig r;
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        r.pick(c.current, c.marked, c.sel);
        ASSERT_EQ(c.current, r.current()) << "row " << c.name;
        if (c.up)
            glist_MoveUp(r.g);
        else
            glist_MoveDown(r.g);
        EXPECT_NOTES(r.d, c.want, c.name);
        EXPECT_EQ(sel_Text(c.after), sel_Text(r.selected())) << "row " << c.name;
        EXPECT_EQ(c.currentAfter, glist_GetSel(r.g)) << "row " << c.name;
        EXPECT_EQ(c.markedAfter, r.marked()) << "row " << c.name;
        if (c.want.empty())
            continue;
        EXPECT_EQ(c.currentAfter,
                  (int)SendMessageA(r.list, LVM_GETNEXTITEM, (WPARAM)-1,
                                    LVNI_FOCUSED))
            << "row " << c.name;
        EXPECT_EQ(c.currentAfter,
                  (int)SendMessageA(r.list, LVM_GETSELECTIONMARK, 0, 0))
            << "row " << c.name;
    }
}

/* ---- Deletion ---- */

TEST(KnobkitListDelete, SequencesBySelection)
{
    struct Case {
        const char *name;
        int current, marked;
        std::set<int> sel;
        Lines want;
        Lines left;   /* the items' texts after */
        int currentAfter, markedAfter;
    };
    const Case cases[] = {
        {"items 1 and 2 of 5, current 4", 4, 4, {1, 2},
         {"GLN_REFRESH 0", "GLN_DELETED 1", "GLN_DELETED 1", "GLN_REFRESH 1",
          "GLN_REFRESH 2", "GLN_COUNT 3", "GLN_CURRENT 2"},
         {"item 0", "item 3", "item 4"}, 2, 2},
        {"the last item, marked and current", 4, 4, {4},
         {"GLN_REFRESH 0", "GLN_REFRESH 1", "GLN_REFRESH 2", "GLN_REFRESH 3",
          "GLN_DELETED 4", "GLN_COUNT 4", "GLN_MARKED 3", "GLN_MARKED 3",
          "GLN_CURRENT 3"},
         {"item 0", "item 1", "item 2", "item 3"}, 3, 3},
        {"the marked item 1 in the middle", 3, 1, {1},
         {"GLN_REFRESH 0", "GLN_DELETED 1", "GLN_REFRESH 1", "GLN_REFRESH 2",
          "GLN_REFRESH 3", "GLN_COUNT 4", "GLN_MARKED 1", "GLN_CURRENT 3"},
         {"item 0", "item 2", "item 3", "item 4"}, 3, 1},
        {"all of them", 0, 0, {0, 1, 2, 3, 4},
         {"GLN_DELETED 0", "GLN_DELETED 0", "GLN_DELETED 0", "GLN_DELETED 0",
          "GLN_DELETED 0", "GLN_COUNT 0", "GLN_MARKED -1", "GLN_MARKED -1",
          "GLN_CURRENT -1"},
         {}, -1, -1},
        {"nothing", 2, 1, {},
         {"GLN_REFRESH 0", "GLN_REFRESH 1", "GLN_REFRESH 2", "GLN_REFRESH 3",
          "GLN_REFRESH 4", "GLN_COUNT 5", "GLN_CURRENT 2"},
         {"item 0", "item 1", "item 2", "item 3", "item 4"}, 2, 1},
    };
    for (const Case &c : cases) {
        Rig r;
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        r.pick(c.current, c.marked, c.sel);
        glist_Delete(r.g);
        EXPECT_NOTES(r.d, c.want, c.name);
        Lines left;
        for (int i = 0; i < r.count(); i++)
            left.push_back(r.text(i, 0));
        EXPECT_LINES(left, c.left, c.name);
        EXPECT_EQ(c.currentAfter, glist_GetSel(r.g)) << "row " << c.name;
        EXPECT_EQ(c.markedAfter, r.marked()) << "row " << c.name;
        if (c.currentAfter >= 0) {
            EXPECT_EQ(sel_Text({c.currentAfter}), sel_Text(r.selected()))
                << "row " << c.name;
        }
    }
}

/* GLN_SELECTED for each selected item in order; the item count. */
TEST(KnobkitListDelete, EnumSelected)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    r.pick(0, 0, {1, 3, 4});
    EXPECT_EQ(ITEMS, glist_EnumSelected(r.g));
    EXPECT_NOTES(r.d, (Lines{"GLN_SELECTED 1", "GLN_SELECTED 3",
                             "GLN_SELECTED 4"}),
                 "1, 3 and 4");
    r.pick(0, 0, {});
    EXPECT_EQ(ITEMS, glist_EnumSelected(r.g));
    EXPECT_NOTES(r.d, NONE, "none");
}

/* ---- The dialog's routing ---- */

/* A list gadget's notifications still reach the table; a list view
 * that is no gadget sends no GM_LIST. */
TEST(KnobkitListRouting, GadgetAndPlainListView)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    LVITEMA it = {};
    it.mask = LVIF_TEXT;
    it.pszText = (char *)"plain";
    HWND plain = r.d.ctl(ID_PLAIN);
    SendMessageA(plain, LVM_INSERTITEMA, 0, (LPARAM)&it);
    SendMessageA(plain, LVM_INSERTITEMA, 0, (LPARAM)&it);
    TableChanges = 0;
    LVITEMA st = {};
    st.stateMask = st.state = LVIS_FOCUSED;
    SendMessageA(plain, LVM_SETITEMSTATE, 1, (LPARAM)&st);
    EXPECT_NOTES(r.d, NONE, "plain list view");
    EXPECT_GE(TableChanges, 1);
    TableChanges = 0;
    r.state(2, LVIS_FOCUSED, true);
    EXPECT_NOTES(r.d, Lines{"GLN_CURRENT 2"}, "the gadget");
    EXPECT_GE(TableChanges, 1);
    EXPECT_EQ(2, glist_GetSel(r.g));
}

/* ---- Keys (real input) ---- */

/* Each row: the selection before (current 2, marked 0), keys pressed in
 * the focused list, what was told, the selection and marked after. */
TEST(KnobkitListKeys, SpaceCtrlADeleteAndOthers)
{
    struct Case {
        const char *name;
        std::vector<std::pair<WORD, bool>> keys;   /* key, up */
        Lines want;
        std::set<int> after;
        int markedAfter;
    };
    const Case cases[] = {
        {"Space", {{VK_SPACE, false}, {VK_SPACE, true}}, {"GLN_MARKED 2"},
         {2}, 2},
        {"Ctrl+A",
         {{VK_CONTROL, false}, {'A', false}, {'A', true}, {VK_CONTROL, true}},
         {"GLN_KEY 17"}, {0, 1, 2, 3, 4}, 0},
        {"plain A", {{'A', false}, {'A', true}}, {"GLN_KEY 65"}, {2}, 0},
        {"F5", {{VK_F5, false}, {VK_F5, true}}, {"GLN_KEY 116"}, {2}, 0},
        {"Delete",
         {{VK_DELETE, false}, {VK_DELETE, true}},
         {"GLN_REFRESH 0", "GLN_REFRESH 1", "GLN_DELETED 2", "GLN_REFRESH 2",
          "GLN_REFRESH 3", "GLN_COUNT 4", "GLN_CURRENT 2"},
         {2}, 0},
    };
    for (const Case &c : cases) {
        Rig r;
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        r.pick(2, 0, {2});
        r.raise();
        ASSERT_EQ(r.list, GetFocus()) << "row " << c.name;
        for (const auto &k : c.keys)
            key(k.first, k.second);
        EXPECT_NOTES(r.d, c.want, c.name);
        EXPECT_EQ(sel_Text(c.after), sel_Text(r.selected())) << "row " << c.name;
        EXPECT_EQ(c.markedAfter, r.marked()) << "row " << c.name;
    }
}

/* ---- Clicks (real input) ---- */

/* A right click reports its item; a double click marks it; a click below
 * the items keeps the current item selected. */
TEST(KnobkitListClicks, RightDoubleAndEmpty)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    r.raise();
    POINT p = r.cell(3, 0);
    click_At(r.list, p.x, p.y, true);
    Lines got = r.d.notes();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ("GLN_RCLICK 3", got.back()) << kk_Lines(got);
    click_Pause();

    p = r.cell(1, 1);
    click_At(r.list, p.x, p.y);
    click_At(r.list, p.x, p.y);
    got = r.d.notes();
    int marks = 0;
    for (const std::string &s : got)
        marks += s == "GLN_MARKED 1";
    EXPECT_EQ(1, marks) << kk_Lines(got);
    EXPECT_EQ(1, r.marked());
    EXPECT_EQ(1, glist_GetSel(r.g));
    EXPECT_TRUE(r.editor() == NULL) << "a double click opens no editor";
    click_Pause();

    RECT c;
    GetClientRect(r.list, &c);
    click_At(r.list, 20, c.bottom - 5);
    EXPECT_EQ("1 ", sel_Text(r.selected()));
    EXPECT_EQ(1, (int)SendMessageA(r.list, LVM_GETNEXTITEM, (WPARAM)-1,
                                   LVNI_FOCUSED));
}

/* A first click on another item makes it current (told by the focus and
 * by the click); a second single click opens an editable cell. */
TEST(KnobkitListClicks, SecondClickOpensTheEditor)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    r.raise();
    POINT p = r.cell(2, 0);
    click_At(r.list, p.x, p.y);
    EXPECT_NOTES(r.d, (Lines{"GLN_CURRENT 2", "GLN_CURRENT 2"}), "first click");
    EXPECT_TRUE(r.editor() == NULL);
    click_Pause();
    click_At(r.list, p.x, p.y);
    EXPECT_NOTES(r.d, NONE, "second click");
    HWND ed = r.editor();
    ASSERT_TRUE(ed != NULL);
    char text[64] = "";
    GetWindowTextA(ed, text, sizeof text);
    EXPECT_STREQ("item 2", text);
    DWORD from = 1, to = 0;
    SendMessageA(ed, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
    EXPECT_EQ(0u, from);
    EXPECT_EQ(6u, to);
    EXPECT_EQ(ed, GetFocus());
    EXPECT_EQ(0, GetDlgCtrlID(ed));
    EXPECT_EQ(20u, (unsigned)SendMessageA(ed, EM_GETLIMITTEXT, 0, 0));
    EXPECT_TRUE(GetWindowLongA(ed, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ((LRESULT)dlg_GetDefObject(DEF_FONT13),
              SendMessageA(ed, WM_GETFONT, 0, 0));
    EXPECT_EQ(143, (int)SendMessageA(ed, WM_GETDLGCODE, 0, 0));
}

/* ---- The in-place editor (real input) ---- */

/* Each row: the cell, what is typed, how the edit ends; the cell's text
 * after and what was told. */
TEST(KnobkitListEdit, CommitAndCancel)
{
    enum End { RETURN, TAB, ESCAPE, CLICK };
    struct Case {
        const char *name;
        int item, sub;
        const char *typed;
        End end;
        const char *after;
        Lines want;
    };
    const Case cases[] = {
        {"Return commits", 2, 0, "xyz", RETURN, "xyz", {"GLN_EDITED 2 0"}},
        {"Tab commits, right-aligned", 3, 1, "77", TAB, "77",
         {"GLN_EDITED 3 1"}},
        {"Escape cancels", 2, 0, "xyz", ESCAPE, "item 2", NONE},
        {"a click elsewhere commits", 1, 1, "42", CLICK, "42",
         {"GLN_EDITED 1 1", "GLN_CURRENT 4", "GLN_CURRENT 4"}},
        {"the column's limit of 20", 0, 0, "abcdefghijklmnopqrstuvwxyz",
         RETURN, "abcdefghijklmnopqrst", {"GLN_EDITED 0 0"}},
        {"unchanged, Return", 2, 1, "", RETURN, "2.1", {"GLN_EDITED 2 1"}},
    };
    for (const Case &c : cases) {
        Rig r;
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        r.open(c.item, c.sub);
        HWND ed = r.editor();
        ASSERT_TRUE(ed != NULL) << "row " << c.name;
        LONG style = GetWindowLongA(ed, GWL_STYLE);
        EXPECT_EQ(r.cols[c.sub].format == LVCFMT_RIGHT,
                  (style & ES_RIGHT) != 0)
            << "row " << c.name;
        type(c.typed);
        POINT other = r.cell(4, 2);
        switch (c.end) {
        case RETURN: tap(VK_RETURN); break;
        case TAB: tap(VK_TAB); break;
        case ESCAPE: tap(VK_ESCAPE); break;
        case CLICK: click_At(r.list, other.x, other.y); break;
        }
        EXPECT_FALSE(IsWindow(ed)) << "row " << c.name;
        EXPECT_TRUE(r.editor() == NULL) << "row " << c.name;
        EXPECT_EQ(c.after, r.text(c.item, c.sub)) << "row " << c.name;
        EXPECT_NOTES(r.d, c.want, c.name);
        EXPECT_EQ(r.list, GetFocus()) << "row " << c.name;
        EXPECT_TRUE(IsWindow(r.d.dlg)) << "row " << c.name;
    }
}

/* A column that is not editable opens nothing on the second click. */
TEST(KnobkitListEdit, NotEditableColumn)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    r.open(2, 2);
    EXPECT_TRUE(r.editor() == NULL);
}

/* A cell longer than the editor holds: the editor shows what fits, left
 * unchanged the cell keeps its whole text, and nothing can be typed
 * past the buffer. */
TEST(KnobkitListEdit, LongCellText)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    std::string longText(3000, 'w');
    r.set(2, 1, longText.c_str());
    r.open(2, 1);
    HWND ed = r.editor();
    ASSERT_TRUE(ed != NULL);
    EXPECT_EQ(GLIST_TEXT_MAX - 1, GetWindowTextLengthA(ed));
    EXPECT_EQ((unsigned)GLIST_TEXT_MAX - 1,
              (unsigned)SendMessageA(ed, EM_GETLIMITTEXT, 0, 0));
    tap(VK_RETURN);
    EXPECT_EQ(longText, r.text(2, 1));
    EXPECT_NOTES(r.d, Lines{"GLN_EDITED 2 1"}, "unchanged");
    click_Pause();

    r.open(2, 1);
    ed = r.editor();
    ASSERT_TRUE(ed != NULL);
    tap(VK_END);
    type("v");   /* the editor is full: nothing goes in */
    tap(VK_HOME);
    tap(VK_DELETE);
    tap(VK_RETURN);
    EXPECT_EQ(std::string(GLIST_TEXT_MAX - 2, 'w'), r.text(2, 1));
    EXPECT_NOTES(r.d, Lines{"GLN_EDITED 2 1"}, "changed");
}

/* A cell that runs past the list's right edge: the list scrolls across
 * until the cell's left edge is at the client's, or as far as it goes
 * when the columns after it are too narrow for that; either way the
 * editor's client area is the cell clipped to the client area. */
TEST(KnobkitListEdit, CellScrolledIntoView)
{
    struct Case { const char *name; int lastWidth; };
    const Case cases[] = {
        {"room to scroll", 400},
        {"the scroll stops at its end", 70},
    };
    for (const Case &c : cases) {
        Rig r;
        ASSERT_TRUE(r.g != NULL) << "row " << c.name;
        RECT client;
        GetClientRect(r.list, &client);
        int first = client.right - 40;   /* column 1 starts 40 px before the edge */
        ListView_SetColumnWidth(r.list, 0, first);
        ListView_SetColumnWidth(r.list, 1, 200);
        ListView_SetColumnWidth(r.list, 2, c.lastWidth);
        input_Run();
        ASSERT_EQ(0, GetScrollPos(r.list, SB_HORZ)) << "row " << c.name;
        int reach = first + 200 + c.lastWidth - client.right;
        int want = reach < first ? first - reach : 0;
        r.raise();
        POINT p = r.cell(2, 0);
        click_At(r.list, p.x, p.y);
        click_Pause();
        click_At(r.list, client.right - 20, p.y);
        HWND ed = r.editor();
        ASSERT_TRUE(ed != NULL) << "row " << c.name;
        RECT cell = {}, edClient;
        cell.top = 1;
        cell.left = LVIR_BOUNDS;
        SendMessageA(r.list, LVM_GETSUBITEMRECT, 2, (LPARAM)&cell);
        EXPECT_EQ(want, cell.left) << "row " << c.name;
        IntersectRect(&cell, &cell, &client);
        GetClientRect(ed, &edClient);
        MapWindowPoints(ed, r.list, (POINT *)&edClient, 2);
        EXPECT_EQ(cell.left, edClient.left) << "row " << c.name;
        EXPECT_EQ(cell.top, edClient.top) << "row " << c.name;
        EXPECT_EQ(cell.right, edClient.right) << "row " << c.name;
        EXPECT_EQ(cell.bottom, edClient.bottom) << "row " << c.name;
        char text[16] = "";
        GetWindowTextA(ed, text, sizeof text);
        EXPECT_STREQ("2.1", text) << "row " << c.name;
        tap(VK_ESCAPE);
    }
}

/* ---- Release ---- */

/* The user's column widths go back into the table when the dialog ends:
 * column 0's divider dragged 40 pixels right with the real mouse.  An
 * editor still open loses the focus as the dialog goes, which commits. */
TEST(KnobkitListRelease, WidthsWrittenBack)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    r.raise();
    HWND header = ListView_GetHeader(r.list);
    RECT item;
    Header_GetItemRect(header, 0, &item);
    int y = (item.top + item.bottom) / 2;
    mouse_At(header, item.right, y, 0);
    mouse_At(header, item.right, y, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 8; i++)
        mouse_At(header, item.right + 5 * i, y, 0);
    mouse_At(header, item.right + 40, y, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(130, ListView_GetColumnWidth(r.list, 0));
    EXPECT_EQ(90, r.cols[0].width) << "written only at the release";
    click_Pause();
    r.open(1, 0);
    ASSERT_TRUE(r.editor() != NULL);
    type("zz");
    DestroyWindow(r.d.dlg);
    EXPECT_EQ(130, r.cols[0].width);
    EXPECT_EQ(70, r.cols[1].width);
    EXPECT_EQ(70, r.cols[2].width);
    EXPECT_NOTES(r.d, Lines{"GLN_EDITED 1 0"}, "the dialog's end");
}

/* gad_Free writes the widths once and closes an open editor without a
 * commit; the dialog's end, which releases the record again, leaves the
 * table alone (the client may have let it go). */
TEST(KnobkitListRelease, FreedOnce)
{
    Rig r;
    ASSERT_TRUE(r.g != NULL);
    ListView_SetColumnWidth(r.list, 2, 33);
    r.open(1, 0);
    HWND ed = r.editor();
    ASSERT_TRUE(ed != NULL);
    type("zz");
    EXPECT_EQ(0u, gad_Free(r.g));
    input_Run();
    EXPECT_FALSE(IsWindow(ed));
    EXPECT_EQ("item 1", r.text(1, 0));
    EXPECT_NOTES(r.d, NONE, "gad_Free");
    EXPECT_EQ(33, r.cols[2].width);
    r.cols[2].width = 1234;
    DestroyWindow(r.d.dlg);
    EXPECT_EQ(1234, r.cols[2].width);
}
