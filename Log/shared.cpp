/* shared.cpp -- shared-file counts and driver removal. */
#include "shared.h"
#include "ident.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Log/shared.cpp");

#define SHARED_KEY_MAX 600

/* "Software\<Company or Product>\Shared Files"; 0 with neither name. */
static int shared_key(const char *company, const char *product, char *key)
{
    const char *owner = company && *company ? company : product;
    if (!owner || !*owner || strlen(owner) > SHARED_KEY_MAX - 32)
        return 0;
    strcpy(key, "Software\\");
    strcat(key, owner);
    strcat(key, "\\Shared Files");
    return 1;
}

/* Counting down only opens the key: making it (and the company's key
 * above it) for a name that was never counted would leave keys behind. */
static HKEY open_counts(const char *company, const char *product, int create)
{
    char key[SHARED_KEY_MAX];
    HKEY h;
    REGSAM access = KEY_SET_VALUE | KEY_QUERY_VALUE;
    if (!shared_key(company, product, key) ||
        (create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, access,
                                  NULL, &h, NULL)
                : RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, access, &h)) !=
            ERROR_SUCCESS)
        return NULL;
    return h;
}

/* 1 and the count when the value reads as a REG_DWORD. */
static int read_count(HKEY h, const char *name, DWORD *count)
{
    DWORD type, size = sizeof *count;
    return RegQueryValueExA(h, name, NULL, &type, (BYTE *)count, &size) ==
               ERROR_SUCCESS && type == REG_DWORD && size == sizeof *count;
}

void shared_AddRef(const char *company, const char *product, const char *name)
{
    HKEY h = open_counts(company, product, 1);
    if (!h)
        return;
    DWORD n;
    if (!read_count(h, name, &n))
        n = 0;
    n++;
    RegSetValueExA(h, name, 0, REG_DWORD, (const BYTE *)&n, sizeof n);
    RegCloseKey(h);
}

unsigned shared_Count(const char *company, const char *product,
                      const char *name)
{
    HKEY h = open_counts(company, product, 0);
    if (!h)
        return 0;
    DWORD n;
    if (!read_count(h, name, &n))
        n = 0;
    RegCloseKey(h);
    return n;
}

int shared_Release(const char *company, const char *product, const char *name)
{
    HKEY h = open_counts(company, product, 0);
    if (!h)
        return 0;
    DWORD n;
    int released = 0;
    if (read_count(h, name, &n)) {
        n = n ? n - 1 : 0;
        if (n == 0) {
            RegDeleteValueA(h, name);
            released = 1;
        } else
            RegSetValueExA(h, name, 0, REG_DWORD, (const BYTE *)&n, sizeof n);
    }
    DWORD values = 1;
    RegQueryInfoKeyA(h, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL,
                     NULL, NULL, NULL);
    RegCloseKey(h);
    char key[SHARED_KEY_MAX];
    if (values == 0 && shared_key(company, product, key))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return released;
}

int shared_RemoveDriver(const char *company, const char *product,
                        const char *file, const char *service, int isNT)
{
    if (!shared_Release(company, product, service))
        return 0;             /* another product still uses the driver */
    if (isNT) {
        SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        if (scm) {
            SC_HANDLE s = OpenServiceA(scm, service, SERVICE_ALL_ACCESS);
            if (s) {
                DeleteService(s);
                CloseServiceHandle(s);
            }
            CloseServiceHandle(scm);
        }
    }
    static const char *const tails[] = {"\\Enum", "\\Security", ""};
    char key[SHARED_KEY_MAX];
    if (strlen(service) < SHARED_KEY_MAX - 64)
        for (const char *tail : tails) {
            strcpy(key, "System\\CurrentControlSet\\Services\\");
            strcat(key, service);
            strcat(key, tail);
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
        }
    Sleep(500);
    DeleteFileA(file);
    return 1;
}
