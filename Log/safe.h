/* safe.h -- what setup's rollback and the uninstaller may act on, whatever
 * a log says: full paths on a local drive, and folders that are not
 * Windows' own.
 *
 * Results: 1 yes, 0 no.
 */
#ifndef VELLUM_SAFE_H
#define VELLUM_SAFE_H

/* The path passes path_Check (core/path/path.h) and its drive is a local
 * one (fixed, removable or a RAM disk). */
int safe_Path(const char *path);

/* Windows names the folder as one of its own, or it holds one of those:
 * a drive root; the Windows and system folders and every folder directly
 * in them; the temporary folders; Program Files and Common Files; every
 * folder of the Shell Folders and User Shell Folders keys of the user and
 * of the machine; the profiles folder, the user's profile, Public and
 * ProgramData.  The list is read once, at the first call. */
int safe_Protected(const char *folder);

/* Removes the folder when it is empty, a safe path and not protected;
 * 1 when it went. */
int safe_RemoveFolder(const char *folder);

#endif
