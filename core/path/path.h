/* path.h -- path macros: a leading "%WINDIR%" and its kin replaced by a
 * folder, in place.  Portable: the host supplies the folders (setup from
 * the system and its install state, vpack from a simulated machine). */
#ifndef VELLUM_PATH_H
#define VELLUM_PATH_H

#include <stddef.h>

enum {
    PATH_WINDIR, PATH_WINSYSDIR, PATH_DRIVERDIR, PATH_APPDIR,
    PATH_PROGFILESDIR, PATH_PRODUCTDIR, PATH_COMPANYDIR,
    PATH_MACROS
};

/* "%WINDIR%" ... "%COMPANYDIR%", in the order they are tested. */
extern const char *const path_MacroNames[PATH_MACROS];

/* When text begins with a macro (letter case ignored), the macro is
 * replaced by folders[macro] and the rest follows unchanged; nothing is put
 * between them.  Otherwise text stays as it is.  capacity is the size of
 * text's buffer, terminator included.  Gives 1, or 0 when the expansion
 * would not fit or its folder is NULL (not known yet): text is then made
 * empty, so that whatever uses it fails the way it fails on a missing path
 * instead of acting on a cut one or on one below the drive's root. */
int path_ExpandWith(char *text, size_t capacity,
                    const char *const folders[PATH_MACROS]);

/* What setup writes and the uninstaller takes: a path "X:\..." with a
 * drive letter, none of whose parts ('\' or '/' between them) is "." or
 * ".." (or dots and blanks only, which Windows reads as those), a device
 * (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, CLOCK$, with any
 * extension), and no character below 32, '<', '>', '"', '|', '?', '*' or
 * ':' after the drive's.  Relative paths, "\\server\share", "\\?\" and
 * "\\.\" are refused.  Gives PATH_OK or why not; whether the drive is a
 * local one is the platform's to say. */
enum {
    PATH_OK,
    PATH_ENOTABSOLUTE,   /* relative, another drive's current folder, UNC */
    PATH_EDOTS,          /* a "." or ".." part */
    PATH_EDEVICE,        /* a device name */
    PATH_ECHAR,          /* a control or reserved character */
    PATH_ETRAIL          /* a name ending in a dot or a blank */
};
int path_Check(const char *path);
/* One name for a file or folder to be made, by the rules of path_Check
 * for a part, '\' and '/' counted as reserved characters, and one more:
 * a name may not end in a dot or a blank, which Windows would drop.
 * Gives PATH_OK, PATH_EDOTS, PATH_EDEVICE, PATH_ECHAR (*at, when not
 * null, the offset of the character) or PATH_ETRAIL. */
int path_CheckName(const char *name, size_t *at);
/* A short English reason for a path_Check result ("" for PATH_OK). */
const char *path_CheckText(int result);

/* 1 when key is a product's own settings key below HKEY_CURRENT_USER:
 * "Software\Vendor\Product", optionally deeper, with no empty part, no
 * control character, "Software" in any letter case, and a vendor that is
 * none of Windows' own branches (Classes, Microsoft, Policies,
 * Wow6432Node).  Deleting anything above that level would take other
 * programs' settings with it. */
int path_SettingsKey(const char *key);

#endif
