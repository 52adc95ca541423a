/* Factory.cpp -- the gadget factory: ready-made gadgets from the library's
 * own pictures (knobkit.rc).
 *
 * Each function prepares pictures in memory and hands them to a creation
 * function (ibtn_Create, wheel_Create, static_Create); the factory adds
 * nothing of its own beyond state bits and cursors.  Pictures it hands
 * over whole are consumed there; a picture it cuts parts from is its own
 * and is deleted here once the gadget has its copies.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Factory.cpp");

/* The library's pictures. */
enum {
    BMP_TEXTURE = 109,  /* 151 x 151 brushed texture */
    BMP_FRAME = 110,    /* 20 x 30 push-button frame, normal over pressed */
    BMP_CAPTION = 111,  /* 78 x 26: six 13 x 13 cells, normal over pressed */
    BMP_KNOB = 112,     /* 47 x 47 knob on yellow */
    BMP_LOGO = 114,     /* 46 x 19 logo on red, two variants */
    BMP_LOGO2 = 115,
    BMP_LED = 117,      /* 7 x 7 LED socket */
    BMP_BIGLED = 119,   /* 12 x 12 LED socket on yellow */
    BMP_ARROWS = 120,   /* 14 x 52: up over down */
    BMP_ARROWS2 = 121,  /* 11 x 9: left beside right */
    BMP_FOLDER = 122,   /* 19 x 14 folder */
};

#define LED_LIT   RGB(255, 82, 41)
#define LED_UNLIT RGB(96, 0, 0)
#define MAGENTA   RGB(255, 0, 255)

/* The frame picture: normal in rows 0-14, pressed in 15-29. */
#define FRAME_W     20
#define FRAME_H     15
#define CAPTION_CELL 13
#define CAPTION_TYPES 6

static HBITMAP fac_Resource(int id)
{
    return LoadBitmapA(kk_Module(), MAKEINTRESOURCEA(id));
}

static void fac_Fill(HDC dc, const RECT *rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    FillRect(dc, rc, brush);
    DeleteObject(brush);
}

extern "C" HBITMAP KKAPI fac_LoadImage(int number)
{
    switch (number) {
    case 100: return fac_Resource(BMP_TEXTURE);
    case 200: return fac_Resource(BMP_KNOB);
    case 300: return fac_Resource(BMP_FOLDER);
    }
    return NULL;
}

/* ---- LEDs ---- */

/* The lens of each socket, as two rectangles that make a rounded one. */
static const RECT LedLens[2][2] = {
    {{2, 1, 5, 6}, {1, 2, 6, 5}},
    {{4, 3, 8, 9}, {3, 4, 9, 8}},
};

extern "C" HBITMAP KKAPI fac_CreateLedImage(int type, COLORREF colour)
{
    if (type != 0 && type != 1)
        return NULL;
    HBITMAP bmp = fac_Resource(type ? BMP_BIGLED : BMP_LED);
    HDC dc = bmp ? CreateCompatibleDC(NULL) : NULL;
    if (!dc)
        return bmp;
    HGDIOBJ old = SelectObject(dc, bmp);
    fac_Fill(dc, &LedLens[type][0], colour);
    fac_Fill(dc, &LedLens[type][1], colour);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

/* Picture 0 the dark LED, picture 1 the lit one (static_SetState); each
 * keyed by its corner pixel.  Another type gives no pictures: a gadget
 * that draws nothing. */
extern "C" Gadget *KKAPI fac_CreateLed(HWND hDlg, int id, int type,
                                       COLORREF unlit, COLORREF lit)
{
    return static_Create(hDlg, id, 0, fac_CreateLedImage(type, unlit), NULL,
                         0, 0, fac_CreateLedImage(type, lit), NULL, 0, 0,
                         NULL, NULL, 0, 0, NULL, NULL, 0, 0);
}

/* ---- Framed push buttons ---- */

/* One state of the frame (its rows from top) stretched to w x h in nine
 * parts: the corners copied, the edges repeated from one column or row,
 * the inside filled with the face colour.  Null when the bitmap or a
 * device context cannot be made. */
static HBITMAP frame_Stretch(HDC frame, int top, int w, int h)
{
    HBITMAP bmp = gad_ScreenBitmap(w, h);
    HDC dc = bmp ? CreateCompatibleDC(NULL) : NULL;
    if (!dc) {
        if (bmp)
            DeleteObject(bmp);
        return NULL;
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    const int R = w - 9, B = h - 7;
    BitBlt(dc, 0, 0, 9, 8, frame, 0, top, SRCCOPY);
    BitBlt(dc, R, 0, 9, 8, frame, 11, top, SRCCOPY);
    BitBlt(dc, 0, B, 9, 7, frame, 0, top + 8, SRCCOPY);
    BitBlt(dc, R, B, 9, 7, frame, 11, top + 8, SRCCOPY);
    for (int x = 9; x <= R; x++) {
        BitBlt(dc, x, 0, 1, 8, frame, 9, top, SRCCOPY);
        BitBlt(dc, x, B, 1, 7, frame, 10, top + 8, SRCCOPY);
    }
    for (int y = 8; y <= B; y++) {
        BitBlt(dc, 0, y, 9, 1, frame, 0, top + 8, SRCCOPY);
        BitBlt(dc, R, y, 9, 1, frame, 11, top + 7, SRCCOPY);
    }
    const RECT inside = {9, 8, R, B};
    fac_Fill(dc, &inside, GetPixel(frame, 9, top + 8));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

/* A picture that cannot be made leaves its out argument as it was; so
 * does a missing frame, and a null out argument asks for no picture. */
extern "C" BOOL KKAPI fac_CreateButtonImage(int width, int height,
                                            HBITMAP *normal, HBITMAP *pressed)
{
    const int w = width > FRAME_W ? width : FRAME_W;
    const int h = height > FRAME_H ? height : FRAME_H;
    HBITMAP frame = fac_Resource(BMP_FRAME);
    HDC src = frame ? CreateCompatibleDC(NULL) : NULL;
    if (src) {
        HGDIOBJ old = SelectObject(src, frame);
        HBITMAP bmp;
        if (normal && (bmp = frame_Stretch(src, 0, w, h)) != NULL)
            *normal = bmp;
        if (pressed && (bmp = frame_Stretch(src, FRAME_H, w, h)) != NULL)
            *pressed = bmp;
        SelectObject(src, old);
        DeleteDC(src);
    }
    if (frame)
        DeleteObject(frame);
    return TRUE;
}

/* The frame at the size of the control's window, transparent where it is
 * magenta; a missing control makes 20 x 15 frames that ibtn_Create lets
 * go again. */
extern "C" Gadget *KKAPI fac_CreateButton(HWND hDlg, int id, uint32_t flags,
                                          uint32_t, HBITMAP icon,
                                          const RECT *iconPart, int iconKeyX,
                                          int iconKeyY)
{
    RECT rc = {0, 0, 0, 0};
    HWND ctl = hDlg ? GetDlgItem(hDlg, id) : NULL;
    if (ctl)
        GetWindowRect(ctl, &rc);
    HBITMAP normal = NULL, pressed = NULL;
    fac_CreateButtonImage(rc.right - rc.left, rc.bottom - rc.top, &normal,
                          &pressed);
    return ibtn_Create(hDlg, id, flags, normal, NULL, -1, (int)MAGENTA,
                       pressed, NULL, icon, iconPart, iconKeyX, iconKeyY);
}

/* ---- Caption buttons ---- */

/* The window command each cell's button performs on every notification:
 * minimise, restore, maximise, close, GM_ARROW, GM_ABOUT. */
static const uint32_t AutoBits[CAPTION_TYPES] = {
    GS_MINIMIZE, GS_RESTORE, GS_MAXIMIZE, GS_CLOSE, GS_ARROW, GS_ABOUT,
};

/* A type outside the six cells would cut its pictures beyond the strip
 * and read a state bit past the table: no button is made. */
extern "C" Gadget *KKAPI fac_CreateAutoButton(HWND hDlg, int id, int type)
{
    if (type < 0 || type >= CAPTION_TYPES)
        return NULL;
    const int left = CAPTION_CELL * type;
    const RECT up = {left, 0, left + CAPTION_CELL, CAPTION_CELL};
    const RECT down = {left, CAPTION_CELL, left + CAPTION_CELL,
                       2 * CAPTION_CELL};
    HBITMAP strip = fac_Resource(BMP_CAPTION);
    Gadget *g = ibtn_Create(hDlg, id, 0, strip, &up, -1, (int)MAGENTA, strip,
                            &down, NULL, NULL, 0, 0);
    if (strip)
        DeleteObject(strip);
    if (g)
        g->state |= AutoBits[type];
    return g;
}

/* ---- Knob, mute toggle, arrows ---- */

extern "C" Gadget *KKAPI fac_CreateWheel(HWND hDlg, int id, uint32_t flags)
{
    return wheel_Create(hDlg, id, flags, -1, 0.6f, fac_LoadImage(200), NULL,
                        0, 0, fac_CreateLedImage(0, LED_UNLIT), NULL, 0, 0,
                        fac_CreateLedImage(0, LED_LIT), NULL, 0, 0);
}

extern "C" Gadget *KKAPI fac_CreateMute(HWND hDlg, int id, uint32_t flags)
{
    Gadget *g = ibtn_Create(hDlg, id, flags | IBTN_TOGGLE,
                            fac_CreateLedImage(1, LED_UNLIT), NULL, 0, 0,
                            fac_CreateLedImage(1, LED_LIT), NULL, NULL, NULL,
                            0, 0);
    if (g)
        gad_SetCursor(g, (HCURSOR)dlg_GetDefObject(DEF_CURSORPOINT),
                      (HCURSOR)dlg_GetDefObject(DEF_CURSORPOINTDOWN));
    return g;
}

/* Each pair: the picture, and for each button its icon's part and key. */
struct ArrowPair {
    int type, picture;
    RECT part[2];
    POINT key[2];
};

static const ArrowPair ArrowPairs[] = {
    {0, BMP_ARROWS, {{0, 0, 14, 27}, {0, 26, 14, 52}}, {{0, 0}, {0, 0}}},
    {300, BMP_ARROWS2, {{0, 0, 5, 9}, {6, 0, 11, 9}}, {{0, 0}, {2, 0}}},
};

extern "C" BOOL KKAPI fac_CreateArrows(HWND hDlg, int firstId, int secondId,
                                       uint32_t flags, int type)
{
    const ArrowPair *pair = NULL;
    for (const ArrowPair &p : ArrowPairs)
        if (p.type == type)
            pair = &p;
    if (!pair)
        return FALSE;
    HBITMAP bmp = fac_Resource(pair->picture);
    const int ids[2] = {firstId, secondId};
    for (int i = 0; i < 2; i++)
        fac_CreateButton(hDlg, ids[i], flags, 0, bmp, &pair->part[i],
                         pair->key[i].x, pair->key[i].y);
    if (bmp)
        DeleteObject(bmp);
    return TRUE;
}

/* ---- Logo and folder ---- */

/* The logo's press also posts GM_ABOUT.  The state bit is given for any
 * variant; without a gadget the record stays a plain one, which never
 * notifies. */
extern "C" Gadget *KKAPI fac_CreateAbout(HWND hDlg, int id, uint32_t flags,
                                         int variant)
{
    Gadget *g = NULL;
    if (variant == 0 || variant == 1)
        g = static_Create(hDlg, id, flags,
                          fac_Resource(variant ? BMP_LOGO2 : BMP_LOGO), NULL,
                          0, 0, NULL, NULL, 0, 0, NULL, NULL, 0, 0, NULL,
                          NULL, 0, 0);
    gad_SetColor(hDlg, id, GS_ABOUT, 0, 0, NULL);
    if (g)
        gad_SetCursor(g, LoadCursorA(NULL, (LPCSTR)IDC_HELP), NULL);
    return g;
}

/* The folder alone: the control's text is cleared first, so the gadget
 * has no caption. */
extern "C" Gadget *KKAPI fac_CreateBrowser(HWND hDlg, int id, uint32_t flags)
{
    SetDlgItemTextA(hDlg, id, "");
    return static_Create(hDlg, id, flags, fac_Resource(BMP_FOLDER), NULL, 0,
                         0, NULL, NULL, 0, 0, NULL, NULL, 0, 0, NULL, NULL, 0,
                         0);
}
