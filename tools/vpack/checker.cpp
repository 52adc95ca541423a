/* checker.cpp -- `vpack check` and `vpack run`: the install script compiled
 * by the engine that setup runs, and run with one handler for every
 * built-in that prints the call and answers as a clean machine would.
 *
 * The engine is one process-wide record, so the simulated machine is one
 * too: the folders the path macros stand for and the install state the
 * built-ins change. */
#include "checker.h"
#include "diag.h"
#include "findings.h"
#include "fsys.h"
#include "ident.h"
#include "reader.h"
#include "path/path.h"
#include "script/script.h"
#include "script/script_int.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

MODULE_IDENT("tools/vpack/checker.cpp");

/* setup holds the whole script in memory; anything near this is no script */
#define SCRIPT_FILE_MAX (64u << 20)
#define SETTING_MAX     256   /* setup reads Company and Product this long */

/* ---- the simulated machine ---------------------------------------------- */

/* Each system is the one its iswin built-in asks for (script_Windows). */
struct System {
    const char *name;
    int         row;           /* SB_ISWIN95 ... SB_ISWINXP */
    const char *windir, *sysdir;
};

static const System systems[] = {
    {"winxp", SB_ISWINXP, "C:\\WINDOWS", "C:\\WINDOWS\\system32"},
    {"win2000", SB_ISWIN2000, "C:\\WINNT", "C:\\WINNT\\system32"},
    {"nt4", SB_ISWINNT, "C:\\WINNT", "C:\\WINNT\\system32"},
    {"win95", SB_ISWIN95, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"win98", SB_ISWIN98, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"winme", SB_ISWINME, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
};
#define SYSTEMS ((int)(sizeof systems / sizeof systems[0]))

const char *const checker_Systems[] = {"winxp", "win2000", "nt4", "win95",
                                       "win98", "winme", NULL};

#define PROGRAM_FILES "C:\\Program Files"

/* The argument kinds each built-in reads, from the built-in table: 'i' a
 * number, 't' a text, 'p' a path (expanded in its slot before use, as
 * setup does). */
#define KINDS_ROW(name, keyword, handler, kinds) kinds,
static const char *const arg_kinds[SB_COUNT] = {SCRIPT_BUILTINS(KINDS_ROW)};
#define MAX_ARGS 4

/* The machine and the install state of one run. */
static struct {
    DiagScript    script;      /* as read, and as compiled */
    std::vector<std::string> members;  /* a built setup's, as pkg paths */
    bool          fromSetup;   /* the script is a built setup's */
    const System *system;
    std::string   appDir, productDir, companyDir, driverDir;
    const char   *folders[PATH_MACROS];
    int           boxes;       /* "Script error" boxes shown */
    int32_t       reboot, update, noUninstall, logChanges, copyError;
    int32_t       progRange;   /* the last setprogsteps count, low 16 bits */
    long long     progSteps;   /* progstep calls */
} sim;

static int is_windows_version(int row)
{
    const ScriptWindows *w = &script_Windows[sim.system->row - SB_ISWIN95];
    return script_IsWindows(row, (unsigned)w->Platform, (unsigned)w->Major,
                            (unsigned)w->Minor);
}

/* A number where the built-in wants one; a text there is a non-zero word
 * (its address), so a flag counts as set. */
static int32_t number(ScriptValue v)
{
    return script_Text(v) ? 1 : script_Int(v);
}

/* The answers of a clean machine, and the state the call changes. */
static ScriptValue answer(int row, const ScriptValue *v)
{
    if (row >= SB_ISWIN95 && row <= SB_ISWINFAMILY9X)
        return is_windows_version(row);
    switch (row) {
    case SB_SETREBOOT:      sim.reboot = number(v[0]); return 0;
    case SB_SETUPDATE:      sim.update = number(v[0]); return 0;
    case SB_SETNOUNINSTALL: sim.noUninstall = number(v[0]); return 0;
    case SB_LOGON:          sim.logChanges = 1; return 0;
    case SB_LOGOFF:         sim.logChanges = 0; return 0;
    case SB_VERSION:        return 1;   /* no installed file */
    case SB_MSGBOXYESNO:    return 1;   /* Yes */
    case SB_ISCOPYERROR:    return sim.copyError;
    case SB_COPY:
    case SB_COPYSHARED:     return sim.copyError;
    case SB_INSTALLDRIVER:
        /* The driver file is new, so its version differs: setup asks for
         * a restart whenever it copies one. */
        if (!sim.copyError)
            sim.reboot = 1;
        return 1;
    case SB_SETPROGSTEPS:
        sim.progRange = script_Text(v[0]) ? 0 : script_Int(v[0]) & 0xFFFF;
        return 0;
    case SB_PROGSTEP:       sim.progSteps++; return 0;
    default:                return 0;
    }
}

/* ---- printing ----------------------------------------------------------- */

std::string checker_Literal(const char *text)
{
    std::string s = "\"";
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        switch (*p) {
        case '\\': s += "\\\\"; break;
        case '"':  s += "\\\""; break;
        case '\n': s += "\\n"; break;
        case '\r': s += "\\r"; break;
        case '\t': s += "\\t"; break;
        default:
            if (*p < 32 || *p > 126) {
                char octal[8];
                snprintf(octal, sizeof octal, "\\%03o", *p);
                s += octal;
            } else {
                s += (char)*p;
            }
        }
    }
    return s + "\"";
}

std::string checker_BoxText(const char *box)
{
    std::string s;
    for (const char *p = box; *p; p++) {
        if (*p == '\r' && p[1] == '\n')
            continue;               /* the pair is one line break */
        if (*p == '\r' || *p == '\n')
            s += "\\n";
        else
            s += *p;
    }
    return s;
}

/* An argument as the built-in read it: the text it points at; null; or,
 * where a text belongs, the number it is. */
static std::string argument(char kind, ScriptValue v)
{
    const char *text = script_Text(v);
    if (text)
        return checker_Literal(text);
    if (v == 0 && kind != 'i')
        return "null";
    return std::to_string(script_Int(v));
}

/* A box at the engine's place, which is the offset its text names. */
static void show_box(const char *text)
{
    sim.boxes++;
    diag_Print(stdout, sim.script, (size_t)ScriptState.TokenStart, "error",
               checker_BoxText(text));
}

/* setup writes only full paths on a drive (path_Check): a copy, shared
 * copy or driver to any other destination fails (and so does every copy
 * after it), a makedir of one makes nothing.  1, with a warning, when the
 * call's path is refused. */
static int refused_path(int row, int at, const ScriptValue *v)
{
    int arg = row == SB_MAKEDIR ? 0
              : row == SB_COPY || row == SB_COPYSHARED ||
                      row == SB_INSTALLDRIVER
                  ? 1 : -1;
    const char *path = arg < 0 ? NULL : script_Text(v[arg]);
    int why = path ? path_Check(path) : PATH_OK;
    if (why == PATH_OK)
        return 0;
    if (row != SB_MAKEDIR)
        sim.copyError = 1;
    findings_Warn((size_t)at, std::string(script_Builtins[row].Keyword) + "(" +
                                  checker_Literal(path) + ") " +
                                  (row == SB_MAKEDIR ? "makes nothing"
                                                     : "fails") +
                                  ": setup writes only full paths on a "
                                  "drive, and this one " +
                                  path_CheckText(why));
    return 1;
}

/* Every built-in: read the row's arguments, expand the paths in place,
 * print the call, answer. */
static ScriptValue on_builtin(void)
{
    int row = script_CurrentBuiltin();
    int at = ScriptState.TokenStart;   /* the first argument */
    const char *kinds = arg_kinds[row];
    int n = (int)strlen(kinds);
    ScriptValue v[MAX_ARGS] = {0};
    script_Args(n, v);
    std::string line = std::string("builtin ") + script_Builtins[row].Keyword + "(";
    for (int i = 0; i < n; i++) {
        size_t capacity;
        char *slot = kinds[i] == 'p' ? script_TextBuffer(v[i], &capacity) : NULL;
        if (slot)
            path_ExpandWith(slot, capacity, sim.folders);
        line += (i ? ", " : "") + argument(kinds[i], v[i]);
    }
    printf("%s)\n", line.c_str());
    if (row == SB_PREFSKEY)
        findings_Key((size_t)at, script_Text(v[0]), argument('t', v[0]));
    if (refused_path(row, at, v))
        return row == SB_COPY || row == SB_COPYSHARED;
    return answer(row, v);
}

/* ---- loading and compiling ---------------------------------------------- */

static std::string quoted(const std::string &path)
{
    return "'" + path + "'";
}

static bool is_install_ini(const std::string &name)
{
    static const char want[] = "install.ini";
    if (name.size() != sizeof want - 1)
        return false;
    for (size_t i = 0; i < name.size(); i++) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
        if (c != want[i])
            return false;
    }
    return true;
}

/* The Install.ini member of the setup file, read with setup's reader; a
 * program without a package has no script.  1, or 0 with *why set. */
static int load_setup(const std::string &file, std::string *why)
{
    std::string name;
    std::vector<char> text;
    if (reader_Kind(file) == READER_SETUP) {
        if (!reader_Script(file, &name, &text, &sim.members, why))
            return 0;
        sim.fromSetup = true;
        /* text ends in the NUL the reader puts after it */
        diag_Load(&sim.script, name,
                  std::string(text.data(), text.size() ? text.size() - 1 : 0));
        return 1;
    }
    *why = quoted(file) + " is a program that carries no package: give a "
           "script, a product folder or a built setup";
    return 0;
}

/* The script at file, the Install.ini of the built setup file, or the
 * Install.ini (in any case, as vpack build takes it) of the product folder
 * file, into sim.script: its path, and its bytes as written and as setup
 * reads them.  1, or 0 with *why set. */
static int load_script(const std::string &file, std::string *why)
{
    std::string p, *path = &p;
    FsysInfo fi;
    std::string err;
    *path = file;
    sim.members.clear();
    sim.fromSetup = false;
    if (!fsys_Stat(file, &fi, &err)) {
        *why = "cannot read " + quoted(file) + ": " + err;
        return 0;
    }
    if (fi.kind == FSYS_FILE && reader_Kind(file) != READER_NOT_PE)
        return load_setup(file, why);
    if (fi.kind == FSYS_FOLDER) {
        std::vector<std::string> names;
        if (!fsys_List(file, names, &err)) {
            *why = "cannot read the folder " + quoted(file) + ": " + err;
            return 0;
        }
        std::string found;
        for (const std::string &n : names)
            if (is_install_ini(n) && (found.empty() || n < found))
                found = n;
        if (found.empty()) {
            *why = quoted(file) + " has no Install.ini: it is not a product "
                   "folder";
            return 0;
        }
        *path = fsys_Join(file, found);
        if (!fsys_Stat(*path, &fi, &err)) {
            *why = "cannot read " + quoted(*path) + ": " + err;
            return 0;
        }
    }
    if (fi.kind == FSYS_MISSING) {
        *why = quoted(*path) + " does not exist";
        return 0;
    }
    if (fi.kind != FSYS_FILE) {
        *why = quoted(*path) + " is not a file";
        return 0;
    }
    if (fi.size > SCRIPT_FILE_MAX) {
        *why = quoted(*path) + " has " + std::to_string(fi.size) +
               " bytes: too large for a script";
        return 0;
    }
    FILE *f = fsys_Open(*path, "rb");
    if (!f) {
        *why = "cannot open " + quoted(*path) + ": " + fsys_ErrnoText(errno);
        return 0;
    }
    std::string bytes((size_t)fi.size, 0);
    size_t got = fread(&bytes[0], 1, bytes.size(), f);
    bool bad = ferror(f) || got != fi.size || fgetc(f) != EOF;
    fclose(f);
    if (bad) {
        *why = "cannot read " + quoted(*path) + " (it changed while read)";
        return 0;
    }
    diag_Load(&sim.script, *path, bytes);
    return 1;
}

/* The findings on sim.script: a built setup's script is compared with the
 * members its own package holds. */
static void begin_findings(const CheckerFindings &given)
{
    CheckerFindings f = given;
    if (sim.fromSetup) {
        f.membersKnown = true;
        f.members = sim.members;
    }
    findings_Begin(&sim.script, f);
}

/* This module as the engine's host. */
static void use_host(void)
{
    static ScriptHandler handlers[SB_COUNT];
    for (ScriptHandler &h : handlers)
        h = on_builtin;
    static const ScriptHost host = {show_box, handlers};
    script_SetHost(&host);
}

/* Compiles sim.script as setup reads it. */
static int compile(void)
{
    use_host();
    sim.boxes = 0;
    return script_Compile(sim.script.text.data());
}

static std::string not_compiled(const std::string &path)
{
    if (sim.boxes > 0)
        return quoted(path) + " does not compile (" +
               std::to_string(sim.boxes) +
               (sim.boxes == 1 ? " script error)" : " script errors)");
    /* The engine fails a full table without a box of its own. */
    return quoted(path) + " does not compile: a script holds at most " +
           std::to_string(SCRIPT_MAX_FUNCTIONS) + " functions and " +
           std::to_string(SCRIPT_MAX_CONSTANTS - 3) + " defines";
}

/* The box lines come first, also where stdout is a pipe. */
static int fail(const char *command, const std::string &why)
{
    fflush(stdout);
    fprintf(stderr, "vpack %s: %s\n", command, why.c_str());
    return 1;
}

/* What setup calls, for the last line of check. */
static const char *calls_text(void)
{
    int init = script_IsFunction("init"), install = script_IsFunction("install");
    return init && install ? "init, install"
           : init          ? "init (there is no install)"
           : install       ? "install (there is no init)"
                           : "no function (there is no init or install)";
}

/* The findings' errors as a cause, "" when there are none. */
static std::string found_errors(void)
{
    int errors = findings_Errors();
    if (errors == 0)
        return "";
    return quoted(sim.script.file) + ": " + findings_Count(errors, "error") +
           " found";
}

int checker_Check(const std::string &file, const CheckerFindings &findings)
{
    std::string why;
    if (!load_script(file, &why))
        return fail("check", why);
    if (!compile())
        return fail("check", not_compiled(sim.script.file));
    begin_findings(findings);
    findings_Static(true);
    why = found_errors();
    if (!why.empty())
        return fail("check", why);
    int warnings = findings_Warnings();
    printf("vpack check: %s: %s; setup calls %s\n", sim.script.file.c_str(),
           warnings ? ("compiles, " + findings_Count(warnings, "warning")).c_str()
                    : "OK",
           calls_text());
    return 0;
}

int checker_Compiles(const std::string &ini, const CheckerFindings &findings,
                     std::string *why)
{
    if (!load_script(ini, why))
        return 0;
    if (!compile()) {
        *why = not_compiled(sim.script.file) + "; nothing was packed";
        fflush(stdout);
        return 0;
    }
    begin_findings(findings);
    findings_Static(true);
    *why = found_errors();
    if (why->empty())
        return 1;
    *why += "; nothing was packed";
    return 0;
}

/* ---- running ------------------------------------------------------------ */

/* The machine's folders, some named after the script's settings. */
static void set_up_machine(const System *system)
{
    sim.system = system;
    char company[SETTING_MAX], product[SETTING_MAX];
    bool hasCompany = script_GetString("Company", company, sizeof company);
    bool hasProduct = script_GetString("Product", product, sizeof product);
    if (!hasCompany)
        company[0] = 0;
    if (!hasProduct)
        product[0] = 0;
    sim.companyDir = std::string(PROGRAM_FILES) + "\\" + company;
    sim.productDir = sim.companyDir + "\\" + product;
    sim.appDir = PROGRAM_FILES;
    if (hasCompany)
        sim.appDir += std::string("\\") + company;
    if (hasProduct)
        sim.appDir += std::string("\\") + product;
    sim.driverDir = std::string(system->windir) + "\\System32\\Drivers";
    sim.folders[PATH_WINDIR] = system->windir;
    sim.folders[PATH_WINSYSDIR] = system->sysdir;
    sim.folders[PATH_DRIVERDIR] = sim.driverDir.c_str();

    /* The install state as setup has it when init runs. */
    sim.reboot = sim.update = sim.copyError = 0;
    sim.noUninstall = sim.logChanges = 1;
    sim.progRange = 0;
    sim.progSteps = 0;
    int v;
    if (script_GetInt("Update", &v))
        sim.update = v;
    if (script_GetInt("NoUninstall", &v))
        sim.noUninstall = v;
}

/* setup knows the destination page's folders once the wizard has made
 * that page, after init: while init runs their macros fail (NULL), in any
 * other function they are known. */
static void know_folders(bool known)
{
    sim.folders[PATH_APPDIR] = known ? sim.appDir.c_str() : NULL;
    sim.folders[PATH_PROGFILESDIR] = known ? PROGRAM_FILES : NULL;
    sim.folders[PATH_PRODUCTDIR] = known ? sim.productDir.c_str() : NULL;
    sim.folders[PATH_COMPANYDIR] = known ? sim.companyDir.c_str() : NULL;
}

int checker_System(const char *name)
{
    for (int i = 0; i < SYSTEMS; i++)
        if (strcmp(systems[i].name, name) == 0)
            return i;
    return -1;
}

/* A --call name that setup could call: a function of the script without
 * parameters.  Any other runs nothing, and a "skip:" line says why. */
static bool callable(const std::string &name)
{
    const char *n = name.c_str();
    const char *why = !script_IsFunction(n) ? "the script has no such function"
                      : !script_CheckArgCount(n, 0)
                          ? "it takes parameters (only a function without "
                            "any can be called)"
                          : NULL;
    if (why)
        printf("skip %s: %s; nothing was run\n", n, why);
    return why == NULL;
}

int checker_Run(const CheckerRun &run)
{
    std::string why;
    if (run.system < 0 || run.system >= SYSTEMS)
        return fail("run", "no such system");
    if (!load_script(run.file, &why))
        return fail("run", why);
    const std::string &path = sim.script.file;
    if (!compile())
        return fail("run", not_compiled(path));
    begin_findings(run.findings);
    findings_Static(false);
    use_host();

    /* Like setup: init, then install; each only if the script has it. */
    std::vector<std::string> calls = run.calls;
    bool setupOrder = calls.empty();
    if (setupOrder) {
        for (const char *name : {"init", "install"})
            if (script_IsFunction(name))
                calls.push_back(name);
    }
    set_up_machine(&systems[run.system]);
    script_SetStepLimit(run.maxSteps);
    for (const std::string &name : calls) {
        if (!callable(name))
            continue;
        know_folders(name != "init");
        ScriptValue v = script_Call(name.c_str());
        const char *t = script_Text(v);
        printf("call %s = %s\n", name.c_str(),
               t ? checker_Literal(t).c_str() : std::to_string(script_Int(v)).c_str());
        if (setupOrder && name == "init" && v == 0) {
            printf("stop: init gave 0, so setup ends here\n");
            break;
        }
    }
    script_SetStepLimit(0);
    printf("reboot %d\nupdate %d\nnouninstall %d\nlogchanges %d\n"
           "progress %lld of %d\n",
           (int)sim.reboot, (int)sim.update, (int)sim.noUninstall,
           (int)sim.logChanges, sim.progSteps, (int)sim.progRange);
    if (findings_Errors() > 0)
        fail("run", found_errors());
    return sim.boxes > 0 || findings_Errors() > 0;
}
