/* safe_win_test.cpp -- the folders removal never takes and the paths it
 * acts on, against Wine's real folders and Shell Folders keys. */
#include "safe.h"
#include "pkgfix_gtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

static std::string shell_folder(HKEY root, const char *name)
{
    char v[MAX_PATH] = "";
    DWORD type, size = sizeof v;
    HKEY h;
    if (RegOpenKeyExA(root,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                      "Shell Folders",
                      0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return "";
    if (RegQueryValueExA(h, name, NULL, &type, (BYTE *)v, &size) !=
        ERROR_SUCCESS)
        v[0] = 0;
    RegCloseKey(h);
    return v;
}

static std::string env(const char *name)
{
    char v[MAX_PATH] = "";
    GetEnvironmentVariableA(name, v, sizeof v);
    return v;
}

class SafeWin : public ScratchTest {};

TEST_F(SafeWin, WindowsOwnFolders)
{
    char w[MAX_PATH], s[MAX_PATH], t[MAX_PATH];
    GetWindowsDirectoryA(w, sizeof w);
    GetSystemDirectoryA(s, sizeof s);
    GetTempPathA(sizeof t, t);
    const std::string win = w, sys = s, user = env("USERPROFILE");
    std::string lower = win;
    for (char &c : lower)
        c = (char)tolower((unsigned char)c);
    const struct {
        std::string folder;
        bool        kept;
    } rows[] = {
        {"C:\\", true},
        {"C:", true},
        {win, true},
        {lower + "\\", true},
        {win + "\\Fonts", true},
        {win + "\\temp", true},
        {win + "\\Acme", true},                 /* directly in Windows */
        {sys, true},
        {sys + "\\Tasks", true},
        {sys + "\\drivers", true},
        {t, true},
        {user, true},
        {"C:\\users", true},                    /* holds the profiles */
        {env("ProgramFiles"), true},
        {env("CommonProgramFiles"), true},
        {env("ALLUSERSPROFILE"), true},
        {shell_folder(HKEY_CURRENT_USER, "Startup"), true},
        {shell_folder(HKEY_CURRENT_USER, "Desktop"), true},
        {shell_folder(HKEY_CURRENT_USER, "Programs"), true},
        {shell_folder(HKEY_LOCAL_MACHINE, "Common Desktop"), true},
        {shell_folder(HKEY_LOCAL_MACHINE, "Common Programs"), true},
        {shell_folder(HKEY_LOCAL_MACHINE, "Common Startup"), true},
        {win + "\\Acme\\Sub", false},           /* two levels down */
        {sys + "\\Acme\\Sub", false},
        {env("ProgramFiles") + "\\Acme", false},
        {env("ProgramFiles") + "\\Acme\\Notes", false},
        {shell_folder(HKEY_LOCAL_MACHINE, "Common Programs") + "\\Acme", false},
        {dir, false},
    };
    for (const auto &r : rows) {
        if (r.folder.empty())
            continue;                           /* not set in this prefix */
        EXPECT_EQ(r.kept, safe_Protected(r.folder.c_str()) != 0)
            << "row " << r.folder;
    }
    std::string slashes = win + "/Fonts";
    EXPECT_TRUE(safe_Protected(slashes.c_str())) << "row " << slashes;
}

TEST_F(SafeWin, Paths)
{
    /* A letter with no drive behind it. */
    char none[] = "?:\\x";
    for (char c = 'Q'; c > 'D'; c--) {
        char root[] = {c, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) {
            none[0] = c;
            break;
        }
    }
    ASSERT_NE('?', none[0]);
    const struct {
        std::string path;
        bool        ok;
    } rows[] = {
        {dir + "\\a.txt", true},
        {"C:\\Program Files\\Acme\\a.txt", true},
        {none, false},
        {"a.txt", false},
        {dir + "\\..\\a.txt", false},
        {"\\\\server\\share\\a.txt", false},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.ok, safe_Path(r.path.c_str()) != 0) << "row " << r.path;
}

TEST_F(SafeWin, RemoveFolder)
{
    char s[MAX_PATH];
    GetSystemDirectoryA(s, sizeof s);
    const std::string mine = dir + "\\empty", tasks = std::string(s) + "\\Tasks";
    ASSERT_TRUE(CreateDirectoryA(mine.c_str(), NULL));
    bool made = CreateDirectoryA(tasks.c_str(), NULL) != 0;
    EXPECT_TRUE(safe_RemoveFolder(mine.c_str()));
    EXPECT_FALSE(fix_Exists(mine));
    EXPECT_FALSE(safe_RemoveFolder(tasks.c_str())) << "an empty system folder";
    EXPECT_TRUE(fix_Exists(tasks));
    EXPECT_FALSE(safe_RemoveFolder((dir + "\\.").c_str()));
    EXPECT_TRUE(fix_Exists(dir));
    if (made)
        RemoveDirectoryA(tasks.c_str());
}
