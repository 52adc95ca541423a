/* bmp_check.cpp -- a BMP file's headers checked against the bytes that
 * are really there.
 *
 * Layout (integers little-endian, unsigned unless marked signed):
 *
 *   file header, 14 bytes
 *     0  type          "BM"
 *     2  fileSize      length of the file
 *     6  reserved      two 16-bit words
 *    10  pixelOffset   where the pixel rows start
 *   information header, headerSize bytes from 14
 *    14  headerSize    40; 52, 56, 108 and 124 are later versions that
 *                      begin with the same 40 bytes (then masks, colour
 *                      space, profile: only the masks are read)
 *    18  width         signed
 *    22  height        signed; negative would mean top row first
 *    26  planes        16-bit, 1
 *    28  bitCount      16-bit: 1, 4, 8, 16, 24 or 32
 *    30  compression   0 plain rows, 3 colour masks (16 and 32 bits)
 *    34  imageSize     may be 0 for plain rows; never used
 *    38  resolutions   two signed words, pixels per metre
 *    46  coloursUsed   colour-table entries; 0 means 2^bitCount up to 8
 *    50  important     colours that matter; never used
 *   masks, with compression 3: red, green, blue, 32 bits each, at 54:
 *          inside a header of 52 bytes or more, else right after it
 *   colour table: coloursUsed entries of 4 bytes (blue, green, red, 0)
 *          after the header and its masks; above 8 bits only a hint for
 *          palette devices, skipped
 *   pixels at pixelOffset: height rows, the bottom row first, each of
 *          ((width x bitCount + 31) / 32) x 4 bytes, ending by fileSize
 *
 * What is refused: headers of other sizes (12-byte OS/2 headers carry
 * 3-byte table entries), run-length and embedded JPEG/PNG compression,
 * top-down rows, colour tables over 256 entries or longer than the bits
 * can index, pixels that overlap the table or run past the file size or
 * past the real end of the file, and more than BMP_MAX_PIXELS pixels (the
 * screen bitmap made of them would be a huge allocation).
 */
#include "bmp_check.h"

#include <string.h>

#include "ident.h"

MODULE_IDENT("knobkit/bmp_check.cpp");

static uint32_t rd16(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

static uint32_t rd32(const uint8_t *p)
{
    return rd16(p) | rd16(p + 2) << 16;
}

static int header_Known(uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

static int bits_Known(uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
           bits == 32;
}

/* Width and height both positive and the pixel count bounded. */
static int size_Sound(int32_t w, int32_t h)
{
    return w > 0 && h > 0 && w <= BMP_MAX_SIDE && h <= BMP_MAX_SIDE &&
           (uint64_t)w * (uint64_t)h <= BMP_MAX_PIXELS;
}

/* Three masks, none empty, no bit in two of them. */
static int masks_Sound(const uint32_t *m)
{
    return m[0] && m[1] && m[2] && !(m[0] & m[1]) && !(m[0] & m[2]) &&
           !(m[1] & m[2]);
}

/* The colour masks of a 3-compressed file; the table starts after them.
 * 0 for a compression that does not suit the bit count. */
static int masks_Read(const uint8_t *head, size_t headLen, uint32_t hsize,
                      BmpLayout *l, uint64_t *tableAt)
{
    if (l->compression == BMP_RGB)
        return 1;
    if (l->compression != BMP_BITFIELDS || (l->bits != 16 && l->bits != 32))
        return 0;
    uint64_t at = BMP_FILE_HEADER + BMP_INFO_HEADER;
    if (hsize == BMP_INFO_HEADER)
        *tableAt += 12;
    if (at + 12 > headLen)
        return 0;
    for (int i = 0; i < 3; i++)
        l->masks[i] = rd32(head + at + 4 * i);
    return masks_Sound(l->masks);
}

/* The colour table's entries and its end; 0 when it is longer than the
 * bits can index (above 8 bits: longer than BMP_TABLE_MAX). */
static int table_Read(uint32_t used, BmpLayout *l, uint64_t *end)
{
    uint32_t most = l->bits <= 8 ? 1u << l->bits : BMP_TABLE_MAX;
    if (used > most)
        return 0;
    if (l->bits <= 8)
        l->colours = used ? used : most;
    uint32_t entries = l->bits <= 8 ? l->colours : used;
    *end = (uint64_t)l->tableOffset + 4 * (uint64_t)entries;
    return 1;
}

static int check(const uint8_t *head, size_t headLen, uint64_t fileLen,
                 BmpLayout *l)
{
    if (headLen > fileLen || headLen < BMP_FILE_HEADER + BMP_INFO_HEADER ||
        head[0] != 'B' || head[1] != 'M')
        return 0;
    uint32_t fileSize = rd32(head + 2), pixelAt = rd32(head + 10);
    uint32_t hsize = rd32(head + 14);
    if (fileSize > fileLen || !header_Known(hsize) ||
        BMP_FILE_HEADER + (uint64_t)hsize > headLen)
        return 0;
    l->width = (int32_t)rd32(head + 18);
    l->height = (int32_t)rd32(head + 22);
    l->bits = rd16(head + 28);
    l->compression = rd32(head + 30);
    if (rd16(head + 26) != 1 || !bits_Known(l->bits) ||
        !size_Sound(l->width, l->height))
        return 0;
    uint64_t tableAt = BMP_FILE_HEADER + (uint64_t)hsize, tableEnd;
    if (!masks_Read(head, headLen, hsize, l, &tableAt))
        return 0;
    l->tableOffset = (uint32_t)tableAt;
    if (!table_Read(rd32(head + 46), l, &tableEnd) ||
        tableEnd > headLen)
        return 0;
    uint64_t row = ((uint64_t)l->width * l->bits + 31) / 32 * 4;
    uint64_t image = row * (uint64_t)l->height;
    if (pixelAt < tableEnd || (uint64_t)pixelAt + image > fileSize)
        return 0;
    l->rowSize = (uint32_t)row;
    l->imageSize = (uint32_t)image;
    l->pixelOffset = pixelAt;
    return 1;
}

int bmp_Check(const uint8_t *head, size_t headLen, uint64_t fileLen,
              BmpLayout *out)
{
    memset(out, 0, sizeof *out);
    if (!head || check(head, headLen, fileLen, out))
        return head != NULL;
    memset(out, 0, sizeof *out);
    return 0;
}

uint32_t bmp_TableColour(const uint8_t *head, const BmpLayout *l, uint32_t i)
{
    const uint8_t *e = head + l->tableOffset + 4 * (size_t)i;
    return (uint32_t)e[2] << 16 | (uint32_t)e[1] << 8 | e[0];
}
