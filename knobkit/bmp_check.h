/* bmp_check.h -- the checks a BMP file passes before knobkit reads its
 * pixels: plain C++ over bytes, no Windows headers, so the same code is
 * built into knobkit.dll and natively for the sanitized tests and the
 * fuzzer.  The file's layout is described in bmp_check.cpp, where it is
 * read.
 *
 * The caller hands over the file's first bytes (up to BMP_HEAD_MAX) and
 * the file's real length.  A file that passes has a layout in which every
 * offset and size lies inside those: the header and colour table inside
 * the head, the pixel rows inside the file.
 */
#ifndef VELLUM_BMP_CHECK_H
#define VELLUM_BMP_CHECK_H

#include <stddef.h>
#include <stdint.h>

#define BMP_FILE_HEADER   14
#define BMP_INFO_HEADER   40          /* the header the system is given */
#define BMP_TABLE_MAX     256         /* colour-table entries at most */
/* File header, the largest information header (124), three masks and
 * the largest colour table: everything before the pixels. */
#define BMP_HEAD_MAX      (BMP_FILE_HEADER + 124 + 12 + 4 * BMP_TABLE_MAX)
#define BMP_MAX_SIDE      32767       /* pixels, either way */
#define BMP_MAX_PIXELS    (1u << 24)  /* width x height at most */

#define BMP_RGB           0u          /* compression: plain rows */
#define BMP_BITFIELDS     3u          /* 16 or 32 bits with colour masks */

typedef struct BmpLayout {
    int32_t  width, height;   /* both positive: rows run bottom up */
    uint32_t bits;            /* 1, 4, 8, 16, 24 or 32 */
    uint32_t compression;     /* BMP_RGB or BMP_BITFIELDS */
    uint32_t colours;         /* colour-table entries, 0 above 8 bits */
    uint32_t tableOffset;     /* the colour table, from the file's start */
    uint32_t masks[3];        /* red, green, blue with BMP_BITFIELDS */
    uint32_t rowSize;         /* bytes of a row, padded to 4 */
    uint32_t imageSize;       /* rowSize x height */
    uint32_t pixelOffset;     /* the bottom row, from the file's start */
} BmpLayout;

/* 1 when the file is a BMP whose layout fits the bytes present (filled
 * into *out), else 0 and *out is zeroed.  head holds the file's first
 * headLen bytes (the whole file, or at least min(fileLen, BMP_HEAD_MAX)
 * bytes of it). */
int bmp_Check(const uint8_t *head, size_t headLen, uint64_t fileLen,
              BmpLayout *out);

/* The file's colour-table entry i (i < colours) as 0x00RRGGBB. */
uint32_t bmp_TableColour(const uint8_t *head, const BmpLayout *l, uint32_t i);

#endif
