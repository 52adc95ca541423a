/* func_system_test.cpp -- the built-ins of system queries, flags, message
 * boxes and progress, run from compiled scripts under Wine: versions told
 * through a replaced version query, files held open for real, registry
 * keys, a window in another thread, message boxes answered by a watcher
 * thread, and a real progress control. */
#include "func_fixture.h"
#include "uiwin.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace {

}  // namespace

class FuncSystem : public FuncTest {};

/* Setup told each version that one of the six exact built-ins asks for
 * (the built-in table's script_Windows): that one and its family answer
 * 1, every other 0.  Windows' own platform numbers: 1 the 95 family, 2
 * NT. */
TEST_F(FuncSystem, WindowsVersions)
{
    std::string functions;
    for (int i = 0; i < SCRIPT_WINDOWS_ROWS; i++)
        functions += "w" + std::to_string(i) + "() { return " +
                     script_Builtins[SB_ISWIN95 + i].Keyword + "(); }\r\n";
    compile(functions);
    const int family_nt = SB_ISWINFAMILYNT - SB_ISWIN95;
    const int family_9x = SB_ISWINFAMILY9X - SB_ISWIN95;
    for (int v = 0; v < family_nt; v++) {
        const ScriptWindows &w = script_Windows[v];
        ASSERT_TRUE(w.Platform == 1 || w.Platform == 2) << "row " << v;
        func_PretendWindows((DWORD)w.Platform, (DWORD)w.Major, (DWORD)w.Minor);
        bool nt = w.Platform == VER_PLATFORM_WIN32_NT;
        for (int i = 0; i < SCRIPT_WINDOWS_ROWS; i++) {
            int want = i == family_nt ? nt : i == family_9x ? !nt : i == v;
            EXPECT_EQ(want, script_Call(("w" + std::to_string(i)).c_str()))
                << "row Windows " << (int)w.Major << "." << (int)w.Minor
                << " of " << script_Builtins[SB_ISWIN95 + v].Keyword << ", "
                << script_Builtins[SB_ISWIN95 + i].Keyword;
        }
    }
    /* A version no exact built-in names: only its family answers. */
    func_PretendWindows(VER_PLATFORM_WIN32_NT, 6, 1);
    for (int i = 0; i < SCRIPT_WINDOWS_ROWS; i++)
        EXPECT_EQ(i == family_nt,
                  script_Call(("w" + std::to_string(i)).c_str()))
            << "row Windows 7, " << script_Builtins[SB_ISWIN95 + i].Keyword;
    /* Wine itself: a Windows of the NT line. */
    setup_GetVersion = NULL;
    EXPECT_EQ(1, script_Call(("w" + std::to_string(family_nt)).c_str()))
        << "row Wine, iswinfamilynt";
    EXPECT_EQ(0, script_Call(("w" + std::to_string(family_9x)).c_str()))
        << "row Wine, iswinfamily9x";
}

TEST_F(FuncSystem, Flags)
{
    const struct {
        const char *call;
        int        *field;
        int         before, after;
    } rows[] = {
        {"setreboot(1)", &InstallState.Reboot, 0, 1},
        {"setreboot(0)", &InstallState.Reboot, 1, 0},
        {"setreboot(7)", &InstallState.Reboot, 0, 7},
        {"setupdate(1)", &InstallState.Update, 0, 1},
        {"setupdate(0)", &InstallState.Update, 1, 0},
        {"setnouninstall(0)", &InstallState.NoUninstall, 1, 0},
        {"setnouninstall(1)", &InstallState.NoUninstall, 0, 1},
        {"logoff()", &InstallState.LogChanges, 1, 0},
        {"logon()", &InstallState.LogChanges, 0, 1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.call);
        *r.field = r.before;
        EXPECT_EQ(0, run(r.call));
        EXPECT_EQ(r.after, *r.field);
    }
}

TEST_F(FuncSystem, FileInUse)
{
    const std::string plain = dir + "\\plain.txt", held = dir + "\\held.txt",
                      ro = dir + "\\readonly.txt",
                      shared = dir + "\\shared.txt";
    for (const std::string &p : {plain, held, ro, shared})
        ASSERT_TRUE(fix_Save(p, FuncBytes{'x'})) << p;
    ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE h = CreateFileA(held.c_str(), GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    /* Open for writing, others allowed to read and write: still not to be
     * had alone. */
    HANDLE s = CreateFileA(shared.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, s);
    strcpy(InstallState.AppDir, dir.c_str());
    const struct { const char *name; std::string path; int value; } rows[] = {
        {"missing", dir + "\\missing.txt", 0},
        {"missing folder", dir + "\\no\\such.txt", 0},
        {"plain", plain, 0},
        {"held unshared", held, 1},
        {"held shared", shared, 1},
        {"read-only", ro, 1},
        {"macro", "%APPDIR%\\held.txt", 1},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.value, run("fileinuse(" + func_Lit(r.path) + ")"))
            << "row " << r.name;
    CloseHandle(h);
    CloseHandle(s);
    EXPECT_EQ(0, run("fileinuse(" + func_Lit(held) + ")"))
        << "row held, after closing";
}

TEST_F(FuncSystem, IsAppInstalled)
{
    const char co[] = "Vellum FuncA Co", key[] = "Software\\Vellum FuncA Co\\Tool";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vellum FuncA Co");
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL,
                                             0, KEY_ALL_ACCESS, NULL, &h,
                                             NULL));
    RegCloseKey(h);
    const std::string c = func_Lit(co);
    const struct { const char *name; std::string args; int value; } rows[] = {
        {"company and product", c + ", \"Tool\"", 1},
        {"null product", c + ", null", 1},
        {"other product", c + ", \"Other\"", 0},
        {"other company, null product", "\"Vellum FuncA None\", null", 0},
        {"unknown company", "\"Vellum FuncA None\", \"Tool\"", 0},
        {"both null: Software", "null, null", 1},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.value, run("isappinstalled(" + r.args + ")"))
            << "row " << r.name;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vellum FuncA Co");
    EXPECT_EQ(0, run("isappinstalled(" + c + ", null)")) << "row removed";
}

/* ---- a program's window, in a thread of its own ---- */

namespace {

const char kAppClass[] = "VellumFuncAApp";
const char kAppTitle[] = "Vellum FuncA Window";

std::atomic<int> g_closeRequests;

LRESULT CALLBACK app_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CLOSE) {
        /* Handled slowly on purpose: closeapp must not return earlier. */
        Sleep(200);
        g_closeRequests++;
        DestroyWindow(w);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

class AppWindow {
  public:
    AppWindow() : ready_(CreateEventA(NULL, TRUE, FALSE, NULL)),
                  thread_([this] { run(); })
    {
        WaitForSingleObject(ready_, INFINITE);
    }
    ~AppWindow()
    {
        if (IsWindow(hwnd_))
            PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        thread_.join();
        CloseHandle(ready_);
    }
    HWND hwnd() const { return hwnd_; }

  private:
    void run()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = app_proc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = kAppClass;
        RegisterClassA(&wc);
        hwnd_ = CreateWindowA(kAppClass, kAppTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                              100, 100, NULL, NULL, wc.hInstance, NULL);
        SetEvent(ready_);
        MSG m;
        while (hwnd_ && GetMessageA(&m, NULL, 0, 0) > 0)
            DispatchMessageA(&m);
    }

    HANDLE      ready_;
    HWND        hwnd_ = NULL;
    std::thread thread_;
};

}  // namespace

TEST_F(FuncSystem, AppRunningAndClose)
{
    AppWindow app;
    ASSERT_TRUE(app.hwnd() != NULL);
    const std::string cls = func_Lit(kAppClass), title = func_Lit(kAppTitle);
    const struct { const char *name; std::string args; bool found; } rows[] = {
        {"class and title", cls + ", " + title, true},
        {"class, any title", cls + ", null", true},
        {"any class, title", "null, " + title, true},
        {"wrong title", cls + ", \"Another Title\"", false},
        {"unknown class", "\"VellumFuncANoClass\", null", false},
    };
    for (const auto &r : rows) {
        ScriptValue v = run("isapprunning(" + r.args + ")");
        if (r.found)
            EXPECT_EQ((int32_t)(ULONG_PTR)app.hwnd(), script_Int(v))
                << "row " << r.name;
        else
            EXPECT_EQ(0, v) << "row " << r.name;
    }
    /* The value works as a condition in the script. */
    compile("f() { if (isapprunning(" + cls + ", null)) return 5; "
            "return 6; }\r\n");
    EXPECT_EQ(5, script_Call("f")) << "row as a condition";

    g_closeRequests = 0;
    EXPECT_EQ(0, run("closeapp(" + cls + ", \"Another Title\")"))
        << "row close, no such window";
    EXPECT_EQ(0, g_closeRequests.load());
    EXPECT_EQ(0, run("closeapp(" + cls + ", " + title + ")")) << "row close";
    /* Handled before closeapp returned. */
    EXPECT_EQ(1, g_closeRequests.load());
    EXPECT_FALSE(IsWindow(app.hwnd()));
    EXPECT_EQ(0, run("isapprunning(" + cls + ", null)")) << "row after close";
}

TEST_F(FuncSystem, Version)
{
    FuncBytes v1234, v2, none;
    ASSERT_TRUE(fix_Load(fix_PePath("x64", "v1_2_3_4"), v1234));
    ASSERT_TRUE(fix_Load(fix_PePath("x64", "v2_0_0_0"), v2));
    ASSERT_TRUE(fix_Load(fix_PePath("x64", "nover"), none));
    open_package({{"tool.dll", v1234}, {"plain.dll", none}});
    const std::string older = dir + "\\older.dll", same = dir + "\\same.dll",
                      newer = dir + "\\newer.dll";
    ASSERT_TRUE(fix_Save(older, none));    /* no version: the oldest */
    ASSERT_TRUE(fix_Save(same, v1234));
    ASSERT_TRUE(fix_Save(newer, v2));
    strcpy(InstallState.AppDir, dir.c_str());
    const struct { const char *name, *member; std::string path; int value; }
        rows[] = {
            {"installed without version", "tool.dll", older, 1},
            {"missing installed file", "tool.dll", dir + "\\none.dll", 1},
            {"same version", "tool.dll", same, 0},
            {"same version via macro", "tool.dll", "%APPDIR%\\same.dll", 0},
            {"installed newer", "tool.dll", newer, -1},
            {"member without version", "plain.dll", newer, 1},
            {"missing member", "none.dll", same, -2},
        };
    for (const auto &r : rows)
        EXPECT_EQ(r.value, run(std::string("version(\"") + r.member + "\", " +
                               func_Lit(r.path) + ")"))
            << "row " << r.name;
    EXPECT_EQ(-2, run("version(null, " + func_Lit(same) + ")"))
        << "row null member";
}

/* ---- message boxes ---- */

namespace {

struct SeenBox {
    std::string title, text;
    HWND        owner;
    HICON       icon;
};

/* Answers the first message box of this process with the button, and
 * tells what it showed. */
class BoxAnswer {
  public:
    explicit BoxAnswer(const char *button)
        : button_(button), thread_([this] { watch(); }) {}
    SeenBox finish()
    {
        stop_ = true;
        thread_.join();
        return seen_;
    }
    int count() const { return count_; }

  private:
    void watch()
    {
        while (!stop_) {
            for (HWND w : uiw_TopWindows(GetCurrentProcessId(), 0)) {
                char cls[32] = "";
                GetClassNameA(w, cls, sizeof cls);
                if (strcmp(cls, "#32770") != 0 || w == last_)
                    continue;
                read(w);
                last_ = w;
                count_++;
                HWND b = uiw_FindButton(w, button_);
                if (!b || !uiw_Click(b))
                    PostMessageA(w, WM_CLOSE, 0, 0);
            }
            Sleep(10);
        }
    }

    void read(HWND box)
    {
        seen_.title = uiw_Text(box);
        seen_.owner = GetWindow(box, GW_OWNER);
        seen_.icon = NULL;
        for (const UiwWindow &c : uiw_Describe(box)) {
            if (c.depth == 0 || _stricmp(c.cls.c_str(), "Static") != 0)
                continue;
            if (!c.text.empty())
                seen_.text = c.text;
            else if (!seen_.icon)
                seen_.icon = (HICON)SendMessageA(c.hwnd, STM_GETICON, 0, 0);
        }
    }

    const char       *button_;
    std::atomic<bool> stop_{false};
    std::atomic<int>  count_{0};
    HWND              last_ = NULL;
    SeenBox           seen_;
    std::thread       thread_;
};

}  // namespace

TEST_F(FuncSystem, MessageBoxes)
{
    HWND main = CreateWindowA("Static", "Vellum FuncA Main", WS_OVERLAPPED,
                              0, 0, 200, 100, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(main != NULL);
    InstallState.MainWindow = main;
    const struct {
        const char *name, *call, *button, *title;
        LPCSTR      icon;
        int         value;
    } rows[] = {
        {"yesno Yes", "msgboxyesno(\"Go on?\")", "Yes", "Question",
         IDI_QUESTION, 1},
        {"yesno No", "msgboxyesno(\"Go on?\")", "No", "Question",
         IDI_QUESTION, 0},
        {"ok", "msgboxok(\"Go on?\")", "OK", "Information", IDI_INFORMATION,
         0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        BoxAnswer answer(r.button);
        ScriptValue v = run(r.call);
        int boxes = answer.count();
        SeenBox seen = answer.finish();
        EXPECT_EQ(r.value, v);
        EXPECT_EQ(1, boxes);
        EXPECT_EQ(r.title, seen.title);
        EXPECT_EQ("Go on?", seen.text);
        EXPECT_EQ(main, seen.owner);
        EXPECT_EQ(LoadIconA(NULL, r.icon), seen.icon) << "not the icon";
    }
    DestroyWindow(main);
}

/* ---- progress ---- */

TEST_F(FuncSystem, ProgressSteps)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HWND bar = CreateWindowA(PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 200, 20,
                             NULL, NULL, NULL, NULL);
    ASSERT_TRUE(bar != NULL);
    InstallState.ProgressBar = bar;
    const struct { const char *name; int steps, high; } rows[] = {
        {"17", 17, 17},
        {"1", 1, 1},
        {"low 16 bits of 65541", 65541, 5},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        SendMessageA(bar, PBM_SETSTEP, 10, 0);
        compile("s() { return setprogsteps(" + std::to_string(r.steps) +
                "); }\r\np() { return progstep(); }\r\n");
        EXPECT_EQ(0, script_Call("s"));
        PBRANGE range;
        SendMessageA(bar, PBM_GETRANGE, 0, (LPARAM)&range);
        EXPECT_EQ(0, range.iLow);
        EXPECT_EQ(r.high, range.iHigh);
        for (int i = 1; i <= r.high; i++) {
            EXPECT_EQ(0, script_Call("p"));
            EXPECT_EQ(i, (int)SendMessageA(bar, PBM_GETPOS, 0, 0))
                << "after step " << i;
        }
        /* Full: the position is the top of the range. */
        EXPECT_EQ(range.iHigh, (int)SendMessageA(bar, PBM_GETPOS, 0, 0));
    }
    DestroyWindow(bar);
}
