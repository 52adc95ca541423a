/* Hotkey_win_test.cpp -- the hotkey field under Wine: real key presses
 * (SendInput) into an edit control of a dialog made a hotkey field, the
 * text the field shows after each event and the GM_HOTKEY notifications
 * a handler-table row saw, in order, each with the code hotkey_GetKey
 * read when it came; the field going idle after a key; the edit
 * control's own procedure back after gad_Free and at the dialog's end;
 * and the code makers and the names by table.
 *
 * Keyboard input goes to the focused window of the foreground thread:
 * each dialog is brought to the foreground and the field focused before
 * a key is pressed, and the queue (input included) is pumped after each
 * event, through TranslateMessage, as a client's message loop does. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "kk_gadget.h"

namespace {

enum { ID_FIELD = 401, ID_OTHER = 402 };

const std::vector<std::string> NONE_NOTES;

std::string hex(uint32_t v)
{
    char s[16];
    snprintf(s, sizeof s, "%#x", (unsigned)v);
    return s;
}

/* "GM_HOTKEY 401 0x474": the control and the code when the row ran. */
INT_PTR KKAPI note_Hotkey(HWND, WPARAM wParam, LPARAM lParam, int, LPARAM)
{
    kk_Notes().push_back("GM_HOTKEY " + std::to_string((unsigned)wParam) +
                         " " + hex(hotkey_GetKey((const Gadget *)lParam)));
    return DLG_HANDLED;
}

const DlgHandler HotkeyTable[] = {
    {GM_HOTKEY, 0, note_Hotkey, 0},
    {0, 0, NULL, 0},
};

/* Everything the queue holds, input too, as a message loop runs it; a
 * few rounds, so that what one message posts runs as well.  A round ends
 * after 500 messages, so a window that repaints itself for ever makes a
 * test fail, not hang. */
void pump(int rounds = 3)
{
    for (int i = 0; i < rounds; i++) {
        MSG m;
        for (int n = 0; n < 500 && PeekMessageA(&m, NULL, 0, 0, PM_REMOVE);
             n++) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(5);
    }
}

/* One key event of the real keyboard. */
struct Key {
    WORD vk;
    bool up;
};

bool key_Extended(WORD vk)
{
    switch (vk) {
    case VK_RCONTROL: case VK_RMENU: case VK_LWIN: case VK_RWIN:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT: case VK_UP:
    case VK_DOWN:
        return true;
    }
    return false;
}

bool key_Send(const Key &k)
{
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k.vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(k.vk, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = (key_Extended(k.vk) ? KEYEVENTF_EXTENDEDKEY : 0) |
                    (k.up ? KEYEVENTF_KEYUP : 0);
    return SendInput(1, &in, sizeof in) == 1;
}

Key down(WORD vk) { return {vk, false}; }

/* The system's own name of a key, from its key-name table (the names of
 * letters and function keys are the same everywhere; Space and Backspace
 * differ between systems). */
std::string sys_Name(WORD vk)
{
    char s[64] = "";
    GetKeyNameTextA((LONG)(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16), s,
                    sizeof s);
    return s;
}
Key up(WORD vk) { return {vk, true}; }

/* A visible dialog with an edit control made a hotkey field, and a
 * second edit control that stays plain. */
struct Field {
    GadgetDialog d;
    Gadget *g = NULL;
    WNDPROC editProc = NULL;   /* the edit control's own procedure */

    explicit Field(const char *caption = "", uint32_t flags = 0)
    {
        d.t.custom("EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, ID_FIELD,
                   5, 5, 150, 14, caption);
        d.t.custom("EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, ID_OTHER,
                   5, 30, 150, 14, "");
        if (!d.start(HotkeyTable))
            return;
        editProc = (WNDPROC)GetWindowLongPtrA(field(), GWLP_WNDPROC);
        g = hotkey_Create(d.dlg, ID_FIELD, flags);
        pump();
    }
    HWND field() const { return d.ctl(ID_FIELD); }
    std::string text() const
    {
        char s[300] = "";
        GetWindowTextA(field(), s, sizeof s);
        return s;
    }
    /* The dialog in the foreground and the field focused. */
    bool focus() const
    {
        for (int i = 0; i < 200; i++) {
            if (GetForegroundWindow() == d.dlg && GetFocus() == field())
                return true;
            SetForegroundWindow(d.dlg);
            SetFocus(field());
            pump(1);
        }
        return false;
    }
    /* The events one by one; after each the text the field shows. */
    std::vector<std::string> type(const std::vector<Key> &keys) const
    {
        std::vector<std::string> shown;
        for (const Key &k : keys) {
            if (!key_Send(k))
                shown.push_back("(SendInput refused)");
            pump();
            shown.push_back(text());
        }
        return shown;
    }
};

}  // namespace

/* ---- Creation ---- */

/* A fresh field: its kind and flags, the caption taken over, the data in
 * its order (the procedure saved, no key, no modifiers, idle), only a
 * FreeProc; it shows "None" once painted.  A missing control gives none;
 * null and plain gadgets are ignored. */
TEST(KnobkitHotkeyCreate, FreshFieldShowsNone)
{
    Field f("caption", 0x1234);
    Gadget *g = f.g;
    ASSERT_TRUE(g != NULL);
    EXPECT_EQ((uint32_t)GAD_HOTKEY, g->kind);
    EXPECT_EQ(0x1234u, g->flags);
    EXPECT_STREQ("caption", g->text);
    WNDPROC saved;
    memcpy(&saved, g->priv, sizeof saved);
    EXPECT_TRUE(saved == f.editProc);
    const uint32_t *words = g->priv + sizeof(WNDPROC) / sizeof(uint32_t);
    EXPECT_EQ(0u, words[0]) << "key";
    EXPECT_EQ(0u, words[1]) << "modifiers";
    EXPECT_EQ(0u, words[2]) << "hold";
    EXPECT_NE((LONG_PTR)f.editProc,
              GetWindowLongPtrA(f.field(), GWLP_WNDPROC));
    EXPECT_TRUE(g->FreeProc != NULL);
    EXPECT_TRUE(!g->DrawProc && !g->HitProc && !g->KnobHitProc &&
                !g->ClickProc && !g->PressProc && !g->DragProc &&
                !g->ReleaseProc && !g->TimerProc && !g->WheelProc);
    RedrawWindow(f.field(), NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump();
    EXPECT_EQ("None", f.text());
    EXPECT_EQ(0u, hotkey_GetKey(g));

    EXPECT_TRUE(hotkey_Create(f.d.dlg, 999, 0) == NULL);
    EXPECT_EQ(0u, hotkey_GetKey(NULL));
    hotkey_SetKey(NULL, 0x474);
    Gadget *plain = gad_GetGadget(f.d.dlg, ID_OTHER);
    ASSERT_TRUE(plain != NULL);
    hotkey_SetKey(plain, 0x474);
    EXPECT_EQ(0u, hotkey_GetKey(plain));
    char other[32] = "";
    GetWindowTextA(f.d.ctl(ID_OTHER), other, sizeof other);
    EXPECT_STREQ("", other);
}

/* hotkey_SetKey: the code, its name with the caret at the end, no
 * notification; a key pressed afterwards starts from the code's high
 * bits, which the field keeps. */
TEST(KnobkitHotkeyCreate, SetKeyShowsTheNameWithoutNotifying)
{
    struct Case { const char *name; uint32_t key; const char *text; };
    const Case cases[] = {
        {"left Ctrl F5", 0x474, "LCtrl + F5"},
        {"both Alts A", 0x3041, "Alt + A"},
        {"modifiers only", 0x4200, "Shift + LWin +"},
        {"none", 0, "None"},
    };
    Field f;
    ASSERT_TRUE(f.g != NULL);
    for (const Case &c : cases) {
        hotkey_SetKey(f.g, c.key);
        EXPECT_EQ(c.key, hotkey_GetKey(f.g)) << "row " << c.name;
        EXPECT_EQ(c.text, f.text()) << "row " << c.name;
        DWORD start = 1, end = 1;
        SendMessageA(f.field(), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(strlen(c.text), start) << "row " << c.name;
        EXPECT_EQ(strlen(c.text), end) << "row " << c.name;
        pump();
        EXPECT_EQ(c.text, f.text()) << "row " << c.name << ", painted";
        EXPECT_NOTES(f.d, NONE_NOTES, c.name);
    }
}

/* ---- Real keys ---- */

/* Each row presses and releases keys into a fresh field: the text after
 * every event, the notifications in order and the code at the end. */
TEST(KnobkitHotkeyKeys, PressesShowAndNotify)
{
    struct Case {
        const char *name;
        std::vector<Key> keys;
        std::vector<std::string> shown;
        std::vector<std::string> notes;
        uint32_t key;
    };
    const Case cases[] = {
        {"left Ctrl, F5, both released",
         {down(VK_LCONTROL), down(VK_F5), up(VK_F5), up(VK_LCONTROL)},
         {"LCtrl +", "LCtrl + F5", "LCtrl + F5", "LCtrl + F5"},
         {"GM_HOTKEY 401 0x474"},
         VK_F5 | 0x400},
        {"left Ctrl released before F5: the combination stays",
         {down(VK_LCONTROL), down(VK_F5), up(VK_LCONTROL), up(VK_F5)},
         {"LCtrl +", "LCtrl + F5", "LCtrl + F5", "LCtrl + F5"},
         {"GM_HOTKEY 401 0x474"},
         VK_F5 | 0x400},
        {"right Ctrl is the extended one",
         {down(VK_RCONTROL), down(VK_F5), up(VK_F5), up(VK_RCONTROL)},
         {"RCtrl +", "RCtrl + F5", "RCtrl + F5", "RCtrl + F5"},
         {"GM_HOTKEY 401 0x874"},
         VK_F5 | 0x800},
        {"right Alt alone, with no hotkey to clear",
         {down(VK_RMENU), up(VK_RMENU)},
         {"RAlt +", "None"},
         {},
         0},
        {"right Alt and A",
         {down(VK_RMENU), down('A'), up('A'), up(VK_RMENU)},
         {"RAlt +", "RAlt + A", "RAlt + A", "RAlt + A"},
         {"GM_HOTKEY 401 0x2041"},
         0x2041},
        {"Shift and left Alt held together, then F5",
         {down(VK_SHIFT), down(VK_LMENU), down(VK_F5), up(VK_F5),
          up(VK_LMENU), up(VK_SHIFT)},
         {"Shift +", "Shift + LAlt +", "Shift + LAlt + F5",
          "Shift + LAlt + F5", "Shift + LAlt + F5", "Shift + LAlt + F5"},
         {"GM_HOTKEY 401 0x1274"},
         VK_F5 | 0x1200},
        {"modifiers change before the key",
         {down(VK_LCONTROL), down(VK_SHIFT), up(VK_LCONTROL), down(VK_F5),
          up(VK_F5), up(VK_SHIFT)},
         {"LCtrl +", "Shift + LCtrl +", "Shift +", "Shift + F5",
          "Shift + F5", "Shift + F5"},
         {"GM_HOTKEY 401 0x274"},
         VK_F5 | 0x200},
        {"a plain A is a hotkey of its own",
         {down('A'), up('A')},
         {"A", "A"},
         {"GM_HOTKEY 401 0x41"},
         'A'},
        {"Shift alone after A clears it",
         {down('A'), up('A'), down(VK_SHIFT), up(VK_SHIFT)},
         {"A", "A", "Shift +", "None"},
         {"GM_HOTKEY 401 0x41", "GM_HOTKEY 401 0"},
         0},
        {"Shift alone after left Ctrl F5 clears it",
         {down(VK_LCONTROL), down(VK_F5), up(VK_F5), up(VK_LCONTROL),
          down(VK_SHIFT), up(VK_SHIFT)},
         {"LCtrl +", "LCtrl + F5", "LCtrl + F5", "LCtrl + F5", "Shift +",
          "None"},
         {"GM_HOTKEY 401 0x474", "GM_HOTKEY 401 0"},
         0},
        {"a second key replaces the first",
         {down('A'), up('A'), down(VK_F5), up(VK_F5)},
         {"A", "A", "F5", "F5"},
         {"GM_HOTKEY 401 0x41", "GM_HOTKEY 401 0x74"},
         VK_F5},
        {"releasing the second of two keys clears nothing",
         {down('A'), down('B'), up('A'), up('B')},
         {"A", "B", "B", "B"},
         {"GM_HOTKEY 401 0x41", "GM_HOTKEY 401 0x42"},
         'B'},
        {"typed characters never appear",
         {down('Q'), up('Q'), down('W'), up('W'), down(VK_SPACE),
          up(VK_SPACE)},
         {"Q", "Q", "W", "W", sys_Name(VK_SPACE), sys_Name(VK_SPACE)},
         {"GM_HOTKEY 401 0x51", "GM_HOTKEY 401 0x57", "GM_HOTKEY 401 0x20"},
         VK_SPACE},
        {"Backspace is a key, not an edit",
         {down(VK_BACK), up(VK_BACK)},
         {sys_Name(VK_BACK), sys_Name(VK_BACK)},
         {"GM_HOTKEY 401 0x8"},
         VK_BACK},
    };
    for (const Case &c : cases) {
        Field f;
        ASSERT_TRUE(f.g != NULL) << "row " << c.name;
        ASSERT_TRUE(f.focus()) << "row " << c.name;
        std::vector<std::string> shown = f.type(c.keys);
        EXPECT_LINES(shown, c.shown, c.name);
        EXPECT_NOTES(f.d, c.notes, c.name);
        EXPECT_EQ(hex(c.key), hex(hotkey_GetKey(f.g))) << "row " << c.name;
    }
}

/* A held key repeats: each repeat sets the code again and tells the
 * dialog again. */
TEST(KnobkitHotkeyKeys, AutoRepeatNotifiesAgain)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    ASSERT_TRUE(f.focus());
    std::vector<std::string> shown =
        f.type({down(VK_LCONTROL), down(VK_F5), down(VK_F5), down(VK_F5),
                up(VK_F5), up(VK_LCONTROL)});
    const std::vector<std::string> want = {"LCtrl +", "LCtrl + F5",
                                           "LCtrl + F5", "LCtrl + F5",
                                           "LCtrl + F5", "LCtrl + F5"};
    EXPECT_LINES(shown, want, "held F5");
    const std::vector<std::string> notes = {
        "GM_HOTKEY 401 0x474", "GM_HOTKEY 401 0x474", "GM_HOTKEY 401 0x474"};
    EXPECT_NOTES(f.d, notes, "held F5");
}

/* Counts what a window is painted with, on top of its procedure. */
struct PaintCount {
    static int erases, paints;
    static WNDPROC below;
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM w, LPARAM l)
    {
        erases += msg == WM_ERASEBKGND;
        paints += msg == WM_PAINT;
        return CallWindowProcA(below, h, msg, w, l);
    }
};
int PaintCount::erases, PaintCount::paints;
WNDPROC PaintCount::below;

/* Setting the field's text erases it, and an erase makes sure of the
 * text: after a key, a repaint and half a second of pumping the field has
 * been painted a few times and has nothing left to paint, the text
 * unchanged. */
TEST(KnobkitHotkeyKeys, FieldGoesIdleAfterAKey)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    ASSERT_TRUE(f.focus());
    PaintCount::erases = PaintCount::paints = 0;
    PaintCount::below = (WNDPROC)SetWindowLongPtrA(
        f.field(), GWLP_WNDPROC, (LONG_PTR)PaintCount::proc);
    f.type({down(VK_LCONTROL), down(VK_F5), up(VK_F5), up(VK_LCONTROL)});
    RedrawWindow(f.field(), NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
    for (int i = 0; i < 50; i++)
        pump(1), Sleep(5);
    EXPECT_GE(PaintCount::paints, 1);
    EXPECT_GE(PaintCount::erases, 1);
    EXPECT_LE(PaintCount::paints, 12) << "erases " << PaintCount::erases;
    EXPECT_LE(PaintCount::erases, 12) << "paints " << PaintCount::paints;
    EXPECT_FALSE(GetUpdateRect(f.field(), NULL, FALSE));
    EXPECT_EQ("LCtrl + F5", f.text());
    SetWindowLongPtrA(f.field(), GWLP_WNDPROC, (LONG_PTR)PaintCount::below);
}

/* An erase puts back what the field is to show: the hotkey, or the
 * modifiers while they are held before a key. */
TEST(KnobkitHotkeyKeys, EraseRestoresTheShownText)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    ASSERT_TRUE(f.focus());
    hotkey_SetKey(f.g, 'A');
    SetWindowTextA(f.field(), "typed over");
    RedrawWindow(f.field(), NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump();
    EXPECT_EQ("A", f.text());
    f.type({down(VK_LCONTROL)});
    SetWindowTextA(f.field(), "typed over");
    RedrawWindow(f.field(), NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump();
    EXPECT_EQ("LCtrl +", f.text());
    f.type({up(VK_LCONTROL)});
    EXPECT_EQ("None", f.text());
}

/* Ends a menu that opens while the timer runs, and says so. */
static bool menuSeen;
static void CALLBACK menu_Watch(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menu = FindWindowA("#32768", NULL);
    if (menu && IsWindowVisible(menu)) {
        menuSeen = true;
        EndMenu();
    }
}

/* A right click (real mouse) on the field and WM_CONTEXTMENU itself open
 * no menu; the plain edit control beside it does open one, so the watch
 * sees menus. */
TEST(KnobkitHotkeyKeys, NoContextMenu)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    ASSERT_TRUE(f.focus());
    UINT_PTR timer = SetTimer(NULL, 0, 50, menu_Watch);
    auto rightClick = [&](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        pump();
        INPUT in[2];
        ZeroMemory(in, sizeof in);
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, in, sizeof *in);
        for (int i = 0; i < 20; i++)
            pump(1);
    };
    menuSeen = false;
    rightClick(f.field());
    EXPECT_FALSE(menuSeen) << "the hotkey field, right click";
    menuSeen = false;
    EXPECT_EQ(0, SendMessageA(f.field(), WM_CONTEXTMENU,
                              (WPARAM)f.field(), MAKELPARAM(10, 10)));
    pump();
    EXPECT_FALSE(menuSeen) << "the hotkey field, WM_CONTEXTMENU";
    menuSeen = false;
    rightClick(f.d.ctl(ID_OTHER));
    EXPECT_TRUE(menuSeen) << "the plain edit control, right click";
    KillTimer(NULL, timer);
}

/* ---- The edit control's own procedure ---- */

/* gad_Free gives the control its procedure back: keys type characters
 * again, and nothing more is posted.  Made a field twice, the second
 * field saves the edit control's procedure, not the first field's. */
TEST(KnobkitHotkeyFree, FreeGivesTheProcedureBack)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    ASSERT_TRUE(hotkey_Create(f.d.dlg, ID_FIELD, 0) == f.g);
    WNDPROC saved;
    memcpy(&saved, f.g->priv, sizeof saved);
    EXPECT_TRUE(saved == f.editProc);
    ASSERT_TRUE(f.focus());
    f.type({down('A'), up('A')});
    EXPECT_EQ("A", f.text());
    EXPECT_NOTES(f.d, std::vector<std::string>{"GM_HOTKEY 401 0x41"},
                 "as a field");

    EXPECT_EQ(0u, gad_Free(f.g));
    EXPECT_EQ((LONG_PTR)f.editProc,
              GetWindowLongPtrA(f.field(), GWLP_WNDPROC));
    SetWindowTextA(f.field(), "");
    f.type({down('B'), up('B'), down('C'), up('C')});
    EXPECT_EQ("bc", f.text());
    EXPECT_NOTES(f.d, NONE_NOTES, "freed");
}

/* A field destroyed before its dialog lets its procedure go at once:
 * the record's release later has nothing left to give back. */
TEST(KnobkitHotkeyFree, ControlDestroyedFirst)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    DestroyWindow(f.field());
    WNDPROC saved;
    memcpy(&saved, f.g->priv, sizeof saved);
    EXPECT_TRUE(saved == NULL);
    EXPECT_EQ(0u, gad_Free(f.g));
}

/* The procedure the control has when it is destroyed with its dialog. */
static HWND watched;
static LONG_PTR procAtDestroy;
static LRESULT CALLBACK destroy_Watch(int code, WPARAM w, LPARAM l)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)l;
    if (code == HC_ACTION && m->hwnd == watched && m->message == WM_DESTROY)
        procAtDestroy = GetWindowLongPtrA(m->hwnd, GWLP_WNDPROC);
    return CallNextHookEx(NULL, code, w, l);
}

/* At the dialog's end the record goes before the control does: the
 * control already has its own procedure back when it is destroyed. */
TEST(KnobkitHotkeyFree, DialogEndGivesTheProcedureBack)
{
    Field f;
    ASSERT_TRUE(f.g != NULL);
    watched = f.field();
    procAtDestroy = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, destroy_Watch, NULL,
                                   GetCurrentThreadId());
    ASSERT_TRUE(hook != NULL);
    DestroyWindow(f.d.dlg);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ((LONG_PTR)f.editProc, procAtDestroy);
}

/* ---- Codes and names ---- */

/* From a keyboard message's lParam: the key from the scan code in bits
 * 16-23 and the extended bit; repeat count and transition bits play no
 * part.  From a system hotkey's: the key from bits 16-23, each MOD_ a
 * pair.  Any other from: param as it is. */
TEST(KnobkitHotkeyCodes, MakeByTable)
{
    struct Case { const char *name; DWORD param; int from; uint32_t code; };
    const Case cases[] = {
        {"F5's scan code", 0x003F0001, HOTKEY_FROMKEY, VK_F5},
        {"A's, repeated, key up", 0xC01E0005, HOTKEY_FROMKEY, 'A'},
        {"Space's", 0x00390001, HOTKEY_FROMKEY, VK_SPACE},
        {"right Ctrl: extended", 0x011D0001, HOTKEY_FROMKEY, 0x111},
        {"left Ctrl", 0x001D0001, HOTKEY_FROMKEY, VK_CONTROL},
        {"MOD_ALT alone", MOD_ALT, HOTKEY_FROMHOTKEY, 0x3000},
        {"MOD_ALT and A", MOD_ALT | ('A' << 16), HOTKEY_FROMHOTKEY, 0x3041},
        {"MOD_CONTROL and F5", MOD_CONTROL | (VK_F5 << 16),
         HOTKEY_FROMHOTKEY, 0x0C74},
        {"MOD_SHIFT", MOD_SHIFT | ('B' << 16), HOTKEY_FROMHOTKEY, 0x0242},
        {"MOD_WIN", MOD_WIN | ('E' << 16), HOTKEY_FROMHOTKEY, 0xC045},
        {"all four", 0xF | (VK_F12 << 16), HOTKEY_FROMHOTKEY, 0xFE7B},
        {"no key, no modifier", 0, HOTKEY_FROMHOTKEY, 0},
        {"from 2", 0x12345678, 2, 0x12345678},
        {"from -1", 0xFFFF0000, -1, 0xFFFF0000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hex(c.code), hex(hotkey_Make(c.param, c.from)))
            << "row " << c.name;
}

/* Names: "None" for 0; the prefixes in the order Shift, Ctrl, Alt, Win,
 * a pair without a side when both bits are set; the key's name from the
 * system; modifiers only without the final blank.  Bits above the code
 * play no part. */
TEST(KnobkitHotkeyCodes, GetTextByTable)
{
    struct Case { const char *name; uint32_t key; const char *text; };
    const Case cases[] = {
        {"none", 0, "None"},
        {"A", 'A', "A"},
        {"F5", VK_F5, "F5"},
        {"left Ctrl F5", 0x474, "LCtrl + F5"},
        {"right Ctrl F5", 0x874, "RCtrl + F5"},
        {"both Ctrls F5", 0xC74, "Ctrl + F5"},
        {"Shift alone", 0x200, "Shift +"},
        {"left Alt alone", 0x1000, "LAlt +"},
        {"right Alt alone", 0x2000, "RAlt +"},
        {"both Alts alone", 0x3000, "Alt +"},
        {"left Win A", 0x4041, "LWin + A"},
        {"right Win A", 0x8041, "RWin + A"},
        {"both Wins A", 0xC041, "Win + A"},
        {"every modifier, no key", 0xFE00, "Shift + Ctrl + Alt + Win +"},
        {"mixed sides", 0xA641, "Shift + LCtrl + RAlt + RWin + A"},
        {"MOD_ALT", hotkey_Make(MOD_ALT, HOTKEY_FROMHOTKEY), "Alt +"},
        {"MOD_ALT and A", hotkey_Make(MOD_ALT | ('A' << 16), HOTKEY_FROMHOTKEY),
         "Alt + A"},
        {"MOD_CONTROL MOD_SHIFT F5",
         hotkey_Make(MOD_CONTROL | MOD_SHIFT | (VK_F5 << 16), HOTKEY_FROMHOTKEY),
         "Shift + Ctrl + F5"},
        {"high bits ignored", 0x10000474, "LCtrl + F5"},
    };
    for (const Case &c : cases) {
        char out[256];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(out, hotkey_GetText(c.key, out, sizeof out))
            << "row " << c.name;
        EXPECT_STREQ(c.text, out) << "row " << c.name;
    }
}

/* size is respected: at most size - 1 characters and the terminator,
 * within the prefix as well; nothing at all is written below 1. */
TEST(KnobkitHotkeyCodes, GetTextKeepsToSize)
{
    struct Case {
        const char *name;
        uint32_t key;
        int size;
        const char *text;   /* null: the buffer untouched */
    };
    const Case cases[] = {
        {"5 of a longer name", VK_F5 | 0x400, 5, "LCtr"},
        {"3, inside the prefix", VK_F5 | 0x400, 3, "LC"},
        {"2 of None", 0, 2, "N"},
        {"1: the terminator only", VK_F5 | 0x400, 1, ""},
        {"just long enough", VK_F5 | 0x400, 11, "LCtrl + F5"},
        {"one short", VK_F5 | 0x400, 10, "LCtrl + F"},
        {"modifiers only, 7", 0x1000, 7, "LAlt +"},
        {"modifiers only, 6", 0x1000, 6, "LAlt "},
        {"0: nothing", VK_F5, 0, NULL},
        {"negative: nothing", VK_F5, -4, NULL},
    };
    for (const Case &c : cases) {
        char out[32];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(out, hotkey_GetText(c.key, out, c.size)) << "row " << c.name;
        int size = c.size > 0 ? c.size : 0;
        if (c.text) {
            EXPECT_STREQ(c.text, out) << "row " << c.name;
        }
        for (int i = size; i < (int)sizeof out; i++)
            EXPECT_EQ('x', out[i]) << "row " << c.name << " byte " << i;
    }
    EXPECT_TRUE(hotkey_GetText(0, NULL, 10) == NULL);
}

/* hotkey_Track over a client's message sequence: modifiers set and
 * cleared in *modifiers with 0 answered, an ordinary key answered with
 * the modifiers held; other messages answer 0.  Key codes between the
 * modifiers (Caps Lock, 20) are ordinary keys. */
TEST(KnobkitHotkeyCodes, TrackBySequence)
{
    struct Case {
        const char *name;
        UINT msg;
        WPARAM vk;
        LPARAM lParam;
        uint32_t answer;
        DWORD modifiers;   /* after the message */
    };
    const LPARAM ext = 0x1000000, f5 = 0x003F0001, a = 0x001E0001;
    const Case cases[] = {
        {"left Ctrl down", WM_KEYDOWN, VK_CONTROL, 0x001D0001, 0, 0x400},
        {"right Alt down", WM_SYSKEYDOWN, VK_MENU, 0x0138 << 16 | ext, 0,
         0x2400},
        {"F5 down", WM_SYSKEYDOWN, VK_F5, f5, 0x2474, 0x2400},
        {"F5 up", WM_SYSKEYUP, VK_F5, f5, 0, 0x2400},
        {"left Ctrl up", WM_KEYUP, VK_CONTROL, 0x001D0001, 0, 0x2000},
        {"a character", WM_CHAR, 'a', a, 0, 0x2000},
        {"right Alt up", WM_SYSKEYUP, VK_MENU, 0x0138 << 16 | ext, 0, 0},
        {"left Win down", WM_KEYDOWN, VK_LWIN, 0x015B << 16 | ext, 0, 0x4000},
        {"right Win down", WM_KEYDOWN, VK_RWIN, 0x015C << 16 | ext, 0, 0xC000},
        {"Shift down", WM_KEYDOWN, VK_SHIFT, 0x002A0001, 0, 0xC200},
        {"Caps Lock down: ordinary", WM_KEYDOWN, VK_CAPITAL, 0x003A0001,
         0xC200 | VK_CAPITAL, 0xC200},
        {"A down", WM_KEYDOWN, 'A', a, 0xC241, 0xC200},
        {"Shift up", WM_KEYUP, VK_SHIFT, 0x002A0001, 0, 0xC000},
        {"right Ctrl down", WM_KEYDOWN, VK_CONTROL, 0x001D0001 | ext, 0,
         0xC800},
        {"a mouse message", WM_MOUSEMOVE, 0, 0, 0, 0xC800},
    };
    DWORD modifiers = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(hex(c.answer),
                  hex(hotkey_Track(c.msg, c.vk, c.lParam, &modifiers)))
            << "row " << c.name;
        EXPECT_EQ(hex(c.modifiers), hex(modifiers)) << "row " << c.name;
    }
    EXPECT_EQ(hex('A'), hex(hotkey_Track(WM_KEYDOWN, 'A', a, NULL)));
    EXPECT_EQ(0u, hotkey_Track(WM_KEYDOWN, VK_SHIFT, 0x002A0001, NULL));
}
