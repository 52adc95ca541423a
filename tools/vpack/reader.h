/* reader.h -- `vpack list`, `extract` and `verify`: a setup's package read
 * with setup's own reader (pkg.h).
 *
 * Results: 0 success; 1 failure, the cause on stderr: the pkg_Open or
 * pkg_Extract code with its meaning, and the member's path.
 */
#ifndef VPACK_READER_H
#define VPACK_READER_H

#include <string>
#include <vector>

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

/* What a file is to vpack: not a program; a PE image with no package
 * after it; or a setup, whose image is followed by a package header
 * (damaged or not). */
#define READER_NOT_PE  0
#define READER_BARE_PE 1
#define READER_SETUP   2
int reader_Kind(const std::string &file);

/* The install script of the setup file: its Install.ini member with a NUL
 * after it, the name findings give it ("FILE(Install.ini)"), and the path
 * of every member, folders left out.  1, or 0 with *why set. */
int reader_Script(const std::string &file, std::string *name,
                  std::vector<char> *text, std::vector<std::string> *members,
                  std::string *why);

#endif
