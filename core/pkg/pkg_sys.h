/* pkg_sys.h -- what the package reader needs from the platform (pkg_file.cpp).
 * Private to core/pkg. */
#ifndef VELLUM_PKG_SYS_H
#define VELLUM_PKG_SYS_H

#include <stddef.h>
#include <stdint.h>

struct PackageHandle;

/* Finds and checks the package in the handle's view (view and fileSize set)
 * and inflates its directory: a pkg_Open result.  In pkg.cpp. */
int pkgsys_Read(struct PackageHandle *pkg);

/* Adler-32 a byte at a time: pkg_Adler32 where the processor has no SSE2,
 * and its tail where it has.  In pkg.cpp. */
uint32_t pkgsys_AdlerPlain(uint32_t adler, const uint8_t *p, size_t len);

/* Zero-filled block for extracted members; null on failure. */
void *pkgsys_Alloc(size_t size);

/* Creates (or replaces) the file at path with exclusive access and writes
 * size bytes: 1 when every byte was written, 0 otherwise. */
int pkgsys_WriteFile(const char *path, const void *data, size_t size);

#endif
