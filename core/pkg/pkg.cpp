/* pkg.cpp -- the package format over a byte range: header search, checks,
 * directory, lookup, extraction and PE file versions.  The layout is
 * described in pkg.h; the file mapping lives in pkg_file.cpp. */
#include "pkg.h"
#include "pkg_sys.h"
#include "../ident.h"

#include <stdlib.h>
#include <string.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

MODULE_IDENT("core/pkg/pkg.cpp");

static_assert(sizeof(PackageEntry) == PKG_ENTRY_SIZE, "entry layout");

/* deflate never expands more than 1032:1; a member or directory claiming
 * more than its stream could hold is damaged, and is refused before a block
 * of that size is allocated. */
#define INFLATE_RATIO_MAX 1032u

static uint32_t rd32(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
           (uint32_t)p[3] << 24;
}

static uint32_t rd32be(const uint8_t *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 |
           (uint32_t)p[3];
}

static uint16_t rd16(const uint8_t *p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

static uint64_t inflate_bound(uint32_t packed)
{
    return (uint64_t)packed * INFLATE_RATIO_MAX + 64;
}

/* ---- Adler-32 ---------------------------------------------------------- */

/* Runs of at most 5552 bytes: the most that cannot overflow s2 before the
 * modulo. */
uint32_t pkgsys_AdlerPlain(uint32_t adler, const uint8_t *p, size_t len)
{
    const uint32_t BASE = 65521;
    uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    while (len) {
        size_t n = len < 5552 ? len : 5552;
        len -= n;
        do {
            s1 += *p++;
            s2 += s1;
        } while (--n);
        s1 %= BASE;
        s2 %= BASE;
    }
    return s2 << 16 | s1;
}

#if defined(__SSE2__)
/* The whole data area is summed at every open, so the sum runs 16 bytes a
 * step where the processor allows.  Per block of 16 bytes b0..b15:
 *     s2 += 16 * s1 + 16*b0 + 15*b1 + ... + 1*b15,   s1 += b0 + ... + b15
 * Blocks are taken in runs of at most 5552 bytes, as above; the run's
 * parts are added in 64 bits. */
static uint32_t adler_sse2(uint32_t adler, const uint8_t *p, size_t len)
{
    const uint32_t BASE = 65521;
    uint64_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    const __m128i zero = _mm_setzero_si128();
    const __m128i w0 = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i w1 = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    while (len >= 16) {
        size_t blocks = len / 16 < 5552 / 16 ? len / 16 : 5552 / 16;
        len -= blocks * 16;
        s2 += s1 * blocks * 16;
        __m128i vs1 = zero, vs2 = zero, vps = zero;
        for (size_t i = 0; i < blocks; i++, p += 16) {
            __m128i v = _mm_loadu_si128((const __m128i *)p);
            vps = _mm_add_epi32(vps, vs1);
            vs1 = _mm_add_epi32(vs1, _mm_sad_epu8(v, zero));
            vs2 = _mm_add_epi32(vs2,
                _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), w0));
            vs2 = _mm_add_epi32(vs2,
                _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), w1));
        }
        uint32_t a[4], b[4], c[4];
        _mm_storeu_si128((__m128i *)a, vs1);
        _mm_storeu_si128((__m128i *)b, vs2);
        _mm_storeu_si128((__m128i *)c, vps);
        s1 += (uint64_t)a[0] + a[2];
        s2 += 16 * ((uint64_t)c[0] + c[2]) + b[0] + b[1] + b[2] + b[3];
        s1 %= BASE;
        s2 %= BASE;
    }
    return pkgsys_AdlerPlain((uint32_t)(s2 << 16 | s1), p, len);
}
#endif

uint32_t pkg_Adler32(uint32_t adler, const void *data, size_t len)
{
    const uint8_t *p = (const uint8_t *)data;
    if (!p)
        return 1;
#if defined(__SSE2__)
    return adler_sse2(adler, p, len);
#else
    return pkgsys_AdlerPlain(adler, p, len);
#endif
}

/* ---- PE image ---------------------------------------------------------- */

/* Section table of a PE image: first header and count; 0 when view holds no
 * such image (DOS header with relocation offset >= 0x40, "PE\0\0"), or when
 * the table does not lie within the view.  The file header follows the
 * signature at the offset in 0x3C: machine (16 bits), section count (16),
 * time stamp, symbol table and count (32 each), optional header size (16),
 * characteristics (16); the optional header, then the section table. */
static int pe_Sections(const uint8_t *view, size_t size, const uint8_t **table,
                       unsigned *count)
{
    if (size < 0x40 || rd16(view) != 0x5A4D || rd16(view + 0x18) < 0x40)
        return 0;
    uint64_t nt = rd32(view + 0x3C);
    if (nt + 24 > size || rd32(view + nt) != 0x00004550)
        return 0;
    unsigned n = rd16(view + nt + 6);
    uint64_t first = nt + 24 + rd16(view + nt + 20);
    if (n == 0 || first + (uint64_t)n * 40 > size)
        return 0;
    *table = view + first;
    *count = n;
    return 1;
}

uint64_t pkg_ImageEnd(const uint8_t *view, size_t size)
{
    const uint8_t *sec;
    unsigned n;
    if (!view || !pe_Sections(view, size, &sec, &n))
        return 0;
    const uint8_t *last = sec + (size_t)(n - 1) * 40;
    return (uint64_t)rd32(last + 20) + rd32(last + 16);
}

uint16_t pkg_ImageMachine(const uint8_t *view, size_t size)
{
    const uint8_t *sec;
    unsigned n;
    if (!view || !pe_Sections(view, size, &sec, &n))
        return 0;
    return rd16(view + rd32(view + 0x3C) + 4);
}

uint64_t file_GetVersion(const void *image, size_t size)
{
    static const uint8_t sig[4] = {0xBD, 0x04, 0xEF, 0xFE};
    static const char rsrc[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    const uint8_t *view = (const uint8_t *)image, *sec;
    unsigned n;
    if (!view || !pe_Sections(view, size, &sec, &n))
        return FILE_NO_VERSION;
    for (unsigned i = 0; i < n; i++, sec += 40) {
        if (memcmp(sec, rsrc, 8) != 0)
            continue;
        /* The scan keeps the 16 bytes it reads (signature, struct version,
         * the two version words) inside both the section and the file. */
        uint64_t raw = rd32(sec + 20), len = rd32(sec + 16);
        if (raw >= size)
            continue;
        if (len > size - raw)
            len = size - raw;
        const uint8_t *p = view + raw, *end = p + len;
        while (end - p >= 16) {
            const uint8_t *hit =
                (const uint8_t *)memchr(p, sig[0], (size_t)(end - p) - 15);
            if (!hit)
                break;
            if (memcmp(hit, sig, 4) == 0)
                return (uint64_t)rd32(hit + 8) << 32 | rd32(hit + 12);
            p = hit + 1;
        }
    }
    return FILE_NO_VERSION;
}

int pkg_CompareVersions(uint64_t a, uint64_t b)
{
    int32_t ah = (int32_t)(a >> 32), bh = (int32_t)(b >> 32);
    uint32_t al = (uint32_t)a, bl = (uint32_t)b;
    if (ah != bh)
        return ah > bh ? 1 : -1;
    if (al != bl)
        return al > bl ? 1 : -1;
    return 0;
}

/* ---- open -------------------------------------------------------------- */

static const uint8_t *find_header(const uint8_t *view, size_t size)
{
    uint64_t end = pkg_ImageEnd(view, size);
    if (end + PKG_HEADER_SIZE <= size && rd32(view + end) == PKG_MAGIC)
        return view + end;
    for (size_t off = 0; off + 4 <= (size & ~(size_t)3); off += 4)
        if (rd32(view + off) == PKG_MAGIC)
            return view + off;
    return NULL;
}

int pkgsys_Read(PackageHandle *pkg)
{
    const uint8_t *view = pkg->view;
    size_t size = pkg->fileSize;
    const uint8_t *h = find_header(view, size);
    if (!h)
        return PKG_ENOHEADER;
    uint64_t at = (uint64_t)(h - view);
    if (at + PKG_HEADER_SIZE > size)
        return PKG_ERANGE;
    uint32_t dataSize = rd32(h + 4), dirSize = rd32(h + 8);
    if (at + PKG_HEADER_SIZE + (uint64_t)dataSize + dirSize > size)
        return PKG_ERANGE;
    pkg->header = h;
    pkg->data = h + PKG_HEADER_SIZE;
    pkg->packedDir = pkg->data + dataSize;
    pkg->dataSize = dataSize;
    pkg->dirSize = dirSize;
    if (pkg_Adler32(1, pkg->data, dataSize) != rd32(h + 20) ||
        pkg_Adler32(1, pkg->packedDir, dirSize) != rd32(h + 24))
        return PKG_ECHECKSUM;

    /* A directory without its root, or one claiming more entries than its
     * stream could ever inflate to, is damaged: refused before allocating. */
    uint32_t count = rd32(h + 16);
    uint64_t bytes = (uint64_t)count * PKG_ENTRY_SIZE;
    if (count == 0 || bytes > inflate_bound(dirSize) || bytes > (size_t)-1)
        return PKG_EDIR;
    pkg->dir = (PackageEntry *)calloc(count, PKG_ENTRY_SIZE);
    if (!pkg->dir)
        return PKG_ENOMEM;
    size_t len = (size_t)bytes, packed = dirSize;
    if (!pkg_Inflate(pkg->dir, &len, pkg->packedDir, &packed)) {
        free(pkg->dir);
        pkg->dir = NULL;
        return PKG_EDIR;
    }
    pkg->count = count;
    return PKG_OK;
}

int pkg_OpenView(const void *view, size_t size, PackageHandle **out)
{
    if (!out)
        return PKG_EOPEN;
    *out = NULL;
    if (!view && size)
        return PKG_EOPEN;
    PackageHandle *pkg = (PackageHandle *)calloc(1, sizeof *pkg);
    if (!pkg)
        return PKG_ENOMEM;
    pkg->view = (const uint8_t *)view;
    pkg->fileSize = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)size;
    int rc = pkgsys_Read(pkg);
    if (rc != PKG_OK) {
        free(pkg);
        return rc;
    }
    *out = pkg;
    return PKG_OK;
}

/* ---- lookup ------------------------------------------------------------ */

static int name_equals(const char *name, const char *comp, size_t len)
{
    for (size_t i = 0; i < len; i++) {
        unsigned char a = (unsigned char)name[i], b = (unsigned char)comp[i];
        if (a >= 'A' && a <= 'Z')
            a += 32;
        if (b >= 'A' && b <= 'Z')
            b += 32;
        if (a != b)
            return 0;
    }
    return name[len] == 0;
}

PackageEntry *pkg_Find(PackageHandle *pkg, const char *path, int *index)
{
    if (!pkg || !pkg->dir || !path)
        return NULL;
    int32_t parent = 0;
    uint32_t start = 0, found = 0;
    const char *p = path;
    if (*p) {
        for (;;) {
            const char *e = strchr(p, '\\');
            size_t len = e ? (size_t)(e - p) : strlen(p);
            if (len >= PKG_NAME_SIZE) /* no stored name is that long */
                return NULL;
            int32_t want = (len == 1 && p[0] == '.') ? -1 : parent;
            uint32_t i = start;
            while (i < pkg->count && !(pkg->dir[i].parent == want &&
                                       name_equals(pkg->dir[i].name, p, len)))
                i++;
            if (i >= pkg->count)
                return NULL;
            found = i;
            p += len;
            if (*p == '\\')
                p++;
            if (!*p)
                break;
            /* The root carries no folder bit, yet ".\x" names x in it. */
            if (!(pkg->dir[i].attributes & PKG_ATTR_FOLDER) && i != 0)
                return NULL;
            parent = (int32_t)i;
            start = i;
        }
    }
    if (index)
        *index = (int)found;
    return &pkg->dir[found];
}

uint32_t pkg_GetSize(PackageHandle *pkg, const char *path)
{
    PackageEntry *e = pkg_Find(pkg, path, NULL);
    return e ? e->size : PKG_NO_SIZE;
}

/* ---- extraction -------------------------------------------------------- */

int pkg_ExtractEntry(PackageHandle *pkg, const PackageEntry *e, void **buffer,
                     uint32_t *size)
{
    if (buffer)
        *buffer = NULL;
    if (!pkg || !e)
        return PKG_XNOENTRY;
    /* The stream must lie within the data area, and the size must be one
     * that it can inflate to. */
    if ((uint64_t)e->offset + e->packedSize > pkg->dataSize ||
        e->size > inflate_bound(e->packedSize) ||
        (uint64_t)e->size + 1 > (size_t)-1)
        return PKG_XINFLATE;
    uint8_t *block = (uint8_t *)pkgsys_Alloc((size_t)e->size + 1);
    if (!block)
        return PKG_XNOMEM;
    const uint8_t *src = pkg->data + e->offset;
    size_t len = e->size, srcLen = e->packedSize;
    int rc = PKG_OK;
    if (!pkg_Inflate(block, &len, src, &srcLen) || len != e->size)
        rc = PKG_XINFLATE;
    /* pkg_Inflate has already checked the stream's own Adler-32 trailer
     * against the inflated bytes; when the entry's checksum is that same
     * value the bytes need no second pass. */
    else if (srcLen < 4 || rd32be(src + srcLen - 4) != e->checksum) {
        if (pkg_Adler32(1, block, e->size) != e->checksum)
            rc = PKG_XCHECKSUM;
    }
    if (rc != PKG_OK) {
        pkg_Free(block);
        return rc;
    }
    block[e->size] = 0;
    if (buffer)
        *buffer = block;
    else
        pkg_Free(block);
    if (size)
        *size = e->size;
    return PKG_OK;
}

int pkg_Extract(PackageHandle *pkg, const char *path, void **buffer,
                uint32_t *size)
{
    if (buffer)
        *buffer = NULL;
    PackageEntry *e = pkg_Find(pkg, path, NULL);
    if (!e)
        return PKG_XNOENTRY;
    return pkg_ExtractEntry(pkg, e, buffer, size);
}

/* ---- members onto disk ------------------------------------------------- */

int pkg_InstallMember(PackageHandle *pkg, const char *member, const char *dest)
{
    void *block;
    uint32_t size;
    if (!dest || pkg_Extract(pkg, member, &block, &size) != PKG_OK)
        return 0;
    uint64_t mine = file_GetVersion(block, size);
    int rc;
    /* A versioned member never replaces a file of the same or a newer
     * version; a missing or unversioned file counts as the oldest. */
    if ((int32_t)(mine >> 32) >= 0 &&
        pkg_CompareVersions(file_GetFileVersion(dest), mine) >= 0)
        rc = 1;
    else
        rc = pkgsys_WriteFile(dest, block, size);
    pkg_Free(block);
    return rc;
}

int pkg_CompareMember(PackageHandle *pkg, const char *member, const char *dest)
{
    void *block;
    uint32_t size;
    if (pkg_Extract(pkg, member, &block, &size) != PKG_OK)
        return -2;
    uint64_t mine = file_GetVersion(block, size);
    pkg_Free(block);
    if (mine == FILE_NO_VERSION)
        return 1;
    return pkg_CompareVersions(mine, dest ? file_GetFileVersion(dest)
                                          : FILE_NO_VERSION);
}

/* ---- messages ---------------------------------------------------------- */

static const struct {
    int code;
    const char *text;
} open_messages[] = {
    {PKG_OK, "success"},
    {PKG_ENOMEM, "out of memory"},
    {PKG_EOPEN, "the file cannot be opened"},
    {PKG_EMAP, "the file cannot be mapped"},
    {PKG_ENOHEADER, "no package header found"},
    {PKG_ERANGE, "the package does not lie within the file (truncated?)"},
    {PKG_ECHECKSUM, "checksum mismatch in the data area or directory"},
    {PKG_EDIR, "the directory does not inflate"},
}, extract_messages[] = {
    {PKG_OK, "success"},
    {PKG_XNOENTRY, "no such member"},
    {PKG_XNOMEM, "out of memory"},
    {PKG_XINFLATE, "the member does not inflate to its size"},
    {PKG_XCHECKSUM, "checksum mismatch of the member"},
};

const char *pkg_OpenMessage(int code)
{
    for (size_t i = 0; i < sizeof open_messages / sizeof *open_messages; i++)
        if (open_messages[i].code == code)
            return open_messages[i].text;
    return "unknown error";
}

const char *pkg_ExtractMessage(int code)
{
    for (size_t i = 0; i < sizeof extract_messages / sizeof *extract_messages;
         i++)
        if (extract_messages[i].code == code)
            return extract_messages[i].text;
    return "unknown error";
}
