/* safe.cpp -- the paths and folders that removal may touch. */
#include "safe.h"
#include "ident.h"
#include "path/path.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Log/safe.cpp");

#define SAFE_FOLDERS 192
#define SAFE_PATH    MAX_PATH

/* The protected folders, each in the form of safe_Normal; the Windows and
 * system folders are also protected one level down.  Read at the first
 * call; one thread. */
static struct {
    int      Ready;
    int      Count;
    int      Parents;                 /* the first Parents also by children */
    char     Folder[SAFE_FOLDERS][SAFE_PATH];
    unsigned char Drive[26];          /* 0 unknown, 1 local, 2 not */
} SAFE VELLUM_BSS;

/* The full, long, upper-case form without a trailing '\' (a root keeps
 * it); 0 when the system cannot make one. */
static int safe_Normal(const char *in, char *out)
{
    char full[SAFE_PATH];
    DWORD n = GetFullPathNameA(in, SAFE_PATH, full, NULL);
    if (n == 0 || n >= SAFE_PATH)
        return 0;
    n = GetLongPathNameA(full, out, SAFE_PATH);
    if (n == 0 || n >= SAFE_PATH)
        strcpy(out, full);            /* not there (yet): as it is */
    n = (DWORD)strlen(out);
    if (n > 3 && (out[n - 1] == '\\' || out[n - 1] == '/'))
        out[--n] = 0;
    for (char *p = out; *p; p++)
        if (*p == '/')
            *p = '\\';
    CharUpperBuffA(out, n);
    return 1;
}

static void safe_Add(const char *folder)
{
    if (folder && *folder && SAFE.Count < SAFE_FOLDERS &&
        safe_Normal(folder, SAFE.Folder[SAFE.Count]))
        SAFE.Count++;
}

static void safe_AddExpanded(const char *text)
{
    char folder[SAFE_PATH];
    DWORD n = ExpandEnvironmentStringsA(text, folder, SAFE_PATH);
    if (n && n <= SAFE_PATH)
        safe_Add(folder);
}

/* Every text value of the key (and the named ones only, when names is
 * given), environment strings expanded. */
static void safe_AddValues(HKEY root, const char *key,
                           const char *const *names)
{
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return;
    char name[256], data[SAFE_PATH];
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof name, size = sizeof data - 1, type;
        if (names) {
            if (!names[i])
                break;
            size = sizeof data - 1;
            if (RegQueryValueExA(h, names[i], NULL, &type, (BYTE *)data,
                                 &size) != ERROR_SUCCESS)
                continue;
        } else {
            LONG rc = RegEnumValueA(h, i, name, &nameSize, NULL, &type,
                                    (BYTE *)data, &size);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc != ERROR_SUCCESS)
                continue;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        data[size] = 0;
        safe_AddExpanded(data);
    }
    RegCloseKey(h);
}

static void safe_AddSystem(void)
{
    typedef UINT(WINAPI * Wow64Fn)(LPSTR, UINT);
    char folder[SAFE_PATH];
    if (GetWindowsDirectoryA(folder, SAFE_PATH))
        safe_Add(folder);
    if (GetSystemDirectoryA(folder, SAFE_PATH)) {
        safe_Add(folder);
        strncat(folder, "\\drivers", SAFE_PATH - strlen(folder) - 1);
        safe_Add(folder);
    }
    /* Not on the 9x family. */
    Wow64Fn wow64 = (Wow64Fn)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA");
    if (wow64 && wow64(folder, SAFE_PATH))
        safe_Add(folder);
    SAFE.Parents = SAFE.Count;
}

static void safe_Load(void)
{
    static const char *const windows_values[] = {
        "ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir",
        "CommonFilesDir", "CommonFilesDir (x86)", "CommonW6432Dir", NULL};
    static const char *const profile_values[] = {
        "ProfilesDirectory", "Public", "Default", "ProgramData",
        "AllUsersProfile", "DefaultUserProfile", NULL};
    static const char *const variables[] = {
        "%USERPROFILE%", "%ALLUSERSPROFILE%", "%PUBLIC%", "%ProgramData%",
        "%APPDATA%", "%LOCALAPPDATA%", "%TEMP%", "%TMP%", "%windir%",
        "%SystemRoot%", "%ProgramFiles%", "%ProgramFiles(x86)%",
        "%CommonProgramFiles%", "%CommonProgramFiles(x86)%"};
    static const char shell[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    char key[sizeof shell + 32], folder[SAFE_PATH];
    SAFE.Ready = 1;
    safe_AddSystem();
    if (GetTempPathA(SAFE_PATH, folder))
        safe_Add(folder);
    for (const char *v : variables)
        if (ExpandEnvironmentStringsA(v, folder, SAFE_PATH) &&
            folder[0] != '%')         /* a variable that is not set */
            safe_Add(folder);
    safe_AddValues(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows\\CurrentVersion",
                   windows_values);
    safe_AddValues(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows NT\\CurrentVersion\\"
                   "ProfileList", profile_values);
    static const char *const shell_keys[] = {"Shell Folders",
                                             "User Shell Folders"};
    for (const char *sub : shell_keys) {
        strcpy(key, shell);
        strcat(key, sub);
        safe_AddValues(HKEY_CURRENT_USER, key, NULL);
        safe_AddValues(HKEY_LOCAL_MACHINE, key, NULL);
    }
}

/* a is b, or b's parent folder (b begins with a and a '\'). */
static int is_at_or_above(const char *a, const char *b)
{
    size_t n = strlen(a);
    return strncmp(a, b, n) == 0 &&
           (b[n] == 0 || b[n] == '\\' || (n && a[n - 1] == '\\'));
}

int safe_Protected(const char *folder)
{
    char f[SAFE_PATH];
    if (!SAFE.Ready)
        safe_Load();
    if (!folder || !safe_Normal(folder, f))
        return 1;                      /* what cannot be named is kept */
    if (strlen(f) <= 3)
        return 1;                      /* a drive root */
    for (int i = 0; i < SAFE.Count; i++) {
        const char *p = SAFE.Folder[i];
        if (is_at_or_above(f, p))
            return 1;
        /* directly in the Windows or a system folder */
        size_t n = strlen(p);
        if (i < SAFE.Parents && strncmp(p, f, n) == 0 && f[n] == '\\' &&
            !strchr(f + n + 1, '\\'))
            return 1;
    }
    return 0;
}

int safe_Path(const char *path)
{
    if (path_Check(path) != PATH_OK)
        return 0;
    int d = (path[0] | 0x20) - 'a';
    if (!SAFE.Drive[d]) {
        char root[4] = {path[0], ':', '\\', 0};
        UINT type = GetDriveTypeA(root);
        SAFE.Drive[d] = type == DRIVE_FIXED || type == DRIVE_REMOVABLE ||
                                type == DRIVE_RAMDISK
                            ? 1 : 2;
    }
    return SAFE.Drive[d] == 1;
}

int safe_RemoveFolder(const char *folder)
{
    return safe_Path(folder) && !safe_Protected(folder) &&
           RemoveDirectoryA(folder);
}
