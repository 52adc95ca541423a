// mkkart.cpp -- knobkit's pictures and cursors, drawn by code so that they
// can be remade:
//   mkkart DIR               writes them into DIR (knobkit/art)
//   mkkart --check DIR       exit 0 when DIR holds exactly what mkkart makes,
//                            every file reads back to the pixels drawn and
//                            every key colour sits where the gadgets look
//   mkkart --sheet DIR OUT   a 24-bit BMP contact sheet of the files in DIR;
//                            the host build's knobkit-art-sheet target makes
//                            docs/knobkit-art.png of it with bmp2png
//
// Bitmaps are stored with a palette of the colours they use, at 4 or 8 bits
// per pixel or run-length encoded (BI_RLE8), whichever is smallest, so the
// DLL carries little.  Cursors are 32 x 32 monochrome (AND and XOR masks).
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "artfile.h"
typedef uint32_t Colour;   // 0xRRGGBB

#define RGB3(r, g, b) ((Colour)(((r) << 16) | ((g) << 8) | (b)))

static const Colour MAGENTA = RGB3(255, 0, 255);
static const Colour YELLOW = RGB3(255, 255, 0);
static const Colour RED = RGB3(255, 0, 0);
static const Colour BLACK = 0;

struct Pic {
    int w, h;
    std::vector<Colour> px;
};

static Pic pic(int w, int h, Colour fill)
{
    return {w, h, std::vector<Colour>((size_t)w * h, fill)};
}

static Colour &at(Pic &p, int x, int y) { return p.px[(size_t)y * p.w + x]; }
static Colour at(const Pic &p, int x, int y) { return p.px[(size_t)y * p.w + x]; }

static Colour mix(Colour a, Colour b, double t)
{
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    Colour out = 0;
    for (int s = 16; s >= 0; s -= 8) {
        double ca = (a >> s) & 0xFF, cb = (b >> s) & 0xFF;
        out |= (Colour)lround(ca + (cb - ca) * t) << s;
    }
    return out;
}

static Colour grey(int v) { return RGB3(v, v, v); }

// Steps of a shade, so that a picture keeps to a small palette.
static double step(double t, int levels)
{
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return floor(t * (levels - 1) + 0.5) / (levels - 1);
}

// A small generator of its own, so the texture is the same everywhere.
static uint32_t rnd(uint32_t &s)
{
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}

// ---- the dot-matrix character set (107) ----

// Characters 32..127, five columns each, bit 0 the top row of seven.
static const uint8_t font5x7[96][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00},
    {0x00, 0x07, 0x00, 0x07, 0x00}, {0x14, 0x7F, 0x14, 0x7F, 0x14},
    {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x00}, {0x00, 0x41, 0x22, 0x1C, 0x00},
    {0x14, 0x08, 0x3E, 0x08, 0x14}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08},
    {0x00, 0x60, 0x60, 0x00, 0x00}, {0x20, 0x10, 0x08, 0x04, 0x02},
    {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31},
    {0x18, 0x14, 0x12, 0x7F, 0x10}, {0x27, 0x45, 0x45, 0x45, 0x39},
    {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E},
    {0x00, 0x36, 0x36, 0x00, 0x00}, {0x00, 0x56, 0x36, 0x00, 0x00},
    {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06},
    {0x32, 0x49, 0x79, 0x41, 0x3E}, {0x7E, 0x11, 0x11, 0x11, 0x7E},
    {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41},
    {0x7F, 0x09, 0x09, 0x09, 0x01}, {0x3E, 0x41, 0x49, 0x49, 0x7A},
    {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41},
    {0x7F, 0x40, 0x40, 0x40, 0x40}, {0x7F, 0x02, 0x0C, 0x02, 0x7F},
    {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E},
    {0x7F, 0x09, 0x19, 0x29, 0x46}, {0x46, 0x49, 0x49, 0x49, 0x31},
    {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F},
    {0x63, 0x14, 0x08, 0x14, 0x63}, {0x07, 0x08, 0x70, 0x08, 0x07},
    {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00},
    {0x04, 0x02, 0x01, 0x02, 0x04}, {0x40, 0x40, 0x40, 0x40, 0x40},
    {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20},
    {0x38, 0x44, 0x44, 0x48, 0x7F}, {0x38, 0x54, 0x54, 0x54, 0x18},
    {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00},
    {0x20, 0x40, 0x44, 0x3D, 0x00}, {0x7F, 0x10, 0x28, 0x44, 0x00},
    {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38},
    {0x7C, 0x14, 0x14, 0x14, 0x08}, {0x08, 0x14, 0x14, 0x18, 0x7C},
    {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C},
    {0x1C, 0x20, 0x40, 0x20, 0x1C}, {0x3C, 0x40, 0x30, 0x40, 0x3C},
    {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00},
    {0x00, 0x00, 0x7F, 0x00, 0x00}, {0x00, 0x41, 0x36, 0x08, 0x00},
    {0x08, 0x04, 0x08, 0x10, 0x08}, {0x7F, 0x7F, 0x7F, 0x7F, 0x7F}};

static bool font_dot(int c, int col, int row)
{
    return c >= 32 && c < 128 && col >= 0 && col < 5 && row >= 0 && row < 7 &&
           (font5x7[c - 32][col] >> row & 1);
}

#define CELL_W   16
#define CELL_H   22
#define DOT_STEP 3
// Shades of a lit dot: with two of an unlit one and black, the strip keeps
// to 16 colours, 4 bits a pixel.
#define LED_LEVELS 14

// Lit dots run from a deep red glow through the LED's orange to a hot
// centre; unlit dots stay a dim red so the matrix shows.  The background
// is black: the strip's key colour.
static Colour led_lit(double t)
{
    t = step(t, LED_LEVELS);
    return t < 0.7 ? mix(BLACK, RGB3(255, 82, 41), t / 0.7)
                   : mix(RGB3(255, 82, 41), RGB3(255, 206, 170), (t - 0.7) / 0.3);
}

static Pic make_led_chars(void)
{
    Pic p = pic(32 * CELL_W, 3 * CELL_H, BLACK);
    for (int c = 32; c < 128; c++) {
        int ox = (c - 32) % 32 * CELL_W, oy = (c - 32) / 32 * CELL_H;
        for (int y = 0; y < CELL_H; y++)
            for (int x = 0; x < CELL_W; x++) {
                double lit = 0, glow = 0, unlit = 0;
                for (int row = 0; row < 7; row++)
                    for (int col = 0; col < 5; col++) {
                        // Dots of 2 x 2 pixels on a 3-pixel pitch: the
                        // centres sit on pixel corners.
                        double cx = 2.0 + DOT_STEP * col, cy = 2.0 + DOT_STEP * row;
                        int in = 0;
                        for (int s = 0; s < 16; s++) {
                            double dx = x + (s % 4 + 0.5) / 4 - cx,
                                   dy = y + (s / 4 + 0.5) / 4 - cy;
                            in += dx * dx + dy * dy <= 1.25 * 1.25;
                        }
                        double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                        double d2 = dx * dx + dy * dy;
                        if (font_dot(c, col, row)) {
                            // The disc, brightest at its middle, and around
                            // it a halo that adds up between neighbours.
                            lit = std::max(lit, in / 16.0 * (0.95 - 0.3 * d2));
                            if (in < 16)
                                glow += 0.45 * exp(-d2 / 2.5);
                        } else {
                            unlit = std::max(unlit, in / 16.0);
                        }
                    }
                lit = std::min(1.0, lit + glow);
                Colour out = BLACK;
                if (step(lit, LED_LEVELS) > 0)
                    out = led_lit(lit);
                else if (unlit > 0)
                    out = mix(BLACK, RGB3(52, 9, 6), step(unlit, 3));
                at(p, ox + x, oy + y) = out;
            }
    }
    return p;
}

// ---- the brushed texture (109) ----

// Streaks of one grey along each row, of random length; a row wraps onto
// itself and rows are independent, so tiles meet without a seam.
static Pic make_texture(void)
{
    Pic p = pic(151, 151, 0);
    uint32_t s = 0x9E3779B9u;
    for (int y = 0; y < 151; y++) {
        int base = 186 + (int)(rnd(s) % 7) - 3;
        int x = 0;
        while (x < 151) {
            int run = 6 + (int)(rnd(s) % 34);
            int v = base + (int)(rnd(s) % 9) - 4;
            if (rnd(s) % 11 == 0)
                v += 10;   // an occasional bright scratch
            for (int i = 0; i < run && x < 151; i++, x++)
                at(p, x, y) = grey(v);
        }
    }
    return p;
}

// ---- frames and buttons ----

// Distance from a point to the edge of a rounded rectangle (negative
// inside), for pixel centres.
static double rounded(double x, double y, double l, double t, double r,
                      double b, double radius)
{
    double cx = std::max(l + radius, std::min(x, r - radius));
    double cy = std::max(t + radius, std::min(y, b - radius));
    double dx = x - cx, dy = y - cy;
    if (x > l + radius && x < r - radius)
        return std::max(t - y, y - b);
    if (y > t + radius && y < b - radius)
        return std::max(l - x, x - r);
    return sqrt(dx * dx + dy * dy) - radius;
}

// A raised (or, pressed, sunken) button face of w x h at (ox, oy): a dark
// outline, a light and a dark bevel, magenta outside the rounded corners.
static void button_face(Pic &p, int ox, int oy, int w, int h, bool pressed,
                        Colour face, double radius)
{
    const Colour outline = RGB3(72, 74, 80), light = RGB3(255, 255, 255),
                 dark = RGB3(140, 138, 134);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double d = rounded(x + 0.5, y + 0.5, 0, 0, w, h, radius);
            Colour c = MAGENTA;
            if (d < -0.3) {
                c = face;
                if (d > -1.3) {
                    c = outline;
                } else if (d > -2.3) {
                    // The bevel: light above and left of the diagonal.
                    bool upper = x + y < (w + h) / 2 - 1 ? true
                                 : x + y > (w + h) / 2     ? false
                                                           : x < w / 2;
                    c = upper != pressed ? light : dark;
                }
            }
            at(p, ox + x, oy + y) = c;
        }
}

// 110: the push-button frame, normal in rows 0-14 and pressed in 15-29.
// The stretching repeats column 9, column 10 and rows 7 and 8, so those
// hold plain edge and face.
static Pic make_frame(void)
{
    Pic p = pic(20, 30, MAGENTA);
    button_face(p, 0, 0, 20, 15, false, RGB3(214, 211, 206), 4);
    button_face(p, 0, 15, 20, 15, true, RGB3(198, 195, 190), 4);
    return p;
}

// 111: six caption-button cells of 13 x 13 (minimize, restore, maximize,
// close, arrow, blank); normal on top, pressed below, the glyph one pixel
// lower right when pressed.
static Pic make_caption(void)
{
    static const char *glyphs[6][7] = {
        {".......", ".......", ".......", ".......", ".......", "#####..",
         "#####.."},
        {"..#####", "..#####", "..#...#", "#####.#", "#####.#", "#...###",
         "#####.."},
        {"#######", "#######", "#.....#", "#.....#", "#.....#", "#.....#",
         "#######"},
        {"##...##", ".##.##.", "..###..", "...#...", "..###..", ".##.##.",
         "##...##"},
        {".......", ".......", "#######", ".#####.", "..###..", "...#...",
         "......."},
        {".......", ".......", ".......", ".......", ".......", ".......",
         "......."}};
    Pic p = pic(78, 26, MAGENTA);
    for (int i = 0; i < 6; i++)
        for (int pressed = 0; pressed < 2; pressed++) {
            int ox = 13 * i, oy = 13 * pressed;
            button_face(p, ox, oy, 13, 13, pressed != 0,
                        pressed ? RGB3(196, 193, 188) : RGB3(214, 211, 206), 3);
            for (int y = 0; y < 7; y++)
                for (int x = 0; x < 7; x++)
                    if (glyphs[i][y][x] == '#')
                        at(p, ox + 3 + x + pressed, oy + 3 + y + pressed) =
                            RGB3(24, 28, 40);
        }
    return p;
}

// ---- the knob (112) ----

// A turned metal knob lit from the upper left: a dark rim with a knurled
// edge, a domed cap with a soft highlight and circular brushing, on yellow.
static Pic make_knob(void)
{
    Pic p = pic(47, 47, YELLOW);
    const double c = 23.5;
    for (int y = 0; y < 47; y++)
        for (int x = 0; x < 47; x++) {
            double dx = x + 0.5 - c, dy = y + 0.5 - c, d = sqrt(dx * dx + dy * dy);
            if (d > 23.2)
                continue;
            double a = atan2(dy, dx);
            double light = -(dx + dy) / (d + 1e-9) * 0.5 + 0.5;   // 1 at upper left
            double v;
            if (d > 21.8) {
                v = 0.18 + 0.2 * light;                            // outline
            } else if (d > 18.5) {
                double ridge = 0.5 + 0.5 * cos(a * 24);            // knurling
                v = 0.30 + 0.35 * light + 0.12 * ridge;
            } else if (d > 17.3) {
                v = 0.85 - 0.55 * light;                           // bevel, the shadow side lit
            } else {
                double hx = dx + 6, hy = dy + 6, h = sqrt(hx * hx + hy * hy);
                v = 0.55 + 0.25 * light + 0.30 * exp(-h * h / 60.0) +
                    0.04 * cos(d * 2.2);
            }
            at(p, x, y) = grey((int)lround(step(v, 48) * 255));
        }
    return p;
}

// ---- the maker's logo (114, 115) ----

// A small knob mark and the word "Vellum" in the dot-matrix letters, on red.
static Pic make_logo(bool inverse)
{
    Pic p = pic(46, 19, RED);
    Colour ring = inverse ? RGB3(255, 255, 255) : RGB3(20, 40, 96),
           cap = inverse ? RGB3(255, 196, 64) : RGB3(72, 132, 220),
           ink = inverse ? RGB3(255, 255, 255) : RGB3(16, 24, 48);
    for (int y = 0; y < 19; y++)
        for (int x = 0; x < 10; x++) {
            double dx = x + 0.5 - 5, dy = y + 0.5 - 9.5, d = sqrt(dx * dx + dy * dy);
            if (d <= 4.9)
                at(p, x, y) = d > 3.8 ? ring : cap;
        }
    // The mark's pointer, at one o'clock.
    at(p, 5, 8) = ink;
    at(p, 6, 7) = ink;
    at(p, 6, 6) = ink;
    const char *word = "Vellum";
    for (int i = 0; word[i]; i++)
        for (int col = 0; col < 5; col++)
            for (int row = 0; row < 7; row++)
                if (font_dot(word[i], col, row))
                    at(p, 11 + 6 * i + col, 6 + row) = ink;
    // An underline, the variants' colours swapped.
    for (int x = 11; x < 46; x++)
        at(p, x, 15) = cap;
    return p;
}

// ---- LED sockets (117, 119) ----

// A sunken bezel on yellow; the lens (filled by the factory in the LED's
// colour) starts as a dark red.
static Pic make_socket(int n, double lens)
{
    Pic p = pic(n, n, YELLOW);
    double c = n / 2.0;
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double dx = x + 0.5 - c, dy = y + 0.5 - c, d = sqrt(dx * dx + dy * dy);
            if (d > c - 0.1)
                continue;
            // A rim darker on the upper left, so the lens sits in a hollow.
            double light = (dx + dy) / (d + 1e-9) * 0.5 + 0.5;   // 1 at lower right
            if (d <= lens)
                at(p, x, y) = RGB3(96, 0, 0);
            else if (d > c - 1.1)
                at(p, x, y) = grey((int)lround(step(0.2 + 0.25 * light, 4) * 255));
            else
                at(p, x, y) = grey((int)lround(step(0.45 + 0.45 * light, 5) * 255));
        }
    return p;
}

// ---- arrows (120, 121) and the folder (122) ----

// A dark triangle with a light inner edge.  dir: 0 up, 1 down, 2 left,
// 3 right; the triangle fills the box (l, t) - (r, b).
static void triangle(Pic &p, int l, int t, int r, int b, int dir)
{
    for (int y = t; y < b; y++)
        for (int x = l; x < r; x++) {
            double u, v;   // u along the arrow (0 tip, 1 base), v across (-1..1)
            double fx = (x + 0.5 - l) / (r - l), fy = (y + 0.5 - t) / (b - t);
            switch (dir) {
            case 0: u = fy, v = fx * 2 - 1; break;
            case 1: u = 1 - fy, v = fx * 2 - 1; break;
            case 2: u = fx, v = fy * 2 - 1; break;
            default: u = 1 - fx, v = fy * 2 - 1; break;
            }
            if (fabs(v) > u + 0.12)
                continue;
            at(p, x, y) = fabs(v) > u - 0.2 || u > 0.88 ? RGB3(24, 28, 40)
                                                         : RGB3(70, 96, 150);
        }
}

static Pic make_arrows_v(void)
{
    Pic p = pic(14, 52, MAGENTA);
    triangle(p, 1, 8, 13, 19, 0);
    triangle(p, 1, 33, 13, 44, 1);
    return p;
}

static Pic make_arrows_h(void)
{
    Pic p = pic(11, 9, MAGENTA);
    triangle(p, 0, 1, 5, 8, 2);
    triangle(p, 6, 1, 11, 8, 3);
    return p;
}

// A manila folder: its tab and back a shade lighter than the front, an
// edge of light along the front's top, a shadow to the right.
static Pic make_folder(void)
{
    static const char *rows[14] = {
        "...................", ".######............", "#******#...........",
        "#******##########..", "#****************#.", "#----------------#s",
        "#++++++++++++++++#s", "#++++++++++++++++#s", "#++++++++++++++++#s",
        "#++++++++++++++++#s", "#================#s", "#================#s",
        "##################s", ".sssssssssssssssss."};
    Pic p = pic(19, 14, MAGENTA);
    for (int y = 0; y < 14; y++)
        for (int x = 0; x < 19; x++) {
            switch (rows[y][x]) {
            case '#': at(p, x, y) = RGB3(120, 84, 20); break;
            case '*': at(p, x, y) = RGB3(250, 222, 140); break;
            case '-': at(p, x, y) = RGB3(255, 240, 190); break;
            case '+': at(p, x, y) = RGB3(240, 200, 96); break;
            case '=': at(p, x, y) = RGB3(222, 176, 72); break;
            case 's': at(p, x, y) = RGB3(150, 140, 128); break;
            }
        }
    return p;
}

// ---- the hand cursors (102-106) ----

// A hand is built of parts painted in order, each with a black outline and
// a white inside, so a finger in front keeps its outline over the palm.
struct Part {
    char kind;   // 'c' capsule a-b radius r, 'r' rounded rectangle a,b-c,d
                 // corner r, 'l' black line a-b, 'a' black arc: centre a,b,
                 // radius c, from angle d to r (degrees)
    double a, b, c, d, r;
};

struct Hand {
    const char *name;
    int hotX, hotY;
    Part parts[16];
};

// 0 transparent, 1 black, 2 white.
typedef std::vector<uint8_t> Mono;

static double capsule(double x, double y, const Part &q)
{
    double vx = q.c - q.a, vy = q.d - q.b, wx = x - q.a, wy = y - q.b;
    double t = (wx * vx + wy * vy) / (vx * vx + vy * vy + 1e-9);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    double dx = wx - t * vx, dy = wy - t * vy;
    return sqrt(dx * dx + dy * dy) - q.r;
}

static Mono draw_hand(const Hand &h)
{
    Mono m(32 * 32, 0);
    for (const Part &q : h.parts) {
        if (!q.kind)
            break;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++) {
                double px = x + 0.5, py = y + 0.5;
                uint8_t &out = m[y * 32 + x];
                if (q.kind == 'l') {
                    if (capsule(px, py, q) < 0)
                        out = 1;
                } else if (q.kind == 'a') {
                    double dx = px - q.a, dy = py - q.b;
                    double ang = atan2(dy, dx) * 180 / M_PI;
                    if (ang < 0)
                        ang += 360;
                    if (fabs(sqrt(dx * dx + dy * dy) - q.c) < 0.75 &&
                        ang >= q.d && ang <= q.r)
                        out = 1;
                } else {
                    double d = q.kind == 'c'
                                   ? capsule(px, py, q)
                                   : rounded(px, py, q.a, q.b, q.c, q.d, q.r);
                    if (d < -1)
                        out = 2;
                    else if (d < 0)
                        out = 1;
                }
            }
    }
    return m;
}

// The hot spot sits on the outline of the finger or fingers that point.
static const Hand hands[5] = {
    {"turn.cur", 2, 3,   // 102: pinching thumb and finger, a turning arrow
     {{'r', 9, 8, 21, 21, 4},
      {'c', 13, 8.5, 13, 11, 2},
      {'c', 16, 9, 16, 11.5, 2},
      {'c', 19, 10, 19, 12.5, 1.9},
      {'c', 3.9, 4.3, 11, 9.5, 2},
      {'c', 5, 6.5, 10, 15, 2.2},
      {'r', 12, 20, 21, 26, 1},
      {'a', 14, 15, 13.5, 100, 160},
      {'l', 1.2, 20, 1.5, 16, 0.6},
      {'l', 1.2, 20, 5, 18.5, 0.6}}},
    {"pointdown.cur", 5, 0,   // 103: pointing, pressed
     {{'r', 4, 8, 17, 21, 3},
      {'c', 9.5, 9.5, 9.5, 12, 2.3},
      {'c', 12.5, 9.5, 12.5, 12.5, 2.3},
      {'c', 15, 10, 15, 13, 2.2},
      {'c', 5.5, 2.3, 5.5, 11, 2.3},
      {'c', 4.5, 16, 1.8, 11.5, 2.2},
      {'r', 6, 20, 17, 26, 1},
      {'l', 0.8, 0.8, 2.2, 2.4, 0.6},
      {'l', 10.2, 0.8, 8.8, 2.4, 0.6}}},
    {"hand.cur", 7, 0,   // 104: open hand
     {{'r', 2, 11, 17, 24, 4},
      {'c', 4, 3.5, 4.2, 13, 2},
      {'c', 7.5, 2, 7.8, 13, 2},
      {'c', 11.2, 3, 11.2, 13, 2},
      {'c', 14.6, 6, 14.3, 13, 1.9},
      {'c', 16, 19, 20.5, 12.5, 2.2},
      {'r', 4, 23, 16, 29, 1}}},
    {"grab.cur", 7, 0,   // 105: closed, grabbing hand
     {{'r', 2, 5, 17, 20, 4},
      {'c', 4, 3.5, 4, 7, 2},
      {'c', 7.5, 2, 7.5, 7, 2},
      {'c', 11, 2.5, 11, 7, 2},
      {'c', 14.5, 4, 14.5, 8, 1.9},
      {'l', 3, 6.5, 5, 6.5, 0.5},   // the fingertips folded under
      {'l', 6.5, 6.5, 8.5, 6.5, 0.5},
      {'l', 10, 6.5, 12, 6.5, 0.5},
      {'l', 13.5, 7.5, 15.5, 7.5, 0.5},
      {'c', 17, 16, 10, 11.5, 2.2},
      {'r', 4, 19, 16, 25, 1}}},
    {"point.cur", 5, 0,   // 106: pointing hand
     {{'r', 4, 11, 17, 24, 3},
      {'c', 9.5, 12.5, 9.5, 15, 2.3},
      {'c', 12.5, 12.5, 12.5, 15.5, 2.3},
      {'c', 15, 13, 15, 16, 2.2},
      {'c', 5.5, 2.3, 5.5, 14, 2.3},
      {'c', 4.5, 19, 1.8, 14.5, 2.2},
      {'r', 6, 23, 17, 29, 1}}},
};

// ---- files ----

static uint32_t get16(const Bytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

static uint32_t get32(const Bytes &b, size_t at)
{
    return get16(b, at) | get16(b, at + 2) << 16;
}


// One row of palette indices as BI_RLE8: runs of two or more as a count
// and an index, other stretches of three or more literally (padded to a
// word), what is left as runs of one.
static void rle8_row(Bytes &out, const uint8_t *row, int w)
{
    auto run_at = [&](int i) {
        int n = 1;
        while (i + n < w && n < 255 && row[i + n] == row[i])
            n++;
        return n;
    };
    int i = 0;
    while (i < w) {
        int run = run_at(i);
        if (run >= 2) {
            out.push_back((uint8_t)run);
            out.push_back(row[i]);
            i += run;
            continue;
        }
        int j = i;
        while (j < w) {
            int r = run_at(j);
            if (r >= 3 || j - i + r > 255)
                break;
            j += r;
        }
        int n = j - i;
        if (n < 3) {
            for (int k = 0; k < n; k++) {
                out.push_back(1);
                out.push_back(row[i + k]);
            }
        } else {
            out.push_back(0);
            out.push_back((uint8_t)n);
            out.insert(out.end(), row + i, row + j);
            if (n & 1)
                out.push_back(0);
        }
        i = j;
    }
}

// The smallest of 4 bits, 8 bits and BI_RLE8 that holds the picture.
static Bytes bmp_file(const Pic &p)
{
    std::vector<Colour> palette(p.px);
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    if (palette.size() > 256) {
        fprintf(stderr, "mkkart: a %dx%d picture has %zu colours\n", p.w, p.h,
                palette.size());
        return Bytes();
    }
    std::vector<uint8_t> index(p.px.size());
    for (size_t i = 0; i < p.px.size(); i++)
        index[i] = (uint8_t)(std::lower_bound(palette.begin(), palette.end(),
                                              p.px[i]) - palette.begin());
    Bytes best;
    for (int form = 0; form < 3; form++) {
        int bits = form == 0 ? 4 : 8;
        if (form == 0 && palette.size() > 16)
            continue;
        Bytes image;
        for (int y = p.h - 1; y >= 0; y--) {   // bottom-up
            const uint8_t *row = &index[(size_t)y * p.w];
            if (form == 2) {
                rle8_row(image, row, p.w);
                image.push_back(0);   // end of line
                image.push_back(0);
                continue;
            }
            Bytes r((size_t)((p.w * bits + 31) / 32 * 4), 0);
            for (int x = 0; x < p.w; x++)
                if (bits == 8)
                    r[x] = row[x];
                else
                    r[x / 2] |= row[x] << (x % 2 ? 0 : 4);
            image.insert(image.end(), r.begin(), r.end());
        }
        if (form == 2)
            image.back() = 1;   // the last end of line ends the bitmap
        Bytes b = {'B', 'M'};
        put32(b, 0);
        put32(b, 0);
        put32(b, 0);
        art_InfoHeader(b, p.w, p.h, bits, form == 2 ? 1 : 0,
                    (uint32_t)image.size(), palette);
        uint32_t off = (uint32_t)b.size();
        b.insert(b.end(), image.begin(), image.end());
        for (int i = 0; i < 4; i++) {
            b[2 + i] = (uint8_t)(b.size() >> (8 * i));
            b[10 + i] = (uint8_t)(off >> (8 * i));
        }
        if (best.empty() || b.size() < best.size())
            best = b;
    }
    return best;
}

// Reads back what bmp_file writes (4 or 8 bits, BI_RGB or BI_RLE8); every
// size and offset is checked against the file.  False on anything else.
static bool bmp_read(const Bytes &b, Pic &p)
{
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || get32(b, 14) != 40)
        return false;
    int32_t w = (int32_t)get32(b, 18), h = (int32_t)get32(b, 22);
    uint32_t bits = get16(b, 28), comp = get32(b, 30), used = get32(b, 46),
             off = get32(b, 10);
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096 || (bits != 4 && bits != 8) ||
        comp > 1 || (comp == 1 && bits != 8))
        return false;
    if (used == 0)
        used = 1u << bits;
    if (used > (1u << bits) || 54 + 4 * (uint64_t)used > off || off > b.size())
        return false;
    std::vector<Colour> palette;
    for (uint32_t i = 0; i < used; i++)
        palette.push_back(get32(b, 54 + 4 * i) & 0xFFFFFF);
    p = pic(w, h, 0);
    auto put = [&](int x, int y, unsigned idx) {
        if (idx >= used || x >= w || y < 0)
            return false;
        at(p, x, y) = palette[idx];
        return true;
    };
    size_t q = off;
    if (comp == 0) {
        uint64_t stride = ((uint64_t)w * bits + 31) / 32 * 4;
        if (stride * h > b.size() - off)
            return false;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const uint8_t *row = &b[off + stride * (h - 1 - y)];
                unsigned idx = bits == 8 ? row[x] : row[x / 2] >> (x % 2 ? 0 : 4) & 15;
                if (!put(x, y, idx))
                    return false;
            }
        return true;
    }
    int x = 0, y = h - 1;
    for (;;) {
        if (q + 2 > b.size())
            return false;
        unsigned n = b[q], v = b[q + 1];
        q += 2;
        if (n) {
            for (unsigned i = 0; i < n; i++)
                if (!put(x++, y, v))
                    return false;
        } else if (v == 0) {
            if (x != w)
                return false;
            x = 0, y--;
        } else if (v == 1) {
            return x == w && y == 0;
        } else if (v == 2) {
            return false;   // deltas are never written
        } else {
            if (q + v + (v & 1) > b.size())
                return false;
            for (unsigned i = 0; i < v; i++)
                if (!put(x++, y, b[q + i]))
                    return false;
            q += v + (v & 1);
        }
    }
}

// A monochrome .cur: one 32 x 32 image with its hot spot, the XOR mask
// (white where 1) and the AND mask (clear where 1), rows bottom-up.
static Bytes cur_file(const Mono &m, int hotX, int hotY)
{
    Bytes img;
    art_InfoHeader(img, 32, 64, 1, 0, 256, {0x000000, 0xFFFFFF});
    for (int mask = 0; mask < 2; mask++)
        for (int y = 31; y >= 0; y--)
            for (int byte = 0; byte < 4; byte++) {
                uint8_t v = 0;
                for (int bit = 0; bit < 8; bit++) {
                    uint8_t px = m[y * 32 + byte * 8 + bit];
                    if (mask == 0 ? px == 2 : px == 0)
                        v |= 0x80 >> bit;
                }
                img.push_back(v);
            }
    Bytes b;
    put16(b, 0);
    put16(b, 2);   // a cursor
    put16(b, 1);
    b.push_back(32);
    b.push_back(32);
    b.push_back(2);
    b.push_back(0);
    put16(b, (unsigned)hotX);
    put16(b, (unsigned)hotY);
    put32(b, (uint32_t)img.size());
    put32(b, 22);
    b.insert(b.end(), img.begin(), img.end());
    return b;
}

static bool cur_read(const Bytes &b, Mono &m, int &hotX, int &hotY)
{
    if (b.size() != 22 + 40 + 8 + 256 || get16(b, 2) != 2 || get16(b, 4) != 1 ||
        get32(b, 18) != 22 || get32(b, 22) != 40 || get32(b, 26) != 32 ||
        get32(b, 30) != 64 || get16(b, 36) != 1)
        return false;
    hotX = (int)get16(b, 10);
    hotY = (int)get16(b, 12);
    m.assign(32 * 32, 0);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            size_t row = 22 + 48 + (31 - y) * 4 + x / 8;
            bool xr = b[row] & (0x80 >> (x % 8)), nd = b[row + 128] & (0x80 >> (x % 8));
            m[y * 32 + x] = nd ? 0 : xr ? 2 : 1;
        }
    return true;
}

// ---- the set, and what the gadgets rely on ----

struct Art {
    const char *name;
    int id;
    Pic (*make)(void);
    int w, h;
    // Key pixels: each of these must hold the key colour.
    int keys[6][2];
    int nkeys;
    Colour key;
    // A pixel of the subject, which must not be transparent.
    int innerX, innerY;
};

static Pic logo0(void) { return make_logo(false); }
static Pic logo1(void) { return make_logo(true); }
static Pic socket_small(void) { return make_socket(7, 2.6); }
static Pic socket_large(void) { return make_socket(12, 3.2); }

static const Art arts[] = {
    {"ledchars.bmp", 107, make_led_chars, 512, 66, {{0, 0}, {16, 22}, {480, 44}}, 3, BLACK, -1, -1},
    {"texture.bmp", 109, make_texture, 151, 151, {}, 0, 0, -1, -1},
    {"frame.bmp", 110, make_frame, 20, 30, {{0, 0}, {19, 0}, {0, 15}, {19, 29}}, 4,
     MAGENTA, 9, 8},
    {"caption.bmp", 111, make_caption, 78, 26,
     {{0, 0}, {13, 0}, {26, 13}, {39, 13}, {52, 0}, {77, 25}}, 6, MAGENTA, 6, 6},
    {"knob.bmp", 112, make_knob, 47, 47, {{0, 0}, {46, 46}}, 2, YELLOW, 23, 23},
    {"logo.bmp", 114, logo0, 46, 19, {{0, 0}}, 1, RED, 5, 9},
    {"logo2.bmp", 115, logo1, 46, 19, {{0, 0}}, 1, RED, 5, 9},
    {"led.bmp", 117, socket_small, 7, 7, {{0, 0}}, 1, YELLOW, 3, 3},
    {"bigled.bmp", 119, socket_large, 12, 12, {{0, 0}}, 1, YELLOW, 6, 6},
    {"arrows.bmp", 120, make_arrows_v, 14, 52, {{0, 0}, {0, 26}}, 2, MAGENTA, 7, 16},
    {"arrows2.bmp", 121, make_arrows_h, 11, 9, {{0, 0}, {8, 0}}, 2, MAGENTA, 2, 4},
    {"folder.bmp", 122, make_folder, 19, 14, {{0, 0}}, 1, MAGENTA, 9, 8},
};

static const int hand_ids[5] = {102, 103, 104, 105, 106};

// What a gadget would see wrongly if the picture changed shape: sizes, key
// pixels, the lens the factory fills, a glyph in every character cell.
static bool check_picture(const Art &a, const Pic &p)
{
    bool ok = true;
    auto fail = [&](const char *what, int x, int y) {
        fprintf(stderr, "mkkart: %s (%d): %s at (%d, %d)\n", a.name, a.id, what, x, y);
        ok = false;
    };
    if (p.w != a.w || p.h != a.h) {
        fail("wrong size", p.w, p.h);
        return false;
    }
    for (int i = 0; i < a.nkeys; i++)
        if (at(p, a.keys[i][0], a.keys[i][1]) != a.key)
            fail("no key colour", a.keys[i][0], a.keys[i][1]);
    if (a.innerX >= 0 && at(p, a.innerX, a.innerY) == a.key)
        fail("key colour on the subject", a.innerX, a.innerY);
    if (a.id == 107)
        for (int c = 32; c < 128; c++) {
            int ox = (c - 32) % 32 * CELL_W, oy = (c - 32) / 32 * CELL_H, lit = 0;
            for (int y = 0; y < CELL_H; y++)
                for (int x = 0; x < CELL_W; x++)
                    lit += (at(p, ox + x, oy + y) >> 16) == 255;
            if ((c == 32) != (lit == 0))
                fail(c == 32 ? "lit dots in the space" : "a character without lit dots",
                     ox, oy);
        }
    return ok;
}

static bool check_hand(int id, const Hand &h, const Mono &m)
{
    bool ok = m[h.hotY * 32 + h.hotX] == 1;
    if (!ok)
        fprintf(stderr, "mkkart: %s (%d): hot spot (%d, %d) is not on the outline\n",
                h.name, id, h.hotX, h.hotY);
    return ok;
}

// ---- the contact sheet ----

struct Sheet {
    Pic p;
    int x, y, rowH;
};

static void sheet_label(Sheet &s, int x, int y, const char *text)
{
    for (int i = 0; text[i]; i++)
        for (int col = 0; col < 5; col++)
            for (int row = 0; row < 7; row++)
                if (font_dot((unsigned char)text[i], col, row))
                    for (int k = 0; k < 4; k++) {
                        int px = x + 12 * i + 2 * col + k % 2, py = y + 2 * row + k / 2;
                        if (px < s.p.w && py < s.p.h)
                            at(s.p, px, py) = RGB3(240, 240, 240);
                    }
}

// Places a w x h picture at the next free place, scaled, with its label.
static void sheet_add(Sheet &s, const char *label, int w, int h, int scale,
                      Colour (*pixel)(const void *, int, int), const void *ctx)
{
    int W = w * scale, H = h * scale + 22;
    if (s.x + W + 16 > s.p.w) {
        s.x = 16;
        s.y += s.rowH + 16;
        s.rowH = 0;
    }
    if (s.y + H + 16 > s.p.h)
        s.p.h = s.y + H + 16;   // grown below, cut at the end
    s.p.px.resize((size_t)s.p.w * s.p.h, RGB3(60, 64, 72));
    for (int y = 0; y < h * scale; y++)
        for (int x = 0; x < W; x++)
            at(s.p, s.x + x, s.y + 22 + y) = pixel(ctx, x / scale, y / scale);
    sheet_label(s, s.x, s.y + 2, label);
    s.x += W + 16;
    s.rowH = std::max(s.rowH, H);
}

static Colour pic_pixel(const void *ctx, int x, int y)
{
    return at(*(const Pic *)ctx, x, y);
}

static Colour cur_pixel(const void *ctx, int x, int y)
{
    uint8_t v = (*(const Mono *)ctx)[y * 32 + x];
    return v == 1 ? BLACK : v == 2 ? 0xFFFFFF : (x + y) % 2 ? grey(150) : grey(180);
}

static Bytes bmp24(const Pic &p)
{
    uint32_t stride = (uint32_t)(p.w * 3 + 3) & ~3u;
    Bytes b = {'B', 'M'};
    put32(b, 54 + stride * p.h);
    put32(b, 0);
    put32(b, 54);
    art_InfoHeader(b, p.w, p.h, 24, 0, stride * p.h, {});
    for (int y = p.h - 1; y >= 0; y--) {
        for (int x = 0; x < p.w; x++) {
            Colour c = p.px[(size_t)y * p.w + x];
            b.push_back(c & 0xFF);
            b.push_back(c >> 8 & 0xFF);
            b.push_back(c >> 16 & 0xFF);
        }
        for (uint32_t i = (uint32_t)p.w * 3; i < stride; i++)
            b.push_back(0);
    }
    return b;
}

// ---- main ----

static int make_sheet(const std::string &dir, const std::string &out)
{
    Sheet s = {pic(1072, 16, RGB3(60, 64, 72)), 16, 16, 0};
    for (const Art &a : arts) {
        Bytes b;
        Pic p;
        if (!read_file(dir + "/" + a.name, b) || !bmp_read(b, p)) {
            fprintf(stderr, "mkkart: cannot read %s/%s\n", dir.c_str(), a.name);
            return 1;
        }
        char label[32];
        snprintf(label, sizeof label, "%d", a.id);
        sheet_add(s, label, p.w, p.h, p.w > 200 ? 2 : p.w > 100 ? 2 : p.w > 40 ? 4 : 6,
                  pic_pixel, &p);
    }
    for (int i = 0; i < 5; i++) {
        Bytes b;
        Mono m;
        int hx, hy;
        if (!read_file(dir + "/" + hands[i].name, b) || !cur_read(b, m, hx, hy)) {
            fprintf(stderr, "mkkart: cannot read %s/%s\n", dir.c_str(), hands[i].name);
            return 1;
        }
        char label[32];
        snprintf(label, sizeof label, "%d", hand_ids[i]);
        sheet_add(s, label, 32, 32, 4, cur_pixel, &m);
    }
    s.p.h = s.y + s.rowH + 16;
    s.p.px.resize((size_t)s.p.w * s.p.h, RGB3(60, 64, 72));
    if (!write_file(out, bmp24(s.p))) {
        fprintf(stderr, "mkkart: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "--sheet") == 0)
        return make_sheet(argv[2], argv[3]);
    bool check = argc == 3 && strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        fprintf(stderr, "usage: mkkart DIR | mkkart --check DIR | "
                        "mkkart --sheet DIR OUT.bmp\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    int rc = 0;
    std::vector<ArtFile> files;
    for (const Art &a : arts) {
        Pic p = a.make();
        Bytes b = bmp_file(p);
        Pic back;
        if (b.empty() || !bmp_read(b, back) || back.px != p.px) {
            fprintf(stderr, "mkkart: %s (%d) does not read back\n", a.name, a.id);
            rc = 1;
        }
        if (!check_picture(a, p))
            rc = 1;
        files.push_back({a.name, b});
    }
    for (int i = 0; i < 5; i++) {
        Mono m = draw_hand(hands[i]), back;
        Bytes b = cur_file(m, hands[i].hotX, hands[i].hotY);
        int hx, hy;
        if (!cur_read(b, back, hx, hy) || back != m || hx != hands[i].hotX ||
            hy != hands[i].hotY) {
            fprintf(stderr, "mkkart: %s (%d) does not read back\n", hands[i].name,
                    hand_ids[i]);
            rc = 1;
        }
        if (!check_hand(hand_ids[i], hands[i], m))
            rc = 1;
        files.push_back({hands[i].name, b});
    }
    return art_emit("mkkart", dir, check, files) | rc;
}
