/* findings.cpp -- the findings about a compiled script that need no run,
 * read with the engine's own scanner so that comments and strings hide
 * what they hide from setup, and the count of all findings. */
#include "findings.h"
#include "ident.h"
#include "path/path.h"
#include "pkg/pkg.h"
#include "script/script.h"
#include "script/script_int.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>

MODULE_IDENT("tools/vpack/findings.cpp");

/* setup_Main starts NoLicense and NoUninstall at this; a setting changes
 * them. */
#define SETUP_FLAG_START 1

#define SETTING_ROW(name, kind) {#name, kind},
static const struct {
    const char *name;
    char        kind;   /* 't' text, 'n' number, 'p' present */
} settings[] = {SCRIPT_SETTINGS(SETTING_ROW)};

struct Pending {
    size_t      offset;
    const char *kind;
    std::string text;
};

/* The script, what it is compared with, and the count so far. */
static struct {
    const DiagScript         *script;
    CheckerFindings           opt;
    std::vector<PackageEntry> dir;      /* opt.members as a directory */
    int                       errors, warnings;
    bool                      holding;  /* findings wait in pending */
    std::vector<Pending>      pending;
} fd;

/* ---- counting and printing ---------------------------------------------- */

static void print(size_t offset, const char *kind, const std::string &text)
{
    if (fd.holding) {
        fd.pending.push_back({offset, kind, text});
        return;
    }
    fflush(stdout);   /* after the lines of the run so far */
    diag_Print(stderr, *fd.script, offset, kind, text);
}

/* The findings held back, in the order of their places in the script. */
static void release(void)
{
    fd.holding = false;
    std::stable_sort(fd.pending.begin(), fd.pending.end(),
                     [](const Pending &a, const Pending &b) {
                         return a.offset < b.offset;
                     });
    for (const Pending &p : fd.pending)
        print(p.offset, p.kind, p.text);
    fd.pending.clear();
}

void findings_Warn(size_t offset, const std::string &text)
{
    if (fd.opt.werror) {
        fd.errors++;
        print(offset, "error", text + " [--werror]");
    } else {
        fd.warnings++;
        print(offset, "warning", text);
    }
}

void findings_Error(size_t offset, const std::string &text)
{
    fd.errors++;
    print(offset, "error", text);
}

int findings_Errors(void)   { return fd.errors; }
int findings_Warnings(void) { return fd.warnings; }

std::string findings_Count(int n, const char *what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

/* ---- the package's members ---------------------------------------------- */

/* The case folding of the package lookup: ASCII letters only. */
static std::string folded(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
    return s;
}

static int add_entry(const std::string &name, int parent, uint32_t attributes)
{
    PackageEntry e;
    memset(&e, 0, sizeof e);
    memcpy(e.name, name.data(), std::min(name.size(), sizeof e.name - 1));
    e.parent = parent;
    e.attributes = attributes;
    fd.dir.push_back(e);
    return (int)fd.dir.size() - 1;
}

/* The members as the directory of a package, each folder before what is
 * in it, so that setup's own lookup (pkg_Find) can search them. */
static void make_directory(const std::vector<std::string> &members)
{
    fd.dir.clear();
    add_entry(".", -1, 0);
    std::map<std::string, int> folders;   /* folded path -> entry */
    for (const std::string &m : members) {
        int parent = 0;
        std::string sofar;
        for (size_t start = 0;;) {
            size_t end = m.find('\\', start);
            std::string part = m.substr(start, end == std::string::npos
                                                   ? std::string::npos
                                                   : end - start);
            if (part.empty() || part.size() >= PKG_NAME_SIZE)
                break;
            if (end == std::string::npos) {
                add_entry(part, parent, PKG_ATTR_FILE);
                break;
            }
            sofar += folded(part) + "\\";
            auto f = folders.find(sofar);
            parent = f != folders.end()
                         ? f->second
                         : (folders[sofar] = add_entry(part, parent,
                                                       PKG_ATTR_FOLDER));
            start = end + 1;
        }
    }
}

/* 1 when setup's reader finds a file under that path; *folder tells a
 * folder found instead. */
static bool holds_file(const std::string &path, bool *folder)
{
    PackageHandle h;
    memset(&h, 0, sizeof h);
    h.dir = fd.dir.data();
    h.count = (uint32_t)fd.dir.size();
    int index;
    const PackageEntry *e = pkg_Find(&h, path.c_str(), &index);
    *folder = e && (index == 0 || (e->attributes & PKG_ATTR_FOLDER));
    return e && !*folder;
}

/* The member nearest to path, or "" when none is near. */
static std::string nearest_member(const std::string &path)
{
    std::string best, want = folded(path);
    size_t bestDistance = 0;
    for (const std::string &m : fd.opt.members) {
        size_t d = diag_Distance(want, folded(m));
        if (best.empty() || d < bestDistance) {
            best = m;
            bestDistance = d;
        }
    }
    return bestDistance <= 2 || bestDistance * 4 <= want.size() ? best : "";
}

void findings_Begin(const DiagScript *s, const CheckerFindings &o)
{
    fd.script = s;
    fd.opt = o;
    fd.errors = fd.warnings = 0;
    fd.holding = false;
    fd.pending.clear();
    make_directory(o.members);
}

/* ---- the tokens --------------------------------------------------------- */

struct Token {
    int         kind;
    size_t      at;         /* offset of its first character */
    std::string text;       /* a name, or the text a literal stores */
    std::string function;   /* the function whose body holds it, or "" */
};

/* The compiled script's tokens, read by the engine's scanner; each knows
 * the function it stands in (a compiled script has only defines and
 * functions at the top). */
static std::vector<Token> read_tokens(void)
{
    static const ScriptHost silent = {NULL, NULL};
    script_SetHost(&silent);   /* it compiled: the scanner meets no error */
    script_Rewind();
    std::vector<Token> v;
    const ScriptMark &scan = ScriptState.Scan.Mark;
    int depth = 0;
    std::string name, in;
    for (; scan.Token != TK_EOF && !script_HasError(); script_NextToken()) {
        Token t = {scan.Token, (size_t)ScriptState.TokenStart, "", ""};
        if (t.kind == TK_IDENT)
            t.text = scan.Ident;
        else if (t.kind == TK_STRING)
            t.text = ScriptState.Scan.Slots[scan.SlotIndex];
        if (t.kind == TK_IDENT && depth == 0)
            name = t.text;
        if (t.kind == TK_LBRACE && depth++ == 0)
            in = name;
        t.function = in;
        if (t.kind == TK_RBRACE && --depth == 0)
            in.clear();
        v.push_back(t);
    }
    return v;
}

/* 1 when tokens[i] is a call of the built-in row whose first argument is
 * one string literal followed by the token after. */
static bool literal_call(const std::vector<Token> &v, size_t i, int row,
                         int after)
{
    return i + 3 < v.size() && v[i].kind == TK_IDENT &&
           v[i].text == script_Builtins[row].Keyword &&
           v[i + 1].kind == TK_LPAREN && v[i + 2].kind == TK_STRING &&
           v[i + 3].kind == after;
}

static bool calls(const std::vector<Token> &v, int row)
{
    for (size_t i = 0; i + 1 < v.size(); i++)
        if (v[i].kind == TK_IDENT && v[i].text == script_Builtins[row].Keyword &&
            v[i + 1].kind == TK_LPAREN)
            return true;
    return false;
}

/* ---- members the package will not hold ---------------------------------- */

static const int member_rows[] = {SB_COPY, SB_COPYSHARED, SB_INSTALLDRIVER,
                                  SB_VERSION};

static void missing_member(int row, const Token &t)
{
    bool folder;
    if (holds_file(t.text, &folder))
        return;
    std::string text = std::string(script_Builtins[row].Keyword) + "(" +
                       checker_Literal(t.text.c_str()) + ", ...): ";
    if (folder) {
        text += "that is a folder of the package, not a file";
    } else {
        text += "the package holds no such file, so the built-in fails";
        std::string near = nearest_member(t.text);
        if (!near.empty())
            text += "; did you mean " + checker_Literal(near.c_str()) + "?";
    }
    if (fd.opt.missingIsError)
        findings_Error(t.at, text + " (give --allow-missing to pack anyway)");
    else
        findings_Warn(t.at, text);
}

static void missing_members(const std::vector<Token> &v)
{
    if (!fd.opt.membersKnown)
        return;
    for (size_t i = 0; i < v.size(); i++)
        for (int row : member_rows)
            if (literal_call(v, i, row, TK_COMMA))
                missing_member(row, v[i + 2]);
}

/* ---- escapes that store a NUL ------------------------------------------- */

/* What the escape at the backslash means to have been. */
static std::string nul_escape_text(char c, const Token &t, bool last)
{
    std::string escape = std::string("\\") + c;
    std::string cut = "the text ends there, at " + checker_Literal(t.text.c_str());
    if (c == '0')
        return last ? "" : escape + " stores a NUL: " + cut +
                               ", and what follows is never read";
    if (c == '"')
        return escape + " stores a NUL, not a double quote, and the literal "
                        "goes on to the next quote: " + cut;
    return escape + " stores a NUL: " + cut + "; for a backslash (as in a "
                    "path) write \\\\";
}

/* The literal at t scanned again as the engine's scanner reads it, for
 * each escape whose byte (script_Escape) is a NUL. */
static void nul_escapes(const Token &t)
{
    const char *s = fd.script->text.data();
    const std::string &w = fd.script->written;
    for (size_t i = t.at + 1; s[i] && s[i] != '"' && s[i] != '\r' &&
                              s[i] != '\n';) {
        if (s[i] != '\\') {
            i++;
            continue;
        }
        char c = s[i + 1];
        if (c == 0)
            break;
        if (c == '\r' || c == '\n') {   /* the literal goes on */
            i += c == '\r' && s[i + 2] == '\n' ? 3 : 2;
            continue;
        }
        if (script_Escape((unsigned char)c) == 0) {
            /* The escape's letter as written: outside what the engine
             * takes for strings, letters were made small. */
            DiagPlace p = diag_Place(*fd.script, i + 1);
            char shown = p.begin + (size_t)p.column - 1 < w.size()
                             ? w[p.begin + (size_t)p.column - 1] : c;
            std::string text = nul_escape_text(shown, t, s[i + 2] == '"');
            if (!text.empty())
                findings_Warn(i, text);
        }
        i += 2;
    }
}

/* ---- settings ----------------------------------------------------------- */

static int setting_row(const std::string &name)
{
    for (size_t i = 0; i < sizeof settings / sizeof settings[0]; i++)
        if (name == settings[i].name)
            return (int)i;
    return -1;
}

/* Where setup's plain search finds the name first, or -1. */
static long first_place(const char *name)
{
    const char *text = fd.script->text.data();
    const char *p = strstr(text, name);
    return p ? (long)(p - text) : -1;
}

static long line_of(size_t offset)
{
    return diag_Place(*fd.script, offset).line;
}

static void unknown_setting(const std::string &name, size_t at)
{
    std::string best, all;
    size_t bestDistance = 0;
    for (const auto &s : settings) {
        size_t d = diag_Distance(folded(name), folded(s.name));
        if (best.empty() || d < bestDistance) {
            best = s.name;
            bestDistance = d;
        }
        all += std::string(all.empty() ? "" : ", ") + s.name;
    }
    std::string text = "setup reads no setting " + name;
    if (bestDistance <= 2 || bestDistance * 3 <= name.size())
        text += "; did you mean " + best + "?";
    else
        text += " (it reads " + all + ")";
    findings_Warn(at, text);
}

/* A known setting at a line of its own that setup's search does not
 * reach: only the first occurrence of the name counts. */
static void hidden_setting(int row, size_t at)
{
    const char *name = settings[row].name;
    long first = first_place(name);
    if (first < 0 || (size_t)first == at)
        return;
    std::string n = name, on = "on line " + std::to_string(line_of((size_t)first));
    const char *text = fd.script->text.data();
    std::string why;
    if (text[first + n.size()] == '=') {
        why = "setup reads only the first " + n + "= in the script, " + on +
              ": this one is never read";
    } else if (settings[row].kind == 'n') {
        int v = 0;
        script_GetInt(name, &v);
        why = "setup does not see this " + n + " setting: it reads the first \"" +
              n + "\" in the script, " + on + ", with the number after the "
              "next '=' (" + std::to_string(v) + "); move this line above it";
    } else {
        why = "setup does not see this " + n + " setting: it reads the first \"" +
              n + "\" in the script, " + on + ", and no '=' follows it there; "
              "move this line above it";
    }
    findings_Warn(at, why);
}

/* Every "// Name=value" line of the converted text. */
static void setting_lines(void)
{
    const char *text = fd.script->text.data();
    for (const char *line = text; *line;) {
        const char *p = line;
        while (*p == ' ' || *p == '\t')
            p++;
        if (p[0] == '/' && p[1] == '/') {
            for (p += 2; *p == ' ' || *p == '\t'; p++)
                ;
            const char *name = p;
            while ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') ||
                   (*p >= '0' && *p <= '9' && p > name) || *p == '_')
                p++;
            if (p > name && *p == '=') {
                std::string n(name, p);
                int row = setting_row(n);
                if (row < 0)
                    unknown_setting(n, (size_t)(name - text));
                else
                    hidden_setting(row, (size_t)(name - text));
            }
        }
        const char *end = strstr(line, "\r\n");
        line = end ? end + 2 : line + strlen(line);
    }
}

/* NoLicense or NoUninstall as setup_Init leaves it: "" when 0, else how it
 * came to be; *at is where setup reads it (0, the script's start, when it
 * is absent). */
static std::string flag_set(const char *name, size_t *at)
{
    int v = SETUP_FLAG_START;
    bool present = script_GetInt(name, &v);
    long first = first_place(name);
    *at = present && first >= 0 ? (size_t)first : 0;
    if (v == 0)
        return "";
    return present ? std::string(name) + " is " + std::to_string(v)
                   : std::string("the script has no ") + name +
                         " setting, and setup then takes " +
                         std::to_string(SETUP_FLAG_START);
}

static void licence_page(void)
{
    bool folder;
    size_t at;
    if (!fd.opt.membersKnown || !holds_file("License.txt", &folder))
        return;
    std::string why = flag_set(SCRIPT_SETTING(NoLicense), &at);
    if (!why.empty())
        findings_Warn(at, "setup never shows the licence page, although the "
                          "package holds License.txt: " + why +
                          " (write // NoLicense=0 to show it)");
}

static void uninstaller(const std::vector<Token> &v)
{
    size_t at;
    std::string why = flag_set(SCRIPT_SETTING(NoUninstall), &at);
    if (!why.empty())
        findings_Warn(at, "setup leaves no uninstaller and no Add/Remove "
                          "Programs entry: " + why +
                          " (write // NoUninstall=0 for them" +
                          (calls(v, SB_SETNOUNINSTALL)
                               ? "; a setnouninstall call may change it as "
                                 "the script runs)"
                               : ")"));
}

/* ---- folder macros before the destination page --------------------------- */

/* The macro text begins with, found by setup's own expansion, or -1. */
static int leading_macro(const std::string &text)
{
    static const char *const marks[PATH_MACROS] = {"\1", "\2", "\3", "\4",
                                                   "\5", "\6", "\7"};
    char buffer[SCRIPT_SLOT_SIZE];
    size_t n = std::min(text.size(), sizeof buffer - 1);
    memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    if (!path_ExpandWith(buffer, sizeof buffer, marks) || strlen(buffer) == n)
        return -1;
    return buffer[0] - 1;
}

static void macros_in_init(const std::vector<Token> &v)
{
    for (const Token &t : v) {
        int m = t.kind == TK_STRING && t.function == "init"
                    ? leading_macro(t.text) : -1;
        if (m == PATH_APPDIR || m == PATH_PROGFILESDIR ||
            m == PATH_PRODUCTDIR || m == PATH_COMPANYDIR)
            findings_Warn(t.at, std::string(path_MacroNames[m]) +
                                    " in init: setup chooses that folder on "
                                    "its destination page, after init, so "
                                    "here it cannot expand it: the path "
                                    "becomes empty and the built-in fails");
    }
}

/* ---- settings keys ------------------------------------------------------ */

void findings_Key(size_t offset, const char *key, const std::string &shown)
{
    if (key && path_SettingsKey(key))
        return;
    findings_Warn(offset, "prefskey(" + shown + ") is not recorded: " +
                              (key ? "a settings key must lie at least two "
                                     "levels below Software (Software\\Vendor"
                                     "\\Product), and not under Classes, "
                                     "Microsoft, Policies or Wow6432Node; the "
                                     "uninstaller would leave it"
                                   : "its key is no text"));
}

static void literal_keys(const std::vector<Token> &v)
{
    for (size_t i = 0; i < v.size(); i++)
        if (literal_call(v, i, SB_PREFSKEY, TK_RPAREN))
            findings_Key(v[i + 2].at, v[i + 2].text.c_str(),
                         checker_Literal(v[i + 2].text.c_str()));
}

void findings_Static(bool literalKeys)
{
    std::vector<Token> v = read_tokens();
    fd.holding = true;
    setting_lines();
    missing_members(v);
    for (const Token &t : v)
        if (t.kind == TK_STRING)
            nul_escapes(t);
    macros_in_init(v);
    if (literalKeys)
        literal_keys(v);
    licence_page();
    uninstaller(v);
    release();
}
