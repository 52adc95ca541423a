/* Fuzz target: arbitrary bytes as a BMP file, checked as knobkit checks a
 * file it loads (its head, then its real length).  A layout that passes
 * must lie inside the input: every colour-table entry and every byte of
 * every pixel row is read, so a claim past the end is caught. */
#include "bmp_check.h"

#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t n = size < BMP_HEAD_MAX ? size : BMP_HEAD_MAX;
    /* The head in a block of its own size, as the loader reads it. */
    uint8_t *head = (uint8_t *)malloc(n ? n : 1);
    if (n)
        memcpy(head, data, n);
    BmpLayout l;
    if (bmp_Check(head, n, size, &l)) {
        if (l.width <= 0 || l.height <= 0 ||
            (uint64_t)l.width * l.height > BMP_MAX_PIXELS ||
            (uint64_t)l.rowSize * l.height != l.imageSize ||
            l.pixelOffset < l.tableOffset + 4 * (uint64_t)l.colours ||
            (uint64_t)l.pixelOffset + l.imageSize > size)
            __builtin_trap();
        uint32_t sum = 0;
        for (uint32_t i = 0; i < l.colours; i++)
            sum += bmp_TableColour(head, &l, i);
        for (uint32_t i = 0; i < l.imageSize; i++)
            sum += data[l.pixelOffset + i];
        volatile uint32_t keep = sum;
        (void)keep;
    }
    free(head);
    return 0;
}
