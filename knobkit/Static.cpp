/* Static.cpp -- the image static and the tab gadget.
 *
 * The image static shows one of four pictures with its caption over it;
 * its shape is the shown picture's opaque pixels, and a press there posts
 * GM_STATIC.  It is never tracked: nothing follows the press.
 *
 * The tab gadget is a tab control with a page per tab, each a modeless
 * dialog of its own made from a template of the client's module.  The
 * dialog procedure switches the pages on tab changes (Dialog.cpp) and
 * destroys them when the dialog ends (Gadget.cpp), through the page
 * table kept here.
 */
#include "kk_int.h"
#include "ident.h"

#include <commctrl.h>

MODULE_IDENT("knobkit/Static.cpp");

/* ---- Image static ---- */

#define STATIC_PICTURES 4

/* The image static's private data. */
typedef struct StaticData {
    uint32_t picture;                   /* the one shown; the first word */
    HBITMAP  images[STATIC_PICTURES];
    HBITMAP  masks[STATIC_PICTURES];
} StaticData;

static StaticData *static_Data(const Gadget *g)
{
    return gad_Data<StaticData>(g);
}

/* The shown picture's opaque pixels; a picture that was not given has
 * no shape.  Tested where the picture is drawn (gad_HitCentred). */
static BOOL KKAPI static_Hit(Gadget *g, POINT *pt)
{
    const StaticData *d = static_Data(g);
    return gad_HitCentred(g->hWnd, d->masks[d->picture], pt);
}

/* Straight into the control's own painting: the dialog's erasure under
 * the control (gad_Redraw) is the background. */
static void KKAPI static_Draw(HWND hWnd, HDC hdc, Gadget *g)
{
    const StaticData *d = static_Data(g);
    HBITMAP image = d->images[d->picture];
    if (image) {
        int w, h;
        gad_GetBitmapSize(image, &w, &h);
        POINT o = gad_Centre(hWnd, w, h);
        gad_DrawMasked(hdc, o.x, o.y, image, d->masks[d->picture]);
    }
    if (!g->text[0])
        return;
    /* The device context the control asks for colours with need not
     * hold its font yet: the caption selects it, as the buffered
     * gadgets' surfaces do. */
    HFONT font = (HFONT)SendMessageA(hWnd, WM_GETFONT, 0, 0);
    HGDIOBJ old = font ? SelectObject(hdc, font) : NULL;
    RECT rc;
    GetClientRect(hWnd, &rc);
    gad_DrawText(hdc, g, g->text, rc, g->textColor);
    if (old)
        SelectObject(hdc, old);
}

/* One notification per press; answering 0 keeps the dialog from
 * tracking, so neither holding nor letting go says more. */
static BOOL KKAPI static_Press(HWND, Gadget *g, POINT *)
{
    gad_Notify(g, GM_STATIC);
    gad_Redraw(g);
    return FALSE;
}

/* Runs on gad_Free and again when the dialog ends, so it leaves nothing
 * to delete twice. */
static uint32_t KKAPI static_Free(Gadget *g)
{
    StaticData *d = static_Data(g);
    for (int i = 0; i < STATIC_PICTURES; i++) {
        gad_DeleteBitmap(&d->images[i]);
        gad_DeleteBitmap(&d->masks[i]);
    }
    return 0;
}

static const GadOps StaticOps = {
    static_Free,  static_Draw, static_Hit, static_Hit, NULL,
    static_Press, NULL,        NULL,       NULL,       NULL,
};

extern "C" Gadget *KKAPI static_Create(HWND hDlg, int id, uint32_t flags,
                                       HBITMAP bitmap0, const RECT *part0,
                                       int keyX0, int keyY0, HBITMAP bitmap1,
                                       const RECT *part1, int keyX1,
                                       int keyY1, HBITMAP bitmap2,
                                       const RECT *part2, int keyX2,
                                       int keyY2, HBITMAP bitmap3,
                                       const RECT *part3, int keyX3,
                                       int keyY3)
{
    const HBITMAP bmp[STATIC_PICTURES] = {bitmap0, bitmap1, bitmap2, bitmap3};
    const RECT *part[STATIC_PICTURES] = {part0, part1, part2, part3};
    const int keyX[STATIC_PICTURES] = {keyX0, keyX1, keyX2, keyX3};
    const int keyY[STATIC_PICTURES] = {keyY0, keyY1, keyY2, keyY3};
    Gadget *g = gad_Become(hDlg, id, GAD_STATIC, flags, &StaticOps);
    if (!g) {
        for (int i = 0; i < STATIC_PICTURES; i++)
            gad_ConsumeBitmap(bmp[i], part[i]);
        return NULL;
    }
    StaticData *d = static_Data(g);
    d->picture = 0;
    for (int i = 0; i < STATIC_PICTURES; i++)
        gad_MakeMasked(bmp[i], part[i], keyX[i], keyY[i], &d->images[i],
                       &d->masks[i]);
    return g;
}

/* Only four pictures exist: any other index is ignored, the picture shown
 * stays and nothing is repainted, rather than reading past the table at
 * the next paint or press. */
extern "C" void KKAPI static_SetState(Gadget *g, uint32_t picture)
{
    if (!g || picture >= STATIC_PICTURES)
        return;
    static_Data(g)->picture = picture;
    gad_Redraw(g);
}

/* ---- Tab gadget ---- */

/* A tab gadget's private data. */
typedef struct TabData {
    TabPage *pages;     /* the client's table, ended by a null title */
} TabData;

TabPage *tab_Pages(const Gadget *g)
{
    return g && GAD_KIND(g) == GAD_TAB ? gad_Data<TabData>(g)->pages : NULL;
}

void tab_DestroyPages(TabPage *pages)
{
    for (TabPage *p = pages; p && p->title; p++) {
        if (p->pageWnd)
            DestroyWindow(p->pageWnd);
        p->pageWnd = NULL;
    }
}

/* gad_Free makes a plain tab control of it: the pages the library made
 * go too, so the client's table names no window that nothing switches
 * any more.  At the dialog's end the pages have gone already. */
static uint32_t KKAPI tab_Free(Gadget *g)
{
    tab_DestroyPages(gad_Data<TabData>(g)->pages);
    return 0;
}

static const GadOps TabOps = {
    tab_Free, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
};

/* Tab i with its title, then its page, a child of the tab control. */
static BOOL tab_AddPage(HINSTANCE module, HWND tab, int i, TabPage *p)
{
    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = (char *)p->title;
    SendMessageA(tab, TCM_INSERTITEMA, (WPARAM)i, (LPARAM)&item);
    p->pageWnd = dlg_CreateDialog(module, (int)p->pageTemplate, tab,
                                  p->pageHandlers);
    return p->pageWnd != NULL;
}

extern "C" Gadget *KKAPI tab_Create(HINSTANCE module, HWND hDlg, int id,
                                    TabPage *pages)
{
    Gadget *g = gad_Become(hDlg, id, GAD_TAB, 0, &TabOps);
    if (!g)
        return NULL;
    TabData *d = gad_Data<TabData>(g);
    d->pages = pages;
    /* pageWnd is ours to fill: whatever an earlier use left there must
     * not be destroyed if a page fails. */
    for (TabPage *p = pages; p && p->title; p++)
        p->pageWnd = NULL;
    for (int i = 0; pages && pages[i].title; i++) {
        if (tab_AddPage(module, g->hWnd, i, &pages[i]))
            continue;
        tab_DestroyPages(pages);
        d->pages = NULL;
        g->kind = GAD_PLAIN;
        return NULL;
    }
    if (pages && pages[0].title)
        ShowWindow(pages[0].pageWnd, SW_SHOW);
    return g;
}
