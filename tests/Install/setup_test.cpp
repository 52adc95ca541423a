/* setup_test.cpp -- setup's start-up checks under Wine.
 *
 * setup_Main runs in the test's main thread with setup_GetVersion replaced
 * by a table row.  Its message boxes are real: a watcher thread reads each
 * box of this process (title, text, icon, owner) and presses OK.  The test
 * program carries no package, so a start-up that passes the version check
 * ends at "Internal Error 1"; a refused one must stop before that.
 * The same checks against Wine's own version pretence run end to end in
 * tests/e2e.
 */
#include "setup.h"
#include "state.h"
#include "uiwin.h"
#include "version_fixture.h"

#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct SeenBox {
    std::string title;
    std::string text;      /* the message: the box's non-empty static text */
    bool        errorIcon;
    bool        owned;
};

/* Reads every message box this process shows and presses its OK button,
 * from construction to finish. */
class BoxWatcher {
  public:
    BoxWatcher() : stop_(false), thread_([this] { watch(); }) {}
    std::vector<SeenBox> finish()
    {
        stop_ = true;
        thread_.join();
        return boxes_;
    }

  private:
    void watch()
    {
        HWND last = NULL;
        while (!stop_) {
            for (HWND w : uiw_TopWindows(GetCurrentProcessId(), 0)) {
                char cls[32] = "";
                GetClassNameA(w, cls, sizeof cls);
                if (w == last || strcmp(cls, "#32770") != 0)
                    continue;
                boxes_.push_back(read(w));
                last = w;
                HWND ok = uiw_FindButton(w, "OK");
                if (!ok || !uiw_Click(ok))
                    PostMessageA(w, WM_CLOSE, 0, 0);
            }
            Sleep(10);
        }
    }

    static SeenBox read(HWND box)
    {
        SeenBox seen = {uiw_Text(box), "", false,
                        GetWindow(box, GW_OWNER) != NULL};
        HICON error = LoadIconA(NULL, (LPCSTR)IDI_ERROR);
        for (const UiwWindow &c : uiw_Describe(box)) {
            if (c.depth == 0 || _stricmp(c.cls.c_str(), "Static") != 0)
                continue;
            if (!c.text.empty())
                seen.text = c.text;
            else if ((HICON)SendMessageA(c.hwnd, STM_GETICON, 0, 0) == error)
                seen.errorIcon = true;
        }
        return seen;
    }

    std::vector<SeenBox> boxes_;
    std::atomic<bool>    stop_;
    std::thread          thread_;
};

struct VersionRow {
    const char *name;
    DWORD       platform, major, minor;
    const char *message;  /* the refusal, or null when accepted */
    int         isNT;     /* accepted rows */
};

const VersionRow version_rows[] = {
    {"Win32s 1.3", VER_PLATFORM_WIN32s, 3, 10, SETUP_MSG_WIN95, 0},
    {"unknown platform 3", 3, 5, 0, SETUP_MSG_WIN95, 0},
    {"NT 3.1", VER_PLATFORM_WIN32_NT, 3, 10, SETUP_MSG_NT4, 0},
    {"NT 3.51", VER_PLATFORM_WIN32_NT, 3, 51, SETUP_MSG_NT4, 0},
    {"Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, NULL, 0},
    {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, NULL, 0},
    {"Windows ME", VER_PLATFORM_WIN32_WINDOWS, 4, 90, NULL, 0},
    {"NT 4.0", VER_PLATFORM_WIN32_NT, 4, 0, NULL, 1},
    {"Windows 10", VER_PLATFORM_WIN32_NT, 10, 0, NULL, 1},
};

/* Start-up state as nothing has touched it yet, with IsNT a value no check
 * would set. */
void reset_state(void)
{
    InstallState.IsNT = -1;
    InstallState.ModulePath[0] = 0;
    InstallState.Package = NULL;
    InstallState.ScriptText = NULL;
}

int run_main(std::vector<SeenBox> &boxes)
{
    BoxWatcher watcher;
    int rc = setup_Main(GetModuleHandleA(NULL));
    boxes = watcher.finish();
    return rc;
}

void expect_error_box(const std::vector<SeenBox> &boxes, const char *text)
{
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(text, boxes[0].text);
    EXPECT_EQ(SETUP_ERROR_TITLE, boxes[0].title);
    EXPECT_TRUE(boxes[0].errorIcon) << "not the error icon";
    EXPECT_FALSE(boxes[0].owned) << "the box has an owner window";
}

}  // namespace

TEST(SetupStart, VersionChecks)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    SetupVersionFn real = setup_GetVersion;
    for (const VersionRow &row : version_rows) {
        SCOPED_TRACE(std::string("row ") + row.name);
        func_PretendWindows(row.platform, row.major, row.minor);
        reset_state();
        std::vector<SeenBox> boxes;
        EXPECT_EQ(0, run_main(boxes));
        if (row.message) {
            expect_error_box(boxes, row.message);
            /* Refused: nothing after the check has run. */
            EXPECT_EQ(-1, InstallState.IsNT);
            EXPECT_STREQ("", InstallState.ModulePath);
        } else {
            EXPECT_EQ(row.isNT, InstallState.IsNT);
            EXPECT_STREQ(self, InstallState.ModulePath);
            /* This program carries no package. */
            expect_error_box(boxes, SETUP_MSG_INTERNAL);
        }
        EXPECT_TRUE(InstallState.Package == NULL);
        EXPECT_TRUE(InstallState.ScriptText == NULL);
    }
    setup_GetVersion = real;
}

/* Wine's own answer (a Windows of the NT line) passes the check. */
TEST(SetupStart, RealVersionAccepted)
{
    reset_state();
    std::vector<SeenBox> boxes;
    EXPECT_EQ(0, run_main(boxes));
    EXPECT_EQ(1, InstallState.IsNT);
    expect_error_box(boxes, SETUP_MSG_INTERNAL);
}

TEST(SetupStart, OpenMissing)
{
    PackageHandle *h;
    EXPECT_EQ(PKG_EOPEN, pkg_Open("C:\\no\\such\\file.exe", &h));
}
