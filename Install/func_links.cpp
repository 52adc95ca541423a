/* func_links.cpp -- the shortcut built-ins: shell links to installed
 * programs and Internet shortcuts, in the Start menu's programs folder
 * under the company's (and the product's) folder.  Every file made is
 * recorded for the rollback and the uninstaller. */
#include "functions.h"
#include "setup.h"
#include "state.h"
#include "journal.h"
#include "ident.h"
#include "path/path.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

MODULE_IDENT("Install/func_links.cpp");

#define LINK_PATH_MAX 1024

/* The shell link object and its two interfaces, spelled out here so that
 * setup does not pull the uuid library's tables in. */
static const GUID link_Class = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID link_Ansi = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID link_Persist = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

/* programs folder [+ Company [+ Product]] + "\" name + ext into path, the
 * folders that were missing made and recorded, and the file noted in the
 * run's journal.  0 when the Shell Folders value cannot be read (then
 * there is no folder to put the file in, so nothing is made and nothing is
 * recorded), the path does not fit or is none setup writes (a name with
 * "..\" in it), or the file there cannot be kept for the rollback.
 * *existed: a file of that name was there before the run. */
static int link_Path(char *path, const char *name, const char *ext,
                     int product, int *existed)
{
    if (!setup_ProgramsFolder(path, LINK_PATH_MAX, product))
        return 0;
    if (strlen(path) + strlen(name) + strlen(ext) + 2 > LINK_PATH_MAX)
        return 0;
    size_t folder = strlen(path);
    strcat(path, "\\");
    strcat(path, name);
    strcat(path, ext);
    if (path_Check(path) != PATH_OK)
        return 0;
    path[folder] = 0;
    const void *mark = journal_Mark();
    fn_MakeFolder(path);
    if (InstallState.LogChanges)
        journal_LogDirs(&InstallState.UndoList, mark);
    path[folder] = '\\';
    return journal_File(path, existed);
}

/* A new file is recorded whether or not it was written: an entry for a
 * file that is not there costs the removal nothing.  A link that was there
 * before is the user's (or another program's): it is replaced, and kept
 * for the rollback, but not removed with the product. */
static void link_Record(const char *path, int existed)
{
    if (InstallState.LogChanges && !existed)
        log_AddFile(&InstallState.UndoList, path);
}

/* Saves the link; a path of 260 characters or more does not convert and is
 * not saved (cutting it would save the link under another name). */
static void link_Save(IShellLinkA *link, const char *path)
{
    IPersistFile *file;
    if (FAILED(link->QueryInterface(link_Persist, (void **)&file)))
        return;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH))
        file->Save(wide, TRUE);
    file->Release();
}

/* name, target, description, arguments; target's macro expanded. */
static ScriptValue link_Make(int product)
{
    ScriptValue v[4];
    char path[LINK_PATH_MAX];
    int existed;
    if (!fn_Args(v))
        return 0;
    const char *name = fn_Text(v[0]);
    char *target = fn_Path(v[1]);
    const char *description = fn_Text(v[2]);
    const char *arguments = fn_Text(v[3]);
    /* Without a name or a target there is no link to make. */
    if (!name || !target || !link_Path(path, name, ".lnk", product, &existed))
        return 0;
    HRESULT init = CoInitialize(NULL);
    IShellLinkA *link;
    if (SUCCEEDED(CoCreateInstance(link_Class, NULL, CLSCTX_INPROC_SERVER,
                                   link_Ansi, (void **)&link))) {
        link->SetPath(target);
        char *cut = strrchr(target, '\\');
        *(cut ? cut : target) = 0;     /* no '\': an empty folder */
        link->SetWorkingDirectory(target);
        if (description)
            link->SetDescription(description);
        if (arguments)
            link->SetArguments(arguments);
        link_Save(link, path);
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    link_Record(path, existed);
    return 0;
}

ScriptValue fn_Shortcut(void)
{
    return link_Make(1);
}

ScriptValue fn_ShortcutC(void)
{
    return link_Make(0);
}

/* name, web address: an Internet shortcut, two text lines. */
ScriptValue fn_ShortcutWWW(void)
{
    ScriptValue v[2];
    char path[LINK_PATH_MAX];
    int existed;
    if (!fn_Args(v))
        return 0;
    const char *name = fn_Text(v[0]);
    const char *address = fn_Text(v[1]);
    if (!name || !address || !link_Path(path, name, ".url", 1, &existed))
        return 0;
    /* Text mode: each "\n" lands as CR LF, as in Windows' own .url files.
     * fputs rather than fprintf, which would link mingw's own printf. */
    FILE *f = fopen(path, "wt");
    if (f) {
        fputs("[InternetShortcut]\nURL=", f);
        fputs(address, f);
        fputs("\n", f);
        fclose(f);
    }
    link_Record(path, existed);
    return 0;
}
