/* path.cpp -- path macros. */
#include "path.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("core/path/path.cpp");

const char *const path_MacroNames[PATH_MACROS] = {
    "%WINDIR%", "%WINSYSDIR%", "%DRIVERDIR%", "%APPDIR%",
    "%PROGFILESDIR%", "%PRODUCTDIR%", "%COMPANYDIR%",
};

static int starts_with(const char *text, const char *macro)
{
    for (; *macro; text++, macro++) {
        int c = (unsigned char)*text;
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        if (c != *macro)
            return 0;
    }
    return 1;
}

int path_ExpandWith(char *text, size_t capacity,
                    const char *const folders[PATH_MACROS])
{
    if (!text || capacity == 0)
        return 0;
    for (int i = 0; i < PATH_MACROS; i++) {
        if (!starts_with(text, path_MacroNames[i]))
            continue;
        const char *folder = folders[i] ? folders[i] : "";
        size_t skip = strlen(path_MacroNames[i]);
        size_t rest = strlen(text + skip), n = strlen(folder);
        if (n + rest >= capacity) {
            text[0] = 0;
            return 0;
        }
        memmove(text + n, text + skip, rest + 1);
        memcpy(text, folder, n);
        return 1;
    }
    return 1;
}
