/* gallery.cpp -- the knobkit gallery, the place where every gadget is
 * shown: a client of knobkit.dll, and the model for writing one.  A
 * caption-less dialog, sized by its border, whose controls follow by
 * their alignment, with its own caption buttons (minimise, close), a
 * sample label that check box and radio buttons restyle, a combo box of
 * the gadget kinds, tooltips on every gadget, and a tab gadget with five
 * pages:
 *   Turn     a slider and a wheel with their values in labels, auto-repeat
 *            image buttons that step both, a toggle that locks them; an
 *            LED display showing the slider's value on seven-segment
 *            digits over a scrolling line, and a progress bar that follows
 *            the wheel;
 *   Size     a sizer whose rectangle a label describes;
 *   Buttons  the factory's gadgets: four lamps with arrows that move the
 *            light, the mute toggle and the maker's logo, which opens the
 *            about box;
 *   Keys     a hotkey field, whose combination a label names;
 *   List     a list of the gallery's gadgets, reordered with Up and Down,
 *            deleted from with Delete (the button or the key), renamed in
 *            place by a second click on the current item's name.
 * It keeps its window's position and the last values of its gadgets in
 * gallery.ini beside it (Settings, below).
 * Capture saves the dialog, as the screen shows it, as gallery.bmp beside
 * the program.
 *
 *     gallery [--help]
 *
 * It writes no dialog procedure.  The library runs the dialog, its pages
 * and its about box, and calls the rows of their handler tables; each
 * handler gets the control's ready-made value and answers DLG_HANDLED, or
 * ends its dialog with DLG_ENDOK / DLG_ENDCANCEL.
 *
 * Its texts come from gallery.lng beside it, in English or German (the
 * button Language... chooses); Escape, Alt+F4 and the close box ask
 * through a requester before the gallery closes.
 *
 * Exit code: 0 ended with Close, 1 cancelled (Escape, Alt+F4, the close
 * box, and Yes to the question), 2 a usage error, 3 the dialog could not
 * be made.
 */
#include "gallery.h"
#include "knobkit.h"

#include <commctrl.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#define COUNT(a) (sizeof(a) / sizeof *(a))

static const char usage[] =
    "usage: gallery [--help]   shows knobkit's gadgets in a dialog\n";

/* The sample label's colours, one radio button each from IDC_BLACK on. */
static const struct {
    const char *name;
    COLORREF    rgb;
} colours[] = {
    {"black", RGB(0, 0, 0)},
    {"blue", RGB(0, 48, 160)},
    {"red", RGB(176, 0, 0)},
};

/* The combo box: every gadget, and where it is shown (null: not yet). */
static const struct {
    const char *name;
    const char *where;
} kinds[] = {
    {"LED display", "on page Turn"},
    {"image button", "on pages Turn and Buttons"},
    {"slider", "on page Turn"},
    {"wheel", "on page Turn"},
    {"sizer", "on page Size"},
    {"progress bar", "on page Turn"},
    {"hot key", "on page Keys"},
    {"list", "on page List"},
    {"tabs", "on the right"},
    {"image static", "on page Buttons"},
    {"caption buttons", "at the top right"},
};

enum { PAGE_TURN, PAGE_SIZE, PAGE_BUTTONS, PAGE_KEYS, PAGE_LIST, PAGES };
enum { LAMPS = 4 };

/* The LED's scrolling line: its cells, and the timer that moves it while
 * page Turn is shown. */
enum { LINE_CELLS = 10, SCROLL_TIMER = 1, SCROLL_MS = 250 };

/* The program's state: what the handlers share. */
static struct {
    BOOL italic;       /* the sample label's style */
    int  colour;
    int  left;         /* the tab page left last, -1 before any */
    int  lamp;         /* the lit lamp, 0 to LAMPS - 1 */
    int  muted;        /* the mute toggle's state */
    int  abouts;       /* about boxes shown */
    int  scroll;       /* the LED line's first character in message */
    char message[64];  /* what the LED line scrolls */
} gallery = {FALSE, 0, -1, 0, 0, 0, 0, ""};

static const char *const pageNames[PAGES] = {"Turn", "Size", "Buttons",
                                             "Keys", "List"};

/* A label on the skin is transparent: it draws its new text over the old
 * one, so the skin under it is repainted as well. */
static void label_Set(HWND hDlg, int id, const char *text)
{
    Gadget *g = gad_GetGadget(hDlg, id);
    gad_SetText(g, text);
    gad_Redraw(g);
}

/* Labels in the gallery's blue straight on the skin, group boxes with
 * their caption on the face colour. */
static void labels_Colour(HWND hDlg, const int *ids, size_t n)
{
    for (size_t i = 0; i < n; i++)
        gad_SetColor(hDlg, ids[i], GS_TEXTCOLOR | GS_TRANSPARENT,
                     RGB(0, 32, 96), 0, NULL);
}

static void groups_Colour(HWND hDlg, const int *ids, size_t n)
{
    for (size_t i = 0; i < n; i++)
        gad_SetColor(hDlg, ids[i], GS_TEXTCOLOR | GS_BACKCOLOR,
                     RGB(0, 32, 96), RGB(214, 211, 206), NULL);
}

/* The sample label takes its style and says what it is. */
static void sample_Show(HWND hDlg)
{
    char text[GAD_TEXT_MAX];
    gad_SetColor(hDlg, IDC_SAMPLE,
                 GS_TEXTCOLOR | GS_TRANSPARENT | (gallery.italic ? GS_ITALIC : 0),
                 colours[gallery.colour].rgb, 0,
                 (HFONT)dlg_GetDefObject(DEF_FONT));
    wsprintfA(text, "This label is %s and %s.",
              gallery.italic ? "italic" : "upright", colours[gallery.colour].name);
    label_Set(hDlg, IDC_SAMPLE, text);
}

/* ---- Pictures ----
 * Pictures are the library's own: its bitmaps by number from knobkit.dll,
 * each transparent where its pixel (0, 0) is (magenta or yellow).  A
 * bitmap handed over with a part stays ours, so one bitmap serves several
 * buttons; one handed over whole belongs to the gadget. */
static HBITMAP library_Bitmap(int id)
{
    return LoadBitmapA(GetModuleHandleA("knobkit.dll"), MAKEINTRESOURCEA(id));
}

/* A screen-compatible picture of w x h filled with colour, in a memory
 * DC for drawing; picture_End gives the bitmap back. */
struct Picture {
    HDC     dc;
    HBITMAP bmp;
    HGDIOBJ old;
};

static Picture picture_Begin(int w, int h, COLORREF colour)
{
    Picture p;
    HDC screen = GetDC(NULL);
    p.bmp = CreateCompatibleBitmap(screen, w, h);
    p.dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    p.old = SelectObject(p.dc, p.bmp);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, w, h};
    FillRect(p.dc, &all, brush);
    DeleteObject(brush);
    return p;
}

static HBITMAP picture_End(Picture p)
{
    SelectObject(p.dc, p.old);
    DeleteDC(p.dc);
    return p.bmp;
}

/* The wheel's mark, unlit or lit: a small disc on magenta. */
static HBITMAP mark_Make(COLORREF colour)
{
    Picture p = picture_Begin(7, 7, RGB(255, 0, 255));
    HBRUSH disc = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(p.dc, disc);
    HGDIOBJ oldPen = SelectObject(p.dc, GetStockObject(NULL_PEN));
    Ellipse(p.dc, 0, 0, 8, 8);
    SelectObject(p.dc, oldPen);
    SelectObject(p.dc, oldBrush);
    DeleteObject(disc);
    return picture_End(p);
}

/* The push-button frame (normal above, pressed below) with an arrow of
 * the horizontal pair as its icon. */
static void arrow_Make(HWND hDlg, int id, uint32_t flags, HBITMAP frame,
                       HBITMAP arrows, const RECT *arrow)
{
    static const RECT normal = {0, 0, 20, 15}, pressed = {0, 15, 20, 30};
    ibtn_Create(hDlg, id, flags, frame, &normal, 0, 0, frame, &pressed,
                arrows, arrow, 0, 0);
}

/* ---- The LED's digits ----
 * Three seven-segment digits, 15 x 27 pixels on a 20-pixel pitch, drawn
 * by the program: segment s of digit i is bit 8 * i + s (a to g, the usual
 * order), a rectangle of the panel's picture.  Two panels share the table:
 * one with every segment lit in the dim colour, so unlit segments show,
 * and over it the lit digits. */
#define DIGIT(x)                                                          \
    {x + 3, 0, 9, 3}, {x + 12, 3, 3, 9}, {x + 12, 15, 3, 9},              \
        {x + 3, 24, 9, 3}, {x, 15, 3, 9}, {x, 3, 3, 9}, {x + 3, 12, 9, 3}, \
        {0, 0, 0, 0}
static const LedSegment digitSegments[32] = {DIGIT(0), DIGIT(20), DIGIT(40)};
#undef DIGIT

enum { DIGITS = 3, DIGITS_W = 55, DIGITS_H = 27, DIGIT_BITS = 0x7F };

/* Segments a to g of 0 to 9. */
static const uint32_t digitShapes[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                         0x6D, 0x7D, 0x07, 0x7F, 0x6F};

static const COLORREF LED_LIT = RGB(255, 82, 41), LED_DIM = RGB(52, 9, 6);

/* The panel's picture: every segment of the table in colour, on black
 * (the key, and the LED's background). */
static HBITMAP digits_Make(COLORREF colour)
{
    Picture p = picture_Begin(DIGITS_W, DIGITS_H, RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(colour);
    for (const LedSegment &s : digitSegments) {
        RECT r = {s.x, s.y, s.x + s.width, s.y + s.height};
        FillRect(p.dc, &r, brush);
    }
    DeleteObject(brush);
    return picture_End(p);
}

/* The segments that show value (0 to 999) right-aligned, without leading
 * zeros. */
static uint32_t digits_Bits(int value)
{
    uint32_t bits = 0;
    for (int i = DIGITS - 1; i >= 0; i--) {
        bits |= digitShapes[value % 10] << (8 * i);
        value /= 10;
        if (value == 0)
            break;
    }
    return bits;
}

/* The digits centred over the line: panels 0 (dim) and 1 (lit), line 0
 * under them, all on the digits' black. */
static void led_Make(HWND hPage)
{
    const int x = (LINE_CELLS * 18 - DIGITS_W) / 2, lineY = DIGITS_H + 6;
    Gadget *led = led_Create(hPage, IDC_LED, 0);
    led_CreatePanel(led, 0, x, 0, digits_Make(LED_DIM), NULL, 0, 0, TRUE,
                    digitSegments);
    led_CreatePanel(led, 1, x, 0, digits_Make(LED_LIT), NULL, 0, 0, FALSE,
                    digitSegments);
    led_Set(led, 0, digits_Bits(888));
    led_CreateText(led, 0, 0, lineY, LINE_CELLS, FALSE);
}

/* LINE_CELLS characters of the message from gallery.scroll on, wrapping
 * round. */
static void scroll_Show(HWND hPage)
{
    char cells[LINE_CELLS + 1];
    int n = lstrlenA(gallery.message);
    for (int i = 0; i < LINE_CELLS; i++)
        cells[i] = n ? gallery.message[(gallery.scroll + i) % n] : ' ';
    cells[LINE_CELLS] = 0;
    led_SetText(gad_GetGadget(hPage, IDC_LED), 0, cells, FALSE);
}

/* ---- Page "Turn" ---- */

static void turn_Make(HWND hPage)
{
    Gadget *slider = slider_Create(hPage, IDC_SLIDER, 0, SLIDER_FITTEXT,
                                   IDC_SLIDERVAL);
    slider_SetPos(slider, 40);
    /* The dial is transparent where it is yellow; the marks where magenta. */
    wheel_Create(hPage, IDC_WHEEL, 0, IDC_WHEELVAL, 0.8f,
                 library_Bitmap(112), NULL, 0, 0, mark_Make(RGB(96, 0, 0)),
                 NULL, 0, 0, mark_Make(RGB(255, 82, 41)), NULL, 0, 0);

    static const RECT left = {0, 0, 6, 9}, right = {6, 0, 11, 9};
    HBITMAP frame = library_Bitmap(110), arrows = library_Bitmap(121);
    arrow_Make(hPage, IDC_DOWN, IBTN_REPEAT, frame, arrows, &left);
    arrow_Make(hPage, IDC_UP, IBTN_REPEAT, frame, arrows, &right);
    static const RECT normal = {0, 0, 20, 15}, pressed = {0, 15, 20, 30};
    ibtn_Create(hPage, IDC_LOCK, IBTN_TOGGLE, frame, &normal, 0, 0, frame,
                &pressed, NULL, NULL, 0, 0);
    DeleteObject(frame);
    DeleteObject(arrows);

    led_Make(hPage);
    /* The bar runs over the wheel's range; its text and its label say
     * where in per cent. */
    Gadget *bar = pb_Create(hPage, IDC_BAR, VT_PERCENT | VT_LABELPERCENT,
                            RGB(255, 255, 255), RGB(0, 32, 96), RGB(0, 32, 96),
                            RGB(236, 234, 226), IDC_BARVAL);
    pb_Modify(bar, -120, 120, 0);

    static const int labels[] = {IDC_SLIDERVAL, IDC_WHEELVAL, IDC_LOCKTEXT,
                                 IDC_BARVAL};
    labels_Colour(hPage, labels, COUNT(labels));
    static const int groups[] = {IDC_TURNGROUP, IDC_SHOWGROUP};
    groups_Colour(hPage, groups, COUNT(groups));
}

/* The LED and the bar follow the slider and the wheel: the digits show
 * the slider's value, the line scrolls both values, the bar the wheel. */
static void turn_Show(HWND hPage)
{
    int value = slider_GetPos(gad_GetGadget(hPage, IDC_SLIDER));
    int turn = wheel_GetPos(gad_GetGadget(hPage, IDC_WHEEL));
    led_Modify(gad_GetGadget(hPage, IDC_LED), 1,
               digits_Bits(value < 0 ? 0 : value % 1000), 0xFFFFFFFFu);
    wsprintfA(gallery.message, "SLIDER %d  WHEEL %d  ", value, turn);
    scroll_Show(hPage);
    pb_SetPos(gad_GetGadget(hPage, IDC_BAR), turn);
}

static void lock_Show(HWND hPage, BOOL locked)
{
    gad_Enable(gad_GetGadget(hPage, IDC_SLIDER), !locked);
    gad_Enable(gad_GetGadget(hPage, IDC_WHEEL), !locked);
    label_Set(hPage, IDC_LOCKTEXT, locked ? "Locked" : "Unlocked");
}

/* value: the slider's or the wheel's position (unused: turn_Show reads
 * both). */
static INT_PTR KKAPI on_Turned(HWND hPage, WPARAM, LPARAM, int, LPARAM)
{
    turn_Show(hPage);
    return DLG_HANDLED;
}

/* An auto-repeat arrow: param is the step.  The setters do not notify;
 * the companion labels follow as the two gadgets repaint. */
static INT_PTR KKAPI on_Step(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    Gadget *slider = gad_GetGadget(hPage, IDC_SLIDER);
    Gadget *wheel = gad_GetGadget(hPage, IDC_WHEEL);
    if (slider->state & GS_DISABLED)   /* locked */
        return DLG_HANDLED;
    slider_SetPos(slider, slider_GetPos(slider) + (int)param);
    int pos = wheel_GetPos(wheel) + (int)param;
    wheel_SetPos(wheel, pos < -120 ? -120 : pos > 120 ? 120 : pos);
    turn_Show(hPage);
    return DLG_HANDLED;
}

/* value: the toggle's state, 1 down. */
static INT_PTR KKAPI on_Lock(HWND hPage, WPARAM, LPARAM, int value, LPARAM)
{
    lock_Show(hPage, value != 0);
    return DLG_HANDLED;
}

static INT_PTR KKAPI on_Scroll(HWND hPage, WPARAM, LPARAM, int, LPARAM)
{
    int n = lstrlenA(gallery.message);
    gallery.scroll = n ? (gallery.scroll + 1) % n : 0;
    scroll_Show(hPage);
    return DLG_HANDLED;
}

/* ---- Page "Size" ---- */

/* A fraction as a whole per cent. */
static int per_Cent(float f)
{
    return (int)(f * 100.0f + 0.5f);
}

/* The sizer's rectangle, in words. */
static void sizer_Show(HWND hPage)
{
    float x, y, w, h;
    char text[GAD_TEXT_MAX];
    sizer_GetPos(gad_GetGadget(hPage, IDC_SIZER), &x, &y, &w, &h);
    wsprintfA(text, "left %d%%, top %d%%, %d%% x %d%%", per_Cent(x),
              per_Cent(y), per_Cent(w), per_Cent(h));
    label_Set(hPage, IDC_SIZERVAL, text);
}

static void size_Make(HWND hPage)
{
    Gadget *sizer = sizer_Create(hPage, IDC_SIZER, 0, 6, RGB(0, 32, 96),
                                 RGB(168, 166, 160), RGB(236, 234, 226));
    sizer_SetPos(sizer, 0.25f, 0.25f, 0.5f, 0.5f);
    static const int labels[] = {IDC_SIZERVAL};
    labels_Colour(hPage, labels, COUNT(labels));
    static const int groups[] = {IDC_SIZEGROUP};
    groups_Colour(hPage, groups, COUNT(groups));
}

static INT_PTR KKAPI on_Sizer(HWND hPage, WPARAM, LPARAM, int, LPARAM)
{
    sizer_Show(hPage);
    return DLG_HANDLED;
}

/* ---- Page "Buttons" ---- */

/* One lamp lit, the others dark, and the label saying which. */
static void lamps_Show(HWND hPage)
{
    char text[GAD_TEXT_MAX];
    for (int i = 0; i < LAMPS; i++)
        static_SetState(gad_GetGadget(hPage, IDC_LAMP1 + i), i == gallery.lamp);
    wsprintfA(text, "Lamp %d of %d is lit.", gallery.lamp + 1, LAMPS);
    label_Set(hPage, IDC_LAMPTEXT, text);
}

static void mute_Show(HWND hPage)
{
    label_Set(hPage, IDC_MUTETEXT, gallery.muted ? "Muted" : "Sound on");
}

static void buttons_Make(HWND hPage)
{
    for (int i = 0; i < LAMPS; i++)
        fac_CreateLed(hPage, IDC_LAMP1 + i, 1, RGB(0, 72, 0), RGB(64, 232, 64));
    fac_CreateArrows(hPage, IDC_PREV, IDC_NEXT, 0, 300);
    fac_CreateMute(hPage, IDC_MUTE, 0);
    fac_CreateAbout(hPage, IDC_LOGO, 0, 0);

    static const int labels[] = {IDC_LAMPTEXT, IDC_MUTETEXT, IDC_LOGOTEXT};
    labels_Colour(hPage, labels, COUNT(labels));
    static const int groups[] = {IDC_LAMPGROUP, IDC_MUTEGROUP, IDC_LOGOGROUP};
    groups_Colour(hPage, groups, COUNT(groups));
    lamps_Show(hPage);
    mute_Show(hPage);
    label_Set(hPage, IDC_LOGOTEXT, "Press the logo.");
}

/* An arrow: param is the step; the light runs round. */
static INT_PTR KKAPI on_LampStep(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    gallery.lamp = (gallery.lamp + (int)param + LAMPS) % LAMPS;
    lamps_Show(hPage);
    return DLG_HANDLED;
}

/* A press on a lamp lights it: param is its index. */
static INT_PTR KKAPI on_LampPress(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    gallery.lamp = (int)param;
    lamps_Show(hPage);
    return DLG_HANDLED;
}

/* value: the toggle's state, 1 lit (muted). */
static INT_PTR KKAPI on_Mute(HWND hPage, WPARAM, LPARAM, int value, LPARAM)
{
    gallery.muted = value;
    mute_Show(hPage);
    return DLG_HANDLED;
}

/* ---- Page "Keys" ---- */

/* The field's combination and its code, in words. */
static void hotkey_Show(HWND hPage)
{
    char name[GAD_TEXT_MAX - 32], text[GAD_TEXT_MAX];
    uint32_t key = hotkey_GetKey(gad_GetGadget(hPage, IDC_HOTKEY));
    hotkey_GetText(key, name, sizeof name);
    wsprintfA(text, "Hotkey: %s, code %04lX", name, (unsigned long)key);
    label_Set(hPage, IDC_HOTKEYTEXT, text);
}

/* The field starts with Ctrl + Alt + K, as a system hotkey gives it. */
static void keys_Make(HWND hPage)
{
    Gadget *field = hotkey_Create(hPage, IDC_HOTKEY, 0);
    hotkey_SetKey(field, hotkey_Make(MOD_CONTROL | MOD_ALT | ('K' << 16),
                                     HOTKEY_FROMHOTKEY));
    static const int labels[] = {IDC_KEYHINT, IDC_HOTKEYTEXT};
    labels_Colour(hPage, labels, COUNT(labels));
    static const int groups[] = {IDC_KEYGROUP};
    groups_Colour(hPage, groups, COUNT(groups));
    hotkey_Show(hPage);
}

/* The user changed the combination. */
static INT_PTR KKAPI on_Hotkey(HWND hPage, WPARAM, LPARAM, int, LPARAM)
{
    hotkey_Show(hPage);
    return DLG_HANDLED;
}

/* ---- Page "List" ----
 * The list view shows the program's own rows: the list tells of every
 * exchange, deletion and edit, and the rows follow; each refresh writes a
 * row's texts into the list again. */
enum { ROWS = COUNT(kinds), NAME_MAX = 64 };

static struct {
    char name[ROWS][NAME_MAX];   /* the gadgets' names, renamed in place */
    const char *where[ROWS];
    int count;
} rows;

static GlistColumn rowColumns[] = {
    {"Gadget", LVCFMT_LEFT, 1, NAME_MAX - 1, 100},
    {"Shown", LVCFMT_LEFT, 0, 0, 120},
    {NULL, 0, 0, 0, 0},
};

static void row_Put(HWND list, int i)
{
    LVITEMA it = {};
    it.pszText = rows.name[i];
    SendMessageA(list, LVM_SETITEMTEXTA, i, (LPARAM)&it);
    it.iSubItem = 1;
    it.pszText = (char *)(rows.where[i] ? rows.where[i] : "not yet");
    SendMessageA(list, LVM_SETITEMTEXTA, i, (LPARAM)&it);
}

/* The current row and the first names, in words. */
static void rows_Show(HWND hPage)
{
    char text[GAD_TEXT_MAX];
    int cur = glist_GetSel(gad_GetGadget(hPage, IDC_GLIST));
    if (cur >= 0 && cur < rows.count)
        wsprintfA(text, "Row %d of %d: %s.", cur + 1, rows.count,
                  rows.name[cur]);
    else
        wsprintfA(text, "No rows left.");
    label_Set(hPage, IDC_LISTINFO, text);
    text[0] = 0;
    for (int i = 0; i < rows.count && i < 3; i++) {
        if (lstrlenA(text) + lstrlenA(rows.name[i]) + 6 >= GAD_TEXT_MAX)
            break;
        lstrcatA(text, i ? ", " : "First: ");
        lstrcatA(text, rows.name[i]);
    }
    label_Set(hPage, IDC_LISTORDER, text);
}

static void list_Make(HWND hPage)
{
    HWND list = GetDlgItem(hPage, IDC_GLIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    Gadget *g = glist_Create(hPage, IDC_GLIST, 0, rowColumns);
    rows.count = ROWS;
    for (int i = 0; i < ROWS; i++) {
        lstrcpynA(rows.name[i], kinds[i].name, NAME_MAX);
        rows.where[i] = kinds[i].where;
        LVITEMA it = {};
        it.mask = LVIF_TEXT;
        it.iItem = i;
        it.pszText = rows.name[i];
        SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&it);
        row_Put(list, i);
    }
    glist_SetSel(g, 0);
    static const int labels[] = {IDC_LISTINFO, IDC_LISTORDER};
    labels_Colour(hPage, labels, COUNT(labels));
    static const int groups[] = {IDC_LISTGROUP};
    groups_Colour(hPage, groups, COUNT(groups));
}

/* An edit is already in the list: the row takes the new name. */
static void row_Rename(HWND list, int i)
{
    LVITEMA it = {};
    it.pszText = rows.name[i];
    it.cchTextMax = NAME_MAX;
    SendMessageA(list, LVM_GETITEMTEXTA, i, (LPARAM)&it);
}

static void row_Delete(int i)
{
    for (int k = i; k + 1 < rows.count; k++) {
        lstrcpyA(rows.name[k], rows.name[k + 1]);
        rows.where[k] = rows.where[k + 1];
    }
    rows.count--;
}

static void row_Swap(int i)
{
    char name[NAME_MAX];
    lstrcpyA(name, rows.name[i]);
    lstrcpyA(rows.name[i], rows.name[i + 1]);
    lstrcpyA(rows.name[i + 1], name);
    const char *where = rows.where[i];
    rows.where[i] = rows.where[i + 1];
    rows.where[i + 1] = where;
}

/* GM_LIST, sent: the code in wParam's high word, the row in lParam. */
static INT_PTR KKAPI on_ListNote(HWND hPage, WPARAM wParam, LPARAM lParam,
                                 int, LPARAM)
{
    HWND list = GetDlgItem(hPage, IDC_GLIST);
    int i = (int)LOWORD(lParam);
    switch (GLN_CODE(wParam)) {
    case GLN_SWAP:
        if (i >= 0 && i + 1 < rows.count)
            row_Swap(i);
        break;
    case GLN_DELETED:
        if (i >= 0 && i < rows.count)
            row_Delete(i);
        break;
    case GLN_REFRESH:
        if (i >= 0 && i < rows.count)
            row_Put(list, i);
        break;
    case GLN_EDITED:
        if (HIWORD(lParam) == 0 && i < rows.count)
            row_Rename(list, i);
        break;
    }
    rows_Show(hPage);
    return DLG_HANDLED;
}

/* The buttons: param 0 up, 1 down, 2 delete; the keys go on to the
 * list. */
static INT_PTR KKAPI on_ListButton(HWND hPage, WPARAM wParam, LPARAM, int,
                                   LPARAM param)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return DLG_HANDLED;
    Gadget *g = gad_GetGadget(hPage, IDC_GLIST);
    if (param == 0)
        glist_MoveUp(g);
    else if (param == 1)
        glist_MoveDown(g);
    else
        glist_Delete(g);
    rows_Show(hPage);
    SetFocus(gad_GetWindow(g));
    return DLG_HANDLED;
}

/* ---- The about box ---- */

static INT_PTR KKAPI on_AboutInit(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    dlg_SetFont(hDlg, (HFONT)dlg_GetDefObject(DEF_FONT));
    static_Create(hDlg, IDC_ABOUTLOGO, 0, library_Bitmap(114), NULL, 0, 0,
                  NULL, NULL, 0, 0, NULL, NULL, 0, 0, NULL, NULL, 0, 0);
    return TRUE;
}

static INT_PTR KKAPI on_AboutEnd(HWND, WPARAM, LPARAM, int, LPARAM param)
{
    return param ? DLG_ENDOK : DLG_ENDCANCEL;
}

static const DlgHandler aboutHandlers[] = {
    {WM_INITDIALOG, 0, on_AboutInit, 0},
    {WM_COMMAND, IDOK, on_AboutEnd, 1},
    {WM_COMMAND, IDCANCEL, on_AboutEnd, 0},
    {0, 0, NULL, 0},
};

/* The logo's GM_ABOUT: the about box, modal over the whole gallery. */
static INT_PTR KKAPI on_About(HWND hPage, WPARAM, LPARAM, int, LPARAM)
{
    char text[GAD_TEXT_MAX];
    dlg_DoDialog(GetModuleHandleA(NULL), IDD_ABOUT, GetAncestor(hPage, GA_ROOT),
                 aboutHandlers);
    gallery.abouts++;
    wsprintfA(text, "The about box was shown %d time%s.", gallery.abouts,
              gallery.abouts == 1 ? "" : "s");
    label_Set(hPage, IDC_LOGOTEXT, text);
    return DLG_HANDLED;
}

/* ---- The pages ---- */

static void page_Tips(HWND hPage, int page);

/* param: the page.  Each page has the gallery's font and skin, then its
 * gadgets and their tips. */
static INT_PTR KKAPI on_PageInit(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    dlg_SetFont(hPage, (HFONT)dlg_GetDefObject(DEF_FONT));
    dlg_SetSkin(hPage, library_Bitmap(109), NULL, TRUE);
    switch (param) {
    case PAGE_TURN:
        turn_Make(hPage);
        lock_Show(hPage, FALSE);
        turn_Show(hPage);
        SetTimer(hPage, SCROLL_TIMER, SCROLL_MS, NULL);
        break;
    case PAGE_SIZE:
        size_Make(hPage);
        sizer_Show(hPage);
        break;
    case PAGE_BUTTONS:
        buttons_Make(hPage);
        break;
    case PAGE_KEYS:
        keys_Make(hPage);
        break;
    case PAGE_LIST:
        list_Make(hPage);
        rows_Show(hPage);
        break;
    }
    page_Tips(hPage, (int)param);
    return FALSE;   /* the focus stays where the dialog puts it */
}

static void page_Tell(HWND hPage, const char *text)
{
    label_Set(GetAncestor(hPage, GA_ROOT), IDC_PAGEINFO, text);
}

/* param: the page being left.  The answer 0 lets it go (a non-zero one,
 * DLG_HANDLED too, would keep it); the line scrolls only while seen. */
static INT_PTR KKAPI on_PageLeave(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    gallery.left = (int)param;
    if (param == PAGE_TURN)
        KillTimer(hPage, SCROLL_TIMER);
    return 0;
}

/* param: the page shown. */
static INT_PTR KKAPI on_PageEnter(HWND hPage, WPARAM, LPARAM, int, LPARAM param)
{
    char text[GAD_TEXT_MAX];
    if (param == PAGE_TURN)
        SetTimer(hPage, SCROLL_TIMER, SCROLL_MS, NULL);
    wsprintfA(text, "Left %s, entered %s.",
              gallery.left >= 0 ? pageNames[gallery.left] : "none",
              pageNames[param]);
    page_Tell(hPage, text);
    return DLG_HANDLED;
}

static const DlgHandler turnHandlers[] = {
    {WM_INITDIALOG, 0, on_PageInit, PAGE_TURN},
    {GM_TABLEAVE, 0, on_PageLeave, PAGE_TURN},
    {GM_TABENTER, 0, on_PageEnter, PAGE_TURN},
    {GM_SLIDER, IDC_SLIDER, on_Turned, 0},
    {GM_WHEEL, IDC_WHEEL, on_Turned, 0},
    {GM_IBUTTON, IDC_DOWN, on_Step, -1},
    {GM_IBUTTON, IDC_UP, on_Step, 1},
    {GM_IBUTTON, IDC_LOCK, on_Lock, 0},
    {WM_TIMER, SCROLL_TIMER, on_Scroll, 0},
    {0, 0, NULL, 0},
};

static const DlgHandler sizeHandlers[] = {
    {WM_INITDIALOG, 0, on_PageInit, PAGE_SIZE},
    {GM_TABLEAVE, 0, on_PageLeave, PAGE_SIZE},
    {GM_TABENTER, 0, on_PageEnter, PAGE_SIZE},
    {GM_SIZER, IDC_SIZER, on_Sizer, 0},
    {0, 0, NULL, 0},
};

static const DlgHandler buttonsHandlers[] = {
    {WM_INITDIALOG, 0, on_PageInit, PAGE_BUTTONS},
    {GM_TABLEAVE, 0, on_PageLeave, PAGE_BUTTONS},
    {GM_TABENTER, 0, on_PageEnter, PAGE_BUTTONS},
    {GM_IBUTTON, IDC_PREV, on_LampStep, -1},
    {GM_IBUTTON, IDC_NEXT, on_LampStep, 1},
    {GM_STATIC, IDC_LAMP1, on_LampPress, 0},
    {GM_STATIC, IDC_LAMP2, on_LampPress, 1},
    {GM_STATIC, IDC_LAMP3, on_LampPress, 2},
    {GM_STATIC, IDC_LAMP4, on_LampPress, 3},
    {GM_IBUTTON, IDC_MUTE, on_Mute, 0},
    {GM_ABOUT, IDC_LOGO, on_About, 0},
    {0, 0, NULL, 0},
};

static const DlgHandler keysHandlers[] = {
    {WM_INITDIALOG, 0, on_PageInit, PAGE_KEYS},
    {GM_TABLEAVE, 0, on_PageLeave, PAGE_KEYS},
    {GM_TABENTER, 0, on_PageEnter, PAGE_KEYS},
    {GM_HOTKEY, IDC_HOTKEY, on_Hotkey, 0},
    {0, 0, NULL, 0},
};

static const DlgHandler listHandlers[] = {
    {WM_INITDIALOG, 0, on_PageInit, PAGE_LIST},
    {GM_TABLEAVE, 0, on_PageLeave, PAGE_LIST},
    {GM_TABENTER, 0, on_PageEnter, PAGE_LIST},
    {GM_LIST, IDC_GLIST, on_ListNote, 0},
    {WM_COMMAND, IDC_LISTUP, on_ListButton, 0},
    {WM_COMMAND, IDC_LISTDOWN, on_ListButton, 1},
    {WM_COMMAND, IDC_LISTDEL, on_ListButton, 2},
    {0, 0, NULL, 0},
};

/* The tab gadget's table, in the order of PAGE_...; the library fills in
 * each page's window. */
static TabPage pages[PAGES + 1] = {
    {"Turn", IDD_TURN, turnHandlers, NULL},
    {"Size", IDD_SIZE, sizeHandlers, NULL},
    {"Buttons", IDD_BUTTONS, buttonsHandlers, NULL},
    {"Keys", IDD_KEYS, keysHandlers, NULL},
    {"List", IDD_LIST, listHandlers, NULL},
    {NULL, 0, NULL, NULL},
};

/* The tabs share the control's width; each page fills the display area
 * under them.  Again whenever the tab control is resized. */
static void pages_Fit(HWND hDlg)
{
    HWND tab = GetDlgItem(hDlg, IDC_TABS);
    RECT area, item;
    GetClientRect(tab, &area);
    SendMessageA(tab, TCM_GETITEMRECT, 0, (LPARAM)&item);
    SendMessageA(tab, TCM_SETITEMSIZE, 0,
                 MAKELPARAM((area.right - 4) / PAGES, item.bottom - item.top));
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, (LPARAM)&area);
    for (int i = 0; i < PAGES && pages[i].pageWnd; i++)
        SetWindowPos(pages[i].pageWnd, NULL, area.left, area.top,
                     area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

/* The pages; each takes its template's number as its control id, so
 * that tools can name it. */
static void tabs_Make(HWND hDlg)
{
    if (!tab_Create(GetModuleHandleA(NULL), hDlg, IDC_TABS, pages))
        return;
    for (int i = 0; i < PAGES; i++)
        SetWindowLongPtrA(pages[i].pageWnd, GWLP_ID, pages[i].pageTemplate);
    pages_Fit(hDlg);
}

/* ---- Layout and tooltips ---- */

/* The dialog is sized by its border, from its designed size up to half
 * as large again: the title and the intro stretch, the caption buttons
 * keep to the right edge, the Close button to the bottom, and the tab
 * gadget with its pages takes the rest.  The left column stays. */
static void layout_Make(HWND hDlg)
{
    dlg_SetAlignList(hDlg, ALIGN_SIZEX, IDC_TITLE, IDC_INTRO, -1);
    dlg_SetAlignList(hDlg, ALIGN_MOVEX, IDC_MINIMIZE, IDC_CLOSEBOX, -1);
    dlg_SetAlignList(hDlg, ALIGN_MOVEY, IDOK, -1);
    dlg_SetAlignList(hDlg, ALIGN_SIZEX | ALIGN_SIZEY, IDC_TABS, -1);
    RECT r;
    GetWindowRect(hDlg, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    dlg_SetMinMax(hDlg, -1, -1, w + w / 2, h + h / 2);
}

/* value: the kind of size change.  The tab gadget has followed the
 * border; its pages follow it. */
static INT_PTR KKAPI on_Size(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    pages_Fit(hDlg);
    return DLG_HANDLED;
}

/* Every gadget says what it does when the mouse rests on it: a control,
 * the number of its tip's text in gallery.lng, and the text without the
 * file. */
typedef struct GalleryTip {
    int         id;
    int         string;
    const char *text;
} GalleryTip;

static const GalleryTip dialogTips[] = {
    {IDC_MINIMIZE, 150, "Minimise the gallery"},
    {IDC_CLOSEBOX, 151, "Close the gallery"},
    {IDC_TABS, 152, "The pages of gadgets"},
    {0, 0, NULL},
};

static const GalleryTip turnTips[] = {
    {IDC_SLIDER, 153, "The slider: drag the knob, click the track, turn the wheel"},
    {IDC_WHEEL, 154, "The wheel: drag it round"},
    {IDC_DOWN, 155, "One step down, repeating while held"},
    {IDC_UP, 156, "One step up, repeating while held"},
    {IDC_LOCK, 157, "Lock the slider and the wheel"},
    {IDC_LED, 158, "The LED display: the slider's value"},
    {IDC_BAR, 159, "The progress bar: where the wheel is"},
    {0, 0, NULL},
};

static const GalleryTip sizeTips[] = {
    {IDC_SIZER, 160, "The sizer: move the rectangle, or size it by a handle"},
    {0, 0, NULL},
};

static const GalleryTip buttonsTips[] = {
    {IDC_LAMP1, 161, "A lamp: press it to light it"},
    {IDC_LAMP2, 161, "A lamp: press it to light it"},
    {IDC_LAMP3, 161, "A lamp: press it to light it"},
    {IDC_LAMP4, 161, "A lamp: press it to light it"},
    {IDC_PREV, 162, "Light the lamp to the left"},
    {IDC_NEXT, 163, "Light the lamp to the right"},
    {IDC_MUTE, 164, "The mute toggle"},
    {IDC_LOGO, 165, "The maker's logo: the about box"},
    {0, 0, NULL},
};

static const GalleryTip keysTips[] = {
    {IDC_HOTKEY, 166, "The hotkey field: click it, then press a combination"},
    {0, 0, NULL},
};

static const GalleryTip listTips[] = {
    {IDC_GLIST, 167, "The list: click a name twice to rename it, Ctrl+A selects all"},
    {IDC_LISTUP, 168, "Move the selected gadgets up"},
    {IDC_LISTDOWN, 169, "Move the selected gadgets down"},
    {IDC_LISTDEL, 170, "Delete the selected gadgets from the list"},
    {0, 0, NULL},
};

/* In the order of PAGE_... */
static const GalleryTip *const pageTips[PAGES] = {turnTips, sizeTips,
                                                  buttonsTips, keysTips,
                                                  listTips};

static Locale *language;

/* The tips of window w in the chosen language; a control listed again
 * takes the new text. */
static void tips_Put(HWND w, const GalleryTip *list)
{
    TipItem items[16];
    size_t n = 0;
    for (; list[n].id && n + 1 < COUNT(items); n++) {
        const char *text = locale_GetString(language, list[n].string);
        items[n].id = list[n].id;
        items[n].text = text ? text : list[n].text;
    }
    items[n].id = 0;
    items[n].text = NULL;
    tooltips_Create(w, items, TRUE);
}

static void page_Tips(HWND hPage, int page)
{
    if (page >= 0 && page < PAGES)
        tips_Put(hPage, pageTips[page]);
}

/* ---- Languages ----
 * Every label, tab, tooltip and requester word comes from gallery.lng
 * beside the program, one section per language; the button Language...
 * opens the library's chooser.  Without the file the gallery keeps the
 * words of its templates. */

enum { STR_TABS = 110, STR_CLOSETITLE = 130, STR_CLOSETEXT = 131 };

static const LocalePair mainTexts[] = {
    {IDC_TITLE, 100}, {IDC_GROUP, 101}, {IDC_ITALIC, 102}, {IDC_BLACK, 103},
    {IDC_BLUE, 104}, {IDC_RED, 105}, {IDC_KINDTEXT, 106}, {IDOK, 107},
    {IDC_LANGUAGE, 108}, {IDC_CAPTURE, 109}, {LOCALE_END, 0},
};

/* The pages' group boxes and hints; each page has some of them. */
static const LocalePair pageTexts[] = {
    {IDC_TURNGROUP, 120}, {IDC_SHOWGROUP, 121}, {IDC_SIZEGROUP, 122},
    {IDC_LAMPGROUP, 123}, {IDC_MUTEGROUP, 124}, {IDC_LOGOGROUP, 125},
    {IDC_KEYGROUP, 126}, {IDC_KEYHINT, 127}, {IDC_LISTGROUP, 128},
    {IDC_LISTUP, 140}, {IDC_LISTDOWN, 141}, {IDC_LISTDEL, 142},
    {LOCALE_END, 0},
};

static void tabs_Name(HWND hDlg)
{
    HWND tab = GetDlgItem(hDlg, IDC_TABS);
    for (int i = 0; i < PAGES; i++) {
        const char *name = locale_GetString(language, STR_TABS + i);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = (char *)name;
        if (name)
            SendMessageA(tab, TCM_SETITEMA, i, (LPARAM)&item);
    }
}

/* The chosen language everywhere; the labels on the skin are transparent,
 * so the whole dialog is repainted under them. */
static void language_Apply(HWND hDlg)
{
    req_SetLocale(language);
    locale_Set(language, hDlg, mainTexts, TRUE);
    tips_Put(hDlg, dialogTips);
    for (int i = 0; i < PAGES; i++) {
        locale_Set(language, pages[i].pageWnd, pageTexts, FALSE);
        page_Tips(pages[i].pageWnd, i);
    }
    tabs_Name(hDlg);
    RedrawWindow(hDlg, NULL, NULL,
                 RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

/* gallery.lng from the program's folder, in its first language. */
static void language_Start(HWND hDlg)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    char *slash = n && n < MAX_PATH ? strrchr(path, '\\') : NULL;
    if (slash && (size_t)(slash - path) + sizeof "\\gallery.lng" <= MAX_PATH) {
        lstrcpyA(slash, "\\gallery.lng");
        language = locale_Load(path);
    }
    if (!language) {
        EnableWindow(GetDlgItem(hDlg, IDC_LANGUAGE), FALSE);
        return;
    }
    locale_Choose(language, 0);
    language_Apply(hDlg);
}

static INT_PTR KKAPI on_Language(HWND hDlg, WPARAM wParam, LPARAM, int,
                                 LPARAM)
{
    if (HIWORD(wParam) == BN_CLICKED && language) {
        locale_Choose(language, locale_Ask(language, hDlg));
        language_Apply(hDlg);
    }
    return DLG_HANDLED;
}

/* Yes: the gallery may close. */
static BOOL close_Ask(HWND hDlg)
{
    const char *title = locale_GetString(language, STR_CLOSETITLE);
    const char *text = locale_GetString(language, STR_CLOSETEXT);
    return req_YesNo(hDlg, title ? title : "Close the gallery",
                     text ? text : "Do you want to close\nthe knobkit gallery?") == 1;
}

/* ---- The combo box and the capture ---- */

/* The kinds' names packed one after another, each with its NUL, and an
 * empty text at the end: the list dlg_FillCombo adds in order. */
static void kinds_Fill(HWND hDlg)
{
    char list[512];
    size_t n = 0;
    for (size_t i = 0; i < COUNT(kinds); i++) {
        size_t len = strlen(kinds[i].name) + 1;
        if (n + len >= sizeof list)
            break;
        memcpy(list + n, kinds[i].name, len);
        n += len;
    }
    list[n] = 0;
    dlg_FillCombo(hDlg, IDC_KIND, list);
}

/* gallery.bmp in the program's own folder. */
static BOOL capture_Path(char *path, DWORD size)
{
    DWORD n = GetModuleFileNameA(NULL, path, size);
    char *slash = n && n < size ? strrchr(path, '\\') : NULL;
    if (!slash || (size_t)(slash + 1 - path) + sizeof "gallery.bmp" > size)
        return FALSE;
    strcpy(slash + 1, "gallery.bmp");
    return TRUE;
}

/* The dialog as the screen shows it, frame and all, saved with
 * kk_SaveBitmap. */
static void capture_Save(HWND hDlg, const char *path)
{
    RECT r;
    GetWindowRect(hDlg, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, shot);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    kk_SaveBitmap(path, shot);
    DeleteObject(shot);
}

/* Saved, then loaded back with kk_LoadBitmap: the intro tells whether it
 * came back at the dialog's size. */
static INT_PTR KKAPI on_Capture(HWND hDlg, WPARAM wParam, LPARAM, int, LPARAM)
{
    char path[MAX_PATH];
    if (HIWORD(wParam) != BN_CLICKED)
        return DLG_HANDLED;
    int w = 0, h = 0;
    HBITMAP back = NULL;
    if (capture_Path(path, sizeof path)) {
        capture_Save(hDlg, path);
        back = kk_LoadBitmap(path, &w, &h);
    }
    RECT r;
    GetWindowRect(hDlg, &r);
    BOOL saved = back && w == r.right - r.left && h == r.bottom - r.top;
    DeleteObject(back);
    label_Set(hDlg, IDC_INTRO, saved ? "Saved gallery.bmp."
                                     : "The capture could not be saved.");
    return DLG_HANDLED;
}

/* ---- Settings ----
 * The gallery keeps where its window was and the last values of its
 * gadgets in gallery.ini beside gallery.exe, through knobkit's prefs_:
 * read before the dialog starts, written when it ends, by Close or by
 * cancelling.  Missing keys keep the first values; values out of range
 * (a file edited by hand) go back to them.
 *
 *     [Window]   Left, Top: the screen position of the window
 *     [Gadgets]  Italic, Colour, Kind, Slider, Wheel, Lamp, Muted;
 *                Sizer: the sizer's four fractions as one structure */
enum { PLACE_CENTRED = INT_MIN };

static struct {
    char    file[MAX_PATH];
    int32_t left, top;          /* PLACE_CENTRED: where the template puts it */
    int32_t kind, slider, wheel;
    float   sizer[4];           /* left, top, width, height */
} settings = {"", PLACE_CENTRED, PLACE_CENTRED, 0, 40, 0,
              {0.25f, 0.25f, 0.5f, 0.5f}};

static const PrefsInt windowInts[] = {
    {"Left", &settings.left}, {"Top", &settings.top}, {NULL, NULL}};

static const PrefsInt gadgetInts[] = {
    {"Italic", &gallery.italic}, {"Colour", &gallery.colour},
    {"Kind", &settings.kind},    {"Slider", &settings.slider},
    {"Wheel", &settings.wheel},  {"Lamp", &gallery.lamp},
    {"Muted", &gallery.muted},   {NULL, NULL}};

/* v, or first when it lies outside lo..hi. */
static int32_t in_Range(int32_t v, int32_t lo, int32_t hi, int32_t first)
{
    return v < lo || v > hi ? first : v;
}

/* Four fractions of 0 to 1 (no NaN) whose rectangle stays inside. */
static BOOL sizer_Valid(const float f[4])
{
    for (int i = 0; i < 4; i++)
        if (!(f[i] >= 0.0f && f[i] <= 1.0f))
            return FALSE;
    return f[0] + f[2] <= 1.0f && f[1] + f[3] <= 1.0f;
}

static void settings_Load(void)
{
    DWORD n = GetModuleFileNameA(NULL, settings.file, MAX_PATH - 4);
    char *dot = n ? strrchr(settings.file, '.') : NULL;
    if (!dot || strchr(dot, '\\')) {
        settings.file[0] = 0;   /* prefs_ on "" write and read nothing */
        return;
    }
    strcpy(dot, ".ini");
    prefs_GetInts(settings.file, "Window", windowInts);
    prefs_GetInts(settings.file, "Gadgets", gadgetInts);
    float sizer[4];
    if (prefs_GetStruct(settings.file, "Gadgets", "Sizer", sizer,
                        sizeof sizer) && sizer_Valid(sizer))
        memcpy(settings.sizer, sizer, sizeof sizer);
    gallery.italic = in_Range(gallery.italic, 0, 1, 0);
    gallery.colour = in_Range(gallery.colour, 0, (int)COUNT(colours) - 1, 0);
    gallery.lamp = in_Range(gallery.lamp, 0, LAMPS - 1, 0);
    gallery.muted = in_Range(gallery.muted, 0, 1, 0);
    settings.kind = in_Range(settings.kind, 0, (int)COUNT(kinds) - 1, 0);
    settings.slider = in_Range(settings.slider, 0, 100, 40);
    settings.wheel = in_Range(settings.wheel, -120, 120, 0);
}

/* The window where it was, when that is on a screen. */
static void window_Place(HWND hDlg)
{
    RECT r;
    GetWindowRect(hDlg, &r);
    OffsetRect(&r, settings.left - r.left, settings.top - r.top);
    if (settings.left != PLACE_CENTRED && settings.top != PLACE_CENTRED &&
        MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
        SetWindowPos(hDlg, NULL, r.left, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/* The kept values, once every page and gadget is made. */
static void settings_Apply(HWND hDlg)
{
    window_Place(hDlg);
    HWND turn = pages[PAGE_TURN].pageWnd, size = pages[PAGE_SIZE].pageWnd;
    if (turn) {
        slider_SetPos(gad_GetGadget(turn, IDC_SLIDER), settings.slider);
        wheel_SetPos(gad_GetGadget(turn, IDC_WHEEL), settings.wheel);
        turn_Show(turn);
    }
    if (size) {
        const float *f = settings.sizer;
        sizer_SetPos(gad_GetGadget(size, IDC_SIZER), f[0], f[1], f[2], f[3]);
        sizer_Show(size);
    }
    if (pages[PAGE_BUTTONS].pageWnd)
        ibtn_SetState(gad_GetGadget(pages[PAGE_BUTTONS].pageWnd, IDC_MUTE),
                      gallery.muted);
    SendDlgItemMessageA(hDlg, IDC_KIND, CB_SETCURSEL, settings.kind, 0);
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(hDlg, IDC_KIND));
}

/* What the window and the gadgets show now; a gadget that is missing
 * keeps the value read. */
static void settings_Save(HWND hDlg)
{
    WINDOWPLACEMENT wp;
    wp.length = sizeof wp;
    RECT r;
    if (IsIconic(hDlg) && GetWindowPlacement(hDlg, &wp))
        r = wp.rcNormalPosition;
    else
        GetWindowRect(hDlg, &r);
    settings.left = r.left;
    settings.top = r.top;
    Gadget *g;
    if ((g = gad_GetGadget(pages[PAGE_TURN].pageWnd, IDC_SLIDER)))
        settings.slider = slider_GetPos(g);
    if ((g = gad_GetGadget(pages[PAGE_TURN].pageWnd, IDC_WHEEL)))
        settings.wheel = wheel_GetPos(g);
    if ((g = gad_GetGadget(pages[PAGE_SIZE].pageWnd, IDC_SIZER))) {
        float *f = settings.sizer;
        sizer_GetPos(g, &f[0], &f[1], &f[2], &f[3]);
    }
    LRESULT kind = SendDlgItemMessageA(hDlg, IDC_KIND, CB_GETCURSEL, 0, 0);
    if (kind >= 0)
        settings.kind = (int32_t)kind;
    prefs_SetInts(settings.file, "Window", windowInts);
    prefs_SetInts(settings.file, "Gadgets", gadgetInts);
    prefs_SetStruct(settings.file, "Gadgets", "Sizer", settings.sizer,
                    sizeof settings.sizer);
}

/* ---- The dialog ---- */

static INT_PTR KKAPI on_Init(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    /* Without a caption the title is for the taskbar and window lists. */
    SetWindowTextA(hDlg, "knobkit gallery");
    /* Fonts first: gad_SetColor's fonts below must not be replaced. */
    dlg_SetFont(hDlg, (HFONT)dlg_GetDefObject(DEF_FONT));
    /* The library's brushed texture, tiled; the skin keeps the bitmap. */
    dlg_SetSkin(hDlg, library_Bitmap(109), NULL, TRUE);
    dlg_EnableDrag(hDlg, TRUE, FALSE);

    const uint32_t label = GS_TEXTCOLOR | GS_TRANSPARENT;
    gad_SetColor(hDlg, IDC_TITLE, label | GS_BOLD, RGB(0, 32, 96), 0,
                 (HFONT)dlg_GetDefObject(DEF_FONT13));
    gad_SetColor(hDlg, IDC_INTRO, label, RGB(48, 48, 48), 0, NULL);
    static const int groups[] = {IDC_GROUP};
    groups_Colour(hDlg, groups, COUNT(groups));
    static const int labels[] = {IDC_KINDTEXT, IDC_PAGEINFO};
    labels_Colour(hDlg, labels, COUNT(labels));
    gad_SetColor(hDlg, IDC_KINDINFO, label, RGB(96, 0, 64), 0, NULL);

    /* The dialog has no caption, so it brings its own buttons: each click
     * also minimises it, or closes it as Alt+F4 does (IDCANCEL). */
    fac_CreateAutoButton(hDlg, IDC_MINIMIZE, 0);
    fac_CreateAutoButton(hDlg, IDC_CLOSEBOX, 3);
    tabs_Make(hDlg);
    language_Start(hDlg);
    label_Set(hDlg, IDC_PAGEINFO, "Page Turn is shown.");
    layout_Make(hDlg);
    tips_Put(hDlg, dialogTips);

    CheckRadioButton(hDlg, IDC_BLACK, IDC_RED, IDC_BLACK + gallery.colour);
    CheckDlgButton(hDlg, IDC_ITALIC, gallery.italic ? BST_CHECKED : BST_UNCHECKED);
    sample_Show(hDlg);

    kinds_Fill(hDlg);
    SendDlgItemMessageA(hDlg, IDC_KIND, CB_SETCURSEL, 0, 0);
    /* The first kind is described by the combo box's own row. */
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(hDlg, IDC_KIND));
    settings_Apply(hDlg);
    return TRUE; /* the system focuses the first tab stop */
}

/* Once, when the dialog is on the screen. */
static INT_PTR KKAPI on_Shown(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    label_Set(hDlg, IDC_INTRO, "Drag the slider, turn the wheel, size the box.");
    return DLG_HANDLED;
}

/* value: 1 checked, 0 not. */
static INT_PTR KKAPI on_Italic(HWND hDlg, WPARAM wParam, LPARAM, int value,
                               LPARAM)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        gallery.italic = value;
        sample_Show(hDlg);
    }
    return DLG_HANDLED;
}

/* param: the row's colour index. */
static INT_PTR KKAPI on_Colour(HWND hDlg, WPARAM wParam, LPARAM, int,
                               LPARAM param)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        gallery.colour = (int)param;
        sample_Show(hDlg);
    }
    return DLG_HANDLED;
}

/* value: the selection, -1 for none. */
static INT_PTR KKAPI on_Kind(HWND hDlg, WPARAM wParam, LPARAM, int value,
                             LPARAM)
{
    char text[GAD_TEXT_MAX];
    if (HIWORD(wParam) != CBN_SELCHANGE || value < 0 ||
        value >= (int)COUNT(kinds))
        return DLG_HANDLED;
    wsprintfA(text, "Item %d: the %s, %s.", value, kinds[value].name,
              kinds[value].where ? kinds[value].where : "still to come");
    label_Set(hDlg, IDC_KINDINFO, text);
    return DLG_HANDLED;
}

static INT_PTR KKAPI on_Close(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    settings_Save(hDlg);
    return DLG_ENDOK;
}

/* Escape, Alt+F4 and the close box ask first; Close does not. */
static INT_PTR KKAPI on_Cancel(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    if (!close_Ask(hDlg))
        return DLG_HANDLED;
    settings_Save(hDlg);
    return DLG_ENDCANCEL;
}

/* The first row that matches a message is called; id 0 matches any
 * control. */
static const DlgHandler handlers[] = {
    {WM_INITDIALOG, 0, on_Init, 0},
    {GM_SHOWN, 0, on_Shown, 0},
    {WM_SIZE, 0, on_Size, 0},
    {WM_COMMAND, IDC_ITALIC, on_Italic, 0},
    {WM_COMMAND, IDC_BLACK, on_Colour, 0},
    {WM_COMMAND, IDC_BLUE, on_Colour, 1},
    {WM_COMMAND, IDC_RED, on_Colour, 2},
    {WM_COMMAND, IDC_KIND, on_Kind, 0},
    {WM_COMMAND, IDC_LANGUAGE, on_Language, 0},
    {WM_COMMAND, IDC_CAPTURE, on_Capture, 0},
    {WM_COMMAND, IDOK, on_Close, 0},
    {WM_COMMAND, IDCANCEL, on_Cancel, 0},
    {0, 0, NULL, 0},
};

int main(int argc, char **argv)
{
    if (argc > 1) {
        int help = argc == 2 && strcmp(argv[1], "--help") == 0;
        fputs(usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    settings_Load();
    INT_PTR r = dlg_DoDialog(GetModuleHandleA(NULL), IDD_GALLERY, NULL, handlers);
    locale_Free(language);
    return r == 1 ? 0 : r == 0 ? 1 : 3;
}
