/* pkg_file.cpp -- the package reader's platform layer: the read-only file
 * mapping behind pkg_Open, member blocks, and writing members to disk.
 * Win32 in setup and vpack.exe; POSIX in the host vpack and the tests. */
#include "pkg.h"
#include "pkg_sys.h"
#include "../ident.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

MODULE_IDENT("core/pkg/pkg_file.cpp");

/* A read-only view of a whole file. */
typedef struct MappedFile {
    void          *file;
    void          *mapping;
    const uint8_t *view;
    uint64_t       size;
} MappedFile;

#ifdef _WIN32

/* The size comes from a directory search, as the file's own handle may lack
 * the rights a size query needs on old systems. */
static uint32_t file_size(const char *path, HANDLE f)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        return fd.nFileSizeLow;
    }
    return GetFileSize(f, NULL);
}

/* 0 success, PKG_EOPEN, PKG_EMAP */
static int map_file(const char *path, MappedFile *m)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return PKG_EOPEN;
    m->size = file_size(path, f);
    HANDLE map = CreateFileMappingA(f, NULL, PAGE_READONLY, 0, 0, NULL);
    void *view = map ? MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0) : NULL;
    if (!view) {
        if (map)
            CloseHandle(map);
        CloseHandle(f);
        return PKG_EMAP;
    }
    m->file = f;
    m->mapping = map;
    m->view = (const uint8_t *)view;
    return PKG_OK;
}

static void unmap_file(MappedFile *m)
{
    UnmapViewOfFile((void *)m->view);
    CloseHandle((HANDLE)m->mapping);
    CloseHandle((HANDLE)m->file);
}

void *pkgsys_Alloc(size_t size)
{
    return GlobalAlloc(GPTR, size);
}

void pkg_Free(void *block)
{
    if (block)
        GlobalFree(block);
}

int pkgsys_WriteFile(const char *path, const void *data, size_t size)
{
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS,
                           NULL);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    const uint8_t *p = (const uint8_t *)data;
    int ok = 1;
    while (size && ok) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : (DWORD)size, done = 0;
        ok = WriteFile(f, p, chunk, &done, NULL) && done == chunk;
        p += done;
        size -= done;
    }
    return CloseHandle(f) && ok;
}

#else

static int map_file(const char *path, MappedFile *m)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return PKG_EOPEN;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0) {
        close(fd);
        return PKG_EMAP;
    }
    void *view = mmap(NULL, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return PKG_EMAP;
    m->file = m->mapping = NULL;
    m->view = (const uint8_t *)view;
    m->size = (uint64_t)st.st_size;
    return PKG_OK;
}

static void unmap_file(MappedFile *m)
{
    munmap((void *)m->view, (size_t)m->size);
}

void *pkgsys_Alloc(size_t size)
{
    return calloc(1, size);
}

void pkg_Free(void *block)
{
    free(block);
}

int pkgsys_WriteFile(const char *path, const void *data, size_t size)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return 0;
    const uint8_t *p = (const uint8_t *)data;
    int ok = 1;
    while (size && ok) {
        ssize_t n = write(fd, p, size);
        ok = n > 0;
        if (ok) {
            p += n;
            size -= (size_t)n;
        }
    }
    return close(fd) == 0 && ok;
}

#endif

int pkg_Open(const char *path, PackageHandle **out)
{
    if (!out)
        return PKG_EOPEN;
    *out = NULL;
    PackageHandle *pkg = (PackageHandle *)calloc(1, sizeof *pkg);
    if (!pkg)
        return PKG_ENOMEM;
    MappedFile m;
    int rc = path ? map_file(path, &m) : PKG_EOPEN;
    if (rc != PKG_OK) {
        free(pkg);
        return rc;
    }
    pkg->file = m.file;
    pkg->mapping = m.mapping;
    pkg->view = m.view;
    pkg->mappedSize = m.size;
    pkg->fileSize = (uint32_t)m.size; /* the low 32 bits, as sizes go here */
    if ((rc = pkgsys_Read(pkg)) != PKG_OK) {
        unmap_file(&m);
        free(pkg);
        return rc;
    }
    *out = pkg;
    return PKG_OK;
}

void pkg_Close(PackageHandle *pkg)
{
    if (!pkg)
        return;
    free(pkg->dir);
    if (pkg->mapping || pkg->mappedSize) {
        MappedFile m = {pkg->file, pkg->mapping, pkg->view, pkg->mappedSize};
        unmap_file(&m);
    }
    free(pkg);
}

uint64_t file_GetFileVersion(const char *path)
{
    MappedFile m;
    if (!path || map_file(path, &m) != PKG_OK)
        return FILE_NO_VERSION;
    uint64_t v = file_GetVersion(m.view, (size_t)m.size);
    unmap_file(&m);
    return v;
}
