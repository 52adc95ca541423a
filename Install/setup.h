/* setup.h -- setup's main line: start-up, init phase and install run.
 *
 * setup_Main returns the process exit code: 1 only when the script member
 * cannot be extracted, 0 in every other case (reported errors included).
 */
#ifndef VELLUM_SETUP_H
#define VELLUM_SETUP_H

#include <windows.h>

/* Message texts of the start-up checks, exactly as the user sees them. */
#define SETUP_MSG_WIN95       "Windows 95 or later required..."
#define SETUP_MSG_NT4         "Windows NT 4.0 or later required..."
#define SETUP_MSG_NOMEM       "Not enough memory."
#define SETUP_MSG_CORRUPT     "File corrupted, possible download error."
#define SETUP_MSG_INTERNAL    "Internal Error 1"
#define SETUP_ERROR_TITLE     "Error"
#define SETUP_SCRIPT_MEMBER   "Install.ini"
#define SETUP_SCRIPT_TITLE    "Script error"
#define SETUP_APP_TITLE       "Vellum"

int setup_Main(HINSTANCE instance);
int setup_Error(const char *text);

/* The Windows version as setup sees it.  Replaceable for tests that need a
 * system Wine cannot pretend to be (Win32s, NT 3.51). */
typedef BOOL (*SetupVersionFn)(OSVERSIONINFOA *info);
extern SetupVersionFn setup_GetVersion;

/* Member installs over the package setup holds open (InstallState.Package):
 * 1/0, and 1/0/-1/-2 as pkg_CompareMember. */
int pkg_InstallFile(const char *member, const char *dest);
int pkg_CompareVersion(const char *member, const char *dest);

#endif
