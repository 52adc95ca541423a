/* setup.h -- setup's main line: start-up, init phase and install run.
 *
 * setup_Main returns the process exit code: 1 only when the script member
 * cannot be extracted, 0 in every other case (reported errors included).
 */
#ifndef VELLUM_SETUP_H
#define VELLUM_SETUP_H

#include "admin.h"

#include <windows.h>
#include <stdint.h>

/* Message texts of the start-up checks, exactly as the user sees them. */
#define SETUP_MSG_WIN95       "Windows 95 or later required..."
#define SETUP_MSG_NT4         "Windows NT 4.0 or later required..."
#define SETUP_MSG_NOMEM       "Not enough memory."
#define SETUP_MSG_CORRUPT     "File corrupted, possible download error."
#define SETUP_MSG_INTERNAL    "Internal Error 1"
#define SETUP_ERROR_TITLE     ADMIN_ERROR_TITLE
#define SETUP_SCRIPT_MEMBER   "Install.ini"
#define SETUP_SCRIPT_TITLE    "Script error"
#define SETUP_APP_TITLE       "Vellum"
#define SETUP_LICENSE_MEMBER  "License.txt"
#define SETUP_UNINSTALL_MEMBER "Uninstall.exe"
#define SETUP_MSG_NO_WIN95    "Windows 95 is no longer supported... Sorry..."
/* The registry and service-manager refusals: admin.h. */

int setup_Main(HINSTANCE instance);
int setup_Error(const char *text);

/* The init phase: 0 ends setup (after a message, or silently). */
int setup_Init(void);
/* 1 not installed or older than the script's Version, 0 the same, -1 the
 * installed one is newer. */
int setup_CheckVersion(void);
/* "a.b.c.d": high half a << 16 | b, low half c << 16 | d, as file versions. */
uint64_t setup_ParseVersion(const char *text);
void setup_RegisterUninstall(void);
void setup_RegisterProduct(void);
void setup_Rollback(void);

/* Restarts Windows at the end of setup when Reboot is set: setup_Restart
 * when set (tests must not end the session they run in), else for real. */
typedef void (*SetupRestartFn)(int isNT);
extern SetupRestartFn setup_Restart;

/* HKEY_LOCAL_MACHINE "SOFTWARE\\Microsoft\\Windows\\CurrentVersion". */
extern const char setup_WindowsKey[];

/* A text setting into out (empty when absent): 1 present, 0 absent. */
int setup_Setting(const char *name, char *out, size_t capacity);
/* base + "\" Company + "\" Product (parts chosen by the flags; with always,
 * the backslash goes in even for an absent setting). */
void setup_Compose(char *out, size_t capacity, const char *base,
                   int company, int product, int always);
/* The Start menu's programs folder + Company (+ Product when product is
 * set); 0 unreadable. */
int setup_ProgramsFolder(char *out, size_t capacity, int product = 1);
/* A leading path macro replaced in place by its folder; 0 when the result
 * does not fit capacity or the folder is not known yet (the text is then
 * empty). */
int path_Expand(char *text, size_t capacity);
/* Creates every folder of path, outermost first; the last creation's
 * success. */
int dir_CreatePath(const char *path);

/* The wizard: a modal frame (no owner) with five pages; it returns when the
 * user closes it.  The install page runs setup_Install, nonzero success. */
int setup_Wizard(void);
int setup_Install(void);

/* The wizard's resources and controls. */
#define SETUP_DLG_FRAME    101
#define SETUP_DLG_WELCOME  102
#define SETUP_ICON         103
#define SETUP_DLG_LICENSE  104
#define SETUP_DLG_FOLDER   105
#define SETUP_DLG_INSTALL  106
#define SETUP_DLG_FINISHED 107
#define SETUP_BMP_TILE     109
#define SETUP_CMD_ABOUT    999   /* the frame's system-menu item */
#define SETUP_ID_BACK      1000
#define SETUP_ID_NEXT      1001
#define SETUP_ID_CANCEL    1002
#define SETUP_ID_TEXT      1003
#define SETUP_ID_TEXT2     1004
#define SETUP_ID_BROWSE    1005
#define SETUP_ID_EDIT      1008  /* licence text; destination folder */
#define SETUP_ID_AGREE     1009
#define SETUP_ID_PROGRESS  1010
#define SETUP_ID_REBOOT    1011
#define SETUP_ID_NOREBOOT  1012
#define SETUP_ID_GROUP     1013  /* the page's title frame */
#define SETUP_ID_LINE      1014  /* a rule, or the folder's frame */

/* The Windows version as setup sees it, through setup_GetVersion when a
 * test has set it (a system Wine cannot pretend to be: Win32s, NT 3.51),
 * else from the system.  The replaceable functions start null so that
 * they take no initialised data in the file. */
typedef BOOL (*SetupVersionFn)(OSVERSIONINFOA *info);
extern SetupVersionFn setup_GetVersion;
void setup_WindowsVersion(OSVERSIONINFOA *info);

/* Member installs over the package setup holds open (InstallState.Package):
 * 1/0, and 1/0/-1/-2 as pkg_CompareMember. */
int pkg_InstallFile(const char *member, const char *dest);
int pkg_CompareVersion(const char *member, const char *dest);

#endif
