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
 * would not fit: text is then made empty, so that whatever uses it fails
 * the way it fails on a missing path instead of on a cut one. */
int path_ExpandWith(char *text, size_t capacity,
                    const char *const folders[PATH_MACROS]);

#endif
