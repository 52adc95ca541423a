/* unfixture.cpp -- makes what an installation leaves for the uninstaller's
 * end-to-end tests (tests/e2e/uninstall_e2e), under Wine:
 *
 *   unfixture log FILE ENTRY...   writes the undo log FILE with the log
 *                                 module; ENTRY is one of
 *                                   product COMPANY PRODUCT FOLDER
 *                                   dir FOLDER | file FILE | prefs KEY
 *                                   shared FILE NAME | driver FILE SERVICE
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
#include <string>

static int usage(void)
{
    fprintf(stderr, "usage: unfixture log FILE ENTRY... | hold FILE | "
                    "service NAME FILE\n");
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
    if (argc == 3 && strcmp(argv[1], "hold") == 0)
        return hold(argv[2]);
    if (argc == 4 && strcmp(argv[1], "service") == 0)
        return service(argv[2], argv[3]);
    return usage();
}
