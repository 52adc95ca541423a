/* gallery.cpp -- the knobkit gallery, the place where every gadget will be
 * shown: a client of knobkit.dll, and the model for writing one.
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

/* The combo box: the gadgets still to be shown here. */
static const char *const kinds[] = {
    "LED display", "image button", "slider", "wheel", "sizer",
    "progress bar", "hot key", "list", "tabs",
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

    CheckRadioButton(hDlg, IDC_BLACK, IDC_RED, IDC_BLACK + sample.colour);
    CheckDlgButton(hDlg, IDC_ITALIC, sample.italic ? BST_CHECKED : BST_UNCHECKED);
    sample_Show(hDlg);

    for (size_t i = 0; i < sizeof kinds / sizeof *kinds; i++)
        SendDlgItemMessageA(hDlg, IDC_KIND, CB_ADDSTRING, 0, (LPARAM)kinds[i]);
    SendDlgItemMessageA(hDlg, IDC_KIND, CB_SETCURSEL, 0, 0);
    /* The first kind is described by the combo box's own row. */
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(hDlg, IDC_KIND));
    return TRUE; /* the system focuses the first tab stop */
}

/* Once, when the dialog is on the screen. */
static INT_PTR KKAPI on_Shown(HWND hDlg, WPARAM, LPARAM, int, LPARAM)
{
    label_Set(hDlg, IDC_INTRO, "Every gadget will be shown here.");
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
    wsprintfA(text, "Item %d: the %s, still to come.", value, kinds[value]);
    label_Set(hDlg, IDC_KINDINFO, text);
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
