/* kk_input.h -- the real mouse for the knobkit tests: events through
 * SendInput at screen points, as a user's hand makes them, and a message
 * loop that lets the dialogs take them.
 *
 * A press on a window's border starts the system's own sizing loop,
 * which runs inside the press's dispatch until the button goes up; so a
 * gesture's events come from a thread of their own, one by one with a
 * pause between, while this thread runs its loop (and the system's). */
#ifndef VELLUM_KK_INPUT_H
#define VELLUM_KK_INPUT_H

#include <windows.h>

#include <functional>
#include <vector>

/* One mouse event at a screen point: the pointer moves there and, with
 * MOUSEEVENTF_LEFTDOWN or MOUSEEVENTF_LEFTUP in flags, the button acts. */
inline bool kk_MouseAt(POINT p, DWORD flags = 0)
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0)
        return false;
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_MOUSE;
    /* The smallest normalised value that reaches the pixel. */
    in.mi.dx = (LONG)(((LONGLONG)(p.x - left) * 65536 + width - 1) / width);
    in.mi.dy = (LONG)(((LONGLONG)(p.y - top) * 65536 + height - 1) / height);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE |
                    MOUSEEVENTF_VIRTUALDESK | flags;
    return SendInput(1, &in, sizeof in) == 1;
}

/* Every message of the thread, input too, for ms milliseconds or until
 * done says so (checked after each round). */
inline void kk_Loop(DWORD ms, const std::function<bool()> &done = nullptr)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if ((done && done()) || GetTickCount() - start >= ms)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

/* One event of a gesture. */
struct KkEvent {
    POINT at;
    DWORD flags;
};

struct KkGesture {
    std::vector<KkEvent> events;
    DWORD pauseMs;
    LONG sent;
};

inline DWORD WINAPI kk_GestureThread(LPVOID arg)
{
    KkGesture *g = (KkGesture *)arg;
    for (const KkEvent &e : g->events) {
        Sleep(g->pauseMs);
        if (kk_MouseAt(e.at, e.flags))
            InterlockedIncrement(&g->sent);
    }
    return 0;
}

/* Sends the events from a thread of their own while this thread takes
 * them; the number the system accepted.  The loop goes on for settleMs
 * after the last one, so what it caused is done. */
inline int kk_Gesture(const std::vector<KkEvent> &events, DWORD pauseMs = 30,
                      DWORD settleMs = 200)
{
    KkGesture g = {events, pauseMs, 0};
    HANDLE t = CreateThread(NULL, 0, kk_GestureThread, &g, 0, NULL);
    if (!t)
        return 0;
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (MsgWaitForMultipleObjects(1, &t, FALSE, 10, QS_ALLINPUT) ==
            WAIT_OBJECT_0)
            break;
    }
    CloseHandle(t);
    kk_Loop(settleMs);
    return (int)g.sent;
}

/* A press at from, moves in n equal steps to to, the release there. */
inline std::vector<KkEvent> kk_Drag(POINT from, POINT to, int n = 10)
{
    std::vector<KkEvent> v;
    v.push_back({from, 0});
    v.push_back({from, MOUSEEVENTF_LEFTDOWN});
    for (int i = 1; i <= n; i++)
        v.push_back({{from.x + (to.x - from.x) * i / n,
                      from.y + (to.y - from.y) * i / n},
                     0});
    v.push_back({to, MOUSEEVENTF_LEFTUP});
    return v;
}

#endif
