/* locale_parse.cpp -- a locale file cut into NUL-terminated pieces in
 * place, and one section's entries read from the pieces.
 *
 * The file (ANSI text):
 *     // a comment
 *     [English]                  a section: its name up to the "]"
 *     012 Open@Opens a file      three digits, a separator, the text,
 *     013 Close                  and after an at sign the tooltip
 *     014 Two``lines             two backquotes: CR LF, one: LF
 * A line ends at CR LF, LF or CR.  The separator is any one character.
 * Entries before the first section belong to none.  Lines of any other
 * form (a blank first, fewer than three digits, nothing after them) are
 * skipped, and so is whatever follows a NUL byte on its line.  Only the
 * first at sign starts the tooltip; later ones are part of it.  Sections
 * after the hundredth are skipped with their entries.
 *
 * After locale_ParseText the buffer holds, in the places of the lines:
 *     "[" name NUL             a section line (the "]" and the rest NUL)
 *     d d d m text NUL         an entry; m is '@' when a non-empty
 *         [tooltip NUL]        tooltip follows the text, else ' '
 * and NUL everywhere else: comments, skipped lines, line ends.  Every
 * piece lies inside its own line, so locale_ReadSection walks the pieces
 * without looking at lines again: texts may hold CR and LF now.
 */
#include "locale_parse.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("knobkit/locale_parse.cpp");

enum { MARK_TIP = '@', MARK_NOTIP = ' ' };

static bool is_Digit(char c)
{
    return c >= '0' && c <= '9';
}

static bool is_LineEnd(char c)
{
    return c == '\r' || c == '\n';
}

/* The first c in [p, end), else end. */
static char *find_Char(char *p, char *end, char c)
{
    char *f = (char *)memchr(p, c, (size_t)(end - p));
    return f ? f : end;
}

static void zero_Range(char *p, char *end)
{
    if (end > p)
        memset(p, 0, (size_t)(end - p));
}

/* Two backquotes become CR LF, one a LF: the text keeps its length. */
static void quotes_Expand(char *p, char *end)
{
    for (; p < end; p++) {
        if (*p != '`')
            continue;
        if (p + 1 < end && p[1] == '`') {
            p[0] = '\r';
            p[1] = '\n';
            p++;
        } else {
            *p = '\n';
        }
    }
}

/* An entry line [p, q): three digits, a separator, at least. */
static bool entry_Is(const char *p, const char *q)
{
    return q - p >= 4 && is_Digit(p[0]) && is_Digit(p[1]) && is_Digit(p[2]);
}

static void entry_Edit(char *p, char *q)
{
    char *text = p + 4;
    char *at = find_Char(text, q, '@');
    quotes_Expand(text, at);
    if (at < q) {
        *at = 0;
        quotes_Expand(at + 1, q);
    }
    p[3] = at + 1 < q ? MARK_TIP : MARK_NOTIP;
}

/* One line [p, q), without its end. */
static void line_Edit(char *p, char *q, char **countries, int *n)
{
    if (p == q)
        return;
    if (q - p >= 2 && p[0] == '/' && p[1] == '/') {
        zero_Range(p, q);
    } else if (p[0] == '[') {
        zero_Range(find_Char(p + 1, q, ']'), q);
        if (*n < LOCALE_COUNTRIES)
            countries[(*n)++] = p + 1;
    } else if (entry_Is(p, q)) {
        entry_Edit(p, q);
    } else {
        zero_Range(p, q);
    }
}

int locale_ParseText(char *text, uint32_t size, char **countries)
{
    char *p = text, *end = text + size;
    int n = 0;
    while (p < end) {
        char *e = p;
        while (e < end && !is_LineEnd(*e))
            e++;
        char *q = find_Char(p, e, 0);   /* a NUL byte cuts the line */
        line_Edit(p, q, countries, &n);
        zero_Range(q, e < end ? e + 1 : e);
        p = e + 1;
    }
    return n;
}

void locale_ReadSection(char *text, uint32_t size, char *name,
                        char **strings, char **tooltips)
{
    char *end = text + size;
    char *p = name + strlen(name);
    while (p < end) {
        if (!*p) {
            p++;
            continue;
        }
        if (*p == '[')
            break;
        char *next = p + strlen(p) + 1;
        if (is_Digit(p[0]) && is_Digit(p[1]) && is_Digit(p[2]) &&
            (p[3] == MARK_TIP || p[3] == MARK_NOTIP)) {
            int id = (p[0] - '0') * 100 + (p[1] - '0') * 10 + (p[2] - '0');
            strings[id] = p + 4;
            tooltips[id] = NULL;
            if (p[3] == MARK_TIP && next < end) {
                tooltips[id] = next;
                next += strlen(next) + 1;
            }
        }
        p = next;
    }
}
