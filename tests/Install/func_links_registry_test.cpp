/* func_links_registry_test.cpp -- the shortcut, registry and driver
 * built-ins under Wine: links read back through the shell's own link
 * object, Internet shortcuts byte for byte, keys and values in the real
 * registry, driver services as the service manager reports them, the
 * undo entries and the shared counts.
 *
 * Each test packs a small script (and a driver member made of a PE
 * fixture) into a package in a scratch folder, opens it as setup does and
 * runs the script's functions over a table holding only these handlers.
 * Company names are private to these tests and removed afterwards.
 */
#include "functions.h"
#include "setup.h"
#include "state.h"
#include "shared.h"
#include "journal.h"
#include "script/script.h"
#include "pkg/pkgwrite.h"
#include "pkgfix.h"
#include "func_fixture.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const char kCompany[] = "Vellum LinkReg Co";
const char kProduct[] = "LinkReg Tool";
const char kOther[] = "LinkReg Other";
const char kService[] = "VellumLinkRegDrv";
const std::string kServiceKey =
    std::string("System\\CurrentControlSet\\Services\\") + kService;
const std::string kBranch = "Software\\Orrery Software\\";
const std::string kPrefs = kBranch + "Vellum LinkReg Test";
const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::vector<std::string> reports;
void record(const char *text) { reports.push_back(text); }

std::string reg_text(HKEY root, const std::string &key, const char *name)
{
    char v[1024];
    DWORD size = sizeof v, type;
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return "<no key>";
    LONG rc = RegQueryValueExA(h, name, NULL, &type, (BYTE *)v, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return "<none>";
    if (type == REG_DWORD)
        return "dword " + std::to_string(*(DWORD *)v);
    return type == REG_SZ ? std::string(v) : "<other>";
}

bool key_exists(HKEY root, const std::string &key)
{
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

void make_key(HKEY root, const std::string &key, const char *value = nullptr)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key.c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &h, NULL))
        << key;
    if (value)
        RegSetValueExA(h, value, 0, REG_SZ, (const BYTE *)"x", 2);
    RegCloseKey(h);
}

/* The undo list's entries of a kind as "text1|text2". */
std::vector<std::string> entries(int kind)
{
    std::vector<std::string> out;
    LogList *l = &InstallState.UndoList;
    for (LogEntry *e = log_Next(l, NULL, kind); e; e = log_Next(l, e, kind))
        out.push_back(std::string(e->Text1 ? e->Text1 : "") +
                      (e->Text2 ? std::string("|") + e->Text2 : ""));
    return out;
}

/* The programs folder as the system keeps it (HKLM Common Programs for NT,
 * HKCU Programs for 9x). */
std::string programs(bool nt)
{
    std::string v = reg_text(nt ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                             kShellFolders, nt ? "Common Programs" : "Programs");
    return v[0] == '<' ? "" : v;
}

class FuncB : public ::testing::Test {
  protected:
    std::string dir, script;
    std::vector<char> text;

    void SetUp() override
    {
        ASSERT_TRUE(fix_MakeTempDir(dir));
        ZeroMemory(&InstallState, sizeof InstallState);
        InstallState.LogChanges = 1;
        InstallState.IsNT = 1;
        setup_GetVersion = nullptr;
        reports.clear();
        static const ScriptHost host = {record, setup_Handlers};
        script_SetHost(&host);
        clean();
    }

    void TearDown() override
    {
        pkg_Close(InstallState.Package);
        InstallState.Package = NULL;
        log_Save(&InstallState.UndoList, NULL);
        journal_Commit();
        setup_GetVersion = nullptr;
        clean();
        func_RemoveTree(dir);
    }

    static void delete_service()
    {
        SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        if (!scm)
            return;
        SC_HANDLE s = OpenServiceA(scm, kService, SERVICE_ALL_ACCESS);
        if (s) {
            DeleteService(s);
            CloseServiceHandle(s);
        }
        CloseServiceHandle(scm);
    }

    static void clean()
    {
        for (bool nt : {true, false})
            if (!programs(nt).empty())
                func_RemoveTree(programs(nt) + "\\" + kCompany);
        for (const char *c : {kCompany, kOther})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                           (std::string("Software\\") + c).c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, kPrefs.c_str());
        delete_service();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kServiceKey.c_str());
    }

    /* Packs settings + body with the members, opens the package and
     * compiles the script. */
    void load(const std::string &body, const char *company = kCompany,
              const char *product = kProduct,
              const std::vector<std::pair<std::string, Bytes>> &members = {})
    {
        script = "";
        if (company)
            script += std::string("// Company=") + company + "\r\n";
        if (product)
            script += std::string("// Product=") + product + "\r\n";
        script += body;
        std::vector<FuncMember> all = {
            {"Install.ini", Bytes(script.begin(), script.end())}};
        for (const auto &m : members)
            all.push_back({m.first, m.second});
        func_OpenPackage(dir, all);
        text.assign(script.begin(), script.end());
        text.push_back(0);
        ASSERT_EQ(1, script_Compile(text.data()))
            << (reports.empty() ? "" : reports[0]);
    }

    ScriptValue call(const char *name)
    {
        ScriptValue v = script_Call(name);
        EXPECT_TRUE(reports.empty()) << reports[0];
        return v;
    }
};

/* ---- shortcuts ---- */

struct LinkInfo {
    bool read = false;
    std::string path, dir, description, arguments;
};

LinkInfo read_link(const std::string &file)
{
    LinkInfo info;
    CoInitialize(NULL);
    IShellLinkA *link;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkA, (void **)&link))) {
        IPersistFile *pf;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&pf))) {
            WCHAR w[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, w, MAX_PATH);
            if (SUCCEEDED(pf->Load(w, STGM_READ))) {
                char buf[1024];
                info.read = true;
                buf[0] = 0;
                link->GetPath(buf, sizeof buf, NULL, SLGP_RAWPATH);
                info.path = buf;
                buf[0] = 0;
                link->GetWorkingDirectory(buf, sizeof buf);
                info.dir = buf;
                buf[0] = 0;
                link->GetDescription(buf, sizeof buf);
                info.description = buf;
                buf[0] = 0;
                link->GetArguments(buf, sizeof buf);
                info.arguments = buf;
            }
            pf->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return info;
}

/* Links of shortcut and shortcutc, with and without a Product setting, on
 * both families: the folder, the link's properties and the undo entry. */
TEST_F(FuncB, ShortcutLinks)
{
    const std::string target = "C:\\Vellum LinkReg\\bin\\tool.exe";
    const struct {
        const char *name, *call;
        bool nt, product;
        const char *folder;   /* below the programs folder */
        const char *file, *target, *dir, *description, *arguments;
    } rows[] = {
        {"shortcut, NT", "shortcut(\"Tool\", @T, \"Runs it\", \"-x 1\")", true,
         true, "\\Vellum LinkReg Co\\LinkReg Tool", "Tool.lnk",
         "C:\\Vellum LinkReg\\bin\\tool.exe", "C:\\Vellum LinkReg\\bin",
         "Runs it", "-x 1"},
        {"shortcutc, NT", "shortcutc(\"Tool\", @T, \"Runs it\", null)", true,
         true, "\\Vellum LinkReg Co", "Tool.lnk",
         "C:\\Vellum LinkReg\\bin\\tool.exe", "C:\\Vellum LinkReg\\bin",
         "Runs it", ""},
        {"shortcut, no Product", "shortcut(\"Tool\", @T, null, null)", true,
         false, "\\Vellum LinkReg Co", "Tool.lnk",
         "C:\\Vellum LinkReg\\bin\\tool.exe", "C:\\Vellum LinkReg\\bin", "",
         ""},
        {"shortcutc, no Product", "shortcutc(\"Tool\", @T, null, \"a\")", true,
         false, "\\Vellum LinkReg Co", "Tool.lnk",
         "C:\\Vellum LinkReg\\bin\\tool.exe", "C:\\Vellum LinkReg\\bin", "",
         "a"},
        {"shortcut, 9x family", "shortcut(\"Tool\", @T, \"d\", null)", false,
         true, "\\Vellum LinkReg Co\\LinkReg Tool", "Tool.lnk",
         "C:\\Vellum LinkReg\\bin\\tool.exe", "C:\\Vellum LinkReg\\bin", "d",
         ""},
        {"target without a backslash", "shortcut(\"Doc\", \"readme.txt\", null, null)",
         true, true, "\\Vellum LinkReg Co\\LinkReg Tool", "Doc.lnk",
         "readme.txt", "", "", ""},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        log_Save(&InstallState.UndoList, NULL);
        InstallState.IsNT = r.nt;
        std::string c = r.call;
        size_t at = c.find("@T");
        if (at != std::string::npos)
            c.replace(at, 2, func_Lit(target));
        std::string body = "run() { return " + c + "; }\r\n";
        load(body, kCompany, r.product ? kProduct : nullptr);
        const std::string base = programs(r.nt);
        ASSERT_FALSE(base.empty());
        EXPECT_EQ(0, call("run"));
        const std::string link = base + r.folder + "\\" + r.file;
        LinkInfo info = read_link(link);
        ASSERT_TRUE(info.read) << link;
        /* The shell makes a relative target absolute on its own; the
         * working directory is what the built-in sets. */
        const std::string path = info.path;
        const size_t n = strlen(r.target);
        EXPECT_EQ(r.target, path.substr(path.size() < n ? 0 : path.size() - n));
        EXPECT_EQ(r.dir, info.dir);
        EXPECT_EQ(r.description, info.description);
        EXPECT_EQ(r.arguments, info.arguments);
        EXPECT_EQ(std::vector<std::string>{link}, entries(LOG_FILE));
        /* The other family's folder has nothing of the company. */
        EXPECT_FALSE(fix_Exists(programs(!r.nt) + "\\" + kCompany));
    }
}

/* The target's path macro is expanded before the link is made. */
TEST_F(FuncB, ShortcutExpandsTarget)
{
    load("run() { return shortcut(\"W\", \"%WINDIR%\\\\notepad.exe\", null, null); }");
    char win[MAX_PATH];
    GetWindowsDirectoryA(win, sizeof win);
    EXPECT_EQ(0, call("run"));
    LinkInfo info = read_link(programs(true) + "\\" + kCompany + "\\" +
                              kProduct + "\\W.lnk");
    ASSERT_TRUE(info.read);
    EXPECT_EQ(std::string(win) + "\\notepad.exe", info.path);
    EXPECT_EQ(win, info.dir);
}

/* A name that makes no file name setup writes ("a|b", "..\\x") makes
 * nothing and records nothing, and still gives 0; LogOff records
 * nothing. */
TEST_F(FuncB, ShortcutRefusedAndUnlogged)
{
    const struct { const char *name, *call, *link; int log; bool file, entry; } rows[] = {
        {"reserved character", "shortcut(\"a|b\", \"C:\\\\x.exe\", null, null)",
         "a|b", 1, false, false},
        {"dot parts", "shortcut(\"..\\\\..\\\\x\", \"C:\\\\x.exe\", null, null)",
         "..\\..\\x", 1, false, false},
        {"log off", "shortcut(\"Tool\", \"C:\\\\x.exe\", null, null)", "Tool", 0,
         true, false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        log_Save(&InstallState.UndoList, NULL);
        InstallState.LogChanges = r.log;
        load(std::string("run() { return ") + r.call + "; }");
        EXPECT_EQ(0, call("run"));
        const std::string folder =
            programs(true) + "\\" + kCompany + "\\" + kProduct;
        const std::string link = folder + "\\" + r.link + ".lnk";
        EXPECT_EQ(r.file, fix_Exists(folder));
        EXPECT_EQ(r.file, fix_Exists(link));
        EXPECT_EQ(r.entry ? std::vector<std::string>{link}
                          : std::vector<std::string>{},
                  entries(LOG_FILE));
        EXPECT_TRUE(entries(LOG_DIR).empty());
    }
}

/* The .url file: two CR LF lines, the address as given (no macro). */
TEST_F(FuncB, ShortcutWwwBytes)
{
    const struct { const char *name, *address; bool product; } rows[] = {
        {"web address", "http://www.example.com/x?a=1", true},
        {"macro text kept", "%WINDIR%", true},
        {"no Product", "https://example.org/", false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        log_Save(&InstallState.UndoList, NULL);
        load(std::string("run() { return shortcutwww(\"Home\", ") +
                 func_Lit(r.address) + "); }",
             kCompany, r.product ? kProduct : nullptr);
        EXPECT_EQ(0, call("run"));
        std::string file = programs(true) + "\\" + kCompany +
                           (r.product ? std::string("\\") + kProduct : "") +
                           "\\Home.url";
        Bytes b;
        ASSERT_TRUE(fix_Load(file, b)) << file;
        std::string want =
            std::string("[InternetShortcut]\r\nURL=") + r.address + "\r\n";
        EXPECT_EQ(want, std::string(b.begin(), b.end()));
        EXPECT_EQ(std::vector<std::string>{file}, entries(LOG_FILE));
    }
}

/* ---- registry keys ---- */

/* prefskey records the key and touches no key. */
TEST_F(FuncB, PrefsKeyRecordsOnly)
{
    const struct { const char *name; int log; size_t n; } rows[] = {
        {"log on", 1, 1}, {"log off", 0, 0}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        log_Save(&InstallState.UndoList, NULL);
        InstallState.LogChanges = r.log;
        load("run() { return prefskey(" + func_Lit(kPrefs) + "); }");
        EXPECT_EQ(0, call("run"));
        std::vector<std::string> want;
        if (r.n)
            want.push_back(kPrefs);
        EXPECT_EQ(want, entries(LOG_PREFSKEY));
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kPrefs));
    }
}

/* regdelkey takes the whole tree below the branch; a sibling stays. */
TEST_F(FuncB, RegDelKeyTree)
{
    const std::string root = kPrefs + "\\Tool";
    const struct { const char *name, *arg; bool gone; } rows[] = {
        {"nested tree", "Vellum LinkReg Test\\Tool", true},
        {"absent key", "Vellum LinkReg Test\\Nothing", false},
        {"empty key: the branch itself is never reached", "", false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        for (const char *k : {"\\a\\b\\c", "\\a\\d", "\\e"})
            make_key(HKEY_CURRENT_USER, root + k, "v");
        make_key(HKEY_CURRENT_USER, kPrefs + "\\Sibling", "v");
        load(std::string("run() { return regdelkey(") + func_Lit(r.arg) + "); }");
        EXPECT_EQ(0, call("run"));
        EXPECT_EQ(!r.gone, key_exists(HKEY_CURRENT_USER, root));
        EXPECT_EQ(!r.gone, key_exists(HKEY_CURRENT_USER, root + "\\a\\b\\c"));
        EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kPrefs + "\\Sibling"));
        EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, "Software\\Orrery Software"));
    }
}

/* A subkey that cannot be opened for enumeration (its security denies it)
 * stays; the loop stops at it instead of meeting it forever, and the keys
 * around it that can go are gone. */
TEST_F(FuncB, RegDelKeyStopsAtStuckSubkey)
{
    const std::string root = kPrefs + "\\Stuck";
    make_key(HKEY_CURRENT_USER, root + "\\a");
    make_key(HKEY_CURRENT_USER, root + "\\b\\inner");
    make_key(HKEY_CURRENT_USER, root + "\\c");
    /* b: an empty DACL grants nobody anything. */
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\b").c_str(), 0,
                            WRITE_DAC, &h));
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd));
    RegCloseKey(h);
    HKEY probe;
    LONG denied = RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\b").c_str(), 0,
                                KEY_ENUMERATE_SUB_KEYS, &probe);
    if (denied == ERROR_SUCCESS)
        RegCloseKey(probe);
    ASSERT_EQ(ERROR_ACCESS_DENIED, denied) << "the registry ignores the DACL";
    load("run() { return regdelkey(\"Vellum LinkReg Test\\\\Stuck\"); }");
    EXPECT_EQ(0, call("run"));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, root + "\\a"));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, root));
    /* b stops the loop before c is reached: enumeration is in name order. */
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, root + "\\c"));
    /* Give b back its rights so that the clean-up can take it. */
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\b").c_str(), 0,
                            WRITE_DAC, &h));
    SetSecurityDescriptorDacl(&sd, TRUE, NULL, FALSE);
    RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(h);
}

TEST_F(FuncB, RegDelValue)
{
    const struct { const char *name, *key, *value; bool gone; } rows[] = {
        {"value deleted", "Vellum LinkReg Test\\V", "gone", true},
        {"other value", "Vellum LinkReg Test\\V", "other", false},
        {"absent key", "Vellum LinkReg Test\\None", "gone", false},
    };
    const std::string key = kPrefs + "\\V";
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        make_key(HKEY_CURRENT_USER, key, "gone");
        make_key(HKEY_CURRENT_USER, key, "stays");
        load(std::string("run() { return regdelvalue(") + func_Lit(r.key) + ", " +
             func_Lit(r.value) + "); }");
        EXPECT_EQ(0, call("run"));
        EXPECT_EQ(r.gone ? "<none>" : "x",
                  reg_text(HKEY_CURRENT_USER, key, "gone"));
        EXPECT_EQ("x", reg_text(HKEY_CURRENT_USER, key, "stays"));
    }
}

/* ---- drivers ---- */

struct ServiceInfo {
    bool found = false;
    DWORD type = 0, start = 0, error = 0;
    std::string binary, display;
};

ServiceInfo query_service()
{
    ServiceInfo info;
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!scm)
        return info;
    SC_HANDLE s = OpenServiceA(scm, kService, SERVICE_QUERY_CONFIG);
    if (s) {
        std::vector<BYTE> buf(8192);
        DWORD need;
        QUERY_SERVICE_CONFIGA *c = (QUERY_SERVICE_CONFIGA *)buf.data();
        if (QueryServiceConfigA(s, c, (DWORD)buf.size(), &need)) {
            info.found = true;
            info.type = c->dwServiceType;
            info.start = c->dwStartType;
            info.error = c->dwErrorControl;
            info.binary = c->lpBinaryPathName ? c->lpBinaryPathName : "";
            info.display = c->lpDisplayName ? c->lpDisplayName : "";
        }
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
    return info;
}

class Driver : public FuncB {
  protected:
    Bytes v1, v2;
    std::string dest;

    void SetUp() override
    {
        FuncB::SetUp();
        ASSERT_TRUE(fix_Load(fix_PePath("x64", "v1_2_3_4"), v1));
        ASSERT_TRUE(fix_Load(fix_PePath("x64", "v2_0_0_0"), v2));
        dest = dir + "\\drv\\linkreg.sys";
        CreateDirectoryA((dir + "\\drv").c_str(), NULL);
        drop_system_count();
    }

    void TearDown() override
    {
        drop_system_count();
        FuncB::TearDown();
    }

    /* The system's count of the driver file, which the runs raise. */
    void drop_system_count()
    {
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\"
                          "SharedDLLs",
                          0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
            RegDeleteValueA(h, dest.c_str());
            RegCloseKey(h);
        }
    }

    void load_driver(const char *company = kCompany,
                     const char *product = kProduct, const Bytes *member = nullptr)
    {
        load("run() { return installdriver(\"drv.sys\", " + func_Lit(dest) + ", " +
                 func_Lit(kService) + "); }",
             company, product, {{"drv.sys", member ? *member : v1}});
    }

    unsigned count(const char *company = kCompany)
    {
        return shared_Count(company, kProduct, kService);
    }
};

TEST_F(Driver, RegistersService)
{
    load_driver();
    EXPECT_EQ(1, call("run"));
    Bytes b;
    ASSERT_TRUE(fix_Load(dest, b));
    EXPECT_EQ(v1, b);
    EXPECT_EQ(0, InstallState.CopyError);
    EXPECT_EQ(1, InstallState.Reboot);   /* the file was not there */
    EXPECT_EQ("dword 2", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Start"));
    EXPECT_EQ("dword 1", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Type"));
    EXPECT_EQ("dword 1",
              reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "ErrorControl"));
    EXPECT_EQ(kService, reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "DisplayName"));
    ServiceInfo s = query_service();
    ASSERT_TRUE(s.found);
    EXPECT_EQ((DWORD)SERVICE_KERNEL_DRIVER, s.type);
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, s.start);
    EXPECT_EQ((DWORD)SERVICE_ERROR_NORMAL, s.error);
    EXPECT_EQ("\\SystemRoot\\System32\\drivers\\linkreg.sys", s.binary);
    EXPECT_EQ(kService, s.display);
    EXPECT_EQ(1u, count());
    EXPECT_EQ(std::vector<std::string>{dest + "|" + kService},
              entries(LOG_DRIVER));
}

/* An existing service keeps its configuration; the call still gives 1. */
TEST_F(Driver, ExistingServiceUntouched)
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_TRUE(scm);
    SC_HANDLE s = CreateServiceA(scm, kService, "Existing one",
                                 SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                 "\\SystemRoot\\System32\\drivers\\old.sys",
                                 NULL, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(s);
    CloseServiceHandle(s);
    CloseServiceHandle(scm);
    load_driver();
    EXPECT_EQ(1, call("run"));
    ServiceInfo i = query_service();
    ASSERT_TRUE(i.found);
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, i.start);
    EXPECT_EQ((DWORD)SERVICE_ERROR_IGNORE, i.error);
    EXPECT_EQ("\\SystemRoot\\System32\\drivers\\old.sys", i.binary);
    EXPECT_EQ("Existing one", i.display);
    EXPECT_EQ(1u, count());
}

/* Counts: two products of the same company count 2; the same product
 * installed again (its earlier log loaded) stays at 1. */
TEST_F(Driver, Counts)
{
    const struct { const char *name; bool sameProduct; unsigned second; } rows[] = {
        {"two products", false, 2},
        {"same product twice", true, 1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        log_Save(&InstallState.UndoList, NULL);
        load_driver();
        EXPECT_EQ(1, call("run"));
        EXPECT_EQ(1u, count());
        const std::string log = dir + "\\first.log";
        log_Save(&InstallState.UndoList, log.c_str());   /* and frees it */
        if (r.sameProduct) {
            ASSERT_EQ(1, log_Load(&InstallState.UndoList, log.c_str()));
        }
        InstallState.CopyError = 0;
        load_driver(kCompany, r.sameProduct ? kProduct : kOther);
        EXPECT_EQ(1, call("run"));
        EXPECT_EQ(r.second, count());
        EXPECT_EQ(std::vector<std::string>{dest + "|" + kService},
                  entries(LOG_DRIVER));
        DeleteFileA(log.c_str());
    }
}

/* Reboot follows the version comparison: only the same version leaves it
 * clear. */
TEST_F(Driver, RebootRule)
{
    const struct { const char *name, *member, *installed; int reboot; } rows[] = {
        {"no file installed", "v1_2_3_4", nullptr, 1},
        {"same version", "v1_2_3_4", "v1_2_3_4", 0},
        {"older installed", "v2_0_0_0", "v1_2_3_4", 1},
        {"newer installed", "v1_2_3_4", "v1_2_3_5", 1},
        {"installed without version", "v1_2_3_4", "nover", 1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        DeleteFileA(dest.c_str());
        if (r.installed) {
            Bytes b;
            ASSERT_TRUE(fix_Load(fix_PePath("x64", r.installed), b));
            ASSERT_TRUE(fix_Save(dest, b));
        }
        Bytes member;
        ASSERT_TRUE(fix_Load(fix_PePath("x64", r.member), member));
        InstallState.Reboot = 0;
        InstallState.CopyError = 0;
        load_driver(kCompany, kProduct, &member);
        EXPECT_EQ(1, call("run"));
        EXPECT_EQ(r.reboot, InstallState.Reboot);
    }
}

/* A copy failed earlier: no copy, no count, no reboot, but the service is
 * registered and the call gives 1. */
TEST_F(Driver, CopyErrorStillRegisters)
{
    InstallState.CopyError = 1;
    load_driver();
    EXPECT_EQ(1, call("run"));
    EXPECT_FALSE(fix_Exists(dest));
    EXPECT_EQ(1, InstallState.CopyError);
    EXPECT_EQ(0, InstallState.Reboot);
    EXPECT_EQ(0u, count());
    EXPECT_TRUE(query_service().found);
    EXPECT_EQ("dword 2", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Start"));
}

/* A copy that fails (a folder stands where the file should go) sets
 * CopyError and counts nothing; the service is registered all the same. */
TEST_F(Driver, FailedCopy)
{
    CreateDirectoryA(dest.c_str(), NULL);
    load_driver();
    EXPECT_EQ(1, call("run"));
    EXPECT_EQ(1, InstallState.CopyError);
    EXPECT_EQ(0u, count());
    EXPECT_TRUE(query_service().found);
    RemoveDirectoryA(dest.c_str());
}

/* On Windows 98: only the four values, no service. */
TEST_F(Driver, Win9xRegistryOnly)
{
    const ScriptWindows &w98 = script_Windows[SB_ISWIN98 - SB_ISWIN95];
    func_PretendWindows((DWORD)w98.Platform, (DWORD)w98.Major,
                        (DWORD)w98.Minor);
    InstallState.IsNT = 0;
    load_driver();
    EXPECT_EQ(1, call("run"));
    EXPECT_FALSE(query_service().found);
    EXPECT_EQ("dword 2", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Start"));
    EXPECT_EQ("dword 1", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Type"));
    EXPECT_EQ("dword 1",
              reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "ErrorControl"));
    EXPECT_EQ(kService, reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "DisplayName"));
    EXPECT_EQ("<none>", reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "ImagePath"));
    EXPECT_EQ(1u, count());
}

/* A failed run's rollback takes back the service, its key, the file and
 * the counts that this run made; a service that was there before (an
 * earlier installation's, with its file and counts) stays as it was. */
TEST_F(Driver, RollbackTakesBackOnlyThisRun)
{
    const struct { const char *name; bool earlier; } rows[] = {
        {"first installation", false},
        {"over an earlier one", true},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        clean();
        DeleteFileA(dest.c_str());
        drop_system_count();
        log_Save(&InstallState.UndoList, NULL);
        InstallState.CopyError = 0;
        if (r.earlier) {
            load_driver(kCompany, kProduct);
            ASSERT_EQ(1, call("run"));
            journal_Commit();
            log_Save(&InstallState.UndoList, NULL);   /* another product */
        }
        load_driver(kCompany, kOther, &v2);   /* a newer file */
        EXPECT_EQ(1, call("run"));
        EXPECT_TRUE(query_service().found);
        EXPECT_EQ(r.earlier ? 2u : 1u, count());
        journal_Rollback();
        EXPECT_EQ(r.earlier, query_service().found);
        EXPECT_EQ(r.earlier ? "dword 2" : "<no key>",
                  reg_text(HKEY_LOCAL_MACHINE, kServiceKey, "Start"));
        Bytes b;
        EXPECT_EQ(r.earlier, fix_Load(dest, b));
        if (r.earlier) {
            EXPECT_EQ(v1, b);
        }
        EXPECT_EQ(r.earlier ? 1u : 0u, count());
        EXPECT_EQ(r.earlier ? 1u : 0u, shared_SystemCount(dest.c_str()));
    }
}

/* Texts that name no service do nothing and give 0. */
TEST_F(Driver, BadServiceName)
{
    const struct { const char *name, *service; } rows[] = {
        {"empty", "\"\""}, {"backslash", "\"a\\\\b\""}, {"null", "null"}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        load("run() { return installdriver(\"drv.sys\", " + func_Lit(dest) + ", " +
                 r.service + "); }",
             kCompany, kProduct, {{"drv.sys", v1}});
        EXPECT_EQ(0, call("run"));
        EXPECT_FALSE(fix_Exists(dest));
        EXPECT_TRUE(entries(LOG_DRIVER).empty());
    }
}

}  // namespace
