/* vpack.cpp -- the command line: vpack build | list | extract | verify |
 * check | run.  Exit codes: 0 success, 1 refused or failed, 2 usage error. */
#include "checker.h"
#include "codepage.h"
#include "exclude.h"
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
#define PROGRAM    "vpack (Vellum) " VELLUM_VERSION

struct Command {
    const char *name;
    const char *usage;
    const char *text;
};

static const Command commands[] = {
    {"build",
     "vpack build DIR -o FILE.exe [--arch x86|x64] [--stub PATH] "
     "[--uninstaller PATH | --no-uninstaller] [--codepage N] "
     "[--exclude PATTERN]... [--no-default-excludes] [--werror] "
     "[--allow-missing]",
     "Packs the product folder DIR into the setup FILE.exe.\n"
     "\n"
     "DIR holds Install.ini (required), an optional License.txt and the\n"
     "product's files in their folders; all of it goes into the package\n"
     "under its own names, with Install.ini, License.txt and Uninstall.exe\n"
     "first.  setup shows License.txt only when the script says\n"
     "NoLicense=0, and installs Uninstall.exe (with an Add/Remove Programs\n"
     "entry) only with NoUninstall=0: both count as 1 when absent.\n"
     "Install.ini and License.txt are stored with every line end made CR\n"
     "LF, as setup reads them (one line says so when any changed).  Members\n"
     "are compressed by libdeflate into zlib streams on every core, and a\n"
     "file with the bytes of an earlier one is stored once; the same input\n"
     "always gives the same bytes.  FILE.exe is written as FILE.exe.tmp and\n"
     "renamed at the end: on any refusal no new file is left (an earlier\n"
     "FILE.exe stays as it was, and is never packed).\n"
     "Any other file in DIR that carries a package (an earlier setup) is\n"
     "refused: delete it, or leave it out with --exclude.\n"
     "\n"
     "  -o, --output FILE.exe  the setup to write\n"
     "  --arch x86|x64         the Windows the setup is for: x86, the default,\n"
     "                         a 32-bit setup, which runs on every Windows\n"
     "                         from 95 on, 64-bit ones too; x64 a 64-bit one.\n"
     "                         The stub must be a PE image for its machine\n"
     "                         (i386 or x86-64), else the build is refused\n"
     "  --stub PATH            the setup program to carry the package; it\n"
     "                         must be a bare PE image (sign the result, not\n"
     "                         the stub) for x86 or x64; without --arch, the\n"
     "                         setup is for the stub's machine\n"
     "  --uninstaller PATH     packed as Uninstall.exe\n"
     "  --no-uninstaller       none of the defaults below: only DIR's own\n"
     "                         Uninstall.exe, if it has one (which is\n"
     "                         refused beside any other)\n"
     "  --werror               the script's warnings are errors: nothing is\n"
     "                         written\n"
     "  --allow-missing        a member the script copies that DIR lacks is a\n"
     "                         warning, not an error\n"
     "  --codepage N           the Windows code page of the systems the\n"
     "                         product is for: 1252 by default, or one of\n"
     "                         CODEPAGES\n"
     "  --exclude PATTERN      leave out what PATTERN matches; repeatable.\n"
     "                         '*' is any run of characters and '?' one,\n"
     "                         neither taking a '/'; letters match in either\n"
     "                         case.  Without a '/' it is matched against the\n"
     "                         name of each file and folder at any depth\n"
     "                         (*.log), with one against the path from DIR\n"
     "                         (Docs/*.txt); a trailing '/' matches folders\n"
     "                         only.  A folder left out takes its contents\n"
     "                         along.  Install.ini is never left out\n"
     "  --no-default-excludes  pack what the defaults would leave out:\n"
     "                         DEFAULTS\n"
     "\n"
     "What was left out is named on one line before the summary:\n"
     "\n"
     "  vpack build: excluded N: PATH (folder), PATH, ..., and N more\n"
     "\n"
     "Names: setup opens files through the ANSI API, so the package holds\n"
     "each name in the code page of the installing system.  Names on disk\n"
     "are read as UTF-8 (vpack.exe reads them as Windows holds them) and\n"
     "written in --codepage from vpack's own tables, so every vpack makes\n"
     "the same bytes.  Install.ini is packed with its bytes (only its line\n"
     "ends made CR LF): setup shows its texts as bytes of that code page,\n"
     "so save it in that code page (a UTF-8 one beyond ASCII gets a\n"
     "warning).\n"
     "\n"
     "The last line says which machine the setup is for.  Without --stub and\n"
     "--uninstaller, the programs of that machine are taken from the places\n"
     "below: a setup.exe or Uninstall.exe beside vpack counts for the machine\n"
     "its PE header names, so vpack.exe and the programs of its own build\n"
     "travel together.\n"
     "\n"
     "Refused: no Install.ini; a name that is not UTF-8, holds a character\n"
     "the code page cannot, is 260 bytes or more, or is one Windows cannot\n"
     "create: with \\ / : * ? \" < > | or a control character, ending in a\n"
     "dot or a blank, or a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,\n"
     "CONIN$, CONOUT$, CLOCK$, with any extension, in any case); two names\n"
     "in a folder that differ only in case (as Windows compares them: e and\n"
     "E, and e-acute and E-acute too); a member of 4 GiB or more, a setup of\n"
     "4 GiB or more, unreadable files, symlink loops, a stub for another\n"
     "machine than --arch names; a script with an error (vpack check:\n"
     "FILE:LINE:COLUMN: error: ...)."},
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
    {"check", "vpack check FILE [--werror]",
     "Compiles the install script FILE with setup's own script engine; FILE\n"
     "may also be a product folder, whose Install.ini is taken, or a built\n"
     "setup, whose Install.ini member is read with setup's own package\n"
     "reader and named FILE(Install.ini) in what follows.  The script\n"
     "is read as vpack build stores it, every line end made CR LF.  Each\n"
     "\"Script error\" box setup would show is an error on stdout, and each\n"
     "finding of vpack's a warning on stderr, as compilers print them:\n"
     "\n"
     "  FILE:LINE:COLUMN: error: TEXT\n"
     "  the line of FILE\n"
     "          ^\n"
     "\n"
     "(lines and columns count from 1, a column is one byte; a line break\n"
     "in a box's TEXT is written as \\n).  The warnings: a string literal\n"
     "member of copy, copyshared, installdriver or version that the package\n"
     "will not hold (when FILE is a product folder); an escape that stores a\n"
     "NUL (\\A, \\\"); a // Name=value line of no setting setup reads, or a\n"
     "setting hidden by an earlier occurrence of its name; License.txt while\n"
     "NoLicense is not 0; NoUninstall not 0 (no uninstaller); %APPDIR%,\n"
     "%PROGFILESDIR%, %PRODUCTDIR% or %COMPANYDIR% in init, before setup has\n"
     "chosen them; a prefskey literal setup would not record (at least\n"
     "Software\\Vendor\\Product, not under Classes, Microsoft, Policies or\n"
     "Wow6432Node):\n"
     "\n"
     "  FILE:LINE:COLUMN: warning: prefskey(KEY) is not recorded: ...\n"
     "\n"
     "A script that compiles gets one line naming the functions setup will\n"
     "call (init, install).  vpack build runs the same check first and packs\n"
     "nothing when it fails.\n"
     "\n"
     "  --werror   every warning is an error\n"
     "\n"
     "The exit code is 0 when the script compiles and no error was found\n"
     "(warnings alone leave it 0), else 1."},
    {"run",
     "vpack run FILE [--call NAME]... [--os SYSTEM] [--max-steps N] "
     "[--werror]",
     "Compiles FILE (a script, a product folder's Install.ini or a built\n"
     "setup's, as in vpack check) and runs\n"
     "it on a simulated clean machine: init, then install, each if the\n"
     "script has it (as in setup, install is not called when init gives 0:\n"
     "the line 'stop: ...' says so), or else the functions named by --call,\n"
     "in that order.  Nothing is installed.  Output on stdout, one line each:\n"
     "\n"
     "  builtin NAME(ARGS)   every built-in call, with its arguments as the\n"
     "                       built-in reads them, separated by \", \"\n"
     "  call NAME = VALUE    every function called, with its result\n"
     "  FILE:LINE:COLUMN: error: TEXT\n"
     "                       every \"Script error\" box, as in vpack check,\n"
     "                       with its line and a caret\n"
     "\n"
     "and at the end the install state the script left, one line each:\n"
     "reboot, update, nouninstall and logchanges with their values (they start\n"
     "as setup has them: update and nouninstall from the script's settings,\n"
     "else 0 and 1; logchanges 1), then 'progress S of N': S progstep calls\n"
     "made, N the last setprogsteps count (its low 16 bits).\n"
     "\n"
     "The warnings of vpack check come first, on stderr; but a prefskey call\n"
     "is judged as it runs, by its key as evaluated, at its argument.  So is\n"
     "a copy or makedir to a path setup would refuse.\n"
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
     "                  does not define, or one taking parameters, runs\n"
     "                  nothing: the line 'skip NAME: WHY; nothing was run'\n"
     "                  stands in its place, and the exit code stays 0\n"
     "  --os SYSTEM     winxp (the default), win2000, nt4, win95, win98, winme\n"
     "  --max-steps N   statements the run may execute, 10000000 by default\n"
     "                  (0: no limit); then it stops with \"Too many steps\"\n"
     "  --werror        every warning is an error (exit 1)\n"
     "\n"
     "The exit code is 0 when the script compiled, no box appeared and no\n"
     "error was found, else 1."},
    {"help", "vpack help [COMMAND]",
     "Shows the commands, or what COMMAND does and takes; vpack COMMAND\n"
     "--help does the same.  vpack --version prints the program's name and\n"
     "version."},
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
    fprintf(to, "  vpack --version\n\n"
                "Exit codes: 0 success, 1 refused or failed, 2 usage "
                "error.\n");
}

static void places(const char *what, int arch,
                   const std::vector<std::string> &v, const char *otherwise)
{
    printf("\nWithout %s, an %s setup takes the first %s image\n"
           "of these, %s:\n", what, packer_ArchText(arch), packer_ArchName(arch),
           otherwise);
    for (const std::string &p : v)
        printf("  %s\n", p.c_str());
}

/* The default patterns in place of DEFAULTS in the text. */
static std::string with_defaults(const char *text)
{
    std::string s = text, list;
    for (const char *const *d = exclude_Defaults; *d; d++)
        list += std::string(list.empty() ? "" : " ") + *d;
    size_t at = s.find("DEFAULTS");
    return at == std::string::npos ? s : s.replace(at, 8, list);
}

static int command_help(const Command *c)
{
    std::string text = with_defaults(c->text);
    size_t at = text.find("CODEPAGES");
    if (at != std::string::npos)
        text.replace(at, 9, cp_KnownList());
    printf("usage: %s\n\n%s\n", c->usage, text.c_str());
    for (int a = 0; strcmp(c->name, "build") == 0 && a < PACKER_ARCHS; a++) {
        places("--stub", a, packer_StubPlaces(a), "else refused");
        places("--uninstaller", a, packer_UninstallPlaces(a),
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

/* The arch --arch names into *arch: 0, or a usage error's exit code. */
static int parse_arch(const Command *c, const std::string &value, int *arch)
{
    *arch = packer_Arch(value.c_str());
    if (*arch >= 0)
        return 0;
    return usage_error(c, "unknown --arch " + value + " (" +
                              packer_ArchNames() + ")");
}

static int run_build(const Command *c, const std::vector<const char *> &args)
{
    PackerOptions o;
    o.noUninstaller = false;
    o.codepage = CP_DEFAULT;
    o.arch = -1;
    Parsed p;
    int rc = parse_args(c, args,
                        {"-o", "--output", "--arch", "--stub", "--uninstaller",
                         "--codepage", "--exclude"},
                        {"--no-uninstaller", "--no-default-excludes", "--werror",
                         "--allow-missing"}, &p);
    if (rc != 0)
        return rc;
    for (const auto &opt : p.options) {
        if (opt.first == "--no-uninstaller")
            o.noUninstaller = true;
        if (opt.first == "--arch" && (rc = parse_arch(c, opt.second, &o.arch)))
            return rc;
        o.werror = o.werror || opt.first == "--werror";
        o.allowMissing = o.allowMissing || opt.first == "--allow-missing";
        if (opt.first == "--codepage" &&
            (rc = parse_codepage(c, opt.second, &o.codepage)) != 0)
            return rc;
        if (opt.first == "--no-default-excludes")
            o.defaultExcludes = false;
        if (opt.first == "--exclude") {
            std::string why = exclude_Check(opt.second);
            if (!why.empty())
                return usage_error(c, why);
            o.excludes.push_back(opt.second);
        }
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

/* What check and run compare the script FILE with: the files build would
 * pack when FILE is a product folder, nothing known for a bare script.
 * 0, or 1 with the cause on stderr. */
static int script_findings(const Command *c, const std::string &file,
                           bool werror, CheckerFindings *f)
{
    f->werror = werror;
    FsysInfo fi;
    if (!fsys_Stat(file, &fi, NULL) || fi.kind != FSYS_FOLDER)
        return 0;
    std::string why;
    PackerOptions o;
    o.dir = file;
    f->membersKnown = packer_Members(o, &f->members, &why);
    if (f->membersKnown)
        return 0;
    fprintf(stderr, "vpack %s: %s\n", c->name, why.c_str());
    return 1;
}

static int run_check(const Command *c, const std::vector<const char *> &args)
{
    Parsed p;
    int rc = parse_args(c, args, {}, {"--werror"}, &p);
    if (rc != 0)
        return rc;
    if (p.plain.size() != 1)
        return usage_error(c, "expected 1 operand");
    CheckerFindings f;
    if (script_findings(c, p.plain[0], !p.options.empty(), &f) != 0)
        return 1;
    return checker_Check(p.plain[0], f);
}

static int run_run(const Command *c, const std::vector<const char *> &args)
{
    CheckerRun r;
    r.system = 0;
    r.maxSteps = CHECKER_MAX_STEPS;
    Parsed p;
    int rc = parse_args(c, args, {"--call", "--os", "--max-steps"},
                        {"--werror"}, &p);
    if (rc != 0)
        return rc;
    bool werror = false;
    for (const auto &opt : p.options) {
        const std::string &value = opt.second;
        if (opt.first == "--werror") {
            werror = true;
        } else if (opt.first == "--call") {
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
    if (script_findings(c, r.file, werror, &r.findings) != 0)
        return 1;
    return checker_Run(r);
}

/* vpack help [COMMAND]: the tool's help, or one command's; "help
 * --help" is help's own. */
static int run_help(const std::vector<const char *> &args)
{
    if (args.empty()) {
        tool_help(stdout);
        return 0;
    }
    const Command *help = find_command("help");
    const Command *c = is_help(args[0]) ? help : find_command(args[0]);
    if (args.size() > 1)
        return usage_error(help, "one COMMAND at most");
    if (!c)
        return usage_error(NULL, std::string("no help for ") + args[0]);
    return command_help(c);
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
    if (strcmp(name, "--version") == 0) {
        if (!args.empty())
            return usage_error(NULL, "--version takes nothing after it");
        printf("%s\n", PROGRAM);
        return 0;
    }
    if (is_help(name) || strcmp(name, "help") == 0)
        return run_help(args);
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
    if (strcmp(c->name, "check") == 0)
        return run_check(c, args);

    /* list, extract and verify take operands; list and extract read names
     * in a --codepage too. */
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
    return reader_Verify(plain[0]);
}
