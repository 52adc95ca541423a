/* uidriver.cpp -- drives a Windows program through its windows, for the
 * end-to-end tests under Wine.
 *
 *   uidriver.exe run PROGRAM [ARGS...] -- STEP...
 *
 * starts PROGRAM and carries out the steps in order.  A step is its name
 * followed by its arguments; an optional argument is taken only when the
 * next word is a number.  [ms] is a time limit in milliseconds (the
 * default is 20000, or UIDRIVER_TIMEOUT_MS); a mouse step, which has none,
 * waits for its window and control as long as the default.
 *
 *   wait-window TITLE [ms]        a visible top-level window TITLE appears
 *   wait-gone TITLE [ms]          no visible window TITLE is left
 *   expect-text TITLE TEXT [ms]   window TITLE or one of its controls shows
 *                                 TEXT (waits for it)
 *   click TITLE BUTTON [ms]       presses the enabled button BUTTON of TITLE
 *   close TITLE [ms]              sends WM_CLOSE to window TITLE
 *   capture TITLE FILE.bmp [ms]   window TITLE as on screen into a 24-bit BMP
 *   expect-minimized TITLE [ms]   window TITLE is minimized (waits for it)
 *   list                          prints the program's windows
 *   expect-no-window [ms]         no visible window appears until the program
 *                                 ends (or the time is up)
 *   expect-exit CODE [ms]         the program ends with exit code CODE
 *
 * The mouse steps move the real pointer and press its left button
 * (SendInput), so the system hands each event to whatever window is under
 * the pointer, or holds the capture, as it does a user's.  A point is
 * (X, Y) of the client area of control ID (decimal) of window TITLE, which
 * must be a visible descendant of it (ID 0: the window itself); the
 * point may lie outside the control.  A coordinate is a number of pixels, or P% of the control's
 * client width (X) or height (Y), optionally plus or minus pixels (50%,
 * 100%-3, 50%+20): a gadget's centre or far end whatever the font makes
 * of the dialog.  The window is brought to the foreground first, and each
 * step ends once the program has taken its input.
 *
 *   mouse-down TITLE ID X Y       the left button goes down at (X, Y)
 *   mouse-move TITLE ID X Y       the pointer moves there (buttons as they are)
 *   mouse-up TITLE ID X Y         the left button goes up there
 *   drag TITLE ID X0 Y0 X1 Y1 [N] down at (X0, Y0), N moves (default 10) in
 *                                 equal steps to (X1, Y1), up there
 *   click-at TITLE ID X Y         down and up at (X, Y)
 *   wheel TITLE ID X Y NOTCHES    the wheel turns NOTCHES notches at (X, Y),
 *                                 away from the user when positive
 *   sleep MS                      waits MS milliseconds (holds, timers)
 *   capture-control TITLE ID FILE.bmp
 *                                 the client area of control ID as on screen
 *                                 (its window raised) into a 24-bit BMP
 *
 * The key step presses a combination on the real keyboard (SendInput):
 * KEYS are key names joined by '+' ("lctrl+f5"), pressed in order and
 * released in the reverse order, each event taken by the program before
 * the next.  Control ID of window TITLE must have the keyboard focus (a
 * click-at gives it); the window is brought to the foreground first.
 * Names: a to z, 0 to 9, f1 to f24, shift, lshift, rshift, ctrl (the
 * left one), lctrl, rctrl, alt (the left one), lalt, ralt, lwin, rwin,
 * space, enter, tab, esc, backspace, insert, delete, home, end, pgup,
 * pgdn, left, right, up, down.
 *
 *   key TITLE ID KEYS             the keys go down and up again
 *   type TITLE ID TEXT            the lower-case letters, digits and spaces
 *                                 of TEXT pressed one by one
 *
 * TITLE "*" stands for any visible window of the program.  Only windows of
 * the started process are looked at (EnumWindows by process id), so tests
 * can run side by side.  Texts match exactly, '&' mnemonics aside.
 *
 * Exit code: 0 every step passed; 1 a step failed (the step, the reason and
 * the program's windows are printed); 2 a usage error, found before the
 * program is started.  A program still running after the last step (or a
 * failed one) is terminated, and a left button left down is let go.
 */
#include "uiwin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#define DEFAULT_TIMEOUT_MS 20000
#define POLL_MS            20
#define DEFAULT_MOVES      10
#define MAX_MOVES          1000
#define STR_(x)            #x
#define STR(x)             STR_(x)

struct Run {
    HANDLE process;
    DWORD  pid;
    const char *program;
    int    held;            /* the left button was pressed and not let go */
};

struct Planned;
typedef int (*StepFn)(Run &run, const Planned &p, std::string &why);

/* What a step's optional last argument is. */
enum Optional { OPT_NONE, OPT_TIME, OPT_MOVES };

struct Step {
    const char *name;
    const char *kinds;      /* one letter per required argument (arg_error) */
    Optional    opt;
    const char *usage;
    StepFn      fn;
};

/* One parsed step of the command line. */
struct Planned {
    const Step *step;
    char      **args;
    DWORD       ms;         /* time limit */
    int         moves;      /* a drag's moves */
};

static DWORD g_timeout = DEFAULT_TIMEOUT_MS;

static int exited(Run &run, DWORD *code)
{
    if (WaitForSingleObject(run.process, 0) != WAIT_OBJECT_0)
        return 0;
    GetExitCodeProcess(run.process, code);
    return 1;
}

/* A check tried every POLL_MS: 1 it holds, 0 not yet, -1 it never will;
 * on 0 and -1 it leaves in why what it saw. */
typedef std::function<int(std::string &why)> Check;

/* The check's last answer, 0 once ms have passed (why then tells how long
 * was waited). */
static int poll(DWORD ms, std::string &why, const Check &check)
{
    DWORD start = GetTickCount();
    for (;;) {
        int r = check(why);
        if (r != 0)
            return r;
        if (GetTickCount() - start >= ms) {
            why += " (waited " + std::to_string(ms) + " ms)";
            return 0;
        }
        Sleep(POLL_MS);
    }
}

/* One look for the window: a Check's answer, *w set on 1. */
static int look(Run &run, const char *title, HWND *w, std::string &why)
{
    *w = uiw_Find(run.pid, title);
    if (*w)
        return 1;
    DWORD code;
    if (exited(run, &code)) {
        why = "the program ended (exit code " + std::to_string(code) +
              ") without window \"" + title + "\"";
        return -1;
    }
    why = "no window \"" + std::string(title) + "\"";
    return 0;
}

/* The window, waited for; NULL with why set. */
static HWND wait_for(Run &run, const char *title, DWORD ms, std::string &why)
{
    HWND w = NULL;
    if (poll(ms, why, [&](std::string &s) { return look(run, title, &w, s); }) > 0)
        return w;
    return NULL;
}

static int step_wait_window(Run &run, const Planned &p, std::string &why)
{
    return wait_for(run, p.args[0], p.ms, why) != NULL;
}

static int step_wait_gone(Run &run, const Planned &p, std::string &why)
{
    return poll(p.ms, why, [&](std::string &s) {
        if (!uiw_Find(run.pid, p.args[0]))
            return 1;
        s = "window \"" + std::string(p.args[0]) + "\" is still there";
        return 0;
    }) > 0;
}

static int step_expect_text(Run &run, const Planned &p, std::string &why)
{
    return poll(p.ms, why, [&](std::string &s) {
        HWND w;
        int r = look(run, p.args[0], &w, s);
        if (r <= 0)
            return r;
        if (uiw_ShowsText(w, p.args[1]))
            return 1;
        s = "window \"" + std::string(p.args[0]) + "\" does not show \"" +
            p.args[1] + "\"";
        return 0;
    }) > 0;
}

static int step_click(Run &run, const Planned &p, std::string &why)
{
    return poll(p.ms, why, [&](std::string &s) {
        HWND w;
        int r = look(run, p.args[0], &w, s);
        if (r <= 0)
            return r;
        HWND b = uiw_FindButton(w, p.args[1]);
        if (b && uiw_Click(b))
            return 1;
        s = (b ? "button \"" : "no button \"") + std::string(p.args[1]) +
            (b ? "\" is disabled" : "\"") + " in window \"" + p.args[0] + "\"";
        return 0;
    }) > 0;
}

static int step_close(Run &run, const Planned &p, std::string &why)
{
    HWND w = wait_for(run, p.args[0], p.ms, why);
    if (!w)
        return 0;
    PostMessageA(w, WM_CLOSE, 0, 0);
    return 1;
}

static int step_capture(Run &run, const Planned &p, std::string &why)
{
    HWND w = wait_for(run, p.args[0], p.ms, why);
    if (!w)
        return 0;
    if (uiw_Capture(w, p.args[1]))
        return 1;
    why = std::string("cannot capture into ") + p.args[1];
    return 0;
}

static int step_expect_minimized(Run &run, const Planned &p, std::string &why)
{
    return poll(p.ms, why, [&](std::string &s) {
        HWND w;
        int r = look(run, p.args[0], &w, s);
        if (r <= 0)
            return r;
        if (IsIconic(w))
            return 1;
        s = "window \"" + std::string(p.args[0]) + "\" is not minimized";
        return 0;
    }) > 0;
}

static int step_list(Run &run, const Planned &p, std::string &why)
{
    (void)p;
    (void)why;
    uiw_List(run.pid, stdout);
    return 1;
}

static int step_expect_no_window(Run &run, const Planned &p, std::string &why)
{
    /* The time running out without a window passes as well. */
    return poll(p.ms, why, [&](std::string &s) {
        HWND w = uiw_Find(run.pid, "*");
        if (w) {
            s = "window \"" + uiw_Text(w) + "\" appeared";
            return -1;
        }
        DWORD code;
        return exited(run, &code) ? 1 : 0;
    }) >= 0;
}

static int step_expect_exit(Run &run, const Planned &p, std::string &why)
{
    DWORD want = (DWORD)strtol(p.args[0], NULL, 10), code = 0;
    if (WaitForSingleObject(run.process, p.ms) != WAIT_OBJECT_0) {
        why = "still running after " + std::to_string(p.ms) + " ms";
        return 0;
    }
    GetExitCodeProcess(run.process, &code);
    if (code == want)
        return 1;
    why = "exit code " + std::to_string(code) + ", expected " +
          std::to_string(want);
    return 0;
}

/* The control of a mouse step (or of capture-control), waited for as a visible descendant of its
 * window, the window brought to the foreground; NULL with why set. */
static HWND mouse_control(Run &run, const Planned &p, std::string &why)
{
    const char *title = p.args[0], *id = p.args[1];
    HWND w = NULL, c = NULL;
    if (poll(p.ms, why, [&](std::string &s) {
            int r = look(run, title, &w, s);
            if (r <= 0)
                return r;
            /* Id 0 is the window itself: its border and frame lie
             * beyond its client area (past 0 and 100%). */
            c = atoi(id) ? uiw_FindControl(w, atoi(id)) : w;
            if (c && IsWindowVisible(c))
                return 1;
            s = std::string(c ? "control " : "no control ") + id +
                (c ? " of window \"" : " in window \"") + title + "\"" +
                (c ? " is hidden" : "");
            return 0;
        }) <= 0)
        return NULL;
    if (!uiw_Raise(w, p.ms)) {
        why = "window \"" + std::string(title) +
              "\" does not come to the foreground";
        return NULL;
    }
    return c;
}

/* A coordinate: pixels, or P% of size with pixels added ("50%+20"); the
 * words are checked before the program starts (coord_Error). */
static int coord_Split(const char *s, long *share, long *pixels);

static int coord_At(const char *s, int size)
{
    long share = -1, pixels = 0;
    coord_Split(s, &share, &pixels);
    return (share < 0 ? 0 : (int)(size * share / 100)) + (int)pixels;
}

static int coord_X(HWND c, const char *s)
{
    RECT r = {0, 0, 0, 0};
    GetClientRect(c, &r);
    return coord_At(s, r.right);
}

static int coord_Y(HWND c, const char *s)
{
    RECT r = {0, 0, 0, 0};
    GetClientRect(c, &r);
    return coord_At(s, r.bottom);
}

/* One mouse event at (x, y) of control c, the button's state kept. */
static int mouse(Run &run, HWND c, const Planned &p, int x, int y,
                 UiwMouse what, int wheel, std::string &why)
{
    if (!uiw_Mouse(c, x, y, what, wheel)) {
        why = "no mouse input at (" + std::to_string(x) + ", " +
              std::to_string(y) + ") of control " + p.args[1] +
              ": the point is off the screen, another program's window "
              "covers it, or the input was refused";
        return 0;
    }
    if (what == UIW_DOWN || what == UIW_UP)
        run.held = what == UIW_DOWN;
    return 1;
}

/* mouse-down, mouse-move, mouse-up: one event at the step's point. */
static int mouse_step(Run &run, const Planned &p, UiwMouse what,
                      std::string &why)
{
    HWND c = mouse_control(run, p, why);
    return c && mouse(run, c, p, coord_X(c, p.args[2]), coord_Y(c, p.args[3]),
                      what, 0, why);
}

static int step_mouse_down(Run &run, const Planned &p, std::string &why)
{
    return mouse_step(run, p, UIW_DOWN, why);
}

static int step_mouse_move(Run &run, const Planned &p, std::string &why)
{
    return mouse_step(run, p, UIW_MOVE, why);
}

static int step_mouse_up(Run &run, const Planned &p, std::string &why)
{
    return mouse_step(run, p, UIW_UP, why);
}

static int step_drag(Run &run, const Planned &p, std::string &why)
{
    HWND c = mouse_control(run, p, why);
    if (!c)
        return 0;
    int x0 = coord_X(c, p.args[2]), y0 = coord_Y(c, p.args[3]);
    int x1 = coord_X(c, p.args[4]), y1 = coord_Y(c, p.args[5]);
    if (!mouse(run, c, p, x0, y0, UIW_DOWN, 0, why))
        return 0;
    for (int i = 1; i <= p.moves; i++)
        if (!mouse(run, c, p, x0 + (x1 - x0) * i / p.moves,
                   y0 + (y1 - y0) * i / p.moves, UIW_MOVE, 0, why))
            return 0;
    return mouse(run, c, p, x1, y1, UIW_UP, 0, why);
}

static int step_click_at(Run &run, const Planned &p, std::string &why)
{
    HWND c = mouse_control(run, p, why);
    int x = c ? coord_X(c, p.args[2]) : 0, y = c ? coord_Y(c, p.args[3]) : 0;
    return c && mouse(run, c, p, x, y, UIW_DOWN, 0, why) &&
           mouse(run, c, p, x, y, UIW_UP, 0, why);
}

static int step_wheel(Run &run, const Planned &p, std::string &why)
{
    HWND c = mouse_control(run, p, why);
    return c && mouse(run, c, p, coord_X(c, p.args[2]), coord_Y(c, p.args[3]),
                      UIW_WHEEL, atoi(p.args[4]), why);
}

static int step_capture_control(Run &run, const Planned &p, std::string &why)
{
    HWND c = mouse_control(run, p, why);
    if (!c)
        return 0;
    if (uiw_CaptureControl(c, p.args[2]))
        return 1;
    why = std::string("cannot capture control ") + p.args[1] + " into " +
          p.args[2];
    return 0;
}

static int in_range(const char *s, long lo, long hi, long *v);

/* The names of the keys a key step presses, as virtual-key codes. */
static const struct {
    const char *name;
    WORD        vk;
} keyNames[] = {
    {"shift", VK_SHIFT},     {"lshift", VK_LSHIFT},  {"rshift", VK_RSHIFT},
    {"ctrl", VK_LCONTROL},   {"lctrl", VK_LCONTROL}, {"rctrl", VK_RCONTROL},
    {"alt", VK_LMENU},       {"lalt", VK_LMENU},     {"ralt", VK_RMENU},
    {"lwin", VK_LWIN},       {"rwin", VK_RWIN},      {"space", VK_SPACE},
    {"enter", VK_RETURN},    {"tab", VK_TAB},        {"esc", VK_ESCAPE},
    {"backspace", VK_BACK},  {"insert", VK_INSERT},  {"delete", VK_DELETE},
    {"home", VK_HOME},       {"end", VK_END},        {"pgup", VK_PRIOR},
    {"pgdn", VK_NEXT},       {"left", VK_LEFT},      {"right", VK_RIGHT},
    {"up", VK_UP},           {"down", VK_DOWN},
};

/* One key's name: a letter, a digit, f1 to f24, or a name of the table;
 * 0 for anything else. */
static WORD key_Code(const std::string &name)
{
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') ||
                             (name[0] >= '0' && name[0] <= '9')))
        return (WORD)(name[0] >= 'a' ? name[0] - 'a' + 'A' : name[0]);
    long f;
    if (name.size() > 1 && name[0] == 'f' &&
        in_range(name.c_str() + 1, 1, 24, &f))
        return (WORD)(VK_F1 + f - 1);
    for (const auto &k : keyNames)
        if (name == k.name)
            return k.vk;
    return 0;
}

/* "lctrl+f5" into its keys; 0 when a name is unknown or missing. */
static int keys_Parse(const char *s, std::vector<WORD> *keys)
{
    keys->clear();
    for (;;) {
        const char *end = strchr(s, '+');
        std::string name = end ? std::string(s, end - s) : std::string(s);
        WORD vk = key_Code(name);
        if (!vk)
            return 0;
        keys->push_back(vk);
        if (!end)
            return 1;
        s = end + 1;
    }
}

/* The control a key step types into: it must have the keyboard focus. */
static HWND focused_control(Run &run, const Planned &p, std::string &why)
{
    HWND c = mouse_control(run, p, why);
    if (c && !uiw_HasFocus(c)) {
        why = std::string("control ") + p.args[1] +
              " does not have the keyboard focus";
        return NULL;
    }
    return c;
}

static int step_key(Run &run, const Planned &p, std::string &why)
{
    HWND c = focused_control(run, p, why);
    if (!c)
        return 0;
    std::vector<WORD> keys;
    keys_Parse(p.args[2], &keys);
    if (uiw_Keys(c, keys.data(), (int)keys.size()))
        return 1;
    why = std::string("the system refused the keys ") + p.args[2];
    return 0;
}

static int step_sleep(Run &run, const Planned &p, std::string &why)
{
    (void)run;
    (void)why;
    Sleep((DWORD)strtoul(p.args[0], NULL, 10));
    return 1;
}

static int step_type(Run &run, const Planned &p, std::string &why)
{
    HWND c = focused_control(run, p, why);
    if (!c)
        return 0;
    for (const char *t = p.args[2]; *t; t++) {
        WORD vk = *t == ' ' ? (WORD)VK_SPACE : key_Code(std::string(1, *t));
        if (!uiw_Keys(c, &vk, 1)) {
            why = std::string("the system refused the text ") + p.args[2];
            return 0;
        }
    }
    return 1;
}

/* Argument kinds: s text, i control id, c coordinate, w notches, m ms,
 * k keys, t typed text. */
static const Step steps[] = {
    {"wait-window", "s", OPT_TIME, "TITLE [ms]", step_wait_window},
    {"wait-gone", "s", OPT_TIME, "TITLE [ms]", step_wait_gone},
    {"expect-text", "ss", OPT_TIME, "TITLE TEXT [ms]", step_expect_text},
    {"click", "ss", OPT_TIME, "TITLE BUTTON [ms]", step_click},
    {"close", "s", OPT_TIME, "TITLE [ms]", step_close},
    {"capture", "ss", OPT_TIME, "TITLE FILE.bmp [ms]", step_capture},
    {"expect-minimized", "s", OPT_TIME, "TITLE [ms]", step_expect_minimized},
    {"list", "", OPT_NONE, "", step_list},
    {"expect-no-window", "", OPT_TIME, "[ms]", step_expect_no_window},
    {"expect-exit", "s", OPT_TIME, "CODE [ms]", step_expect_exit},
    {"mouse-down", "sicc", OPT_NONE, "TITLE ID X Y", step_mouse_down},
    {"mouse-move", "sicc", OPT_NONE, "TITLE ID X Y", step_mouse_move},
    {"mouse-up", "sicc", OPT_NONE, "TITLE ID X Y", step_mouse_up},
    {"drag", "sicccc", OPT_MOVES, "TITLE ID X0 Y0 X1 Y1 [N]", step_drag},
    {"click-at", "sicc", OPT_NONE, "TITLE ID X Y", step_click_at},
    {"wheel", "siccw", OPT_NONE, "TITLE ID X Y NOTCHES", step_wheel},
    {"sleep", "m", OPT_NONE, "MS", step_sleep},
    {"capture-control", "sis", OPT_NONE, "TITLE ID FILE.bmp",
     step_capture_control},
    {"key", "sik", OPT_NONE, "TITLE ID KEYS", step_key},
    {"type", "sit", OPT_NONE, "TITLE ID TEXT", step_type},
};

/* Digits only: an optional number, never a title or a step name. */
static int is_number(const char *s)
{
    if (!*s)
        return 0;
    for (; *s; s++)
        if (*s < '0' || *s > '9')
            return 0;
    return 1;
}

/* A decimal number from lo to hi (a '-' allowed when lo < 0) into *v. */
static int in_range(const char *s, long lo, long hi, long *v)
{
    const char *digits = lo < 0 && *s == '-' ? s + 1 : s;
    if (!is_number(digits) || strlen(digits) > 9)
        return 0;
    *v = strtol(s, NULL, 10);
    return *v >= lo && *v <= hi;
}

/* "N", "P%", "P%+N" or "P%-N", P from 0 to 100 (share -1 without one) and
 * N within -32768..32767; 0 for anything else. */
static int coord_Split(const char *s, long *share, long *pixels)
{
    const char *pct = strchr(s, '%');
    *share = -1;
    *pixels = 0;
    if (!pct)
        return in_range(s, -32768, 32767, pixels);
    std::string head(s, pct - s);
    if (!in_range(head.c_str(), 0, 100, share))
        return 0;
    if (!pct[1])
        return 1;
    if (pct[1] != '+' && pct[1] != '-')
        return 0;
    return in_range(pct[1] == '+' ? pct + 2 : pct + 1, -32768, 32767, pixels);
}

/* NULL when word suits an argument of the kind, else what it must be. */
static const char *arg_error(char kind, const char *word)
{
    long v;
    switch (kind) {
    case 'i':
        return in_range(word, 0, 0x7fffffffL, &v) ? NULL
               : "a control id, a number from 0";
    case 'c': {
        long share;
        return coord_Split(word, &share, &v) ? NULL
               : "pixels from -32768 to 32767, or P% of the control "
                 "(P from 0 to 100), with pixels added or taken";
    }
    case 'w':
        return in_range(word, -100, 100, &v) && v != 0 ? NULL
               : "a number of notches from -100 to 100 other than 0";
    case 'm':
        return in_range(word, 0, 3600000, &v) ? NULL
               : "a number of milliseconds up to 3600000";
    case 'k': {
        std::vector<WORD> keys;
        return keys_Parse(word, &keys) ? NULL
               : "key names joined by '+' (a-z, 0-9, f1-f24, shift, ctrl, "
                 "alt, lwin, ... as the usage says)";
    }
    case 't':
        for (const char *c = word; *c; c++)
            if (!((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') ||
                  *c == ' '))
                return "lower-case letters, digits and spaces";
        return NULL;
    }
    return NULL;
}

/* The name of argument n (from 0) in a usage line, without brackets. */
static std::string usage_word(const char *usage, int n)
{
    const char *w = usage;
    for (; n > 0 && (w = strchr(w, ' ')); n--)
        w++;
    if (!w)
        return "";
    w += *w == '[';
    return std::string(w, strcspn(w, " ]"));
}

static void usage(void)
{
    fprintf(stderr, "usage: uidriver.exe run PROGRAM [ARGS...] -- STEP...\n"
                    "       uidriver.exe run-line \"COMMAND LINE\" -- STEP...\n"
                    "steps:\n");
    for (const Step &s : steps)
        fprintf(stderr, "  %s%s%s\n", s.name, *s.usage ? " " : "", s.usage);
}

/* The step's arguments from argv[i] on, checked; 0 with a message. */
static int parse_args(const Step *step, int argc, char **argv, int i,
                      Planned &p)
{
    int n = (int)strlen(step->kinds);
    const char *bad = NULL, *word = NULL;
    std::string name;
    for (int k = 0; k < n && k < argc - i && !bad; k++)
        if ((bad = arg_error(step->kinds[k], argv[i + k]))) {
            word = argv[i + k];
            name = usage_word(step->usage, k);
        }
    long moves = DEFAULT_MOVES;
    if (!bad && argc - i > n && step->opt == OPT_MOVES &&
        is_number(argv[i + n]) && !in_range(argv[i + n], 1, MAX_MOVES, &moves)) {
        bad = "a number from 1 to " STR(MAX_MOVES);
        word = argv[i + n];
        name = usage_word(step->usage, n);
    }
    if (bad)
        fprintf(stderr, "uidriver: %s %s must be %s, not \"%s\"\n", step->name,
                name.c_str(), bad, word);
    if (bad || argc - i < n) {
        fprintf(stderr, "uidriver: %s needs %s\n", step->name, step->usage);
        return 0;
    }
    p.moves = (int)moves;
    return 1;
}

/* The steps from argv[i] on; 0 with a message on a usage error. */
static int parse_steps(int argc, char **argv, int i, std::vector<Planned> &plan)
{
    while (i < argc) {
        const Step *step = NULL;
        for (const Step &s : steps)
            if (strcmp(s.name, argv[i]) == 0)
                step = &s;
        if (!step) {
            fprintf(stderr, "uidriver: unknown step \"%s\"\n", argv[i]);
            return 0;
        }
        Planned p = {step, argv + i + 1, g_timeout, DEFAULT_MOVES};
        if (!parse_args(step, argc, argv, i + 1, p))
            return 0;
        i += 1 + (int)strlen(step->kinds);
        if (step->opt != OPT_NONE && i < argc && is_number(argv[i])) {
            if (step->opt == OPT_TIME)
                p.ms = (DWORD)strtoul(argv[i], NULL, 10);
            i++;
        }
        plan.push_back(p);
    }
    if (plan.empty()) {
        fprintf(stderr, "uidriver: no steps\n");
        return 0;
    }
    return 1;
}

/* Windows command-line quoting: backslashes double only before a quote. */
static void append_quoted(std::string &cmd, const char *arg)
{
    if (!cmd.empty())
        cmd += ' ';
    if (*arg && !strpbrk(arg, " \t\"")) {
        cmd += arg;
        return;
    }
    cmd += '"';
    size_t slashes = 0;
    for (const char *p = arg; *p; p++) {
        if (*p == '\\') {
            slashes++;
            continue;
        }
        cmd.append(*p == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        cmd += *p;
    }
    cmd.append(slashes * 2, '\\');
    cmd += '"';
}

/* raw: args[0] is the whole command line, used as it is (as Add/Remove
 * Programs uses an UninstallString); else the arguments are quoted. */
static int start(Run &run, char **args, int n, int raw)
{
    std::string cmd;
    if (raw)
        cmd = args[0];
    else
        for (int i = 0; i < n; i++)
            append_quoted(cmd, args[i]);
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL,
                        &si, &pi)) {
        fprintf(stderr, "uidriver: cannot start %s (error %lu)\n", args[0],
                (unsigned long)GetLastError());
        return 0;
    }
    CloseHandle(pi.hThread);
    run.process = pi.hProcess;
    run.pid = pi.dwProcessId;
    run.program = args[0];
    printf("uidriver: started %s, process %lu\n", cmd.c_str(),
           (unsigned long)run.pid);
    return 1;
}

/* A button the steps left down would stay down for the next program. */
static void let_go(Run &run)
{
    if (!run.held)
        return;
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
    printf("uidriver: the left button, left down, is let go\n");
}

static void print_step(int n, const Planned &p)
{
    printf("step %d %s", n, p.step->name);
    for (int i = 0; i < (int)strlen(p.step->kinds); i++)
        printf(" \"%s\"", p.args[i]);
}

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    const char *env = getenv("UIDRIVER_TIMEOUT_MS");
    if (env && is_number(env))
        g_timeout = (DWORD)strtoul(env, NULL, 10);
    int raw = argc >= 2 && strcmp(argv[1], "run-line") == 0;
    if (argc < 2 || (!raw && strcmp(argv[1], "run") != 0)) {
        usage();
        return 2;
    }
    int sep = 2;
    while (sep < argc && strcmp(argv[sep], "--") != 0)
        sep++;
    std::vector<Planned> plan;
    if (sep == 2 || (raw && sep != 3) || sep >= argc ||
        !parse_steps(argc, argv, sep + 1, plan)) {
        usage();
        return 2;
    }
    Run run = {};
    if (!start(run, argv + 2, sep - 2, raw))
        return 1;
    int n = 0, failed = 0;
    for (const Planned &p : plan) {
        std::string why;
        n++;
        if (p.step->fn(run, p, why)) {
            print_step(n, p);
            printf(": ok\n");
            continue;
        }
        print_step(n, p);
        printf(": FAILED: %s\n", why.c_str());
        uiw_List(run.pid, stdout);
        failed = 1;
        break;
    }
    DWORD code;
    if (!exited(run, &code)) {
        printf("uidriver: %s still running, terminated\n", run.program);
        TerminateProcess(run.process, 255);
        WaitForSingleObject(run.process, 5000);
    }
    CloseHandle(run.process);
    let_go(run);
    return failed;
}
