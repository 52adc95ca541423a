/* shared.cpp -- shared-file counts and driver removal. */
#include "shared.h"
#include "ident.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Log/shared.cpp");

int shared_OwnerKey(const char *company, const char *product, char *key)
{
    const char *owner = company && *company ? company : product;
    if (!owner || !*owner || strlen(owner) > SHARED_KEY_MAX - 32)
        return 0;
    strcpy(key, "Software\\");
    strcat(key, owner);
    return 1;
}

/* "Software\<Company or Product>\Shared Files"; 0 with neither name. */
static int shared_key(const char *company, const char *product, char *key)
{
    if (!shared_OwnerKey(company, product, key))
        return 0;
    strcat(key, "\\Shared Files");
    return 1;
}

#define SYSTEM_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"

/* Counting down only opens the key: making it (and the company's key
 * above it) for a name that was never counted would leave keys behind. */
static HKEY open_key(const char *key, int create)
{
    HKEY h;
    REGSAM access = KEY_SET_VALUE | KEY_QUERY_VALUE;
    if ((create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, access,
                                  NULL, &h, NULL)
                : RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, access, &h)) !=
        ERROR_SUCCESS)
        return NULL;
    return h;
}

static HKEY open_counts(const char *company, const char *product, int create)
{
    char key[SHARED_KEY_MAX];
    return shared_key(company, product, key) ? open_key(key, create) : NULL;
}

/* 1 and the count when the value reads as a REG_DWORD. */
static int read_count(HKEY h, const char *name, DWORD *count)
{
    DWORD type, size = sizeof *count;
    return RegQueryValueExA(h, name, NULL, &type, (BYTE *)count, &size) ==
               ERROR_SUCCESS && type == REG_DWORD && size == sizeof *count;
}

static void add_ref(HKEY h, const char *name)
{
    if (!h)
        return;
    DWORD n;
    if (!read_count(h, name, &n))
        n = 0;
    n++;
    RegSetValueExA(h, name, 0, REG_DWORD, (const BYTE *)&n, sizeof n);
    RegCloseKey(h);
}

static unsigned count_of(HKEY h, const char *name)
{
    DWORD n;
    if (!h)
        return 0;
    if (!read_count(h, name, &n))
        n = 0;
    RegCloseKey(h);
    return n;
}

/* -1 not counted, 0 still counted, 1 the count has just reached 0 (the
 * value went).  The key is closed. */
static int release(HKEY h, const char *name)
{
    DWORD n;
    int result = -1;
    if (!h)
        return -1;
    if (read_count(h, name, &n)) {
        n = n ? n - 1 : 0;
        result = n == 0;
        if (result)
            RegDeleteValueA(h, name);
        else
            RegSetValueExA(h, name, 0, REG_DWORD, (const BYTE *)&n, sizeof n);
    }
    RegCloseKey(h);
    return result;
}

void shared_AddRef(const char *company, const char *product, const char *name)
{
    add_ref(open_counts(company, product, 1), name);
}

unsigned shared_Count(const char *company, const char *product,
                      const char *name)
{
    return count_of(open_counts(company, product, 0), name);
}

/* The company's key goes with its last count. */
static int release_company(const char *company, const char *product,
                           const char *name)
{
    HKEY h = open_counts(company, product, 0);
    if (!h)
        return -1;
    DWORD values = 1;
    int result = release(h, name);
    h = open_counts(company, product, 0);
    if (h) {
        RegQueryInfoKeyA(h, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL,
                         NULL, NULL, NULL);
        RegCloseKey(h);
    }
    char key[SHARED_KEY_MAX];
    if (values == 0 && shared_key(company, product, key))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return result;
}

int shared_Release(const char *company, const char *product, const char *name)
{
    return release_company(company, product, name) == 1;
}

void shared_SystemAddRef(const char *path)
{
    add_ref(open_key(SYSTEM_KEY, 1), path);
}

unsigned shared_SystemCount(const char *path)
{
    return count_of(open_key(SYSTEM_KEY, 0), path);
}

int shared_SystemRelease(const char *path)
{
    return release(open_key(SYSTEM_KEY, 0), path);
}

void shared_AddFile(const char *company, const char *product,
                    const char *name, const char *path)
{
    shared_AddRef(company, product, name);
    shared_SystemAddRef(path);
}

/* The system count is only taken down for a product that counted the file
 * itself: a count another installer keeps for a file this product never
 * counted is not this product's to release. */
int shared_ReleaseFile(const char *company, const char *product,
                       const char *name, const char *path)
{
    int mine = release_company(company, product, name);
    if (mine < 0)
        return 0;
    int system = shared_SystemRelease(path);
    return mine == 1 && system != 0;
}

void shared_DeleteNtService(const char *service)
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return;
    SC_HANDLE s = OpenServiceA(scm, service, SERVICE_ALL_ACCESS);
    if (s) {
        DeleteService(s);
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
}

void shared_DeleteServiceKeys(const char *service)
{
    static const char *const tails[] = {"\\Enum", "\\Security", ""};
    char key[SHARED_KEY_MAX];
    if (strlen(service) >= SHARED_KEY_MAX - 64)
        return;
    for (const char *tail : tails) {
        strcpy(key, "System\\CurrentControlSet\\Services\\");
        strcat(key, service);
        strcat(key, tail);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    }
}

int shared_RemoveDriver(const char *company, const char *product,
                        const char *file, const char *service, int isNT)
{
    if (!shared_ReleaseFile(company, product, service, file))
        return 0;             /* another product still uses the driver */
    if (isNT)
        shared_DeleteNtService(service);
    shared_DeleteServiceKeys(service);
    Sleep(500);
    DeleteFileA(file);
    return 1;
}
