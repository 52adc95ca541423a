/* Dialog_win_test.cpp -- dialogs run by knobkit's dialog procedure under
 * Wine: real dialogs from templates built here in memory (and the
 * library's own templates), a recorder handler that logs each call as
 * "row id value", and the log compared with the expected one, both lists
 * printed on a mismatch. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dlg_template.h"
#include "kk_test.h"

enum { ID_CHECK = 101, ID_CHECK3, ID_LIST, ID_COMBO, ID_SCROLL, ID_PUSH,
       ID_LABEL, ID_EDIT };

static const DLGTEMPLATE *test_Template(Template &t, DWORD style)
{
    t = Template(style | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.item(0x80, BS_AUTOCHECKBOX, ID_CHECK, 4, "Check")
        .item(0x80, BS_AUTO3STATE, ID_CHECK3, 16, "Three")
        .item(0x83, LBS_NOTIFY, ID_LIST, 28, "")
        .item(0x85, CBS_DROPDOWNLIST, ID_COMBO, 40, "")
        .item(0x84, SBS_HORZ, ID_SCROLL, 52, "")
        .item(0x80, BS_PUSHBUTTON, ID_PUSH, 64, "Push")
        .item(0x82, SS_LEFT, ID_LABEL, 76, "Label")
        .item(0x81, WS_BORDER, ID_EDIT, 88, "");
    return t.get();
}

/* ---- The recorder --------------------------------------------------- */

/* One handler row as a test writes it: the recorder logs the row's name,
 * the low word of wParam and the value, stores msgResult as the message
 * result when it is not 0, posts post (if any) to the dialog, and answers
 * result. */
struct Row {
    const char *name;
    UINT msg;
    UINT id;
    INT_PTR result;
    LONG_PTR msgResult;
    UINT post;
};

static std::vector<std::string> Log;
static const DlgHandler *CurrentTable;
static HWND CurrentDlg;

static INT_PTR KKAPI recorder(HWND hDlg, WPARAM wParam, LPARAM lParam,
                              int value, LPARAM param)
{
    const Row *r = (const Row *)param;
    char line[128];
    if (r->msg == WM_INITDIALOG) {
        CurrentDlg = hDlg;
        snprintf(line, sizeof line, "%s %s", r->name,
                 (const DlgHandler *)lParam == CurrentTable ? "table" : "?");
    } else {
        snprintf(line, sizeof line, "%s %u %d", r->name,
                 (unsigned)LOWORD(wParam), value);
    }
    Log.push_back(line);
    if (r->msgResult)
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, r->msgResult);
    if (r->post)
        PostMessageA(hDlg, r->post, 0, 0);
    return r->result;
}

/* The handler table of rows, ended by msg 0. */
static std::vector<DlgHandler> make_Table(const std::vector<Row> &rows)
{
    std::vector<DlgHandler> t;
    for (const Row &r : rows)
        t.push_back(DlgHandler{r.msg, r.id, recorder, (LPARAM)&r});
    t.push_back(DlgHandler{0, 0, NULL, 0});
    return t;
}

#define EXPECT_LOG(want, row) EXPECT_LINES(Log, want, row)

/* A modal dialog that never ends would hang the run: a thread timer
 * ends it after ten seconds with 77, which no test expects. */
static void CALLBACK watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (CurrentDlg && IsWindow(CurrentDlg))
        EndDialog(CurrentDlg, 77);
}

/* ---- Dispatch in a modeless dialog ---------------------------------- */

struct DispatchCase {
    const char *name;
    std::vector<Row> rows;
    std::function<void(HWND)> act;
    std::vector<std::string> want;
};

static void click(HWND dlg, int id)
{
    SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}

static void notify(HWND dlg, int id, int code)
{
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code),
                 (LPARAM)GetDlgItem(dlg, id));
}

static void fill(HWND dlg, int id, UINT add)
{
    for (const char *s : {"zero", "one", "two"})
        SendDlgItemMessageA(dlg, id, add, 0, (LPARAM)s);
}

TEST(KnobkitDialog, Dispatch)
{
    const DispatchCase cases[] = {
        {"first matching row only",
         {{"a", WM_COMMAND, ID_PUSH, 0, 0, 0},
          {"b", WM_COMMAND, ID_PUSH, 0, 0, 0},
          {"any", WM_COMMAND, 0, 0, 0, 0}},
         [](HWND d) { click(d, ID_PUSH); },
         {"a 106 0"}},
        {"id 0 takes every control and menu commands",
         {{"any", WM_COMMAND, 0, 0, 0, 0}},
         [](HWND d) {
             click(d, ID_PUSH);
             SendMessageA(d, WM_COMMAND, MAKEWPARAM(555, 0), 0);
             SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_CHECK, 1), 0);
         },
         {"any 106 0", "any 555 0", "any 101 0"}},
        {"an id row leaves other controls to later rows",
         {{"check", WM_COMMAND, ID_CHECK, 0, 0, 0},
          {"rest", WM_COMMAND, 0, 0, 0, 0}},
         [](HWND d) {
             click(d, ID_PUSH);
             click(d, ID_CHECK);
             click(d, ID_CHECK);
         },
         {"rest 106 0", "check 101 1", "check 101 0"}},
        {"only the low 16 bits of id are read",
         {{"push", WM_COMMAND, 0x10000 | ID_PUSH, 0, 0, 0}},
         [](HWND d) { click(d, ID_PUSH); },
         {"push 106 0"}},
        {"three-state check box: only checked gives 1",
         {{"three", WM_COMMAND, ID_CHECK3, 0, 0, 0}},
         [](HWND d) {
             click(d, ID_CHECK3);   /* checked */
             click(d, ID_CHECK3);   /* indeterminate */
             click(d, ID_CHECK3);   /* clear */
         },
         {"three 102 1", "three 102 0", "three 102 0"}},
        {"combo box selection",
         {{"combo", WM_COMMAND, ID_COMBO, 0, 0, 0}},
         [](HWND d) {
             fill(d, ID_COMBO, CB_ADDSTRING);
             notify(d, ID_COMBO, CBN_SELCHANGE);
             SendDlgItemMessageA(d, ID_COMBO, CB_SETCURSEL, 2, 0);
             notify(d, ID_COMBO, CBN_SELCHANGE);
         },
         {"combo 104 -1", "combo 104 2"}},
        {"list box selection",
         {{"list", WM_COMMAND, ID_LIST, 0, 0, 0}},
         [](HWND d) {
             fill(d, ID_LIST, LB_ADDSTRING);
             SendDlgItemMessageA(d, ID_LIST, LB_SETCURSEL, 1, 0);
             notify(d, ID_LIST, LBN_SELCHANGE);
         },
         {"list 103 1"}},
        {"a menu command with a list box's id has value 0",
         {{"list", WM_COMMAND, ID_LIST, 0, 0, 0}},
         [](HWND d) {
             fill(d, ID_LIST, LB_ADDSTRING);
             SendDlgItemMessageA(d, ID_LIST, LB_SETCURSEL, 2, 0);
             SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_LIST, 0), 0);
         },
         {"list 103 0"}},
        {"scroll messages match their sender",
         {{"bar", WM_HSCROLL, ID_SCROLL, 0, 0, 0},
          {"other", WM_HSCROLL, 0, 0, 0, 0},
          {"code", WM_VSCROLL, SB_LINEDOWN, 0, 0, 0}},
         [](HWND d) {
             HWND bar = GetDlgItem(d, ID_SCROLL);
             SendMessageA(d, WM_HSCROLL, SB_LINERIGHT, (LPARAM)bar);
             SendMessageA(d, WM_HSCROLL, SB_LINERIGHT, 0);
             SendMessageA(d, WM_VSCROLL, SB_LINEDOWN, 0);
             SendMessageA(d, WM_VSCROLL, SB_LINEUP, 0);
         },
         {"bar 1 0", "other 1 0", "code 1 0"}},
        {"sender match is for scroll messages only",
         {{"push", WM_APP, ID_PUSH, 0, 0, 0}},
         [](HWND d) {
             SendMessageA(d, WM_APP, 0, (LPARAM)GetDlgItem(d, ID_PUSH));
             SendMessageA(d, WM_APP, ID_PUSH, 0);
         },
         {"push 106 0"}},
        {"gadget notifications carry the gadget's value",
         {{"ibutton", GM_IBUTTON, 0, 0, 0, 0},
          {"slider", GM_SLIDER, 0, 0, 0, 0},
          {"wheel", GM_WHEEL, 0, 0, 0, 0},
          {"static", GM_STATIC, 0, 0, 0, 0}},
         [](HWND d) {
             /* The label made an image button down in 7, then a slider
              * at 42: the value is read from the record at the message. */
             Gadget *g = ibtn_Create(d, ID_LABEL, IBTN_TOGGLE, NULL, NULL,
                                     0, 0, NULL, NULL, NULL, NULL, 0, 0);
             ibtn_SetState(g, 7);
             SendMessageA(d, GM_IBUTTON, ID_LABEL, (LPARAM)g);
             g = slider_Create(d, ID_LABEL, 0, 10, -1);
             slider_Modify(g, 0, 100, 42);
             SendMessageA(d, GM_SLIDER, ID_LABEL, (LPARAM)g);
             SendMessageA(d, GM_WHEEL, ID_LABEL, (LPARAM)g);
             SendMessageA(d, GM_STATIC, ID_LABEL, (LPARAM)g);
         },
         {"ibutton 107 7", "slider 107 42", "wheel 107 42", "static 107 0"}},
        {"an empty table answers nothing",
         {},
         [](HWND d) {
             click(d, ID_PUSH);
             EXPECT_EQ(0, SendMessageA(d, WM_APP, 0, 0));
         },
         {}},
    };
    for (const DispatchCase &c : cases) {
        SCOPED_TRACE(c.name);
        Log.clear();
        std::vector<DlgHandler> table = make_Table(c.rows);
        CurrentTable = table.data();
        Template t(0);
        HWND d = dlg_CreateDialogIndirect(GetModuleHandleA(NULL),
                                          test_Template(t, 0), NULL,
                                          table.data());
        ASSERT_TRUE(d != NULL) << "row " << c.name;
        c.act(d);
        EXPECT_LOG(c.want, c.name);
        DestroyWindow(d);
    }
}

/* ---- Results ---------------------------------------------------------- */

TEST(KnobkitDialog, ResultsOfModelessHandlers)
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const std::vector<Row> rows = {
        {"color", WM_CTLCOLORSTATIC, 0, (INT_PTR)brush, 0, 0},
        {"handled", WM_APP, 0, DLG_HANDLED, 4321, 0},
        {"unhandled", WM_APP + 1, 0, 0, 4321, 0},
        {"close", WM_CLOSE, 0, DLG_HANDLED, 0, 0},
    };
    std::vector<DlgHandler> table = make_Table(rows);
    CurrentTable = table.data();
    Template t(0);
    HWND d = dlg_CreateDialogIndirect(NULL, test_Template(t, 0), NULL,
                                      table.data());
    ASSERT_TRUE(d != NULL);
    HDC dc = GetDC(d);
    struct { const char *name; UINT msg; WPARAM w; LPARAM l; LRESULT want; }
    sends[] = {
        {"a brush is answered unchanged", WM_CTLCOLORSTATIC, (WPARAM)dc,
         (LPARAM)GetDlgItem(d, ID_LABEL), (LRESULT)brush},
        {"DLG_HANDLED lets the stored result through", WM_APP, 0, 0, 4321},
        {"0 leaves the message to the system", WM_APP + 1, 0, 0, 0},
    };
    for (const auto &s : sends)
        EXPECT_EQ(s.want, SendMessageA(d, s.msg, s.w, s.l)) << "row " << s.name;
    ReleaseDC(d, dc);
    /* Handled WM_CLOSE: the system does not turn it into IDCANCEL. */
    SendMessageA(d, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(d)) << "row close";
    DestroyWindow(d);
    DeleteObject(brush);
}

struct ModalCase {
    const char *name;
    std::vector<Row> rows;
    DWORD style;
    bool noControls;
    INT_PTR want;
    std::vector<std::string> wantLog;
};

TEST(KnobkitDialog, ModalResults)
{
    const ModalCase cases[] = {
        {"DLG_ENDOK ends with 1",
         {{"init", WM_INITDIALOG, 0, 1, 0, WM_APP},
          {"end", WM_APP, 0, DLG_ENDOK, 0, 0}},
         0, false, 1, {"init table", "end 0 0"}},
        {"DLG_ENDCANCEL ends with 0",
         {{"init", WM_INITDIALOG, 0, 1, 0, WM_APP},
          {"end", WM_APP, 0, DLG_ENDCANCEL, 0, 0}},
         0, false, 0, {"init table", "end 0 0"}},
        {"DLG_HANDLED does not end",
         {{"init", WM_INITDIALOG, 0, 1, 0, WM_APP},
          {"go on", WM_APP, 0, DLG_HANDLED, 0, WM_APP + 1},
          {"end", WM_APP + 1, 0, DLG_ENDOK, 0, 0}},
         0, false, 1, {"init table", "go on 0 0", "end 0 0"}},
        {"GM_SHOWN once the dialog paints",
         {{"init", WM_INITDIALOG, 0, 1, 0, 0},
          {"shown", GM_SHOWN, 0, DLG_ENDOK, 0, 0}},
         WS_VISIBLE, false, 1, {"init table", "shown 0 0"}},
        {"a dialog without controls ends with 0 unseen",
         {{"init", WM_INITDIALOG, 0, DLG_ENDOK, 0, 0}},
         0, true, 0, {}},
    };
    for (const ModalCase &c : cases) {
        SCOPED_TRACE(c.name);
        Log.clear();
        CurrentDlg = NULL;
        std::vector<DlgHandler> table = make_Table(c.rows);
        CurrentTable = table.data();
        Template t(0);
        const DLGTEMPLATE *tmpl = test_Template(t, c.style);
        Template empty(WS_POPUP | WS_CAPTION);
        if (c.noControls)
            tmpl = empty.get();
        UINT_PTR timer = SetTimer(NULL, 0, 10000, watchdog);
        INT_PTR r = dlg_DoDialogIndirect(NULL, tmpl, NULL, table.data());
        KillTimer(NULL, timer);
        EXPECT_EQ(c.want, r) << "row " << c.name;
        EXPECT_LOG(c.wantLog, c.name);
    }
}

/* ---- The library's own templates, by identifier --------------------- */

enum { ID_CHOOSER = 116, ID_CHOOSERLIST = 1002 };

static INT_PTR KKAPI chooser_Init(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    CurrentDlg = hDlg;
    fill(hDlg, ID_CHOOSERLIST, LB_ADDSTRING);
    SendDlgItemMessageA(hDlg, ID_CHOOSERLIST, LB_SETCURSEL, 1, 0);
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(ID_CHOOSERLIST, LBN_SELCHANGE),
                 (LPARAM)GetDlgItem(hDlg, ID_CHOOSERLIST));
    return 1;
}

/* The list also reports its focus; the selection change ends it. */
static INT_PTR KKAPI chooser_List(HWND, WPARAM wParam, LPARAM, int value,
                                  LPARAM)
{
    if (HIWORD(wParam) != LBN_SELCHANGE)
        return 0;
    Log.push_back("list " + std::to_string(LOWORD(wParam)) + " " +
                  std::to_string(value));
    return DLG_ENDOK;
}

TEST(KnobkitDialog, TemplatesByIdentifier)
{
    HINSTANCE dll = GetModuleHandleA("knobkit.dll");
    ASSERT_TRUE(dll != NULL);
    const DlgHandler table[] = {
        {WM_INITDIALOG, 0, chooser_Init, 0},
        {WM_COMMAND, ID_CHOOSERLIST, chooser_List, 0},
        {0, 0, NULL, 0},
    };
    Log.clear();
    UINT_PTR timer = SetTimer(NULL, 0, 10000, watchdog);
    EXPECT_EQ(1, dlg_DoDialog(dll, ID_CHOOSER, NULL, table)) << "row modal";
    KillTimer(NULL, timer);
    EXPECT_LOG(std::vector<std::string>{"list 1002 1"}, "modal");

    Log.clear();
    HWND d = dlg_CreateDialog(dll, ID_CHOOSER, NULL, table);
    ASSERT_TRUE(d != NULL) << "row modeless";
    kk_Pump();
    EXPECT_LOG(std::vector<std::string>{"list 1002 1"}, "modeless");
    DestroyWindow(d);
    EXPECT_EQ(0, dlg_DoDialog(dll, 999, NULL, table) > 0) << "row missing";
}

/* ---- Small tools ------------------------------------------------------ */

/* Tables of the tool tests: WM_USER and WM_SETFONT are logged. */
static std::vector<DlgHandler> &plain_Table(void)
{
    static const std::vector<Row> rows = {
        {"user", WM_USER, 0, 0, 0, 0},
        {"font", WM_SETFONT, 0, 0, 0, 0},
    };
    static std::vector<DlgHandler> t = make_Table(rows);
    return t;
}

static HWND plain_Dialog(Template &t)
{
    CurrentTable = plain_Table().data();
    return dlg_CreateDialogIndirect(NULL, test_Template(t, WS_VISIBLE), NULL,
                                    plain_Table().data());
}

TEST(KnobkitDialog, SetDlgItemHex)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d != NULL);
    const struct { uint32_t value; const char *want; } rows[] = {
        {0, "00000000"}, {0x1A, "0000001A"}, {0xDEADBEEF, "DEADBEEF"},
        {0x7fffffff, "7FFFFFFF"},
    };
    for (const auto &r : rows) {
        char text[32] = "";
        EXPECT_TRUE(dlg_SetDlgItemHex(d, ID_EDIT, r.value)) << "row " << r.want;
        GetDlgItemTextA(d, ID_EDIT, text, sizeof text);
        EXPECT_STREQ(r.want, text) << "row " << r.want;
    }
    EXPECT_FALSE(dlg_SetDlgItemHex(d, 999, 1)) << "row no such control";
    DestroyWindow(d);
}

TEST(KnobkitDialog, SetFontReachesEveryLevel)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d != NULL);
    HWND inner = CreateWindowA("STATIC", "inner", WS_CHILD, 0, 0, 10, 10,
                               GetDlgItem(d, ID_LABEL), NULL, NULL, NULL);
    HFONT f = dlg_CreateFont(KK_CHARSET_ANSI);
    Log.clear();
    dlg_SetFont(d, f);
    /* The dialog itself is told (its handler sees the font); controls
     * answer it back. */
    EXPECT_LOG(std::vector<std::string>{"font " +
                                        std::to_string(LOWORD((UINT_PTR)f)) +
                                        " 0"},
               "dialog");
    const struct { const char *name; HWND w; } rows[] = {
        {"check box", GetDlgItem(d, ID_CHECK)},
        {"list box", GetDlgItem(d, ID_LIST)},
        {"edit", GetDlgItem(d, ID_EDIT)},
        {"label", GetDlgItem(d, ID_LABEL)},
        {"child of the label", inner},
    };
    for (const auto &r : rows)
        EXPECT_EQ((LRESULT)f, SendMessageA(r.w, WM_GETFONT, 0, 0))
            << "row " << r.name;
    DestroyWindow(d);
    DeleteObject(f);
}

static INT_PTR CALLBACK plain_Proc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

TEST(KnobkitDialog, ToolsLeaveUnmanagedDialogsAlone)
{
    Template t(0);
    HWND d = CreateDialogIndirectParamA(NULL, test_Template(t, 0), NULL,
                                        plain_Proc, 0);
    ASSERT_TRUE(d != NULL);
    HFONT before = (HFONT)SendMessageA(d, WM_GETFONT, 0, 0);
    HFONT f = dlg_CreateFont(KK_CHARSET_GREEK);
    dlg_SetFont(d, f);
    EXPECT_EQ((LRESULT)before, SendMessageA(d, WM_GETFONT, 0, 0)) << "row font";
    dlg_Enable(d, FALSE);
    EXPECT_TRUE(IsWindowEnabled(d)) << "row enable";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, ID_CHECK))) << "row enable";
    DestroyWindow(d);
    DeleteObject(f);
}

TEST(KnobkitDialog, EnableSparesStaticTexts)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d != NULL);
    const struct { const char *name; int id; bool follows; } rows[] = {
        {"check box", ID_CHECK, true}, {"list box", ID_LIST, true},
        {"combo box", ID_COMBO, true}, {"push button", ID_PUSH, true},
        {"edit", ID_EDIT, true},       {"static text", ID_LABEL, false},
        {"coloured scroll bar", ID_SCROLL, true},
        {"gadget", ID_CHECK3, false},
    };
    /* Records of kind 1 are still ordinary controls; gadgets keep their
     * own enabled state. */
    ASSERT_TRUE(gad_SetColor(d, ID_SCROLL, GS_TEXTCOLOR, 0, 0, NULL));
    ASSERT_TRUE(slider_Create(d, ID_CHECK3, 0, 10, -1));
    dlg_Enable(d, FALSE);
    EXPECT_FALSE(IsWindowEnabled(d)) << "row dialog disabled";
    for (const auto &r : rows)
        EXPECT_EQ(!r.follows, !!IsWindowEnabled(GetDlgItem(d, r.id)))
            << "row " << r.name << " disabled";
    dlg_Enable(d, TRUE);
    EXPECT_TRUE(IsWindowEnabled(d)) << "row dialog enabled";
    for (const auto &r : rows)
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, r.id)))
            << "row " << r.name << " enabled";
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == d || IsChild(d, focus)) << "row focus";
    DestroyWindow(d);
}

/* The menu is closed from a thread timer as soon as its loop runs. */
static void CALLBACK menu_Close(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    EndMenu();
}

TEST(KnobkitDialog, TrackPopupMenuPostsWmUser)
{
    Template t(0);
    Log.clear();
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d != NULL);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 40, "Forty");
    SetTimer(NULL, 0, 50, menu_Close);
    EXPECT_EQ(0, dlg_TrackPopupMenu(d, menu, TPM_RETURNCMD))
        << "row closed without a choice";
    kk_Pump();
    EXPECT_LOG(std::vector<std::string>{"user 0 0"}, "WM_USER after the menu");
    DestroyMenu(menu);
    DestroyWindow(d);
}

TEST(KnobkitDialog, ShownOnceAcrossPaints)
{
    const std::vector<Row> rows = {{"shown", GM_SHOWN, 0, 0, 0, 0}};
    std::vector<DlgHandler> table = make_Table(rows);
    CurrentTable = table.data();
    Log.clear();
    Template t(0);
    HWND d = dlg_CreateDialogIndirect(NULL, test_Template(t, 0), NULL,
                                      table.data());
    ASSERT_TRUE(d != NULL);
    kk_Pump();
    EXPECT_LOG(std::vector<std::string>{}, "hidden: no paint yet");
    for (int i = 0; i < 3; i++) {
        ShowWindow(d, SW_SHOW);
        InvalidateRect(d, NULL, TRUE);
        UpdateWindow(d);
        kk_Pump();
    }
    EXPECT_LOG(std::vector<std::string>{"shown 0 0"}, "three paints");
    DestroyWindow(d);
}

TEST(KnobkitDialog, NullTableGetsNoService)
{
    Template t(0);
    HWND d = dlg_CreateDialogIndirect(NULL, test_Template(t, 0), NULL, NULL);
    ASSERT_TRUE(d != NULL) << "row created";
    EXPECT_EQ(0, SendMessageA(d, WM_COMMAND, ID_PUSH, 0)) << "row command";
    /* Still managed: the tools act on it. */
    dlg_Enable(d, FALSE);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, ID_PUSH))) << "row enable";
    EXPECT_TRUE(DestroyWindow(d)) << "row destroy";
}

/* ---- Records of the controls ---------------------------------------- */

struct RecordRow {
    const char *name;
    WORD atom;
    DWORD style;
    WORD id;
    uint32_t ctlClass;
};

/* In template order, which is the order the system makes and enumerates
 * the controls in. */
static const RecordRow Records[] = {
    {"auto radio", 0x80, BS_AUTORADIOBUTTON, 201, CTL_RADIO},
    {"group box", 0x80, BS_GROUPBOX, 202, CTL_GROUPBOX},
    {"etched line", 0x82, SS_ETCHEDHORZ, 203, CTL_ETCHED},
    {"owner-drawn button", 0x80, BS_OWNERDRAW, 204, CTL_OWNERDRAW},
    {"combo with an edit field", 0x85, CBS_DROPDOWN, 205, CTL_COMBOBOX},
    {"edit", 0x81, WS_BORDER, 206, CTL_EDIT},
    {"list box", 0x83, LBS_NOTIFY, 207, CTL_LISTBOX},
    {"scroll bar", 0x84, SBS_HORZ, 208, CTL_OTHER},
    {"default push button", 0x80, BS_DEFPUSHBUTTON, 209, CTL_PUSHBUTTON},
    {"static text", 0x82, SS_LEFT, 210, CTL_STATIC},
    {"three-state", 0x80, BS_3STATE, 211, CTL_CHECKBOX},
};
static const int NRECORDS = sizeof Records / sizeof *Records;

static HWND records_Dialog(Template &t, DWORD style, const DlgHandler *table)
{
    t = Template(style);
    for (const RecordRow &r : Records)
        t.item(r.atom, r.style, r.id, (short)(4 + 12 * (&r - Records)), "x");
    return dlg_CreateDialogIndirect(NULL, t.get(), NULL, table);
}

static const DlgHandler EmptyTable[] = {{0, 0, NULL, 0}};

TEST(KnobkitRecords, EveryDirectChildGetsItsRecord)
{
    Template t(0);
    HWND d = records_Dialog(t, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                            EmptyTable);
    ASSERT_TRUE(d != NULL);
    const GadDialog *gd = (const GadDialog *)GetWindowLongPtrA(d, GWLP_USERDATA);
    ASSERT_TRUE(gd != NULL) << "no block in the dialog's user data";
    EXPECT_EQ(gd->handlers, EmptyTable);
    EXPECT_EQ(gd->count, (uint32_t)NRECORDS)
        << "the combo box's edit field is not a direct child";
    ASSERT_LE(gd->count, (uint32_t)NRECORDS);
    for (int i = 0; i < (int)gd->count; i++) {
        const RecordRow &r = Records[i];
        SCOPED_TRACE(testing::Message() << "row " << r.name);
        const Gadget *g = &gd->gadgets[i];
        HWND ctl = GetDlgItem(d, r.id);
        EXPECT_EQ(gad_GetGadget(d, r.id), g);
        EXPECT_EQ(g->hWnd, ctl);
        EXPECT_EQ(g->hDlg, d);
        EXPECT_EQ(g->kind, (uint32_t)GAD_PLAIN);
        EXPECT_EQ(g->ctlClass, r.ctlClass);
        EXPECT_EQ(g->FreeProc, (GadFreeProc)NULL);
        EXPECT_EQ(gad_GetWindow(g), ctl);
        EXPECT_EQ(gad_GetWindowID(g), (int)r.id);
    }
    HWND edit = GetWindow(GetDlgItem(d, 205), GW_CHILD);
    ASSERT_TRUE(edit != NULL) << "a drop-down combo box has an edit field";
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_USERDATA), 0)
        << "row grandchild";
    EXPECT_EQ(gad_GetGadget(d, 999), (Gadget *)NULL) << "row missing id";
    EXPECT_EQ(gad_GetGadget(NULL, 201), (Gadget *)NULL) << "row null dialog";
    EXPECT_EQ(gad_GetWindow(NULL), (HWND)NULL) << "row null gadget";
    EXPECT_EQ(gad_GetWindowID(NULL), -1) << "row null gadget id";
    DestroyWindow(d);
}

static INT_PTR CALLBACK own_Procedure(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

TEST(KnobkitRecords, UnmanagedDialogHasNone)
{
    Template t(0);
    test_Template(t, 0);
    HWND d = CreateDialogIndirectParamA(NULL, t.get(), NULL, own_Procedure, 0);
    ASSERT_TRUE(d != NULL);
    EXPECT_TRUE(GetDlgItem(d, ID_PUSH) != NULL);
    EXPECT_EQ(gad_GetGadget(d, ID_PUSH), (Gadget *)NULL);
    DestroyWindow(d);
}

/* What a control sees of its record and its dialog's block while it is
 * destroyed, after its dialog's WM_DESTROY. */
struct DestroySeen {
    WNDPROC old;
    LONG_PTR ownData = -1, dlgData = -1;
    const Gadget *lookup = (const Gadget *)1;
};
static DestroySeen Seen;
static std::vector<int> FreedIds;

static LRESULT CALLBACK probe_Proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_DESTROY) {
        HWND d = GetParent(h);
        Seen.ownData = GetWindowLongPtrA(h, GWLP_USERDATA);
        Seen.dlgData = GetWindowLongPtrA(d, GWLP_USERDATA);
        Seen.lookup = gad_GetGadget(d, GetDlgCtrlID(h));
    }
    return CallWindowProcA(Seen.old, h, m, w, l);
}

static uint32_t KKAPI free_Note(Gadget *g)
{
    FreedIds.push_back(gad_GetWindowID(g));
    return 0;
}

TEST(KnobkitRecords, ReleasedWhenTheDialogIsDestroyed)
{
    Template t(0);
    HWND d = records_Dialog(t, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                            EmptyTable);
    ASSERT_TRUE(d != NULL);
    HWND label = GetDlgItem(d, 210);
    Seen = DestroySeen();
    Seen.old = (WNDPROC)SetWindowLongPtrA(label, GWLP_WNDPROC,
                                          (LONG_PTR)probe_Proc);
    Gadget *radio = gad_GetGadget(d, 201), *edit = gad_GetGadget(d, 206);
    ASSERT_TRUE(radio && edit);
    HBRUSH owned = CreateSolidBrush(RGB(7, 8, 9));
    HBRUSH client = CreateSolidBrush(RGB(9, 8, 7));
    radio->hBrush = owned;
    radio->state |= GS_OWNBRUSH;
    radio->FreeProc = free_Note;
    edit->hBrush = client;
    edit->kind = GAD_LED;
    edit->FreeProc = free_Note;
    FreedIds.clear();
    ASSERT_TRUE(DestroyWindow(d));
    EXPECT_EQ(Seen.ownData, 0) << "row the control's record pointer";
    EXPECT_EQ(Seen.dlgData, 0) << "row the dialog's block pointer";
    EXPECT_EQ(Seen.lookup, (const Gadget *)NULL) << "row gad_GetGadget";
    EXPECT_EQ(FreedIds, (std::vector<int>{201, 206})) << "row FreeProc calls";
    EXPECT_EQ(GetObjectType(owned), 0u) << "row owned brush";
    EXPECT_EQ(GetObjectType(client), (DWORD)OBJ_BRUSH) << "row client brush";
    DeleteObject(client);
}

/* ---- Dialogs without a caption -------------------------------------- */

struct StyleCase {
    const char *name;
    DWORD style;
    bool boxes;        /* system menu and boxes added */
    bool sizeEntries;  /* Size and Maximize stay in the system menu */
};

TEST(KnobkitRecords, CaptionlessDialogsGetASystemMenu)
{
    const StyleCase cases[] = {
        {"caption: left alone", WS_POPUP | WS_CAPTION, false, true},
        {"border only: left alone", WS_POPUP | WS_BORDER, false, true},
        {"no caption, fixed size", WS_POPUP, true, false},
        {"no caption, sizing border", WS_POPUP | WS_THICKFRAME, true, true},
    };
    const DWORD boxes = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    for (const StyleCase &c : cases) {
        Template t(0);
        HWND d = records_Dialog(t, c.style, EmptyTable);
        ASSERT_TRUE(d != NULL) << "row " << c.name;
        DWORD style = (DWORD)GetWindowLongA(d, GWL_STYLE);
        EXPECT_EQ(style & boxes, c.boxes ? boxes : 0) << "row " << c.name;
        if (c.boxes) {
            HMENU m = GetSystemMenu(d, FALSE);
            ASSERT_TRUE(m != NULL) << "row " << c.name;
            EXPECT_EQ(GetMenuState(m, SC_SIZE, MF_BYCOMMAND) != (UINT)-1,
                      c.sizeEntries) << "row " << c.name << " Size";
            EXPECT_EQ(GetMenuState(m, SC_MAXIMIZE, MF_BYCOMMAND) != (UINT)-1,
                      c.sizeEntries) << "row " << c.name << " Maximize";
            EXPECT_NE(GetMenuState(m, SC_MOVE, MF_BYCOMMAND), (UINT)-1)
                << "row " << c.name << " Move";
            EXPECT_NE(GetMenuState(m, SC_CLOSE, MF_BYCOMMAND), (UINT)-1)
                << "row " << c.name << " Close";
        }
        DestroyWindow(d);
    }
}

/* ---- Colours of ordinary controls ----------------------------------- */

static LONG font_Weight(HFONT f)
{
    LOGFONTA lf;
    return GetObjectA(f, sizeof lf, &lf) ? lf.lfWeight : -1;
}

/* Each row makes two gad_SetColor calls on the label and checks what the
 * first call's objects became and what the record holds after the second:
 * owned objects go, the client's font and stock objects stay. */
struct OwnCase {
    const char *name;
    uint32_t mode1;
    bool font1;          /* the client's font in the first call */
    uint32_t mode2;
    bool font2;
    bool brush1Alive, font1Alive;   /* the first call's objects */
    uint32_t ownAfter;              /* GS_OWN... bits after the second */
    LONG weightAfter;               /* of the record's font; 0 = none */
};

TEST(KnobkitColor, SecondCallReleasesOnlyWhatTheFirstMade)
{
    const OwnCase cases[] = {
        {"owned brush and bold font, then plain", GS_BACKCOLOR | GS_BOLD,
         false, 0, false, false, false, 0, 0},
        {"owned brush and italic font, then the client's font",
         GS_BACKCOLOR | GS_ITALIC, false, 0, true,
         false, false, 0, FW_NORMAL},
        {"client font kept, then a bold variant of it", GS_TEXTCOLOR, true,
         GS_BOLD, true, false, true, GS_OWNFONT, FW_BOLD},
        {"hollow brush is never owned", GS_TRANSPARENT, true,
         GS_BACKCOLOR | GS_ITALIC, false, true, true,
         GS_OWNBRUSH | GS_OWNFONT, FW_NORMAL},
    };
    HFONT client = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                               ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_TRUE(client);
    for (const OwnCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = plain_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        Gadget *g = gad_GetGadget(d, ID_LABEL);
        ASSERT_TRUE(g) << "row " << c.name;
        EXPECT_TRUE(gad_SetColor(d, ID_LABEL, c.mode1, RGB(1, 2, 3),
                                 RGB(4, 5, 6), c.font1 ? client : NULL))
            << "row " << c.name;
        EXPECT_EQ(GAD_KIND(g), (uint32_t)GAD_COLORED) << "row " << c.name;
        HGDIOBJ brush1 = g->hBrush, font1 = g->hFont;
        EXPECT_EQ(brush1 != NULL,
                  (c.mode1 & (GS_BACKCOLOR | GS_TRANSPARENT)) != 0)
            << "row " << c.name;
        EXPECT_EQ(font1 != NULL,
                  c.font1 || (c.mode1 & (GS_BOLD | GS_ITALIC)) != 0)
            << "row " << c.name;
        EXPECT_TRUE(gad_SetColor(d, ID_LABEL, c.mode2, RGB(7, 8, 9),
                                 RGB(10, 11, 12), c.font2 ? client : NULL))
            << "row " << c.name;
        EXPECT_EQ(kk_Alive(brush1), c.brush1Alive) << "row " << c.name;
        EXPECT_EQ(kk_Alive(font1), c.font1Alive) << "row " << c.name;
        EXPECT_EQ(g->state & (GS_OWNBRUSH | GS_OWNFONT), c.ownAfter)
            << "row " << c.name;
        EXPECT_EQ(g->hFont ? font_Weight(g->hFont) : 0, c.weightAfter)
            << "row " << c.name;
        EXPECT_EQ(g->textColor, RGB(7, 8, 9)) << "row " << c.name;
        EXPECT_EQ(g->backColor, RGB(10, 11, 12)) << "row " << c.name;
        EXPECT_EQ(g->state & (GS_TEXTCOLOR | GS_BACKCOLOR | GS_BOLD |
                              GS_ITALIC),
                  c.mode2) << "row " << c.name;
        /* The control shows the record's font, or the dialog's again
         * once the record's own is gone; never a deleted one. */
        HFONT shown = (HFONT)SendDlgItemMessageA(d, ID_LABEL, WM_GETFONT, 0, 0);
        EXPECT_EQ(shown, g->hFont ? g->hFont
                                  : (HFONT)SendMessageA(d, WM_GETFONT, 0, 0))
            << "row " << c.name;
        EXPECT_TRUE(!shown || kk_Alive(shown)) << "row " << c.name;
        HGDIOBJ brush2 = g->hBrush, font2 = g->hFont;
        bool owned2 = (g->state & GS_OWNBRUSH) != 0;
        bool ownedF2 = (g->state & GS_OWNFONT) != 0;
        DestroyWindow(d);
        /* The dialog's end releases what the second call made. */
        if (owned2) {
            EXPECT_FALSE(kk_Alive(brush2)) << "row " << c.name << " destroy";
        }
        if (ownedF2) {
            EXPECT_FALSE(kk_Alive(font2)) << "row " << c.name << " destroy";
        }
        EXPECT_TRUE(kk_Alive(client)) << "row " << c.name << " client";
    }
    DeleteObject(client);
}

TEST(KnobkitColor, StateBitsKindAndLookups)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d);
    Gadget *g = gad_GetGadget(d, ID_PUSH);
    ASSERT_TRUE(g);
    EXPECT_FALSE(gad_SetColor(d, 999, GS_TEXTCOLOR, 0, 0, NULL))
        << "row missing control";
    EXPECT_FALSE(gad_SetColor(NULL, ID_PUSH, GS_TEXTCOLOR, 0, 0, NULL))
        << "row null dialog";
    EXPECT_EQ(GAD_KIND(g), (uint32_t)GAD_PLAIN) << "row untouched";
    /* Higher bits are added and survive a later call without them; the
     * caller cannot claim ownership of anything. */
    ASSERT_TRUE(gad_SetColor(d, ID_PUSH,
                             GS_TEXTCOLOR | GS_DRAGWINDOW | GS_OWNFONT, 0, 0,
                             NULL));
    EXPECT_EQ(g->state & (GS_DRAGWINDOW | GS_OWNFONT), (uint32_t)GS_DRAGWINDOW)
        << "row high bits added, ownership refused";
    EXPECT_FALSE(g->hBrush) << "row no brush without a background bit";
    ASSERT_TRUE(gad_SetColor(d, ID_PUSH, GS_BACKCOLOR, 0, 0, NULL));
    EXPECT_EQ(g->state & (GS_DRAGWINDOW | GS_TEXTCOLOR),
              (uint32_t)GS_DRAGWINDOW)
        << "row second call keeps high bits, drops GS_TEXTCOLOR";
    DestroyWindow(d);

    /* A dialog the library does not run keeps no colours. */
    HWND u = CreateDialogIndirectParamA(NULL, test_Template(t, 0), NULL,
                                        plain_Proc, 0);
    ASSERT_TRUE(u);
    EXPECT_FALSE(gad_SetColor(u, ID_LABEL, GS_BACKCOLOR, 0, 0, NULL))
        << "row unmanaged dialog";
    DestroyWindow(u);
}

TEST(KnobkitColor, BoldOfTheControlsFontOrTheDefaultGuiFont)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d);
    HFONT shown = (HFONT)SendDlgItemMessageA(d, ID_LABEL, WM_GETFONT, 0, 0);
    LOGFONTA want, got;
    ASSERT_TRUE(GetObjectA(shown ? (HGDIOBJ)shown
                                 : GetStockObject(DEFAULT_GUI_FONT),
                           sizeof want, &want));
    ASSERT_TRUE(gad_SetColor(d, ID_LABEL, GS_BOLD | GS_ITALIC, 0, 0, NULL));
    Gadget *g = gad_GetGadget(d, ID_LABEL);
    ASSERT_TRUE(g && g->hFont);
    ASSERT_TRUE(GetObjectA(g->hFont, sizeof got, &got));
    EXPECT_STREQ(got.lfFaceName, want.lfFaceName) << "row base face";
    EXPECT_EQ(got.lfHeight, want.lfHeight) << "row base height";
    EXPECT_EQ(got.lfWeight, FW_BOLD) << "row bold";
    EXPECT_EQ(got.lfItalic, 1) << "row italic";
    DestroyWindow(d);
}

/* The label painted into a memory surface first filled with green;
 * counts of pixels of the text and background colours. */
struct Counts {
    int text, back, green;
};

static Counts paint_Label(HWND ctl, COLORREF text, COLORREF back)
{
    RECT r;
    GetClientRect(ctl, &r);
    HDC screen = GetDC(ctl);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(mem, &r, green);
    DeleteObject(green);
    SendMessageA(ctl, WM_PRINTCLIENT, (WPARAM)mem, PRF_CLIENT);
    Counts c = {0, 0, 0};
    for (int y = 0; y < r.bottom; y++)
        for (int x = 0; x < r.right; x++) {
            COLORREF p = GetPixel(mem, x, y);
            c.text += p == text;
            c.back += p == back;
            c.green += p == RGB(0, 255, 0);
        }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(ctl, screen);
    return c;
}

struct PaintCase {
    const char *name;
    uint32_t mode;     /* ~0u: no gad_SetColor call */
    bool text, back, green;   /* which colours must show */
};

TEST(KnobkitColor, ColouredStaticPaintsWithItsColours)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    const PaintCase cases[] = {
        {"text colour on its own brush", GS_TEXTCOLOR | GS_BACKCOLOR, true,
         true, false},
        {"text colour over a hollow brush", GS_TEXTCOLOR | GS_TRANSPARENT,
         true, false, true},
        {"text colour alone, on the face colour", GS_TEXTCOLOR, true, false,
         false},
        {"plain label keeps default colours", ~0u, false, false, false},
    };
    for (const PaintCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = plain_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        if (c.mode != ~0u) {
            ASSERT_TRUE(gad_SetColor(d, ID_LABEL, c.mode, red, blue, NULL))
                << "row " << c.name;
        }
        Counts n = paint_Label(GetDlgItem(d, ID_LABEL), red, blue);
        EXPECT_EQ(n.text > 0, c.text)
            << "row " << c.name << ": " << n.text << " text pixels";
        /* The background fills most of the control, around the text. */
        RECT r;
        GetClientRect(GetDlgItem(d, ID_LABEL), &r);
        int half = r.right * r.bottom / 2;
        EXPECT_EQ(n.back > half, c.back)
            << "row " << c.name << ": " << n.back << " background pixels";
        EXPECT_EQ(n.green > half, c.green)
            << "row " << c.name << ": " << n.green << " green pixels";
        DestroyWindow(d);
    }
}

/* ---- Labels -------------------------------------------------------- */

struct TextCase {
    const char *name;
    int id;
    uint32_t kind;       /* set on the record before the call */
    std::string text;    /* "-" stands for a null text */
    std::string record;  /* the record's label afterwards */
    std::string window;  /* the control's window text afterwards */
};

TEST(KnobkitText, SetTextByKind)
{
    const std::string long200(200, 'x'), kept(127, 'x');
    const TextCase cases[] = {
        {"plain label", ID_LABEL, GAD_PLAIN, "Hello", "Hello", "Hello"},
        {"200 characters keep 127", ID_LABEL, GAD_PLAIN, long200, kept, kept},
        {"null text is empty", ID_LABEL, GAD_PLAIN, "-", "", ""},
        {"coloured check box", ID_CHECK, GAD_COLORED, "Ticked", "Ticked",
         "Ticked"},
        {"a gadget keeps its window text", ID_LABEL, GAD_LED, "On", "On",
         "Label"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        HWND d = plain_Dialog(t);
        ASSERT_TRUE(d) << "row " << c.name;
        Gadget *g = gad_GetGadget(d, c.id);
        ASSERT_TRUE(g) << "row " << c.name;
        g->kind = c.kind;
        gad_SetText(g, c.text == "-" ? NULL : c.text.c_str());
        EXPECT_EQ(std::string(g->text), c.record) << "row " << c.name;
        char w[512];
        GetDlgItemTextA(d, c.id, w, sizeof w);
        EXPECT_EQ(std::string(w), c.window) << "row " << c.name;
        g->kind = GAD_PLAIN;
        DestroyWindow(d);
    }
    gad_SetText(NULL, "ignored");   /* must not fault */
}

TEST(KnobkitText, RedrawLookups)
{
    Template t(0);
    HWND d = plain_Dialog(t);
    ASSERT_TRUE(d);
    EXPECT_TRUE(gad_RedrawItem(d, ID_LABEL)) << "row existing control";
    EXPECT_FALSE(gad_RedrawItem(d, 999)) << "row missing control";
    EXPECT_FALSE(gad_Redraw(NULL)) << "row null gadget";
    DestroyWindow(d);
}

/* ---- Gadgets paint inside their control's painting ----------------- */

static int Draws;

static void KKAPI red_Draw(HWND hWnd, HDC hdc, Gadget *)
{
    Draws++;
    RECT r;
    GetClientRect(hWnd, &r);
    HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(hdc, &r, b);
    DeleteObject(b);
}

struct DrawCase {
    const char *name;
    uint32_t kind;
    GadDrawProc draw;
    int draws;
    size_t reached;   /* colour messages that reached the table */
};

TEST(KnobkitColor, GadgetsDrawAndKeepTheMessageFromTheTable)
{
    const DrawCase cases[] = {
        {"gadget with DrawProc", GAD_LED, red_Draw, 1, 0},
        {"gadget without DrawProc", GAD_LED, NULL, 0, 0},
        {"plain record goes to the table", GAD_PLAIN, red_Draw, 0, 1},
    };
    const std::vector<Row> rows = {
        {"color", WM_CTLCOLORSTATIC, 0, 0, 0, 0}};
    std::vector<DlgHandler> table = make_Table(rows);
    for (const DrawCase &c : cases) {
        SCOPED_TRACE(c.name);
        Template t(0);
        CurrentTable = table.data();
        HWND d = dlg_CreateDialogIndirect(NULL, test_Template(t, 0), NULL,
                                          table.data());
        ASSERT_TRUE(d) << "row " << c.name;
        Gadget *g = gad_GetGadget(d, ID_LABEL);
        ASSERT_TRUE(g) << "row " << c.name;
        g->kind = c.kind;
        g->DrawProc = c.draw;
        Draws = 0;
        Log.clear();
        Counts n = paint_Label(GetDlgItem(d, ID_LABEL), RGB(255, 0, 0),
                               RGB(255, 0, 0));
        EXPECT_EQ(Draws, c.draws) << "row " << c.name;
        EXPECT_EQ(n.text > 0, c.draws > 0) << "row " << c.name << ": "
                                           << n.text << " red pixels";
        /* The device context's value is in the logged line; only the
         * number of lines counts here. */
        EXPECT_EQ(Log.size(), c.reached) << "row " << c.name << "\n"
                                         << kk_Lines(Log);
        g->kind = GAD_PLAIN;
        g->DrawProc = NULL;
        DestroyWindow(d);
    }
}
