/* Tooltips_win_test.cpp -- a dialog's tooltips under Wine: the tooltip
 * window the library makes and the tools in it as the system reports
 * them (TTM_GETTOOLCOUNT, TTM_ENUMTOOLS: a rectangle of the dialog for a
 * static or a gadget, the control's own window for anything else), the
 * texts replaced, the tools of the controls removed while the others and
 * the window stay, the rectangles moved when the dialog is resized, the
 * font, and tips shown under the real mouse (SendInput) and hidden while
 * the tips are off. */
#include "knobkit.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kk_gadget.h"
#include "kk_input.h"

namespace {

enum { ID_LABEL = 401, ID_GADGET = 402, ID_BUTTON = 403, ID_EDIT = 404,
       ID_SPARE = 405, ID_NONE = 999 };

/* The caller's own tool number.  Below 32: under Wine a small number is
 * taken as a window table index, and 77 named one of the dialog's own
 * controls; no window has a number this low. */
enum { TOOL_OWN = 9 };

const RECT REGION = {150, 10, 190, 30};

/* A dialog at a known place with a static text, a progress bar gadget,
 * a push button, an edit field and a spare static. */
struct TipRig {
    GadgetDialog d;
    TipRig()
    {
        d.t.custom("STATIC", SS_LEFT, ID_LABEL, 5, 5, 60, 10, "label");
        d.t.custom("STATIC", SS_LEFT, ID_GADGET, 5, 20, 100, 12, "%d");
        d.t.custom("BUTTON", BS_PUSHBUTTON, ID_BUTTON, 5, 40, 50, 14, "Push");
        d.t.custom("EDIT", WS_BORDER, ID_EDIT, 5, 60, 80, 12, "");
        d.t.custom("STATIC", SS_LEFT, ID_SPARE, 5, 80, 60, 10, "spare");
        if (!d.start())
            return;
        SetWindowPos(d.dlg, HWND_TOPMOST, 120, 100, 0, 0,
                     SWP_NOSIZE | SWP_SHOWWINDOW);
        pb_Create(d.dlg, ID_GADGET, 0, RGB(255, 255, 255), RGB(0, 0, 128),
                  RGB(0, 0, 0), RGB(220, 220, 220), -1);
    }
    /* The caller's region (tool TOOL_OWN), then the list's tips, on. */
    bool tips(const TipItem *list) const
    {
        return tooltips_CreateRect(d.dlg, &REGION, TOOL_OWN, "a region") &&
               tooltips_Create(d.dlg, list, TRUE);
    }
    HWND tip() const
    {
        GadDialog *h = d.header();
        return h ? h->hTooltip : NULL;
    }
    /* The control's window rectangle in the dialog's client area. */
    RECT place(int id) const
    {
        RECT r;
        GetWindowRect(d.ctl(id), &r);
        MapWindowPoints(NULL, d.dlg, (POINT *)&r, 2);
        return r;
    }
};

std::string rect_Text(const RECT &r)
{
    char s[64];
    snprintf(s, sizeof s, "%ld,%ld,%ld,%ld", (long)r.left, (long)r.top,
             (long)r.right, (long)r.bottom);
    return s;
}

/* What a tool is, as a line: which control names it (or the caller's
 * number), registered by window or as a rectangle (and where), its
 * flags and its text.  A tool of another window than the dialog says
 * so. */
std::string tool_Line(HWND dlg, const TOOLINFOA &ti)
{
    std::string s;
    int id = IsWindow((HWND)ti.uId) ? GetDlgCtrlID((HWND)ti.uId) : -1;
    s = id > 0 ? "control " + std::to_string(id)
               : "tool " + std::to_string((unsigned long long)ti.uId);
    if (ti.hwnd != dlg)
        s += " of another window";
    s += (ti.uFlags & TTF_IDISHWND) ? " window" : " rect " + rect_Text(ti.rect);
    s += (ti.uFlags & TTF_SUBCLASS) ? " subclassed" : " relayed";
    return s + " \"" + (ti.lpszText ? ti.lpszText : "") + "\"";
}

/* Every tool of the tooltip window, in its order. */
std::vector<std::string> tools_Of(HWND dlg, HWND tip)
{
    std::vector<std::string> v;
    int n = (int)SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        char text[256] = "";
        TOOLINFOA ti;
        memset(&ti, 0, sizeof ti);
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.lpszText = text;
        if (SendMessageA(tip, TTM_ENUMTOOLSA, i, (LPARAM)&ti))
            v.push_back(tool_Line(dlg, ti));
        else
            v.push_back("tool " + std::to_string(i) + " not enumerated");
    }
    return v;
}

std::string want_Rect(const TipRig &r, int id, const char *text)
{
    return "control " + std::to_string(id) + " rect " +
           rect_Text(r.place(id)) + " subclassed \"" + text + "\"";
}

std::string want_Window(int id, const char *text)
{
    return "control " + std::to_string(id) + " window subclassed \"" + text +
           "\"";
}

/* The tip the window shows now ("" when hidden): its current tool's
 * text. */
std::string tip_Shown(HWND tip)
{
    if (!IsWindowVisible(tip))
        return "";
    char text[256] = "";
    TOOLINFOA ti;
    memset(&ti, 0, sizeof ti);
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.lpszText = text;
    if (!SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, (LPARAM)&ti))
        return "(no current tool)";
    return text;
}

/* The real pointer leaves the dialog, then rests over (x, y) of the
 * dialog's client area; the tip it brings within two seconds ("" for
 * none). */
std::string hover(const TipRig &r, POINT client)
{
    POINT away = {5, 5}, at = client;
    ClientToScreen(r.d.dlg, &at);
    kk_MouseAt(away);
    kk_Loop(150);
    kk_MouseAt(at);
    kk_Loop(2000, [&] { return IsWindowVisible(r.tip()); });
    kk_Loop(50);
    return tip_Shown(r.tip());
}

POINT centre(const RECT &rc)
{
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace

/* The window made by the first list, empty or not: the common controls'
 * tooltip class, owned by the dialog, of the library's module, without
 * prefix processing, on as asked.  Each listed control becomes one tool
 * of the dialog: the static and the gadget as rectangles at their
 * places, the button and the edit field by their windows; unknown ids
 * make none, and a control listed again keeps one tool, the last text. */
TEST(KnobkitTooltips, ToolsAsTheSystemReportsThem)
{
    struct Case {
        const char *name;
        std::vector<TipItem> list;
        BOOL active;
        std::vector<std::pair<int, const char *>> want;  /* id, text */
    };
    const Case cases[] = {
        {"every kind of control",
         {{ID_LABEL, "a label"}, {ID_GADGET, "a bar"}, {ID_BUTTON, "a button"},
          {ID_EDIT, "an edit"}, {0, NULL}},
         TRUE,
         {{ID_LABEL, "a label"}, {ID_GADGET, "a bar"}, {ID_BUTTON, "a button"},
          {ID_EDIT, "an edit"}}},
        {"an empty list still makes the window", {{0, "ignored"}}, TRUE, {}},
        {"off from the start", {{ID_BUTTON, "b"}, {0, NULL}}, FALSE,
         {{ID_BUTTON, "b"}}},
        {"ids of no control are skipped",
         {{ID_NONE, "nobody"}, {ID_LABEL, "l"}, {0, NULL}}, TRUE,
         {{ID_LABEL, "l"}}},
        {"a control listed twice keeps one tool",
         {{ID_LABEL, "old"}, {ID_BUTTON, "b"}, {ID_LABEL, "new"}, {0, NULL}},
         TRUE, {{ID_BUTTON, "b"}, {ID_LABEL, "new"}}},
        {"the list ends at id 0",
         {{ID_EDIT, "e"}, {0, NULL}, {ID_LABEL, "after the end"}}, TRUE,
         {{ID_EDIT, "e"}}},
    };
    HINSTANCE kk = GetModuleHandleA("knobkit.dll");
    for (const Case &c : cases) {
        TipRig r;
        ASSERT_TRUE(r.d.dlg != NULL) << "row " << c.name;
        EXPECT_TRUE(r.tip() == NULL) << "row " << c.name;
        EXPECT_TRUE(tooltips_Create(r.d.dlg, c.list.data(), c.active))
            << "row " << c.name;
        HWND tip = r.tip();
        ASSERT_TRUE(IsWindow(tip)) << "row " << c.name;
        char cls[64] = "";
        GetClassNameA(tip, cls, sizeof cls);
        EXPECT_STREQ("tooltips_class32", cls) << "row " << c.name;
        EXPECT_EQ(r.d.dlg, GetWindow(tip, GW_OWNER)) << "row " << c.name;
        EXPECT_EQ(kk, (HINSTANCE)GetWindowLongPtrA(tip, GWLP_HINSTANCE))
            << "row " << c.name;
        EXPECT_TRUE(GetWindowLongA(tip, GWL_STYLE) & TTS_NOPREFIX)
            << "row " << c.name;
        GadDialog *h = r.d.header();
        EXPECT_TRUE(h->dlgFlags & DF_TOOLTIPS) << "row " << c.name;
        EXPECT_EQ((uint32_t)c.active, h->tipsActive) << "row " << c.name;
        std::vector<std::string> want;
        for (const auto &w : c.want)
            want.push_back(w.first == ID_BUTTON || w.first == ID_EDIT
                               ? want_Window(w.first, w.second)
                               : want_Rect(r, w.first, w.second));
        EXPECT_LINES(tools_Of(r.d.dlg, tip), want, c.name);
        /* A second list goes into the same window. */
        const TipItem more[] = {{ID_SPARE, "spare"}, {0, NULL}};
        EXPECT_TRUE(tooltips_Create(r.d.dlg, more, TRUE)) << "row " << c.name;
        EXPECT_EQ(tip, r.tip()) << "row " << c.name;
        want.push_back(want_Rect(r, ID_SPARE, "spare"));
        EXPECT_LINES(tools_Of(r.d.dlg, tip), want, c.name);
    }
}

/* A window the library does not run gets nothing; a managed dialog
 * without a tooltip window has nothing to delete or turn on, and those
 * two calls make none. */
TEST(KnobkitTooltips, UnmanagedAndWindowless)
{
    HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 50,
                                 50, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(plain != NULL);
    const TipItem list[] = {{ID_LABEL, "x"}, {0, NULL}};
    RECT rc = {0, 0, 10, 10};
    struct Case { const char *name; HWND w; };
    const Case cases[] = {{"a foreign window", plain}, {"a null window", NULL}};
    for (const Case &c : cases) {
        EXPECT_FALSE(tooltips_Create(c.w, list, TRUE)) << "row " << c.name;
        EXPECT_FALSE(tooltips_CreateRect(c.w, &rc, 7, "x")) << "row " << c.name;
        EXPECT_FALSE(tooltips_UpdateText(c.w, list)) << "row " << c.name;
        EXPECT_FALSE(tooltips_Delete(c.w)) << "row " << c.name;
        EXPECT_EQ(0, tooltips_Enable(c.w, TRUE)) << "row " << c.name;
    }
    DestroyWindow(plain);

    TipRig r;
    ASSERT_TRUE(r.d.dlg != NULL);
    EXPECT_FALSE(tooltips_Delete(r.d.dlg));
    EXPECT_EQ(0, tooltips_Enable(r.d.dlg, TRUE));
    EXPECT_TRUE(r.tip() == NULL);
    EXPECT_FALSE(r.d.header()->dlgFlags & DF_TOOLTIPS);
    /* A rectangle needs one. */
    EXPECT_FALSE(tooltips_CreateRect(r.d.dlg, NULL, 7, "x"));
}

/* A rectangle of the caller's stays through tooltips_Delete, unless its
 * number is a control's window; the controls' tools go, the window
 * stays and takes the next list. */
TEST(KnobkitTooltips, DeleteKeepsRectanglesAndWindow)
{
    TipRig r;
    ASSERT_TRUE(r.d.dlg != NULL);
    RECT own = {150, 10, 190, 30}, over = {150, 40, 190, 60};
    ASSERT_TRUE(tooltips_CreateRect(r.d.dlg, &own, TOOL_OWN, "a region"));
    const TipItem list[] = {{ID_LABEL, "l"}, {ID_BUTTON, "b"},
                            {ID_GADGET, "g"}, {0, NULL}};
    ASSERT_TRUE(tooltips_Create(r.d.dlg, list, TRUE));
    ASSERT_TRUE(tooltips_CreateRect(r.d.dlg, &over,
                                    (UINT_PTR)r.d.ctl(ID_EDIT), "by handle"));
    HWND tip = r.tip();
    const std::vector<std::string> before = {
        "tool 9 rect 150,10,190,30 subclassed \"a region\"",
        want_Rect(r, ID_LABEL, "l"), want_Window(ID_BUTTON, "b"),
        want_Rect(r, ID_GADGET, "g"),
        "control 404 rect 150,40,190,60 subclassed \"by handle\""};
    EXPECT_LINES(tools_Of(r.d.dlg, tip), before, "before");

    EXPECT_TRUE(tooltips_Delete(r.d.dlg));
    const std::vector<std::string> after = {
        "tool 9 rect 150,10,190,30 subclassed \"a region\""};
    EXPECT_LINES(tools_Of(r.d.dlg, tip), after, "after the delete");
    EXPECT_EQ(tip, r.tip());
    EXPECT_TRUE(IsWindow(tip));
    EXPECT_TRUE(r.d.header()->dlgFlags & DF_TOOLTIPS);
    EXPECT_TRUE(tooltips_Delete(r.d.dlg));   /* still a window: TRUE */

    const TipItem again[] = {{ID_EDIT, "e"}, {0, NULL}};
    EXPECT_TRUE(tooltips_Create(r.d.dlg, again, TRUE));
    EXPECT_EQ(tip, r.tip());
    const std::vector<std::string> reused = {
        "tool 9 rect 150,10,190,30 subclassed \"a region\"",
        want_Window(ID_EDIT, "e")};
    EXPECT_LINES(tools_Of(r.d.dlg, tip), reused, "the window reused");
}

/* New texts for the listed controls that have tools; the others, and
 * controls without one, are left alone.  The window is made if there is
 * none. */
TEST(KnobkitTooltips, UpdateTextReplacesTexts)
{
    TipRig r;
    ASSERT_TRUE(r.d.dlg != NULL);
    const TipItem first[] = {{ID_NONE, "x"}, {0, NULL}};
    EXPECT_TRUE(tooltips_UpdateText(r.d.dlg, first));
    HWND tip = r.tip();
    ASSERT_TRUE(IsWindow(tip));
    EXPECT_EQ(0, (int)SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));

    const TipItem list[] = {{ID_LABEL, "one"}, {ID_BUTTON, "two"},
                            {ID_GADGET, "three"}, {0, NULL}};
    ASSERT_TRUE(tooltips_Create(r.d.dlg, list, TRUE));
    const TipItem update[] = {{ID_LABEL, "uno"}, {ID_EDIT, "no tool"},
                              {ID_NONE, "nobody"}, {ID_BUTTON, "dos"},
                              {0, NULL}};
    EXPECT_TRUE(tooltips_UpdateText(r.d.dlg, update));
    const std::vector<std::string> want = {want_Rect(r, ID_LABEL, "uno"),
                                           want_Window(ID_BUTTON, "dos"),
                                           want_Rect(r, ID_GADGET, "three")};
    EXPECT_LINES(tools_Of(r.d.dlg, tip), want, "updated");
    EXPECT_EQ(tip, r.tip());
}

/* The rectangles follow their controls when the dialog is resized; a
 * tool of the caller's stays where it was given. */
TEST(KnobkitTooltips, RectanglesFollowResize)
{
    TipRig r;
    ASSERT_TRUE(r.d.dlg != NULL);
    const TipItem list[] = {{ID_LABEL, "l"}, {ID_GADGET, "g"},
                            {ID_BUTTON, "b"}, {0, NULL}};
    ASSERT_TRUE(r.tips(list));
    RECT before = r.place(ID_LABEL);
    /* The client moves two controls, then the dialog grows. */
    MoveWindow(r.d.ctl(ID_LABEL), 40, 150, 70, 16, FALSE);
    MoveWindow(r.d.ctl(ID_GADGET), 60, 190, 90, 20, FALSE);
    RECT w;
    GetWindowRect(r.d.dlg, &w);
    SetWindowPos(r.d.dlg, NULL, 0, 0, w.right - w.left + 40,
                 w.bottom - w.top + 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NE(rect_Text(before), rect_Text(r.place(ID_LABEL)));
    const std::vector<std::string> want = {
        "tool 9 rect 150,10,190,30 subclassed \"a region\"",
        "control 401 rect 40,150,110,166 subclassed \"l\"",
        "control 402 rect 60,190,150,210 subclassed \"g\"",
        want_Window(ID_BUTTON, "b")};
    EXPECT_LINES(tools_Of(r.d.dlg, r.tip()), want, "after the resize");
}

/* What a font is: its height and face. */
std::string font_Text(HFONT f)
{
    LOGFONTA lf;
    if (!f || !GetObjectA(f, sizeof lf, &lf))
        return "(no font)";
    return std::to_string(lf.lfHeight) + " " + lf.lfFaceName;
}

/* The tooltip window takes the dialog's font when it is made, and every
 * font the dialog is given later (the common controls keep a copy). */
TEST(KnobkitTooltips, TipWindowTakesTheDialogFont)
{
    HFONT first = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                              0, 0, 0, 0, "Tahoma");
    HFONT second = CreateFontA(-19, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                               0, 0, 0, 0, "Arial");
    {
        TipRig r;
        ASSERT_TRUE(r.d.dlg != NULL);
        dlg_SetFont(r.d.dlg, first);
        const TipItem list[] = {{ID_BUTTON, "b"}, {0, NULL}};
        ASSERT_TRUE(tooltips_Create(r.d.dlg, list, TRUE));
        auto tipFont = [&] {
            return font_Text((HFONT)SendMessageA(r.tip(), WM_GETFONT, 0, 0));
        };
        EXPECT_EQ("-15 Tahoma", tipFont()) << "when made";
        dlg_SetFont(r.d.dlg, second);
        EXPECT_EQ("-19 Arial", tipFont()) << "given later";
    }
    DeleteObject(first);
    DeleteObject(second);
}

/* The tooltip window goes with its dialog. */
TEST(KnobkitTooltips, WindowGoesWithTheDialog)
{
    HWND tip;
    {
        TipRig r;
        ASSERT_TRUE(r.d.dlg != NULL);
        const TipItem list[] = {{ID_LABEL, "l"}, {ID_BUTTON, "b"}, {0, NULL}};
        ASSERT_TRUE(tooltips_Create(r.d.dlg, list, TRUE));
        tip = r.tip();
        ASSERT_TRUE(IsWindow(tip));
    }
    EXPECT_FALSE(IsWindow(tip));
}

/* The real pointer resting over a gadget (a rectangle of the dialog), a
 * button (its own window) and a rectangle of the caller's brings the
 * tip of each; tooltips_Enable(FALSE) hides a shown tip and keeps the
 * next hover from showing one, TRUE brings them back; the tools are
 * kept all the while. */
TEST(KnobkitTooltips, TipsShowUnderTheMouse)
{
    TipRig r;
    ASSERT_TRUE(r.d.dlg != NULL);
    const TipItem list[] = {{ID_GADGET, "a bar"}, {ID_BUTTON, "a button"},
                            {0, NULL}};
    ASSERT_TRUE(r.tips(list));
    SendMessageA(r.tip(), TTM_SETDELAYTIME, TTDT_INITIAL, 100);
    SetForegroundWindow(r.d.dlg);
    kk_Loop(100);

    struct Case { const char *name; POINT at; const char *want; };
    const Case cases[] = {
        {"a gadget", centre(r.place(ID_GADGET)), "a bar"},
        {"a button", centre(r.place(ID_BUTTON)), "a button"},
        {"a rectangle of the caller's", centre(REGION), "a region"},
        {"the bare dialog", {130, 120}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.want, hover(r, c.at)) << "row " << c.name;

    std::string shown = hover(r, centre(r.place(ID_GADGET)));
    ASSERT_EQ("a bar", shown);
    tooltips_Enable(r.d.dlg, FALSE);
    kk_Loop(50);
    EXPECT_FALSE(IsWindowVisible(r.tip())) << "hidden when turned off";
    EXPECT_EQ(0u, r.d.header()->tipsActive);
    EXPECT_EQ("", hover(r, centre(r.place(ID_BUTTON)))) << "off";
    EXPECT_EQ(3, (int)SendMessageA(r.tip(), TTM_GETTOOLCOUNT, 0, 0));
    tooltips_Enable(r.d.dlg, TRUE);
    EXPECT_EQ(1u, r.d.header()->tipsActive);
    EXPECT_EQ("a button", hover(r, centre(r.place(ID_BUTTON)))) << "on again";
    kk_MouseAt({5, 5});
    kk_Loop(50);
}
