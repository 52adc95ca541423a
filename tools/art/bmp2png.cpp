// bmp2png.cpp -- a 24-bit BMP (as uidriver's capture writes it) into a PNG:
//   bmp2png IN.bmp OUT.png [LEFT TOP WIDTH HEIGHT]
// RGB, 8 bits a channel, one zlib stream at level 9, no filter.  With a
// rectangle, only that part of the picture (which it must lie in).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include <zlib.h>

typedef std::vector<uint8_t> Bytes;

static uint32_t get32(const Bytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

static void put32be(Bytes &b, uint32_t v)
{
    for (int i = 3; i >= 0; i--)
        b.push_back((v >> (8 * i)) & 0xFF);
}

static void chunk(Bytes &png, const char *type, const Bytes &data)
{
    put32be(png, (uint32_t)data.size());
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32be(png, (uint32_t)crc32(0, png.data() + start, (uInt)(png.size() - start)));
}

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 7) {
        fprintf(stderr, "usage: bmp2png IN.bmp OUT.png [LEFT TOP WIDTH HEIGHT]\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "bmp2png: cannot read %s\n", argv[1]);
        return 1;
    }
    Bytes bmp;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bmp.insert(bmp.end(), buf, buf + n);
    fclose(f);
    // Header, then every size checked against the file before the pixels
    // are read.
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M' ||
        get32(bmp, 14) < 40 || (get32(bmp, 28) & 0xFFFF) != 24 ||
        get32(bmp, 30) != 0) {
        fprintf(stderr, "bmp2png: %s is not an uncompressed 24-bit BMP\n", argv[1]);
        return 1;
    }
    int32_t w = (int32_t)get32(bmp, 18), h = (int32_t)get32(bmp, 22);
    uint32_t off = get32(bmp, 10);
    bool bottom_up = h > 0;
    if (h < 0)
        h = -h;
    uint64_t stride = ((uint64_t)w * 3 + 3) & ~3ull;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 ||
        off > bmp.size() || stride * (uint64_t)h > bmp.size() - off) {
        fprintf(stderr, "bmp2png: %s: size %dx%d does not fit the file\n",
                argv[1], w, h);
        return 1;
    }
    long left = 0, top = 0, cw = w, ch = h;
    if (argc == 7) {
        left = strtol(argv[3], NULL, 10), top = strtol(argv[4], NULL, 10);
        cw = strtol(argv[5], NULL, 10), ch = strtol(argv[6], NULL, 10);
        if (left < 0 || top < 0 || cw <= 0 || ch <= 0 || left + cw > w ||
            top + ch > h) {
            fprintf(stderr, "bmp2png: %ld,%ld %ldx%ld is not inside %dx%d\n",
                    left, top, cw, ch, w, h);
            return 2;
        }
    }
    Bytes raw;
    raw.reserve((size_t)(cw * 3 + 1) * ch);
    for (int32_t y = (int32_t)top; y < top + ch; y++) {
        const uint8_t *row = bmp.data() + off + stride * (bottom_up ? h - 1 - y : y);
        raw.push_back(0);   // filter: none
        for (int32_t x = (int32_t)left; x < left + cw; x++) {
            raw.push_back(row[3 * x + 2]);
            raw.push_back(row[3 * x + 1]);
            raw.push_back(row[3 * x]);
        }
    }
    uLongf zlen = compressBound((uLong)raw.size());
    Bytes z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), (uLong)raw.size(), 9) != Z_OK) {
        fprintf(stderr, "bmp2png: compression failed\n");
        return 1;
    }
    z.resize(zlen);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put32be(ihdr, (uint32_t)cw);
    put32be(ihdr, (uint32_t)ch);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});   // 8 bits, RGB
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", Bytes());
    f = fopen(argv[2], "wb");
    bool ok = f && fwrite(png.data(), 1, png.size(), f) == png.size();
    if (f && fclose(f) != 0)
        ok = false;
    if (!ok) {
        fprintf(stderr, "bmp2png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
