/* admin.h -- what setup and the uninstaller ask of the system before they
 * change it, the words they refuse with, and the restart at their end.
 * Shared by setup and the uninstaller. */
#ifndef VELLUM_ADMIN_H
#define VELLUM_ADMIN_H

#define ADMIN_MSG_REGISTRY \
    "Unable to access system registry!\nLog on as an Administrator or " \
    "SuperUser and try again..."
#define ADMIN_MSG_DRIVER_RIGHTS \
    "You must have Administrator privileges in order to deinstall " \
    "drivers!\nLog on as an administrator and try again..."
#define ADMIN_MSG_DRIVER_DB "Can't open driver database!"
#define ADMIN_ERROR_TITLE   "Error"

#include <windows.h>

/* The error box of both programs: text titled "Error", OK only, the error
 * icon.  1: a refusal was shown. */
int admin_Error(HWND owner, const char *text);

/* Write access to the machine's uninstall list stands for write access to
 * the machine's keys: HKEY_LOCAL_MACHINE "Software\Microsoft\Windows\
 * CurrentVersion\Uninstall\Vellum" is made for setting values and, only
 * when it was made here, deleted again (a product named Vellum keeps its
 * entry).  0 when it could be made; else 1 after the ADMIN_MSG_REGISTRY
 * box. */
int admin_RegistryRefused(void);

/* 0 when the service manager opens with full access (it is closed again);
 * else 1 after the box ADMIN_MSG_DRIVER_RIGHTS when access was denied,
 * ADMIN_MSG_DRIVER_DB for any other failure. */
int admin_DriversRefused(void);

/* On the NT family the shutdown privilege is enabled in the process's
 * token; then Windows is asked to restart (reboot, no force).  Failures
 * along the way are ignored: the restart is asked for regardless. */
void admin_Restart(int isNT);

#endif
