/* reg.cpp -- registry removal. */
#include "reg.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("Log/reg.cpp");

int reg_DeleteTree(HKEY root, char *path, size_t length, size_t capacity)
{
    HKEY h;
    if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS, &h) !=
        ERROR_SUCCESS)
        return 0;
    char name[257];
    while (RegEnumKeyA(h, 0, name, sizeof name) == ERROR_SUCCESS) {
        size_t n = strlen(name);
        if (length + 1 + n >= capacity)
            break;
        path[length] = '\\';
        memcpy(path + length + 1, name, n + 1);
        int gone = reg_DeleteTree(root, path, length + 1 + n, capacity);
        path[length] = 0;
        if (!gone)
            break;
    }
    RegCloseKey(h);
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

int reg_ProgramsFolder(int isNT, char *out, size_t capacity)
{
    HKEY key;
    DWORD type, size = (DWORD)capacity - 1;
    if (capacity < 2 ||
        RegOpenKeyExA(isNT ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                      "Shell Folders", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    LONG rc = RegQueryValueExA(key, isNT ? "Common Programs" : "Programs",
                               NULL, &type, (BYTE *)out, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return 0;
    out[size] = 0;
    return 1;
}

void reg_ClearKey(const char *path, const char *const *values, int n)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return;
    while (n-- > 0)
        RegDeleteValueA(h, *values++);
    DWORD subkeys = 1;
    RegQueryInfoKeyA(h, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL,
                     NULL, NULL, NULL);
    RegCloseKey(h);
    if (!subkeys)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}
