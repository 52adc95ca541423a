/* kk_test.h -- what the knobkit tests share: what a recorder saw against
 * what a test expected (lists of lines compared whole, both printed on a
 * mismatch with the table row), the message pump and a GDI liveness test. */
#ifndef VELLUM_KK_TEST_H
#define VELLUM_KK_TEST_H

#include <windows.h>

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

/* Runs what the queue holds now: posted messages, paints, timers. */
inline void kk_Pump(void)
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

/* Is h a GDI object that has not been deleted? */
inline bool kk_Alive(HGDIOBJ h)
{
    return h && GetObjectType(h) != 0;
}

#endif
