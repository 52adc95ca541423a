/* fsys.h -- what vpack needs from the file system: POSIX on the host, the
 * Win32 wide API in vpack.exe.  Reading and writing file contents goes
 * through stdio, opened here; this covers the rest.
 *
 * Paths are UTF-8 in vpack.exe, converted for the wide API, so that it
 * sees every name as the file system holds it; on the host they are the
 * bytes the system gives.
 *
 * Results: 1 success, 0 failure with *err (may be null) set to the cause.
 */
#ifndef VPACK_FSYS_H
#define VPACK_FSYS_H

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#define FSYS_MISSING 0
#define FSYS_FILE    1
#define FSYS_FOLDER  2
#define FSYS_OTHER   3  /* a device, pipe, socket... */

/* What a path names, links followed.  volume and id together tell two
 * paths for the same file or folder apart from two different ones. */
struct FsysInfo {
    int      kind;
    uint64_t size;
    uint64_t volume;
    uint64_t id;
};

/* The native separator: '\' in vpack.exe (which accepts '/' as well). */
extern const char fsys_Separator;

/* Info of path; a path that does not exist is kind FSYS_MISSING with
 * result 1, anything else that stops the look (a link loop, no access)
 * is 0. */
int fsys_Stat(const std::string &path, FsysInfo *info, std::string *err);

/* The names in folder dir, "." and ".." left out, in no set order. */
int fsys_List(const std::string &dir, std::vector<std::string> &names,
              std::string *err);

/* Creates folder path; one that is already there is fine. */
int fsys_MakeFolder(const std::string &path, std::string *err);

/* Renames from to to, replacing to if it exists. */
int fsys_Rename(const std::string &from, const std::string &to,
                std::string *err);

/* Removes file path; quietly does nothing when there is none. */
void fsys_Remove(const std::string &path);

/* fopen for path. */
FILE *fsys_Open(const std::string &path, const char *mode);

/* path as the system's ANSI API takes it, for code that calls it (setup's
 * package reader): the path itself on the host. */
std::string fsys_SystemPath(const std::string &path);

/* The command line, argv[0] first, in this module's form of paths. */
std::vector<std::string> fsys_Args(int argc, char **argv);

/* a, then the native separator, then b (no doubled separator). */
std::string fsys_Join(const std::string &a, const std::string &b);

/* The folder holding the running executable ("" if unknown). */
std::string fsys_SelfFolder(void);

/* 1 when stderr is a terminal. */
int fsys_ErrIsTerminal(void);

/* The C library's text for errno value code. */
std::string fsys_ErrnoText(int code);

#endif
