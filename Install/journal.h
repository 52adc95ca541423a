/* journal.h -- what this setup run changed on the machine, so that a
 * failed run can be taken back exactly, leaving an earlier installation of
 * the product as it was.  Kept in memory, newest first, with before-images
 * of the files the run replaced in a folder of the run's own under the
 * temporary folder.
 *
 * A rollback undoes every change newest first: a file the run made is
 * deleted, a file it replaced is put back byte for byte with its
 * attributes and times, a folder it made is removed when empty, a count it
 * raised is lowered, a driver service or service key it made is deleted.
 * A commit keeps the changes.  Either way the before-images are deleted
 * and the journal starts empty again.  One thread.
 */
#ifndef VELLUM_JOURNAL_H
#define VELLUM_JOURNAL_H

#include "log.h"

/* Call before the file at path is written.  1 when it may be written: it
 * was not there (the run then owns it), this run has noted it before, or a
 * before-image was kept; 0 when the image could not be made, and then the
 * file must be left alone.  *existed (when given) tells whether the file
 * was there before this run first touched it. */
int  journal_File(const char *path, int *existed);

/* Creates every missing folder of path, outermost first, each one noted;
 * 1 when the folder is there at the end. */
int  journal_MakeDir(const char *path);

/* The journal's newest change, to name the changes after it. */
const void *journal_Mark(void);

/* Appends a LOG_DIR entry to list for every folder the run made after
 * mark (null: all of them), the innermost first. */
void journal_LogDirs(LogList *list, const void *mark);

/* A count raised: the company's (name) or the system's (path). */
void journal_Count(const char *company, const char *product,
                   const char *name);
void journal_SystemCount(const char *path);

/* A key below HKEY_LOCAL_MACHINE that the run is about to make, noted
 * when it is not there yet; a rollback deletes it if it is empty. */
void journal_Key(const char *key);

/* A driver's service key (madeKey) or NT service (madeService) made. */
void journal_Service(const char *service, int madeKey, int madeService);

void journal_Rollback(void);
void journal_Commit(void);

#endif
