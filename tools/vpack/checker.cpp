/* checker.cpp -- `vpack check` and `vpack run`: the install script compiled
 * by the engine that setup runs, and run with one handler for every
 * built-in that prints the call and answers as a clean machine would.
 *
 * The engine is one process-wide record, so the simulated machine is one
 * too: the folders the path macros stand for and the install state the
 * built-ins change. */
#include "checker.h"
#include "fsys.h"
#include "ident.h"
#include "path/path.h"
#include "script/script.h"
#include "script/script_int.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

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
    std::string   file;        /* the script, for the warnings */
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

std::string checker_ErrorLine(const char *box)
{
    std::string s = "script error: ";
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

static void show_box(const char *text)
{
    sim.boxes++;
    printf("%s\n", checker_ErrorLine(text).c_str());
}

/* ---- settings keys setup would not record ------------------------------ */

/* "FILE:LINE:COLUMN" of a character of the script, both counted from 1: a
 * line ends at LF, CR or CR LF, and every byte before the character on its
 * line is one column. */
static std::string place(const std::string &file, int offset)
{
    const char *text = ScriptState.Text;
    long line = 1, column = 1;
    for (int i = 0; i < offset && text[i]; i++) {
        if (text[i] == '\n' || (text[i] == '\r' && text[i + 1] != '\n')) {
            line++;
            column = 1;
        } else {
            column++;
        }
    }
    return file + ":" + std::to_string(line) + ":" + std::to_string(column);
}

/* setup records a prefskey key only when path_SettingsKey takes it, and
 * the uninstaller deletes no other, so such a key stays behind for good.
 * key is the text at offset, or null where the argument was no text
 * (shown as setup's built-in read it). */
static void warn_key(const char *command, int offset, const char *key,
                     const std::string &shown)
{
    if (key && path_SettingsKey(key))
        return;
    fflush(stdout);
    fprintf(stderr, "vpack %s: %s: warning: prefskey(%s) is not recorded: %s\n",
            command, place(sim.file, offset).c_str(), shown.c_str(),
            key ? "a settings key must lie at least two levels below "
                  "Software (Software\\Vendor\\Product), and not under "
                  "Classes, Microsoft, Policies or Wow6432Node; the "
                  "uninstaller would leave it"
                : "its key is no text");
}

/* The prefskey calls of a compiled script whose argument is one string
 * literal, read by the engine's own scanner so that comments and strings
 * hide what they hide from setup.  An argument of more tokens is an
 * expression: only a run knows its value. */
static void warn_literal_keys(const char *command)
{
    static const ScriptHost silent = {NULL, NULL};
    script_SetHost(&silent);   /* it compiled: the scanner meets no error */
    script_Rewind();
    enum { NONE, NAME, OPEN, LITERAL } seen = NONE;
    int at = 0;
    std::string key;
    const ScriptMark &scan = ScriptState.Scan.Mark;
    for (; scan.Token != TK_EOF && !script_HasError(); script_NextToken()) {
        if (scan.Token == TK_IDENT &&
            strcmp(scan.Ident, script_Builtins[SB_PREFSKEY].Keyword) == 0) {
            seen = NAME;
        } else if (seen == NAME && scan.Token == TK_LPAREN) {
            seen = OPEN;
        } else if (seen == OPEN && scan.Token == TK_STRING) {
            seen = LITERAL;
            at = ScriptState.TokenStart;
            key = ScriptState.Scan.Slots[scan.SlotIndex];
        } else {
            if (seen == LITERAL && scan.Token == TK_RPAREN)
                warn_key(command, at, key.c_str(),
                         checker_Literal(key.c_str()));
            seen = NONE;
        }
    }
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
    fflush(stdout);
    fprintf(stderr, "vpack run: %s: warning: %s(%s) %s: setup writes only "
            "full paths on a drive, and this one %s\n",
            place(sim.file, at).c_str(), script_Builtins[row].Keyword,
            checker_Literal(path).c_str(),
            row == SB_MAKEDIR ? "makes nothing" : "fails",
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
        warn_key("run", at, script_Text(v[0]), argument('t', v[0]));
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

/* The script at file, or the Install.ini (in any case, as vpack build
 * takes it) of the product folder file: its path, and its bytes with a NUL
 * after them.  1, or 0 with *why set. */
static int load_script(const std::string &file, std::string *path,
                       std::vector<char> *text, std::string *why)
{
    FsysInfo fi;
    std::string err;
    *path = file;
    if (!fsys_Stat(file, &fi, &err)) {
        *why = "cannot read " + quoted(file) + ": " + err;
        return 0;
    }
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
    text->assign((size_t)fi.size + 1, 0);
    size_t got = fread(text->data(), 1, (size_t)fi.size, f);
    bool bad = ferror(f) || got != fi.size || fgetc(f) != EOF;
    fclose(f);
    if (bad) {
        *why = "cannot read " + quoted(*path) + " (it changed while read)";
        return 0;
    }
    return 1;
}

/* Compiles text with this module as the engine's host. */
static int compile(std::vector<char> &text)
{
    static ScriptHandler handlers[SB_COUNT];
    for (ScriptHandler &h : handlers)
        h = on_builtin;
    static const ScriptHost host = {show_box, handlers};
    script_SetHost(&host);
    sim.boxes = 0;
    return script_Compile(text.data());
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

/* Text settings setup reads with script_GetString. */
static const char *const text_settings[] = {
    "Name", "Version", "Company", "Product", "LogPath", "InstallDriver",
    "CompanyURL", "CompanyEmail", "ProductURL", "ProductEmail",
};

/* Settings that setup would read other than their writer meant: a value
 * runs on to the next carriage return, so with bare line feeds it takes in
 * the lines after it; and only a name's first occurrence counts, so an
 * earlier "CompanyURL=" hides a later "Company=".  Warnings on stderr. */
static void warn_settings(const char *command, const std::vector<char> &text)
{
    for (const char *name : text_settings) {
        char value[SCRIPT_MSG_MAX];
        if (script_GetString(name, value, sizeof value)) {
            if (strchr(value, '\n'))
                fprintf(stderr, "vpack %s: warning: the setting %s runs on "
                        "past its line: setup reads a value up to a carriage "
                        "return, and its line ends in a bare line feed (save "
                        "the script with CR LF line ends)\n", command, name);
            continue;
        }
        std::string meant = std::string(name) + "=";
        const char *first = strstr(text.data(), name);
        if (!first || !strstr(text.data(), meant.c_str()))
            continue;
        long line = 1 + (long)std::count(text.data(), first, '\n');
        fprintf(stderr, "vpack %s: warning: setup does not see the setting "
                "%s: only the first %s in the script counts, on line %ld, "
                "and no '=' follows it there (move the %s line up)\n",
                command, name, name, line, meant.c_str());
    }
}

int checker_Check(const std::string &file)
{
    std::string path, why;
    std::vector<char> text;
    if (!load_script(file, &path, &text, &why))
        return fail("check", why);
    if (!compile(text))
        return fail("check", not_compiled(path));
    warn_settings("check", text);
    sim.file = path;
    warn_literal_keys("check");
    int init = script_IsFunction("init"), install = script_IsFunction("install");
    printf("vpack check: %s: OK; setup calls %s\n", path.c_str(),
           init && install ? "init, install"
           : init          ? "init (there is no install)"
           : install       ? "install (there is no init)"
                           : "no function (there is no init or install)");
    return 0;
}

int checker_Compiles(const std::string &ini, std::string *why)
{
    std::string path;
    std::vector<char> text;
    if (!load_script(ini, &path, &text, why))
        return 0;
    if (compile(text))
        return 1;
    *why = not_compiled(path) + "; nothing was packed";
    fflush(stdout);
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

int checker_Run(const CheckerRun &run)
{
    std::string path, why;
    std::vector<char> text;
    if (run.system < 0 || run.system >= SYSTEMS)
        return fail("run", "no such system");
    if (!load_script(run.file, &path, &text, &why))
        return fail("run", why);
    if (!compile(text))
        return fail("run", not_compiled(path));
    warn_settings("run", text);
    sim.file = path;

    /* Like setup: init, then install; each only if the script has it. */
    std::vector<std::string> calls = run.calls;
    bool setupOrder = calls.empty();
    if (setupOrder) {
        for (const char *name : {"init", "install"})
            if (script_IsFunction(name))
                calls.push_back(name);
    }
    for (const std::string &name : calls) {
        if (!script_IsFunction(name.c_str()))
            return fail("run", quoted(path) + " has no function " +
                                   quoted(name) + "; nothing was run");
        if (!script_CheckArgCount(name.c_str(), 0))
            return fail("run", "the function " + quoted(name) + " takes "
                               "parameters; only functions without any can "
                               "be called; nothing was run");
    }

    set_up_machine(&systems[run.system]);
    script_SetStepLimit(run.maxSteps);
    for (const std::string &name : calls) {
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
    return sim.boxes > 0;
}
