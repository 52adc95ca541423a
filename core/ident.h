/* Module identification strings.
 *
 * Every source module carries one, so that a look into a binary (strings,
 * a hex viewer) tells which modules went into it and the date of the commit they come from:
 *     [#=- core/pkg/pkg.cpp, Compiled: Dec 10 2026 12:00:00 -=#]
 * The path is given by the module itself: __FILE__ would carry the absolute
 * path of whoever built it.  The date is the last commit's (SOURCE_DATE_EPOCH,
 * set for every compiler run in cmake/vellum.cmake), so two builds of one
 * commit give the same bytes.
 */
#ifndef VELLUM_IDENT_H
#define VELLUM_IDENT_H

#if defined(__GNUC__)
#define IDENT_USED __attribute__((used))
#else
#define IDENT_USED
#endif

/* Large zero-filled records.  The Windows builds give every object its own
 * section (-fdata-sections), and mingw's compiler then places zero-filled
 * globals in .data sections of their own, stored in the file byte for byte;
 * these are placed in .bss explicitly. */
#if defined(__GNUC__)
#define VELLUM_BSS __attribute__((section(".bss")))
#else
#define VELLUM_BSS
#endif

#define MODULE_IDENT(path) \
    static const char module_ident[] IDENT_USED = \
        "[#=- " path ", Compiled: " __DATE__ " " __TIME__ " -=#]"

#endif
