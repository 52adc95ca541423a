/* exclude.h -- the files and folders of a product folder that `vpack
 * build` leaves out: the patterns given with --exclude, and unless told
 * otherwise the version-control folders and editor leftovers below.
 *
 * A pattern is a glob: '*' stands for any run of characters and '?' for
 * one, except a '/'; every other character stands for itself, letters
 * without regard to case (ASCII only, as the package lookup and Windows
 * compare names).  '\' is taken as '/'.
 *   - without a '/' it is matched against each entry's own name, at any
 *     depth: "*.bak" leaves out every .bak file, "build" every entry of
 *     that name;
 *   - with a '/' (a leading one is dropped) against the entry's whole
 *     path from the product folder: "Docs/Old?*" only in Docs;
 *   - a trailing '/' matches folders only.
 * A folder left out takes all of its contents along.
 */
#ifndef VPACK_EXCLUDE_H
#define VPACK_EXCLUDE_H

#include <string>
#include <vector>

/* Left out unless --no-default-excludes; ended by a null. */
extern const char *const exclude_Defaults[];

/* "" when pattern can be used, else why not. */
std::string exclude_Check(const std::string &pattern);

/* The first of patterns that leaves out the entry at path (from the
 * product folder, '/' between its parts), or null. */
const char *exclude_Match(const std::vector<std::string> &patterns,
                          const std::string &path, bool folder);

/* One line naming what was left out, a folder with " (folder)" after
 * it; "" when nothing was.  At most a few names, then how many more. */
std::string exclude_Summary(const std::vector<std::string> &paths,
                            const std::vector<bool> &folders);

#endif
