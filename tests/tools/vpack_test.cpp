/* vpack_test.cpp -- vpack driven as a program on small trees made here:
 * round trips, determinism, defaults, refusals, damaged setups, signing
 * and the progress line; and its script commands, check (alone and before
 * build) and run on the simulated machine.  The shared part is in
 * vpack_t.h. */
#include "vpack_t.h"

#include "checker.h"
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"
#include "script/script.h"

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

/* ---- help and usage ---------------------------------------------------- */

TEST(Vpack, HelpExitsZero)
{
    const struct {
        std::vector<std::string> args;
        const char *shows;
    } rows[] = {
        {{"--help"}, "vpack build DIR -o FILE.exe"},
        {{"-h"}, "vpack verify FILE.exe"},
        {{"help"}, "vpack extract FILE.exe DIR"},
        {{"help", "build"}, "--no-uninstaller"},
        {{"build", "--help"}, "--no-uninstaller"},
        {{"build", "x", "-o", "y", "-h"}, "--no-uninstaller"},
        {{"list", "-h"}, "one line per entry"},
        {{"extract", "--help"}, "usage: vpack extract FILE.exe DIR"},
        {{"help", "verify"}, "inflates every member"},
        {{"check", "--help"}, "FILE:LINE:COLUMN: error: TEXT"},
        {{"help", "check"}, "warning: prefskey(KEY) is not recorded"},
        {{"help", "build"}, "--allow-missing"},
        {{"run", "--help"}, "--werror"},
        {{"help", "run"}, "--max-steps N"},
        {{"run", "x.ini", "--call", "init", "-h"}, "builtin NAME(ARGS)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE("row: " + row.args[0] + " " +
                     (row.args.size() > 1 ? row.args[1] : ""));
        Result r = run(vpack(row.args));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.out.find(row.shows)) << trace(r);
        EXPECT_EQ("", r.err);
    }
}

TEST(Vpack, UsageErrorsExitTwo)
{
    std::string dir = fresh("usage");
    make_tree(dir + "/p", base_tree);
    std::string out = dir + "/out.exe";
    const struct {
        const char *name;
        std::vector<std::string> args;
        const char *says;
    } rows[] = {
        {"no command", {}, "no command"},
        {"unknown command", {"pack"}, "unknown command pack"},
        {"help on nothing", {"help", "pack"}, "no help for pack"},
        {"build without DIR", {"build", "-o", out}, "DIR is missing"},
        {"build without -o", {"build", dir + "/p"}, "-o FILE.exe is missing"},
        {"-o without value", {"build", dir + "/p", "-o"}, "-o needs a value"},
        {"two DIRs", {"build", dir + "/p", dir, "-o", out}, "only one DIR"},
        {"unknown option", {"build", dir + "/p", "-o", out, "--fast"},
         "unknown option --fast"},
        {"both uninstaller options",
         {"build", dir + "/p", "-o", out, "--uninstaller", "u.exe",
          "--no-uninstaller"},
         "exclude each other"},
        {"list without FILE", {"list"}, "expected 1 operand"},
        {"verify with two", {"verify", out, out}, "expected 1 operand"},
        {"extract without DIR", {"extract", out}, "expected 2 operands"},
        {"list unknown option", {"list", "-x", out}, "unknown option -x"},
        {"check without FILE", {"check"}, "expected 1 operand"},
        {"check with two", {"check", out, out}, "expected 1 operand"},
        {"run without FILE", {"run", "--os", "nt4"}, "FILE is missing"},
        {"run with two", {"run", out, out}, "only one FILE"},
        {"run, unknown system", {"run", out, "--os", "win7"},
         "unknown --os win7 (one of winxp, win2000, nt4, win95, win98, winme)"},
        {"run, --os without value", {"run", out, "--os"}, "--os needs a value"},
        {"run, --call without value", {"run", out, "--call="},
         "--call needs a value"},
        {"run, steps not a number", {"run", out, "--max-steps", "-1"},
         "--max-steps takes a number of statements, not -1"},
        {"run, steps too large", {"run", out, "--max-steps=1234567890123456"},
         "not 1234567890123456"},
        {"run, unknown option", {"run", out, "--fast"}, "unknown option --fast"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        Result r = run(vpack(row.args));
        EXPECT_EQ(2, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find("usage")) << trace(r);
        EXPECT_FALSE(exists(out));
    }
}

/* ---- round trips ------------------------------------------------------- */

struct TreeCase {
    const char       *name;
    std::vector<Node> disk;
    std::string       uninstaller;  /* packed with --uninstaller if not "" */
    std::vector<Node> entries;      /* the package, in entry order */
};

static std::vector<TreeCase> tree_cases()
{
    std::vector<TreeCase> v;
    v.push_back({"nested folders",
                 {F("Install.ini", "// Setup\r\n"), F("License.txt", "MIT\n"),
                  F("bin/app.exe", pattern(120000, 3)),
                  F("bin/lib/x.dll", pattern(5000, 4)),
                  F("a/b/c/d/deep.txt", "deep\n"), F("zz.txt", "last")},
                 "",
                 /* setup reads License.txt with CR LF line ends */
                 {F("Install.ini", "// Setup\r\n"), F("License.txt", "MIT\r\n"),
                  D("a"), D("a\\b"), D("a\\b\\c"), D("a\\b\\c\\d"),
                  F("a\\b\\c\\d\\deep.txt", "deep\n"), D("bin"),
                  F("bin\\app.exe", pattern(120000, 3)), D("bin\\lib"),
                  F("bin\\lib\\x.dll", pattern(5000, 4)),
                  F("zz.txt", "last")}});
    v.push_back({"empty files",
                 {F("Install.ini", ""), F("empty", ""), F("sub/also", ""),
                  F("sub/one", "1")},
                 "",
                 {F("Install.ini", ""), F("empty", ""), D("sub"),
                  F("sub\\also", ""), F("sub\\one", "1")}});
    v.push_back({"folders only",
                 {F("Install.ini", "// x"), D("a/b/c"), D("z"), D("a/y")},
                 "",
                 {F("Install.ini", "// x"), D("a"), D("a\\b"), D("a\\b\\c"),
                  D("a\\y"), D("z")}});
    v.push_back({"names with spaces",
                 {F("Install.ini", "// x"), F("My Program/read me.txt", "hi"),
                  F("My Program/sub dir/x y.dat", pattern(999, 5)),
                  F(" lead", "l"), F("inner blank", "t")},
                 "",
                 {F("Install.ini", "// x"), F(" lead", "l"), D("My Program"),
                  F("My Program\\read me.txt", "hi"),
                  D("My Program\\sub dir"),
                  F("My Program\\sub dir\\x y.dat", pattern(999, 5)),
                  F("inner blank", "t")}});
    /* Byte order: digits, capitals, '_', small letters, then non-ASCII. */
    v.push_back({"byte order",
                 {F("Install.ini", "// x"), F("b", "1"), F("Z", "2"), F("_u", "3"),
                  F("10", "4"), F("9", "5"), F("\xc3\xa9t\xc3\xa9", "6"),
                  F("~", "7")},
                 "",
                 {F("Install.ini", "// x"), F("10", "4"), F("9", "5"), F("Z", "2"),
                  F("_u", "3"), F("b", "1"), F("~", "7"),
                  F("\xc3\xa9t\xc3\xa9", "6")}});
    v.push_back({"uninstaller and special names in any case",
                 {F("INSTALL.INI", "// ini"), F("license.TXT", "lic"),
                  F("a.txt", "a")},
                 pattern(4000, 6),
                 {F("Install.ini", "// ini"), F("License.txt", "lic"),
                  F("Uninstall.exe", pattern(4000, 6)), F("a.txt", "a")}});
    std::vector<Node> many = {F("Install.ini", "// x")}, manyEntries = many;
    manyEntries.push_back(D("m"));
    for (int i = 0; i < 40; i++) {
        char name[16];
        snprintf(name, sizeof name, "f%02d", i);
        std::string data = pattern((size_t)(i * 937) % 20000, (unsigned)i);
        many.push_back(F(std::string("m/") + name, data));
        manyEntries.push_back(F(std::string("m\\") + name, data));
    }
    v.push_back({"many members of mixed sizes", many, "", manyEntries});
    return v;
}

TEST(Vpack, RoundTrip)
{
    for (const TreeCase &row : tree_cases()) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("trip");
        make_tree(dir + "/p", row.disk);
        std::string out = dir + "/setup.exe";
        std::vector<std::string> extra = {"--no-uninstaller"};
        if (!row.uninstaller.empty()) {
            spit(dir + "/unins.exe", row.uninstaller);
            extra = {"--uninstaller", dir + "/unins.exe"};
        }
        Result r = build(dir + "/p", out, extra);
        ASSERT_EQ(0, r.code) << trace(r);
        EXPECT_FALSE(exists(out + ".tmp"));

        /* The stub unchanged, the package right after its image. */
        std::string setup = slurp(out), stub = slurp(g_stub);
        ASSERT_GT(setup.size(), stub.size() + PKG_HEADER_SIZE);
        EXPECT_TRUE(setup.compare(0, stub.size(), stub) == 0);
        uint32_t magic;
        memcpy(&magic, &setup[stub.size()], 4);
        EXPECT_EQ(PKG_MAGIC, magic);

        r = run(vpack({"list", out}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(listing(row.entries), r.out);

        r = run(vpack({"verify", out}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.out.find("OK")) << trace(r);

        r = run(vpack({"extract", out, dir + "/x"}));
        ASSERT_EQ(0, r.code) << trace(r);
        expect_tree(dir + "/x", row.entries);
    }
}

/* The entries as setup's reader sees them: root first, every folder before
 * its contents, each member's stream a zlib stream marked as of the best
 * level (78 DA), as libdeflate writes it at vpack's level. */
TEST(Vpack, PackageLayout)
{
    std::string dir = fresh("layout");
    make_tree(dir + "/p", base_tree);
    Result r = build(dir + "/p", dir + "/setup.exe");
    ASSERT_EQ(0, r.code) << trace(r);
    PackageHandle *h;
    ASSERT_EQ(PKG_OK, pkg_Open((dir + "/setup.exe").c_str(), &h));
    EXPECT_EQ((size_t)(h->header - h->view), (size_t)fs::file_size(g_stub));
    ASSERT_EQ(8u, h->count);
    EXPECT_STREQ(".", h->dir[0].name);
    EXPECT_EQ(-1, h->dir[0].parent);
    EXPECT_STREQ("Install.ini", h->dir[1].name);
    for (uint32_t i = 1; i < h->count; i++) {
        const PackageEntry &e = h->dir[i];
        SCOPED_TRACE(std::string("entry ") + e.name);
        ASSERT_GE(e.parent, 0);
        ASSERT_LT((uint32_t)e.parent, i);
        if (e.parent > 0)
            EXPECT_TRUE(h->dir[e.parent].attributes & PKG_ATTR_FOLDER);
        if (e.attributes & PKG_ATTR_FOLDER)
            continue;
        EXPECT_EQ(PKG_ATTR_FILE, e.attributes);
        ASSERT_GE(e.packedSize, 2u);
        EXPECT_EQ(0x78, h->data[e.offset]);
        EXPECT_EQ(0xDA, h->data[e.offset + 1]);
    }
    pkg_Close(h);
}

/* ---- determinism ------------------------------------------------------- */

TEST(Vpack, SameInputSameBytes)
{
    std::string dir = fresh("same");
    std::vector<Node> reversed(base_tree.rbegin(), base_tree.rend());
    make_tree(dir + "/a", base_tree);
    make_tree(dir + "/b", reversed);
    /* Other times on every file of b: nothing of them may get in. */
    for (auto &it : fs::recursive_directory_iterator(dir + "/b"))
        fs::last_write_time(it.path(), fs::file_time_type::clock::now() -
                                           std::chrono::hours(24 * 400));
    const struct {
        const char *name;
        std::string program, tree;
    } rows[] = {
        {"first build", g_vpack, dir + "/a"},
        {"second build", g_vpack, dir + "/a"},
        {"created in reverse, other times", g_vpack, dir + "/b"},
        {"unsanitized build", g_vpackPlain.empty() ? g_vpack : g_vpackPlain,
         dir + "/a"},
    };
    std::string first;
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string out = dir + "/out.exe";
        Result r = run({row.program, "build", row.tree, "-o", out, "--stub",
                        g_stub, "--no-uninstaller"});
        ASSERT_EQ(0, r.code) << trace(r);
        std::string bytes = slurp(out);
        if (first.empty())
            first = bytes;
        EXPECT_TRUE(bytes == first) << "differs from the first build";
        fs::remove(out);
    }
}

/* A setup written into the product folder is not packed the next time. */
TEST(Vpack, OutputInsideProductFolder)
{
    std::string dir = fresh("inside");
    make_tree(dir, base_tree);
    std::string out = dir + "/setup.exe";
    std::string first;
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        Result r = build(dir, out);
        ASSERT_EQ(0, r.code) << trace(r);
        if (round == 0)
            first = slurp(out);
        EXPECT_TRUE(slurp(out) == first);
        r = run(vpack({"list", out}));
        EXPECT_EQ(std::string::npos, r.out.find("setup.exe")) << r.out;
    }
}

/* ---- defaults beside the program --------------------------------------- */

TEST(Vpack, DefaultsBesideTheProgram)
{
    std::string dir = fresh("beside");
    make_tree(dir + "/p", base_tree);
    /* Copies of vpack with a stub and an uninstaller of their own: i386
     * ones in bin, x86-64 ones in bin64. */
    std::string own[2], ownUninst[2];
    const char *bins[2] = {"/bin", "/bin64"};
    const uint16_t machines[2] = {0x14C, 0x8664};
    for (int a = 0; a < 2; a++) {
        std::string bin = dir + bins[a];
        fs::create_directories(bin);
        fs::copy_file(g_vpack, bin + "/vpack");
        make_pe(bin + "/setup.exe", 0x400, machines[a]);
        own[a] = slurp(bin + "/setup.exe");
        own[a][0x300] = (char)(0x5A + a); /* not the --stub one's bytes */
        spit(bin + "/setup.exe", own[a]);
        make_pe(bin + "/Uninstall.exe", 0x400, machines[a]);
        ownUninst[a] = slurp(bin + "/Uninstall.exe");
        ownUninst[a][0x300] = (char)(0x7A + a);
        spit(bin + "/Uninstall.exe", ownUninst[a]);
    }
    spit(dir + "/other.exe", "other");
    /* And a bare copy, which falls back to the configured programs. */
    fs::create_directories(dir + "/bare");
    fs::copy_file(g_vpack, dir + "/bare/vpack");
    auto file = [](const std::string &path) {
        return !path.empty() && exists(path) ? slurp(path) : "";
    };
    std::string stub32 = file(g_configuredStub), stub64 = file(g_configuredStub64);
    std::string un32 = file(g_configuredUninst), un64 = file(g_configuredUninst64);
    std::string bin = dir + "/bin/vpack", bin64 = dir + "/bin64/vpack";

    const struct {
        const char *name;
        std::string program;
        std::vector<std::string> args;
        std::string stub;         /* "" : refused */
        std::string uninstaller;  /* "" : none packed */
    } rows[] = {
        {"x86 programs beside", bin, {}, own[0], ownUninst[0]},
        {"x86 programs beside, --arch x86", bin, {"--arch", "x86"}, own[0],
         ownUninst[0]},
        {"--no-uninstaller", bin, {"--no-uninstaller"}, own[0], ""},
        {"--uninstaller", bin, {"--uninstaller", dir + "/other.exe"}, own[0],
         "other"},
        /* The uninstaller is of the stub's machine: x64 is configured. */
        {"--stub x64", bin, {"--stub", g_stub}, slurp(g_stub), un64},
        {"x86 programs beside, --arch x64", bin, {"--arch", "x64"}, stub64,
         un64},
        {"x64 programs beside, --arch x64", bin64, {"--arch", "x64"}, own[1],
         ownUninst[1]},
        {"x64 programs beside, no --arch", bin64, {}, stub32, un32},
        {"configured stub", dir + "/bare/vpack", {}, stub32, un32},
        {"configured stub, --arch x64", dir + "/bare/vpack", {"--arch", "x64"},
         stub64, un64},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string out = dir + "/out.exe";
        fs::remove(out);
        std::vector<std::string> a = {row.program, "build", dir + "/p", "-o",
                                      out};
        a.insert(a.end(), row.args.begin(), row.args.end());
        Result r = run(a);
        if (row.stub.empty()) {
            EXPECT_EQ(1, r.code) << trace(r);
            EXPECT_NE(std::string::npos, r.err.find("no setup.exe found"))
                << trace(r);
            EXPECT_FALSE(exists(out));
            continue;
        }
        ASSERT_EQ(0, r.code) << trace(r);
        std::string setup = slurp(out);
        EXPECT_TRUE(setup.compare(0, row.stub.size(), row.stub) == 0)
            << "the setup does not start with the expected stub";
        r = run(vpack({"extract", out, dir + "/x"}));
        ASSERT_EQ(0, r.code) << trace(r);
        if (!row.uninstaller.empty())
            EXPECT_TRUE(row.uninstaller == slurp(dir + "/x/Uninstall.exe"))
                << "Uninstall.exe is not the expected one";
        else
            EXPECT_FALSE(exists(dir + "/x/Uninstall.exe"));
        fs::remove_all(dir + "/x");
    }
}

/* ---- refusals ---------------------------------------------------------- */

struct Refusal {
    const char *name;
    /* Spoils the product in p (case folder dir); returns extra arguments. */
    std::function<std::vector<std::string>(const std::string &dir)> spoil;
    const char *says;
    bool asNobody;
    const char *output = "setup.exe";  /* -o, in the case folder */
};

/* Extra arguments: this stub, no uninstaller. */
static std::vector<std::string> with_stub(const std::string &path)
{
    return {"--no-uninstaller", "--stub", path};
}

static std::vector<Refusal> refusals()
{
    auto none = std::vector<std::string>{"--no-uninstaller"};
    return {
        {"no Install.ini",
         [=](const std::string &d) { fs::remove(d + "/p/Install.ini"); return none; },
         "has no Install.ini", false},
        {"Install.ini is a folder",
         [=](const std::string &d) {
             fs::remove(d + "/p/Install.ini");
             fs::create_directory(d + "/p/Install.ini");
             return none;
         },
         "is a folder, not a file", false},
        {"DIR missing",
         [=](const std::string &d) { fs::remove_all(d + "/p"); return none; },
         "does not exist", false},
        {"DIR is a file",
         [=](const std::string &d) {
             fs::remove_all(d + "/p");
             spit(d + "/p", "x");
             return none;
         },
         "is not a folder", false},
        {"member of 4 GiB",
         [=](const std::string &d) {
             spit(d + "/p/bin/huge.dat", "");
             fs::resize_file(d + "/p/bin/huge.dat", 4ull << 30);
             return none;
         },
         "member of 4 GiB or more", false},
        {"backslash in a name",
         [=](const std::string &d) { spit(d + "/p/bin/a\\b.txt", "x"); return none; },
         "contains '\\'", false},
        {"names differing only in case",
         [=](const std::string &d) { spit(d + "/p/bin/APP.exe", "x"); return none; },
         "differ only in case", false},
        {"symlink loop",
         [=](const std::string &d) {
             fs::create_directory_symlink("../..", d + "/p/bin/sub/up");
             return none;
         },
         "symlink loop", false},
        {"symlink to itself",
         [=](const std::string &d) {
             fs::create_symlink("self", d + "/p/bin/self");
             return none;
         },
         "Too many levels of symbolic links", false},
        {"dangling symlink",
         [=](const std::string &d) {
             fs::create_symlink("nowhere", d + "/p/bin/gone");
             return none;
         },
         "No such file or directory", false},
        {"pipe",
         [=](const std::string &d) {
             mkfifo((d + "/p/bin/pipe").c_str(), 0644);
             return none;
         },
         "is not a file or folder", false},
        {"unreadable file",
         [=](const std::string &d) {
             chmod((d + "/p/bin/app.exe").c_str(), 0);
             return none;
         },
         "Permission denied", true},
        {"unreadable folder",
         [=](const std::string &d) {
             chmod((d + "/p/bin/sub").c_str(), 0);
             return none;
         },
         "Permission denied", true},
        {"stub missing",
         [=](const std::string &d) {
             return with_stub(d + "/none.exe");
         },
         "is missing", false},
        {"stub not a PE image",
         [=](const std::string &d) {
             spit(d + "/text.exe", std::string(4096, 'x'));
             return with_stub(d + "/text.exe");
         },
         "is not a PE image", false},
        {"stub with an overlay",
         [=](const std::string &d) {
             spit(d + "/over.exe", slurp(g_stub) + "overlay");
             return with_stub(d + "/over.exe");
         },
         "7 bytes after its PE image", false},
        {"stub truncated",
         [=](const std::string &d) {
             spit(d + "/short.exe", slurp(g_stub).substr(0, 0x300));
             return with_stub(d + "/short.exe");
         },
         "is truncated", false},
        {"setup of 4 GiB",
         [=](const std::string &d) {
             make_pe(d + "/huge.exe", 0xFFFFFF00u);
             return with_stub(d + "/huge.exe");
         },
         "the setup would be 4 GiB or more", false},
        {"uninstaller missing",
         [=](const std::string &d) {
             return std::vector<std::string>{"--uninstaller", d + "/none.exe"};
         },
         "No such file or directory", false},
        {"uninstaller is a folder",
         [=](const std::string &d) {
             return std::vector<std::string>{"--uninstaller", d + "/p/bin"};
         },
         "is a folder, not a file", false},
        {"uninstaller and the product's own",
         [=](const std::string &d) {
             spit(d + "/p/uninstall.EXE", "own");
             spit(d + "/u.exe", "given");
             return std::vector<std::string>{"--uninstaller", d + "/u.exe"};
         },
         "has its own uninstall.EXE", false},
        {"output folder missing",
         [=](const std::string &) { return none; },
         "cannot create", false, "nowhere/setup.exe"},
        {"output is a folder",
         [=](const std::string &d) {
             fs::create_directory(d + "/folder.exe");
             return none;
         },
         "cannot rename", false, "folder.exe"},
    };
}

TEST(Vpack, RefusalsLeaveNoOutput)
{
    for (const Refusal &row : refusals()) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("refuse");
        chmod(dir.c_str(), 0777);
        make_tree(dir + "/p", base_tree);
        std::vector<std::string> extra = row.spoil(dir);
        std::string out = dir + "/" + row.output;
        std::string program = g_vpack;
        RunOptions opt;
        if (row.asNobody) {
            /* nobody needs a program it can reach and a folder to write. */
            program = dir + "/vpack";
            fs::copy_file(g_vpack, program);
            opt.asNobody = true;
        }
        std::vector<std::string> a = {program, "build", dir + "/p", "-o", out,
                                      "--stub", g_stub};
        a.insert(a.end(), extra.begin(), extra.end());
        Result r = run(a, opt);
        EXPECT_EQ(1, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        EXPECT_FALSE(fs::is_regular_file(out)) << out;
        EXPECT_FALSE(exists(out + ".tmp")) << out << ".tmp";
        EXPECT_EQ("", r.out);
        chmod((dir + "/p/bin/sub").c_str(), 0755); /* so it can be removed */
    }
}

/* A refused build keeps an earlier setup as it was. */
TEST(Vpack, RefusalKeepsEarlierOutput)
{
    std::string dir = fresh("keep");
    make_tree(dir + "/p", base_tree);
    spit(dir + "/setup.exe", "earlier");
    fs::remove(dir + "/p/Install.ini");
    Result r = build(dir + "/p", dir + "/setup.exe");
    EXPECT_EQ(1, r.code) << trace(r);
    EXPECT_EQ("earlier", slurp(dir + "/setup.exe"));
    EXPECT_FALSE(exists(dir + "/setup.exe.tmp"));
}

/* ---- damaged setups ---------------------------------------------------- */

static uint32_t get32(const std::string &b, size_t at)
{
    uint32_t v;
    memcpy(&v, &b[at], 4);
    return v;
}

static void put32(std::string &b, size_t at, uint32_t v)
{
    memcpy(&b[at], &v, 4);
}

/* Rewrites the directory of the package at `at` through edit, then fixes
 * sizes and checksums so that only the edit is wrong. */
static void edit_directory(std::string &b, size_t at,
                           const std::function<void(std::vector<PackageEntry> &)> &edit)
{
    uint32_t dataSize = get32(b, at + 4), dirSize = get32(b, at + 8),
             count = get32(b, at + 16);
    std::vector<PackageEntry> dir(count);
    uLongf len = count * sizeof(PackageEntry);
    ASSERT_EQ(Z_OK, uncompress((Bytef *)dir.data(), &len,
                               (const Bytef *)&b[at + 28 + dataSize], dirSize));
    edit(dir);
    std::vector<uint8_t> packed;
    ASSERT_EQ(PKW_OK, pkw_Compress(dir.data(), dir.size() * sizeof(PackageEntry),
                                   9, packed, NULL));
    b.resize(at + 28 + dataSize);
    b.append(packed.begin(), packed.end());
    put32(b, at + 8, (uint32_t)packed.size());
    put32(b, at + 16, (uint32_t)dir.size());
    std::vector<uint8_t> v(b.begin(), b.end());
    pkw_Reseal(v, at);
    b.assign(v.begin(), v.end());
}

/* Index of the entry named name in a directory. */
static size_t entry_named(const std::vector<PackageEntry> &dir, const char *name)
{
    for (size_t i = 0; i < dir.size(); i++)
        if (strcmp(dir[i].name, name) == 0)
            return i;
    return 0;
}

/* Flips a byte in the stream of the member named name, then reseals. */
static void spoil_member(std::string &b, size_t at, const char *name)
{
    edit_directory(b, at, [&](std::vector<PackageEntry> &dir) {
        const PackageEntry &e = dir[entry_named(dir, name)];
        b[at + 28 + e.offset + e.packedSize / 2] ^= 0x55;
    });
}

TEST(Vpack, DamageIsNamed)
{
    std::string dir = fresh("damage");
    make_tree(dir + "/p", base_tree);
    std::string good = dir + "/good.exe";
    Result r = build(dir + "/p", good);
    ASSERT_EQ(0, r.code) << trace(r);
    const std::string pristine = slurp(good);
    const size_t at = fs::file_size(g_stub);
    const uint32_t dataSize = get32(pristine, at + 4);

    const struct {
        const char *name;
        std::function<void(std::string &)> spoil;
        std::vector<const char *> says;  /* each must be in stderr */
    } rows[] = {
        {"byte flipped in the data area",
         [&](std::string &b) { b[at + 28 + 100] ^= 1; },
         {"pkg_Open error 7", "checksum mismatch in the data area"}},
        {"byte flipped in the directory",
         [&](std::string &b) { b[at + 28 + dataSize + 5] ^= 1; },
         {"pkg_Open error 7"}},
        {"last byte cut off",
         [&](std::string &b) { b.resize(b.size() - 1); },
         {"pkg_Open error 6", "does not lie within the file"}},
        {"package cut off",
         [&](std::string &b) { b.resize(at); },
         {"pkg_Open error 5", "no package header found"}},
        {"member stream damaged, header resealed",
         [&](std::string &b) { spoil_member(b, at, "app.exe"); },
         {"member 'bin\\app.exe': pkg_Extract error 3",
          "does not inflate to its size"}},
        {"two members damaged",
         [&](std::string &b) {
             spoil_member(b, at, "app.exe");
             spoil_member(b, at, "data.bin");
         },
         {"member 'bin\\app.exe'", "member 'bin\\sub\\data.bin'",
          "2 of 5 members are damaged"}},
        {"member checksum wrong",
         [&](std::string &b) {
             edit_directory(b, at, [](std::vector<PackageEntry> &d) {
                 d[entry_named(d, "readme.txt")].checksum ^= 1;
             });
         },
         {"member 'readme.txt': pkg_Extract error 4",
          "checksum mismatch of the member"}},
        {"parent after its child",
         [&](std::string &b) {
             edit_directory(b, at, [](std::vector<PackageEntry> &d) {
                 d[entry_named(d, "data.bin")].parent = (int32_t)d.size();
             });
         },
         {"is damaged: parent is not an earlier entry"}},
        {"name leading out",
         [&](std::string &b) {
             edit_directory(b, at, [](std::vector<PackageEntry> &d) {
                 strcpy(d[entry_named(d, "readme.txt")].name, "..");
             });
         },
         {"is damaged: name is not a single path component"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string bytes = pristine;
        row.spoil(bytes);
        std::string bad = dir + "/bad.exe";
        spit(bad, bytes);
        /* verify names every fault; extract stops at the first. */
        for (bool verify : {true, false}) {
            SCOPED_TRACE(verify ? "verify" : "extract");
            std::vector<std::string> a = {"verify", bad};
            if (!verify)
                a = {"extract", bad, dir + "/x"};
            Result r = run(vpack(a));
            EXPECT_EQ(1, r.code) << trace(r);
            size_t n = verify ? row.says.size() : 1;
            for (size_t i = 0; i < n; i++)
                EXPECT_NE(std::string::npos, r.err.find(row.says[i]))
                    << "missing '" << row.says[i] << "'\n" << trace(r);
            EXPECT_NE(std::string::npos, r.err.find(bad)) << trace(r);
            fs::remove_all(dir + "/x");
        }
    }
}

/* ---- signing ----------------------------------------------------------- */

static int shell(const std::string &cmd)
{
    int rc = system((cmd + " >" + g_root + "/shell.log 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(Vpack, SignedSetupStillVerifies)
{
    std::string dir = fresh("sign");
    make_tree(dir + "/p", base_tree);
    ASSERT_EQ(0, shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 "
                       "-subj /CN=vpack-test -keyout " + dir + "/key.pem -out " +
                       dir + "/cert.pem"))
        << slurp(g_root + "/shell.log");
    const struct {
        const char *name;
        std::string stub;
    } rows[] = {
        {"stub made here", g_stub},
        {"setup.exe of this build", g_configuredStub},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        if (row.stub.empty() || !exists(row.stub)) {
            /* Built by the win64 tree; make test builds it first. */
            ADD_FAILURE() << "no stub at '" << row.stub << "'";
            continue;
        }
        std::string out = dir + "/setup.exe", signedOut = dir + "/signed.exe";
        fs::remove(signedOut);
        Result r = run(vpack({"build", dir + "/p", "-o", out, "--stub",
                              row.stub, "--no-uninstaller"}));
        ASSERT_EQ(0, r.code) << trace(r);
        ASSERT_EQ(0, shell("osslsigncode sign -certs " + dir + "/cert.pem -key " +
                           dir + "/key.pem -in " + out + " -out " + signedOut))
            << slurp(g_root + "/shell.log");
        ASSERT_EQ(0, shell("osslsigncode verify -CAfile " + dir +
                           "/cert.pem -in " + signedOut))
            << slurp(g_root + "/shell.log");

        std::string plain = slurp(out), sig = slurp(signedOut);
        EXPECT_GT(sig.size(), plain.size()) << "no signature appended";
        /* The image end is unchanged and the package sits right there. */
        size_t at = fs::file_size(row.stub);
        EXPECT_EQ(at, pkg_ImageEnd((const uint8_t *)sig.data(), sig.size()));
        EXPECT_EQ(PKG_MAGIC, get32(sig, at));
        EXPECT_TRUE(sig.compare(at, plain.size() - at, plain, at,
                                plain.size() - at) == 0)
            << "the package moved or changed";

        r = run(vpack({"verify", signedOut}));
        EXPECT_EQ(0, r.code) << trace(r);
        Result l1 = run(vpack({"list", out})), l2 = run(vpack({"list", signedOut}));
        EXPECT_EQ(0, l2.code) << trace(l2);
        EXPECT_EQ(l1.out, l2.out);
    }
}

/* ---- progress ---------------------------------------------------------- */

TEST(Vpack, ProgressOnlyOnATerminal)
{
    std::string dir = fresh("progress");
    make_tree(dir + "/p", base_tree);
    spit(dir + "/p/big.dat", "");
    fs::resize_file(dir + "/p/big.dat", 9u << 20);
    const struct {
        const char *name;
        std::string tree;
        bool terminal, shows;
    } rows[] = {
        {"large input on a terminal", dir + "/p", true, true},
        {"large input to a file", dir + "/p", false, false},
        {"small input on a terminal", dir + "/small", true, false},
    };
    make_tree(dir + "/small", base_tree);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        RunOptions opt;
        opt.errTerminal = row.terminal;
        std::string out = dir + "/setup.exe";
        Result r = run(vpack({"build", row.tree, "-o", out, "--stub", g_stub,
                              "--no-uninstaller"}),
                       opt);
        EXPECT_EQ(0, r.code) << trace(r);
        if (row.shows) {
            EXPECT_NE(std::string::npos, r.err.find("of 9.1 MiB compressed"))
                << trace(r);
            EXPECT_NE(std::string::npos, r.err.find("(100%)")) << trace(r);
        } else {
            EXPECT_EQ("", r.err);
        }
    }
}

/* ---- scripts: check, the check in build, and run ----------------------- */

/* Script text with CR LF line ends, as setup reads its settings, from lines
 * given without them. */

/* Every box as an error at its place, with the line and a caret; findings
 * about settings on stderr.  FILE stands for the script's path. */
TEST(VpackScript, CheckReportsEveryBox)
{
    std::string seventeen;
    for (int i = 0; i < 17; i++)
        seventeen += "f" + std::to_string(i) + "() { }\r\n";
    const std::string noUninstall =
        "FILE:1:1: warning: setup leaves no uninstaller and no Add/Remove "
        "Programs entry: the script has no NoUninstall setting, and setup "
        "then takes 1 (write // NoUninstall=0 for them)\n";
    const struct {
        const char *name;
        std::string text;
        int code;
        std::string out;   /* after the path, for the OK line */
        std::string err;   /* stderr, or a part of it after a failure */
    } rows[] = {
        {"init and install",
         crlf({"// Company=Acme", "// NoUninstall=0", "init() { return true; }",
               "install() { copy(\"a\", \"%APPDIR%\\\\a\"); return 1; }"}),
         0, ": OK; setup calls init, install\n", ""},
        {"install alone, no NoUninstall", "install() { return 1; }", 0,
         ": compiles, 1 warning; setup calls install (there is no init)\n",
         noUninstall + "install() { return 1; }\n^\n"},
        {"comments only", crlf({"// Company=Acme", "// NoUninstall=0",
                                "/* nothing */"}),
         0, ": OK; setup calls no function (there is no init or install)\n", ""},
        {"wrong argument count", "install() { copy(\"a\"); }", 1,
         "FILE:1:22: error: Error: Incompatible number of parameters at 21 (copy)\n"
         "install() { copy(\"a\"); }\n"
         "                     ^\n",
         "does not compile (1 script error)"},
        /* The "Expected" position is just after the previous token. */
        {"missing semicolon", crlf({"install() { msgboxok(\"a\")", "  return 1; }"}),
         1,
         "FILE:1:26: error: Expected ; at 25 (return)\n"
         "install() { msgboxok(\"a\")\n"
         "                         ^\n",
         "does not compile (1 script error)"},
        {"unknown name: two boxes", "install() { x = 1; }", 1,
         "FILE:1:13: error: Error: Unknown identifier at 12 (x)\n"
         "install() { x = 1; }\n"
         "            ^\n"
         "FILE:1:12: error: Expected identifier at 11 (x)\n"
         "install() { x = 1; }\n"
         "           ^\n",
         "does not compile (2 script errors)"},
        {"stray semicolon after define", "define x 5;", 1,
         "FILE:1:11: error: Expected define or function definition at 10 (x)\n"
         "define x 5;\n"
         "          ^\n"
         "FILE:1:11: error: Expected ; at 10 (x)\n"
         "define x 5;\n"
         "          ^\n",
         "does not compile (2 script errors)"},
        /* The offset is into the text as setup reads it: CR LF added. */
        {"break outside loops, after a tab", "install()\n{\n\tbreak;\n}\n", 1,
         "FILE:3:2: error: Error: Can't break without loop. at 15 (break)\n"
         "\tbreak;\n"
         "\t^\n",
         "(1 script error)"},
        {"local named like a function",
         crlf({"f() { var install; }", "install() { }"}), 1,
         "FILE:1:1: error: Error: install at 0 (f)\n"
         "f() { var install; }\n"
         "^\n"
         "FILE:1:1: error: Error: Function with that name already defined at 0 (f)\n"
         "f() { var install; }\n"
         "^\n",
         "(2 script errors)"},
        {"string not closed", "install() { msgboxok(\"a); }", 1,
         "FILE:1:22: error: Error: String too long at 21 (msgboxok)\n"
         "install() { msgboxok(\"a); }\n"
         "                     ^\n",
         "(1 script error)"},
        /* A full table fails without a box: the cause is on stderr. */
        {"seventeen functions", seventeen, 1, "",
         "does not compile: a script holds at most 16 functions and 61 defines"},
        /* Line feeds alone are read as CR LF, as vpack build stores them:
         * no value runs on. */
        {"bare line feeds",
         "// Company=Acme\n// Product=Tool\n// NoUninstall=0\n"
         "install() { return 1; }\n", 0,
         ": OK; setup calls install (there is no init)\n", ""},
        {"setting hidden by an earlier name",
         crlf({"// CompanyURL=http://acme.example", "// Company=Acme",
               "// NoUninstall=0", "install() { }"}),
         0, ": compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:2:4: warning: setup does not see this Company setting: it reads "
         "the first \"Company\" in the script, on line 1, and no '=' follows it "
         "there; move this line above it\n"
         "// Company=Acme\n"
         "   ^\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string path = script_at("check", row.text);
        Result r = run(vpack({"check", path}));
        EXPECT_EQ(row.code, r.code) << trace(r);
        EXPECT_EQ(row.code == 0 ? "vpack check: " + path + row.out
                                : with_file(row.out, path),
                  r.out);
        if (row.code == 0)
            EXPECT_EQ(with_file(row.err, path), r.err);
        else
            EXPECT_NE(std::string::npos, r.err.find(row.err)) << trace(r);
    }
}

/* FILE may be a product folder: its Install.ini, found in any case. */
TEST(VpackScript, CheckTakesAProductFolder)
{
    const struct {
        const char *name;
        const char *file;   /* "" for none */
        std::string text;
        int code;
        std::string out, err;
    } rows[] = {
        {"Install.ini", "Install.ini", "// NoUninstall=0\r\ninstall() { }", 0,
         ": OK; setup calls install (there is no init)\n", ""},
        {"name in capitals", "INSTALL.INI", "// NoUninstall=0\r\ninit() { return 1; }",
         0, ": OK; setup calls init (there is no install)\n", ""},
        {"broken script", "install.ini", "install() { copy(); }", 1,
         "FILE:1:19: error: Error: Incompatible number of parameters at 18 (copy)\n"
         "install() { copy(); }\n"
         "                  ^\n",
         "does not compile"},
        {"no script", "", "", 1, "", "has no Install.ini"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("folder");
        spit(dir + "/readme.txt", "x");
        if (*row.file)
            spit(dir + "/" + row.file, row.text);
        Result r = run(vpack({"check", dir}));
        EXPECT_EQ(row.code, r.code) << trace(r);
        EXPECT_EQ(row.code == 0 ? "vpack check: " + dir + "/" + row.file + row.out
                                : with_file(row.out, dir + "/" + row.file),
                  r.out);
        if (row.err.empty())
            EXPECT_EQ("", r.err);
        else
            EXPECT_NE(std::string::npos, r.err.find(row.err)) << trace(r);
    }
    Result r = run(vpack({"check", g_root + "/none.ini"}));
    EXPECT_EQ(1, r.code) << trace(r);
    EXPECT_NE(std::string::npos, r.err.find("does not exist")) << trace(r);
}

/* The scripts this repository packs must keep compiling. */
TEST(VpackScript, RepositoryScriptsCompile)
{
    const struct {
        const char *name;
        std::string dir;
        const char *ok, *calls;
        std::string err;
    } rows[] = {
        {"sample", VELLUM_SOURCE_DIR "/examples/sample", "OK", "init, install",
         ""},
        /* The fixture leaves no uninstaller, and its check says so. */
        {"end-to-end product", VELLUM_SOURCE_DIR "/tests/e2e/product",
         "compiles, 1 warning", "install (there is no init)",
         "FILE:1:1: warning: setup leaves no uninstaller and no Add/Remove "
         "Programs entry: the script has no NoUninstall setting, and setup "
         "then takes 1 (write // NoUninstall=0 for them)\n"
         "// Company=Vellum Tests\n"
         "^\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        Result r = run(vpack({"check", row.dir}));
        EXPECT_EQ(0, r.code) << trace(r);
        std::string ini = row.dir + "/Install.ini";
        EXPECT_EQ("vpack check: " + ini + ": " + row.ok + "; setup calls " +
                      row.calls + "\n",
                  r.out);
        EXPECT_EQ(with_file(row.err, ini), r.err);
    }
}

/* The printed forms, tested on the functions that make them: no engine
 * message carries a line break, so that case cannot be reached through a
 * script. */
TEST(VpackScript, PrintedForms)
{
    const struct {
        std::string (*form)(const char *);
        const char *text, *printed;
    } rows[] = {
        {checker_BoxText, "Error: Divide by zero at 5 (x)",
         "Error: Divide by zero at 5 (x)"},
        {checker_BoxText, "first\nsecond", "first\\nsecond"},
        {checker_BoxText, "first\r\nsecond\r", "first\\nsecond\\n"},
        {checker_BoxText, "a\\nb\n\n", "a\\nb\\n\\n"},
        {checker_BoxText, "", ""},
        {checker_Literal, "plain", "\"plain\""},
        {checker_Literal, "C:\\dir\\\"q\"", "\"C:\\\\dir\\\\\\\"q\\\"\""},
        {checker_Literal, "\t\r\n", "\"\\t\\r\\n\""},
        {checker_Literal, "\x01\x1f\x7f", "\"\\001\\037\\177\""},
        {checker_Literal, "\x80\xe9\xff" "7", "\"\\200\\351\\3777\""},
        {checker_Literal, "", "\"\""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.printed);
        EXPECT_EQ(row.printed, row.form(row.text));
    }
}

TEST(VpackScript, BuildRefusesABrokenScript)
{
    const struct {
        const char *name, *file;
        std::string text, out;
    } rows[] = {
        {"count", "Install.ini", "install() { copy(\"a\"); }",
         "FILE:1:22: error: Error: Incompatible number of parameters at 21 (copy)\n"
         "install() { copy(\"a\"); }\n"
         "                     ^\n"},
        {"two boxes, name in small letters", "install.ini",
         "install() { nothing(); }",
         "FILE:1:13: error: Error: Unknown identifier at 12 (nothing)\n"
         "install() { nothing(); }\n"
         "            ^\n"
         "FILE:1:12: error: Expected identifier at 11 (nothing)\n"
         "install() { nothing(); }\n"
         "           ^\n"},
        {"seventeen functions", "Install.ini",
         "a(){}b(){}c(){}d(){}e(){}f(){}g(){}h(){}i(){}j(){}k(){}l(){}m(){}"
         "n(){}o(){}p(){}q(){}",
         ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("broken");
        make_tree(dir + "/p", base_tree);
        fs::remove(dir + "/p/Install.ini");
        spit(dir + "/p/" + row.file, row.text);
        std::string out = dir + "/setup.exe";
        Result r = build(dir + "/p", out);
        EXPECT_EQ(1, r.code) << trace(r);
        std::string ini = dir + "/p/" + row.file;
        EXPECT_EQ(with_file(row.out, ini), r.out);
        EXPECT_NE(std::string::npos,
                  r.err.find("vpack build: '" + dir + "/p/" + row.file +
                             "' does not compile"))
            << trace(r);
        EXPECT_NE(std::string::npos, r.err.find("nothing was packed")) << trace(r);
        EXPECT_FALSE(exists(out));
        EXPECT_FALSE(exists(out + ".tmp"));
        /* The same lines from check. */
        Result c = run(vpack({"check", dir + "/p"}));
        EXPECT_EQ(1, c.code) << trace(c);
        EXPECT_EQ(with_file(row.out, ini), c.out);
    }
}

/* Every built-in once, on the default machine (Windows XP). */
TEST(VpackScript, RunShowsEveryBuiltin)
{
    std::string text = crlf({
        "// Company=Acme",
        "// Product=Tool",
        "// Update=1",
        "// NoUninstall=0",
        "init()",
        "{",
        "    return iswin95() + iswin98() + iswinme() + iswinnt() + iswin2000()",
        "        + iswinxp() * 10 + iswinfamilynt() * 100 + iswinfamily9x();",
        "}",
        "install()",
        "{",
        "    var answer;",
        "    setreboot(0);",
        "    setupdate(0);",
        "    setnouninstall(2);",
        "    logoff();",
        "    logon();",
        "    if (fileinuse(\"%WINDIR%\\\\explorer.exe\")) return 0;",
        "    isappinstalled(\"Acme\", null);",
        "    isapprunning(null, \"Tool\");",
        "    closeapp(\"ToolWindow\", 7);",
        "    version(\"Tool.exe\", \"%APPDIR%\\\\Tool.exe\");",
        "    msgboxok(\"Tab\\there\\r\\nnext \\bbell \xe9t\xe9\");",
        "    answer = msgboxyesno(\"Go on?\");",
        "    copy(\"%APPDIR%\\\\member.txt\", \"%appdir%\\\\Tool.exe\");",
        "    copyshared(\"Shared.dll\", \"%WINSYSDIR%\\\\Shared.dll\", \"%WINDIR%\");",
        "    iscopyerror();",
        "    makedir(\"%PRODUCTDIR%\\\\Data\");",
        "    installdriver(\"Tool.sys\", \"%DRIVERDIR%\\\\Tool.sys\", \"ToolDrv\");",
        "    shortcut(\"Tool\", \"%PROGFILESDIR%\\\\Acme\\\\Tool.exe\", null, \"-q\");",
        "    shortcutc(\"Read me\", \"%CompanyDir%\\\\ReadMe.txt\", \"About\", 0);",
        "    shortcutwww(\"Web\", \"%APPDIR%\\\\home.url\");",
        "    prefskey(\"Software\\\\Acme\\\\Tool\");",
        "    setprogsteps(65536 + 3);",
        "    progstep(); progstep();",
        "    regdelkey(\"Tool\\\\Old\");",
        "    regdelvalue(\"Tool\", 12);",
        "    makedir(\"x%WINDIR%\");",
        "    return answer + 41;",
        "}",
    });
    std::string want = R"(builtin iswin95()
builtin iswin98()
builtin iswinme()
builtin iswinnt()
builtin iswin2000()
builtin iswinxp()
builtin iswinfamilynt()
builtin iswinfamily9x()
call init = 110
builtin setreboot(0)
builtin setupdate(0)
builtin setnouninstall(2)
builtin logoff()
builtin logon()
builtin fileinuse("C:\\WINDOWS\\explorer.exe")
builtin isappinstalled("Acme", null)
builtin isapprunning(null, "Tool")
builtin closeapp("ToolWindow", 7)
builtin version("Tool.exe", "C:\\Program Files\\Acme\\Tool\\Tool.exe")
builtin msgboxok("Tab\there\r\nnext \010bell \351t\351")
builtin msgboxyesno("Go on?")
builtin copy("%APPDIR%\\member.txt", "C:\\Program Files\\Acme\\Tool\\Tool.exe")
builtin copyshared("Shared.dll", "C:\\WINDOWS\\system32\\Shared.dll", "%WINDIR%")
builtin iscopyerror()
builtin makedir("C:\\Program Files\\Acme\\Tool\\Data")
builtin installdriver("Tool.sys", "C:\\WINDOWS\\System32\\Drivers\\Tool.sys", "ToolDrv")
builtin shortcut("Tool", "C:\\Program Files\\Acme\\Tool.exe", null, "-q")
builtin shortcutc("Read me", "C:\\Program Files\\Acme\\ReadMe.txt", "About", null)
builtin shortcutwww("Web", "%APPDIR%\\home.url")
builtin prefskey("Software\\Acme\\Tool")
builtin setprogsteps(65539)
builtin progstep()
builtin progstep()
builtin regdelkey("Tool\\Old")
builtin regdelvalue("Tool", 12)
builtin makedir("x%WINDIR%")
call install = 42
)" + state(1, 0, 2, 1, 2, 3);
    std::string path = script_at("every", text);
    Result r = run(vpack({"run", path}));
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_EQ(want, r.out);
    /* A macro counts only at the start: that folder is a relative one. */
    EXPECT_EQ(path + ":38:13: warning: makedir(\"x%WINDIR%\") "
              "makes nothing: setup writes only full paths on a drive, and "
              "this one is not a full path on a drive (X:\\...)\n"
              "    makedir(\"x%WINDIR%\");\n"
              "            ^\n",
              r.err);
    Result folder = run(vpack({"run", fs::path(path).parent_path().string()}));
    EXPECT_EQ(0, folder.code) << trace(folder);
    EXPECT_EQ(want, folder.out) << "run on the product folder";
    for (int i = 0; script_Builtins[i].Keyword; i++) {
        SCOPED_TRACE(std::string("built-in ") + script_Builtins[i].Keyword);
        EXPECT_NE(std::string::npos,
                  ("\n" + r.out).find(std::string("\nbuiltin ") +
                             script_Builtins[i].Keyword + "("));
    }
    /* The flags start as the settings say; a driver asks for a restart. */
    text = crlf({"// Update=1", "// NoUninstall=0",
                 "install() { installdriver(\"d.sys\", \"C:\\\\d.sys\", \"d\"); }"});
    r = run(vpack({"run", script_at("flags", text)}));
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_EQ("builtin installdriver(\"d.sys\", \"C:\\\\d.sys\", \"d\")\n"
              "call install = 0\n" + state(1, 1, 0, 1, 0, 0),
              r.out);
}

/* The folder macros that follow the Company and Product settings. */
TEST(VpackScript, RunFoldersFromSettings)
{
    const struct {
        const char *name;
        std::vector<std::string> settings;
        const char *appDir, *productDir, *companyDir;
    } rows[] = {
        {"both", {"// Company=Acme", "// Product=Tool"},
         R"("C:\\Program Files\\Acme\\Tool")", R"("C:\\Program Files\\Acme\\Tool")",
         R"("C:\\Program Files\\Acme")"},
        {"no company", {"// Product=Tool"}, R"("C:\\Program Files\\Tool")",
         R"("C:\\Program Files\\\\Tool")", R"("C:\\Program Files\\")"},
        {"no product", {"// Company=Acme"}, R"("C:\\Program Files\\Acme")",
         R"("C:\\Program Files\\Acme\\")", R"("C:\\Program Files\\Acme")"},
        {"neither", {}, R"("C:\\Program Files")", R"("C:\\Program Files\\\\")",
         R"("C:\\Program Files\\")"},
        {"hidden and empty", {"// Company#Acme", "// Product="},
         R"("C:\\Program Files\\")", R"("C:\\Program Files\\\\")",
         R"("C:\\Program Files\\")"},
        {"quotes and spaces", {"// Company= \"Acme\" Inc"},
         R"("C:\\Program Files\\ \"Acme\" Inc")",
         R"("C:\\Program Files\\ \"Acme\" Inc\\")",
         R"("C:\\Program Files\\ \"Acme\" Inc")"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::vector<std::string> lines = row.settings;
        lines.push_back("install() { makedir(\"%APPDIR%\"); "
                        "makedir(\"%PRODUCTDIR%\"); makedir(\"%COMPANYDIR%\"); }");
        Result r = run(vpack({"run", script_at("folders", crlf(lines))}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(std::string("builtin makedir(") + row.appDir + ")\n" +
                      "builtin makedir(" + row.productDir + ")\n" +
                      "builtin makedir(" + row.companyDir + ")\n" +
                      "call install = 0\n" + clean_state,
                  r.out);
    }
}

/* The eight iswin built-ins and the system folders, per --os. */
TEST(VpackScript, RunPerWindowsVersion)
{
    const char *text =
        "init() { return iswin95() * 1 + iswin98() * 2 + iswinme() * 4 +\r\n"
        "  iswinnt() * 8 + iswin2000() * 16 + iswinxp() * 32 +\r\n"
        "  iswinfamilynt() * 64 + iswinfamily9x() * 128; }\r\n"
        "install() { makedir(\"%WINDIR%\"); makedir(\"%WINSYSDIR%\");\r\n"
        "  makedir(\"%DRIVERDIR%\"); }\r\n";
    const struct {
        const char *os;   /* "" for the default */
        int mask;
        const char *windir, *sysdir;
    } rows[] = {
        {"", 32 + 64, "C:\\\\WINDOWS", "C:\\\\WINDOWS\\\\system32"},
        {"winxp", 32 + 64, "C:\\\\WINDOWS", "C:\\\\WINDOWS\\\\system32"},
        {"win2000", 16 + 64, "C:\\\\WINNT", "C:\\\\WINNT\\\\system32"},
        {"nt4", 8 + 64, "C:\\\\WINNT", "C:\\\\WINNT\\\\system32"},
        {"win95", 1 + 128, "C:\\\\WINDOWS", "C:\\\\WINDOWS\\\\SYSTEM"},
        {"win98", 2 + 128, "C:\\\\WINDOWS", "C:\\\\WINDOWS\\\\SYSTEM"},
        {"winme", 4 + 128, "C:\\\\WINDOWS", "C:\\\\WINDOWS\\\\SYSTEM"},
    };
    std::string path = script_at("os", text);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + (*row.os ? row.os : "default"));
        std::vector<std::string> a = {"run", path};
        if (*row.os)
            a.insert(a.end(), {"--os", row.os});
        Result r = run(vpack(a));
        EXPECT_EQ(0, r.code) << trace(r);
        std::string want;
        for (int i = SB_ISWIN95; i <= SB_ISWINFAMILY9X; i++)
            want += std::string("builtin ") + script_Builtins[i].Keyword + "()\n";
        want += "call init = " + std::to_string(row.mask) + "\n";
        want += std::string("builtin makedir(\"") + row.windir + "\")\n";
        want += std::string("builtin makedir(\"") + row.sysdir + "\")\n";
        want += std::string("builtin makedir(\"") + row.windir +
                "\\\\System32\\\\Drivers\")\n";
        want += "call install = 0\n" + clean_state;
        EXPECT_EQ(want, r.out);
    }
}

TEST(VpackScript, RunCallsInOrder)
{
    std::string text = crlf({
        "init() { return 0; }",
        "install() { msgboxok(\"installing\"); return \"done\"; }",
        "helper() { return -7; }",
        "two(a, b) { return a; }",
    });
    std::string path = script_at("calls", text);
    const struct {
        const char *name;
        std::vector<std::string> calls;
        int code;
        std::string out, err;
    } rows[] = {
        /* As in setup: init gives 0, so install is not called. */
        {"setup's order", {}, 0,
         "call init = 0\nstop: init gave 0, so setup ends here\n" + clean_state,
         ""},
        {"named, in the order given", {"install", "init"}, 0,
         "builtin msgboxok(\"installing\")\ncall install = \"done\"\n"
         "call init = 0\n" + clean_state,
         ""},
        {"any case, twice", {"HELPER", "helper"}, 0,
         "call HELPER = -7\ncall helper = -7\n" + clean_state, ""},
        /* A name setup could not call runs nothing, and says so. */
        {"unknown name", {"nope"}, 0,
         "skip nope: the script has no such function; nothing was run\n" +
             clean_state,
         ""},
        {"unknown between known ones", {"helper", "Nope", "helper"}, 0,
         "call helper = -7\nskip Nope: the script has no such function; "
         "nothing was run\ncall helper = -7\n" + clean_state,
         ""},
        {"built-in, not a function", {"progstep"}, 0,
         "skip progstep: the script has no such function; nothing was run\n" +
             clean_state,
         ""},
        {"function with parameters", {"two"}, 0,
         "skip two: it takes parameters (only a function without any can be "
         "called); nothing was run\n" + clean_state,
         ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::vector<std::string> a = {"run", path};
        for (const std::string &c : row.calls)
            a.insert(a.end(), {"--call", c});
        Result r = run(vpack(a));
        EXPECT_EQ(row.code, r.code) << trace(r);
        EXPECT_EQ(row.out, r.out);
        if (row.err.empty())
            EXPECT_EQ(no_uninstaller(path, "init() { return 0; }"), r.err);
        else
            EXPECT_NE(std::string::npos, r.err.find(row.err)) << trace(r);
    }
    /* Each of init and install only if the script has it. */
    const struct {
        const char *name;
        std::string text, out;
    } defaults[] = {
        {"install alone", "install() { return 3; }", "call install = 3\n"},
        {"init alone", "init() { return 1; }", "call init = 1\n"},
        {"init passes", "init() { return 1; } install() { }",
         "call init = 1\ncall install = 0\n"},
        {"neither", "f() { }", ""},
    };
    for (const auto &row : defaults) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        Result r = run(vpack({"run", script_at("calls", row.text)}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.out + clean_state, r.out);
    }
}

TEST(VpackScript, RunErrors)
{
    const struct {
        const char *name;
        std::string text;
        std::vector<std::string> calls;
        std::string out;
    } rows[] = {
        /* Not compiled: nothing runs, no state. */
        {"compile error", "install() { copy(\"a\"); }", {},
         "FILE:1:22: error: Error: Incompatible number of parameters at 21 (copy)\n"
         "install() { copy(\"a\"); }\n"
         "                     ^\n"},
        /* After a run-time error every later call gives 0. */
        {"divide by zero",
         "install() { var x; x = 1 / 0; return 5; } later() { return 3; }",
         {"install", "later"},
         "FILE:1:29: error: Error: Divide by zero at 28 (x)\n"
         "install() { var x; x = 1 / 0; return 5; } later() { return 3; }\n"
         "                            ^\n"
         "call install = 0\ncall later = 0\n" + clean_state},
        /* A built-in call whose arguments fail still shows what it read. */
        {"error inside the arguments",
         "install() { copy(\"a\", 1 / 0); msgboxok(\"never\"); }", {},
         "FILE:1:28: error: Error: Divide by zero at 27 (copy)\n"
         "install() { copy(\"a\", 1 / 0); msgboxok(\"never\"); }\n"
         "                           ^\n"
         "builtin copy(\"a\", null)\ncall install = 0\n" + clean_state},
        /* The compile counts two arguments; the built-in then meets ",". */
        {"trailing comma", "install() { copy(\"a\", \"b\",); return 1; }", {},
         "FILE:1:26: error: Expected ) at 25 (copy)\n"
         "install() { copy(\"a\", \"b\",); return 1; }\n"
         "                         ^\n"
         "builtin copy(\"a\", \"b\")\n"
         "FILE:1:26: error: Expected ; at 25 (copy)\n"
         "install() { copy(\"a\", \"b\",); return 1; }\n"
         "                         ^\n"
         "call install = 0\n" + clean_state},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string path = script_at("errors", row.text);
        std::vector<std::string> a = {"run", path};
        for (const std::string &c : row.calls)
            a.insert(a.end(), {"--call", c});
        Result r = run(vpack(a));
        EXPECT_EQ(1, r.code) << trace(r);
        EXPECT_EQ(with_file(row.out, path), r.out);
    }
}

/* A script waiting for an answer that never comes ends with "Too many
 * steps".  A run counts every statement executed: the body block, each
 * statement in it, each loop pass; here N passes make N + 4. */
TEST(VpackScript, RunStepLimit)
{
    std::string waits = crlf({
        "install()", "{",
        "    while (!isappinstalled(\"Acme\", \"Runtime\"))",
        "        msgboxok(\"Install the runtime first\");",
        "    return 1;", "}"});
    std::string want;
    for (int i = 0; i < 5; i++)
        want += "builtin isappinstalled(\"Acme\", \"Runtime\")\n"
                "builtin msgboxok(\"Install the runtime first\")\n";
    std::string path = script_at("waits", waits);
    want += "builtin isappinstalled(\"Acme\", \"Runtime\")\n" + path +
            ":4:9: error: Error: Too many steps at " +
            std::to_string(waits.find("msgboxok")) + " (msgboxok)\n"
            "        msgboxok(\"Install the runtime first\");\n"
            "        ^\n"
            "call install = 0\n" + clean_state;
    Result r = run(vpack({"run", path, "--max-steps", "7"}));
    EXPECT_EQ(1, r.code) << trace(r);
    EXPECT_EQ(want, r.out);

    auto counting = [](long long n) {
        return "install() { var i; for (i = 0; i < " + std::to_string(n) +
               "; i++) ; return i; }";
    };
    const struct {
        const char *name;
        long long passes;
        const char *steps;  /* "" for the default */
        bool ends;
    } rows[] = {
        {"just within a limit of 5", 1, "5", true},
        {"one over a limit of 5", 2, "5", false},
        {"just within the default", 9999996, "", true},
        {"one over the default", 9999997, "", false},
        {"no limit", 9999997, "0", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string text = counting(row.passes);
        std::string file = script_at("count", text);
        std::vector<std::string> a = {"run", file};
        if (*row.steps)
            a.insert(a.end(), {"--max-steps", row.steps});
        r = run(vpack(a));
        EXPECT_EQ(row.ends ? 0 : 1, r.code) << trace(r);
        if (row.ends)
            EXPECT_EQ("call install = " + std::to_string(row.passes) + "\n" +
                          clean_state,
                      r.out);
        else
            EXPECT_EQ(file + ":1:" + std::to_string(text.find("return") + 1) +
                          ": error: Error: Too many steps at " +
                          std::to_string(text.find("return")) + " (return)\n" +
                          text + "\n" + std::string(text.find("return"), ' ') +
                          "^\ncall install = 0\n" + clean_state,
                      r.out);
    }
}

/* A path expanded in its string slot: 512 characters fit, one more makes
 * it "" (the built-in then fails as on a missing path).  A text that
 * starts inside its slot has that much less room.  Under ASan an overrun
 * would end the run. */
TEST(VpackScript, RunPathThatDoesNotFit)
{
    /* %WINDIR% (8) becomes C:\WINDOWS (10): two more. */
    auto windir = [](size_t literal, size_t skip) {
        std::string lead(skip, '_');
        std::string tail(literal - skip - 8, 'y');
        return "makedir(\"" + lead + "%WINDIR%" + tail + "\" + " +
               std::to_string(skip) + ");";
    };
    const struct {
        const char *name;
        size_t literal, skip;
        bool fits;
    } rows[] = {
        {"510 become 512", 510, 0, true},
        {"511 would become 513", 511, 0, false},
        {"at offset 3, 507 become 509", 510, 3, true},
        {"at offset 3, 508 would become 510, room for 509", 511, 3, false},
        {"at offset 500, 10 become 12", 510, 500, true},
        {"at offset 500, 11 would become 13", 511, 500, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string text = "install() { " + windir(row.literal, row.skip) +
                           " makedir(\"%WINDIR%\\\\after\"); }";
        Result r = run(vpack({"run", script_at("fit", text)}));
        EXPECT_EQ(0, r.code) << trace(r);
        std::string path = row.fits ? "C:\\\\WINDOWS" +
                                          std::string(row.literal - row.skip - 8, 'y')
                                    : "";
        EXPECT_EQ("builtin makedir(\"" + path + "\")\n"
                  "builtin makedir(\"C:\\\\WINDOWS\\\\after\")\n"
                  "call install = 0\n" + clean_state,
                  r.out);
    }
}

/* A settings key setup would not record, and the uninstaller would never
 * delete: check warns at each string literal prefskey is called with,
 * found as the engine's scanner reads the script; run at each call whose
 * key, evaluated, is refused.  Neither changes the exit code or stdout. */
struct KeyWarning {
    int         line, column;
    std::string shown;        /* the argument, as run prints it */
    bool        text = true;  /* else the argument was no text */
};

/* Line n (from 1) of text, a line ending at LF, CR LF or CR. */
static std::string line_of(const std::string &text, int n)
{
    size_t at = 0;
    for (int i = 1; i < n; i++) {
        at = text.find_first_of("\r\n", at);
        at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    }
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

/* The warnings, each with its line and a caret (tabs kept). */
static std::string key_warnings(const std::string &path, const std::string &text,
                                const std::vector<KeyWarning> &want)
{
    std::string s;
    for (const KeyWarning &w : want) {
        std::string line = line_of(text, w.line), caret;
        for (int i = 0; i < w.column - 1; i++)
            caret += line[(size_t)i] == '\t' ? '\t' : ' ';
        s += path + ":" + std::to_string(w.line) + ":" +
             std::to_string(w.column) + ": warning: prefskey(" + w.shown +
             ") is not recorded: " +
             (w.text ? "a settings key must lie at least two levels below "
                       "Software (Software\\Vendor\\Product), and not under "
                       "Classes, Microsoft, Policies or Wow6432Node; the "
                       "uninstaller would leave it"
                     : "its key is no text") +
             "\n" + line + "\n" + caret + "^\n";
    }
    return s;
}

TEST(VpackScript, SettingsKeyWarnings)
{
    const struct {
        const char *name;
        std::vector<std::string> body;   /* install's, from line 3 */
        std::vector<KeyWarning> check, run;
        std::string calls;               /* run's builtin lines */
        const char *eol;
        std::string others = "";         /* other findings, after the keys' */
    } rows[] = {
        {"Software alone", {R"(    prefskey("Software");)"},
         {{3, 14, R"("Software")"}}, {{3, 14, R"("Software")"}},
         "builtin prefskey(\"Software\")\n", "\r\n"},
        {"empty", {R"(    prefskey("");)"}, {{3, 14, R"("")"}},
         {{3, 14, R"("")"}}, "builtin prefskey(\"\")\n", "\r\n"},
        {"vendor only", {R"(    prefskey("Software\\Acme");)"},
         {{3, 14, R"("Software\\Acme")"}}, {{3, 14, R"("Software\\Acme")"}},
         R"(builtin prefskey("Software\\Acme"))" "\n", "\r\n"},
        {"Windows' own branch",
         {R"(    prefskey("Software\\Microsoft\\Windows");)"},
         {{3, 14, R"("Software\\Microsoft\\Windows")"}},
         {{3, 14, R"("Software\\Microsoft\\Windows")"}},
         R"(builtin prefskey("Software\\Microsoft\\Windows"))" "\n", "\r\n"},
        {"not below Software", {R"(    prefskey("Control Panel\\Desktop\\x");)"},
         {{3, 14, R"("Control Panel\\Desktop\\x")"}},
         {{3, 14, R"("Control Panel\\Desktop\\x")"}},
         R"(builtin prefskey("Control Panel\\Desktop\\x"))" "\n", "\r\n"},
        {"name in capitals", {R"(  PrefsKey("Software");)"},
         {{3, 12, R"("Software")"}}, {{3, 12, R"("Software")"}},
         "builtin prefskey(\"Software\")\n", "\r\n"},
        {"accepted", {R"(    prefskey("Software\\Acme\\Notes");)"}, {}, {},
         R"(builtin prefskey("Software\\Acme\\Notes"))" "\n", "\r\n"},
        {"accepted in any case, deeper",
         {R"(    prefskey("SOFTWARE\\acme\\Notes\\Window");)"}, {}, {},
         R"(builtin prefskey("SOFTWARE\\acme\\Notes\\Window"))" "\n", "\r\n"},
        /* Expressions are for run: at the argument's first token. */
        {"expression refused", {R"(    prefskey("Software\\Acme\\Notes" + 9);)"},
         {}, {{3, 14, R"("Acme\\Notes")"}},
         R"(builtin prefskey("Acme\\Notes"))" "\n", "\r\n"},
        {"expression accepted", {R"(    prefskey("Software\\Acme\\Notes" + 0);)"},
         {}, {}, R"(builtin prefskey("Software\\Acme\\Notes"))" "\n", "\r\n"},
        {"expression of a refused literal, accepted",
         {R"(    prefskey("-Software\\Acme\\Notes" + 1);)"}, {}, {},
         R"(builtin prefskey("Software\\Acme\\Notes"))" "\n", "\r\n"},
        {"variable", {"    var k;", R"(    k = "Software";)", "    prefskey( k );"},
         {}, {{5, 15, R"("Software")"}}, "builtin prefskey(\"Software\")\n",
         "\r\n"},
        {"literal in parentheses", {R"(    prefskey(("Software"));)"}, {},
         {{3, 14, R"("Software")"}}, "builtin prefskey(\"Software\")\n", "\r\n"},
        {"null", {"    prefskey(null);"}, {}, {{3, 14, "null", false}},
         "builtin prefskey(null)\n", "\r\n"},
        /* Comments and strings as the engine reads them. */
        {"in a line comment", {R"(    // prefskey("Software");)"}, {}, {}, "",
         "\r\n"},
        {"in a block comment", {"    /* one", R"(    prefskey("Software"); */)"},
         {}, {}, "", "\r\n"},
        {"in a string", {R"x(    msgboxok("prefskey(\"Software\")");)x"}, {}, {},
         "builtin msgboxok(\"prefskey(\")\n", "\r\n",
         "FILE:3:24: warning: \\\" stores a NUL, not a double quote, and the "
         "literal goes on to the next quote: the text ends there, at "
         "\"prefskey(\"\n"
         "    msgboxok(\"prefskey(\\\"Software\\\")\");\n"
         "                       ^\n"
         "FILE:3:34: warning: \\\" stores a NUL, not a double quote, and the "
         "literal goes on to the next quote: the text ends there, at "
         "\"prefskey(\"\n"
         "    msgboxok(\"prefskey(\\\"Software\\\")\");\n"
         "                                 ^\n"},
        {"comment marks in strings",
         {R"(    msgboxok("/*"); prefskey("Software"); msgboxok("*/");)"},
         {{3, 30, R"("Software")"}}, {{3, 30, R"("Software")"}},
         "builtin msgboxok(\"/*\")\nbuiltin prefskey(\"Software\")\n"
         "builtin msgboxok(\"*/\")\n",
         "\r\n"},
        /* setup's case folding takes the quote in the comment for a
         * string's start, so the literal after it is in small letters. */
        {"quote in a comment", {R"(    /* " */ prefskey("Software"); // ")"},
         {{3, 22, R"("software")"}}, {{3, 22, R"("software")"}},
         "builtin prefskey(\"software\")\n", "\r\n"},
        {"two on a line, after a tab and a comment",
         {"\tprefskey(\"Software\"); prefskey(/* key */ \"\");"},
         {{3, 11, R"("Software")"}, {3, 43, R"("")"}},
         {{3, 11, R"("Software")"}, {3, 43, R"("")"}},
         "builtin prefskey(\"Software\")\nbuiltin prefskey(\"\")\n", "\r\n"},
        /* A line ends at LF, CR or CR LF. */
        {"bare line feeds", {"", R"(  prefskey("Software");)"},
         {{4, 12, R"("Software")"}}, {{4, 12, R"("Software")"}},
         "builtin prefskey(\"Software\")\n", "\n"},
        {"bare carriage returns", {"", R"(  prefskey("Software");)"},
         {{4, 12, R"("Software")"}}, {{4, 12, R"("Software")"}},
         "builtin prefskey(\"Software\")\n", "\r"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string text = "install()" + std::string(row.eol) + "{" + row.eol;
        for (const std::string &l : row.body)
            text += l + row.eol;
        text += "}" + std::string(row.eol);
        std::string path = script_at("keys", text);
        /* The script has no NoUninstall setting: that warning first. */
        std::string unins = no_uninstaller(path, "install()");
        std::string others = with_file(row.others, path);
        Result c = run(vpack({"check", path}));
        EXPECT_EQ(0, c.code) << trace(c);
        std::string err = unins + key_warnings(path, text, row.check) + others;
        size_t n = 0;
        for (size_t at = 0; (at = err.find(": warning: ", at)) != std::string::npos;
             at++)
            n++;
        EXPECT_EQ("vpack check: " + path + ": compiles, " + std::to_string(n) +
                      (n == 1 ? " warning" : " warnings") +
                      "; setup calls install (there is no init)\n",
                  c.out);
        EXPECT_EQ(err, c.err);
        Result r = run(vpack({"run", path}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.calls + "call install = 0\n" + clean_state, r.out);
        EXPECT_EQ(unins + others + key_warnings(path, text, row.run), r.err);
    }
    /* A warning comes after the output of the calls before it. */
    std::string text = crlf({
        "install() { msgboxok(\"before\"); prefskey(\"Software\"); }"});
    std::string path = script_at("keys", text);
    Result r = run({"/bin/sh", "-c", "exec '" + g_vpack + "' run '" + path +
                                         "' 2>&1"});
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_EQ(no_uninstaller(path, line_of(text, 1)) +
                  "builtin msgboxok(\"before\")\nbuiltin prefskey(\"Software\")\n" +
                  key_warnings(path, text, {{1, 42, R"("Software")"}}) +
                  "call install = 0\n" + clean_state,
              r.out);
}

/* setup writes only full paths on a drive: run answers a copy to any
 * other destination as setup does (it fails, and so does every copy after
 * it), says so with the call's place, and a makedir of one makes
 * nothing. */
TEST(VpackScript, RefusedPathsFailAsInSetup)
{
    const struct {
        const char *name, *body, *calls;
        int         column;             /* of the call's arguments */
        const char *why;
    } rows[] = {
        {"relative copy",
         R"(copy("a.txt", "a.txt"); return iscopyerror();)",
         "builtin copy(\"a.txt\", \"a.txt\")\nbuiltin iscopyerror()\n"
         "call install = 1\n", 10,
         "copy(\"a.txt\") fails: setup writes only full paths on a drive, and "
         "this one is not a full path on a drive (X:\\...)"},
        {"dot parts, and the copy after it",
         R"(copy("a", "%APPDIR%\\..\\a"); return copy("b", "C:\\b");)",
         "builtin copy(\"a\", \"C:\\\\Program Files\\\\Acme\\\\..\\\\a\")\n"
         "builtin copy(\"b\", \"C:\\\\b\")\ncall install = 1\n", 10,
         "copy(\"C:\\\\Program Files\\\\Acme\\\\..\\\\a\") fails: setup writes only full "
         "paths on a drive, and this one has a \".\" or \"..\" part"},
        {"shared copy to a device",
         R"(return copyshared("a", "C:\\nul", "n");)",
         "builtin copyshared(\"a\", \"C:\\\\nul\", \"n\")\ncall install = 1\n",
         23,
         "copyshared(\"C:\\\\nul\") fails: setup writes only full paths on a "
         "drive, and this one names a device (CON, NUL, COM1, ...)"},
        {"makedir of a relative folder", R"(makedir("x\\y"); return 5;)",
         "builtin makedir(\"x\\\\y\")\ncall install = 5\n", 13,
         "makedir(\"x\\\\y\") makes nothing: setup writes only full paths on a "
         "drive, and this one is not a full path on a drive (X:\\...)"},
        {"full paths pass", R"(makedir("C:\\x"); return copy("a", "C:\\x\\a");)",
         "builtin makedir(\"C:\\\\x\")\nbuiltin copy(\"a\", \"C:\\\\x\\\\a\")\n"
         "call install = 0\n", 0, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string path = script_at("paths", crlf({"// Company=Acme",
                                                    "install()", "{",
                                                    std::string("    ") + row.body,
                                                    "}"}));
        Result r = run(vpack({"run", path}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.calls + clean_state, r.out);
        std::string want = no_uninstaller(path, "// Company=Acme");
        if (*row.why)
            want += path + ":4:" + std::to_string(row.column) + ": warning: " +
                    row.why + "\n    " + row.body + "\n" +
                    std::string((size_t)row.column - 1, ' ') + "^\n";
        EXPECT_EQ(want, r.err);
    }
}

/* The README's example script, checked, run and misspelt, prints what the
 * README shows. */
TEST(VpackScript, ReadmeExampleHolds)
{
    std::string readme = slurp(VELLUM_SOURCE_DIR "/README.md");
    std::vector<std::string> script =
        indented_block(readme, "`notes/Install.ini`:\n");
    std::vector<std::string> shown = indented_block(readme, "Checked and run");
    std::vector<std::string> broken =
        indented_block(readme, "With the first `progstep` misspelt:");
    std::vector<std::string> refused = indented_block(
        readme, "With `prefskey(\"Acme\\\\Notes\")` in the script above:\n");
    ASSERT_GT(script.size(), 20u);
    ASSERT_GT(shown.size(), 10u);
    ASSERT_EQ(8u, broken.size());
    ASSERT_EQ(5u, refused.size());

    std::string dir = fresh("readme");
    std::string program = fs::absolute(g_vpack).string();
    spit(dir + "/notes/Install.ini", crlf(script));
    /* The members the README's folder holds. */
    for (const char *m : {"Program/Notes.exe", "Program/NotesNT.dll",
                          "Program/Notes9x.dll", "Shared/AcmeUI.dll"})
        spit(dir + "/notes/" + m, "member");
    /* Each "$ vpack ..." line with the lines after it as its output. */
    std::vector<std::pair<std::string, std::string>> commands;
    for (const std::string &l : shown) {
        if (l.compare(0, 8, "$ vpack ") == 0)
            commands.push_back({l.substr(8), ""});
        else if (!commands.empty())
            commands.back().second += l + "\n";
    }
    ASSERT_EQ(2u, commands.size());
    for (const auto &c : commands) {
        SCOPED_TRACE("row: " + c.first);
        Result r = run({"/bin/sh", "-c", "cd '" + dir + "' && exec '" + program +
                                             "' " + c.first});
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(c.second, r.out);
        EXPECT_EQ("", r.err) << "the README shows no warning";
    }

    std::string text = crlf(script);
    const std::string key = "prefskey(\"Software\\\\Acme\\\\Notes\")";
    size_t at = text.find(key);
    ASSERT_NE(std::string::npos, at);
    spit(dir + "/notes/Install.ini",
         std::string(text).replace(at, key.size(), "prefskey(\"Acme\\\\Notes\")"));
    ASSERT_EQ("$ vpack check notes", refused[0]);
    Result k = run({"/bin/sh", "-c", "cd '" + dir + "' && exec '" + program +
                                         "' check notes"});
    EXPECT_EQ(0, k.code) << trace(k);
    EXPECT_EQ(refused[1] + "\n" + refused[2] + "\n" + refused[3] + "\n", k.err);
    EXPECT_EQ(refused[4] + "\n", k.out);

    at = text.find("progstep();");
    ASSERT_NE(std::string::npos, at);
    text.insert(at + 8, "p");
    spit(dir + "/notes/Install.ini", text);
    ASSERT_EQ("$ vpack check notes", broken[0]);
    Result r = run({"/bin/sh", "-c", "cd '" + dir + "' && exec '" + program +
                                         "' check notes"});
    EXPECT_EQ(1, r.code) << trace(r);
    std::string boxes;
    for (size_t i = 1; i < 7; i++)
        boxes += broken[i] + "\n";
    EXPECT_EQ(boxes, r.out);
    EXPECT_EQ(broken[7] + "\n", r.err);
}
