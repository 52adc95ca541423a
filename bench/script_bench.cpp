/* script_bench -- figures for the script engine.
 *
 *   compile  a generated 1,000-line script (settings, defines, functions
 *            with loops, ifs, calls and literals): best of several runs
 *   loop     iterations per second of  for (i = 0; i < n; i++) s += i;
 *   literal  the same loop scanning a 60-character literal per iteration,
 *            which costs a slot copy at every jump back
 *
 * Prints figures; judges nothing.
 */
#include "script/script.h"

#include <chrono>
#include <stdio.h>
#include <string>
#include <vector>

static double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

static int errors;

static void report(const char *text)
{
    if (errors++ < 3)
        fprintf(stderr, "script_bench: %s\n", text);
}

static ScriptValue builtin(void)
{
    int row = script_CurrentBuiltin();
    ScriptValue a[8];
    script_Args(script_Builtins[row].ArgCount, a);
    return 0;
}

/* One function of the generated script: a loop, a nested if/else chain,
 * calls of built-ins and of the previous function, literals, defines. */
static void gen_function(std::string &s, int f, int lines)
{
    char buf[256];
    snprintf(buf, sizeof buf, "f%d(a, b)\n{\n    var i j s t;\n", f);
    s += buf;
    int n = 3, piece = f;
    while (n < lines - 2) {
        int k = piece++ % 6;
        switch (k) {
        case 0:
            snprintf(buf, sizeof buf,
                     "    for (i = 0; i < a + K%d; i++) {\n"
                     "        s += i * %d;\n"
                     "        if (s > 1000) break;\n"
                     "    }\n", (n + f) % 40, n);
            n += 4;
            break;
        case 1:
            snprintf(buf, sizeof buf,
                     "    if (a == %d) {\n"
                     "        msgboxok(\"Step %d of function %d\");\n"
                     "    } else if (b != 0) {\n"
                     "        j = j + (a - b) / 2;\n"
                     "    }\n", n, n, f);
            n += 5;
            break;
        case 2:
            snprintf(buf, sizeof buf,
                     "    copy(\"files\\\\part%d.dat\", \"%%APPDIR%%\\\\part%d.dat\");\n"
                     "    progstep();\n", n, n);
            n += 2;
            break;
        case 3:
            if (f > 0)
                snprintf(buf, sizeof buf, "    t = f%d(i, j) + K%d;\n", f - 1,
                         n % 40);
            else
                snprintf(buf, sizeof buf, "    t = K%d;\n", n % 40);
            n += 1;
            break;
        case 4:
            snprintf(buf, sizeof buf,
                     "    while (j < %d && !iscopyerror()) {\n"
                     "        j++; // count up\n"
                     "    }\n", n);
            n += 3;
            break;
        default:
            snprintf(buf, sizeof buf,
                     "    /* line %d */ s = (s * 3 + t) - (j == 0);\n", n);
            n += 1;
            break;
        }
        s += buf;
    }
    s += "    return s + t;\n}\n\n";
}

static std::string gen_script(int *line_count)
{
    std::string s =
        "// Name=Benchmark Product\r\n// Company=Bench\r\n// Product=Tool\r\n"
        "// Version=1.0\r\n// Update=1\r\n";
    for (int i = 0; i < 40; i++)
        s += "define K" + std::to_string(i) + " " + std::to_string(i * 3) + "\n";
    s += "\n";
    for (int f = 0; f < 15; f++)
        gen_function(s, f, 63);
    s += "install()\n{\n    return f14(1, 2);\n}\n";
    int lines = 0;
    for (char c : s)
        lines += c == '\n';
    *line_count = lines;
    return s;
}

/* Best time of runs of script_Compile over a fresh copy of the text. */
static double best_compile(const std::string &src, int runs)
{
    double best = 1e9;
    for (int r = 0; r < runs; r++) {
        std::vector<char> text(src.begin(), src.end());
        text.push_back(0);
        double t0 = now();
        int ok = script_Compile(text.data());
        double t = now() - t0;
        if (!ok) {
            fprintf(stderr, "script_bench: the script does not compile\n");
            return -1;
        }
        if (t < best)
            best = t;
    }
    return best;
}

/* Iterations per second of one loop function, best of a few runs; the
 * result is checked so that the loop cannot have been cut short. */
static double loop_rate(const char *body, long n, int runs)
{
    std::string src = "define N " + std::to_string(n) + "\n"
                      "run() { var i s t; for (i = 0; i < N; i++) " +
                      body + " return s; }\n";
    double best = 1e9;
    for (int r = 0; r < runs; r++) {
        std::vector<char> text(src.begin(), src.end());
        text.push_back(0);
        if (!script_Compile(text.data())) {
            fprintf(stderr, "script_bench: loop script does not compile\n");
            return -1;
        }
        double t0 = now();
        ScriptValue v = script_Call("run");
        double t = now() - t0;
        int32_t want = (int32_t)(uint32_t)((uint64_t)n * (uint64_t)(n - 1) / 2);
        if (script_Int(v) != want) {
            fprintf(stderr, "script_bench: loop gave %d, not %d\n",
                    script_Int(v), want);
            return -1;
        }
        if (t < best)
            best = t;
    }
    return (double)n / best;
}

int main(void)
{
    static ScriptHandler handlers[SB_COUNT];
    for (auto &h : handlers)
        h = builtin;
    ScriptHost host = {report, handlers};
    script_SetHost(&host);

    int lines;
    std::string src = gen_script(&lines);
    const int runs = 50;
    double t = best_compile(src, runs);
    if (t < 0)
        return 1;
    printf("compile: %d lines, %zu bytes: %.3f ms (best of %d)\n", lines,
           src.size(), t * 1e3, runs);

    const long n = 2000000;
    double plain = loop_rate("s += i;", n, 3);
    double literal = loop_rate(
        "{ t = \"a literal of sixty characters, scanned on every pass...\"; "
        "s += i; }", n, 3);
    if (plain < 0 || literal < 0)
        return 1;
    printf("loop  for (i = 0; i < n; i++) s += i;  %.2f M iterations/s\n",
           plain / 1e6);
    printf("loop with a 60-character literal:     %.2f M iterations/s\n",
           literal / 1e6);
    return errors ? 1 : 0;
}
