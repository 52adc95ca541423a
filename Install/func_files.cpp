/* func_files.cpp -- built-ins that put the product's files in place: copy,
 * copyshared (a file several products may share, with its count),
 * iscopyerror and makedir.  Each records what it did in the undo list
 * while LogChanges is set, so that a failed run can be taken back.
 * Failures are silent: CopyError and the values carry them. */
#include "functions.h"
#include "setup.h"
#include "state.h"
#include "shared.h"
#include "ident.h"

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

/* Installs the member (keeping a file of the same or a newer version) and
 * sets CopyError by the outcome; a missing argument fails the copy. */
static int install(const char *member, const char *dest)
{
    int ok = member && dest && pkg_InstallFile(member, dest);
    InstallState.CopyError = !ok;
    return ok;
}

ScriptValue fn_Copy(void)
{
    ScriptValue v[2] = {0, 0};
    const char *member, *dest;
    if (!copy_args(v, &member, &dest))
        return 1;
    if (install(member, dest) && InstallState.LogChanges)
        log_AddFile(&InstallState.UndoList, dest);
    return InstallState.CopyError;
}

/* The count of a shared name stands for the products that use the file,
 * and every product counts it once:
 *   - a file this product's log already holds is its own from an earlier
 *     installation and was counted then (a reinstall counts nothing);
 *   - a new file is counted (the first product);
 *   - an existing file that is counted already is counted again (one more
 *     product), so the removal of one product leaves it to the others;
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
    int existed = dest && file_Exists(dest);
    if (!install(member, dest))
        return 1;
    char company[NAME_TEXT_MAX], product[NAME_TEXT_MAX];
    setup_Setting("Company", company, sizeof company);
    setup_Setting("Product", product, sizeof product);
    int count = name && !fn_Logged(LOG_SHAREDFILE, dest) &&
                (!existed || shared_Count(company, product, name) > 0);
    if (InstallState.LogChanges)
        log_AddSharedFile(&InstallState.UndoList, dest, name);
    if (count)
        shared_AddRef(company, product, name);
    return InstallState.CopyError;
}

ScriptValue fn_IsCopyError(void)
{
    fn_Args(NULL);
    return InstallState.CopyError;
}

/* The folder is recorded whether or not it existed: the removal only
 * takes empty folders. */
/* The folder is recorded, and after it every level above it that this
 * call made, innermost first: removal walks the folder entries in recorded
 * order and takes only empty folders, so a made level recorded alone would
 * keep every level above it (and the product's folder) in place. */
ScriptValue fn_MakeDir(void)
{
    ScriptValue v[1] = {0};
    fn_Args(v);
    const char *folder = fn_Path(v[0]);
    if (!folder)
        return 0;
    char level[MAX_PATH * 2];
    size_t n = strlen(folder), missing = n;
    if (n >= sizeof level)
        return 0;
    memcpy(level, folder, n + 1);
    /* missing: where the outermost level that is not there yet ends */
    for (size_t i = n; i-- > 0;)
        if (level[i] == '\\') {
            level[i] = 0;
            int there = file_Exists(level);
            level[i] = '\\';
            if (there)
                break;
            missing = i;
        }
    dir_CreatePath(folder);
    if (!InstallState.LogChanges)
        return 0;
    log_AddDir(&InstallState.UndoList, folder);
    for (size_t i = n; i-- > 0 && i >= missing;)
        if (level[i] == '\\') {
            level[i] = 0;
            log_AddDir(&InstallState.UndoList, level);
        }
    return 0;
}
