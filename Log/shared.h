/* shared.h -- reference counts of files that several products install, and
 * driver removal.  Two counts, REG_DWORD values under HKEY_LOCAL_MACHINE:
 *   - the company's: "Software\<Company>\Shared Files" (the product's name
 *     when there is no company), one value per shared-file name (a
 *     driver's: its service name);
 *   - the system's, which Windows' own installers keep too:
 *     "Software\Microsoft\Windows\CurrentVersion\SharedDLLs", one value
 *     per file, named by its full path, so that products of different
 *     makers see each other.
 * A product raises both once and releases both once; the file goes when
 * neither is held.  Shared by setup and the uninstaller.
 */
#ifndef VELLUM_SHARED_H
#define VELLUM_SHARED_H

#define SHARED_KEY_MAX 600

/* The key that holds the company's counts, "Software\\<Company>" (or the
 * product's name), into key (SHARED_KEY_MAX bytes); 0 with neither name. */
int shared_OwnerKey(const char *company, const char *product, char *key);

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

/* The system count of the file at path: raised by one; its value (0 when
 * there is none); released: -1 when it was not counted, 0 when it still
 * is, 1 when it has just reached 0 (the value is gone). */
void     shared_SystemAddRef(const char *path);
unsigned shared_SystemCount(const char *path);
int      shared_SystemRelease(const char *path);

/* One product's use of the shared file at path: both counts raised, or
 * both released.  shared_ReleaseFile gives 1 when the file may go: the
 * company count has just reached 0 and the system count did too, or was
 * never kept (a log of an older setup).  0 while anyone still counts it,
 * and for a file the company never counted (nothing is released then). */
void shared_AddFile(const char *company, const char *product,
                    const char *name, const char *path);
int  shared_ReleaseFile(const char *company, const char *product,
                        const char *name, const char *path);

/* A driver's NT service, through the service manager; and its key under
 * HKEY_LOCAL_MACHINE "System\\CurrentControlSet\\Services", with the
 * "Enum" and "Security" subkeys the system may have made below it,
 * innermost first. */
void shared_DeleteNtService(const char *service);
void shared_DeleteServiceKeys(const char *service);

/* Takes a driver back once its count reaches 0: the NT service (isNT), its
 * registry key and, after half a second, the driver file.  1 when it was
 * taken back (Windows should restart), 0 when another product still
 * counts on it (shared_ReleaseFile of the service name and the file). */
int  shared_RemoveDriver(const char *company, const char *product,
                         const char *file, const char *service, int isNT);

#endif
