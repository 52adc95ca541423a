/* shared_win_test.cpp -- shared-file counts and driver removal against
 * Wine's real registry and service manager.  The counts live under a
 * company and a product name of this test's own, removed before and after
 * every test. */
#include "shared.h"
#include "pkgfix_gtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

static const char kCompany[] = "VellumTestCo";
static const char kProduct[] = "VellumTestProduct";
static const char kService[] = "VellumTestDrv";

static std::string counts_key(const char *owner)
{
    return std::string("Software\\") + owner + "\\Shared Files";
}

static const std::string kServiceKey =
    std::string("System\\CurrentControlSet\\Services\\") + kService;

static bool key_exists(const std::string &key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

/* The REG_DWORD count of name under owner, -1 when there is none. */
static long long count(const char *owner, const char *name)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, counts_key(owner).c_str(), 0,
                      KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return -1;
    DWORD type, n, size = sizeof n;
    LONG rc = RegQueryValueExA(h, name, NULL, &type, (BYTE *)&n, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return -1;
    EXPECT_EQ((DWORD)REG_DWORD, type) << name;
    return n;
}

static void set_value(const std::string &key, const char *name, DWORD type,
                      const void *data, DWORD size)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0,
                              KEY_SET_VALUE, NULL, &h, NULL))
        << key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(h, name, 0, type, (const BYTE *)data, size));
    RegCloseKey(h);
}

static void set_count(const char *owner, const char *name, DWORD n)
{
    set_value(counts_key(owner), name, REG_DWORD, &n, sizeof n);
}

static void make_key(const std::string &key)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0,
                              KEY_WRITE, NULL, &h, NULL))
        << key;
    RegCloseKey(h);
}

static void remove_all(void)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   (std::string("Software\\") + kCompany).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   (std::string("Software\\") + kProduct).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kServiceKey.c_str());
}

class SharedWin : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        remove_all();
        ASSERT_FALSE(key_exists(std::string("Software\\") + kCompany));
    }
    void TearDown() override
    {
        remove_all();
        ScratchTest::TearDown();
    }
};

TEST_F(SharedWin, AddRefCounts)
{
    shared_AddRef(kCompany, kProduct, "AcmeUI.dll");
    EXPECT_EQ(1, count(kCompany, "AcmeUI.dll"));
    shared_AddRef(kCompany, kProduct, "AcmeUI.dll");
    EXPECT_EQ(2, count(kCompany, "AcmeUI.dll"));
    shared_AddRef(kCompany, kProduct, "Other.dll");
    EXPECT_EQ(2, count(kCompany, "AcmeUI.dll"));
    EXPECT_EQ(1, count(kCompany, "Other.dll"));
    EXPECT_FALSE(key_exists(std::string("Software\\") + kProduct))
        << "the company's key, not the product's";
}

TEST_F(SharedWin, ReleaseCountsDownAndTakesTheLastValueWithTheKey)
{
    shared_AddRef(kCompany, kProduct, "AcmeUI.dll");
    shared_AddRef(kCompany, kProduct, "AcmeUI.dll");
    EXPECT_EQ(0, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    EXPECT_EQ(1, count(kCompany, "AcmeUI.dll"));
    EXPECT_EQ(1, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    EXPECT_EQ(-1, count(kCompany, "AcmeUI.dll"));
    EXPECT_FALSE(key_exists(counts_key(kCompany)))
        << "the key goes with its last value";
    EXPECT_TRUE(key_exists(std::string("Software\\") + kCompany))
        << "the company's key stays";
    /* Counted out: a further release finds nothing. */
    EXPECT_EQ(0, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
}

TEST_F(SharedWin, KeyStaysWhileOtherValuesRemain)
{
    set_count(kCompany, "AcmeUI.dll", 1);
    set_count(kCompany, "Other.dll", 3);
    EXPECT_EQ(1, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    EXPECT_EQ(-1, count(kCompany, "AcmeUI.dll"));
    EXPECT_EQ(3, count(kCompany, "Other.dll"));
    EXPECT_TRUE(key_exists(counts_key(kCompany)));
}

/* A name that was never counted: 0, and the registry as it was. */
TEST_F(SharedWin, ReleaseOfUncountedNameChangesNothing)
{
    const std::string co = std::string("Software\\") + kCompany;
    EXPECT_EQ(0, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    EXPECT_FALSE(key_exists(co)) << "no key made for nothing";

    set_count(kCompany, "Other.dll", 2);
    EXPECT_EQ(0, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    EXPECT_EQ(2, count(kCompany, "Other.dll"));

    /* A value that is not a count is left alone. */
    set_value(counts_key(kCompany), "AcmeUI.dll", REG_SZ, "1", 2);
    EXPECT_EQ(0, shared_Release(kCompany, kProduct, "AcmeUI.dll"));
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                           counts_key(kCompany).c_str(), 0,
                                           KEY_QUERY_VALUE, &h));
    char text[8] = "";
    DWORD type, size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "AcmeUI.dll", NULL, &type,
                                              (BYTE *)text, &size));
    RegCloseKey(h);
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_STREQ("1", text);
    EXPECT_EQ(2, count(kCompany, "Other.dll"));
}

/* Without a company the counts live under the product's name; with
 * neither name there are none. */
TEST_F(SharedWin, Owner)
{
    struct Row {
        const char *name;
        const char *company;
    } rows[] = {{"no company", nullptr}, {"empty company", ""}};
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        shared_AddRef(r.company, kProduct, "AcmeUI.dll");
        EXPECT_EQ(1, count(kProduct, "AcmeUI.dll"));
        EXPECT_FALSE(key_exists(std::string("Software\\") + kCompany));
        EXPECT_EQ(1, shared_Release(r.company, kProduct, "AcmeUI.dll"));
        EXPECT_FALSE(key_exists(counts_key(kProduct)));
    }
    /* Neither name: nothing is counted anywhere. */
    ASSERT_FALSE(key_exists("Software\\Shared Files"));
    shared_AddRef(nullptr, "", "AcmeUI.dll");
    EXPECT_FALSE(key_exists("Software\\Shared Files"));
    EXPECT_FALSE(key_exists("Software\\\\Shared Files"));
    set_count(kProduct, "AcmeUI.dll", 1);
    EXPECT_EQ(0, shared_Release("", nullptr, "AcmeUI.dll"));
    EXPECT_EQ(1, count(kProduct, "AcmeUI.dll"));
}

/* ---- driver removal ---------------------------------------------------- */

class DriverWin : public SharedWin {
protected:
    std::string driver;
    void SetUp() override
    {
        SharedWin::SetUp();
        driver = path("vltest.sys");
        ASSERT_TRUE(fix_Save(driver, {'M', 'Z'}));
        make_key(kServiceKey + "\\Enum");
        make_key(kServiceKey + "\\Security");
    }
    void expect_driver(bool present)
    {
        EXPECT_EQ(present, key_exists(kServiceKey + "\\Enum"));
        EXPECT_EQ(present, key_exists(kServiceKey + "\\Security"));
        EXPECT_EQ(present, key_exists(kServiceKey));
        EXPECT_EQ(present, fix_Exists(driver));
    }
};

TEST_F(DriverWin, StaysWhileCounted)
{
    struct Row {
        const char *name;
        long long   before, after;   /* -1: no count */
    } rows[] = {{"count 2", 2, 1}, {"not counted", -1, -1}};
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                       (std::string("Software\\") + kCompany).c_str());
        if (r.before >= 0)
            set_count(kCompany, kService, (DWORD)r.before);
        shared_RemoveDriver(kCompany, kProduct, driver.c_str(), kService, 0);
        EXPECT_EQ(r.after, count(kCompany, kService));
        expect_driver(true);
    }
}

TEST_F(DriverWin, GoesWithTheLastCount)
{
    set_count(kCompany, kService, 1);
    shared_RemoveDriver(kCompany, kProduct, driver.c_str(), kService, 0);
    EXPECT_EQ(-1, count(kCompany, kService));
    expect_driver(false);
}

/* On the NT family the service goes too, through the service manager. */
TEST_F(DriverWin, NtServiceDeleted)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kServiceKey.c_str());
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, scm);
    SC_HANDLE s = CreateServiceA(
        scm, kService, kService, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
        SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, driver.c_str(), NULL, NULL,
        NULL, NULL, NULL);
    ASSERT_NE(nullptr, s) << GetLastError();
    CloseServiceHandle(s);
    make_key(kServiceKey + "\\Enum");
    make_key(kServiceKey + "\\Security");
    set_count(kCompany, kService, 1);

    shared_RemoveDriver(kCompany, kProduct, driver.c_str(), kService, 1);
    s = OpenServiceA(scm, kService, SERVICE_QUERY_STATUS);
    EXPECT_EQ(nullptr, s) << "service still there";
    if (s) {
        DeleteService(s);
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
    EXPECT_EQ(-1, count(kCompany, kService));
    expect_driver(false);
}

/* ---- the system's counts ------------------------------------------------ */

static const char kSystemKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

/* The system count of path, -1 when there is none. */
static long long system_count(const std::string &path)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemKey, 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return -1;
    DWORD type, n, size = sizeof n;
    LONG rc = RegQueryValueExA(h, path.c_str(), NULL, &type, (BYTE *)&n, &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? (long long)n : -1;
}

static void set_system_count(const std::string &path, long long n)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSystemKey, 0, NULL, 0,
                              KEY_SET_VALUE, NULL, &h, NULL));
    DWORD v = (DWORD)n;
    if (n < 0)
        RegDeleteValueA(h, path.c_str());
    else
        RegSetValueExA(h, path.c_str(), 0, REG_DWORD, (const BYTE *)&v,
                       sizeof v);
    RegCloseKey(h);
}

TEST_F(SharedWin, SystemCountsByFullPath)
{
    const std::string file = path("AcmeUI.dll");
    set_system_count(file, -1);
    EXPECT_EQ(-1, shared_SystemRelease(file.c_str())) << "not counted";
    shared_SystemAddRef(file.c_str());
    shared_SystemAddRef(file.c_str());
    EXPECT_EQ(2u, shared_SystemCount(file.c_str()));
    std::string other = file;
    for (char &c : other)
        c = (char)toupper((unsigned char)c);
    EXPECT_EQ(2u, shared_SystemCount(other.c_str()))
        << "value names ignore letter case, as file names do";
    EXPECT_EQ(0, shared_SystemRelease(file.c_str()));
    EXPECT_EQ(1, shared_SystemRelease(file.c_str()));
    EXPECT_EQ(-1, system_count(file)) << "the value goes at 0";
}

/* A product's release of a shared file: both counts down by one, the file
 * free only when neither holds it; a count kept by another installer, or
 * a file this product's company never counted, keeps it. */
TEST_F(SharedWin, ReleaseFileNeedsBothCounts)
{
    const std::string file = path("AcmeUI.dll");
    struct Row {
        const char *name;
        long long   company, system;            /* before; -1 none */
        int         result;
        long long   companyAfter, systemAfter;
    } rows[] = {
        {"last of both", 1, 1, 1, -1, -1},
        {"a log of the older setup: no system count", 1, -1, 1, -1, -1},
        {"another installer holds it", 1, 2, 0, -1, 1},
        {"another product of the company holds it", 2, 2, 0, 1, 1},
        {"never counted by the company: foreign", -1, 1, 0, -1, 1},
        {"counted by nobody", -1, -1, 0, -1, -1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        remove_all();
        if (r.company >= 0)
            set_count(kCompany, "AcmeUI.dll", (DWORD)r.company);
        set_system_count(file, r.system);
        EXPECT_EQ(r.result, shared_ReleaseFile(kCompany, kProduct, "AcmeUI.dll",
                                               file.c_str()));
        EXPECT_EQ(r.companyAfter, count(kCompany, "AcmeUI.dll"));
        EXPECT_EQ(r.systemAfter, system_count(file));
    }
    set_system_count(file, -1);
    shared_AddFile(kCompany, kProduct, "AcmeUI.dll", file.c_str());
    EXPECT_EQ(1, count(kCompany, "AcmeUI.dll")) << "row added";
    EXPECT_EQ(1, system_count(file)) << "row added";
    EXPECT_EQ(1, shared_ReleaseFile(kCompany, kProduct, "AcmeUI.dll",
                                    file.c_str()))
        << "row added";
}

/* A driver that another installer counts stays. */
TEST_F(DriverWin, StaysWhileTheSystemCountsIt)
{
    set_count(kCompany, kService, 1);
    set_system_count(driver, 2);
    EXPECT_EQ(0, shared_RemoveDriver(kCompany, kProduct, driver.c_str(),
                                     kService, 0));
    EXPECT_EQ(1, system_count(driver));
    expect_driver(true);
    set_system_count(driver, -1);
}
