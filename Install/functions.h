/* functions.h -- the script's built-in functions: one handler per row of
 * the built-in table (core/script/script.h), bound to the engine by
 * setup_Main through setup_Handlers.
 *
 * A handler runs after the keyword and "(" were consumed: it reads its
 * arguments with the helpers below (which follow the engine's contract:
 * "," between arguments, ")" after the last), acts, and gives the call's
 * value.  Handlers show no script errors of their own; failures show in
 * their values and in InstallState (CopyError, Reboot).
 */
#ifndef VELLUM_FUNCTIONS_H
#define VELLUM_FUNCTIONS_H

#include "script/script.h"

#include <stddef.h>

/* SB_COUNT handlers in the order of the built-in table. */
extern const ScriptHandler setup_Handlers[SB_COUNT];

/* ---- argument helpers ---- */

/* Reads the row's arguments into values (count from the table). */
int  fn_Args(ScriptValue *values);
/* A text argument, or null (a null value, an integer, no text). */
const char *fn_Text(ScriptValue value);
/* A path argument with its leading macro expanded in place in its slot;
 * null when the value is no text.  An expansion that does not fit the slot
 * leaves an empty text, so the built-in fails as on a missing path. */
char *fn_Path(ScriptValue value);

/* 1 when this product's undo list (with the entries of its earlier
 * installations) holds an entry of that kind for path, letter case ignored
 * as the system folds file names. */
int  fn_Logged(int kind, const char *path);

/* ---- helpers of the file built-ins, also used by the others ---- */

/* Installs the member at dest as copy does: dest must pass path_Check and
 * is noted in the run's journal first (a before-image when it is there);
 * then the package's version rule.  Sets CopyError by the outcome; 1 when
 * installed.  *existed: the file was there before this run. */
int  fn_Install(const char *member, const char *dest, int *existed);
/* One product's use of a shared file counted (company and system counts)
 * and noted for the rollback. */
void fn_CountShared(const char *company, const char *product,
                    const char *name, const char *path);
/* makedir's work: every missing level made (and noted); 1 when the folder
 * is there.  A folder that fails path_Check is not made. */
int  fn_MakeFolder(const char *folder);

/* 1 when the path exists: an empty text does; a drive root "X:\" unless
 * the drive has no root; else when the system gives attributes. */
int  file_Exists(const char *path);

/* ---- the handlers, one for each row of the built-in table ---- */

#define HANDLER_DECLARATION(name, keyword, handler, kinds) \
    ScriptValue handler(void);
SCRIPT_BUILTINS(HANDLER_DECLARATION)

#endif
