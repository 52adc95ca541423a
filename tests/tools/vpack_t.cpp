/* vpack_t.cpp -- the shared part of the vpack tests (vpack_t.h), and
 * main. */
#include "vpack_t.h"
#include "pkg/pkgwrite.h"

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <libdeflate.h>

#include <algorithm>
#include <fstream>
#include <sstream>

std::string g_vpack, g_vpackPlain, g_configuredStub, g_configuredUninst;
std::string g_configuredStub64, g_configuredUninst64;
std::string g_root;   /* every file of the run lives below it */
std::string g_stub;   /* a small PE image made here */

/* ---- files ------------------------------------------------------------- */

std::string slurp(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void spit(const std::string &path, const std::string &data)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(data.data(), (std::streamsize)data.size());
    ASSERT_TRUE(f.good()) << path;
}

bool exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

/* A new, empty folder for one case. */
std::string fresh(const std::string &name)
{
    std::string dir = g_root + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

/* Bytes that compress somewhat, like a program would. */
std::string pattern(size_t n, unsigned seed)
{
    std::string s(n, 0);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; i++) {
        x = x * 1103515245u + 12345u;
        s[i] = (char)((x >> 16) % 23 + 'a');
    }
    return s;
}

/* A minimal PE32+ image whose one section ends at rawEnd; only the first
 * 0x400 bytes are written, the rest (if any) is left sparse. */
void make_pe(const std::string &path, uint32_t rawEnd, uint16_t machine)
{
    std::vector<uint8_t> b(0x400, 0);
    auto p16 = [&](size_t at, uint16_t v) { memcpy(&b[at], &v, 2); };
    auto p32 = [&](size_t at, uint32_t v) { memcpy(&b[at], &v, 4); };
    auto p64 = [&](size_t at, uint64_t v) { memcpy(&b[at], &v, 8); };
    b[0] = 'M';
    b[1] = 'Z';
    p16(0x18, 0x40);
    p32(0x3C, 0x80);
    memcpy(&b[0x80], "PE\0\0", 4);
    p16(0x84, machine);
    p16(0x86, 1);        /* sections */
    p16(0x94, 0xF0);     /* optional header size */
    p16(0x96, 0x22);
    const size_t o = 0x98;
    p16(o, 0x20B);
    p32(o + 4, 0x200);
    p32(o + 16, 0x1000);
    p32(o + 20, 0x1000);
    p64(o + 24, 0x140000000ull);
    p32(o + 32, 0x1000);
    p32(o + 36, 0x200);
    p16(o + 40, 6);
    p16(o + 48, 6);
    p32(o + 56, 0x2000);
    p32(o + 60, 0x200);
    p16(o + 68, 3);
    p64(o + 72, 0x100000);
    p64(o + 80, 0x1000);
    p64(o + 88, 0x100000);
    p64(o + 96, 0x1000);
    p32(o + 108, 16);
    const size_t s = 0x188;
    memcpy(&b[s], ".text", 5);
    p32(s + 8, 0x200);
    p32(s + 12, 0x1000);
    p32(s + 16, rawEnd - 0x200);
    p32(s + 20, 0x200);
    p32(s + 36, 0x60000020);
    memset(&b[0x200], 0xC3, 0x200);
    spit(path, std::string(b.begin(), b.end()));
    fs::resize_file(path, rawEnd);
}

/* ---- running vpack ----------------------------------------------------- */

Result run(const std::vector<std::string> &args,
                  const RunOptions &opt)
{
    std::string outPath = g_root + "/run.out", errPath = g_root + "/run.err";
    int master = -1, slave = -1;
    if (opt.errTerminal && openpty(&master, &slave, NULL, NULL, NULL) != 0)
        return {-1, "", "openpty failed"};
    pid_t pid = fork();
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        int err = opt.errTerminal
                      ? slave
                      : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 ||
            dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        if (opt.asNobody && geteuid() == 0 &&
            (setgroups(0, NULL) != 0 || setgid(65534) != 0 ||
             setuid(65534) != 0))
            _exit(126);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back((char *)a.c_str());
        argv.push_back(NULL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::string ptyText;
    if (opt.errTerminal) {
        close(slave);
        char buf[4096];
        ssize_t n;
        while ((n = read(master, buf, sizeof buf)) > 0)
            ptyText.append(buf, (size_t)n);
        close(master);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(outPath);
    r.err = opt.errTerminal ? ptyText : slurp(errPath);
    return r;
}

std::vector<std::string> vpack(std::vector<std::string> args)
{
    args.insert(args.begin(), g_vpack);
    return args;
}

/* build DIR -o OUT --stub <made here> --no-uninstaller, plus extra */
Result build(const std::string &dir, const std::string &out,
                    std::vector<std::string> extra)
{
    std::vector<std::string> a = {"build", dir, "-o", out, "--stub", g_stub};
    a.insert(a.end(), extra.begin(), extra.end());
    return run(vpack(a));
}

std::string trace(const Result &r)
{
    return "exit " + std::to_string(r.code) + "\nstdout:\n" + r.out +
           "stderr:\n" + r.err;
}

/* ---- trees ------------------------------------------------------------- */

Node F(const std::string &path, const std::string &data)
{
    return {path, false, data};
}

Node D(const std::string &path)
{
    return {path, true, ""};
}

void make_tree(const std::string &dir, const std::vector<Node> &nodes)
{
    for (const Node &n : nodes) {
        if (n.folder)
            fs::create_directories(dir + "/" + n.path);
        else
            spit(dir + "/" + n.path, n.data);
    }
}

size_t deflate_size(const std::string &data)
{
    libdeflate_compressor *c = libdeflate_alloc_compressor(PKW_DEFLATE_LEVEL);
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c, data.size()));
    size_t len = libdeflate_zlib_compress(c, data.data(), data.size(),
                                          out.data(), out.size());
    libdeflate_free_compressor(c);
    return len;
}

/* The list output expected for entries in package order: a packed size is
 * what libdeflate makes of the data at vpack's level. */
std::string listing(const std::vector<Node> &entries)
{
    std::string s;
    char line[1024];
    for (const Node &e : entries) {
        snprintf(line, sizeof line, "%c %10zu %10zu %s\n", e.folder ? 'd' : '-',
                 e.data.size(), e.folder ? (size_t)0 : deflate_size(e.data),
                 e.path.c_str());
        s += line;
    }
    return s;
}

/* Every file and folder below dir, as package paths. */
std::vector<Node> read_tree(const std::string &dir)
{
    std::vector<Node> v;
    for (auto &it : fs::recursive_directory_iterator(dir)) {
        std::string rel = fs::relative(it.path(), dir).string();
        for (char &c : rel)
            if (c == '/')
                c = '\\';
        v.push_back({rel, it.is_directory(),
                     it.is_directory() ? "" : slurp(it.path().string())});
    }
    std::sort(v.begin(), v.end(),
              [](const Node &a, const Node &b) { return a.path < b.path; });
    return v;
}

/* Extracted tree against the expected entries, byte for byte. */
void expect_tree(const std::string &dir, std::vector<Node> want)
{
    std::sort(want.begin(), want.end(),
              [](const Node &a, const Node &b) { return a.path < b.path; });
    std::vector<Node> got = read_tree(dir);
    ASSERT_EQ(want.size(), got.size()) << "entries under " << dir;
    for (size_t i = 0; i < want.size(); i++) {
        EXPECT_EQ(want[i].path, got[i].path);
        EXPECT_EQ(want[i].folder, got[i].folder) << want[i].path;
        EXPECT_TRUE(want[i].data == got[i].data)
            << want[i].path << ": contents differ (" << got[i].data.size()
            << " bytes, want " << want[i].data.size() << ")";
    }
}

/* The product most cases start from. */
extern const std::vector<Node> base_tree;
const std::vector<Node> base_tree = {
    F("Install.ini", "// NoLicense=0\r\n// NoUninstall=0\r\n"
                     "install() { return 1; }\r\n"),
    F("License.txt", "Use it well.\r\n"),
    D("bin"),
    F("bin/app.exe", pattern(70000, 1)),
    F("bin/sub/data.bin", pattern(3000, 2)),
    F("readme.txt", "read me\n"),
};


std::string crlf(const std::vector<std::string> &lines)
{
    std::string s;
    for (const std::string &l : lines)
        s += l + "\r\n";
    return s;
}

/* A script file of its own for one row. */
std::string script_at(const std::string &name, const std::string &text)
{
    std::string dir = fresh(name);
    spit(dir + "/Install.ini", text);
    return dir + "/Install.ini";
}

std::string with_file(const std::string &text, const std::string &path)
{
    std::string s;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        if (line.compare(0, 5, "FILE:") == 0)
            line = path + line.substr(4);
        s += line;
        at = end;
    }
    return s;
}

std::string no_uninstaller(const std::string &path, const std::string &first)
{
    return path + ":1:1: warning: setup leaves no uninstaller and no "
                  "Add/Remove Programs entry: the script has no NoUninstall "
                  "setting, and setup then takes 1 (write // NoUninstall=0 "
                  "for them)\n" + first + "\n^\n";
}

/* The lines run prints at the end: the install state left behind. */
std::string state(int reboot, int update, int noUninstall,
                         int logChanges, int steps, int range)
{
    return "reboot " + std::to_string(reboot) + "\nupdate " +
           std::to_string(update) + "\nnouninstall " +
           std::to_string(noUninstall) + "\nlogchanges " +
           std::to_string(logChanges) + "\nprogress " + std::to_string(steps) +
           " of " + std::to_string(range) + "\n";
}

const std::string clean_state = state(0, 0, 1, 1, 0, 0);

/* The first block of four-space indented lines after marker in text,
 * without the indent; blank lines inside it kept. */
std::vector<std::string> indented_block(const std::string &text,
                                        const std::string &marker)
{
    std::vector<std::string> lines;
    size_t at = text.find(marker);
    if (at == std::string::npos)
        return lines;
    std::istringstream in(text.substr(at + marker.size()));
    std::string line;
    bool started = false;
    while (std::getline(in, line)) {
        bool indented = line.compare(0, 4, "    ") == 0;
        if (indented || (started && line.empty())) {
            started = true;
            lines.push_back(indented ? line.substr(4) : "");
        } else if (started) {
            break;
        }
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: vpack_test VPACK [VPACK_PLAIN [STUB UNINST "
                        "[STUB64 UNINST64]]]\n");
        return 2;
    }
    g_vpack = argv[1];
    g_vpackPlain = argc > 2 ? argv[2] : "";
    g_configuredStub = argc > 3 ? argv[3] : "";
    g_configuredUninst = argc > 4 ? argv[4] : "";
    g_configuredStub64 = argc > 5 ? argv[5] : "";
    g_configuredUninst64 = argc > 6 ? argv[6] : "";
    char root[] = "/tmp/vpack_test.XXXXXX";
    if (!mkdtemp(root))
        return 2;
    g_root = root;
    chmod(root, 0755); /* the nobody cases reach their files through it */
    g_stub = g_root + "/stub.exe";
    make_pe(g_stub, 0x400);
    int rc = RUN_ALL_TESTS();
    fs::remove_all(g_root);
    return rc;
}
