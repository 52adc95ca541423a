/* diag.h -- a product's script as setup reads it, and what vpack finds in
 * it, printed as compilers print their diagnostics.
 *
 * setup reads a text setting up to a carriage return and shows License.txt
 * in an edit control, which breaks lines only at CR LF.  So vpack build
 * stores both with every line end (LF, CR LF, or a CR alone) as CR LF, and
 * check and run compile that same converted text.  A finding is
 *
 *   FILE:LINE:COLUMN: error|warning: TEXT
 *   the line, as the file has it
 *   a caret under the column
 *
 * LINE and COLUMN count from 1 in the file as it was written (a column is
 * one byte; a line ends at LF, CR LF or a CR alone): an offset into the
 * converted text, such as the script engine's, is mapped back first.
 */
#ifndef VPACK_DIAG_H
#define VPACK_DIAG_H

#include <stdio.h>

#include <string>
#include <vector>

struct DiagScript {
    std::string         file;      /* the path shown */
    std::string         written;   /* the file's bytes */
    std::vector<char>   text;      /* CR LF throughout, then a NUL; the
                                      engine compiles it in place */
    std::vector<size_t> added;     /* offsets in text of the bytes the
                                      conversion added, ascending */
};

/* data with every line end as CR LF into *out; the offsets in *out of the
 * bytes added go to *added (may be null).  Gives the number of line ends
 * changed. */
size_t diag_CrLf(const std::string &data, std::string *out,
                 std::vector<size_t> *added);

/* *s for the script file with those bytes. */
void diag_Load(DiagScript *s, const std::string &file,
               const std::string &written);

/* Where an offset of the converted text lies in the written file. */
struct DiagPlace {
    long   line, column;
    size_t begin, end;   /* the line's bytes in written, without its end */
};
DiagPlace diag_Place(const DiagScript &s, size_t offset);

/* One finding at that offset of the converted text: the three lines above
 * onto to.  kind is "error" or "warning". */
void diag_Print(FILE *to, const DiagScript &s, size_t offset, const char *kind,
                const std::string &text);

/* The edits (a byte inserted, deleted or replaced) that turn a into b. */
size_t diag_Distance(const std::string &a, const std::string &b);

#endif
