/* admin.cpp -- the registry and service-manager probes and the restart
 * (admin.h). */
#include "admin.h"
#include "ident.h"

MODULE_IDENT("Log/admin.cpp");

int admin_Error(HWND owner, const char *text)
{
    MessageBoxA(owner, text, ADMIN_ERROR_TITLE, MB_OK | MB_ICONERROR);
    return 1;
}

int admin_RegistryRefused(void)
{
    static const char probe[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vellum";
    HKEY h;
    DWORD made;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, probe, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &h, &made) != ERROR_SUCCESS)
        return admin_Error(NULL, ADMIN_MSG_REGISTRY);
    RegCloseKey(h);
    if (made == REG_CREATED_NEW_KEY)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, probe);
    return 0;
}

int admin_DriversRefused(void)
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return admin_Error(NULL, GetLastError() == ERROR_ACCESS_DENIED
                                     ? ADMIN_MSG_DRIVER_RIGHTS
                                     : ADMIN_MSG_DRIVER_DB);
    CloseServiceHandle(scm);
    return 0;
}

void admin_Restart(int isNT)
{
    HANDLE token;
    if (isNT && OpenProcessToken(GetCurrentProcess(),
                                 TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                 &token)) {
        TOKEN_PRIVILEGES p;
        p.PrivilegeCount = 1;
        p.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueA(NULL, "SeShutdownPrivilege",
                                  &p.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &p, 0, NULL, NULL);
        CloseHandle(token);
    }
    ExitWindowsEx(EWX_REBOOT, 0);
}
