/* Prefs.cpp -- settings in INI files.
 *
 * A thin layer over the system's profile calls.  Those look for a plain
 * file name in the Windows folder, so every function makes the name a full
 * path first, in the current folder of the moment.  Strings are read with
 * PREFS_MISSING as the default, which tells a missing key from an empty
 * value; structures travel as one hex text (Strings.cpp).
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Prefs.cpp");

/* What a value is read into, and a structure's text written from. */
enum { PREFS_VALUE = 1024 };

static_assert(8 * (PREFS_STRUCT_MAX / 4) + 1 <= PREFS_VALUE,
              "the largest structure's text fits a value's buffer");

/* path (MAX_PATH characters) becomes the full path of file; FALSE for a
 * null file or section, and for a path that does not fit, which the
 * system would leave unfinished in the buffer. */
static BOOL prefs_Path(const char *file, const char *section, char *path)
{
    if (!file || !section)
        return FALSE;
    DWORD n = GetFullPathNameA(file, MAX_PATH, path, NULL);
    return n > 0 && n < MAX_PATH;
}

static BOOL prefs_KeyPath(const char *file, const char *section,
                          const char *key, char *path)
{
    return key && prefs_Path(file, section, path);
}

/* The value into buffer (size >= 1), FALSE and an empty buffer when the
 * sentinel came back.  A buffer shorter than the sentinel could not tell
 * it from a value cut to fit ("def" of "default" or of "defer"), so such
 * a buffer is read through one with room for the sentinel and one
 * character more. */
static BOOL prefs_Read(const char *path, const char *section,
                       const char *key, char *buffer, int size)
{
    char probe[sizeof PREFS_MISSING + 1];
    BOOL small = size < (int)sizeof probe;
    char *to = small ? probe : buffer;
    GetPrivateProfileStringA(section, key, PREFS_MISSING, to,
                             small ? sizeof probe : (DWORD)size, path);
    if (strcmp(to, PREFS_MISSING) == 0) {
        buffer[0] = 0;
        return FALSE;
    }
    if (small)
        lstrcpynA(buffer, probe, size);
    return TRUE;
}

BOOL KKAPI prefs_GetString(const char *file, const char *section,
                           const char *key, char *buffer, int size)
{
    char path[MAX_PATH];
    if (!buffer || size < 1)
        return FALSE;
    if (!prefs_KeyPath(file, section, key, path)) {
        buffer[0] = 0;
        return FALSE;
    }
    return prefs_Read(path, section, key, buffer, size);
}

void KKAPI prefs_SetString(const char *file, const char *section,
                           const char *key, const char *value)
{
    char path[MAX_PATH];
    if (prefs_KeyPath(file, section, key, path))
        WritePrivateProfileStringA(section, key, value, path);
}

/* The null arguments give 0; a path that does not fit is a missing file. */
int KKAPI prefs_GetInt(const char *file, const char *section,
                       const char *key, int def)
{
    char path[MAX_PATH];
    if (!file || !section || !key)
        return 0;
    if (!prefs_Path(file, section, path))
        return def;
    return (int)GetPrivateProfileIntA(section, key, def, path);
}

static void prefs_WriteInt(const char *path, const char *section,
                           const char *key, int32_t value)
{
    char text[12];
    wsprintfA(text, "%d", (int)value);
    WritePrivateProfileStringA(section, key, text, path);
}

void KKAPI prefs_SetInt(const char *file, const char *section,
                        const char *key, int32_t value)
{
    char path[MAX_PATH];
    if (prefs_KeyPath(file, section, key, path))
        prefs_WriteInt(path, section, key, value);
}

void KKAPI prefs_DelKey(const char *file, const char *section,
                        const char *key)
{
    prefs_SetString(file, section, key, NULL);
}

static void prefs_ReadInt(const char *path, const char *section,
                          const char *key, int32_t *value)
{
    *value = (int32_t)GetPrivateProfileIntA(section, key, *value, path);
}

static void prefs_WriteIntAt(const char *path, const char *section,
                             const char *key, int32_t *value)
{
    prefs_WriteInt(path, section, key, *value);
}

/* step on every row of the list that has an integer, in list order. */
static void prefs_EachInt(const char *file, const char *section,
                          const PrefsInt *list,
                          void (*step)(const char *path, const char *section,
                                       const char *key, int32_t *value))
{
    char path[MAX_PATH];
    if (!list || !prefs_Path(file, section, path))
        return;
    for (; list->key; list++)
        if (list->value)
            step(path, section, list->key, list->value);
}

void KKAPI prefs_GetInts(const char *file, const char *section,
                         const PrefsInt *list)
{
    prefs_EachInt(file, section, list, prefs_ReadInt);
}

void KKAPI prefs_SetInts(const char *file, const char *section,
                         const PrefsInt *list)
{
    prefs_EachInt(file, section, list, prefs_WriteIntAt);
}

/* Sizes a value's buffer holds the text of; others are refused whole
 * rather than stored or read in part. */
static BOOL prefs_StructFits(const void *data, int size)
{
    return data && size >= 0 && size <= PREFS_STRUCT_MAX;
}

void KKAPI prefs_SetStruct(const char *file, const char *section,
                           const char *key, const void *data, int size)
{
    char path[MAX_PATH], text[PREFS_VALUE];
    if (!prefs_StructFits(data, size) ||
        !prefs_KeyPath(file, section, key, path))
        return;
    s_Struct2String(data, size, text);
    WritePrivateProfileStringA(section, key, text, path);
}

BOOL KKAPI prefs_GetStruct(const char *file, const char *section,
                           const char *key, void *data, int size)
{
    char path[MAX_PATH], text[PREFS_VALUE];
    if (!prefs_StructFits(data, size) ||
        !prefs_KeyPath(file, section, key, path) ||
        !prefs_Read(path, section, key, text, sizeof text))
        return FALSE;
    return s_String2Struct(text, data, size);
}
