/* kk_gadget.h -- what the gadget tests share: a visible modeless dialog
 * run by the library whose handler table records every gadget
 * notification with the value the handler was given, the mouse as the
 * system hands it to the dialog (press, move and release in the dialog's
 * client coordinates, the wheel in screen coordinates, a lost capture,
 * timer ticks), the gadget's painting read back from a canvas, and
 * pictures made in memory. */
#ifndef VELLUM_KK_GADGET_H
#define VELLUM_KK_GADGET_H

#include "knobkit.h"

#include <windows.h>

#include <stdio.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dlg_template.h"
#include "kk_test.h"

/* "GM_SLIDER 301 42": notification, control identifier, the handler's
 * value; GM_ARROW, GM_ABOUT and WM_SYSCOMMAND commands likewise. */
inline std::vector<std::string> &kk_Notes(void)
{
    static std::vector<std::string> notes;
    return notes;
}

inline const char *kk_NoteName(UINT msg)
{
    switch (msg) {
    case GM_IBUTTON: return "GM_IBUTTON";
    case GM_SLIDER:  return "GM_SLIDER";
    case GM_WHEEL:   return "GM_WHEEL";
    case GM_STATIC:  return "GM_STATIC";
    case GM_HOTKEY:  return "GM_HOTKEY";
    case GM_SIZER:   return "GM_SIZER";
    case GM_ARROW:   return "GM_ARROW";
    case GM_ABOUT:   return "GM_ABOUT";
    }
    return "WM_SYSCOMMAND";
}

template <UINT Msg>
INT_PTR KKAPI kk_Note(HWND, WPARAM wParam, LPARAM, int value, LPARAM)
{
    char s[64];
    snprintf(s, sizeof s, "%s %u %d", kk_NoteName(Msg), (unsigned)wParam,
             value);
    kk_Notes().push_back(s);
    return DLG_HANDLED;
}

inline const DlgHandler *kk_NoteTable(void)
{
    static const DlgHandler table[] = {
        {GM_IBUTTON, 0, kk_Note<GM_IBUTTON>, 0},
        {GM_SLIDER, 0, kk_Note<GM_SLIDER>, 0},
        {GM_WHEEL, 0, kk_Note<GM_WHEEL>, 0},
        {GM_STATIC, 0, kk_Note<GM_STATIC>, 0},
        {GM_HOTKEY, 0, kk_Note<GM_HOTKEY>, 0},
        {GM_SIZER, 0, kk_Note<GM_SIZER>, 0},
        {GM_ARROW, 0, kk_Note<GM_ARROW>, 0},
        {GM_ABOUT, 0, kk_Note<GM_ABOUT>, 0},
        {0, 0, NULL, 0},
    };
    return table;
}

/* A screen-compatible bitmap of w x h, painted by paint. */
inline HBITMAP kk_Picture(int w, int h, const std::function<void(HDC)> &paint)
{
    HDC screen = GetDC(NULL);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    paint(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

/* A picture of one colour with a disc of another in it: a round button
 * or dial on a background of a key colour. */
inline HBITMAP kk_Disc(int w, int h, COLORREF back, COLORREF disc)
{
    return kk_Picture(w, h, [&](HDC dc) {
        rect_Fill(dc, 0, 0, w, h, back);
        HBRUSH br = CreateSolidBrush(disc);
        HPEN pen = CreatePen(PS_SOLID, 1, disc);
        HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
        Ellipse(dc, 0, 0, w, h);
        SelectObject(dc, ob);
        SelectObject(dc, op);
        DeleteObject(br);
        DeleteObject(pen);
    });
}

/* ---- Dialog templates as resources ----
 * Functions that take a template identifier (tab pages) load it from a
 * module.  TemplateModule is a copy of the library's file with templates
 * added as RT_DIALOG resources, loaded as data; the copy goes with it. */

/* A page: a hidden child dialog (DS_CONTROL) of 170 x 120 units at
 * (4, 16) with one static text, labelId. */
inline std::vector<WORD> kk_PageTemplate(WORD labelId, const char *label)
{
    std::vector<WORD> w;
    auto dword = [&](DWORD v) { w.push_back(LOWORD(v)), w.push_back(HIWORD(v)); };
    auto text = [&](const char *s) {
        while (*s)
            w.push_back((WORD)(BYTE)*s++);
        w.push_back(0);
    };
    dword(WS_CHILD | DS_CONTROL);
    dword(0);
    w.push_back(1);
    for (WORD v : {4, 16, 170, 120})
        w.push_back(v);
    w.push_back(0);    /* no menu */
    w.push_back(0);    /* the standard dialog class */
    text("");
    if (w.size() % 2)  /* items start on a DWORD */
        w.push_back(0);
    dword(WS_CHILD | WS_VISIBLE | SS_LEFT);
    dword(0);
    for (WORD v : {4, 4, 100, 10})
        w.push_back(v);
    w.push_back(labelId);
    w.push_back(0xFFFF), w.push_back(0x0082);
    text(label);
    w.push_back(0);
    return w;
}

struct TemplateModule {
    HMODULE module = NULL;
    char path[MAX_PATH] = "";

    /* Each template under its identifier; module stays null on failure. */
    explicit TemplateModule(
        const std::vector<std::pair<WORD, std::vector<WORD>>> &dialogs)
    {
        char lib[MAX_PATH], dir[MAX_PATH];
        if (!GetModuleFileNameA(GetModuleHandleA("knobkit.dll"), lib,
                                MAX_PATH) ||
            !GetTempPathA(MAX_PATH, dir) ||
            !GetTempFileNameA(dir, "kkt", 0, path) ||
            !CopyFileA(lib, path, FALSE))
            return;
        HANDLE u = BeginUpdateResourceA(path, FALSE);
        if (!u)
            return;
        bool ok = true;
        for (const auto &d : dialogs)
            ok = ok && UpdateResourceA(u, (LPCSTR)RT_DIALOG,
                                       MAKEINTRESOURCEA(d.first),
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                       (void *)d.second.data(),
                                       (DWORD)(d.second.size() * sizeof(WORD)));
        if (EndUpdateResourceA(u, !ok) && ok)
            module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~TemplateModule()
    {
        if (module)
            FreeLibrary(module);
        if (path[0])
            DeleteFileA(path);
    }
    TemplateModule(const TemplateModule &) = delete;
    TemplateModule &operator=(const TemplateModule &) = delete;
};

/* The dialog: modeless, visible, run through kk_NoteTable.  Controls are
 * added to the template before start(). */
struct GadgetDialog {
    Template t{WS_POPUP | WS_VISIBLE};
    HWND dlg = NULL;

    GadgetDialog() { kk_Notes().clear(); }
    ~GadgetDialog()
    {
        if (dlg && IsWindow(dlg))
            DestroyWindow(dlg);
        kk_Notes().clear();
    }
    GadgetDialog(const GadgetDialog &) = delete;
    GadgetDialog &operator=(const GadgetDialog &) = delete;

    /* A static control to make a gadget of, in dialog units. */
    GadgetDialog &control(WORD id, short x, short y, short cx, short cy,
                          const char *text = "", DWORD style = SS_LEFT)
    {
        t.custom("STATIC", style, id, x, y, cx, cy, text);
        return *this;
    }
    bool start(const DlgHandler *table = kk_NoteTable())
    {
        dlg = dlg_CreateDialogIndirect(GetModuleHandleA(NULL), t.get(), NULL,
                                       table);
        if (!dlg)
            return false;
        SetWindowPos(dlg, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        UpdateWindow(dlg);
        return true;
    }
    GadDialog *header() const { return dlg_ModifyFlags(dlg, 0, 0); }
    HWND ctl(int id) const { return GetDlgItem(dlg, id); }
    RECT client(int id) const
    {
        RECT r = {0, 0, 0, 0};
        GetClientRect(ctl(id), &r);
        return r;
    }

    /* (x, y) of control id's client area in the dialog's client area. */
    POINT in(int id, int x, int y) const
    {
        POINT p = {x, y};
        MapWindowPoints(ctl(id), dlg, &p, 1);
        return p;
    }
    void mouse(UINT msg, int id, int x, int y) const
    {
        POINT p = in(id, x, y);
        SendMessageA(dlg, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(p.x, p.y));
    }
    void press(int id, int x, int y) const { mouse(WM_LBUTTONDOWN, id, x, y); }
    void move(int id, int x, int y) const { mouse(WM_MOUSEMOVE, id, x, y); }
    void release(int id, int x, int y) const { mouse(WM_LBUTTONUP, id, x, y); }
    /* The capture taken away, as another window taking it does. */
    void lose() const { ReleaseCapture(); }
    /* A wheel turn of delta (120 a notch, positive away from the user)
     * over (x, y) of control id. */
    void wheel(int id, int x, int y, int delta) const
    {
        POINT p = {x, y};
        ClientToScreen(ctl(id), &p);
        SendMessageA(dlg, WM_MOUSEWHEEL, MAKEWPARAM(0, (short)delta),
                     MAKELPARAM(p.x, p.y));
    }
    /* n ticks of the tracked gadget's timer, as the system sends them. */
    void tick(int n = 1) const
    {
        for (int i = 0; i < n; i++)
            SendMessageA(dlg, WM_TIMER, GAD_TIMER, 0);
    }
    bool tracking() const
    {
        GadDialog *gd = header();
        return gd && (gd->dlgFlags & DF_CAPTURED) && GetCapture() == dlg;
    }
    /* The notifications posted so far, in order, handled and taken.  Only
     * the library's messages are pumped: a real timer tick or a paint in
     * the queue stays there, so a test counts exactly its own ticks. */
    std::vector<std::string> notes() const
    {
        MSG m;
        while (PeekMessageA(&m, dlg, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE) ||
               PeekMessageA(&m, dlg, GM_SHOWN, GM_SIZER, PM_REMOVE)) {
            if (m.message == WM_SYSCOMMAND) {
                char s[48];
                snprintf(s, sizeof s, "WM_SYSCOMMAND %#x",
                         (unsigned)m.wParam);
                kk_Notes().push_back(s);
                continue;
            }
            DispatchMessageA(&m);
        }
        std::vector<std::string> got = kk_Notes();
        kk_Notes().clear();
        return got;
    }
    /* What control id paints over a background of one colour: the
     * canvas of its client size filled with back, then the control's own
     * painting (in which the gadget draws itself) into it. */
    void shot(int id, Canvas &cv) const
    {
        SendMessageA(ctl(id), WM_PRINTCLIENT, (WPARAM)cv.dc, PRF_CLIENT);
    }
};

#define EXPECT_NOTES(d, want, row)                                          \
    do {                                                                    \
        std::vector<std::string> notes_ = (d).notes();                      \
        EXPECT_LINES(notes_, want, row);                                    \
    } while (0)

#endif
