/* pkg.h -- the install package: the archive appended to setup's executable.
 *
 * Layout inside the executable, in this order and without gaps (all integers
 * unsigned 32-bit little-endian unless marked signed):
 *
 *   header     28 bytes         PackageHeader
 *     0  magic              PKG_MAGIC, bytes 1F 3E 5D 7C
 *     4  dataSize           length of the data area
 *     8  dirSize            length of the compressed directory
 *    12  dirChecksum        Adler-32 of the inflated directory (not checked)
 *    16  count              directory entries, the root included
 *    20  dataChecksum       Adler-32 of the data area as stored
 *    24  dirPackedChecksum  Adler-32 of the compressed directory as stored
 *   data area  dataSize bytes   one zlib stream per member, back to back
 *   directory  dirSize bytes    one zlib stream inflating to count entries:
 *
 *   PackageEntry, 284 bytes
 *     0  name[260]   one path component, NUL-terminated, no backslash
 *   260  size        uncompressed size (0 for a folder)
 *   264  packedSize  length of the member's zlib stream (0 for a folder)
 *   268  offset      start of that stream, from the start of the data area
 *   272  checksum    Adler-32 of the uncompressed member (0 for a folder)
 *   276  attributes  Windows file attributes; 0x10 marks a folder
 *   280  parent      signed: index of the containing folder, -1 for the root
 *
 * Entry 0 is the root (".", parent -1, attributes 0).  A folder comes before
 * everything inside it; lookup scans a folder's children from the folder's
 * own index onward.
 *
 * The package is found right after the last section of the PE image, or
 * failing that by a scan of every 4-byte aligned word of the file.  The whole
 * file is mapped read-only while the package is open and members are inflated
 * straight from the mapping.  Every size and offset read from the file is
 * checked before use: damaged input yields an error code, never a read
 * outside the file.
 *
 * Results: pkg_Open 0 or PKG_E* (below); pkg_Extract 0 or PKG_X*; member
 * installs 1/0; version comparisons -1/0/1 (-2: member unreadable).
 */
#ifndef VELLUM_PKG_H
#define VELLUM_PKG_H

#include <stddef.h>
#include <stdint.h>

#define PKG_MAGIC        0x7C5D3E1Fu
#define PKG_HEADER_SIZE  28
#define PKG_ENTRY_SIZE   284
#define PKG_NAME_SIZE    260          /* name field, terminator included */
#define PKG_ATTR_FOLDER  0x10u
#define PKG_ATTR_FILE    0x20u
#define PKG_NO_SIZE      0xFFFFFFFFu  /* pkg_GetSize of a missing member */
#define FILE_NO_VERSION  0xFFFFFFFFFFFFFFFFull

/* pkg_Open results (4 is not used) */
#define PKG_OK           0
#define PKG_ENOMEM       1   /* handle record or directory block */
#define PKG_EOPEN        2   /* the file cannot be opened */
#define PKG_EMAP         3   /* the file cannot be mapped */
#define PKG_ENOHEADER    5   /* no package header found */
#define PKG_ERANGE       6   /* header, data or directory outside the file */
#define PKG_ECHECKSUM    7   /* data area or compressed directory damaged */
#define PKG_EDIR         8   /* the directory does not inflate */

/* pkg_Extract results */
#define PKG_XNOENTRY     1   /* no entry with that path */
#define PKG_XNOMEM       2   /* no memory for the block */
#define PKG_XINFLATE     3   /* inflate failed, or length differs */
#define PKG_XCHECKSUM    4   /* Adler-32 of the member differs */

typedef struct PackageEntry {
    char     name[PKG_NAME_SIZE];
    uint32_t size;
    uint32_t packedSize;
    uint32_t offset;
    uint32_t checksum;
    uint32_t attributes;
    int32_t  parent;
} PackageEntry;

/* One open package.  file and mapping are the platform's handles (null for a
 * package opened over memory with pkg_OpenView). */
typedef struct PackageHandle {
    void          *file;
    void          *mapping;
    const uint8_t *view;       /* the whole file */
    uint32_t       fileSize;   /* bytes of view that are checked against */
    const uint8_t *header;
    const uint8_t *data;
    const uint8_t *packedDir;
    uint32_t       dataSize;
    uint32_t       dirSize;
    uint32_t       count;
    PackageEntry  *dir;        /* count entries, inflated at open */
    uint64_t       mappedSize; /* length mapped by pkg_Open; 0 for a view */
} PackageHandle;

/* Opening and closing.  pkg_Open maps the file at path; pkg_OpenView reads a
 * package in bytes the caller keeps alive until pkg_Close. */
int  pkg_Open(const char *path, PackageHandle **out);
int  pkg_OpenView(const void *view, size_t size, PackageHandle **out);
void pkg_Close(PackageHandle *pkg);

/* Offset of the end of the PE image in view (0 when it is no PE image). */
uint64_t pkg_ImageEnd(const uint8_t *view, size_t size);
/* The machine field of the PE image in view: 0x14C i386, 0x8664 x86-64,
 * ... (0 when it is no PE image). */
uint16_t pkg_ImageMachine(const uint8_t *view, size_t size);

/* Lookup by backslash path ("" is the root); index may be null. */
PackageEntry *pkg_Find(PackageHandle *pkg, const char *path, int *index);
uint32_t      pkg_GetSize(PackageHandle *pkg, const char *path);

/* Extraction into a new zero-filled block of size + 1 bytes, NUL-terminated;
 * buffer and size may be null.  The block is freed with pkg_Free (on Windows
 * it is global memory, so GlobalFree does as well). */
int  pkg_Extract(PackageHandle *pkg, const char *path, void **buffer,
                 uint32_t *size);
int  pkg_ExtractEntry(PackageHandle *pkg, const PackageEntry *e,
                      void **buffer, uint32_t *size);
void pkg_Free(void *block);

/* Member onto disk with the file-version rule: 1 success, 0 failure. */
int pkg_InstallMember(PackageHandle *pkg, const char *member,
                      const char *dest);
/* Member against file on disk: 1 member newer or unversioned, 0 same,
 * -1 disk newer, -2 member cannot be extracted. */
int pkg_CompareMember(PackageHandle *pkg, const char *member,
                      const char *dest);
/* Two file versions: high halves signed, then low halves unsigned. */
int pkg_CompareVersions(uint64_t a, uint64_t b);

/* Fixed file version of a PE image in memory / of a file on disk;
 * FILE_NO_VERSION when there is none (or no such file). */
uint64_t file_GetVersion(const void *image, size_t size);
uint64_t file_GetFileVersion(const char *path);

/* Adler-32 as zlib's adler32 (start with 1), faster on long runs. */
uint32_t pkg_Adler32(uint32_t adler, const void *data, size_t len);

/* Inflates the zlib stream of *srcLen bytes at src into dest (capacity
 * *destLen), as zlib's uncompress2 would: 1 when the stream is whole and
 * its checksum right, with *destLen the bytes inflated and *srcLen the
 * bytes the stream took (bytes after it are left alone); 0 for a damaged
 * or truncated stream, or one that does not fit, with both left as they
 * were.  A capacity of 0 takes a stream of up to one byte (inflate.cpp). */
int pkg_Inflate(void *dest, size_t *destLen, const void *src, size_t *srcLen);

/* Meaning of a pkg_Open / pkg_Extract result, for tools. */
const char *pkg_OpenMessage(int code);
const char *pkg_ExtractMessage(int code);

#endif
