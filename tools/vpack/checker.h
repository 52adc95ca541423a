/* checker.h -- `vpack check` and `vpack run`: a product's install script
 * compiled by setup's own engine (core/script), and run against a
 * simulated clean Windows machine that prints every built-in call instead
 * of doing it.
 *
 * Every "Script error" box the engine shows becomes one stdout line,
 * "script error: TEXT".  Results: 0 success; 1 the script does not compile,
 * a box appeared or the file cannot be read (the cause on stderr).
 */
#ifndef VPACK_CHECKER_H
#define VPACK_CHECKER_H

#include <string>
#include <vector>

struct CheckerRun {
    std::string              file;      /* a script, or a product folder */
    std::vector<std::string> calls;     /* functions to call; none: init, install */
    int                      system;    /* index into checker_Systems */
    long long                maxSteps;  /* statements a run may execute; 0 no limit */
};

#define CHECKER_MAX_STEPS 10000000LL

/* The Windows versions a run can simulate, by their --os names; the first
 * is the default.  Ended by a null. */
extern const char *const checker_Systems[];

/* Index of the --os name in checker_Systems, or -1. */
int checker_System(const char *name);

/* `vpack check FILE`: compiles; an OK line on stdout when it does. */
int checker_Check(const std::string &file);

/* For `vpack build`: the product's Install.ini compiles (1), or not (0:
 * the box lines on stdout and *why names the cause). */
int checker_Compiles(const std::string &ini, std::string *why);

/* `vpack run`: compiles, then calls the functions, printing one line per
 * built-in call, one per function result and a summary of the simulated
 * install state. */
int checker_Run(const CheckerRun &run);

/* The stdout line of one box: its text after "script error: ", each line
 * break (LF, CR or CR LF) written as the two characters \n. */
std::string checker_ErrorLine(const char *box);

/* text as a C string literal: \\ \" \n \r \t escaped, every other byte
 * below 32 or above 126 as three octal digits (\033, \351). */
std::string checker_Literal(const char *text);

#endif
