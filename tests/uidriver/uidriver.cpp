/* uidriver.cpp -- drives a Windows program through its windows, for the
 * end-to-end tests under Wine.
 *
 *   uidriver.exe run PROGRAM [ARGS...] -- STEP...
 *
 * starts PROGRAM and carries out the steps in order.  A step is its name
 * followed by its arguments; the optional arguments are all times in
 * milliseconds and are taken only when the next word is a number (the
 * default is 20000, or UIDRIVER_TIMEOUT_MS).
 *
 *   wait-window TITLE [ms]        a visible top-level window TITLE appears
 *   wait-gone TITLE [ms]          no visible window TITLE is left
 *   expect-text TITLE TEXT [ms]   window TITLE or one of its controls shows
 *                                 TEXT (waits for it)
 *   click TITLE BUTTON [ms]       presses the enabled button BUTTON of TITLE
 *   close TITLE [ms]              sends WM_CLOSE to window TITLE
 *   capture TITLE FILE.bmp [ms]   window TITLE as on screen into a 24-bit BMP
 *   list                          prints the program's windows
 *   expect-no-window [ms]         no visible window appears until the program
 *                                 ends (or the time is up)
 *   expect-exit CODE [ms]         the program ends with exit code CODE
 *
 * TITLE "*" stands for any visible window of the program.  Only windows of
 * the started process are looked at (EnumWindows by process id), so tests
 * can run side by side.  Texts match exactly, '&' mnemonics aside.
 *
 * Exit code: 0 every step passed; 1 a step failed (the step, the reason and
 * the program's windows are printed); 2 a usage error, found before the
 * program is started.  A program still running after the last step (or a
 * failed one) is terminated.
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

struct Run {
    HANDLE process;
    DWORD  pid;
    const char *program;
};

typedef int (*StepFn)(Run &run, char **args, DWORD ms, std::string &why);

struct Step {
    const char *name;
    int         args;       /* required arguments */
    int         timed;      /* takes an optional time limit */
    const char *usage;
    StepFn      fn;
};

/* One parsed step of the command line. */
struct Planned {
    const Step *step;
    char      **args;
    DWORD       ms;
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

static int step_wait_window(Run &run, char **args, DWORD ms, std::string &why)
{
    return wait_for(run, args[0], ms, why) != NULL;
}

static int step_wait_gone(Run &run, char **args, DWORD ms, std::string &why)
{
    return poll(ms, why, [&](std::string &s) {
        if (!uiw_Find(run.pid, args[0]))
            return 1;
        s = "window \"" + std::string(args[0]) + "\" is still there";
        return 0;
    }) > 0;
}

static int step_expect_text(Run &run, char **args, DWORD ms, std::string &why)
{
    return poll(ms, why, [&](std::string &s) {
        HWND w;
        int r = look(run, args[0], &w, s);
        if (r <= 0)
            return r;
        if (uiw_ShowsText(w, args[1]))
            return 1;
        s = "window \"" + std::string(args[0]) + "\" does not show \"" +
            args[1] + "\"";
        return 0;
    }) > 0;
}

static int step_click(Run &run, char **args, DWORD ms, std::string &why)
{
    return poll(ms, why, [&](std::string &s) {
        HWND w;
        int r = look(run, args[0], &w, s);
        if (r <= 0)
            return r;
        HWND b = uiw_FindButton(w, args[1]);
        if (b && uiw_Click(b))
            return 1;
        s = (b ? "button \"" : "no button \"") + std::string(args[1]) +
            (b ? "\" is disabled" : "\"") + " in window \"" + args[0] + "\"";
        return 0;
    }) > 0;
}

static int step_close(Run &run, char **args, DWORD ms, std::string &why)
{
    HWND w = wait_for(run, args[0], ms, why);
    if (!w)
        return 0;
    PostMessageA(w, WM_CLOSE, 0, 0);
    return 1;
}

static int step_capture(Run &run, char **args, DWORD ms, std::string &why)
{
    HWND w = wait_for(run, args[0], ms, why);
    if (!w)
        return 0;
    if (uiw_Capture(w, args[1]))
        return 1;
    why = std::string("cannot capture into ") + args[1];
    return 0;
}

static int step_list(Run &run, char **args, DWORD ms, std::string &why)
{
    (void)args;
    (void)ms;
    (void)why;
    uiw_List(run.pid, stdout);
    return 1;
}

static int step_expect_no_window(Run &run, char **args, DWORD ms,
                                 std::string &why)
{
    (void)args;
    /* The time running out without a window passes as well. */
    return poll(ms, why, [&](std::string &s) {
        HWND w = uiw_Find(run.pid, "*");
        if (w) {
            s = "window \"" + uiw_Text(w) + "\" appeared";
            return -1;
        }
        DWORD code;
        return exited(run, &code) ? 1 : 0;
    }) >= 0;
}

static int step_expect_exit(Run &run, char **args, DWORD ms, std::string &why)
{
    DWORD want = (DWORD)strtol(args[0], NULL, 10), code = 0;
    if (WaitForSingleObject(run.process, ms) != WAIT_OBJECT_0) {
        why = "still running after " + std::to_string(ms) + " ms";
        return 0;
    }
    GetExitCodeProcess(run.process, &code);
    if (code == want)
        return 1;
    why = "exit code " + std::to_string(code) + ", expected " +
          std::to_string(want);
    return 0;
}

static const Step steps[] = {
    {"wait-window", 1, 1, "TITLE [ms]", step_wait_window},
    {"wait-gone", 1, 1, "TITLE [ms]", step_wait_gone},
    {"expect-text", 2, 1, "TITLE TEXT [ms]", step_expect_text},
    {"click", 2, 1, "TITLE BUTTON [ms]", step_click},
    {"close", 1, 1, "TITLE [ms]", step_close},
    {"capture", 2, 1, "TITLE FILE.bmp [ms]", step_capture},
    {"list", 0, 0, "", step_list},
    {"expect-no-window", 0, 1, "[ms]", step_expect_no_window},
    {"expect-exit", 1, 1, "CODE [ms]", step_expect_exit},
};

/* Digits only: an optional time limit, never a title or a step name. */
static int is_number(const char *s)
{
    if (!*s)
        return 0;
    for (; *s; s++)
        if (*s < '0' || *s > '9')
            return 0;
    return 1;
}

static void usage(void)
{
    fprintf(stderr, "usage: uidriver.exe run PROGRAM [ARGS...] -- STEP...\n"
                    "       uidriver.exe run-line \"COMMAND LINE\" -- STEP...\n"
                    "steps:\n");
    for (const Step &s : steps)
        fprintf(stderr, "  %s%s%s\n", s.name, *s.usage ? " " : "", s.usage);
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
        if (argc - i - 1 < step->args) {
            fprintf(stderr, "uidriver: %s needs %s\n", step->name, step->usage);
            return 0;
        }
        Planned p = {step, argv + i + 1, g_timeout};
        i += 1 + step->args;
        if (step->timed && i < argc && is_number(argv[i]))
            p.ms = (DWORD)strtoul(argv[i++], NULL, 10);
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

static void print_step(int n, const Planned &p)
{
    printf("step %d %s", n, p.step->name);
    for (int i = 0; i < p.step->args; i++)
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
    Run run;
    if (!start(run, argv + 2, sep - 2, raw))
        return 1;
    int n = 0, failed = 0;
    for (const Planned &p : plan) {
        std::string why;
        n++;
        if (p.step->fn(run, p.args, p.ms, why)) {
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
    return failed;
}
