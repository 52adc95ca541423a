/* Hex.cpp -- hex and decimal numbers read from text.
 *
 * Plain portable code: the host build compiles it too, for the native
 * tests and the fuzzer.  Every reader looks at one character at a time and
 * stops at the first that does not fit, so none runs past a terminator.
 */
/* From the include path, not this folder: the host build puts its own
 * knobkit.h there, the portable families alone (tests/knobkit/host). */
#include <knobkit.h>
#include "ident.h"

MODULE_IDENT("knobkit/Hex.cpp");

/* The value of a hex digit, -1 for any other character. */
static int hex_Digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

BOOL KKAPI hex_Valid(const char *text, int count)
{
    for (int i = 0; i < count; i++)
        if (!text || hex_Digit(text[i]) < 0)
            return FALSE;
    return TRUE;
}

/* The first count digits' value, most significant first; FALSE when they
 * are not all digits. */
static BOOL hex_Field(const char *text, int count, uint32_t *value)
{
    if (!hex_Valid(text, count))
        return FALSE;
    uint32_t v = 0;
    for (int i = 0; i < count; i++)
        v = v << 4 | (uint32_t)hex_Digit(text[i]);
    *value = v;
    return TRUE;
}

/* A field of two digits a byte of the result, into a result of type T
 * when there is one. */
template <typename T> static BOOL hex_Get(const char *text, T *result)
{
    uint32_t v;
    if (!hex_Field(text, 2 * (int)sizeof(T), &v))
        return FALSE;
    if (result)
        *result = (T)v;
    return TRUE;
}

BOOL KKAPI hex_Get2(const char *text, uint8_t *result)
{
    return hex_Get(text, result);
}

BOOL KKAPI hex_Get4(const char *text, uint16_t *result)
{
    return hex_Get(text, result);
}

BOOL KKAPI hex_Get8(const char *text, uint32_t *result)
{
    return hex_Get(text, result);
}

/* Unsigned arithmetic: the wrap modulo 2^32 is defined, not an overflow. */
uint32_t KKAPI dec_GetU(const char *text)
{
    uint32_t v = 0;
    if (!text)
        return 0;
    for (; *text >= '0' && *text <= '9'; text++)
        v = v * 10u + (uint32_t)(*text - '0');
    return v;
}

int32_t KKAPI dec_GetI(const char *text)
{
    BOOL negative = FALSE;
    if (text && (*text == '+' || *text == '-')) {
        negative = *text == '-';
        text++;
    }
    uint32_t v = dec_GetU(text);
    /* Two's complement in unsigned arithmetic; the cast back is the
     * bit pattern, defined since C++20 and what every compiler does. */
    return (int32_t)(negative ? 0u - v : v);
}
