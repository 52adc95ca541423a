/* uitarget.cpp -- a small GUI program for uidriver's own tests.
 *
 *   uitarget.exe box TITLE TEXT   OK/Cancel message box; exit 10 (OK),
 *                                 11 (Cancel or closed)
 *   uitarget.exe window TITLE [STOPFILE]
 *                                 a 400x200 window filled with pure red
 *                                 holding the text "Step one", a disabled
 *                                 button "Later", "&Next" (text becomes
 *                                 "Step two") and "Finish" (exit 20); closing
 *                                 it exits 21, STOPFILE appearing exits 22
 *   uitarget.exe exit CODE        no window, exit CODE
 */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#define ID_TEXT   100
#define ID_LATER  101
#define ID_NEXT   102
#define ID_FINISH 103
#define ID_WATCH  1

static const char *g_stopfile;

static LRESULT CALLBACK target_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == ID_NEXT && HIWORD(wp) == BN_CLICKED)
            SetDlgItemTextA(hwnd, ID_TEXT, "Step two");
        else if (LOWORD(wp) == ID_FINISH && HIWORD(wp) == BN_CLICKED)
            PostQuitMessage(20);
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
                  int x, int y)
{
    return CreateWindowA(cls, text, WS_CHILD | WS_VISIBLE, x, y, 120, 24,
                         parent, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL),
                         NULL);
}

static int run_window(const char *title)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = target_proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = "UiTarget";
    RegisterClassA(&wc);
    HWND w = CreateWindowA("UiTarget", title, WS_OVERLAPPEDWINDOW, 50, 50,
                           400, 200, NULL, NULL, wc.hInstance, NULL);
    child(w, "STATIC", "Step one", ID_TEXT, 10, 10);
    EnableWindow(child(w, "BUTTON", "Later", ID_LATER, 10, 50), FALSE);
    child(w, "BUTTON", "&Next", ID_NEXT, 140, 50);
    child(w, "BUTTON", "Finish", ID_FINISH, 270, 50);
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
        return run_window(__argv[2]);
    }
    if (__argc == 3 && strcmp(__argv[1], "exit") == 0)
        return atoi(__argv[2]);
    return 2;
}
