/* Module identification strings.
 *
 * Every source module carries one, so that a look into a binary (strings,
 * a hex viewer) tells which modules went into it and when they were built:
 *     [#=- core/pkg/pkg.cpp, Compiled: Dec 10 2026 12:00:00 -=#]
 * The path is given by the module itself: __FILE__ would carry the absolute
 * path of whoever built it.
 */
#ifndef VELLUM_IDENT_H
#define VELLUM_IDENT_H

#if defined(__GNUC__)
#define IDENT_USED __attribute__((used))
#else
#define IDENT_USED
#endif

#define MODULE_IDENT(path) \
    static const char module_ident[] IDENT_USED = \
        "[#=- " path ", Compiled: " __DATE__ " " __TIME__ " -=#]"

#endif
