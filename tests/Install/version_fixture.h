/* version_fixture.h -- the one replaceable Windows version of the setup
 * tests: func_PretendWindows makes setup see that platform and version
 * (through setup_GetVersion) until setup_GetVersion is set back to null.
 * Wine cannot pretend to be Win32s or NT 3.51, so the tests tell setup. */
#ifndef VELLUM_VERSION_FIXTURE_H
#define VELLUM_VERSION_FIXTURE_H

#include "setup.h"

#include <windows.h>

inline OSVERSIONINFOA &func_Pretended()
{
    static OSVERSIONINFOA v;
    return v;
}

inline BOOL func_PretendedVersion(OSVERSIONINFOA *info)
{
    *info = func_Pretended();
    return TRUE;
}

inline void func_PretendWindows(DWORD platform, DWORD major, DWORD minor)
{
    OSVERSIONINFOA &v = func_Pretended();
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    v.dwPlatformId = platform;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    setup_GetVersion = func_PretendedVersion;
}

#endif
