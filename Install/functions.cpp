/* functions.cpp -- what every built-in handler uses: reading its
 * arguments, text and path arguments. */
#include "functions.h"
#include "setup.h"
#include "ident.h"
#include "state.h"

#include <string.h>

MODULE_IDENT("Install/functions.cpp");

int fn_Args(ScriptValue *values)
{
    return script_Args(script_Builtins[script_CurrentBuiltin()].ArgCount,
                       values);
}

const char *fn_Text(ScriptValue value)
{
    return script_Text(value);
}

char *fn_Path(ScriptValue value)
{
    size_t capacity;
    char *text = script_TextBuffer(value, &capacity);
    if (text)
        path_Expand(text, capacity);
    return text;
}

int fn_Logged(int kind, const char *path)
{
    char a[LOG_TEXT_MAX + 1], b[LOG_TEXT_MAX + 1];
    size_t n = strlen(path);
    if (n >= sizeof a)
        return 0;
    memcpy(a, path, n + 1);
    CharUpperBuffA(a, (DWORD)n);
    LogList *list = &InstallState.UndoList;
    for (LogEntry *e = log_Next(list, NULL, kind); e;
         e = log_Next(list, e, kind)) {
        if (!e->Text1 || strlen(e->Text1) != n)
            continue;
        memcpy(b, e->Text1, n + 1);
        CharUpperBuffA(b, (DWORD)n);
        if (strcmp(a, b) == 0)
            return 1;
    }
    return 0;
}
