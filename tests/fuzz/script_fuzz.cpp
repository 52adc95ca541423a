/* Fuzz target: arbitrary text as an install script.  Compiles it, reads
 * some settings, and when it compiles calls init, install and then every
 * function it defines, under a small step limit.  Every built-in reads its
 * arguments and rewrites each text argument in place with path macros
 * whose folders are long, so expansions overflow their slots often.
 *
 * Besides the sanitizers, the engine's own promises are checked: a script
 * that compiles showed no box; after the box of one of the engine's limits
 * ("Nesting too deep", "Too many steps") nothing more is shown; every box
 * fits its buffer; and every call gives back its nesting and its cursors. */
#include "path/path.h"
#include "script/script.h"
#include "script/script_int.h"

#include <string.h>
#include <string>

static const std::string kLong(300, 'F');
static const std::string kFolder[PATH_MACROS] = {
    "C:\\WINDOWS", "C:\\WINDOWS\\System32\\" + kLong,
    "C:\\WINDOWS\\System32\\Drivers", "D:\\" + kLong + "\\" + kLong,
    "C:\\Program Files", "C:\\Program Files\\" + kLong + "\\Tool",
    std::string(511, 'c'),
};

static const char *folders[PATH_MACROS];

/* The value depends on the arguments, so that loops over built-ins take
 * both ways. */
static ScriptValue handler(void)
{
    int row = script_CurrentBuiltin();
    int count = script_Builtins[row].ArgCount;
    ScriptValue a[8] = {};
    if (!script_Args(count, a))
        return 0;
    uint32_t sum = (uint32_t)row;
    for (int i = 0; i < count; i++) {
        size_t capacity;
        char *text = script_TextBuffer(a[i], &capacity);
        if (text) {
            path_ExpandWith(text, capacity, folders);
            sum += (uint32_t)strlen(script_Text(a[i]));
        } else
            sum += (uint32_t)script_Int(a[i]);
    }
    return (ScriptValue)(int32_t)(sum % 3);
}

static ScriptHandler handlers[SB_COUNT];
static int boxes, halted;

static void count_box(const char *text)
{
    if (!text || strlen(text) >= SCRIPT_MSG_MAX || halted)
        __builtin_trap();
    halted = strstr(text, "Error: Nesting too deep at ") == text ||
             strstr(text, "Error: Too many steps at ") == text;
    boxes++;
}

static void call(const char *name)
{
    script_Call(name);
    if (ScriptState.Depth != 0 || ScriptState.CursorTop != 0 ||
        script_CurrentBuiltin() != -1)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!handlers[0]) {
        for (auto &h : handlers)
            h = handler;
        for (int i = 0; i < PATH_MACROS; i++)
            folders[i] = kFolder[i].c_str();
    }
    ScriptHost host = {count_box, handlers};
    script_SetHost(&host);
    script_SetStepLimit(20000);
    std::string text((const char *)data, size);
    boxes = halted = 0;
    int ok = script_Compile(&text[0]);
    if ((ok && boxes) || ScriptState.Depth != 0)
        __builtin_trap();
    if (!ok)
        return 0;
    char value[1024];
    int n;
    script_GetString("Name", value, sizeof value);
    script_GetString("LogPath", value, 8);
    script_GetInt("Update", &n);
    if (script_IsFunction("init"))
        call("init");
    if (script_IsFunction("install"))
        call("install");
    char name[SCRIPT_IDENT_MAX + 1];
    for (int i = 0; i < ScriptState.FunctionCount; i++) {
        memcpy(name, ScriptState.Functions[i].Name, sizeof name);
        call(name);
    }
    return 0;
}
