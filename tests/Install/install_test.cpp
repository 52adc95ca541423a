/* install_test.cpp -- setup's init phase, install run, registration and
 * rollback against Wine's real registry and file system.
 *
 * Each test builds a package (the script and an Uninstall.exe made of a PE
 * fixture) in a scratch folder, opens it as setup does, compiles the
 * script and runs the engine's functions directly; the wizard that calls
 * them is driven end to end in tests/e2e.  Registry effects are read back
 * with the registry functions, and a failed run is compared with a
 * snapshot of the registry keys and the scratch tree taken before it.
 */
#include "setup.h"
#include "state.h"
#include "script/script.h"
#include "pkg/pkgwrite.h"
#include "pkgfix.h"
#include "func_fixture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const char kCompany[] = "Vellum Test Co";
const char kProduct[] = "Install Test";
const std::string kProductKey =
    std::string("Software\\") + kCompany + "\\" + kProduct;
const std::string kCompanyKey = std::string("Software\\") + kCompany;
const std::string kEntryKey =
    std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
    kProduct;

std::vector<std::string> boxes;
void record(const char *text) { boxes.push_back(text); }

std::string windows_dir()
{
    char d[MAX_PATH];
    GetWindowsDirectoryA(d, sizeof d);
    return d;
}

/* A value of an HKLM key, "<none>" when absent. */
std::string reg_text(const std::string &key, const char *name)
{
    char v[1024];
    DWORD size = sizeof v, type;
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE,
                      &h) != ERROR_SUCCESS)
        return "<no key>";
    LONG rc = RegQueryValueExA(h, name, NULL, &type, (BYTE *)v, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return "<none>";
    return type == REG_SZ ? std::string(v) : "<not text>";
}

bool key_exists(const std::string &key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE,
                      &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

/* Every subkey and value below an HKLM key, as text lines. */
void snapshot_key(const std::string &key, std::map<std::string, std::string> &out)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0,
                      KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &h) !=
        ERROR_SUCCESS)
        return;
    out[key] = "key";
    char name[512];
    BYTE data[1024];
    for (DWORD i = 0;; i++) {
        DWORD n = sizeof name, size = sizeof data, type;
        if (RegEnumValueA(h, i, name, &n, NULL, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        out[key + "|" + name] = std::string((char *)data, size);
    }
    std::vector<std::string> subs;
    for (DWORD i = 0;; i++) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(h, i, name, &n, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            break;
        subs.push_back(key + "\\" + name);
    }
    RegCloseKey(h);
    for (const std::string &s : subs)
        snapshot_key(s, out);
}

void snapshot_tree(const std::string &dir, std::map<std::string, std::string> &out)
{
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string n = f.cFileName;
        if (n == "." || n == "..")
            continue;
        std::string p = dir + "\\" + n;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[p] = "dir";
            snapshot_tree(p, out);
        } else {
            Bytes b;
            fix_Load(p, b);
            out[p] = std::string(b.begin(), b.end());
        }
    } while (FindNextFileA(h, &f));
    FindClose(h);
}

class Install : public ::testing::Test {
  protected:
    std::string dir, appDir;
    Bytes uninstaller;
    char *text = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(fix_MakeTempDir(dir));
        appDir = dir + "\\Programs\\Acme\\Tool";
        ASSERT_TRUE(fix_Load(fix_PePath("x64", "v1_2_3_4"), uninstaller));
        clean();
        start_state();
        boxes.clear();
        static const ScriptHost host = {record, NULL};
        script_SetHost(&host);
    }

    void TearDown() override
    {
        pkg_Close(InstallState.Package);
        InstallState.Package = NULL;
        free(text);
        clean();
        DeleteFileA((windows_dir() + "\\vuninst.exe").c_str());
        remove_tree(dir);
    }

    /* InstallState as setup starts it, the package closed. */
    static void start_state()
    {
        pkg_Close(InstallState.Package);
        ZeroMemory(&InstallState, sizeof InstallState);
        InstallState.NoLicense = InstallState.NoUninstall = 1;
        InstallState.LogChanges = 1;
        InstallState.IsNT = 1;
    }

    static void remove_tree(const std::string &d)
    {
        std::map<std::string, std::string> t;
        snapshot_tree(d, t);
        for (auto it = t.rbegin(); it != t.rend(); ++it) {
            if (it->second == "dir")
                RemoveDirectoryA(it->first.c_str());
            else
                DeleteFileA(it->first.c_str());
        }
        RemoveDirectoryA(d.c_str());
    }

    static void clean()
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntryKey.c_str());
    }

    /* The folders as the wizard's destination page sets them. */
    void destination_page()
    {
        strcpy(InstallState.ProgFilesDir, (dir + "\\Programs").c_str());
        strcpy(InstallState.AppDir, appDir.c_str());
    }

    /* Packs the script (settings first) with Uninstall.exe and the extra
     * members, opens the package, compiles the script and sets the folders
     * as the wizard would. */
    void load(const std::string &script, bool withUninstaller = true,
              const std::vector<FuncMember> &extra = {})
    {
        std::string s = std::string("// Name=Vellum Test Tool\r\n// Company=") +
                        kCompany + "\r\n// Product=" + kProduct + "\r\n" +
                        script;
        std::vector<FuncMember> members = {
            {"Install.ini", Bytes(s.begin(), s.end())}};
        if (withUninstaller)
            members.push_back({"Uninstall.exe", uninstaller});
        members.insert(members.end(), extra.begin(), extra.end());
        func_OpenPackage(dir, members);
        free(text);
        text = _strdup(s.c_str());
        ASSERT_EQ(1, script_Compile(text)) << (boxes.empty() ? "" : boxes[0]);
        destination_page();
    }
};

TEST(InstallVersion, Parse)
{
    const struct { const char *text; uint64_t v; } rows[] = {
        {"1.2.3.4", 0x0001000200030004ull}, {"2.2", 0x0002000200000000ull},
        {"", 0}, {"3", 0x0003000000000000ull},
        {"1.70000.0.1", 0x0001117000000001ull},   /* b keeps its low 16 bits */
        {"1.2.3.4.5", 0x0001000200030004ull},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.v, setup_ParseVersion(r.text)) << "row " << r.text;
}

TEST_F(Install, CheckVersion)
{
    const struct { const char *installed, *wanted; int result; } rows[] = {
        {"2.1.0.0", "2.2", 1}, {"2.2", "2.2.0.0", 0}, {"3.0", "2.9.9.9", -1},
        {nullptr, "1.0", 1},       /* not installed */
        {"", "1.0", 1},            /* installed, empty version: older */
        {"1.0", nullptr, 1},       /* the script has no version */
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("installed ") + (r.installed ? r.installed : "-") +
                     " wanted " + (r.wanted ? r.wanted : "-"));
        clean();
        if (r.installed) {
            HKEY h;
            ASSERT_EQ(ERROR_SUCCESS,
                      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey.c_str(),
                                      0, NULL, 0, KEY_SET_VALUE, NULL, &h, NULL));
            RegSetValueExA(h, "Version", 0, REG_SZ, (const BYTE *)r.installed,
                           (DWORD)strlen(r.installed) + 1);
            RegCloseKey(h);
        }
        load(r.wanted ? std::string("// Version=") + r.wanted + "\r\n" : "");
        EXPECT_EQ(r.result, setup_CheckVersion());
    }
}

TEST_F(Install, PathMacros)
{
    load("");
    const std::string pf = InstallState.ProgFilesDir, w = windows_dir();
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, sizeof sys);
    const struct { std::string in, out; int ok; } rows[] = {
        {"%WINDIR%\\a.dll", w + "\\a.dll", 1},
        {"%windir%\\a.dll", w + "\\a.dll", 1},
        {"%WINSYSDIR%", sys, 1},
        {"%DRIVERDIR%\\x.sys", w + "\\System32\\Drivers\\x.sys", 1},
        {"%APPDIR%", appDir, 1},
        {"%PROGFILESDIR%\\x", pf + "\\x", 1},
        {"%PRODUCTDIR%", pf + "\\" + kCompany + "\\" + kProduct, 1},
        {"%COMPANYDIR%", pf + "\\" + kCompany, 1},
        {"C:\\%APPDIR%", "C:\\%APPDIR%", 1},
        {"%APPDIR%" + std::string(600, 'x'), "", 0},
    };
    for (const auto &r : rows) {
        char buf[STATE_PATH + 200] = {0};
        strcpy(buf, r.in.c_str());
        EXPECT_EQ(r.ok, path_Expand(buf, STATE_PATH)) << "row " << r.in;
        EXPECT_EQ(r.out, buf) << "row " << r.in;
    }
    /* Before the destination page (while init runs) only the Windows
     * folders are known. */
    InstallState.AppDir[0] = InstallState.ProgFilesDir[0] = 0;
    const struct { std::string in, out; int ok; } before[] = {
        {"%WINDIR%\\a.dll", w + "\\a.dll", 1},
        {"%WINSYSDIR%", sys, 1},
        {"%DRIVERDIR%\\x.sys", w + "\\System32\\Drivers\\x.sys", 1},
        {"%APPDIR%\\x", "", 0},
        {"%PROGFILESDIR%\\x", "", 0},
        {"%PRODUCTDIR%", "", 0},
        {"%companydir%\\x", "", 0},
        {"C:\\x", "C:\\x", 1},
    };
    for (const auto &r : before) {
        char buf[STATE_PATH] = {0};
        strcpy(buf, r.in.c_str());
        EXPECT_EQ(r.ok, path_Expand(buf, STATE_PATH)) << "before, row " << r.in;
        EXPECT_EQ(r.out, buf) << "before, row " << r.in;
    }
}

/* init runs before the wizard makes the destination page, so the folder
 * macros other than the Windows ones fail there: the built-in fails, and
 * nothing is made, copied or read at the root of the current drive, where
 * an empty folder would put the path (each row places a file there, and
 * in the chosen folder, where the built-in would find one).  The same call
 * in install works in the folders the page set. */
TEST_F(Install, FolderMacrosInInit)
{
    enum { MAKES_FOLDER, COPIES, READS };
    Bytes older, newer;
    ASSERT_TRUE(fix_Load(fix_PePath("x64", "v1_2_3_4"), older));
    ASSERT_TRUE(fix_Load(fix_PePath("x64", "v2_0_0_0"), newer));
    const Bytes member = {'m', 'e', 'm', 'b', 'e', 'r'};
    const std::string root = dir.substr(0, 3), pf = dir + "\\Programs";
    ASSERT_EQ(":\\", root.substr(1)) << dir;
    const std::string company = std::string("\\") + kCompany;
    const std::string product = company + "\\" + kProduct;
    const struct {
        const char *call;
        std::string wrong, right;   /* the empty folder's path, the page's */
        int kind;
        Bytes placed;               /* READS: the file put at both paths */
        DWORD attributes;
        int init, install;
    } rows[] = {
        {"makedir(\"%APPDIR%\\\\Made\")", root + "Made", appDir + "\\Made",
         MAKES_FOLDER, {}, 0, 0, 0},
        {"copy(\"m.txt\", \"%PROGFILESDIR%\\\\Copied.txt\")",
         root + "Copied.txt", pf + "\\Copied.txt", COPIES, {}, 0, 1, 0},
        {"fileinuse(\"%PRODUCTDIR%\\\\Held.txt\")",
         root + product.substr(1) + "\\Held.txt", pf + product + "\\Held.txt",
         READS, member, FILE_ATTRIBUTE_READONLY, 0, 1},
        {"version(\"v.dll\", \"%COMPANYDIR%\\\\v.dll\")",
         root + company.substr(1) + "\\v.dll", pf + company + "\\v.dll", READS,
         newer, FILE_ATTRIBUTE_NORMAL, 1, -1},
    };
    static const ScriptHost host = {record, setup_Handlers};   /* real ones */
    script_SetHost(&host);
    char cwd[MAX_PATH];
    ASSERT_TRUE(GetCurrentDirectoryA(sizeof cwd, cwd));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));   /* the drive's root */
    const std::vector<FuncMember> members = {{"m.txt", member},
                                             {"v.dll", older}};
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.call);
        remove_tree(root + kCompany);
        ASSERT_FALSE(fix_Exists(r.wrong));
        if (r.kind == READS)
            for (const std::string &p : {r.wrong, r.right}) {
                dir_CreatePath(p.substr(0, p.rfind('\\')).c_str());
                ASSERT_TRUE(fix_Save(p, r.placed)) << p;
                SetFileAttributesA(p.c_str(), r.attributes);
            }
        /* A run as setup makes it: init before the page sets the folders. */
        start_state();
        load(std::string("init() { return ") + r.call + "; }", true, members);
        InstallState.AppDir[0] = InstallState.ProgFilesDir[0] = 0;
        EXPECT_EQ(r.init, setup_Init()) << "the built-in's value in init";
        if (r.kind != READS) {
            EXPECT_FALSE(fix_Exists(r.wrong)) << r.wrong;
            EXPECT_FALSE(fix_Exists(r.right)) << r.right;
        }
        /* A new run, whose install calls it: 100 + its value. */
        start_state();
        load(std::string("install() { return 100 + ") + r.call + "; }", true,
             members);
        ASSERT_EQ(1, setup_Init());
        EXPECT_EQ(100 + r.install, setup_Install()) << "in install";
        if (r.kind == MAKES_FOLDER) {
            DWORD a = GetFileAttributesA(r.right.c_str());
            EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES &&
                        (a & FILE_ATTRIBUTE_DIRECTORY)) << r.right;
        }
        if (r.kind == COPIES) {
            Bytes b;
            EXPECT_TRUE(fix_Load(r.right, b) && b == member) << r.right;
        }
        if (r.kind != READS) {
            EXPECT_FALSE(fix_Exists(r.wrong)) << r.wrong;
            RemoveDirectoryA(r.wrong.c_str());   /* not there before */
            DeleteFileA(r.wrong.c_str());
        }
        for (const std::string &p : {r.wrong, r.right})
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        clean();
    }
    remove_tree(root + kCompany);
    SetCurrentDirectoryA(cwd);
}

/* The entries of a first run: the product, mask 7, three CR LF lines;
 * then the folders made for AppDir ("Programs\\Acme\\Tool" in the scratch
 * folder), innermost first. */
Bytes product_log(const std::string &appDir)
{
    Bytes b = {'l', 'o', 'g', '1', 1, 0, 0, 0, 7, 0, 0, 0};
    for (std::string t : {std::string(kCompany), std::string(kProduct), appDir}) {
        b.insert(b.end(), t.begin(), t.end());
        b.push_back('\r');
        b.push_back('\n');
    }
    std::string folder = appDir;
    for (int level = 0; level < 3; level++) {
        const uint8_t head[] = {2, 0, 0, 0, 1, 0, 0, 0};
        b.insert(b.end(), head, head + 8);
        b.insert(b.end(), folder.begin(), folder.end());
        b.push_back('\r');
        b.push_back('\n');
        folder = folder.substr(0, folder.rfind('\\'));
    }
    return b;
}

TEST_F(Install, SuccessRegisters)
{
    load("// Version=1.2\r\n// NoUninstall=0\r\n// ProductURL=http://p.example\r\n"
         "// CompanyEmail=co@example.com\r\ninstall() { return 7; }");
    ASSERT_EQ(1, setup_Init());
    EXPECT_EQ(0, InstallState.NoUninstall);
    EXPECT_EQ(7, setup_Install());
    const std::string log = appDir + "\\" + kProduct + ".log";
    EXPECT_EQ(log, InstallState.LogPath);
    Bytes b;
    ASSERT_TRUE(fix_Load(log, b));
    EXPECT_EQ(product_log(appDir), b);
    EXPECT_EQ("1.2", reg_text(kProductKey, "Version"));
    EXPECT_EQ("http://p.example", reg_text(kProductKey, "URL"));
    EXPECT_EQ("<none>", reg_text(kProductKey, "Email"));
    EXPECT_EQ(appDir, reg_text(kProductKey, "Path"));
    EXPECT_EQ("co@example.com", reg_text(kCompanyKey, "Email"));
    EXPECT_EQ("<none>", reg_text(kCompanyKey, "URL"));
    EXPECT_EQ("Vellum Test Tool", reg_text(kEntryKey, "DisplayName"));
    const std::string vuninst = windows_dir() + "\\vuninst.exe";
    EXPECT_EQ("\"" + vuninst + "\" " + log,
              reg_text(kEntryKey, "UninstallString"));
    Bytes u;
    ASSERT_TRUE(fix_Load(vuninst, u));
    EXPECT_EQ(uninstaller, u);
    EXPECT_TRUE(boxes.empty());
}

/* With NoUninstall at its start value, or no uninstaller in the package:
 * no entry, while the product key is still written. */
TEST_F(Install, NoUninstallerNoEntry)
{
    const struct { const char *name, *settings; bool member; } rows[] = {
        {"no NoUninstall setting", "", true},
        {"NoUninstall=1", "// NoUninstall=1\r\n", true},
        {"no Uninstall.exe", "// NoUninstall=0\r\n", false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        load(std::string(r.settings) + "install() { return 1; }", r.member);
        ASSERT_EQ(1, setup_Init());
        EXPECT_EQ(1, setup_Install());
        EXPECT_FALSE(key_exists(kEntryKey));
        EXPECT_EQ(appDir, reg_text(kProductKey, "Path"));
    }
}

/* install gives 0: everything as before, the two folder levels made for
 * AppDir included; the scratch folder's other content stays. */
TEST_F(Install, FailureRollsBack)
{
    CreateDirectoryA((dir + "\\Programs").c_str(), NULL);
    CreateDirectoryA((dir + "\\Programs\\Other").c_str(), NULL);
    std::map<std::string, std::string> keysBefore, treeBefore;
    load("// Version=1.0\r\n// NoUninstall=0\r\ninstall() { return 0; }");
    snapshot_key(kCompanyKey, keysBefore);
    snapshot_key(kEntryKey, keysBefore);
    snapshot_tree(dir, treeBefore);
    ASSERT_EQ(1, setup_Init());
    EXPECT_EQ(0, setup_Install());
    std::map<std::string, std::string> keysAfter, treeAfter;
    snapshot_key(kCompanyKey, keysAfter);
    snapshot_key(kEntryKey, keysAfter);
    snapshot_tree(dir, treeAfter);
    EXPECT_EQ(keysBefore, keysAfter);
    EXPECT_EQ(treeBefore, treeAfter);
    EXPECT_TRUE(fix_Exists(dir + "\\Programs\\Other"));
}

/* A second run of the same product keeps one product entry in the log; a
 * failed third run (an update) leaves the installation of the second as it
 * was: its log byte for byte, its registration, its folder. */
TEST_F(Install, ReinstallAndFailedUpdate)
{
    const std::string logs = dir + "\\logs";
    CreateDirectoryA(logs.c_str(), NULL);
    const std::string head = "// LogPath=" + logs + "\r\n// Version=1.0\r\n"
                             "// NoUninstall=0\r\ninit() { return 1; }\r\n";
    load(head + "install() { return 1; }");
    ASSERT_EQ(1, setup_Init());
    ASSERT_EQ(1, setup_Install());
    const std::string log = logs + "\\" + kProduct + ".log";
    EXPECT_EQ(log, InstallState.LogPath);
    load(head + "install() { return 1; }");
    ASSERT_EQ(1, setup_Init());
    ASSERT_EQ(1, setup_Install());
    Bytes b;
    ASSERT_TRUE(fix_Load(log, b));
    EXPECT_EQ(product_log(appDir), b);
    EXPECT_TRUE(key_exists(kEntryKey));
    std::map<std::string, std::string> keysBefore, keysAfter;
    snapshot_key(kCompanyKey, keysBefore);
    snapshot_key(kEntryKey, keysBefore);
    load("// LogPath=" + logs + "\r\n// Version=2.0\r\n// NoUninstall=0\r\n"
         "init() { return 1; }\r\ninstall() { return 0; }");
    ASSERT_EQ(1, setup_Init());
    EXPECT_EQ(0, setup_Install());
    Bytes after;
    ASSERT_TRUE(fix_Load(log, after));
    EXPECT_EQ(b, after);
    snapshot_key(kCompanyKey, keysAfter);
    snapshot_key(kEntryKey, keysAfter);
    EXPECT_EQ(keysBefore, keysAfter);
    EXPECT_TRUE(fix_Exists(appDir));
}

/* The init phase: init's value alone decides; without init, the same
 * version installed ends setup. */
TEST_F(Install, InitDecides)
{
    const struct { const char *name, *script; bool installed; int result; } rows[] = {
        {"no init, not installed", "", false, 1},
        {"no init, same version installed", "", true, 0},
        {"init gives 0", "init() { return 0; }", false, 0},
        {"init without return", "init() { }", false, 0},
        {"init gives 1 over the same version", "init() { return 1; }", true, 1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        if (r.installed) {
            HKEY h;
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, NULL, 0,
                            KEY_SET_VALUE, NULL, &h, NULL);
            RegSetValueExA(h, "Version", 0, REG_SZ, (const BYTE *)"1.0", 4);
            RegCloseKey(h);
        }
        load(std::string("// Version=1.0\r\n") + r.script);
        EXPECT_EQ(r.result, setup_Init());
    }
}

}  // namespace
