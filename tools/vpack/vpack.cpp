/* vpack.cpp -- the command line: vpack build | list | extract | verify |
 * check | run.  Exit codes: 0 success, 1 refused or failed, 2 usage error. */
#include "checker.h"
#include "codepage.h"
#include "fsys.h"
#include "ident.h"
#include "packer.h"
#include "reader.h"

#include <stdio.h>
#include <string.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

MODULE_IDENT("tools/vpack/vpack.cpp");

#define EXIT_USAGE 2

struct Command {
    const char *name;
    const char *usage;
    const char *text;
};

static const Command commands[] = {
    {"build",
     "vpack build DIR -o FILE.exe [--stub PATH] [--uninstaller PATH | "
     "--no-uninstaller] [--codepage N]",
     "Packs the product folder DIR into the setup FILE.exe.\n"
     "\n"
     "DIR holds Install.ini (required), an optional License.txt and the\n"
     "product's files in their folders; all of it goes into the package\n"
     "under its own names, with Install.ini, License.txt and Uninstall.exe\n"
     "first.  Members are compressed by libdeflate into zlib streams on\n"
     "every core, and a file with the bytes of an earlier one is stored\n"
     "once; the same input always gives the same bytes.  FILE.exe is\n"
     "written as FILE.exe.tmp and renamed at the end: on any refusal no\n"
     "new file is left (an earlier FILE.exe stays as it was, and is never\n"
     "packed).\n"
     "\n"
     "  -o, --output FILE.exe  the setup to write\n"
     "  --stub PATH            the setup program to carry the package; it\n"
     "                         must be a bare PE image (sign the result, not\n"
     "                         the stub)\n"
     "  --uninstaller PATH     packed as Uninstall.exe\n"
     "  --no-uninstaller       no Uninstall.exe at all\n"
     "  --codepage N           the Windows code page of the systems the\n"
     "                         product is for: 1252 by default, or one of\n"
     "                         CODEPAGES\n"
     "\n"
     "Names: setup opens files through the ANSI API, so the package holds\n"
     "each name in the code page of the installing system.  Names on disk\n"
     "are read as UTF-8 (vpack.exe reads them as Windows holds them) and\n"
     "written in --codepage from vpack's own tables, so every vpack makes\n"
     "the same bytes.  Install.ini is packed as it is: setup shows its\n"
     "texts as bytes of that code page, so save it in that code page (a\n"
     "UTF-8 one beyond ASCII gets a warning).\n"
     "\n"
     "Refused: no Install.ini; a name that is not UTF-8, holds a character\n"
     "the code page cannot, is 260 bytes or more, or is one Windows cannot\n"
     "create: with \\ / : * ? \" < > | or a control character, ending in a\n"
     "dot or a blank, or a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,\n"
     "CONIN$, CONOUT$, CLOCK$, with any extension, in any case); two names\n"
     "in a folder that differ only in case (as Windows compares them: e and\n"
     "E, and e-acute and E-acute too); a member of 4 GiB or more, a setup of\n"
     "4 GiB or more, unreadable files, symlink loops."},
    {"list", "vpack list FILE.exe [--codepage N]",
     "Lists the package in FILE.exe, one line per entry: 'd' for a folder\n"
     "or '-' for a file, size, packed size, and the path inside the\n"
     "package, backslash-separated, its names read in --codepage (1252 by\n"
     "default) and shown in UTF-8; a byte the code page leaves undefined\n"
     "is shown as \\xNN."},
    {"extract", "vpack extract FILE.exe DIR [--codepage N]",
     "Writes every folder and member of the package in FILE.exe under DIR,\n"
     "which is created if missing, under its name read in --codepage (1252\n"
     "by default).  A name with a byte the code page leaves undefined stops\n"
     "the extraction there."},
    {"verify", "vpack verify FILE.exe",
     "Opens the package in FILE.exe as setup does, checking the header's\n"
     "checksums, and inflates every member in memory, checking each.\n"
     "Every damaged member is named; the exit code is 1 if any is."},
    {"check", "vpack check FILE",
     "Compiles the install script FILE with setup's own script engine; FILE\n"
     "may also be a product folder, whose Install.ini is taken.  Each\n"
     "\"Script error\" box setup would show becomes one line on stdout,\n"
     "\n"
     "  script error: TEXT\n"
     "\n"
     "with a line break in TEXT written as \\n.  A script that compiles gets\n"
     "one OK line naming the functions setup will call (init, install).\n"
     "Settings setup would misread are warned about on stderr: a value that\n"
     "runs on past a bare line feed (setup reads up to a carriage return),\n"
     "and a setting hidden by an earlier occurrence of its name.  So is a\n"
     "prefskey call whose argument is a string literal setup would not\n"
     "record, and the uninstaller would never delete: a key that is not at\n"
     "least Software\\Vendor\\Product, or lies under Classes, Microsoft,\n"
     "Policies or Wow6432Node.  That warning names where the literal is:\n"
     "\n"
     "  vpack check: FILE:LINE:COLUMN: warning: prefskey(KEY) is not recorded\n"
     "\n"
     "and why (lines and columns count from 1, a column is one byte).  A key\n"
     "made by an expression is judged by vpack run.\n"
     "vpack build runs the same check first and packs nothing when it fails.\n"
     "The exit code is 0 when the script compiles, else 1."},
    {"run",
     "vpack run FILE [--call NAME]... [--os SYSTEM] [--max-steps N]",
     "Compiles FILE (a script, or a product folder's Install.ini) and runs\n"
     "it on a simulated clean machine: init, then install, each if the\n"
     "script has it (as in setup, install is not called when init gives 0:\n"
     "the line 'stop: ...' says so), or else the functions named by --call,\n"
     "in that order.  Nothing is installed.  Output on stdout, one line each:\n"
     "\n"
     "  builtin NAME(ARGS)   every built-in call, with its arguments as the\n"
     "                       built-in reads them, separated by \", \"\n"
     "  call NAME = VALUE    every function called, with its result\n"
     "  script error: TEXT   every \"Script error\" box, as in vpack check\n"
     "                       (whose warnings about settings run gives too)\n"
     "\n"
     "and at the end the install state the script left, one line each:\n"
     "reboot, update, nouninstall and logchanges with their values (they start\n"
     "as setup has them: update and nouninstall from the script's settings,\n"
     "else 0 and 1; logchanges 1), then 'progress S of N': S progstep calls\n"
     "made, N the last setprogsteps count (its low 16 bits).\n"
     "\n"
     "A prefskey call whose key, as evaluated, setup would not record gets\n"
     "the warning of vpack check on stderr, at the place of its argument.\n"
     "\n"
     "Numbers are decimal.  Texts are C string literals: \\\\ \\\" \\n \\r \\t\n"
     "escaped, other bytes below 32 or above 126 as three octal digits\n"
     "(\\033).  null is null; a number where a text belongs is shown as the\n"
     "number.  Paths (fileinuse, version's installed file, the destinations\n"
     "of copy, copyshared and installdriver, makedir, the targets of shortcut\n"
     "and shortcutc) are shown after their leading macro is expanded in\n"
     "place, as setup does; one that would no longer fit its string becomes\n"
     "\"\", and so does one that begins with a folder not known yet (below).\n"
     "\n"
     "The machine: Windows folder C:\\WINDOWS (C:\\WINNT on nt4 and win2000);\n"
     "system folder C:\\WINDOWS\\SYSTEM on the 95 family, else system32 in the\n"
     "Windows folder; drivers in its System32\\Drivers; Program Files in\n"
     "C:\\Program Files; the destination (%APPDIR%) there \\Company\\Product\n"
     "(each part only when the script has the setting).  As in setup,\n"
     "%APPDIR%, %PROGFILESDIR%, %PRODUCTDIR% and %COMPANYDIR% are not known\n"
     "while init runs (the wizard sets them after it): there a path that\n"
     "begins with one becomes \"\" and its built-in fails.  Every other\n"
     "function, install or one named by --call, sees the folders.  Nothing is\n"
     "installed, running or in use yet (version gives 1), every copy works,\n"
     "installdriver gives 1 and asks for a restart (reboot 1), msgboxyesno is\n"
     "answered Yes; every other built-in gives 0.\n"
     "\n"
     "  --call NAME     call this function; repeatable.  A name the script\n"
     "                  does not define, or one taking parameters, runs nothing\n"
     "  --os SYSTEM     winxp (the default), win2000, nt4, win95, win98, winme\n"
     "  --max-steps N   statements the run may execute, 10000000 by default\n"
     "                  (0: no limit); then it stops with \"Too many steps\"\n"
     "\n"
     "The exit code is 0 when the script compiled and no box appeared, else 1."},
};

static const Command *find_command(const char *name)
{
    for (const Command &c : commands)
        if (strcmp(c.name, name) == 0)
            return &c;
    return NULL;
}

static void tool_help(FILE *to)
{
    fprintf(to, "vpack -- packs a product folder into a setup.exe, reads one "
                "back, and checks\nand dry-runs a product's install script."
                "\n\nusage:\n");
    for (const Command &c : commands)
        fprintf(to, "  %s\n", c.usage);
    fprintf(to, "  vpack help [COMMAND]    (or COMMAND --help)\n\n"
                "Exit codes: 0 success, 1 refused or failed, 2 usage "
                "error.\n");
}

static void places(const char *what, const std::vector<std::string> &v,
                   const char *otherwise)
{
    printf("\nWithout %s, the first of these that exists (%s):\n", what,
           otherwise);
    for (const std::string &p : v)
        printf("  %s\n", p.c_str());
}

static int command_help(const Command *c)
{
    std::string text = c->text;
    size_t at = text.find("CODEPAGES");
    if (at != std::string::npos)
        text.replace(at, 9, cp_KnownList());
    printf("usage: %s\n\n%s\n", c->usage, text.c_str());
    if (strcmp(c->name, "build") == 0) {
        places("--stub", packer_StubPlaces(), "else refused");
        places("--uninstaller", packer_UninstallPlaces(),
               "else no Uninstall.exe");
    }
    return 0;
}

static int usage_error(const Command *c, const std::string &text)
{
    fprintf(stderr, "vpack%s%s: %s\n", c ? " " : "", c ? c->name : "",
            text.c_str());
    if (c)
        fprintf(stderr, "usage: %s\n", c->usage);
    else
        tool_help(stderr);
    return EXIT_USAGE;
}

static bool is_help(const char *arg)
{
    return strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0;
}

/* The value of an option given as "--name VALUE" or "--name=VALUE"; 0 when
 * args[*i] is not that option, -1 when its value is missing. */
static int option_value(const std::vector<const char *> &args, size_t *i,
                        const char *name, std::string *value)
{
    const char *a = args[*i];
    size_t n = strlen(name);
    if (strncmp(a, name, n) != 0)
        return 0;
    if (a[n] == '=' && name[1] == '-') {
        *value = a + n + 1;
        return 1;
    }
    if (a[n] != 0)
        return 0;
    if (*i + 1 >= args.size())
        return -1;
    *value = args[++*i];
    return 1;
}

/* A command line after the command's name: operands, and options in the
 * order given with their values ("" for one that takes none). */
struct Parsed {
    std::vector<std::string>                         plain;
    std::vector<std::pair<std::string, std::string>> options;
};

/* Splits args: valued lists the options that take a value ("--name VALUE"
 * or "--name=VALUE", never empty), flags those that stand alone; "--" ends
 * the options.  0, or a usage error's exit code. */
static int parse_args(const Command *c, const std::vector<const char *> &args,
                      std::initializer_list<const char *> valued,
                      std::initializer_list<const char *> flags, Parsed *p)
{
    bool options = true;
    for (size_t i = 0; i < args.size(); i++) {
        const char *a = args[i];
        if (!options || a[0] != '-' || a[1] == 0) {
            p->plain.push_back(a);
            continue;
        }
        int got = 0;
        for (const char *name : valued) {
            std::string value;
            got = option_value(args, &i, name, &value);
            if (got < 0 || (got > 0 && value.empty()))
                return usage_error(c, std::string(name) + " needs a value");
            if (got > 0) {
                p->options.push_back({name, value});
                break;
            }
        }
        if (got)
            continue;
        if (strcmp(a, "--") == 0) {
            options = false;
            continue;
        }
        bool flag = false;
        for (const char *name : flags)
            flag = flag || strcmp(a, name) == 0;
        if (!flag)
            return usage_error(c, std::string("unknown option ") + a);
        p->options.push_back({a, ""});
    }
    return 0;
}

/* The options of build that take a value. */
static const struct {
    const char *name;
    std::string PackerOptions::*field;
} build_values[] = {{"-o", &PackerOptions::output},
                    {"--output", &PackerOptions::output},
                    {"--stub", &PackerOptions::stub},
                    {"--uninstaller", &PackerOptions::uninstaller}};

/* The code page of --codepage value into *cp: 0, or a usage error's exit
 * code for one vpack has no table for. */
static int parse_codepage(const Command *c, const std::string &value, int *cp)
{
    *cp = 0;
    if (!value.empty() && value.size() < 6 &&
        value.find_first_not_of("0123456789") == std::string::npos)
        *cp = atoi(value.c_str());
    if (cp_Known(*cp))
        return 0;
    return usage_error(c, "unknown --codepage " + value + " (one of " +
                              cp_KnownList() + ")");
}

static int run_build(const Command *c, const std::vector<const char *> &args)
{
    PackerOptions o;
    o.noUninstaller = false;
    o.codepage = CP_DEFAULT;
    Parsed p;
    int rc = parse_args(c, args,
                        {"-o", "--output", "--stub", "--uninstaller",
                         "--codepage"},
                        {"--no-uninstaller"}, &p);
    if (rc != 0)
        return rc;
    for (const auto &opt : p.options) {
        if (opt.first == "--no-uninstaller")
            o.noUninstaller = true;
        if (opt.first == "--codepage" &&
            (rc = parse_codepage(c, opt.second, &o.codepage)) != 0)
            return rc;
        for (const auto &v : build_values)
            if (opt.first == v.name)
                o.*v.field = opt.second;
    }
    if (p.plain.size() != 1)
        return usage_error(c, p.plain.empty() ? "DIR is missing"
                                              : "only one DIR can be packed");
    if (o.output.empty())
        return usage_error(c, "-o FILE.exe is missing");
    if (o.noUninstaller && !o.uninstaller.empty())
        return usage_error(c, "--uninstaller and --no-uninstaller exclude "
                              "each other");
    o.dir = p.plain[0];
    return packer_Build(o);
}

/* A --max-steps value: decimal digits only. */
static bool parse_steps(const std::string &text, long long *steps)
{
    if (text.empty() || text.size() > 15)
        return false;
    long long v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        v = v * 10 + (ch - '0');
    }
    *steps = v;
    return true;
}

static int run_run(const Command *c, const std::vector<const char *> &args)
{
    CheckerRun r;
    r.system = 0;
    r.maxSteps = CHECKER_MAX_STEPS;
    Parsed p;
    int rc = parse_args(c, args, {"--call", "--os", "--max-steps"}, {}, &p);
    if (rc != 0)
        return rc;
    for (const auto &opt : p.options) {
        const std::string &value = opt.second;
        if (opt.first == "--call") {
            r.calls.push_back(value);
        } else if (opt.first == "--os") {
            r.system = checker_System(value.c_str());
            if (r.system < 0) {
                std::string known;
                for (const char *const *s = checker_Systems; *s; s++)
                    known += std::string(known.empty() ? "" : ", ") + *s;
                return usage_error(c, "unknown --os " + value + " (one of " +
                                          known + ")");
            }
        } else if (!parse_steps(value, &r.maxSteps)) {
            return usage_error(c, "--max-steps takes a number of statements, "
                                  "not " + value);
        }
    }
    if (p.plain.size() != 1)
        return usage_error(c, p.plain.empty() ? "FILE is missing"
                                              : "only one FILE can be run");
    r.file = p.plain[0];
    return checker_Run(r);
}

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    /* Members are large, short-lived blocks.  Each gets a mapping of its
     * own, so freeing it gives the memory back; glibc's moving threshold
     * would keep freed blocks in the heap and raise the peak by a member. */
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    if (argc < 2)
        return usage_error(NULL, "no command given");
    /* In vpack.exe, the command line as Windows holds it, in UTF-8. */
    std::vector<std::string> line = fsys_Args(argc, argv);
    const char *name = line[1].c_str();
    std::vector<const char *> args;
    for (size_t i = 2; i < line.size(); i++)
        args.push_back(line[i].c_str());
    if (is_help(name) || strcmp(name, "help") == 0) {
        if (args.empty()) {
            tool_help(stdout);
            return 0;
        }
        const Command *c = find_command(args[0]);
        if (!c || args.size() > 1)
            return usage_error(NULL, std::string("no help for ") + args[0]);
        return command_help(c);
    }
    const Command *c = find_command(name);
    if (!c)
        return usage_error(NULL, std::string("unknown command ") + name);
    for (const char *a : args) {
        if (strcmp(a, "--") == 0)
            break;
        if (is_help(a))
            return command_help(c);
    }
    if (strcmp(c->name, "build") == 0)
        return run_build(c, args);
    if (strcmp(c->name, "run") == 0)
        return run_run(c, args);

    /* list, extract, verify and check take operands; list and extract read
     * names in a --codepage too. */
    bool names = strcmp(c->name, "list") == 0 || strcmp(c->name, "extract") == 0;
    size_t want = strcmp(c->name, "extract") == 0 ? 2 : 1;
    std::initializer_list<const char *> none = {}, codepage = {"--codepage"};
    int cp = CP_DEFAULT;
    Parsed p;
    int rc = parse_args(c, args, names ? codepage : none, {}, &p);
    for (const auto &opt : p.options)
        if (rc == 0)
            rc = parse_codepage(c, opt.second, &cp);
    if (rc != 0)
        return rc;
    const std::vector<std::string> &plain = p.plain;
    if (plain.size() != want)
        return usage_error(c, "expected " + std::to_string(want) +
                                  (want == 1 ? " operand" : " operands"));
    if (strcmp(c->name, "list") == 0)
        return reader_List(plain[0], cp);
    if (strcmp(c->name, "extract") == 0)
        return reader_Extract(plain[0], plain[1], cp);
    if (strcmp(c->name, "check") == 0)
        return checker_Check(plain[0]);
    return reader_Verify(plain[0]);
}
