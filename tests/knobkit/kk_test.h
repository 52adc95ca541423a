/* kk_test.h -- what the knobkit tests share: what a recorder saw against
 * what a test expected (lists of lines compared whole, both printed on a
 * mismatch with the table row), the message pump, a GDI liveness test and
 * a canvas whose pixels a test reads back. */
#ifndef VELLUM_KK_TEST_H
#define VELLUM_KK_TEST_H

#include <windows.h>

#include <stdio.h>

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

/* Runs what the queue holds now: posted and sent messages, paints,
 * timers; never input.  The tests hand the dialogs their mouse messages
 * themselves, and the system's own (the real pointer, wherever it is,
 * reported when a window appears under it or takes the capture) would
 * drag a tracked gadget there. */
inline void kk_Pump(void)
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0,
                        PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT |
                            PM_QS_SENDMESSAGE))
        DispatchMessageA(&m);
}

/* Is h a GDI object that has not been deleted? */
/* The process's live GDI objects.  Windows counts them
 * (GetGuiResources); Wine answers that with 0, and there a handle of a
 * table index alone names the object living at that index, so the live
 * ones are counted index by index.  A test that leans on the count checks
 * first that one brush made and deleted shows in it. */
inline long kk_GdiObjects(void)
{
    long n = (long)GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n)
        return n;
    for (UINT_PTR i = 1; i < 0x10000; i++)
        n += GetObjectType((HGDIOBJ)i) != 0;
    return n;
}

inline bool kk_Alive(HGDIOBJ h)
{
    return h && GetObjectType(h) != 0;
}

inline void rect_Fill(HDC dc, int l, int t, int r, int b, COLORREF c)
{
    RECT rc = {l, t, r, b};
    HBRUSH br = CreateSolidBrush(c);
    FillRect(dc, &rc, br);
    DeleteObject(br);
}

/* A 32-bit DIB section, first all one colour (RGB(1, 2, 3) unless told),
 * of a given size or of a window's client size. */
struct Canvas {
    HDC dc = NULL;
    HBITMAP bmp = NULL;
    HGDIOBJ old = NULL;
    const DWORD *bits = NULL;
    int w = 0, h = 0;

    explicit Canvas(HWND d, COLORREF fill = RGB(1, 2, 3))
    {
        RECT r;
        GetClientRect(d, &r);
        make(r.right, r.bottom, fill);
    }
    Canvas(int width, int height, COLORREF fill = RGB(1, 2, 3))
    {
        make(width, height, fill);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    void make(int width, int height, COLORREF fill)
    {
        w = width, h = height;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;   /* top-down */
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void *p = NULL;
        bmp = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &p, NULL, 0);
        bits = (const DWORD *)p;
        dc = CreateCompatibleDC(NULL);
        old = SelectObject(dc, bmp);
        rect_Fill(dc, 0, 0, w, h, fill);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    /* The pixel's colour; CLR_INVALID outside. */
    COLORREF at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return CLR_INVALID;
        GdiFlush();
        DWORD p = bits[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    /* How many pixels of the rectangle (clipped to the canvas) are c. */
    int count(RECT r, COLORREF c) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                n += at(x, y) == c;
        return n;
    }
    /* Pixels that differ from want(x, y), skipping those skip(x, y)
     * names; the first one described in first. */
    template <class Want, class Skip>
    int mismatches(Want want, Skip skip, std::string *first) const
    {
        int n = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                if (skip(x, y) || at(x, y) == want(x, y))
                    continue;
                if (!n++ && first) {
                    char s[96];
                    snprintf(s, sizeof s, "(%d, %d) is %06lx, not %06lx", x,
                             y, (unsigned long)at(x, y),
                             (unsigned long)want(x, y));
                    *first = s;
                }
            }
        return n;
    }
};

#endif
