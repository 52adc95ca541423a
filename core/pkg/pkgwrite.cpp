/* pkgwrite.cpp -- lays out a package: header, data area, directory. */
#include "pkgwrite.h"
#include "pkg.h"
#include "../ident.h"

#include <libdeflate.h>
#include <string.h>
#include <zlib.h>

MODULE_IDENT("core/pkg/pkgwrite.cpp");

static void put32(uint8_t *p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

static uint32_t get32(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
           (uint32_t)p[3] << 24;
}

static int fail(int *err, int code)
{
    if (err)
        *err = code;
    return -1;
}

void pkw_Init(PkwPackage &pkg)
{
    pkg.entries.clear();
    PkwEntry root;
    root.name = ".";
    root.parent = -1;
    root.attributes = 0;
    root.size = 0;
    root.checksum = 0;
    root.same = -1;
    pkg.entries.push_back(std::move(root));
}

/* Appends an entry after checking name and parent; index or -1. */
static int add_entry(PkwPackage &pkg, int parent, const char *name,
                     uint32_t attributes, int *err)
{
    size_t len = name ? strlen(name) : 0;
    if (len == 0 || len >= PKG_NAME_SIZE || strchr(name, '\\'))
        return fail(err, PKW_ENAME);
    if (parent < 0 || (size_t)parent >= pkg.entries.size() ||
        (parent != 0 && !(pkg.entries[parent].attributes & PKG_ATTR_FOLDER)))
        return fail(err, PKW_EPARENT);
    PkwEntry e;
    e.name.assign(name, len);
    e.parent = parent;
    e.attributes = attributes;
    e.size = 0;
    e.checksum = 0;
    e.same = -1;
    pkg.entries.push_back(std::move(e));
    return (int)pkg.entries.size() - 1;
}

int pkw_AddFolder(PkwPackage &pkg, int parent, const char *name, int *err)
{
    return add_entry(pkg, parent, name, PKG_ATTR_FOLDER, err);
}

int pkw_AddStream(PkwPackage &pkg, int parent, const char *name, uint64_t size,
                  uint32_t checksum, std::vector<uint8_t> &&stream, int *err)
{
    if (size > 0xFFFFFFFFu)
        return fail(err, PKW_EMEMBER);
    int i = add_entry(pkg, parent, name, PKG_ATTR_FILE, err);
    if (i < 0)
        return i;
    PkwEntry &e = pkg.entries[i];
    e.size = size;
    e.checksum = checksum;
    e.stream = std::move(stream);
    return i;
}

/* Cuts stream to its len bytes; the last four are the Adler-32 of the data,
 * big-endian. */
static void trailer(std::vector<uint8_t> &stream, size_t len,
                    uint32_t *checksum)
{
    stream.resize(len);
    if (checksum)
        *checksum = (uint32_t)stream[len - 4] << 24 |
                    (uint32_t)stream[len - 3] << 16 |
                    (uint32_t)stream[len - 2] << 8 | stream[len - 1];
}

int pkw_Compress(const void *data, size_t size, int level,
                 std::vector<uint8_t> &stream, uint32_t *checksum)
{
    if ((uint64_t)size >> 32)
        return PKW_EMEMBER;
    uLongf len = compressBound((uLong)size);
    stream.resize(len);
    if (compress2(stream.data(), &len, (const Bytef *)data, (uLong)size,
                  level) != Z_OK)
        return PKW_EZLIB;
    trailer(stream, len, checksum);
    return PKW_OK;
}

struct libdeflate_compressor *pkw_NewDeflater(int level)
{
    return level >= 0 && level <= 12 ? libdeflate_alloc_compressor(level)
                                     : NULL;
}

void pkw_FreeDeflater(struct libdeflate_compressor *c)
{
    libdeflate_free_compressor(c);
}

int pkw_Deflate(struct libdeflate_compressor *c, const void *data, size_t size,
                std::vector<uint8_t> &stream, uint32_t *checksum)
{
    if ((uint64_t)size >> 32)
        return PKW_EMEMBER;
    if (!c)
        return PKW_EZLIB;
    stream.resize(libdeflate_zlib_compress_bound(c, size));
    size_t len = libdeflate_zlib_compress(c, size ? data : "", size,
                                          stream.data(), stream.size());
    if (len < 6) /* 0: it did not fit in the bound, which cannot happen */
        return PKW_EZLIB;
    trailer(stream, len, checksum);
    return PKW_OK;
}

int pkw_AddFile(PkwPackage &pkg, int parent, const char *name,
                const void *data, size_t size, int level, int *err)
{
    std::vector<uint8_t> stream;
    uint32_t sum;
    int rc = pkw_Compress(data, size, level, stream, &sum);
    if (rc != PKW_OK)
        return fail(err, rc);
    return pkw_AddStream(pkg, parent, name, size, sum, std::move(stream), err);
}

/* Entry i either has a stream of its own, or shares that of an earlier
 * file with the same size and checksum which has one, having none itself. */
static bool shares_well(const PkwPackage &pkg, size_t i)
{
    const PkwEntry &e = pkg.entries[i];
    if (e.same < 0)
        return e.same == -1;
    if ((size_t)e.same >= i || !e.stream.empty() ||
        !(e.attributes & PKG_ATTR_FILE))
        return false;
    const PkwEntry &s = pkg.entries[e.same];
    return s.same == -1 && !s.stream.empty() && s.size == e.size &&
           s.checksum == e.checksum;
}

int pkw_Frame(const PkwPackage &pkg, std::vector<uint8_t> &header,
              std::vector<uint8_t> &packedDir)
{
    uint64_t dataSize = 0;
    uLong dataSum = adler32(0, NULL, 0);
    for (const PkwEntry &e : pkg.entries) {
        dataSize += e.stream.size();
        if (!e.stream.empty()) /* a null buffer would restart the sum */
            dataSum = adler32_z(dataSum, e.stream.data(), e.stream.size());
    }
    if (dataSize > 0xFFFFFFFFu || pkg.entries.size() > 0xFFFFFFFFu / PKG_ENTRY_SIZE)
        return PKW_ETOOBIG;

    std::vector<uint8_t> dir(pkg.entries.size() * PKG_ENTRY_SIZE, 0);
    std::vector<uint32_t> offsets(pkg.entries.size(), 0);
    uint32_t offset = 0;
    for (size_t i = 0; i < pkg.entries.size(); i++) {
        const PkwEntry &e = pkg.entries[i];
        if (!shares_well(pkg, i))
            return PKW_ESAME;
        /* A shared stream is the earlier entry's: its length and offset */
        const PkwEntry &s = e.same >= 0 ? pkg.entries[e.same] : e;
        if (e.same >= 0)
            offsets[i] = offsets[e.same];
        else if (!e.stream.empty())
            offsets[i] = offset;
        uint8_t *p = &dir[i * PKG_ENTRY_SIZE];
        memcpy(p, e.name.data(), e.name.size());
        put32(p + 260, (uint32_t)e.size);
        put32(p + 264, (uint32_t)s.stream.size());
        put32(p + 268, offsets[i]);
        put32(p + 272, e.checksum);
        put32(p + 276, e.attributes);
        put32(p + 280, (uint32_t)e.parent);
        offset += (uint32_t)e.stream.size();
    }
    int rc = pkw_Compress(dir.data(), dir.size(), 9, packedDir, NULL);
    if (rc != PKW_OK)
        return rc;
    if (PKG_HEADER_SIZE + dataSize + packedDir.size() > 0xFFFFFFFFu)
        return PKW_ETOOBIG;

    header.assign(PKG_HEADER_SIZE, 0);
    uint8_t *h = header.data();
    put32(h, PKG_MAGIC);
    put32(h + 4, (uint32_t)dataSize);
    put32(h + 8, (uint32_t)packedDir.size());
    put32(h + 12, (uint32_t)adler32(1, dir.data(), (uInt)dir.size()));
    put32(h + 16, (uint32_t)pkg.entries.size());
    put32(h + 20, (uint32_t)dataSum);
    put32(h + 24, (uint32_t)adler32(1, packedDir.data(), (uInt)packedDir.size()));
    return PKW_OK;
}

int pkw_Serialize(const PkwPackage &pkg, std::vector<uint8_t> &out)
{
    std::vector<uint8_t> header, packedDir;
    int rc = pkw_Frame(pkg, header, packedDir);
    if (rc != PKW_OK)
        return rc;
    out.insert(out.end(), header.begin(), header.end());
    for (const PkwEntry &e : pkg.entries)
        out.insert(out.end(), e.stream.begin(), e.stream.end());
    out.insert(out.end(), packedDir.begin(), packedDir.end());
    return PKW_OK;
}

void pkw_Reseal(std::vector<uint8_t> &out, size_t at)
{
    if (at + PKG_HEADER_SIZE > out.size())
        return;
    uint8_t *h = &out[at];
    uint64_t dataSize = get32(h + 4), dirSize = get32(h + 8);
    uint64_t data = at + PKG_HEADER_SIZE;
    if (data + dataSize + dirSize > out.size())
        return;
    put32(h + 20, (uint32_t)adler32_z(1, &out[data], (z_size_t)dataSize));
    put32(h + 24, (uint32_t)adler32_z(1, out.data() + data + dataSize,
                                      (z_size_t)dirSize));
}

const char *pkw_Message(int code)
{
    static const struct {
        int code;
        const char *text;
    } messages[] = {
        {PKW_OK, "success"},
        {PKW_ENAME, "name is empty, contains '\\' or has 260 bytes or more"},
        {PKW_EMEMBER, "member of 4 GiB or more"},
        {PKW_ETOOBIG, "package of 4 GiB or more"},
        {PKW_EPARENT, "parent is not an earlier folder"},
        {PKW_EZLIB, "compression failed"},
        {PKW_ESAME, "shared stream is not an earlier file's own"},
    };
    for (size_t i = 0; i < sizeof messages / sizeof *messages; i++)
        if (messages[i].code == code)
            return messages[i].text;
    return "unknown error";
}
