/* wizard.cpp -- setup's wizard: a modal frame with Back, Next and Cancel
 * and five pages (welcome, licence, destination, install, finished), each
 * run by wiz_DialogProc through a handler table of its own.  The pages
 * are created hidden when the frame starts and stay until it closes. */
#include "setup.h"
#include "state.h"
#include "wiz.h"
#include "journal.h"
#include "functions.h"
#include "ident.h"
#include "path/path.h"
#include "script/script.h"

#include <shlobj.h>

MODULE_IDENT("Install/wizard.cpp");

#define WIZ_TITLE    "Install"
#define WIZ_TEXT_MAX 1024   /* a formatted page text or box */
#define WIZ_NAME_MAX 256    /* a setting */
#define WIZ_TILE_W   100
#define WIZ_TILE_H   300

/* Text controls with user data 1 are drawn over the tiles; the title
 * frames (2) keep a band of this colour behind their text. */
#define WIZ_TRANSPARENT 1
#define WIZ_BANDED      2
#define WIZ_BAND_COLOUR RGB(136, 238, 238)

#define ST InstallState

static HWND item(HWND page, int id)
{
    return GetDlgItem(page, id);
}

/* ids: control identifiers, ended by 0. */
static void mark(HWND page, const WORD *ids, LONG_PTR kind)
{
    for (; *ids; ids++)
        SetWindowLongPtrA(item(page, *ids), GWLP_USERDATA, kind);
}

static void hide(HWND page, const WORD *ids)
{
    for (; *ids; ids++)
        ShowWindow(item(page, *ids), SW_HIDE);
}

/* The control lists of the pages. */
static const WORD texts[] = {SETUP_ID_TEXT, SETUP_ID_TEXT2, 0};
static const WORD title[] = {SETUP_ID_GROUP, 0};
static const WORD licence_texts[] = {SETUP_ID_TEXT, SETUP_ID_AGREE, 0};
static const WORD folder_text[] = {SETUP_ID_TEXT, 0};
static const WORD folder_titles[] = {SETUP_ID_GROUP, SETUP_ID_LINE, 0};
static const WORD install_hidden[] = {SETUP_ID_TEXT2, SETUP_ID_PROGRESS, 0};
static const WORD finished_texts[] = {SETUP_ID_TEXT, SETUP_ID_TEXT2,
                                      SETUP_ID_REBOOT, SETUP_ID_NOREBOOT, 0};
/* Without a restart: the choice goes, and after a failure the second
 * text too. */
static const WORD no_restart[] = {SETUP_ID_REBOOT, SETUP_ID_NOREBOOT,
                                  SETUP_ID_LINE, 0};
static const WORD no_restart_failed[] = {SETUP_ID_REBOOT, SETUP_ID_NOREBOOT,
                                         SETUP_ID_LINE, SETUP_ID_TEXT2, 0};

/* A page text with the "Name" setting in place of each %s. */
static void set_named(HWND page, int id, const char *format)
{
    char name[WIZ_NAME_MAX] = "", text[WIZ_TEXT_MAX];
    script_GetString(SCRIPT_SETTING(Name), name, sizeof name);
    wsprintfA(text, format, name, name);
    SetDlgItemTextA(page, id, text);
}

static int box(HWND owner, const char *format, UINT style)
{
    char text[WIZ_TEXT_MAX];
    wsprintfA(text, format, ST.AppDir);
    return MessageBoxA(owner, text, WIZ_TITLE, style);
}

/* ---- shared by every dialog ---- */

static INT_PTR paint_tiles(HWND dialog, WPARAM wParam, LPARAM, LPARAM)
{
    HDC dc = (HDC)wParam;
    HBITMAP tile = LoadBitmapA(ST.Instance, MAKEINTRESOURCEA(SETUP_BMP_TILE));
    if (!tile)
        return FALSE;
    HDC mem = CreateCompatibleDC(dc);
    if (!mem) {
        DeleteObject(tile);
        return FALSE;
    }
    HGDIOBJ old = SelectObject(mem, tile);
    RECT r;
    GetClientRect(dialog, &r);
    for (int y = r.top; y < r.bottom; y += WIZ_TILE_H)
        for (int x = r.left; x < r.right; x += WIZ_TILE_W)
            BitBlt(dc, x, y, WIZ_TILE_W, WIZ_TILE_H, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(tile);
    return TRUE;
}

static INT_PTR colour_text(HWND, WPARAM wParam, LPARAM lParam, LPARAM)
{
    LONG_PTR kind = GetWindowLongPtrA((HWND)lParam, GWLP_USERDATA);
    if (kind == WIZ_TRANSPARENT)
        SetBkMode((HDC)wParam, TRANSPARENT);
    else if (kind == WIZ_BANDED)
        SetBkColor((HDC)wParam, WIZ_BAND_COLOUR);
    else
        return 0;
    return (INT_PTR)GetStockObject(HOLLOW_BRUSH);
}

static INT_PTR answer_0(HWND, WPARAM, LPARAM, LPARAM)
{
    return 0;
}

#define PAGE_ROWS(init, enter)                               \
    {WM_ERASEBKGND, 0, paint_tiles, 0},                      \
    {WM_CTLCOLORSTATIC, 0, colour_text, 0},                  \
    {WM_CTLCOLORBTN, 0, colour_text, 0},                     \
    {WM_INITDIALOG, 0, init, 0},                             \
    {WIZ_ENTER, 0, enter, 0}

/* ---- welcome ---- */

static INT_PTR welcome_init(HWND page, WPARAM, LPARAM, LPARAM)
{
    mark(page, texts, WIZ_TRANSPARENT);
    mark(page, title, WIZ_BANDED);
    set_named(page, SETUP_ID_TEXT,
              ST.Update ? "Welcome to the %s setup program.\n"
                          "This program will update %s on your system."
                        : "Welcome to the %s setup program.\n"
                          "This program will install %s on your system.");
    SetDlgItemTextA(page, SETUP_ID_TEXT2,
        "It is recommended that you exit all other applications before "
        "continuing this setup.\nSwitch to other applications, save your "
        "work and close each application.\n\n"
        "Press \"Next\" when you are ready to begin.");
    SetDlgItemTextA(page, SETUP_ID_GROUP, " Welcome ");
    return DLG_HANDLED;
}

static INT_PTR welcome_enter(HWND, WPARAM, LPARAM, LPARAM)
{
    /* The licence page may have disabled it. */
    EnableWindow(ST.NextButton, TRUE);
    return 0;
}

static const WizRow welcome_rows[] = {
    PAGE_ROWS(welcome_init, welcome_enter),
    {0, 0, NULL, 0}};

/* ---- licence ---- */

static INT_PTR licence_init(HWND page, WPARAM, LPARAM, LPARAM)
{
    mark(page, licence_texts, WIZ_TRANSPARENT);
    mark(page, title, WIZ_BANDED);
    SetDlgItemTextA(page, SETUP_ID_EDIT, ST.LicenseText);
    SetDlgItemTextA(page, SETUP_ID_GROUP, " License Agreement ");
    SetDlgItemTextA(page, SETUP_ID_TEXT,
                    "Please read carefully the following License Agreement.");
    SetDlgItemTextA(page, SETUP_ID_AGREE,
                    "Yes, I have read and agree to the terms of this "
                    "license agreement.");
    return DLG_HANDLED;
}

static INT_PTR licence_enter(HWND page, WPARAM, LPARAM, LPARAM)
{
    if (ST.NoLicense)
        return 1;
    CheckDlgButton(page, SETUP_ID_AGREE, BST_UNCHECKED);
    EnableWindow(ST.NextButton, FALSE);
    ST.LicenseAgreed = 0;
    return 0;
}

static INT_PTR licence_agree(HWND, WPARAM, LPARAM, LPARAM)
{
    ST.LicenseAgreed = !ST.LicenseAgreed;
    EnableWindow(ST.NextButton, ST.LicenseAgreed);
    return DLG_HANDLED;
}

static const WizRow licence_rows[] = {
    PAGE_ROWS(licence_init, licence_enter),
    {WM_COMMAND, SETUP_ID_AGREE, licence_agree, 0},
    {0, 0, NULL, 0}};

/* ---- destination ---- */

static INT_PTR folder_init(HWND page, WPARAM, LPARAM, LPARAM)
{
    mark(page, folder_text, WIZ_TRANSPARENT);
    mark(page, folder_titles, WIZ_BANDED);
    SetDlgItemTextA(page, SETUP_ID_LINE, " Select directory ");
    SetDlgItemTextA(page, SETUP_ID_GROUP, " Destination folder ");
    set_named(page, SETUP_ID_TEXT,
              "Setup will install %s in the following folder.\n\n"
              "To install to this folder click \"Next\".\n\n"
              "To install to a different folder click \"Browse\" and "
              "select another folder.");
    SetDlgItemTextA(page, SETUP_ID_BROWSE, "Browse...");
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, setup_WindowsKey, 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD size = STATE_PATH - 1;
        RegQueryValueExA(key, "ProgramFilesDir", NULL, NULL,
                         (BYTE *)ST.ProgFilesDir, &size);
        RegCloseKey(key);
    }
    setup_Compose(ST.AppDir, STATE_PATH, ST.ProgFilesDir, 1, 1, 0);
    SendDlgItemMessageA(page, SETUP_ID_EDIT, EM_LIMITTEXT, MAX_PATH, 0);
    SetDlgItemTextA(page, SETUP_ID_EDIT, ST.AppDir);
    return DLG_HANDLED;
}

static INT_PTR folder_enter(HWND page, WPARAM, LPARAM, LPARAM)
{
    if (ST.Update)
        return 1;
    HWND edit = item(page, SETUP_ID_EDIT);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    ST.FolderEdited = 0;
    return 0;
}

static INT_PTR folder_edited(HWND, WPARAM wParam, LPARAM, LPARAM)
{
    if (HIWORD(wParam) == EN_CHANGE)
        ST.FolderEdited = 1;
    return DLG_HANDLED;
}

/* OK only for a folder with a drive letter, shown as the status text. */
static int CALLBACK browse_event(HWND browser, UINT message, LPARAM lParam,
                                 LPARAM start)
{
    char path[MAX_PATH];
    if (message == BFFM_INITIALIZED)
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
    if (message == BFFM_SELCHANGED) {
        int ok = SHGetPathFromIDListA((LPITEMIDLIST)lParam, path) &&
                 path[1] == ':';
        SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0,
                     (LPARAM)(ok ? path : ""));
        SendMessageA(browser, BFFM_ENABLEOK, 0, ok);
    }
    return 0;
}

static INT_PTR folder_browse(HWND page, WPARAM, LPARAM, LPARAM)
{
    char start[STATE_PATH], shown[MAX_PATH];
    if (ST.ProgFilesDir[0])
        lstrcpyA(start, ST.ProgFilesDir);
    else
        GetCurrentDirectoryA(sizeof start, start);
    /* The new dialog style wants COM on this thread. */
    CoInitialize(NULL);
    BROWSEINFOA bi;
    ZeroMemory(&bi, sizeof bi);
    bi.hwndOwner = page;
    bi.pszDisplayName = shown;
    bi.lpszTitle = "Select folder";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
    bi.lpfn = browse_event;
    bi.lParam = (LPARAM)start;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
    if (chosen) {
        if (SHGetPathFromIDListA(chosen, shown) &&
            lstrlenA(shown) < STATE_PATH) {
            lstrcpyA(ST.AppDir, shown);
            lstrcpyA(ST.ProgFilesDir, shown);
        }
        CoTaskMemFree(chosen);
    }
    SetDlgItemTextA(page, SETUP_ID_EDIT, ST.AppDir);
    return DLG_HANDLED;
}

/* Empty text, a known drive root "X:\", or anything with attributes. */
static int folder_exists(const char *path)
{
    if (!path[0])
        return 1;
    if (path[1] == ':' && path[2] == '\\' && !path[3])
        return GetDriveTypeA(path) > DRIVE_NO_ROOT_DIR;
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

/* A folder typed relative to somewhere ("Tools", "\\Tools", "C:Tools")
 * or with ".." in it is made a full path before anything is made in it:
 * setup works and logs in full paths only.  One it cannot make so stays
 * as it is, and the test file then fails. */
static void folder_absolute(char *folder)
{
    char full[STATE_PATH];
    DWORD n;
    int why = path_Check(folder);
    if ((why == PATH_ENOTABSOLUTE || why == PATH_EDOTS) &&
        (n = GetFullPathNameA(folder, STATE_PATH, full, NULL)) != 0 &&
        n < STATE_PATH && path_Check(full) == PATH_OK)
        strcpy(folder, full);
}

static INT_PTR folder_leave(HWND page, WPARAM, LPARAM forward, LPARAM)
{
    if (!forward)
        return 0;
    GetDlgItemTextA(page, SETUP_ID_EDIT, ST.AppDir, STATE_PATH);
    int exists = folder_exists(ST.AppDir);
    const char *question = NULL;
    if (ST.FolderEdited && !exists)
        question = "The directory:\n\n%s\n\ndoes not exist. "
                   "Do you want directory to be created?";
    else if (exists)
        question = "The directory:\n\n%s\n\nalready exists. "
                   "Do you want install to it?";
    if (question && box(page, question, MB_YESNO | MB_ICONQUESTION) == IDNO)
        return 1;
    /* Folders made for a folder chosen before are taken back (only empty
     * ones go); the folders made now are the product's, and the run's
     * journal knows them.  Failures show in the test file. */
    journal_Rollback();
    folder_absolute(ST.AppDir);
    fn_MakeFolder(ST.AppDir);
    /* The test file is made new: a file of that name in the user's folder
     * is the user's, and is neither replaced nor deleted. */
    char test[STATE_PATH + 32];
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 100 && h == INVALID_HANDLE_VALUE; i++) {
        wsprintfA(test, i ? "%s\\temp%d.temp" : "%s\\temp.temp", ST.AppDir,
                  i);
        h = CreateFileA(test, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        box(page, "Can't install to:\n\n%s\n\nPlease select another "
                  "location...", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    CloseHandle(h);
    DeleteFileA(test);
    return 0;
}

static const WizRow folder_rows[] = {
    PAGE_ROWS(folder_init, folder_enter),
    {WIZ_LEAVE, 0, folder_leave, 0},
    {WM_COMMAND, SETUP_ID_EDIT, folder_edited, 0},
    {WM_COMMAND, SETUP_ID_BROWSE, folder_browse, 0},
    {0, 0, NULL, 0}};

/* ---- install ---- */

static INT_PTR install_init(HWND page, WPARAM, LPARAM, LPARAM)
{
    mark(page, texts, WIZ_TRANSPARENT);
    mark(page, title, WIZ_BANDED);
    ST.ProgressBar = item(page, SETUP_ID_PROGRESS);
    hide(page, install_hidden);
    SetDlgItemTextA(page, SETUP_ID_GROUP, " Install ");
    SetDlgItemTextA(page, SETUP_ID_TEXT, "Setup is ready to install.\n\n"
                                         "Click \"Next\" to begin copying "
                                         "files.");
    SetDlgItemTextA(page, SETUP_ID_TEXT2, "Installing... Please wait...");
    return DLG_HANDLED;
}

/* The whole install runs inside this message, with the frame disabled;
 * only the built-ins (the progress bar) repaint until it returns. */
static INT_PTR install_leave(HWND page, WPARAM, LPARAM forward, LPARAM)
{
    if (!forward)
        return 0;
    EnableWindow(ST.MainWindow, FALSE);
    ShowWindow(item(page, SETUP_ID_TEXT2), SW_SHOW);
    ShowWindow(ST.ProgressBar, SW_SHOW);
    RedrawWindow(page, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ST.InstallFailed = !setup_Install();
    EnableWindow(ST.MainWindow, TRUE);
    return 0;
}

static const WizRow install_rows[] = {
    PAGE_ROWS(install_init, answer_0),
    {WIZ_LEAVE, 0, install_leave, 0},
    {0, 0, NULL, 0}};

/* ---- finished ---- */

static INT_PTR finished_init(HWND page, WPARAM, LPARAM, LPARAM)
{
    mark(page, finished_texts, WIZ_TRANSPARENT);
    mark(page, title, WIZ_BANDED);
    SetDlgItemTextA(page, SETUP_ID_GROUP, " Finished ");
    SetDlgItemTextA(page, SETUP_ID_REBOOT, "Yes, reboot Windows now");
    SetDlgItemTextA(page, SETUP_ID_NOREBOOT, "No, I will restart it later");
    return DLG_HANDLED;
}

static INT_PTR finished_enter(HWND page, WPARAM, LPARAM, LPARAM)
{
    set_named(page, SETUP_ID_TEXT,
              ST.InstallFailed
                  ? "Error installing %s!\nAll changes made so far were "
                    "undone.\n\nVerify your free disk space or download "
                    "latest version.\n\nClick \"Close\" to exit setup."
                  : "Installation completed succesfully.\n%s was "
                    "succesfully installed on your computer.\nUse \"Start "
                    "Menu\" to access programs.\n\nYou may uninstall the "
                    "installed program by using \"Add/Remove programs\" "
                    "applet\nin Control Panel.\n\nClick \"Close\" to exit "
                    "setup.");
    if (ST.Reboot) {
        SetDlgItemTextA(page, SETUP_ID_TEXT2, "In order to conform changes "
                                              "Windows needs to be rebooted.");
        CheckRadioButton(page, SETUP_ID_REBOOT, SETUP_ID_NOREBOOT,
                         SETUP_ID_REBOOT);
    } else {
        SetDlgItemTextA(page, SETUP_ID_TEXT2,
                        "There is no need to reboot Windows.");
        hide(page, ST.InstallFailed ? no_restart_failed : no_restart);
    }
    return 0;
}

static INT_PTR set_reboot(HWND, WPARAM, LPARAM, LPARAM value)
{
    ST.Reboot = (int)value;
    return DLG_HANDLED;
}

static const WizRow finished_rows[] = {
    PAGE_ROWS(finished_init, finished_enter),
    {WM_COMMAND, SETUP_ID_REBOOT, set_reboot, 1},
    {WM_COMMAND, SETUP_ID_NOREBOOT, set_reboot, 0},
    {0, 0, NULL, 0}};

/* ---- the frame ---- */

static const WORD page_dialogs[WIZ_PAGES] = {
    SETUP_DLG_WELCOME, SETUP_DLG_LICENSE, SETUP_DLG_FOLDER,
    SETUP_DLG_INSTALL, SETUP_DLG_FINISHED};

static const WizRow *const page_rows[WIZ_PAGES] = {
    welcome_rows, licence_rows, folder_rows, install_rows, finished_rows};

static void update_buttons(void)
{
    unsigned i = ST.PageIndex;
    ShowWindow(ST.BackButton,
               i != WIZ_WELCOME && i != WIZ_FINISHED ? SW_SHOW : SW_HIDE);
    ShowWindow(ST.NextButton, i != WIZ_FINISHED ? SW_SHOW : SW_HIDE);
    ShowWindow(ST.CancelButton, SW_SHOW);
    SetWindowTextA(ST.CancelButton, i == WIZ_FINISHED ? "Close" : "Cancel");
}

static INT_PTR frame_init(HWND frame, WPARAM, LPARAM, LPARAM)
{
    ST.MainWindow = frame;
    ST.BackButton = item(frame, SETUP_ID_BACK);
    ST.NextButton = item(frame, SETUP_ID_NEXT);
    ST.CancelButton = item(frame, SETUP_ID_CANCEL);
    for (int i = 0; i < WIZ_PAGES; i++)
        ST.Pages[i] = CreateDialogParamA(
            ST.Instance, MAKEINTRESOURCEA(page_dialogs[i]), frame,
            wiz_DialogProc, (LPARAM)page_rows[i]);
    SendMessageA(frame, WM_SETICON, ICON_BIG,
                 (LPARAM)LoadIconA(ST.Instance, MAKEINTRESOURCEA(SETUP_ICON)));
    ST.PageIndex = WIZ_WELCOME;
    SendMessageA(ST.Pages[WIZ_WELCOME], WIZ_ENTER, 0, 0);
    ShowWindow(ST.Pages[WIZ_WELCOME], SW_SHOW);
    update_buttons();
    SetWindowTextA(ST.BackButton, "<  Back");
    SetWindowTextA(ST.NextButton, "Next  >");
    HMENU menu = GetSystemMenu(frame, FALSE);
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, SETUP_CMD_ABOUT,
                "Vellum v1.0");
    InsertMenuA(menu, 2, MF_BYPOSITION | MF_SEPARATOR, 0, NULL);
    return DLG_HANDLED;
}

/* Next (step 1) and Back (step -1): the page shown may refuse to be left;
 * pages that ask to be skipped are passed over (the first and last never
 * are). */
static INT_PTR frame_go(HWND, WPARAM, LPARAM, LPARAM step)
{
    unsigned i = ST.PageIndex;
    int forward = step > 0;
    if (i == (forward ? (unsigned)WIZ_FINISHED : (unsigned)WIZ_WELCOME) ||
        SendMessageA(ST.Pages[i], WIZ_LEAVE, 0, forward))
        return DLG_HANDLED;
    ShowWindow(ST.Pages[i], SW_HIDE);
    do
        i += (unsigned)step;
    while (SendMessageA(ST.Pages[i], WIZ_ENTER, 0, forward) &&
           i > WIZ_WELCOME && i < WIZ_FINISHED);
    ST.PageIndex = i;
    ShowWindow(ST.Pages[i], SW_SHOW);
    update_buttons();
    return DLG_HANDLED;
}

/* No confirmation; a folder made on the destination page stays. */
static INT_PTR frame_close(HWND, WPARAM, LPARAM, LPARAM)
{
    for (int i = 0; i < WIZ_PAGES; i++)
        DestroyWindow(ST.Pages[i]);
    return DLG_ENDOK;
}

static INT_PTR frame_about(HWND frame, WPARAM wParam, LPARAM, LPARAM)
{
    if (wParam != SETUP_CMD_ABOUT)
        return 0;
    MessageBoxA(frame, "Vellum v1.0\n"
                       "A self-contained installer and its uninstaller.",
                WIZ_TITLE, MB_OK | MB_ICONINFORMATION);
    return DLG_HANDLED;
}

static const WizRow frame_rows[] = {
    {WM_INITDIALOG, 0, frame_init, 0},
    {WM_COMMAND, IDOK, frame_close, 0},
    {WM_CLOSE, 0, frame_close, 0},
    {WM_COMMAND, SETUP_ID_CANCEL, frame_close, 0},
    {WM_COMMAND, SETUP_ID_NEXT, frame_go, 1},
    {WM_COMMAND, SETUP_ID_BACK, frame_go, -1},
    {WM_ERASEBKGND, 0, paint_tiles, 0},
    {WM_SYSCOMMAND, 0, frame_about, 0},
    {0, 0, NULL, 0}};

int setup_Wizard(void)
{
    return (int)DialogBoxParamA(ST.Instance,
                                MAKEINTRESOURCEA(SETUP_DLG_FRAME), NULL,
                                wiz_DialogProc, (LPARAM)frame_rows);
}
