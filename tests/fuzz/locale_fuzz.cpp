/* Fuzz target: arbitrary bytes as a locale file.  The file is cut into
 * its pieces in a buffer of exactly its size and a NUL, then every
 * section is chosen in turn into one pair of tables, as a client
 * switching languages does; every text handed out must lie inside the
 * buffer and end there. */
#include "locale_parse.h"

#include <stdlib.h>
#include <string.h>

static void check_Inside(const char *text, uint32_t size, const char *p)
{
    if (p && (p < text || p > text + size ||
              p + strlen(p) > text + size))
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0x1000000)
        return 0;
    char *text = (char *)malloc(size + 1);
    if (!text)
        return 0;
    if (size)
        memcpy(text, data, size);
    text[size] = 0;
    static char *countries[LOCALE_COUNTRIES];
    static char *strings[LOCALE_STRINGS], *tooltips[LOCALE_STRINGS];
    memset(strings, 0, sizeof strings);
    memset(tooltips, 0, sizeof tooltips);
    int n = locale_ParseText(text, (uint32_t)size, countries);
    if (n < 0 || n > LOCALE_COUNTRIES)
        __builtin_trap();
    for (int i = 0; i < n; i++) {
        check_Inside(text, (uint32_t)size, countries[i]);
        locale_ReadSection(text, (uint32_t)size, countries[i], strings,
                           tooltips);
        for (int id = 0; id < LOCALE_STRINGS; id++) {
            check_Inside(text, (uint32_t)size, strings[id]);
            check_Inside(text, (uint32_t)size, tooltips[id]);
        }
    }
    free(text);
    return 0;
}
