/* functions.cpp -- what every built-in handler uses: reading its
 * arguments, text and path arguments. */
#include "functions.h"
#include "setup.h"
#include "ident.h"

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
