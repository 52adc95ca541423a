// mkart.cpp -- setup's artwork, drawn by code so that it can be remade:
//   mkart DIR          writes DIR/tile.bmp, DIR/setup.ico, DIR/uninstall.ico
//   mkart --check DIR  exit 0 when the files hold exactly what mkart makes
//
// tile.bmp: the wizard's background tile, 100 x 300, 8 bits per pixel,
// run-length encoded (BI_RLE8): a calm vertical gradient from pale aqua to
// light sea blue with a faint diamond grid of dots whose period (20 pixels)
// divides the width, so tiles meet without a seam.  Rows are runs of one
// colour, which is what keeps it small.
// setup.ico: a package box in front of a disc, 32 x 32 at 4
// bits per pixel with a mask, drawn with 4 x 4 supersampling and mapped to
// a palette of sixteen colours.
// uninstall.ico: the same box, the disc gone, with a red badge and a white
// bar across it (taking away), in the same manner.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "artfile.h"

static void set32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (v >> (8 * i)) & 0xFF;
}

struct Rgb {
    double r, g, b;
};

static Rgb mix(Rgb a, Rgb c, double t)
{
    return {a.r + (c.r - a.r) * t, a.g + (c.g - a.g) * t,
            a.b + (c.b - a.b) * t};
}

// BITMAPINFOHEADER with the palette after it.
static void info_header(Bytes &b, int w, int h, int bits, uint32_t compression,
                        uint32_t image, const std::vector<Rgb> &palette)
{
    std::vector<uint32_t> packed;
    for (const Rgb &c : palette)
        packed.push_back((uint32_t)lround(c.r) << 16 |
                         (uint32_t)lround(c.g) << 8 | (uint32_t)lround(c.b));
    art_InfoHeader(b, w, h, bits, compression, image, packed);
}

// ---- the tile ----

#define TILE_W      100
#define TILE_H      300
#define TILE_LEVELS 50    // gradient steps: 6 rows each
#define TILE_DOT    20    // grid period in both directions

static Bytes make_tile(void)
{
    const Rgb top = {234, 248, 250}, bottom = {158, 210, 224};
    std::vector<Rgb> palette;
    for (int i = 0; i < TILE_LEVELS; i++)
        palette.push_back(mix(top, bottom, i / (double)(TILE_LEVELS - 1)));
    // Dots: a touch lighter than the band they sit on, one shade per ten
    // levels.
    for (int i = 0; i < TILE_LEVELS / 10; i++)
        palette.push_back(mix(palette[i * 10 + 5], {255, 255, 255}, 0.45));

    Bytes rle;
    for (int y = TILE_H - 1; y >= 0; y--) {   // bottom-up
        uint8_t level = (uint8_t)(y * TILE_LEVELS / TILE_H);
        uint8_t dot = (uint8_t)(TILE_LEVELS + level / 10);
        int phase = y % TILE_DOT == 0 ? 0 : y % TILE_DOT == TILE_DOT / 2
                                                ? TILE_DOT / 2 : -1;
        int x = 0;
        while (x < TILE_W) {
            if (phase >= 0 && x % TILE_DOT == phase) {
                rle.push_back(1);
                rle.push_back(dot);
                x++;
                continue;
            }
            int run = 0;
            while (x + run < TILE_W &&
                   !(phase >= 0 && (x + run) % TILE_DOT == phase))
                run++;
            rle.push_back((uint8_t)run);
            rle.push_back(level);
            x += run;
        }
        rle.push_back(0);   // end of line
        rle.push_back(0);
    }
    rle.back() = 1;         // the last one ends the bitmap

    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, 0);            // file size, below
    put32(b, 0);
    put32(b, 0);            // pixel offset, below
    info_header(b, TILE_W, TILE_H, 8, 1 /* BI_RLE8 */, (uint32_t)rle.size(),
                palette);
    set32(b, 10, (uint32_t)b.size());
    b.insert(b.end(), rle.begin(), rle.end());
    set32(b, 2, (uint32_t)b.size());
    return b;
}

// ---- the icon ----

struct Pt {
    double x, y;
};

// Inside a convex polygon given clockwise (y down).
static bool inside(const Pt *p, int n, double x, double y)
{
    for (int i = 0; i < n; i++) {
        Pt a = p[i], c = p[(i + 1) % n];
        if ((c.x - a.x) * (y - a.y) - (c.y - a.y) * (x - a.x) < 0)
            return false;
    }
    return true;
}

// A picture in unit coordinates: colour and coverage of one point.
typedef bool (*Sampler)(double x, double y, Rgb *out);

// The box with its tape, shared by both icons.
static bool box(double x, double y, Rgb *out)
{
    static const Pt top[] = {{0.06, 0.56}, {0.40, 0.43}, {0.74, 0.56},
                             {0.40, 0.69}};
    static const Pt left[] = {{0.06, 0.56}, {0.40, 0.69}, {0.40, 0.97},
                              {0.06, 0.84}};
    static const Pt right[] = {{0.40, 0.69}, {0.74, 0.56}, {0.74, 0.84},
                               {0.40, 0.97}};
    // The tape across the lid, from the left corner's edge to the right.
    static const Pt tape[] = {{0.19, 0.51}, {0.27, 0.48}, {0.61, 0.61},
                              {0.53, 0.64}};
    if (inside(tape, 4, x, y)) {
        *out = {236, 246, 248};
        return true;
    }
    if (inside(top, 4, x, y)) {
        *out = mix({150, 222, 232}, {96, 188, 208}, (y - 0.43) / 0.26);
        return true;
    }
    if (inside(left, 4, x, y)) {
        *out = {38, 116, 178};
        return true;
    }
    if (inside(right, 4, x, y)) {
        *out = {22, 78, 136};
        return true;
    }
    return false;
}

static bool setup_sample(double x, double y, Rgb *out)
{
    if (box(x, y, out))
        return true;
    // The disc behind the box: a silver face with a bright sweep, a hub
    // ring and a hole.
    double dx = x - 0.60, dy = y - 0.38, d = sqrt(dx * dx + dy * dy);
    if (d > 0.35 || d < 0.055)
        return false;
    if (d > 0.33) {
        *out = {70, 110, 150};   // rim
        return true;
    }
    if (d < 0.12) {
        *out = d < 0.075 ? Rgb{120, 140, 160} : Rgb{232, 238, 242};
        return true;
    }
    double a = atan2(dy, dx);
    double sweep = 0.5 + 0.5 * cos(2 * (a + 0.8));
    *out = mix({170, 196, 214}, {244, 250, 252}, sweep);
    return true;
}

// The badge: a red disc with a light rim and a white bar, over the box's
// right side and partly beyond it.
static bool uninstall_sample(double x, double y, Rgb *out)
{
    double dx = x - 0.70, dy = y - 0.32, d = sqrt(dx * dx + dy * dy);
    if (d <= 0.27) {
        if (fabs(dy) < 0.055 && fabs(dx) < 0.16)
            *out = {255, 255, 255};
        else if (d > 0.245)
            *out = {150, 20, 24};
        else
            *out = mix({236, 70, 60}, {196, 32, 32}, (dy + 0.27) / 0.54);
        return true;
    }
    return box(x, y + 0.02, out);
}

static const Rgb icon_palette[16] = {
    {0, 0, 0},       {22, 78, 136},   {38, 116, 178},  {70, 110, 150},
    {96, 188, 208},  {122, 204, 220}, {150, 222, 232}, {120, 140, 160},
    {170, 196, 214}, {200, 220, 232}, {226, 236, 242}, {244, 250, 252},
    {236, 246, 248}, {48, 96, 144},   {110, 160, 196}, {255, 255, 255}};

// The uninstaller's: the box's colours, three reds instead of the disc's
// greys.
static const Rgb uninstall_palette[16] = {
    {0, 0, 0},       {22, 78, 136},   {38, 116, 178},  {150, 20, 24},
    {96, 188, 208},  {122, 204, 220}, {150, 222, 232}, {196, 32, 32},
    {236, 70, 60},   {216, 50, 46},   {226, 236, 242}, {244, 250, 252},
    {236, 246, 248}, {48, 96, 144},   {110, 160, 196}, {255, 255, 255}};

static int nearest(const Rgb *icon_palette, Rgb c)
{
    int best = 0;
    double bestd = 1e30;
    for (int i = 0; i < 16; i++) {
        double dr = c.r - icon_palette[i].r, dg = c.g - icon_palette[i].g,
               db = c.b - icon_palette[i].b;
        double d = 0.30 * dr * dr + 0.59 * dg * dg + 0.11 * db * db;
        if (d < bestd) {
            bestd = d;
            best = i;
        }
    }
    return best;
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), the
// palette, 4-bit colours and the 1-bit mask, rows bottom-up.
static Bytes icon_image(int n, Sampler sample, const Rgb *icon_palette)
{
    std::vector<int> colour(n * n);
    std::vector<bool> clear(n * n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            Rgb sum = {0, 0, 0};
            int hits = 0;
            for (int sy = 0; sy < 4; sy++)
                for (int sx = 0; sx < 4; sx++) {
                    Rgb c;
                    if (sample((x + (sx + 0.5) / 4) / n,
                               (y + (sy + 0.5) / 4) / n, &c)) {
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                        hits++;
                    }
                }
            clear[y * n + x] = hits < 8;
            if (hits)
                colour[y * n + x] =
                    nearest(icon_palette, {sum.r / hits, sum.g / hits, sum.b / hits});
        }
    int xor_stride = (n / 2 + 3) & ~3, and_stride = (n / 8 + 3) & ~3;
    Bytes b;
    std::vector<Rgb> palette(icon_palette, icon_palette + 16);
    info_header(b, n, 2 * n, 4, 0,
                (uint32_t)((xor_stride + and_stride) * n), palette);
    for (int y = n - 1; y >= 0; y--) {
        Bytes row(xor_stride, 0);
        for (int x = 0; x < n; x++)
            if (!clear[y * n + x])
                row[x / 2] |= colour[y * n + x] << (x % 2 ? 0 : 4);
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; y--) {
        Bytes row(and_stride, 0);
        for (int x = 0; x < n; x++)
            if (clear[y * n + x])
                row[x / 8] |= 0x80 >> (x % 8);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

/* One 32 x 32 image: Windows scales it for the title bar, and a 16 x 16
 * image of its own would cost setup 300 bytes. */
static Bytes make_icon(Sampler sample, const Rgb *palette)
{
    const int sizes[1] = {32};
    Bytes images[1] = {icon_image(32, sample, palette)};
    const int count = 1;
    Bytes b;
    put16(b, 0);
    put16(b, 1);            // an icon
    put16(b, (uint16_t)count);
    uint32_t at = 6 + 16 * count;
    for (int i = 0; i < count; i++) {
        b.push_back((uint8_t)sizes[i]);
        b.push_back((uint8_t)sizes[i]);
        b.push_back(16);    // colours
        b.push_back(0);
        put16(b, 1);        // planes
        put16(b, 4);        // bits
        put32(b, (uint32_t)images[i].size());
        put32(b, at);
        at += (uint32_t)images[i].size();
    }
    for (int i = 0; i < count; i++)
        b.insert(b.end(), images[i].begin(), images[i].end());
    return b;
}

// ---- main ----

int main(int argc, char **argv)
{
    bool check = argc == 3 && strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        fprintf(stderr, "usage: mkart DIR | mkart --check DIR\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    return art_emit("mkart", dir, check,
                    {{"tile.bmp", make_tile()},
                     {"setup.ico", make_icon(setup_sample, icon_palette)},
                     {"uninstall.ico",
                      make_icon(uninstall_sample, uninstall_palette)}});
}
