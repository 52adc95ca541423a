/* gallery.cpp -- the knobkit gallery, the place where every gadget is
 * shown: a client of knobkit.dll, and the model for writing one.  So far:
 * a slider and a wheel with their values in labels, auto-repeat image
 * buttons that step both, a toggle that locks them, and a sizer whose
 * rectangle a label describes.
 *
 *     gallery [--help]
 *
 * It writes no dialog procedure.  The library runs the dialog and calls
 * the rows of the handler table at the end of this file; each handler
 * gets the control's ready-made value and answers DLG_HANDLED, or ends
 * the dialog with DLG_ENDOK / DLG_ENDCANCEL.
 *
 * Exit code: 0 ended with Close, 1 cancelled (Escape, Alt+F4), 2 a usage
 * error, 3 the dialog could not be made.
 */
#include "gallery.h"
#include "knobkit.h"

#include <stdio.h>
#include <string.h>

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

/* The combo box: every gadget, and whether it is shown here yet. */
static const struct {
    const char *name;
    BOOL        shown;
} kinds[] = {
    {"LED display", FALSE}, {"image button", TRUE}, {"slider", TRUE},
    {"wheel", TRUE},        {"sizer", TRUE},        {"progress bar", FALSE},
    {"hot key", FALSE},     {"list", FALSE},        {"tabs", FALSE},
};

static struct {
    BOOL italic;
    int  colour;
} sample;

/* A label on the skin is transparent: it draws its new text over the old
 * one, so the skin under it is repainted as well. */
static void label_Set(HWND hDlg, int id, const char *text)
{
    Gadget *g = gad_GetGadget(hDlg, id);
    gad_SetText(g, text);
    gad_Redraw(g);
}

/* The sample label takes its style and says what it is. */
static void sample_Show(HWND hDlg)
{
    char text[GAD_TEXT_MAX];
    gad_SetColor(hDlg, IDC_SAMPLE,
                 GS_TEXTCOLOR | GS_TRANSPARENT | (sample.italic ? GS_ITALIC : 0),
                 colours[sample.colour].rgb, 0,
                 (HFONT)dlg_GetDefObject(DEF_FONT));
    wsprintfA(text, "This label is %s and %s.",
              sample.italic ? "italic" : "upright", colours[sample.colour].name);
    label_Set(hDlg, IDC_SAMPLE, text);
}

/* ---- The gadgets ----
 * Pictures are the library's own: its bitmaps by number from knobkit.dll,
 * each transparent where its pixel (0, 0) is (magenta or yellow).  A
 * bitmap handed over with a part stays ours, so one bitmap serves several
 * buttons; one handed over whole belongs to the gadget. */
static HBITMAP library_Bitmap(int id)
{
    return LoadBitmapA(GetModuleHandleA("knobkit.dll"), MAKEINTRESOURCEA(id));
}

/* The wheel's mark, unlit or lit: a small disc on magenta. */
static HBITMAP mark_Make(COLORREF colour)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 7, 7);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255)), disc = CreateSolidBrush(colour);
    RECT all = {0, 0, 7, 7};
    FillRect(dc, &all, key);
    HGDIOBJ oldBrush = SelectObject(dc, disc);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, 0, 8, 8);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(key);
    DeleteObject(disc);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
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

static void gadgets_Make(HWND hDlg)
{
    Gadget *slider = slider_Create(hDlg, IDC_SLIDER, 0, SLIDER_FITTEXT,
                                   IDC_SLIDERVAL);
    slider_SetPos(slider, 40);
    /* The dial is transparent where it is yellow; the marks where magenta. */
    wheel_Create(hDlg, IDC_WHEEL, 0, IDC_WHEELVAL, 0.8f,
                 library_Bitmap(112), NULL, 0, 0, mark_Make(RGB(96, 0, 0)),
                 NULL, 0, 0, mark_Make(RGB(255, 82, 41)), NULL, 0, 0);

    static const RECT left = {0, 0, 6, 9}, right = {6, 0, 11, 9};
    HBITMAP frame = library_Bitmap(110), arrows = library_Bitmap(121);
    arrow_Make(hDlg, IDC_DOWN, IBTN_REPEAT, frame, arrows, &left);
    arrow_Make(hDlg, IDC_UP, IBTN_REPEAT, frame, arrows, &right);
    static const RECT normal = {0, 0, 20, 15}, pressed = {0, 15, 20, 30};
    ibtn_Create(hDlg, IDC_LOCK, IBTN_TOGGLE, frame, &normal, 0, 0, frame,
                &pressed, NULL, NULL, 0, 0);
    DeleteObject(frame);
    DeleteObject(arrows);

    Gadget *sizer = sizer_Create(hDlg, IDC_SIZER, 0, 6, RGB(0, 32, 96),
                                 RGB(168, 166, 160), RGB(236, 234, 226));
    sizer_SetPos(sizer, 0.25f, 0.25f, 0.5f, 0.5f);

    const uint32_t label = GS_TEXTCOLOR | GS_TRANSPARENT;
    static const int labels[] = {IDC_SLIDERVAL, IDC_WHEELVAL, IDC_LOCKTEXT,
                                 IDC_SIZERVAL};
    for (int id : labels)
        gad_SetColor(hDlg, id, label, RGB(0, 32, 96), 0, NULL);
    static const int groups[] = {IDC_TURNGROUP, IDC_SIZEGROUP};
    for (int id : groups)
        gad_SetColor(hDlg, id, GS_TEXTCOLOR | GS_BACKCOLOR, RGB(0, 32, 96),
                     RGB(214, 211, 206), NULL);
}

/* A fraction as a whole per cent. */
static int per_Cent(float f)
{
    return (int)(f * 100.0f + 0.5f);
}

/* The sizer's rectangle, in words. */
static void sizer_Show(HWND hDlg)
{
    float x, y, w, h;
    char text[GAD_TEXT_MAX];
    sizer_GetPos(gad_GetGadget(hDlg, IDC_SIZER), &x, &y, &w, &h);
    wsprintfA(text, "left %d%%, top %d%%, %d%% x %d%%", per_Cent(x),
              per_Cent(y), per_Cent(w), per_Cent(h));
    label_Set(hDlg, IDC_SIZERVAL, text);
}

static void lock_Show(HWND hDlg, BOOL locked)
{
    gad_Enable(gad_GetGadget(hDlg, IDC_SLIDER), !locked);
    gad_Enable(gad_GetGadget(hDlg, IDC_WHEEL), !locked);
    label_Set(hDlg, IDC_LOCKTEXT, locked ? "Locked" : "Unlocked");
}

static INT_PTR KKAPI on_Init(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    /* Without a caption the title is for the taskbar and window lists. */
    SetWindowTextA(hDlg, "knobkit gallery");
    /* Fonts first: gad_SetColor's fonts below must not be replaced. */
    dlg_SetFont(hDlg, (HFONT)dlg_GetDefObject(DEF_FONT));
    /* The library's brushed texture, tiled; the skin keeps the bitmap. */
    HBITMAP texture = LoadBitmapA(GetModuleHandleA("knobkit.dll"),
                                  MAKEINTRESOURCEA(109));
    dlg_SetSkin(hDlg, texture, NULL, TRUE);
    dlg_EnableDrag(hDlg, TRUE, FALSE);

    const uint32_t label = GS_TEXTCOLOR | GS_TRANSPARENT;
    gad_SetColor(hDlg, IDC_TITLE, label | GS_BOLD, RGB(0, 32, 96), 0,
                 (HFONT)dlg_GetDefObject(DEF_FONT13));
    gad_SetColor(hDlg, IDC_INTRO, label, RGB(48, 48, 48), 0, NULL);
    /* The group box caption on a solid face colour, as on the skin. */
    gad_SetColor(hDlg, IDC_GROUP, GS_TEXTCOLOR | GS_BACKCOLOR, RGB(0, 32, 96),
                 RGB(214, 211, 206), NULL);
    gad_SetColor(hDlg, IDC_KINDTEXT, label, RGB(0, 32, 96), 0, NULL);
    gad_SetColor(hDlg, IDC_KINDINFO, label, RGB(96, 0, 64), 0, NULL);

    gadgets_Make(hDlg);
    sizer_Show(hDlg);
    lock_Show(hDlg, FALSE);

    CheckRadioButton(hDlg, IDC_BLACK, IDC_RED, IDC_BLACK + sample.colour);
    CheckDlgButton(hDlg, IDC_ITALIC, sample.italic ? BST_CHECKED : BST_UNCHECKED);
    sample_Show(hDlg);

    for (size_t i = 0; i < sizeof kinds / sizeof *kinds; i++)
        SendDlgItemMessageA(hDlg, IDC_KIND, CB_ADDSTRING, 0,
                            (LPARAM)kinds[i].name);
    SendDlgItemMessageA(hDlg, IDC_KIND, CB_SETCURSEL, 0, 0);
    /* The first kind is described by the combo box's own row. */
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(hDlg, IDC_KIND));
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
        sample.italic = value;
        sample_Show(hDlg);
    }
    return DLG_HANDLED;
}

/* param: the row's colour index. */
static INT_PTR KKAPI on_Colour(HWND hDlg, WPARAM wParam, LPARAM, int,
                               LPARAM param)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        sample.colour = (int)param;
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
        value >= (int)(sizeof kinds / sizeof *kinds))
        return DLG_HANDLED;
    wsprintfA(text, kinds[value].shown ? "Item %d: the %s, on the right."
                                       : "Item %d: the %s, still to come.",
              value, kinds[value].name);
    label_Set(hDlg, IDC_KINDINFO, text);
    return DLG_HANDLED;
}

/* An auto-repeat arrow: param is the step.  The setters do not notify;
 * the companion labels follow as the two gadgets repaint. */
static INT_PTR KKAPI on_Step(HWND hDlg, WPARAM, LPARAM, int, LPARAM param)
{
    Gadget *slider = gad_GetGadget(hDlg, IDC_SLIDER);
    Gadget *wheel = gad_GetGadget(hDlg, IDC_WHEEL);
    if (slider->state & GS_DISABLED)   /* locked */
        return DLG_HANDLED;
    slider_SetPos(slider, slider_GetPos(slider) + (int)param);
    int pos = wheel_GetPos(wheel) + (int)param;
    wheel_SetPos(wheel, pos < -120 ? -120 : pos > 120 ? 120 : pos);
    return DLG_HANDLED;
}

/* value: the toggle's state, 1 down. */
static INT_PTR KKAPI on_Lock(HWND hDlg, WPARAM, LPARAM, int value, LPARAM)
{
    lock_Show(hDlg, value != 0);
    return DLG_HANDLED;
}

static INT_PTR KKAPI on_Sizer(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    sizer_Show(hDlg);
    return DLG_HANDLED;
}

static INT_PTR KKAPI on_Close(HWND, WPARAM, LPARAM, int, LPARAM)
{
    return DLG_ENDOK;
}

static INT_PTR KKAPI on_Cancel(HWND, WPARAM, LPARAM, int, LPARAM)
{
    return DLG_ENDCANCEL;
}

/* The first row that matches a message is called; id 0 matches any
 * control. */
static const DlgHandler handlers[] = {
    {WM_INITDIALOG, 0, on_Init, 0},
    {GM_SHOWN, 0, on_Shown, 0},
    {WM_COMMAND, IDC_ITALIC, on_Italic, 0},
    {WM_COMMAND, IDC_BLACK, on_Colour, 0},
    {WM_COMMAND, IDC_BLUE, on_Colour, 1},
    {WM_COMMAND, IDC_RED, on_Colour, 2},
    {WM_COMMAND, IDC_KIND, on_Kind, 0},
    {GM_IBUTTON, IDC_DOWN, on_Step, -1},
    {GM_IBUTTON, IDC_UP, on_Step, 1},
    {GM_IBUTTON, IDC_LOCK, on_Lock, 0},
    {GM_SIZER, IDC_SIZER, on_Sizer, 0},
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
    INT_PTR r = dlg_DoDialog(GetModuleHandleA(NULL), IDD_GALLERY, NULL, handlers);
    return r == 1 ? 0 : r == 0 ? 1 : 3;
}
