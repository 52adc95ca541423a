/* findings.h -- what vpack finds wrong in a compiled install script before
 * it runs: members the package will not hold, escapes that store a NUL,
 * settings setup does not read or does not see, the licence page and the
 * uninstaller a setting leaves out, folder macros used before setup has
 * chosen the folders, settings keys setup would not record.  And the
 * counting of every finding, those of vpack run included.
 *
 * Findings go to stderr in the form of diag.h, after whatever stdout
 * holds so far.  A warning is an error under --werror.
 */
#ifndef VPACK_FINDINGS_H
#define VPACK_FINDINGS_H

#include "checker.h"
#include "diag.h"

#include <string>

/* Starts counting for the script s (kept by the caller meanwhile). */
void findings_Begin(const DiagScript *s, const CheckerFindings &o);

/* A warning at that offset of the converted text (an error under
 * --werror), and an error. */
void findings_Warn(size_t offset, const std::string &text);
void findings_Error(size_t offset, const std::string &text);

/* Every finding the compiled script gives without running it, in the
 * order of their places; literalKeys adds the prefskey calls of a string
 * literal (vpack run judges each key as evaluated instead). */
void findings_Static(bool literalKeys);

/* The warning about a prefskey key setup would not record, if it is one;
 * key is null where the argument was no text, shown as the built-in read
 * it. */
void findings_Key(size_t offset, const char *key, const std::string &shown);

int findings_Errors(void);    /* --werror's included */
int findings_Warnings(void);  /* not counting those */

/* How a count of them reads: "1 warning", "2 errors". */
std::string findings_Count(int n, const char *what);

#endif
