/* Tools.cpp -- BMP files read into screen bitmaps and written from them,
 * and combo and list boxes filled from packed text lists.
 *
 * The BMP layout, and every check a file passes before its pixels are
 * read, are in bmp_check.cpp; this is the Windows half: the file, the
 * palette and the system's bitmaps.  A file is never trusted: its head
 * and then exactly the pixel rows the checked layout names are read, from
 * where the file says they are, and the system is handed a header and a
 * colour table made here of checked values, never the file's own.
 */
#include "kk_int.h"
#include "bmp_check.h"
#include "ident.h"

MODULE_IDENT("knobkit/Tools.cpp");

/* What the system is given for a loaded file: a plain 40-byte header of
 * the checked layout, then the three colour masks or a colour table of
 * all 2^bits entries, those past the file's own black, so that no pixel
 * can index past it. */
typedef struct BmpInfo {
    BITMAPINFOHEADER h;
    RGBQUAD          table[BMP_TABLE_MAX];
} BmpInfo;

static BOOL file_ReadAt(HANDLE f, uint64_t at, void *buf, DWORD n)
{
    LARGE_INTEGER pos;
    pos.QuadPart = (LONGLONG)at;
    DWORD got = 0;
    return SetFilePointerEx(f, pos, NULL, FILE_BEGIN) &&
           ReadFile(f, buf, n, &got, NULL) && got == n;
}

/* The file's head (BMP_HEAD_MAX bytes, or all of a shorter file)
 * checked against its real length. */
static BOOL head_Read(HANDLE f, uint8_t *head, BmpLayout *l)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f, &size) || size.QuadPart < 0)
        return FALSE;
    uint64_t len = (uint64_t)size.QuadPart;
    DWORD n = len < BMP_HEAD_MAX ? (DWORD)len : BMP_HEAD_MAX;
    return file_ReadAt(f, 0, head, n) && bmp_Check(head, n, len, l);
}

static void info_Make(BmpInfo *info, const uint8_t *head, const BmpLayout *l)
{
    memset(info, 0, sizeof *info);
    info->h.biSize = sizeof info->h;
    info->h.biWidth = l->width;
    info->h.biHeight = l->height;
    info->h.biPlanes = 1;
    info->h.biBitCount = (WORD)l->bits;
    info->h.biCompression = l->compression;
    info->h.biSizeImage = l->imageSize;
    if (l->compression == BMP_BITFIELDS)
        memcpy(info->table, l->masks, sizeof l->masks);
    else if (l->colours)
        memcpy(info->table, head + l->tableOffset, 4 * (size_t)l->colours);
}

/* A logical palette of the file's colour table; null without one. */
static HPALETTE palette_Make(const uint8_t *head, const BmpLayout *l)
{
    if (!l->colours)
        return NULL;
    struct {
        WORD         version, count;
        PALETTEENTRY entry[BMP_TABLE_MAX];
    } lp;
    lp.version = 0x300;
    lp.count = (WORD)l->colours;
    for (uint32_t i = 0; i < l->colours; i++) {
        uint32_t c = bmp_TableColour(head, l, i);
        lp.entry[i].peRed = (BYTE)(c >> 16);
        lp.entry[i].peGreen = (BYTE)(c >> 8);
        lp.entry[i].peBlue = (BYTE)c;
        lp.entry[i].peFlags = 0;
    }
    return CreatePalette((const LOGPALETTE *)&lp);
}

/* The screen bitmap of the pixels.  The file's palette is realised on the
 * screen while the bitmap is made, so that a palette display maps the
 * colours to it; it is deleted afterwards: the bitmap does not need it. */
static HBITMAP screen_Bitmap(const uint8_t *head, const BmpLayout *l,
                             const void *pixels)
{
    BmpInfo info;
    info_Make(&info, head, l);
    HPALETTE pal = palette_Make(head, l);
    HDC screen = GetDC(NULL);
    HPALETTE old = NULL;
    if (pal) {
        old = SelectPalette(screen, pal, FALSE);
        RealizePalette(screen);
    }
    HBITMAP bmp = CreateDIBitmap(screen, &info.h, CBM_INIT, pixels,
                                 (const BITMAPINFO *)&info, DIB_RGB_COLORS);
    if (pal) {
        SelectPalette(screen, old, FALSE);
        DeleteObject(pal);
    }
    ReleaseDC(NULL, screen);
    return bmp;
}

/* The pixels are read straight from a read-only view of the file, up to
 * the last row's end: no copy of them is made.  The file is open without
 * write sharing, so it cannot shrink under the view. */
static HBITMAP bmp_Read(HANDLE f, BmpLayout *l)
{
    uint8_t head[BMP_HEAD_MAX];
    if (!head_Read(f, head, l))
        return NULL;
    HANDLE map = CreateFileMappingA(f, NULL, PAGE_READONLY, 0, 0, NULL);
    if (!map)
        return NULL;
    const uint8_t *view = (const uint8_t *)MapViewOfFile(
        map, FILE_MAP_READ, 0, 0, (SIZE_T)l->pixelOffset + l->imageSize);
    HBITMAP bmp = NULL;
    if (view) {
        bmp = screen_Bitmap(head, l, view + l->pixelOffset);
        UnmapViewOfFile(view);
    }
    CloseHandle(map);
    return bmp;
}

/* Read access is all loading needs: a read-only file loads too. */
HBITMAP KKAPI kk_LoadBitmap(const char *fileName, int *width, int *height)
{
    HANDLE f = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return NULL;
    BmpLayout l;
    HBITMAP bmp = bmp_Read(f, &l);
    CloseHandle(f);
    if (bmp && width)
        *width = l.width;
    if (bmp && height)
        *height = l.height;
    return bmp;
}

/* ---- Saving ---- */

/* The header and colour table of a bitmap to be saved, and its pixels. */
typedef struct BmpSave {
    BITMAPINFO *info;         /* header and colours x 4 bytes of table */
    void       *pixels;       /* imageSize bytes */
    uint32_t    colours;
} BmpSave;

/* The first of 1, 4, 8, 16, 24 and 32 that holds bits; 0 for none. */
static uint32_t bits_Round(uint32_t bits)
{
    static const uint8_t steps[] = {1, 4, 8, 16, 24, 32};
    for (uint8_t s : steps)
        if (bits <= s)
            return s;
    return 0;
}

/* The header of a plain file of the bitmap's size and rounded bits.  Only
 * 1, 4 and 8 bits have a colour table: 16-bit rows hold 5-5-5 colours
 * themselves.  FALSE for a bitmap too large for the file's 32-bit
 * sizes. */
static BOOL save_Header(const BITMAP *bm, BITMAPINFOHEADER *h,
                        uint32_t *colours)
{
    uint32_t bits = bits_Round((uint32_t)bm->bmPlanes * bm->bmBitsPixel);
    if (!bits || bm->bmWidth <= 0 || bm->bmHeight <= 0)
        return FALSE;
    *colours = bits <= 8 ? 1u << bits : 0;
    uint64_t row = ((uint64_t)bm->bmWidth * bits + 31) / 32 * 4;
    uint64_t image = row * (uint64_t)bm->bmHeight;
    if (image > 0x7FFFFFFFu - BMP_HEAD_MAX)
        return FALSE;
    memset(h, 0, sizeof *h);
    h->biSize = sizeof *h;
    h->biWidth = bm->bmWidth;
    h->biHeight = bm->bmHeight;
    h->biPlanes = 1;
    h->biBitCount = (WORD)bits;
    h->biCompression = BI_RGB;
    h->biSizeImage = (DWORD)image;
    h->biClrUsed = *colours;
    return TRUE;
}

static void save_Free(BmpSave *s)
{
    if (s->info)
        HeapFree(GetProcessHeap(), 0, s->info);
    if (s->pixels)
        HeapFree(GetProcessHeap(), 0, s->pixels);
}

/* The bitmap's pixels and colour table, as the screen's device context
 * gives them. */
static BOOL save_Take(HBITMAP hBmp, BmpSave *s)
{
    BITMAP bm;
    BITMAPINFOHEADER h;
    memset(s, 0, sizeof *s);
    if (GetObjectType(hBmp) != OBJ_BITMAP ||
        GetObjectA(hBmp, sizeof bm, &bm) != sizeof bm ||
        !save_Header(&bm, &h, &s->colours))
        return FALSE;
    HANDLE heap = GetProcessHeap();
    s->info = (BITMAPINFO *)HeapAlloc(heap, HEAP_ZERO_MEMORY,
                                      sizeof h + 4 * (size_t)s->colours);
    s->pixels = HeapAlloc(heap, HEAP_ZERO_MEMORY, h.biSizeImage);
    if (!s->info || !s->pixels)
        return FALSE;
    s->info->bmiHeader = h;
    HDC screen = GetDC(NULL);
    int rows = GetDIBits(screen, hBmp, 0, (UINT)h.biHeight, s->pixels,
                         s->info, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    /* GetDIBits may rewrite the header; the file keeps the one made. */
    s->info->bmiHeader = h;
    return rows == h.biHeight;
}

static BOOL file_Write(HANDLE f, const void *data, DWORD n)
{
    DWORD done = 0;
    return WriteFile(f, data, n, &done, NULL) && done == n;
}

/* File header, information header with its colour table, pixels. */
static BOOL save_Write(HANDLE f, const BmpSave *s)
{
    DWORD info = (DWORD)(sizeof s->info->bmiHeader + 4 * s->colours);
    DWORD image = s->info->bmiHeader.biSizeImage;
    BITMAPFILEHEADER fh;
    fh.bfType = 0x4D42;   /* "BM" */
    fh.bfOffBits = (DWORD)sizeof fh + info;
    fh.bfSize = fh.bfOffBits + image;
    fh.bfReserved1 = fh.bfReserved2 = 0;
    return file_Write(f, &fh, sizeof fh) && file_Write(f, s->info, info) &&
           file_Write(f, s->pixels, image);
}

/* A write that fails takes the incomplete file away again. */
void KKAPI kk_SaveBitmap(const char *fileName, HBITMAP hBmp)
{
    BmpSave s;
    if (save_Take(hBmp, &s)) {
        HANDLE f = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0,
                               NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               NULL);
        if (f != INVALID_HANDLE_VALUE) {
            BOOL ok = save_Write(f, &s);
            CloseHandle(f);
            if (!ok)
                DeleteFileA(fileName);
        }
    }
    save_Free(&s);
}

/* ---- List filling ---- */

static void list_Fill(HWND hDlg, int id, UINT msg, const char *list)
{
    for (const char *t = list; t && *t; t += lstrlenA(t) + 1)
        SendDlgItemMessageA(hDlg, id, msg, 0, (LPARAM)t);
}

void KKAPI dlg_FillCombo(HWND hDlg, int id, const char *list)
{
    list_Fill(hDlg, id, CB_ADDSTRING, list);
}

void KKAPI dlg_FillListbox(HWND hDlg, int id, const char *list)
{
    list_Fill(hDlg, id, LB_ADDSTRING, list);
}
