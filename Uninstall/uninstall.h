/* uninstall.h -- Uninstall.exe: removes a product that setup installed,
 * by its undo log (Log/log.h), after one question in dialog 101.
 *
 * uninstall_Main takes the text after the program's name on its command
 * line (the log's path; empty: asked for) and gives the exit code: 0 after
 * a removal, Exit or a cancelled file dialog, 1 when the log cannot be
 * used or a pre-check fails.
 */
#ifndef VELLUM_UNINSTALL_H
#define VELLUM_UNINSTALL_H

/* Resource identifiers (uninstall.rc). */
#define UN_DIALOG      101
#define UN_ICON        102
#define UN_REMOVE      1000
#define UN_EXIT        1001
#define UN_SETTINGS    1002
#define UN_QUESTION    1003
#define UN_WAIT        1004
#define UN_PROGRESS    1010
#define UN_GROUP       1013

#ifndef RC_INVOKED
#include <windows.h>

int uninstall_Main(HINSTANCE instance, const char *commandLine);

/* Restarts Windows after a driver was removed and the user said Yes;
 * null: the real restart.  Tests put their own here. */
typedef void (*UninstallRestartFn)(int isNT);
extern UninstallRestartFn uninstall_Restart;
#endif

#endif
