/* script.h -- the install script language: compiler, interpreter, host seam.
 *
 * An install script (Install.ini) is a small C-like program.  The engine
 * keeps no token list and makes no code: the compiler fills a constant
 * table and a function table (each function remembered as a scanner cursor
 * at its body) and dry-runs every body once in check mode; the interpreter
 * runs a function by scanning its text again.  Everything lives in one
 * process-wide record (script_int.h); nothing is allocated.
 *
 * The engine is portable.  The host (setup.exe, vpack) plugs in through
 * script_SetHost: a reporter that shows one "Script error" box, and the
 * handlers of the built-in table.
 *
 * Results: 1/0 for success/failure or yes/no; script values are words.
 */
#ifndef VELLUM_SCRIPT_H
#define VELLUM_SCRIPT_H

#include <stddef.h>
#include <stdint.h>

/* A script value: a signed 32-bit integer or the address of a NUL-terminated
 * text in one of the scanner's string slots; null is 0.  The word is
 * pointer-sized so that it can carry an address on 64-bit builds; integer
 * arithmetic stays signed 32-bit with wrap-around on every build. */
typedef intptr_t ScriptValue;

/* Limits of the language. */
#define SCRIPT_IDENT_MAX     32   /* characters of a name */
#define SCRIPT_STRING_MAX    512  /* characters of a string literal */
#define SCRIPT_SLOTS         8    /* string slots, reused in turn */
#define SCRIPT_MAX_CONSTANTS 64   /* null, true, false and 61 defines */
#define SCRIPT_MAX_FUNCTIONS 16
#define SCRIPT_MAX_PARAMS    8
#define SCRIPT_MAX_LOCALS    8
#define SCRIPT_MSG_MAX       1024 /* a formatted "Script error" text */

/* Nesting of statements, expressions and calls together, and the number of
 * scanner cursors that running loops and calls may hold at once.  A script
 * that goes deeper stops with "Nesting too deep" instead of exhausting the
 * native stack; real scripts nest a few levels. */
#define SCRIPT_MAX_DEPTH     1000
#define SCRIPT_MAX_CURSORS   256

/* script_Exec results. */
#define SCRIPT_NORMAL    0
#define SCRIPT_RETURNED  1
#define SCRIPT_CONTINUED 2
#define SCRIPT_BROKEN    3

/* The built-in table, once: every built-in in row order as
 *     X(NAME, keyword, handler, kinds)
 * NAME gives its row SB_NAME; the keyword is lower case, as scripts write
 * it; the handler is setup's (Install/functions.h); kinds has one letter
 * per argument, and so gives the argument count: 'i' a number, 't' a
 * text, 'p' a path, expanded in its slot before use.  The engine's keyword
 * and count table, setup's handler table and vpack's simulation are all
 * made from this list. */
#define SCRIPT_BUILTINS(X)                                       \
    X(ISWIN95,        "iswin95",        fn_IsWindows,      "")     \
    X(ISWIN98,        "iswin98",        fn_IsWindows,      "")     \
    X(ISWINME,        "iswinme",        fn_IsWindows,      "")     \
    X(ISWINNT,        "iswinnt",        fn_IsWindows,      "")     \
    X(ISWIN2000,      "iswin2000",      fn_IsWindows,      "")     \
    X(ISWINXP,        "iswinxp",        fn_IsWindows,      "")     \
    X(ISWINFAMILYNT,  "iswinfamilynt",  fn_IsWindows,      "")     \
    X(ISWINFAMILY9X,  "iswinfamily9x",  fn_IsWindows,      "")     \
    X(SETREBOOT,      "setreboot",      fn_SetReboot,      "i")    \
    X(SETUPDATE,      "setupdate",      fn_SetUpdate,      "i")    \
    X(SETNOUNINSTALL, "setnouninstall", fn_SetNoUninstall, "i")    \
    X(LOGON,          "logon",          fn_LogOn,          "")     \
    X(LOGOFF,         "logoff",         fn_LogOff,         "")     \
    X(FILEINUSE,      "fileinuse",      fn_FileInUse,      "p")    \
    X(ISAPPINSTALLED, "isappinstalled", fn_IsAppInstalled, "tt")   \
    X(ISAPPRUNNING,   "isapprunning",   fn_IsAppRunning,   "tt")   \
    X(CLOSEAPP,       "closeapp",       fn_CloseApp,       "tt")   \
    X(VERSION,        "version",        fn_Version,        "tp")   \
    X(MSGBOXOK,       "msgboxok",       fn_MsgBoxOk,       "t")    \
    X(MSGBOXYESNO,    "msgboxyesno",    fn_MsgBoxYesNo,    "t")    \
    X(COPY,           "copy",           fn_Copy,           "tp")   \
    X(COPYSHARED,     "copyshared",     fn_CopyShared,     "tpt")  \
    X(ISCOPYERROR,    "iscopyerror",    fn_IsCopyError,    "")     \
    X(MAKEDIR,        "makedir",        fn_MakeDir,        "p")    \
    X(INSTALLDRIVER,  "installdriver",  fn_InstallDriver,  "tpt")  \
    X(SHORTCUT,       "shortcut",       fn_Shortcut,       "tptt") \
    X(SHORTCUTC,      "shortcutc",      fn_ShortcutC,      "tptt") \
    X(SHORTCUTWWW,    "shortcutwww",    fn_ShortcutWWW,    "tt")   \
    X(PREFSKEY,       "prefskey",       fn_PrefsKey,       "t")    \
    X(SETPROGSTEPS,   "setprogsteps",   fn_SetProgSteps,   "i")    \
    X(PROGSTEP,       "progstep",       fn_ProgStep,       "")     \
    X(REGDELKEY,      "regdelkey",      fn_RegDelKey,      "t")    \
    X(REGDELVALUE,    "regdelvalue",    fn_RegDelValue,    "tt")

#define SCRIPT_BUILTIN_ROW(name, keyword, handler, kinds) SB_##name,
enum { SCRIPT_BUILTINS(SCRIPT_BUILTIN_ROW) SB_COUNT };

/* What each iswin built-in asks of the Windows version, once, in row
 * order from SB_ISWIN95: the platform (Windows' own numbers:
 * SCRIPT_WIN_9X the Windows 95 family, SCRIPT_WIN_NT the NT family), the
 * major and minor version, -1 for any. */
#define SCRIPT_WIN_9X 1
#define SCRIPT_WIN_NT 2
#define SCRIPT_WINDOWS(X)                                \
    X(ISWIN95, SCRIPT_WIN_9X, 4, 0)                      \
    X(ISWIN98, SCRIPT_WIN_9X, 4, 10)                     \
    X(ISWINME, SCRIPT_WIN_9X, 4, 90)                     \
    X(ISWINNT, SCRIPT_WIN_NT, 4, 0)                      \
    X(ISWIN2000, SCRIPT_WIN_NT, 5, 0)                    \
    X(ISWINXP, SCRIPT_WIN_NT, 5, 1)                      \
    X(ISWINFAMILYNT, SCRIPT_WIN_NT, -1, -1)              \
    X(ISWINFAMILY9X, SCRIPT_WIN_9X, -1, -1)

typedef struct ScriptWindows {
    signed char Platform, Major, Minor;
} ScriptWindows;

#define SCRIPT_WINDOWS_ROWS (SB_ISWINFAMILY9X - SB_ISWIN95 + 1)
extern const ScriptWindows script_Windows[SCRIPT_WINDOWS_ROWS];

/* 1 when a system of that platform and version answers the iswin
 * built-in of that row with yes. */
int script_IsWindows(int row, unsigned platform, unsigned major,
                     unsigned minor);

/* A handler runs after the keyword and "(" were consumed; it reads its own
 * arguments (script_Args, or script_Eval/script_Expect), consumes the ")"
 * and gives the call's value.  Handlers show no script errors of their own. */
typedef ScriptValue (*ScriptHandler)(void);

typedef struct ScriptBuiltin {
    const char   *Keyword;    /* lower case, as scripts write it */
    int           ArgCount;   /* exact number of arguments */
} ScriptBuiltin;

/* The table in row order, ended by a row with a null keyword. */
extern const ScriptBuiltin script_Builtins[SB_COUNT + 1];

typedef struct ScriptHost {
    /* Shows one "Script error" box with this text (title "Script error",
     * OK only, no icon, no owner).  Null: errors are not shown. */
    void (*Report)(const char *text);
    /* SB_COUNT handlers in table order; a null table or entry reads the
     * row's arguments and gives 0 (tests that bind a few handlers). */
    const ScriptHandler *Handlers;
} ScriptHost;

/* ---- host side ---- */

void script_SetHost(const ScriptHost *host);
/* Statements a run may execute before it stops with "Too many steps";
 * 0 (the default) for no limit.  Dry runs set one so that a script waiting
 * for something that never comes cannot hang them. */
void script_SetStepLimit(long long steps);

int  script_Compile(char *text);     /* writable; 1 compiled, 0 failed */
void script_Prepare(char *text);
ScriptValue script_Call(const char *name);
int  script_IsFunction(const char *name);   /* ignoring case */
int  script_HasError(void);                 /* the sticky error flag */

/* The settings setup reads, once: every one in the order documented, as
 *     X(Name, kind)
 * kind 't' a text (script_GetString), 'n' a number (script_GetInt), 'p'
 * only whether it is there.  setup names each as SCRIPT_SETTING(Name),
 * which does not compile for a name missing here; vpack warns about a
 * "// Name=value" line of any other name. */
#define SCRIPT_SETTINGS(X)                                              \
    X(Name, 't') X(Version, 't') X(Company, 't') X(Product, 't')        \
    X(LogPath, 't') X(Update, 'n') X(NoLicense, 'n') X(NoUninstall, 'n') \
    X(NoWin95, 'n') X(InstallDriver, 'p') X(CompanyURL, 't')            \
    X(CompanyEmail, 't') X(ProductURL, 't') X(ProductEmail, 't')

#define SCRIPT_SETTING_ROW(name, kind) SSET_##name,
enum { SCRIPT_SETTINGS(SCRIPT_SETTING_ROW) SSET_COUNT };
#define SCRIPT_SETTING(name) ((void)SSET_##name, #name)

/* Settings: Name=value found by a plain search of the script text.
 * script_GetString copies at most capacity - 1 characters and always
 * terminates; 1 found, 0 not found (out untouched). */
int  script_GetString(const char *name, char *out, size_t capacity);
int  script_GetInt(const char *name, int *out);

/* ---- interpreter ---- */

ScriptValue script_Eval(void);
int  script_Exec(void);
void script_Skip(void);
int  script_Expect(int token);   /* 1 matched and moved on, 0 reported */

/* The byte a literal stores for the escape "\c": 0, a NUL that ends the
 * text, for \0, \" and every c without an escape of its own.  A line
 * break after the backslash continues the literal instead. */
int  script_Escape(int c);

/* ---- error reporters: each formats a box text and sets the flag ---- */

void script_Error(const char *message);
void script_ErrorExpected(const char *text);
void script_ErrorExpectedToken(int token);
const char *script_TokenName(int token);

/* ---- built-in side ---- */

int  script_IsBuiltin(const char *name);          /* exact keyword */
ScriptValue script_CallBuiltin(const char *name);
int  script_CheckArgCount(const char *name, int count);
int  script_CurrentBuiltin(void);   /* row of the running handler, or -1 */

/* Reads count arguments with "," between them and ")" after the last (also
 * when count is 0) into values (may be null); 1 unless an error was
 * reported. */
int  script_Args(int count, ScriptValue *values);

/* A text argument: the text a value points at, or null when the value is no
 * address of a string slot (null, an integer, an address moved out of the
 * slots).  script_TextBuffer gives the slot for rewriting in place, with
 * the bytes that may be written from the returned address, terminator
 * included. */
const char *script_Text(ScriptValue value);
char *script_TextBuffer(ScriptValue value, size_t *capacity);
int32_t script_Int(ScriptValue value);

#endif
