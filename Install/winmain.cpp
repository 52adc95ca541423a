/* winmain.cpp -- the Windows entry of setup.exe; command line and show
 * state are ignored. */
#include "setup.h"
#include "ident.h"

MODULE_IDENT("Install/winmain.cpp");

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)prev;
    (void)cmd;
    (void)show;
    return setup_Main(instance);
}
