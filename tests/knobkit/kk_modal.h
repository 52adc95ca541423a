/* kk_modal.h -- a modal box of the library's (a requester, the language
 * chooser) run on a thread of its own, as a user meets it: the test's
 * thread finds the box, reads it, and answers it with the real keyboard
 * and mouse (SendInput, through uiwin), which the system hands to the
 * box's thread as a user's input. */
#ifndef VELLUM_KK_MODAL_H
#define VELLUM_KK_MODAL_H

#include <windows.h>

#include <functional>
#include <utility>

#include "uiwin.h"

struct Modal {
    std::function<INT_PTR()> run;
    INT_PTR result = -2;
    HANDLE thread = NULL;
    DWORD tid = 0;

    explicit Modal(std::function<INT_PTR()> f) : run(std::move(f))
    {
        thread = CreateThread(NULL, 0, entry, this, 0, &tid);
    }
    ~Modal()
    {
        /* A box a failed test left open: its first button ends it. */
        while (thread && !done(200)) {
            HWND w = box(0);
            if (w)
                PostMessageA(w, WM_COMMAND, IDOK, 0);
        }
        if (thread)
            CloseHandle(thread);
    }
    Modal(const Modal &) = delete;
    Modal &operator=(const Modal &) = delete;

    /* The thread's visible dialog box, waited for up to ms; null. */
    HWND box(DWORD ms = 5000) const
    {
        for (DWORD waited = 0;; waited += 20) {
            HWND found = NULL;
            EnumThreadWindows(tid, find, (LPARAM)&found);
            if (found || waited >= ms)
                return found;
            Sleep(20);
        }
    }
    /* Has the box ended (within ms)?  result is then its result. */
    bool done(DWORD ms = 5000) const
    {
        return WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    }

private:
    static DWORD WINAPI entry(void *p)
    {
        Modal *m = (Modal *)p;
        m->result = m->run();
        return 0;
    }
    static BOOL CALLBACK find(HWND w, LPARAM found)
    {
        char cls[16];
        if (!IsWindowVisible(w) || !GetClassNameA(w, cls, sizeof cls) ||
            lstrcmpA(cls, "#32770") != 0)
            return TRUE;
        *(HWND *)found = w;
        return FALSE;
    }
};

/* A key pressed and let go on the box, brought to the foreground first. */
inline bool kk_Key(HWND box, WORD vk)
{
    if (!uiw_Raise(box, 3000))
        return false;
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, in, sizeof in[0]) == 2;
}

/* A click of the real mouse at (x, y) of the control's client area. */
inline bool kk_ClickAt(HWND ctl, int x, int y)
{
    return uiw_Mouse(ctl, x, y, UIW_DOWN, 0) && uiw_Mouse(ctl, x, y, UIW_UP, 0);
}

/* ... at the middle of it. */
inline bool kk_Click(HWND ctl)
{
    RECT r;
    GetClientRect(ctl, &r);
    return kk_ClickAt(ctl, r.right / 2, r.bottom / 2);
}

#endif
