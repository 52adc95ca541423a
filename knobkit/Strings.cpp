/* Strings.cpp -- code-page conversion and structures as hex text.
 *
 * Plain portable code: the host build compiles it too, for the native
 * tests and the fuzzer.
 */
/* From the include path, not this folder: the host build puts its own
 * knobkit.h there, the portable families alone (tests/knobkit/host). */
#include <knobkit.h>
#include "ident.h"

#include <string.h>

MODULE_IDENT("knobkit/Strings.cpp");

/* One changed entry of a conversion table: byte from becomes to. */
typedef struct ConvPair {
    uint8_t from, to;
} ConvPair;

/* The Polish letters of code page 1250 whose ISO 8859-2 codes differ:
 * a, A, s, S, z, Z with their marks (the acute z, not the dotted one). */
static const ConvPair conv1250ToIso[] = {
    {185, 177}, {165, 161}, {156, 182}, {140, 166}, {159, 188}, {143, 172},
};

/* All eighteen Polish letters of code page 1250 and their base letters. */
static const ConvPair conv1250ToAscii[] = {
    {185, 'a'}, {165, 'A'}, {156, 's'}, {140, 'S'}, {234, 'e'}, {202, 'E'},
    {179, 'l'}, {163, 'L'}, {241, 'n'}, {209, 'N'}, {230, 'c'}, {198, 'C'},
    {243, 'o'}, {211, 'O'}, {191, 'z'}, {175, 'Z'}, {159, 'z'}, {143, 'Z'},
};

#define COUNT(a) (sizeof(a) / sizeof *(a))

uint8_t *KKAPI s_MakeConvTable(uint8_t *table, int mode)
{
    if (!table)
        return NULL;
    for (int c = 0; c < 256; c++)
        table[c] = (uint8_t)c;
    /* Mode 2 is mode 1's pairs turned round. */
    if (mode == S_CONV_1250TOISO || mode == S_CONV_ISOTO1250)
        for (size_t i = 0; i < COUNT(conv1250ToIso); i++) {
            const ConvPair *p = &conv1250ToIso[i];
            if (mode == S_CONV_1250TOISO)
                table[p->from] = p->to;
            else
                table[p->to] = p->from;
        }
    if (mode == S_CONV_1250TOASCII)
        for (size_t i = 0; i < COUNT(conv1250ToAscii); i++)
            table[conv1250ToAscii[i].from] = conv1250ToAscii[i].to;
    return table;
}

void KKAPI s_Convert(const uint8_t *table, char *text)
{
    if (!table || !text)
        return;
    for (; *text; text++)
        *text = (char)table[(uint8_t)*text];
}

static const char hexDigits[] = "0123456789abcdef";

/* Each word as "%08lx" would print it, without the C runtime's cost. */
void KKAPI s_Struct2String(const void *data, int size, char *out)
{
    if (!out)
        return;
    int words = data && size >= 4 ? size / 4 : 0;
    for (int i = 0; i < words; i++) {
        uint32_t w;
        memcpy(&w, (const char *)data + 4 * i, 4);   /* any alignment */
        for (int d = 7; d >= 0; d--, w >>= 4)
            out[d] = hexDigits[w & 15];
        out += 8;
    }
    *out = 0;
}

BOOL KKAPI s_String2Struct(const char *text, void *data, int size)
{
    int words = size / 4;
    for (int i = 0; i < words; i++) {
        uint32_t w;
        /* A group that fails stops here: the text may end inside it. */
        if (!data || !hex_Get8(text + 8 * i, &w))
            return FALSE;
        memcpy((char *)data + 4 * i, &w, 4);
    }
    return TRUE;
}
