/* vpack_readme_test.cpp -- the README's worked example, run as it is
 * written: each of its vpack commands on examples/sample with this build's
 * stub and uninstaller, every printed line (counts, sizes) compared with
 * the README's.  When they differ the failure shows the whole block as the
 * README should have it. */
#include "vpack_t.h"

#include <string.h>

#include <sstream>

#define README_PROGRAM "build/host/tools/vpack/vpack "

/* One "$ ..." line of the example with the lines shown after it. */
struct Shown {
    std::string command, output;
};

static std::vector<Shown> example(const std::vector<std::string> &block)
{
    std::vector<Shown> v;
    for (const std::string &l : block) {
        if (l.compare(0, 2, "$ ") == 0)
            v.push_back({l.substr(2), ""});
        else if (!v.empty())
            v.back().output += l + "\n";
    }
    return v;
}

/* The command's own text, without a trailing "# comment". */
static std::string bare(const std::string &command)
{
    std::string c = command.substr(0, command.find('#'));
    while (!c.empty() && c.back() == ' ')
        c.pop_back();
    return c;
}

TEST(VpackReadme, WorkedExampleHolds)
{
    std::string readme = slurp(VELLUM_SOURCE_DIR "/README.md");
    std::vector<Shown> shown = example(
        indented_block(readme, "## Worked example: a product into a setup\n"));
    ASSERT_GE(shown.size(), 3u) << "no worked example found in README.md";
    ASSERT_TRUE(exists(g_configuredStub))
        << "the example needs this build's stub, " << g_configuredStub;

    /* The example runs from the top of the tree: examples/ is there. */
    std::string dir = fresh("readme-example");
    fs::create_directory_symlink(VELLUM_SOURCE_DIR "/examples",
                                 dir + "/examples");
    std::string program =
        fs::absolute(g_vpackPlain.empty() ? g_vpack : g_vpackPlain).string();
    std::string should, mismatches;
    size_t ran = 0;
    for (const Shown &s : shown) {
        should += "    $ " + s.command + "\n";
        std::string c = bare(s.command);
        if (c.compare(0, strlen(README_PROGRAM), README_PROGRAM) != 0) {
            for (std::istringstream in(s.output); std::getline(in, c);)
                should += "    " + c + "\n";
            continue;
        }
        ran++;
        Result r = run({"/bin/sh", "-c", "cd '" + dir + "' && exec '" + program +
                                             "' " + c.substr(strlen(README_PROGRAM))});
        EXPECT_EQ(0, r.code) << s.command << "\n" << trace(r);
        std::string line;
        for (std::istringstream in(r.out); std::getline(in, line);)
            should += "    " + line + "\n";
        if (r.out != s.output)
            mismatches += "  $ " + s.command + "\n  README shows:\n" + s.output +
                          "  vpack prints:\n" + r.out;
    }
    EXPECT_EQ(4u, ran) << "build, list, verify and the x64 build";
    EXPECT_EQ("", mismatches)
        << "README.md \"## Worked example\" should read:\n\n" << should;
}
