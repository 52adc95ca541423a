/* Locale.cpp -- locale string tables: several languages from one file.
 *
 * A Locale holds the whole file in one buffer that locale_parse.cpp cuts
 * into NUL-terminated pieces at load; the file's format is described
 * there.  Choosing a section points the string and tooltip tables at its
 * pieces, so texts are never copied and live as long as the record.
 */
#include "kk_int.h"
#include "ident.h"
#include "locale_parse.h"

#include <commctrl.h>
#include <stdlib.h>

MODULE_IDENT("knobkit/Locale.cpp");

enum {
    LOCALE_MIN_SIZE = 80,         /* shorter files are refused */
    LOCALE_MAX_SIZE = 0x7FFFFFFF, /* and so are files of 2 GB or more */
    IDD_LANGUAGE = 116,           /* the library's chooser */
    IDC_LANGUAGES = 1002,         /* its list box */
};

/* ---- Loading ---- */

/* The whole file and a NUL in a new buffer; null on any failure. */
static char *file_Read(const char *path, uint32_t *size)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return NULL;
    char *text = NULL;
    LARGE_INTEGER n;
    if (GetFileSizeEx(f, &n) && n.QuadPart >= LOCALE_MIN_SIZE &&
        n.QuadPart < LOCALE_MAX_SIZE) {
        DWORD want = (DWORD)n.QuadPart, got = 0;
        text = (char *)malloc((size_t)want + 1);
        if (text && (!ReadFile(f, text, want, &got, NULL) || got != want)) {
            free(text);
            text = NULL;
        }
        if (text) {
            text[want] = 0;
            *size = want;
        }
    }
    CloseHandle(f);
    return text;
}

/* The name made a full path of at most MAX_PATH - 1 characters, naming a
 * file (not a folder); FALSE otherwise. */
static BOOL path_Full(const char *name, char *full)
{
    if (!name || !*name)
        return FALSE;
    DWORD n = GetFullPathNameA(name, MAX_PATH, full, NULL);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    DWORD attr = GetFileAttributesA(full);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

extern "C" Locale *KKAPI locale_Load(const char *fileName)
{
    char full[MAX_PATH];
    uint32_t size = 0;
    char *text = path_Full(fileName, full) ? file_Read(full, &size) : NULL;
    if (!text)
        return NULL;
    Locale *l = (Locale *)calloc(1, sizeof *l);
    int n = l ? locale_ParseText(text, size, l->countries) : 0;
    if (n == 0) {
        free(text);
        free(l);
        return NULL;
    }
    l->text = text;
    l->size = size;
    l->numCountries = n;
    l->current = -1;
    return l;
}

extern "C" void KKAPI locale_Free(Locale *locale)
{
    if (!locale)
        return;
    if (locale->font)
        DeleteObject(locale->font);
    free(locale->text);
    free(locale);
}

extern "C" int KKAPI locale_GetNumCountries(const Locale *locale)
{
    return locale ? locale->numCountries : 0;
}

extern "C" void KKAPI locale_EnumCountries(const Locale *locale, HWND hDlg,
                                           int id, BOOL listBox)
{
    if (!locale)
        return;
    UINT add = listBox ? LB_ADDSTRING : CB_ADDSTRING;
    for (int i = 0; i < locale->numCountries; i++)
        SendDlgItemMessageA(hDlg, id, add, 0, (LPARAM)locale->countries[i]);
    SendDlgItemMessageA(hDlg, id, listBox ? LB_SETCURSEL : CB_SETCURSEL,
                        (WPARAM)locale->current, 0);
}

/* ---- The language chooser (template 116) ---- */

/* The list's selection becomes current; a list left without one keeps
 * what there was, so current never leaves the sections. */
static void chooser_End(HWND hDlg, Locale *l)
{
    INT_PTR sel = SendDlgItemMessageA(hDlg, IDC_LANGUAGES, LB_GETCURSEL, 0, 0);
    if (sel >= 0 && sel < l->numCountries)
        l->current = (int32_t)sel;
    EndDialog(hDlg, 1);
}

static INT_PTR CALLBACK chooser_Procedure(HWND hDlg, UINT msg, WPARAM wParam,
                                          LPARAM lParam)
{
    Locale *l = (Locale *)GetWindowLongPtrA(hDlg, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(hDlg, GWLP_USERDATA, lParam);
        locale_EnumCountries((Locale *)lParam, hDlg, IDC_LANGUAGES, TRUE);
        SendDlgItemMessageA(hDlg, IDC_LANGUAGES, LB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND:
        /* Only a choice ends it: Escape (IDCANCEL) does not. */
        if (LOWORD(wParam) == IDOK ||
            (LOWORD(wParam) == IDC_LANGUAGES && HIWORD(wParam) == LBN_DBLCLK))
            chooser_End(hDlg, l);
        return TRUE;
    }
    return FALSE;
}

extern "C" int KKAPI locale_Ask(Locale *locale, HWND owner)
{
    if (!locale)
        return -1;
    DialogBoxParamA(kk_Module(), MAKEINTRESOURCEA(IDD_LANGUAGE), owner,
                    chooser_Procedure, (LPARAM)locale);
    return locale->current;
}

/* ---- Choosing and reading ---- */

extern "C" int KKAPI locale_Choose(Locale *locale, int index)
{
    if (!locale)
        return -1;
    if (index < 0 || index >= locale->numCountries)
        index = locale_Ask(locale, NULL);
    /* The chooser could not be shown and nothing was chosen before. */
    if (index < 0 || index >= locale->numCountries)
        return -1;
    locale_ReadSection(locale->text, locale->size, locale->countries[index],
                       locale->strings, locale->tooltips);
    locale->current = index;
    return index;
}

extern "C" const char *KKAPI locale_GetString(const Locale *locale, int id)
{
    if (!locale || id < 0 || id >= LOCALE_STRINGS)
        return NULL;
    return locale->strings[id];
}

extern "C" const char *KKAPI locale_GetTooltip(const Locale *locale, int id)
{
    if (!locale || id < 0 || id >= LOCALE_STRINGS)
        return NULL;
    return locale->tooltips[id];
}

/* ---- Relabelling a dialog ---- */

/* The controls of the table that have a tooltip in the chosen section get
 * it, replacing one they had, and the tooltips are switched on; the
 * answer is the tooltip window's to TTM_ACTIVATE. */
static INT_PTR locale_Tips(const Locale *locale, HWND hDlg,
                           const LocalePair *table)
{
    HWND tip = tip_Window(hDlg);
    if (!tip)
        return 0;
    for (const LocalePair *p = table; p->control != LOCALE_END; p++) {
        const char *text = locale_GetTooltip(locale, p->string);
        if (text)
            tip_Add(tip, hDlg, p->control, text);
    }
    return SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
}

extern "C" INT_PTR KKAPI locale_Set(const Locale *locale, HWND hDlg,
                                    const LocalePair *table, BOOL tooltips)
{
    if (!locale || !table || !dlg_ModifyFlags(hDlg, 0, 0))
        return 0;
    for (const LocalePair *p = table; p->control != LOCALE_END; p++) {
        const char *text = locale_GetString(locale, p->string);
        Gadget *g = text ? gad_GetGadget(hDlg, p->control) : NULL;
        if (g)
            gad_SetText(g, text);
    }
    return tooltips ? locale_Tips(locale, hDlg, table) : 0;
}
