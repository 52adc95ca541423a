/* pkgwrite.h -- building a package (the layout is described in pkg.h).
 *
 * Used by vpack and by the tests; not linked into setup.  A package is built
 * as a list of entries whose zlib streams are made beforehand (in parallel
 * by vpack) and laid out by pkw_Serialize in entry order.  An entry may
 * share the stream of an earlier one (same): identical files are stored
 * once, and the reader, which takes every entry's offset and length as
 * they are, needs nothing for it.
 *
 * Results: 0 success or a PKW_E* code; pkw_Message names it.
 */
#ifndef VELLUM_PKGWRITE_H
#define VELLUM_PKGWRITE_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#define PKW_OK        0
#define PKW_ENAME     1  /* empty, too long (260 bytes or more), or has '\' */
#define PKW_EMEMBER   2  /* a member of 4 GiB or more */
#define PKW_ETOOBIG   3  /* data area or whole package of 4 GiB or more */
#define PKW_EPARENT   4  /* parent is not an earlier folder entry */
#define PKW_EZLIB     5  /* compression failed */
#define PKW_ESAME     6  /* same is not an earlier file with a stream */

/* vpack's level for libdeflate (1 to 12), chosen on the benchmark product
 * against zlib level 9 (make bench; README, Performance).  On one thread,
 * every member its own: 9 makes 1.001 of zlib's bytes; 10, 11 and 12 (the
 * near-optimal levels) 0.940, 0.937 and 0.936, in about 1.0, 1.2-1.5 and
 * 1.4-1.5 of its CPU time.  vpack build, with identical files stored once,
 * takes about 0.84 (11) and 1.05 (12) of zlib's CPU time, on two cores
 * 0.43 and 0.53 of its time: 12, the smallest, keeps under 0.6. */
#define PKW_DEFLATE_LEVEL 12

struct libdeflate_compressor;

struct PkwEntry {
    std::string          name;
    int32_t              parent;      /* -1 for the root only */
    uint32_t             attributes;  /* PKG_ATTR_FOLDER or PKG_ATTR_FILE */
    uint64_t             size;        /* uncompressed size */
    uint32_t             checksum;    /* Adler-32 of the uncompressed bytes */
    std::vector<uint8_t> stream;      /* the member's zlib stream */
    int32_t              same;        /* earlier entry whose stream this
                                         one shares (stream empty), or -1 */
};

struct PkwPackage {
    std::vector<PkwEntry> entries;    /* entry 0 is the root */
};

/* Starts a package holding only the root entry. */
void pkw_Init(PkwPackage &pkg);

/* Appends a folder / a file under parent; returns its index, or -1 with
 * *err set (err may be null).  pkw_AddFile compresses the data at level. */
int pkw_AddFolder(PkwPackage &pkg, int parent, const char *name, int *err);
int pkw_AddFile(PkwPackage &pkg, int parent, const char *name,
                const void *data, size_t size, int level, int *err);
/* Appends a file whose stream was made with pkw_Compress. */
int pkw_AddStream(PkwPackage &pkg, int parent, const char *name,
                  uint64_t size, uint32_t checksum,
                  std::vector<uint8_t> &&stream, int *err);

/* One member into a zlib stream at level (9: header bytes 78 DA), and its
 * Adler-32.  0 or PKW_EMEMBER / PKW_EZLIB. */
int pkw_Compress(const void *data, size_t size, int level,
                 std::vector<uint8_t> &stream, uint32_t *checksum);

/* libdeflate's compressor at level, for pkw_Deflate: one per thread; null
 * when out of memory or level is not 0 to 12. */
struct libdeflate_compressor *pkw_NewDeflater(int level);
void pkw_FreeDeflater(struct libdeflate_compressor *c);
/* One member into a zlib stream with c, and its Adler-32.  0 or
 * PKW_EMEMBER / PKW_EZLIB. */
int pkw_Deflate(struct libdeflate_compressor *c, const void *data,
                size_t size, std::vector<uint8_t> &stream, uint32_t *checksum);

/* Header, data area and directory, appended to out. */
int pkw_Serialize(const PkwPackage &pkg, std::vector<uint8_t> &out);

/* The same package without its data area, for writers that stream the
 * members themselves (vpack): the package is header (28 bytes, checksums
 * set), every entry's stream in entry order, then packedDir.  0 or
 * PKW_ETOOBIG / PKW_EZLIB. */
int pkw_Frame(const PkwPackage &pkg, std::vector<uint8_t> &header,
              std::vector<uint8_t> &packedDir);

/* Rewrites the three checksums of the header at out[at] from the bytes that
 * follow it (tests use it to damage a package and keep it consistent). */
void pkw_Reseal(std::vector<uint8_t> &out, size_t at);

const char *pkw_Message(int code);

#endif
