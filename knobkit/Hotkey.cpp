/* Hotkey.cpp -- the hotkey field: an edit control that captures key
 * combinations.
 *
 * A hotkey code is one 32-bit word of which the low 16 bits are used:
 *
 *   bits 0-7   virtual-key code of the main key
 *   0x100      extended key (bit 24 of the keyboard message's lParam)
 *   0x200      Shift
 *   0x400      left Ctrl        0x800   right Ctrl
 *   0x1000     left Alt         0x2000  right Alt
 *   0x4000     left Win         0x8000  right Win
 *
 * 0 is no hotkey.  A modifier without a side (a system hotkey's MOD_...)
 * sets both bits of its pair, and names itself without a side.
 *
 * The field is the edit control with its window procedure replaced: key
 * messages never reach the edit control, the field's text is set from the
 * code instead.  While modifiers are held before a key the field shows
 * them as they change; a key fixes the combination, which stays on screen
 * until every modifier is up.  A modifier pressed and released alone
 * clears the hotkey.  The control's own procedure comes back when the
 * gadget is freed (gad_Free, or the dialog's end, both through FreeProc),
 * so nothing reaches the hotkey procedure once its record is gone.
 */
#include "kk_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("knobkit/Hotkey.cpp");

#define HK_KEY       0xFFu     /* the main key's virtual-key code */
#define HK_CODE      0xFFFFu   /* the bits a code uses */

#define HK_TEXT_MAX  256       /* a name, terminator included */

/* The hotkey field's private data. */
typedef struct HotkeyData {
    WNDPROC  oldWndProc;   /* the edit control's own procedure */
    uint32_t key;          /* the current hotkey code */
    uint32_t modifiers;    /* modifier bits held now, in the code's layout */
    uint32_t hold;         /* 0 idle, 2 a key was just pressed, 1 the
                            * combination stays shown until all are up */
} HotkeyData;

static HotkeyData *hk_Data(const Gadget *g)
{
    return gad_Data<HotkeyData>(g);
}

static BOOL hk_Is(const Gadget *g)
{
    return g && GAD_KIND(g) == GAD_HOTKEY;
}

/* The code bit of a modifier key; 0 for any other key.  The right Ctrl
 * and Alt keys are the extended ones; both Shift keys are one Shift. */
static uint32_t mod_Bit(WPARAM vk, LPARAM lParam)
{
    BOOL ext = (lParam & 0x1000000) != 0;
    switch (vk) {
    case VK_SHIFT:   return HOTKEY_SHIFT;
    case VK_CONTROL: return ext ? HOTKEY_RCTRL : HOTKEY_LCTRL;
    case VK_MENU:    return ext ? HOTKEY_RALT : HOTKEY_LALT;
    case VK_LWIN:    return HOTKEY_LWIN;
    case VK_RWIN:    return HOTKEY_RWIN;
    }
    return 0;
}

static BOOL msg_IsKeyDown(UINT msg)
{
    return msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
}

static BOOL msg_IsKeyUp(UINT msg)
{
    return msg == WM_KEYUP || msg == WM_SYSKEYUP;
}

/* One modifier pair's prefix: both bits without a side, else the side's. */
static void pair_Append(char *text, uint32_t code, uint32_t left,
                        uint32_t right, const char *name)
{
    if (!(code & (left | right)))
        return;
    if (!(code & left) || !(code & right))
        strcat(text, (code & left) ? "L" : "R");
    strcat(text, name);
    strcat(text, " + ");
}

/* The whole name into text (HK_TEXT_MAX characters). */
static void name_Make(uint32_t code, char *text)
{
    if (!code) {
        strcpy(text, "None");
        return;
    }
    text[0] = 0;
    if (code & HOTKEY_SHIFT)
        strcat(text, "Shift + ");
    pair_Append(text, code, HOTKEY_LCTRL, HOTKEY_RCTRL, "Ctrl");
    pair_Append(text, code, HOTKEY_LALT, HOTKEY_RALT, "Alt");
    pair_Append(text, code, HOTKEY_LWIN, HOTKEY_RWIN, "Win");
    LONG s = (LONG)(MapVirtualKeyA(code & HK_KEY, 0) << 16);
    if (code & HOTKEY_EXTENDED)
        s |= 0x1000000;
    size_t len = strlen(text);
    if (s)
        GetKeyNameTextA(s, text + len, (int)(HK_TEXT_MAX - len));
    else if (len)
        text[len - 1] = 0;   /* modifiers only end in the plus sign */
}

/* The field shows text, with the caret after it. */
static void field_Show(HWND hWnd, const char *text)
{
    SetWindowTextA(hWnd, text);
    SendMessageA(hWnd, EM_SETSEL, (WPARAM)lstrlenA(text), (LPARAM)-1);
}

static void field_ShowCode(HWND hWnd, uint32_t code)
{
    char text[HK_TEXT_MAX];
    name_Make(code, text);
    field_Show(hWnd, text);
}

/* What the field is to show now: the modifiers alone while they are held
 * before a key, else the hotkey. */
static uint32_t field_Code(const HotkeyData *d)
{
    return d->hold == 0 && d->modifiers ? d->modifiers : d->key;
}

/* Every erase makes sure the field shows its code.  Setting a text
 * invalidates the edit control, which erases it again: only a text that
 * differs is set, so the second erase finds it right and the field goes
 * idle. */
static void field_Refresh(HWND hWnd, const HotkeyData *d)
{
    char want[HK_TEXT_MAX], shown[HK_TEXT_MAX];
    name_Make(field_Code(d), want);
    GetWindowTextA(hWnd, shown, HK_TEXT_MAX);
    if (strcmp(want, shown))
        field_Show(hWnd, want);
}

/* A key went down; m is the modifiers as they are after it. */
static void key_Down(Gadget *g, WPARAM vk, LPARAM lParam, uint32_t *m)
{
    HotkeyData *d = hk_Data(g);
    uint32_t bit = mod_Bit(vk, lParam);
    if (bit) {
        *m |= bit;
        return;
    }
    /* Auto-repeat comes here again, and tells the dialog again. */
    d->key = hotkey_Make((DWORD)lParam, 0) | (d->key & ~HK_CODE) |
             d->modifiers;
    d->hold = 2;
    gad_Notify(g, GM_HOTKEY);
}

/* A key went up.  Once the last modifier is up, a combination that was
 * shown is let go; a modifier that went up with no key pressed since the
 * modifiers were first held clears the hotkey.  A key other than a
 * modifier never clears it: releasing the second of two keys is no lone
 * modifier. */
static void key_Up(Gadget *g, WPARAM vk, LPARAM lParam, uint32_t *m)
{
    HotkeyData *d = hk_Data(g);
    uint32_t bit = mod_Bit(vk, lParam);
    BOOL held = *m != 0;
    *m &= ~bit;
    if (*m)
        return;
    if (d->hold) {
        d->modifiers = 0;
        d->hold = 0;
    } else if (bit && held && (d->key & HK_CODE)) {
        d->key &= ~HK_CODE;
        gad_Notify(g, GM_HOTKEY);
    }
}

/* After a key message: what the field shows. */
static void key_Display(Gadget *g, uint32_t m)
{
    HotkeyData *d = hk_Data(g);
    switch (d->hold) {
    case 0:
        if (m != d->modifiers) {
            d->modifiers = m;
            field_ShowCode(g->hWnd, m);
        }
        return;
    case 1:
        d->modifiers = m;
        return;
    default:
        d->modifiers = m;
        field_ShowCode(g->hWnd, d->key);
        d->hold = 1;
        return;
    }
}

/* The edit control gets its own procedure back; the record stays. */
static uint32_t KKAPI hotkey_Free(Gadget *g)
{
    HotkeyData *d = hk_Data(g);
    if (d->oldWndProc && IsWindow(g->hWnd))
        SetWindowLongPtrA(g->hWnd, GWLP_WNDPROC, (LONG_PTR)d->oldWndProc);
    d->oldWndProc = NULL;
    return 0;
}

/* The field's record: the library's record of this very control, while
 * it is a hotkey field. */
static Gadget *field_Gadget(HWND hWnd)
{
    Gadget *g = (Gadget *)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
    return g && g->hWnd == hWnd && hk_Is(g) ? g : NULL;
}

static LRESULT CALLBACK hotkey_Proc(HWND hWnd, UINT msg, WPARAM wParam,
                                    LPARAM lParam)
{
    Gadget *g = field_Gadget(hWnd);
    if (!g || msg == WM_CONTEXTMENU || msg == WM_CHAR)
        return 0;
    HotkeyData *d = hk_Data(g);
    if (msg == WM_NCDESTROY) {
        /* The control goes before its record: its handle may be another
         * window's by the time the record is released. */
        WNDPROC own = d->oldWndProc;
        hotkey_Free(g);
        return CallWindowProcA(own, hWnd, msg, wParam, lParam);
    }
    if (msg == WM_ERASEBKGND)
        field_Refresh(hWnd, d);
    if (!msg_IsKeyDown(msg) && !msg_IsKeyUp(msg))
        return CallWindowProcA(d->oldWndProc, hWnd, msg, wParam, lParam);
    uint32_t m = d->modifiers;
    if (msg_IsKeyDown(msg))
        key_Down(g, wParam, lParam, &m);
    else
        key_Up(g, wParam, lParam, &m);
    key_Display(g, m);
    return 0;
}

/* ---- Exports ---- */

extern "C" Gadget *KKAPI hotkey_Create(HWND hDlg, int id, uint32_t flags)
{
    static const GadOps ops = {
        hotkey_Free, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
    };
    Gadget *g = gad_Become(hDlg, id, GAD_HOTKEY, flags, &ops);
    if (!g)
        return NULL;
    HotkeyData *d = hk_Data(g);
    d->oldWndProc = (WNDPROC)SetWindowLongPtrA(g->hWnd, GWLP_WNDPROC,
                                               (LONG_PTR)hotkey_Proc);
    return g;
}

extern "C" uint32_t KKAPI hotkey_GetKey(const Gadget *g)
{
    return hk_Is(g) ? hk_Data(g)->key : 0;
}

extern "C" void KKAPI hotkey_SetKey(Gadget *g, uint32_t key)
{
    if (!hk_Is(g))
        return;
    HotkeyData *d = hk_Data(g);
    d->modifiers = 0;
    d->hold = 0;
    d->key = key;
    field_ShowCode(g->hWnd, key);
}

/* A system hotkey's MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN, and the
 * code bits each stands for. */
static uint32_t mods_FromSystem(DWORD param)
{
    static const struct { DWORD mod; uint32_t bits; } Mods[] = {
        {MOD_ALT, HOTKEY_LALT | HOTKEY_RALT},
        {MOD_CONTROL, HOTKEY_LCTRL | HOTKEY_RCTRL},
        {MOD_SHIFT, HOTKEY_SHIFT},
        {MOD_WIN, HOTKEY_LWIN | HOTKEY_RWIN},
    };
    uint32_t bits = 0;
    for (size_t i = 0; i < sizeof Mods / sizeof *Mods; i++)
        if (param & Mods[i].mod)
            bits |= Mods[i].bits;
    return bits;
}

extern "C" uint32_t KKAPI hotkey_Make(DWORD param, int from)
{
    switch (from) {
    case HOTKEY_FROMKEY: {
        uint32_t vk = MapVirtualKeyA((param >> 16) & 0xFF, 1) & HK_KEY;
        return vk | ((param & 0x1000000) ? HOTKEY_EXTENDED : 0);
    }
    case HOTKEY_FROMHOTKEY:
        return ((param >> 16) & HK_KEY) | mods_FromSystem(param);
    }
    return param;
}

extern "C" uint32_t KKAPI hotkey_Track(UINT msg, WPARAM vk, LPARAM lParam,
                                       DWORD *modifiers)
{
    DWORD none = 0;
    if (!modifiers)
        modifiers = &none;
    uint32_t bit = mod_Bit(vk, lParam);
    if (msg_IsKeyDown(msg)) {
        *modifiers |= bit;
        return bit ? 0 : hotkey_Make((DWORD)lParam, 0) | *modifiers;
    }
    if (msg_IsKeyUp(msg))
        *modifiers &= ~bit;
    return 0;
}

/* A size of 0 or less leaves no room even for the terminator: nothing is
 * written. */
extern "C" char *KKAPI hotkey_GetText(uint32_t key, char *out, int size)
{
    if (!out || size <= 0)
        return out;
    char text[HK_TEXT_MAX];
    name_Make(key, text);
    strncpy(out, text, (size_t)size);
    out[size - 1] = 0;
    return out;
}
