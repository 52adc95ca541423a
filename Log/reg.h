/* reg.h -- registry removal shared by setup and the uninstaller. */
#ifndef VELLUM_REG_H
#define VELLUM_REG_H

#include <windows.h>
#include <stddef.h>

/* Deletes the key in path (length characters, in a buffer of capacity
 * bytes; the buffer is restored) below root with every subkey, deepest
 * first; 1 when the key went.  A subkey that stays (no right to open or
 * delete it, a path too long) ends its parent's loop: asking for the first
 * subkey again would only meet the same one. */
int  reg_DeleteTree(HKEY root, char *path, size_t length, size_t capacity);

/* Deletes the values of the key at path below HKEY_LOCAL_MACHINE and then
 * the key when it has no subkeys: the 9x family's RegDeleteKey takes every
 * subkey along, and a product key named by the company alone holds other
 * products and the shared-file counts.  A key that is not there is not
 * made. */
void reg_ClearKey(const char *path, const char *const *values, int n);

/* The Start menu's programs folder, as Explorer's Shell Folders key holds
 * it: HKEY_LOCAL_MACHINE "Common Programs" (all users) on the NT family,
 * HKEY_CURRENT_USER "Programs" otherwise; capacity bytes at most.  0 when
 * it cannot be read. */
int  reg_ProgramsFolder(int isNT, char *out, size_t capacity);

#endif
