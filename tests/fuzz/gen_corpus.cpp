/* Writes the seed corpus of the package fuzzer: small packages, bare and
 * behind a minimal PE image, so the fuzzer starts from valid structures. */
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"

#include <stdio.h>
#include <string.h>
#include <string>

static void put(std::vector<uint8_t> &v, size_t at, uint32_t x, int n)
{
    for (int i = 0; i < n; i++)
        v[at + i] = (uint8_t)(x >> (8 * i));
}

/* MZ header, PE signature, a PE32+ optional header of 240 bytes and two
 * sections; the last ends at 0x400, where the package goes. */
static std::vector<uint8_t> tiny_pe(bool rsrc)
{
    std::vector<uint8_t> v(0x400, 0);
    put(v, 0, 0x5A4D, 2);
    put(v, 0x18, 0x40, 2);
    put(v, 0x3C, 0x80, 4);
    put(v, 0x80, 0x4550, 4);
    put(v, 0x86, 2, 2);           /* sections */
    put(v, 0x94, 240, 2);         /* optional header size */
    size_t sec = 0x80 + 24 + 240;
    memcpy(&v[sec], ".text", 5);
    put(v, sec + 16, 0x100, 4);   /* SizeOfRawData */
    put(v, sec + 20, 0x200, 4);   /* PointerToRawData */
    memcpy(&v[sec + 40], rsrc ? ".rsrc" : ".data", 5);
    put(v, sec + 56, 0x100, 4);
    put(v, sec + 60, 0x300, 4);
    if (rsrc) {
        put(v, 0x320, 0xFEEF04BD, 4);
        put(v, 0x328, 0x00010002, 4);
        put(v, 0x32C, 0x00030004, 4);
    }
    return v;
}

static void write(const char *dir, const char *name, const std::vector<uint8_t> &v)
{
    std::string path = std::string(dir) + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(v.data(), 1, v.size(), f) != v.size()) {
        perror(path.c_str());
        return;
    }
    fclose(f);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gen_corpus DIR\n");
        return 2;
    }
    PkwPackage p;
    pkw_Init(p);
    const char *script = "// Product=Sample\nfunction install() { return 1; }\n";
    pkw_AddFile(p, 0, "Install.ini", script, strlen(script), 9, NULL);
    int bin = pkw_AddFolder(p, 0, "bin", NULL);
    pkw_AddFile(p, bin, "a.txt", "aaaaaaaaaaaaaaaa", 16, 9, NULL);
    int sub = pkw_AddFolder(p, bin, "sub", NULL);
    pkw_AddFile(p, sub, "empty", "", 0, 9, NULL);
    std::vector<uint8_t> pe = tiny_pe(true);
    pkw_AddFile(p, 0, "ver.dll", pe.data(), pe.size(), 9, NULL);

    std::vector<uint8_t> bare;
    pkw_Serialize(p, bare);
    write(argv[1], "bare.pkg", bare);

    std::vector<uint8_t> exe = tiny_pe(false);
    pkw_Serialize(p, exe);
    write(argv[1], "after-image.exe", exe);

    std::vector<uint8_t> junk(64, 0x5A); /* found only by the aligned scan */
    pkw_Serialize(p, junk);
    write(argv[1], "after-junk.exe", junk);
    return 0;
}
