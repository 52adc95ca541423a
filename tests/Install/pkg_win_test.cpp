/* pkg_win_test.cpp -- the package reader on Windows, run under Wine: pkg_Open
 * through the real file mapping, what others may do with the file while the
 * package is open, and members written to real files by the version rule,
 * with the x86_64 PE fixtures.  Packages are written at run time into a
 * scratch folder under the temp folder. */
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"
#include "pkgfix.h"
#include "pkgfix_gtest.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

static const std::string kScript = "[Setup]\r\nProduct=Sample\r\n";

static Bytes load_pe(const char *tag)
{
    Bytes b;
    EXPECT_TRUE(fix_Load(fix_PePath("x64", tag), b)) << "fixture " << tag;
    return b;
}

/* Install.ini, and every x64 fixture as <tag>.dll in the folder Lib. */
static Bytes sample(void)
{
    PkwPackage p;
    pkw_Init(p);
    EXPECT_EQ(1, pkw_AddFile(p, 0, "Install.ini", kScript.data(),
                             kScript.size(), 9, NULL));
    int lib = pkw_AddFolder(p, 0, "Lib", NULL);
    for (size_t i = 0; i < fix_PeCount; i++) {
        Bytes b = load_pe(fix_Pe[i].tag);
        std::string name = std::string(fix_Pe[i].tag) + ".dll";
        EXPECT_LT(0, pkw_AddFile(p, lib, name.c_str(), b.data(), b.size(), 9,
                                 NULL));
    }
    Bytes out;
    EXPECT_EQ(PKW_OK, pkw_Serialize(p, out));
    return out;
}

static Bytes concat(const Bytes &a, const Bytes &b)
{
    Bytes r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

typedef ScratchTest PkgWin;

/* ---- open ---------------------------------------------------------------- */

TEST_F(PkgWin, OpenCodes)
{
    const Bytes pkg = sample();
    const size_t dataEnd = PKG_HEADER_SIZE + fix_Get32(pkg, 4);
    Bytes dataDamaged = pkg, dirDamaged = pkg, noCount = pkg;
    dataDamaged[PKG_HEADER_SIZE + 10] ^= 0x40;
    dirDamaged[dataEnd + 5] ^= 0x40;
    fix_Put32(noCount, 16, 0);
    OpenFiles(
        {
            {"intact", true, pkg, PKG_OK},
            {"after a PE image", true, concat(load_pe("v1_2_3_4"), pkg),
             PKG_OK},
            {"missing", false, {}, PKG_EOPEN},
            {"empty", true, {}, PKG_EMAP},
            {"no header", true, Bytes(4096, 0x5A), PKG_ENOHEADER},
            {"cut inside the data area", true,
             Bytes(pkg.begin(), pkg.begin() + dataEnd / 2), PKG_ERANGE},
            {"last byte missing", true, Bytes(pkg.begin(), pkg.end() - 1),
             PKG_ERANGE},
            {"data area damaged", true, dataDamaged, PKG_ECHECKSUM},
            {"directory damaged", true, dirDamaged, PKG_ECHECKSUM},
            {"count 0", true, noCount, PKG_EDIR},
        },
        pkg.size(), [](PackageHandle *h) {
            /* the member block is global memory, NUL-terminated */
            void *block = NULL;
            uint32_t size = 0;
            ASSERT_EQ(PKG_OK, pkg_Extract(h, "install.INI", &block, &size));
            ASSERT_EQ(kScript.size(), size);
            EXPECT_EQ(kScript, std::string((const char *)block, size));
            EXPECT_EQ(0, ((const char *)block)[size]);
            EXPECT_GE(GlobalSize(block), (SIZE_T)size + 1);
            EXPECT_EQ(nullptr, GlobalFree(block));
        });
}

/* What another opener may do with the file while the package is open. */
struct Attempt {
    const char *name;
    BOOL (*run)(const std::string &file, const std::string &other);
};

static const DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static BOOL open_with(const std::string &file, DWORD access, DWORD share,
                      DWORD disposition)
{
    HANDLE f = CreateFileA(file.c_str(), access, share, NULL, disposition,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(f);
    return TRUE;
}

static const Attempt kRead = {
    "read, sharing reading", [](const std::string &f, const std::string &) {
        return open_with(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    }};

static const Attempt kDenied[] = {
    {"write, sharing everything",
     [](const std::string &f, const std::string &) {
         return open_with(f, GENERIC_WRITE,
                          kShareAll,
                          OPEN_EXISTING);
     }},
    {"read without sharing",
     [](const std::string &f, const std::string &) {
         return open_with(f, GENERIC_READ, 0, OPEN_EXISTING);
     }},
    {"truncate",
     [](const std::string &f, const std::string &) {
         return open_with(f, GENERIC_WRITE,
                          kShareAll,
                          TRUNCATE_EXISTING);
     }},
    {"delete",
     [](const std::string &f, const std::string &) {
         return DeleteFileA(f.c_str());
     }},
    {"rename",
     [](const std::string &f, const std::string &other) {
         return MoveFileA(f.c_str(), other.c_str());
     }},
};

TEST_F(PkgWin, OpenPackageSharesReadingOnly)
{
    const Bytes pkg = sample();
    const std::string file = path("setup.exe"), other = path("moved.exe");
    ASSERT_TRUE(fix_Save(file, pkg));
    PackageHandle *h = NULL;
    ASSERT_EQ(PKG_OK, pkg_Open(file.c_str(), &h));

    /* others may read, also through a second open package */
    EXPECT_TRUE(kRead.run(file, other)) << "row " << kRead.name;
    Bytes seen;
    EXPECT_TRUE(fix_Load(file, seen) && seen == pkg) << "row read back";
    PackageHandle *second = NULL;
    EXPECT_EQ(PKG_OK, pkg_Open(file.c_str(), &second)) << "row second open";
    pkg_Close(second);

    for (const Attempt &a : kDenied) {
        SetLastError(0);
        EXPECT_FALSE(a.run(file, other)) << "row " << a.name;
        EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError())
            << "row " << a.name;
    }
    EXPECT_TRUE(fix_Load(file, seen) && seen == pkg) << "row unchanged";
    EXPECT_EQ(PKG_OK, pkg_Extract(h, "Lib\\v2_0_0_0.dll", NULL, NULL));

    /* closed, the file is free again (delete and rename take it away) */
    pkg_Close(h);
    for (const Attempt &a : kDenied) {
        DeleteFileA(other.c_str());
        ASSERT_TRUE(fix_Exists(file) || fix_Save(file, pkg));
        EXPECT_TRUE(a.run(file, other)) << "row after close: " << a.name;
    }
    EXPECT_FALSE(fix_Exists(file));
    EXPECT_TRUE(fix_Exists(other));
}

/* pkg_Open next to another opener of the file. */
TEST_F(PkgWin, OpenWhileOthersHoldTheFile)
{
    const struct {
        const char *name;
        DWORD access, share;
        int code;
    } rows[] = {
        {"reader sharing reading", GENERIC_READ, FILE_SHARE_READ, PKG_OK},
        {"reader sharing nothing", GENERIC_READ, 0, PKG_EOPEN},
        {"writer sharing everything", GENERIC_WRITE, kShareAll, PKG_EOPEN},
    };
    const std::string file = path("setup.exe");
    ASSERT_TRUE(fix_Save(file, sample()));
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        HANDLE f = CreateFileA(file.c_str(), r.access, r.share, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        PackageHandle *h = NULL;
        EXPECT_EQ(r.code, pkg_Open(file.c_str(), &h));
        pkg_Close(h);
        CloseHandle(f);
    }
}

/* ---- versions and members onto disk -------------------------------------- */

/* Windows' own reading of the fixed version information. */
static uint64_t windows_version(const std::string &file)
{
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return FILE_NO_VERSION;
    std::vector<char> info(size);
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT len = 0;
    if (!GetFileVersionInfoA(file.c_str(), 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\", (void **)&fixed, &len) ||
        len < sizeof *fixed)
        return 0; /* neither a version nor its absence */
    return (uint64_t)fixed->dwFileVersionMS << 32 | fixed->dwFileVersionLS;
}

static uint64_t tag_version(const char *tag)
{
    for (size_t i = 0; i < fix_PeCount; i++)
        if (strcmp(fix_Pe[i].tag, tag) == 0)
            return fix_Pe[i].version;
    ADD_FAILURE() << "no fixture " << tag;
    return 0;
}

TEST(PkgWinVersion, AgreesWithWindows)
{
    for (size_t i = 0; i < fix_PeCount; i++) {
        SCOPED_TRACE(std::string("row ") + fix_Pe[i].tag);
        std::string file = fix_PePath("x64", fix_Pe[i].tag);
        EXPECT_EQ(fix_Pe[i].version, file_GetFileVersion(file.c_str()));
        EXPECT_EQ(fix_Pe[i].version, windows_version(file));
    }
}

TEST_F(PkgWin, InstallMember)
{
    enum Dest { D_PE, D_MISSING, D_HELD };
    const struct {
        const char *name;
        const char *member; /* Lib\<member>.dll */
        Dest dest;
        const char *destTag;
        int install;
        bool replaced;
    } rows[] = {
        {"same version", "v1_2_3_4", D_PE, "v1_2_3_4", 1, false},
        {"dest newer", "v1_2_3_4", D_PE, "v1_2_3_5", 1, false},
        {"dest much newer", "v1_2_40000_0", D_PE, "v2_0_0_0", 1, false},
        {"dest older", "v2_0_0_0", D_PE, "v1_2_40000_0", 1, true},
        {"dest unversioned", "v1_2_3_4", D_PE, "nover", 1, true},
        {"dest missing", "v1_2_3_5", D_MISSING, NULL, 1, true},
        {"member unversioned", "nover", D_PE, "v2_0_0_0", 1, true},
        {"dest held open by another", "v2_0_0_0", D_HELD, "v1_2_3_4", 0,
         false},
    };
    PackageHandle *h = NULL;
    const std::string pkgFile = path("setup.exe");
    ASSERT_TRUE(fix_Save(pkgFile, sample()));
    ASSERT_EQ(PKG_OK, pkg_Open(pkgFile.c_str(), &h));
    static const char marker[] = "\nthe file that was there";
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        std::string member = std::string("Lib\\") + r.member + ".dll";
        std::string dest = path("dest.dll");
        Bytes before;
        if (r.dest != D_MISSING) {
            before = load_pe(r.destTag);
            before.insert(before.end(), marker, marker + sizeof marker - 1);
            ASSERT_TRUE(fix_Save(dest, before));
        }
        HANDLE held = INVALID_HANDLE_VALUE;
        if (r.dest == D_HELD) {
            held = CreateFileA(dest.c_str(), GENERIC_READ, 0, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        }
        EXPECT_EQ(r.install,
                  pkg_InstallMember(h, member.c_str(), dest.c_str()));
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        Bytes after;
        ASSERT_TRUE(fix_Load(dest, after));
        if (r.replaced) {
            EXPECT_TRUE(after == load_pe(r.member))
                << "dest holds " << after.size() << " bytes";
            EXPECT_EQ(tag_version(r.member), windows_version(dest));
        } else {
            EXPECT_TRUE(after == before)
                << "dest holds " << after.size() << " bytes";
        }
        EXPECT_TRUE(DeleteFileA(dest.c_str()));
    }
    pkg_Close(h);
}
