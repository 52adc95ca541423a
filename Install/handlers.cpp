/* handlers.cpp -- setup's handler table, made from the built-in table
 * (core/script/script.h): a row whose handler is not defined does not
 * link. */
#include "functions.h"
#include "ident.h"

MODULE_IDENT("Install/handlers.cpp");

#define HANDLER_ROW(name, keyword, handler, kinds) handler,
const ScriptHandler setup_Handlers[SB_COUNT] = {SCRIPT_BUILTINS(HANDLER_ROW)};
