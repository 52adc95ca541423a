/* vpack_deflate_test.cpp -- members compressed by libdeflate at vpack's
 * level, identical files stored once, and every member of the benchmark
 * product read back by zlib's own uncompress (not the reader's inflater). */
#include "vpack_t.h"
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <sstream>

/* What the package holds of each file entry, read past the reader's
 * inflater: the stream's place, and its bytes inflated by zlib. */
struct Member {
    std::string path;   /* inside the package, '\' between */
    uint32_t    offset, packedSize;
    std::string stream; /* the stored zlib stream */
    std::string data;   /* what zlib's uncompress makes of it */
    int         zrc;    /* uncompress's result */
};

/* Opens a built setup's directory with setup's reader and inflates every
 * member with zlib; data area length in *dataSize. */
static std::vector<Member> members(const std::string &setup, uint32_t *dataSize)
{
    std::vector<Member> v;
    PackageHandle *h;
    int rc = pkg_Open(setup.c_str(), &h);
    EXPECT_EQ(PKG_OK, rc) << setup;
    if (rc != PKG_OK)
        return v;
    *dataSize = h->dataSize;
    std::vector<std::string> paths(h->count);
    for (uint32_t i = 1; i < h->count; i++) {
        const PackageEntry &e = h->dir[i];
        paths[i] = e.parent == 0 ? e.name : paths[e.parent] + "\\" + e.name;
        if (e.attributes & PKG_ATTR_FOLDER)
            continue;
        Member m;
        m.path = paths[i];
        m.offset = e.offset;
        m.packedSize = e.packedSize;
        m.stream.assign((const char *)h->data + e.offset, e.packedSize);
        std::vector<Bytef> out(e.size + 1);
        uLongf len = (uLongf)out.size();
        m.zrc = uncompress(out.data(), &len, (const Bytef *)m.stream.data(),
                           (uLong)m.stream.size());
        m.data.assign((const char *)out.data(), len);
        v.push_back(m);
    }
    pkg_Close(h);
    return v;
}

/* libdeflate's stream of data at vpack's level. */
static std::string deflated(const std::string &data)
{
    libdeflate_compressor *c = libdeflate_alloc_compressor(PKW_DEFLATE_LEVEL);
    std::string out(libdeflate_zlib_compress_bound(c, data.size()), '\0');
    out.resize(libdeflate_zlib_compress(c, data.data(), data.size(), &out[0],
                                        out.size()));
    libdeflate_free_compressor(c);
    return out;
}

static std::string disk_path(const std::string &dir, std::string member)
{
    std::replace(member.begin(), member.end(), '\\', '/');
    return dir + "/" + member;
}

/* Every member of the setup built from dir against the file on disk: zlib
 * inflates it to the file's bytes; a member with a stream of its own has
 * libdeflate's stream of them, byte for byte; a member that shares the
 * stream of an earlier one equals it, and only such members share.  The
 * data area holds exactly the streams of their own.  Members that share:
 * each one's path. */
static std::vector<std::string> expect_members(const std::string &dir,
                                               const std::string &setup)
{
    uint32_t dataSize = 0;
    std::vector<Member> v = members(setup, &dataSize);
    std::map<uint32_t, size_t> first; /* offset -> first member there */
    std::vector<std::string> shared;
    uint64_t own = 0;
    for (size_t i = 0; i < v.size(); i++) {
        const Member &m = v[i];
        SCOPED_TRACE("member " + m.path);
        std::string want = slurp(disk_path(dir, m.path));
        EXPECT_EQ(Z_OK, m.zrc);
        EXPECT_TRUE(m.data == want) << "zlib inflates other bytes";
        auto [at, fresh] = first.emplace(m.offset, i);
        if (fresh) {
            own += m.packedSize;
            EXPECT_TRUE(m.stream == deflated(want)) << "not libdeflate's stream";
            continue;
        }
        shared.push_back(m.path);
        const Member &o = v[at->second];
        EXPECT_EQ(o.packedSize, m.packedSize) << "shares with " << o.path;
        EXPECT_TRUE(o.data == m.data) << "shares with " << o.path;
    }
    for (size_t i = 0; i < v.size(); i++)
        for (size_t j = i + 1; j < v.size(); j++)
            if (v[i].data == v[j].data)
                EXPECT_EQ(v[i].offset, v[j].offset)
                    << v[j].path << " equals " << v[i].path << " yet has a stream of its own";
    EXPECT_EQ(own, dataSize) << "the data area holds more than the streams";
    return shared;
}

/* "\0\2\0" and "\1\0\1" have the same length and Adler-32 (both sums
 * agree), so only a byte comparison tells them apart. */
static const std::string twin_a("\0\2\0", 3), twin_b("\1\0\1", 3);

struct ShareRow {
    const char              *name;
    std::vector<Node>        tree;
    std::vector<std::string> shared;    /* members stored as copies */
    std::string              says;      /* the summary line, "" for none */
};

TEST(VpackDeflate, IdenticalFilesAreStoredOnce)
{
    ASSERT_EQ(adler32(1, (const Bytef *)twin_a.data(), 3),
              adler32(1, (const Bytef *)twin_b.data(), 3));
    const std::string ini = "// Title=T\r\ninstall() { return 1; }\r\n";
    const std::string big = pattern(70000, 3);
    const ShareRow rows[] = {
        {"no copies", {F("Install.ini", ini), F("a.bin", pattern(5000, 1)),
                       F("b.bin", pattern(5000, 2))}, {}, ""},
        {"three copies in three folders",
         {F("Install.ini", ini), F("a.bin", big), F("sub/a.bin", big),
          F("x/y/other.bin", big), F("z.bin", pattern(70000, 4))},
         {"sub\\a.bin", "x\\y\\other.bin"},
         "2 files (140000 bytes) the same as an earlier one: stored once"},
        {"empty files", {F("Install.ini", ini), F("e1", ""), F("sub/e2", "")},
         {"sub\\e2"}, "1 file (0 bytes) the same as an earlier one: stored once"},
        {"same size and sum, other bytes",
         {F("Install.ini", ini), F("p", twin_a), F("q", twin_b), F("r", twin_a)},
         {"r"}, "1 file (3 bytes) the same as an earlier one: stored once"},
        {"a copy of Install.ini", {F("Install.ini", ini), F("copy.ini", ini)},
         {"copy.ini"}, "1 file (" + std::to_string(ini.size()) +
                           " bytes) the same as an earlier one: stored once"},
    };
    for (const ShareRow &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh(std::string("share_") + row.name);
        make_tree(dir + "/p", row.tree);
        Result r = build(dir + "/p", dir + "/setup.exe");
        ASSERT_EQ(0, r.code) << trace(r);
        if (row.says.empty())
            EXPECT_EQ(std::string::npos, r.out.find("stored once")) << trace(r);
        else
            EXPECT_NE(std::string::npos, r.out.find("vpack build: " + row.says + "\n"))
                << trace(r);
        EXPECT_EQ(row.shared, expect_members(dir + "/p", dir + "/setup.exe"));

        r = run(vpack({"verify", dir + "/setup.exe"}));
        EXPECT_EQ(0, r.code) << trace(r);
        r = run(vpack({"extract", dir + "/setup.exe", dir + "/x"}));
        ASSERT_EQ(0, r.code) << trace(r);
        expect_tree(dir + "/x", read_tree(dir + "/p"));
        if (!g_vpackPlain.empty()) {
            r = run({g_vpackPlain, "build", dir + "/p", "-o", dir + "/plain.exe",
                     "--stub", g_stub, "--no-uninstaller"});
            ASSERT_EQ(0, r.code) << trace(r);
            EXPECT_TRUE(slurp(dir + "/setup.exe") == slurp(dir + "/plain.exe"))
                << "the plain build writes other bytes";
        }
    }
}

/* The benchmark product's mix, an eighth of its size: every member, the
 * copies under shared/ stored once, inflated by zlib to the file's bytes. */
TEST(VpackDeflate, BenchProductReadsBackThroughZlib)
{
    std::string dir = fresh("bench"), product = dir + "/product";
    Result r = run({PKG_BENCH, "gen", product, "8"});
    ASSERT_EQ(0, r.code) << trace(r);
    r = build(product, dir + "/setup.exe");
    ASSERT_EQ(0, r.code) << trace(r);
    std::vector<std::string> shared = expect_members(product, dir + "/setup.exe");
    EXPECT_EQ(27u, shared.size());
    for (const std::string &p : shared)
        EXPECT_EQ(0u, p.rfind("shared\\", 0)) << p << " shares a stream";
    r = run(vpack({"verify", dir + "/setup.exe"}));
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_NE(std::string::npos, r.out.find("OK, 270 files, 5 folders")) << trace(r);

    /* Debian's libdeflate makes the same streams as the copy vpack
     * compiles: length and CRC-32 of each stream of its own. */
    uint32_t dataSize;
    std::vector<Member> own;
    std::vector<std::string> args = {DEFLATE_REF, std::to_string(PKW_DEFLATE_LEVEL)};
    for (const Member &m : members(dir + "/setup.exe", &dataSize))
        if (own.empty() || m.offset > own.back().offset) {
            own.push_back(m);
            args.push_back(disk_path(product, m.path));
        }
    r = run(args);
    ASSERT_EQ(0, r.code) << trace(r);
    std::istringstream lines(r.out);
    for (const Member &m : own) {
        size_t len = 0;
        std::string crc;
        lines >> len >> crc;
        char want[16];
        snprintf(want, sizeof want, "%08lx",
                 crc32(0, (const Bytef *)m.stream.data(), (uInt)m.stream.size()));
        EXPECT_EQ(m.stream.size(), len) << m.path;
        EXPECT_EQ(want, crc) << m.path;
    }
    EXPECT_EQ(243u, own.size());
}

TEST(VpackDeflate, CompiledCopyIsDebiansVersion)
{
    Result r = run({DEFLATE_REF, "--version"});
    ASSERT_EQ(0, r.code) << trace(r);
    EXPECT_EQ(std::string(LIBDEFLATE_VERSION_STRING) + "\n", r.out);
}
