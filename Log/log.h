/* log.h -- the undo log: every change an installation makes, as a list in
 * memory and as the file that setup's rollback and the uninstaller read.
 * The file format is described where it is read, in log.cpp.
 *
 * Results: log_Load 1 read (or no file: a first installation), 0 not an
 * undo log; log_Add and its wrappers nonzero appended, 0 not (a duplicate,
 * or out of memory).
 */
#ifndef VELLUM_LOG_H
#define VELLUM_LOG_H

#include <stdint.h>

/* Entry kinds; the numbers are stored in the file (6 is not used). */
#define LOG_PRODUCT    1   /* company, product, destination folder */
#define LOG_DIR        2   /* folder */
#define LOG_FILE       3   /* file */
#define LOG_SHAREDFILE 4   /* file, shared-file name */
#define LOG_PREFSKEY   5   /* key below HKEY_CURRENT_USER */
#define LOG_DRIVER     7   /* driver file, service name */

#define LOG_TEXT_MAX   511 /* characters of one text in the file */

typedef struct LogEntry {
    struct LogEntry *Next;
    struct LogEntry *Prev;
    int32_t          Kind;
    char            *Text1, *Text2, *Text3;   /* heap copies, or null */
} LogEntry;

/* Doubly linked; entries are only appended, and freed all at once. */
typedef struct LogList {
    LogEntry *Head;
    LogEntry *Tail;
} LogList;

int  log_Load(LogList *list, const char *path);
void log_Save(LogList *list, const char *path);   /* path null: free only */
int  log_Add(LogList *list, int kind, const char *text1, const char *text2,
             const char *text3);
int  log_AddProduct(LogList *list, const char *company, const char *product,
                    const char *folder);
int  log_AddDir(LogList *list, const char *folder);
int  log_AddFile(LogList *list, const char *file);
int  log_AddSharedFile(LogList *list, const char *file, const char *name);
int  log_AddPrefsKey(LogList *list, const char *key);
int  log_AddDriver(LogList *list, const char *file, const char *service);
/* The first entry after `after` (the first of all when null) of that kind,
 * any kind when kind is 0; null at the end. */
LogEntry *log_Next(LogList *list, LogEntry *after, int kind);

#endif
