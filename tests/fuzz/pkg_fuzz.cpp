/* Fuzz target: arbitrary bytes as an executable carrying a package.
 * Opens it, looks up paths taken from the input, extracts every entry and
 * reads the file versions of the input and of every member. */
#include "pkg/pkg.h"

#include <string.h>
#include <zlib.h>
#include <string>
#include <vector>

static uint32_t rd32(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
           (uint32_t)p[3] << 24;
}

static void wr32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (uint8_t)(v >> (8 * i));
}

/* Random bytes almost never carry matching header checksums, which would
 * stop every run at open.  A package at the very start of the input gets
 * them recomputed, so the fuzzer reaches the directory and the members. */
static void reseal(std::vector<uint8_t> &v)
{
    if (v.size() < PKG_HEADER_SIZE || rd32(&v[0]) != PKG_MAGIC)
        return;
    uint64_t data = rd32(&v[4]), dir = rd32(&v[8]);
    if (PKG_HEADER_SIZE + data + dir > v.size())
        return;
    wr32(&v[20], (uint32_t)adler32(1, &v[PKG_HEADER_SIZE], (uInt)data));
    wr32(&v[24], (uint32_t)adler32(1, &v[PKG_HEADER_SIZE + data], (uInt)dir));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    file_GetVersion(data, size);
    std::vector<uint8_t> input(data, data + size);
    reseal(input);
    PackageHandle *pkg;
    if (pkg_OpenView(input.data(), input.size(), &pkg) != PKG_OK)
        return 0;
    static const char *paths[] = {"", ".", ".\\Install.ini", "install.ini",
                                  "\\Install.ini", "a\\b", "a\\", "a\\b\\c"};
    for (const char *p : paths)
        pkg_GetSize(pkg, p);
    /* Paths made from the first names of the directory, folder by folder. */
    std::string path;
    for (uint32_t i = 1; i < pkg->count && i < 8; i++) {
        const PackageEntry *e = &pkg->dir[i];
        path.append(e->name, strnlen(e->name, sizeof e->name));
        pkg_Find(pkg, path.c_str(), NULL);
        path += '\\';
    }
    for (uint32_t i = 0; i < pkg->count && i < 64; i++) {
        void *block;
        uint32_t n;
        if (pkg_ExtractEntry(pkg, &pkg->dir[i], &block, &n) == PKG_OK) {
            if (((uint8_t *)block)[n] != 0)
                __builtin_trap();
            file_GetVersion(block, n);
            pkg_Free(block);
        }
    }
    pkg_Close(pkg);
    return 0;
}
