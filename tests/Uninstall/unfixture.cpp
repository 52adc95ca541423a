/* unfixture.cpp -- makes what an installation leaves for the uninstaller's
 * end-to-end tests (tests/e2e/uninstall_e2e, hostile_e2e), under Wine:
 *
 *   unfixture log FILE ENTRY...   writes the undo log FILE with the log
 *                                 module; ENTRY is one of
 *                                   product COMPANY PRODUCT FOLDER
 *                                   dir FOLDER | file FILE | prefs KEY
 *                                   shared FILE NAME | driver FILE SERVICE
 *   unfixture rawlog FILE DESC [NAME=VALUE...]
 *                                 writes the bytes of the undo log FILE as
 *                                 the description DESC has them, also what
 *                                 the log module would never write (see
 *                                 rawlog below); prints the number of
 *                                 entries and bytes
 *   unfixture hold FILE           holds FILE open for reading, write
 *                                 sharing denied; FILE.held says so, and
 *                                 FILE.release (or 60 seconds) ends it
 *   unfixture service NAME FILE   creates the kernel-driver service NAME
 *                                 for FILE with CreateService
 *
 * Exit code 0 when done, 1 when Windows refused, 2 for a usage error. */
#include "log.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <map>
#include <string>
#include <vector>

static int usage(void)
{
    fprintf(stderr, "usage: unfixture log FILE ENTRY... | rawlog FILE DESC "
                    "[NAME=VALUE...] | hold FILE | service NAME FILE\n");
    return 2;
}

static int write_log(int argc, char **argv)
{
    LogList list = {NULL, NULL};
    static const struct {
        const char *word;
        int         kind, texts;
    } kinds[] = {{"product", LOG_PRODUCT, 3}, {"dir", LOG_DIR, 1},
                 {"file", LOG_FILE, 1},       {"shared", LOG_SHAREDFILE, 2},
                 {"prefs", LOG_PREFSKEY, 1},  {"driver", LOG_DRIVER, 2}};
    for (int i = 3; i < argc;) {
        int k = 0;
        while (k < 6 && strcmp(argv[i], kinds[k].word) != 0)
            k++;
        if (k == 6 || i + kinds[k].texts >= argc) {
            fprintf(stderr, "unfixture: bad entry at '%s'\n", argv[i]);
            log_Save(&list, NULL);
            return 2;
        }
        const char *t[3] = {NULL, NULL, NULL};
        for (int j = 0; j < kinds[k].texts; j++)
            t[j] = argv[i + 1 + j];
        if (!log_Add(&list, kinds[k].kind, t[0], t[1], t[2])) {
            fprintf(stderr, "unfixture: entry '%s %s' not added\n", argv[i],
                    t[0]);
            log_Save(&list, NULL);
            return 1;
        }
        i += 1 + kinds[k].texts;
    }
    log_Save(&list, argv[2]);
    return GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES;
}

/* ---- rawlog: undo-log bytes from a description ----
 *
 * The uninstaller's hostile-log tests need logs no installation writes:
 * relative and device paths, texts with control characters or over 511
 * characters, entries hidden in a text, millions of bytes.  A description
 * is a text file, one entry a line ('#' lines and blank ones are skipped):
 *
 *   WORD [TEXT | TEXT | TEXT]
 *
 * WORD is product, dir, file, shared, prefs or driver (mask: one bit per
 * text given), or KIND:MASK in decimal (the texts fill the mask's bits 0
 * to 2, in order).  Each text is written with CR LF after it; blanks
 * around the bars are dropped.  Other lines:
 *
 *   raw BYTES              BYTES exactly, nothing added
 *   repeat N LINE          LINE N times, {n} counting from 0
 *   include FILE           the lines of FILE, beside this description
 *
 * In texts and BYTES, {...} stands for:
 *   {NAME}                 VALUE of a NAME=VALUE argument (upper case)
 *   {}                     nothing (so "file {}" has one empty text)
 *   {nul} {cr} {lf} {tab} {sp} {bar} {lb} {rb} {xHH}   one byte
 *   {i32:N}                N as 4 bytes, little-endian
 *   {pad:N:C}              the character C until the text has N bytes
 *   {n} {n/K} {n%K}        the repeat count, divided by or modulo K
 * The file begins with "log1"; nothing else is added. */

struct Desc {
    std::map<std::string, std::string> vars;
    FILE *out;
    long  entries;
    std::string error;
};

static int desc_fail(Desc &d, const std::string &why)
{
    if (d.error.empty())
        d.error = why;
    return 0;
}

static std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

static void put_i32(std::string &out, long v)
{
    unsigned long u = (unsigned long)v;
    for (int i = 0; i < 4; i++)
        out += (char)((u >> (8 * i)) & 0xFF);
}

/* The bytes of text with its {...} replaced; 0 on a bad one. */
static int expand(Desc &d, const std::string &text, long n, std::string &out)
{
    static const struct {
        const char *name;
        char        byte;
    } bytes[] = {{"nul", 0},   {"cr", '\r'}, {"lf", '\n'}, {"tab", '\t'},
                 {"sp", ' '},  {"bar", '|'}, {"lb", '{'},  {"rb", '}'}};
    out.clear();
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '{') {
            out += text[i];
            continue;
        }
        size_t end = text.find('}', i);
        if (end == std::string::npos)
            return desc_fail(d, "no '}' in: " + text);
        std::string e = text.substr(i + 1, end - i - 1);
        i = end;
        size_t k = 0;
        while (k < sizeof bytes / sizeof *bytes && e != bytes[k].name)
            k++;
        if (e.empty())
            continue;
        if (k < sizeof bytes / sizeof *bytes) {
            out += bytes[k].byte;
        } else if (e.size() == 3 && e[0] == 'x') {
            out += (char)strtoul(e.c_str() + 1, NULL, 16);
        } else if (e.compare(0, 4, "i32:") == 0) {
            put_i32(out, strtol(e.c_str() + 4, NULL, 10));
        } else if (e.compare(0, 4, "pad:") == 0) {
            char *c;
            unsigned long to = strtoul(e.c_str() + 4, &c, 10);
            if (*c != ':' || !c[1] || c[2])
                return desc_fail(d, "bad {" + e + "}");
            if (out.size() < to)
                out.append(to - out.size(), c[1]);
        } else if (e == "n") {
            out += std::to_string(n);
        } else if (e.size() > 2 && e[0] == 'n' && (e[1] == '/' || e[1] == '%')) {
            long k2 = strtol(e.c_str() + 2, NULL, 10);
            if (k2 <= 0)
                return desc_fail(d, "bad {" + e + "}");
            out += std::to_string(e[1] == '/' ? n / k2 : n % k2);
        } else if (d.vars.count(e)) {
            out += d.vars[e];
        } else {
            return desc_fail(d, "unknown {" + e + "}");
        }
    }
    return 1;
}

static int desc_Write(Desc &d, const std::string &bytes)
{
    if (fwrite(bytes.data(), 1, bytes.size(), d.out) != bytes.size())
        return desc_fail(d, "cannot write the log");
    return 1;
}

static int desc_File(Desc &d, const std::string &path, int depth);

/* One line of a description, as the n-th of a repeat. */
static int desc_Line(Desc &d, const std::string &line, long n,
                     const std::string &folder, int depth)
{
    static const struct {
        const char *word;
        int         kind;
    } words[] = {{"product", LOG_PRODUCT},   {"dir", LOG_DIR},
                 {"file", LOG_FILE},         {"shared", LOG_SHAREDFILE},
                 {"prefs", LOG_PREFSKEY},    {"driver", LOG_DRIVER}};
    std::string l = trim(line);
    if (l.empty() || l[0] == '#')
        return 1;
    size_t sp = l.find_first_of(" \t");
    std::string word = l.substr(0, sp);
    std::string rest = sp == std::string::npos ? "" : trim(l.substr(sp));
    std::string bytes;
    if (word == "raw")
        return expand(d, rest, n, bytes) && desc_Write(d, bytes);
    if (word == "include")
        return desc_File(d, folder + rest, depth + 1);
    if (word == "repeat") {
        char *end;
        long count = strtol(rest.c_str(), &end, 10);
        if (end == rest.c_str() || count < 0)
            return desc_fail(d, "bad repeat: " + l);
        std::string body = trim(end);
        for (long i = 0; i < count; i++)
            if (!desc_Line(d, body, i, folder, depth))
                return 0;
        return 1;
    }
    std::vector<std::string> texts;
    if (!rest.empty()) {
        size_t from = 0;
        for (;;) {
            size_t bar = rest.find('|', from);
            texts.push_back(trim(rest.substr(from, bar - from)));
            if (bar == std::string::npos)
                break;
            from = bar + 1;
        }
    }
    long kind = -1, mask;
    for (const auto &w : words)
        if (word == w.word)
            kind = w.kind;
    if (kind >= 0) {
        if (texts.size() > 3)
            return desc_fail(d, "more than three texts: " + l);
        mask = (1L << texts.size()) - 1;
    } else {
        char *colon, *end;
        kind = strtol(word.c_str(), &colon, 10);
        mask = *colon == ':' ? strtol(colon + 1, &end, 10) : 0;
        if (colon == word.c_str() || *colon != ':' || *end)
            return desc_fail(d, "unknown entry: " + l);
        size_t bits = (mask & 1) + (mask >> 1 & 1) + (mask >> 2 & 1);
        if (texts.size() != bits)
            return desc_fail(d, "mask and texts disagree: " + l);
    }
    put_i32(bytes, kind);
    put_i32(bytes, mask);
    std::string text;
    for (const auto &t : texts) {
        if (!expand(d, t, n, text))
            return 0;
        bytes += text;
        bytes += "\r\n";
    }
    d.entries++;
    return desc_Write(d, bytes);
}

static int desc_File(Desc &d, const std::string &path, int depth)
{
    if (depth > 8)
        return desc_fail(d, "includes nested too deep at " + path);
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return desc_fail(d, "cannot read " + path);
    std::string text;
    char buf[4096];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, got);
    fclose(f);
    size_t slash = path.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    size_t from = 0;
    for (int number = 1; from < text.size(); number++) {
        size_t lf = text.find('\n', from);
        std::string line = text.substr(from, lf - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!desc_Line(d, line, 0, folder, depth)) {
            d.error = path + ":" + std::to_string(number) + ": " + d.error;
            return 0;
        }
        from = lf == std::string::npos ? text.size() : lf + 1;
    }
    return 1;
}

static int write_rawlog(int argc, char **argv)
{
    Desc d;
    d.entries = 0;
    for (int i = 4; i < argc; i++) {
        const char *eq = strchr(argv[i], '=');
        if (!eq || eq == argv[i])
            return usage();
        d.vars[std::string(argv[i], eq - argv[i])] = eq + 1;
    }
    d.out = fopen(argv[2], "wb");
    if (!d.out) {
        fprintf(stderr, "unfixture: cannot create %s\n", argv[2]);
        return 1;
    }
    static char buffer[1 << 16];
    setvbuf(d.out, buffer, _IOFBF, sizeof buffer);
    int ok = desc_Write(d, "log1") && desc_File(d, argv[3], 0);
    long size = ftell(d.out);
    if (fclose(d.out) != 0 && ok)
        ok = desc_fail(d, "cannot write the log");
    if (!ok) {
        fprintf(stderr, "unfixture: %s\n", d.error.c_str());
        DeleteFileA(argv[2]);
        return 2;
    }
    printf("%ld entries, %ld bytes\n", d.entries, size);
    return 0;
}

static int touch(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL,
                           CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}

static int hold(const char *file)
{
    HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "unfixture: cannot open %s (error %lu)\n", file,
                (unsigned long)GetLastError());
        return 1;
    }
    std::string release = std::string(file) + ".release";
    if (!touch(std::string(file) + ".held")) {
        CloseHandle(h);
        return 1;
    }
    for (int i = 0; i < 600; i++) {
        if (GetFileAttributesA(release.c_str()) != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(100);
    }
    CloseHandle(h);
    return 0;
}

static int service(const char *name, const char *file)
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm) {
        fprintf(stderr, "unfixture: no service manager (error %lu)\n",
                (unsigned long)GetLastError());
        return 1;
    }
    SC_HANDLE s = CreateServiceA(scm, name, name, SERVICE_ALL_ACCESS,
                                 SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                 SERVICE_ERROR_NORMAL, file, NULL, NULL,
                                 NULL, NULL, NULL);
    if (!s)
        fprintf(stderr, "unfixture: CreateService %s failed (error %lu)\n",
                name, (unsigned long)GetLastError());
    else
        CloseServiceHandle(s);
    CloseServiceHandle(scm);
    return s == NULL;
}

int main(int argc, char **argv)
{
    if (argc >= 3 && strcmp(argv[1], "log") == 0)
        return write_log(argc, argv);
    if (argc >= 4 && strcmp(argv[1], "rawlog") == 0)
        return write_rawlog(argc, argv);
    if (argc == 3 && strcmp(argv[1], "hold") == 0)
        return hold(argv[2]);
    if (argc == 4 && strcmp(argv[1], "service") == 0)
        return service(argv[2], argv[3]);
    return usage();
}
