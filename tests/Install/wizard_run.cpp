/* wizard_run.cpp -- runs setup's wizard alone, for the rows of wizard_ui:
 *
 *   wizard_run RESULT SCRIPT [LICENCE] [--install N] [--reboot]
 *              [--type PATH] [--about]
 *
 * SCRIPT is compiled as setup compiles Install.ini and its Update and
 * NoLicense settings are read as setup's init phase reads them; LICENCE
 * (optional, as the package's member) is the licence text.  The install
 * page's run is this program's setup_Install: it records what the wizard
 * looked like while it ran and returns N (default 1).  --reboot sets Reboot
 * before the wizard starts, as a script's init may.
 *
 * For the driver, a small window of this process is titled after the page
 * shown: "page N", with " next off" while Next is disabled, "no page" when
 * none or more than one is visible.  It follows the wizard through a timer,
 * so a row can wait for a page before it lists the windows.  --type writes
 * PATH into the folder box when the destination page first shows, as
 * typing would (the box's change notification goes out); --about sends the
 * frame the system-menu command of the about box.  At the end RESULT gets
 * one "name value" line per observation.
 */
#include "setup.h"
#include "state.h"
#include "script/script.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

static struct {
    int         installResult = 1;
    const char *type = NULL;
    bool        typed = false;
    bool        about = false;
    HWND        marker = NULL;
    std::string seen;   /* the RESULT lines so far */
} run;

static void note(const char *name, const std::string &value)
{
    run.seen += std::string(name) + " " + value + "\n";
}

static bool shown(HWND page, int id)
{
    return IsWindowVisible(GetDlgItem(page, id)) != 0;
}

static std::string text_of(HWND w)
{
    char buf[1024] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

/* The engine's install run is replaced by this one (the linker keeps the
 * first definition it meets, this program's). */
int setup_Install(void)
{
    HWND page = InstallState.Pages[3];
    note("install-call", "1");
    note("install-frame-enabled",
         IsWindowEnabled(InstallState.MainWindow) ? "1" : "0");
    note("install-progress-shown",
         IsWindowVisible(InstallState.ProgressBar) &&
                 InstallState.ProgressBar == GetDlgItem(page, SETUP_ID_PROGRESS)
             ? "1" : "0");
    note("install-wait-shown", shown(page, SETUP_ID_TEXT2) ? "1" : "0");
    note("install-appdir", InstallState.AppDir);
    return run.installResult;
}

static void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    int page = -1, visible = 0;
    for (int i = 0; i < WIZ_PAGES; i++)
        if (InstallState.Pages[i] && IsWindowVisible(InstallState.Pages[i])) {
            page = i;
            visible++;
        }
    if (page == 2 && run.type && !run.typed) {
        run.typed = true;
        SetDlgItemTextA(InstallState.Pages[2], SETUP_ID_EDIT, run.type);
    }
    if (page == 0 && run.about) {
        run.about = false;
        PostMessageA(InstallState.MainWindow, WM_SYSCOMMAND, SETUP_CMD_ABOUT, 0);
    }
    char title[64] = "no page";
    if (visible == 1)
        sprintf(title, "page %d%s", page,
                IsWindowEnabled(InstallState.NextButton) ? "" : " next off");
    if (text_of(run.marker) != title)
        SetWindowTextA(run.marker, title);
}

static char *read_text(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return NULL;
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    char *text = (char *)malloc(s.size() + 1);
    memcpy(text, s.c_str(), s.size() + 1);
    return text;
}

/* The system menu as the frame left it, read once it exists. */
static void note_menu(void)
{
    HMENU menu = GetSystemMenu(InstallState.MainWindow, FALSE);
    char item[64] = "";
    GetMenuStringA(menu, 0, item, sizeof item, MF_BYPOSITION);
    note("menu-0", item);
    note("menu-0-id", std::to_string(GetMenuItemID(menu, 0)));
    MENUITEMINFOA mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, 2, TRUE, &mi);
    note("menu-2-separator", mi.fType & MFT_SEPARATOR ? "1" : "0");
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: wizard_run RESULT SCRIPT [LICENCE] [--install N] "
                        "[--reboot] [--type PATH] [--about]\n");
        return 2;
    }
    const char *licence = NULL;
    for (int i = 3; i < argc; i++) {
        if (!strcmp(argv[i], "--install") && i + 1 < argc)
            run.installResult = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--reboot"))
            InstallState.Reboot = 1;
        else if (!strcmp(argv[i], "--type") && i + 1 < argc)
            run.type = argv[++i];
        else if (!strcmp(argv[i], "--about"))
            run.about = true;
        else
            licence = argv[i];
    }
    InitCommonControls();
    InstallState.Instance = GetModuleHandleA(NULL);
    InstallState.NoLicense = InstallState.NoUninstall = 1;
    InstallState.LogChanges = 1;
    InstallState.ScriptText = read_text(argv[2]);
    if (!InstallState.ScriptText || !script_Compile(InstallState.ScriptText)) {
        fprintf(stderr, "wizard_run: %s does not compile\n", argv[2]);
        return 2;
    }
    script_GetInt("Update", &InstallState.Update);
    script_GetInt("NoLicense", &InstallState.NoLicense);
    InstallState.LicenseText = licence ? read_text(licence) : NULL;
    if (!InstallState.LicenseText)
        InstallState.NoLicense = 1;

    run.marker = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC",
                                 "no page", WS_POPUP, 0, 0, 1, 1, NULL, NULL,
                                 InstallState.Instance, NULL);
    ShowWindow(run.marker, SW_SHOWNA);
    SetTimer(NULL, 0, 25, watch);
    struct MenuOnce {
        static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD)
        {
            if (!InstallState.MainWindow)
                return;
            KillTimer(NULL, id);
            note_menu();
        }
    };
    SetTimer(NULL, 0, 25, MenuOnce::tick);

    int result = setup_Wizard();
    note("wizard", std::to_string(result));
    note("appdir", InstallState.AppDir);
    note("progfiles", InstallState.ProgFilesDir);
    note("reboot", std::to_string(InstallState.Reboot));
    note("failed", std::to_string(InstallState.InstallFailed));
    note("pages-left", std::to_string(IsWindow(InstallState.Pages[0]) +
                                      IsWindow(InstallState.Pages[4])));
    DestroyWindow(run.marker);
    FILE *f = fopen(argv[1], "wb");
    if (!f || fputs(run.seen.c_str(), f) < 0 || fclose(f) != 0) {
        fprintf(stderr, "wizard_run: cannot write %s\n", argv[1]);
        return 2;
    }
    return 0;
}
