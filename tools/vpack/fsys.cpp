/* fsys.cpp -- vpack's file-system layer: the Win32 wide API in vpack.exe,
 * POSIX on the host. */
#include "fsys.h"
#include "codepage.h"
#include "ident.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

MODULE_IDENT("tools/vpack/fsys.cpp");

static int fail(std::string *err, const std::string &text)
{
    if (err)
        *err = text;
    return 0;
}

std::string fsys_ErrnoText(int code)
{
    return strerror(code);
}

std::string fsys_Join(const std::string &a, const std::string &b)
{
    if (a.empty())
        return b;
    char last = a[a.size() - 1];
    if (last == '/' || last == fsys_Separator)
        return a + b;
    return a + fsys_Separator + b;
}

#ifdef _WIN32

const char fsys_Separator = '\\';

/* The system's text for a Win32 error code, without the final period. */
static std::string win_text(DWORD code)
{
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             NULL, code, 0, buf, sizeof buf, NULL);
    while (n && (buf[n - 1] == '\r' || buf[n - 1] == '\n' ||
                 buf[n - 1] == '.' || buf[n - 1] == ' '))
        n--;
    if (n == 0)
        return "error " + std::to_string((unsigned long)code);
    return std::string(buf, n);
}

static int fail_last(std::string *err)
{
    return fail(err, win_text(GetLastError()));
}

/* A UTF-8 path as the wide API takes it; "" (which no call accepts) for
 * one that is not UTF-8. */
static std::wstring wide(const std::string &path)
{
    std::u16string w;
    if (!cp_Utf8ToUtf16(path, &w))
        return L"";
    return std::wstring(w.begin(), w.end());
}

static std::string utf8(const wchar_t *text, size_t n, bool *ok)
{
    std::string s;
    *ok = cp_Utf16ToUtf8((const uint16_t *)text, n, &s) != 0;
    return s;
}

int fsys_Stat(const std::string &path, FsysInfo *info, std::string *err)
{
    memset(info, 0, sizeof *info);
    /* Backup semantics open folders too; reparse points are followed, so a
     * junction back to an ancestor shows that ancestor's identity. */
    HANDLE h = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE |
                               FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           NULL);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            info->kind = FSYS_MISSING;
            return 1;
        }
        return fail(err, win_text(code));
    }
    BY_HANDLE_FILE_INFORMATION fi;
    int ok = GetFileInformationByHandle(h, &fi);
    DWORD type = GetFileType(h);
    if (!ok) {
        fail_last(err);
        CloseHandle(h);
        return 0;
    }
    CloseHandle(h);
    if (fi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        info->kind = FSYS_FOLDER;
    else if (type == FILE_TYPE_DISK)
        info->kind = FSYS_FILE;
    else
        info->kind = FSYS_OTHER;
    info->size = (uint64_t)fi.nFileSizeHigh << 32 | fi.nFileSizeLow;
    info->volume = fi.dwVolumeSerialNumber;
    info->id = (uint64_t)fi.nFileIndexHigh << 32 | fi.nFileIndexLow;
    return 1;
}

/* The names as the file system holds them, in UTF-16, whatever the ANSI
 * code page could show of them. */
int fsys_List(const std::string &dir, std::vector<std::string> &names,
              std::string *err)
{
    names.clear();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(wide(fsys_Join(dir, "*")).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) /* an empty drive root */
            return 1;
        return fail_last(err);
    }
    bool ok = true;
    do {
        if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0)
            names.push_back(utf8(fd.cFileName, wcslen(fd.cFileName), &ok));
    } while (ok && FindNextFileW(h, &fd));
    DWORD code = GetLastError();
    FindClose(h);
    if (!ok)
        return fail(err, "a name in it is not UTF-16 (a lone surrogate)");
    if (code != ERROR_NO_MORE_FILES)
        return fail(err, win_text(code));
    return 1;
}

int fsys_MakeFolder(const std::string &path, std::string *err)
{
    std::wstring w = wide(path);
    if (CreateDirectoryW(w.c_str(), NULL))
        return 1;
    DWORD code = GetLastError();
    DWORD attr = GetFileAttributesW(w.c_str());
    if (code == ERROR_ALREADY_EXISTS && attr != INVALID_FILE_ATTRIBUTES &&
        (attr & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    return fail(err, win_text(code));
}

int fsys_Rename(const std::string &from, const std::string &to,
                std::string *err)
{
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING))
        return 1;
    return fail_last(err);
}

void fsys_Remove(const std::string &path)
{
    DeleteFileW(wide(path).c_str());
}

FILE *fsys_Open(const std::string &path, const char *mode)
{
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

std::string fsys_SystemPath(const std::string &path)
{
    std::wstring w = wide(path);
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, NULL, 0, NULL, NULL);
    if (n <= 1)
        return path;
    std::string s((size_t)n, 0);
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &s[0], n, NULL, NULL);
    s.resize((size_t)n - 1);
    return s;
}

std::vector<std::string> fsys_Args(int argc, char **argv)
{
    int n = 0;
    wchar_t **w = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> args;
    bool ok = w != NULL && n == argc;
    for (int i = 0; ok && i < n; i++)
        args.push_back(utf8(w[i], wcslen(w[i]), &ok));
    if (w)
        LocalFree(w);
    if (!ok) /* the system's own split, as the C library made it */
        args.assign(argv, argv + argc);
    return args;
}

std::string fsys_SelfFolder(void)
{
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(NULL, buf, MAX_PATH + 1);
    bool ok;
    if (n == 0 || n >= MAX_PATH + 1)
        return "";
    std::string path = utf8(buf, n, &ok);
    size_t cut = path.find_last_of("\\/");
    return !ok || cut == std::string::npos ? "" : path.substr(0, cut);
}

int fsys_ErrIsTerminal(void)
{
    return _isatty(_fileno(stderr)) != 0;
}

#else

const char fsys_Separator = '/';

static int fail_errno(std::string *err)
{
    return fail(err, fsys_ErrnoText(errno));
}

int fsys_Stat(const std::string &path, FsysInfo *info, std::string *err)
{
    memset(info, 0, sizeof *info);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            info->kind = FSYS_MISSING;
            return 1;
        }
        return fail_errno(err);
    }
    if (S_ISDIR(st.st_mode))
        info->kind = FSYS_FOLDER;
    else if (S_ISREG(st.st_mode))
        info->kind = FSYS_FILE;
    else
        info->kind = FSYS_OTHER;
    info->size = st.st_size > 0 ? (uint64_t)st.st_size : 0;
    info->volume = (uint64_t)st.st_dev;
    info->id = (uint64_t)st.st_ino;
    return 1;
}

int fsys_List(const std::string &dir, std::vector<std::string> &names,
              std::string *err)
{
    names.clear();
    DIR *d = opendir(dir.c_str());
    if (!d)
        return fail_errno(err);
    for (;;) {
        errno = 0;
        struct dirent *e = readdir(d);
        if (!e)
            break;
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    }
    int code = errno;
    closedir(d);
    if (code != 0)
        return fail(err, fsys_ErrnoText(code));
    return 1;
}

int fsys_MakeFolder(const std::string &path, std::string *err)
{
    if (mkdir(path.c_str(), 0777) == 0)
        return 1;
    int code = errno;
    struct stat st;
    if (code == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return 1;
    return fail(err, fsys_ErrnoText(code));
}

int fsys_Rename(const std::string &from, const std::string &to,
                std::string *err)
{
    if (rename(from.c_str(), to.c_str()) == 0)
        return 1;
    return fail_errno(err);
}

void fsys_Remove(const std::string &path)
{
    unlink(path.c_str());
}

FILE *fsys_Open(const std::string &path, const char *mode)
{
    return fopen(path.c_str(), mode);
}

std::string fsys_SystemPath(const std::string &path)
{
    return path;
}

std::vector<std::string> fsys_Args(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::string fsys_SelfFolder(void)
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || (size_t)n >= sizeof buf)
        return "";
    std::string path(buf, (size_t)n);
    size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return "";
    return cut == 0 ? "/" : path.substr(0, cut);
}

int fsys_ErrIsTerminal(void)
{
    return isatty(2) != 0;
}

#endif
