/* pkg_bench -- figures for the package reader and the packer.
 *
 *   pkg_bench gen DIR        writes the benchmark product: a deterministic
 *                            mix of text, structured binary and random
 *                            files, every ninth also as an exact copy under
 *                            DIR/shared (27 of 270 files)
 *   pkg_bench gen DIR SHARE  the same mix with every file SHARE times
 *                            smaller (rounded down), for tests
 *   pkg_bench stats DIR      "N files, K KiB, D duplicate files (S KiB)":
 *                            duplicates counted by content, not by name
 *   pkg_bench version        the generator's version: a product written by
 *                            another version is out of date
 *   pkg_bench read FILE.exe  open plus extraction of every member, against
 *                            raw zlib inflation of the same streams; and
 *                            the reader's inflater alone against zlib's, by
 *                            the process's CPU time (steadier on a busy
 *                            machine than the clock)
 *   pkg_bench zlib9 DIR      single-threaded zlib level 9 over DIR's files:
 *                            the packer's baseline (time and bytes)
 *   pkg_bench levels DIR     libdeflate's levels 9 to 12 over DIR's files,
 *                            every member on its own (no file stored once),
 *                            one thread, against zlib level 9: CPU time and
 *                            bytes of streams, each as a share of zlib's
 */
#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"

#include <chrono>
#include <time.h>
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

static double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

static double cpu_now()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

/* ---- gen --------------------------------------------------------------- */

/* Bumped whenever gen writes other bytes, so that tools/scripts/bench
 * writes the product again. */
static const int gen_version = 3;

/* splitmix64 from a fixed seed: every output bit is well mixed and the
 * period is 2^64, so random files neither compress nor repeat, and no two
 * generated files come out equal by chance. */
static uint64_t rng;
static uint64_t next64()
{
    uint64_t z = (rng += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

static uint32_t next_rand()
{
    return (uint32_t)(next64() >> 32);
}

static void fill_text(std::vector<uint8_t> &v)
{
    static const char *words[] = {
        "install", "package", "member", "folder", "version", "the", "a",
        "of", "Windows", "registry", "shortcut", "driver", "service", "undo",
        "log", "product", "company", "file", "copy", "shared", "counter",
        "wizard", "page", "licence", "agreement", "destination", "setup"};
    size_t n = sizeof words / sizeof *words;
    size_t i = 0;
    while (i < v.size()) {
        const char *w = words[next_rand() % n];
        for (; *w && i < v.size(); w++)
            v[i++] = (uint8_t)*w;
        if (i < v.size())
            v[i++] = (next_rand() % 11) ? ' ' : '\n';
    }
}

static void fill_binary(std::vector<uint8_t> &v)
{
    /* records of a few fields, as in code and data sections */
    uint32_t base = next_rand();
    for (size_t i = 0; i + 16 <= v.size(); i += 16) {
        uint32_t rec[4] = {base + (uint32_t)i, next_rand() % 256, 0x401000u + (next_rand() % 4096) * 4, (uint32_t)(i / 16)};
        memcpy(&v[i], rec, 16);
    }
}

static void fill_random(std::vector<uint8_t> &v)
{
    size_t i = 0;
    for (; i + 8 <= v.size(); i += 8) {
        uint64_t r = next64();
        for (int k = 0; k < 8; k++)
            v[i + k] = (uint8_t)(r >> (8 * k));
    }
    for (uint64_t r = next64(); i < v.size(); i++, r >>= 8)
        v[i] = (uint8_t)r;
}

static int write_file(const std::string &path, const std::vector<uint8_t> &v)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(v.data(), 1, v.size(), f) != v.size() || fclose(f)) {
        perror(path.c_str());
        return 0;
    }
    return 1;
}

/* Every dup_stride-th generated file (file000, file009, ...) is written a
 * second time, same name, under /shared: 27 exact copies among 270 files,
 * a tenth, of every kind, for a packer that stores equal members once. */
static const int dup_stride = 9;

static int gen(const char *dir, size_t share)
{
    std::string d = dir;
    mkdir(d.c_str(), 0755);
    for (const char *sub : {"/bin", "/data", "/docs", "/docs/small", "/shared"})
        mkdir((d + sub).c_str(), 0755);
    /* CR LF, as setup reads a script: stored as it is on disk */
    static const char ini[] =
        "// Company=Vellum Bench\r\n// Product=Bench\r\n";
    std::vector<uint8_t> v(ini, ini + sizeof ini - 1);
    if (!write_file(d + "/Install.ini", v))
        return 1;
    struct Kind {
        const char *folder;
        void (*fill)(std::vector<uint8_t> &);
        int count;
        size_t size;
    } kinds[] = {
        {"/docs", fill_text, 2, 6 << 20},       {"/docs", fill_text, 8, 512 << 10},
        {"/docs/small", fill_text, 198, 3000},  {"/bin", fill_binary, 2, 5 << 20},
        {"/bin", fill_binary, 10, 300 << 10},   {"/data", fill_random, 2, 2 << 20},
        {"/data", fill_random, 20, 20 << 10},
    };
    rng = 0x56656c6c756d; /* fixed: the same bytes every run */
    int n = 0;
    for (const Kind &k : kinds)
        for (int i = 0; i < k.count; i++, n++) {
            v.resize(k.size / share);
            k.fill(v);
            char name[64];
            snprintf(name, sizeof name, "/file%03d.dat", n);
            if (!write_file(d + k.folder + name, v))
                return 1;
            if (n % dup_stride == 0 && !write_file(d + "/shared" + name, v))
                return 1;
        }
    return 0;
}

/* ---- read -------------------------------------------------------------- */

static int read_bench(const char *file)
{
    PackageHandle *pkg;
    int rc = pkg_Open(file, &pkg);
    if (rc != PKG_OK) {
        fprintf(stderr, "%s: %s\n", file, pkg_OpenMessage(rc));
        return 1;
    }
    uint64_t total = 0, largest = 0;
    for (uint32_t i = 0; i < pkg->count; i++) {
        total += pkg->dir[i].size;
        if (pkg->dir[i].size > largest)
            largest = pkg->dir[i].size;
    }
    std::vector<uint8_t> out(largest + 1);
    const int rounds = 5;
    double raw = 1e9, fresh = 1e9, ours = 1e9, zcpu = 1e9, icpu = 1e9;
    for (int r = 0; r < rounds; r++) {
        /* raw inflation into one reused buffer, by the clock and by CPU
         * time */
        double t = now(), c = cpu_now();
        for (uint32_t i = 0; i < pkg->count; i++) {
            const PackageEntry *e = &pkg->dir[i];
            if (!(e->attributes & PKG_ATTR_FILE))
                continue;
            uLongf len = e->size;
            uncompress(out.data(), &len, pkg->data + e->offset, e->packedSize);
        }
        raw = std::min(raw, now() - t);
        zcpu = std::min(zcpu, cpu_now() - c);
        /* the reader's inflater alone, the same way */
        t = cpu_now();
        for (uint32_t i = 0; i < pkg->count; i++) {
            const PackageEntry *e = &pkg->dir[i];
            if (!(e->attributes & PKG_ATTR_FILE))
                continue;
            size_t len = e->size, n = e->packedSize;
            if (!pkg_Inflate(out.data(), &len, pkg->data + e->offset, &n)) {
                fprintf(stderr, "%s: does not inflate\n", e->name);
                return 1;
            }
        }
        icpu = std::min(icpu, cpu_now() - t);
        /* raw inflation into a new block per member, as any reader needs */
        t = now();
        for (uint32_t i = 0; i < pkg->count; i++) {
            const PackageEntry *e = &pkg->dir[i];
            if (!(e->attributes & PKG_ATTR_FILE))
                continue;
            uLongf len = e->size;
            uint8_t *b = (uint8_t *)malloc(e->size + 1);
            uncompress(b, &len, pkg->data + e->offset, e->packedSize);
            free(b);
        }
        fresh = std::min(fresh, now() - t);
        /* the reader: open (checksums, directory) and every member */
        t = now();
        PackageHandle *p;
        if (pkg_Open(file, &p) != PKG_OK)
            return 1;
        for (uint32_t i = 0; i < p->count; i++) {
            const PackageEntry *e = &p->dir[i];
            if (!(e->attributes & PKG_ATTR_FILE))
                continue;
            void *b;
            if ((rc = pkg_ExtractEntry(p, e, &b, NULL)) != PKG_OK) {
                fprintf(stderr, "%s: %s\n", e->name, pkg_ExtractMessage(rc));
                return 1;
            }
            pkg_Free(b);
        }
        pkg_Close(p);
        ours = std::min(ours, now() - t);
    }
    double mb = total / 1048576.0;
    printf("package: %u entries, %.1f MiB unpacked, %.1f MiB packed, largest member %.1f MiB\n",
           pkg->count, mb, pkg->dataSize / 1048576.0, largest / 1048576.0);
    printf("raw inflate, reused buffer:   %7.1f MiB/s\n", mb / raw);
    printf("raw inflate, block per member:%7.1f MiB/s\n", mb / fresh);
    printf("open + extract every member:  %7.1f MiB/s\n", mb / ours);
    printf("ratio to raw inflate:         %7.2f (block per member), %.2f (reused buffer)\n",
           fresh / ours, raw / ours);
    printf("inflater alone, CPU time:     %7.1f MiB/s against zlib's %.1f MiB/s: %.2f of its time\n",
           mb / icpu, mb / zcpu, icpu / zcpu);
    pkg_Close(pkg);
    return 0;
}

/* ---- zlib9 ------------------------------------------------------------- */

static void walk(const std::string &dir, std::vector<std::string> &files)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return;
    while (struct dirent *e = readdir(d)) {
        if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, ".."))
            continue;
        std::string p = dir + "/" + e->d_name;
        struct stat st;
        if (stat(p.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            walk(p, files);
        else
            files.push_back(p);
    }
    closedir(d);
}

static bool slurp(const std::string &path, std::vector<uint8_t> &data)
{
    FILE *fp = fopen(path.c_str(), "rb");
    if (!fp)
        return false;
    fseek(fp, 0, SEEK_END);
    data.resize((size_t)ftell(fp));
    fseek(fp, 0, SEEK_SET);
    size_t got = fread(data.data(), 1, data.size(), fp);
    fclose(fp);
    return got == data.size();
}

static int zlib9(const char *dir)
{
    std::vector<std::string> files;
    walk(dir, files);
    double t = now();
    uint64_t in = 0, out = 0;
    std::vector<uint8_t> data, packed;
    for (const std::string &f : files) {
        if (!slurp(f, data))
            return 1;
        uLongf len = compressBound((uLong)data.size());
        packed.resize(len);
        compress2(packed.data(), &len, data.data(), (uLong)data.size(), 9);
        in += data.size();
        out += len;
    }
    printf("%.3f %llu %llu %zu\n", now() - t, (unsigned long long)in,
           (unsigned long long)out, files.size());
    return 0;
}

/* ---- levels ----------------------------------------------------------- */

/* CPU seconds and stream bytes of level over files (0: zlib level 9). */
static bool pack_files(const std::vector<std::string> &files, int level,
                       double *cpu, uint64_t *bytes)
{
    libdeflate_compressor *c = level ? pkw_NewDeflater(level) : NULL;
    std::vector<uint8_t> data, packed;
    double t = cpu_now();
    *bytes = 0;
    bool ok = level == 0 || c;
    for (size_t i = 0; ok && i < files.size(); i++) {
        ok = slurp(files[i], data) &&
             (level ? pkw_Deflate(c, data.data(), data.size(), packed, NULL)
                    : pkw_Compress(data.data(), data.size(), 9, packed,
                                   NULL)) == PKW_OK;
        *bytes += packed.size();
    }
    *cpu = cpu_now() - t;
    pkw_FreeDeflater(c);
    return ok;
}

static int levels(const char *dir)
{
    std::vector<std::string> files;
    walk(dir, files);
    double zcpu, cpu;
    uint64_t zbytes, bytes;
    if (!pack_files(files, 0, &zcpu, &zbytes))
        return 1;
    printf("zlib level 9:  %6.2f s CPU %10llu bytes\n", zcpu,
           (unsigned long long)zbytes);
    for (int level = 9; level <= 12; level++) {
        if (!pack_files(files, level, &cpu, &bytes))
            return 1;
        printf("libdeflate %2d: %6.2f s CPU %10llu bytes: %.2f of zlib's time, "
               "%.4f of its bytes%s\n", level, cpu, (unsigned long long)bytes,
               cpu / zcpu, (double)bytes / (double)zbytes,
               level == PKW_DEFLATE_LEVEL ? "  (vpack's level)" : "");
    }
    return 0;
}

/* ---- stats ------------------------------------------------------------ */

/* A file is a duplicate when an earlier one (in any order) holds the same
 * bytes; sizes are summed in KiB, rounded down. */
static int stats(const char *dir)
{
    std::vector<std::string> files;
    walk(dir, files);
    std::set<std::string> seen;
    std::vector<uint8_t> data;
    uint64_t bytes = 0, dupBytes = 0;
    size_t dups = 0;
    for (const std::string &f : files) {
        if (!slurp(f, data)) {
            perror(f.c_str());
            return 1;
        }
        bytes += data.size();
        if (!seen.insert(std::string(data.begin(), data.end())).second) {
            dups++;
            dupBytes += data.size();
        }
    }
    printf("%zu files, %llu KiB, %zu duplicate files (%llu KiB)\n", files.size(),
           (unsigned long long)(bytes / 1024), dups, (unsigned long long)(dupBytes / 1024));
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && !strcmp(argv[1], "gen"))
        return gen(argv[2], 1);
    if (argc == 4 && !strcmp(argv[1], "gen") && atoi(argv[3]) > 0)
        return gen(argv[2], (size_t)atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "read"))
        return read_bench(argv[2]);
    if (argc == 3 && !strcmp(argv[1], "zlib9"))
        return zlib9(argv[2]);
    if (argc == 3 && !strcmp(argv[1], "levels"))
        return levels(argv[2]);
    if (argc == 3 && !strcmp(argv[1], "stats"))
        return stats(argv[2]);
    if (argc == 2 && !strcmp(argv[1], "version"))
        return printf("%d\n", gen_version) < 0;
    fprintf(stderr, "usage: pkg_bench gen DIR [SHARE] | stats DIR | version | read FILE.exe | zlib9 DIR | levels DIR\n");
    return 2;
}
