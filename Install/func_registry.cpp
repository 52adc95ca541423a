/* func_registry.cpp -- the registry built-ins: the per-user preferences
 * key recorded for the uninstaller, deletions below the maker's settings
 * branch, and kernel drivers copied from the package and registered as
 * automatically started services. */
#include "functions.h"
#include "reg.h"
#include "setup.h"
#include "state.h"
#include "shared.h"
#include "journal.h"
#include "ident.h"
#include "path/path.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Install/func_registry.cpp");

#define BRANCH        "Software\\Orrery Software\\"
#define SERVICES      "System\\CurrentControlSet\\Services\\"
#define KEY_PATH_MAX  1024
#define NAME_MAX_TEXT 256

ScriptValue fn_PrefsKey(void)
{
    ScriptValue v[1];
    if (!fn_Args(v))
        return 0;
    /* The uninstaller deletes the key with every subkey: one above a
     * product's own ("Software", "Software\\Acme") would take other
     * programs' settings along, so it is not recorded. */
    const char *key = fn_Text(v[0]);
    if (path_SettingsKey(key) && InstallState.LogChanges)
        log_AddPrefsKey(&InstallState.UndoList, key);
    return 0;
}

/* BRANCH + key into path.  An empty key would name the branch itself,
 * which these built-ins only reach below: 0 then, and when it does not
 * fit. */
static int branch_Path(char *path, const char *key)
{
    if (!key || !*key || strlen(key) + sizeof BRANCH > KEY_PATH_MAX)
        return 0;
    strcpy(path, BRANCH);
    strcat(path, key);
    return 1;
}

ScriptValue fn_RegDelKey(void)
{
    ScriptValue v[1];
    char path[KEY_PATH_MAX];
    if (fn_Args(v) && branch_Path(path, fn_Text(v[0])))
        reg_DeleteTree(HKEY_CURRENT_USER, path, strlen(path), KEY_PATH_MAX);
    return 0;
}

ScriptValue fn_RegDelValue(void)
{
    ScriptValue v[2];
    char path[KEY_PATH_MAX];
    if (!fn_Args(v))
        return 0;
    const char *value = fn_Text(v[1]);
    HKEY h;
    /* A null name would delete the key's default value: not asked for. */
    if (value && branch_Path(path, fn_Text(v[0])) &&
        RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &h) ==
            ERROR_SUCCESS) {
        RegDeleteValueA(h, value);
        RegCloseKey(h);
    }
    return 0;
}

/* ---- drivers ---- */

static void set_dword(HKEY key, const char *name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value,
                   sizeof value);
}

/* The NT service: a kernel driver started with the system, its image in
 * the system's drivers folder under the destination's file name.  1 made
 * (*made) or already there (an existing service is left as it is). */
static int service_Create(SC_HANDLE scm, const char *service,
                          const char *dest, int *made)
{
    char image[KEY_PATH_MAX];
    const char *file = dest;
    for (const char *p = dest; *p; p++)
        if (*p == '\\' || *p == '/')
            file = p + 1;
    strcpy(image, "\\SystemRoot\\System32\\drivers\\");
    strncat(image, file, sizeof image - strlen(image) - 1);
    SC_HANDLE s = CreateServiceA(scm, service, service, SERVICE_ALL_ACCESS,
                                 SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                                 SERVICE_ERROR_NORMAL, image, NULL, NULL,
                                 NULL, NULL, NULL);
    *made = s != NULL;
    if (s) {
        CloseServiceHandle(s);
        return 1;
    }
    return GetLastError() == ERROR_SERVICE_EXISTS;
}

/* The driver file installed as copy does, and counted as a shared file
 * of this product under the service's name.  Newer, older or unreadable:
 * the running driver is replaced only at the restart. */
static void copy_driver(const char *member, const char *dest,
                        const char *service)
{
    if (pkg_CompareVersion(member, dest) != 0)
        InstallState.Reboot = 1;
    int existed, logged = fn_Logged(LOG_DRIVER, dest);
    char company[NAME_MAX_TEXT], product[NAME_MAX_TEXT];
    setup_Setting(SCRIPT_SETTING(Company), company, sizeof company);
    setup_Setting(SCRIPT_SETTING(Product), product, sizeof product);
    /* A reinstall of the same product loads the earlier log, whose driver
     * entry already stands for this product's count; a driver file that
     * was there before and that nobody counts is another program's, and
     * counting it would let a removal delete it. */
    if (fn_Install(member, dest, &existed) && !logged &&
        (!existed || shared_Count(company, product, service) > 0 ||
         shared_SystemCount(dest) > 0))
        fn_CountShared(company, product, service, dest);
}

/* The service's key with its four values and, on the NT family, the
 * service itself, noted in the run's journal: 1 registered.  On failure
 * the keys go only when this call made them: an existing key is another
 * installation's service. */
static int register_service(const char *service, const char *dest)
{
    OSVERSIONINFOA version;
    setup_WindowsVersion(&version);
    int isNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    /* A manager that cannot be opened fails the service's creation below,
     * with the same clean-up. */
    SC_HANDLE scm = isNT ? OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS)
                         : NULL;
    char path[KEY_PATH_MAX];
    strcpy(path, SERVICES);
    strcat(path, service);
    HKEY key;
    DWORD made;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, (LPSTR) "", 0,
                        KEY_ALL_ACCESS, NULL, &key, &made) != ERROR_SUCCESS) {
        if (scm)
            CloseServiceHandle(scm);
        return 0;
    }
    int madeKey = made == REG_CREATED_NEW_KEY;
    set_dword(key, "Start", SERVICE_AUTO_START);
    set_dword(key, "Type", SERVICE_KERNEL_DRIVER);
    set_dword(key, "ErrorControl", SERVICE_ERROR_NORMAL);
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE *)service,
                   (DWORD)strlen(service) + 1);
    RegCloseKey(key);

    int madeService = 0;
    if (isNT) {
        int ok = scm && service_Create(scm, service, dest, &madeService);
        if (scm)
            CloseServiceHandle(scm);
        if (!ok) {
            if (madeKey)
                shared_DeleteServiceKeys(service);
            return 0;
        }
    }
    journal_Service(service, madeKey, madeService);
    return 1;
}

/* member, destination, service name: 1 registered, 0 when the service key
 * or the NT service could not be made.  A failed copy shows in CopyError
 * only.  The mirror of shared_RemoveDriver: the file and its count, then
 * the service. */
ScriptValue fn_InstallDriver(void)
{
    ScriptValue v[3];
    if (!fn_Args(v))
        return 0;
    const char *member = fn_Text(v[0]);
    const char *dest = fn_Path(v[1]);
    const char *service = fn_Text(v[2]);
    /* An empty service name would make the failure path delete the
     * Services key itself, a '\' reach another service's key. */
    if (!member || !dest || !service || !*service ||
        strchr(service, '\\') ||
        strlen(service) + sizeof SERVICES + 16 > KEY_PATH_MAX)
        return 0;
    if (path_Check(dest) != PATH_OK) {
        InstallState.CopyError = 1;    /* no file setup would write */
        return 0;
    }
    if (!InstallState.CopyError)
        copy_driver(member, dest, service);
    Sleep(500);
    if (!register_service(service, dest))
        return 0;
    if (InstallState.LogChanges)
        log_AddDriver(&InstallState.UndoList, dest, service);
    return 1;
}
