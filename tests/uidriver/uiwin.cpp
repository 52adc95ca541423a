/* uiwin.cpp -- finding, reading, pressing and capturing windows (uiwin.h). */
#include "uiwin.h"

#include <string.h>

/* A window that does not answer WM_GETTEXT within this time reads as "". */
#define TEXT_WAIT_MS 2000

struct EnumTop {
    DWORD             pid;
    int               all;
    std::vector<HWND> found;
};

static BOOL CALLBACK collect_top(HWND hwnd, LPARAM arg)
{
    EnumTop *e = (EnumTop *)arg;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == e->pid && (e->all || IsWindowVisible(hwnd)))
        e->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> uiw_TopWindows(DWORD pid, int all)
{
    EnumTop e;
    e.pid = pid;
    e.all = all;
    EnumWindows(collect_top, (LPARAM)&e);
    return e.found;
}

std::string uiw_Text(HWND hwnd)
{
    char buf[4096];
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, (LPARAM)buf,
                             SMTO_ABORTIFHUNG, TEXT_WAIT_MS, &len))
        return "";
    if (len >= sizeof buf)
        len = sizeof buf - 1;
    return std::string(buf, (size_t)len);
}

HWND uiw_Find(DWORD pid, const char *title)
{
    for (HWND w : uiw_TopWindows(pid, 0))
        if (strcmp(title, "*") == 0 || uiw_Text(w) == title)
            return w;
    return NULL;
}

static UiwWindow describe_one(HWND hwnd, int depth)
{
    UiwWindow d;
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    d.hwnd = hwnd;
    d.owner = GetWindow(hwnd, GW_OWNER);
    d.cls = cls;
    d.text = uiw_Text(hwnd);
    d.id = (int)GetWindowLongPtrA(hwnd, GWLP_ID);
    d.visible = IsWindowVisible(hwnd) ? 1 : 0;
    d.enabled = IsWindowEnabled(hwnd) ? 1 : 0;
    d.depth = depth;
    d.minimized = depth == 0 && IsIconic(hwnd);
    /* A message box keeps its icon static even without an icon. */
    d.icon = _stricmp(cls, "Static") == 0 &&
             (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
             SendMessageA(hwnd, STM_GETICON, 0, 0) != 0;
    return d;
}

/* Children in z-order, each followed by its own children. */
static void describe_children(HWND parent, int depth,
                              std::vector<UiwWindow> &out)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(describe_one(c, depth));
        describe_children(c, depth + 1, out);
    }
}

std::vector<UiwWindow> uiw_Describe(HWND hwnd)
{
    std::vector<UiwWindow> out;
    out.push_back(describe_one(hwnd, 0));
    describe_children(hwnd, 1, out);
    return out;
}

static std::string without_mnemonics(const std::string &s)
{
    std::string r;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '&' && i + 1 < s.size())
            i++;
        r += s[i];
    }
    return r;
}

static int text_matches(const std::string &shown, const char *text)
{
    return shown == text || without_mnemonics(shown) == text;
}

int uiw_ShowsText(HWND hwnd, const char *text)
{
    for (const UiwWindow &w : uiw_Describe(hwnd))
        if (text_matches(w.text, text))
            return 1;
    return 0;
}

HWND uiw_FindButton(HWND hwnd, const char *text)
{
    for (const UiwWindow &w : uiw_Describe(hwnd))
        if (w.depth > 0 && _stricmp(w.cls.c_str(), "Button") == 0 &&
            text_matches(w.text, text))
            return w.hwnd;
    return NULL;
}

int uiw_Click(HWND button)
{
    if (!IsWindowEnabled(button))
        return 0;
    return PostMessageA(button, BM_CLICK, 0, 0) ? 1 : 0;
}

static void print_quoted(FILE *out, const std::string &s)
{
    fputc('"', out);
    for (unsigned char c : s) {
        if (c == '\n')
            fputs("\\n", out);
        else if (c == '\r')
            fputs("\\r", out);
        else if (c == '"' || c == '\\')
            fprintf(out, "\\%c", c);
        else
            fputc(c, out);
    }
    fputc('"', out);
}

void uiw_List(DWORD pid, FILE *out)
{
    std::vector<HWND> top = uiw_TopWindows(pid, 1);
    fprintf(out, "windows of process %lu: %u\n", (unsigned long)pid,
            (unsigned)top.size());
    for (HWND t : top) {
        for (const UiwWindow &w : uiw_Describe(t)) {
            fprintf(out, "%*s%s %p class ", 2 + 2 * w.depth, "",
                    w.depth ? "child" : "window", (void *)w.hwnd);
            print_quoted(out, w.cls);
            fputs(w.depth ? " text " : " title ", out);
            print_quoted(out, w.text);
            if (w.depth)
                fprintf(out, " id %d", w.id);
            else if (w.owner)
                fprintf(out, " owner %p", (void *)w.owner);
            if (w.icon)
                fputs(" icon", out);
            if (w.minimized)
                fputs(" minimized", out);
            if (!w.visible)
                fputs(" hidden", out);
            if (!w.enabled)
                fputs(" disabled", out);
            fputc('\n', out);
        }
    }
    fflush(out);
}

/* 24 bits per pixel, rows bottom-up and padded to 4 bytes. */
static int write_bmp(const char *path, int width, int height,
                     const std::vector<BYTE> &pixels)
{
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    ZeroMemory(&fh, sizeof fh);
    ZeroMemory(&ih, sizeof ih);
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + stride * (DWORD)height;
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = stride * (DWORD)height;
    FILE *f = fopen(path, "wb");
    if (!f)
        return 0;
    int ok = fwrite(&fh, sizeof fh, 1, f) == 1 &&
             fwrite(&ih, sizeof ih, 1, f) == 1 &&
             fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
    return fclose(f) == 0 && ok;
}

/* Screen rectangle r into pixels (24-bit rows, bottom-up, as in a BMP). */
static int grab(RECT r, std::vector<BYTE> &pixels)
{
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    if (!screen)
        return 0;
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
    int ok = 0;
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        ok = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top,
                    SRCCOPY | CAPTUREBLT) != 0;
        SelectObject(mem, old);
    }
    if (ok) {
        BITMAPINFO bi;
        ZeroMemory(&bi, sizeof bi);
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        pixels.assign((size_t)(((DWORD)width * 3 + 3) & ~3u) * (size_t)height, 0);
        ok = GetDIBits(mem, bmp, 0, (UINT)height, pixels.data(), &bi,
                       DIB_RGB_COLORS) == height;
    }
    if (bmp)
        DeleteObject(bmp);
    if (mem)
        DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return ok;
}

static BOOL CALLBACK any_update(HWND hwnd, LPARAM arg)
{
    if (GetUpdateRect(hwnd, NULL, FALSE)) {
        *(int *)arg = 1;
        return FALSE;
    }
    return TRUE;
}

/* 1 while top or a window inside it still has something to paint. */
static int painting(HWND top)
{
    int pending = GetUpdateRect(top, NULL, FALSE) != 0;
    if (!pending)
        EnumChildWindows(top, any_update, (LPARAM)&pending);
    return pending;
}

/* The target paints in its own process, and its pictures reach the screen
 * some time after it has painted (a parent's background first, a child's
 * picture later): the copy is taken once nothing is left to paint and two
 * grabs in a row agree.  An animated window never agrees; it gets the last
 * grab after the settling time. */
#define CAPTURE_SETTLE_MS 1500
#define CAPTURE_GAP_MS    40

/* Screen rectangle r (inside top-level window top) into a BMP. */
static int capture_rect(HWND top, RECT r, const char *path)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return 0;
    /* The copy is taken from the screen, so the window is raised first;
     * another process's window cannot paint into this process's DC. */
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(top, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD start = GetTickCount();
    while (painting(top) && GetTickCount() - start < CAPTURE_SETTLE_MS)
        Sleep(10);
    std::vector<BYTE> pixels, last;
    if (!grab(r, last))
        return 0;
    for (;;) {
        Sleep(CAPTURE_GAP_MS);
        if (!grab(r, pixels))
            return 0;
        if (pixels == last || GetTickCount() - start >= CAPTURE_SETTLE_MS)
            break;
        last.swap(pixels);
    }
    return write_bmp(path, r.right - r.left, r.bottom - r.top, pixels);
}

int uiw_Capture(HWND hwnd, const char *path)
{
    RECT r;
    return GetWindowRect(hwnd, &r) && capture_rect(hwnd, r, path);
}

int uiw_CaptureControl(HWND control, const char *path)
{
    RECT r;
    if (!GetClientRect(control, &r))
        return 0;
    MapWindowPoints(control, NULL, (POINT *)&r, 2);
    return capture_rect(GetAncestor(control, GA_ROOT), r, path);
}

struct FindId {
    int  id;
    HWND found;
};

static BOOL CALLBACK match_id(HWND hwnd, LPARAM arg)
{
    FindId *f = (FindId *)arg;
    if ((int)GetWindowLongPtrA(hwnd, GWLP_ID) != f->id)
        return TRUE;
    f->found = hwnd;
    return FALSE;
}

HWND uiw_FindControl(HWND hwnd, int id)
{
    FindId f = {id, NULL};
    EnumChildWindows(hwnd, match_id, (LPARAM)&f);
    return f.found;
}

/* SendInput queues the event for the window's thread at once, but sent
 * messages come before input in its loop: one WM_NULL can be answered
 * just before the input is taken, and moves not taken yet merge into one.
 * A few round trips with a pause between let the thread handle the event,
 * and what X then tells it of the pointer's new place (taken after the
 * next event, that would move the pointer back). */
#define SETTLE_ROUNDS   3
#define SETTLE_PAUSE_MS 5
#define SETTLE_WAIT_MS  2000

static void ping(HWND hwnd)
{
    DWORD_PTR r;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, SETTLE_WAIT_MS,
                        &r);
}

static void settle(HWND control, HWND under)
{
    DWORD own = GetWindowThreadProcessId(control, NULL);
    int other = under && GetWindowThreadProcessId(under, NULL) != own;
    for (int i = 0; i < SETTLE_ROUNDS; i++) {
        Sleep(SETTLE_PAUSE_MS);
        ping(control);
        if (other)
            ping(under);
    }
}

/* Each event carries its own move, as absolute coordinates normalised
 * over the virtual screen: one SendInput event is one action of the mouse
 * (a button event where the pointer already is makes no move), and Wine
 * moves the X pointer along.  SetCursorPos queues a WM_MOUSEMOVE of its
 * own before each event, even where the pointer already is: a relative
 * event of 0 after it makes a second move, taken or merged by chance. */
static int send_mouse(POINT p, DWORD flags, DWORD data)
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0 || p.x < left || p.x >= left + width ||
        p.y < top || p.y >= top + height)
        return 0;
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_MOUSE;
    /* The system takes pixel dx * width / 65536 rounded down: the
     * smallest dx that reaches the pixel is exact. */
    in.mi.dx = (LONG)(((LONGLONG)(p.x - left) * 65536 + width - 1) / width);
    in.mi.dy = (LONG)(((LONGLONG)(p.y - top) * 65536 + height - 1) / height);
    in.mi.mouseData = data;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE |
                    MOUSEEVENTF_VIRTUALDESK | flags;
    return SendInput(1, &in, sizeof in) == 1;
}

int uiw_Raise(HWND hwnd, DWORD ms)
{
    DWORD start = GetTickCount();
    /* Another process's window is activated by a message to its thread,
     * so the switch is seen a little later. */
    while (GetForegroundWindow() != hwnd) {
        if (GetTickCount() - start >= ms)
            return 0;
        SetForegroundWindow(hwnd);
        Sleep(10);
    }
    /* Under X a window that appears under the pointer is told where the
     * pointer was then; taken after the steps' first event, that stale
     * position would move the pointer back. */
    settle(hwnd, NULL);
    return 1;
}

/* Is the window under p another program's (not the desktop)?  Tests run
 * side by side on one display, and a window another test opens may come
 * over the point between the raise and the event. */
static int covered(HWND control, POINT p)
{
    HWND at = WindowFromPoint(p);
    DWORD mine = 0, theirs = 0;
    GetWindowThreadProcessId(control, &mine);
    if (!at || GetAncestor(at, GA_ROOT) == GetDesktopWindow() ||
        at == GetDesktopWindow())
        return 0;
    GetWindowThreadProcessId(at, &theirs);
    return theirs != mine;
}

/* A press or a wheel turn goes where the pointer is: while another
 * program's window covers the point, the control's window is raised
 * again, for up to five seconds. */
static int uncover(HWND control, POINT p)
{
    HWND top = GetAncestor(control, GA_ROOT);
    for (int i = 0; covered(control, p); i++) {
        if (i == 500)
            return 0;
        SetForegroundWindow(top);
        SetWindowPos(top, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Sleep(10);
    }
    return 1;
}

int uiw_Mouse(HWND control, int x, int y, UiwMouse what, int wheel)
{
    static const DWORD flags[] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP,
                                  MOUSEEVENTF_WHEEL};
    POINT p = {x, y};
    if (!ClientToScreen(control, &p))
        return 0;
    int events = what == UIW_WHEEL ? (wheel < 0 ? -wheel : wheel) : 1;
    DWORD data = what != UIW_WHEEL ? 0
                 : (DWORD)(wheel < 0 ? -WHEEL_DELTA : WHEEL_DELTA);
    for (int i = 0; i < events; i++) {
        if ((what == UIW_DOWN || what == UIW_WHEEL) && !uncover(control, p))
            return 0;
        if (!send_mouse(p, flags[what], data))
            return 0;
        settle(control, WindowFromPoint(p));
    }
    return 1;
}

int uiw_HasFocus(HWND control)
{
    GUITHREADINFO gti;
    ZeroMemory(&gti, sizeof gti);
    gti.cbSize = sizeof gti;
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, NULL), &gti) &&
           (gti.hwndFocus == control || IsChild(control, gti.hwndFocus));
}

/* Keys whose scan code comes with the extended prefix. */
static int key_extended(WORD vk)
{
    static const WORD extended[] = {
        VK_RCONTROL, VK_RMENU, VK_LWIN,  VK_RWIN,  VK_INSERT, VK_DELETE,
        VK_HOME,     VK_END,   VK_PRIOR, VK_NEXT,  VK_LEFT,   VK_RIGHT,
        VK_UP,       VK_DOWN,
    };
    for (WORD e : extended)
        if (e == vk)
            return 1;
    return 0;
}

static int send_key(WORD vk, int up)
{
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = (key_extended(vk) ? KEYEVENTF_EXTENDEDKEY : 0) |
                    (up ? KEYEVENTF_KEYUP : 0);
    return SendInput(1, &in, sizeof in) == 1;
}

int uiw_Keys(HWND control, const WORD *keys, int n)
{
    for (int i = 0; i < 2 * n; i++) {
        int up = i >= n;
        if (!send_key(keys[up ? 2 * n - 1 - i : i], up))
            return 0;
        settle(control, NULL);
    }
    return 1;
}
