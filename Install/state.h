/* state.h -- InstallState: setup's one process-wide record.
 *
 * Filled in the order of the run: Instance, IsNT, ModulePath, Package,
 * ScriptText, the flags from the script's settings, LicenseText, then the
 * wizard's fields and folders.  LogChanges, NoLicense and NoUninstall start
 * at 1, everything else at 0 or empty.
 */
#ifndef VELLUM_STATE_H
#define VELLUM_STATE_H

#include <windows.h>

#include "pkg/pkg.h"

#define STATE_MODULE_PATH 1024

typedef struct InstallStateRec {
    HINSTANCE      Instance;
    int            IsNT;
    char           ModulePath[STATE_MODULE_PATH];
    PackageHandle *Package;
    char          *ScriptText;   /* Install.ini, NUL-terminated block */
    char          *LicenseText;
    int            Update;
    int            NoLicense;
    int            NoUninstall;
    int            LogChanges;
} InstallStateRec;

extern InstallStateRec InstallState;

#endif
