/* pkg_gen_test.cpp -- `pkg_bench gen` writes the same product every run,
 * exactly the duplicates it states (and `stats` counts them), and random
 * files that do not repeat or compress.
 *
 * usage: pkg_gen_test PKG_BENCH */
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static std::string g_bench, g_root;

typedef std::map<std::string, std::string> Tree; /* relative path -> bytes */

static std::string slurp(const fs::path &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

static Tree readTree(const std::string &dir)
{
    Tree t;
    for (const auto &e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            t[fs::relative(e.path(), dir).string()] = slurp(e.path());
    return t;
}

/* The program's standard output, or "exit N" when it failed. */
static std::string run(const std::string &args)
{
    std::string cmd = "'" + g_bench + "' " + args;
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return "popen failed";
    std::string out;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    int rc = pclose(p);
    return rc ? "exit " + std::to_string(rc) : out;
}

class Gen : public ::testing::Test {
protected:
    static Tree first, second;
    static void SetUpTestSuite()
    {
        ASSERT_EQ(run("gen '" + g_root + "/a'"), "");
        ASSERT_EQ(run("gen '" + g_root + "/b'"), "");
        first = readTree(g_root + "/a");
        second = readTree(g_root + "/b");
    }
};
Tree Gen::first, Gen::second;

TEST_F(Gen, WritesTheSameBytesEveryRun)
{
    ASSERT_EQ(first.size(), 270u);
    ASSERT_EQ(second.size(), first.size());
    for (const auto &[name, bytes] : first) {
        auto it = second.find(name);
        ASSERT_NE(it, second.end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
    }
}

/* Exactly the files under shared/ are copies, each of the file of the same
 * name elsewhere; no two other files are equal; and stats says so. */
TEST_F(Gen, HasExactlyTheStatedDuplicates)
{
    std::map<std::string, std::string> owner; /* bytes -> first path */
    size_t dups = 0;
    uint64_t bytes = 0, dupBytes = 0;
    for (const auto &[name, data] : first) {
        bytes += data.size();
        bool shared = name.rfind("shared/", 0) == 0;
        auto [it, fresh] = owner.emplace(data, name);
        if (fresh) {
            EXPECT_FALSE(shared) << name << " has no twin";
            continue;
        }
        /* shared/ sorts after bin/, data/ and docs/, so the twin came first */
        EXPECT_TRUE(shared) << name << " equals " << it->second;
        EXPECT_EQ(fs::path(name).filename(), fs::path(it->second).filename()) << name;
        dups++;
        dupBytes += data.size();
    }
    EXPECT_EQ(dups, 27u);
    EXPECT_EQ(dups * 10, first.size()) << "a tenth of the files";
    char want[128];
    snprintf(want, sizeof want, "%zu files, %llu KiB, %zu duplicate files (%llu KiB)\n",
             first.size(), (unsigned long long)(bytes / 1024), dups,
             (unsigned long long)(dupBytes / 1024));
    EXPECT_EQ(run("stats '" + g_root + "/a'"), want);
}

/* data/ holds the random files: no power-of-two period (the 64 KiB one of
 * a 32-bit LCG's low bits among them) and zlib level 9 saves under 1%. */
TEST_F(Gen, RandomFilesNeitherRepeatNorCompress)
{
    int seen = 0;
    for (const auto &[name, data] : first) {
        if (name.rfind("data/", 0) != 0)
            continue;
        seen++;
        const uint8_t *b = (const uint8_t *)data.data();
        size_t n = data.size();
        for (size_t p = 1; p < n; p *= 2)
            EXPECT_NE(memcmp(b, b + p, n - p), 0) << name << " repeats every " << p << " bytes";
        uLongf len = compressBound((uLong)n);
        std::vector<uint8_t> packed(len);
        ASSERT_EQ(compress2(packed.data(), &len, b, (uLong)n, 9), Z_OK) << name;
        EXPECT_GE((double)len, 0.99 * (double)n) << name << ": " << n << " -> " << len;
    }
    EXPECT_EQ(seen, 22);
}

/* gen DIR SHARE: the same names and copies, every file SHARE times smaller. */
TEST_F(Gen, ShareWritesTheSameMixSmaller)
{
    for (int share : {8, 64}) {
        std::string dir = g_root + "/share" + std::to_string(share);
        ASSERT_EQ(run("gen '" + dir + "' " + std::to_string(share)), "") << share;
        Tree small = readTree(dir);
        ASSERT_EQ(small.size(), first.size()) << share;
        std::map<std::string, std::string> owner; /* bytes -> first path */
        for (const auto &[name, data] : small) {
            auto it = first.find(name);
            ASSERT_NE(it, first.end()) << share << ": " << name;
            if (name == "Install.ini")
                EXPECT_EQ(data, it->second) << share;
            else
                EXPECT_EQ(data.size(), it->second.size() / share) << share << ": " << name;
            auto [was, fresh] = owner.emplace(data, name);
            EXPECT_EQ(fresh, name.rfind("shared/", 0) != 0)
                << share << ": " << name << " against " << was->second;
        }
    }
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: pkg_gen_test PKG_BENCH\n");
        return 2;
    }
    g_bench = argv[1];
    std::string tmpl = (fs::temp_directory_path() / "pkg_gen_test.XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        return 1;
    g_root = tmpl;
    int rc = RUN_ALL_TESTS();
    fs::remove_all(g_root);
    return rc;
}
