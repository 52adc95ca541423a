/* func_system.cpp -- built-ins that look at the system before anything
 * changes (Windows version, locked files, installed or running products,
 * member versions), set setup's flags, talk to the user and drive the
 * install page's progress bar.  None of them reports an error: failures
 * show in their values. */
#include "functions.h"
#include "setup.h"
#include "state.h"
#include "ident.h"

#include <commctrl.h>
#include <string.h>

MODULE_IDENT("Install/func_system.cpp");

#define KEY_TEXT_MAX (2 * SCRIPT_STRING_MAX + 16)

/* ---- Windows versions ---- */

static_assert(SCRIPT_WIN_9X == VER_PLATFORM_WIN32_WINDOWS &&
                  SCRIPT_WIN_NT == VER_PLATFORM_WIN32_NT,
              "the built-in table counts platforms as Windows does");

/* Every iswin built-in: the version its row asks (script_Windows). */
ScriptValue fn_IsWindows(void)
{
    OSVERSIONINFOA v;
    fn_Args(NULL);
    setup_WindowsVersion(&v);
    return script_IsWindows(script_CurrentBuiltin(), v.dwPlatformId,
                            v.dwMajorVersion, v.dwMinorVersion);
}

/* ---- flags ---- */

/* The flag argument into *flag; any non-zero value counts as set. */
static ScriptValue set_flag(int *flag)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    *flag = script_Int(v[0]);
    return 0;
}

ScriptValue fn_SetReboot(void)
{
    return set_flag(&InstallState.Reboot);
}

ScriptValue fn_SetUpdate(void)
{
    return set_flag(&InstallState.Update);
}

ScriptValue fn_SetNoUninstall(void)
{
    return set_flag(&InstallState.NoUninstall);
}

ScriptValue fn_LogOn(void)
{
    fn_Args(NULL);
    InstallState.LogChanges = 1;
    return 0;
}

ScriptValue fn_LogOff(void)
{
    fn_Args(NULL);
    InstallState.LogChanges = 0;
    return 0;
}

/* ---- files, products and windows ---- */

/* In use: the file exists but cannot be had for writing alone.  A missing
 * file is not in use; a read-only one is (the system denies access).  The
 * read-only attribute is also looked at when the open succeeds: a Wine
 * running as root opens such a file for writing all the same. */
ScriptValue fn_FileInUse(void)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    const char *path = fn_Path(v[0]);
    if (!path)
        return 0;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        DWORD a = GetFileAttributesA(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
    }
    DWORD e = GetLastError();
    return e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION;
}

/* "Software" [\company] [\product] under HKEY_LOCAL_MACHINE; a null name
 * is left out. */
ScriptValue fn_IsAppInstalled(void)
{
    ScriptValue v[2] = {0, 0};
    fn_Args(v);
    char key[KEY_TEXT_MAX] = "Software";
    for (int i = 0; i < 2; i++) {
        const char *name = fn_Text(v[i]);
        if (name) {
            size_t n = strlen(key);
            strncat(key, "\\", sizeof key - n - 1);
            strncat(key, name, sizeof key - n - 2);
        }
    }
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return 0;
    RegCloseKey(h);
    return 1;
}

static HWND find_window(void)
{
    ScriptValue v[2] = {0, 0};
    fn_Args(v);
    return FindWindowA(fn_Text(v[0]), fn_Text(v[1]));
}

/* The window's handle is the value.  Scripts only test it against 0, and
 * their arithmetic keeps 32 bits: a handle whose low half were 0 would
 * read as "not running", so it is given as 1 instead. */
ScriptValue fn_IsAppRunning(void)
{
    HWND w = find_window();
    ScriptValue value = (ScriptValue)(ULONG_PTR)w;
    if (w && script_Int(value) == 0)
        value = 1;
    return value;
}

/* Sent, not posted: setup goes on only once the program has handled the
 * request, however long it takes. */
ScriptValue fn_CloseApp(void)
{
    HWND w = find_window();
    if (w)
        SendMessageA(w, WM_CLOSE, 0, 0);
    return 0;
}

ScriptValue fn_Version(void)
{
    ScriptValue v[2] = {0, 0};
    fn_Args(v);
    const char *member = fn_Text(v[0]);
    const char *path = fn_Path(v[1]);
    if (!member)
        return -2;                /* no member name: nothing to read */
    return pkg_CompareVersion(member, path);
}

/* ---- messages ---- */

static int message_box(const char *title, UINT style)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    const char *text = fn_Text(v[0]);
    return MessageBoxA(InstallState.MainWindow, text ? text : "", title,
                       style);
}

ScriptValue fn_MsgBoxOk(void)
{
    message_box("Information", MB_OK | MB_ICONINFORMATION);
    return 0;
}

ScriptValue fn_MsgBoxYesNo(void)
{
    return message_box("Question", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

/* ---- progress ---- */

ScriptValue fn_SetProgSteps(void)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    WORD steps = (WORD)(script_Int(v[0]) & 0xFFFF);
    SendMessageA(InstallState.ProgressBar, PBM_SETRANGE, 0,
                 MAKELPARAM(0, steps));
    SendMessageA(InstallState.ProgressBar, PBM_SETSTEP, 1, 0);
    return 0;
}

ScriptValue fn_ProgStep(void)
{
    fn_Args(NULL);
    SendMessageA(InstallState.ProgressBar, PBM_STEPIT, 0, 0);
    return 0;
}
