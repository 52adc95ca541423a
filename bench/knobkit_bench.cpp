/* knobkit_bench.cpp -- what one draw and one press-drag-release cycle of
 * 100 steps cost for each gadget at its size in the gallery, under Wine.
 *
 *     knobkit_bench
 *
 * Each gadget sits alone in a visible dialog run by the library.  A draw
 * is the control repainting itself at once (the gadget paints inside it);
 * a cycle is a press on the knob, 100 mouse moves and the release, sent
 * to the dialog as the system sends them, with every notification
 * handled.  The LED takes no mouse input: it is only drawn, full (eight
 * lit digits over four lines of 16 characters).
 * Draws are timed by the clock, cycles by the thread's CPU time; each
 * figure is the best of three rounds.
 *
 * Locale tables: a file of 1,000 entries in 10 sections, each a text and
 * a tooltip, loaded from the temporary folder and its last section
 * chosen, timed by the clock, best of 20.
 *
 * BMP files: a large one loaded with kk_LoadBitmap against the system's
 * LoadImage.
 *
 * The list: 1,000 selected items (every tenth) of a 10,000-item list
 * view moved up by one, and deleted, each call timed by the clock once,
 * with the client's handler keeping an array of its own in step (one
 * GM_LIST per exchange, refresh and deletion).
 */
#include "knobkit.h"

#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "../tests/knobkit/dlg_template.h"

enum { ID_GADGET = 100, DRAWS = 400, CYCLES = 10, STEPS = 100, ROUNDS = 3 };

static INT_PTR KKAPI on_Note(HWND, WPARAM, LPARAM, int, LPARAM)
{
    return DLG_HANDLED;
}

static const DlgHandler table[] = {
    {GM_IBUTTON, 0, on_Note, 0},
    {GM_SLIDER, 0, on_Note, 0},
    {GM_WHEEL, 0, on_Note, 0},
    {GM_SIZER, 0, on_Note, 0},
    {0, 0, NULL, 0},
};

static HBITMAP library_Bitmap(int id)
{
    return LoadBitmapA(GetModuleHandleA("knobkit.dll"), MAKEINTRESOURCEA(id));
}

/* A screen-compatible w x h of magenta (the pictures' key colour),
 * painted over by paint, which has the device context. */
static HBITMAP key_Bitmap(int w, int h, void (*paint)(HDC, COLORREF),
                          COLORREF colour)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, w, h};
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, key);
    DeleteObject(key);
    paint(dc, colour);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

static void paint_Disc(HDC dc, COLORREF colour)
{
    HBRUSH br = CreateSolidBrush(colour);
    HGDIOBJ ob = SelectObject(dc, br);
    HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, 0, 8, 8);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(br);
}

/* The wheel's mark: a disc of colour on magenta. */
static HBITMAP mark_Bitmap(COLORREF colour)
{
    return key_Bitmap(7, 7, paint_Disc, colour);
}

/* A gadget, its control's size in pixels as in the gallery, and
 * where its drag runs in the control's client area: from (x0, y0) to
 * (x1, y1) and back. */
struct Case {
    const char *name;
    short cx, cy;
    Gadget *(*make)(HWND dlg);
    int x0, y0, x1, y1;   /* per mille of the client size */
};

static Gadget *make_IButton(HWND dlg)
{
    RECT normal = {0, 0, 20, 15}, pressed = {0, 15, 20, 30};
    HBITMAP frame = library_Bitmap(110);
    Gadget *g = ibtn_Create(dlg, ID_GADGET, 0, frame, &normal, 0, 0, frame,
                            &pressed, NULL, NULL, 0, 0);
    DeleteObject(frame);
    return g;
}

static Gadget *make_Slider(HWND dlg)
{
    return slider_Create(dlg, ID_GADGET, 0, 18, -1);
}

static Gadget *make_Wheel(HWND dlg)
{
    return wheel_Create(dlg, ID_GADGET, 0, -1, 0.75f, library_Bitmap(112),
                        NULL, 0, 0, mark_Bitmap(RGB(96, 0, 0)), NULL, 0, 0,
                        mark_Bitmap(RGB(255, 82, 41)), NULL, 0, 0);
}

static Gadget *make_Sizer(HWND dlg)
{
    Gadget *g = sizer_Create(dlg, ID_GADGET, 0, 6, RGB(0, 32, 96),
                             RGB(120, 120, 128), RGB(230, 230, 220));
    sizer_SetPos(g, 0.25f, 0.25f, 0.5f, 0.5f);
    return g;
}

/* A caption across the fill's end, so both parts paint text. */
static Gadget *make_ProgBar(HWND dlg)
{
    Gadget *g = pb_Create(dlg, ID_GADGET, VT_PERCENT, RGB(255, 255, 255),
                          RGB(0, 32, 96), RGB(0, 0, 0), RGB(230, 230, 220),
                          -1);
    pb_Modify(g, 0, 100, 50);
    return g;
}

/* A seven-segment digit of 16 x 26 on magenta: segment b is row b of
 * the table, lit in the LED's orange. */
static const LedSegment digit[32] = {
    {3, 0, 10, 3},  {13, 2, 3, 10}, {13, 14, 3, 10}, {3, 23, 10, 3},
    {0, 14, 3, 10}, {0, 2, 3, 10},  {3, 11, 10, 3},
};

static void paint_Segments(HDC dc, COLORREF colour)
{
    HBRUSH lit = CreateSolidBrush(colour);
    for (int b = 0; b < 7; b++) {
        RECT r = {digit[b].x, digit[b].y, digit[b].x + digit[b].width,
                  digit[b].y + digit[b].height};
        FillRect(dc, &r, lit);
    }
    DeleteObject(lit);
}

static HBITMAP digit_Bitmap(void)
{
    return key_Bitmap(16, 26, paint_Segments, RGB(255, 82, 41));
}

/* Everything an LED holds: eight digits, all segments lit, over four
 * full lines of 16 characters, on the characters' black. */
static Gadget *make_Led(HWND dlg)
{
    Gadget *g = led_Create(dlg, ID_GADGET, 0);
    if (!g)
        return NULL;
    for (int i = 0; i < LED_PANELS; i++) {
        led_CreatePanel(g, i, 20 * i, 0, digit_Bitmap(), NULL, 0, 0, FALSE,
                        digit);
        led_Set(g, i, 0x7F);
    }
    for (int i = 0; i < LED_LINES; i++) {
        led_CreateText(g, i, 0, 30 + 24 * i, 16, TRUE);
        led_SetText(g, i, "0123456789ABCDEF", FALSE);
    }
    return g;
}

static const Case cases[] = {
    {"image button", 21, 16, make_IButton, 500, 500, 700, 500},
    {"slider", 201, 23, make_Slider, 20, 500, 980, 500},
    {"wheel", 60, 65, make_Wheel, 500, 900, 100, 500},
    {"sizer", 201, 101, make_Sizer, 500, 500, 900, 900},
    {"progress bar", 201, 17, make_ProgBar, 100, 500, 900, 500},
    /* no mouse input: no drag */
    {"LED", 300, 130, make_Led, -1, -1, -1, -1},
};

static double seconds(const LARGE_INTEGER &a, const LARGE_INTEGER &b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (double)(b.QuadPart - a.QuadPart) / (double)f.QuadPart;
}

static double cpu_Seconds(void)
{
    FILETIME c, e, k, u;
    GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
    ULARGE_INTEGER kk = {{k.dwLowDateTime, k.dwHighDateTime}};
    ULARGE_INTEGER uu = {{u.dwLowDateTime, u.dwHighDateTime}};
    return (double)(kk.QuadPart + uu.QuadPart) / 1e7;
}

/* Notifications and paints; the real pointer's input is not the bench's. */
static void pump(void)
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0,
                        PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT |
                            PM_QS_SENDMESSAGE))
        DispatchMessageA(&m);
}

static void send(HWND dlg, HWND ctl, UINT msg, int x, int y)
{
    POINT p = {x, y};
    MapWindowPoints(ctl, dlg, &p, 1);
    SendMessageA(dlg, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(p.x, p.y));
}

/* CYCLES presses at (x0, y0), each with STEPS moves out to (x1, y1) and
 * back, and the release; the CPU and clock time of one. */
static void cycles(HWND dlg, HWND ctl, int x0, int y0, int x1, int y1,
                   double *cpu, double *wall)
{
    LARGE_INTEGER a, b;
    double cpu0 = cpu_Seconds();
    QueryPerformanceCounter(&a);
    for (int n = 0; n < CYCLES; n++) {
        send(dlg, ctl, WM_LBUTTONDOWN, x0, y0);
        for (int i = 1; i <= STEPS; i++) {
            /* out and back, so every step changes the value */
            int k = i <= STEPS / 2 ? i : STEPS - i;
            send(dlg, ctl, WM_MOUSEMOVE, x0 + (x1 - x0) * k * 2 / STEPS,
                 y0 + (y1 - y0) * k * 2 / STEPS);
            pump();
        }
        send(dlg, ctl, WM_LBUTTONUP, x0, y0);
        pump();
    }
    QueryPerformanceCounter(&b);
    *cpu = (cpu_Seconds() - cpu0) / CYCLES;
    *wall = seconds(a, b) / CYCLES;
}

static int run(const Case &c)
{
    Template t(WS_POPUP | WS_VISIBLE);
    t.custom("STATIC", SS_LEFT, ID_GADGET, 5, 5, 10, 10, "%d");
    HWND dlg = dlg_CreateDialogIndirect(GetModuleHandleA(NULL), t.get(),
                                        NULL, table);
    if (dlg)
        SetWindowPos(GetDlgItem(dlg, ID_GADGET), NULL, 0, 0, c.cx, c.cy,
                     SWP_NOMOVE | SWP_NOZORDER);
    Gadget *g = dlg ? c.make(dlg) : NULL;
    if (!g) {
        fprintf(stderr, "knobkit_bench: no %s\n", c.name);
        return 1;
    }
    HWND ctl = gad_GetWindow(g);
    RECT r;
    GetClientRect(ctl, &r);
    UpdateWindow(dlg);
    pump();

    LARGE_INTEGER a, b;
    double draw = 1e9, cpu = 1e9, wall = 1e9;   /* the best rounds */
    for (int round = 0; round < ROUNDS; round++) {
        QueryPerformanceCounter(&a);
        for (int i = 0; i < DRAWS; i++)
            RedrawWindow(ctl, NULL, NULL,
                         RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
        QueryPerformanceCounter(&b);
        double t = seconds(a, b) / DRAWS;
        draw = t < draw ? t : draw;
    }

    if (c.x0 < 0) {
        printf("%-13s %3ldx%-3ld px  draw %7.3f ms\n", c.name, r.right,
               r.bottom, draw * 1e3);
        DestroyWindow(dlg);
        return 0;
    }
    int x0 = r.right * c.x0 / 1000, y0 = r.bottom * c.y0 / 1000;
    int x1 = r.right * c.x1 / 1000, y1 = r.bottom * c.y1 / 1000;
    for (int round = 0; round < ROUNDS; round++) {
        double c1, w1;
        cycles(dlg, ctl, x0, y0, x1, y1, &c1, &w1);
        cpu = c1 < cpu ? c1 : cpu;
        wall = w1 < wall ? w1 : wall;
    }
    printf("%-13s %3ldx%-3ld px  draw %7.3f ms   100-step drag %6.1f ms CPU "
           "(%6.1f ms wall)\n",
           c.name, r.right, r.bottom, draw * 1e3, cpu * 1e3, wall * 1e3);
    DestroyWindow(dlg);
    return 0;
}

/* ---- Locale tables ---- */

enum { LOCALE_SECTIONS = 10, LOCALE_ENTRIES = 1000, LOCALE_ROUNDS = 20 };

/* The file; its size, 0 when it cannot be written. */
static DWORD locale_Write(const char *path)
{
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0,
                           NULL);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    DWORD total = 0;
    const int per = LOCALE_ENTRIES / LOCALE_SECTIONS;
    for (int s = 0; s < LOCALE_SECTIONS; s++) {
        char line[160];
        DWORD n = (DWORD)wsprintfA(line, "// language %d\r\n[Language %d]\r\n",
                                   s, s);
        WriteFile(f, line, n, &n, NULL);
        total += n;
        for (int i = 0; i < per; i++) {
            n = (DWORD)wsprintfA(line, "%03d Label number %d of language %d"
                                 "@What control %d does``in two lines\r\n",
                                 i, i, s, i);
            WriteFile(f, line, n, &n, NULL);
            total += n;
        }
    }
    CloseHandle(f);
    return total;
}

static int locale_Bench(void)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "kkb", 0, path);
    DWORD size = locale_Write(path);
    double best = 1e9;
    int rc = size ? 0 : 1;
    for (int round = 0; round < LOCALE_ROUNDS && !rc; round++) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        Locale *l = locale_Load(path);
        int chosen = locale_Choose(l, LOCALE_SECTIONS - 1);
        QueryPerformanceCounter(&t1);
        rc = chosen != LOCALE_SECTIONS - 1 || !locale_GetString(l, 99);
        locale_Free(l);
        double t = seconds(t0, t1);
        best = t < best ? t : best;
    }
    DeleteFileA(path);
    if (!rc)
        printf("locale        %d entries in %d sections, %lu bytes: load and "
               "choose %6.3f ms\n",
               LOCALE_ENTRIES, LOCALE_SECTIONS, (unsigned long)size,
               best * 1e3);
    return rc;
}

/* ---- BMP files ----
 * kk_LoadBitmap of a 1024 x 1024 24-bit file against the system's own
 * LoadImage from the file, both making a screen bitmap, alternately in
 * the same run: the best of BMP_ROUNDS each.  The file is a gradient,
 * saved by kk_SaveBitmap (timed too). */
enum { BMP_SIDE = 1024, BMP_ROUNDS = 7 };

static HBITMAP gradient_Bitmap(void)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = BMP_SIDE;
    bi.bmiHeader.biHeight = BMP_SIDE;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *p = NULL;
    HBITMAP bmp = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &p, NULL, 0);
    BYTE *px = (BYTE *)p;
    for (int i = 0; px && i < BMP_SIDE * BMP_SIDE * 3; i++)
        px[i] = (BYTE)(i * 7 + i / 3072);
    return bmp;
}

static double timed(HBITMAP (*load)(const char *), const char *path)
{
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    HBITMAP bmp = load(path);
    QueryPerformanceCounter(&b);
    if (!bmp)
        return -1.0;
    DeleteObject(bmp);
    return seconds(a, b);
}

static HBITMAP load_Ours(const char *path)
{
    return kk_LoadBitmap(path, NULL, NULL);
}

static HBITMAP load_System(const char *path)
{
    return (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE);
}

static double best(double a, double b)
{
    return a < 0 || b < 0 ? -1.0 : a < b ? a : b;
}

static int bench_Bmp(void)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    wsprintfA(path, "%skk_bench_%lu.bmp", dir, GetCurrentProcessId());
    HBITMAP src = gradient_Bitmap();
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    kk_SaveBitmap(path, src);
    QueryPerformanceCounter(&b);
    DeleteObject(src);
    double ours = 1e9, system = 1e9;
    for (int round = 0; round < BMP_ROUNDS; round++) {
        ours = best(ours, timed(load_Ours, path));
        system = best(system, timed(load_System, path));
    }
    DeleteFileA(path);
    if (ours < 0 || system < 0) {
        fprintf(stderr, "knobkit_bench: a BMP did not load\n");
        return 1;
    }
    printf("BMP %dx%d 24-bit: kk_SaveBitmap %6.2f ms; load kk_LoadBitmap "
           "%6.2f ms, LoadImage %6.2f ms: %.2fx the system's time\n",
           BMP_SIDE, BMP_SIDE, seconds(a, b) * 1e3, ours * 1e3, system * 1e3,
           ours / system);
    return 0;
}

/* ---- The list ---- */

enum { LIST_ITEMS = 10000, LIST_STEP = 10 };

/* The client's data: one number per item, kept in step with the list. */
static struct {
    int data[LIST_ITEMS];
    int count;
    long messages;
} client;

static INT_PTR KKAPI on_List(HWND, WPARAM wParam, LPARAM lParam, int, LPARAM)
{
    int i = (int)lParam;
    client.messages++;
    switch (GLN_CODE(wParam)) {
    case GLN_SWAP: {
        int t = client.data[i];
        client.data[i] = client.data[i + 1];
        client.data[i + 1] = t;
        break;
    }
    case GLN_DELETED:
        memmove(client.data + i, client.data + i + 1,
                (size_t)(client.count - i - 1) * sizeof *client.data);
        client.count--;
        break;
    }
    return DLG_HANDLED;
}

static const DlgHandler listTable[] = {
    {GM_LIST, 0, on_List, 0},
    {0, 0, NULL, 0},
};

static HWND list_Dialog(Gadget **g, GlistColumn *columns)
{
    Template t(WS_POPUP | WS_VISIBLE);
    t.custom(WC_LISTVIEWA, LVS_REPORT | LVS_SHOWSELALWAYS, ID_GADGET, 5, 5,
             180, 150, "");
    HWND dlg = dlg_CreateDialogIndirect(GetModuleHandleA(NULL), t.get(),
                                        NULL, listTable);
    *g = dlg ? glist_Create(dlg, ID_GADGET, 0, columns) : NULL;
    if (!*g)
        return dlg;
    HWND lv = gad_GetWindow(*g);
    SendMessageA(lv, LVM_SETITEMCOUNT, LIST_ITEMS, 0);
    char text[16];
    for (int i = 0; i < LIST_ITEMS; i++) {
        LVITEMA it = {};
        it.mask = LVIF_TEXT;
        it.iItem = i;
        wsprintfA(text, "item %d", i);
        it.pszText = text;
        SendMessageA(lv, LVM_INSERTITEMA, 0, (LPARAM)&it);
        client.data[i] = i;
    }
    client.count = LIST_ITEMS;
    LVITEMA st = {};
    st.stateMask = LVIS_SELECTED;
    SendMessageA(lv, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&st);
    st.state = LVIS_SELECTED;
    for (int i = 1; i < LIST_ITEMS; i += LIST_STEP)
        SendMessageA(lv, LVM_SETITEMSTATE, i, (LPARAM)&st);
    UpdateWindow(dlg);
    pump();
    return dlg;
}

static double list_Time(void (*op)(Gadget *), Gadget *g, long *messages)
{
    LARGE_INTEGER a, b;
    client.messages = 0;
    QueryPerformanceCounter(&a);
    op(g);
    UpdateWindow(GetParent(gad_GetWindow(g)));
    QueryPerformanceCounter(&b);
    *messages = client.messages;
    return seconds(a, b);
}

static int run_List(void)
{
    GlistColumn columns[] = {{"Item", LVCFMT_LEFT, 0, 0, 120},
                             {NULL, 0, 0, 0, 0}};
    Gadget *g;
    HWND dlg = list_Dialog(&g, columns);
    if (!g) {
        fprintf(stderr, "knobkit_bench: no list\n");
        return 1;
    }
    long moved, deleted;
    double up = list_Time(glist_MoveUp, g, &moved);
    int inStep = client.data[0] == 1 && client.data[1] == 0;
    double del = list_Time(glist_Delete, g, &deleted);
    int left = (int)SendMessageA(gad_GetWindow(g), LVM_GETITEMCOUNT, 0, 0);
    printf("list %d items, %d selected: move up %7.1f ms (%ld GM_LIST)   "
           "delete %7.1f ms (%ld GM_LIST, %d left)%s\n",
           LIST_ITEMS, LIST_ITEMS / LIST_STEP, up * 1e3, moved, del * 1e3,
           deleted, left, inStep && client.count == left ? "" : "  WRONG");
    DestroyWindow(dlg);
    return !inStep || client.count != left;
}

int main()
{
    int rc = 0;
    for (const Case &c : cases)
        rc |= run(c);
    rc |= locale_Bench();
    rc |= bench_Bmp();
    rc |= run_List();
    return rc;
}
