/* checker.h -- `vpack check` and `vpack run`: a product's install script
 * compiled by setup's own engine (core/script), and run against a
 * simulated clean Windows machine that prints every built-in call instead
 * of doing it.  The script is read as vpack build stores it (diag.h: every
 * line end CR LF).
 *
 * Every "Script error" box the engine shows is an error on stdout, where
 * run prints the calls around it, in the form of diag.h:
 *
 *   FILE:LINE:COLUMN: error: TEXT
 *
 * with the line and a caret under the column.  vpack's own findings
 * (findings.h) go to stderr in the same form.  Results: 0 success; 1 the
 * script does not compile, a box appeared, an error was found or the file
 * cannot be read (the cause on stderr).
 */
#ifndef VPACK_CHECKER_H
#define VPACK_CHECKER_H

#include <string>
#include <vector>

/* What the findings compare the script with, and how they count. */
struct CheckerFindings {
    bool                     membersKnown = false;  /* else a bare script */
    std::vector<std::string> members;   /* the files the package holds, by
                                           package path ('\' between parts) */
    bool                     werror = false;          /* warnings are errors */
    bool                     missingIsError = false;  /* a member the package
                                                         will not hold (build) */
};

struct CheckerRun {
    std::string              file;      /* a script, or a product folder */
    std::vector<std::string> calls;     /* functions to call; none: init, install */
    int                      system;    /* index into checker_Systems */
    long long                maxSteps;  /* statements a run may execute; 0 no limit */
    CheckerFindings          findings;
};

#define CHECKER_MAX_STEPS 10000000LL

/* The Windows versions a run can simulate, by their --os names; the first
 * is the default.  Ended by a null. */
extern const char *const checker_Systems[];

/* Index of the --os name in checker_Systems, or -1. */
int checker_System(const char *name);

/* `vpack check FILE`: compiles and prints the findings; a line on stdout
 * naming the functions setup calls when no error was found. */
int checker_Check(const std::string &file, const CheckerFindings &findings);

/* For `vpack build`: the product's Install.ini compiles and no error was
 * found (1), or not (0: the boxes on stdout, the findings on stderr, and
 * *why names the cause). */
int checker_Compiles(const std::string &ini, const CheckerFindings &findings,
                     std::string *why);

/* `vpack run`: compiles, then calls the functions, printing one line per
 * built-in call, one per function result and a summary of the simulated
 * install state. */
int checker_Run(const CheckerRun &run);

/* A box's text on one line: each line break (LF, CR or CR LF) written as
 * the two characters \n. */
std::string checker_BoxText(const char *box);

/* text as a C string literal: \\ \" \n \r \t escaped, every other byte
 * below 32 or above 126 as three octal digits (\033, \351). */
std::string checker_Literal(const char *text);

#endif
