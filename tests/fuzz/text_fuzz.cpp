/* Fuzz target: arbitrary bytes as the value of an INI key, as knobkit's
 * preferences hand it to the structure and number readers (the value is
 * a zero-ended text of at most 1023 characters).  The input is copied
 * into a block of exactly its size, so a reader that looked past the
 * terminator is caught; the structure lies between guard words that no
 * reader may touch.
 *
 * Besides the sanitizers, the readers' promises are checked: a text that
 * s_String2Struct takes for a structure of n words comes back from
 * s_Struct2String as its first 8 * n characters in lower case, and the
 * fixed-width hex readers agree with hex_Valid. */
#include <knobkit.h>

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

enum { VALUE_MAX = 1023, WORDS = 127, GUARD = 0x5EA1ED00 };

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > VALUE_MAX)
        size = VALUE_MAX;
    char *text = (char *)malloc(size + 1);
    memcpy(text, data, size);
    text[size] = 0;
    size_t len = strlen(text);

    uint32_t block[WORDS + 2];
    block[0] = block[WORDS + 1] = GUARD;
    int bytes = size ? data[0] % (4 * WORDS + 1) : 0;
    if (s_String2Struct(text, block + 1, bytes) && bytes >= 4) {
        char back[8 * WORDS + 1];
        s_Struct2String(block + 1, bytes, back);
        size_t n = 8 * (size_t)(bytes / 4);
        if (strlen(back) != n || len < n)
            abort();
        for (size_t i = 0; i < n; i++)
            if (back[i] != tolower((unsigned char)text[i]))
                abort();
    }
    if (block[0] != GUARD || block[WORDS + 1] != GUARD)
        abort();

    uint8_t b;
    uint16_t w;
    uint32_t d;
    if (hex_Get2(text, &b) != hex_Valid(text, 2) ||
        hex_Get4(text, &w) != hex_Valid(text, 4) ||
        hex_Get8(text, &d) != hex_Valid(text, 8))
        abort();
    (void)dec_GetU(text);
    (void)dec_GetI(text);

    uint8_t table[256];
    s_Convert(s_MakeConvTable(table, size ? data[size - 1] % 5 : 0), text);
    if (strlen(text) != len)   /* no byte becomes a zero */
        abort();
    free(text);
    return 0;
}
