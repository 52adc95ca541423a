/* Draw.cpp -- what every gadget paints with: pictures with a transparency
 * mask, off-screen surfaces, small bitmap queries, and the value texts.
 * Pictures and keys are described in kk_int.h.
 *
 * Every operation that makes GDI objects leaves none behind when one of
 * them cannot be made.
 */
#include "kk_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("knobkit/Draw.cpp");

void gad_GetBitmapSize(HBITMAP hBmp, int *width, int *height)
{
    BITMAP bm;
    *width = *height = 0;
    if (hBmp && GetObjectA(hBmp, sizeof bm, &bm) == (int)sizeof bm) {
        *width = bm.bmWidth;
        *height = bm.bmHeight;
    }
}

/* The size of the part, or of the whole bitmap without one. */
static void part_Size(HBITMAP hBmp, const RECT *part, int *w, int *h)
{
    if (part) {
        *w = part->right - part->left;
        *h = part->bottom - part->top;
    } else {
        gad_GetBitmapSize(hBmp, w, h);
    }
}

/* Columns from the left, each filled from the top, as skins tile. */
BOOL gad_TileBitmap(HDC hdc, const RECT *rc, HBITMAP hBmp)
{
    int w, h;
    gad_GetBitmapSize(hBmp, &w, &h);
    HDC mem = w > 0 && h > 0 ? CreateCompatibleDC(hdc) : NULL;
    if (!mem)
        return FALSE;
    HGDIOBJ old = SelectObject(mem, hBmp);
    for (int x = rc->left; x < rc->right; x += w)
        for (int y = rc->top; y < rc->bottom; y += h)
            BitBlt(hdc, x, y, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return TRUE;
}

HBITMAP gad_ScreenBitmap(int w, int h)
{
    HDC screen = GetDC(NULL);
    if (!screen)
        return NULL;
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(NULL, screen);
    return bmp;
}

void gad_ConsumeBitmap(HBITMAP hBmp, const RECT *part)
{
    if (hBmp && !part)
        DeleteObject(hBmp);
}

void gad_DeleteBitmap(HBITMAP *hBmp)
{
    if (*hBmp)
        DeleteObject(*hBmp);
    *hBmp = NULL;
}

BOOL gad_MakeMasked(HBITMAP hBmp, const RECT *part, int keyX, int keyY,
                    HBITMAP *image, HBITMAP *mask)
{
    if (image)
        *image = NULL;
    if (mask)
        *mask = NULL;
    if (!hBmp)
        return FALSE;
    int w, h;
    part_Size(hBmp, part, &w, &h);
    int left = part ? part->left : 0, top = part ? part->top : 0;
    if (w <= 0 || h <= 0) {
        gad_ConsumeBitmap(hBmp, part);
        return FALSE;
    }

    HBITMAP hMask = CreateBitmap(w, h, 1, 1, NULL);
    HBITMAP hImage = gad_ScreenBitmap(w, h);
    HDC src = CreateCompatibleDC(NULL);
    HDC dst = CreateCompatibleDC(NULL);
    BOOL ok = hMask && hImage && src && dst;
    if (ok) {
        HGDIOBJ oldSrc = SelectObject(src, hBmp);
        COLORREF key = keyX != -1 ? GetPixel(src, left + keyX, top + keyY)
                                  : (COLORREF)keyY;
        /* Colour to monochrome: pixels of the source's background colour
         * become 1, all others 0. */
        HGDIOBJ oldDst = SelectObject(dst, hMask);
        SetBkColor(src, key);
        BitBlt(dst, 0, 0, w, h, src, left, top, SRCCOPY);
        SelectObject(dst, hImage);
        BitBlt(dst, 0, 0, w, h, src, left, top, SRCCOPY);
        SelectObject(src, hMask);
        /* Monochrome to colour: 1 bits take the background colour (black),
         * 0 bits the text colour (white): AND blackens the transparent
         * pixels and keeps the others. */
        SetBkColor(dst, RGB(0, 0, 0));
        SetTextColor(dst, RGB(255, 255, 255));
        BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCAND);
        SelectObject(dst, oldDst);
        SelectObject(src, oldSrc);
    }
    if (src)
        DeleteDC(src);
    if (dst)
        DeleteDC(dst);
    if (!ok) {
        if (hMask)
            DeleteObject(hMask);
        if (hImage)
            DeleteObject(hImage);
        gad_ConsumeBitmap(hBmp, part);
        return FALSE;
    }
    if (image)
        *image = hImage;
    else
        DeleteObject(hImage);
    if (mask)
        *mask = hMask;
    else
        DeleteObject(hMask);
    gad_ConsumeBitmap(hBmp, part);
    return TRUE;
}

void gad_DrawMaskedPart(HDC hdc, int x, int y, HBITMAP image, HBITMAP mask,
                        int srcX, int srcY, int width, int height)
{
    HDC mem = CreateCompatibleDC(hdc);
    if (!mem)
        return;
    /* The mask's 1 bits become white (kept by AND), its 0 bits black. */
    COLORREF oldBk = SetBkColor(hdc, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(hdc, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(mem, mask);
    BitBlt(hdc, x, y, width, height, mem, srcX, srcY, SRCAND);
    SelectObject(mem, image);
    BitBlt(hdc, x, y, width, height, mem, srcX, srcY, SRCPAINT);
    SelectObject(mem, old);
    DeleteDC(mem);
    SetBkColor(hdc, oldBk);
    SetTextColor(hdc, oldText);
}

void gad_DrawMasked(HDC hdc, int x, int y, HBITMAP image, HBITMAP mask)
{
    int w, h;
    gad_GetBitmapSize(image, &w, &h);
    gad_DrawMaskedPart(hdc, x, y, image, mask, 0, 0, w, h);
}

HBITMAP gad_CopyBitmap(HBITMAP hBmp, const RECT *part)
{
    int w, h;
    if (!hBmp)
        return NULL;
    part_Size(hBmp, part, &w, &h);
    if (w <= 0 || h <= 0)
        return NULL;
    HBITMAP copy = gad_ScreenBitmap(w, h);
    HDC src = CreateCompatibleDC(NULL);
    HDC dst = CreateCompatibleDC(NULL);
    if (copy && src && dst) {
        HGDIOBJ oldSrc = SelectObject(src, hBmp);
        HGDIOBJ oldDst = SelectObject(dst, copy);
        BitBlt(dst, 0, 0, w, h, src, part ? part->left : 0,
               part ? part->top : 0, SRCCOPY);
        SelectObject(dst, oldDst);
        SelectObject(src, oldSrc);
    } else if (copy) {
        DeleteObject(copy);
        copy = NULL;
    }
    if (src)
        DeleteDC(src);
    if (dst)
        DeleteDC(dst);
    if (copy && !part)
        DeleteObject(hBmp);
    return copy;
}

HDC gad_BeginBuffer(HWND hWnd, HDC hdc, HBITMAP *oldBmp)
{
    RECT rc;
    *oldBmp = NULL;
    if (!GetClientRect(hWnd, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return NULL;
    HDC mem = CreateCompatibleDC(hdc);
    HBITMAP surface = mem ? CreateCompatibleBitmap(hdc, rc.right, rc.bottom)
                          : NULL;
    if (!surface) {
        if (mem)
            DeleteDC(mem);
        return NULL;
    }
    *oldBmp = (HBITMAP)SelectObject(mem, surface);
    BitBlt(mem, 0, 0, rc.right, rc.bottom, hdc, 0, 0, SRCCOPY);
    HFONT font = (HFONT)SendMessageA(hWnd, WM_GETFONT, 0, 0);
    if (font)
        SelectObject(mem, font);
    return mem;
}

void gad_EndBuffer(HWND hWnd, HDC hdc, HDC memDC, HBITMAP oldBmp)
{
    RECT rc;
    if (!memDC)
        return;
    if (GetClientRect(hWnd, &rc))
        BitBlt(hdc, 0, 0, rc.right, rc.bottom, memDC, 0, 0, SRCCOPY);
    /* Selecting the old bitmap back hands out the surface to delete; the
     * font stays the control's. */
    HGDIOBJ surface = SelectObject(memDC, oldBmp);
    DeleteDC(memDC);
    if (surface)
        DeleteObject(surface);
}

/* The pixel's colour, or CLR_INVALID when no device context can be made. */
COLORREF gad_GetPixel(HBITMAP hBmp, int x, int y)
{
    HDC dc = CreateCompatibleDC(NULL);
    if (!dc)
        return CLR_INVALID;
    HGDIOBJ old = SelectObject(dc, hBmp);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

int gad_IsPixelBlack(HBITMAP hBmp, int x, int y)
{
    return gad_GetPixel(hBmp, x, y) == RGB(0, 0, 0);
}

POINT gad_Centre(HWND hWnd, int w, int h)
{
    RECT rc = {0, 0, 0, 0};
    GetClientRect(hWnd, &rc);
    POINT p = {rc.right / 2 - w / 2, rc.bottom / 2 - h / 2};
    return p;
}

/* Tested where the picture is drawn: centring the difference
 * (client - w) / 2 instead would put the test a pixel left of (or above)
 * the picture whenever the client size is even and the picture's odd, so
 * edge pixels would be missed and the transparent column beside them
 * taken. */
BOOL gad_HitCentred(HWND hWnd, HBITMAP mask, const POINT *pt)
{
    if (!mask)
        return FALSE;
    int w, h;
    gad_GetBitmapSize(mask, &w, &h);
    POINT o = gad_Centre(hWnd, w, h);
    int x = pt->x - o.x, y = pt->y - o.y;
    return x >= 0 && x < w && y >= 0 && y < h &&
           gad_IsPixelBlack(mask, x, y);
}

void gad_DrawText(HDC dc, const Gadget *g, const char *text, RECT box,
                  COLORREF colour)
{
    const UINT how = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    SetBkMode(dc, TRANSPARENT);
    if (g->state & GS_DISABLED) {
        RECT lit = box;
        lit.left += 2;
        lit.top += 2;
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, text, -1, &lit, how);
        colour = GetSysColor(COLOR_GRAYTEXT);
    }
    SetTextColor(dc, colour);
    DrawTextA(dc, text, -1, &box, how);
}

int gad_Percent(int min, int max, int value)
{
    if (max == min)
        return 0;
    return (int)(((double)value - min) * 100.0 / ((double)max - min) + 0.5);
}

/* format applied to one number, at most GAD_TEXT_MAX - 1 characters.
 * wsprintf (the system's own, where the C library's would bring its
 * whole printf into the DLL) writes at most 1024 characters and the
 * terminator, whatever widths the format asks for. */
static void text_Print(char *out, const char *format, int number)
{
    char wide[1025];
    wsprintfA(wide, format, number);
    lstrcpynA(out, wide, GAD_TEXT_MAX);
}

/* text as it stands, at most GAD_TEXT_MAX - 1 characters. */
static void text_Copy(char *out, const char *text)
{
    lstrcpynA(out, text, GAD_TEXT_MAX);
}

/* The label text is a printf format taken from the client: only one
 * conversion of an int is meant, so anything else in it is printed as it
 * stands rather than handed to wsprintf. */
static int format_IsSafe(const char *text)
{
    int conversions = 0;
    for (const char *p = text; *p; p++) {
        if (*p != '%')
            continue;
        p++;
        if (*p == '%')
            continue;
        while (*p && strchr("-#0", *p))
            p++;
        while (*p >= '0' && *p <= '9')
            p++;
        if (!*p || !strchr("dixXuc", *p) || ++conversions > 1)
            return 0;
    }
    return 1;
}

/* text as the format of number, or text as it stands when it is not a
 * format of one int. */
static void text_Format(char *out, const char *text, int number)
{
    if (format_IsSafe(text))
        text_Print(out, text, number);
    else
        text_Copy(out, text);
}

void gad_FormatValue(const Gadget *g, char *out, int min, int max, int value)
{
    if (g->textProc) {
        g->textProc(value, out);
        return;
    }
    int percent = (g->flags & VT_PERCENT) != 0;
    int number = percent ? gad_Percent(min, max, value) : value;
    if (!memchr(g->text, '%', strnlen(g->text, GAD_TEXT_MAX)))
        text_Copy(out, g->text);
    else if (g->flags & VT_BUILTIN)
        text_Print(out, percent ? "%d%%" : "%d", number);
    else
        text_Format(out, g->text, number);
}

void gad_LabelText(const Gadget *g, char *out, int min, int max, int value)
{
    int labelPercent = (g->flags & VT_LABELPERCENT) != 0;
    size_t len = strnlen(g->text, GAD_TEXT_MAX);
    if (len == 0) {
        if (g->flags & VT_PERCENT)
            text_Print(out, "%d%%", gad_Percent(min, max, value));
        else
            text_Print(out, "%d", value);
    } else if (!memchr(g->text, '%', len)) {
        text_Copy(out, g->text);
    } else {
        int number = labelPercent ? gad_Percent(min, max, value) : value;
        if (g->flags & VT_LABELFORMAT)
            text_Format(out, g->text, number);
        else
            text_Print(out, labelPercent ? "%d%%" : "%d", number);
    }
}

int gad_ShowValue(const Gadget *g, int labelId, int min, int max, int value)
{
    int p = gad_Percent(min, max, value);
    if (!g || labelId == -1)
        return p;
    char out[GAD_TEXT_MAX];
    gad_LabelText(g, out, min, max, value);
    HWND label = GetDlgItem(g->hDlg, labelId);
    if (!label)
        return p;
    SetWindowTextA(label, out);
    /* A transparent label draws its text over what is under it without
     * erasing; the old text goes only when the dialog repaints there. */
    const Gadget *lg = gad_GetGadget(g->hDlg, labelId);
    if (lg && (lg->state & GS_TRANSPARENT))
        gad_RedrawUnder(g->hDlg, label);
    return p;
}
