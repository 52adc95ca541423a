/* winmain.cpp -- the entry of setup.exe.
 *
 * setup starts here, not in the C runtime's start-up: it has no global
 * constructors, reads no command line and no environment, and uses only
 * msvcrt functions that need no set-up of their own (the DLL sets itself
 * up when it is loaded), so the runtime's start-up code (about 10 KB of
 * TLS, pseudo-relocation and argument handling) stays out.  The loader
 * calls the entry with no arguments; it never returns.
 */
#include "setup.h"
#include "ident.h"

MODULE_IDENT("Install/winmain.cpp");

extern "C" void SetupEntry(void)
#if defined(__i386__)
    /* the loader gives no 16-byte stack alignment */
    __attribute__((force_align_arg_pointer))
#endif
    ;

extern "C" void SetupEntry(void)
{
    ExitProcess((UINT)setup_Main(GetModuleHandleA(NULL)));
}
