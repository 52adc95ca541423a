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
    int32_t  atlasY;          /* its row in the atlas */
    uint32_t litSegments;     /* what the atlas holds for it */
    BOOL     litValid;
} LedPanel;

typedef struct LedLine {
    uint32_t length;          /* cells, at most LED_LINE_MAX */
    int32_t  x, y;            /* the first cell, in the content area */
    int32_t  atlasY;
    uint32_t shownLength;     /* what the atlas holds for it */
    char     shown[LED_LINE_MAX];
} LedLine;

/* Eight panels of three pointer-sized handles do not fit the record's
 * 248 private bytes on 64-bit Windows, so the LED's data is a block of
 * its own, made with the gadget and freed with it; the record holds only
 * the block's address. */
typedef struct LedBlock {
    LedPanel panels[LED_PANELS];
    LedLine  lines[LED_LINES];
    HBITMAP  charImage, charMask;     /* owned; loaded by led_CreateText */
    /* What every panel and line last showed, put together in one picture
     * and mask, a row of its own for each: a draw is two blits a part
     * from one pair of device contexts.  Selecting a bitmap costs far
     * more than a blit, so one pair per part, or worse per segment, was
     * the draw's cost.  A part is put together again at the draw that
     * finds its bits or bytes changed (the label buffer can also change
     * through gad_SetText); a panel defined again makes a new atlas. */
    HBITMAP  atlasImage, atlasMask;
    int32_t  atlasWidth, atlasHeight;
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

/* Two device contexts, for a picture and its mask, made once per draw:
 * pictures are selected into them in turn, as making device contexts
 * costs more than the blits between them. */
typedef struct Source {
    HDC     image, mask;
    HGDIOBJ oldImage, oldMask;    /* what they held when made */
} Source;

static BOOL source_Open(Source *s, HDC dc)
{
    s->image = CreateCompatibleDC(dc);
    s->mask = CreateCompatibleDC(dc);
    s->oldImage = s->oldMask = NULL;
    if (!s->image || !s->mask) {
        if (s->image)
            DeleteDC(s->image);
        if (s->mask)
            DeleteDC(s->mask);
        return FALSE;
    }
    return TRUE;
}

static void source_Select(Source *s, HBITMAP image, HBITMAP mask)
{
    HGDIOBJ oi = SelectObject(s->image, image);
    HGDIOBJ om = SelectObject(s->mask, mask);
    if (!s->oldImage) {
        s->oldImage = oi;
        s->oldMask = om;
    }
}

static void source_Close(Source *s)
{
    if (s->oldImage) {
        SelectObject(s->image, s->oldImage);
        SelectObject(s->mask, s->oldMask);
    }
    DeleteDC(s->image);
    DeleteDC(s->mask);
}

/* The part (sx, sy, w, h) drawn through its mask at (x, y): the target
 * AND the mask (its 1 bits white, so kept), then OR the picture.  The
 * target's colours are set for that by led_Draw. */
static void source_Draw(const Source *s, HDC dc, int x, int y, int sx, int sy,
                        int w, int h)
{
    BitBlt(dc, x, y, w, h, s->mask, sx, sy, SRCAND);
    BitBlt(dc, x, y, w, h, s->image, sx, sy, SRCPAINT);
}

static void atlas_Free(LedBlock *b)
{
    gad_DeleteBitmap(&b->atlasImage);
    gad_DeleteBitmap(&b->atlasMask);
    for (int i = 0; i < LED_PANELS; i++)
        b->panels[i].litValid = FALSE;
    for (int i = 0; i < LED_LINES; i++)
        b->lines[i].shownLength = 0;
}

/* The atlas's rows: each panel's picture height, then a cell row for
 * each line, as wide as the widest. */
static BOOL atlas_Make(LedBlock *b)
{
    int w = CELL_ADVANCE * LED_LINE_MAX, y = 0;
    for (int i = 0; i < LED_PANELS; i++) {
        LedPanel *p = &b->panels[i];
        int pw = 0, ph = 0;
        if (p->image)
            gad_GetBitmapSize(p->image, &pw, &ph);
        p->atlasY = y;
        y += ph;
        w = max_Int(w, pw);
    }
    for (int i = 0; i < LED_LINES; i++) {
        b->lines[i].atlasY = y;
        y += CELL_H;
    }
    b->atlasImage = gad_ScreenBitmap(w, y);
    b->atlasMask = CreateBitmap(w, y, 1, 1, NULL);
    if (!b->atlasImage || !b->atlasMask) {
        atlas_Free(b);
        return FALSE;
    }
    b->atlasWidth = w;
    b->atlasHeight = y;
    return TRUE;
}

/* The draw's device contexts: atlas holds the atlas throughout, src
 * the picture or strip a part is put together from. */
typedef struct LedPaint {
    HDC    dc;
    Source atlas, src;
    BOOL   srcOpen;
    POINT  origin;
} LedPaint;

/* An empty row of h at y: black under a white (transparent) mask, so
 * parts ORed into the one and ANDed into the other compose as they
 * would draw one after the other. */
static void atlas_Clear(LedPaint *lp, int y, int w, int h)
{
    PatBlt(lp->atlas.image, 0, y, w, h, BLACKNESS);
    PatBlt(lp->atlas.mask, 0, y, w, h, WHITENESS);
}

static void atlas_Add(LedPaint *lp, int x, int y, int sx, int sy, int w,
                      int h)
{
    BitBlt(lp->atlas.image, x, y, w, h, lp->src.image, sx, sy, SRCPAINT);
    BitBlt(lp->atlas.mask, x, y, w, h, lp->src.mask, sx, sy, SRCAND);
}

/* The source contexts are made only for a draw that puts a part
 * together. */
static BOOL paint_Source(LedPaint *lp, HBITMAP image, HBITMAP mask)
{
    if (!lp->srcOpen && !(lp->srcOpen = source_Open(&lp->src, lp->dc)))
        return FALSE;
    source_Select(&lp->src, image, mask);
    return TRUE;
}

/* The lit segments only, each at its place in the picture.  A panel
 * without a table has no segments to draw. */
static void panel_Compose(LedPaint *lp, LedPanel *p)
{
    int w, h;
    gad_GetBitmapSize(p->image, &w, &h);
    if (!paint_Source(lp, p->image, p->mask))
        return;
    atlas_Clear(lp, p->atlasY, w, h);
    for (int bit = 0; bit < 32; bit++) {
        if (!(p->segments >> bit & 1))
            continue;
        const LedSegment *s = &p->segmentTable[bit];
        /* a segment reaching out of the picture stays in its row */
        int sw = s->width, sh = s->height;
        if (s->x < 0 || s->y < 0 || s->x >= w || s->y >= h)
            continue;
        if (sw > w - s->x)
            sw = w - s->x;
        if (sh > h - s->y)
            sh = h - s->y;
        atlas_Add(lp, s->x, p->atlasY + s->y, s->x, s->y, sw, sh);
    }
    p->litSegments = p->segments;
    p->litValid = TRUE;
}

/* The strip holds characters 32 to 127 only; any other byte (the label
 * buffer takes whatever gad_SetText gives it) would be a cell outside
 * the strip, so it shows as a space. */
static int cell_Index(unsigned char byte)
{
    return byte >= 32 && byte <= 127 ? byte - 32 : 0;
}

static void line_Compose(LedPaint *lp, const LedBlock *b, LedLine *l,
                         const char *text)
{
    if (!paint_Source(lp, b->charImage, b->charMask))
        return;
    atlas_Clear(lp, l->atlasY, CELL_ADVANCE * LED_LINE_MAX, CELL_H);
    for (uint32_t j = 0; j < l->length; j++) {
        int c = cell_Index((unsigned char)text[j]);
        atlas_Add(lp, CELL_ADVANCE * (int)j, l->atlasY,
                  c % STRIP_COLS * CELL_W, c / STRIP_COLS * CELL_H, CELL_W,
                  CELL_H);
    }
    l->shownLength = l->length;
    memcpy(l->shown, text, l->length);
}

/* A row of the atlas through its mask at (x, y) of the content area. */
static void atlas_Draw(LedPaint *lp, int x, int y, int atlasY, int w, int h)
{
    source_Draw(&lp->atlas, lp->dc, lp->origin.x + x, lp->origin.y + y, 0,
                atlasY, w, h);
}

static void led_DrawPanel(LedPaint *lp, LedPanel *p)
{
    if (!p->image || !p->segmentTable || !p->segments)
        return;
    if (!p->litValid || p->litSegments != p->segments)
        panel_Compose(lp, p);
    int w, h;
    gad_GetBitmapSize(p->image, &w, &h);
    atlas_Draw(lp, p->x, p->y, p->atlasY, w, h);
}

static void led_DrawLine(LedPaint *lp, LedBlock *b, LedLine *l,
                         const char *text)
{
    if (!b->charImage || !l->length)
        return;
    if (l->shownLength != l->length || memcmp(l->shown, text, l->length))
        line_Compose(lp, b, l, text);
    atlas_Draw(lp, l->x, l->y, l->atlasY, CELL_ADVANCE * (int)l->length,
               CELL_H);
}

static void led_DrawContent(HDC dc, const Gadget *g, LedBlock *b, POINT o)
{
    if (!b->atlasImage && !atlas_Make(b))
        return;
    LedPaint lp;
    lp.dc = dc;
    lp.origin = o;
    lp.srcOpen = FALSE;
    if (!source_Open(&lp.atlas, dc))
        return;
    source_Select(&lp.atlas, b->atlasImage, b->atlasMask);
    for (int i = 0; i < LED_PANELS; i++)
        led_DrawPanel(&lp, &b->panels[i]);
    for (int i = 0; i < LED_LINES; i++)
        led_DrawLine(&lp, b, &b->lines[i], g->text + LED_LINE_MAX * i);
    if (lp.srcOpen)
        source_Close(&lp.src);
    source_Close(&lp.atlas);
}

static void KKAPI led_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    LedBlock *b = led_Block(g);
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
    /* Monochrome masks: 1 bits become white, 0 bits black. */
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    led_DrawContent(dc, g, b, o);
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
    atlas_Free(b);
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
    atlas_Free(led_Block(led));
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
