/* reader.cpp -- list, extract and verify through the package reader that
 * setup uses, so that what vpack accepts is what setup will accept. */
#include "reader.h"
#include "codepage.h"
#include "fsys.h"
#include "ident.h"
#include "pkg/pkg.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <vector>

MODULE_IDENT("tools/vpack/reader.cpp");

/* An open package and the path of every entry, in both spellings. */
struct Opened {
    PackageHandle           *pkg;
    std::vector<std::string> paths;  /* inside the package, '\' between */
    std::vector<std::string> names;  /* each entry's own name */
};

static int report(const char *cmd, const std::string &file,
                  const std::string &text)
{
    fprintf(stderr, "vpack %s: %s: %s\n", cmd, file.c_str(), text.c_str());
    return 1;
}

static std::string open_error(int code)
{
    return "pkg_Open error " + std::to_string(code) + ": " +
           pkg_OpenMessage(code);
}

static std::string extract_error(int code, const std::string &path)
{
    return "member '" + path + "': pkg_Extract error " + std::to_string(code) +
           ": " + pkg_ExtractMessage(code);
}

/* Why entry i of the directory cannot be trusted, or null.  The reader
 * checked the directory's checksum, not its sense: a parent must be an
 * earlier folder and a name one safe path component. */
static const char *bad_entry(const PackageHandle *pkg, uint32_t i)
{
    const PackageEntry *e = &pkg->dir[i];
    if (!memchr(e->name, 0, PKG_NAME_SIZE))
        return "name without its terminator";
    if (i == 0)
        return e->parent == -1 ? NULL : "the first entry is not the root";
    if (e->parent < 0 || (uint32_t)e->parent >= i)
        return "parent is not an earlier entry";
    if (e->parent != 0 && !(pkg->dir[e->parent].attributes & PKG_ATTR_FOLDER))
        return "parent is not a folder";
    if (!e->name[0] || !strcmp(e->name, ".") || !strcmp(e->name, "..") ||
        strpbrk(e->name, "\\/"))
        return "name is not a single path component";
    return NULL;
}

static int open_package(const char *cmd, const std::string &file, Opened &o)
{
    o.pkg = NULL;
    int rc = pkg_Open(fsys_SystemPath(file).c_str(), &o.pkg);
    if (rc != PKG_OK)
        return report(cmd, file, open_error(rc));
    o.paths.assign(o.pkg->count, "");
    o.names.assign(o.pkg->count, "");
    for (uint32_t i = 0; i < o.pkg->count; i++) {
        const char *why = bad_entry(o.pkg, i);
        if (why) {
            pkg_Close(o.pkg);
            o.pkg = NULL;
            return report(cmd, file, "directory entry " + std::to_string(i) +
                                         " is damaged: " + why);
        }
        if (i == 0)
            continue;
        const PackageEntry *e = &o.pkg->dir[i];
        o.names[i] = e->name;
        o.paths[i] = e->parent == 0 ? o.names[i]
                                    : o.paths[e->parent] + "\\" + o.names[i];
    }
    return 0;
}

static bool is_folder(const PackageEntry *e)
{
    return (e->attributes & PKG_ATTR_FOLDER) != 0;
}

/* A package path in UTF-8 for the eye: each byte as its character in
 * codepage, one the code page leaves undefined as \xNN. */
static std::string shown(const std::string &path, int codepage)
{
    std::string out, one;
    for (char b : path) {
        char hex[8];
        snprintf(hex, sizeof hex, "\\x%02X", (unsigned char)b);
        out += cp_ToUtf8(codepage, std::string(1, b), &one, NULL) ? one : hex;
    }
    return out;
}

int reader_List(const std::string &file, int codepage)
{
    Opened o;
    if (open_package("list", file, o) != 0)
        return 1;
    for (uint32_t i = 1; i < o.pkg->count; i++) {
        const PackageEntry *e = &o.pkg->dir[i];
        printf("%c %10lu %10lu %s\n", is_folder(e) ? 'd' : '-',
               (unsigned long)e->size, (unsigned long)e->packedSize,
               shown(o.paths[i], codepage).c_str());
    }
    pkg_Close(o.pkg);
    return 0;
}

/* One member's bytes into a new file: "" or the cause. */
static std::string write_member(const std::string &path, const void *data,
                                uint32_t size)
{
    FILE *f = fsys_Open(path, "wb");
    if (!f)
        return "cannot create '" + path + "': " + fsys_ErrnoText(errno);
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    int code = errno;
    if (fclose(f) != 0 && ok) {
        ok = false;
        code = errno;
    }
    return ok ? "" : "cannot write '" + path + "': " + fsys_ErrnoText(code);
}

int reader_Extract(const std::string &file, const std::string &dir,
                   int codepage)
{
    Opened o;
    if (open_package("extract", file, o) != 0)
        return 1;
    std::vector<std::string> disk(o.pkg->count);
    disk[0] = dir;
    std::string why;
    if (!fsys_MakeFolder(dir, &why))
        why = "cannot create '" + dir + "': " + why;
    for (uint32_t i = 1; why.empty() && i < o.pkg->count; i++) {
        const PackageEntry *e = &o.pkg->dir[i];
        std::string name;
        if (!cp_ToUtf8(codepage, o.names[i], &name, &why)) {
            why = "member '" + shown(o.paths[i], codepage) + "': the name " +
                  why + "; give the --codepage the setup was built with";
            break;
        }
        disk[i] = fsys_Join(disk[e->parent], name);
        if (is_folder(e)) {
            if (!fsys_MakeFolder(disk[i], &why))
                why = "cannot create '" + disk[i] + "': " + why;
            continue;
        }
        void *block;
        uint32_t size;
        int rc = pkg_ExtractEntry(o.pkg, e, &block, &size);
        if (rc != PKG_OK) {
            why = extract_error(rc, o.paths[i]);
            break;
        }
        why = write_member(disk[i], block, size);
        pkg_Free(block);
    }
    pkg_Close(o.pkg);
    return why.empty() ? 0 : report("extract", file, why);
}

int reader_Verify(const std::string &file)
{
    Opened o;
    if (open_package("verify", file, o) != 0)
        return 1;
    unsigned long files = 0, folders = 0, bad = 0;
    unsigned long long bytes = 0;
    for (uint32_t i = 1; i < o.pkg->count; i++) {
        const PackageEntry *e = &o.pkg->dir[i];
        if (is_folder(e)) {
            folders++;
            continue;
        }
        files++;
        bytes += e->size;
        int rc = pkg_ExtractEntry(o.pkg, e, NULL, NULL);
        if (rc != PKG_OK) {
            report("verify", file, extract_error(rc, o.paths[i]));
            bad++;
        }
    }
    pkg_Close(o.pkg);
    if (bad)
        return report("verify", file, std::to_string(bad) + " of " +
                                          std::to_string(files) +
                                          " members are damaged");
    printf("vpack verify: %s: OK, %lu files, %lu folders, %llu bytes\n",
           file.c_str(), files, folders, bytes);
    return 0;
}
