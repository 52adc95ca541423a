/* vpack_macros_test.cpp -- vpack run's folder macros in and after init:
 * setup has the destination page's folders only once the wizard has made
 * that page, so while init runs %APPDIR%, %PROGFILESDIR%, %PRODUCTDIR% and
 * %COMPANYDIR% fail (the path shows as "") and the Windows folders do not;
 * install and the functions named by --call other than init see them. */
#include "vpack_t.h"

namespace {

const std::vector<std::string> kSettings = {"// Company=Acme",
                                            "// Product=Tool"};

std::string script(const std::vector<std::string> &body)
{
    std::vector<std::string> lines = kSettings;
    lines.insert(lines.end(), body.begin(), body.end());
    return crlf(lines);
}

}  // namespace

/* Every macro, as fileinuse shows it in init and in install. */
TEST(VpackMacros, InitAndInstall)
{
    const struct {
        const char *macro, *inInit, *inInstall;
    } rows[] = {
        {"%WINDIR%", R"("C:\\WINDOWS\\x")", R"("C:\\WINDOWS\\x")"},
        {"%WINSYSDIR%", R"("C:\\WINDOWS\\system32\\x")",
         R"("C:\\WINDOWS\\system32\\x")"},
        {"%DRIVERDIR%", R"("C:\\WINDOWS\\System32\\Drivers\\x")",
         R"("C:\\WINDOWS\\System32\\Drivers\\x")"},
        {"%APPDIR%", R"("")", R"("C:\\Program Files\\Acme\\Tool\\x")"},
        {"%PROGFILESDIR%", R"("")", R"("C:\\Program Files\\x")"},
        {"%PRODUCTDIR%", R"("")", R"("C:\\Program Files\\Acme\\Tool\\x")"},
        {"%COMPANYDIR%", R"("")", R"("C:\\Program Files\\Acme\\x")"},
        {"%appdir%", R"("")", R"("C:\\Program Files\\Acme\\Tool\\x")"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.macro);
        std::string call = std::string("fileinuse(\"") + row.macro + "\\\\x\");";
        std::string path = script_at(
            "macros", script({"init() { " + call + " return 1; }",
                              "install() { " + call + " return 1; }"}));
        Result r = run(vpack({"run", path}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(std::string("builtin fileinuse(") + row.inInit + ")\n" +
                      "call init = 1\n" + "builtin fileinuse(" +
                      row.inInstall + ")\n" + "call install = 1\n" +
                      clean_state,
                  r.out);
        EXPECT_EQ("", r.err);
    }
}

/* In init the built-in fails as setup's does on a path it has not: copy
 * gives 1 and sets the copy error, makedir makes nothing, each with the
 * warning of a refused path; in install the same call goes through. */
TEST(VpackMacros, BuiltinFailsInInit)
{
    const struct {
        const char *call, *shownInit, *shownInstall;
        int initValue, installValue;
    } rows[] = {
        {R"(copy("a", "%APPDIR%\\a"))", R"(copy("a", ""))",
         R"(copy("a", "C:\\Program Files\\Acme\\Tool\\a"))", 1, 0},
        {R"(copyshared("a", "%COMPANYDIR%\\a", "a"))",
         R"(copyshared("a", "", "a"))",
         R"(copyshared("a", "C:\\Program Files\\Acme\\a", "a"))", 1, 0},
        {R"(makedir("%PRODUCTDIR%\\d"))", R"(makedir(""))",
         R"(makedir("C:\\Program Files\\Acme\\Tool\\d"))", 0, 0},
        {R"(installdriver("a", "%PROGFILESDIR%\\a.sys", "s"))",
         R"(installdriver("a", "", "s"))",
         R"(installdriver("a", "C:\\Program Files\\a.sys", "s"))", 0, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.call);
        std::string path = script_at(
            "fails", script({std::string("init() { return ") + row.call + "; }",
                             std::string("install() { return iscopyerror() * 10 + ") +
                                 row.call + "; }"}));
        /* install alone: nothing failed before it */
        Result after = run(vpack({"run", path, "--call", "install"}));
        EXPECT_EQ(0, after.code) << trace(after);
        EXPECT_EQ("", after.err);
        std::string installed = std::string("builtin iscopyerror()\nbuiltin ") +
                                row.shownInstall + "\ncall install = " +
                                std::to_string(row.installValue) + "\n";
        EXPECT_EQ(0u, after.out.find(installed)) << after.out;

        Result r = run(vpack({"run", path, "--call", "init"}));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(0u, r.out.find(std::string("builtin ") + row.shownInit +
                                 "\ncall init = " +
                                 std::to_string(row.initValue) + "\n"))
            << r.out;
        EXPECT_NE(std::string::npos, r.err.find("setup writes only full paths"))
            << r.err;
        EXPECT_NE(std::string::npos, r.err.find(":3:")) << "the line of init: "
                                                        << r.err;
    }
}

/* What each function sees: init, and every function while init runs, has
 * no destination folders; any other function named by --call has them. */
TEST(VpackMacros, CalledFunctions)
{
    const std::string known = R"("C:\\Program Files\\Acme\\Tool\\h")";
    std::string path = script_at(
        "calls", script({R"(helper() { fileinuse("%APPDIR%\\h"); return 1; })",
                         R"(init() { return helper(); })",
                         R"(install() { return helper() + 1; })"}));
    const struct {
        const char *name;
        std::vector<std::string> calls;
        std::string out;
    } rows[] = {
        {"setup's order", {},
         "builtin fileinuse(\"\")\ncall init = 1\nbuiltin fileinuse(" +
             known + ")\ncall install = 2\n"},
        {"init alone", {"init"}, "builtin fileinuse(\"\")\ncall init = 1\n"},
        {"install alone", {"install"},
         "builtin fileinuse(" + known + ")\ncall install = 2\n"},
        {"another function", {"helper"},
         "builtin fileinuse(" + known + ")\ncall helper = 1\n"},
        {"around init", {"helper", "init", "helper"},
         "builtin fileinuse(" + known + ")\ncall helper = 1\n"
         "builtin fileinuse(\"\")\ncall init = 1\n"
         "builtin fileinuse(" + known + ")\ncall helper = 1\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::vector<std::string> args = {"run", path};
        for (const std::string &c : row.calls)
            args.insert(args.end(), {"--call", c});
        Result r = run(vpack(args));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.out + clean_state, r.out);
    }
}
