/* path_test.cpp -- which paths and settings keys setup may write and the
 * uninstaller may act on. */
#include "path/path.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(PathCheck, Paths)
{
    static const struct {
        const char *path;
        int result;
    } rows[] = {
        {"C:\\Program Files\\Acme\\a.txt", PATH_OK},
        {"c:/x/y", PATH_OK},
        {"C:\\", PATH_OK},
        {"D:\\a\\\\b", PATH_OK},                  /* the pair is folded */
        {"C:\\a\\b\\", PATH_OK},
        {"C:\\Acme Inc.\\x", PATH_OK},            /* a dot that ends a name */
        {"C:\\a\\.hidden", PATH_OK},
        {"C:\\a\\...x", PATH_OK},
        {"C:\\CONFIG\\con1.txt", PATH_OK},
        {"C:\\COM10", PATH_OK},
        {"C:\\LPT0", PATH_OK},
        {"C:\\a\\\xC4pfel", PATH_OK},             /* ANSI beyond ASCII */
        {"", PATH_ENOTABSOLUTE},
        {"a.txt", PATH_ENOTABSOLUTE},
        {"..\\..\\windows\\a.dll", PATH_ENOTABSOLUTE},
        {"\\windows\\a.dll", PATH_ENOTABSOLUTE},
        {"C:a.txt", PATH_ENOTABSOLUTE},
        {"\\\\server\\share\\a", PATH_ENOTABSOLUTE},
        {"\\\\?\\C:\\a", PATH_ENOTABSOLUTE},
        {"\\\\.\\PhysicalDrive0", PATH_ENOTABSOLUTE},
        {"1:\\a", PATH_ENOTABSOLUTE},
        {"C:\\a\\..\\b", PATH_EDOTS},
        {"C:\\a\\.\\b", PATH_EDOTS},
        {"C:\\a/../b", PATH_EDOTS},
        {"C:\\a\\..", PATH_EDOTS},
        {"C:\\a\\.. \\b", PATH_EDOTS},
        {"C:\\a\\. .\\b", PATH_EDOTS},
        {"C:\\a\\....", PATH_EDOTS},
        {"C:\\a\\NUL", PATH_EDEVICE},
        {"C:\\a\\con.txt", PATH_EDEVICE},
        {"C:\\a\\Com3.log\\b", PATH_EDEVICE},
        {"C:\\lpt9", PATH_EDEVICE},
        {"C:\\aux .x", PATH_EDEVICE},
        {"C:\\CONOUT$", PATH_EDEVICE},
        {"C:\\a\\b\nC:\\c", PATH_ECHAR},
        {"C:\\a\tb", PATH_ECHAR},
        {"C:\\a\\b:stream", PATH_ECHAR},
        {"C:\\a\\*.dll", PATH_ECHAR},
        {"C:\\a\\b?", PATH_ECHAR},
        {"C:\\a|b", PATH_ECHAR},
        {"C:\\\"a\"", PATH_ECHAR},
    };
    for (const auto &r : rows)
        EXPECT_EQ(path_Check(r.path), r.result) << "row \"" << r.path << "\"";
    EXPECT_EQ(path_Check(NULL), PATH_ENOTABSOLUTE);
    for (int result = PATH_OK; result <= PATH_ETRAIL; result++)
        EXPECT_EQ(*path_CheckText(result) == 0, result == PATH_OK)
            << "result " << result;
}

/* A single name: the part rules of a path, separators reserved, and no
 * dot or blank at the end. */
TEST(PathCheck, Names)
{
    static const struct {
        const char *name;
        int result;
        size_t at;     /* for PATH_ECHAR */
    } rows[] = {
        {"a.txt", PATH_OK, 0},
        {".hidden", PATH_OK, 0},
        {"caf\xE9.txt", PATH_OK, 0},
        {"CON1", PATH_OK, 0},
        {"COM0.txt", PATH_OK, 0},
        {"LPT10", PATH_OK, 0},
        {"xcon", PATH_OK, 0},
        {"CONIN", PATH_OK, 0},
        {" lead", PATH_OK, 0},
        {"a..b", PATH_OK, 0},
        {".", PATH_EDOTS, 0},
        {"..", PATH_EDOTS, 0},
        {". .", PATH_EDOTS, 0},
        {"con", PATH_EDEVICE, 0},
        {"Prn.txt", PATH_EDEVICE, 0},
        {"aux.tar.gz", PATH_EDEVICE, 0},
        {"NUL ", PATH_EDEVICE, 0},
        {"com1", PATH_EDEVICE, 0},
        {"COM9.log", PATH_EDEVICE, 0},
        {"lPt5", PATH_EDEVICE, 0},
        {"clock$", PATH_EDEVICE, 0},
        {"CONIN$.x", PATH_EDEVICE, 0},
        {"a.", PATH_ETRAIL, 0},
        {"a ", PATH_ETRAIL, 0},
        {"a.txt. ", PATH_ETRAIL, 0},
        {"a:b", PATH_ECHAR, 1},
        {"ab?", PATH_ECHAR, 2},
        {"*", PATH_ECHAR, 0},
        {"x<y", PATH_ECHAR, 1},
        {"x>y", PATH_ECHAR, 1},
        {"x|y", PATH_ECHAR, 1},
        {"\"q\"", PATH_ECHAR, 0},
        {"a\\b", PATH_ECHAR, 1},
        {"a/b", PATH_ECHAR, 1},
        {"tab\there", PATH_ECHAR, 3},
        {"x\x1F", PATH_ECHAR, 1},
        {"con:x", PATH_ECHAR, 3},
    };
    for (const auto &r : rows) {
        size_t at = 99;
        EXPECT_EQ(path_CheckName(r.name, &at), r.result)
            << "row \"" << r.name << "\"";
        if (r.result == PATH_ECHAR)
            EXPECT_EQ(at, r.at) << "row \"" << r.name << "\"";
    }
    EXPECT_EQ(path_CheckName(NULL, NULL), PATH_ECHAR);
}

TEST(PathSettingsKey, Levels)
{
    static const struct {
        const char *key;
        int ok;
    } rows[] = {
        {"Software\\Acme\\Notes", 1},
        {"SOFTWARE\\Acme\\Notes\\Recent", 1},
        {"software\\Acme Inc.\\Notes 2", 1},
        {"Software\\Microsoftish\\Notes", 1},
        {"Software\\Acme\\Microsoft", 1},
        {NULL, 0},
        {"", 0},
        {"Software", 0},
        {"Software\\", 0},
        {"Software\\Acme", 0},
        {"Software\\Acme\\", 0},
        {"Software\\\\Acme", 0},
        {"\\Software\\Acme\\Notes", 0},
        {"Software\\Acme\\\\Notes", 0},
        {"Softwares\\Acme\\Notes", 0},
        {"Control Panel\\Desktop\\Colors", 0},
        {"Software\\Microsoft\\Windows", 0},
        {"Software\\microsoft\\Notepad", 0},
        {"Software\\Classes\\.txt", 0},
        {"Software\\Policies\\Acme", 0},
        {"Software\\Wow6432Node\\Acme", 0},
        {"Software\\Acme\\No\ttab", 0},
    };
    for (const auto &r : rows)
        EXPECT_EQ(path_SettingsKey(r.key), r.ok)
            << "row \"" << (r.key ? r.key : "(null)") << "\"";
}

/* A folder that is not known yet (NULL: setup's destination folders before
 * the wizard has them) fails the expansion as one that does not fit: the
 * text is made empty, so that nothing is done below the drive's root.  A
 * known folder, even an empty one, and text with no macro or another
 * macro still expand. */
TEST(PathExpand, FolderNotKnownYet)
{
    const char *const folders[PATH_MACROS] = {
        "C:\\WINDOWS", "C:\\WINDOWS\\system32", "", nullptr,
        nullptr, "C:\\Program Files\\Acme\\Tool", nullptr};
    static const struct {
        const char *text;
        size_t capacity;
        int ok;
        const char *result;
    } rows[] = {
        {"%APPDIR%\\x", 64, 0, ""},
        {"%APPDIR%", 64, 0, ""},
        {"%appdir%\\x", 64, 0, ""},
        {"%PROGFILESDIR%\\Acme", 64, 0, ""},
        {"%COMPANYDIR%", 64, 0, ""},
        {"%PRODUCTDIR%\\x", 64, 1, "C:\\Program Files\\Acme\\Tool\\x"},
        {"%WINDIR%\\x", 64, 1, "C:\\WINDOWS\\x"},
        {"%DRIVERDIR%\\x", 64, 1, "\\x"},          /* known, and empty */
        {"C:\\%APPDIR%", 64, 1, "C:\\%APPDIR%"},   /* not leading */
        {"%APPDIR", 64, 1, "%APPDIR"},
        {"", 64, 1, ""},
    };
    for (const auto &r : rows) {
        char buf[64];
        strcpy(buf, r.text);
        EXPECT_EQ(r.ok, path_ExpandWith(buf, r.capacity, folders))
            << "row \"" << r.text << "\" capacity " << r.capacity;
        EXPECT_STREQ(r.result, buf)
            << "row \"" << r.text << "\" capacity " << r.capacity;
    }
}
