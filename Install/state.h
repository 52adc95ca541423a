/* state.h -- InstallState: setup's one process-wide record.
 *
 * Filled in the order of the run: Instance, IsNT, ModulePath, Package,
 * ScriptText, the flags from the script's settings, LicenseText, then the
 * wizard's fields and folders, LogPath and UndoList during the install run,
 * InstallFailed after it, and Reboot possibly changed on the finished page.
 * LogChanges, NoLicense and NoUninstall start at 1, everything else at 0 or
 * empty.  One thread; plain fields without locking.
 */
#ifndef VELLUM_STATE_H
#define VELLUM_STATE_H

#include <windows.h>

#include "pkg/pkg.h"
#include "log.h"

#define STATE_MODULE_PATH 1024
#define STATE_PATH        512
/* The wizard's pages, in the order they are shown. */
enum {
    WIZ_WELCOME, WIZ_LICENSE, WIZ_FOLDER, WIZ_INSTALL, WIZ_FINISHED,
    WIZ_PAGES
};

typedef struct InstallStateRec {
    HINSTANCE      Instance;      /* dialogs, bitmap, icon */
    int            IsNT;          /* 1 NT family, 0 9x family */
    char           ModulePath[STATE_MODULE_PATH];
    PackageHandle *Package;
    char          *ScriptText;    /* Install.ini, NUL-terminated block */
    char          *LicenseText;   /* License.txt, or NULL */
    int            Update;        /* the install is an update */
    int            NoLicense;     /* skip the licence page */
    int            NoUninstall;   /* no uninstaller copied or registered */
    int            Reboot;        /* restart Windows when setup ends */
    int            LogChanges;    /* built-ins record undo entries */
    int            CopyError;     /* the last copying built-in failed */
    /* Both empty until the destination page is made (path_Expand then
     * fails their macros). */
    char           ProgFilesDir[STATE_PATH];
    char           AppDir[STATE_PATH];
    char           LogPath[STATE_PATH];
    LogList        UndoList;      /* the undo log in memory */
    int            InstallFailed; /* the install run returned 0 */
    HWND           MainWindow;    /* the wizard's frame; owns script boxes */
    HWND           ProgressBar;   /* the install page's progress control */

    /* The wizard's own fields. */
    HWND           BackButton, NextButton, CancelButton;
    HWND           Pages[WIZ_PAGES];
    unsigned       PageIndex;     /* page shown, WIZ_WELCOME to WIZ_FINISHED */
    int            LicenseAgreed; /* the agreement box is ticked */
    int            FolderEdited;  /* folder text changed since entering */
} InstallStateRec;

extern InstallStateRec InstallState;

#endif
