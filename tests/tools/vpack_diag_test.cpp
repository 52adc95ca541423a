/* vpack_diag_test.cpp -- what check, run and build find in a script, each
 * finding as FILE:LINE:COLUMN with the line and a caret; --werror,
 * --allow-missing; and the script and licence stored with CR LF line ends,
 * as setup reads them. */
#include "vpack_t.h"

#include <string>
#include <vector>

namespace {

/* The settings that keep a script free of the licence and uninstaller
 * warnings, two lines before the rest. */
const std::string quiet = "// NoLicense=0\n// NoUninstall=0\n";

struct DiagCase {
    const char       *name;
    std::string       script;        /* Install.ini, LF line ends */
    std::vector<Node> members;       /* beside it; none: a bare script */
    std::vector<std::string> args;   /* the command and its options */
    int               code;
    std::string       out, err;      /* FILE stands for Install.ini's path */
};

std::vector<DiagCase> diag_cases()
{
    const std::vector<Node> app = {F("Program/AcmeApp.exe", "app")};
    return {
        {"a member the folder lacks, with the nearest",
         quiet + "install()\n{\n    copy(\"Program\\\\AcmeAp.exe\", \"C:\\\\a.exe\");\n}\n",
         app, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:5:10: warning: copy(\"Program\\\\AcmeAp.exe\", ...): the package "
         "holds no such file, so the built-in fails; did you mean "
         "\"Program\\\\AcmeApp.exe\"?\n"
         "    copy(\"Program\\\\AcmeAp.exe\", \"C:\\\\a.exe\");\n"
         "         ^\n"},
        {"members found as setup's reader finds them: any case, a dot part",
         quiet + "install()\n{\n    copyshared(\"PROGRAM\\\\acmeapp.EXE\", \"C:\\\\a\", \"a\");\n"
                 "    version(\".\\\\Program\\\\AcmeApp.exe\", \"C:\\\\a\");\n}\n",
         app, {"check"}, 0,
         "vpack check: FILE: OK; setup calls install (there is no init)\n", ""},
        {"a folder is no member; installdriver too",
         quiet + "install() { installdriver(\"Program\", \"C:\\\\d.sys\", \"d\"); }\n",
         app, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:3:27: warning: installdriver(\"Program\", ...): that is a folder of "
         "the package, not a file\n"
         "install() { installdriver(\"Program\", \"C:\\\\d.sys\", \"d\"); }\n"
         "                          ^\n"},
        {"a bare script: no members to compare with",
         quiet + "install() { copy(\"nowhere.exe\", \"C:\\\\a\"); }\n", {}, {"check"}, 0,
         "vpack check: FILE: OK; setup calls install (there is no init)\n", ""},
        {"a single backslash stores a NUL",
         quiet + "install()\n{\n\tmsgboxok(\"C:\\Acme\");\n}\n", {}, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:5:14: warning: \\A stores a NUL: the text ends there, at \"C:\"; "
         "for a backslash (as in a path) write \\\\\n"
         "\tmsgboxok(\"C:\\Acme\");\n"
         "\t            ^\n"},
        {"\\0 at the end is harmless, inside it cuts the text",
         quiet + "install() { msgboxok(\"a\\0\"); msgboxok(\"b\\0c\"); }\n", {},
         {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:3:41: warning: \\0 stores a NUL: the text ends there, at \"b\", "
         "and what follows is never read\n"
         "install() { msgboxok(\"a\\0\"); msgboxok(\"b\\0c\"); }\n"
         "                                        ^\n"},
        {"an escape in a comment is no literal",
         quiet + "// copy(\"a\\b\")\n/* \"\\q\" */\ninstall() { }\n", {}, {"check"}, 0,
         "vpack check: FILE: OK; setup calls install (there is no init)\n", ""},
        {"a misspelt setting, and one named in small letters",
         quiet + "// Compnay=Acme\n//product=Tool\ninstall() { }\n", {}, {"check"}, 0,
         "vpack check: FILE: compiles, 2 warnings; setup calls install (there is no init)\n",
         "FILE:3:4: warning: setup reads no setting Compnay; did you mean Company?\n"
         "// Compnay=Acme\n"
         "   ^\n"
         "FILE:4:3: warning: setup reads no setting product; did you mean Product?\n"
         "//product=Tool\n"
         "  ^\n"},
        {"a name far from every setting lists them",
         quiet + "// Author=Me\ninstall() { }\n", {}, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:3:4: warning: setup reads no setting Author (it reads Name, "
         "Version, Company, Product, LogPath, Update, NoLicense, NoUninstall, "
         "NoWin95, InstallDriver, CompanyURL, CompanyEmail, ProductURL, "
         "ProductEmail)\n"
         "// Author=Me\n"
         "   ^\n"},
        {"a setting hidden by its own earlier line",
         quiet + "// Product=Tool\n// Product=Other\ninstall() { }\n", {}, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:4:4: warning: setup reads only the first Product= in the "
         "script, on line 3: this one is never read\n"
         "// Product=Other\n"
         "   ^\n"},
        {"a number setting hidden: setup reads the next '='",
         "// NoUninstall=0\n// NoLicense is the page's switch: 3\n// x=5\n"
         "// NoLicense=0\ninstall() { }\n",
         {}, {"check"}, 0,
         "vpack check: FILE: compiles, 2 warnings; setup calls install (there is no init)\n",
         "FILE:3:4: warning: setup reads no setting x (it reads Name, Version, "
         "Company, Product, LogPath, Update, NoLicense, NoUninstall, NoWin95, "
         "InstallDriver, CompanyURL, CompanyEmail, ProductURL, ProductEmail)\n"
         "// x=5\n"
         "   ^\n"
         "FILE:4:4: warning: setup does not see this NoLicense setting: it "
         "reads the first \"NoLicense\" in the script, on line 2, with the "
         "number after the next '=' (5); move this line above it\n"
         "// NoLicense=0\n"
         "   ^\n"},
        {"License.txt without NoLicense",
         "// NoUninstall=0\ninstall() { }\n", {F("License.txt", "Terms\n")},
         {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:1:1: warning: setup never shows the licence page, although the "
         "package holds License.txt: the script has no NoLicense setting, and "
         "setup then takes 1 (write // NoLicense=0 to show it)\n"
         "// NoUninstall=0\n"
         "^\n"},
        {"License.txt with NoLicense=1; NoUninstall=2",
         "// Name=Tool\n// NoLicense=1\n// NoUninstall=2\ninstall() { }\n",
         {F("license.TXT", "Terms\n")}, {"check"}, 0,
         "vpack check: FILE: compiles, 2 warnings; setup calls install (there is no init)\n",
         "FILE:2:4: warning: setup never shows the licence page, although the "
         "package holds License.txt: NoLicense is 1 (write // NoLicense=0 to "
         "show it)\n"
         "// NoLicense=1\n"
         "   ^\n"
         "FILE:3:4: warning: setup leaves no uninstaller and no Add/Remove "
         "Programs entry: NoUninstall is 2 (write // NoUninstall=0 for them)\n"
         "// NoUninstall=2\n"
         "   ^\n"},
        {"no licence page wanted, no licence: quiet",
         "// NoUninstall=0\ninstall() { }\n", app, {"check"}, 0,
         "vpack check: FILE: OK; setup calls install (there is no init)\n", ""},
        {"no NoUninstall, and a setnouninstall call",
         "// NoLicense=0\ninstall() { setnouninstall(0); }\n", {}, {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:1:1: warning: setup leaves no uninstaller and no Add/Remove "
         "Programs entry: the script has no NoUninstall setting, and setup "
         "then takes 1 (write // NoUninstall=0 for them; a setnouninstall "
         "call may change it as the script runs)\n"
         "// NoLicense=0\n"
         "^\n"},
        {"folder macros in init, not in install nor after the start",
         quiet + "init()\n{\n    makedir(\"%appdir%\\\\x\");\n"
                 "    if (fileinuse(\"%PRODUCTDIR%\\\\a\")) return 0;\n"
                 "    makedir(\"%WINDIR%\\\\x\"); makedir(\"C:\\\\%APPDIR%\");\n"
                 "    return 1;\n}\n"
                 "install() { makedir(\"%COMPANYDIR%\\\\x\"); }\n",
         {}, {"check"}, 0,
         "vpack check: FILE: compiles, 2 warnings; setup calls init, install\n",
         "FILE:5:13: warning: %APPDIR% in init: setup chooses that folder on "
         "its destination page, after init, so here it cannot expand it: the "
         "path becomes empty and the built-in fails\n"
         "    makedir(\"%appdir%\\\\x\");\n"
         "            ^\n"
         "FILE:6:19: warning: %PRODUCTDIR% in init: setup chooses that folder "
         "on its destination page, after init, so here it cannot expand it: "
         "the path becomes empty and the built-in fails\n"
         "    if (fileinuse(\"%PRODUCTDIR%\\\\a\")) return 0;\n"
         "                  ^\n"},
        {"run gives the same findings first",
         quiet + "// Compnay=Acme\ninstall() { msgboxok(\"a\\qb\"); }\n", {}, {"run"}, 0,
         "builtin msgboxok(\"a\")\ncall install = 0\n" + state(0, 0, 0, 1, 0, 0),
         "FILE:3:4: warning: setup reads no setting Compnay; did you mean Company?\n"
         "// Compnay=Acme\n"
         "   ^\n"
         "FILE:4:24: warning: \\q stores a NUL: the text ends there, at \"a\"; "
         "for a backslash (as in a path) write \\\\\n"
         "install() { msgboxok(\"a\\qb\"); }\n"
         "                       ^\n"},
        {"--werror: check fails, the warning an error",
         quiet + "// Compnay=Acme\ninstall() { }\n", {}, {"check", "--werror"}, 1, "",
         "FILE:3:4: error: setup reads no setting Compnay; did you mean Company? "
         "[--werror]\n"
         "// Compnay=Acme\n"
         "   ^\n"
         "vpack check: 'FILE': 1 error found\n"},
        {"--werror: run exits 1 after the run",
         quiet + "// Compnay=Acme\ninstall() { return 2; }\n", {}, {"run", "--werror"}, 1,
         "call install = 2\n" + state(0, 0, 0, 1, 0, 0),
         "FILE:3:4: error: setup reads no setting Compnay; did you mean Company? "
         "[--werror]\n"
         "// Compnay=Acme\n"
         "   ^\n"
         "vpack run: 'FILE': 1 error found\n"},
        {"--werror without warnings changes nothing",
         quiet + "install() { }\n", {}, {"check", "--werror"}, 0,
         "vpack check: FILE: OK; setup calls install (there is no init)\n", ""},
        {"lone CRs are line ends too",
         "// NoLicense=0\r// NoUninstall=0\r// Compnay=A\rinstall() { }\r", {},
         {"check"}, 0,
         "vpack check: FILE: compiles, 1 warning; setup calls install (there is no init)\n",
         "FILE:3:4: warning: setup reads no setting Compnay; did you mean Company?\n"
         "// Compnay=A\n"
         "   ^\n"},
    };
}

/* The script written, with its members in a product folder when it has
 * any, and FILE's path. */
std::string make_case(const DiagCase &row, std::string *target)
{
    std::string dir = fresh("diag");
    spit(dir + "/Install.ini", row.script);
    make_tree(dir, row.members);
    *target = row.members.empty() ? dir + "/Install.ini" : dir;
    return dir + "/Install.ini";
}

} // namespace

TEST(VpackDiag, FindingsAtLineAndColumn)
{
    for (const DiagCase &row : diag_cases()) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string target, ini = make_case(row, &target);
        std::vector<std::string> args = {row.args[0], target};
        args.insert(args.end(), row.args.begin() + 1, row.args.end());
        Result r = run(vpack(args));
        EXPECT_EQ(row.code, r.code) << trace(r);
        EXPECT_EQ(with_file(row.out.compare(0, 12, "vpack check:") == 0
                                ? "vpack check: " + ini + row.out.substr(17)
                                : row.out,
                            ini),
                  r.out);
        std::string err = row.err;
        for (size_t at; (at = err.find("'FILE'")) != std::string::npos;)
            err.replace(at, 6, "'" + ini + "'");
        EXPECT_EQ(with_file(err, ini), r.err);
    }
}

/* A script and its twin with CR LF line ends say the same: the offsets
 * in the boxes are those setup reads, lines and columns the same. */
TEST(VpackDiag, LineFeedsAndTheirCrLfTwinSayTheSame)
{
    const std::vector<std::string> scripts = {
        "// Compnay=A\ninit()\n{\n\tmakedir(\"%APPDIR%\\x\");\n}\n",
        "install()\n{\n    x = 1;\n}\n",
        "install() {\n  msgboxok(\"a\")\n  return 1; }\n",
    };
    for (const std::string &lf : scripts) {
        SCOPED_TRACE("row: " + lf);
        std::string crlfText;
        for (char c : lf)
            crlfText += c == '\n' ? std::string("\r\n") : std::string(1, c);
        std::string path = script_at("twin", lf);
        Result a = run(vpack({"check", path}));
        spit(path, crlfText);
        Result b = run(vpack({"check", path}));
        EXPECT_EQ(a.code, b.code);
        EXPECT_EQ(a.out, b.out);
        EXPECT_EQ(a.err, b.err);
        EXPECT_NE("", a.out + a.err) << "each script has a finding or a box";
    }
}

/* A product written on Linux: LF line ends, a misspelt member, a single
 * backslash, a misspelt setting and macros in init.  check names each. */
TEST(VpackDiag, LinuxProductFolder)
{
    std::string dir = fresh("linux");
    make_tree(dir, {F("Program/AcmeApp.exe", "app"), F("License.txt", "Terms\n")});
    spit(dir + "/Install.ini",
         "// Name=Acme App\n"
         "// Compnay=Acme\n"
         "// Product=App\n"
         "// NoLicense=0\n"
         "// NoUninstall=0\n"
         "\n"
         "init()\n"
         "{\n"
         "    makedir(\"%APPDIR%\\\\Data\");\n"
         "    return 1;\n"
         "}\n"
         "\n"
         "install()\n"
         "{\n"
         "    copy(\"Program\\\\AcmeAp.exe\", \"%APPDIR%\\\\AcmeApp.exe\");\n"
         "    copy(\"Program\\AcmeApp.exe\", \"%APPDIR%\\\\AcmeApp.exe\");\n"
         "    return !iscopyerror();\n"
         "}\n");
    std::string ini = dir + "/Install.ini";
    Result r = run(vpack({"check", dir}));
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_EQ("vpack check: " + ini +
                  ": compiles, 5 warnings; setup calls init, install\n",
              r.out);
    EXPECT_EQ(with_file(
                  "FILE:2:4: warning: setup reads no setting Compnay; did you "
                  "mean Company?\n"
                  "// Compnay=Acme\n"
                  "   ^\n"
                  "FILE:9:13: warning: %APPDIR% in init: setup chooses that "
                  "folder on its destination page, after init, so here it "
                  "cannot expand it: the path becomes empty and the built-in "
                  "fails\n"
                  "    makedir(\"%APPDIR%\\\\Data\");\n"
                  "            ^\n"
                  "FILE:15:10: warning: copy(\"Program\\\\AcmeAp.exe\", ...): the "
                  "package holds no such file, so the built-in fails; did you "
                  "mean \"Program\\\\AcmeApp.exe\"?\n"
                  "    copy(\"Program\\\\AcmeAp.exe\", \"%APPDIR%\\\\AcmeApp.exe\");\n"
                  "         ^\n"
                  "FILE:16:10: warning: copy(\"Program\", ...): that is a folder "
                  "of the package, not a file\n"
                  "    copy(\"Program\\AcmeApp.exe\", \"%APPDIR%\\\\AcmeApp.exe\");\n"
                  "         ^\n"
                  "FILE:16:18: warning: \\A stores a NUL: the text ends there, "
                  "at \"Program\"; for a backslash (as in a path) write \\\\\n"
                  "    copy(\"Program\\AcmeApp.exe\", \"%APPDIR%\\\\AcmeApp.exe\");\n"
                  "                 ^\n",
                  ini),
              r.err);

    /* build refuses it, naming the members; nothing is written. */
    std::string out = g_root + "/linux.exe";
    Result b = build(dir, out);
    EXPECT_EQ(1, b.code) << trace(b);
    EXPECT_NE(std::string::npos,
              b.err.find(ini + ":15:10: error: copy(\"Program\\\\AcmeAp.exe\", "
                               "...): the package holds no such file"))
        << trace(b);
    EXPECT_NE(std::string::npos,
              b.err.find("(give --allow-missing to pack anyway)")) << trace(b);
    EXPECT_NE(std::string::npos,
              b.err.find("vpack build: '" + ini + "': 2 errors found; nothing "
                         "was packed"))
        << trace(b);
    EXPECT_FALSE(exists(out));
    EXPECT_FALSE(exists(out + ".tmp"));
}

/* build: a missing member is an error unless --allow-missing; --werror
 * makes every warning one; Install.ini and License.txt stored CR LF. */
TEST(VpackDiag, BuildFindings)
{
    const struct {
        const char *name;
        std::string script;
        std::vector<std::string> extra;
        int code;
        std::string says;   /* in stdout + stderr */
    } rows[] = {
        {"missing member refused",
         quiet + "install() { copy(\"gone.txt\", \"C:\\\\g\"); }\n",
         {"--no-uninstaller"}, 1,
         "FILE:3:18: error: copy(\"gone.txt\", ...): the package holds no such "
         "file, so the built-in fails (give --allow-missing to pack anyway)\n"},
        {"missing member allowed",
         quiet + "install() { copy(\"gone.txt\", \"C:\\\\g\"); }\n",
         {"--no-uninstaller", "--allow-missing"}, 0,
         "FILE:3:18: warning: copy(\"gone.txt\", ...): the package holds no "
         "such file, so the built-in fails\n"},
        {"missing member allowed, but --werror",
         quiet + "install() { copy(\"gone.txt\", \"C:\\\\g\"); }\n",
         {"--no-uninstaller", "--allow-missing", "--werror"}, 1,
         "FILE:3:18: error: copy(\"gone.txt\", ...): the package holds no "
         "such file, so the built-in fails [--werror]\n"},
        {"a warning under --werror", quiet + "// Compnay=A\ninstall() { }\n",
         {"--no-uninstaller", "--werror"}, 1,
         "vpack build: 'FILE': 1 error found; nothing was packed\n"},
        {"a warning builds", quiet + "// Compnay=A\ninstall() { }\n",
         {"--no-uninstaller"}, 0,
         "FILE:3:4: warning: setup reads no setting Compnay; did you mean "
         "Company?\n"},
        {"present member builds quietly",
         quiet + "install() { copy(\"here.txt\", \"C:\\\\h\"); }\n",
         {"--no-uninstaller"}, 0, "wrote"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("bfind");
        spit(dir + "/p/Install.ini", row.script);
        spit(dir + "/p/here.txt", "here");
        std::string ini = dir + "/p/Install.ini", out = dir + "/setup.exe";
        Result r = build(dir + "/p", out, row.extra);
        EXPECT_EQ(row.code, r.code) << trace(r);
        std::string says = with_file(row.says, ini);
        for (size_t at; (at = says.find("'FILE'")) != std::string::npos;)
            says.replace(at, 6, "'" + ini + "'");
        EXPECT_NE(std::string::npos, (r.out + r.err).find(says)) << trace(r);
        EXPECT_EQ(row.code == 0, exists(out));
        EXPECT_FALSE(exists(out + ".tmp"));
    }
}

TEST(VpackDiag, BuildStoresCrLf)
{
    const struct {
        const char *name;
        std::string ini, license;      /* on disk */
        std::string iniStored, licenseStored;
        std::string line;              /* build's line about it, "" none */
    } rows[] = {
        {"line feeds", quiet + "install() { }\n", "Terms\nof use\n",
         "// NoLicense=0\r\n// NoUninstall=0\r\ninstall() { }\r\n",
         "Terms\r\nof use\r\n",
         "vpack build: line ends stored as CR LF, as setup reads them: "
         "Install.ini (3 changed), License.txt (2 changed)\n"},
        {"CR LF kept, lone CRs and LFs mended",
         "// NoLicense=0\r\n// NoUninstall=0\r\ninstall() { }", "a\rb\r\nc\n\nd",
         "// NoLicense=0\r\n// NoUninstall=0\r\ninstall() { }",
         "a\r\nb\r\nc\r\n\r\nd",
         "vpack build: line ends stored as CR LF, as setup reads them: "
         "License.txt (3 changed)\n"},
        {"already CR LF: no line", "// NoLicense=0\r\n// NoUninstall=0\r\n",
         "x\r\n", "// NoLicense=0\r\n// NoUninstall=0\r\n", "x\r\n", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string dir = fresh("crlf");
        spit(dir + "/p/Install.ini", row.ini);
        spit(dir + "/p/License.txt", row.license);
        spit(dir + "/p/notes.txt", "a\nb\n");
        std::string out = dir + "/setup.exe";
        Result r = build(dir + "/p", out);
        ASSERT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.line + "vpack build: wrote",
                  r.out.substr(0, row.line.size() + 18));
        r = run(vpack({"extract", out, dir + "/x"}));
        ASSERT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.iniStored, slurp(dir + "/x/Install.ini"));
        EXPECT_EQ(row.licenseStored, slurp(dir + "/x/License.txt"));
        EXPECT_EQ("a\nb\n", slurp(dir + "/x/notes.txt")) << "other files as they are";
        r = run(vpack({"verify", out}));
        EXPECT_EQ(0, r.code) << trace(r);
    }
}
