/* install.cpp -- the init phase, the install run and what follows it:
 * registration of the uninstaller and the product, or the rollback.
 * Also the path macros over the install state and the names derived from
 * the script's Company and Product settings. */
#include "setup.h"
#include "admin.h"
#include "state.h"
#include "shared.h"
#include "reg.h"
#include "journal.h"
#include "functions.h"
#include "ident.h"
#include "path/path.h"
#include "script/script.h"

#include <string.h>

MODULE_IDENT("Install/install.cpp");

#define NAME_MAX_TEXT 256        /* Company, Product: up to 255 characters */
#define EXPAND_MAX    1024

/* Windows' own key; the keys below it are made from it at run time, since
 * the linker would store each spelled-out path in full. */
const char setup_WindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
#define UNINSTALL_TAIL "\\Uninstall\\"
#define UNINSTALL_KEY_MAX (sizeof setup_WindowsKey + sizeof UNINSTALL_TAIL)

/* setup_WindowsKey + tail into out. */
static char *windows_key(char *out, const char *tail)
{
    strcpy(out, setup_WindowsKey);
    return strcat(out, tail);
}

/* ---- settings and derived names ---- */

/* A text setting; an absent one reads as empty text (0). */
int setup_Setting(const char *name, char *out, size_t capacity)
{
    out[0] = 0;
    return script_GetString(name, out, capacity);
}

/* Appends "\" + text, cut at the buffer's end. */
static void append_part(char *out, size_t capacity, const char *text)
{
    size_t n = strlen(out);
    if (n + 1 < capacity) {
        out[n++] = '\\';
        out[n] = 0;
    }
    strncat(out, text, capacity - n - 1);
}

/* base + "\" Company + "\" Product; with always, the backslashes go in even
 * when a setting is absent (the path macros), else only with the setting. */
void setup_Compose(char *out, size_t capacity, const char *base,
                   int company, int product, int always)
{
    char value[NAME_MAX_TEXT];
    out[0] = 0;
    strncat(out, base, capacity - 1);
    if (company && (setup_Setting("Company", value, sizeof value) || always))
        append_part(out, capacity, value);
    if (product && (setup_Setting("Product", value, sizeof value) || always))
        append_part(out, capacity, value);
}

/* The Start menu's programs folder (all users on NT) + Company, + Product
 * when product is set; 0 when it cannot be read, and then nothing is made
 * or removed there. */
int setup_ProgramsFolder(char *out, size_t capacity, int product)
{
    char folder[STATE_PATH];
    if (!reg_ProgramsFolder(InstallState.IsNT, folder, sizeof folder))
        return 0;
    setup_Compose(out, capacity, folder, 1, product, 0);
    return 1;
}

/* AppDir and ProgFilesDir are empty until the destination page is made,
 * when the wizard starts (after init, before install, whether or not the
 * page is shown): until then the macros built on them fail, as one that
 * does not fit, instead of naming a folder at the root of the current
 * drive.  The Windows folders are always known. */
int path_Expand(char *text, size_t capacity)
{
    static char folders[PATH_MACROS][EXPAND_MAX] VELLUM_BSS;
    const char *f[PATH_MACROS];
    GetWindowsDirectoryA(folders[PATH_WINDIR], EXPAND_MAX);
    GetSystemDirectoryA(folders[PATH_WINSYSDIR], EXPAND_MAX);
    strcpy(folders[PATH_DRIVERDIR], folders[PATH_WINDIR]);
    strncat(folders[PATH_DRIVERDIR], "\\System32\\Drivers",
            EXPAND_MAX - strlen(folders[PATH_DRIVERDIR]) - 1);
    strcpy(folders[PATH_APPDIR], InstallState.AppDir);
    strcpy(folders[PATH_PROGFILESDIR], InstallState.ProgFilesDir);
    setup_Compose(folders[PATH_PRODUCTDIR], EXPAND_MAX,
                  InstallState.ProgFilesDir, 1, 1, 1);
    setup_Compose(folders[PATH_COMPANYDIR], EXPAND_MAX,
                  InstallState.ProgFilesDir, 1, 0, 1);
    for (int i = 0; i < PATH_MACROS; i++)
        f[i] = folders[i];
    if (!InstallState.AppDir[0])
        f[PATH_APPDIR] = NULL;
    if (!InstallState.ProgFilesDir[0])
        f[PATH_PROGFILESDIR] = f[PATH_PRODUCTDIR] = f[PATH_COMPANYDIR] = NULL;
    return path_ExpandWith(text, capacity, f);
}

/* Every folder of the path, outermost first; failures (the drive, folders
 * that exist) are ignored.  The result is that of the last creation. */
int dir_CreatePath(const char *path)
{
    char part[EXPAND_MAX];
    size_t n = strlen(path);
    if (n >= sizeof part)
        return 0;
    memcpy(part, path, n + 1);
    for (size_t i = 0; i < n; i++)
        if (part[i] == '\\') {
            part[i] = 0;
            CreateDirectoryA(part, NULL);
            part[i] = '\\';
        }
    return CreateDirectoryA(part, NULL) != 0;
}

/* ---- versions ---- */

uint64_t setup_ParseVersion(const char *text)
{
    uint32_t field[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && *text; i++) {
        while (*text && *text != '.')      /* digits are not checked */
            field[i] = field[i] * 10 + (uint32_t)(*text++ - '0');
        if (*text == '.')
            text++;
    }
    uint32_t high = field[0] << 16 | (field[1] & 0xFFFF);
    uint32_t low = field[2] << 16 | (field[3] & 0xFFFF);
    return (uint64_t)high << 32 | low;
}

/* A product registered with a "Version" while the script has none: the
 * versions cannot be compared, so the script's init decides (or setup goes
 * on), as for a product not installed. */
int setup_CheckVersion(void)
{
    char key[EXPAND_MAX], installed[NAME_MAX_TEXT], wanted[NAME_MAX_TEXT];
    setup_Compose(key, sizeof key, "Software", 1, 1, 0);
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return 1;
    DWORD type, size = sizeof installed - 1;
    LONG rc = RegQueryValueExA(h, "Version", NULL, &type, (BYTE *)installed,
                               &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || !setup_Setting("Version", wanted, sizeof wanted))
        return 1;
    installed[size] = 0;
    uint64_t a = setup_ParseVersion(installed), b = setup_ParseVersion(wanted);
    int32_t ah = (int32_t)(a >> 32), bh = (int32_t)(b >> 32);
    uint32_t al = (uint32_t)a, bl = (uint32_t)b;
    if (ah != bh)
        return ah > bh ? -1 : 1;
    if (al != bl)
        return al > bl ? -1 : 1;
    return 0;
}

/* ---- init phase ---- */

static int is_windows95(void)
{
    OSVERSIONINFOA v;
    setup_WindowsVersion(&v);
    return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
           v.dwMajorVersion == 4 && v.dwMinorVersion == 0;
}

int setup_Init(void)
{
    int noWin95 = 0;
    char value[NAME_MAX_TEXT];
    script_GetInt("Update", &InstallState.Update);
    script_GetInt("NoLicense", &InstallState.NoLicense);
    script_GetInt("NoUninstall", &InstallState.NoUninstall);
    script_GetInt("NoWin95", &noWin95);
    if (noWin95 && is_windows95())
        return setup_Error(SETUP_MSG_NO_WIN95);
    int result = setup_CheckVersion();
    if (admin_RegistryRefused())
        return 0;
    if (script_GetString("InstallDriver", value, sizeof value) &&
        InstallState.IsNT && admin_DriversRefused())
        return 0;
    if (script_IsFunction("init"))
        result = (int)script_Call("init");
    return result;
}

/* ---- registration ---- */

static void set_text(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text,
                   (DWORD)strlen(text) + 1);
}

/* A value from the setting of that name, when the script has it. */
static void set_setting(HKEY key, const char *name, const char *setting)
{
    char value[EXPAND_MAX];
    if (setup_Setting(setting, value, sizeof value))
        set_text(key, name, value);
}

static HKEY create_key(const char *path)
{
    HKEY h;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, NULL, &h,
                        NULL) != ERROR_SUCCESS)
        return NULL;
    return h;
}

/* The uninstall entry's name: the product, else the company. */
static void entry_name(char *name, size_t capacity)
{
    if (!setup_Setting("Product", name, capacity))
        setup_Setting("Company", name, capacity);
}

void setup_RegisterUninstall(void)
{
    if (InstallState.NoUninstall ||
        pkg_GetSize(InstallState.Package, SETUP_UNINSTALL_MEMBER) ==
            PKG_NO_SIZE)
        return;
    char path[STATE_PATH + 16], name[NAME_MAX_TEXT];
    char key[UNINSTALL_KEY_MAX + NAME_MAX_TEXT];
    if (!GetWindowsDirectoryA(path, STATE_PATH))
        return;
    strcat(path, "\\vuninst.exe");
    if (!pkg_InstallFile(SETUP_UNINSTALL_MEMBER, path))
        return;
    entry_name(name, sizeof name);
    strcat(windows_key(key, UNINSTALL_TAIL), name);
    HKEY h = create_key(key);
    if (!h)
        return;
    char command[STATE_PATH * 2 + 8];
    char display[EXPAND_MAX];
    if (!setup_Setting("Name", display, sizeof display))
        strcpy(display, name);
    set_text(h, "DisplayName", display);
    /* The uninstaller's path quoted, one blank, the log's path as it is. */
    strcpy(command, "\"");
    strcat(command, path);
    strcat(command, "\" ");
    strcat(command, InstallState.LogPath);
    set_text(h, "UninstallString", command);
    RegCloseKey(h);
}

void setup_RegisterProduct(void)
{
    char key[EXPAND_MAX];
    setup_Compose(key, sizeof key, "Software", 1, 1, 0);
    HKEY h = create_key(key);
    if (h) {
        set_setting(h, "Version", "Version");
        set_setting(h, "URL", "ProductURL");
        set_setting(h, "Email", "ProductEmail");
        set_text(h, "Path", InstallState.AppDir);
        RegCloseKey(h);
    }
    setup_Compose(key, sizeof key, "Software", 1, 0, 0);
    h = create_key(key);
    if (!h)
        return;
    set_setting(h, "URL", "CompanyURL");
    set_setting(h, "Email", "CompanyEmail");
    RegCloseKey(h);
}

/* ---- rollback ---- */

/* Only what this run did is taken back, from its journal: files it made
 * or replaced, folders it made, counts it raised, services it registered.
 * The log file and the registration of an earlier installation of the
 * product were not touched by a failed run, and stay as they were, so an
 * update that fails leaves the earlier version installed. */
void setup_Rollback(void)
{
    log_Save(&InstallState.UndoList, NULL);
    journal_Rollback();
}

/* ---- the install run ---- */

/* The log's path: the LogPath setting (a path macro expanded) or AppDir,
 * + "\" Product + ".log"; a LogPath that is no full path setup writes
 * (relative, too long) falls back to AppDir. */
static void log_path(char *log, const char *product)
{
    if (!setup_Setting("LogPath", log, STATE_PATH) ||
        !path_Expand(log, STATE_PATH) || path_Check(log) != PATH_OK)
        strcpy(log, InstallState.AppDir);
    append_part(log, STATE_PATH, product);
    strncat(log, ".log", STATE_PATH - strlen(log) - 1);
}

int setup_Install(void)
{
    char company[NAME_MAX_TEXT], product[NAME_MAX_TEXT];
    setup_Setting("Company", company, sizeof company);
    setup_Setting("Product", product, sizeof product);
    char *log = InstallState.LogPath;
    log_path(log, product);
    LogList *list = &InstallState.UndoList;
    log_Load(list, log);
    log_AddProduct(list, company, product, InstallState.AppDir);
    /* The folder page has made AppDir; what it made is the product's. */
    int result = fn_MakeFolder(InstallState.AppDir) &&
                 path_Check(log) == PATH_OK;
    if (InstallState.LogChanges)
        journal_LogDirs(list, NULL);
    if (result && script_IsFunction("install"))
        result = (int)script_Call("install");
    if (!result) {
        setup_Rollback();
        return 0;
    }
    log_Save(list, log);
    setup_RegisterUninstall();
    setup_RegisterProduct();
    journal_Commit();
    return result;
}
