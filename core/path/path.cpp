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
        const char *folder = folders[i];
        size_t skip = strlen(path_MacroNames[i]);
        size_t rest = strlen(text + skip), n = folder ? strlen(folder) : 0;
        if (!folder || n + rest >= capacity) {
            text[0] = 0;
            return 0;
        }
        memmove(text + n, text + skip, rest + 1);
        memcpy(text, folder, n);
        return 1;
    }
    return 1;
}

/* ---- paths and keys that may be acted on ---------------------------- */

static int upper(int c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

/* The part [p, end) equals word, letter case ignored. */
static int part_Is(const char *p, const char *end, const char *word)
{
    for (; p < end && *word; p++, word++)
        if (upper((unsigned char)*p) != *word)
            return 0;
    return p == end && !*word;
}

/* Windows drops trailing dots and blanks of a part, and everything from
 * the first dot on when it looks for a device. */
static int part_IsDevice(const char *p, const char *end)
{
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL",
                                          "CONIN$", "CONOUT$", "CLOCK$"};
    const char *stem = p;
    while (stem < end && *stem != '.')
        stem++;
    while (stem > p && stem[-1] == ' ')
        stem--;
    for (const char *d : devices)
        if (part_Is(p, stem, d))
            return 1;
    return stem - p == 4 && (part_Is(p, p + 3, "COM") ||
                             part_Is(p, p + 3, "LPT")) &&
           p[3] >= '1' && p[3] <= '9';
}

/* Characters no name on Windows may hold, below 32 aside. */
static int is_reserved(unsigned char c)
{
    return c < 32 || strchr("<>\"|?*:", c) != NULL;
}

static int part_IsDots(const char *p, const char *end)
{
    if (p == end)
        return 0;                 /* "C:\a\\b": Windows folds the pair */
    for (; p < end; p++)
        if (*p != '.' && *p != ' ')
            return 0;
    return 1;
}

int path_Check(const char *path)
{
    if (!path || upper((unsigned char)path[0]) < 'A' ||
        upper((unsigned char)path[0]) > 'Z' || path[1] != ':' ||
        (path[2] != '\\' && path[2] != '/'))
        return PATH_ENOTABSOLUTE;
    const char *p = path + 3;
    for (const char *q = p;; q++) {
        unsigned char c = (unsigned char)*q;
        if (c && c != '\\' && c != '/') {
            if (is_reserved(c))
                return PATH_ECHAR;
            continue;
        }
        if (part_IsDots(p, q))
            return PATH_EDOTS;
        if (part_IsDevice(p, q))
            return PATH_EDEVICE;
        if (!c)
            return PATH_OK;
        p = q + 1;
    }
}

int path_CheckName(const char *name, size_t *at)
{
    if (!name)
        return PATH_ECHAR;
    size_t n = strlen(name);
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)name[i];
        if (is_reserved(c) || c == '\\' || c == '/') {
            if (at)
                *at = i;
            return PATH_ECHAR;
        }
    }
    if (part_IsDots(name, name + n))
        return PATH_EDOTS;
    if (part_IsDevice(name, name + n))
        return PATH_EDEVICE;
    if (n && (name[n - 1] == '.' || name[n - 1] == ' '))
        return PATH_ETRAIL;
    return PATH_OK;
}

const char *path_CheckText(int result)
{
    switch (result) {
    case PATH_OK:
        return "";
    case PATH_ENOTABSOLUTE:
        return "is not a full path on a drive (X:\\...)";
    case PATH_EDOTS:
        return "has a \".\" or \"..\" part";
    case PATH_EDEVICE:
        return "names a device (CON, NUL, COM1, ...)";
    case PATH_ETRAIL:
        return "ends in a dot or a blank";
    default:
        return "has a control character or one of < > \" | ? * :";
    }
}

int path_SettingsKey(const char *key)
{
    static const char *const windows_own[] = {"CLASSES", "MICROSOFT",
                                              "POLICIES", "WOW6432NODE"};
    if (!key)
        return 0;
    int parts = 0;
    const char *p = key;
    for (const char *q = key;; q++) {
        unsigned char c = (unsigned char)*q;
        if (c && c != '\\') {
            if (c < 32)
                return 0;
            continue;
        }
        if (q == p)
            return 0;             /* an empty part: "\\a", "a\\\\b", "a\\" */
        if (parts == 0 && !part_Is(p, q, "SOFTWARE"))
            return 0;
        if (parts == 1)
            for (const char *w : windows_own)
                if (part_Is(p, q, w))
                    return 0;
        parts++;
        if (!c)
            return parts >= 3;
        p = q + 1;
    }
}
