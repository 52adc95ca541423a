/* uiwin.h -- the windows of one process as the UI tests see them.
 *
 * Shared by uidriver.exe (another process's windows) and by test programs
 * that watch their own message boxes.  Only top-level windows of the given
 * process id are considered, so tests running side by side never see each
 * other's windows.  Texts are read with WM_GETTEXT under a time limit, which
 * works across processes and while the window's thread sits in a modal loop.
 *
 * Matching: a title matches when equal, "*" matches any title; a text is
 * shown by a window when its title or the text of any of its descendants
 * equals it, as written or with the '&' mnemonic markers taken out.
 */
#ifndef VELLUM_UIWIN_H
#define VELLUM_UIWIN_H

#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

/* What a window looks like from outside. */
struct UiwWindow {
    HWND        hwnd;
    HWND        owner;
    std::string cls;
    std::string text;
    int         id;       /* control id (children) */
    int         visible;
    int         enabled;
    int         depth;    /* 0 top-level, 1 its child, ... */
    int         icon;     /* a static that shows an icon */
    int         minimized; /* an iconic top-level window */
};

/* Top-level windows of process pid, hidden ones only when all is set. */
std::vector<HWND> uiw_TopWindows(DWORD pid, int all);

/* The first visible top-level window of pid whose title matches; NULL. */
HWND uiw_Find(DWORD pid, const char *title);

/* The window and all its descendants, the window first. */
std::vector<UiwWindow> uiw_Describe(HWND hwnd);

/* Text of any window (WM_GETTEXT, or "" when it does not answer). */
std::string uiw_Text(HWND hwnd);

/* 1 when hwnd or one of its descendants shows text (see above). */
int uiw_ShowsText(HWND hwnd, const char *text);

/* A descendant button showing text; NULL when there is none. */
HWND uiw_FindButton(HWND hwnd, const char *text);

/* Presses a button the way a mouse click does (posted, so a dialog the
 * click opens cannot block the caller): 1, or 0 when it is disabled. */
int uiw_Click(HWND button);

/* Every top-level window of pid (hidden and minimized ones marked) with
 * its children: class, title or text, control id. */
void uiw_List(DWORD pid, FILE *out);

/* The window as it is on the screen into a 24-bit BMP file: 1 or 0. */
int uiw_Capture(HWND hwnd, const char *path);

/* The client area of control (any window) as it is on the screen, its
 * top-level window raised and repainted first, into a 24-bit BMP: 1 or 0. */
int uiw_CaptureControl(HWND control, const char *path);

/* The first descendant of hwnd (any depth) with control id id; NULL. */
HWND uiw_FindControl(HWND hwnd, int id);

/* Brings top-level window hwnd to the foreground, as a user's click on it
 * would, and waits (up to ms) until it is there and its thread has taken
 * the input that brought: 1, or 0 when it does not come. */
int uiw_Raise(HWND hwnd, DWORD ms);

/* What one mouse event does. */
enum UiwMouse { UIW_MOVE, UIW_DOWN, UIW_UP, UIW_WHEEL };

/* One event of the real mouse (SendInput) at point (x, y) of control's
 * client area, the pointer moved there first: the system hands it to
 * whatever window is under the pointer (or holds the capture), another
 * process's as well.  wheel is the turn in notches for UIW_WHEEL (one
 * event of WHEEL_DELTA per notch, as a wheel sends them).  Returns when
 * the thread of control (and of the window under the pointer) has taken
 * the input: 1, or 0 when the point is off the screen, the system
 * refused the input, or (for a press or a wheel turn) another program's
 * window kept covering the point for five seconds although the control's
 * window was raised again.  Only for windows of other threads. */
int uiw_Mouse(HWND control, int x, int y, UiwMouse what, int wheel);

/* Does control, or a window inside it (an in-place editor), have the
 * keyboard focus of its thread? */
int uiw_HasFocus(HWND control);

/* A key combination of the real keyboard (SendInput) to whatever window
 * has the focus: the n keys (virtual-key codes, VK_LCONTROL rather than
 * VK_CONTROL for a side) go down in order and up in the reverse order,
 * each event taken by the thread of control before the next is sent.
 * Right Ctrl and Alt, the Win keys, the arrows and the keys of the
 * editing block are sent as extended keys.  1, or 0 when the system
 * refused an event.  Only for windows of other threads. */
int uiw_Keys(HWND control, const WORD *keys, int n);

#endif
