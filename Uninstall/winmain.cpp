/* winmain.cpp -- the entry of Uninstall.exe.
 *
 * As setup's: the loader calls the entry directly, without the C runtime's
 * start-up (no global constructors, no argument vector), and it never
 * returns.  The log's path is the rest of the command line after the
 * program's name, quotes and all.
 */
#include "uninstall.h"
#include "ident.h"

MODULE_IDENT("Uninstall/winmain.cpp");

/* The text after the program's name (quoted or up to a blank) and the
 * blanks that follow it. */
static const char *after_program(const char *line)
{
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++) {
        }
        if (*line)
            line++;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

extern "C" void UninstallEntry(void)
#if defined(__i386__)
    /* the loader gives no 16-byte stack alignment */
    __attribute__((force_align_arg_pointer))
#endif
    ;

extern "C" void UninstallEntry(void)
{
    ExitProcess((UINT)uninstall_Main(GetModuleHandleA(NULL),
                                     after_program(GetCommandLineA())));
}
