/* script_win_test.cpp -- the script engine on setup's own stack, under Wine.
 *
 * setup runs scripts on its main thread, whose stack is the 2 MB that
 * mingw's linker reserves.  Scripts nested or recursing without end must
 * stop with one "Nesting too deep" box and the error flag set, at compile
 * time or at run time, never with a stack overflow: each row runs on a
 * thread with exactly that reserve, in the -Os build of the engine that
 * setup links.
 */
#include "script/script.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> boxes;

void record(const char *text)
{
    boxes.push_back(text);
}

std::string repeat(const char *s, int n)
{
    std::string r;
    for (int i = 0; i < n; i++)
        r += s;
    return r;
}

struct ScriptRun {
    std::string text;
    int         compiled;
    ScriptValue value;
};

DWORD WINAPI run_script(void *arg)
{
    ScriptRun *r = (ScriptRun *)arg;
    static const ScriptHost host = {record, NULL};
    script_SetHost(&host);
    r->compiled = script_Compile(&r->text[0]);
    r->value = r->compiled ? script_Call("init") : 0;
    return 0;
}

/* setup's stack: 2 MB reserved (SizeOfStackReserve of setup.exe). */
ScriptRun run_on_setup_stack(const std::string &text)
{
    ScriptRun r = {text, -1, -1};
    boxes.clear();
    HANDLE t = CreateThread(NULL, 0x200000, run_script, &r,
                            STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
    EXPECT_TRUE(t != NULL);
    WaitForSingleObject(t, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    EXPECT_EQ(0u, code);
    return r;
}

struct DeepRow {
    const char *name;
    std::string text;
    int         compiles;   /* the limit is met at run time */
};

TEST(ScriptWin, DeepNestingStopsWithOneBox)
{
    const DeepRow rows[] = {
        {"endless recursion", "f() { return f(); } init() { return f(); }", 1},
        {"recursion through while loops",
         "f() { while (1) { return f(); } } init() { return f(); }", 1},
        {"recursion through for loops",
         "f() { for (;;) { return f(); } } init() { return f(); }", 1},
        {"5000 parentheses",
         "init() { return " + repeat("(", 5000) + "1" + repeat(")", 5000) +
             "; }", 0},
        {"3000 nested blocks",
         "init() " + repeat("{", 3000) + repeat("}", 3000), 0},
        {"2000 nested ifs",
         "init() { " + repeat("if (1) ", 2000) + "return 1; }", 0},
        {"300 nested for loops (each holds three places)",
         "init() { " + repeat("for (;;) ", 300) + "return 1; }", 1},
        {"5000 prefix operators",
         "init() { return " + repeat("!-", 2500) + "1; }", 0},
    };
    for (const DeepRow &row : rows) {
        SCOPED_TRACE(row.name);
        ScriptRun r = run_on_setup_stack(row.text);
        EXPECT_EQ(row.compiles, r.compiled);
        EXPECT_EQ(0, r.value);
        EXPECT_TRUE(script_HasError());
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(0u, boxes[0].find("Error: Nesting too deep at "))
            << boxes[0];
    }
}

/* Well within the limit: no box, the right value. */
TEST(ScriptWin, RealisticNestingRuns)
{
    struct { const char *name; std::string text; ScriptValue value; } rows[] = {
        {"recursion 50 deep",
         "f(n) { if (n == 0) return 0; return 1 + f(n - 1); }"
         " init() { return f(50); }", 50},
        {"30 nested ifs and loops",
         "init() { var i; " + repeat("if (1) for (i = 0; i < 1; i++) ", 30) +
             "return 7; }", 7},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScriptRun r = run_on_setup_stack(row.text);
        EXPECT_EQ(1, r.compiled);
        EXPECT_EQ(row.value, r.value);
        EXPECT_TRUE(boxes.empty()) << boxes[0];
    }
}

}  // namespace
