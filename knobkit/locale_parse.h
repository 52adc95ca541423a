/* locale_parse.h -- the locale file's text, cut into its pieces in place.
 * Plain C++ over one byte buffer, without the system's headers, so that
 * it is also built and fuzzed natively; Locale.cpp reads the file and
 * keeps the tables.
 *
 * The buffer is the whole file of size bytes followed by one NUL
 * (text[size] == 0).  Every pointer handed out points into it, and no
 * byte outside text[0] .. text[size] is ever read or written, whatever
 * the file holds.
 */
#ifndef VELLUM_LOCALE_PARSE_H
#define VELLUM_LOCALE_PARSE_H

#include <stdint.h>

#define LOCALE_COUNTRIES 100   /* sections a file may hold */
#define LOCALE_STRINGS   1000  /* string identifiers 0 to 999 */

/* Edits the text in place (the layout is in locale_parse.cpp) and puts
 * the names of its first LOCALE_COUNTRIES sections into countries, in
 * file order.  The number of names put there. */
int  locale_ParseText(char *text, uint32_t size, char **countries);

/* The entries of the section whose name (a pointer that locale_ParseText
 * gave) is name: for each, strings[identifier] becomes its text and
 * tooltips[identifier] its tooltip or null.  Identifiers the section does
 * not have keep what the tables held. */
void locale_ReadSection(char *text, uint32_t size, char *name,
                        char **strings, char **tooltips);

#endif
