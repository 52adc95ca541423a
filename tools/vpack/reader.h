/* reader.h -- `vpack list`, `extract` and `verify`: a setup's package read
 * with setup's own reader (pkg.h).
 *
 * Results: 0 success; 1 failure, the cause on stderr: the pkg_Open or
 * pkg_Extract code with its meaning, and the member's path.
 */
#ifndef VPACK_READER_H
#define VPACK_READER_H

#include <string>

/* One line per entry on stdout: 'd' for a folder or '-' for a file, size,
 * packed size, and the path inside the package (backslash-separated), its
 * names read in codepage and shown in UTF-8. */
int reader_List(const std::string &file, int codepage);

/* Every folder and member under dir, created if missing, under its name
 * read in codepage. */
int reader_Extract(const std::string &file, const std::string &dir,
                   int codepage);

/* Opens (checking the header's checksums) and inflates every member in
 * memory, checking each; every bad member is named. */
int reader_Verify(const std::string &file);

#endif
