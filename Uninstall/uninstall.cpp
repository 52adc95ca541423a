/* uninstall.cpp -- the uninstaller: the log is chosen and checked, one
 * dialog asks, and the Remove button takes back everything the log names
 * with the product's folders, Start-menu folders and registry keys. */
#include "uninstall.h"
#include "admin.h"
#include "reg.h"
#include "log.h"
#include "safe.h"
#include "shared.h"
#include "path/path.h"
#include "wiz.h"
#include "ident.h"

#include <commctrl.h>
#include <commdlg.h>
#include <stdlib.h>
#include <string.h>

MODULE_IDENT("Uninstall/uninstall.cpp");

#define UN_PATH 512

#define UN_MSG_BADLOG "Couldn't open log file\nor this is not valid " \
                      "uninstallation file..."
#define UN_MSG_CORRUPT "Log file corrupted!\nDeinstalation aborted!"
#define UN_MSG_INUSE "Some program files are in use.\nQuit applications " \
                     "that may use them and try again..."
#define UN_MSG_REBOOT "In order to conform changes Windows needs to be " \
                      "rebooted.\nDo you want to do it now?"
#define UN_MSG_DONE "Removing completed succesfully.\nThere is no need to " \
                    "reboot Windows."
#define UN_QUESTION_FORMAT "\nAre you sure you want to completely remove\n" \
                           "%s and all it's components?"

#define UN_WINDOWS_KEY "Software\\Microsoft\\Windows\\CurrentVersion"
#define UN_ENTRY_KEY UN_WINDOWS_KEY "\\Uninstall\\"

/* The program's state; zero-filled, DeleteSettings is set at start. */
static struct {
    HINSTANCE   Instance;
    int         IsNT;
    char        LogFile[UN_PATH];
    LogList     UndoList;
    const char *Company, *Product, *AppDir;   /* into the product entry */
    int         DeleteSettings;
    int         RebootNeeded;
} UN VELLUM_BSS;

VELLUM_BSS UninstallRestartFn uninstall_Restart;

/* The progress bar is told only when its position has moved by a step of
 * its own (about 1/128 of the range), and the dialog's messages are taken
 * every PUMP_MS: a redraw per log entry costs more than most entries'
 * removal. */
#define PROGRESS_STEPS 128
#define PUMP_MS        50

typedef struct Progress {
    HWND     Bar;
    unsigned Pos, Shown, Range, Stride;
    DWORD    Pumped;           /* tick count of the last pump */
} Progress;

static int present(const char *text)
{
    return text && *text;
}

/* ---- choosing and checking the log ---- */

/* The open-file dialog, in the current folder, which it may change and
 * which is put back; 0 when cancelled. */
static int ask_log_file(void)
{
    char folder[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder)
        folder[0] = 0;
    strcpy(UN.LogFile, "install.log");
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "Log files (*.log)\0*.log\0";
    ofn.lpstrFile = UN.LogFile;
    ofn.nMaxFile = UN_PATH;
    ofn.lpstrInitialDir = folder[0] ? folder : NULL;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NONETWORKBUTTON |
                OFN_HIDEREADONLY | OFN_EXPLORER;
    int chosen = GetOpenFileNameA(&ofn);
    if (folder[0])
        SetCurrentDirectoryA(folder);
    UN.LogFile[UN_PATH - 1] = 0;
    return chosen;
}

/* Service control is only asked for when there is a driver to take back. */
static int check_drivers(void)
{
    return UN.IsNT && log_Next(&UN.UndoList, NULL, LOG_DRIVER) &&
           admin_DriversRefused();
}

/* 0 when the log can be used; otherwise its box was shown. */
static int load_log(void)
{
    if (!log_Load(&UN.UndoList, UN.LogFile))
        return admin_Error(NULL, UN_MSG_BADLOG);
    LogEntry *product = log_Next(&UN.UndoList, NULL, LOG_PRODUCT);
    if (!product)
        return admin_Error(NULL, UN_MSG_CORRUPT);
    UN.Company = product->Text1;
    UN.Product = product->Text2;
    UN.AppDir = product->Text3;
    return check_drivers() || admin_RegistryRefused();
}

/* ---- removal ---- */

/* ---- which entries are acted on ---- */

/* An entry is acted on only as setup could have written it: its paths
 * full ones on a local drive, its key a product's own settings key, its
 * names present (a service name without '\', which would reach another
 * service's key).  Anything else is skipped and the removal goes on. */
static int entry_ok(const LogEntry *e)
{
    switch (e->Kind) {
    case LOG_FILE:
    case LOG_DIR:
        return safe_Path(e->Text1);
    case LOG_SHAREDFILE:
        return safe_Path(e->Text1) && present(e->Text2);
    case LOG_DRIVER:
        return safe_Path(e->Text1) && present(e->Text2) &&
               !strchr(e->Text2, '\\');
    case LOG_PREFSKEY:
        return path_SettingsKey(e->Text1);
    default:
        return 0;
    }
}

/* A file opened for writing, unshared, by someone else refuses us. */
static int file_in_use(const char *path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0,
                           NULL);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return 0;
    }
    DWORD e = GetLastError();
    return e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION;
}

static int any_file_in_use(void)
{
    for (LogEntry *e = log_Next(&UN.UndoList, NULL, LOG_FILE); e;
         e = log_Next(&UN.UndoList, e, LOG_FILE))
        if (entry_ok(e) && file_in_use(e->Text1))
            return 1;
    return 0;
}

static void delete_settings(const char *key)
{
    char path[UN_PATH * 2];
    size_t len = strlen(key);
    if (len >= UN_PATH)
        return;
    memcpy(path, key, len + 1);
    reg_DeleteTree(HKEY_CURRENT_USER, path, len, sizeof path);
}

/* "base\first\second", each part only when present; 0 when it does not
 * fit. */
static int compose(char *out, size_t capacity, const char *base,
                   const char *first, const char *second)
{
    size_t n = strlen(base) + 2 + (first ? strlen(first) : 0) +
               (second ? strlen(second) : 0);
    if (n >= capacity)
        return 0;
    strcpy(out, base);
    if (present(first))
        strcat(strcat(out, "\\"), first);
    if (present(second))
        strcat(strcat(out, "\\"), second);
    return 1;
}

/* The folder, then its parents from the innermost: only empty ones go,
 * and never one of Windows' own.  Logs of earlier setups name no folder
 * made for AppDir, hence the walk. */
static void remove_folder_and_parents(const char *folder)
{
    char path[UN_PATH];
    size_t len = strlen(folder);
    if (len == 0 || len >= sizeof path || !safe_Path(folder))
        return;                 /* no parents of a folder that is refused */
    memcpy(path, folder, len + 1);
    safe_RemoveFolder(path);
    while (--len > 0)
        if (path[len] == '\\') {
            path[len] = 0;
            safe_RemoveFolder(path);
        }
}

/* A name with a '\' or '/' in it is no one folder: it would reach some
 * other folder of the Start menu. */
static int one_name(const char *name)
{
    return !name || (!strchr(name, '\\') && !strchr(name, '/'));
}

static void remove_start_menu(void)
{
    char programs[UN_PATH + 1], path[UN_PATH * 3 + 8];
    if (!one_name(UN.Company) || !one_name(UN.Product) ||
        !reg_ProgramsFolder(UN.IsNT, programs, sizeof programs))
        return;
    if (compose(path, sizeof path, programs, UN.Company, UN.Product))
        safe_RemoveFolder(path);
    if (present(UN.Company) &&
        compose(path, sizeof path, programs, UN.Company, NULL))
        safe_RemoveFolder(path);
}

/* With neither name the keys would be "Software" and the uninstall list
 * itself: nothing of this product's is there.  A name with a '\' would
 * reach some other key. */
static void remove_keys(void)
{
    static const char *const product_values[] = {"Version", "Path", "URL",
                                                 "Email"};
    static const char *const entry_values[] = {"DisplayName",
                                               "UninstallString"};
    char path[UN_PATH * 3];
    const char *entry = present(UN.Product) ? UN.Product : UN.Company;
    if (!present(entry) || (UN.Company && strchr(UN.Company, '\\')) ||
        (UN.Product && strchr(UN.Product, '\\')))
        return;
    if (compose(path, sizeof path, "Software", UN.Company, UN.Product))
        reg_ClearKey(path, product_values, 4);
    if (compose(path, sizeof path, UN_WINDOWS_KEY "\\Uninstall", entry, NULL))
        reg_ClearKey(path, entry_values, 2);
}

static void enable_all(HWND dialog, BOOL on)
{
    EnableWindow(GetDlgItem(dialog, UN_REMOVE), on);
    EnableWindow(GetDlgItem(dialog, UN_EXIT), on);
    EnableWindow(dialog, on);
}

/* The messages waiting for the program's windows, so that they repaint
 * and Windows sees the program answer while a long removal runs (the
 * dialog is disabled: no input reaches it). */
static void pump(void)
{
    MSG m;
    int quit = 0;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            quit = 1;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (quit)
        PostQuitMessage(0);
}

static void progress_Begin(Progress *p, HWND dialog, unsigned range)
{
    p->Bar = GetDlgItem(dialog, UN_PROGRESS);
    p->Pos = p->Shown = 0;
    p->Range = range;
    p->Stride = range / PROGRESS_STEPS + 1;
    p->Pumped = GetTickCount();
    SendMessageA(p->Bar, PBM_SETRANGE32, 0, range);
    SendMessageA(p->Bar, PBM_SETSTEP, 1, 0);
}

static void step(Progress *p)
{
    p->Pos++;
    if (p->Pos - p->Shown >= p->Stride || p->Pos >= p->Range) {
        SendMessageA(p->Bar, PBM_SETPOS, p->Pos, 0);
        p->Shown = p->Pos;
    }
    if (GetTickCount() - p->Pumped >= PUMP_MS) {
        pump();
        p->Pumped = GetTickCount();
    }
}

static void remove_entry(const LogEntry *e)
{
    switch (e->Kind) {
    case LOG_FILE:
        DeleteFileA(e->Text1);
        break;
    case LOG_SHAREDFILE:
        if (shared_ReleaseFile(UN.Company, UN.Product, e->Text2, e->Text1))
            DeleteFileA(e->Text1);
        break;
    case LOG_PREFSKEY:
        if (UN.DeleteSettings)
            delete_settings(e->Text1);
        break;
    case LOG_DRIVER:
        if (shared_RemoveDriver(UN.Company, UN.Product, e->Text1, e->Text2,
                                UN.IsNT))
            UN.RebootNeeded = 1;
        break;
    }
}

/* Longer paths first: a folder's subfolders go before it, whatever order
 * the log recorded them in. */
static int by_length_down(const void *a, const void *b)
{
    size_t la = strlen(*(const char *const *)a);
    size_t lb = strlen(*(const char *const *)b);
    return la < lb ? 1 : la > lb ? -1 : 0;
}

static void remove_folders(Progress *p)
{
    LogList *list = &UN.UndoList;
    size_t n = 0, i = 0;
    for (LogEntry *e = log_Next(list, NULL, LOG_DIR); e;
         e = log_Next(list, e, LOG_DIR))
        n++;
    const char **folders =
        (const char **)HeapAlloc(GetProcessHeap(), 0, n * sizeof *folders + 1);
    if (!folders)
        return;
    for (LogEntry *e = log_Next(list, NULL, LOG_DIR); e;
         e = log_Next(list, e, LOG_DIR))
        if (entry_ok(e))
            folders[i++] = e->Text1;
    qsort(folders, i, sizeof *folders, by_length_down);
    for (size_t k = 0; k < n; k++) {
        if (k < i)
            safe_RemoveFolder(folders[k]);
        step(p);
    }
    HeapFree(GetProcessHeap(), 0, folders);
}

static void remove_entries(Progress *p)
{
    LogList *list = &UN.UndoList;
    for (LogEntry *e = log_Next(list, NULL, 0); e; e = log_Next(list, e, 0)) {
        if (entry_ok(e))
            remove_entry(e);
        step(p);
    }
    DeleteFileA(UN.LogFile);
    remove_folders(p);
}

/* ---- the dialog ---- */

static INT_PTR on_init(HWND dialog, WPARAM, LPARAM, LPARAM)
{
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 (LPARAM)LoadIconA(UN.Instance, MAKEINTRESOURCEA(UN_ICON)));
    ShowWindow(GetDlgItem(dialog, UN_WAIT), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, UN_PROGRESS), SW_HIDE);
    SetDlgItemTextA(dialog, UN_REMOVE, "Remove");
    SetDlgItemTextA(dialog, UN_EXIT, "Exit");
    SetDlgItemTextA(dialog, UN_WAIT, "Removing... Please Wait...");
    SetDlgItemTextA(dialog, UN_SETTINGS, "Delete program settings");
    /* A log without a product name still says what it would remove. */
    const char *name = present(UN.Product) ? UN.Product
                       : UN.Company        ? UN.Company : "";
    char text[sizeof UN_QUESTION_FORMAT + LOG_TEXT_MAX];
    wsprintfA(text, UN_QUESTION_FORMAT, name);
    SetDlgItemTextA(dialog, UN_QUESTION, text);
    CheckDlgButton(dialog, UN_SETTINGS, BST_CHECKED);
    return DLG_HANDLED;
}

static INT_PTR on_end(HWND, WPARAM, LPARAM, LPARAM)
{
    return DLG_ENDCANCEL;
}

static INT_PTR on_settings(HWND, WPARAM, LPARAM, LPARAM)
{
    UN.DeleteSettings ^= 1;
    return DLG_HANDLED;
}

static INT_PTR on_remove(HWND dialog, WPARAM, LPARAM, LPARAM)
{
    if (any_file_in_use()) {
        admin_Error(dialog, UN_MSG_INUSE);
        return DLG_ENDCANCEL;
    }
    unsigned entries = 0;
    for (LogEntry *e = log_Next(&UN.UndoList, NULL, 0); e;
         e = log_Next(&UN.UndoList, e, 0))
        entries++;
    Progress p;
    progress_Begin(&p, dialog, entries + 3);
    ShowWindow(GetDlgItem(dialog, UN_SETTINGS), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, UN_WAIT), SW_SHOW);
    ShowWindow(p.Bar, SW_SHOW);
    RedrawWindow(dialog, NULL, NULL,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    enable_all(dialog, FALSE);
    remove_entries(&p);
    if (UN.AppDir)
        remove_folder_and_parents(UN.AppDir);
    remove_start_menu();
    step(&p);
    remove_keys();
    step(&p);
    enable_all(dialog, TRUE);
    return DLG_ENDOK;
}

static const WizRow dialog_rows[] = {
    {WM_INITDIALOG, 0, on_init, 0},
    {WM_COMMAND, IDOK, on_end, 0},
    {WM_CLOSE, 0, on_end, 0},
    {WM_COMMAND, UN_REMOVE, on_remove, 0},
    {WM_COMMAND, UN_EXIT, on_end, 0},
    {WM_COMMAND, UN_SETTINGS, on_settings, 0},
    {0, 0, NULL, 0},
};

/* ---- the run ---- */

static void finish(void)
{
    if (!UN.RebootNeeded) {
        MessageBoxA(NULL, UN_MSG_DONE, "Uninstall", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (MessageBoxA(NULL, UN_MSG_REBOOT, "Uninstall",
                    MB_YESNO | MB_ICONQUESTION) == IDYES)
        (uninstall_Restart ? uninstall_Restart : admin_Restart)(UN.IsNT);
}

int uninstall_Main(HINSTANCE instance, const char *commandLine)
{
    InitCommonControls();
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    ZeroMemory(&UN, sizeof UN);
    UN.IsNT = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    UN.Instance = instance;
    UN.DeleteSettings = 1;
    if (!*commandLine) {
        if (!ask_log_file())
            return 0;
    } else {
        strncpy(UN.LogFile, commandLine, UN_PATH - 1);
    }
    if (load_log()) {
        log_Save(&UN.UndoList, NULL);
        return 1;
    }
    INT_PTR ended = DialogBoxParamA(instance, MAKEINTRESOURCEA(UN_DIALOG),
                                    NULL, wiz_DialogProc,
                                    (LPARAM)dialog_rows);
    log_Save(&UN.UndoList, NULL);
    if (ended == 1)
        finish();
    return 0;
}
