/* vpack_cli_test.cpp -- vpack's everyday manners: --version and every
 * form of help, what --exclude and the default exclusions leave out, the
 * refusal of an earlier setup inside DIR, and check and run given a built
 * setup. */
#include "vpack_t.h"

#include "exclude.h"
#include "packer.h"
#include "reader.h"

#include <sstream>

/* The package paths vpack list shows for setup, in entry order. */
static std::vector<std::string> listed(const std::string &setup)
{
    Result r = run(vpack({"list", setup}));
    EXPECT_EQ(0, r.code) << trace(r);
    std::vector<std::string> paths;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line))
        paths.push_back(line.size() > 24 ? line.substr(24) : "?" + line);
    return paths;
}

static std::string joined(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &x : v)
        s += (s.empty() ? "" : " | ") + x;
    return s;
}

/* ---- version and help --------------------------------------------------- */

TEST(VpackCli, VersionAndHelpForms)
{
    const std::string version = "vpack (Vellum) " VELLUM_VERSION "\n";
    const struct {
        std::vector<std::string> args;
        int code;
        const char *shows;    /* in stdout, or in stderr for exit 2 */
    } rows[] = {
        {{"--version"}, 0, version.c_str()},
        {{"--version", "build"}, 2, "--version takes nothing after it"},
        {{"version"}, 2, "unknown command version"},
        {{"help"}, 0, "  vpack --version\n"},
        {{"help"}, 0, "  vpack help [COMMAND]\n"},
        {{"--help"}, 0, "  vpack help [COMMAND]\n"},
        {{"help", "--help"}, 0, "usage: vpack help [COMMAND]\n"},
        {{"help", "-h"}, 0, "usage: vpack help [COMMAND]\n"},
        {{"help", "help"}, 0, "vpack --version prints"},
        {{"--help", "help"}, 0, "usage: vpack help [COMMAND]\n"},
        {{"help", "build", "check"}, 2, "one COMMAND at most"},
        {{"help", "--version"}, 2, "no help for --version"},
        {{"build", "--help"}, 0, "--exclude PATTERN"},
        {{"help", "build"}, 0, "--no-default-excludes"},
        {{"help", "check"}, 0, "FILE(Install.ini)"},
        {{"help", "run"}, 0, "skip NAME: WHY; nothing was run"},
    };
    for (const auto &row : rows) {
        std::string name;
        for (const std::string &a : row.args)
            name += " " + a;
        SCOPED_TRACE("row:" + name);
        Result r = run(vpack(row.args));
        EXPECT_EQ(row.code, r.code) << trace(r);
        const std::string &where = row.code == 2 ? r.err : r.out;
        EXPECT_NE(std::string::npos, where.find(row.shows)) << trace(r);
        if (row.code == 0)
            EXPECT_EQ("", r.err);
    }
    Result v = run(vpack({"--version"}));
    EXPECT_EQ(version, v.out) << "the whole output is the one line";
}

/* Every command answers --help, -h and help COMMAND alike, with its usage
 * line first. */
TEST(VpackCli, EveryCommandHasHelp)
{
    Result all = run(vpack({"help"}));
    ASSERT_EQ(0, all.code) << trace(all);
    for (const char *c :
         {"build", "list", "extract", "verify", "check", "run", "help"}) {
        SCOPED_TRACE(std::string("row: ") + c);
        Result a = run(vpack({c, "--help"})), b = run(vpack({c, "-h"})),
               h = run(vpack({"help", c}));
        EXPECT_EQ(0, a.code) << trace(a);
        EXPECT_EQ(0, h.code) << trace(h);
        EXPECT_EQ(0u, a.out.find(std::string("usage: vpack ") + c)) << trace(a);
        EXPECT_EQ(a.out, b.out);
        EXPECT_EQ(a.out, h.out);
        EXPECT_NE(std::string::npos,
                  all.out.find(std::string("\n  vpack ") + c))
            << "the tool's help lists it";
    }
    /* build's help names the defaults as the program has them. */
    Result b = run(vpack({"help", "build"}));
    std::string list;
    for (const char *const *d = exclude_Defaults; *d; d++)
        list += std::string(list.empty() ? "" : " ") + *d;
    EXPECT_NE(std::string::npos, b.out.find(list)) << b.out;
}

/* ---- exclusion patterns ------------------------------------------------- */

TEST(VpackCli, ExcludePatternsMatch)
{
    const struct {
        const char *pattern, *path;
        bool folder, matches;
    } rows[] = {
        {"*.bak", "a.bak", false, true},
        {"*.bak", "Docs/deep/a.bak", false, true},
        {"*.bak", "a.bak.txt", false, false},
        {"*.BAK", "Docs/a.bak", false, true},       /* either case */
        {"a?c", "abc", false, true},
        {"a?c", "ac", false, false},
        {"?*~", "notes.txt~", false, true},
        {"?*~", "~", false, false},                 /* no backup of anything */
        {".git", ".git", true, true},
        {".git", "sub/.git", false, true},          /* a worktree's .git file */
        {".git", ".gitignore", false, false},
        {"build/", "build", true, true},
        {"build/", "build", false, false},          /* folders only */
        {"Docs/*.txt", "Docs/a.txt", false, true},
        {"Docs/*.txt", "Docs/Old/a.txt", false, false},  /* '*' takes no '/' */
        {"Docs/*.txt", "Other/Docs/a.txt", false, false},  /* from DIR */
        {"/Docs/Old", "Docs/Old", true, true},
        {"\\Docs\\Old", "Docs/Old", true, true},
        {"*/Old", "Docs/Old", true, true},
        {"*/Old", "Old", true, false},
        {"D*s/*", "Docs/x", false, true},
        {"*", "anything/at/all", false, true},
        {"*a*b", "xaxxb", false, true},
        {"*a*b", "xaxxbx", false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.pattern + " on " + row.path);
        EXPECT_EQ(row.matches,
                  exclude_Match({row.pattern}, row.path, row.folder) != NULL);
    }
    EXPECT_NE("", exclude_Check("/"));
    EXPECT_NE("", exclude_Check("a//b"));
    EXPECT_EQ("", exclude_Check("a/b/"));
}

/* A product with the usual leftovers in it. */
static const std::vector<Node> cluttered = {
    F("Install.ini", "// x\r\ninstall() { return 1; }\r\n"),
    F("License.txt", "licence"),
    F(".git/HEAD", "ref"),
    F("Docs/a.txt", "a"),
    F("Docs/a.txt.bak", "old a"),
    F("Docs/Old/x.txt", "x"),
    F("Program/.svn/entries", "svn"),
    F("Program/notes.BAK", "old notes"),
    F("Program/run.exe", "run"),
    F("Thumbs.db", "thumbs"),
    F("build/out.o", "o"),
    F("build.txt", "b"),
    F("src~", "backup"),
    F("~", "tilde"),
};

TEST(VpackCli, ExcludeLeavesOut)
{
    const std::string defaults =
        "vpack build: excluded 6: .git (folder), Docs/a.txt.bak, Program/.svn "
        "(folder), Program/notes.BAK, Thumbs.db, src~\n";
    const std::vector<std::string> kept = {
        "Install.ini", "License.txt", "Docs", "Docs\\Old", "Docs\\Old\\x.txt",
        "Docs\\a.txt", "Program", "Program\\run.exe", "build", "build\\out.o",
        "build.txt", "~"};
    const struct {
        const char *name;
        std::vector<std::string> options;
        std::string excludedLine;           /* "" : none printed */
        std::vector<std::string> paths;     /* in the package */
    } rows[] = {
        {"defaults", {}, defaults, kept},
        {"no defaults", {"--no-default-excludes"}, "",
         {"Install.ini", "License.txt", ".git", ".git\\HEAD", "Docs",
          "Docs\\Old", "Docs\\Old\\x.txt", "Docs\\a.txt", "Docs\\a.txt.bak",
          "Program", "Program\\.svn", "Program\\.svn\\entries",
          "Program\\notes.BAK", "Program\\run.exe", "Thumbs.db", "build",
          "build\\out.o", "build.txt", "src~", "~"}},
        {"folders only", {"--no-default-excludes", "--exclude", "build/"},
         "vpack build: excluded 1: build (folder)\n",
         {"Install.ini", "License.txt", ".git", ".git\\HEAD", "Docs",
          "Docs\\Old", "Docs\\Old\\x.txt", "Docs\\a.txt", "Docs\\a.txt.bak",
          "Program", "Program\\.svn", "Program\\.svn\\entries",
          "Program\\notes.BAK", "Program\\run.exe", "Thumbs.db", "build.txt",
          "src~", "~"}},
        {"a path from DIR", {"--exclude", "Docs/*.txt"},
         "vpack build: excluded 7: .git (folder), Docs/a.txt, Docs/a.txt.bak, "
         "Program/.svn (folder), Program/notes.BAK, Thumbs.db, src~\n",
         {"Install.ini", "License.txt", "Docs", "Docs\\Old", "Docs\\Old\\x.txt",
          "Program", "Program\\run.exe", "build", "build\\out.o", "build.txt",
          "~"}},
        {"a folder by name, with its contents", {"--exclude=D?cs"},
         "vpack build: excluded 6: .git (folder), Docs (folder), Program/.svn "
         "(folder), Program/notes.BAK, Thumbs.db, src~\n",
         {"Install.ini", "License.txt", "Program", "Program\\run.exe", "build",
          "build\\out.o", "build.txt", "~"}},
        {"Install.ini stays, License.txt goes",
         {"--exclude", "INSTALL.INI", "--exclude", "*.txt"},
         "vpack build: excluded 10: .git (folder), Docs/Old/x.txt, Docs/a.txt, "
         "Docs/a.txt.bak, License.txt, Program/.svn (folder), "
         "Program/notes.BAK, Thumbs.db, and 2 more\n",
         {"Install.ini", "Docs", "Docs\\Old", "Program", "Program\\run.exe",
          "build", "build\\out.o", "~"}},
        {"backslashes, a leading slash", {"--exclude", "\\Docs\\Old"},
         "vpack build: excluded 7: .git (folder), Docs/Old (folder), "
         "Docs/a.txt.bak, Program/.svn (folder), Program/notes.BAK, Thumbs.db, "
         "src~\n",
         {"Install.ini", "License.txt", "Docs", "Docs\\a.txt", "Program",
          "Program\\run.exe", "build", "build\\out.o", "build.txt", "~"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("exclude");
        make_tree(dir + "/p", cluttered);
        std::vector<std::string> extra = {"--no-uninstaller"};
        extra.insert(extra.end(), row.options.begin(), row.options.end());
        Result r = build(dir + "/p", dir + "/s.exe", extra);
        ASSERT_EQ(0, r.code) << trace(r);
        std::string first = r.out.substr(0, r.out.find('\n') + 1);
        if (row.excludedLine.empty())
            EXPECT_EQ(0u, r.out.find("vpack build: wrote ")) << trace(r);
        else
            EXPECT_EQ(row.excludedLine, first) << trace(r);
        if (!row.paths.empty())
            EXPECT_EQ(joined(row.paths), joined(listed(dir + "/s.exe")));
    }
}

/* The members the checker is given for a folder are the files the build
 * packs, exclusions and all. */
TEST(VpackCli, FolderMembersAreWhatBuildPacks)
{
    const struct {
        const char *name;
        std::vector<std::string> excludes;
        bool defaults;
    } rows[] = {
        {"defaults", {}, true},
        {"none", {}, false},
        {"patterns", {"Docs/*.txt", "build/"}, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("members");
        make_tree(dir + "/p", cluttered);
        PackerOptions o;
        o.dir = dir + "/p";
        o.noUninstaller = true;
        o.excludes = row.excludes;
        o.defaultExcludes = row.defaults;
        std::vector<std::string> members, extra = {"--no-uninstaller"};
        std::string why;
        ASSERT_TRUE(packer_Members(o, &members, &why)) << why;
        for (const std::string &p : row.excludes)
            extra.insert(extra.end(), {"--exclude", p});
        if (!row.defaults)
            extra.push_back("--no-default-excludes");
        ASSERT_EQ(0, build(o.dir, dir + "/s.exe", extra).code);
        std::string name;
        std::vector<char> script;
        std::vector<std::string> packed;
        ASSERT_TRUE(reader_Script(dir + "/s.exe", &name, &script, &packed, &why))
            << why;
        EXPECT_EQ(joined(packed), joined(members));
        EXPECT_GT(members.size(), 5u);
    }
    /* What build refuses, so does the list. */
    std::string dir = fresh("members-refused");
    make_tree(dir + "/p", {F("Install.ini", "// x")});
    ASSERT_EQ(0, build(dir + "/p", dir + "/first.exe").code);
    fs::rename(dir + "/first.exe", dir + "/p/old.exe");
    const struct {
        const char *name, *dir, *says;
    } refused[] = {
        {"an earlier setup inside", "/p", "already carries a package"},
        {"no folder", "/none", "does not exist"},
    };
    for (const auto &row : refused) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        PackerOptions o;
        o.dir = dir + row.dir;
        o.noUninstaller = true;
        std::vector<std::string> members;
        std::string why;
        EXPECT_FALSE(packer_Members(o, &members, &why));
        EXPECT_NE(std::string::npos, why.find(row.says)) << why;
    }
}

/* The folder's own Uninstall.exe can be left out for --uninstaller's. */
TEST(VpackCli, ExcludeOwnUninstaller)
{
    std::string dir = fresh("exclude-uninst");
    make_tree(dir + "/p", {F("Install.ini", "// x"), F("Uninstall.exe", "own")});
    spit(dir + "/u.exe", "given");
    Result r = build(dir + "/p", dir + "/s.exe", {"--uninstaller", dir + "/u.exe"});
    EXPECT_EQ(1, r.code) << trace(r);
    EXPECT_NE(std::string::npos, r.err.find("has its own Uninstall.exe")) << trace(r);
    r = build(dir + "/p", dir + "/s.exe",
              {"--uninstaller", dir + "/u.exe", "--exclude", "uninstall.EXE"});
    ASSERT_EQ(0, r.code) << trace(r);
    EXPECT_EQ(0u, r.out.find("vpack build: excluded 1: Uninstall.exe\n")) << trace(r);
    Result x = run(vpack({"extract", dir + "/s.exe", dir + "/x"}));
    ASSERT_EQ(0, x.code) << trace(x);
    EXPECT_EQ("given", slurp(dir + "/x/Uninstall.exe"));
}

TEST(VpackCli, ExcludeUsageErrors)
{
    std::string dir = fresh("exclude-usage");
    make_tree(dir + "/p", base_tree);
    const struct {
        std::vector<std::string> options;
        const char *says;
    } rows[] = {
        {{"--exclude"}, "--exclude needs a value"},
        {{"--exclude="}, "--exclude needs a value"},
        {{"--exclude", "/"}, "the pattern '/' names nothing"},
        {{"--exclude", "a//b"}, "the pattern 'a//b' has an empty part"},
        {{"--no-default-excludes=1"}, "unknown option --no-default-excludes=1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE("row: " + joined(row.options));
        std::vector<std::string> extra = {"--no-uninstaller"};
        extra.insert(extra.end(), row.options.begin(), row.options.end());
        Result r = build(dir + "/p", dir + "/s.exe", extra);
        EXPECT_EQ(2, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        EXPECT_FALSE(exists(dir + "/s.exe"));
    }
}

/* ---- an earlier setup inside DIR ---------------------------------------- */

TEST(VpackCli, EarlierSetupInsideIsRefused)
{
    std::string dir = fresh("nested");
    make_tree(dir + "/first", base_tree);
    ASSERT_EQ(0, build(dir + "/first", dir + "/first.exe").code);
    std::string setup = slurp(dir + "/first.exe");
    std::string damaged = setup.substr(0, setup.size() - 10);
    const struct {
        const char *name;
        std::string data;     /* placed at p/old/Setup.exe */
        bool refused;
    } rows[] = {
        {"a setup", setup, true},
        {"a damaged setup", damaged, true},
        {"a bare program", slurp(g_stub), false},
        {"a program with other bytes after it", slurp(g_stub) + "overlay", false},
        {"no program, the magic at its start", setup.substr(slurp(g_stub).size()),
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        make_tree(dir + "/p", base_tree);
        spit(dir + "/p/old/Setup.exe", row.data);
        std::string out = dir + "/s.exe";
        fs::remove(out);
        Result r = build(dir + "/p", out);
        if (!row.refused) {
            EXPECT_EQ(0, r.code) << trace(r);
            continue;
        }
        EXPECT_EQ(1, r.code) << trace(r);
        EXPECT_EQ("vpack build: '" + dir + "/p/old/Setup.exe' already carries a "
                  "package (an earlier setup?), and a setup is not packed into "
                  "another: delete it, move it out of the product folder, or "
                  "leave it out with --exclude 'old/Setup.exe'\n",
                  r.err);
        EXPECT_FALSE(exists(out));
        /* The way out the message names. */
        r = build(dir + "/p", out, {"--no-uninstaller", "--exclude", "old/Setup.exe"});
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.out.find("excluded 1: old/Setup.exe\n"));
    }
    /* The setup being written, inside DIR, is still no input: built twice. */
    fs::remove_all(dir + "/p/old");
    for (int i = 0; i < 2; i++) {
        Result r = build(dir + "/p", dir + "/p/Setup.exe");
        EXPECT_EQ(0, r.code) << "build " << i << ": " << trace(r);
    }
}

/* ---- check and run given a built setup ---------------------------------- */

static std::string replaced(std::string s, const std::string &from,
                            const std::string &to)
{
    for (size_t at = 0; (at = s.find(from, at)) != std::string::npos;
         at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

TEST(VpackCli, CheckAndRunReadTheBuiltSetup)
{
    std::string dir = fresh("setup-script");
    std::string script = crlf({"// Company=Acme", "// Product=Tool",
                               "init() { return 1; }",
                               "install() { copy(\"a.txt\", \"%APPDIR%\\\\a.txt\");",
                               "  prefskey(\"Acme\\\\Tool\"); return 2; }"});
    make_tree(dir + "/p", {F("Install.ini", script), F("a.txt", "a")});
    std::string setup = dir + "/s.exe";
    ASSERT_EQ(0, build(dir + "/p", setup).code);
    const std::string ini = dir + "/p/Install.ini";
    const std::string inside = setup + "(Install.ini)";
    const struct {
        const char *name;
        std::vector<std::string> args;   /* FILE is put after the first */
    } rows[] = {
        {"check", {"check"}},
        {"run", {"run"}},
        {"run --call", {"run", "--call", "install", "--call", "none"}},
        {"run --os", {"run", "--os", "win95"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::vector<std::string> onIni = row.args, onSetup = row.args;
        onIni.insert(onIni.begin() + 1, ini);
        onSetup.insert(onSetup.begin() + 1, setup);
        Result a = run(vpack(onIni)), b = run(vpack(onSetup));
        EXPECT_EQ(a.code, b.code) << trace(b);
        EXPECT_EQ(0, b.code) << trace(b);
        /* The same findings, at the same places, under the setup's name. */
        EXPECT_EQ(replaced(a.out, ini, inside), b.out);
        EXPECT_EQ(replaced(a.err, ini, inside), b.err);
        EXPECT_NE(std::string::npos, b.err.find(inside + ":5:")) << trace(b);
        EXPECT_EQ(std::string::npos, b.out.find(ini));
    }
    Result c = run(vpack({"check", setup}));
    EXPECT_NE(std::string::npos,
              c.out.find("vpack check: " + inside + ": compiles, 2 warnings; "
                         "setup calls init, install\n")) << trace(c);

    /* What is no setup, or a damaged one, is named. */
    std::string cut = dir + "/cut.exe", bytes = slurp(setup);
    spit(cut, bytes.substr(0, bytes.size() - 3));
    const struct {
        const char *name;
        std::string file, says;
    } refused[] = {
        {"a program without a package", g_stub,
         "'" + g_stub + "' is a program that carries no package: give a "
         "script, a product folder or a built setup"},
        {"a truncated setup", cut, "'" + cut + "': pkg_Open error 6"},
    };
    for (const auto &row : refused) {
        for (const char *cmd : {"check", "run"}) {
            SCOPED_TRACE(std::string("row: ") + row.name + ", " + cmd);
            Result r = run(vpack({cmd, row.file}));
            EXPECT_EQ(1, r.code) << trace(r);
            EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        }
    }
}

/* The loader check and run use: the script member's bytes, its name, and
 * the package's members as the checker compares copy's with them. */
TEST(VpackCli, SetupScriptAndMembers)
{
    std::string dir = fresh("setup-members");
    make_tree(dir + "/p", base_tree);
    std::string setup = dir + "/s.exe";
    ASSERT_EQ(0, build(dir + "/p", setup).code);
    EXPECT_EQ(READER_SETUP, reader_Kind(setup));
    EXPECT_EQ(READER_BARE_PE, reader_Kind(g_stub));
    EXPECT_EQ(READER_NOT_PE, reader_Kind(dir + "/p/Install.ini"));
    EXPECT_EQ(READER_NOT_PE, reader_Kind(dir + "/none"));

    std::string name, why;
    std::vector<char> text;
    std::vector<std::string> members;
    ASSERT_TRUE(reader_Script(setup, &name, &text, &members, &why)) << why;
    EXPECT_EQ(setup + "(Install.ini)", name);
    std::string ini = slurp(dir + "/p/Install.ini");
    ASSERT_EQ(ini.size() + 1, text.size());
    EXPECT_EQ(ini, std::string(text.data(), ini.size()));
    EXPECT_EQ(0, text.back());
    EXPECT_EQ("Install.ini | License.txt | bin\\app.exe | bin\\sub\\data.bin | "
              "readme.txt",
              joined(members));

    /* A program without a package has no script. */
    EXPECT_FALSE(reader_Script(g_stub, &name, &text, &members, &why));
    EXPECT_NE(std::string::npos, why.find("pkg_Open error 5")) << why;
}
