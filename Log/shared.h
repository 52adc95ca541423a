/* shared.h -- reference counts of files that several products install, and
 * driver removal: REG_DWORD values under HKEY_LOCAL_MACHINE
 * "Software\<Company>\Shared Files" (the product's name when there is no
 * company), one per shared-file name (a driver's: its service name).
 * Shared by setup's rollback and the uninstaller.
 */
#ifndef VELLUM_SHARED_H
#define VELLUM_SHARED_H

/* company, product: the names of the product that counts (either may be
 * null or empty).  shared_Release gives 1 exactly when the count has just
 * reached 0 (the file may go), 0 when it is still in use or was not
 * counted. */
void shared_AddRef(const char *company, const char *product,
                   const char *name);
int  shared_Release(const char *company, const char *product,
                    const char *name);

/* The count of a shared name; 0 when it is not counted (no value, or a
 * value that is no REG_DWORD). */
unsigned shared_Count(const char *company, const char *product,
                      const char *name);

/* Takes a driver back once its count reaches 0: the NT service (isNT), its
 * registry key and, after half a second, the driver file.  1 when it was
 * taken back (Windows should restart), 0 when another product still
 * counts on it. */
int  shared_RemoveDriver(const char *company, const char *product,
                         const char *file, const char *service, int isNT);

#endif
