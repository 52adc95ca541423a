/* pkg_test.cpp -- the package reader natively, under ASan and UBSan: lookup,
 * open codes, damaged and truncated packages, extraction, PE file versions
 * and the install rule, with the real PE fixture DLLs (pkgfix.h).
 *
 * Every damaged input is an exact-size heap copy, so a read one byte past
 * what the reader was given stops the test. */
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"
#include "pkgfix.h"
#include "pkgfix_gtest.h"

#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HAVE_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define HAVE_ASAN 1
#endif

#ifdef HAVE_ASAN
#include <sanitizer/allocator_interface.h>

/* A damaged size or count must be refused before anything of its size is
 * allocated: past 256 MiB an allocation stops the test. */
extern "C" const char *__asan_default_options(void)
{
    return "max_allocation_size_mb=256:allocator_may_return_null=0";
}
#endif

typedef std::vector<uint8_t> Bytes;
typedef std::vector<PackageEntry> Dir;

static const uint64_t V1234 = 0x0001000200030004ull;

/* ---- helpers ------------------------------------------------------------- */

/* A package opened over its own copy of the bytes, closed at scope end. */
struct Opened {
    Bytes          bytes;
    PackageHandle *h = nullptr;
    int            rc;
    explicit Opened(const Bytes &b) : bytes(b)
    {
        rc = pkg_OpenView(bytes.data(), bytes.size(), &h);
    }
    ~Opened() { pkg_Close(h); }
    Opened(const Opened &) = delete;
    Opened &operator=(const Opened &) = delete;
};

static Bytes prefix(const Bytes &b, size_t n)
{
    return Bytes(b.begin(), b.begin() + (std::min)(n, b.size()));
}

static Bytes text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

static Bytes concat(const Bytes &a, const Bytes &b)
{
    Bytes r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

static void edit_dir(Bytes &pkg, void (*edit)(Dir &, const Bytes &))
{
    Dir dir;
    ASSERT_TRUE(fix_ReadDirectory(pkg, 0, dir));
    edit(dir, pkg);
    fix_WriteDirectory(pkg, 0, dir);
}

static Bytes load_pe(const char *arch, const char *tag)
{
    Bytes b;
    EXPECT_TRUE(fix_Load(fix_PePath(arch, tag), b))
        << "fixture " << fix_PePath(arch, tag);
    return b;
}

static const char *const kArchs[] = {"x64", "x86"};

/* ---- the sample package -------------------------------------------------- */

enum {
    I_ROOT, I_INSTALL, I_FOLDER, I_FOLDER_FILE, I_SUB, I_DEEP, I_ROOT_FILE,
    I_TWIN, I_BRACKET, I_LONG, I_UMLAUT, I_EMPTY, I_COUNT
};

static const std::string kScript = "[Setup]\r\nProduct=Sample\r\n";
static const std::string kTwin = "[Setup]\r\nProduct=Other!\r\n";
static const std::string kLong(259, 'n');

static std::string deep_bytes(void)
{
    std::string s;
    for (int i = 0; i < 3000; i++)
        s += (char)(i * 7 + (i >> 8));
    return s;
}

/* What each member of the sample holds. */
static std::string sample_content(int index)
{
    switch (index) {
    case I_INSTALL: return kScript;
    case I_FOLDER_FILE: return "in folder";
    case I_DEEP: return deep_bytes();
    case I_ROOT_FILE: return "in root";
    case I_TWIN: return kTwin;
    case I_BRACKET: return "bracket";
    case I_LONG: return "long";
    case I_UMLAUT: return "umlaut";
    default: return "";
    }
}

/* Root, a script, a folder with a file and a subfolder, a file of the same
 * name in the root, and names that probe case folding and length. */
static Bytes sample(void)
{
    PkwPackage p;
    pkw_Init(p);
    struct {
        int parent;
        const char *name;
        bool folder;
        int index;
    } rows[] = {
        {I_ROOT, "Install.ini", false, I_INSTALL},
        {I_ROOT, "Folder", true, I_FOLDER},
        {I_FOLDER, "file.txt", false, I_FOLDER_FILE},
        {I_FOLDER, "Sub", true, I_SUB},
        {I_SUB, "deep.bin", false, I_DEEP},
        {I_ROOT, "file.txt", false, I_ROOT_FILE},
        {I_ROOT, "twin.ini", false, I_TWIN},
        {I_ROOT, "a[b", false, I_BRACKET},
        {I_ROOT, kLong.c_str(), false, I_LONG},
        {I_ROOT, "\xC4.txt", false, I_UMLAUT},
        {I_ROOT, "empty.dat", false, I_EMPTY},
    };
    for (const auto &r : rows) {
        std::string data = sample_content(r.index);
        int got = r.folder ? pkw_AddFolder(p, r.parent, r.name, NULL)
                           : pkw_AddFile(p, r.parent, r.name, data.data(),
                                         data.size(), 9, NULL);
        EXPECT_EQ(r.index, got) << "sample entry " << r.name;
    }
    Bytes out;
    EXPECT_EQ(PKW_OK, pkw_Serialize(p, out));
    return out;
}

static uint32_t data_size(const Bytes &pkg)
{
    return fix_Get32(pkg, 4);
}

/* ---- lookup -------------------------------------------------------------- */

TEST(PkgFind, Paths)
{
    const std::string long260(260, 'n');
    const struct {
        std::string path;
        int index; /* -1: nothing */
    } rows[] = {
        {"", I_ROOT},
        {".", I_ROOT},
        {".\\", I_ROOT},
        {"Install.ini", I_INSTALL},
        {"INSTALL.INI", I_INSTALL},
        {"iNsTaLl.InI", I_INSTALL},
        {".\\Install.ini", I_INSTALL},
        {".\\install.ini", I_INSTALL},
        {"\\Install.ini", -1},
        {"Install.ini\\", I_INSTALL},
        {"Install.ini\\more", -1},
        {"Install.ini\\.", -1},
        {"Install.in", -1},
        {"Install.ini2", -1},
        {"Install.ini ", -1},
        {"Folder", I_FOLDER},
        {"Folder\\", I_FOLDER},
        {"folder\\FILE.TXT", I_FOLDER_FILE},
        {"Folder\\file.txt", I_FOLDER_FILE},
        {"file.txt", I_ROOT_FILE},
        {".\\file.txt", I_ROOT_FILE},
        {"Folder\\Sub\\deep.bin", I_DEEP},
        {".\\FOLDER\\sub\\DEEP.BIN", I_DEEP},
        {"Folder\\Sub\\", I_SUB},
        {"deep.bin", -1},
        {"Sub\\deep.bin", -1},
        {"Folder\\deep.bin", -1},
        {"Folder\\Install.ini", -1},
        {"Folder\\.", -1},
        {"Folder\\.\\file.txt", -1},
        {"Folder\\\\file.txt", -1},
        {"Folder\\..\\Install.ini", -1},
        {"..", -1},
        {"a[b", I_BRACKET},
        {"A[B", I_BRACKET},
        {"a{b", -1}, /* '[' + 32 is '{': only A-Z fold */
        {"\xC4.TXT", I_UMLAUT},
        {"\xE4.txt", -1}, /* no folding beyond ASCII */
        {kLong, I_LONG},
        {std::string(259, 'N'), I_LONG},
        {long260, -1},
        {long260 + "\\x", -1},
        {std::string(100000, 'n'), -1},
    };
    Opened o(sample());
    ASSERT_EQ(PKG_OK, o.rc);
    ASSERT_EQ((uint32_t)I_COUNT, o.h->count);
    for (const auto &r : rows) {
        SCOPED_TRACE("row \"" + r.path.substr(0, 40) + "\"");
        int index = -7;
        PackageEntry *e = pkg_Find(o.h, r.path.c_str(), &index);
        if (r.index < 0) {
            EXPECT_EQ(nullptr, e);
            EXPECT_EQ(PKG_NO_SIZE, pkg_GetSize(o.h, r.path.c_str()));
            EXPECT_EQ(PKG_XNOENTRY,
                      pkg_Extract(o.h, r.path.c_str(), NULL, NULL));
            continue;
        }
        EXPECT_EQ(&o.h->dir[r.index], e);
        EXPECT_EQ(r.index, index);
        EXPECT_EQ(e, pkg_Find(o.h, r.path.c_str(), NULL));
        EXPECT_EQ(sample_content(r.index).size(),
                  pkg_GetSize(o.h, r.path.c_str()));
    }
}

/* Lookups in edited directories.  A folder's children are looked for from
 * the folder's own index onward: an entry placed before its folder is never
 * found. */
TEST(PkgFind, EditedDirectories)
{
    const struct {
        const char *name;
        void (*edit)(Dir &, const Bytes &);
        std::string path;
        int index;
    } rows[] = {
        {"child after its folder",
         [](Dir &d, const Bytes &) { d[I_ROOT_FILE].parent = I_SUB; },
         "Folder\\Sub\\file.txt", I_ROOT_FILE},
        {"child before its folder",
         [](Dir &d, const Bytes &) { d[I_INSTALL].parent = I_FOLDER; },
         "Folder\\Install.ini", -1},
        {"moved child no longer in the root",
         [](Dir &d, const Bytes &) { d[I_INSTALL].parent = I_FOLDER; },
         "Install.ini", -1},
        {"first of two equal names wins",
         [](Dir &d, const Bytes &) { strcpy(d[I_TWIN].name, "INSTALL.INI"); },
         "install.ini", I_INSTALL},
        {"a folder bit is needed to go on",
         [](Dir &d, const Bytes &) { d[I_FOLDER].attributes = PKG_ATTR_FILE; },
         "Folder\\file.txt", -1},
        {"a folder bit on a file lets the path go on",
         [](Dir &d, const Bytes &) {
             d[I_INSTALL].attributes |= PKG_ATTR_FOLDER;
             d[I_ROOT_FILE].parent = I_INSTALL;
         },
         "Install.ini\\file.txt", I_ROOT_FILE},
        {"a name of 260 bytes without its NUL is never matched",
         [](Dir &d, const Bytes &) {
             memset(d[I_LONG].name, 'n', PKG_NAME_SIZE);
             d[I_LONG].size = 0x100; /* the byte after the name is 0 */
         },
         std::string(260, 'n'), -1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        Bytes pkg = sample();
        ASSERT_NO_FATAL_FAILURE(edit_dir(pkg, r.edit));
        Opened o(pkg);
        ASSERT_EQ(PKG_OK, o.rc);
        PackageEntry *e = pkg_Find(o.h, r.path.c_str(), NULL);
        EXPECT_EQ(r.index < 0 ? nullptr : &o.h->dir[r.index], e);
    }
}

/* ---- extraction ---------------------------------------------------------- */

/* Extracts path and checks the result: the block is one byte longer than
 * the member, ends with a NUL and holds want; on failure no block. */
static void check_extract(PackageHandle *h, const char *path, int code,
                          const std::string &want)
{
    void *block = (void *)&block; /* must be overwritten */
    uint32_t size = 0xDEADBEEF;
    ASSERT_EQ(code, pkg_Extract(h, path, &block, &size));
    if (code != PKG_OK) {
        EXPECT_EQ(nullptr, block);
        return;
    }
    ASSERT_NE(nullptr, block);
    ASSERT_EQ(want.size(), size);
    const char *p = (const char *)block;
    EXPECT_EQ(0, p[size]);
    EXPECT_EQ(want, std::string(p, size));
#ifdef HAVE_ASAN
    EXPECT_EQ((size_t)size + 1, __sanitizer_get_allocated_size(block));
#endif
    pkg_Free(block);
}

TEST(PkgExtract, Members)
{
    const struct {
        const char *path;
        int code;
        int index; /* content of that member on success */
    } rows[] = {
        {"Install.ini", PKG_OK, I_INSTALL},
        {"FOLDER\\FILE.TXT", PKG_OK, I_FOLDER_FILE},
        {".\\Folder\\Sub\\deep.bin", PKG_OK, I_DEEP},
        {"twin.ini", PKG_OK, I_TWIN},
        {"empty.dat", PKG_OK, I_EMPTY},
        {"Folder", PKG_XINFLATE, 0},
        {"Folder\\Sub\\", PKG_XINFLATE, 0},
        {"", PKG_XINFLATE, 0},
        {"missing.txt", PKG_XNOENTRY, 0},
        {"\\Install.ini", PKG_XNOENTRY, 0},
    };
    Opened o(sample());
    ASSERT_EQ(PKG_OK, o.rc);
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.path);
        check_extract(o.h, r.path, r.code, sample_content(r.index));
    }
}

TEST(PkgExtract, OptionalOutputs)
{
    Opened o(sample());
    ASSERT_EQ(PKG_OK, o.rc);
    uint32_t size = 0;
    EXPECT_EQ(PKG_OK, pkg_Extract(o.h, "Install.ini", NULL, &size));
    EXPECT_EQ(kScript.size(), size);
    EXPECT_EQ(PKG_OK, pkg_Extract(o.h, "Install.ini", NULL, NULL));
    void *block = NULL;
    EXPECT_EQ(PKG_OK, pkg_ExtractEntry(o.h, &o.h->dir[I_TWIN], &block, NULL));
    EXPECT_STREQ(kTwin.c_str(), (const char *)block);
    pkg_Free(block);
    EXPECT_EQ(PKG_XNOENTRY, pkg_ExtractEntry(o.h, NULL, &block, NULL));
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(PKG_XNOENTRY, pkg_Extract(NULL, "Install.ini", &block, NULL));
    EXPECT_EQ(nullptr, block);
}

/* Any zlib stream is accepted, whatever level wrote it. */
TEST(PkgExtract, AnyCompressionLevel)
{
    const std::string data = deep_bytes() + kScript;
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE("row level " + std::to_string(level));
        PkwPackage p;
        pkw_Init(p);
        ASSERT_EQ(1, pkw_AddFile(p, 0, "m.bin", data.data(), data.size(),
                                 level, NULL));
        Bytes out;
        ASSERT_EQ(PKW_OK, pkw_Serialize(p, out));
        Opened o(out);
        ASSERT_EQ(PKG_OK, o.rc);
        check_extract(o.h, "m.bin", PKG_OK, data);
    }
}

/* Entries whose fields do not fit their stream or the data area; the sample
 * is opened fine and Install.ini is extracted. */
TEST(PkgExtract, DamagedEntries)
{
    const struct {
        const char *name;
        void (*edit)(Dir &, const Bytes &);
        int code;
        const std::string *content;
    } rows[] = {
        {"intact", [](Dir &, const Bytes &) {}, PKG_OK, &kScript},
        {"stream starts at the data end",
         [](Dir &d, const Bytes &p) { d[I_INSTALL].offset = data_size(p); },
         PKG_XINFLATE, NULL},
        {"stream ends one byte past the data end",
         [](Dir &d, const Bytes &p) {
             d[I_INSTALL].offset = data_size(p) - d[I_INSTALL].packedSize + 1;
         },
         PKG_XINFLATE, NULL},
        {"offset 0xFFFFFFFF",
         [](Dir &d, const Bytes &) { d[I_INSTALL].offset = 0xFFFFFFFFu; },
         PKG_XINFLATE, NULL},
        {"offset plus packed size wraps to 0",
         [](Dir &d, const Bytes &) {
             d[I_INSTALL].offset = 0x80000000u;
             d[I_INSTALL].packedSize = 0x80000000u;
         },
         PKG_XINFLATE, NULL},
        {"packed size past the data end",
         [](Dir &d, const Bytes &p) {
             d[I_INSTALL].packedSize = data_size(p) + 1;
         },
         PKG_XINFLATE, NULL},
        {"packed size 0xFFFFFFFF",
         [](Dir &d, const Bytes &) { d[I_INSTALL].packedSize = 0xFFFFFFFFu; },
         PKG_XINFLATE, NULL},
        {"packed size one short",
         [](Dir &d, const Bytes &) { d[I_INSTALL].packedSize -= 1; },
         PKG_XINFLATE, NULL},
        {"packed size 0",
         [](Dir &d, const Bytes &) { d[I_INSTALL].packedSize = 0; },
         PKG_XINFLATE, NULL},
        {"packed size 4 longer: bytes after the stream are ignored",
         [](Dir &d, const Bytes &) { d[I_INSTALL].packedSize += 4; },
         PKG_OK, &kScript},
        {"size 0xFFFFFFFF",
         [](Dir &d, const Bytes &) { d[I_INSTALL].size = 0xFFFFFFFFu; },
         PKG_XINFLATE, NULL},
        {"size 0x7FFFFFFF",
         [](Dir &d, const Bytes &) { d[I_INSTALL].size = 0x7FFFFFFFu; },
         PKG_XINFLATE, NULL},
        {"size one more",
         [](Dir &d, const Bytes &) { d[I_INSTALL].size += 1; },
         PKG_XINFLATE, NULL},
        {"size one less",
         [](Dir &d, const Bytes &) { d[I_INSTALL].size -= 1; },
         PKG_XINFLATE, NULL},
        {"size 0",
         [](Dir &d, const Bytes &) { d[I_INSTALL].size = 0; },
         PKG_XINFLATE, NULL},
        {"checksum altered",
         [](Dir &d, const Bytes &) { d[I_INSTALL].checksum ^= 1; },
         PKG_XCHECKSUM, NULL},
        {"checksum equal to the 4 bytes after the stream",
         [](Dir &d, const Bytes &p) {
             PackageEntry &e = d[I_INSTALL];
             size_t after = PKG_HEADER_SIZE + e.offset + e.packedSize;
             e.checksum = (uint32_t)p[after] << 24 | p[after + 1] << 16 |
                          p[after + 2] << 8 | p[after + 3];
             e.packedSize += 4;
         },
         PKG_XCHECKSUM, NULL},
        {"stream of another member of the same size",
         [](Dir &d, const Bytes &) {
             d[I_INSTALL].offset = d[I_TWIN].offset;
             d[I_INSTALL].packedSize = d[I_TWIN].packedSize;
         },
         PKG_XCHECKSUM, NULL},
        {"stream and checksum of another member",
         [](Dir &d, const Bytes &) {
             d[I_INSTALL].offset = d[I_TWIN].offset;
             d[I_INSTALL].packedSize = d[I_TWIN].packedSize;
             d[I_INSTALL].checksum = d[I_TWIN].checksum;
         },
         PKG_OK, &kTwin},
        {"fields of a folder",
         [](Dir &d, const Bytes &) {
             d[I_INSTALL].size = d[I_INSTALL].packedSize = 0;
             d[I_INSTALL].offset = d[I_INSTALL].checksum = 0;
         },
         PKG_XINFLATE, NULL},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        Bytes pkg = sample();
        ASSERT_NO_FATAL_FAILURE(edit_dir(pkg, r.edit));
        Opened o(pkg);
        ASSERT_EQ(PKG_OK, o.rc);
        check_extract(o.h, "Install.ini", r.code, r.content ? *r.content : "");
    }
}

/* Damage inside a member's stream, with the package checksums made good:
 * the package opens and only that member fails. */
TEST(PkgExtract, DamagedStreams)
{
    const struct {
        const char *name;
        long at; /* in the stream; negative: from its end */
        uint8_t flip;
    } rows[] = {
        {"zlib header", 0, 0xFF},
        {"deflate data", 4, 0x10},
        {"last deflate byte", -5, 0x01},
        {"Adler-32 trailer", -1, 0x01},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        Bytes pkg = sample();
        Dir dir;
        ASSERT_TRUE(fix_ReadDirectory(pkg, 0, dir));
        const PackageEntry &e = dir[I_INSTALL];
        long at = r.at < 0 ? (long)e.packedSize + r.at : r.at;
        pkg[PKG_HEADER_SIZE + e.offset + at] ^= r.flip;
        pkw_Reseal(pkg, 0);
        Opened o(pkg);
        ASSERT_EQ(PKG_OK, o.rc);
        check_extract(o.h, "Install.ini", PKG_XINFLATE, "");
        check_extract(o.h, "twin.ini", PKG_OK, kTwin);
    }
}

/* ---- open codes ---------------------------------------------------------- */

TEST(PkgOpen, Codes)
{
    const struct {
        const char *name;
        void (*edit)(Bytes &);
        int code;
    } rows[] = {
        {"intact", [](Bytes &) {}, PKG_OK},
        {"bytes after the directory",
         [](Bytes &p) { p.insert(p.end(), 100, 0xAB); }, PKG_OK},
        {"inflated-directory checksum is not checked",
         [](Bytes &p) { fix_Put32(p, 12, fix_Get32(p, 12) ^ 1); }, PKG_OK},
        {"empty", [](Bytes &p) { p.clear(); }, PKG_ENOHEADER},
        {"magic damaged", [](Bytes &p) { p[3] ^= 0x80; }, PKG_ENOHEADER},
        {"header cut to 27 bytes", [](Bytes &p) { p.resize(27); }, PKG_ERANGE},
        {"header alone", [](Bytes &p) { p.resize(28); }, PKG_ERANGE},
        {"last byte missing", [](Bytes &p) { p.pop_back(); }, PKG_ERANGE},
        {"data size one more",
         [](Bytes &p) { fix_Put32(p, 4, fix_Get32(p, 4) + 1); }, PKG_ERANGE},
        {"directory size one more",
         [](Bytes &p) { fix_Put32(p, 8, fix_Get32(p, 8) + 1); }, PKG_ERANGE},
        {"data size 0xFFFFFFFF", [](Bytes &p) { fix_Put32(p, 4, 0xFFFFFFFFu); },
         PKG_ERANGE},
        {"sizes add up past 32 bits",
         [](Bytes &p) {
             fix_Put32(p, 4, 0xFFFFFFFFu);
             fix_Put32(p, 8, 2);
         },
         PKG_ERANGE},
        {"data byte damaged", [](Bytes &p) { p[PKG_HEADER_SIZE + 3] ^= 1; },
         PKG_ECHECKSUM},
        {"directory byte damaged", [](Bytes &p) { p.back() ^= 1; },
         PKG_ECHECKSUM},
        {"data checksum altered",
         [](Bytes &p) { fix_Put32(p, 20, fix_Get32(p, 20) + 1); },
         PKG_ECHECKSUM},
        {"directory checksum altered",
         [](Bytes &p) { fix_Put32(p, 24, fix_Get32(p, 24) + 1); },
         PKG_ECHECKSUM},
        {"directory one byte shorter, resealed",
         [](Bytes &p) {
             p.pop_back();
             fix_Put32(p, 8, fix_Get32(p, 8) - 1);
             pkw_Reseal(p, 0);
         },
         PKG_EDIR},
        {"directory not a zlib stream, resealed",
         [](Bytes &p) {
             size_t dir = p.size() - fix_Get32(p, 8);
             memset(&p[dir], 0x5A, p.size() - dir);
             pkw_Reseal(p, 0);
         },
         PKG_EDIR},
        {"directory empty, resealed",
         [](Bytes &p) {
             p.resize(p.size() - fix_Get32(p, 8));
             fix_Put32(p, 8, 0);
             pkw_Reseal(p, 0);
         },
         PKG_EDIR},
        {"count 0", [](Bytes &p) { fix_Put32(p, 16, 0); }, PKG_EDIR},
        {"count 0 with a directory of no entries",
         [](Bytes &p) { fix_WriteDirectory(p, 0, {}); }, PKG_EDIR},
        {"count one short", [](Bytes &p) { fix_Put32(p, 16, I_COUNT - 1); },
         PKG_EDIR},
        {"count one more", [](Bytes &p) { fix_Put32(p, 16, I_COUNT + 1); },
         PKG_OK},
        {"count 100000", [](Bytes &p) { fix_Put32(p, 16, 100000); }, PKG_EDIR},
        {"count 0x01000000", [](Bytes &p) { fix_Put32(p, 16, 0x01000000); },
         PKG_EDIR},
        {"count 0x80000000", [](Bytes &p) { fix_Put32(p, 16, 0x80000000u); },
         PKG_EDIR},
        {"count 0xFFFFFFFF", [](Bytes &p) { fix_Put32(p, 16, 0xFFFFFFFFu); },
         PKG_EDIR},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        Bytes pkg = sample();
        r.edit(pkg);
        Opened o(pkg);
        EXPECT_EQ(r.code, o.rc) << pkg_OpenMessage(o.rc);
        EXPECT_EQ(r.code == PKG_OK, o.h != nullptr);
    }
}

/* A directory that inflates to fewer bytes than count entries is taken, and
 * the missing entries are zeros. */
TEST(PkgOpen, ShortDirectoryIsZeroFilled)
{
    Bytes pkg = sample();
    fix_Put32(pkg, 16, I_COUNT + 2);
    Opened o(pkg);
    ASSERT_EQ(PKG_OK, o.rc);
    ASSERT_EQ((uint32_t)I_COUNT + 2, o.h->count);
    static const PackageEntry zero = {};
    for (int i = I_COUNT; i < I_COUNT + 2; i++)
        EXPECT_EQ(0, memcmp(&zero, &o.h->dir[i], sizeof zero)) << "entry " << i;
    EXPECT_EQ(&o.h->dir[I_DEEP], pkg_Find(o.h, "Folder\\Sub\\deep.bin", NULL));
    check_extract(o.h, "Install.ini", PKG_OK, kScript);
}

TEST(PkgOpen, Arguments)
{
    Bytes pkg = sample();
    PackageHandle *h = (PackageHandle *)&h;
    EXPECT_EQ(PKG_EOPEN, pkg_OpenView(NULL, 10, &h));
    EXPECT_EQ(nullptr, h);
    EXPECT_EQ(PKG_EOPEN, pkg_OpenView(pkg.data(), pkg.size(), NULL));
    EXPECT_EQ(PKG_ENOHEADER, pkg_OpenView(NULL, 0, &h));
    EXPECT_EQ(PKG_EOPEN, pkg_Open(NULL, &h));
    EXPECT_EQ(PKG_EOPEN, pkg_Open("x", NULL));
    pkg_Close(NULL);
    EXPECT_EQ(nullptr, pkg_Find(NULL, "", NULL));
    EXPECT_EQ(PKG_NO_SIZE, pkg_GetSize(NULL, ""));
}

/* Through the file mapping: codes 2 and 3 come only from there. */
typedef ScratchTest PkgFiles;

TEST_F(PkgFiles, OpenCodes)
{
    const Bytes pkg = sample();
    OpenFiles(
        {
            {"intact", true, pkg, PKG_OK},
            {"missing", false, {}, PKG_EOPEN},
            {"empty", true, {}, PKG_EMAP},
            {"one byte", true, {0x1F}, PKG_ENOHEADER},
            {"truncated", true, prefix(pkg, pkg.size() - 1), PKG_ERANGE},
            {"after a PE image", true,
             concat(load_pe("x64", "v1_2_3_4"), pkg), PKG_OK},
        },
        pkg.size(), [](PackageHandle *h) {
            check_extract(h, "Folder\\Sub\\deep.bin", PKG_OK, deep_bytes());
        });
}

/* ---- truncation ---------------------------------------------------------- */

/* Every cut of a package alone: no magic word before 4 bytes, then a
 * header whose sizes run past the end. */
TEST(PkgOpen, EveryCutOfAPackage)
{
    const Bytes pkg = sample();
    for (size_t cut = 0; cut < pkg.size(); cut++) {
        Opened o(prefix(pkg, cut));
        int want = cut < 4 ? PKG_ENOHEADER : PKG_ERANGE;
        ASSERT_EQ(want, o.rc) << "row cut " << cut << " of " << pkg.size();
    }
}

/* Every cut of a PE image with the package after it. */
TEST(PkgOpen, EveryCutOfAnImageWithPackage)
{
    const Bytes pkg = sample();
    for (const char *arch : kArchs) {
        const Bytes pe = load_pe(arch, "v1_2_3_4");
        ASSERT_EQ(0u, pe.size() % 4);
        const Bytes file = concat(pe, pkg);
        for (size_t cut = 0; cut < file.size(); cut++) {
            Opened o(prefix(file, cut));
            int want = cut < pe.size() + 4 ? PKG_ENOHEADER : PKG_ERANGE;
            ASSERT_EQ(want, o.rc) << "row " << arch << " cut " << cut;
        }
        Opened whole(file);
        EXPECT_EQ(PKG_OK, whole.rc) << "row " << arch << " whole";
    }
}

/* Offsets in a PE fixture that the tests aim at. */
struct PeInfo {
    size_t nt, table, sections, tableEnd;
    size_t text, rsrc, last; /* section headers */
    size_t sig;              /* the fixed version signature */
};

static size_t section_named(const Bytes &b, const PeInfo &pi, const char *name)
{
    for (size_t i = 0; i < pi.sections; i++)
        if (memcmp(&b[pi.table + i * 40], name, strlen(name) + 1) == 0)
            return pi.table + i * 40;
    return 0;
}

static bool pe_info(const Bytes &b, PeInfo &pi)
{
    pi.nt = fix_Get32(b, 0x3C);
    pi.sections = fix_Get16(b, pi.nt + 6);
    pi.table = pi.nt + 24 + fix_Get16(b, pi.nt + 20);
    pi.tableEnd = pi.table + pi.sections * 40;
    pi.last = pi.tableEnd - 40;
    pi.text = section_named(b, pi, ".text");
    pi.rsrc = section_named(b, pi, ".rsrc");
    static const uint8_t sig[4] = {0xBD, 0x04, 0xEF, 0xFE};
    const uint8_t *hit = (const uint8_t *)memmem(b.data(), b.size(), sig, 4);
    pi.sig = hit ? (size_t)(hit - b.data()) : 0;
    return pi.text && pi.rsrc && pi.sig;
}

/* ---- header search ------------------------------------------------------- */

/* Where the header is looked for: at the end of the PE image, else at the
 * first aligned magic word.  Each file is: the PE fixture or nothing, gap
 * bytes of fill, then the package (or only 27 bytes that begin with the
 * magic); a stray magic word followed by 24 bytes of fill may be written
 * over it, and the image's last section may be made longer. */
TEST(PkgOpen, HeaderSearch)
{
    static const uint32_t BIG = 0x70000000u; /* image end past the file */
    const struct {
        const char *name;
        bool image;
        uint32_t grow; /* added to the last section's raw size */
        size_t gap;
        uint8_t fill;
        long stray; /* -1: none */
        bool whole; /* the package, or its first 27 bytes of magic */
        int code;
    } rows[] = {
        {"package alone", false, 0, 0, 0, -1, true, PKG_OK},
        {"after 64 bytes that are no image", false, 0, 64, 0x11, -1, true,
         PKG_OK},
        {"after 66 bytes: unaligned", false, 0, 66, 0x11, -1, true,
         PKG_ENOHEADER},
        {"after 63 bytes: unaligned", false, 0, 63, 0x11, -1, true,
         PKG_ENOHEADER},
        {"stray aligned magic before it, zeros after that", false, 0, 64, 0,
         8, true, PKG_ECHECKSUM},
        {"stray aligned magic before it, 0xFF after that", false, 0, 64, 0xFF,
         8, true, PKG_ERANGE},
        {"stray unaligned magic before it", false, 0, 64, 0, 9, true, PKG_OK},
        {"at the image end", true, 0, 0, 0, -1, true, PKG_OK},
        {"at the image end, stray aligned magic in the image", true, 0, 0, 0,
         0x40, true, PKG_OK},
        {"4 bytes after the image end", true, 0, 4, 0xEE, -1, true, PKG_OK},
        {"2 bytes after the image end", true, 0, 2, 0xEE, -1, true,
         PKG_ENOHEADER},
        {"4 bytes after the image end, stray aligned magic in the image",
         true, 0, 4, 0, 0x40, true, PKG_ECHECKSUM},
        {"at an unaligned image end", true, 1, 1, 0xEE, -1, true, PKG_OK},
        {"image end past the file: aligned scan", true, BIG, 0, 0, -1, true,
         PKG_OK},
        {"27 bytes at the image end", true, 0, 0, 0, -1, false, PKG_ERANGE},
        {"27 bytes at an unaligned image end", true, 1, 1, 0xEE, -1, false,
         PKG_ENOHEADER},
    };
    static const uint8_t magic[4] = {0x1F, 0x3E, 0x5D, 0x7C};
    const Bytes pkg = sample();
    Bytes head(27, 0);
    memcpy(&head[0], magic, 4);
    for (const char *arch : kArchs) {
        const Bytes pe = load_pe(arch, "v1_2_3_4");
        PeInfo pi;
        ASSERT_TRUE(pe_info(pe, pi)) << arch;
        for (const auto &r : rows) {
            SCOPED_TRACE(std::string("row ") + arch + " " + r.name);
            Bytes file = r.image ? pe : Bytes();
            if (r.grow)
                fix_Put32(file, pi.last + 16, r.grow == BIG ? BIG :
                          fix_Get32(file, pi.last + 16) + r.grow);
            file.insert(file.end(), r.gap, r.fill);
            size_t at = file.size();
            file = concat(file, r.whole ? pkg : head);
            if (r.stray >= 0) {
                memcpy(&file[r.stray], magic, 4);
                memset(&file[r.stray + 4], r.fill, 24);
            }
            Opened o(file);
            ASSERT_EQ(r.code, o.rc);
            if (r.code != PKG_OK)
                continue;
            EXPECT_EQ(at, (size_t)(o.h->header - o.h->view));
            check_extract(o.h, "Install.ini", PKG_OK, kScript);
        }
    }
}

/* ---- PE file versions ---------------------------------------------------- */

TEST(PeVersion, Fixtures)
{
    for (const char *arch : kArchs) {
        for (size_t i = 0; i < fix_PeCount; i++) {
            const FixPe &f = fix_Pe[i];
            SCOPED_TRACE(std::string("row ") + arch + "_" + f.tag);
            std::string path = fix_PePath(arch, f.tag);
            Bytes b = load_pe(arch, f.tag);
            ASSERT_GT(b.size(), 0x200u);
            /* PE32 for x86, PE32+ for x64 */
            uint32_t nt = fix_Get32(b, 0x3C);
            EXPECT_EQ(strcmp(arch, "x64") == 0 ? 0x20B : 0x10B,
                      fix_Get16(b, nt + 24));
            EXPECT_EQ(f.version, file_GetVersion(b.data(), b.size()));
            EXPECT_EQ(f.version, file_GetFileVersion(path.c_str()));
            EXPECT_EQ(b.size(), pkg_ImageEnd(b.data(), b.size()));
        }
    }
    EXPECT_EQ(FILE_NO_VERSION, file_GetVersion(NULL, 100));
    EXPECT_EQ(FILE_NO_VERSION, file_GetFileVersion(NULL));
    EXPECT_EQ(FILE_NO_VERSION,
              file_GetFileVersion(fix_PePath("x64", "no-such").c_str()));
}

TEST(PeVersion, CompareVersions)
{
    const struct {
        const char *name;
        uint64_t a, b;
        int want;
    } rows[] = {
        {"equal", V1234, V1234, 0},
        {"low half greater", 0x0001000200030005ull, V1234, 1},
        {"high half greater", 0x0002000000000000ull, 0x0001FFFFFFFFFFFFull, 1},
        {"low halves unsigned", 0x0000000180000000ull, 0x000000017FFFFFFFull,
         1},
        {"high halves signed", 0x7FFFFFFF00000000ull, 0x8000000000000000ull, 1},
        {"all ones is older than 0.0.0.0", 0, FILE_NO_VERSION, 1},
        {"all ones equals itself", FILE_NO_VERSION, FILE_NO_VERSION, 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        EXPECT_EQ(r.want, pkg_CompareVersions(r.a, r.b));
        EXPECT_EQ(-r.want, pkg_CompareVersions(r.b, r.a));
    }
}

/* Damaged PE headers and resource sections, made from the 1.2.3.4 fixture
 * of each kind: no crash, and the version or its absence. */
TEST(PeVersion, DamagedImages)
{
    enum End { END_FILE, END_ZERO, END_ANY };
    typedef void (*Edit)(Bytes &, const PeInfo &);
    const struct {
        const char *name;
        Edit edit;
        uint64_t version;
        End end;
    } rows[] = {
        {"intact", [](Bytes &, const PeInfo &) {}, V1234, END_FILE},
        {"MZ damaged", [](Bytes &b, const PeInfo &) { b[1] = 'Y'; },
         FILE_NO_VERSION, END_ZERO},
        {"relocation offset 0x3F",
         [](Bytes &b, const PeInfo &) { fix_Put16(b, 0x18, 0x3F); },
         FILE_NO_VERSION, END_ZERO},
        {"relocation offset 0x40",
         [](Bytes &b, const PeInfo &) { fix_Put16(b, 0x18, 0x40); }, V1234,
         END_FILE},
        {"e_lfanew 0xFFFFFFF0",
         [](Bytes &b, const PeInfo &) { fix_Put32(b, 0x3C, 0xFFFFFFF0u); },
         FILE_NO_VERSION, END_ZERO},
        {"e_lfanew 0x80000000",
         [](Bytes &b, const PeInfo &) { fix_Put32(b, 0x3C, 0x80000000u); },
         FILE_NO_VERSION, END_ZERO},
        {"e_lfanew 23 bytes before the end",
         [](Bytes &b, const PeInfo &) {
             fix_Put32(b, 0x3C, (uint32_t)b.size() - 23);
         },
         FILE_NO_VERSION, END_ZERO},
        {"PE signature damaged",
         [](Bytes &b, const PeInfo &pi) { b[pi.nt + 2] = 1; },
         FILE_NO_VERSION, END_ZERO},
        {"no sections",
         [](Bytes &b, const PeInfo &pi) { fix_Put16(b, pi.nt + 6, 0); },
         FILE_NO_VERSION, END_ZERO},
        {"0xFFFF sections",
         [](Bytes &b, const PeInfo &pi) { fix_Put16(b, pi.nt + 6, 0xFFFF); },
         FILE_NO_VERSION, END_ZERO},
        {"optional header size 0xFFFF",
         [](Bytes &b, const PeInfo &pi) { fix_Put16(b, pi.nt + 20, 0xFFFF); },
         FILE_NO_VERSION, END_ZERO},
        {"section table one byte past the end",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put16(b, pi.nt + 20, (uint16_t)(b.size() - pi.sections * 40 +
                                                 1 - (pi.nt + 24)));
         },
         FILE_NO_VERSION, END_ZERO},
        {"section table ending at the file end",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put16(b, pi.nt + 20, (uint16_t)(b.size() - pi.sections * 40 -
                                                 (pi.nt + 24)));
         },
         FILE_NO_VERSION, END_ANY},
        {".rsrc raw data at the file end",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 20, (uint32_t)b.size());
         },
         FILE_NO_VERSION, END_ANY},
        {".rsrc raw pointer 0xFFFFFFFF",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 20, 0xFFFFFFFFu);
         },
         FILE_NO_VERSION, END_ANY},
        {".rsrc raw size 0xFFFFFFFF",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 16, 0xFFFFFFFFu);
         },
         V1234, END_ANY},
        {".rsrc raw size 0",
         [](Bytes &b, const PeInfo &pi) { fix_Put32(b, pi.rsrc + 16, 0); },
         FILE_NO_VERSION, END_ANY},
        {".rsrc ends 16 bytes after the signature",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 16,
                       (uint32_t)(pi.sig + 16 - fix_Get32(b, pi.rsrc + 20)));
         },
         V1234, END_ANY},
        {".rsrc ends 15 bytes after the signature",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 16,
                       (uint32_t)(pi.sig + 15 - fix_Get32(b, pi.rsrc + 20)));
         },
         FILE_NO_VERSION, END_ANY},
        {".rsrc starts at the signature",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 20, (uint32_t)pi.sig);
             fix_Put32(b, pi.rsrc + 16, 16);
         },
         V1234, END_ANY},
        {".rsrc starts one byte after the signature",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.rsrc + 20, (uint32_t)pi.sig + 1);
         },
         FILE_NO_VERSION, END_ANY},
        {".rsrc renamed",
         [](Bytes &b, const PeInfo &pi) { b[pi.rsrc + 4] = 'x'; },
         FILE_NO_VERSION, END_FILE},
        {"a byte after the NUL of .rsrc",
         [](Bytes &b, const PeInfo &pi) { b[pi.rsrc + 7] = 'x'; },
         FILE_NO_VERSION, END_FILE},
        {"signature bytes out of order",
         [](Bytes &b, const PeInfo &pi) {
             b[pi.sig + 2] = 0xFE;
             b[pi.sig + 3] = 0xEF;
         },
         FILE_NO_VERSION, END_FILE},
        {"0xBD just before the signature",
         [](Bytes &b, const PeInfo &pi) { b[pi.sig - 1] = 0xBD; }, V1234,
         END_FILE},
        {"the words 8 and 12 bytes after the signature",
         [](Bytes &b, const PeInfo &pi) {
             fix_Put32(b, pi.sig + 4, 0xFFFFFFFFu); /* not looked at */
             fix_Put32(b, pi.sig + 8, 0x11112222u);
             fix_Put32(b, pi.sig + 12, 0x33334444u);
         },
         0x1111222233334444ull, END_FILE},
        {"an earlier .rsrc without a signature",
         [](Bytes &b, const PeInfo &pi) {
             memcpy(&b[pi.text], ".rsrc\0\0", 8);
         },
         V1234, END_FILE},
        {"an earlier .rsrc with a signature",
         [](Bytes &b, const PeInfo &pi) {
             memcpy(&b[pi.text], ".rsrc\0\0", 8);
             size_t at = fix_Get32(b, pi.text + 20) +
                         fix_Get32(b, pi.text + 16) - 16;
             memcpy(&b[at], &b[pi.sig], 8);
             fix_Put32(b, at + 8, 0x00070007u);
             fix_Put32(b, at + 12, 0x00070007u);
         },
         0x0007000700070007ull, END_FILE},
        {"first signature in the section wins",
         [](Bytes &b, const PeInfo &pi) {
             size_t at = fix_Get32(b, pi.rsrc + 20);
             memcpy(&b[at], &b[pi.sig], 8);
             fix_Put32(b, at + 8, 0x00070007u);
             fix_Put32(b, at + 12, 0x00070007u);
         },
         0x0007000700070007ull, END_FILE},
    };
    for (const char *arch : kArchs) {
        const Bytes pe = load_pe(arch, "v1_2_3_4");
        PeInfo pi;
        ASSERT_TRUE(pe_info(pe, pi)) << arch;
        for (const auto &r : rows) {
            SCOPED_TRACE(std::string("row ") + arch + " " + r.name);
            Bytes b = pe;
            r.edit(b, pi);
            Bytes exact = prefix(b, b.size());
            EXPECT_EQ(r.version, file_GetVersion(exact.data(), exact.size()));
            uint64_t end = pkg_ImageEnd(exact.data(), exact.size());
            if (r.end == END_FILE)
                EXPECT_EQ(exact.size(), end);
            else if (r.end == END_ZERO)
                EXPECT_EQ(0u, end);
        }
    }
}

/* Every cut of a fixture: the section table must be whole, and the
 * signature with both version words inside the cut. */
TEST(PeVersion, EveryCut)
{
    for (const char *arch : kArchs) {
        const Bytes pe = load_pe(arch, "v1_2_3_4");
        PeInfo pi;
        ASSERT_TRUE(pe_info(pe, pi)) << arch;
        for (size_t cut = 0; cut <= pe.size(); cut++) {
            Bytes b = prefix(pe, cut);
            bool table = cut >= pi.tableEnd;
            uint64_t want =
                table && cut >= pi.sig + 16 ? V1234 : FILE_NO_VERSION;
            ASSERT_EQ(want, file_GetVersion(b.data(), b.size()))
                << "row " << arch << " cut " << cut;
            ASSERT_EQ(table ? pe.size() : 0, pkg_ImageEnd(b.data(), b.size()))
                << "row " << arch << " cut " << cut;
        }
    }
}

/* ---- members onto disk --------------------------------------------------- */

/* A package holding every fixture of one kind as <tag>.dll, and damaged.dll
 * (2.0.0.0 with a wrong checksum). */
static Bytes fixture_package(const char *arch)
{
    PkwPackage p;
    pkw_Init(p);
    for (size_t i = 0; i < fix_PeCount; i++) {
        Bytes b = load_pe(arch, fix_Pe[i].tag);
        std::string name = std::string(fix_Pe[i].tag) + ".dll";
        EXPECT_LT(0, pkw_AddFile(p, 0, name.c_str(), b.data(), b.size(), 9,
                                 NULL));
    }
    Bytes b = load_pe(arch, "v2_0_0_0");
    int damaged = pkw_AddFile(p, 0, "damaged.dll", b.data(), b.size(), 9, NULL);
    EXPECT_LT(0, damaged);
    p.entries[damaged].checksum ^= 0x100;
    Bytes out;
    EXPECT_EQ(PKW_OK, pkw_Serialize(p, out));
    return out;
}

/* The install rule over real files, every row with members of one kind and
 * destinations of either kind. */
TEST_F(PkgFiles, InstallMember)
{
    enum Dest { D_PE, D_TEXT, D_EMPTY, D_MISSING, D_NO_FOLDER };
    const struct {
        const char *name;
        const char *member; /* <member>.dll in the package */
        Dest dest;
        const char *destTag; /* for D_PE */
        int install;
        bool replaced;
        int compare;
    } rows[] = {
        {"same version", "v1_2_3_4", D_PE, "v1_2_3_4", 1, false, 0},
        {"dest newer low half", "v1_2_3_4", D_PE, "v1_2_3_5", 1, false, -1},
        {"dest newer high half", "v1_2_3_5", D_PE, "v2_0_0_0", 1, false, -1},
        {"dest low half above 0x7FFFFFFF", "v1_2_3_5", D_PE, "v1_2_40000_0", 1,
         false, -1},
        {"member newer low half", "v1_2_3_5", D_PE, "v1_2_3_4", 1, true, 1},
        {"member newer high half", "v2_0_0_0", D_PE, "v1_2_3_5", 1, true, 1},
        {"member low half above 0x7FFFFFFF", "v1_2_40000_0", D_PE, "v1_2_3_5",
         1, true, 1},
        {"dest unversioned", "v1_2_3_4", D_PE, "nover", 1, true, 1},
        {"dest with negative high half", "v1_2_3_4", D_PE, "v32768_0_0_1", 1,
         true, 1},
        {"dest plain text", "v1_2_3_4", D_TEXT, NULL, 1, true, 1},
        {"dest empty", "v1_2_3_4", D_EMPTY, NULL, 1, true, 1},
        {"dest missing", "v2_0_0_0", D_MISSING, NULL, 1, true, 1},
        {"member unversioned over a newer dest", "nover", D_PE, "v2_0_0_0", 1,
         true, 1},
        {"member unversioned, dest missing", "nover", D_MISSING, NULL, 1, true,
         1},
        {"member with negative high half installs like an unversioned one",
         "v32768_0_0_1", D_PE, "v1_2_3_4", 1, true, -1},
        {"member not in the package", "missing", D_PE, "v1_2_3_4", 0, false,
         -2},
        {"member damaged", "damaged", D_PE, "v1_2_3_4", 0, false, -2},
        {"member damaged, dest missing", "damaged", D_MISSING, NULL, 0, false,
         -2},
        {"dest folder missing", "v1_2_3_4", D_NO_FOLDER, NULL, 0, false, 1},
    };
    static const std::string marker = "\nthe file that was there";
    for (const char *arch : kArchs) {
        Opened o(fixture_package(arch));
        ASSERT_EQ(PKG_OK, o.rc) << arch;
        for (const char *destArch : kArchs) {
            for (const auto &r : rows) {
                SCOPED_TRACE(std::string("row ") + r.name + ", member " + arch +
                             ", dest " + destArch);
                std::string member = std::string(r.member) + ".dll";
                std::string dest = path("dest.dll");
                if (r.dest == D_NO_FOLDER)
                    dest = fix_Join(path("no-folder"), "dest.dll");
                Bytes before;
                if (r.dest == D_PE)
                    before = concat(load_pe(destArch, r.destTag), text(marker));
                else if (r.dest == D_TEXT)
                    before = text("plain text, no image");
                if (r.dest == D_PE || r.dest == D_TEXT || r.dest == D_EMPTY) {
                    ASSERT_TRUE(fix_Save(dest, before));
                }
                bool existed = fix_Exists(dest);

                EXPECT_EQ(r.compare,
                          pkg_CompareMember(o.h, member.c_str(), dest.c_str()));
                EXPECT_EQ(r.install,
                          pkg_InstallMember(o.h, member.c_str(), dest.c_str()));

                Bytes after;
                bool exists = fix_Load(dest, after);
                if (r.replaced) {
                    ASSERT_TRUE(exists);
                    EXPECT_TRUE(after == load_pe(arch, r.member))
                        << "dest holds " << after.size() << " bytes";
                } else {
                    EXPECT_EQ(existed, exists);
                    EXPECT_TRUE(after == before)
                        << "dest holds " << after.size() << " bytes";
                }
                fix_Remove(dest);
            }
        }
        EXPECT_EQ(1, pkg_CompareMember(o.h, "v1_2_3_4.dll", NULL)) << arch;
        EXPECT_EQ(0, pkg_InstallMember(o.h, "v1_2_3_4.dll", NULL)) << arch;
    }
}

/* The reader's own Adler-32 must agree with zlib's at every length and
 * alignment, above all around the 5552-byte runs it reduces in, and on
 * bytes of 0xFF, which drive its sums closest to overflow. */
TEST(PkgAdler32, AgreesWithZlib)
{
    static const size_t lengths[] = {0, 1, 15, 16, 17, 5551, 5552, 5553,
                                     3 * 5552 + 7, 1 << 20};
    static const size_t offsets[] = {0, 1, 3};
    static const uint32_t starts[] = {1, 0xFFF0FFF0u};
    Bytes buf((1 << 20) + 8);
    for (int fill = 0; fill < 2; fill++) {
        uint32_t r = 7;
        for (uint8_t &b : buf)
            b = fill ? 0xFF : (uint8_t)((r = r * 1103515245u + 12345u) >> 16);
        for (size_t len : lengths)
            for (size_t off : offsets)
                for (uint32_t start : starts) {
                    uint32_t want = (uint32_t)adler32(start, &buf[off], (uInt)len);
                    EXPECT_EQ(want, pkg_Adler32(start, &buf[off], len))
                        << "fill " << fill << " length " << len << " offset "
                        << off << " start " << start;
                }
    }
}
