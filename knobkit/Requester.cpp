/* Requester.cpp -- the library's requesters: modal boxes of the library's
 * template 108 with a title bar it draws, a text of centred lines (bold
 * or coloured ones by markup), one or two buttons whose words follow the
 * client's language, and the brushed texture behind them.
 *
 * Every place and size is computed when the box starts, from the text
 * and the button words measured in DEF_FONT13 (pixels, client
 * coordinates):
 *     title bar   (0, 0, width, 24)
 *     text area   (16, 40, contentW, textH)   textH = text height + 32
 *     buttons     at y = textH + 48, bw x bh each, 16 apart, centred
 *     client      contentW + 32 x bh + textH + 56
 * where contentW is the larger of the text width + 64 and the buttons'
 * row + 16, bw the widest word + 64 and bh the tallest + 20.
 */
#include "kk_int.h"
#include "ident.h"

#include <stdlib.h>

MODULE_IDENT("knobkit/Requester.cpp");

enum {
    IDD_REQUESTER = 108,
    BMP_TEXTURE = 109,
    IDC_TITLEBAR = 1000,
    IDC_TEXTAREA = 1001,
    TITLE_HEIGHT = 24,
    LINE_MAX = 255,        /* characters of a line that show */
    WORD_MAX = 128,        /* a button word and its terminator */
};

enum { KIND_INFO, KIND_YESNO, KIND_OKCANCEL };
enum { WORD_OK, WORD_CANCEL, WORD_YES, WORD_NO, WORDS };

/* The button words of every requester, in the order of the locale's
 * strings 10 to 13. */
static char reqWords[WORDS][WORD_MAX] = {"OK", "Cancel", "Yes", "No"};

/* One request, on the caller's stack while its box runs; the box keeps a
 * pointer to it in GWLP_USERDATA. */
typedef struct Request {
    const char *title;
    const char *text;
    int32_t     kind;
    int32_t     dragX, dragY;   /* the press, client coordinates */
    int32_t     dragging;       /* 1 while dragged by the title bar */
    HBITMAP     hTexture;       /* the requester's own */
    int32_t     textureWidth, textureHeight;
} Request;

/* ---- The text ---- */

/* One line of the markup: its text without the marks, its look. */
typedef struct TextLine {
    const char *text;
    int         length;
    BOOL        bold;
    COLORREF    colour;
} TextLine;

/* Six hex digits at p as a number; -1 when they are not all there. */
static long hex_Six(const char *p)
{
    uint8_t hi, mid, lo;
    if (!hex_Valid(p, 6) || !hex_Get2(p, &hi) || !hex_Get2(p + 2, &mid) ||
        !hex_Get2(p + 4, &lo))
        return -1;
    return (long)hi << 16 | (long)mid << 8 | lo;
}

/* The line starting at p into line; the start of the next one, or null
 * after the last.  A colour mark without its six digits is no mark. */
static const char *line_Next(const char *p, TextLine *line)
{
    line->bold = *p == '\b';
    p += line->bold;
    line->colour = RGB(255, 255, 255);
    long c = *p == '\t' ? hex_Six(p + 1) : -1;
    if (c >= 0) {
        line->colour = (COLORREF)c;
        p += 7;
    }
    const char *end = strchr(p, '\n');
    size_t n = end ? (size_t)(end - p) : strlen(p);
    line->text = p;
    line->length = n > LINE_MAX ? LINE_MAX : (int)n;
    return end && end[1] ? end + 1 : NULL;
}

/* Measures the text line by line in hdc (*width the widest line,
 * *height the sum of the lines' heights) and, with draw, draws it
 * centred in the window's client width from y on, without background.
 * An empty line is as tall as the font and 2; an empty text is 0 x 0. */
static void req_LayoutText(HWND hWnd, HDC hdc, const char *text, int *width,
                           int *height, BOOL draw, int y)
{
    RECT client;
    GetClientRect(hWnd, &client);
    HGDIOBJ oldFont = GetCurrentObject(hdc, OBJ_FONT);
    *width = *height = 0;
    for (const char *p = text && *text ? text : NULL; p;) {
        TextLine line;
        p = line_Next(p, &line);
        SelectObject(hdc, dlg_GetDefObject(line.bold ? DEF_FONT13BOLD
                                                     : DEF_FONT13));
        SIZE sz = {0, 0};
        if (line.length) {
            GetTextExtentPoint32A(hdc, line.text, line.length, &sz);
        } else {
            TEXTMETRICA tm;
            GetTextMetricsA(hdc, &tm);
            sz.cy = tm.tmHeight;
        }
        sz.cy += 2;
        if (draw && line.length) {
            SetTextColor(hdc, line.colour);
            ExtTextOutA(hdc, client.right / 2 - sz.cx / 2, *height + y, 0,
                        NULL, line.text, (UINT)line.length, NULL);
        }
        *width = sz.cx > *width ? sz.cx : *width;
        *height += sz.cy;
    }
    SelectObject(hdc, oldFont);
}

/* ---- Start ---- */

/* The extent of a text in hdc's font. */
static SIZE text_Size(HDC hdc, const char *text)
{
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(hdc, text, lstrlenA(text), &sz);
    return sz;
}

/* The words of the buttons: the first, and the second (null for one
 * button). */
static void req_Words(const Request *r, const char **first,
                      const char **second)
{
    *first = reqWords[r->kind == KIND_YESNO ? WORD_YES : WORD_OK];
    *second = r->kind == KIND_YESNO      ? reqWords[WORD_NO]
              : r->kind == KIND_OKCANCEL ? reqWords[WORD_CANCEL]
                                         : NULL;
}

static void ctl_Font(HWND hDlg, int id, int def)
{
    SendDlgItemMessageA(hDlg, id, WM_SETFONT, (WPARAM)dlg_GetDefObject(def),
                        FALSE);
}

/* The box's rectangle (client size w x h with its frame) centred over
 * the owner, or over the screen without one, then kept on the screen:
 * first its far edges, then its left and top, so that a box larger than
 * the screen shows its title bar. */
static RECT box_Place(HWND hDlg, int w, int h)
{
    RECT r = {0, 0, w, h};
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(hDlg, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongA(hDlg, GWL_EXSTYLE));
    int bw = r.right - r.left, bh = r.bottom - r.top;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT o = {0, 0, sw, sh};
    HWND owner = GetWindow(hDlg, GW_OWNER);
    if (owner)
        GetWindowRect(owner, &o);
    int x = (o.right - o.left) / 2 - bw / 2 + o.left;
    int y = (o.bottom - o.top) / 2 - bh / 2 + o.top;
    x = x + bw > sw ? sw - bw : x;
    y = y + bh > sh ? sh - bh : y;
    RECT box = {x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0};
    box.right = box.left + bw;
    box.bottom = box.top + bh;
    return box;
}

/* Sizes from the text and the words; the controls placed, the box
 * centred. */
static void req_Layout(HWND hDlg, const Request *r)
{
    const char *first, *second;
    req_Words(r, &first, &second);
    HDC hdc = GetDC(hDlg);
    HGDIOBJ old = SelectObject(hdc, dlg_GetDefObject(DEF_FONT13));
    int tw, th;
    req_LayoutText(GetDlgItem(hDlg, IDC_TEXTAREA), hdc, r->text, &tw, &th,
                   FALSE, 0);
    SIZE a = text_Size(hdc, first), b = second ? text_Size(hdc, second) : a;
    SelectObject(hdc, old);
    ReleaseDC(hDlg, hdc);

    int textW = tw + 64, textH = th + 32;
    int bw = (a.cx > b.cx ? a.cx : b.cx) + 64;
    int bh = (a.cy > b.cy ? a.cy : b.cy) + 20;
    int row = second ? 2 * bw + 16 : bw;
    int contentW = textW > row + 16 ? textW : row + 16;
    int width = contentW + 32, height = bh + textH + 56;

    int x = (width - row) / 2, y = textH + 48;
    MoveWindow(GetDlgItem(hDlg, IDC_TITLEBAR), 0, 0, width, TITLE_HEIGHT,
               FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_TEXTAREA), 16, 40, contentW, textH, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDOK), x, y, bw, bh, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDCANCEL), x + bw + 16, y, bw, bh, FALSE);
    SetDlgItemTextA(hDlg, IDOK, first);
    SetDlgItemTextA(hDlg, IDCANCEL, second ? second : "");
    if (!second)
        ShowWindow(GetDlgItem(hDlg, IDCANCEL), SW_HIDE);

    RECT box = box_Place(hDlg, width, height);
    MoveWindow(hDlg, box.left, box.top, box.right - box.left,
               box.bottom - box.top, FALSE);
}

static void req_Start(HWND hDlg, Request *r)
{
    SetWindowLongPtrA(hDlg, GWLP_USERDATA, (LONG_PTR)r);
    r->dragging = 0;
    r->hTexture = LoadBitmapA(kk_Module(), MAKEINTRESOURCEA(BMP_TEXTURE));
    int w, h;
    gad_GetBitmapSize(r->hTexture, &w, &h);
    r->textureWidth = w;
    r->textureHeight = h;
    /* Without a caption the title still names the box in window lists. */
    SetWindowTextA(hDlg, r->title);
    SendMessageA(hDlg, WM_SETFONT, (WPARAM)dlg_GetDefObject(DEF_FONT13),
                 FALSE);
    ctl_Font(hDlg, IDC_TEXTAREA, DEF_FONT13);
    ctl_Font(hDlg, IDOK, DEF_FONT13BOLD);
    ctl_Font(hDlg, IDC_TITLEBAR, DEF_FONT13BOLD);
    ctl_Font(hDlg, IDCANCEL, DEF_FONT13);
    req_Layout(hDlg, r);
}

/* ---- Painting ---- */

static INT_PTR title_Paint(HWND ctl, HDC hdc, const Request *r)
{
    RECT rc;
    GetClientRect(ctl, &rc);
    SelectObject(hdc, (HFONT)SendMessageA(ctl, WM_GETFONT, 0, 0));
    SIZE sz = text_Size(hdc, r->title);
    SetTextColor(hdc, RGB(255, 255, 255));
    SetBkColor(hdc, RGB(0, 0, 128));
    ExtTextOutA(hdc, (rc.right - sz.cx) / 2, (rc.bottom - sz.cy) / 2,
                ETO_OPAQUE | ETO_CLIPPED, &rc, r->title,
                (UINT)lstrlenA(r->title), NULL);
    return (INT_PTR)GetStockObject(HOLLOW_BRUSH);
}

/* The block of lines centred both ways on the shadow colour. */
static INT_PTR text_Paint(HWND ctl, HDC hdc, const Request *r)
{
    RECT rc;
    GetClientRect(ctl, &rc);
    int tw, th;
    req_LayoutText(ctl, hdc, r->text, &tw, &th, FALSE, 0);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
    SetBkMode(hdc, TRANSPARENT);
    req_LayoutText(ctl, hdc, r->text, &tw, &th, TRUE,
                   rc.bottom / 2 - th / 2);
    return (INT_PTR)GetStockObject(HOLLOW_BRUSH);
}

static INT_PTR req_Color(HDC hdc, HWND ctl, const Request *r)
{
    switch (GetDlgCtrlID(ctl)) {
    case IDC_TITLEBAR: return title_Paint(ctl, hdc, r);
    case IDC_TEXTAREA: return text_Paint(ctl, hdc, r);
    }
    return 0;
}

static BOOL req_Erase(HWND hDlg, HDC hdc, const Request *r)
{
    RECT rc;
    GetClientRect(hDlg, &rc);
    return r->hTexture && gad_TileBitmap(hdc, &rc, r->hTexture);
}

/* ---- Moving the box by its title bar ---- */

static void drag_Press(HWND hDlg, Request *r, LPARAM lParam)
{
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (ChildWindowFromPoint(hDlg, pt) != GetDlgItem(hDlg, IDC_TITLEBAR))
        return;
    r->dragX = pt.x;
    r->dragY = pt.y;
    r->dragging = 1;
    SetCapture(hDlg);
    SetCursor(LoadCursorA(NULL, IDC_SIZEALL));
}

static void drag_Move(HWND hDlg, const Request *r, LPARAM lParam)
{
    if (!r->dragging) {
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
        return;
    }
    RECT w;
    GetWindowRect(hDlg, &w);
    MoveWindow(hDlg, w.left - r->dragX + (short)LOWORD(lParam),
               w.top - r->dragY + (short)HIWORD(lParam), w.right - w.left,
               w.bottom - w.top, TRUE);
    SetCursor(LoadCursorA(NULL, IDC_SIZEALL));
}

/* The button went up, or the capture went elsewhere: the box stays. */
static void drag_End(Request *r)
{
    if (!r->dragging)
        return;
    r->dragging = 0;
    if (GetCapture())
        ReleaseCapture();
}

/* ---- The procedure ---- */

/* What the sender of a message gets back from a dialog. */
static INT_PTR req_Answer(HWND hDlg, INT_PTR r)
{
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, r);
    return r;
}

static INT_PTR CALLBACK req_Procedure(HWND hDlg, UINT msg, WPARAM wParam,
                                      LPARAM lParam)
{
    Request *r = (Request *)GetWindowLongPtrA(hDlg, GWLP_USERDATA);
    if (msg == WM_INITDIALOG) {
        req_Start(hDlg, (Request *)lParam);
        return FALSE;   /* no focus: Enter and Escape reach the box */
    }
    if (!r)
        return FALSE;
    switch (msg) {
    case WM_ERASEBKGND:
        return req_Answer(hDlg, req_Erase(hDlg, (HDC)wParam, r));
    case WM_CTLCOLORSTATIC:
        return req_Color((HDC)wParam, (HWND)lParam, r);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        drag_Press(hDlg, r, lParam);
        return FALSE;
    case WM_MOUSEMOVE:
        drag_Move(hDlg, r, lParam);
        return FALSE;
    case WM_LBUTTONUP:
        drag_End(r);
        return FALSE;
    case WM_CAPTURECHANGED:
        r->dragging = 0;
        return FALSE;
    case WM_SETCURSOR:
        /* Over the box the cursor is the requester's own. */
        return LOWORD(lParam) == HTCLIENT && req_Answer(hDlg, TRUE);
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return FALSE;
        EndDialog(hDlg, LOWORD(wParam) == IDOK);
        return TRUE;
    case WM_DESTROY:
        if (r->hTexture)
            DeleteObject(r->hTexture);
        r->hTexture = NULL;
        return FALSE;
    }
    return FALSE;
}

static INT_PTR req_Run(HWND owner, const char *title, const char *text,
                       int kind)
{
    Request r = {title ? title : "", text ? text : "", kind, 0, 0, 0, NULL,
                 0, 0};
    return DialogBoxParamA(kk_Module(), MAKEINTRESOURCEA(IDD_REQUESTER),
                           owner, req_Procedure, (LPARAM)&r);
}

/* ---- Exports ---- */

extern "C" INT_PTR KKAPI req_Info(HWND owner, const char *title,
                                  const char *text)
{
    return req_Run(owner, title, text, KIND_INFO);
}

extern "C" INT_PTR KKAPI req_YesNo(HWND owner, const char *title,
                                   const char *text)
{
    return req_Run(owner, title, text, KIND_YESNO);
}

extern "C" INT_PTR KKAPI req_OkCancel(HWND owner, const char *title,
                                      const char *text)
{
    return req_Run(owner, title, text, KIND_OKCANCEL);
}

extern "C" void KKAPI req_SetLocale(const Locale *locale)
{
    for (int i = 0; locale && i < WORDS; i++) {
        const char *s = locale_GetString(locale, 10 + i);
        if (s)
            lstrcpynA(reqWords[i], s, WORD_MAX);
    }
}
