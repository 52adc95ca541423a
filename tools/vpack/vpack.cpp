/* vpack.cpp -- the command line: vpack build | list | extract | verify.
 * Exit codes: 0 success, 1 refused or failed, 2 usage error. */
#include "ident.h"
#include "packer.h"
#include "reader.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

MODULE_IDENT("tools/vpack/vpack.cpp");

#define EXIT_USAGE 2

struct Command {
    const char *name;
    const char *usage;
    const char *text;
};

static const Command commands[] = {
    {"build",
     "vpack build DIR -o FILE.exe [--stub PATH] [--uninstaller PATH | "
     "--no-uninstaller]",
     "Packs the product folder DIR into the setup FILE.exe.\n"
     "\n"
     "DIR holds Install.ini (required), an optional License.txt and the\n"
     "product's files in their folders; all of it goes into the package\n"
     "under its own names, with Install.ini, License.txt and Uninstall.exe\n"
     "first.  Members are compressed at zlib's best level on every core;\n"
     "the same input always gives the same bytes.  FILE.exe is written as\n"
     "FILE.exe.tmp and renamed at the end: on any refusal no new file is\n"
     "left (an earlier FILE.exe stays as it was, and is never packed).\n"
     "\n"
     "  -o, --output FILE.exe  the setup to write\n"
     "  --stub PATH            the setup program to carry the package; it\n"
     "                         must be a bare PE image (sign the result, not\n"
     "                         the stub)\n"
     "  --uninstaller PATH     packed as Uninstall.exe\n"
     "  --no-uninstaller       no Uninstall.exe at all\n"
     "\n"
     "Refused: no Install.ini, a name of 260 bytes or more or with a\n"
     "backslash, two names differing only in case, a member of 4 GiB or\n"
     "more, a setup of 4 GiB or more, unreadable files, symlink loops."},
    {"list", "vpack list FILE.exe",
     "Lists the package in FILE.exe, one line per entry: 'd' for a folder\n"
     "or '-' for a file, size, packed size, and the path inside the\n"
     "package, backslash-separated."},
    {"extract", "vpack extract FILE.exe DIR",
     "Writes every folder and member of the package in FILE.exe under DIR,\n"
     "which is created if missing."},
    {"verify", "vpack verify FILE.exe",
     "Opens the package in FILE.exe as setup does, checking the header's\n"
     "checksums, and inflates every member in memory, checking each.\n"
     "Every damaged member is named; the exit code is 1 if any is."},
};

static const Command *find_command(const char *name)
{
    for (const Command &c : commands)
        if (strcmp(c.name, name) == 0)
            return &c;
    return NULL;
}

static void tool_help(FILE *to)
{
    fprintf(to, "vpack -- packs a product folder into a setup.exe, and reads "
                "one back.\n\nusage:\n");
    for (const Command &c : commands)
        fprintf(to, "  %s\n", c.usage);
    fprintf(to, "  vpack help [COMMAND]    (or COMMAND --help)\n\n"
                "Exit codes: 0 success, 1 refused or failed, 2 usage "
                "error.\n");
}

static void places(const char *what, const std::vector<std::string> &v,
                   const char *otherwise)
{
    printf("\nWithout %s, the first of these that exists (%s):\n", what,
           otherwise);
    for (const std::string &p : v)
        printf("  %s\n", p.c_str());
}

static int command_help(const Command *c)
{
    printf("usage: %s\n\n%s\n", c->usage, c->text);
    if (strcmp(c->name, "build") == 0) {
        places("--stub", packer_StubPlaces(), "else refused");
        places("--uninstaller", packer_UninstallPlaces(),
               "else no Uninstall.exe");
    }
    return 0;
}

static int usage_error(const Command *c, const std::string &text)
{
    fprintf(stderr, "vpack%s%s: %s\n", c ? " " : "", c ? c->name : "",
            text.c_str());
    if (c)
        fprintf(stderr, "usage: %s\n", c->usage);
    else
        tool_help(stderr);
    return EXIT_USAGE;
}

static bool is_help(const char *arg)
{
    return strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0;
}

/* The value of an option given as "--name VALUE" or "--name=VALUE"; 0 when
 * args[*i] is not that option, -1 when its value is missing. */
static int option_value(const std::vector<const char *> &args, size_t *i,
                        const char *name, std::string *value)
{
    const char *a = args[*i];
    size_t n = strlen(name);
    if (strncmp(a, name, n) != 0)
        return 0;
    if (a[n] == '=' && name[1] == '-') {
        *value = a + n + 1;
        return 1;
    }
    if (a[n] != 0)
        return 0;
    if (*i + 1 >= args.size())
        return -1;
    *value = args[++*i];
    return 1;
}

/* The options of build that take a value. */
static const struct {
    const char *name;
    std::string PackerOptions::*field;
} build_values[] = {{"-o", &PackerOptions::output},
                    {"--output", &PackerOptions::output},
                    {"--stub", &PackerOptions::stub},
                    {"--uninstaller", &PackerOptions::uninstaller}};

static int run_build(const Command *c, const std::vector<const char *> &args)
{
    PackerOptions o;
    o.noUninstaller = false;
    bool options = true;
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); i++) {
        const char *a = args[i];
        if (!options || a[0] != '-' || a[1] == 0) {
            plain.push_back(a);
            continue;
        }
        int got = 0;
        for (const auto &v : build_values) {
            std::string value;
            got = option_value(args, &i, v.name, &value);
            if (got < 0 || (got > 0 && value.empty()))
                return usage_error(c, std::string(v.name) + " needs a value");
            if (got > 0) {
                o.*v.field = value;
                break;
            }
        }
        if (got)
            continue;
        if (strcmp(a, "--no-uninstaller") == 0)
            o.noUninstaller = true;
        else if (strcmp(a, "--") == 0)
            options = false;
        else
            return usage_error(c, std::string("unknown option ") + a);
    }
    if (plain.size() != 1)
        return usage_error(c, plain.empty() ? "DIR is missing"
                                            : "only one DIR can be packed");
    if (o.output.empty())
        return usage_error(c, "-o FILE.exe is missing");
    if (o.noUninstaller && !o.uninstaller.empty())
        return usage_error(c, "--uninstaller and --no-uninstaller exclude "
                              "each other");
    o.dir = plain[0];
    return packer_Build(o);
}

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    /* Members are large, short-lived blocks.  Each gets a mapping of its
     * own, so freeing it gives the memory back; glibc's moving threshold
     * would keep freed blocks in the heap and raise the peak by a member. */
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    if (argc < 2)
        return usage_error(NULL, "no command given");
    const char *name = argv[1];
    std::vector<const char *> args(argv + 2, argv + argc);
    if (is_help(name) || strcmp(name, "help") == 0) {
        if (args.empty()) {
            tool_help(stdout);
            return 0;
        }
        const Command *c = find_command(args[0]);
        if (!c || args.size() > 1)
            return usage_error(NULL, std::string("no help for ") + args[0]);
        return command_help(c);
    }
    const Command *c = find_command(name);
    if (!c)
        return usage_error(NULL, std::string("unknown command ") + name);
    for (const char *a : args) {
        if (strcmp(a, "--") == 0)
            break;
        if (is_help(a))
            return command_help(c);
    }
    if (strcmp(c->name, "build") == 0)
        return run_build(c, args);

    /* list, extract and verify take plain operands only. */
    size_t want = strcmp(c->name, "extract") == 0 ? 2 : 1;
    std::vector<std::string> plain;
    bool options = true;
    for (const char *a : args) {
        if (options && strcmp(a, "--") == 0)
            options = false;
        else if (options && a[0] == '-' && a[1] != 0)
            return usage_error(c, std::string("unknown option ") + a);
        else
            plain.push_back(a);
    }
    if (plain.size() != want)
        return usage_error(c, "expected " + std::to_string(want) +
                                  (want == 1 ? " operand" : " operands"));
    if (strcmp(c->name, "list") == 0)
        return reader_List(plain[0]);
    if (strcmp(c->name, "extract") == 0)
        return reader_Extract(plain[0], plain[1]);
    return reader_Verify(plain[0]);
}
