/* uitarget.cpp -- a small GUI program for uidriver's own tests.
 *
 *   uitarget.exe box TITLE TEXT   OK/Cancel message box; exit 10 (OK),
 *                                 11 (Cancel or closed)
 *   uitarget.exe window TITLE [STOPFILE]
 *                                 a 400x200 window filled with pure red
 *                                 holding the text "Step one", a disabled
 *                                 button "Later", "&Next" (text becomes
 *                                 "Step two"), "Finish" (exit 20) and
 *                                 "Minimize" (the window is minimized);
 *                                 closing it exits 21, STOPFILE appearing
 *                                 exits 22
 *   uitarget.exe pad TITLE        the same window, 400x320 (its Next only
 *                                 changes the text), with a white pad 160x60
 *                                 (id 110) at 140,90 of it, in a gray frame
 *                                 (id 109), a hidden static (id 112), a
 *                                 button "Cover" that opens a window "Cover"
 *                                 over it, and a label (id 111) telling the
 *                                 last gesture, in the receiver's client
 *                                 coordinates:
 *       "pad over X,Y"            the pointer moved over the pad, before any
 *                                 press
 *       "pad down X,Y[ moves N to X,Y][ held][ up X,Y]"
 *                                 pressed on the pad (which holds the capture
 *                                 until the button is up), moved N times to
 *                                 another point, held 3000 ms
 *       "pad wheel D... at X,Y"   each wheel message's delta
 *       "window down X,Y[ up X,Y]" pressed on the window itself
 *                                 and a second label (id 113) the points of
 *                                 the moves of the last press on the pad,
 *                                 "X,Y X,Y ..." (the first 80 or more);
 *                                 and a key box
 *                                 (id 114) that a click focuses tells in
 *                                 a label (id 115) the key messages it got
 *                                 since: "keys +VK -VK ...", + down and
 *                                 - up, the virtual-key code in hex, * for
 *                                 an extended key
 *   uitarget.exe exit CODE        no window, exit CODE
 */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#define ID_TEXT   100
#define ID_LATER  101
#define ID_NEXT   102
#define ID_FINISH 103
#define ID_COVER  104
#define ID_MINI   105
#define ID_FRAME  109
#define ID_PAD    110
#define ID_SEEN   111
#define ID_HIDDEN 112
#define ID_PATH   113
#define ID_KEYS   114
#define ID_KEYSEEN 115
#define ID_WATCH  1
#define ID_HOLD   2
#define HOLD_MS   3000  /* longer than any drag the rows make, on a busy machine too */

static const char *g_stopfile;

/* The last gesture, as the label tells it. */
struct Seen {
    const char *who;        /* "pad" or "window" */
    const char *what;       /* "over", "down" or "wheel" */
    POINT at;               /* where it began (wheel: the last message) */
    int   moves;
    POINT moved;            /* the last move's point */
    int   held;
    int   up;
    POINT upat;
    char  wheel[128];       /* " D" for each wheel message */
    char  path[1200];       /* "X,Y " for each move */
};

static Seen g_seen;

static void show(HWND w)
{
    const Seen &s = g_seen;
    char text[256], part[64];
    if (strcmp(s.what, "wheel") == 0) {
        wsprintfA(text, "%s wheel%s at %d,%d", s.who, s.wheel, (int)s.at.x,
                  (int)s.at.y);
    } else {
        wsprintfA(text, "%s %s %d,%d", s.who, s.what, (int)s.at.x, (int)s.at.y);
        if (s.moves) {
            wsprintfA(part, " moves %d to %d,%d", s.moves, (int)s.moved.x,
                      (int)s.moved.y);
            lstrcatA(text, part);
        }
        if (s.held)
            lstrcatA(text, " held");
        if (s.up) {
            wsprintfA(part, " up %d,%d", (int)s.upat.x, (int)s.upat.y);
            lstrcatA(text, part);
        }
    }
    HWND top = GetAncestor(w, GA_ROOT);
    SetDlgItemTextA(top, ID_SEEN, text);
    char path[sizeof s.path];
    lstrcpyA(path, s.path);
    int n = lstrlenA(path);
    if (n)
        path[n - 1] = 0;        /* the last space */
    SetDlgItemTextA(top, ID_PATH, path);
}

static POINT at(LPARAM lp)
{
    POINT p = {(short)LOWORD(lp), (short)HIWORD(lp)};
    return p;
}

/* A new gesture: who did what at p. */
static void begin(HWND w, const char *who, const char *what, POINT p)
{
    ZeroMemory(&g_seen, sizeof g_seen);
    g_seen.who = who;
    g_seen.what = what;
    g_seen.at = p;
    show(w);
}

static LRESULT CALLBACK pad_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Seen &s = g_seen;
    int pressed = GetCapture() == hwnd;
    switch (msg) {
    case WM_LBUTTONDOWN:
        begin(hwnd, "pad", "down", at(lp));
        s.moved = s.at;
        SetCapture(hwnd);
        SetTimer(hwnd, ID_HOLD, HOLD_MS, NULL);
        return 0;
    case WM_MOUSEMOVE:
        if (!pressed) {
            /* ReleaseCapture moves the pointer on the spot: a gesture
             * stays shown until the next one. */
            if (!s.what || strcmp(s.what, "over") == 0)
                begin(hwnd, "pad", "over", at(lp));
            return 0;
        }
        /* Taking the capture moves the pointer on the spot; only a move
         * somewhere else counts, as for a slider. */
        if (at(lp).x == s.moved.x && at(lp).y == s.moved.y)
            return 0;
        s.moves++;
        s.moved = at(lp);
        if (lstrlenA(s.path) < (int)sizeof s.path - 16)
            wsprintfA(s.path + lstrlenA(s.path), "%d,%d ", (int)s.moved.x,
                      (int)s.moved.y);
        show(hwnd);
        return 0;
    case WM_LBUTTONUP:
        if (!pressed)
            return 0;
        s.up = 1;
        s.upat = at(lp);
        KillTimer(hwnd, ID_HOLD);
        ReleaseCapture();
        show(hwnd);
        return 0;
    case WM_TIMER:
        KillTimer(hwnd, ID_HOLD);
        if (pressed) {
            s.held = 1;
            show(hwnd);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        POINT p = at(lp);
        ScreenToClient(hwnd, &p);
        if (strcmp(s.what ? s.what : "", "wheel") != 0 || strcmp(s.who, "pad") != 0)
            begin(hwnd, "pad", "wheel", p);
        s.at = p;
        if (lstrlenA(s.wheel) < (int)sizeof s.wheel - 8)
            wsprintfA(s.wheel + lstrlenA(s.wheel), " %d",
                      (int)(short)HIWORD(wp));
        show(hwnd);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* The key messages since the box took the focus. */
static char g_keys[512];

static LRESULT CALLBACK keys_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_SETFOCUS:
        lstrcpyA(g_keys, "keys");
        SetDlgItemTextA(GetParent(hwnd), ID_KEYSEEN, g_keys);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (lstrlenA(g_keys) < (int)sizeof g_keys - 8)
            wsprintfA(g_keys + lstrlenA(g_keys), " %c%X%s",
                      msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN ? '+' : '-',
                      (unsigned)wp, (lp & 0x1000000) ? "*" : "");
        SetDlgItemTextA(GetParent(hwnd), ID_KEYSEEN, g_keys);
        return 0;
    case WM_SYSCHAR:
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static LRESULT CALLBACK target_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        begin(hwnd, "window", "down", at(lp));
        return 0;
    case WM_LBUTTONUP:
        if (g_seen.who && strcmp(g_seen.who, "window") == 0 && !g_seen.up) {
            g_seen.up = 1;
            g_seen.upat = at(lp);
            show(hwnd);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == ID_NEXT && HIWORD(wp) == BN_CLICKED)
            SetDlgItemTextA(hwnd, ID_TEXT, "Step two");
        else if (LOWORD(wp) == ID_COVER && HIWORD(wp) == BN_CLICKED)
            CreateWindowA("UiCover", "Cover", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          50, 50, 400, 260, NULL, NULL, GetModuleHandleA(NULL),
                          NULL);
        else if (LOWORD(wp) == ID_FINISH && HIWORD(wp) == BN_CLICKED)
            PostQuitMessage(20);
        else if (LOWORD(wp) == ID_MINI && HIWORD(wp) == BN_CLICKED)
            ShowWindow(hwnd, SW_MINIMIZE);
        return 0;
    case WM_TIMER:
        if (g_stopfile && GetFileAttributesA(g_stopfile) != INVALID_FILE_ATTRIBUTES)
            PostQuitMessage(22);
        return 0;
    case WM_CLOSE:
        PostQuitMessage(21);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect((HDC)wp, &r, red);
        DeleteObject(red);
        return 1;
    }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static HWND child(HWND parent, const char *cls, const char *text, int id,
                  int x, int y, int cx = 120, int cy = 24)
{
    return CreateWindowA(cls, text, WS_CHILD | WS_VISIBLE, x, y, cx, cy,
                         parent, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL),
                         NULL);
}

static void register_class(const char *name, WNDPROC proc, int back)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(back);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

static int run_window(const char *title, int pad)
{
    register_class("UiTarget", target_proc, NULL_BRUSH);
    register_class("UiPad", pad_proc, WHITE_BRUSH);
    register_class("UiKeys", keys_proc, WHITE_BRUSH);
    register_class("UiFrame", DefWindowProcA, GRAY_BRUSH);
    register_class("UiCover", DefWindowProcA, BLACK_BRUSH);
    HWND w = CreateWindowA("UiTarget", title, WS_OVERLAPPEDWINDOW, 50, 50,
                           400, pad ? 320 : 200, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
    child(w, "STATIC", "Step one", ID_TEXT, 10, 10);
    if (pad) {
        /* The pad a grandchild: mouse steps find controls at any depth. */
        child(child(w, "UiFrame", "", ID_FRAME, 130, 80, 180, 80), "UiPad", "",
              ID_PAD, 10, 10, 160, 60);
        child(w, "STATIC", "", ID_SEEN, 10, 170, 380, 24);
        child(w, "STATIC", "", ID_PATH, 10, 200, 380, 24);
        child(w, "BUTTON", "Cover", ID_COVER, 10, 110);
        ShowWindow(child(w, "STATIC", "Hidden", ID_HIDDEN, 10, 140), SW_HIDE);
        child(w, "UiKeys", "", ID_KEYS, 10, 230);
        child(w, "STATIC", "", ID_KEYSEEN, 140, 230, 250, 24);
    }
    EnableWindow(child(w, "BUTTON", "Later", ID_LATER, 10, 50), FALSE);
    child(w, "BUTTON", "&Next", ID_NEXT, 140, 50);
    child(w, "BUTTON", "Finish", ID_FINISH, 270, 50);
    child(w, "BUTTON", "Minimize", ID_MINI, 270, 10);
    if (g_stopfile)
        SetTimer(w, ID_WATCH, 100, NULL);
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return (int)m.wParam;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)instance;
    (void)prev;
    (void)cmd;
    (void)show;
    if (__argc == 4 && strcmp(__argv[1], "box") == 0)
        return MessageBoxA(NULL, __argv[3], __argv[2],
                           MB_OKCANCEL | MB_ICONERROR) == IDOK ? 10 : 11;
    if ((__argc == 3 || __argc == 4) && strcmp(__argv[1], "window") == 0) {
        g_stopfile = __argc == 4 ? __argv[3] : NULL;
        return run_window(__argv[2], 0);
    }
    if (__argc == 3 && strcmp(__argv[1], "pad") == 0)
        return run_window(__argv[2], 1);
    if (__argc == 3 && strcmp(__argv[1], "exit") == 0)
        return atoi(__argv[2]);
    return 2;
}
