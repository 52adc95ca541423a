/* handlers.cpp -- the built-in table's handlers, in the table's order. */
#include "functions.h"
#include "ident.h"

MODULE_IDENT("Install/handlers.cpp");

const ScriptHandler setup_Handlers[SB_COUNT] = {
    fn_IsWin95, fn_IsWin98, fn_IsWinMe, fn_IsWinNT, fn_IsWin2000,
    fn_IsWinXP, fn_IsWinFamilyNT, fn_IsWinFamily9x,
    fn_SetReboot, fn_SetUpdate, fn_SetNoUninstall, fn_LogOn, fn_LogOff,
    fn_FileInUse, fn_IsAppInstalled, fn_IsAppRunning, fn_CloseApp,
    fn_Version, fn_MsgBoxOk, fn_MsgBoxYesNo,
    fn_Copy, fn_CopyShared, fn_IsCopyError, fn_MakeDir, fn_InstallDriver,
    fn_Shortcut, fn_ShortcutC, fn_ShortcutWWW, fn_PrefsKey,
    fn_SetProgSteps, fn_ProgStep, fn_RegDelKey, fn_RegDelValue,
};

