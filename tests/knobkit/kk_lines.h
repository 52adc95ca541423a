/* kk_lines.h -- what a recorder saw against what a test expected: lists of
 * lines compared whole, both printed on a mismatch with the table row. */
#ifndef VELLUM_KK_LINES_H
#define VELLUM_KK_LINES_H

#include <string>
#include <vector>

inline std::string kk_Lines(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &e : v)
        s += "    " + e + "\n";
    return s.empty() ? "    (nothing)\n" : s;
}

#define EXPECT_LINES(got, want, row)                                        \
    EXPECT_TRUE((got) == (want)) << "row " << (row) << "\n  got:\n"         \
                                 << kk_Lines(got) << "  expected:\n"        \
                                 << kk_Lines(want)

#endif
