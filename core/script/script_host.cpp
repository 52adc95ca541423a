/* script_host.cpp -- the seam between the engine and its host: error
 * reporters, the built-in table, settings and calls from outside. */
#include "script_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("core/script/script_host.cpp");

#include "script_short.h"

#define BUILTIN_ROW(name, keyword, handler, kinds) {keyword, sizeof kinds - 1},
const ScriptBuiltin script_Builtins[SB_COUNT + 1] = {
    SCRIPT_BUILTINS(BUILTIN_ROW)
    {NULL, 0},
};

#define WINDOWS_ROW(name, platform, major, minor) {platform, major, minor},
const ScriptWindows script_Windows[SCRIPT_WINDOWS_ROWS] = {
    SCRIPT_WINDOWS(WINDOWS_ROW)
};
/* The versions are listed in the built-ins' row order, one for each. */
#define WINDOWS_INDEX(name, platform, major, minor) WI_##name,
enum { SCRIPT_WINDOWS(WINDOWS_INDEX) WI_COUNT };
#define WINDOWS_ORDER(name, platform, major, minor) \
    static_assert(WI_##name == SB_##name - SB_ISWIN95, #name " out of order");
SCRIPT_WINDOWS(WINDOWS_ORDER)
static_assert(WI_COUNT == SCRIPT_WINDOWS_ROWS, "an iswin row without a version");

int script_IsWindows(int row, unsigned platform, unsigned major,
                     unsigned minor)
{
    const ScriptWindows *w = &script_Windows[row - SB_ISWIN95];
    return platform == (unsigned)w->Platform &&
           (w->Major < 0 ||
            (major == (unsigned)w->Major && minor == (unsigned)w->Minor));
}

const char script_MsgEof[] = "Unexpected end of file";
const char script_MsgDeep[] = "Nesting too deep";

void script_SetHost(const ScriptHost *host)
{
    if (host)
        S.Host = *host;
    else
        memset(&S.Host, 0, sizeof S.Host);
}

void script_SetStepLimit(long long steps)
{
    S.StepLimit = steps > 0 ? steps : 0;
}

int script_HasError(void)
{
    return S.ErrorFlag;
}

/* ---- error reporters ---- */

/* Appends text to the box, cut at its end. */
static size_t put(char *box, size_t n, const char *text)
{
    while (*text && n < SCRIPT_MSG_MAX - 1)
        box[n++] = *text++;
    box[n] = 0;
    return n;
}

/* "<lead> <text> at <TokenStart> (<identifier>)", formatted without
 * printf: the one use in setup would pull a whole formatter into it. */
static void report(const char *lead, const char *text)
{
    char box[SCRIPT_MSG_MAX], number[16];
    char *d = number + sizeof number;
    unsigned v = (unsigned)S.TokenStart;
    *--d = 0;
    do
        *--d = (char)('0' + v % 10);
    while (v /= 10);
    size_t n = put(box, 0, lead);
    n = put(box, n, text);
    n = put(box, n, " at ");
    n = put(box, n, d);
    n = put(box, n, " (");
    n = put(box, n, SC.Ident);
    put(box, n, ")");
    S.ErrorFlag = 1;
    if (S.Host.Report && !S.Halted)
        S.Host.Report(box);
}

void script_Halt(const char *message)
{
    script_Error(message);
    S.Halted = 1;
}

void script_Error(const char *message)
{
    report("Error: ", message);
}

/* The position points just after the previous token: the blanks before
 * the token found are passed back over. */
void script_ErrorExpected(const char *text)
{
    while (S.TokenStart > 0) {
        char c = S.Text[S.TokenStart - 1];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            break;
        S.TokenStart--;
    }
    report("Expected ", text);
}

void script_ErrorExpectedToken(int token)
{
    script_ErrorExpected(script_TokenName(token));
}

/* ---- built-ins ---- */

static int builtin_row(const char *name, int fold)
{
    for (int i = 0; script_Builtins[i].Keyword; i++)
        if (fold ? script_NameEqual(script_Builtins[i].Keyword, name)
                 : strcmp(script_Builtins[i].Keyword, name) == 0)
            return i;
    return -1;
}

int script_IsBuiltin(const char *name)
{
    return builtin_row(name, 0) >= 0;
}

int script_CurrentBuiltin(void)
{
    return S.Builtin;
}

int script_Args(int count, ScriptValue *values)
{
    for (int i = 0; i < count; i++) {
        ScriptValue v = script_Eval();
        if (values)
            values[i] = v;
        script_Expect(i < count - 1 ? TK_COMMA : TK_RPAREN);
    }
    if (count <= 0)
        script_Expect(TK_RPAREN);
    return !S.ErrorFlag;
}

ScriptValue script_CallBuiltin(const char *name)
{
    int row = builtin_row(name, 0);
    if (S.CheckMode || row < 0)
        return 0;
    ScriptHandler h = S.Host.Handlers ? S.Host.Handlers[row] : NULL;
    int outer = S.Builtin;
    S.Builtin = row;
    ScriptValue v;
    if (h)
        v = h();
    else {
        script_Args(script_Builtins[row].ArgCount, NULL);
        v = 0;
    }
    S.Builtin = outer;
    return v;
}

int script_CheckArgCount(const char *name, int count)
{
    int row = builtin_row(name, 1);
    if (row >= 0)
        return script_Builtins[row].ArgCount < 0 ||
               script_Builtins[row].ArgCount == count;
    for (int i = 0; i < S.FunctionCount; i++)
        if (script_NameEqual(S.Functions[i].Name, name))
            return S.Functions[i].ParamCount == count;
    return 0;
}

/* ---- calls from the host ---- */

int script_IsFunction(const char *name)
{
    for (int i = 0; i < S.FunctionCount; i++)
        if (script_NameEqual(S.Functions[i].Name, name))
            return 1;
    return 0;
}

/* ---- settings ---- */

/* Only the first occurrence counts, even inside a longer word. */
static const char *find_setting(const char *name)
{
    if (!S.Text || !name || !*name)
        return NULL;
    const char *p = strstr(S.Text, name);
    return p ? p + strlen(name) : NULL;
}

/* The value runs from after '=' to the first carriage return; nothing is
 * trimmed.  A value longer than the caller's buffer is cut at its capacity
 * (the buffer always ends in a NUL). */
int script_GetString(const char *name, char *out, size_t capacity)
{
    const char *p = find_setting(name);
    if (!p || *p != '=' || !out || capacity == 0)
        return 0;
    p++;
    size_t n = 0;
    while (p[n] && p[n] != '\r' && n < capacity - 1)
        n++;
    memcpy(out, p, n);
    out[n] = 0;
    return 1;
}

/* The first '=' after the name, whatever stands between, then decimal
 * digits: no sign, no blanks, 0 when there are none. */
int script_GetInt(const char *name, int *out)
{
    const char *p = find_setting(name);
    if (!p || !out)
        return 0;
    p = strchr(p, '=');
    if (!p)
        return 0;
    uint32_t v = 0;
    for (p++; *p >= '0' && *p <= '9'; p++)
        v = v * 10 + (uint32_t)(*p - '0');
    *out = (int32_t)v;
    return 1;
}
