/* vpack_stub_test.cpp -- the machine a setup is built for: x86 (i386) by
 * default, x64 (x86-64) with --arch x64 or an x64 --stub; the default
 * uninstaller of the same machine; stubs for another machine refused, and
 * --arch values vpack does not know. */
#include "vpack_t.h"

#include <string.h>

#define I386  0x14C
#define AMD64 0x8664
#define ARM64 0xAA64

/* The machine field of the PE image in bytes, read here from the layout
 * (the signature's offset at 0x3C, the machine right after "PE\0\0"); 0
 * when bytes hold none. */
static uint16_t machine_of(const std::string &bytes)
{
    uint32_t nt = 0;
    uint16_t machine = 0;
    if (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0)
        return 0;
    memcpy(&nt, &bytes[0x3C], 4);
    if ((uint64_t)nt + 6 > bytes.size() || bytes.compare(nt, 4, "PE\0\0", 4) != 0)
        return 0;
    memcpy(&machine, &bytes[nt + 4], 2);
    return machine;
}

/* The configured programs both rows need, or a failure naming the one
 * missing (make builds both Windows trees before the tests). */
static bool have_configured(void)
{
    bool ok = true;
    for (const std::string *p : {&g_configuredStub, &g_configuredUninst,
                                 &g_configuredStub64, &g_configuredUninst64})
        if (p->empty() || !exists(*p)) {
            ADD_FAILURE() << "no configured program at '" << *p
                          << "': build/win32 and build/win64 make them";
            ok = false;
        }
    return ok;
}

TEST(VpackStub, MachineOfTheSetup)
{
    std::string dir = fresh("arch");
    make_tree(dir + "/p", base_tree);
    std::string stub32 = dir + "/stub32.exe";
    make_pe(stub32, 0x400, I386);
    ASSERT_TRUE(have_configured());
    ASSERT_EQ(I386, machine_of(slurp(g_configuredStub)));
    ASSERT_EQ(AMD64, machine_of(slurp(g_configuredStub64)));

    const struct {
        const char *name;
        std::vector<std::string> args;
        uint16_t machine;          /* of the setup, and of its uninstaller */
        const char *says;          /* in the summary line */
        std::string stub;          /* the setup starts with it */
    } rows[] = {
        {"default", {}, I386, "x86 (32-bit)", g_configuredStub},
        {"--arch x86", {"--arch", "x86"}, I386, "x86 (32-bit)",
         g_configuredStub},
        {"--arch x64", {"--arch", "x64"}, AMD64, "x64 (64-bit)",
         g_configuredStub64},
        {"--arch=x64", {"--arch=x64"}, AMD64, "x64 (64-bit)",
         g_configuredStub64},
        {"--stub of x86", {"--stub", stub32}, I386, "x86 (32-bit)", stub32},
        {"--stub of x64", {"--stub", g_stub}, AMD64, "x64 (64-bit)", g_stub},
        {"--stub of x64, --arch x64", {"--stub", g_stub, "--arch", "x64"},
         AMD64, "x64 (64-bit)", g_stub},
        {"--stub of x86, --arch x86", {"--arch", "x86", "--stub", stub32},
         I386, "x86 (32-bit)", stub32},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string out = dir + "/setup.exe", x = dir + "/x";
        fs::remove(out);
        fs::remove_all(x);
        std::vector<std::string> a = {"build", dir + "/p", "-o", out};
        a.insert(a.end(), row.args.begin(), row.args.end());
        Result r = run(vpack(a));
        ASSERT_EQ(0, r.code) << trace(r);
        EXPECT_NE(std::string::npos,
                  r.out.find(std::string(" bytes, ") + row.says + "\n"))
            << trace(r);
        std::string setup = slurp(out), stub = slurp(row.stub);
        EXPECT_EQ(row.machine, machine_of(setup));
        EXPECT_TRUE(setup.compare(0, stub.size(), stub) == 0)
            << "the setup does not start with " << row.stub;
        r = run(vpack({"extract", out, x}));
        ASSERT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(row.machine, machine_of(slurp(x + "/Uninstall.exe")))
            << "the default uninstaller is not of the setup's machine";
    }
}

TEST(VpackStub, StubOfAnotherMachineRefused)
{
    std::string dir = fresh("arch-refused");
    make_tree(dir + "/p", base_tree);
    std::string stub32 = dir + "/stub32.exe", arm = dir + "/arm.exe";
    make_pe(stub32, 0x400, I386);
    make_pe(arm, 0x400, ARM64);
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::string says;
    } rows[] = {
        {"x86 stub, --arch x64", {"--arch", "x64", "--stub", stub32},
         "vpack build: the stub '" + stub32 + "' is an x86 (32-bit) image, "
         "not one for --arch x64: give --arch x86, or a stub for x64 "
         "(64-bit)\n"},
        {"x64 stub, --arch x86", {"--stub", g_stub, "--arch", "x86"},
         "vpack build: the stub '" + g_stub + "' is an x64 (64-bit) image, "
         "not one for --arch x86: give --arch x64, or a stub for x86 "
         "(32-bit)\n"},
        {"arm64 stub", {"--stub", arm},
         "vpack build: the stub '" + arm + "' is a PE image for machine "
         "0xAA64, not x86 or x64\n"},
        {"arm64 stub, --arch x86", {"--stub", arm, "--arch", "x86"},
         "is a PE image for machine 0xAA64, not x86 or x64"},
        {"win32 build's setup.exe, --arch x64",
         {"--arch", "x64", "--stub", g_configuredStub},
         "is an x86 (32-bit) image, not one for --arch x64"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.name);
        std::string out = dir + "/setup.exe";
        std::vector<std::string> a = {"build", dir + "/p", "-o", out};
        a.insert(a.end(), row.args.begin(), row.args.end());
        Result r = run(vpack(a));
        EXPECT_EQ(1, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        EXPECT_FALSE(exists(out));
        EXPECT_FALSE(exists(out + ".tmp"));
    }
}

TEST(VpackStub, UnknownArchIsAUsageError)
{
    std::string dir = fresh("arch-usage");
    make_tree(dir + "/p", base_tree);
    const struct {
        std::vector<std::string> args;
        std::string says;
    } rows[] = {
        {{"--arch", "arm64"}, "vpack build: unknown --arch arm64 (x86 or x64)"},
        {{"--arch", "X64"}, "vpack build: unknown --arch X64 (x86 or x64)"},
        {{"--arch", "i386"}, "vpack build: unknown --arch i386 (x86 or x64)"},
        {{"--arch=amd64", "--stub", g_stub},
         "vpack build: unknown --arch amd64 (x86 or x64)"},
        {{"--arch"}, "vpack build: --arch needs a value"},
        {{"--arch="}, "vpack build: --arch needs a value"},
    };
    for (const auto &row : rows) {
        std::string out = dir + "/setup.exe";
        std::vector<std::string> a = {"build", dir + "/p", "-o", out};
        a.insert(a.end(), row.args.begin(), row.args.end());
        SCOPED_TRACE("row: " + row.says);
        Result r = run(vpack(a));
        EXPECT_EQ(2, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says + "\n")) << trace(r);
        EXPECT_NE(std::string::npos,
                  r.err.find("usage: vpack build DIR -o FILE.exe [--arch "
                             "x86|x64]"))
            << trace(r);
        EXPECT_FALSE(exists(out));
    }
}

/* help build names both machines' places, each under its own heading. */
TEST(VpackStub, HelpNamesThePlacesOfEachMachine)
{
    Result r = run(vpack({"help", "build"}));
    ASSERT_EQ(0, r.code) << trace(r);
    const struct {
        const char *heading;
        std::string place;
    } rows[] = {
        {"Without --stub, an x86 (32-bit) setup takes the first x86 image",
         g_configuredStub},
        {"Without --uninstaller, an x86 (32-bit) setup takes the first x86 "
         "image", g_configuredUninst},
        {"Without --stub, an x64 (64-bit) setup takes the first x64 image",
         g_configuredStub64},
        {"Without --uninstaller, an x64 (64-bit) setup takes the first x64 "
         "image", g_configuredUninst64},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row: ") + row.heading);
        size_t at = r.out.find(row.heading);
        ASSERT_NE(std::string::npos, at) << r.out;
        size_t end = r.out.find("\n\n", at);
        std::string block = r.out.substr(at, end - at) + "\n";
        EXPECT_NE(std::string::npos, block.find("\n  " + row.place + "\n"))
            << block;
    }
    EXPECT_NE(std::string::npos, r.out.find("--arch x86|x64")) << r.out;
}
