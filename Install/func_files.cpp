/* func_files.cpp -- built-ins that put the product's files in place: copy,
 * copyshared (a file several products may share, with its count),
 * iscopyerror and makedir.  Each records what it did in the undo list
 * while LogChanges is set, so that a failed run can be taken back.
 * Failures are silent: CopyError and the values carry them. */
#include "functions.h"
#include "setup.h"
#include "state.h"
#include "shared.h"
#include "journal.h"
#include "ident.h"
#include "path/path.h"

#include <string.h>

MODULE_IDENT("Install/func_files.cpp");

#define NAME_TEXT_MAX 256        /* Company, Product */

int file_Exists(const char *path)
{
    if (!path)
        return 0;
    if (!path[0])
        return 1;
    if (strlen(path) == 3 && path[1] == ':' && path[2] == '\\')
        return GetDriveTypeA(path) != DRIVE_NO_ROOT_DIR;
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

/* The member and the destination (expanded) of copy and copyshared; 0
 * when a copy failed before, and then nothing is attempted. */
static int copy_args(ScriptValue *v, const char **member, const char **dest)
{
    fn_Args(v);
    *member = fn_Text(v[0]);
    *dest = fn_Path(v[1]);
    return !InstallState.CopyError;
}

int fn_Install(const char *member, const char *dest, int *existed)
{
    *existed = 0;
    int ok = member && dest && path_Check(dest) == PATH_OK &&
             journal_File(dest, existed) && pkg_InstallFile(member, dest);
    InstallState.CopyError = !ok;
    return ok;
}

/* Only a file this run made is the product's: one that was there before
 * (another program's, the user's, or a system file of that name) is left
 * to its owner by the uninstaller, in the product's version.  A file of
 * an earlier installation of the product is in the log already. */
ScriptValue fn_Copy(void)
{
    ScriptValue v[2] = {0, 0};
    const char *member, *dest;
    int existed;
    if (!copy_args(v, &member, &dest))
        return 1;
    if (fn_Install(member, dest, &existed) && InstallState.LogChanges &&
        !existed)
        log_AddFile(&InstallState.UndoList, dest);
    return InstallState.CopyError;
}

/* The counts of a shared file stand for the products that use it, and
 * every product counts it once, in its company's count and in the
 * system's (Windows' own installers see that one):
 *   - a file this product's log already holds is its own from an earlier
 *     installation and was counted then (a reinstall counts nothing);
 *   - a new file is counted (the first product);
 *   - an existing file that someone counts already is counted again (one
 *     more product), so the removal of one product leaves it to the others;
 *   - an existing file nobody counts belongs to someone else: it is not
 *     counted, so no removal ever deletes it (the rollback and the
 *     uninstaller find no count to take down and leave the file).
 * The entry is written in every case, as the removal expects; a copy
 * without a shared name counts nothing and is never removed either. */
ScriptValue fn_CopyShared(void)
{
    ScriptValue v[3] = {0, 0, 0};
    const char *member, *dest;
    if (!copy_args(v, &member, &dest))
        return 1;
    const char *name = fn_Text(v[2]);
    int existed, logged = dest && fn_Logged(LOG_SHAREDFILE, dest);
    if (!fn_Install(member, dest, &existed))
        return 1;
    char company[NAME_TEXT_MAX], product[NAME_TEXT_MAX];
    setup_Setting(SCRIPT_SETTING(Company), company, sizeof company);
    setup_Setting(SCRIPT_SETTING(Product), product, sizeof product);
    int count = name && !logged &&
                (!existed || shared_Count(company, product, name) > 0 ||
                 shared_SystemCount(dest) > 0);
    if (InstallState.LogChanges)
        log_AddSharedFile(&InstallState.UndoList, dest, name);
    if (count)
        fn_CountShared(company, product, name, dest);
    return InstallState.CopyError;
}

/* The company's key is made for the count when it is not there: a
 * rollback then takes it too, once it is empty again. */
void fn_CountShared(const char *company, const char *product,
                    const char *name, const char *path)
{
    char key[SHARED_KEY_MAX];
    if (shared_OwnerKey(company, product, key))
        journal_Key(key);
    shared_AddFile(company, product, name, path);
    journal_Count(company, product, name);
    journal_SystemCount(path);
}

ScriptValue fn_IsCopyError(void)
{
    fn_Args(NULL);
    return InstallState.CopyError;
}

int fn_MakeFolder(const char *folder)
{
    return folder && path_Check(folder) == PATH_OK &&
           journal_MakeDir(folder);
}

/* Only the levels this call makes are recorded, the innermost first
 * (removal takes the recorded folders deepest first, and only empty
 * ones): a folder that was there before is not the product's. */
ScriptValue fn_MakeDir(void)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    const void *mark = journal_Mark();
    fn_MakeFolder(fn_Path(v[0]));
    if (InstallState.LogChanges)
        journal_LogDirs(&InstallState.UndoList, mark);
    return 0;
}
