// artfile.h -- what the artwork generators (mkart, mkkart) share: bytes in
// little-endian order and whole files read and written.
#ifndef ARTFILE_H
#define ARTFILE_H

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

static inline void put16(Bytes &b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

static inline void put32(Bytes &b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// BITMAPINFOHEADER with its palette after it; each colour 0xRRGGBB,
// stored blue, green, red, 0.
static inline void art_InfoHeader(Bytes &b, int w, int h, int bits,
                                  uint32_t compression, uint32_t image,
                                  const std::vector<uint32_t> &palette)
{
    put32(b, 40);
    put32(b, (uint32_t)w);
    put32(b, (uint32_t)h);
    put16(b, 1);
    put16(b, (unsigned)bits);
    put32(b, compression);
    put32(b, image);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, (uint32_t)palette.size());
    put32(b, 0);
    for (uint32_t c : palette)
        put32(b, c);
}

static inline bool read_file(const std::string &path, Bytes &out)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    fclose(f);
    return true;
}

static inline bool write_file(const std::string &path, const Bytes &b)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}

// Writes each named file into dir, or with check set compares them with
// what is there; 0 when all went well.  tool names the program in messages.
struct ArtFile {
    const char *name;
    Bytes       bytes;
};

static inline int art_emit(const char *tool, const std::string &dir, bool check,
                           const std::vector<ArtFile> &files)
{
    int rc = 0;
    for (const ArtFile &o : files) {
        std::string path = dir + "/" + o.name;
        if (check) {
            Bytes have;
            if (!read_file(path, have) || have != o.bytes) {
                fprintf(stderr, "%s: %s differs from what %s makes "
                                "(%zu bytes): run %s %s\n",
                        tool, path.c_str(), tool, o.bytes.size(), tool, dir.c_str());
                rc = 1;
            }
        } else if (!write_file(path, o.bytes)) {
            fprintf(stderr, "%s: cannot write %s\n", tool, path.c_str());
            rc = 1;
        } else {
            printf("%s: %s, %zu bytes\n", tool, path.c_str(), o.bytes.size());
        }
    }
    return rc;
}

#endif
