/* Led.cpp -- the LED display: panels of segments and lines of dot-matrix text.
 *
 * A panel is a client picture whose segments the client's table cuts out;
 * only the lit ones are drawn, each where it sits in the picture.  A line
 * is a row of cells from the library's character strip, its bytes kept in
 * the record's label buffer, 32 to a line.  Panels and lines together are
 * centred as one in the control.  The LED takes no mouse input and posts
 * nothing.
 */
#include "kk_int.h"
#include "ident.h"

#include <stdlib.h>

MODULE_IDENT("knobkit/Led.cpp");

#define LED_STRIP    107      /* the character strip, a resource */
#define CELL_W       16       /* a character cell in the strip */
#define CELL_H       22
#define CELL_ADVANCE 18       /* two pixels of background between cells */
#define STRIP_COLS   32

typedef struct LedPanel {
    uint32_t segments;        /* bit b lit: segment b drawn */
    int32_t  x, y;            /* in the content area */
    HBITMAP  image, mask;     /* owned; null when none was made */
    const LedSegment *segmentTable;   /* the client's 32 entries */
} LedPanel;

typedef struct LedLine {
    uint32_t length;          /* cells, at most LED_LINE_MAX */
    int32_t  x, y;            /* the first cell, in the content area */
} LedLine;

/* Eight panels of three pointer-sized handles do not fit the record's
 * 248 private bytes on 64-bit Windows, so the LED's data is a block of
 * its own, made with the gadget and freed with it; the record holds only
 * the block's address. */
typedef struct LedBlock {
    LedPanel panels[LED_PANELS];
    LedLine  lines[LED_LINES];
    HBITMAP  charImage, charMask;     /* owned; loaded by led_CreateText */
} LedBlock;

/* The LED's private data. */
typedef struct LedData {
    LedBlock *block;
} LedData;

/* The block of an LED; null for a null gadget, another kind, or an LED
 * already freed, so the functions below leave those alone. */
static LedBlock *led_Block(const Gadget *g)
{
    if (!g || GAD_KIND(g) != GAD_LED)
        return NULL;
    return gad_Data<LedData>(g)->block;
}

/* The panel of index; null for an index outside 0-7, which would reach
 * past the block. */
static LedPanel *led_Panel(const Gadget *g, int panel)
{
    LedBlock *b = led_Block(g);
    if (!b || panel < 0 || panel >= LED_PANELS)
        return NULL;
    return &b->panels[panel];
}

static LedLine *led_Line(const Gadget *g, int line)
{
    LedBlock *b = led_Block(g);
    if (!b || line < 0 || line >= LED_LINES)
        return NULL;
    return &b->lines[line];
}

/* The bytes of line i in the label buffer. */
static char *line_Text(Gadget *g, int line)
{
    return g->text + LED_LINE_MAX * line;
}

/* The record's background becomes an owned solid brush of colour; a
 * colour that could not be read (CLR_INVALID) leaves it as it was. */
static void led_SetBackground(Gadget *g, COLORREF colour)
{
    if (colour == CLR_INVALID)
        return;
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    gad_ReleaseBrush(g);
    g->backColor = colour;
    g->hBrush = brush;
    g->state |= GS_OWNBRUSH;
}

/* ---- Drawing ---- */

static int max_Int(int a, int b)
{
    return a > b ? a : b;
}

/* Width and height of what the LED shows, from (0, 0) of its content
 * area: every panel with a picture and every line with cells. */
static SIZE led_ContentSize(const LedBlock *b)
{
    SIZE s = {0, 0};
    for (int i = 0; i < LED_PANELS; i++) {
        const LedPanel *p = &b->panels[i];
        if (!p->image)
            continue;
        int w, h;
        gad_GetBitmapSize(p->image, &w, &h);
        s.cx = max_Int(s.cx, p->x + w);
        s.cy = max_Int(s.cy, p->y + h);
    }
    for (int i = 0; i < LED_LINES; i++) {
        const LedLine *l = &b->lines[i];
        if (!l->length)
            continue;
        s.cx = max_Int(s.cx, l->x + CELL_ADVANCE * (int)l->length);
        s.cy = max_Int(s.cy, l->y + CELL_H);
    }
    return s;
}

/* The lit segments only, each from its place in the picture to the same
 * place on the LED.  A panel without a table has no segments to draw. */
static void led_DrawPanel(HDC dc, const LedPanel *p, POINT o)
{
    if (!p->image || !p->segmentTable)
        return;
    for (int bit = 0; bit < 32; bit++) {
        if (!(p->segments >> bit & 1))
            continue;
        const LedSegment *s = &p->segmentTable[bit];
        gad_DrawMaskedPart(dc, o.x + p->x + s->x, o.y + p->y + s->y, p->image,
                           p->mask, s->x, s->y, s->width, s->height);
    }
}

/* The strip holds characters 32 to 127 only; any other byte (the label
 * buffer takes whatever gad_SetText gives it) would be a cell outside
 * the strip, so it shows as a space. */
static int cell_Index(unsigned char byte)
{
    return byte >= 32 && byte <= 127 ? byte - 32 : 0;
}

static void led_DrawLine(HDC dc, const Gadget *g, const LedBlock *b, int line,
                         POINT o)
{
    const LedLine *l = &b->lines[line];
    const char *text = g->text + LED_LINE_MAX * line;
    for (uint32_t j = 0; j < l->length; j++) {
        int c = cell_Index((unsigned char)text[j]);
        gad_DrawMaskedPart(dc, o.x + l->x + CELL_ADVANCE * (int)j, o.y + l->y,
                           b->charImage, b->charMask, c % STRIP_COLS * CELL_W,
                           c / STRIP_COLS * CELL_H, CELL_W, CELL_H);
    }
}

static void KKAPI led_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const LedBlock *b = led_Block(g);
    if (!b)
        return;
    HBITMAP old;
    HDC dc = gad_BeginBuffer(hWnd, hdc, &old);
    if (!dc)
        return;
    SIZE size = led_ContentSize(b);
    POINT o = gad_Centre(hWnd, size.cx, size.cy);
    RECT rc;
    GetClientRect(hWnd, &rc);
    /* Without a brush of its own the LED lies over what shows below. */
    if (g->hBrush)
        FillRect(dc, &rc, g->hBrush);
    for (int i = 0; i < LED_PANELS; i++)
        led_DrawPanel(dc, &b->panels[i], o);
    if (b->charImage)
        for (int i = 0; i < LED_LINES; i++)
            led_DrawLine(dc, g, b, i, o);
    gad_EndBuffer(hWnd, hdc, dc, old);
}

/* Every point is the LED's, so presses on it go no further; it has no
 * active part and takes nothing from them. */
static BOOL KKAPI led_Hit(Gadget *, POINT *)
{
    return TRUE;
}

/* ---- Life ---- */

/* Runs on gad_Free and again when the dialog ends: the second time finds
 * no block. */
static uint32_t KKAPI led_Free(Gadget *g)
{
    LedData *d = gad_Data<LedData>(g);
    LedBlock *b = d->block;
    if (!b)
        return 0;
    for (int i = 0; i < LED_PANELS; i++) {
        gad_DeleteBitmap(&b->panels[i].image);
        gad_DeleteBitmap(&b->panels[i].mask);
    }
    gad_DeleteBitmap(&b->charImage);
    gad_DeleteBitmap(&b->charMask);
    free(b);
    d->block = NULL;
    return 0;
}

static const GadOps LedOps = {
    led_Free, led_Draw, led_Hit, NULL, NULL,
    NULL,     NULL,     NULL,    NULL, NULL,
};

extern "C" Gadget *KKAPI led_Create(HWND hDlg, int id, uint32_t flags)
{
    LedBlock *b = (LedBlock *)calloc(1, sizeof *b);
    if (!b)
        return NULL;
    Gadget *g = gad_Become(hDlg, id, GAD_LED, flags, &LedOps);
    if (!g) {
        free(b);
        return NULL;
    }
    gad_Data<LedData>(g)->block = b;
    memset(g->text, 0, sizeof g->text);
    SetWindowTextA(g->hWnd, NULL);
    return g;
}

extern "C" BOOL KKAPI led_CreatePanel(Gadget *led, int panel, int x, int y,
                                      HBITMAP bitmap, const RECT *source,
                                      int keyX, int keyY, BOOL setBackground,
                                      const LedSegment *segmentTable)
{
    LedPanel *p = led_Panel(led, panel);
    if (!p) {
        gad_ConsumeBitmap(bitmap, source);
        return FALSE;
    }
    p->x = x;
    p->y = y;
    p->segmentTable = segmentTable;
    p->segments = 0;
    /* The background is read before the picture is made, which consumes
     * a whole bitmap.  It is the pixel at (keyX, keyY) of the bitmap
     * itself, whatever the part.  With the key given as a colour (keyX
     * -1) there is no pixel to read: the key colour itself is taken, so
     * the LED's background is the colour the panel's picture leaves out,
     * as with a key pixel. */
    if (setBackground)
        led_SetBackground(led, keyX == -1 ? (COLORREF)keyY
                               : bitmap   ? gad_GetPixel(bitmap, keyX, keyY)
                                          : CLR_INVALID);
    /* A panel defined again lets its first picture go. */
    gad_DeleteBitmap(&p->image);
    gad_DeleteBitmap(&p->mask);
    gad_MakeMasked(bitmap, source, keyX, keyY, &p->image, &p->mask);
    return TRUE;
}

/* The new state on the screen at once.  Without a brush that fills it
 * the LED lies over the dialog and its buffer starts as what the screen
 * shows, so segments and characters put out would stay there: the
 * dialog under it is painted afresh first. */
static void led_Repaint(const Gadget *g)
{
    if (!g->hBrush || g->hBrush == (HBRUSH)GetStockObject(NULL_BRUSH))
        gad_RedrawUnder(g->hDlg, g->hWnd);
    gad_Repaint(g);
}

static void led_ChangeSegments(Gadget *led, int panel, uint32_t set,
                               uint32_t clear)
{
    LedPanel *p = led_Panel(led, panel);
    if (!p)
        return;
    p->segments = (p->segments & ~clear) | set;
    led_Repaint(led);
}

extern "C" void KKAPI led_Modify(Gadget *led, int panel, uint32_t set,
                                 uint32_t clear)
{
    led_ChangeSegments(led, panel, set, clear);
}

extern "C" void KKAPI led_Set(Gadget *led, int panel, uint32_t bits)
{
    led_ChangeSegments(led, panel, bits, 0);
}

extern "C" void KKAPI led_Clear(Gadget *led, int panel, uint32_t bits)
{
    led_ChangeSegments(led, panel, 0, bits);
}

/* The strip is made into a picture once per LED; a load that failed is
 * tried again by the next line. */
static void led_LoadStrip(LedBlock *b)
{
    if (b->charImage)
        return;
    HBITMAP strip = LoadBitmapA(kk_Module(), MAKEINTRESOURCEA(LED_STRIP));
    gad_MakeMasked(strip, NULL, 0, 0, &b->charImage, &b->charMask);
}

extern "C" BOOL KKAPI led_CreateText(Gadget *led, int line, int x, int y,
                                     int length, BOOL setBackground)
{
    LedLine *l = led_Line(led, line);
    if (!l)
        return FALSE;
    /* A line has 32 bytes of the label buffer: a longer one would draw
     * the next line's bytes, or past the buffer for the last line. */
    l->length = length < 0 ? 0 : length > LED_LINE_MAX ? LED_LINE_MAX : length;
    l->x = x;
    l->y = y;
    LedBlock *b = led_Block(led);
    led_LoadStrip(b);
    /* The strip's key pixel, black in the prepared picture. */
    if (setBackground && b->charImage)
        led_SetBackground(led, gad_GetPixel(b->charImage, 0, 0));
    memset(line_Text(led, line), ' ', LED_LINE_MAX);
    return TRUE;
}

extern "C" void KKAPI led_SetText(Gadget *led, int line, const char *text,
                                  BOOL centre)
{
    LedLine *l = led_Line(led, line);
    if (!l)
        return;
    char *cells = line_Text(led, line);
    memset(cells, ' ', LED_LINE_MAX);
    if (!text)
        return;
    size_t len = strlen(text);
    uint32_t n = len < l->length ? (uint32_t)len : l->length;
    uint32_t first = centre ? (l->length - n) / 2 : 0;
    for (uint32_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)text[i];
        cells[first + i] = c >= 32 && c <= 127 ? (char)c : ' ';
    }
    led_Repaint(led);
}
