/* setup_main.cpp -- setup's entry and start-up sequence. */
#include "setup.h"
#include "admin.h"
#include "state.h"
#include "journal.h"
#include "ident.h"
#include "script/script.h"
#include "functions.h"

#include <commctrl.h>

MODULE_IDENT("Install/setup_main.cpp");

/* Zero-filled (kept out of the file); the three flags that start at 1 are
 * set by setup_Main. */
VELLUM_BSS InstallStateRec InstallState;

static BOOL real_GetVersion(OSVERSIONINFOA *info)
{
    info->dwOSVersionInfoSize = sizeof *info;
    return GetVersionExA(info);
}

VELLUM_BSS SetupVersionFn setup_GetVersion;

void setup_WindowsVersion(OSVERSIONINFOA *info)
{
    ZeroMemory(info, sizeof *info);
    (setup_GetVersion ? setup_GetVersion : real_GetVersion)(info);
}

/* The compiler's and interpreter's detailed boxes. */
static void show_script_error(const char *text)
{
    MessageBoxA(NULL, text, SETUP_SCRIPT_TITLE, MB_OK);
}

static const ScriptHost script_host = {show_script_error, setup_Handlers};

int setup_Error(const char *text)
{
    admin_Error(NULL, text);
    return 0;
}

/* Win32s and NT before 4.0 are refused; 0 means the message was shown. */
static int check_platform(void)
{
    OSVERSIONINFOA v;
    setup_WindowsVersion(&v);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS &&
        v.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return setup_Error(SETUP_MSG_WIN95);
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion < 4)
        return setup_Error(SETUP_MSG_NT4);
    InstallState.IsNT = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return 1;
}

static int open_package(void)
{
    GetModuleFileNameA(NULL, InstallState.ModulePath, STATE_MODULE_PATH);
    int rc = pkg_Open(InstallState.ModulePath, &InstallState.Package);
    if (rc == PKG_OK)
        return 1;
    if (rc == PKG_ENOMEM)
        return setup_Error(SETUP_MSG_NOMEM);
    if (rc == PKG_ERANGE || rc == PKG_ECHECKSUM)
        return setup_Error(SETUP_MSG_CORRUPT);
    return setup_Error(SETUP_MSG_INTERNAL);
}

static void close_package(void)
{
    pkg_Close(InstallState.Package);
    InstallState.Package = NULL;
    pkg_Free(InstallState.ScriptText);
    InstallState.ScriptText = NULL;
    pkg_Free(InstallState.LicenseText);
    InstallState.LicenseText = NULL;
}

VELLUM_BSS SetupRestartFn setup_Restart;


int setup_Main(HINSTANCE instance)
{
    InitCommonControls();
    InstallState.NoLicense = InstallState.NoUninstall = 1;
    InstallState.LogChanges = 1;
    InstallState.Instance = instance;
    if (!check_platform() || !open_package())
        return 0;
    void *script;
    if (pkg_Extract(InstallState.Package, SETUP_SCRIPT_MEMBER, &script,
                    NULL) != PKG_OK) {
        close_package();
        return 1;
    }
    InstallState.ScriptText = (char *)script;
    script_SetHost(&script_host);
    if (!script_Compile(InstallState.ScriptText)) {
        /* The compiler has shown what is wrong and where. */
        MessageBoxA(NULL, SETUP_SCRIPT_TITLE, SETUP_APP_TITLE, MB_OK);
        close_package();
        return 0;
    }
    if (!setup_Init()) {
        close_package();
        return 0;
    }
    void *license;
    if (pkg_Extract(InstallState.Package, SETUP_LICENSE_MEMBER, &license,
                    NULL) == PKG_OK)
        InstallState.LicenseText = (char *)license;
    else
        InstallState.NoLicense = 1;
    setup_Wizard();
    /* Whatever no successful run made the product's (the folders made for
     * a wizard left before the install) is taken back. */
    journal_Rollback();
    close_package();
    if (InstallState.Reboot)
        (setup_Restart ? setup_Restart : admin_Restart)(InstallState.IsNT);
    return 0;
}

int pkg_InstallFile(const char *member, const char *dest)
{
    return pkg_InstallMember(InstallState.Package, member, dest);
}

int pkg_CompareVersion(const char *member, const char *dest)
{
    return pkg_CompareMember(InstallState.Package, member, dest);
}
