/* packer.cpp -- `vpack build`: scans the product folder into a package
 * directory, compresses the members on every core, and writes stub and
 * package to FILE.tmp, renamed to FILE only once all of it is written. */
#include "packer.h"
#include "checker.h"
#include "codepage.h"
#include "diag.h"
#include "exclude.h"
#include "fsys.h"
#include "ident.h"
#include "pkg/pkg.h"
#include "path/path.h"
#include "pkg/pkgwrite.h"
#include "reader.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <thread>

MODULE_IDENT("tools/vpack/packer.cpp");

#define STUB_HEAD     (64u * 1024)        /* enough for any PE's headers */
#define COPY_CHUNK    (1u << 20)
#define PROGRESS_MIN  (8ull << 20)        /* smaller input packs too fast */
#define SETUP_MAX     0xFFFFFFFFull       /* the reader's offsets are 32-bit */

/* The members that setup looks for at the top, first in the package under
 * these names whatever their case on disk. */
static const char *const root_names[] = {"Install.ini", "License.txt",
                                         "Uninstall.exe"};
#define ROOT_INI       0
#define ROOT_LICENSE   1
#define ROOT_UNINSTALL 2

static int refuse(const std::string &text)
{
    fprintf(stderr, "vpack build: %s\n", text.c_str());
    return 1;
}

static std::string quoted(const std::string &path)
{
    return "'" + path + "'";
}

/* The case folding of the package lookup: ASCII letters only. */
static std::string folded(const std::string &name)
{
    std::string s = name;
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
    return s;
}

static bool same_name(const std::string &a, const char *b)
{
    return folded(a) == folded(b);
}

/* ---- architectures and default places --------------------------------- */

/* The configured stubs and uninstallers of each arch: the programs of the
 * build trees of that arch (tools/vpack/CMakeLists.txt defines all four). */
#ifndef VPACK_DEFAULT_STUB_X86
#define VPACK_DEFAULT_STUB_X86 ""
#define VPACK_DEFAULT_UNINSTALLER_X86 ""
#define VPACK_DEFAULT_STUB_X64 ""
#define VPACK_DEFAULT_UNINSTALLER_X64 ""
#endif

static const struct {
    const char *name;        /* as --arch takes it */
    uint16_t    machine;     /* the PE file header's */
    const char *text;
    const char *stub, *uninstaller;
} archs[PACKER_ARCHS] = {
    {"x86", 0x14C, "x86 (32-bit)", VPACK_DEFAULT_STUB_X86,
     VPACK_DEFAULT_UNINSTALLER_X86},
    {"x64", 0x8664, "x64 (64-bit)", VPACK_DEFAULT_STUB_X64,
     VPACK_DEFAULT_UNINSTALLER_X64},
};

int packer_Arch(const char *name)
{
    for (int a = 0; name && a < PACKER_ARCHS; a++)
        if (strcmp(name, archs[a].name) == 0)
            return a;
    return -1;
}

const char *packer_ArchName(int arch)
{
    return arch >= 0 && arch < PACKER_ARCHS ? archs[arch].name : "";
}

const char *packer_ArchText(int arch)
{
    return arch >= 0 && arch < PACKER_ARCHS ? archs[arch].text : "";
}

std::string packer_ArchNames(void)
{
    std::string names;
    for (int a = 0; a < PACKER_ARCHS; a++)
        names += std::string(a ? " or " : "") + archs[a].name;
    return names;
}

static std::vector<std::string> places(const char *name, const char *configured)
{
    std::vector<std::string> v;
    std::string self = fsys_SelfFolder();
    if (!self.empty())
        v.push_back(fsys_Join(self, name));
    if (configured && *configured)
        v.push_back(configured);
    return v;
}

std::vector<std::string> packer_StubPlaces(int arch)
{
    if (arch < 0 || arch >= PACKER_ARCHS)
        return {};
    return places("setup.exe", archs[arch].stub);
}

std::vector<std::string> packer_UninstallPlaces(int arch)
{
    if (arch < 0 || arch >= PACKER_ARCHS)
        return {};
    return places("Uninstall.exe", archs[arch].uninstaller);
}

/* The PE machine field of the file at path: 0 when it holds no PE image
 * or cannot be read. */
static uint16_t file_machine(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return 0;
    std::vector<uint8_t> head(STUB_HEAD);
    size_t got = fread(head.data(), 1, head.size(), f);
    fclose(f);
    return pkg_ImageMachine(head.data(), got);
}

/* The arch whose machine this is, else -1. */
static int machine_arch(uint16_t machine)
{
    for (int a = 0; a < PACKER_ARCHS; a++)
        if (archs[a].machine == machine)
            return a;
    return -1;
}

/* What a PE machine field names, for a message: "an x64 (64-bit) image". */
static std::string machine_kind(uint16_t machine)
{
    int a = machine_arch(machine);
    if (a >= 0)
        return std::string("an ") + archs[a].text + " image";
    char text[64];
    snprintf(text, sizeof text, machine ? "a PE image for machine 0x%04X"
                                        : "not a PE image", machine);
    return text;
}

/* What the file at path is, for a message. */
static std::string image_kind(const std::string &path)
{
    FsysInfo fi;
    if (!fsys_Stat(path, &fi, NULL) || fi.kind == FSYS_MISSING)
        return "missing";
    if (fi.kind != FSYS_FILE)
        return "not a file";
    return machine_kind(file_machine(path));
}

/* The first of v that is a file holding a PE image for arch, else "" with
 * every place and what it holds in *seen (which may be null). */
static std::string first_image(const std::vector<std::string> &v, int arch,
                               std::string *seen)
{
    for (const std::string &p : v) {
        FsysInfo fi;
        if (fsys_Stat(p, &fi, NULL) && fi.kind == FSYS_FILE &&
            file_machine(p) == archs[arch].machine)
            return p;
        if (seen)
            *seen += std::string(seen->empty() ? "" : "; ") + quoted(p) +
                     ", " + image_kind(p);
    }
    return "";
}

/* ---- the stub ---------------------------------------------------------- */

/* The arch of the stub at path, a PE image, from its machine field; -1,
 * the cause on stderr, when it is for no arch or not for want (-1: any). */
static int stub_arch(const std::string &path, uint16_t machine, int want)
{
    int a = machine_arch(machine);
    if (a < 0) {
        char text[32];
        snprintf(text, sizeof text, "machine 0x%04X", machine);
        refuse("the stub " + quoted(path) + " is a PE image for " + text +
               ", not " + packer_ArchNames());
        return -1;
    }
    if (want >= 0 && a != want) {
        refuse("the stub " + quoted(path) + " is " + machine_kind(machine) +
               ", not one for --arch " + archs[want].name + ": give --arch " +
               archs[a].name + ", or a stub for " + archs[want].text);
        return -1;
    }
    return a;
}

/* Checks that the stub is a PE image with nothing after it, so the package
 * can follow the image directly: 0 with *size and *machine set, or 1
 * refused. */
static int check_stub(const std::string &path, uint64_t *size,
                      uint16_t *machine)
{
    FsysInfo fi;
    std::string why;
    if (!fsys_Stat(path, &fi, &why))
        return refuse("cannot read the stub " + quoted(path) + ": " + why);
    if (fi.kind != FSYS_FILE)
        return refuse("the stub " + quoted(path) + " is " +
                      (fi.kind == FSYS_MISSING ? "missing" : "not a file"));
    FILE *f = fsys_Open(path, "rb");
    if (!f)
        return refuse("cannot open the stub " + quoted(path) + ": " +
                      fsys_ErrnoText(errno));
    std::vector<uint8_t> head(fi.size < STUB_HEAD ? (size_t)fi.size : STUB_HEAD);
    size_t got = fread(head.data(), 1, head.size(), f);
    fclose(f);
    if (got != head.size())
        return refuse("cannot read the stub " + quoted(path));
    uint64_t end = pkg_ImageEnd(head.data(), head.size());
    if (end == 0)
        return refuse("the stub " + quoted(path) + " is not a PE image");
    if (end > fi.size)
        return refuse("the stub " + quoted(path) + " is truncated: its image "
                      "ends at byte " + std::to_string(end) + " of " +
                      std::to_string(fi.size));
    if (end < fi.size)
        return refuse("the stub " + quoted(path) + " has " +
                      std::to_string(fi.size - end) +
                      " bytes after its PE image (a package, a signature or "
                      "other overlay); the package must follow the image "
                      "directly, so give the bare, unsigned setup.exe and "
                      "sign the result instead");
    *size = fi.size;
    *machine = pkg_ImageMachine(head.data(), head.size());
    return 0;
}

/* ---- scanning the product folder --------------------------------------- */

struct Identity {
    uint64_t volume, id;
    bool operator==(const Identity &o) const
    {
        return volume == o.volume && id == o.id;
    }
};

struct Scan {
    PkwPackage               pkg;
    std::vector<std::string> paths;      /* the disk path of every entry */
    std::vector<Identity>    ancestors;  /* folders being scanned */
    std::vector<Identity>    skip;       /* the output, if it is in there */
    std::vector<std::string> patterns;   /* what is left out (exclude.h) */
    std::vector<std::string> excluded;   /* what was, from DIR, '/' between */
    std::vector<bool>        excludedFolders;
    std::string              ini;        /* the disk path of Install.ini */
    int                      codepage;   /* of the names in the package */
    uint64_t                 input;      /* bytes of all members */
    std::string              error;
    std::map<size_t, std::vector<uint8_t>> stored; /* entry -> the bytes of a
                                           text member, as stored */
    size_t                   crlf[2] = {0, 0};  /* line ends made CR LF in
                                                   Install.ini, License.txt */
};

static int scan_fail(Scan &s, const std::string &text)
{
    s.error = text;
    return 0;
}

static int scan_folder(Scan &s, const std::string &path, int index,
                       Identity self);

/* The path from DIR of the entry on disk at path, '/' between, in the
 * names the disk gives (as the patterns are written). */
static std::string rel_path(const Scan &s, const std::string &path)
{
    size_t n = s.paths[0].size();
    while (n < path.size() && (path[n] == '/' || path[n] == fsys_Separator))
        n++;
    std::string rel = path.substr(n);
    std::replace(rel.begin(), rel.end(), fsys_Separator, '/');
    return rel;
}

/* 1 when a pattern leaves out the entry on disk at path, which is then
 * noted for the summary.  Only a pattern for folders alone needs to know
 * what path is. */
static int left_out(Scan &s, const std::string &path)
{
    std::string rel = rel_path(s, path);
    bool any = exclude_Match(s.patterns, rel, false) != NULL;
    if (!any && !exclude_Match(s.patterns, rel, true))
        return 0;
    FsysInfo fi;
    bool folder = fsys_Stat(path, &fi, NULL) && fi.kind == FSYS_FOLDER;
    if (!any && !folder)
        return 0;
    s.excluded.push_back(rel);
    s.excludedFolders.push_back(folder);
    return 1;
}

/* An earlier setup inside DIR would be installed as a plain file, its
 * package never opened: refused, with the way to leave it out. */
static int carries_package(Scan &s, const std::string &path)
{
    if (reader_Kind(path) != READER_SETUP)
        return 0;
    std::string rel = rel_path(s, path);
    scan_fail(s, quoted(path) + " already carries a package (an earlier "
                 "setup?), and a setup is not packed into another: delete "
                 "it, move it out of the product folder, or leave it out "
                 "with --exclude " + quoted(rel));
    return 1;
}

/* path as entry name in the folder at index: checked, added, and scanned if
 * it is a folder.  1, or 0 with s.error set. */
static int scan_child(Scan &s, int index, const std::string &path,
                      const std::string &name)
{
    FsysInfo fi;
    std::string why;
    if (!fsys_Stat(path, &fi, &why))
        return scan_fail(s, "cannot read " + quoted(path) + ": " + why);
    if (fi.kind == FSYS_MISSING) /* a dangling link, or gone meanwhile */
        return scan_fail(s, "cannot read " + quoted(path) + ": " +
                                fsys_ErrnoText(ENOENT));
    if (fi.kind == FSYS_OTHER)
        return scan_fail(s, quoted(path) + " is not a file or folder");
    Identity me = {fi.volume, fi.id};
    if (fi.kind == FSYS_FILE &&
        std::find(s.skip.begin(), s.skip.end(), me) != s.skip.end())
        return 1;
    if (fi.kind == FSYS_FILE && carries_package(s, path))
        return 0;
    int err = PKW_OK, at;
    if (fi.kind == FSYS_FOLDER) {
        if (std::find(s.ancestors.begin(), s.ancestors.end(), me) !=
            s.ancestors.end())
            return scan_fail(s, "symlink loop: " + quoted(path) +
                                    " leads back to a folder that contains it");
        at = pkw_AddFolder(s.pkg, index, name.c_str(), &err);
    } else {
        at = pkw_AddStream(s.pkg, index, name.c_str(), fi.size, 0, {}, &err);
        s.input += fi.size;
    }
    if (at < 0)
        return scan_fail(s, quoted(path) + ": " + pkw_Message(err));
    s.paths.push_back(path);
    return fi.kind == FSYS_FOLDER ? scan_folder(s, path, at, me) : 1;
}

/* ---- names ------------------------------------------------------------ */

/* An entry of a folder: its name on disk and in the package. */
struct Named {
    std::string disk, pkg;
};

/* Why Windows cannot create name, a name path_CheckName refuses. */
static std::string uncreatable(const std::string &name, int rc, size_t at)
{
    if (rc != PATH_ECHAR)
        return path_CheckText(rc);
    unsigned char c = (unsigned char)name[at];
    char buf[64];
    if (c < 32)
        snprintf(buf, sizeof buf, "contains the control character 0x%02X", c);
    else
        snprintf(buf, sizeof buf, "contains '%c'", c);
    return buf;
}

/* The disk name of path as the package will hold it: in the setup's code
 * page, and one Windows can create.  1, or 0 with s.error set. */
static int package_name(Scan &s, const std::string &path,
                        const std::string &disk, std::string *pkg)
{
    std::string why;
    if (!cp_FromUtf8(s.codepage, disk, pkg, &why))
        return scan_fail(s, quoted(path) + ": the name " + why +
                                (why.compare(0, 3, "has") == 0
                                     ? "; rename it, or give --codepage for "
                                       "the systems the product is for"
                                     : "; vpack reads names as UTF-8"));
    size_t at = 0;
    int rc = path_CheckName(pkg->c_str(), &at);
    if (rc != PATH_OK)
        return scan_fail(s, quoted(path) + ": Windows cannot create this "
                                "name: it " + uncreatable(*pkg, rc, at));
    return 1;
}

/* The names in the folder at path, in the package's byte order.  Windows
 * looks a name up without regard to case, so two that differ only in it
 * could not both be installed; case is compared as its file systems do,
 * by each character's upper case (e and E, but also é and É). */
static int folder_names(Scan &s, const std::string &path,
                        std::vector<Named> &out)
{
    std::vector<std::string> names;
    std::string why;
    if (!fsys_List(path, names, &why))
        return scan_fail(s, "cannot read the folder " + quoted(path) + ": " + why);
    /* What is left out is never judged: a name Windows could not hold
     * may be excluded.  The top's own members are scan_root's. */
    bool top = path == s.paths[0];
    out.clear();
    for (const std::string &name : names) {
        bool special = false;
        for (const char *r : root_names)
            special = special || (top && same_name(name, r));
        if (!special && left_out(s, fsys_Join(path, name)))
            continue;
        Named n;
        n.disk = name;
        if (!package_name(s, fsys_Join(path, name), name, &n.pkg))
            return 0;
        out.push_back(n);
    }
    std::sort(out.begin(), out.end(),
              [](const Named &a, const Named &b) { return a.pkg < b.pkg; });
    std::vector<std::pair<std::u32string, size_t>> keys;
    for (size_t i = 0; i < out.size(); i++)
        keys.push_back({cp_FoldKey(s.codepage, out[i].pkg), i});
    std::sort(keys.begin(), keys.end());
    for (size_t i = 1; i < keys.size(); i++)
        if (keys[i].first == keys[i - 1].first)
            return scan_fail(s, "two names in " + quoted(path) + " differ "
                                "only in case (" +
                                quoted(out[keys[i - 1].second].disk) + " and " +
                                quoted(out[keys[i].second].disk) +
                                "); Windows cannot hold both");
    return 1;
}

/* The folder at path, already entry index: its names in byte order, each
 * folder's contents right after the folder. */
static int scan_folder(Scan &s, const std::string &path, int index,
                       Identity self)
{
    std::vector<Named> names;
    if (!folder_names(s, path, names))
        return 0;
    s.ancestors.push_back(self);
    for (const Named &n : names) {
        bool special = false;
        if (index == 0)
            for (const char *r : root_names)
                special = special || same_name(n.disk, r);
        if (!special && !scan_child(s, index, fsys_Join(path, n.disk), n.pkg))
            return 0;
    }
    s.ancestors.pop_back();
    return 1;
}

/* One of the members setup looks for at the top: a file, stored under its
 * name in root_names whatever its case on disk. */
static int scan_special(Scan &s, const std::string &path, int r)
{
    FsysInfo fi;
    if (fsys_Stat(path, &fi, NULL) && fi.kind == FSYS_FOLDER)
        return scan_fail(s, quoted(path) + " is a folder, not a file");
    return scan_child(s, 0, path, root_names[r]);
}

/* The top: Install.ini, License.txt and Uninstall.exe first, then the
 * product's files. */
static int scan_root(Scan &s, const PackerOptions &opt,
                     const std::string &uninstaller)
{
    FsysInfo fi;
    std::string why;
    if (!fsys_Stat(opt.dir, &fi, &why))
        return scan_fail(s, "cannot read " + quoted(opt.dir) + ": " + why);
    if (fi.kind == FSYS_MISSING)
        return scan_fail(s, quoted(opt.dir) + " does not exist");
    if (fi.kind != FSYS_FOLDER)
        return scan_fail(s, quoted(opt.dir) + " is not a folder");
    std::vector<std::string> names;
    if (!fsys_List(opt.dir, names, &why))
        return scan_fail(s, "cannot read the folder " + quoted(opt.dir) + ": " + why);
    Identity self = {fi.volume, fi.id};

    s.ancestors.push_back(self);
    for (int r = 0; r < 3; r++) {
        std::string found;
        for (const std::string &n : names)
            if (same_name(n, root_names[r]))
                found = n;
        /* Install.ini is the script: it can never be left out. */
        if (r != ROOT_INI && !found.empty() &&
            left_out(s, fsys_Join(opt.dir, found)))
            found.clear();
        if (r == ROOT_INI && found.empty())
            return scan_fail(s, quoted(opt.dir) + " has no Install.ini: it is "
                                "not a product folder");
        if (r == ROOT_UNINSTALL && !uninstaller.empty()) {
            if (!found.empty())
                return scan_fail(
                    s, quoted(opt.dir) + " has its own " + found + " and " +
                           quoted(uninstaller) + " would be packed as "
                           "Uninstall.exe too: remove one, or give "
                           "--no-uninstaller");
            found = uninstaller;
        } else if (!found.empty()) {
            found = fsys_Join(opt.dir, found);
        }
        if (r == ROOT_INI)
            s.ini = found;
        if (!found.empty() && !scan_special(s, found, r))
            return 0;
    }
    s.ancestors.pop_back();
    return scan_folder(s, opt.dir, 0, self);
}

/* A scan of the product folder dir begun: the root entry alone, names in
 * the code page cp. */
static void begin_scan(Scan &s, const std::string &dir, int cp)
{
    pkw_Init(s.pkg);
    s.paths.push_back(dir);
    s.input = 0;
    s.codepage = cp;
}

/* The package path of every file entry, '\' between its parts. */
static std::vector<std::string> file_paths(const PkwPackage &pkg)
{
    std::vector<std::string> full(pkg.entries.size()), files;
    for (size_t i = 1; i < pkg.entries.size(); i++) {
        const PkwEntry &e = pkg.entries[i];
        full[i] = e.parent > 0 ? full[(size_t)e.parent] + "\\" + e.name : e.name;
        if (e.attributes & PKG_ATTR_FILE)
            files.push_back(full[i]);
    }
    return files;
}

/* ---- text members ------------------------------------------------------ */

/* Install.ini and License.txt are stored as setup reads them: every line
 * end CR LF (diag.h).  ROOT_INI, ROOT_LICENSE, or -1 for any other entry. */
static int text_member(const PkwEntry &e)
{
    return e.parent != 0                         ? -1
           : e.name == root_names[ROOT_INI]     ? ROOT_INI
           : e.name == root_names[ROOT_LICENSE] ? ROOT_LICENSE
                                                 : -1;
}

/* One line naming what was left out, in path order (they are found a
 * folder at a time). */
static void show_excluded(const Scan &s)
{
    std::vector<std::pair<std::string, bool>> v;
    for (size_t i = 0; i < s.excluded.size(); i++)
        v.push_back({s.excluded[i], s.excludedFolders[i]});
    std::sort(v.begin(), v.end());
    std::vector<std::string> paths;
    std::vector<bool> folders;
    for (const auto &e : v) {
        paths.push_back(e.first);
        folders.push_back(e.second);
    }
    std::string line = exclude_Summary(paths, folders);
    if (!line.empty())
        printf("vpack build: %s\n", line.c_str());
}

/* One line when build changed line ends. */
static void show_crlf(const Scan &s)
{
    std::string list;
    for (int r : {ROOT_INI, ROOT_LICENSE})
        if (s.crlf[r])
            list += std::string(list.empty() ? "" : ", ") + root_names[r] +
                    " (" + std::to_string(s.crlf[r]) + " changed)";
    if (!list.empty())
        printf("vpack build: line ends stored as CR LF, as setup reads "
               "them: %s\n", list.c_str());
}

/* ---- compression ------------------------------------------------------- */

/* Members are packed in two passes over every core.  The first sums each
 * file whose size another file has too; a file with the size and sum of an
 * earlier one in package order is that entry's twin.  The second compresses
 * every file but a twin, which is compared byte for byte with its entry: if
 * equal it shares that entry's stream, else it gets one of its own.  What
 * shares what follows from the bytes alone, never from the timing. */

struct Compressor;
/* One job of a pass, on entry with the thread's compressor z (null in the
 * first pass): "" or the cause. */
typedef std::string (*Work)(Compressor &c, libdeflate_compressor *z,
                            size_t entry);

struct Compressor {
    Scan                    *scan;
    Work                     work;
    bool                     deflating; /* a compressor for every thread */
    std::vector<size_t>      jobs;      /* entry indexes, largest first */
    std::vector<std::string> errors;    /* per job */
    std::vector<uint32_t>    sums;      /* per entry, from the first pass */
    std::vector<char>        summed;    /* per entry: sums holds its sum */
    std::vector<int32_t>     twins;     /* per entry: an earlier entry with
                                           the same size and sum, or -1 */
    std::atomic<size_t>      next;
    std::atomic<uint64_t>    done;      /* input bytes through the pass */
    std::atomic<uint64_t>    packed;    /* stream bytes made */
    std::atomic<bool>        stop;
    uint64_t                 budget;    /* stream bytes the setup can take */
    std::atomic<int>         running;
    std::mutex               lock;
    std::condition_variable  finished;
};

/* Reads the member at path, of size bytes, whole: "" or the cause. */
static std::string read_member(const std::string &path, uint64_t size,
                               std::vector<uint8_t> &data)
{
    FILE *f = fsys_Open(path, "rb");
    if (!f)
        return "cannot read " + quoted(path) + ": " + fsys_ErrnoText(errno);
    try {
        data.resize((size_t)size);
    } catch (const std::bad_alloc &) {
        fclose(f);
        return "out of memory reading " + quoted(path);
    }
    size_t got = fread(data.data(), 1, data.size(), f);
    int code = ferror(f) ? errno : 0;
    bool more = fgetc(f) != EOF;
    fclose(f);
    if (code != 0)
        return "cannot read " + quoted(path) + ": " + fsys_ErrnoText(code);
    if (got != data.size() || more)
        return quoted(path) + " changed size while it was packed";
    return "";
}

/* The bytes of entry as they are stored: a text member's as converted,
 * every other file's as on disk.  "" or the cause. */
static std::string read_entry(const Scan &s, size_t entry,
                              std::vector<uint8_t> &data)
{
    auto at = s.stored.find(entry);
    if (at == s.stored.end())
        return read_member(s.paths[entry], s.pkg.entries[entry].size, data);
    data = at->second;
    return "";
}

/* Install.ini and License.txt, read once before the passes and kept as
 * stored, so that their sizes and sums are those of the stored bytes:
 * 1, or 0 with s.error set. */
static int convert_texts(Scan &s)
{
    for (size_t i = 0; i < s.pkg.entries.size(); i++) {
        PkwEntry &e = s.pkg.entries[i];
        int r = text_member(e);
        if (r < 0 || !(e.attributes & PKG_ATTR_FILE))
            continue;
        std::vector<uint8_t> data;
        std::string why = read_member(s.paths[i], e.size, data), text;
        if (!why.empty())
            return scan_fail(s, why);
        s.crlf[r] = diag_CrLf(std::string(data.begin(), data.end()), &text, NULL);
        s.stored[i].assign(text.begin(), text.end());
        s.input += text.size() - e.size;
        e.size = text.size();
    }
    return 1;
}

static std::string changed(const std::string &path)
{
    return quoted(path) + " changed while it was packed";
}

/* First pass: the member's Adler-32. */
static std::string sum_one(Compressor &c, libdeflate_compressor *,
                           size_t entry)
{
    std::vector<uint8_t> data;
    std::string why = read_entry(*c.scan, entry, data);
    if (why.empty())
        c.sums[entry] = pkg_Adler32(1, data.data(), data.size());
    return why;
}

/* Second pass, a file of its own: read whole and replaced by its stream. */
static std::string deflate_one(Compressor &c, libdeflate_compressor *z,
                               size_t entry)
{
    std::vector<uint8_t> data, stream;
    PkwEntry &e = c.scan->pkg.entries[entry];
    const std::string &path = c.scan->paths[entry];
    std::string why = read_entry(*c.scan, entry, data);
    if (!why.empty())
        return why;
    uint32_t sum;
    int rc;
    try {
        rc = pkw_Deflate(z, data.data(), data.size(), stream, &sum);
    } catch (const std::bad_alloc &) {
        return "out of memory compressing " + quoted(path);
    }
    if (rc != PKW_OK)
        return quoted(path) + ": " + pkw_Message(rc);
    if (c.summed[entry] && sum != c.sums[entry])
        return changed(path);
    if (c.packed.fetch_add(stream.size()) + stream.size() > c.budget)
        return "the setup would be 4 GiB or more (the package's offsets are "
               "32-bit)";
    e.stream = std::move(stream);
    e.checksum = sum;
    return "";
}

/* Second pass, any file: a twin that equals its entry shares its stream. */
static std::string pack_one(Compressor &c, libdeflate_compressor *z,
                            size_t entry)
{
    int32_t twin = c.twins[entry];
    if (twin < 0)
        return deflate_one(c, z, entry);
    std::vector<uint8_t> mine, theirs;
    PkwEntry &e = c.scan->pkg.entries[entry];
    std::string why = read_entry(*c.scan, entry, mine);
    if (why.empty())
        why = read_entry(*c.scan, (size_t)twin, theirs);
    if (!why.empty())
        return why;
    if (mine != theirs)
        return deflate_one(c, z, entry);
    if (pkg_Adler32(1, mine.data(), mine.size()) != c.sums[entry])
        return changed(c.scan->paths[entry]);
    e.same = twin;
    e.checksum = c.sums[entry];
    return "";
}

static void pool_worker(Compressor *c)
{
    libdeflate_compressor *z =
        c->deflating ? pkw_NewDeflater(PKW_DEFLATE_LEVEL) : NULL;
    for (;;) {
        size_t j = c->next.fetch_add(1);
        if (j >= c->jobs.size() || c->stop.load())
            break;
        size_t entry = c->jobs[j];
        c->errors[j] = c->deflating && !z ? "out of memory for the compressor"
                                          : c->work(*c, z, entry);
        if (!c->errors[j].empty())
            c->stop.store(true);
        c->done.fetch_add(c->scan->pkg.entries[entry].size);
    }
    pkw_FreeDeflater(z);
    std::lock_guard<std::mutex> g(c->lock);
    c->running--;
    c->finished.notify_all();
}

static double mib(uint64_t n)
{
    return (double)n / (1024.0 * 1024.0);
}

static void show_progress(uint64_t done, uint64_t total)
{
    fprintf(stderr, "\rvpack build: %.1f of %.1f MiB compressed (%d%%)   ",
            mib(done), mib(total), total ? (int)(done * 100 / total) : 100);
    fflush(stderr);
}

/* Runs work on every job of c, largest first, on every core: 1, or 0 with
 * the first failure in package order in s.error. */
static int run_pass(Compressor &c, Work work, bool deflating, bool progress)
{
    Scan &s = *c.scan;
    std::stable_sort(c.jobs.begin(), c.jobs.end(), [&](size_t a, size_t b) {
        return s.pkg.entries[a].size > s.pkg.entries[b].size;
    });
    c.work = work;
    c.deflating = deflating;
    c.errors.assign(c.jobs.size(), "");
    c.next = 0;
    c.done = 0;
    c.stop = false;

    unsigned cores = std::thread::hardware_concurrency();
    size_t n = std::min<size_t>(cores ? cores : 1, c.jobs.size());
    c.running = (int)n;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < n; i++)
        threads.emplace_back(pool_worker, &c);
    {
        std::unique_lock<std::mutex> g(c.lock);
        while (c.running > 0) {
            c.finished.wait_for(g, std::chrono::milliseconds(200));
            if (progress)
                show_progress(c.done.load(), s.input);
        }
    }
    for (std::thread &t : threads)
        t.join();
    if (progress) {
        show_progress(c.done.load(), s.input);
        fputc('\n', stderr);
    }

    size_t worst = s.pkg.entries.size();
    for (size_t j = 0; j < c.jobs.size(); j++)
        if (!c.errors[j].empty() && c.jobs[j] < worst) {
            worst = c.jobs[j];
            s.error = c.errors[j];
        }
    return worst == s.pkg.entries.size();
}

/* The first pass: sums the files whose size is not theirs alone, and names
 * every twin.  1, or 0 with s.error set. */
static int find_twins(Compressor &c)
{
    const std::vector<PkwEntry> &v = c.scan->pkg.entries;
    std::map<uint64_t, size_t> sizes;
    for (const PkwEntry &e : v)
        if (e.attributes & PKG_ATTR_FILE)
            sizes[e.size]++;
    c.jobs.clear();
    for (size_t i = 0; i < v.size(); i++)
        if ((v[i].attributes & PKG_ATTR_FILE) && sizes[v[i].size] > 1) {
            c.jobs.push_back(i);
            c.summed[i] = 1;
        }
    if (!run_pass(c, sum_one, false, false))
        return 0;
    std::map<std::pair<uint64_t, uint32_t>, int32_t> first;
    for (size_t i = 0; i < v.size(); i++) {
        if (!c.summed[i])
            continue;
        auto at = first.emplace(std::make_pair(v[i].size, c.sums[i]), (int32_t)i);
        if (!at.second)
            c.twins[i] = at.first->second;
    }
    return 1;
}

/* Compresses every file entry of s, identical files once: 1, or 0 with
 * s.error set. */
static int compress_all(Scan &s, uint64_t budget)
{
    Compressor c;
    c.scan = &s;
    c.sums.assign(s.pkg.entries.size(), 0);
    c.summed.assign(s.pkg.entries.size(), 0);
    c.twins.assign(s.pkg.entries.size(), -1);
    c.packed = 0;
    c.budget = budget;
    if (!find_twins(c))
        return 0;
    c.jobs.clear();
    for (size_t i = 0; i < s.pkg.entries.size(); i++)
        if (s.pkg.entries[i].attributes & PKG_ATTR_FILE)
            c.jobs.push_back(i);
    bool progress = s.input > PROGRESS_MIN && fsys_ErrIsTerminal();
    if (!run_pass(c, pack_one, true, progress))
        return 0;
    /* A twin's entry whose bytes changed after they were compared */
    for (const PkwEntry &e : s.pkg.entries)
        if (e.same >= 0 && s.pkg.entries[e.same].checksum != e.checksum)
            return scan_fail(s, changed(s.paths[e.same]));
    return 1;
}

/* One line for the files stored as copies of earlier ones, if any. */
static void print_shared(const Scan &s)
{
    size_t n = 0;
    uint64_t bytes = 0;
    for (const PkwEntry &e : s.pkg.entries)
        if (e.same >= 0) {
            n++;
            bytes += e.size;
        }
    if (n)
        printf("vpack build: %zu %s (%llu bytes) the same as an earlier "
               "one: stored once\n", n, n == 1 ? "file" : "files",
               (unsigned long long)bytes);
}

/* ---- writing ----------------------------------------------------------- */

static int put(FILE *f, const void *p, size_t n)
{
    return n == 0 || fwrite(p, 1, n, f) == n;
}

/* The stub's stubSize bytes onto out: "" or the cause. */
static std::string copy_stub(FILE *out, const std::string &path,
                             const std::string &stub, uint64_t stubSize)
{
    FILE *in = fsys_Open(stub, "rb");
    if (!in)
        return "cannot open the stub " + quoted(stub) + ": " +
               fsys_ErrnoText(errno);
    std::vector<uint8_t> buf(COPY_CHUNK);
    uint64_t copied = 0;
    size_t n;
    std::string why;
    while (why.empty() && (n = fread(buf.data(), 1, buf.size(), in)) > 0) {
        if (!put(out, buf.data(), n))
            why = "cannot write " + quoted(path) + ": " + fsys_ErrnoText(errno);
        copied += n;
    }
    if (why.empty() && (ferror(in) || copied != stubSize))
        why = "the stub " + quoted(stub) + " changed while it was copied";
    fclose(in);
    return why;
}

/* Stub, header, streams and directory into path: "" or the cause. */
static std::string write_setup(const std::string &path, const std::string &stub,
                               uint64_t stubSize, const PkwPackage &pkg,
                               const std::vector<uint8_t> &header,
                               const std::vector<uint8_t> &packedDir)
{
    FILE *out = fsys_Open(path, "wb");
    if (!out)
        return "cannot create " + quoted(path) + ": " + fsys_ErrnoText(errno);
    std::string why = copy_stub(out, path, stub, stubSize);
    bool ok = why.empty() && put(out, header.data(), header.size());
    for (size_t i = 0; ok && i < pkg.entries.size(); i++)
        ok = put(out, pkg.entries[i].stream.data(), pkg.entries[i].stream.size());
    ok = ok && put(out, packedDir.data(), packedDir.size());
    int code = errno;
    if (fclose(out) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (why.empty() && !ok)
        why = "cannot write " + quoted(path) + ": " + fsys_ErrnoText(code);
    return why;
}

/* ---- the command ------------------------------------------------------- */

/* Install.ini saved as UTF-8 beyond ASCII: setup takes its bytes as the
 * code page's, so 'é' would show as 'Ã©' and a name in it would match no
 * member.  A warning at its first such character; text that is not UTF-8
 * is taken to be in the code page already. */
static void warn_utf8_script(const std::string &ini, int cp)
{
    FILE *f = fsys_Open(ini, "rb");
    if (!f)
        return;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    std::u16string unused;
    size_t at = 0;
    while (at < text.size() && (unsigned char)text[at] < 0x80)
        at++;
    if (at == text.size() || !cp_Utf8ToUtf16(text, &unused))
        return;
    size_t end = at + 1;
    while (end < text.size() && ((unsigned char)text[end] & 0xC0) == 0x80)
        end++;
    std::string ch = text.substr(at, end - at), as;
    std::string seen = cp_ToUtf8(cp, ch, &as, NULL)
                           ? "'" + ch + "' shows as '" + as + "' and "
                           : "";
    /* Placed in the bytes as written: no line end is added before it. */
    DiagScript d;
    d.file = ini;
    d.written = text;
    d.text.assign(text.begin(), text.end());
    d.text.push_back(0);
    fflush(stdout);
    diag_Print(stderr, d, at, "warning",
               "Install.ini is UTF-8 text, but setup reads it as " +
                   cp_Name(cp) + ": " + seen + "a name in it matches no "
                   "member; save it in " + cp_Name(cp));
}

static void note_skip(Scan &s, const std::string &path)
{
    FsysInfo fi;
    if (fsys_Stat(path, &fi, NULL) && fi.kind == FSYS_FILE)
        s.skip.push_back({fi.volume, fi.id});
}

/* The patterns of opt, then the defaults unless they are off: 1, or 0
 * with s.error naming a pattern that cannot be used. */
static int use_patterns(Scan &s, const PackerOptions &opt)
{
    for (const std::string &p : opt.excludes) {
        std::string why = exclude_Check(p);
        if (!why.empty())
            return scan_fail(s, why);
    }
    s.patterns = opt.excludes;
    for (const char *const *d = exclude_Defaults; opt.defaultExcludes && *d; d++)
        s.patterns.push_back(*d);
    return 1;
}

int packer_Members(const PackerOptions &opt, std::vector<std::string> *members,
                   std::string *why)
{
    Scan s;
    begin_scan(s, opt.dir, opt.codepage);
    members->clear();
    if (!use_patterns(s, opt) ||
        !scan_root(s, opt, opt.noUninstaller ? "" : opt.uninstaller)) {
        *why = s.error;
        return 0;
    }
    *members = file_paths(s.pkg);
    return 1;
}

int packer_Build(const PackerOptions &opt)
{
    std::string stub = opt.stub, uninstaller = opt.uninstaller;
    if (stub.empty()) {
        int want = opt.arch < 0 ? PACKER_X86 : opt.arch;
        std::string seen;
        stub = first_image(packer_StubPlaces(want), want, &seen);
        if (stub.empty())
            return refuse(std::string("no stub given and no setup.exe found "
                                      "for ") + archs[want].text +
                          " (looked for " + seen + "); give --stub PATH" +
                          (want == PACKER_X86 ? ", or --arch x64" : ""));
    }

    uint64_t stubSize;
    uint16_t machine;
    if (check_stub(stub, &stubSize, &machine) != 0)
        return 1;
    int arch = stub_arch(stub, machine, opt.arch);
    if (arch < 0)
        return 1;
    /* The default uninstaller is of the stub's machine, as setup is. */
    if (opt.noUninstaller)
        uninstaller.clear();
    else if (uninstaller.empty())
        uninstaller = first_image(packer_UninstallPlaces(arch), arch, NULL);

    Scan s;
    begin_scan(s, opt.dir, opt.codepage);
    /* An earlier setup written into the product folder is not packed. */
    std::string tmp = opt.output + ".tmp";
    note_skip(s, opt.output);
    note_skip(s, tmp);
    if (!use_patterns(s, opt))
        return refuse(s.error);
    if (!scan_root(s, opt, uninstaller))
        return refuse(s.error);
    /* A script setup could not compile would only fail on the user's
     * machine: its box lines go to stdout, as vpack check prints them. */
    std::string why;
    CheckerFindings findings;
    findings.membersKnown = true;
    findings.members = file_paths(s.pkg);
    findings.werror = opt.werror;
    findings.missingIsError = !opt.allowMissing;
    if (!checker_Compiles(s.ini, findings, &why))
        return refuse(why);
    warn_utf8_script(s.ini, opt.codepage);

    uint64_t budget = SETUP_MAX - stubSize - PKG_HEADER_SIZE;
    if (stubSize + PKG_HEADER_SIZE > SETUP_MAX)
        return refuse("the setup would be 4 GiB or more (the stub alone has " +
                      std::to_string(stubSize) + " bytes)");
    if (!convert_texts(s) || !compress_all(s, budget))
        return refuse(s.error);

    std::vector<uint8_t> header, packedDir;
    int rc = pkw_Frame(s.pkg, header, packedDir);
    if (rc != PKW_OK)
        return refuse(pkw_Message(rc));
    uint64_t dataSize = 0;
    for (const PkwEntry &e : s.pkg.entries)
        dataSize += e.stream.size();
    uint64_t total = stubSize + header.size() + dataSize + packedDir.size();
    if (total > SETUP_MAX)
        return refuse("the setup would be 4 GiB or more (" +
                      std::to_string(total) + " bytes; the package's offsets "
                      "are 32-bit)");

    why = write_setup(tmp, stub, stubSize, s.pkg, header, packedDir);
    if (why.empty() && !fsys_Rename(tmp, opt.output, &why))
        why = "cannot rename " + quoted(tmp) + " to " + quoted(opt.output) +
              ": " + why;
    if (!why.empty()) {
        fsys_Remove(tmp);
        return refuse(why);
    }

    show_excluded(s);
    show_crlf(s);
    size_t files = 0;
    for (const PkwEntry &e : s.pkg.entries)
        files += (e.attributes & PKG_ATTR_FILE) != 0;
    printf("vpack build: wrote %s: %zu files, %zu folders, %llu bytes packed "
           "into %llu, setup %llu bytes, %s\n",
           opt.output.c_str(), files, s.pkg.entries.size() - 1 - files,
           (unsigned long long)s.input,
           (unsigned long long)(header.size() + dataSize + packedDir.size()),
           (unsigned long long)total, archs[arch].text);
    print_shared(s);
    return 0;
}
